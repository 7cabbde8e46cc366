#include "buffer/data_buffer.h"
#include "document/image_compare.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

constexpr Address kBlock = ODataBuffer::BlockSize;
using K = DiffKind;

struct Piece {
    Address at;
    std::vector<uint8_t> bytes;
};

// An image: its window first..last (last < first for an empty one) and the
// bytes written into it.
struct Image {
    Address first;
    Address last;
    std::vector<Piece> pieces;
};

void Build(ODataBuffer& buffer, const Image& image)
{
    for (const Piece& piece : image.pieces) {
        ASSERT_TRUE(buffer.SetPosition(piece.at));
        for (uint8_t b : piece.bytes)
            buffer.Put(b);
    }
    buffer.SetWindow(image.first, image.last);
}

std::vector<DiffRange> WalkAll(const OImageCompare& compare, Address from = 0)
{
    std::vector<DiffRange> ranges;
    compare.Walk(from, [&](const DiffRange& r) {
        ranges.push_back(r);
        return true;
    });
    return ranges;
}

struct Pair {
    const char* name;
    Image a;
    Image b;
    std::vector<DiffRange> expected;
};

TEST(ImageCompare, PairsOfImages)
{
    const std::vector<uint8_t> abc{1, 2, 3}, abd{1, 2, 4}, ff(16, 0xFF);
    const std::vector<Pair> pairs{
        {"equal", {0x100, 0x1FF, {{0x100, abc}}}, {0x100, 0x1FF, {{0x100, abc}}}, {}},
        {"one byte", {0x100, 0x1FF, {{0x100, abc}}}, {0x100, 0x1FF, {{0x100, abd}}}, {{0x102, 0x102, K::Both}}},
        {"two ranges, a byte apart",
         {0, 15, {{0, {1, 2, 3, 4, 5}}}},
         {0, 15, {{0, {1, 0, 3, 0, 0}}}},
         {{1, 1, K::Both}, {3, 4, K::Both}}},
        {"overlapping windows",
         {0, 0x1F, {{0, std::vector<uint8_t>(32, 7)}}},
         {0x10, 0x2F, {{0x10, std::vector<uint8_t>(32, 7)}}},
         {{0, 0xF, K::OnlyA}, {0x20, 0x2F, K::OnlyB}}},
        {"disjoint windows",
         {0, 3, {{0, {1, 2, 3, 4}}}},
         {0x9000, 0x9003, {{0x9000, {0xFF, 2, 0xFF, 4}}}},
         {{0, 3, K::OnlyA}, {0x9001, 0x9001, K::OnlyB}, {0x9003, 0x9003, K::OnlyB}}},
        {"erased equals unwritten", {0, 0x3F, {{0, ff}, {0x30, ff}}}, {0, 0xF, {}}, {}},
        {"one side empty", {5, 4, {}}, {0x10, 0x1F, {{0x14, {0, 0xFF, 0}}}},
         {{0x14, 0x14, K::OnlyB}, {0x16, 0x16, K::OnlyB}}},
        {"both empty", {5, 4, {}}, {9, 8, {}}, {}},
        {"a run across a window's edge splits there",
         {0, 7, {{0, std::vector<uint8_t>(8, 0)}}},
         {4, 11, {{4, std::vector<uint8_t>(8, 1)}}},
         {{0, 3, K::OnlyA}, {4, 7, K::Both}, {8, 11, K::OnlyB}}},
        {"a run across a block's edge stays whole",
         {0, 3 * kBlock, {{kBlock - 2, {0, 0, 0, 0}}}},
         {0, 3 * kBlock, {}},
         {{kBlock - 2, kBlock + 1, K::Both}}},
        {"far apart in windows over the whole address space",
         {0, 0xFFFFFFFF, {{0x10, {0}}, {0xFFFFFFF0, {1}}}},
         {0, 0xFFFFFFFF, {{0xFFFFFFF0, {2}}}},
         {{0x10, 0x10, K::Both}, {0xFFFFFFF0, 0xFFFFFFF0, K::Both}}},
    };
    for (const Pair& pair : pairs) {
        SCOPED_TRACE(pair.name);
        ODataBuffer a, b;
        Build(a, pair.a);
        Build(b, pair.b);
        const OImageCompare compare(a, b);
        EXPECT_EQ(WalkAll(compare), pair.expected);

        // The index, found one range a slice, holds the same ranges and bytes.
        OCompareIndex index(compare);
        size_t slices = 0;
        while (!index.Advance(1))
            ++slices;
        EXPECT_EQ(index.Ranges(), pair.expected);
        Address bytes = 0;
        for (const DiffRange& r : pair.expected)
            bytes += r.Count();
        EXPECT_EQ(index.Bytes(), bytes);

        // Next from inside a range goes on to the following one; marks agree.
        for (size_t i = 0; i < pair.expected.size(); ++i) {
            const DiffRange& r = pair.expected[i];
            EXPECT_EQ(compare.Next(r.first), r);
            const auto next = compare.Next(r.first + 1);
            if (i + 1 < pair.expected.size()) {
                ASSERT_TRUE(next.has_value());
                EXPECT_EQ(*next, pair.expected[i + 1]);
            } else {
                EXPECT_FALSE(next.has_value());
            }
            EXPECT_TRUE(compare.Differs(r.first));
            EXPECT_TRUE(compare.Differs(r.last));
            EXPECT_FALSE(compare.Differs(r.last + 1) && (i + 1 == pair.expected.size() ||
                                                         pair.expected[i + 1].first != r.last + 1));
        }
    }
}

