#include "support/recording_host.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <string>
#include <sys/wait.h>

namespace {
struct ConvRun {
    int status = -1;
    std::string out;
    std::string err;
};

std::string Quote(const std::string& s)
{
    std::string q = "'";
    for (char c : s)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// Runs dravel-conv with the arguments, after `feed |` when given; standard
// error goes through a file.
ConvRun Conv(const TempDir& dir, const std::string& args, const std::string& feed = {})
{
    ConvRun run;
    std::string errFile = dir.File("stderr.txt");
    std::string command = (feed.empty() ? "" : feed + " | ") + Quote(DRAVEL_CONV_PATH) + " " + args + " 2>" +
                          Quote(errFile);
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return run;
    std::array<char, 4096> chunk;
    size_t got;
    while ((got = std::fread(chunk.data(), 1, chunk.size(), pipe)) > 0)
        run.out.append(chunk.data(), got);
    int status = ::pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.err = ReadFileBytes(errFile);
    return run;
}

std::string Intel(uint16_t address, std::initializer_list<uint8_t> bytes)
{
    char buf[16];
    uint8_t sum = static_cast<uint8_t>(bytes.size() + (address >> 8) + (address & 0xFF));
    std::snprintf(buf, sizeof buf, ":%02X%04X00", static_cast<unsigned>(bytes.size()), address);
    std::string line = buf;
    for (uint8_t b : bytes) {
        std::snprintf(buf, sizeof buf, "%02X", b);
        line += buf;
        sum = static_cast<uint8_t>(sum + b);
    }
    std::snprintf(buf, sizeof buf, "%02X\r\n", static_cast<uint8_t>(-sum));
    return line + buf;
}
} // namespace

TEST(ConvTest, UsageErrorsAndHelp)
{
    TempDir dir;
    ConvRun help = Conv(dir, "--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("Usage: dravel-conv"), std::string::npos);
    EXPECT_EQ(Conv(dir, "").status, 2);
    EXPECT_EQ(Conv(dir, "a.hex").status, 2);
    EXPECT_EQ(Conv(dir, "--bogus a.hex b.bin").status, 2);
    EXPECT_EQ(Conv(dir, "--out-key xyz a.hex b.bin").status, 2);
    EXPECT_EQ(Conv(dir, "--in-key").status, 2);
    EXPECT_EQ(Conv(dir, "a b c").status, 2);
    EXPECT_EQ(Conv(dir, "--info a b").status, 2);
    EXPECT_EQ(Conv(dir, "'' " + Quote(dir.File("o.bin"))).status, 2);
    EXPECT_FALSE(std::filesystem::exists(dir.File("o.bin")));
}

TEST(ConvTest, InfoPrintsOneLine)
{
    TempDir dir;
    std::string file = dir.Write("p.int", Intel(0x100, {0x10, 0x20}) + Intel(0x1FE, {0xFF, 0x01}) + ":00000001FF\r\n");
    ConvRun run = Conv(dir, "--info " + Quote(file));
    EXPECT_EQ(run.status, 0);
    // 0x10 + 0x20 + 0xFF + 0x01 and 252 erased bytes.
    EXPECT_EQ(run.out, "size (00000256 dec) start (00000100 hex) end (000001ff hex) sum check (0000fc34 hex)\n");
    EXPECT_EQ(run.err, "");
}

TEST(ConvTest, ConvertsByNameAndByKey)
{
    TempDir dir;
    std::string in = dir.Write("p.int", Intel(0, {1, 2, 3}) + Intel(0x20, {4}) + ":00000001FF\r\n");
    std::string out = dir.File("p.bin");
    ConvRun run = Conv(dir, Quote(in) + " " + Quote(out));
    EXPECT_EQ(run.status, 0) << run.err;
    std::string expected = std::string("\x01\x02\x03", 3) + std::string(0x1D, '\xFF') + "\x04";
    EXPECT_EQ(ReadFileBytes(out), expected);

    // A name of no file type writes binary unless a key says otherwise.
    std::string other = dir.File("p.out");
    EXPECT_EQ(Conv(dir, "--out-key hex " + Quote(in) + " " + Quote(other)).status, 0);
    EXPECT_EQ(ReadFileBytes(other).substr(0, 6), "010203");
    EXPECT_EQ(Conv(dir, "--in-key bin --out-key '' " + Quote(in) + " " + Quote(other)).status, 0);
    EXPECT_EQ(ReadFileBytes(other), ReadFileBytes(in));
}

TEST(ConvTest, LoadErrorsWriteNothingUnlessForced)
{
    TempDir dir;
    std::string text;
    for (uint8_t i = 0; i < 10; ++i)
        text += Intel(i, {i});
    std::string in = dir.Write("noend.int", text); // no end record
    std::string out = dir.File("o.bin");
    ConvRun run = Conv(dir, Quote(in) + " " + Quote(out));
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("Error: Format Error\n"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(out));

    ConvRun forced = Conv(dir, "--force " + Quote(in) + " " + Quote(out));
    EXPECT_EQ(forced.status, 1);
    EXPECT_EQ(ReadFileBytes(out), std::string("\x00\x01\x02\x03\x04\x05\x06\x07\x08\x09", 10));

    ConvRun missing = Conv(dir, Quote(dir.File("none.hex")) + " " + Quote(out));
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("none.hex"), std::string::npos);

    ConvRun unwritable = Conv(dir, Quote(in) + " --force " + Quote(dir.File("no/dir/x.bin")));
    EXPECT_EQ(unwritable.status, 1);
}

TEST(ConvTest, ObjcopyReadsWhatItWrites)
{
    if (std::system("command -v objcopy >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "objcopy not installed";
    TempDir dir;
    std::string image;
    for (int i = 0; i < 3000; ++i)
        image += static_cast<char>(i % 7 == 0 ? 0xFF : i * 13);
    std::string in = dir.Write("img.bin", image);
    ASSERT_EQ(Conv(dir, Quote(in) + " " + Quote(dir.File("img.ext"))).status, 0);
    std::string back = dir.File("back.bin");
    ASSERT_EQ(std::system(("objcopy -I ihex -O binary --gap-fill 0xFF " + Quote(dir.File("img.ext")) + " " +
                           Quote(back)).c_str()),
              0);
    EXPECT_EQ(ReadFileBytes(back), image);
}

TEST(ConvTest, PipesAndDevicesAtEitherEnd)
{
    TempDir dir;
    std::string in = dir.Write("p.int", Intel(0x10, {0xA1, 0xB2}) + ":00000001FF\r\n");
    // Read once from the pipe, recognised from memory, written to the pipe.
    ConvRun piped = Conv(dir, "--out-key hex - -", "cat " + Quote(in));
    EXPECT_EQ(piped.status, 0) << piped.err;
    EXPECT_EQ(piped.out.substr(0, 38), std::string(32, 'F') + "A1B2\r\n");
    ConvRun byName = Conv(dir, "/dev/stdin " + Quote(dir.File("o.s3f")), "cat " + Quote(in));
    EXPECT_EQ(byName.status, 0) << byName.err;
    EXPECT_EQ(ReadFileBytes(dir.File("o.s3f")).substr(0, 18), "S30700000010A1B295");

    ConvRun full = Conv(dir, Quote(in) + " /dev/full");
    EXPECT_EQ(full.status, 1);
    EXPECT_EQ(full.err, "ERROR: WRITE ERROR\n");
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/full"));
}

TEST(ConvTest, SaveErrorsKeepTheOldOutputUnlessForced)
{
    TempDir dir;
    // Signetics holds no address above 0xFFFF.
    std::string in = dir.Write("far.int", ":020000040001F9\r\n" + Intel(0x10, {1}) + ":00000001FF\r\n");
    std::string out = dir.Write("far.sig", "old output");
    ConvRun run = Conv(dir, Quote(in) + " " + Quote(out));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "ERROR: FORMAT ERROR\n");
    EXPECT_EQ(ReadFileBytes(out), "old output");
    ConvRun toPipe = Conv(dir, "--out-key sig " + Quote(in) + " -");
    EXPECT_EQ(toPipe.status, 1);
    EXPECT_EQ(toPipe.out, "");

    ConvRun forced = Conv(dir, "--force " + Quote(in) + " " + Quote(out));
    EXPECT_EQ(forced.status, 1);
    EXPECT_EQ(ReadFileBytes(out), ":000000\n");
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
        EXPECT_NE(entry.path().filename().string().front(), '.') << entry.path();
}
