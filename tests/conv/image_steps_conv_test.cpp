#include "support/conv_run.h"
#include "support/srec_peer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {
// Two memories in one file: 0x10..0x1F and 0x20000..0x20002.
constexpr const char* kTwoMemories = ":1000100000112233445566778899AABBCCDDEEFFE8\r\n"
                                     ":020000040002F8\r\n"
                                     ":0300000031323367\r\n"
                                     ":00000001FF\r\n";
} // namespace

// Each step, as a build script writes it for srec_cat, gives srec_cat's image.
TEST(ImageStepsConvTest, AgreeWithSrecCat)
{
    if (!SrecToolsAvailable())
        GTEST_SKIP() << "srec_cat not installed";
    TempDir dir;
    dir.Write("in.int", kTwoMemories);
    struct Case {
        const char* ours;
        const char* peer; // after "srec_cat in.int -intel"
    };
    const Case cases[] = {
        {"--crop 10-17", "-crop 0x10 0x18"},
        {"--crop=14-1b --crop 20001-20002", "-crop 0x14 0x1C 0x20001 0x20003"},
        {"--exclude 12-1f", "-exclude 0x12 0x20"},
        {"--exclude 0-1f --move-to 0", "-exclude 0 0x20 -offset -0x20000"},
        {"--crop 10-1f --move-to 0x100", "-crop 0x10 0x20 -offset 0xF0"},
        {"--crop 10-1f --fill 00:0-3f", "-crop 0x10 0x20 -fill 0x00 0 0x40"},
        {"--fill a5", "-fill 0xA5 -over in.int -intel"},
        {"--generate 40-4f:dead", "-generate 0x40 0x50 -repeat-data 0xDE 0xAD"},
        {"--put 30:12345678:4", "-generate 0x30 0x34 -l-e-constant 0x12345678 4"},
        {"--put 30:1234:2:be", "-generate 0x30 0x32 -b-e-constant 0x1234 2"},
        {"--crop 10-1f --swap 16", "-crop 0x10 0x20 -byte-swap 2"},
        {"--crop 10-1f --fill ff:10-3b --checksum-write crc32:3c:10-3b", "-crop 0x10 0x20 -fill 0xFF 0x10 0x3C -crc32-l-e 0x3C"},
        {"--crop 10-1f --checksum-write crc32/stm32:20:10-1f", "-crop 0x10 0x20 -stm32-l-e 0x20"},
        {"--crop 10-1f --checksum-write crc16/spi-fujitsu:20:10-1f:be", "-crop 0x10 0x20 -crc16-b-e 0x20"},
        {"--crop 10-1f --checksum-write adler32:20:10-1f", "-crop 0x10 0x20 -adler32-l-e 0x20"},
        {"--crop 10-1f --checksum-write fletcher16:20:10-1f", "-crop 0x10 0x20 -fletcher16-l-e 0x20"},
        {"--crop 10-1f --checksum-write fletcher32:20:10-1f:be", "-crop 0x10 0x20 -fletcher32-b-e 0x20"},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(dir.File("ours.int"));
        ConvRun ours = RunConv(dir, std::string(c.ours) + " in.int ours.int");
        ASSERT_EQ(ours.status, 0) << c.ours << "\n" << ours.err;
        std::string log;
        ASSERT_EQ(RunCommand("cd '" + dir.Path().string() + "' && srec_cat in.int -intel " + c.peer +
                                 " -o peer.int -intel 2>&1",
                             log),
                  0)
            << c.peer << "\n" << log;
        ConvRun same = RunConv(dir, "--compare ours.int peer.int");
        EXPECT_EQ(same.status, 0) << c.ours << " vs " << c.peer << "\n" << same.out << same.err;
    }
}

// The output's format follows the name build tools give it; other names
// need a key.
TEST(ImageStepsConvTest, OutputFormatByName)
{
    TempDir dir;
    dir.Write("in.int", kTwoMemories);
    const std::pair<const char*, const char*> names[] = {
        {"a.hex", ":"},   {"a.ihx", ":"},  {"a.mcs", ":"},  {"a.s19", ""},   {"a.s28", "S2"},
        {"a.s37", "S3"},  {"a.srec", "S2"}, {"a.mot", "S2"}, {"a.s3f", "S3"}, {"a.bin", ""},
        {"--out-key hex a.dat", "FFFF"},
    };
    for (const auto& [name, start] : names) {
        const std::string target = std::string(name).substr(std::string(name).rfind(' ') + 1);
        ConvRun run = RunConv(dir, std::string("in.int ") + name);
        const std::string text = ReadFileBytes(dir.File(target));
        if (std::string(name) == "a.s19") {
            // S1 records cannot reach 0x20002.
            EXPECT_EQ(run.status, 2) << run.err;
            EXPECT_NE(run.err.find("asks for S1 records"), std::string::npos) << run.err;
            continue;
        }
        EXPECT_EQ(run.status, 0) << name << run.err;
        EXPECT_EQ(text.substr(0, std::string(start).size()), start) << name;
        if (target == "a.bin") {
            EXPECT_EQ(text.size(), 0x20003u);
        }
    }
}

