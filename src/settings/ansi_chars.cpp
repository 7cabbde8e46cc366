#include "settings/ansi_chars.h"

#include <cstdio>

namespace {

// 0x80-0x9F; the five unassigned places keep their own code.
constexpr char16_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

}  // namespace

char16_t AnsiToUnicode(uint8_t byte)
{
    if (byte >= 0x80 && byte < 0xA0)
        return kHigh[byte - 0x80];
    return byte;
}

char16_t AnsiGlyph(uint8_t byte)
{
    const char16_t c = AnsiToUnicode(byte);
    return c >= 0x80 && c < 0xA0 ? u'.' : c;
}

int32_t UnicodeToAnsi(char32_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return int32_t(c);
    for (int i = 0; i < 32; ++i)
        if (kHigh[i] == c)
            return 0x80 + i;
    return -1;
}

std::string AnsiToUtf8(std::string_view bytes)
{
    std::string text;
    for (const char byte : bytes) {
        const char16_t c = AnsiToUnicode(uint8_t(byte));
        if (c < 0x80) {
            text += char(c);
        } else if (c < 0x800) {
            text += char(0xC0 | (c >> 6));
            text += char(0x80 | (c & 0x3F));
        } else {
            text += char(0xE0 | (c >> 12));
            text += char(0x80 | ((c >> 6) & 0x3F));
            text += char(0x80 | (c & 0x3F));
        }
    }
    return text;
}

std::string Quoted(std::string_view text, bool keepLineFeeds)
{
    std::string shown;
    for (unsigned char c : text) {
        if ((c < 0x20 && !(keepLineFeeds && c == '\n')) || c == 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02x", c);
            shown += hex;
        } else {
            shown += static_cast<char>(c);
        }
    }
    return shown;
}
