// Printing and the preview: a PDF printed through the print command holds
// the rows the document renders; a page too small is reported once; the
// preview window's toolbar, page text and keys; the main window gives way
// to the preview and comes back where the preview was.

#include "app/app_resources.h"
#include "app/program_paths.h"
#include "app/qt/qt_document_host.h"
#include "app/qt/shell_services.h"
#include "app/qt/tovik_app.h"
#include "document/buffer_document.h"
#include "print/qt/page_device.h"
#include "print/qt/preview_win.h"
#include "print/qt/print_commands.h"
#include "print/qt/printout.h"
#include "settings/ansi_chars.h"
#include "view/qt/buffer_view.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include <memory>

class PrintTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    // Its messages go through the message box hook like the printout's.
    OQtDocumentHost host_{nullptr};
    std::unique_ptr<OBufferDocument> doc_;
    std::unique_ptr<OBufferView> view_;
    QStringList messages_;

    // `size` bytes from `start` cycling through every printable kind of
    // byte: control bytes, ASCII and the upper half.
    OBufferView& Open(int32_t start, int32_t size)
    {
        view_.reset();
        doc_ = std::make_unique<OBufferDocument>(host_, dir_.filePath("dravel.ini").toStdString(), "bin");
        doc_->SetPath(dir_.filePath("dump.bin").toStdString());
        doc_->WriteByte(0xFF, start + size - 1);
        doc_->Resize(start, start + size - 1);
        static const uint8_t kinds[] = {0x00, 0x1F, 'A', 'z', '0', '#', 0xC4, 0xE9, 0xB5, 0xFC};
        for (int32_t a = start; a < start + size; ++a)
            doc_->WriteByte(uint8_t(a % 7 ? kinds[a % 10] : 0x41 + a % 26), a);
        view_ = std::make_unique<OBufferView>(doc_.get());
        return *view_;
    }

    // The rows as the document renders them, blanks collapsed.
    QStringList ExpectedRows()
    {
        QStringList rows;
        char hex[OBufferDocument::kHexRowSize], ascii[OBufferDocument::kAsciiRowSize];
        for (int32_t row = doc_->Start() / 16; row <= (doc_->End() - 1) / 16; ++row) {
            const int32_t n = std::abs(doc_->HexRow(hex, row));
            const int32_t k = doc_->OutsideCount();
            const int32_t m = std::abs(doc_->AsciiRow(ascii, row));
            QString chars;
            for (int32_t i = k; i < m; ++i)
                chars += QChar(AnsiToUnicode(uint8_t(ascii[i])));
            rows << (QString::asprintf("%08x ", row * 16) + QString::fromLatin1(hex + 3 * k, n - 3 * k) +
                     " " + chars)
                        .simplified();
        }
        return rows;
    }

    static QStringList PdfPages(const QString& pdf)
    {
        QProcess p;
        p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
        if (!p.waitForFinished(60000) || p.exitCode() != 0)
            return {};
        QStringList pages = QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\f'));
        if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
            pages.removeLast();
        return pages;
    }

    std::unique_ptr<QPrinter> PdfPrinter(const QString& name)
    {
        auto printer = MakeAppPrinter();
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setPageSize(QPageSize(QPageSize::A4));
        printer->setPageOrientation(QPageLayout::Portrait);
        printer->setOutputFileName(dir_.filePath(name));
        return printer;
    }

