#include "view/hex_layout.h"

#include <algorithm>

namespace hexlayout {

std::optional<ColumnWidths> InitialColumnWidths(int32_t clientWidth, int32_t charW)
{
    const int32_t w = clientWidth - kScrollerWidth;
    if (w < 0)
        return std::nullopt;
    charW = std::max(charW, 1);
    const int64_t spare = int64_t(w) - int64_t(kRowCells) * charW;
    if (spare > 0) {
        const int32_t extra = int32_t(spare / 3);
        return ColumnWidths{kAddressCells * charW + extra, kHexCells * charW + extra,
                            kAsciiCells * charW + extra};
    }
    const int32_t ninth = w / 9;
    return ColumnWidths{ninth, ninth * 6, ninth * 2};
}

int32_t InfoSecondLineY(int32_t lineHeight)
{
    return std::max(24, 6 + lineHeight + 2);
}

int32_t InfoHeight(int32_t lineHeight)
{
    return std::max(kInfoHeight, InfoSecondLineY(lineHeight) + lineHeight + 8);
}

ViewLayout ComputeLayout(const VRect& client, int32_t headerHeight, int32_t addressWidth,
                         int32_t hexWidth, bool showInfo, int32_t infoHeight)
{
    ViewLayout l;
    l.header = {client.left, client.top, client.right, client.top + headerHeight};
    const int32_t info = showInfo ? infoHeight : 0;
    l.rows = client;
    l.rows.top += headerHeight + 1;
    l.rows.bottom -= info;
    l.rows.right = client.right - kScrollerWidth - 1;
    if (showInfo)
        l.info = {client.left, client.bottom - infoHeight, client.right, client.bottom - 1};
    l.scroller = {client.right - kScrollerWidth, l.rows.top, client.right, client.bottom - info};
    l.hexX = client.left + addressWidth;
    l.asciiX = l.hexX + hexWidth;
    l.asciiWidth = l.rows.right - l.asciiX;
    return l;
}

int32_t HexFit(int32_t hexX, int32_t asciiX, int32_t charW)
{
    const int32_t c = (asciiX - hexX - 1) / std::max(charW, 1);
    if (c < 2)
        return 0;
    return ((c - 2) / 3) * 3 + 2;
}

int32_t AsciiFit(int32_t asciiX, int32_t right, int32_t charW)
{
    return std::max(0, (right - asciiX) / std::max(charW, 1));
}

int32_t VisibleRows(const VRect& rows, int32_t rowHeight)
{
    return std::max(0, rows.Height() / std::max(rowHeight, 1));
}

}  // namespace hexlayout
