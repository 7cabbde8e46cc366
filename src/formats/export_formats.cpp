// Formats written for other tools to take in, never read: a C array for
// firmware sources, Verilog $readmemh memory images and Intel (Quartus)
// memory initialisation files, with words of one, two or four bytes. Each run of bytes without a
// gap starts where the previous one ended or under an address of its own.

#include "formats/ffc_out.h"
#include "formats/record_formats.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <string>

namespace {
// True when this record starts a run: the first one, or one after a gap.
bool StartsRun(OFFCOut& out)
{
    return out.FirstRecord() || static_cast<uint32_t>(out.Address()) != static_cast<uint32_t>(out.WrittenTo());
}

void Advance(OFFCOut& out)
{
    out.SetFirstRecord(false);
    out.SetWrittenTo(out.Address());
    out.AdvanceWrittenTo(out.RecordLimit());
}

// "0xAB, " for every byte value.
char* AppendCBytes(char* p, const uint8_t* data, int32_t count)
{
    static constexpr auto cells = [] {
        constexpr char hexDigits[] = "0123456789ABCDEF";
        std::array<char, 256 * 8> table{};
        for (int b = 0; b < 256; ++b) {
            char* cell = &table[8 * b];
            cell[0] = '0';
            cell[1] = 'x';
            cell[2] = hexDigits[b >> 4];
            cell[3] = hexDigits[b & 0x0F];
            cell[4] = ',';
            cell[5] = ' ';
        }
        return table;
    }();
    for (int32_t i = 0; i < count; ++i) {
        std::memcpy(p, &cells[8 * data[i]], 8);
        p += 6;
    }
    // No blank after the last comma.
    return count > 0 ? p - 1 : p;
}

// The record's bytes as words of `width` bytes, `bigEndian` or low byte
// first, `before` each word and `between` them; a last part word is filled
// up with erased bytes.
char* AppendWords(char* p, const uint8_t* data, int32_t count, int width, bool bigEndian, std::string_view before,
                  std::string_view between)
{
    for (int32_t i = 0; i < count; i += width) {
        if (i > 0)
            p = std::copy(between.begin(), between.end(), p);
        p = std::copy(before.begin(), before.end(), p);
        for (int k = 0; k < width; ++k) {
            const int32_t at = i + (bigEndian ? k : width - 1 - k);
            p = OFFCOut::AppendHexByte(p, at < count ? data[at] : 0xFF);
        }
    }
    return p;
}

// The array of the run starting at `start`: NAME for an image of one range,
// else NAME_0x1234.
std::string RunArrayName(const OFFCOut& out, int64_t start)
{
    std::string name(out.ArrayName());
    if (!out.SingleRange()) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, "_0x%04X", static_cast<unsigned>(start));
        name += suffix;
    }
    return name;
}

void CloseCArray(OFFCOut& out)
{
    const int64_t start = out.RunStart();
    const uint32_t length = static_cast<uint32_t>(out.WrittenTo()) - static_cast<uint32_t>(start);
    const std::string name = RunArrayName(out, start);
    char text[160];
    const std::string_view end = out.LineEnd("\n");
    out.PutText("};");
    out.PutText(end);
    std::snprintf(text, sizeof text, "#define %s_START 0x%08X", name.c_str(), static_cast<unsigned>(start));
    out.PutText(text);
    out.PutText(end);
    std::snprintf(text, sizeof text, "#define %s_LENGTH %u", name.c_str(), length);
    out.PutText(text);
    out.PutText(end);
}
} // namespace

