#include "buffer/data_buffer.h"
#include "document/lane_files.h"
#include "document/lanes.h"
#include "document_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <random>

namespace {
using Model = std::map<Address, uint8_t>;

// Runs of random bytes with gaps from a few bytes to several blocks, so
// both stored runs and never-written stretches are crossed.
Model SparseModel(uint32_t seed, Address limit, Address base = 0)
{
    std::mt19937 random(seed);
    Model model;
    Address address = base + random() % 7;
    limit += base;
    while (true) {
        const Address length = 1 + random() % 3000;
        if (address + length > limit)
            break;
        for (Address i = 0; i < length; ++i)
            model[address + i] = static_cast<uint8_t>(random());
        address += length + (random() % 4 == 0 ? 40000 + random() % 90000 : 1 + random() % 64);
    }
    return model;
}

void Fill(ODataBuffer& buffer, const Model& model)
{
    for (const auto& [address, byte] : model) {
        buffer.SetPosition(address);
        buffer.Put(byte);
    }
}

uint8_t Expected(const Model& model, Address address)
{
    const auto it = model.find(address);
    return it == model.end() ? 0xFF : it->second;
}

// The first address where the buffer's window and the model differ, or -1.
Address FirstDifference(const ODataBuffer& buffer, const Model& model, Address first, Address count)
{
    std::vector<uint8_t> bytes(static_cast<size_t>(count));
    buffer.CopyOut(first, count, bytes.data());
    for (Address i = 0; i < count; ++i)
        if (bytes[size_t(i)] != Expected(model, first + i))
            return first + i;
    return kNoAddress;
}
} // namespace

// Split and merge over every shape: each lane holds the bytes the lane
// formula names, the lanes are alike in size, erased stretches stay
// unwritten, and merging the lanes gives the image back.
TEST(LanesTest, SplitAndMergeEveryShape)
{
    const LaneShape shapes[] = {{2, 1}, {2, 2}, {4, 1}, {4, 2}};
    for (const LaneShape shape : shapes) {
        for (uint32_t seed = 1; seed <= 3; ++seed) {
            SCOPED_TRACE(testing::Message() << shape.lanes << "x" << shape.width << " seed " << seed);
            // The last image lies at the top of the address space.
            const Model model = SparseModel(seed, 0x60000, seed == 3 ? 0xFFF00000 : 0);
            ODataBuffer source;
            Fill(source, model);
            // An aligned window, so the merge gives back exactly this one.
            const Address group = shape.Group();
            source.SetWindow(source.Start() / group * group, (source.End() + group - 1) / group * group - 1);

            std::vector<std::unique_ptr<ODataBuffer>> lanes;
            std::vector<const ODataBuffer*> order;
            for (int k = 0; k < shape.lanes; ++k) {
                lanes.push_back(std::make_unique<ODataBuffer>());
                SplitLane(source, source.Start(), source.Size(), shape, k, *lanes.back());
                Model laneModel;
                for (const auto& [address, byte] : model)
                    if (address / shape.width % shape.lanes == k)
                        laneModel[LaneAddress(address, shape)] = byte;
                EXPECT_EQ(lanes.back()->Start(), source.Start() / shape.lanes);
                EXPECT_EQ(lanes.back()->Size(), source.Size() / shape.lanes);
                EXPECT_EQ(FirstDifference(*lanes.back(), laneModel, lanes.back()->Start(), lanes.back()->Size()),
                          kNoAddress);
                EXPECT_LE(lanes.back()->BlockCount(), source.BlockCount());
                order.push_back(lanes.back().get());

                // Read in place as a save reads it (first byte, then the
                // rest), over a ragged window, it is the lane SplitLane builds.
                const Address first = source.Start() + 1, count = source.Size() - 2;
                ODataBuffer built;
                SplitLane(source, first, count, shape, k, built);
                const LaneView view(source, first, count, shape, k);
                ASSERT_EQ(view.Start(), built.Start());
                ASSERT_EQ(view.Size(), built.Size());
                std::vector<uint8_t> walked{view.Peek(view.Start())}, expected(size_t(built.Size()));
                view.ForEachSpan(view.Start() + 1, view.Size() - 1, [&](const uint8_t* bytes, Address n) {
                    walked.insert(walked.end(), size_t(n), 0xFF);
                    if (bytes)
                        std::copy(bytes, bytes + n, walked.end() - n);
                });
                built.CopyOut(built.Start(), built.Size(), expected.data());
                EXPECT_EQ(walked, expected);
            }
            ODataBuffer merged;
            MergeLanes(order, shape, merged);
            EXPECT_EQ(merged.Start(), source.Start());
            EXPECT_EQ(merged.Size(), source.Size());
            EXPECT_EQ(FirstDifference(merged, model, merged.Start(), merged.Size()), kNoAddress);
            EXPECT_LE(merged.BlockCount(), 2 * source.BlockCount());
        }
    }
}

