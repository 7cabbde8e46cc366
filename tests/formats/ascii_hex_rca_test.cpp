#include "formats/file_format.h"
#include "support/convert_helpers.h"
#include "support/srec_peer.h"

#include <gtest/gtest.h>

#include <random>

namespace {

ByteImage GappedImage()
{
    ByteImage image = ImageAt(0x0000, {0x01, 0x02, 0x03});
    AddBytes(image, 0x1234, {0xAB});
    return image;
}

ByteImage CountingRun(int32_t address, int32_t length)
{
    ByteImage image;
    for (int32_t i = 0; i < length; ++i)
        image[address + i] = static_cast<uint8_t>(i * 5 + 1);
    return image;
}

// Ten lines of one byte each from 0x0200, so that recognition settles on the
// format before a fault that follows; and the image they hold.
const std::string kTenAsciiHexLines = "$A0200,\r\n" + [] {
    std::string lines;
    for (int i = 0; i < 10; ++i)
        lines += "5A \r\n";
    return lines;
}();
const ByteImage kTenBytes = [] {
    ByteImage image;
    for (int32_t i = 0; i < 10; ++i)
        image[0x0200 + i] = 0x5A;
    return image;
}();

// --- ASCII HEX ---

TEST(AsciiHexFormat, WritesBytesWithBlanksAndAddressLinesOnlyAtGaps)
{
    WriteResult w = WriteAll(ImageAt(0x0000, {1, 2, 3}), "AHX");
    EXPECT_EQ(w.text, "01 02 03 \r\n");
    EXPECT_EQ(w.flags, 0u);
    EXPECT_EQ(WriteAll(ImageAt(0x0100, {1, 2, 3}), "ahx").text, "$A0100,\r\n01 02 03 \r\n");
    EXPECT_EQ(WriteAll(GappedImage(), "AHX").text, "01 02 03 \r\n$A1234,\r\nAB \r\n");
    EXPECT_EQ(WriteAll({}, "AHX").text, "");

    // A run of 33 bytes continues on its second line without an address.
    std::string text = WriteAll(CountingRun(0x0010, 33), "AHX").text;
    EXPECT_EQ(text.find("$A"), 0u);
    EXPECT_EQ(text.find("$A", 1), std::string::npos);
    EXPECT_NE(text.find(" \r\nA1 \r\n"), std::string::npos);
}

TEST(AsciiHexFormat, AddressLineAbove16BitsIsWrittenWrappedAndReported)
{
    WriteResult high = WriteAll(ImageAt(0x12345, {0xAB}), "AHX");
    EXPECT_EQ(high.text, "$A2345,\r\nAB \r\n");
    EXPECT_EQ(high.flags, uint32_t{ffcFormatError});

    // A run across 0x10000 needs no address line there and reads back whole.
    const ByteImage across = CountingRun(0xFFF0, 70);
    WriteResult w = WriteAll(across, "AHX");
    EXPECT_EQ(w.flags, 0u);
    ReadResult r = ReadAll(w.text, "AHX");
    EXPECT_EQ(r.image, across);
    EXPECT_EQ(r.flags, uint32_t{ffcEndOfData});
}

TEST(AsciiHexFormat, ReadsSeparatorsLowerCaseLfLinesAndAddressesWithData)
{
    ReadResult r = ReadAll("12%34'56,78\nab cd\n$A0100,ef 01\r\n\r\n02", "AHX");
    EXPECT_EQ(r.format, ffAsciiHex);
    EXPECT_EQ(r.flags, uint32_t{ffcEndOfData});
    ByteImage expected = ImageAt(0, {0x12, 0x34, 0x56, 0x78, 0xAB, 0xCD});
    AddBytes(expected, 0x0100, {0xEF, 0x01, 0x02});
    EXPECT_EQ(r.image, expected);
}

TEST(AsciiHexFormat, StxBlankAddressAndBytesBeforeEtxAreRead)
{
    // ETX on a line of its own; what follows it is not read.
    ReadResult r = ReadAll("\x02$A0100,\r\n01 02 \r\n\x03\r\n$S0003,\r\n", "AHX");
    EXPECT_EQ(r.flags, uint32_t{ffcEndOfData});
    EXPECT_EQ(r.image, ImageAt(0x0100, {1, 2}));

    // A blank between STX and the address, and ETX after the last bytes on
    // their line, with or without a separator before it.
    for (const char* text : {"\x02 $A0100,\n01 02 \x03\n$S0003,\n", "\x02  $A0100,\r\n01 02\x03"}) {
        r = ReadAll(text, "AHX");
        EXPECT_EQ(r.format, ffAsciiHex);
        EXPECT_EQ(r.flags, uint32_t{ffcEndOfData});
        EXPECT_EQ(r.image, ImageAt(0x0100, {1, 2}));
    }
}

TEST(AsciiHexFormat, FaultsAreReportedAndEarlierLinesStay)
{
    // Two blanks after a byte: the pair " 3" is no hex and "4" no separator.
    ReadResult r = ReadAll(kTenAsciiHexLines + "12  34\r\n56 \r\n", "AHX");
    EXPECT_EQ(r.flags, ffcReadError | ffcFormatError);
    EXPECT_EQ(r.image, kTenBytes);

    for (const char* bad : {"$B0100,\r\n", "$A0100;\r\n"}) {
        r = ReadAll(kTenAsciiHexLines + bad + "56 \r\n", "AHX");
        EXPECT_EQ(r.flags, uint32_t{ffcFormatError}) << bad;
        EXPECT_EQ(r.image, kTenBytes) << bad;
    }

    // A pair that is no hex counts as 0 and reading goes on.
    r = ReadAll(kTenAsciiHexLines + "1G 34\r\n", "AHX");
    EXPECT_EQ(r.flags, ffcReadError | ffcEndOfData);
    ByteImage expected = kTenBytes;
    AddBytes(expected, 0x020A, {0x00, 0x34});
    EXPECT_EQ(r.image, expected);
}

TEST(AsciiHexFormat, LinesOfMoreThan256BytesAreNotDelivered)
{
    std::string full;
    for (int i = 0; i < 256; ++i)
        full += "7E ";
    ReadResult r = ReadAll(kTenAsciiHexLines + full + "\n", "AHX");
    EXPECT_EQ(r.flags, uint32_t{ffcEndOfData});
    EXPECT_EQ(r.image.size(), 10u + 256u);

    r = ReadAll(kTenAsciiHexLines + full + "7E \n", "AHX");
    EXPECT_TRUE(r.flags & ffcReadError);
    EXPECT_EQ(r.image.count(0x020A + 256), 0u);
}

// --- RCA ---

TEST(RcaFormat, WritesHeaderAddressedRunsAndContinuations)
{
    WriteResult w = WriteAll(ImageAt(0x0000, {1, 2, 3}), "MCD");
    EXPECT_EQ(w.text, "!M\r\n0000  01 02 03\r\n");
    EXPECT_EQ(w.flags, 0u);
    EXPECT_EQ(WriteAll(GappedImage(), "mcd").text, "!M\r\n0000  01 02 03;\r\n1234  AB\r\n");
    EXPECT_EQ(WriteAll({}, "MCD").text, "\r\n");

    std::string text = WriteAll(CountingRun(0x0010, 33), "MCD").text;
    EXPECT_EQ(text.substr(0, 13), "!M\r\n0010  01 ");
    EXPECT_EQ(text.substr(text.size() - 11), " 9C,\r\n A1\r\n");
}

TEST(RcaFormat, AddressAbove16BitsIsWrittenWrappedAndReported)
{
    WriteResult first = WriteAll(ImageAt(0x12345, {0xAB}), "MCD");
    EXPECT_EQ(first.text, "!M\r\n2345  AB\r\n");
    EXPECT_EQ(first.flags, uint32_t{ffcFormatError});

    ByteImage gap = ImageAt(0x0010, {0x11});
    AddBytes(gap, 0x10000, {0x22});
    WriteResult later = WriteAll(gap, "MCD");
    EXPECT_EQ(later.text, "!M\r\n0010  11;\r\n0000  22\r\n");
    EXPECT_EQ(later.flags, uint32_t{ffcFormatError});

    const ByteImage across = CountingRun(0xFFF0, 70);
    WriteResult w = WriteAll(across, "MCD");
    EXPECT_EQ(w.flags, 0u);
    ReadResult r = ReadAll(w.text, "MCD");
    EXPECT_EQ(r.image, across);
    EXPECT_EQ(r.flags, uint32_t{ffcEndOfData});
}

TEST(RcaFormat, ReadsFilesWithoutHeaderAndPairsWithoutBlanks)
{
    ReadResult r = ReadAll("0100 0102,\n03 04;\n0200 ff", "MCD");
    EXPECT_EQ(r.format, ffRca);
    EXPECT_EQ(r.flags, uint32_t{ffcEndOfData});
    ByteImage expected = ImageAt(0x0100, {1, 2, 3, 4});
    AddBytes(expected, 0x0200, {0xFF});
    EXPECT_EQ(r.image, expected);

}

// Monitors put the address and bytes on the "!M" line itself; that line
// reads as a record exactly like one of its own.
TEST(RcaFormat, CommandLineCarriesARecord)
{
    struct Case {
        const char* text;
        ByteImage expected;
    };
    ByteImage twoRuns = ImageAt(0x0100, {1, 2, 3, 4});
    AddBytes(twoRuns, 0x0200, {5});
    const Case cases[] = {
        {"!M0100 01 02\r\n", ImageAt(0x0100, {1, 2})},
        {"!M0000 F807A3F8,\r\n 01\r\n", ImageAt(0, {0xF8, 0x07, 0xA3, 0xF8, 0x01})},
        {"!M0100 ;\n0100 01020304;\n0200 05", twoRuns},
        {"!M0100 0102,\r\n 03\r\n", ImageAt(0x0100, {1, 2, 3})},
        {"!M \r\n0100  01 02 03 04;\r\n0200  05\r\n", twoRuns},
    };
    for (const Case& c : cases) {
        ReadResult r = ReadAll(c.text, "MCD");
        EXPECT_EQ(r.format, ffRca) << c.text;
        EXPECT_EQ(r.flags, uint32_t{ffcEndOfData}) << c.text;
        EXPECT_EQ(r.image, c.expected) << c.text;
    }
}

TEST(RcaFormat, FaultsAreReportedAndEarlierLinesStay)
{
    const std::string ten = [] {
        std::string lines = "!M\r\n0200  5A";
        for (int i = 1; i < 10; ++i)
            lines += ",\r\n 5A";
        return lines + ",\r\n";
    }();

    // A pair that is no hex ends reading; the line's bytes are lost.
    ReadResult r = ReadAll(ten + " 01 0G\r\n", "MCD");
    EXPECT_EQ(r.flags, ffcReadError | ffcFormatError);
    EXPECT_EQ(r.image, kTenBytes);

    for (const char* bad : {";\r\n0300:01\r\n", ";\r\n!X\r\n"}) {
        r = ReadAll(ten + bad, "MCD");
        EXPECT_EQ(r.flags, uint32_t{ffcFormatError}) << bad;
        EXPECT_EQ(r.image, kTenBytes) << bad;
    }

    std::string full;
    for (int i = 0; i < 256; ++i)
        full += " 7E";
    r = ReadAll(ten + full + "\r\n", "MCD");
    EXPECT_TRUE(r.flags & ffcReadError);
    EXPECT_EQ(r.image, kTenBytes);
}

TEST(AsciiHexRcaFormats, SurviveDamagedInput)
{
    std::mt19937 random(1997);
    const ByteImage image = RandomImage(9, 6, 40, 0x10000);
    for (std::string_view key : {"AHX", "MCD"}) {
        const std::string text = WriteAll(image, key).text;
        for (int round = 0; round < 300; ++round) {
            std::string damaged = text;
            for (int hits = 1 + static_cast<int>(random() % 4); hits > 0 && !damaged.empty(); --hits) {
                size_t at = random() % damaged.size();
                switch (random() % 3) {
                case 0: damaged[at] = static_cast<char>(random()); break;
                case 1: damaged.erase(at, 1 + random() % 8); break;
                default: damaged.resize(at); break;
                }
            }
            ReadResult r = ReadAll(damaged, key);
            EXPECT_LE(r.image.size(), damaged.size());
        }
    }
}

// --- Interoperability with SRecord ---

class AsciiHexRcaPeer : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!SrecToolsAvailable())
            GTEST_SKIP() << "srec_cat is not installed";
    }
};