// Wrong values: exit 2, one line naming the option and the way to the help,
// and nothing written.
TEST(ImageStepsConvTest, BadInput)
{
    TempDir dir;
    dir.Write("in.int", kTwoMemories);
    const std::pair<const char*, const char*> cases[] = {
        {"--crop 0-20 --exclude 10-11 in.int out.int", "--crop and --exclude overlap"},
        {"--fill 100 in.int out.int", "--fill 100: \"100\" is not a byte"},
        {"--generate 0-f:abc in.int out.int", "--generate 0-f:abc: the bytes \"abc\""},
        {"--put 0:1:3 in.int out.int", "--put 0:1:3: the width must be 1, 2, 4 or 8"},
        {"--put 0:100:1 in.int out.int", "--put 0:100:1: the value 100 does not fit in 1 byte\n"},
        {"--crop 0-100000000 in.int out.int", "--crop 0-100000000: address 100000000 lies past ffffffff"},
        {"in.int out", "cannot tell OUTPUT's format from its name; give --out-key KEY"},
        {"in.int out.txt", "cannot tell OUTPUT's format from its name"},
        {"--bogus in.int out.int", "unrecognized option '--bogus'"},
        {"--fill=zz in.int out.int", "--fill zz:"},
        {"--info=1 in.int", "option '--info' doesn't allow an argument"},
        {"in.int out.int --crop", "option '--crop' requires an argument"},
        {"--word-width 3 in.int out.vmem", "--word-width 3: takes 1, 2 or 4"},
    };
    for (const auto& [args, message] : cases) {
        ConvRun run = RunConv(dir, args);
        EXPECT_EQ(run.status, 2) << args;
        EXPECT_EQ(run.err.rfind("dravel-conv: ", 0), 0u) << args;
        EXPECT_EQ(run.err.find('\n'), run.err.rfind("\nTry 'dravel-conv --help'.\n")) << run.err;
        EXPECT_NE(run.err.find(message), std::string::npos) << args << "\n" << run.err;
    }
    // A step that finds no image to work on stops before anything is written.
    ConvRun empty = RunConv(dir, "--exclude 0-ffffffff --move-to 0 in.int out.int");
    EXPECT_EQ(empty.status, 2);
    EXPECT_EQ(empty.err, "dravel-conv: --move-to: the image holds no data to move; nothing written\n");
    for (const char* name : {"out.int", "out", "out.txt", "out.vmem"})
        EXPECT_FALSE(std::filesystem::exists(dir.File(name))) << name;
}

// Overlays below their file's addresses, replacing with FF bytes, agreeing
// bytes, and words of vmem output as srec_cat reads them.
TEST(ImageStepsConvTest, OverlaysAndWords)
{
    TempDir dir;
    dir.Write("in.int", kTwoMemories);
    dir.Write("over.bin", std::string("\xFF\x41", 2));
    dir.Write("same.bin", std::string("\x00\x11", 2));
    ASSERT_EQ(RunConv(dir, "--move-to 30 over.bin over.int").status, 0);
    struct Case {
        const char* args;
        int status;
        std::string bytes; // of out.bin from 0x10
    };
    const Case cases[] = {
        {"--overlay over.bin@0x10 --overlap replace in.int out.bin", 0, std::string("\xFF\x41\x22", 3)},
        {"--overlay over.bin@16 --overlap keep in.int out.bin", 0, std::string("\x00\x11\x22", 3)},
        {"--overlay over.int@-0x20 --overlap replace in.int out.bin", 0, std::string("\xFF\x41\x22", 3)},
        {"--overlay same.bin@0x10 in.int out.bin", 0, std::string("\x00\x11\x22", 3)},
        {"--overlay over.bin@0x10 in.int out.bin", 1, ""},
        {"--overlay over.int@-0x31 in.int out.bin", 1, ""},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(dir.File("out.bin"));
        ConvRun run = RunConv(dir, c.args);
        EXPECT_EQ(run.status, c.status) << c.args << "\n" << run.err;
        if (c.status == 0)
            EXPECT_EQ(ReadFileBytes(dir.File("out.bin")).substr(0x10, 3), c.bytes) << c.args;
        else
            EXPECT_FALSE(std::filesystem::exists(dir.File("out.bin"))) << c.args;
    }

    if (!SrecToolsAvailable())
        GTEST_SKIP() << "srec_cat not installed";
    for (const char* width : {"2", "4"}) {
        ASSERT_EQ(RunConv(dir, std::string("--word-width ") + width + " in.int out.vmem").status, 0);
        std::string log;
        // srec_cat tells the word's width by its digits.
        ASSERT_EQ(RunCommand("cd '" + dir.Path().string() + "' && srec_cat out.vmem -vmem -o peer.int -intel 2>&1",
                             log),
                  0)
            << log;
        EXPECT_EQ(RunConv(dir, "--compare in.int peer.int").status, 0) << width;
    }
    ASSERT_EQ(RunConv(dir, "--crop 10-13 --word-width 2 in.int out.mif").status, 0);
    EXPECT_NE(ReadFileBytes(dir.File("out.mif")).find("WIDTH = 16;\nDEPTH = 10;\n"), std::string::npos);
    EXPECT_NE(ReadFileBytes(dir.File("out.mif")).find("    8 : 0011 2233;\n"), std::string::npos);
    ASSERT_EQ(RunConv(dir, "--crop 10-13 --word-width 2 in.int out.c").status, 0);
    EXPECT_NE(ReadFileBytes(dir.File("out.c")).find("const uint16_t out[] = {\n    0x1100, 0x3322,\n"), std::string::npos)
        << ReadFileBytes(dir.File("out.c"));
}
