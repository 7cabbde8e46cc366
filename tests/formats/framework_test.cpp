// The converter framework: recognition, address changes, the protocols and
// the image formats that live beside it.

#include "formats/ffc_in.h"
#include "formats/ffc_out.h"
#include "formats/streams.h"
#include "support/byte_reference.h"
#include "support/convert_helpers.h"
#include "support/srec_peer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>

namespace {
// Eleven Intel data records and an end record: enough to pass a trial.
std::string IntelFile(bool withEnd)
{
    ByteImage image;
    for (int i = 0; i < 11 * 32; ++i)
        image[i] = static_cast<uint8_t>(i);
    std::string text = WriteAll(image, "ext").text;
    if (!withEnd)
        text.erase(text.find(":00000001FF"));
    return text;
}
} // namespace

TEST(FormatKey, IsComparedWithoutRegardToCase)
{
    EXPECT_EQ(FormatFromKey("s3f"), ffMotorola);
    EXPECT_EQ(FormatFromKey("S3F"), ffMotorola);
    EXPECT_EQ(FormatFromKey("s19"), ffMotorola);
    EXPECT_EQ(FormatFromKey("Ext"), ffIntel);
    EXPECT_EQ(FormatFromKey("int"), ffIntel);
    EXPECT_EQ(FormatFromKey("bIn"), ffBinary);
    EXPECT_EQ(FormatFromKey("hex"), ffPlainHex);
    EXPECT_EQ(FormatFromKey(""), ffUnknown);
    EXPECT_EQ(FormatFromKey("s3"), ffUnknown);
    EXPECT_EQ(FormatFromKey("s3fx"), ffUnknown);

    StringOutStream sink;
    EXPECT_EQ(OFFCOut(sink, "").Format(), ffBinary);
    EXPECT_EQ(OFFCOut(sink, "xyz").Format(), ffBinary);
    EXPECT_EQ(OFFCOut(sink, "S2F").Format(), ffMotorola);
}

TEST(Recognition, ContentOverridesTheKey)
{
    const std::string intel = IntelFile(true);
    for (const char* key : {"ext", "EXT", "hex", "s3f", "", "nonsense"}) {
        ReadResult r = ReadAll(intel, key);
        EXPECT_EQ(r.format, ffIntel) << key;
        EXPECT_EQ(r.image.size(), 11u * 32) << key;
        EXPECT_EQ(r.flags, ffcEndOfData) << key;
    }
    ReadResult motorola = ReadAll(WriteAll(ImageAt(5, {1, 2, 3}), "s3f").text, "ext");
    EXPECT_EQ(motorola.format, ffMotorola);
    EXPECT_EQ(motorola.image, ImageAt(5, {1, 2, 3}));
}

TEST(Recognition, KeyWinsWhenItsOwnTrialSucceeds)
{
    // Plain hex comes before the binary fallback, but the binary key keeps
    // even a valid image of hex digits as raw characters.
    const std::string digits = "0102\r\n";
    ReadResult hex = ReadAll(digits, "hex");
    EXPECT_EQ(hex.format, ffPlainHex);
    EXPECT_EQ(hex.image, ImageAt(0, {1, 2}));

    ReadResult bin = ReadAll(digits, "BIN");
    EXPECT_EQ(bin.format, ffBinary);
    EXPECT_EQ(bin.image, ImageAt(0, {'0', '1', '0', '2', '\r', '\n'}));

    EXPECT_EQ(ReadAll(IntelFile(true), "bin").format, ffBinary);

    // An Intel record whose offset ends in 00 reads as a Signetics end
    // record, but the records after it fail that trial: even named by the
    // key, Signetics does not take the file for an empty one.
    EXPECT_EQ(ReadAll(IntelFile(true), "sig").format, ffIntel);
    EXPECT_EQ(ReadAll(IntelFile(true), "sig").image.size(), 11u * 32);
    EXPECT_EQ(ReadAll(IntelFile(true), "").format, ffIntel);
}