TEST_F(AsciiHexRcaPeer, ReadsWhatSrecCatWrites)
{
    PeerDir dir;
    std::string log;
    // One run at an odd address: STX, a blank, the address, and ETX right
    // after the last bytes on their line.
    const ByteImage single = CountingRun(0x1003, 77);
    std::string text = dir.PeerWrite(single, "single.ahx", "-ascii_hex", log);
    ASSERT_FALSE(text.empty()) << log;
    ASSERT_EQ(text.substr(0, 3), "\x02 $");
    ReadResult r = ReadAll(text, "AHX");
    EXPECT_EQ(r.format, ffAsciiHex);
    EXPECT_EQ(r.flags, uint32_t{ffcEndOfData});
    EXPECT_EQ(r.image, single);

    for (uint32_t seed = 1; seed <= 6; ++seed) {
        const ByteImage image = RandomImage(seed * 13, 10, 90, 0x10000);
        // One byte a line keeps the peer's address fields at line starts.
        text = dir.PeerWrite(image, "peer.ahx", "-ascii_hex -obs=1", log);
        ASSERT_FALSE(text.empty()) << log;
        r = ReadAll(text, "AHX");
        EXPECT_EQ(r.format, ffAsciiHex);
        EXPECT_EQ(r.flags, uint32_t{ffcEndOfData});
        EXPECT_EQ(r.image, image) << "seed " << seed;

        text = dir.PeerWrite(image, "peer.mcd", "-cosmac", log);
        ASSERT_FALSE(text.empty()) << log;
        r = ReadAll(text, "MCD");
        EXPECT_EQ(r.format, ffRca);
        EXPECT_EQ(r.flags, uint32_t{ffcEndOfData});
        EXPECT_EQ(r.image, image) << "seed " << seed;
    }
}

