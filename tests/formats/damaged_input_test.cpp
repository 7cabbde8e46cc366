// Damaged files never read as success: every single-character change of a
// small file is either reported or leaves the loaded image as it was, and
// the rules for line ends and end records that this rests on.

#include "formats/ffc_in.h"
#include "formats/streams.h"
#include "support/convert_helpers.h"

#include <gtest/gtest.h>

using namespace std::string_literals;

namespace {
// Three records with a gap, in every format with checksums.
ByteImage SmallImage()
{
    ByteImage image = ImageAt(0x120, {0x12, 0x00, 0xFF, 0x3C, 0xA5, 0x5A, 0x01, 0x80, 0x7F, 0x10});
    AddBytes(image, 0x200, {0xDE, 0xAD, 0xBE, 0xEF, 0x00});
    return image;
}

// What a reader reports: an error flag, or a text key whose format was not
// recognised (the converter says so and writes nothing).
bool Reported(const ReadResult& r, FileFormat keyFormat)
{
    return (r.flags & ffcTrialFailMask) != 0 || (r.format == ffBinary && keyFormat != ffBinary);
}

struct Mutation {
    std::string text;
    std::string what;
};

// Every position: another hex digit, deleted, a hex digit inserted before
// it, a NUL, a lone carriage return.
std::vector<Mutation> Mutations(const std::string& text)
{
    std::vector<Mutation> all;
    auto add = [&](std::string t, std::string what) { all.push_back({std::move(t), std::move(what)}); };
    for (size_t i = 0; i <= text.size(); ++i) {
        const std::string at = " at " + std::to_string(i);
        add(text.substr(0, i) + "7" + text.substr(i), "insert 7" + at);
        if (i == text.size())
            break;
        const char c = text[i];
        std::string t = text;
        t[i] = c == '0' ? '1' : (c == '7' ? 'B' : '0');
        add(t, "digit" + at);
        add(text.substr(0, i) + text.substr(i + 1), "delete" + at);
        t[i] = '\0';
        add(t, "NUL" + at);
        t[i] = '\r';
        add(t, "CR" + at);
    }
    return all;
}
} // namespace

TEST(DamagedInput, EveryMutationOfAChecksummedFileIsReportedOrHarmless)
{
    const ByteImage image = SmallImage();
    for (const char* key : {"ext", "s3f", "tek", "sig"}) {
        const std::string text = WriteAll(image, key).text;
        ASSERT_EQ(ReadAll(text, key).image, image) << key;
        int reported = 0, harmless = 0;
        for (const Mutation& m : Mutations(text)) {
            const ReadResult r = ReadAll(m.text, key);
            if (Reported(r, FormatFromKey(key)))
                ++reported;
            else if (r.image == image)
                ++harmless;
            else
                ADD_FAILURE() << key << ": " << m.what << " read " << r.image.size() << " bytes as "
                              << FormatName(r.format) << " without a word:\n" << m.text;
        }
        EXPECT_GT(reported, harmless) << key;
    }
}

TEST(DamagedInput, FormatsWithoutChecksumsNeverCrashOrTurnIntoAnEmptyOtherFormat)
{
    const ByteImage image = SmallImage();
    for (const char* key : {"ahx", "mcd", "hex", "bin"}) {
        const std::string text = WriteAll(image, key).text;
        for (const Mutation& m : Mutations(text)) {
            const ReadResult r = ReadAll(m.text, key);
            if (r.format != FormatFromKey(key)) {
                EXPECT_FALSE(r.image.empty()) << key << ": " << m.what << " read nothing as " << FormatName(r.format);
            }
        }
    }
}