TEST(Recognition, GoodRecordsWithoutTheirEndReadInTheirFormat)
{
    // Too short to pass the trial without its end record, the good record
    // still says what the file is; the missing end is reported.
    std::string text = WriteAll(ImageAt(0x30, {2, 0x33, 0x7A}), "ext").text;
    text.erase(text.find(":00000001FF"));
    ReadResult r = ReadAll(text, "ext");
    EXPECT_EQ(r.format, ffIntel);
    EXPECT_EQ(r.image, ImageAt(0x30, {2, 0x33, 0x7A}));
    EXPECT_EQ(r.flags, ffcFormatError);

    // Long enough, the same damage only ends in a format error.
    ReadResult longer = ReadAll(IntelFile(false), "ext");
    EXPECT_EQ(longer.format, ffIntel);
    EXPECT_EQ(longer.image.size(), 11u * 32);
    EXPECT_EQ(longer.flags, ffcFormatError);
}

TEST(Recognition, DamagedFileIsNotTakenForAnEmptyOneOfAnotherFormat)
{
    // The second record's checksum is wrong. Its first line also reads as a
    // Signetics end record (address 1000, count 00), but that trial explains
    // none of the file: the file reads as Intel, keeping the good record and
    // reporting the fault, instead of opening as an empty buffer.
    const std::string damaged = ":10000000000102030405060708090A0B0C0D0E0F78\r\n"
                                ":10001000101112131415161718191A1B1C1D1E1F00\r\n"
                                ":00000001FF\r\n";
    for (const char* key : {"ext", "", "hex"}) {
        ReadResult r = ReadAll(damaged, key);
        EXPECT_EQ(r.format, ffIntel) << key;
        EXPECT_EQ(r.flags, ffcChecksumError) << key;
        EXPECT_EQ(r.image.size(), 16u) << key;
    }
    // A file that is nothing but an end record still reads as one.
    EXPECT_EQ(ReadAll(":000000\n", "").format, ffSignetics);
}

TEST(Recognition, TrialsLeaveTheStreamAtItsStart)
{
    StringInStream stream(IntelFile(true));
    OFFCIn in(stream, "");
    ASSERT_TRUE(in.MoreData());
    EXPECT_EQ(in.GetFlags(), 0u);
    EXPECT_EQ(in.NextByte(), 0);
    EXPECT_EQ(in.NextByte(), 1);
}

TEST(ReadingProtocol, AddressChangeOnlyWhereBytesDoNotFollow)
{
    ReadResult atZero = ReadAll(WriteAll(ImageAt(0, {1, 2, 3}), "s3f").text, "s3f");
    EXPECT_TRUE(atZero.addressChanges.empty());

    ByteImage gapped = ImageAt(0x100, {1, 2});
    AddBytes(gapped, 0x200, {3});
    ReadResult elsewhere = ReadAll(WriteAll(gapped, "ext").text, "ext");
    EXPECT_EQ(elsewhere.addressChanges, (std::vector<int32_t>{0x100, 0x200}));
    EXPECT_EQ(elsewhere.image, gapped);
}

TEST(ReadingProtocol, NextBytePastTheEndAnswersAtOnce)
{
    // Without an end record the stream ends in a format error; a caller
    // that asks for more must not be kept waiting.
    StringInStream stream(IntelFile(false));
    OFFCIn in(stream, "ext");
    while (in.MoreData())
        in.NextByte();
    EXPECT_TRUE(in.GetFlags() & ffcFormatError);
    EXPECT_EQ(in.NextByte(), 0);
    EXPECT_EQ(in.NextByte(), 0);
}

