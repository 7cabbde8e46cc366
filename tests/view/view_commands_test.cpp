// The Edit and Buffer commands of the view model, the clipboard data rules
// and the information panel's lines, over a real document.

#include "view/clip_data.h"
#include "view/hex_text.h"
#include "view/memory_info.h"
#include "view/view_commands.h"
#include "view/view_model.h"

#include "document/buffer_document.h"
#include "support/recording_host.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

class ViewCommandsTest : public ::testing::Test {
protected:
    TempDir dir;
    RecordingHost host;
    OBufferDocument doc{host, dir.Write("dravel.ini", "[Settings]\nsumcheck=1\n"), "bin"};
    OViewModel model{doc};
    OViewCommands commands{model};

    // A buffer of `size` bytes from `start`, each byte its address's low byte.
    void Window(Address start, Address size)
    {
        doc.WriteByte(0xFF, start + size - 1);
        doc.Resize(start, start + size - 1);
        for (Address a = start; a < start + size; ++a)
            doc.WriteByte(uint8_t(a), a);
        model.UpdateRows();
        model.EnsureCursorVisible();
        model.TakeDamage();
    }
    std::vector<uint8_t> Bytes(Address first, Address count)
    {
        std::vector<uint8_t> bytes;
        for (Address a = first; a < first + count; ++a)
            bytes.push_back(doc.ReadByte(a));
        return bytes;
    }
    static ClipAllocator Into(std::vector<uint8_t>& bytes)
    {
        return [&bytes](size_t size) { return bytes.assign(size, 0xEE), bytes.data(); };
    }
    // Copy as hex text's characters; none when it made nothing.
    std::optional<std::string> HexText()
    {
        std::vector<uint8_t> text;
        if (!commands.CopyHexText(Into(text)))
            return std::nullopt;
        return std::string(text.begin(), text.end());
    }
    void Select(int32_t first, int32_t last)
    {
        model.SelStart = first;
        model.SelEnd = last;
    }
};

TEST_F(ViewCommandsTest, DialogsStartWithTheBufferOrTheCursorAndFillWithTheSelection)
{
    Window(0x100, 0x40);
    model.Cursor = 0x123;
    FillRequest fill = commands.FillSelectionRequest();
    EXPECT_EQ(fill.start, 0x100);
    EXPECT_EQ(fill.last, 0x13F);
    Select(0x110, 0x118);
    fill = commands.FillSelectionRequest();
    EXPECT_EQ(fill.title, "Fill selection");
    EXPECT_EQ(fill.lowerLimit, 0x100);
    EXPECT_EQ(fill.upperLimit, 0x13F);
    EXPECT_EQ(fill.start, 0x110);
    EXPECT_EQ(fill.last, 0x118);
    EXPECT_EQ(fill.fillValue, 0xFF);
    for (const AddressRequest& r : {commands.SetSelectionRequest(), commands.ResizeRequest()}) {
        EXPECT_EQ(r.lowerLimit, 0);
        EXPECT_EQ(r.upperLimit, 0xFFFFFFFF);
        EXPECT_EQ(r.start, 0x100);
        EXPECT_EQ(r.last, 0x13F);
        EXPECT_EQ(r.lastShown, 1);
    }
    EXPECT_EQ(commands.SetSelectionRequest().title, "Set selection");
    EXPECT_EQ(commands.ResizeRequest().title, "Resize buffer");
    const AddressRequest position = commands.PositionRequest();
    EXPECT_EQ(position.title, "Position cursor at following address");
    EXPECT_EQ(position.startLabel, "new cursor position");
    EXPECT_EQ(position.start, 0x123);
    EXPECT_EQ(position.lastShown, 0);
}

TEST_F(ViewCommandsTest, CursorAndSelectionCommandsKeepToTheBuffer)
{
    struct Case {
        const char* what;
        int32_t start, last;  // dialog values; last unused for the cursor
        bool position;
        int32_t cursor, selStart, selEnd;
    };
    const Case cases[] = {
        {"inside", 0x104, 0x107, false, 0x108, 0x104, 0x107},
        {"past the end stops at the last byte", 0x130, 0x5000, false, 0x140, 0x130, 0x13F},
        {"below the start begins at the first byte", 0x10, 0x101, false, 0x102, 0x100, 0x101},
        {"wholly past the end selects nothing", 0x200, 0x300, false, 0x140, -1, -2},
        {"cursor below the start lands on it", 0, 0, true, 0x100, -1, -2},
        {"cursor past the end stops after the last byte", 0x9000, 0, true, 0x140, -1, -2},
    };
    Window(0x100, 0x40);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Select(0x120, 0x121);
        AddressRequest request;
        request.start = c.start;
        request.last = c.last;
        if (c.position)
            commands.PositionCursor(request);
        else
            commands.SetSelection(request);
        EXPECT_EQ(model.Cursor, c.cursor);
        EXPECT_EQ(model.SelStart, c.selStart);
        EXPECT_EQ(model.SelEnd, c.selEnd);
        EXPECT_TRUE(model.TakeDamage().cursorNotice);
    }

    commands.SelectAll();
    EXPECT_EQ(model.Cursor, 0x140);
    EXPECT_EQ(model.SelStart, 0x100);
    EXPECT_EQ(model.SelEnd, 0x13F);
    EXPECT_TRUE(commands.CanCopy());
}