// Line ends, end records and recognition of damaged first records.
TEST(DamagedInput, LineEndAndEndRecordRules)
{
    const std::string s3 = "S30800000100010203F0\r\n";
    struct Case {
        const char* what;
        const char* key;
        std::string text;
        FileFormat format;
        uint32_t flags;  // without ffcAddressChange
        size_t bytes;
        uint32_t errorLine;  // of the first error flag; 0 for none
    };
    const Case cases[] = {
        {"lone CR between Intel records", "ext", ":0100000041BE\r:0100010042BC\r:00000001FF\r", ffIntel, ffcEndOfData, 2, 0},
        {"lone CR between S-records", "s3f", "S107000041424344EE\rS107000445464748DA\rS9030000FC\r", ffMotorola,
         ffcEndOfData, 8, 0},
        {"CR CR LF is one line end", "ext", ":0100000041BE\r\r\n:0100010042BC\r\r\n:00000001FF\r\r\n", ffIntel,
         ffcEndOfData, 2, 0},
        {"LF CR line ends", "sig", ":0100010A4182\n\r:000000\n\r", ffSignetics, ffcEndOfData, 1, 0},
        {"NUL in place of a Signetics LF", "sig", ":0100010A4182\0:0101010E4284\n:000000\n"s, ffSignetics,
         ffcFormatError, 0, 1},
        {"text after a record's checksum", "ext", ":0100000041BE\r\n:0100010042BCx\r\n:00000001FF\r\n", ffIntel,
         ffcFormatError, 1, 2},
        {"blanks after a checksum", "ext", ":0100000041BE \t\r\n:00000001FF\r\n", ffIntel, ffcEndOfData, 1, 0},
        {"data after the end record", "ext", ":0100000041BE\r\n:00000001FF\r\n:0100010042BC\r\n", ffIntel,
         ffcEndOfData | ffcFormatError, 1, 3},
        {"blank lines and Ctrl+Z after the end", "s3f", s3 + "S70500000000FA\r\n\r\n  \r\n\x1a", ffMotorola,
         ffcEndOfData, 3, 0},
        {"S3 turned into S8 ends nothing quietly", "s3f", s3 + "S80800000400040506E4\r\n" + s3 + "S70500000000FA\r\n",
         ffMotorola, ffcFormatError, 3, 2},
        {"S3 turned into S2 moves its bytes", "s3f", "S20800000100010203F0\r\nS70500000000FA\r\n", ffMotorola,
         ffcFormatError, 4, 2},
        {"S1 and S2 each as short as their address", "s3f",
         "S1050010616227\r\nS206020000616234\r\nS5030002FA\r\nS9030010EC\r\n", ffMotorola, ffcEndOfData, 4, 0},
        {"S5 count of the wrong length", "s3f", "S1050010616227\r\nS50500020000F8\r\nS9030010EC\r\n", ffMotorola,
         ffcFormatError, 2, 2},
        {"Tektronix comment of nothing but digits", "tek", "//010001024105\r\n/00000000\n", ffTektronix,
         ffcFormatError, 0, 1},
        {"Tektronix comment of text", "tek", "// made by hand\r\n/010001024105\r\n/00000000\n", ffTektronix,
         ffcEndOfData, 1, 0},
        // ":203C00" also reads as a Signetics end record; the damage is reported
        // on its line instead of opening an empty file.
        {"damaged first Intel record", "ext", ":10200000000102030405060708090A0B0C0D0E0FC0\r\n:00000001FF\r\n",
         ffIntel, ffcChecksumError, 0, 1},
        {"damaged first Intel record, All files", "", ":1020000000010203040506070809\0A0B0C0D0E0F58\r\n:00000001FF\r\n"s,
         ffIntel, ffcReadError | ffcChecksumError, 0, 1},
        {"first Intel record cut short", "hex", ":10201000000102", ffIntel, ffcReadError | ffcChecksumError, 0, 1},
        {"bad digits after a good record", "int", ":0400000001020304F2\r\n:04000400QQ\r\n", ffIntel,
         ffcReadError | ffcChecksumError, 4, 2},
        {"an end record alone", "", ":000000\n", ffSignetics, ffcEndOfData, 0, 0},
        {"empty input", "ext", "", ffBinary, ffcEndOfData, 0, 0},
        // Recognition needs a record of data or a clean end record.
        {"a note line above S-records", "s3f", "quick note\r\nS1050010AABB85\r\nS9030010EC\r\n", ffBinary,
         ffcEndOfData, 40, 0},
        {"a lone q above S-records", "", "q\r\nS1050010AABB85\r\nS9030010EC\r\n", ffBinary, ffcEndOfData, 31, 0},
        {"a lone ETX above S-records", "ahx", "\x03\r\nS1050010AABB85\r\nS9030010EC\r\n", ffBinary, ffcEndOfData,
         31, 0},
        {"one Intel record without its end record", "", ":04000000AAE242909E", ffIntel, ffcFormatError, 4, 1},
        {"the same, read as Signetics first", "sig", ":04000000AAE242909E\n", ffIntel, ffcFormatError, 4, 2},
        {"a junk line among Intel records, read as plain hex first", "hex",
         ":0100000041BE\r\nX\r\n:00000001FF\r\n", ffIntel, ffcFormatError, 1, 2},
        {"TI-TXT data after q", "tix", "@0100\r\n01 02\r\nq\r\n03 04\r\n", ffTiTxt, ffcEndOfData | ffcFormatError,
         2, 4},
        {"q amid a TI-TXT line", "tix", "@0100\r\n01 q 02\r\nq\r\n", ffTiTxt, ffcFormatError, 0, 2},
        {"S5 count ends S-records", "s3f", "S1050010AABB85\nS5030001FB\n", ffMotorola, ffcEndOfData, 2, 0},
        {"S5 count that does not match", "s3f", "S1050010AABB85\nS5030002FA\nS9030010EC\n", ffMotorola,
         ffcFormatError, 2, 2},
        {"S8 end record after S1 data", "s3f", "S1050010AABB85\nS804000010EB\n", ffMotorola, ffcEndOfData, 2, 0},
        {"S-records that stop without an end", "s3f", "S1050010AABB85\n", ffMotorola, ffcFormatError, 2, 2},
        {"text that merely starts with a mark", "s3f", "Some notes\r\nabout nothing\r\n", ffBinary, ffcEndOfData,
         27, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        StringInStream stream(c.text);
        OFFCIn in(stream, c.key);
        const ReadResult r = ReadAll(c.text, c.key);
        EXPECT_EQ(r.format, c.format);
        EXPECT_EQ(r.flags, c.flags);
        EXPECT_EQ(r.image.size(), c.bytes);
        EXPECT_EQ(in.InputEmpty(), c.text.empty());
        if (c.errorLine != 0) {
            while (in.MoreData() && !(in.GetFlags() & ffcStopMask)) {
                in.ClearFlags(ffcAddressChange);
                in.NextByte();
            }
            uint32_t line = 0;
            for (uint32_t flag : {ffcFormatError, ffcReadError, ffcChecksumError})
                if (in.ErrorLine(flag) != 0 && (line == 0 || in.ErrorLine(flag) < line))
                    line = in.ErrorLine(flag);
            EXPECT_EQ(line, c.errorLine);
        }
    }
}