void WriteCArrayRecord(OFFCOut& out)
{
    if (out.Ending()) {
        if (!out.FirstRecord())
            CloseCArray(out);
        return;
    }
    if (StartsRun(out)) {
        if (!out.FirstRecord()) {
            CloseCArray(out);
            out.PutText(out.LineEnd("\n"));
        }
        out.SetRunStart(out.Address());
        const int width = out.WordWidth();
        if (width > 1 && out.FirstRecord()) {
            out.PutText("#include <stdint.h>");
            out.PutLineEnd("\n");
            out.PutLineEnd("\n");
        }
        out.PutText(width == 1 ? "const unsigned char " : width == 2 ? "const uint16_t " : "const uint32_t ");
        out.PutText(RunArrayName(out, out.Address()));
        out.PutText("[] = {");
        out.PutLineEnd("\n");
    }
    const int32_t count = out.RecordLimit();
    char* p = out.BeginLine(4 + 6 * static_cast<size_t>(count) + 4);
    std::memcpy(p, "    ", 4);
    if (out.WordWidth() == 1) {
        p = AppendCBytes(p + 4, out.PendingData(), count);
    } else {
        // Element values as the target reads them from memory: low byte first.
        p = AppendWords(p + 4, out.PendingData(), count, out.WordWidth(), false, "0x", ", ");
        *p++ = ',';
    }
    out.EndLine(out.AppendLineEnd(p, "\n"));
    Advance(out);
}

void WriteVerilogRecord(OFFCOut& out)
{
    if (out.Ending())
        return;
    const int32_t count = out.RecordLimit();
    const int width = out.WordWidth();
    char* p = out.BeginLine(16 + 3 * static_cast<size_t>(count) + 4);
    if (StartsRun(out)) {
        // $readmemh addresses count words.
        p += std::snprintf(p, 12, "@%08X", static_cast<unsigned>(out.Address() / width));
        p = out.AppendLineEnd(p, "\n");
    }
    if (width == 1)
        p = OFFCOut::AppendHexSpaced(p, out.PendingData(), count);
    else
        p = AppendWords(p, out.PendingData(), count, width, true, "", " ");
    out.EndLine(out.AppendLineEnd(p, "\n"));
    Advance(out);
}

void WriteMifRecord(OFFCOut& out)
{
    const std::string_view end = out.LineEnd("\n");
    if (out.Ending()) {
        if (!out.FirstRecord()) {
            out.PutText("END;");
            out.PutText(end);
        }
        return;
    }
    const int width = out.WordWidth();
    const uint64_t depth = out.Depth() > 0 ? (static_cast<uint64_t>(out.Depth()) + width - 1) / width : 0;
    const uint64_t address = static_cast<uint32_t>(out.Address()) / width;
    const int32_t count = out.RecordLimit();
    const uint64_t words = (static_cast<uint64_t>(count) + width - 1) / width;
    // A word beyond the memory's depth cannot be initialised.
    if (address + words > depth)
        out.SetFlag(ffcFormatError);
    char text[96];
    if (out.FirstRecord()) {
        std::snprintf(text, sizeof text, "WIDTH = %d;%.*sDEPTH = %llu;%.*s", 8 * width, static_cast<int>(end.size()),
                      end.data(), static_cast<unsigned long long>(depth), static_cast<int>(end.size()), end.data());
        out.PutText(text);
        out.PutText("ADDRESS_RADIX = HEX;");
        out.PutText(end);
        out.PutText("DATA_RADIX = HEX;");
        out.PutText(end);
        out.PutText("CONTENT BEGIN");
        out.PutText(end);
        // Words the file does not name hold the erased value, as in the
        // editor; the lines after this one override it.
        if (depth > 0) {
            std::snprintf(text, sizeof text, "    [0..%llX] : %.*s;", static_cast<unsigned long long>(depth - 1),
                          2 * width, "FFFFFFFF");
            out.PutText(text);
            out.PutText(end);
        }
    }
    // One line per record: its first word's address, then its words in turn.
    char* p = out.BeginLine(24 + 3 * static_cast<size_t>(count) + 4);
    p += std::snprintf(p, 20, "    %llX : ", static_cast<unsigned long long>(address));
    if (width == 1)
        p = OFFCOut::AppendHexSpaced(p, out.PendingData(), count);
    else
        p = AppendWords(p, out.PendingData(), count, width, true, "", " ");
    *p++ = ';';
    out.EndLine(out.AppendLineEnd(p, "\n"));
    Advance(out);
}
