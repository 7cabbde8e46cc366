#include "view/view_model.h"

#include "document/find_request.h"
#include "document/buffer_document.h"
#include "support/recording_host.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Key = OViewModel::Key;

constexpr int32_t kCharW = 8;
constexpr int32_t kRowH = 16;
constexpr int32_t kTop = 20;
constexpr int32_t kHexX = 70;
constexpr int32_t kAsciiX = kHexX + 47 * kCharW + 6;

// A model over a real document with a window of ten rows and full columns.
class ViewModelTest : public ::testing::Test {
protected:
    RecordingHost host;
    OBufferDocument doc{host, "", "bin"};
    OViewModel model{doc};

    void SetUp() override
    {
        model.CharW = kCharW;
        model.RowHeight = kRowH;
        model.HexX = kHexX;
        model.AsciiX = kAsciiX;
        model.RowsRect = {0, kTop, kAsciiX + 16 * kCharW + 10, kTop + 10 * kRowH + 5};
        model.UpdateRows();
    }

    // A buffer of `size` bytes from `start`, each byte its address's low byte.
    void Window(int32_t start, int32_t size, bool pattern = true)
    {
        doc.WriteByte(0xFF, start + size - 1);
        doc.Resize(start, start + size - 1);
        if (pattern)
            for (int32_t a = start; a < start + size; ++a)
                doc.WriteByte(uint8_t(a), a);
        model.UpdateScrollRange(doc.Size());
        model.EnsureCursorVisible();
        model.TakeDamage();
    }

    void Press(Key key, int times = 1)
    {
        for (int i = 0; i < times; ++i)
            model.KeyDown(key);
    }
    void ShiftPress(Key key, int times = 1)
    {
        model.KeyDown(Key::Shift);
        Press(key, times);
        model.KeyUp(Key::Shift);
    }
    void Type(const std::string& text)
    {
        for (char c : text)
            model.Char(uint8_t(c));
    }

    // Centre of the hex digit `digit` (0 or 1) of `address`, or of its character.
    int32_t HexPointX(int32_t address, int digit) const
    {
        return kHexX + (3 * (address % 16) + digit) * kCharW + kCharW / 2;
    }
    int32_t AsciiPointX(int32_t address) const
    {
        return kAsciiX + (address % 16) * kCharW + kCharW / 2;
    }
    int32_t PointY(int32_t address) const
    {
        return kTop + (address / 16 - model.TopRow) * kRowH + kRowH / 2;
    }

    std::string HexText(const RowPlan& p) const { return std::string(p.hex.data(), p.hexLength); }
};

TEST_F(ViewModelTest, BufferStartingInsideARowShowsBlankCellsAndCannotScrollAbove)
{
    Window(0x28, 0x100);
    EXPECT_EQ(model.Cursor, 0x28);  // the start cursor of 0 is clamped
    EXPECT_EQ(model.TopRow, 2);

    RowPlan p;
    model.BuildRow(2, p);
    EXPECT_EQ(std::string(p.address.data()), "00000020");
    EXPECT_EQ(p.skip, 8);
    // Cells before the start are not drawn at all; the first drawn cell is
    // the start byte's, at its own place in the row.
    ASSERT_EQ(p.hexRunCount, 1);
    EXPECT_EQ(p.hexRuns[0].x, kHexX + 3 * 8 * kCharW);
    EXPECT_EQ(p.hexRuns[0].first, 24);
    EXPECT_EQ(std::string(p.hex.data() + 24, p.hexRuns[0].count), "28 29 2A 2B 2C 2D 2E 2F");
    ASSERT_EQ(p.asciiRunCount, 1);
    EXPECT_EQ(p.asciiRuns[0].x, kAsciiX + 8 * kCharW);
    EXPECT_EQ(p.asciiRuns[0].count, 8);

    for (auto a : {OViewModel::ScrollAction::LineUp, OViewModel::ScrollAction::PageUp,
                   OViewModel::ScrollAction::Top}) {
        model.Scroll(a);
        EXPECT_EQ(model.TopRow, 2);
    }
    model.Scroll(OViewModel::ScrollAction::Thumb, 0);
    EXPECT_EQ(model.TopRow, 2);
    // The last data row can come up to the middle of the window, no further.
    model.Scroll(OViewModel::ScrollAction::Bottom);
    EXPECT_EQ(model.TopRow, 2 + 0x10 - model.Rows / 2);
    model.Scroll(OViewModel::ScrollAction::LineDown);
    EXPECT_EQ(model.TopRow, 2 + 0x10 - model.Rows / 2);
    EXPECT_EQ(model.ScrollMin, 2);
    EXPECT_EQ(model.ScrollMax, 2 + 0x10 - model.Rows / 2);

    // Up, Home and Ctrl+Home all stop at the start.
    Press(Key::Up);
    EXPECT_EQ(model.Cursor, 0x28);
    model.Cursor = 0x35;
    Press(Key::Home);
    EXPECT_EQ(model.Cursor, 0x30);
    Press(Key::Up);
    EXPECT_EQ(model.Cursor, 0x28);
}

