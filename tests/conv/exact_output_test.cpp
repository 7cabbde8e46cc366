// The converter writes exactly the addresses its inputs gave: the same data
// as srec_cat IN -o OUT, erased bytes that were given included and no hole
// filled; --erased-gaps gives the editor's rule instead.

#include "support/convert_helpers.h"
#include "support/conv_run.h"
#include "support/srec_peer.h"

#include <gtest/gtest.h>

namespace {
ByteImage Image(std::initializer_list<std::pair<int32_t, std::vector<uint8_t>>> runs)
{
    ByteImage image;
    for (const auto& [address, bytes] : runs)
        AddBytes(image, address, bytes);
    return image;
}

const std::vector<uint8_t> kErased16(16, 0xFF);
} // namespace

TEST(ExactOutputTest, WritesWhatSrecCatWrites)
{
    if (!SrecToolsAvailable())
        GTEST_SKIP() << "srec_cat is not installed";
    struct Case {
        const char* name;
        ByteImage input;
        ByteImage overlay;
        const char* ours;  // options besides IN OUT
        const char* peer;  // srec_cat's inputs after in.ext -intel
        const char* out;   // our output's name and srec_cmp's option for it
        const char* outOption;
    };
    const std::vector<Case> cases{
        {"explicit erased runs", Image({{0, {1, 2, 3, 4}}, {4, kErased16}, {20, {5}}, {0x40, kErased16}}), {}, "", "",
         "out.s3f", "-motorola"},
        {"short holes stay holes", Image({{0x100, {1, 2, 3}}, {0x105, {4}}, {0x10A, {0xFF}}}), {}, "", "", "out.ext",
         "-intel"},
        {"Tektronix keeps them too", Image({{0x100, {1, 2, 3}}, {0x105, {0xFF, 0xFF}}, {0x200, {9}}}), {}, "", "",
         "out.tek", "-tektronix"},
        {"across a 64 KiB boundary", Image({{0x0801FFF0, {0xFF, 0xFF, 1}}, {0x0801FFFE, {0xFF, 2, 0xFF}}}), {}, "", "",
         "out.ext", "-intel"},
        {"overlay lays its erased bytes", Image({{0, {1, 2, 3, 4}}}), Image({{0x20, {0xFF, 0xFF, 0xFF, 0x12}}}),
         "--overlay over.ext", "over.ext -intel", "out.s3f", "-motorola"},
        {"moved overlay over a hole", Image({{0, {1}}, {0x30, {2}}}), Image({{0x0, {0xFF, 0xFF}}, {0x8, {0xFF}}}),
         "--overlay over.ext@0x10", "over.ext -intel -offset 0x10", "out.ext", "-intel"},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        dir.Write("in.ext", WriteAll(c.input, "ext").text);
        if (!c.overlay.empty())
            dir.Write("over.ext", WriteAll(c.overlay, "ext").text);
        std::string log;
        ASSERT_EQ(RunCommand(InDir(dir) + ShellQuote(DRAVEL_CONV_PATH) + " " + c.ours + " in.ext " + c.out, log), 0) << log;
        ASSERT_EQ(RunCommand(InDir(dir) + "srec_cat in.ext -intel " + c.peer + " -o peer.srec", log), 0) << log;
        EXPECT_EQ(RunCommand(InDir(dir) + "srec_cmp " + c.out + " " + c.outOption + " peer.srec", log), 0) << log;
    }
}

TEST(ExactOutputTest, InfoListsTheRangesWrittenAndErasedGapsTheEditors)
{
    TempDir dir;
    dir.Write("in.ext", WriteAll(Image({{0x100, {1, 2}}, {0x104, {3}}, {0x120, kErased16}, {0x140, {4}}}), "ext").text);
    const std::pair<const char*, const char*> cases[] = {
        {"", "range: 00000100-00000101 (2 bytes)\nrange: 00000104-00000104 (1 bytes)\n"
             "range: 00000120-0000012f (16 bytes)\nrange: 00000140-00000140 (1 bytes)\n"},
        {"--erased-gaps ", "range: 00000100-00000104 (5 bytes)\nrange: 00000140-00000140 (1 bytes)\n"},
    };
    for (const auto& [options, ranges] : cases) {
        std::string log;
        ASSERT_EQ(RunCommand(InDir(dir) + ShellQuote(DRAVEL_CONV_PATH) + " --info -v " + options + "in.ext", log), 0);
        EXPECT_NE(log.find(ranges), std::string::npos) << log;
    }
}
