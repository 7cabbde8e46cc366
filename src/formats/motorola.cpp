// Motorola S-records. Reading accepts S1, S2 and S3 data records, the S7,
// S8 and S9 end records (whose address is the start address) and the S5 and
// S6 record counts, a count that matches the data records read ending the
// file as well, and skips S0 headers; writing produces S3 data records and
// one S7 end record, or S1 or S2 records with S9 or S8 when the caller asks
// for them.

#include "formats/ffc_in.h"
#include "formats/ffc_out.h"
#include "formats/record_formats.h"
#include "settings/hex_digit.h"

#include <algorithm>

namespace {
// A count byte covers the four address bytes and the checksum as well, and
// may not exceed 255; shorter addresses leave room for two more bytes.
constexpr int32_t kMaxS3Data = 250;

enum class RecordKind { Data, Count, End };

uint8_t OnesComplement(uint32_t sum) { return static_cast<uint8_t>(~sum & 0xFF); }

// The reader remembers which data record types it met (one bit per number
// of address bytes) and whether one of them was longer than its address
// needs. Writers use one type for every record, or each record's smallest;
// a file that mixes types otherwise, or whose end record's address is
// longer than any data record's, has a damaged type digit: "S3" turned into
// "S2" keeps the checksum right but moves the record and changes its bytes.
constexpr uint32_t kLongerThanNeeded = 0x100;

bool TypesFit(uint32_t state)
{
    const uint32_t types = state & 0x1C;
    return (types & (types - 1)) == 0 || (state & kLongerThanNeeded) == 0;
}

void NoteDataRecord(OFFCIn& in, int addressBytes, uint32_t address)
{
    const int needed = address <= 0xFFFF ? 2 : address <= 0xFFFFFF ? 3 : 4;
    in.NoteAddressBytes(addressBytes);
    uint32_t state = in.ReaderState() | (1u << addressBytes);
    if (addressBytes > needed)
        state |= kLongerThanNeeded;
    in.SetReaderState(state);
    if (!TypesFit(state))
        in.SetFlag(ffcFormatError, ReasonText("S%d record mixed with other types", addressBytes - 1));
}

// An S0 header is passed over unchecked, as headers are free text. Two
// headers are no header, though: one after data records, and one whose
// digits hold bytes that are no text, which is a data record whose type
// digit became a 0 (the checksum does not cover the type).
void SkipHeader(OFFCIn& in)
{
    if (in.ReaderState() & 0x1C) {
        in.SetFlag(ffcFormatError, "S0 header after data records");
        return;
    }
    uint8_t bytes[OFFCIn::kRecordCapacity];
    int count = 0;
    bool hex = true;
    for (int high = in.Peek(); high >= 0 && high != '\n' && high != '\r'; high = in.Peek()) {
        in.Get();
        const int low = in.Peek();
        if (HexDigitValue(high) < 0 || (HexDigitValue(low) < 0 && low != '\n' && low != '\r' && low >= 0)) {
            hex = false;
            continue;
        }
        if (HexDigitValue(low) < 0)
            break;
        in.Get();
        if (count < OFFCIn::kRecordCapacity)
            bytes[count++] = static_cast<uint8_t>(HexDigitValue(high) * 16 + HexDigitValue(low));
    }
    in.SkipLine();
    // Count and address first, the checksum last.
    for (int i = 3; hex && i < count - 1; ++i) {
        const uint8_t b = bytes[i];
        if (b != 0 && b != '\t' && b != '\r' && b != '\n' && (b < 0x20 || b > 0x7E)) {
            in.SetFlag(ffcFormatError, "S0 header holds no text");
            return;
        }
    }
}

// An end record longer than every data record's address after a data record
// longer than its address needs: an S3 record whose type digit became a 2
// (the checksum does not cover the type). Tools do end S1 data with S8, but
// S1 is never longer than needed.
bool EndSaysTypeDigitChanged(const OFFCIn& in, int addressBytes)
{
    const uint32_t types = in.ReaderState() & 0x1C;
    return (in.ReaderState() & kLongerThanNeeded) && types != 0 && types < (1u << addressBytes);
}
} // namespace

