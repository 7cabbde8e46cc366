// Intel HEX records: exact output and the reader's answer to bad input.

#include "formats/ffc_out.h"
#include "formats/streams.h"
#include "support/convert_helpers.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>

namespace {
// One record with its checksum, for building input by hand.
std::string Line(int type, int offset, const std::vector<uint8_t>& data, const char* end = "\r\n")
{
    char head[16];
    std::snprintf(head, sizeof head, ":%02X%04X%02X", static_cast<unsigned>(data.size()), offset, type);
    unsigned sum = data.size() + (offset >> 8) + (offset & 0xFF) + type;
    std::string text = head;
    for (uint8_t b : data) {
        char pair[3];
        std::snprintf(pair, sizeof pair, "%02X", b);
        text += pair;
        sum += b;
    }
    char check[3];
    std::snprintf(check, sizeof check, "%02X", (0x100 - (sum & 0xFF)) & 0xFF);
    return text + check + end;
}

const std::string kEnd = ":00000001FF\r\n";

std::vector<uint8_t> Counting(int n, int from = 0)
{
    std::vector<uint8_t> v;
    for (int i = 0; i < n; ++i)
        v.push_back(static_cast<uint8_t>(from + i));
    return v;
}
} // namespace

TEST(IntelWriter, SplitsIntoRecordsOf32)
{
    const std::vector<uint8_t> bytes = Counting(40);
    const std::string text = WriteAll(ImageAt(0, bytes), "ext").text;
    const std::string expected =
        Line(0, 0, {bytes.begin(), bytes.begin() + 32}) + Line(0, 0x20, {bytes.begin() + 32, bytes.end()}) + kEnd;
    EXPECT_EQ(text, expected);
    EXPECT_EQ(text.substr(0, 9), ":20000000");
}

TEST(IntelWriter, EveryByteValueIsWrittenAsItsTwoDigits)
{
    // All 256 values, several at a time in one line: digits, letters and
    // checksums are compared with lines built here byte by byte.
    const std::vector<uint8_t> bytes = Counting(256, 0);
    std::string expected;
    for (int at = 0; at < 256; at += 32)
        expected += Line(0, at, {bytes.begin() + at, bytes.begin() + at + 32});
    EXPECT_EQ(WriteAll(ImageAt(0, bytes), "ext").text, expected + kEnd);
    std::vector<uint8_t> reversed(bytes.rbegin(), bytes.rend());
    EXPECT_EQ(WriteAll(ImageAt(0x7, {reversed.begin(), reversed.begin() + 31}), "ext").text,
              Line(0, 0x7, {reversed.begin(), reversed.begin() + 31}) + kEnd);
}

TEST(IntelWriter, AnnouncesUpperAddressBitsWhenTheyChange)
{
    const std::string high = WriteAll(ImageAt(0x12340, Counting(32)), "ext").text;
    EXPECT_EQ(high, ":020000040001F9\r\n" + Line(0, 0x2340, Counting(32)) + kEnd);

    ByteImage image = ImageAt(0x100, {1});
    AddBytes(image, 0x10100, {2});
    AddBytes(image, 0x10200, {3});
    AddBytes(image, 0x200, {4});
    // Written in address order; then once more out of order by hand.
    EXPECT_EQ(WriteAll(image, "ext").text, Line(0, 0x100, {1}) + Line(0, 0x200, {4}) + ":020000040001F9\r\n" +
                                               Line(0, 0x100, {2}) + Line(0, 0x200, {3}) + kEnd);
    StringOutStream sink;
    OFFCOut out(sink, "ext");
    out.SetAddress(0x10100);
    out.PutByte(2);
    out.SetAddress(0x200);
    out.PutByte(4);
    out.Finish();
    EXPECT_EQ(sink.Text(),
              ":020000040001F9\r\n" + Line(0, 0x100, {2}) + ":020000040000FA\r\n" + Line(0, 0x200, {4}) + kEnd);
}

TEST(IntelWriter, RecordAcrossA64KBoundaryIsWrittenWholeAndReadsBack)
{
    const ByteImage image = ImageAt(0xFFF0, Counting(32));
    const std::string text = WriteAll(image, "ext").text;
    EXPECT_EQ(text, Line(0, 0xFFF0, Counting(32)) + kEnd);
    EXPECT_EQ(ReadAll(text, "ext").image, image);
}

TEST(IntelReader, AcceptsLowerCaseAndEveryLineEnd)
{
    std::string text = Line(0, 0x10, {0xAB, 0xCD}, "\n") + Line(0, 0x12, {0xEF}, "\n\r") + kEnd;
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    ReadResult r = ReadAll(text, "ext");
    EXPECT_EQ(r.format, ffIntel);
    EXPECT_EQ(r.flags, ffcEndOfData);
    EXPECT_EQ(r.image, ImageAt(0x10, {0xAB, 0xCD, 0xEF}));
}

