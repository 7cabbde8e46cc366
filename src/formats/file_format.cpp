#include "formats/file_format.h"

#include <cctype>

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
    };
    for (const Entry& e : table)
        if (SameKey(key, e.key))
            return e.format;
    return ffUnknown;
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