TEST_F(ViewModelTest, LastRowStopsAfterTheLastByteAndTheCursorMayStandAfterIt)
{
    Window(0, 0x13);
    RowPlan p;
    model.BuildRow(1, p);
    EXPECT_EQ(HexText(p), "10 11 12");  // never ends in a blank
    EXPECT_EQ(p.asciiLength, 3);
    ASSERT_EQ(p.hexRunCount, 1);
    EXPECT_EQ(p.hexRuns[0].count, 8);

    // Rows past the end have neither an address nor cells.
    model.BuildRow(5, p);
    EXPECT_EQ(std::string(p.address.data()), "        ");
    EXPECT_EQ(p.hexLength, 0);
    EXPECT_EQ(p.hexRunCount, 0);
    EXPECT_EQ(p.asciiRunCount, 0);

    model.KeyDown(Key::Ctrl);
    Press(Key::End);
    model.KeyUp(Key::Ctrl);
    EXPECT_EQ(model.Cursor, 0x13);
    Press(Key::Right);
    EXPECT_EQ(model.Cursor, 0x13);
    Press(Key::PageDown);
    EXPECT_EQ(model.Cursor, 0x13);
    // Down needs a whole row up to the end position.
    model.Cursor = 0x04;
    Press(Key::Down);
    EXPECT_EQ(model.Cursor, 0x04);
    model.Cursor = 0x03;
    Press(Key::Down);
    EXPECT_EQ(model.Cursor, 0x13);
    Press(Key::End);  // end of the row is past the buffer: clamped
    EXPECT_EQ(model.Cursor, 0x13);
    Press(Key::Enter);
    EXPECT_EQ(model.Cursor, 0x13);
}

TEST_F(ViewModelTest, HexDigitsReplaceOneHalfEachAndMoveOn)
{
    Window(0, 0x40, false);
    model.Cursor = 0x10;
    Press(Key::Tab);
    ASSERT_FALSE(model.AsciiMode);
    model.TakeDamage();

    Type("4");
    EXPECT_EQ(doc.ReadByte(0x10), 0x4F);
    EXPECT_EQ(model.Cursor, 0x10);
    EXPECT_TRUE(model.LowNibble);
    // A typed byte redraws its own row only.
    ViewDamage d = model.TakeDamage();
    ASSERT_EQ(d.rows.size(), 1u);
    EXPECT_EQ(d.rows[0], (std::pair<Address, Address>{1, 1}));
    EXPECT_FALSE(d.rowArea);

    Type("1");
    EXPECT_EQ(doc.ReadByte(0x10), 0x41);
    EXPECT_EQ(model.Cursor, 0x11);
    EXPECT_FALSE(model.LowNibble);

    Type("a");
    EXPECT_EQ(doc.ReadByte(0x11), 0xAF);
    Type("g");
    Type("\t\r\x08");
    EXPECT_EQ(doc.ReadByte(0x11), 0xAF);
    EXPECT_TRUE(model.LowNibble);
    model.Char(0x141);  // beyond the byte range
    EXPECT_EQ(doc.ReadByte(0x11), 0xAF);
    EXPECT_EQ(model.Cursor, 0x11);
}

TEST_F(ViewModelTest, TypingAfterTheLastByteAppends)
{
    Window(0, 0x10);
    model.Cursor = 0x10;
    Type("Z");
    EXPECT_EQ(doc.Size(), 0x11);
    EXPECT_EQ(doc.ReadByte(0x10), 'Z');
    EXPECT_EQ(model.Cursor, 0x11);

    // In the hex column the missing byte counts as 0.
    Press(Key::Tab);
    model.LowNibble = false;
    Type("7");
    EXPECT_EQ(doc.Size(), 0x12);
    EXPECT_EQ(doc.ReadByte(0x11), 0x70);
    EXPECT_EQ(model.Cursor, 0x11);
}

TEST_F(ViewModelTest, LeftKeepsDigitParityAcrossColumns)
{
    Window(0, 0x40);
    model.Cursor = 0x20;
    Press(Key::Left, 2);
    Press(Key::Tab);
    EXPECT_EQ(model.Cursor, 0x1E);
    EXPECT_FALSE(model.LowNibble);
    Press(Key::Tab);
    Press(Key::Backspace);
    Press(Key::Tab);
    EXPECT_EQ(model.Cursor, 0x1D);
    EXPECT_TRUE(model.LowNibble);
    // In the hex column Left and Right step over digits.
    Press(Key::Left);
    EXPECT_EQ(model.Cursor, 0x1D);
    EXPECT_FALSE(model.LowNibble);
    Press(Key::Left);
    EXPECT_EQ(model.Cursor, 0x1C);
    EXPECT_TRUE(model.LowNibble);
    Press(Key::Right, 2);
    EXPECT_EQ(model.Cursor, 0x1D);
    EXPECT_TRUE(model.LowNibble);
    // Backspace changes no byte.
    EXPECT_EQ(doc.ReadByte(0x1D), 0x1D);
    EXPECT_EQ(doc.ReadByte(0x1C), 0x1C);
}

