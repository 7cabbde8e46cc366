// Windows that span far more than the bytes written: what loads, saves,
// sums, searches, erases and undoes cost follows the written blocks, and
// the results are those a byte-by-byte walk would give.

#include "document/document_fixture.h"

#include "buffer/data_buffer.h"
#include "document/find_request.h"

#include <algorithm>
#include <numeric>
#include <optional>

namespace {

using Bytes = std::vector<uint8_t>;
constexpr Address kHigh = 0x10001000;  // where a merged nRF52 file keeps its UICR bytes
constexpr Address kTop = ODataBuffer::AddressLimit - 1;

// Low bytes below 0x80, high bytes above, so a pattern of one part is
// never found in the other.
Bytes Pattern(size_t n, uint8_t base)
{
    Bytes b(n);
    uint32_t x = 12345;
    for (size_t i = 0; i < n; ++i) {
        x = x * 1103515245u + 12345u;
        b[i] = static_cast<uint8_t>(base ? base + i : (x >> 16) & 0x7F);
    }
    return b;
}

}  // namespace

TEST_F(DocumentTest, SparseWindowsCostWhatWasWritten)
{
    WriteSettings("[Settings]\nsumcheck=1\nundo=1\n");
    auto doc = MakeDocument("ext");
    const Bytes low = Pattern(64 * 1024, 0);
    const Bytes high = Pattern(16, 0x80);
    std::string text = IntelLinear(0);
    for (size_t i = 0; i < low.size(); i += 32)
        text += IntelData(static_cast<uint16_t>(i), Bytes(low.begin() + i, low.begin() + i + 32));
    text += IntelLinear(static_cast<uint16_t>(kHigh >> 16)) + IntelData(kHigh & 0xFFFF, high) + IntelEnd();
    ASSERT_TRUE(doc->Open(dir.Write("merged.int", text)));
    ASSERT_TRUE(host.messages.empty());
    EXPECT_EQ(doc->Start(), 0);
    EXPECT_EQ(doc->End(), kHigh + 16);
    // A few blocks, not the 256 MiB span.
    EXPECT_LE(doc->Data().BlockCount(), 4);

    // The sum counts every erased byte of the gap.
    uint32_t expected = std::accumulate(low.begin(), low.end(), 0u) + std::accumulate(high.begin(), high.end(), 0u) +
                        static_cast<uint32_t>((kHigh - low.size()) * 0xFF);
    EXPECT_EQ(doc->Sum(), expected);
    EXPECT_EQ(doc->SumWindow(), expected);

    const auto ranges = doc->SavedRanges();
    ASSERT_EQ(ranges.size(), 2u);
    EXPECT_EQ(ranges[0].last, Address(low.size()) - 1);
    EXPECT_EQ(ranges[1].first, kHigh);
    EXPECT_EQ(ranges[1].last, kHigh + 15);

    // Searches step over the gap both ways; an erased pattern is found in it.
    FindRequest request;
    request.hex = true;
    request.pattern = {high[3], high[4], high[5]};
    request.length = 3;
    EXPECT_EQ(doc->Find(request, 0), kHigh + 3);
    request.up = true;
    EXPECT_EQ(doc->Find(request, doc->End()), kHigh + 3);
    request.pattern = {low[10], low[11]};
    request.length = 2;
    const auto last = std::find_end(low.begin(), low.end(), request.pattern.begin(), request.pattern.begin() + 2);
    EXPECT_EQ(doc->Find(request, doc->End()), last - low.begin());
    request.up = false;
    request.pattern = {0xFF, 0xFF};
    EXPECT_EQ(doc->Find(request, Address(low.size()) + 100), Address(low.size()) + 101);
    request.pattern = {0x12, 0x34, 0x56};
    request.length = 3;
    EXPECT_EQ(doc->Find(request, 0), -1);

    // Shrinking the window to the high bytes erases the low ones, gives
    // their memory back, and one undo brings them and the window back.
    doc->Resize(kHigh, kHigh + 15);
    EXPECT_EQ(doc->Start(), kHigh);
    EXPECT_EQ(doc->Data().BlockCount(), 1);
    while (doc->CanUndo() && doc->Start() != 0)
        doc->Undo();
    EXPECT_EQ(doc->Start(), 0);
    EXPECT_EQ(doc->ReadByte(100), low[100]);
    EXPECT_EQ(doc->ReadByte(kHigh + 1), high[1]);
    EXPECT_EQ(doc->Sum(), expected);

    // Saved as S-records, only the written bytes go out, and they come back.
    doc->SetFormatKey("s3f");
    doc->SetPath(dir.File("merged.s3f"));
    ASSERT_TRUE(doc->Commit(true));
    EXPECT_LT(ReadFileBytes(dir.File("merged.s3f")).size(), 200000u);
    auto again = MakeDocument("s3f");
    ASSERT_TRUE(again->Open(dir.File("merged.s3f")));
    EXPECT_EQ(again->End(), kHigh + 16);
    EXPECT_EQ(again->ReadByte(kHigh + 15), high[15]);
    EXPECT_EQ(again->Sum(), expected);
}

TEST_F(DocumentTest, LoadOffsetIsAskedForWhenTheSettingsSaySo)
{
    const std::string file = dir.Write("two.int", IntelData(0x10, {1, 2}) + IntelEnd());
    struct Case {
        bool ask;
        std::optional<Address> answer;
        bool opened;
        Address start;
        size_t messages;
    };
    const Case cases[] = {
        {false, 0x1000, true, 0x10, 0},              // not asked: read where the file says
        {true, 0x08000000, true, 0x08000010, 0},     // asked and answered
        {true, -0x10, true, 0, 0},                   // a negative offset down to 0
        {true, -0x11, true, 0, 1},                   // one further: below the space
        {true, kTop - 0x10, true, kTop, 1},          // the second byte lands beyond the top
        {true, std::nullopt, false, 0, 0},           // cancelled: nothing opened
    };
    for (const Case& c : cases) {
        WriteSettings(c.ask ? "[Settings]\nask offset=1\n" : "[Settings]\nask offset=0\n");
        host.messages.clear();
        host.offsetQuestions = 0;
        host.loadOffset = c.answer;
        auto doc = MakeDocument("ext");
        EXPECT_EQ(doc->Open(file), c.opened) << c.start;
        EXPECT_EQ(host.offsetQuestions, c.ask ? 1 : 0);
        EXPECT_EQ(host.messages.size(), c.messages) << c.start;
        if (c.opened && c.messages == 0) {
            EXPECT_EQ(doc->Start(), c.start);
            EXPECT_EQ(doc->ReadByte(c.start + 1), 2);
        }
        if (c.opened && c.start == kTop) {
            EXPECT_EQ(doc->ReadByte(kTop), 1);
        }
        // Reverting reads the file again at the same offset without asking.
        if (c.opened) {
            const Address start = doc->Start();
            ASSERT_TRUE(doc->Revert());
            EXPECT_EQ(doc->Start(), start);
            EXPECT_EQ(host.offsetQuestions, c.ask ? 1 : 0);
        }
    }
}