// The peer puts an address field in the middle of a line after a gap.
TEST_F(AsciiHexRcaPeer, AddressInTheMiddleOfALineIsRead)
{
    PeerDir dir;
    std::string log;
    ByteImage image = CountingRun(0x0100, 180);
    AddBytes(image, 0x0200, {0x77});
    const ByteImage third = CountingRun(0x0300, 40);
    image.insert(third.begin(), third.end());
    std::string text = dir.PeerWrite(image, "gap.ahx", "-ascii_hex", log);
    ASSERT_NE(text.find(" $A0200,"), std::string::npos) << text;
    ReadResult r = ReadAll(text, "AHX");
    EXPECT_EQ(r.format, ffAsciiHex);
    EXPECT_EQ(r.flags, uint32_t{ffcEndOfData});
    EXPECT_EQ(r.image, image);
    // Directly after a pair as well; the bytes after it go to its address.
    r = ReadAll("01 02$A0010,03 04\r\n", "AHX");
    ByteImage expected = ImageAt(0, {1, 2});
    AddBytes(expected, 0x10, {3, 4});
    EXPECT_EQ(r.image, expected);
}

// This program writes ASCII HEX without STX and ETX and puts the RCA
// command "!M" on a line of its own. The peer needs STX before the data and
// an address or ";" right after "!M"; given those, it reads the same bytes.
TEST_F(AsciiHexRcaPeer, SrecCatReadsWhatThisProgramWritesInItsDialect)
{
    PeerDir dir;
    for (uint32_t seed = 1; seed <= 6; ++seed) {
        const ByteImage image = RandomImage(seed * 7, 10, 90, 0x10000);
        std::string log;

        WriteResult ahx = WriteAll(image, "AHX");
        ASSERT_EQ(ahx.flags, 0u);
        dir.Write("raw.ahx", ahx.text);
        EXPECT_FALSE(dir.PeerReadsSame("raw.ahx", "-ascii_hex", image, log));
        dir.Write("framed.ahx", "\x02" + ahx.text + "\x03");
        EXPECT_TRUE(dir.PeerReadsSame("framed.ahx", "-ascii_hex", image, log)) << "seed " << seed << "\n" << log;

        WriteResult mcd = WriteAll(image, "MCD");
        ASSERT_EQ(mcd.flags, 0u);
        ASSERT_EQ(mcd.text.substr(0, 4), "!M\r\n");
        dir.Write("raw.mcd", mcd.text);
        EXPECT_FALSE(dir.PeerReadsSame("raw.mcd", "-cosmac", image, log));
        dir.Write("command.mcd", "!M;" + mcd.text.substr(2));
        EXPECT_TRUE(dir.PeerReadsSame("command.mcd", "-cosmac", image, log)) << "seed " << seed << "\n" << log;
    }
}

} // namespace
