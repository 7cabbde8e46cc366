#include "view/hex_layout.h"

#include <gtest/gtest.h>

using namespace hexlayout;

TEST(HexLayout, InitialWidthsShareTheSpareRoomOrFallBackToNinths)
{
    // 20 for the scroll bar, 71 cells of 8 and 30 spare: 10 more per column.
    auto w = InitialColumnWidths(20 + 71 * 8 + 30, 8);
    ASSERT_TRUE(w);
    EXPECT_EQ(w->address, 8 * 8 + 10);
    EXPECT_EQ(w->hex, 47 * 8 + 10);
    EXPECT_EQ(w->ascii, 16 * 8 + 10);

    // Exactly 71 cells leave nothing spare: proportional widths.
    w = InitialColumnWidths(20 + 71 * 8, 8);
    ASSERT_TRUE(w);
    const int32_t ninth = 71 * 8 / 9;
    EXPECT_EQ(w->address, ninth);
    EXPECT_EQ(w->hex, ninth * 6);
    EXPECT_EQ(w->ascii, ninth * 2);

    // Narrower than the scroll bar: nothing yet, the next size event retries.
    EXPECT_FALSE(InitialColumnWidths(19, 8));
    EXPECT_TRUE(InitialColumnWidths(20, 8));
}

TEST(HexLayout, RowAreaLeavesRoomForHeaderScrollerAndInformationPanel)
{
    const VRect client{0, 0, 700, 500};
    ViewLayout with = ComputeLayout(client, 22, 70, 390, true);
    EXPECT_EQ(with.rows, (VRect{0, 23, 679, 450}));
    EXPECT_EQ(with.scroller, (VRect{680, 23, 700, 450}));
    EXPECT_EQ(with.info, (VRect{0, 450, 700, 499}));
    EXPECT_EQ(with.hexX, 70);
    EXPECT_EQ(with.asciiX, 460);
    EXPECT_EQ(with.asciiWidth, 679 - 460);

    ViewLayout without = ComputeLayout(client, 22, 70, 390, false);
    EXPECT_EQ(without.rows.Height(), with.rows.Height() + kInfoHeight);
    EXPECT_EQ(without.scroller.bottom, 500);
    EXPECT_EQ(without.info.Height(), 0);
}

TEST(HexLayout, HexTextIsCutAtWholeByteCells)
{
    // A full column holds 47 characters ("XX" and blank times 16, less one).
    EXPECT_EQ(HexFit(0, 47 * 8 + 1, 8), 47);
    EXPECT_EQ(HexFit(0, 47 * 8, 8), 44);  // one pixel short: the last byte goes
    EXPECT_EQ(HexFit(0, 10 * 8 + 1, 8), 8);
    EXPECT_EQ(HexFit(0, 9 * 8 + 1, 8), 8);
    EXPECT_EQ(HexFit(0, 8 * 8 + 1, 8), 8);
    EXPECT_EQ(HexFit(0, 7 * 8 + 1, 8), 5);
    // Less than one byte's two digits: nothing at all, never half a byte.
    EXPECT_EQ(HexFit(0, 1 * 8 + 1, 8), 0);
    EXPECT_EQ(HexFit(0, 0, 8), 0);
    EXPECT_EQ(HexFit(100, 50, 8), 0);

    EXPECT_EQ(AsciiFit(0, 16 * 8, 8), 16);
    EXPECT_EQ(AsciiFit(0, 16 * 8 - 1, 8), 15);
    EXPECT_EQ(AsciiFit(10, 0, 8), 0);
    EXPECT_EQ(VisibleRows(VRect{0, 10, 10, 10 + 16 * 5 + 15}, 16), 5);
    EXPECT_EQ(VisibleRows(VRect{0, 10, 10, 5}, 16), 0);
}

TEST(HexLayout, InformationPanelHoldsBothLinesOfItsFont)
{
    // The usual font keeps the panel as it was; a large or scaled one grows it.
    EXPECT_EQ(InfoHeight(16), kInfoHeight);
    EXPECT_EQ(InfoSecondLineY(16), 24);
    for (int32_t line : {16, 24, 34, 60}) {
        EXPECT_GE(InfoSecondLineY(line), 6 + line);
        EXPECT_LE(InfoSecondLineY(line) + line, InfoHeight(line) - 4) << line;
    }
    const ViewLayout l = ComputeLayout({0, 0, 600, 400}, 20, 70, 380, true, InfoHeight(34));
    EXPECT_EQ(l.info.Height(), InfoHeight(34) - 1);
    EXPECT_EQ(l.rows.bottom, 400 - InfoHeight(34));
}
