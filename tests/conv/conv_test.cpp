#include "support/conv_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace {
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

// Every wrong command line ends with status 2 and writes nothing; the
// problems that need the input's highest address are found after reading it.
TEST(ConvTest, OptionCases)
{
    TempDir dir;
    // Bytes up to 0x12345: S2 at least.
    dir.Write("in.int", Intel(0x100, {1, 2, 3}) + ":020000040001F9\r\n" + Intel(0x2345, {4}) + ":00000001FF\r\n");
    struct Case {
        const char* args;
        int status;
        const char* message;
    };
    const Case cases[] = {
        {"", 2, "no input file"},
        {"in.int", 2, "no output file"},
        {"--bogus in.int o.bin", 2, "unrecognized option '--bogus'"},
        {"--out-key xyz in.int o.bin", 2, "unknown key \"xyz\""},
        {"--in-key", 2, "option '--in-key' requires an argument"},
        {"in.int o.bin o2.bin", 2, "too many file names"},
        {"--info in.int o.bin", 2, "--info takes one file"},
        {"'' o.bin", 2, "empty file name"},
        {"--record-size 0 in.int o.ext", 2, "--record-size takes a number of bytes from 1"},
        {"--record-size 1x in.int o.ext", 2, "--record-size takes a number"},
        {"--record-size", 2, "option '--record-size' requires an argument"},
        {"--record-size 256 in.int o.ext", 2, "--record-size 256 is above the limit of 255 for Intel HEX"},
        {"--record-size 251 in.int o.s3f", 2, "--record-size 251 is above the limit of 250 for S3 records"},
        {"--record-size 252 --srec-type auto in.int o.s3f", 2, "limit of 251 for S2 records"},
        {"--srec-type 1 in.int o.s3f", 2, "--srec-type 1 cannot hold the highest address 00012345 (of in.int)"},
        {"--srec-type 4 in.int o.s3f", 2, "--srec-type takes auto, 1, 2 or 3"},
        {"--srec-type 2 in.int o.ext", 2, "--srec-type applies to Motorola S-record output, not Intel HEX"},
        {"--line-end cr in.int o.ext", 2, "--line-end takes crlf or lf"},
        {"--record-size 16 in.int o.bin", 2, "--record-size does not apply to binary output"},
        {"--line-end lf in.int o.bin", 2, "--line-end does not apply to binary output"},
        {"--info --record-size 8 in.int", 2, "--info writes nothing; --record-size does not go with it"},
        {"--record-size 8 --record-size 16 in.int o.ext", 2,
         "contradictory options --record-size 8 and --record-size 16"},
        {"--record-size 8 --record-size 8 --line-end lf in.int o.ext", 0, ""},
        {"--srec-type 2 --record-size 251 --line-end crlf in.int o.s3f", 0, ""},
        {"--ihex-type 02 in.int o.s3f", 2, "--ihex-type applies to Intel HEX output, not Motorola S-records"},
        {"--ihex-type 03 in.int o.ext", 2, "--ihex-type takes 02, 04 or auto"},
        {"--in-key c in.int o.ext", 2, "--in-key c: C array is written, not read"},
        {"--ihex-type 02 --line-end lf in.int o.ext", 0, ""},
        {"--record-size 8 in.int o.vmem", 0, ""},
        {"--help", 0, ""},
        {"-- -in.int o.bin", 0, ""},
        {"-- in.int -- o.bin", 2, "too many file names"},
    };
    dir.Write("-in.int", Intel(0x100, {1}) + ":00000001FF\r\n");
    const char* outputs[] = {"o.bin", "o.ext", "o.s3f"};
    for (const Case& c : cases) {
        for (const char* o : outputs)
            std::filesystem::remove(dir.File(o));
        ConvRun run = RunConv(dir, c.args);
        EXPECT_EQ(run.status, c.status) << c.args << "\n" << run.err;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << c.args << "\n" << run.err;
        if (c.status == 2) {
            EXPECT_NE(run.err.find("\nTry 'dravel-conv --help'.\n"), std::string::npos) << c.args;
            for (const char* o : outputs)
                EXPECT_FALSE(std::filesystem::exists(dir.File(o))) << c.args;
        }
    }
    EXPECT_NE(RunConv(dir, "--help").out.find("--srec-type"), std::string::npos);
}

