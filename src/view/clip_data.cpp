#include "view/clip_data.h"

#include "settings/ansi_chars.h"

#include <cstring>

namespace {

void PutLittle(uint8_t* out, Address value)
{
    const uint32_t v = uint32_t(value);
    for (int i = 0; i < 4; ++i)
        out[i] = uint8_t(v >> (8 * i));
}

// Addresses of the whole 32-bit space, so never negative.
Address GetLittle(const uint8_t* in)
{
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i)
        v |= uint32_t(in[i]) << (8 * i);
    return Address{v};
}

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c < 0xDC00; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c < 0xE000; }

} // namespace

std::array<uint8_t, kRangeBlockSize> MakeRangeBlock(Address first, Address last)
{
    std::array<uint8_t, kRangeBlockSize> block{};
    PutLittle(block.data(), first);
    PutLittle(block.data() + 4, last);
    return block;
}

size_t PasteLength(const uint8_t* text, size_t textSize, const uint8_t* range, size_t rangeSize)
{
    if (range && rangeSize >= kRangeBlockSize) {
        const Address first = GetLittle(range);
        const Address last = GetLittle(range + 4);
        if (last >= first && uint64_t(last - first + 1) <= textSize)
            return size_t(last - first + 1);
    }
    const void* zero = textSize ? std::memchr(text, 0, textSize) : nullptr;
    return zero ? size_t(static_cast<const uint8_t*>(zero) - text) : textSize;
}

std::vector<uint8_t> TextToBytes(const char16_t* text, size_t units, size_t limit, size_t& length)
{
    std::vector<uint8_t> bytes;
    length = 0;
    for (size_t i = 0; i < units && text[i] != 0; ++i, ++length) {
        char32_t c = text[i];
        // A pair of surrogates is one character, and no character of the page.
        if (IsHighSurrogate(text[i]) && i + 1 < units && IsLowSurrogate(text[i + 1])) {
            ++i;
            c = 0x10000;
        }
        if (bytes.size() < limit) {
            const int32_t b = UnicodeToAnsi(c);
            bytes.push_back(b < 0 ? uint8_t('?') : uint8_t(b));
        }
    }
    return bytes;
}
