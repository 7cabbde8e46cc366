// Motorola S-records: exact output and the reader's answer to bad input.

#include "formats/ffc_out.h"
#include "formats/streams.h"
#include "support/convert_helpers.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>

namespace {
// One record of `type` with its count and checksum.
std::string Rec(char type, int addressBytes, uint32_t address, const std::vector<uint8_t>& data,
                const char* end = "\r\n")
{
    std::vector<uint8_t> bytes;
    bytes.push_back(static_cast<uint8_t>(addressBytes + data.size() + 1));
    for (int i = addressBytes - 1; i >= 0; --i)
        bytes.push_back(static_cast<uint8_t>(address >> (8 * i)));
    bytes.insert(bytes.end(), data.begin(), data.end());
    unsigned sum = 0;
    std::string text = {'S', type};
    for (uint8_t b : bytes) {
        char pair[3];
        std::snprintf(pair, sizeof pair, "%02X", b);
        text += pair;
        sum += b;
    }
    char check[3];
    std::snprintf(check, sizeof check, "%02X", ~sum & 0xFF);
    return text + check + end;
}

// Ten data records, so that recognition accepts what follows them.
std::string Lead()
{
    std::string text;
    for (int i = 0; i < 10; ++i)
        text += Rec('1', 2, 0x1000 + i, {static_cast<uint8_t>(i)});
    return text;
}
} // namespace

TEST(MotorolaWriter, WritesS3AndS7)
{
    EXPECT_EQ(WriteAll(ImageAt(0, {1, 2, 3}), "s3f").text, "S30800000000010203F1\r\nS70500000003F7\r\n");

    std::vector<uint8_t> forty(40, 0x5A);
    ByteImage image = ImageAt(0x123456, forty);
    AddBytes(image, 0x200000, {9});
    std::vector<uint8_t> first(forty.begin(), forty.begin() + 32), rest(forty.begin() + 32, forty.end());
    // The end record carries the address just past the last byte.
    EXPECT_EQ(WriteAll(image, "S19").text, Rec('3', 4, 0x123456, first) + Rec('3', 4, 0x123476, rest) +
                                               Rec('3', 4, 0x200000, {9}) + Rec('7', 4, 0x200001, {}));

    StringOutStream sink;
    OFFCOut out(sink, "s3f");
    out.SetAddress(0x4000);
    out.Finish();
    EXPECT_EQ(sink.Text(), Rec('7', 4, 0x4000, {}));
}

TEST(MotorolaReader, ReadsEveryDataAndEndType)
{
    EXPECT_EQ(ReadAll("S104123400B5\r\nS9030000FC\r\n", "s3f").image, ImageAt(0x1234, {0}));

    const std::vector<std::pair<char, int>> ends = {{'7', 4}, {'8', 3}, {'9', 2}};
    for (auto [endType, endBytes] : ends) {
        SCOPED_TRACE(endType);
        // An end record's address is checked but not used; a record after
        // it is reported. Types mix where each is the shortest for its address.
        const std::string text = Rec('1', 2, 0xFFFF, {1, 2}) + Rec('2', 3, 0xABCDEF, {3}) +
                                 Rec('3', 4, 0x12FEDCBA, {4, 5}) + Rec(endType, endBytes, 0x77, {}) +
                                 Rec('1', 2, 0, {7});
        ReadResult r = ReadAll(text, "s3f");
        ByteImage expected = ImageAt(0xFFFF, {1, 2});
        AddBytes(expected, 0xABCDEF, {3});
        AddBytes(expected, 0x12FEDCBA, {4, 5});
        EXPECT_EQ(r.format, ffMotorola);
        EXPECT_EQ(r.flags, ffcEndOfData | ffcFormatError);
        EXPECT_EQ(r.image, expected);
        // An end record that announces data bytes is damaged.
        EXPECT_EQ(ReadAll(Rec('1', 2, 0xFFFF, {1}) + Rec(endType, endBytes, 0x77, {6}), "s3f").flags,
                  ffcFormatError);
    }
}

TEST(MotorolaReader, SkipsHeadersUncheckedAndAcceptsLowerCase)
{
    std::string text = "S0 any text, no checksum\nS0\r\n" + Rec('1', 2, 0x20, {0xAB}, "\n\r") +
                       Rec('1', 2, 0x21, {0xCD, 0xEF}, "\n") + Rec('9', 2, 0, {});
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    ReadResult r = ReadAll(text, "s3f");
    EXPECT_EQ(r.flags, ffcEndOfData);
    EXPECT_EQ(r.image, ImageAt(0x20, {0xAB, 0xCD, 0xEF}));
    EXPECT_TRUE(r.addressChanges == std::vector<int32_t>{0x20});

    // Many headers in a row are no danger to the reader.
    std::string headers;
    for (int i = 0; i < 200000; ++i)
        headers += "S0030000FC\n";
    EXPECT_EQ(ReadAll(headers + Rec('9', 2, 0, {}), "s3f").flags, ffcEndOfData);
}