// The keys of the newer formats follow the output's name too; a name that
// is no C identifier is made one and said.
TEST(ConvTest, NewerFormatsByNameWithTheirNotices)
{
    TempDir dir;
    dir.Write("in.int", Intel(0x100, {1, 2, 3}) + ":020000040010EA\r\n" + Intel(0x0000, {4}) + ":00000001FF\r\n");
    ConvRun run = RunConv(dir, "in.int rom-v2.c");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("dravel-conv: array name \"rom-v2\" is not a C identifier; written as rom_v2"),
              std::string::npos);
    const std::string c = ReadFileBytes(dir.File("rom-v2.c"));
    EXPECT_NE(c.find("const unsigned char rom_v2_0x0100[] = {\n    0x01, 0x02, 0x03,\n};"), std::string::npos);
    EXPECT_NE(c.find("#define rom_v2_0x100000_LENGTH 1\n"), std::string::npos);

    EXPECT_EQ(RunConv(dir, "in.int out.tix").status, 0);
    EXPECT_EQ(ReadFileBytes(dir.File("out.tix")), "@0100\r\n01 02 03\r\n@100000\r\n04\r\nq\r\n");
    run = RunConv(dir, "-v --info out.tix");
    EXPECT_NE(run.out.find("format: TI-TXT"), std::string::npos);
    EXPECT_EQ(RunConv(dir, "in.int out.mif").status, 0);
    EXPECT_NE(ReadFileBytes(dir.File("out.mif")).find("DEPTH = 1048577;"), std::string::npos);

    // auto takes segments while they reach; 02 refuses what they cannot.
    dir.Write("seg.int", ":020000040001F9\r\n" + Intel(0x2345, {4}) + ":00000001FF\r\n");
    EXPECT_EQ(RunConv(dir, "--ihex-type auto seg.int seg.ext").status, 0);
    EXPECT_NE(ReadFileBytes(dir.File("seg.ext")).find(":020000021000EC\r\n"), std::string::npos);
    run = RunConv(dir, "--ihex-type 02 in.int seg2.ext");
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("--ihex-type 02 cannot hold the highest address 00100000 (of in.int)"), std::string::npos);
    EXPECT_EQ(RunConv(dir, "--ihex-type auto in.int lin.ext").status, 0);
    EXPECT_NE(ReadFileBytes(dir.File("lin.ext")).find(":020000040010EA\r\n"), std::string::npos);

    // A missing q is a Format Error with its place.
    std::string text = "@1000\n";
    for (int i = 0; i < 12; ++i)
        text += "01 02\n";
    dir.Write("cut.tix", text);
    run = RunConv(dir, "cut.tix cut.bin");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("dravel-conv: cut.tix:14: Format Error: 'q' missing at the end\n"), std::string::npos)
        << run.err;
}

TEST(ConvTest, InfoPrintsOneLineAndWithVerboseTheFormatAndRanges)
{
    TempDir dir;
    std::string file = dir.Write("p.int", Intel(0x100, {0x10, 0x20}) + Intel(0x1FE, {0xFF, 0x01}) + ":00000001FF\r\n");
    const std::string line = "size (00000256 dec) start (00000100 hex) end (000001ff hex) sum check (0000fc34 hex)\n";
    ConvRun run = RunConv(dir, "--info " + ShellQuote(file));
    EXPECT_EQ(run.status, 0);
    // 0x10 + 0x20 + 0xFF + 0x01 and 252 erased bytes.
    EXPECT_EQ(run.out, line);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(RunConv(dir, "-v --info p.int").out, line + "format: Intel HEX\n"
                                                       "range: 00000100-00000101 (2 bytes)\n"
                                                       "range: 000001fe-000001ff (2 bytes)\n"
                                                       "binary: 512 bytes (from 00000000 to 000001ff)\n"
                                                       "plain hex: 512 bytes (from 00000000 to 000001ff)\n");

    // Every byte of a binary file is given, erased ones included.
    dir.Write("raw.bin", std::string("\x01\xFF\xFF", 3));
    dir.Write("raw.dat", std::string("\x01\xFF\xFF", 3));
    const std::string ranges = "range: 00000000-00000002 (3 bytes)\n";
    EXPECT_NE(RunConv(dir, "--verbose --info raw.bin").out.find("\nformat: binary\n" + ranges), std::string::npos);
    EXPECT_NE(RunConv(dir, "--verbose --info raw.dat").out.find("\nformat: binary (no format recognised)\n" + ranges),
              std::string::npos);
}