// Where each error was first raised, after the reading protocol ran, and
// why: the line the reader stood on, counted through every kind of line
// end, and the reason it gives there.
TEST(ReadingProtocol, ErrorsKnowTheirLinesAndReasons)
{
    ByteImage image;
    for (int i = 0; i < 11 * 32; ++i)
        image[i] = static_cast<uint8_t>(i * 7);
    // The last checksum digit of line `line` (from 1) changed.
    auto damage = [](std::string text, int line) {
        size_t end = 0;
        for (int i = 0; i < line; ++i)
            end = text.find('\n', end) + 1;
        const size_t digit = text.rfind('\r', end - 1) - 1;
        text[digit] = text[digit] == '0' ? '1' : '0';
        return text;
    };
    const std::string intel = WriteAll(image, "ext").text;
    const std::string srec = "S00600004844521B\r\n" + damage(WriteAll(image, "s3f").text, 11);
    std::string shortLine = intel;
    shortLine.erase(shortLine.find("\r\n:", 4 * 77) - 4, 4);
    std::string plain;
    for (int i = 0; i < 11; ++i)
        plain += "0102\n\r";
    plain += "030G\n\r";
    const std::string good = ":0400000001020304F2\r\n";

    struct Case {
        const char* key;
        std::string text;
        uint32_t flag;
        std::string where;
    };
    const Case cases[] = {
        {"ext", damage(intel, 4), ffcChecksumError, "line 4: checksum F1, expected F0"},
        {"ext", intel.substr(0, intel.find(":00000001FF")), ffcFormatError, "line 12: end record missing"},
        {"s3f", srec, ffcChecksumError, "line 12: checksum 00, expected 09"},
        // A short line swallows the next line's start: the damage is on
        // line 5, the sum no longer fits on line 6.
        {"ext", shortLine, ffcReadError, "line 5: record length 32 does not match 30 bytes"},
        {"ext", shortLine, ffcChecksumError, "line 6: checksum 00, expected 29"},
        {"hex", plain, ffcReadError, "line 12: bad hex digit 'G'"},
        {"tek", damage(WriteAll(image, "tek").text, 11), ffcChecksumError, "line 11: data checksum D0, expected DA"},
        {"ext", good + ":0400040001\x1b" "20304F0\r\n", ffcReadError, "line 2: bad hex digit '\\x1b'"},
        {"ext", good + ":03000004000100F8\r\n", ffcFormatError, "line 2: type 04 record length 3, expected 2"},
        {"ext", good + ":0400000701020304EB\r\n", ffcReadError, "line 2: unknown record type 07"},
        {"ext", good + ":00000001FF\r\n" + good, ffcFormatError, "line 3: data after end record"},
        {"s3f", "S107000041424344EE\r\nS5030003F9\r\nS9030000FC\r\n", ffcFormatError, "line 2: S5 count 3, expected 1"},
        {"tek", "/00100211\n", ffcChecksumError, "line 1: header checksum 11, expected 03"},
        {"tix", "@1000\n01 0\nq\n", ffcFormatError, "line 2: single hex digit"},
    };
    for (const Case& c : cases) {
        StringInStream stream(c.text);
        OFFCIn in(stream, c.key);
        while (in.MoreData() && !(in.GetFlags() & ffcStopMask)) {
            in.ClearFlags(ffcAddressChange);
            in.NextByte();
        }
        EXPECT_TRUE(in.GetFlags() & c.flag) << c.key << " " << FlagName(c.flag);
        EXPECT_EQ("line " + std::to_string(in.ErrorLine(c.flag)) + ": " + in.ErrorReason(c.flag), c.where)
            << c.key << " " << FlagName(c.flag);
    }
}

TEST(WritingProtocol, WriteErrorsAreReported)
{
    for (const char* key : {"ext", "s3f", "hex", "bin"}) {
        StringOutStream sink;
        sink.FailWrites();
        OFFCOut out(sink, key);
        out.PutByte(1);
        out.Finish();
        EXPECT_TRUE(out.GetFlags() & ffcWriteError) << key;
    }
}

TEST(WritingProtocol, AddressesAtTheTopOfTheRangeWrap)
{
    // Forty bytes from 0x7FFFFFFE: the second record and the end record lie
    // past the signed range and wrap instead of overflowing.
    StringOutStream sink;
    OFFCOut out(sink, "s3f");
    out.SetAddress(0x7FFFFFFE);
    for (int i = 0; i < 40; ++i)
        out.PutByte(0);
    out.Finish();
    const std::string text = sink.Text();
    EXPECT_EQ(text.substr(0, 12), "S3257FFFFFFE");
    EXPECT_NE(text.find("\r\nS30D8000001E"), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 16), "S7058000002654\r\n");

    // The address-line formats keep their written-to address defined too.
    for (const char* key : {"ahx", "mcd"}) {
        StringOutStream lines;
        OFFCOut o(lines, key);
        o.SetAddress(0x7FFFFFF0);
        for (int i = 0; i < 40; ++i)
            o.PutByte(1);
        o.SetAddress(0x7FFFFFF0);
        o.PutByte(2);
        o.Finish();
        EXPECT_EQ(o.GetFlags(), uint32_t{ffcFormatError}) << key;
    }
}