TEST(MotorolaReader, RecordCountsAreCheckedAndDeliverNothing)
{
    const std::string text = Rec('1', 2, 0x10, {1}) + Rec('5', 2, 1, {}) + Rec('1', 2, 0x11, {2}) +
                             Rec('6', 3, 2, {}) + Rec('9', 2, 0, {});
    ReadResult r = ReadAll(text, "s3f");
    EXPECT_EQ(r.flags, ffcEndOfData);
    EXPECT_EQ(r.image, ImageAt(0x10, {1, 2}));
    // A count is no address: the bytes around it stay one run.
    EXPECT_EQ(r.addressChanges, std::vector<int32_t>{0x10});

    std::string badCount = Rec('5', 2, 1, {});
    badCount[8] = badCount[8] == '0' ? '1' : '0';
    EXPECT_EQ(ReadAll(Lead() + badCount + Rec('9', 2, 0, {}), "s3f").flags, ffcChecksumError | ffcFormatError);
}

TEST(MotorolaReader, CountBelowTheAddressGivesNoData)
{
    // Count 02 on an S1 record: two address bytes, no room for data.
    ReadResult r = ReadAll(Lead() + "S1021234B7\r\n" + Rec('9', 2, 0, {}), "s3f");
    EXPECT_EQ(r.flags, ffcEndOfData);
    EXPECT_EQ(r.image.size(), 10u);
}

TEST(MotorolaReader, TopOfTheAddressRangeStaysDefined)
{
    ReadResult r = ReadAll(Rec('3', 4, 0x7FFFFFFE, {1, 2, 3, 4}) + Rec('3', 4, 0xFFFFFFFF, {5, 6}) +
                               Rec('7', 4, 0, {}),
                           "s3f");
    EXPECT_EQ(r.flags, ffcEndOfData);
    EXPECT_EQ(r.image.size(), 6u);
}

TEST(MotorolaReader, BadRecordsEndReadingAndKeepEarlierBytes)
{
    std::string badSum = Rec('1', 2, 0x2000, {3, 4});
    badSum[badSum.size() - 3] = badSum[badSum.size() - 3] == '0' ? '1' : '0';
    std::string longCount = Rec('1', 2, 0x2000, {3, 4});
    longCount.replace(2, 2, "06");
    struct Case {
        const char* what;
        std::string text;
        uint32_t flags;
    };
    const std::vector<Case> cases = {
        {"wrong checksum", badSum, ffcChecksumError},
        {"blank line", "\r\n", ffcFormatError},
        {"missing end record", "", ffcFormatError},
        {"truncated record", "S1052000", ffcReadError | ffcChecksumError},
        {"count longer than the line", longCount, ffcReadError | ffcChecksumError},
        {"non-hex digit", "S1042000X0DA\r\n", ffcReadError | ffcChecksumError},
        {"S4 record", Rec('4', 2, 0, {1}), ffcReadError | ffcFormatError},
        {"non-digit type", "SX0300FC\r\n", ffcReadError | ffcFormatError},
        {"mark alone at the end", "S", ffcReadError | ffcFormatError},
        {"binary garbage", std::string("\x00S\xFF\x80", 4), ffcFormatError},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string end = c.text.empty() ? "" : Rec('9', 2, 0, {});
        ReadResult r = ReadAll(Lead() + c.text + end, "s3f");
        ASSERT_EQ(r.format, ffMotorola);
        EXPECT_EQ(r.flags, c.flags);
        EXPECT_EQ(r.image.size(), 10u);
    }
    // Without the records before it, the same fault fails recognition, but
    // the file is still read as S-records and the fault reported.
    const ReadResult early = ReadAll("S1021234B7\r\n" + cases[6].text, "s3f");
    EXPECT_EQ(early.format, ffMotorola);
    EXPECT_EQ(early.flags, ffcReadError | ffcFormatError);
    // A header after data records is a damaged data record.
    EXPECT_EQ(ReadAll(Lead() + "S0030000FC\r\n" + Rec('9', 2, 0, {}), "s3f").flags, ffcFormatError);
}
