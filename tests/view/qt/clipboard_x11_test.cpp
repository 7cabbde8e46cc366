// The clipboard against another program on a real X11 display: what this
// program copies is what xclip reads, and what xclip offers pastes as its
// characters, and what another instance copies pastes whole. The same rules
// are held offscreen by clipboard_panel_test;
// this test skips (77) without a display or without xclip.

#include "document/buffer_document.h"
#include "support/message_log_host.h"
#include "view/qt/buffer_view.h"

#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <QClipboard>
#include <QMimeData>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <memory>

namespace {

// Runs xclip while this program keeps answering the display, since xclip
// reads the selection from us.
QByteArray Xclip(const QStringList& arguments, const QByteArray& input = {})
{
    QProcess process;
    process.start(QStringLiteral("xclip"), QStringList{"-selection", "clipboard"} + arguments);
    if (!process.waitForStarted(5000))
        return "not started";
    process.write(input);
    process.closeWriteChannel();
    if (!QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, 30000))
        return "timed out";
    return process.readAllStandardOutput();
}

// xclip serves what it was given from the background; wait until the
// clipboard we see offers `format`.
bool Offer(const QStringList& arguments, const QByteArray& input, const QString& format)
{
    Xclip(arguments, input);
    return QTest::qWaitFor([&] {
        const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
        return !QGuiApplication::clipboard()->ownsClipboard() && mime && mime->hasFormat(format);
    }, 10000);
}

// Bytes another instance of this program copies: every value that text
// conversions would change.
const QByteArray kOtherBytes("\x00\xE9\xFF\x80\x0A\xC3\x41\x00", 8);

// The other instance: copies kOtherBytes and keeps answering the display
// until it is killed.
int CopyAndServe()
{
    MessageLogHost host;
    OBufferDocument doc(host, "", "bin");
    doc.WriteBlock(reinterpret_cast<const uint8_t*>(kOtherBytes.constData()), 0x100, int32_t(kOtherBytes.size()));
    OBufferView view(&doc);
    view.Model().SelStart = 0x100;
    view.Model().SelEnd = 0x107;
    view.Command(OBufferView::kCmCopy);
    QTimer::singleShot(60000, qApp, &QCoreApplication::quit);
    return qApp->exec();
}

}  // namespace

class ClipboardX11Test : public QObject {
    Q_OBJECT

    MessageLogHost host_;
    std::unique_ptr<OBufferDocument> doc_;
    std::unique_ptr<OBufferView> view_;

    OBufferView& Open(int32_t size)
    {
        view_.reset();
        doc_ = std::make_unique<OBufferDocument>(host_, "", "bin");
        doc_->SetTitle("x11.bin");
        doc_->WriteByte(0xFF, size - 1);
        view_ = std::make_unique<OBufferView>(doc_.get());
        view_->show();
        return *view_;
    }
    QByteArray Bytes(Address first, Address count) const
    {
        QByteArray bytes;
        for (Address a = first; a < first + count; ++a)
            bytes += char(doc_->ReadByte(a));
        return bytes;
    }

private slots:
    void cleanup()
    {
        view_.reset();
        doc_.reset();
        host_.messages.clear();
    }

    void copiedBytesAreWhatAnotherProgramReads()
    {
        OBufferView& view = Open(0x100);
        const QByteArray bytes("\x00\x41\xE9\x0A\xFF\x80 z", 8);
        doc_->WriteBlock(reinterpret_cast<const uint8_t*>(bytes.constData()), 0x10, 8);
        view.Model().SelStart = 0x10;
        view.Model().SelEnd = 0x17;
        view.Command(OBufferView::kCmCopy);
        QVERIFY(QGuiApplication::clipboard()->ownsClipboard());
        const QByteArray targets = Xclip({"-o", "-t", "TARGETS"});
        QVERIFY2(targets.contains("ZUMIK 2.0"), targets.constData());
        QCOMPARE(Xclip({"-o"}), bytes + QByteArray(1, '\0'));
        QCOMPARE(Xclip({"-o", "-t", "ZUMIK 2.0"}), QByteArray("\x10\0\0\0\x17\0\0\0\0\0", 10));
    }

    void anotherProgramsTextPastesAsItsCharacters()
    {
        OBufferView& view = Open(0x100);
        QVERIFY(Offer({"-i"}, "Hello \xC3\xA9\xE2\x82\xAC!", "text/plain"));
        QVERIFY(view.CommandEnabled(OBufferView::kCmPaste));
        view.Model().Cursor = 0x20;
        view.Command(OBufferView::kCmPaste);
        QCOMPARE(Bytes(0x20, 10), QByteArray("Hello \xE9\x80!\xFF", 10));
        QCOMPARE(view.Model().Cursor, 0x20);
    }

    void bytesCopiedByAnotherInstancePasteWhole()
    {
        QProcess other;
        other.start(QCoreApplication::applicationFilePath(), {"--copy-and-serve"});
        QVERIFY(other.waitForStarted(5000));
        const bool offered = QTest::qWaitFor([] {
            const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
            return !QGuiApplication::clipboard()->ownsClipboard() && mime && mime->hasFormat("ZUMIK 2.0");
        }, 30000);
        OBufferView& view = Open(0x100);
        view.Model().Cursor = 0x40;
        if (offered)
            view.Command(OBufferView::kCmPaste);
        other.kill();
        other.waitForFinished(5000);
        QVERIFY(offered);
        QCOMPARE(Bytes(0x40, 9), kOtherBytes + QByteArray(1, '\xFF'));
    }

    void imageOnlyAndHugeTextNeverHurtTheBuffer()
    {
        OBufferView& view = Open(0x100);
        QImage image(8, 8, QImage::Format_RGB32);
        image.fill(Qt::blue);
        QByteArray png;
        {
            QBuffer buffer(&png);
            buffer.open(QIODevice::WriteOnly);
            image.save(&buffer, "PNG");
        }
        QVERIFY(Offer({"-i", "-t", "image/png"}, png, "image/png"));
        QVERIFY(!view.CommandEnabled(OBufferView::kCmPaste));
        view.Command(OBufferView::kCmPaste);
        QCOMPARE(Bytes(0, 0x100), QByteArray(0x100, '\xFF'));

        // More text than the address space: what fits from the cursor, and a word.
        QVERIFY(Offer({"-i"}, QByteArray(24 * 1024 * 1024, 'a'), "text/plain"));
        view.Model().Cursor = 0xFFFFFFF0;
        view.Command(OBufferView::kCmPaste);
        QCOMPARE(doc_->End(), Address{0x100000000});
        QCOMPARE(Bytes(0xFFFFFFF0, 0x10), QByteArray(0x10, 'a'));
        QCOMPARE(host_.messages.size(), size_t(1));
        QVERIFY(host_.messages[0].starts_with("x11.bin|Only 16 of 25165824 bytes"));
    }
};

int main(int argc, char** argv)
{
    if (!std::getenv("DISPLAY") || QStandardPaths::findExecutable("xclip").isEmpty()) {
        std::puts("SKIP: no X11 display or no xclip");
        return 77;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    if (argc > 1 && std::strcmp(argv[1], "--copy-and-serve") == 0)
        return CopyAndServe();
    ClipboardX11Test test;
    return QTest::qExec(&test, argc, argv);
}

#include "clipboard_x11_test.moc"