TEST(WritingProtocol, FinishWithoutBytesStillEnds)
{
    EXPECT_EQ(WriteAll({}, "ext").text, ":00000001FF\r\n");
    EXPECT_EQ(WriteAll({}, "s3f").text, "S70500000000FA\r\n");
    EXPECT_EQ(WriteAll({}, "hex").text, "");
    EXPECT_EQ(WriteAll({}, "bin").text, "");
}

TEST(PlainHex, WriterFillsGapsInLinesOfForty)
{
    EXPECT_EQ(WriteAll(ImageAt(0, {1, 2, 3}), "hex").text, "010203\r\n");
    EXPECT_EQ(WriteAll(ImageAt(0x10, {0xAB}), "hex").text, std::string(32, 'F') + "AB\r\n");

    ByteImage gapped = ImageAt(0, {0x11});
    AddBytes(gapped, 101, {0x22});
    const std::string forty(80, 'F');
    EXPECT_EQ(WriteAll(gapped, "hex").text,
              "11\r\n" + forty + "\r\n" + forty + "\r\n" + std::string(40, 'F') + "22\r\n");
}

TEST(PlainHex, ReadsAnyLineEndAndLongLines)
{
    ReadResult ends = ReadAll("0102\r\n03\n\r04\n05", "hex");
    EXPECT_EQ(ends.image, ImageAt(0, {1, 2, 3, 4, 5}));
    EXPECT_EQ(ends.flags, ffcEndOfData);

    std::string full;
    for (int i = 0; i < 256; ++i)
        full += "5A";
    ReadResult fits = ReadAll(full + "\n01\n", "hex");
    EXPECT_EQ(fits.flags, ffcEndOfData);
    EXPECT_EQ(fits.image.size(), 257u);

    // One byte too many: reported, and no byte is lost or moved. (Empty
    // lines first, so that the trial does not meet the error.)
    ReadResult tooLong = ReadAll(std::string(10, '\n') + full + "6B\n01\n", "hex");
    EXPECT_EQ(tooLong.format, ffPlainHex);
    EXPECT_EQ(tooLong.flags, ffcReadError | ffcEndOfData);
    ASSERT_EQ(tooLong.image.size(), 258u);
    EXPECT_EQ(tooLong.image.at(256), 0x6B);
    EXPECT_EQ(tooLong.image.at(257), 0x01);
}

TEST(PlainHex, ALoneCarriageReturnEndsTheLineWithoutSwallowingTheNext)
{
    ReadResult r = ReadAll("0102\r0304\r05\r\n06", "hex");
    EXPECT_EQ(r.format, ffPlainHex);
    EXPECT_EQ(r.flags, ffcEndOfData);
    EXPECT_EQ(r.image, ImageAt(0, {1, 2, 3, 4, 5, 6}));
}

TEST(PlainHex, NonHexIsAReadErrorAndReadingGoesOn)
{
    // Early in a file the error fails the trial and the file reads as binary.
    EXPECT_EQ(ReadAll("01 2\r\n34", "hex").format, ffBinary);

    ReadResult r = ReadAll(std::string(10 * 3, '\n') + "01 2\r\n34", "hex");
    EXPECT_EQ(r.format, ffPlainHex);
    EXPECT_EQ(r.flags, ffcReadError | ffcEndOfData);
    EXPECT_EQ(r.image, ImageAt(0, {0x01, 0x00, 0x34}));
}

