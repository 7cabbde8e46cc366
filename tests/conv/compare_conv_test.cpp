#include "support/conv_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <sys/wait.h>

namespace {

// The Intel HEX of `bytes` from 0, one record each 16.
std::string IntelOf(const std::string& bytes)
{
    std::string text;
    char buf[80];
    for (size_t at = 0; at < bytes.size(); at += 16) {
        const size_t n = std::min<size_t>(16, bytes.size() - at);
        unsigned sum = unsigned(n + (at >> 8) + (at & 0xFF));
        std::snprintf(buf, sizeof buf, ":%02zX%04zX00", n, at);
        text += buf;
        for (size_t i = 0; i < n; ++i) {
            std::snprintf(buf, sizeof buf, "%02X", uint8_t(bytes[at + i]));
            text += buf;
            sum += uint8_t(bytes[at + i]);
        }
        std::snprintf(buf, sizeof buf, "%02X\r\n", uint8_t(-sum));
        text += buf;
    }
    return text + ":00000001FF\r\n";
}

TEST(CompareConvTest, ExitStatusesAndLines)
{
    TempDir dir;
    const std::string image = "\x01\x02\x03\x04\x05\x06\x07\x08";
    std::string changed = image;
    changed[2] = '\x33';
    changed[3] = '\x44';
    dir.Write("a.bin", image);
    dir.Write("a.int", IntelOf(image));
    dir.Write("b.int", IntelOf(changed));
    dir.Write("erased.bin", image + std::string(40, '\xFF'));
    dir.Write("changed.bin", changed);
    dir.Write("long.bin", image + std::string("\x00\xFF\x01", 3));
    dir.Write("b.txt", IntelOf(changed));
    dir.Write("junk.int", "this is not Intel HEX\n");
    struct Case {
        const char* args;
        int status;
        std::string output;  // the whole output, or with a leading '~' a part of it
    };
    const Case cases[] = {
        {"--compare a.bin a.int", 0, ""},
        {"--compare a.int erased.bin", 0, ""},
        {"--compare a.bin erased.bin", 0, ""},
        // Binary files are compared straight from the files, except with -v.
        {"--compare changed.bin long.bin", 1,
         "00000002-00000003 (2 bytes)\n00000008-00000008 (1 bytes)\n0000000a-0000000a (1 bytes)\n"},
        {"-v --compare changed.bin long.bin", 1,
         "00000002-00000003 (2 bytes)\n  A: 33 44\n  B: 03 04\n00000008-00000008 (1 bytes)\n  A: --\n  B: 00\n"
         "0000000a-0000000a (1 bytes)\n  A: --\n  B: 01\n4 bytes differ in 3 ranges\n"},
        {"--compare a.bin b.int", 1, "00000002-00000003 (2 bytes)\n"},
        {"-v --compare a.int b.int", 1,
         "00000002-00000003 (2 bytes)\n  A: 03 04\n  B: 33 44\n2 bytes differ in 1 ranges\n"},
        {"-v --compare a.int erased.bin --in-key-b hex", 2, "~not recognised as plain hex"},
        {"--compare a.int b.txt", 1, "~(2 bytes)"},
        {"--in-key ext --compare b.txt a.int", 1, "00000002-00000003 (2 bytes)\n"},
        {"--compare a.int missing.int", 2, "~missing.int"},
        {"--compare a.int junk.int", 2, "~junk.int: not recognised as Intel HEX"},
        {"--compare a.int", 2, "~--compare takes two files"},
        {"--compare a.int b.int --out-key s3f", 2, "~does not go with it"},
        {"--in-key-b ext a.int b.int", 2, "~--in-key-b goes only with --compare"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        const ConvRun run = RunConv(dir, c.args);
        const int status = run.status;
        const std::string output = run.out + run.err;
        EXPECT_EQ(status, c.status);
        if (!c.output.empty() && c.output[0] == '~')
            EXPECT_NE(output.find(c.output.substr(1)), std::string::npos) << output;
        else
            EXPECT_EQ(output, c.output);
    }
}

// A hundred thousand ranges come out one line each, ending in a whole line.
TEST(CompareConvTest, ManyRangesStream)
{
    TempDir dir;
    std::string a(200000, '\0'), b(200000, '\0');
    for (size_t i = 0; i < a.size(); i += 2)
        b[i] = 1;
    dir.Write("a.bin", a);
    dir.Write("b.bin", b);
    const ConvRun run = RunConv(dir, "--compare a.bin b.bin");
    const int status = run.status;
    const std::string& output = run.out;
    EXPECT_EQ(status, 1);
    EXPECT_EQ(std::count(output.begin(), output.end(), '\n'), 100000);
    EXPECT_EQ(output.substr(output.size() - 28), "00030d3e-00030d3e (1 bytes)\n");
}

}  // namespace
