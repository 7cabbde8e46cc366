// Plain hex and binary images: bytes without addresses, the first at
// address 0. The writers fill gaps with the erased value 0xFF.

#include "formats/ffc_in.h"
#include "formats/ffc_out.h"
#include "formats/record_formats.h"

#include <algorithm>
#include <array>

namespace {
// Images carry no addresses: a file of more than 4 GiB runs its addresses
// past the space, where the caller stops; the 64-bit sum cannot overflow.
Address NextImageBase(Address base, int32_t count) { return base + count; }

// Gaps of a binary image are written a block at a time.
constexpr size_t kErasedBlock = 64 * 1024;
} // namespace

void ReadPlainHexRecord(OFFCIn& in)
{
    const Address base = in.AddressBase();
    uint8_t* data = in.RecordData();
    int32_t count = 0;
    auto endLine = [&] {
        in.SetRecord(base, count);
        in.SetAddressBase(NextImageBase(base, count));
    };
    for (;;) {
        int c = in.Peek();
        if (c == '\n') {
            endLine();
            in.SkipLine();
            return;
        }
        if (count == OFFCIn::kRecordCapacity) {
            // The line is too long: deliver what fits and go on with the
            // rest of the line as the next record.
            in.SetFlag(ffcReadError, "line longer than 256 bytes");
            endLine();
            return;
        }
        if (c == '\r') {
            in.Get();
            endLine();
            // A carriage return alone ends the line too; skipping on to the
            // next line feed would silently swallow the following line.
            if (in.Peek() == '\n')
                in.SkipLine();
            return;
        }
        if (c < 0) {
            if (count == 0)
                in.SetFlag(ffcEndOfData);
            endLine();
            return;
        }
        data[count++] = in.ReadHexByte();
    }
}

void WritePlainHexRecord(OFFCOut& out)
{
    if (out.Ending())
        return;
    Address written = out.WrittenTo();
    int pairs = 0;
    while (written < out.Address()) {
        out.PutText("FF");
        ++written;
        if (++pairs % 40 == 0)
            out.PutLineEnd();
    }
    // The rest of the fill shares the data's line while the reader can take
    // the line whole; with long records it gets a line of its own.
    if (pairs % 40 + out.RecordLimit() > OFFCOut::MaxRecordSize(ffPlainHex))
        out.PutLineEnd();
    const uint8_t* data = out.PendingData();
    for (int32_t i = 0; i < out.RecordLimit(); ++i)
        out.WriteHexByte(data[i]);
    out.SetWrittenTo(written);
    out.AdvanceWrittenTo(out.RecordLimit());
    out.PutLineEnd();
}

void ReadBinaryRecord(OFFCIn& in)
{
    const Address base = in.AddressBase();
    uint8_t* data = in.RecordData();
    const int32_t count = in.ReadBlock(data, OFFCIn::kRecordCapacity);
    if (count == 0)
        in.SetFlag(ffcEndOfData);
    in.SetRecord(base, count);
    in.SetAddressBase(NextImageBase(base, count));
}

void WriteBinaryRecord(OFFCOut& out)
{
    if (out.Ending())
        return;
    static const std::array<char, kErasedBlock> erased = [] {
        std::array<char, kErasedBlock> block;
        block.fill('\xFF');
        return block;
    }();
    Address written = out.WrittenTo();
    while (written < out.Address()) {
        const Address n = std::min<Address>(out.Address() - written, erased.size());
        out.Stream().WriteBlock(erased.data(), static_cast<size_t>(n));
        written += n;
    }
    out.Stream().WriteBlock(out.PendingData(), static_cast<size_t>(out.RecordLimit()));
    out.SetWrittenTo(written);
    out.AdvanceWrittenTo(out.RecordLimit());
}