TEST(Binary, ReadsInBlocksOf256AndFillsGapsWithFF)
{
    StringInStream stream(std::string(300, '\x42'));
    OFFCIn in(stream, "bin");
    ASSERT_TRUE(in.MoreData());
    EXPECT_EQ(in.RecordLength(), 256);
    for (int i = 0; i < 256; ++i)
        in.NextByte();
    ASSERT_TRUE(in.MoreData());
    EXPECT_EQ(in.RecordLength(), 44);
    EXPECT_EQ(in.GetFlags(), 0u);

    StringInStream empty{std::string()};
    OFFCIn none(empty, "bin");
    EXPECT_FALSE(none.MoreData());
    EXPECT_EQ(none.GetFlags(), ffcEndOfData);

    ByteImage gapped = ImageAt(0x10, {1});
    AddBytes(gapped, 0x300, {2});
    std::string expected = std::string(0x10, '\xFF') + '\x01' + std::string(0x300 - 0x11, '\xFF') + '\x02';
    EXPECT_EQ(WriteAll(gapped, "bin").text, expected);
    // Read back, the image starts at 0 and holds the fill.
    EXPECT_EQ(ReadAll(expected, "bin").image.size(), 0x301u);
}

TEST(RoundTrip, EveryFormatOfThisUnitKeepsBytesAndAddresses)
{
    ByteImage image;
    AddBytes(image, 0x0001, {0xDE, 0xAD});
    for (int i = 0; i < 77; ++i)
        image[0xFFE0 + i] = static_cast<uint8_t>(i * 7);
    AddBytes(image, 0x123456, {0x00, 0xFF, 0x80});
    for (const char* key : {"ext", "s3f"}) {
        WriteResult w = WriteAll(image, key);
        EXPECT_EQ(w.flags, 0u) << key;
        ReadResult r = ReadAll(w.text, key);
        EXPECT_EQ(r.flags, ffcEndOfData) << key;
        EXPECT_EQ(r.image, image) << key;
    }
}

TEST(RoundTrip, RunsMoveExactlyLikeSingleBytes)
{
    // The run helpers on both sides against the byte-at-a-time protocol,
    // with runs of odd lengths that cross records and gaps.
    std::mt19937 rng(11);
    ByteImage image;
    for (int run = 0; run < 40; ++run) {
        const int32_t at = 0x100 * run + static_cast<int32_t>(rng() % 64);
        for (int i = 0, n = 1 + static_cast<int>(rng() % 150); i < n; ++i)
            image[at + i] = static_cast<uint8_t>(rng());
    }
    for (const char* key : {"ext", "s3f", "tek", "sig", "ahx", "mcd", "hex", "bin"}) {
        SCOPED_TRACE(key);
        const WriteResult single = WriteAll(image, key);

        StringOutStream sink;
        OFFCOut out(sink, key);
        std::vector<uint8_t> run;
        int32_t runStart = 0;
        auto flush = [&] {
            out.SetAddress(runStart);
            for (size_t i = 0; i < run.size();) {
                const size_t n = std::min<size_t>(run.size() - i, 1 + rng() % 70);
                out.PutBytes(run.data() + i, static_cast<int32_t>(n));
                i += n;
            }
            run.clear();
        };
        for (const auto& [address, byte] : image) {
            if (!run.empty() && address != runStart + static_cast<int32_t>(run.size()))
                flush();
            if (run.empty())
                runStart = address;
            run.push_back(byte);
        }
        flush();
        out.Finish();
        EXPECT_EQ(sink.Text(), single.text);
        EXPECT_EQ(out.GetFlags(), single.flags);

        const ReadResult bytes = ReadAll(single.text, key);
        StringInStream stream(single.text);
        OFFCIn in(stream, key);
        ReadResult runs;
        int32_t position = 0;
        uint8_t chunk[300];
        while (in.MoreData()) {
            if (in.GetFlags() & ffcAddressChange) {
                position = in.GetAddress();
                runs.addressChanges.push_back(position);
                in.ClearFlags(ffcAddressChange);
            }
            if (in.GetFlags() & ffcStopMask)
                break;
            const int32_t n = in.NextBytes(chunk, 1 + static_cast<int32_t>(rng() % 300));
            ASSERT_GT(n, 0);
            for (int32_t i = 0; i < n; ++i)
                runs.image[position++] = chunk[i];
            EXPECT_EQ(in.GetAddress(), position);
        }
        EXPECT_EQ(runs.image, bytes.image);
        EXPECT_EQ(runs.addressChanges, bytes.addressChanges);
        EXPECT_EQ(in.GetFlags() & ~ffcAddressChange, bytes.flags);
    }
}