TEST_F(ViewModelTest, LeftAtTheFirstDigitStaysPut)
{
    Window(0x100, 0x20);
    Press(Key::Tab);
    ASSERT_EQ(model.Cursor, 0x100);
    Press(Key::Left);
    EXPECT_EQ(model.Cursor, 0x100);
    EXPECT_FALSE(model.LowNibble);  // the caret does not jump forward
    Press(Key::Tab);
    Press(Key::Left);
    Press(Key::Tab);
    EXPECT_FALSE(model.LowNibble);
}

TEST_F(ViewModelTest, DeleteErasesTheCursorByteOrTheSelection)
{
    Window(0, 0x40);
    model.Cursor = 0x05;
    Press(Key::Delete);
    EXPECT_EQ(doc.ReadByte(0x05), 0xFF);
    EXPECT_EQ(model.Cursor, 0x05);

    model.Cursor = 0x40;  // after the last byte: appends an erased byte
    Press(Key::Delete);
    EXPECT_EQ(doc.Size(), 0x41);
    EXPECT_EQ(doc.ReadByte(0x40), 0xFF);
    model.TakeDamage();

    model.Cursor = 0x12;
    model.SelStart = 0x08;
    model.SelEnd = 0x21;
    Press(Key::Delete);
    for (int32_t a = 0x08; a <= 0x21; ++a)
        EXPECT_EQ(doc.ReadByte(a), 0xFF) << a;
    EXPECT_EQ(doc.ReadByte(0x07), 0x07);
    EXPECT_EQ(doc.ReadByte(0x22), 0x22);
    EXPECT_FALSE(model.HasSelection());
    EXPECT_EQ(model.Cursor, 0x12);
    const ViewDamage d = model.TakeDamage();
    ASSERT_FALSE(d.rows.empty());
    EXPECT_EQ(d.rows[0], (std::pair<Address, Address>{0, 2}));
}

TEST_F(ViewModelTest, ShiftArrowsSelectWhatTheCursorPasses)
{
    Window(0, 0x40);
    model.Cursor = 0x10;
    ShiftPress(Key::Right, 3);
    EXPECT_EQ(model.SelStart, 0x10);
    EXPECT_EQ(model.SelEnd, 0x12);
    EXPECT_EQ(model.Cursor, 0x13);
    ShiftPress(Key::Left);
    EXPECT_EQ(model.SelStart, 0x10);
    EXPECT_EQ(model.SelEnd, 0x11);
    // Back past the anchor: the selection flips to the other side.
    ShiftPress(Key::Left, 4);
    EXPECT_EQ(model.Cursor, 0x0E);
    EXPECT_EQ(model.SelStart, 0x0E);
    EXPECT_EQ(model.SelEnd, 0x0F);
    // A move without Shift clears it.
    Press(Key::Right);
    EXPECT_FALSE(model.HasSelection());
}

TEST_F(ViewModelTest, ShiftJumpsOverTheAnchorSelectOnlyWhatLiesBetween)
{
    Window(0, 0x80);
    model.Cursor = 0x10;
    ShiftPress(Key::Right, 3);
    // Up from 0x13 to 0x03: the bytes between the cursor and the anchor 0x10,
    // the anchor's own byte not included, as if Left had been pressed 16 times.
    ShiftPress(Key::Up);
    EXPECT_EQ(model.Cursor, 0x03);
    EXPECT_EQ(model.SelStart, 0x03);
    EXPECT_EQ(model.SelEnd, 0x0F);
    // And back down: the bytes from the anchor up to the cursor.
    ShiftPress(Key::Down, 2);
    EXPECT_EQ(model.Cursor, 0x23);
    EXPECT_EQ(model.SelStart, 0x10);
    EXPECT_EQ(model.SelEnd, 0x22);
    ShiftPress(Key::Home);
    EXPECT_EQ(model.SelStart, 0x10);
    EXPECT_EQ(model.SelEnd, 0x1F);

    // Back and forth over the anchor one step at a time.
    Press(Key::Right);
    ASSERT_FALSE(model.HasSelection());
    ASSERT_EQ(model.Cursor, 0x21);
    ShiftPress(Key::Left);
    EXPECT_EQ(model.SelStart, 0x20);
    EXPECT_EQ(model.SelEnd, 0x20);
    ShiftPress(Key::Right);  // back on the anchor: nothing selected
    EXPECT_FALSE(model.HasSelection());
    ShiftPress(Key::Right);
    EXPECT_EQ(model.SelStart, 0x21);
    EXPECT_EQ(model.SelEnd, 0x21);
    ShiftPress(Key::Left);
    EXPECT_FALSE(model.HasSelection());
    ShiftPress(Key::Right, 2);  // a selection that emptied grows again
    EXPECT_EQ(model.SelStart, 0x21);
    EXPECT_EQ(model.SelEnd, 0x22);
    // One Shift held over all the presses gives the same.
    model.KeyDown(Key::Shift);
    Press(Key::Left, 3);
    Press(Key::Right, 4);
    model.KeyUp(Key::Shift);
    EXPECT_EQ(model.Cursor, 0x24);
    EXPECT_EQ(model.SelStart, 0x21);
    EXPECT_EQ(model.SelEnd, 0x23);
}