namespace {
// The longest record: "S" and its type, the digits of the count and of 255
// more bytes, and a line end.
constexpr size_t kLongestLine = 2 + 2 * (1 + 255) + 2;

// An S1, S2 or S3 record that lies whole in the stream's buffer with good
// digits and a good checksum is read where it is; anything else is left to
// the reading below, which starts again from the same character.
bool ReadMotorolaDataInPlace(OFFCIn& in)
{
    if (in.BufferedChars() < kLongestLine)
        return false;
    const unsigned char* p = in.BufferedData();
    if ((p[0] != 'S' && p[0] != 's') || p[1] < '1' || p[1] > '3')
        return false;
    const int addressBytes = p[1] - '0' + 1;
    uint8_t head[5];
    uint32_t sum = 0;
    if (!OFFCIn::DecodeHex(p + 2, head, 1 + addressBytes, sum))
        return false;
    const int32_t length = std::max(0, head[0] - (addressBytes + 1));
    const unsigned char* data = p + 4 + 2 * addressBytes;
    uint8_t check;
    uint32_t unused = 0;
    if (!OFFCIn::DecodeHex(data, in.RecordData(), length, sum) ||
        !OFFCIn::DecodeHex(data + 2 * length, &check, 1, unused) || OnesComplement(sum) != check)
        return false;
    in.Consume(static_cast<size_t>(data + 2 * length + 2 - p));
    uint32_t address = 0;
    for (int i = 1; i <= addressBytes; ++i)
        address = (address << 8) | head[i];
    in.SetRecord(Address{address}, length);
    NoteDataRecord(in, addressBytes, address);
    in.CountDataRecord();
    in.EndLine();
    return true;
}
} // namespace

void ReadMotorolaRecord(OFFCIn& in)
{
    if (ReadMotorolaDataInPlace(in))
        return;
    int type;
    // Header lines are passed over unchecked, in a loop rather than by
    // recursion so that a file of many headers cannot exhaust the stack.
    for (;;) {
        if (!in.ExpectChar('S'))
            return;
        type = in.Get();
        if (type != '0')
            break;
        SkipHeader(in);
        if (in.HasFlag(ffcFormatError))
            return;
    }

    int addressBytes;
    RecordKind kind;
    switch (type) {
    case '1': addressBytes = 2; kind = RecordKind::Data; break;
    case '2': addressBytes = 3; kind = RecordKind::Data; break;
    case '3': addressBytes = 4; kind = RecordKind::Data; break;
    case '5': addressBytes = 2; kind = RecordKind::Count; break;
    case '6': addressBytes = 3; kind = RecordKind::Count; break;
    case '7': addressBytes = 4; kind = RecordKind::End; break;
    case '8': addressBytes = 3; kind = RecordKind::End; break;
    case '9': addressBytes = 2; kind = RecordKind::End; break;
    default:
        // The line is left unread, so the next record could not start
        // cleanly anyway: reading ends here.
        in.SetFlag(ffcReadError | ffcFormatError, "unknown record type " + CharText(type));
        return;
    }

    const int32_t onLine = in.HexBytesOnLine();
    const uint8_t count = in.ReadHexByte();
    if (onLine >= 1 && onLine != count + 1)
        in.ExplainRecord(ReasonText("record length %d does not match %d bytes", count, onLine - 1));
    uint32_t sum = count;
    uint32_t address = 0;
    for (int i = 0; i < addressBytes; ++i) {
        const uint8_t b = in.ReadHexByte();
        address = (address << 8) | b;
        sum += b;
    }
    const int32_t length = std::max(0, count - (addressBytes + 1));
    sum += in.ReadHexBytes(in.RecordData(), length);
    const uint8_t checksum = in.ReadHexByte();

    if (kind == RecordKind::Data)
        in.SetRecord(Address{address}, length);
    else
        // Counts and end addresses are no data addresses: keep the running
        // address so that such a record raises no address change.
        in.SetRecord(in.GetAddress(), 0);

    if (OnesComplement(sum) != checksum) {
        in.BadChecksum(checksum, OnesComplement(sum));
        return;
    }
    // Count and end records hold nothing but their address.
    if (kind != RecordKind::Data && count != addressBytes + 1) {
        in.SetFlag(ffcFormatError, ReasonText("S%c record length %d, expected %d", type, count, addressBytes + 1));
        return;
    }
    if (kind == RecordKind::End) {
        // Whatever the data records' type: tools split S1 data under an S8.
        if (EndSaysTypeDigitChanged(in, addressBytes)) {
            in.SetFlag(ffcFormatError, ReasonText("S%c end record does not fit the data records", type));
            return;
        }
        in.SetStartAddress(Address{address});
        in.EndOfRecords();
        return;
    }
    if (kind == RecordKind::Count) {
        // A count that matches ends the file as an end record does when no
        // end record follows; one that does not is damage.
        const uint32_t counted = in.DataRecordsCounted() & (addressBytes == 2 ? 0xFFFFu : 0xFFFFFFu);
        if (address != counted) {
            in.SetFlag(ffcFormatError, ReasonText("S%c count %u, expected %u", type, address, counted));
            return;
        }
        in.EndLine();
        if (!in.HasFlag(ffcFormatError) && in.Peek() != 'S' && in.Peek() != 's')
            in.EndOfRecords();
        return;
    }
    NoteDataRecord(in, addressBytes, address);
    in.CountDataRecord();
    in.EndLine();
}

