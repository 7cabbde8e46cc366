#include "document/saved_ranges.h"

#include "buffer/data_buffer.h"
#include "document_fixture.h"

#include <random>

namespace {
using Range = OBufferDocument::SavedRange;

// Erased runs of every length around the gap threshold, and runs of bytes
// that look erased but are written, at both ends of the window.
std::vector<uint8_t> Patterned(unsigned seed, size_t size)
{
    std::mt19937 rng(seed);
    std::vector<uint8_t> bytes(size, 0xFF);
    size_t at = rng() % 3;
    while (at < size) {
        const size_t data = 1 + rng() % 40;
        for (size_t i = 0; i < data && at < size; ++i, ++at)
            bytes[at] = static_cast<uint8_t>(rng() % 3 == 0 ? 0xFF : rng() % 255);
        at += rng() % 4 == 0 ? 9 + rng() % 4 : rng() % 200;
    }
    return bytes;
}
} // namespace

TEST_F(DocumentTest, GapsAreWhatLiesBetweenTheSavedRanges)
{
    for (unsigned seed = 1; seed <= 12; ++seed) {
        const std::vector<uint8_t> bytes = Patterned(seed, 2000 + seed * 3700);
        auto doc = LoadBytes(bytes);
        SCOPED_TRACE(seed);
        const std::vector<Range> found = doc->SavedRanges();
        // A gap is exactly what lies between two ranges, the erased tail
        // before the last byte included, which a save skips whatever its length.
        std::vector<uint8_t> gap;
        MarkGaps(doc->Data(), 0, doc->Size(), gap);
        size_t r = 0;
        for (int32_t a = 1; a < doc->Size() - 1; ++a) {
            while (r < found.size() && found[r].last < a)
                ++r;
            const bool inRange = r < found.size() && found[r].first <= a;
            ASSERT_EQ(gap[a] != 0, !inRange) << a;
        }
        // Any stretch judged alone marks what the whole walk marks.
        std::vector<uint8_t> part;
        MarkGaps(doc->Data(), 777, 45, part);
        EXPECT_TRUE(std::equal(part.begin(), part.end(), gap.begin() + 777));
        MarkGaps(doc->Data(), doc->Size() - 40, 25, part);
        EXPECT_TRUE(std::equal(part.begin(), part.end(), gap.begin() + (doc->Size() - 40)));
    }
}

TEST(SavedRanges, LinesJumpsAndTheRangeOfAnAddress)
{
    const std::vector<Range> ranges = {{0x1234, 0x13FF}, {0x2000, 0x2000}, {0x3000, 0x30FF}};
    EXPECT_EQ(RangeLine(ranges[0]), "00001234-000013FF  460 bytes");
    EXPECT_EQ(RangeLine(ranges[1]), "00002000-00002000  1 byte");
    struct Case {
        Address at;
        int index;
        Address next;
        Address previous;
    };
    const Case cases[] = {
        {0x0000, -1, 0x1234, kNoAddress},  {0x1234, 0, 0x2000, kNoAddress}, {0x1300, 0, 0x2000, 0x1234},
        {0x1500, -1, 0x2000, 0x1234},      {0x2000, 1, 0x3000, 0x1234},     {0x30FF, 2, kNoAddress, 0x3000},
        {0x9000, -1, kNoAddress, 0x3000},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RangeIndexAt(ranges, c.at), c.index) << c.at;
        EXPECT_EQ(NextRangeStart(ranges, c.at), c.next) << c.at;
        EXPECT_EQ(PreviousRangeStart(ranges, c.at), c.previous) << c.at;
    }
}
