#pragma once
// The hex dump page's device on a QPainter: the dump's font at a height in
// logical units, text placed by the top of its line, rules and the logo.
// Without a painter it only measures, which is all counting pages needs.

#include "print/hex_dump_page.h"

#include <QFont>
#include <QImage>
#include <QString>

class QPainter;
class QPrinter;

// Logical units of a printed page: 96 to the inch, a screen pixel, so that
// the pages have the same layout on paper, in a PDF and in the preview.
inline constexpr double kPageUnitsPerInch = 96.0;

// The figures of the printer's whole sheet at its resolution.
OPageDeviceFigures PrinterFigures(const QPrinter& printer);
// The setup's margins as the printer's page layout holds them.
void TakePrinterMargins(const QPrinter& printer, OPrintSetup& setup);
// The sheet's size in logical units.
QSize LogicalPageSize(const OPageDeviceFigures& figures);

// Resource 500: the monochrome logo of the page header, 260 x 50.
const QImage& HexDumpLogo();

class OQtPageDevice : public OPageDevice {
public:
    OQtPageDevice(QPainter* painter, const OPageDeviceFigures& figures, QString family);

    OPageDeviceFigures Figures() const override { return figures_; }
    OPageFontMetrics SelectFont(int32_t height) override;
    int32_t TextWidth(std::string_view text) override;
    void Text(int32_t x, int32_t y, std::string_view text, bool rowBytes) override;
    void MarkedText(int32_t x, int32_t y, int32_t width, std::string_view text) override;
    void Line(int32_t x1, int32_t y1, int32_t x2, int32_t y2) override;
    void Logo(int32_t x, int32_t y, int32_t width, int32_t height) override;

    const QFont& Font() const { return font_; }

private:
    QPainter* painter_;
    OPageDeviceFigures figures_;
    QString family_;
    QFont font_;
    double ascent_ = 0;
    double lineHeight_ = 0;
};