void WriteMotorolaRecord(OFFCOut& out)
{
    // S1, S2 or S3 data with the S9, S8 or S7 end record: 2, 3 or 4 address bytes.
    const int addressBytes = out.SRecordAddressBytes();
    const Address address = out.Address();
    uint8_t head[5];
    auto putHead = [&](int32_t dataBytes, Address field) {
        head[0] = static_cast<uint8_t>(dataBytes + addressBytes + 1);
        for (int i = 0; i < addressBytes; ++i)
            head[1 + i] = static_cast<uint8_t>(field >> (8 * (addressBytes - 1 - i)));
    };
    if (out.Ending()) {
        // The end record holds the start address in the width of the data
        // records; without one, the address past the last byte, its upper
        // bits dropped.
        const Address start = out.StartAddress();
        if (start != kNoAddress && (start < 0 || start >> (8 * addressBytes) != 0))
            out.SetFlag(ffcFormatError);
        putHead(0, start != kNoAddress ? start : address);
        const uint8_t check = OnesComplement(ByteTotal(head, 1 + addressBytes));
        char* p = out.BeginLine(2 + 2 * 6 + 2);
        *p++ = 'S';
        *p++ = static_cast<char>('0' + 11 - addressBytes);
        p = OFFCOut::AppendHex(p, head, 1 + addressBytes);
        p = OFFCOut::AppendHex(p, &check, 1);
        out.EndLine(out.AppendLineEnd(p));
        return;
    }
    const int32_t n = out.RecordLimit();
    const char type = static_cast<char>('0' + addressBytes - 1);
    const Address top = address + std::max(n, 1) - 1;
    if (n > OFFCOut::MaxRecordSize(ffMotorola, addressBytes) || address < 0 || top >> (8 * addressBytes) != 0) {
        // No count or address field holds this record: it is dropped and
        // the save reports it.
        out.PutChar('S');
        out.PutChar(type);
        out.SetFlag(ffcFormatError);
        return;
    }
    putHead(n, address);
    uint32_t sum = 0;
    char* p = out.BeginLine(2 + 2 * (5 + kMaxS3Data + 3) + 2);
    *p++ = 'S';
    *p++ = type;
    p = OFFCOut::AppendHexSum(p, head, 1 + addressBytes, sum);
    p = OFFCOut::AppendHexSum(p, out.PendingData(), n, sum);
    p = OFFCOut::AppendHexByte(p, OnesComplement(sum));
    out.EndLine(out.AppendLineEnd(p));
}
