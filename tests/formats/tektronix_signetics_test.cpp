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

// The records of `image` without the end record, as a file cut short.
std::string WithoutEndRecord(const ByteImage& image, std::string_view key, std::string_view end)
{
    std::string text = WriteAll(image, key).text;
    EXPECT_EQ(text.substr(text.size() - end.size()), end);
    return text.substr(0, text.size() - end.size());
}

// Ten full records at 0x0100, enough for recognition to settle on the format
// before the faults the tests append.
ByteImage TenRecords()
{
    ByteImage image;
    for (int32_t i = 0; i < 320; ++i)
        image[0x0100 + i] = static_cast<uint8_t>(i * 7);
    return image;
}

constexpr std::string_view kTekEnd = "/00000000\n";
constexpr std::string_view kSigEnd = ":000000\n";

// --- Tektronix ---

TEST(TektronixFormat, WritesDigitSumRecordsAndAnLfEndRecord)
{
    WriteResult one = WriteAll(ImageAt(0x0100, {0x41}), "TEK");
    EXPECT_EQ(one.text, "/010001024105\r\n/00000000\n");
    EXPECT_EQ(one.flags, 0u);

    EXPECT_EQ(WriteAll(GappedImage(), "tek").text,
              "/0000030301020306\r\n/1234010BAB15\r\n/00000000\n");
    EXPECT_EQ(WriteAll({}, "TEK").text, "/00000000\n");

    // 33 bytes: a full record of 32 (count 20) and one of 1 at 0x0020.
    ByteImage run;
    for (int32_t i = 0; i < 33; ++i)
        run[i] = 0x11;
    std::string text = WriteAll(run, "TEK").text;
    EXPECT_EQ(text.substr(0, 9), "/00002002");
    EXPECT_NE(text.find("\r\n/0020010311"), std::string::npos);
}

TEST(TektronixFormat, AddressAbove16BitsIsWrittenWrappedAndReported)
{
    WriteResult high = WriteAll(ImageAt(0x10100, {0x41}), "TEK");
    EXPECT_EQ(high.text, "/010001024105\r\n/00000000\n");
    EXPECT_EQ(high.flags, uint32_t{ffcFormatError});
    EXPECT_EQ(ReadAll(high.text, "TEK").image, ImageAt(0x0100, {0x41}));

    // A record that starts below the limit carries only that start address,
    // and reading runs on past 0xFFFF.
    ByteImage straddle = ImageAt(0xFFFE, {1, 2, 3, 4});
    WriteResult fits = WriteAll(straddle, "TEK");
    EXPECT_EQ(fits.flags, 0u);
    EXPECT_EQ(ReadAll(fits.text, "TEK").image, straddle);
}

TEST(TektronixFormat, SkipsCommentsAndTakesLowerCaseDataAndChecksums)
{
    ReadResult r = ReadAll("//any text /0000\r\n/01000102ff1e\r\n//\n/00000000\n", "TEK");
    EXPECT_EQ(r.format, ffTektronix);
    EXPECT_EQ(r.flags, uint32_t{ffcEndOfData});
    EXPECT_EQ(r.image, ImageAt(0x0100, {0xFF}));

    // The end record's address is not used; a record after it is reported.
    r = ReadAll("/01000102FF1E\r\n/1234000A\n/0200010341 05\r\n", "TEK");
    EXPECT_EQ(r.flags, uint32_t{ffcEndOfData | ffcFormatError});
    EXPECT_EQ(r.image, ImageAt(0x0100, {0xFF}));
}

TEST(TektronixFormat, FaultyRecordsStopReadingAndKeepEarlierBytes)
{
    const ByteImage kept = TenRecords();
    const std::string good = WithoutEndRecord(kept, "TEK", kTekEnd);

    // Lower-case address digit: read error, the field counts as 0 and the
    // misaligned header fails its checksum.
    ReadResult r = ReadAll(good + "/0a00010B4105\r\n/00000000\n", "TEK");
    EXPECT_EQ(r.image, kept);
    EXPECT_EQ(r.flags & (ffcReadError | ffcChecksumError), ffcReadError | ffcChecksumError);

    // Wrong header checksum, wrong data checksum, a count larger than the
    // line: none of the bytes of the faulty record is stored.
    for (const char* bad : {"/0200020542 43 0E\r\n", "/020002044243 0F\r\n", "/0200020442430F\r\n",
                            "/02000507424305\r\n"}) {
        r = ReadAll(good + bad + std::string(kTekEnd), "TEK");
        EXPECT_EQ(r.format, ffTektronix);
        EXPECT_EQ(r.image, kept) << bad;
        EXPECT_TRUE(r.flags & ffcChecksumError) << bad;
    }
}

