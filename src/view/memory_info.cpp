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

std::string InfoSizeLine(int32_t size, int32_t start, int32_t end, uint32_t sum, bool showSum)
{
    // The values are printed as the 32-bit numbers they are, so an empty
    // buffer at 0 shows its end as ffffffff.
    const unsigned long s = uint32_t(size), a = uint32_t(start), e = uint32_t(end) - 1u;
    char text[160];
    if (showSum)
        std::snprintf(text, sizeof text,
                      "size (%08lu dec) start (%08lx hex) end (%08lx hex) sum check (%08lx hex)     ",
                      s, a, e, static_cast<unsigned long>(sum));
    else
        std::snprintf(text, sizeof text,
                      "size (%08lu dec) start (%08lx hex) end (%08lx hex)                            ",
                      s, a, e);
    return text;
}

std::string InfoCursorLine(int32_t cursor, int32_t end, uint8_t byte)
{
    const unsigned long c = uint32_t(cursor);
    char text[200];
    if (cursor >= end) {
        std::snprintf(text, sizeof text, "cursor (%08lx hex) char ( - )%109s", c, "");
        return text;
    }
    const char shown = byte < 32 ? '.' : char(byte);
    std::snprintf(text, sizeof text,
                  "cursor (%08lx hex) char (%02X hex   %03o oct   %03d dec   %s bin   '%c' ascii)     ",
                  c, unsigned(byte), unsigned(byte), int(byte), BinaryString(byte, 8).c_str(), shown);
    return text;
}

std::string InfoSizeLine(OBufferDocument& document, bool showSum)
{
    return InfoSizeLine(document.Size(), document.Start(), document.End(), document.Sum(), showSum);
}

std::string InfoCursorLine(OBufferDocument& document, int32_t cursor)
{
    const int32_t end = document.End();
    return InfoCursorLine(cursor, end, cursor < end ? document.ReadByte(cursor) : 0);
}