TEST(LanesTest, ShapesNamesAndPolicies)
{
    struct ShapeCase {
        const char* text;
        bool ok;
        LaneShape shape;
    };
    for (const ShapeCase& c : {ShapeCase{"2", true, {2, 1}}, ShapeCase{"4x2", true, {4, 2}},
                               ShapeCase{"2X2", true, {2, 2}}, ShapeCase{"3", false, {}},
                               ShapeCase{"8", false, {}}, ShapeCase{"2x4", false, {}}, ShapeCase{"", false, {}},
                               ShapeCase{"22", false, {}}}) {
        LaneShape shape;
        EXPECT_EQ(ParseLaneShape(c.text, shape).empty(), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(shape, c.shape) << c.text;
        }
    }
    using Names = std::vector<std::string>;
    EXPECT_EQ(LaneFileNames("out/fw.bin", {2, 1}), (Names{"out/fw.even.bin", "out/fw.odd.bin"}));
    EXPECT_EQ(LaneFileNames("fw.v2/image", {2, 2}), (Names{"fw.v2/image.0", "fw.v2/image.1"}));
    EXPECT_EQ(LaneFileNames("a.s37", {4, 1}), (Names{"a.0.s37", "a.1.s37", "a.2.s37", "a.3.s37"}));
    // A lane file or the stem finds the whole set.
    EXPECT_EQ(LaneSet("x/fw.odd.bin", {2, 1}), (Names{"x/fw.even.bin", "x/fw.odd.bin"}));
    EXPECT_EQ(LaneSet("x/fw.bin", {2, 1}), (Names{"x/fw.even.bin", "x/fw.odd.bin"}));
    EXPECT_EQ(LaneSet("fw.2.hex", {4, 1}), (Names{"fw.0.hex", "fw.1.hex", "fw.2.hex", "fw.3.hex"}));
    EXPECT_EQ(LaneSet("fw.1", {2, 2}), (Names{"fw.0", "fw.1"}));

    OverlapPolicy policy;
    EXPECT_TRUE(ParseOverlapPolicy("keep", policy));
    EXPECT_EQ(policy, OverlapPolicy::keep);
    EXPECT_FALSE(ParseOverlapPolicy("merge", policy));
    EXPECT_EQ(RangeList({{0x10, 0x1F}, {0x30, 0x30}, {0x40, 0x41}}, 2),
              "00000010-0000001F\n00000030-00000030\n... and 1 more");
}

// A lane set takes its names all or none: when the second rename fails,
// the first lane's old file is back and nothing else is left behind.
TEST(LanesTest, LaneFilesInPlaceAllOrNone)
{
    for (const bool secondWritten : {false, true}) {
        SCOPED_TRACE(secondWritten ? "both written" : "second temporary missing");
        TempDir dir;
        const std::vector<std::string> names{dir.Write("o.even.bin", "old0"), dir.Write("o.odd.bin", "old1")};
        std::vector<std::string> temporaries{dir.Write("t0", "new0"), dir.File("t1")};
        if (secondWritten)
            dir.Write("t1", "new1");
        const std::string problem = PutLaneFilesInPlace(temporaries, names);
        EXPECT_EQ(problem.empty(), secondWritten) << problem;
        EXPECT_EQ(ReadFileBytes(names[0]), secondWritten ? "new0" : "old0");
        EXPECT_EQ(ReadFileBytes(names[1]), secondWritten ? "new1" : "old1");
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 2);
    }
}

// Swaps over ranges of every remainder: whole groups swapped, the rest left
// alone and said, erased stretches left unwritten, one undo step back.
TEST_F(DocumentTest, SwapBytesInGroups)
{
    struct Case {
        int width;
        Address first, last;
        Address left;
        const char* notice;
    };
    const Case cases[] = {
        {2, 0, 7, 0, ""},
        {2, 1, 7, 1, "The range 00000001-00000007 does not divide into groups of 2 bytes: its last byte (00000007) "
                     "was left alone."},
        {4, 0, 7, 0, ""},
        {4, 0, 6, 3, "The range 00000000-00000006 does not divide into groups of 4 bytes: its last 3 bytes "
                     "(00000004-00000006) were left alone."},
        {4, 2, 2, 1, "The range 00000002-00000002 does not divide into groups of 4 bytes: its last byte (00000002) "
                     "was left alone."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " " << c.first << "-" << c.last);
        auto doc = LoadBytes({0, 1, 2, 3, 4, 5, 6, 7});
        const Address left = doc->SwapBytes(c.first, c.last, c.width);
        EXPECT_EQ(left, c.left);
        EXPECT_EQ(SwapRemainderNotice(c.first, c.last, c.width, left), c.notice);
        std::vector<uint8_t> expected{0, 1, 2, 3, 4, 5, 6, 7};
        for (Address g = c.first; g + c.width - 1 <= c.last - c.left; g += c.width)
            std::reverse(expected.begin() + g, expected.begin() + g + c.width);
        EXPECT_EQ(Window(*doc), expected);
        if (c.left != c.last - c.first + 1) {
            EXPECT_TRUE(doc->IsDirty());
            doc->Undo();
        }
        EXPECT_EQ(Window(*doc), (std::vector<uint8_t>{0, 1, 2, 3, 4, 5, 6, 7}));
    }

    // A window of 4 MiB with two written bytes far apart: the swap touches
    // their blocks only, and a group split by a block edge still swaps.
    auto doc = LoadBytes({0x11});
    doc->WriteByte(0x22, 32767 * 3);
    doc->WriteByte(0x33, 0x3FFFFF);
    const int32_t blocks = doc->Data().BlockCount();
    EXPECT_EQ(doc->SwapBytes(doc->Start(), doc->End() - 1, 2), 0);
    EXPECT_EQ(doc->ReadByte(1), 0x11);
    EXPECT_EQ(doc->ReadByte(32767 * 3 - 1), 0x22);
    EXPECT_EQ(doc->ReadByte(0x3FFFFE), 0x33);
    // At most the neighbour of each written block, for a group across its edge.
    EXPECT_LE(doc->Data().BlockCount(), 2 * blocks);
}