TEST(TektronixFormat, MissingEndRecordBlankLineAndTruncationAreReported)
{
    const ByteImage image = TenRecords();
    const std::string records = WithoutEndRecord(image, "TEK", kTekEnd);

    ReadResult r = ReadAll(records, "TEK");
    EXPECT_EQ(r.format, ffTektronix);
    EXPECT_EQ(r.flags, uint32_t{ffcFormatError});
    EXPECT_EQ(r.image, image);

    r = ReadAll(records + "\r\n/0000010141 05\r\n" + std::string(kTekEnd), "TEK");
    EXPECT_EQ(r.flags, uint32_t{ffcFormatError});
    EXPECT_EQ(r.image, image);

    // The end of the file inside the address ends the data.
    r = ReadAll(records + "/01", "TEK");
    EXPECT_EQ(r.flags & (ffcReadError | ffcEndOfData), ffcReadError | ffcEndOfData);
    EXPECT_EQ(r.image, image);

    // Inside the data: the checksum test fails on the missing digits.
    r = ReadAll(records + "/0000020241", "TEK");
    EXPECT_TRUE(r.flags & ffcChecksumError);
    EXPECT_EQ(r.image, image);
}

// --- Signetics ---

TEST(SigneticsFormat, WritesXorRotateRecordsWithLfLineEnds)
{
    WriteResult one = WriteAll(ImageAt(0x0100, {0x41}), "SIG");
    EXPECT_EQ(one.text, ":0100010A4182\n:000000\n");
    EXPECT_EQ(one.flags, 0u);
    EXPECT_EQ(WriteAll(GappedImage(), "sig").text,
              ":0000030601020306\n:12340142AB57\n:000000\n");
    EXPECT_EQ(WriteAll({}, "SIG").text, ":000000\n");
}

TEST(SigneticsFormat, RecordAbove16BitsIsDroppedAndReported)
{
    ByteImage image = ImageAt(0x0010, {0x11});
    AddBytes(image, 0x10000, {0x22});
    // Nothing of the dropped record stays: the file reads back cleanly.
    AddBytes(image, 0x12000, {0x33, 0x44});
    WriteResult w = WriteAll(image, "SIG");
    EXPECT_EQ(w.text, ":001001421122\n:000000\n");
    EXPECT_EQ(w.flags, uint32_t{ffcFormatError});
    ReadResult back = ReadAll(w.text, "SIG");
    EXPECT_EQ(back.flags, uint32_t{ffcEndOfData});
    EXPECT_EQ(back.image, ImageAt(0x0010, {0x11}));
}

TEST(SigneticsFormat, EndRecordAtAnyAddressEndsReading)
{
    ReadResult r = ReadAll(":0100010a4182\r\n:ABCD00 whatever\n", "SIG");
    EXPECT_EQ(r.format, ffSignetics);
    EXPECT_EQ(r.flags, uint32_t{ffcEndOfData});
    EXPECT_EQ(r.image, ImageAt(0x0100, {0x41}));
    // A record after the end is reported, the bytes before it kept.
    r = ReadAll(":0100010a4182\r\n:ABCD00 whatever\n:0200010B4182\n", "SIG");
    EXPECT_EQ(r.format, ffSignetics);
    EXPECT_EQ(r.flags, uint32_t{ffcEndOfData | ffcFormatError});
    EXPECT_EQ(r.image, ImageAt(0x0100, {0x41}));
}

TEST(SigneticsFormat, FaultyRecordsStopReadingAndKeepEarlierBytes)
{
    const ByteImage image = TenRecords();
    const std::string records = WithoutEndRecord(image, "SIG", kSigEnd);
    const std::string good = ":0100010A4182\n";
    for (const char* bad : {":0200010B4182\n", ":020001124183\n", ":0200051A4142\n"}) {
        ReadResult r = ReadAll(records + bad + std::string(kSigEnd), "SIG");
        EXPECT_EQ(r.image, image) << bad;
        EXPECT_TRUE(r.flags & ffcChecksumError) << bad;
    }

    ReadResult r = ReadAll(records, "SIG");
    EXPECT_EQ(r.format, ffSignetics);
    EXPECT_EQ(r.flags, uint32_t{ffcFormatError});
    EXPECT_EQ(r.image, image);

    r = ReadAll(records + "\n" + good, "SIG");
    EXPECT_EQ(r.flags, uint32_t{ffcFormatError});
    EXPECT_EQ(r.image, image);

    r = ReadAll(records + ":0200010C41", "SIG");
    EXPECT_TRUE(r.flags & ffcChecksumError);
    EXPECT_EQ(r.image, image);
}

