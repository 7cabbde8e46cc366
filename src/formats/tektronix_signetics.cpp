// Tektronix and Signetics records: one line each, a 16-bit address, a byte
// count and two checksums, one over the header and one over the data.
// Tektronix sums hex digit values, Signetics XORs and rotates bytes.

#include "formats/ffc_in.h"
#include "formats/ffc_out.h"
#include "formats/record_formats.h"

namespace {
constexpr uint32_t kLargest16BitAddress = 0xFFFF;

// Value of an address or count digit of a Tektronix header. Only upper-case
// digits count there, unlike the checksums and data.
int HeaderDigit(int c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Reads a Tektronix header field of `digits` digits, adding each digit's value
// to `sum`. A character that is no digit ends the field early and makes it 0;
// the end of the file also ends the data.
uint32_t ReadHeaderField(OFFCIn& in, int digits, uint32_t& sum)
{
    uint32_t value = 0;
    for (int i = 0; i < digits; ++i) {
        int c = in.Get();
        int digit = HeaderDigit(c);
        if (digit < 0) {
            in.SetFlag(c < 0 ? ffcReadError | ffcEndOfData : ffcReadError, BadDigitReason(c));
            return 0;
        }
        value = value * 16 + static_cast<uint32_t>(digit);
        sum += static_cast<uint32_t>(digit);
    }
    return value;
}

// A comment line ("//" and any text). One of nothing but hex digits is a
// record whose mark was doubled or whose first digit became a "/": taking
// it for a comment would drop the record's bytes without a word.
void SkipTektronixComment(OFFCIn& in)
{
    int digits = 0, others = 0;
    for (;;) {
        const int c = in.Peek();
        if (c < 0 || c == '\n' || c == '\r')
            break;
        in.Get();
        if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'))
            ++digits;
        else if (c != ' ' && c != '\t')
            ++others;
    }
    if (others == 0 && digits >= 6)
        in.SetFlag(ffcFormatError, "comment of nothing but hex digits");
    else
        in.SkipLine();
}

// A record the end of the file cut off reads its missing digits as zeros,
// whose checksums (sums of digits, XOR-rotate) come out as zero as well: it
// delivers none of them and ends the data.
bool CutShort(OFFCIn& in, bool hadReadError)
{
    if (hadReadError || !in.HasFlag(ffcReadError) || in.Peek() >= 0)
        return false;
    in.SetRecordLength(0);
    in.SetFlag(ffcEndOfData);
    return true;
}

// Records without bytes (comments, end records) keep the running address, so
// that they announce no address change of their own.
void SetEmptyRecord(OFFCIn& in) { in.SetRecord(in.GetAddress(), 0); }

// The 16-bit address formats can only drop the upper bits; the save must not
// pass for a faithful copy then.
void CheckAddressFits(OFFCOut& out, Address address)
{
    if (address < 0 || address > Address{kLargest16BitAddress})
        out.SetFlag(ffcFormatError);
}
} // namespace

void ReadTektronixRecord(OFFCIn& in)
{
    SetEmptyRecord(in);
    if (!in.ExpectChar('/'))
        return;
    if (in.Peek() == '/') {
        in.Get();
        SkipTektronixComment(in);
        return;
    }

    uint32_t headerSum = 0;
    const uint32_t address = ReadHeaderField(in, 4, headerSum);
    const uint32_t count = ReadHeaderField(in, 2, headerSum);
    if (const uint8_t check = in.ReadHexByte(); check != (headerSum & 0xFF)) {
        in.SetRecord(Address{address}, static_cast<int32_t>(count));
        in.BadChecksum(check, headerSum, "header checksum");
        return;
    }
    if (count == 0) {
        // The end record's address is the start address; 0000 is what a
        // file without one carries.
        if (address != 0)
            in.SetStartAddress(Address{address});
        in.EndOfRecords();
        return;
    }

    // count has two digits, so the record always fits the 256-byte array.
    uint8_t* data = in.RecordData();
    RecordChecksum dataSum(RecordChecksum::DigitSum);
    const bool hadReadError = in.HasFlag(ffcReadError);
    in.ReadHexBytes(data, static_cast<int32_t>(count));
    dataSum.AddBlock(data, static_cast<int32_t>(count));
    in.SetRecord(Address{address}, static_cast<int32_t>(count));
    if (const uint8_t check = in.ReadHexByte(); check != (dataSum.Value() & 0xFF)) {
        in.BadChecksum(check, dataSum.Value(), "data checksum");
        return;
    }
    if (CutShort(in, hadReadError))
        return;
    in.EndLine();
}

void WriteTektronixRecord(OFFCOut& out)
{
    if (out.Ending()) {
        const Address start = out.StartAddress() == kNoAddress ? 0 : out.StartAddress();
        CheckAddressFits(out, start);
        RecordChecksum header(RecordChecksum::DigitSum);
        out.PutChar('/');
        out.WriteHexField(static_cast<uint32_t>(start) & kLargest16BitAddress, 2, header);
        out.WriteHexByte(0, header);
        out.WriteHexByte(static_cast<uint8_t>(header.Value()));
        out.PutLineEnd("\n");
        return;
    }
    const int32_t count = out.RecordLimit();
    CheckAddressFits(out, out.Address());

    RecordChecksum header(RecordChecksum::DigitSum);
    out.PutChar('/');
    out.WriteHexField(static_cast<uint32_t>(out.Address()) & kLargest16BitAddress, 2, header);
    out.WriteHexByte(static_cast<uint8_t>(count), header);
    out.WriteHexByte(static_cast<uint8_t>(header.Value()));

    RecordChecksum dataSum(RecordChecksum::DigitSum);
    out.WriteHexBytes(out.PendingData(), count, dataSum);
    out.WriteHexByte(static_cast<uint8_t>(dataSum.Value()));
    out.PutLineEnd();
}

void ReadSigneticsRecord(OFFCIn& in)
{
    SetEmptyRecord(in);
    if (!in.ExpectChar(':'))
        return;

    RecordChecksum headerSum(RecordChecksum::XorRotate);
    const uint8_t high = in.ReadHexByte();
    const uint8_t low = in.ReadHexByte();
    headerSum.Add(high);
    headerSum.Add(low);
    const uint8_t count = in.ReadHexByte();
    if (count == 0) {
        // The end record carries no checksums; the rest of its line is not read.
        in.EndOfRecords(true);
        return;
    }
    in.SetRecord(high * 256 + low, count);
    headerSum.Add(count);
    if (const uint8_t check = in.ReadHexByte(); check != headerSum.Value()) {
        in.BadChecksum(check, headerSum.Value(), "header checksum");
        return;
    }

    uint8_t* data = in.RecordData();
    RecordChecksum dataSum(RecordChecksum::XorRotate);
    const bool hadReadError = in.HasFlag(ffcReadError);
    in.ReadHexBytes(data, count);
    dataSum.AddBlock(data, count);
    if (const uint8_t check = in.ReadHexByte(); check != dataSum.Value()) {
        in.BadChecksum(check, dataSum.Value(), "data checksum");
        return;
    }
    if (CutShort(in, hadReadError))
        return;
    in.EndLine();
}

void WriteSigneticsRecord(OFFCOut& out)
{
    if (out.Ending()) {
        out.PutText(":000000");
        out.PutLineEnd("\n");
        return;
    }
    if (out.Address() < 0 || out.Address() > Address{kLargest16BitAddress}) {
        // The record cannot be placed; it is dropped whole, leaving no stray
        // mark that a reader would take for a broken record, and the save
        // reports it.
        out.SetFlag(ffcFormatError);
        return;
    }
    out.PutChar(':');
    const int32_t count = out.RecordLimit();

    RecordChecksum header(RecordChecksum::XorRotate);
    out.WriteHexField(static_cast<uint32_t>(out.Address()), 2, header);
    out.WriteHexByte(static_cast<uint8_t>(count), header);
    out.WriteHexByte(static_cast<uint8_t>(header.Value()));

    RecordChecksum dataSum(RecordChecksum::XorRotate);
    out.WriteHexBytes(out.PendingData(), count, dataSum);
    out.WriteHexByte(static_cast<uint8_t>(dataSum.Value()));
    out.PutLineEnd("\n");
}
