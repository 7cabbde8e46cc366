// Intel HEX records. Reading accepts data, end, extended segment and
// extended linear address records and both start address records; writing
// produces data records of 32 bytes (or the caller's size), extended linear
// (or segment) address records where the upper address bits change, the
// start address record when there is a start address, and one end record.

#include "formats/ffc_in.h"
#include "formats/ffc_out.h"
#include "formats/record_formats.h"

#include <algorithm>
#include <cstring>

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

// The reader's state: whether the base came from a segment record, and the
// part of a data record that ran past its segment's end, kept for the next
// call: its length and where it starts in the record.
constexpr uint32_t kSegmentBase = 0x80000000u;
constexpr uint32_t kTailMask = 0x1FF;
constexpr int kTailStartShift = 9;

// Offsets inside a segment wrap at 64 KiB, as the segment registers they
// stand for do: the bytes past the end go to the segment's start, delivered
// as a record of their own by the next call.
void WrapInSegment(OFFCIn& in, uint32_t offset, int32_t length)
{
    const uint32_t state = in.ReaderState();
    if (!(state & kSegmentBase) || offset + static_cast<uint32_t>(length) <= 0x10000)
        return;
    const uint32_t head = 0x10000 - offset;
    in.SetRecordLength(static_cast<int32_t>(head));
    in.SetReaderState(kSegmentBase | (head << kTailStartShift) | (static_cast<uint32_t>(length) - head));
}

bool TakeWrappedTail(OFFCIn& in)
{
    const uint32_t state = in.ReaderState();
    const uint32_t tail = state & kTailMask;
    if (tail == 0)
        return false;
    uint8_t* data = in.RecordData();
    std::memmove(data, data + ((state >> kTailStartShift) & kTailMask), tail);
    in.SetRecord(in.AddressBase(), static_cast<int32_t>(tail));
    in.SetReaderState(kSegmentBase);
    return true;
}
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
    WrapInSegment(in, offset, length);
    in.EndLine();
    return true;
}
} // namespace

void ReadIntelRecord(OFFCIn& in)
{
    if (TakeWrappedTail(in) || ReadIntelDataInPlace(in))
        return;
    if (!in.ExpectChar(':'))
        return;
    const int32_t onLine = in.HexBytesOnLine();
    const uint8_t length = in.ReadHexByte();
    // Length, address, type and checksum make five bytes besides the data.
    if (onLine >= 5 && onLine != length + 5)
        in.ExplainRecord(ReasonText("record length %d does not match %d bytes", length, onLine - 5));
    const uint8_t offsetHigh = in.ReadHexByte();
    const uint8_t offsetLow = in.ReadHexByte();
    const uint8_t type = in.ReadHexByte();
    uint8_t* data = in.RecordData();
    uint32_t sum = length + offsetHigh + offsetLow + type + in.ReadHexBytes(data, length);
    const uint8_t check = in.ReadHexByte();
    sum += check;

    // With the highest base, 0xFFFF0000, a record can reach 0xFFFFFFFF;
    // bytes past it get addresses beyond the space instead of wrapping.
    const uint32_t offset = (uint32_t{offsetHigh} << 8) | offsetLow;
    in.SetRecord(in.AddressBase() + offset, length);
    if ((sum & 0xFF) != 0) {
        // The caller stops here, so none of the record's bytes is stored.
        in.BadChecksum(check, TwosComplement(sum - check));
        return;
    }

    switch (type) {
    case kData:
        WrapInSegment(in, offset, length);
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
            in.SetFlag(ffcFormatError, ReasonText("type %02X record length %d, expected 2", type, length));
            break;
        }
        if (type == kExtendedSegment)
            in.SetAddressBase(Address{data[0]} * 4096 + Address{data[1]} * 16);
        else
            in.SetAddressBase((Address{data[0]} << 24) | (Address{data[1]} << 16));
        in.SetReaderState(type == kExtendedSegment ? kSegmentBase : 0);
        break;
    case kStartSegment:
    case kStartLinear: {
        in.SetRecord(in.GetAddress(), 0);
        if (length != 4) {
            in.SetFlag(ffcFormatError, ReasonText("type %02X record length %d, expected 4", type, length));
            break;
        }
        const Address high = (Address{data[0]} << 8) | data[1];
        const Address low = (Address{data[2]} << 8) | data[3];
        // A segment start is CS:IP, the address the processor runs from.
        in.SetStartAddress(type == kStartSegment ? high * 16 + low : (high << 16) | low, type == kStartSegment);
        break;
    }
    default:
        // Unknown types are reported but their bytes still count as data.
        in.SetFlag(ffcReadError, ReasonText("unknown record type %02X", type));
        break;
    }
    in.EndLine();
}

