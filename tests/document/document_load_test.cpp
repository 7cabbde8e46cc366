#include "document/document_fixture.h"

#include "buffer/data_buffer.h"

#include <cstring>

using Bytes = std::vector<uint8_t>;

namespace {
// Records 0..9 holding their own index, without an end record.
std::string TenRecords()
{
    std::string text;
    for (uint8_t i = 0; i < 10; ++i)
        text += IntelData(i, {i});
    return text;
}
} // namespace

TEST_F(DocumentTest, RecordsBelowAndAboveTheFirstWidenTheWindowWithErasedGaps)
{
    auto doc = MakeDocument("ext");
    std::string file = dir.Write("p.int", IntelData(0x100, {1, 2}) + IntelData(0x80, {3}) +
                                              IntelData(0x110, {4}) + IntelEnd());
    ASSERT_TRUE(doc->Open(file));
    EXPECT_EQ(doc->Start(), 0x80);
    EXPECT_EQ(doc->End(), 0x111);
    EXPECT_EQ(doc->ReadByte(0x80), 3);
    EXPECT_EQ(doc->ReadByte(0x81), 0xFF);
    EXPECT_EQ(doc->ReadByte(0xFF), 0xFF);
    EXPECT_EQ(doc->ReadByte(0x100), 1);
    EXPECT_EQ(doc->ReadByte(0x101), 2);
    EXPECT_EQ(doc->ReadByte(0x10F), 0xFF);
    EXPECT_EQ(doc->ReadByte(0x110), 4);
    EXPECT_FALSE(doc->IsDirty());
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(doc->Title(), "p.int");
}

TEST_F(DocumentTest, EmptyFileGivesOneErasedByteAtZero)
{
    auto doc = MakeDocument("hex");
    ASSERT_TRUE(doc->Open(dir.Write("empty.hex", "")));
    EXPECT_EQ(doc->Start(), 0);
    EXPECT_EQ(doc->Size(), 1);
    EXPECT_EQ(doc->ReadByte(0), 0xFF);
    EXPECT_TRUE(doc->IsOpen());
}

TEST_F(DocumentTest, LoadRunsBusyAndTellsViews)
{
    struct Log : DocumentObserver {
        std::vector<std::pair<int, int32_t>> seen;
        std::vector<bool> busyAtNotice;
        void DocumentNotify(OBufferDocument& d, int n, Address a) override
        {
            seen.push_back({n, a});
            if (n == vnBusy)
                busyAtNotice.push_back(d.IsBusy());
        }
    } log;
    auto doc = MakeDocument("hex");
    doc->AddObserver(&log);
    ASSERT_TRUE(doc->Open(dir.Write("a.hex", PlainHex(Bytes(3000, 0x12)))));
    std::vector<std::pair<int, int32_t>> expected = {{vnBusy, 0}, {vnBusy, 0}, {vnRevert, 0}, {vnBufferSize, 3000}};
    EXPECT_EQ(log.seen, expected);
    EXPECT_EQ(log.busyAtNotice, (std::vector<bool>{true, false}));
    EXPECT_EQ(host.busyWindowShows, 1);
    EXPECT_EQ(host.busyText, "Please wait while the buffer is being processed...");
    EXPECT_FALSE(host.busyWindowShown);
    EXPECT_FALSE(host.waitCursorOn);
    EXPECT_GT(host.eventSteps, 3000 / 1000);
    doc->RemoveObserver(&log);
}

TEST_F(DocumentTest, UnopenableFileIsReportedWithNameAndReason)
{
    auto doc = MakeDocument("hex");
    std::string missing = dir.File("missing.hex");
    EXPECT_FALSE(doc->Open(missing));
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_NE(host.messages[0].text.find(missing), std::string::npos);
    EXPECT_NE(host.messages[0].text.find(std::strerror(ENOENT)), std::string::npos);
    EXPECT_EQ(host.messages[0].caption, "Error");
    EXPECT_EQ(host.messages[0].style, mbIconStop);
    EXPECT_EQ(doc->Size(), 0);
}

TEST_F(DocumentTest, ChecksumAndFormatErrorsKeepTheBytesReadBefore)
{
    std::string bad = IntelData(0x10, {1, 2});
    bad[bad.size() - 3] ^= 1; // spoil the checksum
    auto doc = MakeDocument("ext");
    // Ten good records first, so that recognition still takes it for Intel.
    ASSERT_TRUE(doc->Open(dir.Write("c.int", TenRecords() + bad + IntelEnd())));
    EXPECT_EQ(host.messages, (std::vector<RecordedMessage>{{"Checksum Error", "Error", mbIconStop}}));
    // The faulty record's address is taken before loading stops; none of its bytes.
    EXPECT_EQ(doc->Size(), 0x10);
    EXPECT_EQ(doc->ReadByte(0x0F), 0xFF);
    EXPECT_FALSE(doc->IsDirty());

    host.messages.clear();
    auto doc2 = MakeDocument("ext");
    // No end record: the missing marker at the end is a format error.
    ASSERT_TRUE(doc2->Open(dir.Write("d.int", TenRecords())));
    EXPECT_EQ(host.messages, (std::vector<RecordedMessage>{{"Format Error", "Error", mbIconStop}}));
    EXPECT_EQ(doc2->Size(), 10);
}