TEST_F(ViewCommandsTest, SelectAllOnAnEmptyBufferSelectsNothing)
{
    EXPECT_FALSE(commands.CanClearAll());
    commands.SelectAll();
    EXPECT_FALSE(model.HasSelection());
    EXPECT_FALSE(commands.CanCopy());
}

TEST_F(ViewCommandsTest, FillDeleteCutAndClearAllWriteErasedBytesWithOneUndoEach)
{
    Window(0, 0x20);
    const int32_t entries = doc.Journal().Count();
    FillRequest fill = commands.FillSelectionRequest();
    fill.start = 2;
    fill.last = 4;
    fill.fillValue = 0x55;
    Select(8, 9);
    commands.FillSelection(fill);
    EXPECT_EQ(Bytes(1, 5), (std::vector<uint8_t>{1, 0x55, 0x55, 0x55, 5}));
    EXPECT_FALSE(model.HasSelection());
    EXPECT_EQ(doc.Journal().Count(), entries + 1);

    // Delete keeps the selection; Cut clears it after its copy.
    Select(8, 9);
    commands.Delete();
    EXPECT_EQ(Bytes(7, 4), (std::vector<uint8_t>{7, 0xFF, 0xFF, 10}));
    EXPECT_TRUE(model.HasSelection());
    Select(0x10, 0x11);
    std::vector<uint8_t> cut;
    ASSERT_TRUE(commands.Copy(Into(cut)));
    EXPECT_EQ(cut, (std::vector<uint8_t>{0x10, 0x11, 0}));
    commands.CutDone();
    EXPECT_EQ(Bytes(0x10, 2), (std::vector<uint8_t>{0xFF, 0xFF}));
    EXPECT_FALSE(model.HasSelection());

    Select(3, 4);
    commands.ClearAll();
    EXPECT_EQ(Bytes(0, 0x20), std::vector<uint8_t>(0x20, 0xFF));
    EXPECT_EQ(doc.Size(), 0x20);
    EXPECT_TRUE(model.HasSelection());
    EXPECT_EQ(doc.Sum(), 0x20u * 0xFF);
    EXPECT_EQ(doc.Journal().Count(), entries + 4);
}

TEST_F(ViewCommandsTest, UndoStepsBackToTheLastSaveWithTheCursorOnEachChange)
{
    Window(0, 0x40);
    model.Cursor = 0x30;
    doc.WriteByte(0xAA, 5);
    Select(0x20, 0x22);
    commands.Delete();
    model.Cursor = 0x3F;
    EXPECT_TRUE(commands.CanUndo());
    commands.Undo();
    EXPECT_EQ(model.Cursor, 0x20);
    EXPECT_EQ(Bytes(0x20, 3), (std::vector<uint8_t>{0x20, 0x21, 0x22}));
    commands.Undo();
    EXPECT_EQ(model.Cursor, 5);
    EXPECT_EQ(doc.ReadByte(5), 5);
    while (commands.CanUndo())
        commands.Undo();
    EXPECT_FALSE(doc.IsDirty());
    model.Cursor = 5;
    model.TakeDamage();
    commands.Undo();
    EXPECT_EQ(model.Cursor, 5);
    EXPECT_TRUE(model.TakeDamage().Empty());
}