// Damaged and unrecognised inputs: the message names the file and the
// line, nothing is written unless --force, and the status tells.
TEST(ConvTest, ReadProblemsNameTheirPlace)
{
    TempDir dir;
    std::string good;
    // Damage within the first ten records would fail recognition.
    for (uint8_t i = 0; i < 12; ++i)
        good += Intel(i * 2, {i, i});
    std::string damaged = good;
    damaged[damaged.find(Intel(20, {10, 10})) + 14] ^= 1; // line 11's checksum
    dir.Write("fw.int", damaged + ":00000001FF\r\n");
    dir.Write("noend.int", good);
    dir.Write("text.int", "hello world\n");
    dir.Write("text.dat", "hello world\n");
    struct Case {
        const char* args;
        int status;
        const char* err;
        bool written;
    };
    const Case cases[] = {
        {"fw.int o.bin", 1,
         "dravel-conv: fw.int:11: Checksum Error: checksum D7, expected D6\ndravel-conv: o.bin not written\n",
         false},
        {"--force noend.int o.bin", 1, "dravel-conv: noend.int:13: Format Error: end record missing\n", true},
        {"text.int o.bin", 1,
         "dravel-conv: text.int: not recognised as Intel HEX; read as binary\ndravel-conv: o.bin not written\n", false},
        {"--in-key s3f text.dat o.bin", 1,
         "dravel-conv: text.dat: not recognised as Motorola S-records; read as binary\n"
         "dravel-conv: o.bin not written\n",
         false},
        {"--force text.int o.bin", 1, "dravel-conv: text.int: not recognised as Intel HEX; read as binary\n", true},
        {"--in-key bin text.int o.bin", 0, "", true},
        {"text.dat o.bin", 0, "", true},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(dir.File("o.bin"));
        ConvRun run = RunConv(dir, c.args);
        EXPECT_EQ(run.status, c.status) << c.args;
        EXPECT_EQ(run.err, c.err) << c.args;
        EXPECT_EQ(std::filesystem::exists(dir.File("o.bin")), c.written) << c.args;
    }
    EXPECT_EQ(ReadFileBytes(dir.File("o.bin")), "hello world\n");
}

TEST(ConvTest, ConvertsByNameAndByKey)
{
    TempDir dir;
    std::string in = dir.Write("p.int", Intel(0, {1, 2, 3}) + Intel(0x20, {4}) + ":00000001FF\r\n");
    std::string out = dir.File("p.bin");
    ConvRun run = RunConv(dir, ShellQuote(in) + " " + ShellQuote(out));
    EXPECT_EQ(run.status, 0) << run.err;
    std::string expected = std::string("\x01\x02\x03", 3) + std::string(0x1D, '\xFF') + "\x04";
    EXPECT_EQ(ReadFileBytes(out), expected);

    // A name of no file type needs a key.
    std::string other = dir.File("p.out");
    EXPECT_EQ(RunConv(dir, "--out-key hex " + ShellQuote(in) + " " + ShellQuote(other)).status, 0);
    EXPECT_EQ(ReadFileBytes(other).substr(0, 6), "010203");
    EXPECT_EQ(RunConv(dir, "--in-key bin --out-key '' " + ShellQuote(in) + " " + ShellQuote(other)).status, 0);
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
    ConvRun run = RunConv(dir, ShellQuote(in) + " " + ShellQuote(out));
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(":11: Format Error: end record missing\n"), std::string::npos) << run.err;
    EXPECT_FALSE(std::filesystem::exists(out));

    ConvRun forced = RunConv(dir, "--force " + ShellQuote(in) + " " + ShellQuote(out));
    EXPECT_EQ(forced.status, 1);
    EXPECT_EQ(ReadFileBytes(out), std::string("\x00\x01\x02\x03\x04\x05\x06\x07\x08\x09", 10));

    ConvRun missing = RunConv(dir, ShellQuote(dir.File("none.hex")) + " " + ShellQuote(out));
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("none.hex"), std::string::npos);

    ConvRun unwritable = RunConv(dir, ShellQuote(in) + " --force " + ShellQuote(dir.File("no/dir/x.bin")));
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
    ASSERT_EQ(RunConv(dir, ShellQuote(in) + " " + ShellQuote(dir.File("img.ext"))).status, 0);
    std::string back = dir.File("back.bin");
    ASSERT_EQ(std::system(("objcopy -I ihex -O binary --gap-fill 0xFF " + ShellQuote(dir.File("img.ext")) + " " +
                           ShellQuote(back)).c_str()),
              0);
    EXPECT_EQ(ReadFileBytes(back), image);
}

