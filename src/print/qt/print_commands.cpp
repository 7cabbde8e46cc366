#include "print/qt/print_commands.h"

#include "document/buffer_document.h"
#include "print/qt/page_device.h"
#include "print/qt/preview_win.h"
#include "print/qt/printout.h"
#include "view/qt/buffer_view.h"

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QMainWindow>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

namespace {

PrintDialogHook& DialogHook()
{
    static PrintDialogHook hook;
    return hook;
}

QString JobTitle(OBufferView& view)
{
    const std::string& title = view.Document().Title();
    return title.empty() ? QStringLiteral("Document") : QString::fromStdString(title);
}

}  // namespace

void SetPrintDialogHook(PrintDialogHook hook) { DialogHook() = std::move(hook); }

std::unique_ptr<QPrinter> MakeAppPrinter()
{
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    if (QPrinterInfo::defaultPrinter().isNull())
        printer->setOutputFormat(QPrinter::PdfFormat);
    // The hex dump page places everything from the sheet's corner and keeps
    // the margins itself; the page setup dialog still edits them.
    printer->setFullPage(true);
    const OPrintSetup defaults;
    printer->setPageMargins(QMarginsF(defaults.marginLeft / 100.0, defaults.marginTop / 100.0,
                                      defaults.marginRight / 100.0, defaults.marginBottom / 100.0),
                            QPageLayout::Millimeter);
    return printer;
}

void RunPrint(QPrinter& printer, OPrintSetup& setup, OBufferView* view, QWidget* parent)
{
    if (!view)
        return;
    TApxPrintout printout(JobTitle(*view), view, setup);
    TakePrinterMargins(printer, setup);
    const int32_t pages = printout.CountPages(PrinterFigures(printer));
    if (printer.outputFormat() == QPrinter::PdfFormat) {
        // The dialog offers a PDF named after the document.
        const QString base = QFileInfo(printout.Title()).completeBaseName();
        printer.setOutputFileName(QDir::current().absoluteFilePath((base.isEmpty() ? printout.Title() : base) +
                                                                   QStringLiteral(".pdf")));
    }
    printer.setPrintRange(QPrinter::AllPages);
    printer.setFromTo(0, 0);
    bool accepted;
    if (DialogHook()) {
        accepted = DialogHook()(printer, 1, pages);
    } else {
        QPrintDialog dialog(&printer, parent);
        dialog.setWindowTitle(QStringLiteral("Print"));
        dialog.setMinMax(1, pages);
        dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
        dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
        dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
        accepted = dialog.exec() == QDialog::Accepted;
    }
    if (accepted)
        printout.Print(printer);
}

void RunPrintSetup(QPrinter& printer, QWidget* parent)
{
    QPageSetupDialog dialog(&printer, parent);
    dialog.exec();
}

void RunPrintPreview(QPrinter& printer, OPrintSetup& setup, OBufferView* view, QMainWindow* frame,
                     const std::function<void()>& print)
{
    if (!view || !frame)
        return;
    TApxPrintout printout(QStringLiteral("Print Preview"), view, setup);
    TakePrinterMargins(printer, setup);
    TApxPreviewWin preview(frame->windowTitle(), printout, setup, PrinterFigures(printer), print);
    QEventLoop loop;
    QObject::connect(&preview, &TApxPreviewWin::finished, &loop, &QEventLoop::quit);
    const bool maximized = frame->isMaximized();
    preview.setGeometry(frame->geometry());
    if (maximized)
        preview.showMaximized();
    else
        preview.show();
    frame->hide();
    loop.exec();
    // The main window comes back where the user left the preview.
    const bool previewMaximized = preview.isMaximized();
    const QRect where = preview.geometry();
    preview.hide();
    if (previewMaximized) {
        frame->showMaximized();
    } else {
        frame->setGeometry(where);
        frame->showNormal();
    }
}