TEST(RoundTrip, FilesReadAcrossStreamBufferBoundaries)
{
    // Records and blocks straddle the file stream's 64 KiB refills, where
    // the readers leave their fast paths.
    std::mt19937 rng(5);
    ByteImage image;
    for (int i = 0; i < 80000; ++i)
        image[0x100 + i] = static_cast<uint8_t>(rng());
    const std::string path = (std::filesystem::temp_directory_path() / "dravel-framework-roundtrip").string();
    for (const char* key : {"ext", "s3f", "bin", "hex"}) {
        SCOPED_TRACE(key);
        WriteResult w = WriteAll(image, key);
        std::ofstream(path, std::ios::binary) << w.text;
        FileInStream stream(path);
        ASSERT_TRUE(stream.IsOpen());
        ReadResult r = ReadAll(stream, key);
        EXPECT_EQ(r.flags, ffcEndOfData);
        if (std::string(key) == "bin" || std::string(key) == "hex") {
            // Images start at 0: the gap before the data reads as fill.
            EXPECT_EQ(r.image.size(), image.size() + 0x100);
            EXPECT_EQ(r.image.at(0), 0xFF);
            for (auto& [address, byte] : image)
                if (r.image.at(address) != byte)
                    FAIL() << "differs at " << address;
        } else {
            EXPECT_EQ(r.image, image);
        }
    }
    std::remove(path.c_str());
}

TEST(RoundTrip, SixteenBitRecordFormatsReadBackWhatTheyWrite)
{
    struct Case {
        const char* key;
        FileFormat format;
    };
    for (Case c : {Case{"AHX", ffAsciiHex}, Case{"MCD", ffRca}, Case{"TEK", ffTektronix},
                   Case{"SIG", ffSignetics}}) {
        for (uint32_t seed = 1; seed <= 20; ++seed) {
            ByteImage image = RandomImage(seed, 12, 80, 0x10000);
            ReadResult back = ReadAll(WriteAll(image, c.key).text, c.key);
            EXPECT_EQ(back.format, c.format) << c.key;
            EXPECT_EQ(back.flags, uint32_t{ffcEndOfData}) << c.key;
            EXPECT_EQ(back.image, image) << c.key << " seed " << seed;
        }
    }
}

TEST(InPlaceReading, GivesWhatReadingOneCharacterAtATimeGives)
{
    // Readers parse records where they lie in the stream's buffer; damaged
    // or not, what they hand out must be what the careful reading gives.
    std::mt19937 random(5);
    const std::string noise = "0123456789abcdefABCDEF:Ss /$,;!G\r\n\x02\x03";
    for (const char* key : {"ext", "s3f", "tek", "sig", "ahx", "mcd", "hex"}) {
        const std::string text = WriteAll(RandomImage(11, 20, 300, 0x10000), key).text;
        for (int trial = 0; trial < 24; ++trial) {
            std::string damaged = text;
            for (int k = trial % 4; k > 0; --k)
                damaged[random() % damaged.size()] = noise[random() % noise.size()];
            StringInStream whole(damaged);
            TrickleInStream trickle(damaged);
            const ReadResult fast = ReadAll(whole, key);
            const ReadResult careful = ReadAll(trickle, key);
            ASSERT_EQ(fast.format, careful.format) << key << " trial " << trial;
            EXPECT_EQ(fast.flags, careful.flags) << key << " trial " << trial;
            EXPECT_EQ(fast.addressChanges, careful.addressChanges) << key << " trial " << trial;
            EXPECT_EQ(fast.image, careful.image) << key << " trial " << trial;
        }
    }
}
