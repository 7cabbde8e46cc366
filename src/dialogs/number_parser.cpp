#include "dialogs/number_parser.h"

#include <limits>

namespace {

int DigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        c = static_cast<char>(c - 'a' + 'A');
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

int32_t ParseNumber(std::string_view text, int radix)
{
    constexpr int64_t maxValue = std::numeric_limits<int32_t>::max();
    int64_t result = 0;
    for (char c : text) {
        int digit = DigitValue(c);
        if (digit < 0 || digit >= radix)
            return -1;
        result = result * radix + digit;
        if (result > maxValue)
            return -1;
    }
    return static_cast<int32_t>(result);
}

std::string FormatHex(int32_t value)
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