TEST_F(ViewModelTest, ShiftArrowsInTheHexColumnGrowByOneBytePerTwoPresses)
{
    Window(0, 0x40);
    model.Cursor = 0x10;
    Press(Key::Tab);
    ShiftPress(Key::Right);
    EXPECT_FALSE(model.HasSelection());
    ShiftPress(Key::Right);
    EXPECT_EQ(model.SelStart, 0x10);
    EXPECT_EQ(model.SelEnd, 0x10);
    ShiftPress(Key::Right, 2);
    EXPECT_EQ(model.SelEnd, 0x11);
    EXPECT_EQ(model.Cursor, 0x12);
}

TEST_F(ViewModelTest, SelectionChangesRepaintOnlyTheRowsConcerned)
{
    Window(0, 0x100);
    model.Cursor = 0x35;
    model.TakeDamage();
    ShiftPress(Key::Right);
    ViewDamage d = model.TakeDamage();
    ASSERT_EQ(d.rows.size(), 1u);
    EXPECT_EQ(d.rows[0], (std::pair<Address, Address>{3, 3}));
    EXPECT_FALSE(d.rowArea);
    // Both ends change when the selection is dropped far away: the old rows.
    model.Cursor = 0x36;
    model.SelStart = 0x20;
    model.SelEnd = 0x55;
    Press(Key::Right);
    d = model.TakeDamage();
    ASSERT_EQ(d.rows.size(), 1u);
    EXPECT_EQ(d.rows[0], (std::pair<Address, Address>{2, 5}));
}

TEST_F(ViewModelTest, HitTestFindsTheDigitOrCharacterUnderThePoint)
{
    Window(0, 0x200);
    EXPECT_TRUE(model.HitTest(HexPointX(0x35, 0), PointY(0x35)));
    EXPECT_EQ(model.Cursor, 0x35);
    EXPECT_FALSE(model.AsciiMode);
    EXPECT_FALSE(model.LowNibble);
    EXPECT_TRUE(model.HitTest(HexPointX(0x35, 1), PointY(0x35)));
    EXPECT_TRUE(model.LowNibble);
    // The blank after a byte belongs to its low digit.
    EXPECT_TRUE(model.HitTest(HexPointX(0x35, 2), PointY(0x35)));
    EXPECT_EQ(model.Cursor, 0x35);
    EXPECT_TRUE(model.LowNibble);
    // Past the last byte's digits: the last byte, high digit.
    EXPECT_TRUE(model.HitTest(kAsciiX - 1, PointY(0x30)));
    EXPECT_EQ(model.Cursor, 0x3F);
    EXPECT_FALSE(model.LowNibble);

    EXPECT_TRUE(model.HitTest(AsciiPointX(0x47), PointY(0x47)));
    EXPECT_EQ(model.Cursor, 0x47);
    EXPECT_TRUE(model.AsciiMode);
    EXPECT_FALSE(model.LowNibble);  // kept from the hex column
    EXPECT_TRUE(model.HitTest(model.RowsRect.right, PointY(0x40)));
    EXPECT_EQ(model.Cursor, 0x4F);

    // The address column, the header and the part row below are outside.
    EXPECT_FALSE(model.HitTest(kHexX - 1, PointY(0x50)));
    EXPECT_FALSE(model.HitTest(HexPointX(0, 0), kTop - 1));
    EXPECT_FALSE(model.HitTest(HexPointX(0, 0), kTop + model.Rows * kRowH));
    EXPECT_EQ(model.Cursor, 0x4F);
}

TEST_F(ViewModelTest, ClickWithoutDragLeavesNoSelection)
{
    Window(0, 0x100);
    model.ButtonDown(AsciiPointX(0x10), PointY(0x10));
    EXPECT_EQ(model.SelStart, 0x10);
    EXPECT_EQ(model.SelEnd, 0x10);
    EXPECT_TRUE(model.Dragging);
    model.ButtonUp(AsciiPointX(0x10), PointY(0x10));
    EXPECT_FALSE(model.HasSelection());
    EXPECT_FALSE(model.Dragging);
    EXPECT_FALSE(model.ShiftDown);
    EXPECT_EQ(model.Cursor, 0x10);
}

