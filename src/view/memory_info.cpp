#include "view/memory_info.h"

#include "document/buffer_document.h"

#include <cstdio>

std::string BinaryString(uint32_t value, int digits)
{
    const std::string bit(1, char('0' + (value & 1)));
    if (value > 1 || digits > 1)
        return BinaryString(value >> 1, digits - 1) + bit;
    return bit;
}

std::string StartAddressText(Address startAddress)
{
    char text[40];
    std::snprintf(text, sizeof text, "start address %08llX", static_cast<unsigned long long>(startAddress));
    return text;
}

std::string InfoSizeLine(Address size, Address start, Address end, uint32_t sum, bool showSum, Address startAddress)
{
    // Addresses are shown as 32-bit numbers, so an empty buffer at 0 shows
    // its end as ffffffff; a window of the whole space has 4294967296 bytes.
    const unsigned long long s = static_cast<unsigned long long>(size);
    const unsigned long a = uint32_t(start), e = uint32_t(end - 1);
    char text[160];
    if (showSum)
        std::snprintf(text, sizeof text,
                      "size (%08llu dec) start (%08lx hex) end (%08lx hex) sum check (%08lx hex)     ",
                      s, a, e, static_cast<unsigned long>(sum));
    else
        std::snprintf(text, sizeof text,
                      "size (%08llu dec) start (%08lx hex) end (%08lx hex)                            ",
                      s, a, e);
    if (startAddress == kNoAddress)
        return text;
    // Before the blanks that wipe out a longer previous text.
    std::string line = text;
    const size_t fields = line.find_last_not_of(' ') + 1;
    return line.substr(0, fields) + "   " + StartAddressText(startAddress) + line.substr(fields);
}

std::string InfoCursorLine(Address cursor, Address end, uint8_t byte)
{
    // The cursor may stand on End, which is 100000000 for a window that
    // reaches the top of the space.
    const auto c = static_cast<unsigned long long>(cursor);
    char text[200];
    if (cursor >= end) {
        std::snprintf(text, sizeof text, "cursor (%08llx hex) char ( - )%109s", c, "");
        return text;
    }
    const char shown = byte < 32 ? '.' : char(byte);
    std::snprintf(text, sizeof text,
                  "cursor (%08llx hex) char (%02X hex   %03o oct   %03d dec   %s bin   '%c' ascii)     ",
                  c, unsigned(byte), unsigned(byte), int(byte), BinaryString(byte, 8).c_str(), shown);
    return text;
}

std::string InfoSizeLine(OBufferDocument& document, bool showSum)
{
    return InfoSizeLine(document.Size(), document.Start(), document.End(), document.Sum(), showSum,
                        document.StartAddress());
}

std::string InfoCursorLine(OBufferDocument& document, Address cursor)
{
    const Address end = document.End();
    return InfoCursorLine(cursor, end, cursor < end ? document.ReadByte(cursor) : 0);
}
