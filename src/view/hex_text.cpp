#include "view/hex_text.h"

namespace {

int digitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool isSeparator(char c)
{
    return c == ' ' || c == '\t' || c == ',' || c == '\r' || c == '\n';
}

} // namespace

std::string FormatHexText(const uint8_t* bytes, size_t count)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(count * 3);
    for (size_t i = 0; i < count; ++i) {
        if (i)
            text += ' ';
        text += kDigits[bytes[i] >> 4];
        text += kDigits[bytes[i] & 0x0F];
    }
    return text;
}

std::optional<std::vector<uint8_t>> ParseHexText(std::string_view text)
{
    std::vector<uint8_t> bytes;
    size_t i = 0;
    while (i < text.size()) {
        if (isSeparator(text[i])) {
            ++i;
            continue;
        }
        size_t end = i;
        while (end < text.size() && !isSeparator(text[end]))
            ++end;
        std::string_view word = text.substr(i, end - i);
        i = end;
        if (word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X'))
            word.remove_prefix(2);
        if (word.size() % 2 != 0)
            return std::nullopt;
        for (size_t k = 0; k < word.size(); k += 2) {
            const int high = digitValue(word[k]);
            const int low = digitValue(word[k + 1]);
            if (high < 0 || low < 0)
                return std::nullopt;
            bytes.push_back(uint8_t(high * 16 + low));
        }
    }
    if (bytes.empty())
        return std::nullopt;
    return bytes;
}
