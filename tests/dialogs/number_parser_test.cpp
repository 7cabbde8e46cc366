#include "dialogs/number_parser.h"

#include <gtest/gtest.h>

#include <string>

TEST(ParseNumber, ReadsDigitsOfTheRadixInEitherCase)
{
    EXPECT_EQ(ParseNumber("", 16), 0);
    EXPECT_EQ(ParseNumber("", 10), 0);
    EXPECT_EQ(ParseNumber("1FF", 16), 511);
    EXPECT_EQ(ParseNumber("1ff", 16), 511);
    EXPECT_EQ(ParseNumber("aBcDeF", 16), 0xABCDEF);
    EXPECT_EQ(ParseNumber("511", 10), 511);
    EXPECT_EQ(ParseNumber("0000000000000000000001ff", 16), 511);
    EXPECT_EQ(ParseNumber("7fffffff", 16), 0x7FFFFFFF);
    EXPECT_EQ(ParseNumber("2147483647", 10), 2147483647);
}

TEST(ParseNumber, RefusesAnythingButPlainDigits)
{
    for (const char* text : {"1ff", "A", "f"})
        EXPECT_EQ(ParseNumber(text, 10), -1) << text;
    for (const char* text : {" 10", "10 ", "1 0", "-1", "+1", "0x10", "10h", "$10", "g",
                             "1\t", "\n", "1.5", "1,000"})
        EXPECT_EQ(ParseNumber(text, 16), -1) << text;
    // Non-ASCII letters, including ones whose bytes look like digits when
    // taken as signed characters, and an embedded zero byte.
    EXPECT_EQ(ParseNumber("\xC3\xA9", 16), -1);
    EXPECT_EQ(ParseNumber("\xEF\xBC\x91", 10), -1);   // full-width digit one
    EXPECT_EQ(ParseNumber(std::string("1\0" "2", 3), 10), -1);
}

TEST(ParseNumber, ValuesBeyond32BitsAreInvalidInsteadOfWrapping)
{
    EXPECT_EQ(ParseNumber("ffffffff", 16), 0xFFFFFFFF);
    EXPECT_EQ(ParseNumber("4294967295", 10), 0xFFFFFFFF);
    // These wrap to small values in 32-bit arithmetic.
    EXPECT_EQ(ParseNumber("100000000", 16), -1);
    EXPECT_EQ(ParseNumber("1000000100", 16), -1);
    EXPECT_EQ(ParseNumber("4294967296", 10), -1);
    EXPECT_EQ(ParseNumber("4294967807", 10), -1);
    EXPECT_EQ(ParseNumber(std::string(10000, 'f'), 16), -1);
    EXPECT_EQ(ParseNumber(std::string(10000, '9'), 10), -1);
}

TEST(FormatHex, LowerCaseWithoutLeadingZeros)
{
    EXPECT_EQ(FormatHex(0), "0");
    EXPECT_EQ(FormatHex(0x1FF), "1ff");
    EXPECT_EQ(FormatHex(0xFFFFFF), "ffffff");
    EXPECT_EQ(FormatHex(-1), "ffffffff");
}