TEST_F(ViewModelTest, DragsSelectInBothDirections)
{
    Window(0, 0x100);
    model.ButtonDown(HexPointX(0x10, 0), PointY(0x10));
    for (int32_t a = 0x11; a <= 0x14; ++a)
        model.MouseMove(HexPointX(a, 0), PointY(a));
    model.ButtonUp(HexPointX(0x14, 0), PointY(0x14));
    EXPECT_EQ(model.SelStart, 0x10);
    EXPECT_EQ(model.SelEnd, 0x13);
    EXPECT_EQ(model.Cursor, 0x14);

    model.ButtonDown(AsciiPointX(0x14), PointY(0x14));
    model.MouseMove(AsciiPointX(0x10), PointY(0x10));
    model.ButtonUp(AsciiPointX(0x10), PointY(0x10));
    EXPECT_EQ(model.SelStart, 0x10);
    EXPECT_EQ(model.SelEnd, 0x14);
    EXPECT_EQ(model.Cursor, 0x10);

    // A drag that jumps straight over the anchor and back.
    model.ButtonDown(AsciiPointX(0x24), PointY(0x24));
    model.MouseMove(AsciiPointX(0x28), PointY(0x28));
    model.MouseMove(AsciiPointX(0x21), PointY(0x21));
    EXPECT_EQ(model.SelStart, 0x21);
    EXPECT_EQ(model.SelEnd, 0x24);
    model.MouseMove(AsciiPointX(0x26), PointY(0x26));
    EXPECT_EQ(model.SelStart, 0x24);
    EXPECT_EQ(model.SelEnd, 0x25);
}

TEST_F(ViewModelTest, ADragThatWigglesAtItsStartStillSelects)
{
    Window(0, 0x100);
    model.ButtonDown(AsciiPointX(0x10), PointY(0x10));
    model.MouseMove(AsciiPointX(0x11), PointY(0x11));
    model.MouseMove(AsciiPointX(0x10), PointY(0x10));
    EXPECT_EQ(model.SelStart, 0x10);  // the clicked byte, as on the press
    EXPECT_EQ(model.SelEnd, 0x10);
    model.MouseMove(AsciiPointX(0x14), PointY(0x14));
    model.ButtonUp(AsciiPointX(0x14), PointY(0x14));
    EXPECT_EQ(model.SelStart, 0x10);
    EXPECT_EQ(model.SelEnd, 0x13);

    // Wiggling back and forth and releasing where it started: a plain click.
    model.ButtonDown(AsciiPointX(0x30), PointY(0x30));
    model.MouseMove(AsciiPointX(0x2F), PointY(0x2F));
    model.MouseMove(AsciiPointX(0x31), PointY(0x31));
    model.MouseMove(AsciiPointX(0x30), PointY(0x30));
    model.ButtonUp(AsciiPointX(0x30), PointY(0x30));
    EXPECT_FALSE(model.HasSelection());
    EXPECT_EQ(model.Cursor, 0x30);
}

TEST_F(ViewModelTest, TheSelectionNeverTakesInThePositionAfterTheLastByte)
{
    Window(0, 0x38);
    // A click on the empty cells after the last byte selects nothing.
    model.ButtonDown(AsciiPointX(0x3C), PointY(0x3C));
    EXPECT_EQ(model.Cursor, 0x38);
    EXPECT_FALSE(model.HasSelection());
    model.MouseMove(AsciiPointX(0x35), PointY(0x35));
    model.ButtonUp(AsciiPointX(0x35), PointY(0x35));
    EXPECT_EQ(model.SelStart, 0x35);
    EXPECT_EQ(model.SelEnd, 0x37);
    // Deleting it erases those bytes and does not grow the buffer.
    Press(Key::Delete);
    EXPECT_EQ(doc.Size(), 0x38);
    EXPECT_EQ(doc.ReadByte(0x37), 0xFF);

    // A selection whose bytes go away shrinks with the buffer.
    model.SetSelection(0x20, 0x37);
    doc.Resize(0, 0x2F);
    model.KeepSelectionInside();
    EXPECT_EQ(model.SelStart, 0x20);
    EXPECT_EQ(model.SelEnd, 0x2F);
    doc.Resize(0, 0x1F);
    model.KeepSelectionInside();
    EXPECT_FALSE(model.HasSelection());
}

