#include "dialogs/number_parser.h"

#include "settings/hex_digit.h"

Address ParseNumber(std::string_view text, int radix)
{
    Address result = 0;
    for (char c : text) {
        int digit = HexDigitValue(c);
        if (digit < 0 || digit >= radix)
            return -1;
        result = result * radix + digit;
        if (result > kLargestNumber)
            return -1;
    }
    return result;
}

std::optional<Address> ParseSignedNumber(std::string_view text, int radix)
{
    const bool negative = !text.empty() && text.front() == '-';
    const Address value = ParseNumber(negative ? text.substr(1) : text, radix);
    if (value < 0)
        return std::nullopt;
    return negative ? -value : value;
}

std::string FormatHex(Address value)
{
    static constexpr char digits[] = "0123456789abcdef";
    auto bits = static_cast<uint32_t>(value);
    std::string text;
    do {
        text.insert(text.begin(), digits[bits & 0xF]);
        bits >>= 4;
    } while (bits != 0);
    return text;
}

std::string FormatSignedHex(Address value)
{
    return value < 0 ? "-" + FormatHex(-value) : FormatHex(value);
}