namespace {
// The start address record before the end record: a segment start (CS:IP)
// where the file is written with segments, or came with one and needed no
// linear address record; a linear start otherwise.
void WriteIntelStart(OFFCOut& out)
{
    const Address start = out.StartAddress();
    if (start < 0 || start > kLastIntelAddress)
        return;
    const uint32_t value = static_cast<uint32_t>(start);
    const bool segment =
        value <= 0xFFFFF && (out.IntelAddressRecord() == 2 || (out.StartSegmentForm() && out.HighestUpper() == 0));
    const uint32_t field = segment ? (((value >> 4) & 0xF000) << 16) | (value & 0xFFFF) : value;
    RecordChecksum sum(RecordChecksum::ByteSum);
    sum.Add(0x04);
    sum.Add(segment ? kStartSegment : kStartLinear);
    out.PutText(segment ? ":04000003" : ":04000005");
    out.WriteHexField(field, 4, sum);
    out.WriteHexByte(TwosComplement(sum.Value()));
    out.PutLineEnd();
}
} // namespace

namespace {
void WriteIntelData(OFFCOut& out, uint32_t address, const uint8_t* data, int32_t count)
{
    // Segment records reach 1 MiB: the segment is the address's upper four
    // bits times 0x1000, so that the offsets stay those of linear addressing.
    const bool segments = out.IntelAddressRecord() == 2;
    const uint32_t upper = address & (segments ? 0x000F0000u : 0xFFFF0000u);
    if (segments && address + static_cast<uint32_t>(count) - 1 > 0xFFFFFu)
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

    // A linear record that runs past a 64 KiB boundary is still written whole
    // with the offset of its first byte; the next record announces the new bits.
    const uint32_t offset = address - upper;
    const uint8_t head[4] = {static_cast<uint8_t>(count), static_cast<uint8_t>(offset >> 8),
                             static_cast<uint8_t>(offset), kData};
    uint32_t sum = 0;
    char* p = out.BeginLine(1 + 2 * (4 + kMaxRecordData + 1) + 2);
    *p++ = ':';
    p = OFFCOut::AppendHexSum(p, head, 4, sum);
    p = OFFCOut::AppendHexSum(p, data, count, sum);
    p = OFFCOut::AppendHexByte(p, TwosComplement(sum));
    out.EndLine(out.AppendLineEnd(p));
}
} // namespace

void WriteIntelRecord(OFFCOut& out)
{
    if (out.Ending()) {
        WriteIntelStart(out);
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
    const int32_t count = std::clamp<int32_t>(out.RecordLimit(), 0, kMaxRecordData);
    // Segment offsets wrap at 64 KiB where readers take them: a record that
    // runs past a segment's end is written as two.
    const uint32_t room = 0x10000 - (address & 0xFFFF);
    if (out.IntelAddressRecord() == 2 && static_cast<uint32_t>(count) > room) {
        WriteIntelData(out, address, out.PendingData(), static_cast<int32_t>(room));
        WriteIntelData(out, address + room, out.PendingData() + room, count - static_cast<int32_t>(room));
    } else {
        WriteIntelData(out, address, out.PendingData(), count);
    }
}