TEST_F(ViewModelTest, HoldingTheButtonBelowTheRowsScrollsSteadilyToTheEnd)
{
    Window(0, 0x1000);
    model.ButtonDown(AsciiPointX(0x10), PointY(0x10));
    const int32_t below = kTop + model.Rows * kRowH + 3;
    // Leaving the rows moves nothing by itself; the held drag scrolls.
    EXPECT_TRUE(model.MouseMove(AsciiPointX(0x10), below));
    EXPECT_EQ(model.TopRow, 0);
    // Twenty rows a second near the edge: one row per 50 ms, whole rows.
    int steps = 0;
    int32_t lastTop = model.TopRow;
    while (model.Cursor != doc.End() && steps < 1000) {
        ASSERT_TRUE(model.DragScroll(below, 50));
        ++steps;
        EXPECT_LE(model.TopRow - lastTop, 1);
        lastTop = model.TopRow;
    }
    EXPECT_EQ(model.Cursor, doc.End());
    EXPECT_GT(steps, 0x100 - model.Rows - 1);
    EXPECT_LT(steps, 0x100 + 2);
    EXPECT_EQ(model.SelStart, 0x10);
    EXPECT_EQ(model.SelEnd, doc.End() - 1);
    EXPECT_TRUE(model.TakeDamage().rowAreaNow);
    // Further from the rows it goes faster, and above them back up.
    EXPECT_EQ(OViewModel::DragScrollRate(3, kRowH), 20);
    EXPECT_GT(OViewModel::DragScrollRate(6 * kRowH, kRowH), OViewModel::DragScrollRate(2 * kRowH, kRowH));
    EXPECT_EQ(OViewModel::DragScrollRate(100000, kRowH), 20 * OViewModel::kDragFastest);
    const int32_t top = model.TopRow;
    model.DragScroll(kTop - 10 * kRowH, 100);
    EXPECT_EQ(model.TopRow, top - 12);
    EXPECT_EQ(model.Cursor / 16, model.TopRow);
    // Back over the rows or released, nothing more scrolls.
    EXPECT_FALSE(model.DragScroll(PointY(model.Cursor), 100));
    model.ButtonUp(AsciiPointX(0x10), kTop - 5);
    EXPECT_FALSE(model.DragScroll(below, 100));
}

TEST_F(ViewModelTest, ShiftClickExtendsTheSelectionFromItsAnchor)
{
    Window(0, 0x100);
    // From the cursor when nothing is selected, the clicked byte included.
    model.Cursor = 0x12;
    model.ButtonDown(AsciiPointX(0x25), PointY(0x25), true);
    model.ButtonUp(AsciiPointX(0x25), PointY(0x25));
    EXPECT_EQ(model.SelStart, 0x12);
    EXPECT_EQ(model.SelEnd, 0x25);
    // Again: the anchor stays, the far end follows the click either way.
    model.ButtonDown(AsciiPointX(0x08), PointY(0x08), true);
    model.ButtonUp(AsciiPointX(0x08), PointY(0x08));
    EXPECT_EQ(model.SelStart, 0x08);
    EXPECT_EQ(model.SelEnd, 0x12);
    model.ButtonDown(AsciiPointX(0x30), PointY(0x30), true);
    model.ButtonUp(AsciiPointX(0x30), PointY(0x30));
    EXPECT_EQ(model.SelStart, 0x12);
    EXPECT_EQ(model.SelEnd, 0x30);
    // A plain click starts over.
    model.ButtonDown(AsciiPointX(0x40), PointY(0x40));
    model.ButtonUp(AsciiPointX(0x40), PointY(0x40));
    EXPECT_FALSE(model.HasSelection());
}

TEST_F(ViewModelTest, LargeBufferScalesTheScrollBar)
{
    Window(0, 2000000, false);
    model.Rows = 2;
    model.UpdateScrollRange(doc.Size());
    EXPECT_EQ(model.ScrollScale, 2);
    EXPECT_EQ(model.ScrollMin, 0);
    EXPECT_EQ(model.ScrollMax, 62500);
    model.Scroll(OViewModel::ScrollAction::Thumb, 31000);
    EXPECT_EQ(model.TopRow, 62000);
    EXPECT_EQ(model.ScrollPosition(), 31000);
    model.Scroll(OViewModel::ScrollAction::Bottom);
    EXPECT_EQ(model.TopRow, 125000 - 1);

    // A cursor far down is brought into the middle of the window.
    model.UpdateRows();
    model.UpdateScrollRange(doc.Size());
    model.Cursor = 1000000;
    model.EnsureCursorVisible();
    EXPECT_EQ(model.TopRow, 1000000 / 16 - model.Rows / 2);
    EXPECT_EQ(model.ScrollPosition(), model.TopRow / model.ScrollScale);
    EXPECT_LE(model.ScrollMax, 65001);
}

