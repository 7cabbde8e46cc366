// ASCII HEX and RCA development formats: free-form lines of hex byte pairs
// without checksums. An address stands only where the bytes do not continue
// from the previous line; every other line follows on from the last one.

#include "formats/ffc_in.h"
#include "formats/ffc_out.h"
#include "formats/record_formats.h"

namespace {
constexpr int kStartOfText = 0x02;
constexpr int kEndOfText = 0x03;
constexpr uint32_t kLargest16BitAddress = 0xFFFF;

bool IsAsciiHexSeparator(int c) { return c == ' ' || c == '%' || c == '\'' || c == ','; }

// Ends a line of `count` bytes: the next line starts right after them.
void EndLine(OFFCIn& in, int32_t count)
{
    in.SetRecordLength(count);
    in.SetAddressBase(in.RecordAddress() + count);
}

int32_t ReadAddressField(OFFCIn& in)
{
    const uint8_t high = in.ReadHexByte();
    const uint8_t low = in.ReadHexByte();
    return high * 256 + low;
}

// Address lines carry 16 bits; the upper bits are dropped and the save must
// not pass for a faithful copy then.
void WriteAddressField(OFFCOut& out, Address address)
{
    if (address < 0 || address > Address{kLargest16BitAddress})
        out.SetFlag(ffcFormatError);
    out.WriteHexByte(static_cast<uint8_t>(address >> 8));
    out.WriteHexByte(static_cast<uint8_t>(address));
}

// "$A" + four digits + ",", the "$" already seen; the bytes after it go there.
bool ReadAsciiHexAddress(OFFCIn& in)
{
    in.Get();
    if (!in.ExpectChar('A'))
        return false;
    const int32_t address = ReadAddressField(in);
    in.SetRecordAddress(address);
    in.SetAddressBase(address);
    return in.ExpectChar(',');
}
} // namespace

void ReadAsciiHexRecord(OFFCIn& in)
{
    in.SetRecord(in.AddressBase(), 0);
    if (in.Peek() == kStartOfText) {
        in.Get();
        // Common writers put a blank between STX and the address field.
        while (in.Peek() == ' ')
            in.Get();
    }
    uint8_t* data = in.RecordData();
    int32_t count = 0;
    for (;;) {
        const int c = in.Peek();
        if (c == '\n') {
            EndLine(in, count);
            in.SkipLine();
            return;
        }
        if (c == '$') {
            // An address field may stand anywhere between pairs: the bytes
            // before it end this record, those after it start the next.
            if (count > 0) {
                EndLine(in, count);
                return;
            }
            if (!ReadAsciiHexAddress(in))
                return;
            continue;
        }
        if (count == OFFCIn::kRecordCapacity) {
            in.SetFlag(ffcReadError, "line longer than 256 bytes");
            return;
        }
        if (c < 0) {
            if (count == 0)
                in.SetFlag(ffcEndOfData);
            EndLine(in, count);
            return;
        }
        if (c == '\r') {
            in.SkipLine();
            EndLine(in, count);
            return;
        }
        if (c == kEndOfText) {
            // Bytes before ETX on its line still belong to the data: deliver
            // them now and leave ETX to end the data on the next call.
            if (count > 0) {
                EndLine(in, count);
                return;
            }
            in.Get();
            in.SetFlag(ffcEndOfData);
            return;
        }
        data[count++] = in.ReadHexByte();
        // ETX right after a pair ends the line like a line end; an address
        // field may follow a pair directly.
        const int next = in.Peek();
        if (IsAsciiHexSeparator(next))
            in.Get();
        else if (next != '\n' && next != '\r' && next != kEndOfText && next != '$' && next >= 0) {
            in.SetFlag(ffcFormatError, CharText(next) + " after a byte");
            in.SetRecordLength(0);
            return;
        }
    }
}

void WriteAsciiHexRecord(OFFCOut& out)
{
    if (out.Ending())
        return;
    const Address address = out.Address();
    if (out.WrittenTo() < address) {
        out.PutText("$A");
        WriteAddressField(out, address);
        out.PutChar(',');
        out.PutLineEnd();
        out.SetWrittenTo(address);
    }
    const int32_t count = out.RecordLimit();
    const uint8_t* data = out.PendingData();
    for (int32_t i = 0; i < count; ++i) {
        out.WriteHexByte(data[i]);
        out.PutChar(' ');
    }
    out.AdvanceWrittenTo(count);
    out.PutLineEnd();
}

void ReadRcaRecord(OFFCIn& in)
{
    in.SetRecord(in.AddressBase(), 0);
    const int first = in.Peek();
    if (first < 0) {
        in.SetFlag(ffcEndOfData);
        return;
    }
    if (first == '!') {
        in.Get();
        if (!in.ExpectChar('M'))
            return;
        in.SetExpectAddress(true);
        while (in.Peek() == ' ')
            in.Get();
        // Monitors put the address and the first bytes on the command line
        // itself; a bare "!M" leaves them to the next line.
        const int next = in.Peek();
        if (next < 0 || next == '\n' || next == '\r') {
            in.SkipLine();
            return;
        }
    }
    if (in.ExpectAddress()) {
        const int32_t address = ReadAddressField(in);
        if (!in.ExpectChar(' '))
            return;
        in.SetExpectAddress(false);
        in.SetRecordAddress(address);
        in.SetAddressBase(address);
    }

    uint8_t* data = in.RecordData();
    int32_t count = 0;
    for (;;) {
        const int c = in.Peek();
        if (c == ' ') {
            in.Get();
        } else if (c < 0) {
            EndLine(in, count);
            if (count == 0)
                in.SetFlag(ffcEndOfData);
            return;
        } else if (c == '\n' || c == '\r' || c == ',' || c == ';') {
            if (c == ';')
                in.SetExpectAddress(true);
            EndLine(in, count);
            in.SkipLine();
            return;
        } else {
            data[count++] = in.ReadHexByte();
            // A read error left over from the address also ends the data
            // here, so no byte lands at an address that was never read.
            if (in.HasFlag(ffcReadError)) {
                in.SetFlag(ffcFormatError, in.ErrorReason(ffcReadError));
                in.SetRecordLength(0);
                return;
            }
        }
        if (count == OFFCIn::kRecordCapacity) {
            in.SetFlag(ffcReadError, "line longer than 256 bytes");
            in.SetRecordLength(0);
            return;
        }
    }
}

void WriteRcaRecord(OFFCOut& out)
{
    if (out.Ending()) {
        out.PutLineEnd();
        return;
    }
    const Address address = out.Address();
    const bool first = out.FirstRecord();
    if (first) {
        out.PutText("!M");
        out.PutLineEnd();
        WriteAddressField(out, address);
        out.PutChar(' ');
        out.SetWrittenTo(address);
    }
    if (out.WrittenTo() < address) {
        out.PutChar(';');
        out.PutLineEnd();
        WriteAddressField(out, address);
        out.PutChar(' ');
        out.SetWrittenTo(address);
    } else if (!first) {
        out.PutChar(',');
        out.PutLineEnd();
    }
    const int32_t count = out.RecordLimit();
    const uint8_t* data = out.PendingData();
    for (int32_t i = 0; i < count; ++i) {
        out.PutChar(' ');
        out.WriteHexByte(data[i]);
    }
    out.AdvanceWrittenTo(count);
    out.SetFirstRecord(false);
}
