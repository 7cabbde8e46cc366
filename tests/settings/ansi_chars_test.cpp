#include "settings/ansi_chars.h"

#include <gtest/gtest.h>

TEST(AnsiChars, UnassignedPlacesShowAsDotsAndKeepTheirCodeElsewhere)
{
    for (uint8_t byte : {0x81, 0x8D, 0x8F, 0x90, 0x9D}) {
        EXPECT_EQ(AnsiGlyph(byte), u'.') << int(byte);
        EXPECT_EQ(AnsiToUnicode(byte), char16_t(byte));
        EXPECT_EQ(UnicodeToAnsi(byte), byte);
    }
    EXPECT_EQ(AnsiGlyph(0x80), u'\u20AC');
    EXPECT_EQ(AnsiGlyph('A'), u'A');
    EXPECT_EQ(AnsiGlyph(0xE9), u'\u00E9');
}