// Damaged copies of valid files must be reported, never crash or spin.
TEST(TektronixSigneticsFormats, SurviveDamagedInput)
{
    std::mt19937 random(97);
    const ByteImage image = RandomImage(5, 6, 40, 0x10000);
    for (std::string_view key : {"TEK", "SIG"}) {
        const std::string text = WriteAll(image, key).text;
        for (int round = 0; round < 300; ++round) {
            std::string damaged = text;
            for (int hits = 1 + static_cast<int>(random() % 4); hits > 0; --hits) {
                size_t at = random() % damaged.size();
                switch (random() % 3) {
                case 0: damaged[at] = static_cast<char>(random()); break;
                case 1: damaged.erase(at, 1 + random() % 8); break;
                default: damaged.resize(at); break;
                }
                if (damaged.empty())
                    break;
            }
            ReadResult r = ReadAll(damaged, key);
            EXPECT_LE(r.image.size(), damaged.size()) << FormatName(r.format) << "\n" << damaged;
        }
    }
}

// --- Interoperability with SRecord ---

class TektronixSigneticsPeer : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!SrecToolsAvailable())
            GTEST_SKIP() << "srec_cat is not installed";
    }
};

TEST_F(TektronixSigneticsPeer, ReadsWhatSrecCatWrites)
{
    PeerDir dir;
    for (uint32_t seed = 1; seed <= 6; ++seed) {
        const ByteImage image = RandomImage(seed * 31, 10, 90, 0x10000);
        std::string log;
        // The peer writes the Tektronix end record only with a start address,
        // which the reference it reads carries.
        std::string tek = dir.PeerWrite(image, "peer.tek", "-tektronix", log);
        ASSERT_FALSE(tek.empty()) << log;
        ReadResult r = ReadAll(tek, "TEK");
        EXPECT_EQ(r.format, ffTektronix);
        EXPECT_EQ(r.flags, uint32_t{ffcEndOfData});
        EXPECT_EQ(r.image, image) << "seed " << seed;

        std::string sig = dir.PeerWrite(image, "peer.sig", "-signetics", log);
        ASSERT_FALSE(sig.empty()) << log;
        r = ReadAll(sig, "SIG");
        EXPECT_EQ(r.format, ffSignetics);
        EXPECT_EQ(r.flags, uint32_t{ffcEndOfData});
        EXPECT_EQ(r.image, image) << "seed " << seed;
    }
}

TEST_F(TektronixSigneticsPeer, SrecCatReadsWhatThisProgramWrites)
{
    PeerDir dir;
    for (uint32_t seed = 1; seed <= 6; ++seed) {
        const ByteImage image = RandomImage(seed * 17, 10, 90, 0x10000);
        for (auto [key, option] : {std::pair{"TEK", "-tektronix"}, std::pair{"SIG", "-signetics"}}) {
            WriteResult w = WriteAll(image, key);
            ASSERT_EQ(w.flags, 0u);
            dir.Write("ours", w.text);
            std::string log;
            EXPECT_TRUE(dir.PeerReadsSame("ours", option, image, log)) << key << " seed " << seed << "\n" << log;
        }
    }
}

// Without a start address the peer ends its Tektronix file with no end
// record. Here the end record is required: a file of good records reads
// with a format error at its end, however short.
TEST_F(TektronixSigneticsPeer, TektronixFileWithoutEndRecordIsReportedOrNotRecognised)
{
    const std::string kNoStartAddress = "-tektronix -disable=exec-start-address";
    PeerDir dir;
    std::string log;
    const ByteImage longImage = TenRecords();
    std::string text = dir.PeerWrite(longImage, "long.tek", kNoStartAddress, log);
    ASSERT_FALSE(text.empty()) << log;
    ASSERT_EQ(text.find("/00000000"), std::string::npos);
    ReadResult r = ReadAll(text, "TEK");
    EXPECT_EQ(r.format, ffTektronix);
    EXPECT_EQ(r.flags, uint32_t{ffcFormatError});
    EXPECT_EQ(r.image, longImage);

    text = dir.PeerWrite(ImageAt(0x0100, {1, 2, 3}), "short.tek", kNoStartAddress, log);
    ASSERT_FALSE(text.empty()) << log;
    r = ReadAll(text, "TEK");
    EXPECT_EQ(r.format, ffTektronix);
    EXPECT_EQ(r.flags, uint32_t{ffcFormatError});
}

} // namespace