TEST_F(DocumentTest, AddressesBeyondTheAddressSpaceAreReportedAndNeverMisplaced)
{
    // Sixteen bytes loaded at 0xFFFFFFF8 run past the last address: the
    // eight that fit are kept and loading stops with the report.
    auto doc = MakeDocument("bin");
    doc->SetLoadOffset(0xFFFFFFF8);
    ASSERT_TRUE(doc->Open(dir.Write("big.bin", std::string(16, '\x11'))));
    EXPECT_EQ(host.messages, (std::vector<RecordedMessage>{{"Format Error", "Error", mbIconStop}}));
    EXPECT_EQ(doc->Start(), 0xFFFFFFF8);
    EXPECT_EQ(doc->End(), ODataBuffer::AddressLimit);
    EXPECT_EQ(doc->ReadByte(0xFFFFFFFF), 0x11);

    // An endless input ends there too: /dev/zero read as binary fills the
    // address space up to the top and stops with the report.
    host.messages.clear();
    auto zeros = MakeDocument("bin");
    zeros->SetLoadOffset(0xFFFF0000);
    ASSERT_TRUE(zeros->Open("/dev/zero"));
    EXPECT_EQ(host.messages, (std::vector<RecordedMessage>{{"Format Error", "Error", mbIconStop}}));
    EXPECT_EQ(zeros->Start(), 0xFFFF0000);
    EXPECT_EQ(zeros->End(), ODataBuffer::AddressLimit);

    // A file that lies wholly beyond, above or below, keeps nothing but the
    // one erased byte.
    for (Address offset : {ODataBuffer::AddressLimit, Address{-16}}) {
        host.messages.clear();
        auto doc2 = MakeDocument("ext");
        doc2->SetLoadOffset(offset);
        ASSERT_TRUE(doc2->Open(dir.Write("beyond.int", IntelData(0, {1, 2}) + IntelEnd())));
        EXPECT_EQ(host.messages.size(), 1u) << offset;
        EXPECT_EQ(doc2->Size(), 1);
        EXPECT_EQ(doc2->ReadByte(doc2->Start()), 0xFF);
    }
}

TEST_F(DocumentTest, NewDocumentAsksForItsRange)
{
    auto cancelled = MakeDocument("s3f");
    ASSERT_TRUE(cancelled->Open());
    EXPECT_EQ(host.newBufferTitle, "Enter desired buffer size (cancel creates buffer of 512 bytes)");
    EXPECT_EQ(cancelled->Start(), 0);
    EXPECT_EQ(cancelled->Size(), 512);
    EXPECT_EQ(cancelled->ReadByte(300), 0xFF);
    EXPECT_FALSE(cancelled->IsDirty());

    host.newBufferAccepted = true;
    host.newBufferStart = 0x100;
    host.newBufferLast = 0x1FF;
    auto accepted = MakeDocument("s3f");
    ASSERT_TRUE(accepted->Open());
    EXPECT_EQ(accepted->Start(), 0x100);
    EXPECT_EQ(accepted->End(), 0x200);

    host.newBufferStart = host.newBufferLast = 0;
    auto single = MakeDocument("s3f");
    ASSERT_TRUE(single->Open());
    EXPECT_EQ(single->Size(), 1);
}

TEST_F(DocumentTest, InsertPlacesTheFileAtTheAddressAndUndoes)
{
    auto doc = LoadBytes(Bytes(16, 0x00));
    std::string other = dir.Write("other.hex", PlainHex({0xA1, 0xA2, 0xA3}));
    host.insertPath = other;
    host.insertKey = "hex";
    doc->Insert(0x2000);
    EXPECT_EQ(doc->End(), 0x2003);
    EXPECT_EQ(doc->ReadByte(0x2000), 0xA1);
    EXPECT_EQ(doc->ReadByte(0x2002), 0xA3);
    EXPECT_EQ(doc->ReadByte(0x1FFF), 0xFF);
    EXPECT_TRUE(doc->IsDirty());
    ASSERT_EQ(doc->Journal().Count(), 2);
    EXPECT_EQ(doc->Journal().At(1).marker, kWindowByEdit);

    doc->InsertFile(4, other);
    EXPECT_EQ(doc->ReadByte(4), 0xA1);
    EXPECT_EQ(doc->ReadByte(7), 0x00);

    EXPECT_EQ(doc->Undo(), 0);
    EXPECT_EQ(doc->ReadByte(4), 0x00);
    EXPECT_EQ(doc->Undo(), 0);
    EXPECT_EQ(doc->Size(), 16);
    EXPECT_FALSE(doc->IsDirty());
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(DocumentTest, AnUndoneInsertLeavesNothingBehindTheWindow)
{
    auto doc = LoadBytes(Bytes(16, 0x00));
    doc->InsertFile(0x100, dir.Write("other.hex", PlainHex({0xA1, 0xA2, 0xA3})));
    doc->InsertFile(0, dir.Write("low.hex", PlainHex({0xB1})));
    ASSERT_EQ(doc->End(), 0x103);
    doc->Undo();
    doc->Undo();
    EXPECT_EQ(doc->End(), 0x10);
    // Growing the window again shows erased bytes, as after a resize.
    doc->Resize(0, 0x1FF);
    EXPECT_EQ(doc->ReadByte(0), 0x00);
    EXPECT_EQ(doc->ReadByte(0x100), 0xFF);
    EXPECT_EQ(doc->ReadByte(0x102), 0xFF);
}

TEST_F(DocumentTest, InsertReportsInCapitals)
{
    auto doc = LoadBytes(Bytes(4, 0x00));
    auto ext = MakeDocument("ext");
    ASSERT_TRUE(ext->Open(dir.Write("base.int", IntelData(0, {1}) + IntelEnd())));
    ext->InsertFile(0x10, dir.Write("noend.int", TenRecords()));
    EXPECT_EQ(host.messages, (std::vector<RecordedMessage>{{"FORMAT ERROR", "ERROR", mbIconStop}}));
    EXPECT_EQ(ext->ReadByte(0x19), 9);
    EXPECT_TRUE(ext->IsDirty());

    host.messages.clear();
    doc->InsertFile(0, dir.File("nothing.hex"));
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].caption, "ERROR");
    EXPECT_NE(host.messages[0].text.find("nothing.hex"), std::string::npos);
}

