// TI-TXT, the text image of the MSP430 tools: an "@ADDR" line before each
// run of bytes, data lines of hex bytes separated by blanks (sixteen a line
// when written), and "q" at the end.

#include "formats/ffc_in.h"
#include "formats/ffc_out.h"
#include "formats/record_formats.h"
#include "settings/hex_digit.h"

#include <cstdio>

namespace {
bool IsBlank(int c) { return c == ' ' || c == '\t'; }
// Carriage returns belong to line ends, whose form a save keeps.
bool IsLineEnd(int c) { return c == '\n' || c == '\r'; }

// The "@" line: up to eight hex digits, then nothing but blanks.
void ReadAddressLine(OFFCIn& in)
{
    in.Get();
    uint64_t address = 0;
    int digits = 0;
    for (int c = in.Peek(); c >= 0 && !IsBlank(c) && !IsLineEnd(c); c = in.Peek()) {
        const int value = HexDigitValue(c);
        if (value < 0) {
            in.SetFlag(ffcReadError, BadDigitReason(c));
            in.SkipLine();
            return;
        }
        in.Get();
        address = address * 16 + static_cast<uint64_t>(value);
        ++digits;
    }
    while (IsBlank(in.Peek()))
        in.Get();
    const int next = in.Peek();
    if (digits == 0 || digits > 8 || (next >= 0 && !IsLineEnd(next))) {
        in.SetFlag(ffcFormatError, digits == 0  ? std::string("'@' without an address")
                                   : digits > 8 ? std::string("address of more than 8 digits")
                                                : CharText(next) + " after the address");
        return;
    }
    in.SetAddressBase(static_cast<Address>(address));
    in.SetExpectAddress(false);
    in.SkipLine();
}
} // namespace

void ReadTiTxtRecord(OFFCIn& in)
{
    // Lines without bytes keep the running address.
    in.SetRecord(in.GetAddress(), 0);
    for (;;) {
        while (IsBlank(in.Peek()))
            in.Get();
        const int c = in.Peek();
        if (IsLineEnd(c)) {
            in.SkipLine();
            continue;
        }
        if (c < 0) {
            // The end of the file before "q": the image may be cut short.
            in.SetFlag(ffcFormatError, "'q' missing at the end");
            return;
        }
        if (c == '@') {
            ReadAddressLine(in);
            return;
        }
        if (c == 'q' || c == 'Q') {
            // Nothing but blanks may follow it, on its line or after.
            in.Get();
            in.EndOfRecords();
            return;
        }
        break;
    }
    if (in.ExpectAddress()) {
        // Bytes before any address have no place.
        in.SetFlag(ffcFormatError, "bytes before any '@' address");
        return;
    }

    const Address base = in.AddressBase();
    uint8_t* data = in.RecordData();
    int32_t count = 0;
    // A line longer than a record goes on as the next record from where
    // this one stopped.
    while (count < OFFCIn::kRecordCapacity) {
        while (IsBlank(in.Peek()))
            in.Get();
        const int c = in.Peek();
        if (c < 0 || IsLineEnd(c))
            break;
        if (c == '@' || c == 'q' || c == 'Q') {
            in.SetFlag(ffcFormatError, CharText(c) + " among the bytes");
            return;
        }
        if (in.BufferedChars() >= 2) {
            const unsigned char second = in.BufferedData()[1];
            if (IsBlank(second) || IsLineEnd(second)) {
                // A digit alone is half a byte.
                in.SetFlag(ffcFormatError, "single hex digit");
                return;
            }
            data[count++] = in.ReadHexByte();
            continue;
        }
        const int first = in.Get();
        const int second = in.Peek();
        if (second < 0 || IsBlank(second) || IsLineEnd(second)) {
            in.SetFlag(ffcFormatError, "single hex digit");
            return;
        }
        in.Get();
        const int high = HexDigitValue(first);
        const int low = HexDigitValue(second);
        if ((high | low) < 0)
            in.SetFlag(ffcReadError, BadDigitReason(high < 0 ? first : second));
        data[count++] = (high | low) < 0 ? 0 : static_cast<uint8_t>(high * 16 + low);
    }
    if (IsLineEnd(in.Peek()))
        in.SkipLine();
    in.SetRecord(base, count);
    // Bytes past 0xFFFFFFFF get addresses beyond the space, which the
    // caller sees leave it, rather than wrapping to 0.
    in.SetAddressBase(base + count);
}

void WriteTiTxtRecord(OFFCOut& out)
{
    if (out.Ending()) {
        out.PutChar('q');
        out.PutLineEnd();
        return;
    }
    const uint32_t address = static_cast<uint32_t>(out.Address());
    const int32_t count = out.RecordLimit();
    char* p = out.BeginLine(16 + 3 * static_cast<size_t>(count) + 4);
    if (out.FirstRecord() || address != static_cast<uint32_t>(out.WrittenTo())) {
        p += std::snprintf(p, 12, "@%04X", static_cast<unsigned>(address));
        p = out.AppendLineEnd(p);
        out.SetFirstRecord(false);
    }
    p = OFFCOut::AppendHexSpaced(p, out.PendingData(), count);
    out.EndLine(out.AppendLineEnd(p));
    out.SetWrittenTo(Address{address});
    out.AdvanceWrittenTo(count);
}
