#include "formats/ffc_out.h"

#include "formats/format_registry.h"
#include "formats/record_formats.h"

#include <algorithm>
#include <array>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

OFFCOut::OFFCOut(OutStream& stream, std::string_view key) : stream_(stream)
{
    FileFormat f = FormatFromKey(key);
    format_ = (f == ffUnknown) ? ffBinary : f;
    recordSize_ = recordLimit_ = DefaultRecordSize(format_);
    wordWidth_ = KeyWordWidth(key);
    recordSize_ = recordLimit_ = (recordSize_ + wordWidth_ - 1) / wordWidth_ * wordWidth_;
}

int32_t OFFCOut::DefaultRecordSize(FileFormat format)
{
    // The formats for other tools keep the sixteen bytes a line their own
    // tools write.
    const FormatRow* row = FormatRowOf(format);
    return row && row->defaultRecord > 0 ? row->defaultRecord : kDefaultRecordLimit;
}

int32_t OFFCOut::MaxRecordSize(FileFormat format, int srecAddressBytes)
{
    switch (format) {
    case ffMotorola:
        // The count byte covers the address bytes and the checksum too.
        return 255 - srecAddressBytes - 1;
    default: {
        // One count byte, or a line the readers take whole (they refuse a
        // 256th byte before a carriage return).
        const FormatRow* row = FormatRowOf(format);
        return row ? row->maxRecord : 0;
    }
    }
}

void OFFCOut::SetOptions(const WriterOptions& options)
{
    srecAddressBytes_ = options.srecAddressBytes == 0 ? 4 : std::clamp(options.srecAddressBytes, 2, 4);
    const int32_t limit = std::max<int32_t>(MaxRecordSize(format_, srecAddressBytes_), kDefaultRecordLimit);
    recordSize_ = options.recordSize > 0 ? std::min(options.recordSize, limit) : DefaultRecordSize(format_);
    lineEnd_ = options.lineEnd;
    intelAddressRecord_ = options.intelAddressRecord == 2 ? 2 : 4;
    arrayName_ = options.arrayName;
    singleRange_ = options.singleRange;
    depth_ = options.depth;
    // Records hold whole words.
    recordSize_ = (recordSize_ + wordWidth_ - 1) / wordWidth_ * wordWidth_;
    startAddress_ = options.startAddress;
    startSegmentForm_ = options.startSegmentForm;
    recordLimit_ = recordSize_;
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

void OFFCOut::PutBytes(const uint8_t* data, int32_t count)
{
    while (count > 0) {
        if (pendingCount_ == 0 && count >= recordSize_) {
            // A whole record is written from the caller's bytes where they are.
            recordData_ = data;
            pendingCount_ = recordSize_;
            FlushRecord();
            recordData_ = pending_;
            data += recordSize_;
            count -= recordSize_;
            continue;
        }
        const int32_t n = std::min(count, recordSize_ - pendingCount_);
        std::memcpy(pending_ + pendingCount_, data, static_cast<size_t>(n));
        pendingCount_ += n;
        data += n;
        count -= n;
        if (pendingCount_ >= recordSize_)
            FlushRecord();
    }
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
    case ffTiTxt: WriteTiTxtRecord(*this); break;
    case ffCArray: WriteCArrayRecord(*this); break;
    case ffVerilog: WriteVerilogRecord(*this); break;
    case ffMif: WriteMifRecord(*this); break;
    // ELF is never written: callers refuse it before a writer is made.
    case ffElf:
    case ffBinary:
    case ffUnknown: WriteBinaryRecord(*this); break;
    }
    address_ += pendingCount_;
    pendingCount_ = 0;
    recordLimit_ = recordSize_;
}

namespace {
template <bool kSum>
char* HexDigits(char* p, const uint8_t* data, int32_t count, uint32_t& sum)
{
    int32_t i = 0;
#if defined(__SSE2__)
    // Sixteen bytes at a time: split into nibbles, interleave them high
    // first, and turn each into '0'..'9' or 'A'..'F'.
    const __m128i nibble = _mm_set1_epi8(0x0F);
    const __m128i nine = _mm_set1_epi8(9);
    const __m128i digitZero = _mm_set1_epi8('0');
    const __m128i toLetters = _mm_set1_epi8('A' - '0' - 10);
    auto digits = [&](__m128i values) {
        const __m128i letters = _mm_and_si128(_mm_cmpgt_epi8(values, nine), toLetters);
        return _mm_add_epi8(_mm_add_epi8(values, digitZero), letters);
    };
    __m128i wide = _mm_setzero_si128();
    for (; i + 16 <= count; i += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
        if constexpr (kSum)
            wide = _mm_add_epi64(wide, _mm_sad_epu8(bytes, _mm_setzero_si128()));
        const __m128i high = _mm_and_si128(_mm_srli_epi16(bytes, 4), nibble);
        const __m128i low = _mm_and_si128(bytes, nibble);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 2 * i), digits(_mm_unpacklo_epi8(high, low)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 2 * i + 16), digits(_mm_unpackhi_epi8(high, low)));
    }
    if constexpr (kSum)
        sum += static_cast<uint32_t>(_mm_cvtsi128_si32(wide)) +
               static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_srli_si128(wide, 8)));
#endif
    // Both digits of every byte value, so that each byte costs one copy.
    static constexpr auto pairs = [] {
        constexpr char hexDigits[] = "0123456789ABCDEF";
        std::array<char, 512> table{};
        for (int b = 0; b < 256; ++b) {
            table[2 * b] = hexDigits[b >> 4];
            table[2 * b + 1] = hexDigits[b & 0x0F];
        }
        return table;
    }();
    for (; i < count; ++i) {
        std::memcpy(p + 2 * i, &pairs[2 * data[i]], 2);
        if constexpr (kSum)
            sum += data[i];
    }
    return p + 2 * std::max<int32_t>(count, 0);
}
} // namespace

char* OFFCOut::AppendHex(char* p, const uint8_t* data, int32_t count)
{
    uint32_t unused = 0;
    return HexDigits<false>(p, data, count, unused);
}

char* OFFCOut::AppendHexSum(char* p, const uint8_t* data, int32_t count, uint32_t& sum)
{
    return HexDigits<true>(p, data, count, sum);
}

void OFFCOut::WriteHexBytes(const uint8_t* data, int32_t count, RecordChecksum& sum)
{
    count = std::clamp<int32_t>(count, 0, sizeof pending_);
    sum.AddBlock(data, count);
    EndLine(AppendHex(BeginLine(2 * sizeof pending_), data, count));
}

char* OFFCOut::AppendHexSpaced(char* p, const uint8_t* data, int32_t count)
{
    // Three characters for every byte value: its digits and a blank.
    static constexpr auto triples = [] {
        constexpr char hexDigits[] = "0123456789ABCDEF";
        std::array<char, 1024> table{};
        for (int b = 0; b < 256; ++b) {
            table[4 * b] = hexDigits[b >> 4];
            table[4 * b + 1] = hexDigits[b & 0x0F];
            table[4 * b + 2] = ' ';
        }
        return table;
    }();
    for (int32_t i = 0; i < count; ++i) {
        std::memcpy(p, &triples[4 * data[i]], 4);
        p += 3;
    }
    return count > 0 ? p - 1 : p;
}