// Overlays under each policy, and Insert's choice when the file lands on
// written bytes.
TEST_F(DocumentTest, OverlayPoliciesAndInsertChoice)
{
    struct Case {
        OverlapPolicy policy;
        std::vector<uint8_t> window;
    };
    // Base 10 FF 12 13 at 0; overlay A1 A2 FF A4 A5 at 1: overlaps at 2..3.
    for (const Case& c : {Case{OverlapPolicy::keep, {0x10, 0xA1, 0x12, 0x13, 0xA5}},
                          Case{OverlapPolicy::replace, {0x10, 0xA1, 0xA2, 0x13, 0xA4, 0xA5}}}) {
        auto doc = LoadBytes({0x10, 0xFF, 0x12, 0x13});
        auto overlay = LoadBytes({0xA1, 0xA2, 0xFF, 0xA4, 0xA5});
        const Address offset = c.policy == OverlapPolicy::keep ? 0 : 1;
        if (c.policy == OverlapPolicy::keep) {
            overlay = LoadBytes({0xFF, 0xA1, 0xA2, 0xFF, 0xA5});
            EXPECT_EQ(OverlapRanges(doc->Data(), overlay->Data(), offset),
                      (std::vector<AddressRange>{{2, 2}}));
        } else {
            EXPECT_EQ(OverlapRanges(doc->Data(), overlay->Data(), offset),
                      (std::vector<AddressRange>{{2, 2}}));
        }
        ASSERT_TRUE(doc->Overlay(*overlay, offset, c.policy));
        EXPECT_EQ(Window(*doc), c.window);
        doc->Undo();
        doc->Undo();
        EXPECT_EQ(Window(*doc), (std::vector<uint8_t>{0x10, 0xFF, 0x12, 0x13}));
        EXPECT_FALSE(doc->Overlay(*overlay, ODataBuffer::AddressLimit - 2, c.policy));
    }

    // Insert asks only when written bytes meet; each answer does its own thing.
    struct AskingHost : RecordingHost {
        OverlapPolicy ChooseOverlap(std::string_view ranges) override
        {
            asked.emplace_back(ranges);
            return choice;
        }
        OverlapPolicy choice = OverlapPolicy::error;
        std::vector<std::string> asked;
    };
    AskingHost asking;
    asking.insertPath = dir.Write("boot.hex", PlainHex({0xB0, 0xFF, 0xB2}));
    asking.insertKey = "hex";
    struct InsertCase {
        OverlapPolicy choice;
        Address at;
        std::vector<uint8_t> window;
        size_t asked;
    };
    for (const InsertCase& c : {InsertCase{OverlapPolicy::error, 1, {0x00, 0x01, 0xFF, 0x03}, 1},
                                InsertCase{OverlapPolicy::keep, 1, {0x00, 0x01, 0xFF, 0x03}, 2},
                                InsertCase{OverlapPolicy::replace, 1, {0x00, 0xB0, 0xFF, 0xB2}, 3},
                                InsertCase{OverlapPolicy::error, 4, {0x00, 0x01, 0xFF, 0x03, 0xB0, 0xFF, 0xB2}, 3}}) {
        OBufferDocument doc(asking, Settings(), "hex");
        ASSERT_TRUE(doc.Open(dir.Write("base.hex", PlainHex({0x00, 0x01, 0xFF, 0x03}))));
        asking.choice = c.choice;
        doc.Insert(c.at);
        EXPECT_EQ(Window(doc), c.window);
        EXPECT_EQ(asking.asked.size(), c.asked);
    }
    EXPECT_EQ(asking.asked.front(), "00000001-00000001\n00000003-00000003");
}