TEST(ConvTest, PipesAndDevicesAtEitherEnd)
{
    TempDir dir;
    std::string in = dir.Write("p.int", Intel(0x10, {0xA1, 0xB2}) + ":00000001FF\r\n");
    // Read once from the pipe, recognised from memory, written to the pipe.
    ConvRun piped = RunConv(dir, "--out-key hex - -", "cat " + ShellQuote(in));
    EXPECT_EQ(piped.status, 0) << piped.err;
    EXPECT_EQ(piped.out.substr(0, 38), std::string(32, 'F') + "A1B2\r\n");
    ConvRun byName = RunConv(dir, "/dev/stdin " + ShellQuote(dir.File("o.s3f")), "cat " + ShellQuote(in));
    EXPECT_EQ(byName.status, 0) << byName.err;
    EXPECT_EQ(ReadFileBytes(dir.File("o.s3f")).substr(0, 18), "S30700000010A1B295");

    ConvRun full = RunConv(dir, "--out-key bin " + ShellQuote(in) + " /dev/full");
    EXPECT_EQ(full.status, 1);
    EXPECT_EQ(full.err, "dravel-conv: /dev/full: write error: No space left on device\n");
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/full"));
}

TEST(ConvTest, SaveErrorsKeepTheOldOutputUnlessForced)
{
    TempDir dir;
    // Signetics holds no address above 0xFFFF.
    std::string in = dir.Write("far.int", ":020000040001F9\r\n" + Intel(0x10, {1}) + ":00000001FF\r\n");
    std::string out = dir.Write("far.sig", "old output");
    ConvRun run = RunConv(dir, ShellQuote(in) + " " + ShellQuote(out));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "ERROR: FORMAT ERROR\n");
    EXPECT_EQ(ReadFileBytes(out), "old output");
    ConvRun toPipe = RunConv(dir, "--out-key sig " + ShellQuote(in) + " -");
    EXPECT_EQ(toPipe.status, 1);
    EXPECT_EQ(toPipe.out, "");

    ConvRun forced = RunConv(dir, "--force " + ShellQuote(in) + " " + ShellQuote(out));
    EXPECT_EQ(forced.status, 1);
    EXPECT_EQ(ReadFileBytes(out), ":000000\n");
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
        EXPECT_NE(entry.path().filename().string().front(), '.') << entry.path();
}