TEST(IntelReader, AddressRecordsSetTheBase)
{
    // Segment 0x1000, then a linear base; start address records deliver
    // nothing. The last record runs across a 64 KiB boundary.
    const std::string text = Line(2, 0, {0x10, 0x00}) + Line(0, 0x0004, {1}) + Line(3, 0, {0, 0, 0, 0}) +
                             Line(4, 0, {0x00, 0x23}) + Line(5, 0, {1, 2, 3, 4}) + Line(0, 0xFFFF, {2, 3}) + kEnd;
    ReadResult r = ReadAll(text, "ext");
    ByteImage expected = ImageAt(0x10004, {1});
    AddBytes(expected, 0x23FFFF, {2, 3});
    EXPECT_EQ(r.flags, ffcEndOfData);
    EXPECT_EQ(r.image, expected);
    // The address records in between raise no change of their own.
    EXPECT_EQ(r.addressChanges, (std::vector<int32_t>{0x10004, 0x23FFFF}));
}

TEST(IntelReader, HighestLinearBaseStaysDefined)
{
    // 0xFFFF0000 and up does not fit a signed address; it must wrap, not
    // overflow.
    ReadResult r = ReadAll(Line(4, 0, {0xFF, 0xFF}) + Line(0, 0xFFFE, {1, 2, 3}) + kEnd, "ext");
    EXPECT_EQ(r.flags, ffcEndOfData);
    EXPECT_EQ(r.image.size(), 3u);
}

TEST(IntelReader, EndRecordStopsAndItsBytesAreNotData)
{
    ReadResult r = ReadAll(Line(0, 0, {7}) + Line(1, 0, {8, 9}) + "\r\n\x1a", "ext");
    EXPECT_EQ(r.flags, ffcEndOfData);
    EXPECT_EQ(r.image, ImageAt(0, {7}));
    // A record after the end record is reported; the bytes before it stay.
    r = ReadAll(Line(0, 0, {7}) + Line(1, 0, {8, 9}) + Line(0, 1, {10}), "ext");
    EXPECT_EQ(r.flags, ffcEndOfData | ffcFormatError);
    EXPECT_EQ(r.image, ImageAt(0, {7}));
}

TEST(IntelReader, BadRecordsEndReadingAndKeepEarlierBytes)
{
    // Ten good records first, so that recognition accepts the file and the
    // fault meets the reader.
    std::string lead;
    for (int i = 0; i < 10; ++i)
        lead += Line(0, 0x1000 + i, {static_cast<uint8_t>(i)});
    std::string shortCount = Line(0, 0x2000, {3, 4, 5});
    shortCount.replace(1, 2, "02");
    std::string longCount = Line(0, 0x2000, {3, 4});
    longCount.replace(1, 2, "03");
    struct Case {
        const char* what;
        std::string text;
        uint32_t flags;
    };
    const std::vector<Case> cases = {
        {"wrong checksum", ":020002000304F6\r\n" + kEnd, ffcChecksumError},
        {"blank line", "\r\n" + kEnd, ffcFormatError},
        {"missing end record", "", ffcFormatError},
        {"truncated record", ":0300", ffcReadError | ffcChecksumError},
        {"count shorter than the line", shortCount + kEnd, ffcChecksumError},
        {"count longer than the line", longCount + kEnd, ffcReadError | ffcChecksumError},
        {"non-hex digit", ":01000200G1FC\r\n" + kEnd, ffcReadError | ffcChecksumError},
        {"segment record of one byte", Line(2, 0, {0x10}) + Line(0, 0, {9}) + kEnd, ffcFormatError},
        {"linear record of three bytes", Line(4, 0, {0, 1, 2}) + kEnd, ffcFormatError},
        {"stray text", "garbage\r\n" + kEnd, ffcFormatError},
        {"binary garbage", std::string("\x00\xFF:\x80", 4) + kEnd, ffcFormatError},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ReadResult r = ReadAll(lead + c.text, "ext");
        ASSERT_EQ(r.format, ffIntel);
        EXPECT_EQ(r.flags, c.flags);
        EXPECT_EQ(r.image.size(), 10u);
    }
}

TEST(IntelReader, UnknownTypeIsReportedButItsBytesStay)
{
    const std::string tail = Line(6, 0x40, {5, 6}) + Line(0, 0x42, {7}) + kEnd;
    // Early in a file the read error fails the trial, but the record is an
    // Intel record all the same: the file reads as Intel and is reported.
    EXPECT_EQ(ReadAll(tail, "ext").format, ffIntel);
    EXPECT_TRUE(ReadAll(tail, "ext").flags & ffcReadError);

    std::string lead;
    for (int i = 0; i < 10; ++i)
        lead += Line(0, i, {static_cast<uint8_t>(i)});
    ReadResult r = ReadAll(lead + tail, "ext");
    EXPECT_EQ(r.format, ffIntel);
    EXPECT_EQ(r.flags, ffcReadError | ffcEndOfData);
    EXPECT_EQ(r.image.at(0x40), 5);
    EXPECT_EQ(r.image.at(0x42), 7);
}

TEST(IntelReader, LongestRecordFitsTheRecord)
{
    ReadResult r = ReadAll(Line(0, 0x100, Counting(255)) + kEnd, "ext");
    EXPECT_EQ(r.flags, ffcEndOfData);
    EXPECT_EQ(r.image, ImageAt(0x100, Counting(255)));
}
