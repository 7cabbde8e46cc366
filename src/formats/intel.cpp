// Intel HEX records. Reading accepts data, end, extended segment and
// extended linear address records (start address records are passed over);
// writing produces data records of 32 bytes (or the caller's size), extended linear address records
// where the upper 16 address bits change, and one end record.

#include "formats/ffc_in.h"
#include "formats/ffc_out.h"
#include "formats/record_formats.h"

#include <algorithm>

namespace {
enum IntelRecordType : uint8_t {
    kData = 0x00,
    kEndOfFile = 0x01,
    kExtendedSegment = 0x02,
    kStartSegment = 0x03,
    kExtendedLinear = 0x04,
    kStartLinear = 0x05,
};

// The largest count a record's length byte can hold.
constexpr int32_t kMaxRecordData = 255;
// Type 04 records carry the upper 16 of 32 address bits.
constexpr Address kLastIntelAddress = 0xFFFFFFFF;

uint8_t TwosComplement(uint32_t sum) { return static_cast<uint8_t>(0x100 - (sum & 0xFF)); }
} // namespace

namespace {
// The longest record: the colon, the digits of four header bytes, 255 data
// bytes and the checksum, and a line end.
constexpr size_t kLongestLine = 1 + 2 * (4 + kMaxRecordData + 1) + 2;

// A data record that lies whole in the stream's buffer with good digits
// and a good checksum is read where it is; anything else is left to the
// reading below, which starts again from the same character.
bool ReadIntelDataInPlace(OFFCIn& in)
{
    if (in.BufferedChars() < kLongestLine)
        return false;
    const unsigned char* p = in.BufferedData();
    uint8_t head[4];
    uint32_t sum = 0;
    if (p[0] != ':' || !OFFCIn::DecodeHex(p + 1, head, 4, sum) || head[3] != kData)
        return false;
    const int32_t length = head[0];
    uint8_t check;
    if (!OFFCIn::DecodeHex(p + 9, in.RecordData(), length, sum) ||
        !OFFCIn::DecodeHex(p + 9 + 2 * length, &check, 1, sum) || (sum & 0xFF) != 0)
        return false;
    in.Consume(static_cast<size_t>(11 + 2 * length));
    const uint32_t offset = (uint32_t{head[1]} << 8) | head[2];
    in.SetRecord(in.AddressBase() + offset, length);
    in.EndLine();
    return true;
}
} // namespace

void ReadIntelRecord(OFFCIn& in)
{
    if (ReadIntelDataInPlace(in))
        return;
    if (!in.ExpectChar(':'))
        return;
    const uint8_t length = in.ReadHexByte();
    const uint8_t offsetHigh = in.ReadHexByte();
    const uint8_t offsetLow = in.ReadHexByte();
    const uint8_t type = in.ReadHexByte();
    uint8_t* data = in.RecordData();
    uint32_t sum = length + offsetHigh + offsetLow + type + in.ReadHexBytes(data, length);
    sum += in.ReadHexByte();

    // With the highest base, 0xFFFF0000, a record can reach 0xFFFFFFFF;
    // bytes past it get addresses beyond the space instead of wrapping.
    const uint32_t offset = (uint32_t{offsetHigh} << 8) | offsetLow;
    in.SetRecord(in.AddressBase() + offset, length);
    if ((sum & 0xFF) != 0) {
        // The caller stops here, so none of the record's bytes is stored.
        in.SetFlag(ffcChecksumError);
        return;
    }

    switch (type) {
    case kData:
        break;
    case kEndOfFile:
        // Bytes an end record carries are never data.
        in.SetRecord(in.GetAddress(), 0);
        in.EndOfRecords();
        return;
    case kExtendedSegment:
    case kExtendedLinear:
        // Records without data keep the running address: only the next
        // data record's address can make a change worth reporting.
        in.SetRecord(in.GetAddress(), 0);
        if (length != 2) {
            in.SetFlag(ffcFormatError);
            break;
        }
        if (type == kExtendedSegment)
            in.SetAddressBase(Address{data[0]} * 4096 + Address{data[1]} * 16);
        else
            in.SetAddressBase((Address{data[0]} << 24) | (Address{data[1]} << 16));
        break;
    case kStartSegment:
    case kStartLinear:
        in.SetRecord(in.GetAddress(), 0);
        break;
    default:
        // Unknown types are reported but their bytes still count as data.
        in.SetFlag(ffcReadError);
        break;
    }
    in.EndLine();
}

void WriteIntelRecord(OFFCOut& out)
{
    if (out.Ending()) {
        out.PutText(":00000001FF");
        out.PutLineEnd();
        return;
    }
    const Address full = out.Address();
    if (full < 0 || full > kLastIntelAddress) {
        // No extended address reaches it: the record is dropped and the save
        // reports it.
        out.SetFlag(ffcFormatError);
        return;
    }
    const uint32_t address = static_cast<uint32_t>(full);
    // Segment records reach 1 MiB: the segment is the address's upper four
    // bits times 0x1000, so that the offsets stay those of linear addressing.
    const bool segments = out.IntelAddressRecord() == 2;
    const uint32_t upper = address & (segments ? 0x000F0000u : 0xFFFF0000u);
    if (segments && address + static_cast<uint32_t>(out.RecordLimit()) - 1 > 0xFFFFFu)
        out.SetFlag(ffcFormatError);
    if (upper != out.AnnouncedUpper()) {
        const uint8_t type = segments ? kExtendedSegment : kExtendedLinear;
        const uint32_t field = segments ? upper >> 4 : upper >> 16;
        RecordChecksum sum(RecordChecksum::ByteSum);
        sum.Add(0x02);
        sum.Add(type);
        out.PutText(segments ? ":02000002" : ":02000004");
        out.WriteHexField(field, 2, sum);
        out.WriteHexByte(TwosComplement(sum.Value()));
        out.PutLineEnd();
        out.SetAnnouncedUpper(upper);
    }

    // A record that runs past a 64 KiB boundary is still written whole with
    // the offset of its first byte; the next record announces the new bits.
    const int32_t count = std::clamp<int32_t>(out.RecordLimit(), 0, kMaxRecordData);
    const uint32_t offset = static_cast<uint32_t>(address) - upper;
    const uint8_t head[4] = {static_cast<uint8_t>(count), static_cast<uint8_t>(offset >> 8),
                             static_cast<uint8_t>(offset), kData};
    uint32_t sum = 0;
    char* p = out.BeginLine(1 + 2 * (4 + kMaxRecordData + 1) + 2);
    *p++ = ':';
    p = OFFCOut::AppendHexSum(p, head, 4, sum);
    p = OFFCOut::AppendHexSum(p, out.PendingData(), count, sum);
    p = OFFCOut::AppendHexByte(p, TwosComplement(sum));
    out.EndLine(out.AppendLineEnd(p));
}
