#pragma once
// Format numbers, converter flags and the format key table shared by the
// reading and writing converters.

#include "buffer/address.h"

#include <cstdint>
#include <string>
#include <string_view>

enum FileFormat : int32_t {
    ffMotorola = 0,
    ffIntel = 1,
    ffAsciiHex = 2,
    ffTektronix = 3,
    ffSignetics = 4,
    ffRca = 5,
    ffPlainHex = 6,
    ffBinary = 7,
    ffUnknown = 8,
    // Formats beyond the eight of the editor's first release: TI-TXT is read
    // and written; the rest are written only, for other tools to take in.
    ffTiTxt = 9,
    ffCArray = 10,
    ffVerilog = 11,
    ffMif = 12,
    // Read only, recognised by its magic before every other format.
    ffElf = 13,
};

// True for the formats this program reads but never writes.
constexpr bool IsReadOnly(FileFormat format) { return format == ffElf; }

// True for the formats this program writes but cannot read back.
constexpr bool IsExportOnly(FileFormat format)
{
    return format == ffCArray || format == ffVerilog || format == ffMif;
}

enum : uint32_t {
    ffcAddressChange = 0x01,
    ffcReadError = 0x02,
    ffcWriteError = 0x04,
    ffcEndOfData = 0x08,
    ffcFormatError = 0x10,
    ffcChecksumError = 0x20,
};

// The reading loop stops on any of these.
constexpr uint32_t ffcStopMask = ffcEndOfData | ffcFormatError | ffcChecksumError;
// A trial parse fails on any of these.
constexpr uint32_t ffcTrialFailMask = ffcReadError | ffcFormatError | ffcChecksumError;

// Choices a caller may make about the written text. The defaults give each
// format's own shape; the editor always writes with them.
struct WriterOptions {
    // Data bytes per record (per line for the formats without records);
    // 0 keeps the default of 32. At most MaxRecordSize of the format.
    int32_t recordSize = 0;
    // Address bytes of Motorola data records: 2, 3 or 4 for S1, S2 or S3
    // with the matching S9, S8 or S7 end record; 0 for S3, or the type of
    // the file saved when it is saved in its own format and the type holds
    // its addresses.
    int srecAddressBytes = 0;
    // Every line end, when set ("\r\n" or "\n"); empty keeps each format's own.
    std::string_view lineEnd;
    // Intel HEX address records: 4 writes extended linear addresses (04),
    // 2 extended segment addresses (02), which reach 0xFFFFF.
    int intelAddressRecord = 4;
    // C array output: the array's name (a C identifier; see CArrayName) and
    // whether the image is one range, which names the array NAME rather than
    // NAME_0x1234 after its first address.
    std::string_view arrayName = "image";
    bool singleRange = false;
    // Intel MIF output: the memory's depth in words (the window's end).
    int64_t depth = 0;
    // The start (execution) address the formats that hold one write;
    // kNoAddress writes none. With `startSegmentForm` Intel writes it as a
    // segment start record (03) where no linear address record was needed,
    // as the file it came from did.
    Address startAddress = kNoAddress;
    bool startSegmentForm = false;
};

// Maps a format key (a template's default extension) to its format,
// ignoring case. Unknown keys, the empty one included, give ffUnknown.
FileFormat FormatFromKey(std::string_view key);

// `wanted` made into a C identifier: characters other than letters, digits
// and "_" become "_", a leading digit gets a "_" before it, and an empty name
// becomes "image". `changed` tells whether the result differs.
std::string CArrayName(std::string_view wanted, bool* changed = nullptr);
// The character every record of `format` begins with (upper case) in the
// formats whose records carry checksums; 0 for the others.
int RecordMark(FileFormat format);

// What a format is called in messages ("Intel HEX", "Motorola S-records").
const char* FormatName(FileFormat format);

// Names of the set bits, for messages and diagnostics ("format error, checksum error").
const char* FlagName(uint32_t singleFlag);

// The sum of `count` bytes.
uint32_t ByteTotal(const uint8_t* data, int32_t count);

// Running checksum of a record in one of the styles the formats use.
class RecordChecksum {
public:
    enum Style { ByteSum, DigitSum, XorRotate };
    explicit RecordChecksum(Style style) : style_(style) {}

    void Add(uint8_t byte)
    {
        switch (style_) {
        case ByteSum:
            value_ += byte;
            break;
        case DigitSum:
            value_ += (byte >> 4) + (byte & 0x0F);
            break;
        case XorRotate: {
            uint8_t v = static_cast<uint8_t>(value_) ^ byte;
            value_ = static_cast<uint8_t>((v << 1) | (v >> 7));
            break;
        }
        }
    }
    // Add for each of `count` bytes, with the style chosen once.
    void AddBlock(const uint8_t* data, int32_t count)
    {
        uint32_t v = value_;
        switch (style_) {
        case ByteSum:
            v += ByteTotal(data, count);
            break;
        case DigitSum:
            for (int32_t i = 0; i < count; ++i)
                v += (data[i] >> 4) + (data[i] & 0x0F);
            break;
        case XorRotate:
            for (int32_t i = 0; i < count; ++i) {
                uint8_t x = static_cast<uint8_t>(v) ^ data[i];
                v = static_cast<uint8_t>((x << 1) | (x >> 7));
            }
            break;
        }
        value_ = v;
    }
    uint32_t Value() const { return value_; }
    void Reset(uint32_t value = 0) { value_ = value; }

private:
    Style style_;
    uint32_t value_ = 0;
};