private slots:
    void init()
    {
        messages_.clear();
        SetMessageBoxHook([this](QWidget*, const QString& text, const QString& caption, int) {
            messages_ << caption + "|" + text;
            return int(idOk);
        });
    }
    void cleanup()
    {
        SetMessageBoxHook({});
        SetPrintDialogHook({});
        view_.reset();
        doc_.reset();
    }

    void printedPdfHoldsTheDocumentsRows()
    {
        OBufferView& view = Open(0x1234, 16 * 130);
        auto printer = PdfPrinter(QStringLiteral("out.pdf"));
        OPrintSetup setup{.programName = "Dravel 97"};
        int dialogs = 0, offeredMax = 0;
        QString offeredName;
        SetPrintDialogHook([&](QPrinter& p, int, int maxPage) {
            ++dialogs;
            offeredMax = maxPage;
            offeredName = p.outputFileName();
            p.setOutputFileName(dir_.filePath(QStringLiteral("out.pdf")));
            return true;
        });
        RunPrint(*printer, setup, &view, nullptr);
        QCOMPARE(dialogs, 1);
        QVERIFY(offeredName.endsWith(QStringLiteral("/dump.pdf")));

        const QStringList pages = PdfPages(dir_.filePath(QStringLiteral("out.pdf")));
        QCOMPARE(int(pages.size()), offeredMax);
        QVERIFY(offeredMax >= 2);
        QStringList rows;
        static const QRegularExpression address(QStringLiteral("^[0-9a-f]{8} "));
        for (int p = 0; p < pages.size(); ++p) {
            QStringList lines;
            for (const QString& line : pages[p].split(QLatin1Char('\n')))
                if (!line.trimmed().isEmpty())
                    lines << line.simplified();
            QCOMPARE(lines.first(), QStringLiteral("file : ") + QString::fromStdString(doc_->Path()));
            QCOMPARE(lines.last(), QStringLiteral("Dravel 97 page %1 of %2").arg(p + 1).arg(pages.size()));
            for (const QString& line : lines)
                if (address.match(line).hasMatch())
                    rows << line;
        }
        QCOMPARE(rows, ExpectedRows());
        QVERIFY(messages_.isEmpty());

        // A cancelled dialog prints nothing.
        SetPrintDialogHook([&](QPrinter& p, int, int) {
            p.setOutputFileName(dir_.filePath(QStringLiteral("cancelled.pdf")));
            return false;
        });
        RunPrint(*printer, setup, &view, nullptr);
        QVERIFY(!QFile::exists(dir_.filePath(QStringLiteral("cancelled.pdf"))));
    }

    void pageTooSmallIsReportedOnce()
    {
        OBufferView& view = Open(0, 16 * 500);
        auto printer = PdfPrinter(QStringLiteral("small.pdf"));
        QVERIFY(printer->setPageSize(QPageSize(QSizeF(60, 24), QPageSize::Millimeter)));
        OPrintSetup setup;
        SetPrintDialogHook([this](QPrinter& p, int, int maxPage) {
            p.setOutputFileName(dir_.filePath(QStringLiteral("small.pdf")));
            return maxPage == 1;
        });
        RunPrint(*printer, setup, &view, nullptr);
        QCOMPARE(messages_, QStringList({"Print error|unable to fit text on the page"}));
        QCOMPARE(setup.maxPage, 1);
        QVERIFY(QFile::exists(dir_.filePath(QStringLiteral("small.pdf"))));

        // The preview reports it once too, after the paint, however often
        // the page is drawn.
        TApxPrintout printout(QStringLiteral("Print Preview"), &view, setup);
        TApxPreviewWin preview(QStringLiteral("Dravel 97"), printout, setup, PrinterFigures(*printer), {});
        preview.show();
        QVERIFY(QTest::qWaitForWindowExposed(&preview));
        preview.FirstPage()->repaint();
        preview.FirstPage()->repaint();
        QTRY_COMPARE(messages_.size(), 2);
        QTest::qWait(50);
        QCOMPARE(messages_.size(), 2);
        QVERIFY(!preview.Action(CmPreviewNext)->isEnabled());
    }

    void previewToolbarPagesAndKeys()
    {
        OBufferView& view = Open(0, 16 * 150);
        auto printer = PdfPrinter(QStringLiteral("unused.pdf"));
        OPrintSetup setup;
        TApxPrintout printout(QStringLiteral("Print Preview"), &view, setup);
        int prints = 0;
        TApxPreviewWin preview(QStringLiteral("Dravel 97"), printout, setup, PrinterFigures(*printer),
                               [&] { ++prints; });
        QCOMPARE(preview.windowTitle(), QStringLiteral("Dravel 97 (Preview)"));
        QStringList order;
        for (QAction* action : preview.findChild<QToolBar*>()->actions()) {
            QWidget* widget = preview.findChild<QToolBar*>()->widgetForAction(action);
            if (action->data().isValid())
                order << action->data().toString();
            else if (auto* label = qobject_cast<QLabel*>(widget))
                order << label->objectName();
            else
                order << QString::number(widget->width());
        }
        QCOMPARE(order, QStringList({"24500", "24501", "6", "24502", "24503", "12", "24504", "12", "250", "251",
                                     "252", "253", "20", "24337", "20", "24505"}));
        QCOMPARE(setup.maxPage, 3);
        QCOMPARE(preview.PageText(), QStringLiteral("Page 1"));
        QVERIFY(!preview.Action(CmPreviewPrevious)->isEnabled());
        QVERIFY(preview.Action(CmPreviewNext)->isEnabled());

        preview.resize(900, 700);
        preview.show();
        QVERIFY(QTest::qWaitForWindowExposed(&preview));
        preview.Command(CmPreviewNext);
        preview.Command(CmPreviewNext);
        QCOMPARE(preview.FirstPage()->PageNumber(), 3);
        preview.Command(CmPreviewTwoPages);
        QCOMPARE(preview.PageText(), QStringLiteral("Page 2 - 3"));
        QVERIFY(preview.SecondPage());
        QCOMPARE(preview.SecondPage()->geometry().left(), preview.FirstPage()->geometry().right() + 1 + 30);
        // The pages are drawn: dark text on the white sheet.
        const QImage image = preview.SecondPage()->grab().toImage();
        int dark = 0;
        for (int y = 2; y < image.height() - 2; ++y)
            for (int x = 2; x < image.width() - 2; ++x)
                dark += qGray(image.pixel(x, y)) < 128;
        QVERIFY(dark > 100);
        preview.Command(CmPreviewOnePage);
        QCOMPARE(preview.PageText(), QStringLiteral("Page 2"));
        QVERIFY(!preview.SecondPage());
        preview.Action(CmPreviewPrint)->trigger();
        QCOMPARE(prints, 1);

        int finished = 0;
        connect(&preview, &TApxPreviewWin::finished, this, [&] { ++finished; });
        preview.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&preview));
        QTest::keyClick(&preview, Qt::Key_C, Qt::AltModifier);
        QCOMPARE(finished, 1);
        preview.show();
        preview.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&preview));
        QTest::keyClick(&preview, Qt::Key_Escape);
        QCOMPARE(finished, 2);

        // Landscape pages come one at a time.
        printer->setPageOrientation(QPageLayout::Landscape);
        TApxPreviewWin wide(QStringLiteral("Dravel 97"), printout, setup, PrinterFigures(*printer), {});
        QVERIFY(!wide.Action(CmPreviewTwoPages)->isEnabled());
        wide.Command(CmPreviewTwoPages);
        QVERIFY(!wide.SecondPage());
    }

    void previewCommandStandsInForTheMainWindow()
    {
        qputenv("XDG_DATA_HOME", dir_.filePath("xdg").toUtf8());
        qputenv("XDG_CONFIG_HOME", dir_.filePath("config").toUtf8());
        InitProgramPaths(dir_.filePath("dravel").toStdString());
        OQtDocumentHost::SetNewBufferHook([](AddressRequest&) { return false; });
        QFile file(dir_.filePath("prog.bin"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(4096, 'x'));
        file.close();
        auto app = std::make_unique<TTovikApp>();
        app->InitInstance({});
        TDecoratedMDIFrame* frame = app->MainWindow();
        QVERIFY(!frame->Action(CmFilePrintPreview)->isEnabled());
        app->OpenPendingFiles({file.fileName().toStdString()});
        QTRY_VERIFY(frame->Action(CmFilePrintPreview)->isEnabled());
        QVERIFY(frame->Action(CmFilePrint)->isEnabled());
        QVERIFY(frame->Action(CmFilePrintSetup)->isEnabled());

        bool hidden = false;
        QString title;
        QTimer poll;
        int tries = 0;
        connect(&poll, &QTimer::timeout, this, [&] {
            TApxPreviewWin* preview = nullptr;
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* p = qobject_cast<TApxPreviewWin*>(w); p && p->isVisible())
                    preview = p;
            if (!preview)
                return;
            preview->activateWindow();
            if (QApplication::activeWindow() != preview && ++tries < 40)
                return;
            poll.stop();
            hidden = !frame->isVisible();
            title = preview->windowTitle();
            preview->setGeometry(QRect(40, 50, 700, 500));
            QTest::keyClick(preview, Qt::Key_Escape);
        });
        poll.start(50);
        app->Command(CmFilePrintPreview);
        QVERIFY(hidden);
        QCOMPARE(title, QStringLiteral("Dravel 97 (Preview)"));
        QVERIFY(frame->isVisible());
        QCOMPARE(frame->geometry(), QRect(40, 50, 700, 500));
        QCOMPARE(app->PrintJobs, 0);
        app.reset();
        OQtDocumentHost::SetNewBufferHook({});
    }
};

QTEST_MAIN(PrintTest)
#include "print_test.moc"