TEST_F(DocumentTest, RevertReadsTheFileAfresh)
{
    auto doc = LoadBytes({1, 2, 3});
    doc->WriteByte(9, 10);
    EXPECT_EQ(doc->Size(), 11);
    ASSERT_TRUE(doc->Revert());
    EXPECT_EQ(doc->Size(), 3);
    EXPECT_EQ(doc->ReadByte(0), 1);
    EXPECT_FALSE(doc->IsDirty());
    EXPECT_FALSE(doc->CanUndo());
}

TEST_F(DocumentTest, RowTextsLeaveColumnsBeforeTheStart)
{
    auto doc = MakeDocument("ext");
    ASSERT_TRUE(doc->Open(dir.Write("r.int", IntelData(8, {0x41, 0x1F, 0xB5, 0x00, 1, 2, 3, 4, 5, 6}) + IntelEnd())));
    char hex[OBufferDocument::kHexRowSize];
    std::memset(hex, '#', sizeof hex);
    EXPECT_EQ(doc->HexRow(hex, 0), -48);
    EXPECT_EQ(doc->OutsideCount(), 8);
    EXPECT_EQ(std::string(hex, 24), std::string(24, '#'));
    EXPECT_STREQ(hex + 24, "41 1F B5 00 01 02 03 04 ");

    char ascii[OBufferDocument::kAsciiRowSize];
    std::memset(ascii, '#', sizeof ascii);
    EXPECT_EQ(doc->AsciiRow(ascii, 0), -16);
    EXPECT_EQ(std::string(ascii + 8, 3), "A.\xB5");

    // Row 1 ends two bytes in, at End.
    EXPECT_EQ(doc->HexRow(hex, 1), 6);
    EXPECT_EQ(doc->OutsideCount(), 0);
    EXPECT_STREQ(hex, "05 06 ");
    EXPECT_EQ(doc->AsciiRow(ascii, 1), 2);
    EXPECT_EQ(doc->HexRow(hex, 5), 0);
    EXPECT_EQ(hex[0], 0);
}

TEST_F(DocumentTest, RowTextOpensADocumentOnce)
{
    auto doc = MakeDocument("s3f");
    char hex[OBufferDocument::kHexRowSize];
    EXPECT_EQ(doc->HexRow(hex, 0), 48);
    EXPECT_EQ(doc->Size(), 512);

    auto gone = MakeDocument("s3f");
    gone->SetPath(dir.File("gone.s3f"));
    EXPECT_EQ(gone->HexRow(hex, 0), 0);
    EXPECT_EQ(gone->AsciiRow(hex, 1), 0);
    EXPECT_EQ(hex[0], 0);
    EXPECT_EQ(host.messages.size(), 1u);
}

TEST_F(DocumentTest, InsertNearTheTopKeepsOnlyWhatFits)
{
    auto doc = LoadBytes({0});
    doc->InsertFile(0xFFFFFFFE, dir.Write("four.hex", PlainHex({1, 2, 3, 4})));
    EXPECT_EQ(host.messages, (std::vector<RecordedMessage>{{"FORMAT ERROR", "ERROR", mbIconStop}}));
    EXPECT_EQ(doc->End(), ODataBuffer::AddressLimit);
    EXPECT_EQ(doc->ReadByte(0xFFFFFFFE), 1);
    EXPECT_EQ(doc->ReadByte(0xFFFFFFFF), 2);
    EXPECT_EQ(doc->ReadByte(0), 0);
    EXPECT_EQ(doc->ReadByte(1), 0xFF);
    // Inserting beyond the address space places nothing.
    host.messages.clear();
    doc->InsertFile(ODataBuffer::AddressLimit, dir.File("four.hex"));
    EXPECT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(doc->ReadByte(1), 0xFF);
}
