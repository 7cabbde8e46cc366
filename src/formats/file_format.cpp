#include "formats/file_format.h"

#include <cctype>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {
bool SameKey(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) != b[i])
            return false;
    return true;
}
} // namespace

FileFormat FormatFromKey(std::string_view key)
{
    struct Entry {
        const char* key;
        FileFormat format;
    };
    static constexpr Entry table[] = {
        {"SIG", ffSignetics}, {"S1F", ffMotorola}, {"S2F", ffMotorola}, {"S3F", ffMotorola},
        {"S19", ffMotorola},  {"INT", ffIntel},    {"EXT", ffIntel},    {"AHX", ffAsciiHex},
        {"TEK", ffTektronix}, {"BIN", ffBinary},   {"HEX", ffPlainHex}, {"MCD", ffRca},
        {"TIX", ffTiTxt},     {"C", ffCArray},     {"VMEM", ffVerilog}, {"MIF", ffMif},
        {"ELF", ffElf},
    };
    for (const Entry& e : table)
        if (SameKey(key, e.key))
            return e.format;
    return ffUnknown;
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
    switch (format) {
    case ffMotorola: return "Motorola S-records";
    case ffIntel: return "Intel HEX";
    case ffAsciiHex: return "ASCII HEX";
    case ffTektronix: return "Tektronix";
    case ffSignetics: return "Signetics";
    case ffRca: return "RCA development";
    case ffPlainHex: return "plain hex";
    case ffBinary: return "binary";
    case ffTiTxt: return "TI-TXT";
    case ffCArray: return "C array";
    case ffVerilog: return "Verilog memory";
    case ffMif: return "Intel MIF";
    case ffElf: return "ELF";
    default: return "unknown";
    }
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