TEST_F(ViewCommandsTest, CopiedBytesPasteBackAtFullLengthAndOverASelection)
{
    Window(0, 0x40);
    doc.WriteBlock(std::vector<uint8_t>{0x00, 0x41, 0x00, 0x42}.data(), 0x10, 4);
    Select(0x10, 0x13);
    std::vector<uint8_t> text;
    const std::optional<RangeBlock> range = commands.Copy(Into(text));
    ASSERT_TRUE(range);
    EXPECT_EQ(*range, (RangeBlock{0x10, 0, 0, 0, 0x13, 0, 0, 0, 0, 0}));
    const auto paste = [&] { commands.Paste(text.data(), text.size(), range->data(), range->size()); };

    model.ClearSelection();
    model.Cursor = 0x30;
    paste();
    EXPECT_EQ(Bytes(0x30, 5), (std::vector<uint8_t>{0x00, 0x41, 0x00, 0x42, 0x34}));
    EXPECT_EQ(model.Cursor, 0x30);

    // Over two selected bytes: both erased, then all four written from the
    // selection's start, where the cursor ends.
    model.Cursor = 0x3A;
    Select(0x20, 0x21);
    paste();
    EXPECT_EQ(Bytes(0x20, 5), (std::vector<uint8_t>{0x00, 0x41, 0x00, 0x42, 0x24}));
    EXPECT_EQ(model.Cursor, 0x20);
    EXPECT_FALSE(model.HasSelection());

    // Past the end the buffer grows.
    model.Cursor = 0x40;
    paste();
    EXPECT_EQ(doc.Size(), 0x44);
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(ViewCommandsTest, ClipboardLengthTrustsOnlyASensibleRangeBlock)
{
    const std::vector<uint8_t> text{'A', 'B', 0, 'C', 0};
    const auto block = [](int32_t first, int32_t last) { return MakeRangeBlock(first, last); };
    struct Case {
        const char* what;
        std::vector<uint8_t> range;
        size_t length;
    };
    const auto r = [](std::array<uint8_t, 10> a) { return std::vector<uint8_t>(a.begin(), a.end()); };
    const Case cases[] = {
        {"no block: up to the first zero", {}, 2},
        {"block: its length, zero bytes included", r(block(0x100, 0x103)), 4},
        {"block as long as the whole text", r(block(7, 11)), 5},
        {"last below first", r(block(0x103, 0x100)), 2},
        {"longer than the text", r(block(0, 5)), 2},
        {"huge range", r(block(0, 0x7FFFFFFF)), 2},
        {"short block", {0, 0, 0, 0, 3, 0, 0}, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(PasteLength(text.data(), text.size(), c.range.empty() ? nullptr : c.range.data(), c.range.size()),
                  c.length);
    }
    const std::vector<uint8_t> noZero{'x', 'y', 'z'};
    EXPECT_EQ(PasteLength(noZero.data(), noZero.size(), nullptr, 0), 3u);
    EXPECT_EQ(PasteLength(nullptr, 0, nullptr, 0), 0u);
}

TEST_F(ViewCommandsTest, PasteAndResizePastTheAddressSpaceWriteWhatFitsAndSaySo)
{
    Window(0xFFFFFFF0, 0x10);
    doc.SetTitle("top.bin");
    const std::vector<uint8_t> bytes(0x20, 0x11);
    model.Cursor = 0xFFFFFFF8;
    commands.PasteBytes(bytes.data(), bytes.size());
    EXPECT_EQ(doc.End(), 0x100000000);
    EXPECT_EQ(Bytes(0xFFFFFFF7, 9), (std::vector<uint8_t>{0xF7, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11}));
    // Nothing wrapped to the bottom of the space.
    EXPECT_EQ(doc.Start(), 0xFFFFFFF0);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, AddressSpaceNotice(0x20, 8));
    EXPECT_EQ(host.messages[0].caption, "top.bin");

    // With the cursor after the very last address nothing fits at all.
    model.Cursor = 0x100000000;
    commands.PasteBytes(bytes.data(), bytes.size());
    EXPECT_EQ(host.messages.back().text, AddressSpaceNotice(0x20, 0));
    EXPECT_EQ(doc.Size(), 0x10);

    AddressRequest resize;
    resize.start = 0xFFFFFF00;
    resize.last = 0x100000100;
    commands.ResizeBuffer(resize);
    EXPECT_EQ(doc.Start(), 0xFFFFFF00);
    EXPECT_EQ(doc.End(), 0x100000000);
    EXPECT_EQ(host.messages.size(), 3u);
}

TEST_F(ViewCommandsTest, HexTextCopiesTheSelectionAndPastesOnlyHexText)
{
    Window(0x100, 0x40);
    EXPECT_FALSE(HexText());
    Select(0x1FE - 0xF0, 0x111);
    EXPECT_EQ(HexText(), "0E 0F 10 11");
    model.ClearSelection();
    model.Cursor = 0x120;
    EXPECT_TRUE(commands.PasteHexText("0xDE,ad\r\nBEEF"));
    EXPECT_EQ(Bytes(0x120, 5), (std::vector<uint8_t>{0xDE, 0xAD, 0xBE, 0xEF, 0x24}));
    EXPECT_TRUE(host.messages.empty());
    EXPECT_FALSE(commands.PasteHexText("DE AD G1"));
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, "Not hex text");
    EXPECT_EQ(doc.ReadByte(0x120), 0xDE);
}

