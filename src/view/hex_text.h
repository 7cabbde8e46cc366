#pragma once
// Bytes as hex text for other programs' clipboards ("DE AD BE EF"), and
// such text read back: pairs of hex digits between blanks, commas, line
// ends and "0x" prefixes.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

inline constexpr const char* kNotHexText = "Not hex text";

// Upper-case digit pairs separated by single blanks; empty for no bytes.
std::string FormatHexText(const uint8_t* bytes, size_t count);

// The bytes the text's digit pairs stand for, in order. Each word between
// separators (blank, tab, comma, CR, LF) is an optional "0x" and an even
// number of hex digits. None when anything else appears or no digit does.
std::optional<std::vector<uint8_t>> ParseHexText(std::string_view text);
