#include "formats/file_format.h"
#include "formats/format_registry.h"

#include <cctype>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

FileFormat FormatFromKey(std::string_view key)
{
    const FormatRow* row = FormatRowForKey(key);
    return row ? row->format : ffUnknown;
}

int RecordMark(FileFormat format)
{
    switch (format) {
    case ffMotorola: return 'S';
    case ffIntel:
    case ffSignetics: return ':';
    case ffTektronix: return '/';
    default: return 0;
    }
}

const char* FormatName(FileFormat format)
{
    const FormatRow* row = FormatRowOf(format);
    return row ? row->name : "unknown";
}

std::string CArrayName(std::string_view wanted, bool* changed)
{
    std::string name;
    for (char c : wanted) {
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
        name += ok ? c : '_';
    }
    if (name.empty())
        name = "image";
    else if (name[0] >= '0' && name[0] <= '9')
        name.insert(name.begin(), '_');
    if (changed)
        *changed = name != wanted;
    return name;
}

const char* FlagName(uint32_t flag)
{
    switch (flag) {
    case ffcAddressChange: return "address change";
    case ffcReadError: return "read error";
    case ffcWriteError: return "write error";
    case ffcEndOfData: return "end of data";
    case ffcFormatError: return "format error";
    case ffcChecksumError: return "checksum error";
    default: return "";
    }
}

uint32_t ByteTotal(const uint8_t* data, int32_t count)
{
    uint32_t total = 0;
    int32_t i = 0;
#if defined(__SSE2__)
    // Sums of absolute differences from zero add sixteen bytes at a time.
    const __m128i zero = _mm_setzero_si128();
    __m128i wide = zero;
    for (; i + 16 <= count; i += 16)
        wide = _mm_add_epi64(wide, _mm_sad_epu8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i)), zero));
    total = static_cast<uint32_t>(_mm_cvtsi128_si32(wide)) +
            static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_srli_si128(wide, 8)));
#endif
    for (; i < count; ++i)
        total += data[i];
    return total;
}