// The writer options over their combinations: every file reads back in the
// peers to the input's bytes, with records of the asked size and type and
// the asked line ends.
TEST(ConvTest, PeersReadWhatTheWriterOptionsWrite)
{
    if (std::system("command -v objcopy >/dev/null 2>&1 && command -v srec_cat >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "objcopy or srec_cat not installed";
    TempDir dir;
    // Below 0x10000 with a gap of erased bytes; the wide one reaches 0x20010.
    std::string narrow;
    for (int i = 0; i < 0x300; ++i)
        narrow += static_cast<char>(i >= 0x180 && i < 0x1C0 ? 0xFF : i * 29 + 3);
    dir.Write("narrow.bin", narrow);
    dir.Write("wide.bin", narrow + std::string(0x20000 - narrow.size(), '\xFF') + narrow.substr(0, 0x11));

    struct Combo {
        std::string options;
        std::string input;
        std::string out;
        int recordSize;
        char srecType; // of the data records; 0 for the other formats
    };
    std::vector<Combo> combos;
    for (const char* lineEnd : {"", " --line-end lf", " --line-end crlf"}) {
        for (int size : {0, 1, 250}) {
            const std::string options = (size ? " --record-size " + std::to_string(size) : "") + lineEnd;
            const int expected = size ? size : 32;
            combos.push_back({options, "narrow.bin", "o.ext", expected, 0});
            combos.push_back({options, "wide.bin", "o.ext", expected, 0});
            combos.push_back({options, "narrow.bin", "o.tek", expected, 0});
            combos.push_back({options, "narrow.bin", "o.sig", expected, 0});
            combos.push_back({options, "wide.bin", "o.s3f", expected, '3'});
            combos.push_back({options + " --srec-type 3", "wide.bin", "o.s3f", expected, '3'});
            combos.push_back({options + " --srec-type 2", "wide.bin", "o.s3f", expected, '2'});
            combos.push_back({options + " --srec-type auto", "wide.bin", "o.s3f", expected, '2'});
            combos.push_back({options + " --srec-type auto", "narrow.bin", "o.s3f", expected, '1'});
            combos.push_back({options + " --srec-type 1", "narrow.bin", "o.s3f", expected, '1'});
        }
    }
    combos.push_back({"--record-size 255", "wide.bin", "o.ext", 255, 0});
    combos.push_back({"--record-size 252 --srec-type 1", "narrow.bin", "o.s3f", 252, '1'});
    for (const Combo& c : combos) {
        const std::string args = c.options + " " + c.input + " " + c.out;
        ASSERT_EQ(RunConv(dir, args).status, 0) << args;
        const std::string ext = c.out.substr(2);
        const std::string text = ReadFileBytes(dir.File(c.out));
        if (c.options.find("--line-end lf") != std::string::npos) {
            EXPECT_EQ(text.find('\r'), std::string::npos) << args;
        } else if (c.options.find("--line-end crlf") != std::string::npos) {
            EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), std::count(text.begin(), text.end(), '\r')) << args;
        }

        // The largest data record, and the type of every S-record but the end.
        int largest = 0;
        std::istringstream lines(text);
        for (std::string line; std::getline(lines, line);) {
            if (c.srecType) {
                if (line[1] == '0' + 10 - (c.srecType - '0'))
                    continue;
                ASSERT_EQ(line[1], c.srecType) << args << ": " << line;
                largest = std::max(largest, std::stoi(line.substr(2, 2), nullptr, 16) - (c.srecType - '0') - 2);
            } else if (ext != "ext" || line.substr(7, 2) == "00") {
                // Intel's count stands before the address, the others' after it.
                largest = std::max(largest, std::stoi(line.substr(ext == "ext" ? 1 : 5, 2), nullptr, 16));
            }
        }
        EXPECT_EQ(largest, c.recordSize) << args;

        const std::string expected = ReadFileBytes(dir.File(c.input));
        const std::string peer = ext == "ext"   ? "-intel"
                                 : ext == "s3f" ? "-motorola"
                                 : ext == "tek" ? "-tektronix"
                                                : "-signetics";
        const std::string cd = "cd " + ShellQuote(dir.Path().string()) + " && ";
        ASSERT_EQ(std::system((cd + "srec_cat " + c.out + " " + peer + " -fill 0xFF -over " + c.out + " " + peer +
                               " -o peer.bin -binary")
                                  .c_str()),
                  0)
            << args;
        EXPECT_EQ(ReadFileBytes(dir.File("peer.bin")), expected) << args << " (srec_cat)";
        if (ext == "ext" || ext == "s3f") {
            ASSERT_EQ(std::system((cd + "objcopy -I " + (ext == "ext" ? "ihex" : "srec") + " -O binary --gap-fill 0xFF " +
                                   c.out + " objcopy.bin")
                                      .c_str()),
                      0)
                << args;
            EXPECT_EQ(ReadFileBytes(dir.File("objcopy.bin")), expected) << args << " (objcopy)";
        }
    }
}

