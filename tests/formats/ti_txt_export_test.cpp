// TI-TXT read and written; the formats written for other tools (C array,
// Verilog $readmemh, Intel MIF) and Intel segment addressing; srec_cat as the
// peer for TI-TXT both ways and for the C array compiled by the system
// compiler.

#include "formats/ffc_in.h"
#include "formats/ffc_out.h"
#include "formats/streams.h"
#include "support/convert_helpers.h"
#include "support/srec_peer.h"

#include <gtest/gtest.h>

#include <random>
#include <regex>

namespace {

std::string Write(const ByteImage& image, std::string_view key, WriterOptions options = {})
{
    StringOutStream stream;
    OFFCOut out(stream, key);
    out.SetOptions(options);
    int64_t next = -1;
    for (const auto& [address, byte] : image) {
        if (address != next)
            out.SetAddress(address);
        out.PutByte(byte);
        next = int64_t{address} + 1;
    }
    out.Finish();
    EXPECT_EQ(out.GetFlags() & ~ffcFormatError, 0u);
    return stream.Text();
}

std::vector<uint8_t> Counting(int n, int from = 1)
{
    std::vector<uint8_t> bytes(n);
    for (int i = 0; i < n; ++i)
        bytes[i] = static_cast<uint8_t>(from + i);
    return bytes;
}

ByteImage Gapped()
{
    ByteImage image = ImageAt(0x1230, Counting(18));
    AddBytes(image, 0x2000, {0xAB, 0xCD});
    return image;
}

TEST(TiTxtFormat, WritesAddressLinesAtGapsSixteenBytesALineAndQ)
{
    EXPECT_EQ(Write(Gapped(), "tix"), "@1230\r\n01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F 10\r\n11 12\r\n"
                                      "@2000\r\nAB CD\r\nq\r\n");
    WriterOptions lf;
    lf.lineEnd = "\n";
    EXPECT_EQ(Write(ImageAt(0x12345678, {0x5A}), "TIX", lf), "@12345678\n5A\nq\n");
    EXPECT_EQ(Write({}, "tix"), "q\r\n");
}

TEST(TiTxtFormat, ReadsWhatTheRulesOfTheTextFormatsAllow)
{
    struct Case {
        const char* name;
        std::string text;
        ByteImage image;
        uint32_t flags;
        uint32_t errorLine;
    };
    // Ten good records first, so that recognition settles on TI-TXT before
    // the fault; the faults then lie on line 11.
    const std::string ten = "@1230\n" + std::string("01\n01\n01\n01\n01\n01\n01\n01\n01\n");
    const ByteImage nine = ImageAt(0x1230, std::vector<uint8_t>(9, 0x01));
    const ByteImage two = ImageAt(0x1230, {0x01, 0xAB});
    ByteImage outOfOrder = ImageAt(0x2000, {0x22});
    AddBytes(outOfOrder, 0x1000, {0x11});
    ByteImage badDigit = nine;
    AddBytes(badDigit, 0x1239, {0x00});
    const Case cases[] = {
        {"plain", "@1230\n01 AB\nq\n", two, ffcEndOfData, 0},
        {"crlf and lower case", "@1230\r\n01 ab\r\nQ\r\n", two, ffcEndOfData, 0},
        {"blanks and empty lines", "\n@1230  \n\t01   AB \n\nq", two, ffcEndOfData, 0},
        {"addresses out of order", "@2000\n22\n@1000\n11\nq\n", outOfOrder, ffcEndOfData, 0},
        {"odd digits", ten + "0 12\nq\n", nine, ffcFormatError, 11},
        {"three digits", ten + "123\nq\n", nine, ffcFormatError, 11},
        {"missing q", ten, nine, ffcFormatError, 11},
        {"address too long", ten + "@123456789\nq\n", nine, ffcFormatError, 11},
        {"bad digit", ten + "G1\nq\n", badDigit, ffcEndOfData | ffcReadError, 11},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StringInStream stream(c.text);
        OFFCIn in(stream, "tix");
        ASSERT_EQ(in.ActiveFormat(), ffTiTxt);
        ByteImage image;
        int64_t at = 0;
        while (in.MoreData()) {
            if (in.GetFlags() & ffcAddressChange) {
                at = static_cast<uint32_t>(in.GetAddress());
                in.ClearFlags(ffcAddressChange);
            }
            if (in.GetFlags() & ffcStopMask)
                break;
            image[static_cast<int32_t>(at++)] = in.NextByte();
        }
        EXPECT_EQ(image, c.image);
        EXPECT_EQ(in.GetFlags() & ~ffcAddressChange, c.flags);
        if (c.errorLine) {
            EXPECT_EQ(in.ErrorLine(c.flags & ~ffcEndOfData), c.errorLine);
        }
    }
}

TEST(TiTxtFormat, IsRecognisedLastBeforeBinaryAndWrittenOnlyKeysReadByContent)
{
    const std::string text = "@0100\r\n01 02 03\r\nq\r\n";
    for (std::string_view key : {"", "ext", "hex", "c", "mif"}) {
        ReadResult r = ReadAll(text, key);
        EXPECT_EQ(r.format, ffTiTxt) << key;
        EXPECT_EQ(r.image, ImageAt(0x0100, {1, 2, 3})) << key;
    }
    // Bytes before any address make no TI-TXT.
    EXPECT_EQ(ReadAll("01 02\n@1230\nq\n", "tix").format, ffBinary);
    // An Intel file stays Intel, whatever the key.
    EXPECT_EQ(ReadAll(":0100000055AA\r\n:00000001FF\r\n", "tix").format, ffIntel);
}

TEST(ExportFormats, WriteEachRunAsTheirToolsTakeIt)
{
    WriterOptions c;
    c.arrayName = "fw";
    WriterOptions single = c;
    single.singleRange = true;
    WriterOptions mif;
    mif.depth = 0x2002;
    struct Case {
        const char* key;
        ByteImage image;
        WriterOptions options;
        std::string text;
    };
    const Case cases[] = {
        {"c", ImageAt(0x10, {0x00, 0xFF, 0x7E}), single,
         "const unsigned char fw[] = {\n    0x00, 0xFF, 0x7E,\n};\n"
         "#define fw_START 0x00000010\n#define fw_LENGTH 3\n"},
        {"c", Gapped(), c,
         "const unsigned char fw_0x1230[] = {\n"
         "    0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F, 0x10,\n"
         "    0x11, 0x12,\n};\n#define fw_0x1230_START 0x00001230\n#define fw_0x1230_LENGTH 18\n\n"
         "const unsigned char fw_0x2000[] = {\n    0xAB, 0xCD,\n};\n"
         "#define fw_0x2000_START 0x00002000\n#define fw_0x2000_LENGTH 2\n"},
        {"vmem", Gapped(), {},
         "@00001230\n01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F 10\n11 12\n@00002000\nAB CD\n"},
        {"mif", Gapped(), mif,
         "WIDTH = 8;\nDEPTH = 8194;\nADDRESS_RADIX = HEX;\nDATA_RADIX = HEX;\nCONTENT BEGIN\n"
         "    [0..2001] : FF;\n    1230 : 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F 10;\n"
         "    1240 : 11 12;\n    2000 : AB CD;\nEND;\n"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.key);
        EXPECT_EQ(Write(k.image, k.key, k.options), k.text);
    }
}

TEST(ExportFormats, ReportWhatTheyCannotHold)
{
    auto flags = [](const ByteImage& image, std::string_view key, WriterOptions options) {
        StringOutStream stream;
        OFFCOut out(stream, key);
        out.SetOptions(options);
        out.SetAddress(image.begin()->first);
        for (const auto& entry : image)
            out.PutByte(entry.second);
        out.Finish();
        return out.GetFlags();
    };
    WriterOptions shallow;
    shallow.depth = 0x1000;
    EXPECT_EQ(flags(ImageAt(0x0FFF, {1}), "mif", shallow), 0u);
    EXPECT_EQ(flags(ImageAt(0x0FFF, {1, 2}), "mif", shallow), uint32_t{ffcFormatError});
    WriterOptions segments;
    segments.intelAddressRecord = 2;
    EXPECT_EQ(flags(ImageAt(0xFFFFF, {1}), "ext", segments), 0u);
    EXPECT_EQ(flags(ImageAt(0x100000, {1}), "ext", segments), uint32_t{ffcFormatError});
}

TEST(IntelFormat, SegmentRecordsReachAMegabyteAndReadBack)
{
    WriterOptions segments;
    segments.intelAddressRecord = 2;
    ByteImage image = ImageAt(0x0100, {1});
    AddBytes(image, 0x12345, {2, 3});
    AddBytes(image, 0xFFFFE, {4, 5});
    const std::string text = Write(image, "ext", segments);
    EXPECT_NE(text.find(":020000021000EC\r\n"), std::string::npos);
    EXPECT_NE(text.find(":02000002F0000C\r\n"), std::string::npos);
    EXPECT_EQ(text.find(":02000004"), std::string::npos);
    EXPECT_EQ(ReadAll(text, "ext").image, image);
}

TEST(FormatNames, CArrayNamesAreMadeIdentifiers)
{
    bool changed = true;
    EXPECT_EQ(CArrayName("rom_v2", &changed), "rom_v2");
    EXPECT_FALSE(changed);
    EXPECT_EQ(CArrayName("rom-v2 (b)", &changed), "rom_v2__b_");
    EXPECT_TRUE(changed);
    EXPECT_EQ(CArrayName("2716"), "_2716");
    EXPECT_EQ(CArrayName(""), "image");
}

// Runs of odd lengths at scattered addresses, some closer than a save's gap.
ByteImage RandomRuns(unsigned seed)
{
    std::mt19937 rng(seed);
    ByteImage image;
    int32_t at = 0x1000 + static_cast<int32_t>(rng() % 64);
    for (int run = 0; run < 6; ++run) {
        const int n = 1 + static_cast<int>(rng() % 300);
        for (int i = 0; i < n; ++i)
            image[at + i] = static_cast<uint8_t>(rng());
        at += n + 1 + static_cast<int32_t>(rng() % 5000);
    }
    return image;
}

class PeerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!SrecToolsAvailable())
            GTEST_SKIP() << "srec_cat is not installed";
    }
    PeerDir dir_;
};