// Random sparse pairs against a byte-by-byte reading of both images.
TEST(ImageCompare, AgreesWithByteByByteReading)
{
    std::mt19937 random(24);
    constexpr Address kSpan = 3 * kBlock;
    for (int round = 0; round < 40; ++round) {
        SCOPED_TRACE(round);
        ODataBuffer a, b;
        Image images[2];
        for (Image& image : images) {
            image.first = Address(random() % kSpan);
            image.last = image.first + Address(random() % kSpan) - 10;
            for (int p = 0; p < 6; ++p) {
                Piece piece{Address(random() % kSpan), {}};
                const int length = int(random() % 200);
                for (int i = 0; i < length; ++i)
                    piece.bytes.push_back(random() % 3 == 0 ? uint8_t(random()) : 0xFF);
                image.pieces.push_back(piece);
            }
        }
        Build(a, images[0]);
        Build(b, images[1]);
        const OImageCompare compare(a, b);
        std::vector<int> ra(size_t(2 * kSpan)), rb(size_t(2 * kSpan));
        compare.Read(0, 0, int(ra.size()), ra.data());
        compare.Read(1, 0, int(rb.size()), rb.data());
        std::vector<DiffRange> expected;
        for (Address x = 0; x < Address(ra.size()); ++x) {
            const int va = ra[x] < 0 ? 0xFF : ra[x], vb = rb[x] < 0 ? 0xFF : rb[x];
            if (va == vb)
                continue;
            const DiffKind kind = ra[x] >= 0 && rb[x] >= 0 ? K::Both : ra[x] >= 0 ? K::OnlyA : K::OnlyB;
            if (!expected.empty() && expected.back().last + 1 == x && expected.back().kind == kind)
                expected.back().last = x;
            else
                expected.push_back({x, x, kind});
        }
        EXPECT_EQ(WalkAll(compare), expected);
        OCompareIndex index(compare);
        while (!index.Advance(3)) {
        }
        EXPECT_EQ(index.Ranges(), expected);
        if (!expected.empty()) {
            // Previous and next around the middle range, from a fresh index.
            index.Reset();
            const size_t mid = expected.size() / 2;
            EXPECT_EQ(index.After(expected[mid].first), mid + 1 < expected.size()
                                                            ? std::optional<size_t>(mid + 1)
                                                            : std::nullopt);
            index.Reset();
            EXPECT_EQ(index.Before(expected[mid].first + 1), std::optional<size_t>(mid));
            EXPECT_EQ(index.Before(expected[0].first), std::nullopt);
        }
    }
}

}  // namespace
