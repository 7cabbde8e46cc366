// The view's commands as a widget runs them: the clipboard in both
// directions (this program's bytes and other programs' text), the context
// menu, the dialogs' answers, the busy refusal, and the information panel
// following the cursor and the settings.

#include "settings/profile.h"
#include "document/buffer_document.h"
#include "support/message_log_host.h"
#include "view/qt/buffer_view.h"
#include "view/qt/memory_view.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMenu>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <string>
#include <vector>

namespace {

QByteArray Raw(const char* bytes, int n) { return QByteArray(bytes, n); }

}  // namespace

class ClipboardPanelTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    MessageLogHost host_;
    std::unique_ptr<OBufferDocument> doc_;
    std::unique_ptr<OBufferView> view_;

    std::string IniPath() const { return dir_.filePath("dravel.ini").toStdString(); }

    OBufferView& Open(int32_t size)
    {
        view_.reset();
        doc_ = std::make_unique<OBufferDocument>(host_, IniPath(), "bin");
        doc_->SetTitle("test.bin");
        doc_->WriteByte(0xFF, size - 1);
        for (int32_t a = 0; a < size; ++a)
            doc_->WriteByte(uint8_t(a), a);
        view_ = std::make_unique<OBufferView>(doc_.get());
        view_->resize(800, 420);
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
    void Select(int32_t first, int32_t last)
    {
        view_->Model().SelStart = first;
        view_->Model().SelEnd = last;
    }

private slots:
    void initTestCase() { QVERIFY(dir_.isValid()); }
    void cleanup()
    {
        view_.reset();
        doc_.reset();
        host_.messages.clear();
        OBufferView::SetDialogRunner({});
        QGuiApplication::clipboard()->clear();
        QFile::remove(QString::fromStdString(IniPath()));
    }

    void copyPutsTheBytesAndTheirRangeAndPastesThemBack()
    {
        OBufferView& view = Open(0x40);
        const QByteArray four = Raw("\0A\0B", 4);
        doc_->WriteBlock(reinterpret_cast<const uint8_t*>(four.constData()), 0x10, 4);
        Select(0x10, 0x13);
        QVERIFY(view.Command(OBufferView::kCmCopy));
        const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
        QCOMPARE(mime->data("text/plain"), Raw("\0A\0B\0", 5));
        QCOMPARE(mime->data("ZUMIK 2.0"), Raw("\x10\0\0\0\x13\0\0\0\0\0", 10));
        QVERIFY(view.CommandEnabled(OBufferView::kCmPaste));

        view.Model().ClearSelection();
        view.Model().Cursor = 0x30;
        view.Command(OBufferView::kCmPaste);
        QCOMPARE(Bytes(0x30, 5), Raw("\0A\0B\x34", 5));

        // Cut copies, then erases and drops the selection.
        Select(0x20, 0x21);
        view.Command(OBufferView::kCmCut);
        QCOMPARE(QGuiApplication::clipboard()->mimeData()->data("text/plain"), Raw("\x20\x21\0", 3));
        QCOMPARE(Bytes(0x20, 2), Raw("\xFF\xFF", 2));
        QVERIFY(!view.Model().HasSelection());
        QVERIFY(host_.messages.empty());
    }

    void otherProgramsClipboardsPasteAsTextOrNotAtAll()
    {
        OBufferView& view = Open(0x40);
        QClipboard* clipboard = QGuiApplication::clipboard();
        const auto pasteAt = [&](Address address) {
            view.Model().ClearSelection();
            view.Model().Cursor = address;
            view.Command(OBufferView::kCmPaste);
        };

        clipboard->setText(QStringLiteral("AB\u00e9"));
        pasteAt(0x10);
        QCOMPARE(Bytes(0x10, 4), Raw("AB\xE9\x13", 4));

        // A range block that claims more than the text holds is not believed.
        auto* forged = new QMimeData;
        forged->setData("text/plain", Raw("xy\0z", 4));
        forged->setData("ZUMIK 2.0", Raw("\0\0\0\0\xFF\xFF\0\0\0\0", 10));
        clipboard->setMimeData(forged);
        pasteAt(0x18);
        QCOMPARE(Bytes(0x18, 3), Raw("xy\x1A", 3));

        // Nothing to paste: an image only, or an empty clipboard.
        const QByteArray before = Bytes(0, 0x40);
        QImage image(4, 4, QImage::Format_RGB32);
        image.fill(Qt::red);
        clipboard->setImage(image);
        QVERIFY(!view.CommandEnabled(OBufferView::kCmPaste));
        pasteAt(0);
        clipboard->clear();
        QVERIFY(!view.CommandEnabled(OBufferView::kCmPaste));
        pasteAt(0);
        QCOMPARE(Bytes(0, 0x40), before);
        QCOMPARE(doc_->Size(), 0x40);

        // Far more text than the address space holds: what fits, and a word.
        clipboard->setText(QString(20 * 1024 * 1024, QLatin1Char('q')));
        doc_->WriteByte(0xFF, 0xFFFFFFFF);
        pasteAt(0xFFFFFF00);
        QCOMPARE(Bytes(0xFFFFFEFF, 2), Raw("\xFF" "q", 2));
        QCOMPARE(doc_->ReadByte(0xFFFFFFFF), uint8_t('q'));
        QCOMPARE(doc_->End(), Address{0x100000000});
        QCOMPARE(host_.messages.size(), size_t(1));
        QVERIFY(host_.messages[0].starts_with("test.bin|Only 256 of 20971520 bytes"));
    }

    void contextMenuFollowsTheSelectionAndRunsCommands()
    {
        OBufferView& view = Open(0x40);
        QMenu* menu = view.ContextMenu();
        emit menu->aboutToShow();
        const QList<QAction*> items = menu->actions();
        QVERIFY(!items[0]->isEnabled() && !items[1]->isEnabled());
        Select(4, 5);
        emit menu->aboutToShow();
        QVERIFY(items[0]->isEnabled() && items[1]->isEnabled() && items[2]->isEnabled() == view.CommandEnabled(24324));
        items[1]->trigger();
        QCOMPARE(QGuiApplication::clipboard()->mimeData()->data("text/plain"), Raw("\x04\x05\0", 3));
        QVERIFY(view.CommandEnabled(OBufferView::kCmPaste));
        QVERIFY(!view.CommandEnabled(OBufferView::kCmUndo) || doc_->CanUndo());
    }

    void dialogCommandsTakeTheAnswersAndCancelChangesNothing()
    {
        OBufferView& view = Open(0x40);
        QStringList titles;
        bool answer = true;
        OBufferView::SetDialogRunner([&](QWidget*, AddressRequest& request, bool fill) {
            titles << QString::fromStdString(request.title);
            request.start = 2;
            request.last = 4;
            if (fill)
                static_cast<FillRequest&>(request).fillValue = 0x55;
            return answer;
        });
        view.Command(OBufferView::kCmFillSelection);
        QCOMPARE(Bytes(1, 5), Raw("\x01\x55\x55\x55\x05", 5));
        view.Command(OBufferView::kCmSetSelection);
        QCOMPARE(view.Model().SelStart, 2);
        QCOMPARE(view.Model().SelEnd, 4);
        view.Command(OBufferView::kCmPositionCursor);
        QCOMPARE(view.Model().Cursor, 2);
        QVERIFY(!view.Model().HasSelection());
        view.Command(OBufferView::kCmResizeBuffer);
        QCOMPARE(doc_->Start(), 2);
        QCOMPARE(doc_->Size(), 3);
        answer = false;
        view.Command(OBufferView::kCmResizeBuffer);
        QCOMPARE(doc_->Size(), 3);
        QCOMPARE(titles, QStringList({"Fill selection", "Set selection", "Position cursor at following address",
                                      "Resize buffer", "Resize buffer"}));
        // Undo walks back through the resize to the fill.
        view.Command(OBufferView::kCmUndo);
        QCOMPARE(doc_->Size(), 0x40);
        view.Command(OBufferView::kCmUndo);
        QCOMPARE(Bytes(1, 5), Raw("\x01\x02\x03\x04\x05", 5));
        QCOMPARE(view.Model().Cursor, 2);
    }

    void busyDocumentRefusesEveryCommand()
    {
        OBufferView& view = Open(0x40);
        doc_->SetBusy(true);
        for (int id : {200, 201, 202, 203, 204, 205, 24321, 24322, 24323, 24324, 24325, 24326})
            QVERIFY(view.Command(id));
        doc_->SetBusy(false);
        QCOMPARE(host_.messages.size(), size_t(12));
        QCOMPARE(host_.messages[0], std::string("test.bin|buffer is processing. Please be patient"));
        QVERIFY(!view.Model().HasSelection());
        QVERIFY(!view.Command(24351));  // Find is not the view's
    }

    void panelShowsBothLinesAndFollowsCursorAndSettings()
    {
        OBufferView& view = Open(0x20);
        OMemoryView* panel = view.Panel();
        QVERIFY(panel);
        QCOMPARE(panel->geometry(), QRect(0, view.height() - 50, view.width(), 49));
        QVERIFY(!panel->isEnabled());
        QCOMPARE(panel->FirstLine(), QString("size (00000032 dec) start (00000000 hex) end (0000001f hex)") +
                                         QString(28, ' '));
        view.setFocus();
        QTest::keyClick(&view, Qt::Key_Down);
        QCOMPARE(panel->PanelCursor(), 0x10);
        QVERIFY(panel->SecondLine().startsWith("cursor (00000010 hex) char (10 hex   020 oct   016 dec"));
        view.Command(OBufferView::kCmSelectAll);
        QVERIFY(panel->SecondLine().startsWith("cursor (00000020 hex) char ( - )"));

        // Something is drawn on both lines.
        const QImage shot = panel->grab().toImage();
        const auto inked = [&](int y) {
            for (int x = 10; x < 200; ++x)
                if (qGray(shot.pixel(x, y)) < 100)
                    return true;
            return false;
        };
        bool first = false, second = false;
        for (int y = 6; y < 22; ++y)
            first = first || inked(y);
        for (int y = 24; y < 40; ++y)
            second = second || inked(y);
        QVERIFY(first && second);

        OProfile(IniPath()).WriteInt("Settings", "sumcheck", 1);
        doc_->ReloadSettings();
        QVERIFY(view.Panel()->FirstLine().contains("sum check (00000"));
        OProfile(IniPath()).WriteInt("Settings", "Information", 0);
        doc_->ReloadSettings();
        QVERIFY(!view.Panel());
        QVERIFY(!view.findChild<OMemoryView*>());
        OProfile(IniPath()).WriteInt("Settings", "Information", 1);
        doc_->ReloadSettings();
        QVERIFY(view.Panel());
        QCOMPARE(view.Panel()->PanelCursor(), view.Model().Cursor);
    }
};

QTEST_MAIN(ClipboardPanelTest)
#include "clipboard_panel_test.moc"
