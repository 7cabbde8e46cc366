#include "view/hex_text.h"

#include <gtest/gtest.h>

TEST(HexText, FormatsPairsAndReadsThemBackFromWhatOtherProgramsWrite)
{
    const uint8_t bytes[] = {0xDE, 0xAD, 0x00, 0x0F};
    EXPECT_EQ(FormatHexText(bytes, 4), "DE AD 00 0F");
    EXPECT_EQ(FormatHexText(bytes, 0), "");

    using Bytes = std::vector<uint8_t>;
    struct Case {
        const char* text;
        std::optional<Bytes> bytes;
    };
    const Case cases[] = {
        {"DE AD BE EF", Bytes{0xDE, 0xAD, 0xBE, 0xEF}},
        {"deadbeef", Bytes{0xDE, 0xAD, 0xBE, 0xEF}},
        {"0xDE, 0Xad,\r\n0x00\t01\n", Bytes{0xDE, 0xAD, 0x00, 0x01}},
        {"  ff  ", Bytes{0xFF}},
        {"", std::nullopt},
        {" ,\n", std::nullopt},
        {"0x", std::nullopt},
        {"ABC", std::nullopt},
        {"DE AD G1", std::nullopt},
        {"DE-AD", std::nullopt},
        {"0xDE;", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseHexText(c.text), c.bytes) << c.text;
}
