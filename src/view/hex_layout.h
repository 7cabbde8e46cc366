#pragma once
// Geometry of the hex view: where the header, the row area, the scroll bar
// and the information panel go, how wide the three columns start, and how
// much of a row's text fits into a column. Pure arithmetic on integers, so
// the view model and the tests share it without a window.

#include <cstdint>
#include <optional>

// A rectangle with exclusive right and bottom edges.
struct VRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    int32_t Width() const { return right - left; }
    int32_t Height() const { return bottom - top; }
    bool operator==(const VRect&) const = default;
};

namespace hexlayout {

// Character cells of a full row: address, "XX " times sixteen less the last
// blank, and sixteen characters.
constexpr int32_t kAddressCells = 8;
constexpr int32_t kHexCells = 47;
constexpr int32_t kAsciiCells = 16;
constexpr int32_t kRowCells = kAddressCells + kHexCells + kAsciiCells;
constexpr int32_t kScrollerWidth = 20;
constexpr int32_t kInfoHeight = 50;

// The information panel's two lines for a font `lineHeight` pixels high:
// where the second one starts, and the panel's height (never less than
// kInfoHeight), so a large font or a scaled screen shows both lines whole.
int32_t InfoSecondLineY(int32_t lineHeight);
int32_t InfoHeight(int32_t lineHeight);

struct ColumnWidths {
    int32_t address = 0;
    int32_t hex = 0;
    int32_t ascii = 0;
};

// The header's starting widths for a client `clientWidth` wide: the three
// columns at their natural size with the spare room shared out, or
// proportional widths when the 71 cells do not fit. None while the window is
// narrower than the scroll bar, so the next size event tries again.
std::optional<ColumnWidths> InitialColumnWidths(int32_t clientWidth, int32_t charW);

struct ViewLayout {
    VRect header;
    VRect rows;
    VRect scroller;
    VRect info;  // empty when the panel is not shown
    int32_t hexX = 0;
    int32_t asciiX = 0;
    // Width the last header column is stretched to, reaching the row area's
    // right edge.
    int32_t asciiWidth = 0;
};

ViewLayout ComputeLayout(const VRect& client, int32_t headerHeight, int32_t addressWidth,
                         int32_t hexWidth, bool showInfo, int32_t infoHeight = kInfoHeight);

// Characters of the hex text that fit between hexX and asciiX, rounded down
// to whole "XX" cells (3j + 2), so a cut never leaves half a byte.
int32_t HexFit(int32_t hexX, int32_t asciiX, int32_t charW);
// Characters of the character text that fit between asciiX and `right`.
int32_t AsciiFit(int32_t asciiX, int32_t right, int32_t charW);
// Whole rows of `rowHeight` in the row area.
int32_t VisibleRows(const VRect& rows, int32_t rowHeight);

}  // namespace hexlayout