TEST_F(PeerTest, TiTxtAgreesWithSrecCatBothWays)
{
    for (unsigned seed = 1; seed <= 3; ++seed) {
        const ByteImage image = RandomRuns(seed);
        std::string log;
        dir_.Write("ours.tix", Write(image, "tix"));
        EXPECT_TRUE(dir_.PeerReadsSame("ours.tix", "-ti-txt", image, log)) << log;
        const std::string theirs = dir_.PeerWrite(image, "theirs.tix", "-ti-txt", log);
        ASSERT_FALSE(theirs.empty()) << log;
        ReadResult r = ReadAll(theirs, "tix");
        EXPECT_EQ(r.format, ffTiTxt);
        EXPECT_EQ(r.image, image);
        EXPECT_EQ(r.flags & ~ffcEndOfData, 0u);
    }
}

TEST_F(PeerTest, CArrayCompiledHoldsTheBytesSrecCatsDoes)
{
    std::string log;
    if (RunCommand("cc --version", log) != 0)
        GTEST_SKIP() << "no C compiler";
    const ByteImage image = RandomRuns(7);
    WriterOptions options;
    options.arrayName = "fw";
    const std::string ours = Write(image, "c", options);
    ASSERT_FALSE(dir_.PeerWrite(image, "theirs.c", "-c-array", log).empty()) << log;

    // Each program writes the span from the lowest to the highest address,
    // erased where no array holds a byte.
    const uint32_t low = static_cast<uint32_t>(image.begin()->first);
    const uint32_t size = static_cast<uint32_t>(image.rbegin()->first) - low + 1;
    std::string place;
    const std::regex array("#define (\\w+)_LENGTH");
    for (std::sregex_iterator it(ours.begin(), ours.end(), array), end; it != end; ++it) {
        const std::string name = (*it)[1];
        place += "    memcpy(image + " + name + "_START - " + std::to_string(low) + ", " + name + ", " + name +
                 "_LENGTH);\n";
    }
    const std::string dumper = "\n#include <stdio.h>\n#include <string.h>\nint main(void) {\n"
                               "    static unsigned char image[" + std::to_string(size) + "];\n"
                               "    memset(image, 0xFF, sizeof image);\n";
    dir_.Write("ours.c", ours + dumper + place + "    fwrite(image, 1, sizeof image, stdout);\n    return 0;\n}\n");
    dir_.Write("theirs_dump.c", "#include \"theirs.c\"\n" + dumper +
                                    "    memcpy(image, eprom, sizeof eprom);\n"
                                    "    fwrite(image, 1, sizeof image, stdout);\n    return 0;\n}\n");
    for (const char* name : {"ours", "theirs_dump"}) {
        const std::string c = dir_.Path(std::string(name) + ".c");
        ASSERT_EQ(RunCommand("cc -Wall -Werror -o " + dir_.Path(name) + " " + c + " && " + dir_.Path(name) + " > " +
                                 dir_.Path(std::string(name) + ".bin"),
                             log),
                  0)
            << log;
    }
    const std::string dumped = dir_.Read("ours.bin");
    EXPECT_EQ(dumped.size(), size);
    EXPECT_TRUE(dumped == dir_.Read("theirs_dump.bin"));
}

} // namespace
