#pragma once
// The page layout of the printed hex dump: a header with the file name, the
// logo and a rule; rows of an address, sixteen hex bytes and their
// characters; a footer with the program's name, "page n of m" and a rule.
// Everything here is arithmetic on the figures a device reports; the device
// itself (printer, preview, image, a test's recorder) only measures fonts
// and draws what it is told.

#include "buffer/address.h"
#include "document/byte_marks.h"

#include <cstdint>
#include <string>
#include <string_view>

class OBufferDocument;

// The part of the printer's dialog data the layout reads and writes.
struct OPrintSetup {
    // The page being printed; -1 in either means page 1.
    int32_t fromPage = -1;
    int32_t toPage = -1;
    int32_t minPage = 1;
    int32_t maxPage = 1;
    // Hundredths of a millimetre: 20 mm on the left, 10 mm elsewhere.
    int32_t marginLeft = 2000;
    int32_t marginTop = 1000;
    int32_t marginRight = 1000;
    int32_t marginBottom = 1000;
    // The name the footer begins with: the program's, given by its shell.
    std::string programName;
};

// What a device reports of itself.
struct OPageDeviceFigures {
    // The drawable page in device pixels and in millimetres.
    int32_t horzRes = 0;
    int32_t vertRes = 0;
    double horzSizeMm = 0;
    double vertSizeMm = 0;
    // Bitmaps can be drawn (the logo is left out otherwise).
    bool canBlit = true;
    // Logical units per device pixel, for each axis.
    double logicalPerDeviceX = 1;
    double logicalPerDeviceY = 1;
};

struct OPageFontMetrics {
    int32_t lineHeight = 0;
    // Width of fifty blanks, so the character width keeps its fraction.
    int32_t blanksWidth = 0;
};

// Drawing and measuring in logical units. Text is placed by the top left
// corner of its line; row texts are bytes of the program's code page, other
// texts (the file name) UTF-8.
class OPageDevice {
public:
    virtual ~OPageDevice() = default;
    virtual OPageDeviceFigures Figures() const = 0;
    // Makes the dump's font `height` units high the current one and measures it.
    virtual OPageFontMetrics SelectFont(int32_t height) = 0;
    virtual int32_t TextWidth(std::string_view text) = 0;
    virtual void Text(int32_t x, int32_t y, std::string_view text, bool rowBytes) = 0;
    // Row bytes drawn marked over the cells `Text` drew them in; devices
    // that cannot mark draw them again plainly.
    virtual void MarkedText(int32_t x, int32_t y, int32_t width, std::string_view text)
    {
        (void)width;
        Text(x, y, text, true);
    }
    virtual void Line(int32_t x1, int32_t y1, int32_t x2, int32_t y2) = 0;
    // The logo scaled into the rectangle.
    virtual void Logo(int32_t x, int32_t y, int32_t width, int32_t height) = 0;
};

class OHexDumpPage {
public:
    static constexpr int32_t kLogoWidth = 260;
    static constexpr int32_t kLogoHeight = 50;
    static constexpr int32_t kLargestFont = 20;
    static constexpr int32_t kSmallestFont = 6;
    // Eight address digits, two blanks, 16 "XX " cells, a blank, 16 characters.
    static constexpr int32_t kLineChars = 75;
    static constexpr const char* kNoFitText = "unable to fit text on the page";
    static constexpr const char* kNoFitCaption = "Print error";

    // Lays the page out for a page `pageWidth` x `pageHeight` logical units
    // and writes the page range 1..PageCount() into `setup`.
    OHexDumpPage(OPageDevice& device, OBufferDocument& document, int32_t pageWidth,
                 int32_t pageHeight, OPrintSetup& setup);

    // Draws the page the setup's from page names; false, drawing nothing,
    // when not one line fits.
    bool DrawPage();
    // Bytes drawn marked on the page; none by default.
    void SetMarks(const OByteMarks* marks) { marks_ = marks; }

    int32_t FontHeight() const { return fontHeight_; }
    int32_t LineHeight() const { return lineHeight_; }
    double CharWidth() const { return charWidth_; }
    int32_t LinesPerPage() const { return linesPerPage_; }
    int32_t PageCount() const { return pageCount_; }
    int32_t MarginLeft() const { return left_; }
    int32_t MarginTop() const { return top_; }
    int32_t MarginRight() const { return right_; }
    int32_t MarginBottom() const { return bottom_; }

    // Pages for a dump of `size` bytes from `start` at `linesPerPage` rows a
    // page: from the row of the first byte to the row of the last, at least
    // one page, and one page when not a single line fits.
    static int32_t CountPages(Address start, Address size, int32_t linesPerPage);

private:
    void DrawRows(Address firstRow);
    void DrawMarks(int64_t row, int32_t y, const char* hex, int32_t hexEnd, const char* ascii, int32_t asciiEnd,
                   int32_t skipped);

    OPageDevice& device_;
    OBufferDocument& document_;
    int32_t pageWidth_;
    int32_t pageHeight_;
    OPrintSetup& setup_;
    const OByteMarks* marks_ = nullptr;
    bool canBlit_ = true;
    int32_t fontHeight_ = kLargestFont;
    int32_t lineHeight_ = 0;
    double charWidth_ = 0;
    int32_t linesPerPage_ = 0;
    int32_t pageCount_ = 1;
    int32_t left_ = 0;
    int32_t top_ = 0;
    int32_t right_ = 0;
    int32_t bottom_ = 0;
};
