#include "print/qt/printout.h"

#include "dialogs/qt/dialog_services.h"
#include "document/document_host.h"
#include "print/qt/page_device.h"
#include "view/qt/buffer_view.h"

#include <QApplication>
#include <QPainter>
#include <QPrinter>
#include <QTimer>

#include <algorithm>

TApxPrintout::TApxPrintout(QString title, OBufferView* view, OPrintSetup& setup)
    : title_(std::move(title)), view_(view), setup_(setup)
{
}

OBufferView* TApxPrintout::View() const { return view_; }

bool TApxPrintout::PrintPage(QPainter& painter, const OPageDeviceFigures& figures, int32_t page)
{
    if (!view_)
        return false;
    const int32_t from = setup_.fromPage, to = setup_.toPage;
    setup_.fromPage = setup_.toPage = page;
    // The page is drawn in the view's font family, as the rows on screen.
    OQtPageDevice device(&painter, figures, view_->Painter().Font().family());
    const QSize size = LogicalPageSize(figures);
    OHexDumpPage dump(device, view_->Document(), size.width(), size.height(), setup_);
    // Bytes the view marks (a comparison's differences) are marked on paper too.
    dump.SetMarks(view_->Painter().Marks());
    const bool drawn = dump.DrawPage();
    setup_.fromPage = from;
    setup_.toPage = to;
    if (!drawn && !reported_) {
        reported_ = true;
        const auto report = [] {
            ShowMessageBox(QApplication::activeWindow(), QString::fromLatin1(OHexDumpPage::kNoFitText),
                           QString::fromLatin1(OHexDumpPage::kNoFitCaption), mbOk);
        };
        if (deferReports_)
            QTimer::singleShot(0, view_, report);
        else
            report();
    }
    return drawn;
}

int32_t TApxPrintout::CountPages(const OPageDeviceFigures& figures)
{
    if (!view_)
        return 1;
    OQtPageDevice device(nullptr, figures, view_->Painter().Font().family());
    const QSize size = LogicalPageSize(figures);
    return OHexDumpPage(device, view_->Document(), size.width(), size.height(), setup_).PageCount();
}

bool TApxPrintout::Print(QPrinter& printer)
{
    TakePrinterMargins(printer, setup_);
    const OPageDeviceFigures figures = PrinterFigures(printer);
    const int32_t count = CountPages(figures);
    int32_t first = 1, last = count;
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        first = std::max(1, printer.fromPage());
        last = std::min(count, printer.toPage() > 0 ? printer.toPage() : count);
    }
    // A range wholly past the end prints nothing rather than a blank sheet.
    if (first > last)
        return true;
    printer.setDocName(title_);
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    const double scale = printer.resolution() / kPageUnitsPerInch;
    for (int32_t page = first; page <= last; ++page) {
        if (page > first)
            printer.newPage();
        painter.resetTransform();
        painter.scale(scale, scale);
        PrintPage(painter, figures, page);
    }
    return painter.end();
}
