#include "formats/ffc_out.h"

#include "formats/record_formats.h"

#include <algorithm>
#include <array>
#include <cstring>

OFFCOut::OFFCOut(OutStream& stream, std::string_view key) : stream_(stream)
{
    FileFormat f = FormatFromKey(key);
    format_ = (f == ffUnknown) ? ffBinary : f;
}

void OFFCOut::Finish()
{
    FlushRecord();
    ending_ = true;
    FlushRecord();
    ending_ = false;
    // Buffered bytes reach the file only now; a sink that failed on any
    // format (binary included) must not pass for a complete save.
    if (!stream_.Flush())
        flags_ |= ffcWriteError;
}

void OFFCOut::FlushRecord()
{
    if (pendingCount_ == 0 && !ending_)
        return;
    recordLimit_ = pendingCount_;
    switch (format_) {
    case ffMotorola: WriteMotorolaRecord(*this); break;
    case ffIntel: WriteIntelRecord(*this); break;
    case ffAsciiHex: WriteAsciiHexRecord(*this); break;
    case ffTektronix: WriteTektronixRecord(*this); break;
    case ffSignetics: WriteSigneticsRecord(*this); break;
    case ffRca: WriteRcaRecord(*this); break;
    case ffPlainHex: WritePlainHexRecord(*this); break;
    case ffBinary:
    case ffUnknown: WriteBinaryRecord(*this); break;
    }
    // Addresses near the top of the range wrap rather than overflow.
    address_ = static_cast<int32_t>(static_cast<uint32_t>(address_) + static_cast<uint32_t>(pendingCount_));
    pendingCount_ = 0;
    recordLimit_ = kDefaultRecordLimit;
}

char* OFFCOut::AppendHex(char* p, const uint8_t* data, int32_t count)
{
    // Both digits of every byte value, so that each byte costs one copy.
    static constexpr auto pairs = [] {
        constexpr char digits[] = "0123456789ABCDEF";
        std::array<char, 512> table{};
        for (int b = 0; b < 256; ++b) {
            table[2 * b] = digits[b >> 4];
            table[2 * b + 1] = digits[b & 0x0F];
        }
        return table;
    }();
    for (int32_t i = 0; i < count; ++i)
        std::memcpy(p + 2 * i, &pairs[2 * data[i]], 2);
    return p + 2 * std::max<int32_t>(count, 0);
}

void OFFCOut::WriteHexBytes(const uint8_t* data, int32_t count, RecordChecksum& sum)
{
    char text[2 * sizeof pending_];
    count = std::clamp<int32_t>(count, 0, sizeof pending_);
    sum.AddBlock(data, count);
    WriteLine(text, static_cast<size_t>(AppendHex(text, data, count) - text));
}