TEST_F(ViewModelTest, TheWheelMovesThreeRowsANotchOrAPageWhateverTheSize)
{
    const struct {
        int32_t size;
        int32_t delta;
        bool pages;
        int32_t move;  // rows, or pages with `pages`, down from row 100
    } cases[] = {
        {0x3000, -120, false, 3},    {0x3000, 120, false, -3},    {0x3000, -240, false, 6},
        {0x3000, -60, false, 0},     {0x3000, -120, true, 1},     {0x7FFFFFF0, -120, false, 3},
        {0x7FFFFFF0, 360, true, -3}, {0x7FFFFFF0, 120, true, -1},
    };
    for (const auto& c : cases) {
        Window(0, c.size, false);
        model.TopRow = 100;
        model.Wheel(c.delta, c.pages);
        EXPECT_EQ(model.TopRow, 100 + c.move * (c.pages ? model.Rows : 1)) << c.size << " " << c.delta;
        model.Wheel(-c.delta, c.pages);  // leaves no half notch behind
    }
    // Two half notches make one.
    model.TopRow = 100;
    model.Wheel(-60, false);
    model.Wheel(-60, false);
    EXPECT_EQ(model.TopRow, 103);
}

TEST_F(ViewModelTest, NoAddressBelowTheEndAndACompareViewKeepsTheOthersRows)
{
    Window(0x7FFFFE00, 0x100, false);
    doc.Resize(0xFFFFFF00, 0xFFFFFFFF);
    RowPlan p;
    model.TopRow = 0x0FFFFFFF;
    for (const auto& [row, address] : {std::pair<Address, const char*>{0x0FFFFFFF, "fffffff0"},
                                       {0x10000000, "        "}, {0x10000001, "        "}}) {
        model.BuildRow(row, p);
        EXPECT_EQ(std::string(p.address.data()), address) << row;
    }
    // The other side of a comparison shows the same rows even where its
    // window has none; its cursor stays in its window.
    model.FollowPlace(0x1000, 0x100);
    EXPECT_EQ(model.TopRow, 0x100);
    EXPECT_EQ(model.Cursor, 0xFFFFFF00);
}

TEST_F(ViewModelTest, ScrollingIsIgnoredWhileBusy)
{
    Window(0, 0x1000);
    doc.SetBusy(true);
    model.Scroll(OViewModel::ScrollAction::PageDown);
    EXPECT_EQ(model.TopRow, 0);
    doc.SetBusy(false);
    model.Scroll(OViewModel::ScrollAction::PageDown);
    EXPECT_EQ(model.TopRow, model.Rows);
}

TEST_F(ViewModelTest, SelectedCellsAndTheBlankAfterThemAreHighlighted)
{
    Window(0, 0x40);
    model.SelStart = 0x13;
    model.SelEnd = 0x15;
    RowPlan p;
    model.BuildRow(1, p);
    ASSERT_EQ(p.hexRunCount, 3);
    EXPECT_FALSE(p.hexRuns[0].selected);
    EXPECT_TRUE(p.hexRuns[1].selected);
    EXPECT_EQ(p.hexRuns[1].x, kHexX + 9 * kCharW);
    EXPECT_EQ(std::string(p.hex.data() + p.hexRuns[1].first, p.hexRuns[1].count), "13 14 15 ");
    EXPECT_FALSE(p.hexRuns[2].selected);
    ASSERT_EQ(p.asciiRunCount, 3);
    EXPECT_EQ(p.asciiRuns[1].count, 3);

    // A selection reaching the row's last byte draws it without a blank.
    model.SelEnd = 0x1F;
    model.BuildRow(1, p);
    ASSERT_EQ(p.hexRunCount, 2);
    EXPECT_EQ(p.hexRuns[1].first + p.hexRuns[1].count, 47);
}

TEST_F(ViewModelTest, NarrowColumnsCutTextAndHideMarksThatWouldCrossTheEdge)
{
    Window(0, 0x40);
    model.AsciiX = kHexX + 10 * kCharW + 1;  // room for ten characters: three bytes
    RowPlan p;
    model.BuildRow(0, p);
    EXPECT_EQ(HexText(p), "00 01 02");
    model.Cursor = 0x02;
    model.AsciiMode = false;
    model.LowNibble = true;
    EXPECT_TRUE(model.CaretRect());
    model.Cursor = 0x03;
    EXPECT_FALSE(model.CaretRect());
    // In the character column the focus mark on the hex pair is dropped.
    model.AsciiMode = true;
    EXPECT_TRUE(model.CaretRect());
    EXPECT_FALSE(model.FocusRect());

    const auto caret = model.CaretRect();
    EXPECT_EQ(caret->left, model.AsciiX + 3 * kCharW);
    EXPECT_EQ(caret->top, kTop);
    EXPECT_EQ(caret->Width(), kCharW);
    EXPECT_EQ(caret->Height(), kRowH);
    // Not on screen: no marks.
    model.Cursor = 0x3F;
    model.TopRow = 0;
    model.Rows = 2;
    EXPECT_FALSE(model.CaretRect());
    EXPECT_FALSE(model.FocusRect());
}

}  // namespace