// Copies whose clipboard data would pass 64 MiB ask first, counting hex text
// at three characters a byte; hex text built a run at a time reads as the
// whole selection's would.
TEST_F(ViewCommandsTest, LargeCopiesAskFirstAndHexTextJoinsItsRuns)
{
    doc.SetTitle("big.bin");
    doc.WriteByte(0x42, 0xFFFFFFFF);
    doc.Resize(0, 0xFFFFFFFF);
    struct Row {
        Address count;
        bool hexText;
        bool asks;
    };
    const Row rows[] = {
        {kAskCopyAbove, false, false},
        {kAskCopyAbove + 1, false, true},
        {kAskCopyAbove / 3, true, false},
        {kAskCopyAbove / 3 + 1, true, true},
        {Address{1} << 32, false, true},
    };
    for (const Row& row : rows) {
        model.SelStart = 0;
        model.SelEnd = model.SelStart + row.count - 1;
        for (int answer : {idYes, idNo}) {
            host.messages.clear();
            host.answer = answer;
            EXPECT_EQ(commands.ConfirmCopy(row.hexText), !row.asks || answer == idYes) << row.count;
            const std::vector<RecordedMessage> asked{{CopyQuestion(row.count), "big.bin", mbIconQuestion | mbYesNoCancel}};
            EXPECT_EQ(host.messages, row.asks ? asked : std::vector<RecordedMessage>{}) << row.count;
        }
    }

    host.messages.clear();
    doc.Resize(0, 0x2FFFF);
    for (Address a = 0xFFF0; a < 0x20010; a += 0x10)
        doc.WriteByte(uint8_t(a >> 4), a);
    Select(0xFFF0, 0x2000F);
    const std::vector<uint8_t> bytes = Bytes(0xFFF0, 0x10020);
    EXPECT_EQ(HexText(), FormatHexText(bytes.data(), bytes.size()));
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(ViewCommandsTest, BusyDocumentRefusesCommands)
{
    Window(0, 0x10);
    doc.SetTitle("busy.bin");
    EXPECT_FALSE(commands.RefuseWhileBusy());
    doc.SetBusy(true);
    EXPECT_TRUE(commands.RefuseWhileBusy());
    doc.SetBusy(false);
    const RecordedMessage refusal{"buffer is processing. Please be patient", "busy.bin", mbIconInformation};
    EXPECT_EQ(host.messages.back(), refusal);
}

TEST(ClipText, OtherProgramsTextBecomesBytesOfTheCharacterPage)
{
    const std::u16string text = u"A\u00E9\u20AC\u4E2D\U0001F600z\0tail";
    size_t length = 0;
    const std::vector<uint8_t> bytes = TextToBytes(text.data(), text.size(), 100, length);
    EXPECT_EQ(bytes, (std::vector<uint8_t>{'A', 0xE9, 0x80, '?', '?', 'z'}));
    EXPECT_EQ(length, 6u);
    // Only what can be written is made, but every character is counted.
    const std::vector<uint8_t> cut = TextToBytes(text.data(), text.size(), 2, length);
    EXPECT_EQ(cut, (std::vector<uint8_t>{'A', 0xE9}));
    EXPECT_EQ(length, 6u);
}

TEST(MemoryInfo, LinesAsThePanelShowsThem)
{
    EXPECT_EQ(BinaryString(0x41, 8), "01000001");
    EXPECT_EQ(BinaryString(0, 8), "00000000");
    EXPECT_EQ(BinaryString(0xFF, 8), "11111111");
    EXPECT_EQ(InfoSizeLine(32, 0, 32, 0x1234, true),
              "size (00000032 dec) start (00000000 hex) end (0000001f hex) sum check (00001234 hex)     ");
    EXPECT_EQ(InfoSizeLine(32, 0, 32, 0x1234, false),
              "size (00000032 dec) start (00000000 hex) end (0000001f hex)" + std::string(28, ' '));
    EXPECT_EQ(InfoSizeLine(32, 0, 32, 0x1234, true, 0x08000A81),
              "size (00000032 dec) start (00000000 hex) end (0000001f hex) sum check (00001234 hex)   "
              "start address 08000A81     ");
    EXPECT_EQ(InfoSizeLine(0, 0, 0, 0, false).substr(0, 59),
              "size (00000000 dec) start (00000000 hex) end (ffffffff hex)");
    EXPECT_EQ(InfoCursorLine(0x10, 32, 0x41),
              "cursor (00000010 hex) char (41 hex   101 oct   065 dec   01000001 bin   'A' ascii)     ");
    EXPECT_EQ(InfoCursorLine(0x10, 32, 0x0A).substr(22, 60),
              "char (0A hex   012 oct   010 dec   00001010 bin   '.' ascii)");
    EXPECT_EQ(InfoCursorLine(0x10, 32, 0xE9).substr(72, 3), "'\xE9'");
    EXPECT_EQ(InfoCursorLine(0x20, 32, 0), "cursor (00000020 hex) char ( - )" + std::string(109, ' '));
}

}  // namespace
