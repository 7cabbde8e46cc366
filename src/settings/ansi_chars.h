#pragma once
// The program shows bytes 128-255 as the characters of the Western Windows
// code page, and typed characters reach the buffer as bytes of that page.
// Shared by the view, the dialogs and printing.

#include <cstdint>
#include <string>
#include <string_view>

// The character a byte stands for.
char16_t AnsiToUnicode(uint8_t byte);
// The character shown for a byte: AnsiToUnicode, but "." for the five
// places the page leaves unassigned (0x81, 0x8D, 0x8F, 0x90, 0x9D), which
// no font draws.
char16_t AnsiGlyph(uint8_t byte);
// The byte for a typed character; -1 when the page has none.
int32_t UnicodeToAnsi(char32_t c);
// `text` with control characters as \xNN (line feeds kept when asked): what
// a file holds or is named, shown in a message, can neither move a
// terminal's cursor nor vanish in a message box.
std::string Quoted(std::string_view text, bool keepLineFeeds = false);
// Bytes of the page as UTF-8 text, for showing them in messages.
std::string AnsiToUtf8(std::string_view bytes);

// ASCII letters in lower case, every other byte as it is: names, keys and
// file name extensions compare without regard to case.
constexpr char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
constexpr bool SameTextIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (AsciiLower(a[i]) != AsciiLower(b[i]))
            return false;
    return true;
}
