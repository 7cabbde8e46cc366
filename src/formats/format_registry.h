#pragma once
// Every file format the program knows, one row each: its key, its names,
// the file names it goes by, its record limits and what it can carry.
// Recognition, the converter's naming, the editor's file types, the
// round-trip tests and the fuzz targets all read this table, so a new
// format is one new row.

#include "formats/file_format.h"

#include <string>
#include <string_view>
#include <vector>

enum class FormatUse {
    ReadWrite,
    ExportOnly, // written for other tools, never read back
    ReadOnly,   // read as an input only
};

struct FormatRow {
    // What --in-key/--out-key and the editor's templates name it by.
    const char* key;
    FileFormat format;
    // The editor's file type ("Intel") and the name in messages ("Intel HEX").
    const char* title;
    const char* name;
    // The editor's patterns, ";"-separated; what its file types match.
    const char* patterns;
    // Further names the converter writes in this format (never read by
    // name: recognition decides on input).
    const char* outputPatterns;
    // Further keys that name the same format ("s19"); for the formats of
    // words, the key with the word's bits ("vmem32").
    const char* aliases;
    // Widest address a file can hold: 16, 24 or 32 bits; 0 for images
    // without addresses (their first byte is address 0).
    int addressBits;
    // Whether the file can hold a start (execution) address, and whether a
    // writer chooses the size of its records or lines.
    bool startAddress;
    bool recordShape;
    // Data bytes per record by default and at most (0 for no records).
    int defaultRecord;
    int maxRecord;
    FormatUse use;
    // Place in content recognition's order of trials (1 first); 0 for
    // formats that are never recognised by content.
    int recognitionOrder;
};

inline constexpr FormatRow kFormatRows[] = {
    {"s3f", ffMotorola, "Motorola", "Motorola S-records", "*.s?f", "*.s19;*.s28;*.s37;*.srec;*.mot;*.mhx;*.s",
     "s1f;s2f;s19", 32, true, true, 32, 250, FormatUse::ReadWrite, 1},
    {"ext", ffIntel, "Intel", "Intel HEX", "*.int;*.ext", "*.hex;*.ihx;*.ihex;*.mcs;*.h86", "int", 32, true,
     true, 32, 255, FormatUse::ReadWrite, 2},
    {"bin", ffBinary, "Binary", "binary", "*.bin;*.exe;*.com;*.asc", "*.img;*.rom;*.raw", "", 0, false, false, 32, 0,
     FormatUse::ReadWrite, 0},
    {"ahx", ffAsciiHex, "ASCII HEX", "ASCII HEX", "*.ahx", "", "", 16, false, true, 32, 255, FormatUse::ReadWrite,
     3},
    {"tek", ffTektronix, "Tektronix", "Tektronix", "*.tek", "", "", 16, true, true, 32, 255, FormatUse::ReadWrite,
     4},
    {"sig", ffSignetics, "Signetics", "Signetics", "*.sig", "", "", 16, false, true, 32, 255, FormatUse::ReadWrite,
     5},
    // Plain hex is a file type of the editor; the converter writes it only
    // when asked by key, since ".hex" means Intel HEX everywhere else.
    {"hex", ffPlainHex, "HEX Files", "plain hex", "*.hex", "", "", 0, false, true, 32, 255, FormatUse::ReadWrite,
     7},
    {"mcd", ffRca, "RCA Development", "RCA development", "*.mcd", "", "", 16, false, true, 32, 255,
     FormatUse::ReadWrite, 6},
    {"tix", ffTiTxt, "TI-TXT", "TI-TXT", "*.tix", "", "", 32, false, true, 16, 255, FormatUse::ReadWrite, 8},
    {"c", ffCArray, "C array", "C array", "*.c", "", "c8;c16;c32", 32, false, true, 16, 255, FormatUse::ExportOnly, 0},
    {"vmem", ffVerilog, "Verilog memory", "Verilog memory", "*.vmem", "", "vmem8;vmem16;vmem32", 32, false, true, 16, 255,
     FormatUse::ExportOnly, 0},
    {"mif", ffMif, "Intel MIF", "Intel MIF", "*.mif", "", "mif8;mif16;mif32", 32, false, true, 16, 255, FormatUse::ExportOnly,
     0},
    // ELF is known by its first bytes before any trial, whatever the name.
    {"elf", ffElf, "ELF files", "ELF", "*.elf;*.axf;*.out", "", "", 32, true, false, 0, 0, FormatUse::ReadOnly, 0},
};

// The row of a format; null for ffUnknown.
const FormatRow* FormatRowOf(FileFormat format);
// The row whose key or alias is `key`, ignoring case; null when none.
const FormatRow* FormatRowForKey(std::string_view key);

// True when any ";"-separated pattern of `patterns` matches the last path
// component of `fileName` (name part and extension each, ignoring case; "*"
// takes the rest of its part, "?" exactly one character).
bool NamePatternMatches(std::string_view patterns, std::string_view fileName);

// The format a converter output named `fileName` is written in: the key,
// and for Motorola the S-record type the name fixes (1, 2, 3; 0 for the
// type by the highest address; -1 when the name leaves it open). An empty
// key when the name tells nothing (plain hex is never chosen by name).
struct OutputNaming {
    std::string key;
    int srecType = -1;
};
OutputNaming OutputFormatForName(std::string_view fileName);

// Bytes a word of output written with `key`: 2 for "vmem16", 4 for
// "mif32", otherwise 1.
int KeyWordWidth(std::string_view key);

// The formats content recognition tries, in its order.
std::vector<FileFormat> RecognitionOrder();