// Empty and damaged inputs, failed writes and odd names: each is reported
// with the place and the reason, and nothing is written unless forced.
TEST(ConvTest, MessagesNameThePlaceAndTheReason)
{
    TempDir dir;
    dir.Write("empty.int", "");
    dir.Write("fw.int", ":10200000000102030405060708090A0B0C0D0E0FC0\r\n:00000001FF\r\n");
    dir.Write("good.int", Intel(0x10, {1, 2}) + ":00000001FF\r\n");
    struct Case {
        std::string args;
        std::string feed;
        int status;
        std::string err;
        bool written;
    };
    const Case cases[] = {
        {"empty.int o.bin", "", 1, "dravel-conv: empty.int: no data\ndravel-conv: o.bin not written\n", false},
        {"--in-key ext - o.bin", "printf ''", 1, "dravel-conv: -: no data\ndravel-conv: o.bin not written\n", false},
        {"--force empty.int o.bin", "", 1, "dravel-conv: empty.int: no data\n", true},
        {"fw.int o.bin", "", 1,
         "dravel-conv: fw.int:1: Checksum Error: checksum C0, expected 58\ndravel-conv: o.bin not written\n",
         false},
        {"\"$(printf 'a\\033b.int')\" o.bin", "", 1, "Error: Cannot open \"a\\x1bb.int\":\nNo such file or directory\n", false},
        {"good.int " + std::string(256, 'n') + ".bin", "", 1, "File name too long", false},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(dir.File("o.bin"));
        ConvRun run = RunConv(dir, c.args, c.feed);
        EXPECT_EQ(run.status, c.status) << c.args << "\n" << run.err;
        if (c.err.back() == '\n')
            EXPECT_EQ(run.err, c.err) << c.args;
        else
            EXPECT_NE(run.err.find(c.err), std::string::npos) << c.args << "\n" << run.err;
        EXPECT_EQ(std::filesystem::exists(dir.File("o.bin")), c.written) << c.args;
    }
    // A name too long to be made leaves no temporary file behind.
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
        EXPECT_NE(entry.path().filename().string().front(), '.') << entry.path();
}

// Binary and plain hex outputs and split lanes are images from address 0:
// past 256 MiB each is refused before anything is written, unless forced,
// and -v says what each would hold.
TEST(ConvTest, OutputsThatFollowTheSpanNeedForceAbove256MiB)
{
    TempDir dir;
    // Windows 0 .. 0x10000000 (256 MiB + 1) and 0 .. 0x20000001, whose
    // two lanes hold 256 MiB + 1 bytes each; three bytes near the top.
    dir.Write("wide.int", ":020000041000EA\r\n:010000007788\r\n:00000001FF\r\n");
    dir.Write("lanes.int", ":020000042000DA\r\n:020000007788FF\r\n:00000001FF\r\n");
    dir.Write("top.s3f", "S308FFFFFFF001020304\r\nS70500000000FA\r\n");
    const std::string wide = "268435457 bytes (from 00000000 to 10000000)";
    struct Row {
        const char* args;
        int status;
        std::string err;
        const char* written;
    };
    const Row rows[] = {
        {"wide.int wide.bin", 2, "dravel-conv: wide.bin would hold " + wide + "; use --force\n", nullptr},
        {"--out-key hex wide.int wide.hex", 2, "dravel-conv: wide.hex would hold " + wide + "; use --force\n", nullptr},
        {"--out-key hex top.s3f /dev/null", 2,
         "dravel-conv: /dev/null would hold 4294967283 bytes (from 00000000 to fffffff2); use --force\n", nullptr},
        {"--split 2 lanes.int lanes.bin", 2,
         "dravel-conv: lanes.even.bin would hold " + wide + "; use --force\n"
         "dravel-conv: lanes.odd.bin would hold " + wide + "; use --force\n", nullptr},
        // Records follow the data, not the span.
        {"--split 2 lanes.int lanes.s3f", 0, "", "lanes.odd.s3f"},
        {"-v --info --split 2 lanes.int", 0, "", nullptr},
    };
    for (const Row& row : rows) {
        const ConvRun run = RunConv(dir, row.args);
        EXPECT_EQ(run.status, row.status) << row.args;
        EXPECT_EQ(run.err, row.err) << row.args;
        for (const char* name : {"wide.bin", "wide.hex", "lanes.even.bin", "lanes.odd.bin", "lanes.odd.s3f"})
            EXPECT_EQ(std::filesystem::exists(dir.File(name)), row.written && name == std::string(row.written))
                << row.args << ": " << name;
        std::filesystem::remove(dir.File(row.written ? row.written : "none"));
    }
    const std::string lane = "268435457 bytes (from 00000000 to 10000000)\n";
    EXPECT_NE(RunConv(dir, "-v --info --split 2 lanes.int").out.find("\nlane 0: " + lane + "lane 1: " + lane),
              std::string::npos);
}