namespace {

// Random keys, characters, clicks, drags and scrolls over odd geometries:
// the cursor stays in the buffer, the window never shows rows above the
// start, and every visible row can be built (the sanitizers watch the rest).
TEST_F(ViewModelTest, RandomInputKeepsTheViewConsistent)
{
    Window(0x1235, 0x2CB);
    uint32_t seed = 12345;
    auto next = [&](uint32_t n) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 8) % n;
    };
    const Key keys[] = {Key::Left, Key::Backspace, Key::Right, Key::Up, Key::Down,
                        Key::PageUp, Key::PageDown, Key::Home, Key::End, Key::Enter,
                        Key::Tab, Key::Delete, Key::Other};
    RowPlan plan;
    for (int step = 0; step < 3000; ++step) {
        if (step % 200 == 0) {
            // Columns dragged to any width, even past each other.
            model.HexX = int32_t(next(300));
            model.AsciiX = int32_t(next(600));
            model.RowsRect.right = int32_t(next(700));
            model.RowsRect.bottom = kTop + int32_t(next(12 * kRowH));
            model.UpdateRows();
            model.UpdateScrollRange(doc.Size());
        }
        switch (next(8)) {
        case 0: model.KeyDown(Key::Shift); break;
        case 1: model.KeyUp(Key::Shift); break;
        case 2: model.Char(next(300)); break;
        case 3: model.Scroll(OViewModel::ScrollAction(next(8)), int32_t(next(200))); break;
        case 4: model.ButtonDown(int32_t(next(800)), int32_t(next(300)) - 20); break;
        case 5: model.MouseMove(int32_t(next(800)), int32_t(next(400)) - 60); break;
        case 6: model.ButtonUp(int32_t(next(800)), int32_t(next(300))); break;
        default: model.KeyDown(keys[next(std::size(keys))]); break;
        }
        ASSERT_GE(model.Cursor, doc.Start());
        ASSERT_LE(model.Cursor, doc.End());
        ASSERT_GE(model.TopRow, doc.Start() / 16);
        if (model.HasSelection()) {
            ASSERT_GE(model.SelStart, doc.Start());
            ASSERT_LT(model.SelEnd, doc.End());
        }
        for (int32_t r = model.TopRow; r < model.TopRow + model.Rows; ++r) {
            model.BuildRow(r, plan);
            ASSERT_LE(plan.hexLength, 47);
            ASSERT_LE(plan.asciiLength, 16);
        }
        model.CaretRect();
        model.FocusRect();
        model.TakeDamage();
    }
}

}  // namespace

namespace {

// A window of text bytes from `start` and a model over it.
class ViewModelFindTest : public ViewModelTest {
protected:
    void Text(int32_t start, const std::string& text)
    {
        Window(start, int32_t(text.size()), false);
        for (size_t i = 0; i < text.size(); ++i)
            doc.WriteByte(uint8_t(text[i]), start + int32_t(i));
        model.Cursor = start;
    }
    static FindRequest Request(const std::string& text, bool up = false, bool words = false)
    {
        FindRequest request;
        request.text = text;
        request.length = int32_t(text.size());
        request.up = up;
        request.down = !up;
        request.wholeWords = words;
        return request;
    }
};

TEST_F(ViewModelFindTest, AHitAtTheCursorCountsUntilTheCursorSitsOnTheLastHit)
{
    struct Case {
        int32_t start;
        std::string text, pattern;
        bool up, words;
        int32_t cursor;
        std::vector<int32_t> hits;  // successive searches; -1 ends them
    };
    const Case cases[] = {
        // Right after opening, at the window's start, and F3 moving on.
        {0, "Hello Hello", "Hello", false, false, 0, {0, 6, -1}},
        {0x1234, "Hello Hello", "HELLO", false, false, 0x1234, {0x1234, 0x123A, -1}},
        {0x100, "abcabc", "c", false, false, 0x102, {0x102, 0x105, -1}},
        {0x100, "x cat", "cat", false, true, 0x100, {0x102, -1}},
        // Upwards a one-byte hit at the cursor counts as well.
        {0x100, "abcabc", "a", true, false, 0x103, {0x103, 0x100, -1}},
        {0x100, "abcabc", "bc", true, false, 0x106, {0x104, 0x101, -1}},
    };
    for (const Case& c : cases) {
        Text(c.start, c.text);
        model.Cursor = c.cursor;
        const FindRequest request = Request(c.pattern, c.up, c.words);
        for (int32_t hit : c.hits) {
            EXPECT_EQ(model.Find(request), hit) << c.text << " / " << c.pattern;
            if (hit < 0)
                break;
            EXPECT_EQ(model.Cursor, hit);
            // The hit is selected, so it shows.
            EXPECT_EQ(model.SelStart, hit);
            EXPECT_EQ(model.SelEnd, hit + request.length - 1);
        }
    }
    // A cursor moved off the hit finds it again.
    Text(0, "Hello Hello");
    const FindRequest hello = Request("Hello");
    EXPECT_EQ(model.Find(hello), 0);
    model.Cursor = 6;
    EXPECT_EQ(model.Find(hello), 6);
}

} // namespace
