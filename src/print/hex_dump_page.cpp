#include "print/hex_dump_page.h"

#include "document/buffer_document.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

int32_t Trunc(double value) { return static_cast<int32_t>(value); }

}  // namespace

OHexDumpPage::OHexDumpPage(OPageDevice& device, OBufferDocument& document, int32_t pageWidth,
                           int32_t pageHeight, OPrintSetup& setup)
    : device_(device), document_(document), pageWidth_(pageWidth), pageHeight_(pageHeight),
      setup_(setup)
{
    const OPageDeviceFigures f = device_.Figures();
    canBlit_ = f.canBlit;

    // Margins are kept in hundredths of a millimetre; the device's own
    // resolution turns them into pixels, and those into logical units.
    const double perMmX = f.horzSizeMm > 0 ? f.horzRes / f.horzSizeMm : 0;
    const double perMmY = f.vertSizeMm > 0 ? f.vertRes / f.vertSizeMm : 0;
    const auto toLogical = [](int32_t pixels, double factor) {
        return static_cast<int32_t>(std::lround(pixels * factor));
    };
    left_ = toLogical(Trunc(setup_.marginLeft * perMmX * 0.01), f.logicalPerDeviceX);
    top_ = toLogical(Trunc(setup_.marginTop * perMmY * 0.01), f.logicalPerDeviceY);
    right_ = toLogical(Trunc(setup_.marginRight * perMmX * 0.01), f.logicalPerDeviceX);
    bottom_ = toLogical(Trunc(setup_.marginBottom * perMmY * 0.01), f.logicalPerDeviceY);

    // The largest font from 20 down to 6 whose 75-character line fits the
    // printable width; when none does, the smallest is used all the same.
    const int32_t printableWidth = pageWidth_ - left_ - right_;
    for (fontHeight_ = kLargestFont;; --fontHeight_) {
        const OPageFontMetrics m = device_.SelectFont(fontHeight_);
        lineHeight_ = std::max(1, m.lineHeight);
        charWidth_ = m.blanksWidth / 50.0;
        if (fontHeight_ == kSmallestFont || printableWidth >= kLineChars * charWidth_)
            break;
    }

    const int32_t printableHeight = pageHeight_ - top_ - bottom_;
    linesPerPage_ = static_cast<int32_t>(std::lround(double(printableHeight) / lineHeight_)) - 3;
    pageCount_ = CountPages(document_.Start(), document_.Size(), linesPerPage_);
    setup_.minPage = 1;
    setup_.maxPage = pageCount_;
}

int32_t OHexDumpPage::CountPages(Address start, Address size, int32_t linesPerPage)
{
    if (linesPerPage < 1 || size <= 0)
        return 1;
    const Address first = start / OBufferDocument::kBytesPerRow;
    const Address last = (start + size - 1) / OBufferDocument::kBytesPerRow;
    const Address rows = last - first + 1;
    return static_cast<int32_t>((rows + linesPerPage - 1) / linesPerPage);
}

bool OHexDumpPage::DrawPage()
{
    if (linesPerPage_ < 1)
        return false;
    const int32_t page = setup_.fromPage < 1 ? 1 : setup_.fromPage;
    const int32_t lh = lineHeight_;
    const int32_t rightEdge = pageWidth_ - right_;

    const std::string& path = document_.Path();
    const std::string header = "file : " + (path.empty() ? document_.Title() : path);
    device_.Text(left_, top_, header, false);
    if (canBlit_) {
        const int32_t width = kLogoWidth * lh / kLogoHeight;
        device_.Logo(rightEdge - width, top_, width, lh);
    }
    const int32_t headerRule = Trunc(top_ + 1.25 * lh);
    device_.Line(left_, headerRule, rightEdge, headerRule);

    DrawRows(document_.Start() / OBufferDocument::kBytesPerRow + Address{page - 1} * linesPerPage_);

    const int32_t footerY = top_ + (linesPerPage_ + 2) * lh;
    device_.Text(left_, footerY, setup_.programName, false);
    char text[48];
    const int length = std::snprintf(text, sizeof text, "page %d of %d", int(page), int(pageCount_));
    const std::string_view pageText(text, size_t(std::max(0, length)));
    device_.Text(rightEdge - device_.TextWidth(pageText), footerY, pageText, false);
    const int32_t footerRule = Trunc(top_ + (linesPerPage_ + 1.75) * lh);
    device_.Line(left_, footerRule, rightEdge, footerRule);
    return true;
}

void OHexDumpPage::DrawRows(Address firstRow)
{
    // An empty buffer has no rows; asking for one would try to load the
    // file again, which a printout must never do.
    if (document_.Size() <= 0)
        return;
    constexpr Address kLastRow = Address{0xFFFFFFFF} / OBufferDocument::kBytesPerRow;
    char hex[OBufferDocument::kHexRowSize];
    char ascii[OBufferDocument::kAsciiRowSize];
    char address[16];
    const int32_t rowsTop = Trunc(top_ + 1.5 * lineHeight_);
    const int32_t hexX = Trunc(left_ + 10 * charWidth_);
    const int32_t asciiX = Trunc(left_ + 59 * charWidth_);
    for (int32_t j = 0; j < linesPerPage_; ++j) {
        const Address row = firstRow + j;
        if (row > kLastRow)
            break;
        int32_t n = document_.HexRow(hex, row);
        if (n == 0)
            break;
        const int32_t skipped = n < 0 ? document_.OutsideCount() : 0;
        n = std::abs(n);
        const int32_t y = rowsTop + j * lineHeight_;
        std::snprintf(address, sizeof address, "%08x", unsigned(row * OBufferDocument::kBytesPerRow));
        device_.Text(left_, y, std::string_view(address, 8), false);
        // The blank after the last byte is not part of what is shown.
        const int32_t hexEnd = n > 0 && hex[n - 1] == ' ' ? n - 1 : n;
        if (hexEnd > 3 * skipped)
            device_.Text(Trunc(hexX + 3 * skipped * charWidth_), y,
                         std::string_view(hex + 3 * skipped, size_t(hexEnd - 3 * skipped)), true);
        const int32_t m = std::abs(document_.AsciiRow(ascii, row));
        if (m > skipped)
            device_.Text(Trunc(asciiX + skipped * charWidth_), y,
                         std::string_view(ascii + skipped, size_t(m - skipped)), true);
        if (marks_)
            DrawMarks(row, y, hex, hexEnd, ascii, m, skipped);
    }
}

void OHexDumpPage::DrawMarks(int64_t row, int32_t y, const char* hex, int32_t hexEnd, const char* ascii,
                             int32_t asciiEnd, int32_t skipped)
{
    const uint16_t marks = marks_->RowMarks(row * OBufferDocument::kBytesPerRow);
    const double hexX = left_ + 10 * charWidth_, asciiX = left_ + 59 * charWidth_;
    for (int32_t i = skipped; i < OBufferDocument::kBytesPerRow && marks; ++i) {
        if (!(marks & (1u << i)))
            continue;
        if (3 * i + 2 <= hexEnd)
            device_.MarkedText(Trunc(hexX + 3 * i * charWidth_), y, Trunc(2 * charWidth_ + 0.5),
                               std::string_view(hex + 3 * i, 2));
        if (i < asciiEnd)
            device_.MarkedText(Trunc(asciiX + i * charWidth_), y, Trunc(charWidth_ + 0.5),
                               std::string_view(ascii + i, 1));
    }
}
