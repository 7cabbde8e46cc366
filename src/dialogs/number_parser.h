#pragma once
// Reading and showing the numbers typed into the address and fill dialogs.

#include "buffer/address.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The largest number the dialogs read: the last address of the space.
inline constexpr Address kLargestNumber = 0xFFFFFFFF;

// The value of `text` read as digits of `radix` (16 or 10), case ignored;
// an empty text is 0. Returns -1 for anything else: a character that is not
// a digit of the radix (blanks, signs, prefixes, non-ASCII bytes) or a value
// above kLargestNumber, so an overlong number can never wrap into a valid one.
Address ParseNumber(std::string_view text, int radix);

// ParseNumber for fields that take negative values too: one leading "-"
// negates the number. None where ParseNumber would give -1.
std::optional<Address> ParseSignedNumber(std::string_view text, int radix);

// `value` as lower-case hexadecimal without leading zeros ("1ff", "0");
// negative values show their 32-bit pattern.
std::string FormatHex(Address value);
// FormatHex with a leading "-" for negative values ("-1ff").
std::string FormatSignedHex(Address value);
