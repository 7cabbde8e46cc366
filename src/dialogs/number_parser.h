#pragma once
// Reading and showing the numbers typed into the address and fill dialogs.

#include <cstdint>
#include <string>
#include <string_view>

// The value of `text` read as digits of `radix` (16 or 10), case ignored;
// an empty text is 0. Returns -1 for anything else: a character that is not
// a digit of the radix (blanks, signs, prefixes, non-ASCII bytes) or a value
// above 0x7FFFFFFF, so an overlong number can never wrap into a valid one.
int32_t ParseNumber(std::string_view text, int radix);

// `value` as lower-case hexadecimal without leading zeros ("1ff", "0");
// negative values show their 32-bit pattern.
std::string FormatHex(int32_t value);
