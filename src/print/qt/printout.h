#pragma once
// One print job or preview of a view's hex dump. Each page is drawn by the
// view's print path on a painter mapped to the page's logical units, so
// printer, PDF and preview share the drawing. A page too small for one line
// is reported once per job, not once per page or repaint.

#include "print/hex_dump_page.h"

#include <QPointer>
#include <QString>

class OBufferView;
class QPainter;
class QPrinter;
class QWidget;

class TApxPrintout {
public:
    TApxPrintout(QString title, OBufferView* view, OPrintSetup& setup);

    const QString& Title() const { return title_; }
    OBufferView* View() const;

    // Draws page `page` with `painter` already mapped to logical units; the
    // setup names that page while it is drawn. False when nothing fitted.
    bool PrintPage(QPainter& painter, const OPageDeviceFigures& figures, int32_t page);
    // Lays the dump out for `figures` without drawing: the page range it
    // writes into the setup. The page count.
    int32_t CountPages(const OPageDeviceFigures& figures);

    // The preview draws inside paint events, where a modal message box must
    // not open: its report waits until the paint is over.
    void SetDeferredReports(bool deferred) { deferReports_ = deferred; }

    // Prints the pages the printer's range names (all when none) on it.
    // False when the printer could not be started.
    bool Print(QPrinter& printer);

private:
    QString title_;
    QPointer<OBufferView> view_;
    OPrintSetup& setup_;
    bool reported_ = false;
    bool deferReports_ = false;
};
