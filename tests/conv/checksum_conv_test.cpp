#include "support/conv_run.h"
#include "support/srec_peer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {
// Bytes 0x10..0x1F and 0x20000..0x20002 with erased bytes between: a window
// of 0x10..0x20002 that is mostly gap.
constexpr const char* kSparse = ":1000100000112233445566778899AABBCCDDEEFFE8\r\n"
                                ":020000040002F8\r\n"
                                ":0300000031323367\r\n"
                                ":00000001FF\r\n";
} // namespace

TEST(ChecksumConvTest, LinesWritesAndWrongUsage)
{
    TempDir dir;
    dir.Write("in.int", kSparse);
    dir.Write("nine.bin", "123456789");

    ConvRun list = RunConv(dir, "--checksum list");
    EXPECT_EQ(list.status, 0);
    EXPECT_NE(list.out.find("crc16/xmodem     16 bits, check 31c3\n"), std::string::npos) << list.out;

    ConvRun lines = RunConv(dir, "--checksum CRC-32 --checksum sum8/neg:0-4 nine.bin");
    EXPECT_EQ(lines.status, 0) << lines.err;
    EXPECT_EQ(lines.out, "crc32 00000000-00000008 cbf43926\nsum8/neg 00000000-00000004 01\n");

    ConvRun info = RunConv(dir, "--info --checksum crc16/xmodem nine.bin");
    EXPECT_EQ(info.out, "size (00000009 dec) start (00000000 hex) end (00000008 hex) sum check (000001dd hex)\n"
                        "crc16/xmodem 00000000-00000008 31c3\n");

    // Written at the end of the window, which grows to hold it; then inside
    // the range it covers, which is said but done.
    ConvRun write = RunConv(dir, "--checksum-write crc32:9:be --checksum crc32 nine.bin out.bin");
    EXPECT_EQ(write.status, 0) << write.err;
    EXPECT_EQ(ReadFileBytes(dir.File("out.bin")), std::string("123456789\xCB\xF4\x39\x26", 13));
    EXPECT_EQ(write.out, "crc32 00000000-0000000c 3cc9742c\n");
    ConvRun inside = RunConv(dir, "--checksum-write sum8:0:0-8 nine.bin in2.bin");
    EXPECT_EQ(inside.status, 0);
    EXPECT_EQ(inside.err, "dravel-conv: --checksum-write sum8: the result is written inside the range it covers\n");
    EXPECT_EQ(ReadFileBytes(dir.File("in2.bin")), "\xDD" "23456789");

    const std::pair<std::string, std::string> wrong[] = {
        {"--checksum crc99 nine.bin", "unknown checksum \"crc99\""},
        {"--checksum width=24,poly=1,init=0,refin=0,refout=0,xorout=0 nine.bin", "the CRC width must be 8, 16 or 32"},
        {"--checksum width=8,poly=0x107,init=0,refin=0,refout=0,xorout=0 nine.bin", "poly 0x00000107 does not fit in 8 bits"},
        {"--checksum crc32:8-5 nine.bin", "is reversed"},
        {"--checksum-write crc32:fffffffe nine.bin x.bin", "the result would end past address"},
        {"--checksum crc32:5-100000000 nine.bin", "the range 00000005-100000000 reaches past address ffffffff"},
        {"--checksum-write crc32:20 --info nine.bin", "--checksum-write does not go with it"},
        {"--checksum", "option '--checksum' requires an argument"},
    };
    for (const auto& [args, message] : wrong) {
        ConvRun run = RunConv(dir, args);
        EXPECT_EQ(run.status, 2) << args;
        EXPECT_NE(run.err.find(message), std::string::npos) << args << "\n" << run.err;
        EXPECT_EQ(run.out, "") << args;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.File("x.bin")));
}

// The same range of a sparse image, erased bytes filled with FF on the
// peer's side, gives srec_cat's result for every algorithm both have.
TEST(ChecksumConvTest, AgreesWithSrecCat)
{
    if (!SrecToolsAvailable())
        GTEST_SKIP() << "srec_cat not installed";
    TempDir dir;
    const std::string in = dir.Write("in.int", kSparse);
    struct Case {
        const char* ours;
        const char* filter;
        bool bigEndian;
    };
    const Case cases[] = {
        {"crc32", "-crc32-l-e", false},
        {"crc16/xmodem", "-crc16-b-e %s -xmodem", true},
        {"crc16/kermit", "-crc16-l-e %s -xmodem -least-to-most", false},
        {"sum8/neg", "-checksum-negative-b-e %s 1 1", true},
        {"sum16", "-checksum-positive-b-e %s 2 1", true},
        {"sum32/inv", "-checksum-bitnot-l-e %s 4 1", false},
        {"wordsum/be", "-checksum-positive-b-e %s 2 2", true},
        {"wordsum/le", "-checksum-positive-l-e %s 2 2", false},
    };
    for (const auto& [first, last] : {std::pair<int, int>{0x10, 0x20002}, {0x13, 0x20000}, {0x11, 0x1F}}) {
        char range[64], at[16], end[16], stop[16];
        std::snprintf(range, sizeof range, "%x-%x", first, last);
        std::snprintf(at, sizeof at, "0x%x", last + 1);
        std::snprintf(end, sizeof end, "0x%x", last + 1);
        std::snprintf(stop, sizeof stop, "0x%x", last + 5);
        for (const Case& c : cases) {
            char filter[128];
            std::snprintf(filter, sizeof filter, c.filter, at);
            std::string f = filter;
            if (f.find(at) == std::string::npos)
                f += std::string(" ") + at;
            std::string log;
            const std::string peer = dir.File("peer.bin");
            ASSERT_EQ(RunCommand("srec_cat '" + in + "' -intel -fill 0xFF " + std::to_string(first) + " " + end +
                                     " -crop " + std::to_string(first) + " " + end + " " + f + " -crop " + end + " " +
                                     stop + " -offset -" + end + " -o '" + peer + "' -binary",
                                 log),
                      0)
                << log;
            const std::string bytes = ReadFileBytes(peer);
            uint32_t value = 0;
            for (size_t i = 0; i < bytes.size(); ++i)
                value |= static_cast<uint32_t>(static_cast<uint8_t>(bytes[c.bigEndian ? bytes.size() - 1 - i : i]))
                         << (8 * i);
            ConvRun ours = RunConv(dir, std::string("--checksum ") + c.ours + ":" + range + " in.int");
            char expected[64];
            std::snprintf(expected, sizeof expected, " %0*x\n", static_cast<int>(2 * bytes.size()), value);
            EXPECT_NE(ours.out.find(expected), std::string::npos) << c.ours << " " << range << ": " << ours.out
                                                                 << " peer " << expected;
        }
    }
}
