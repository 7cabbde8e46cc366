#include "option_table.h"

#ifndef DRAVEL_VERSION
#define DRAVEL_VERSION "1.0.0"
#endif

namespace {
constexpr const char* kHelpHead =
    "Usage: dravel-conv [options] INPUT OUTPUT\n"
    "       dravel-conv [options] --info INPUT\n"
    "       dravel-conv --checksum ALG[:FIRST-LAST] ... INPUT\n"
    "       dravel-conv [options] --interleave LANE0 LANE1 [LANE2 LANE3] OUTPUT\n"
    "       dravel-conv [options] --compare A B\n"
    "\n"
    "Reads INPUT and writes exactly the bytes it held to OUTPUT: every byte a\n"
    "record gave (FF included) and no byte that none gave; a binary OUTPUT is\n"
    "the whole image from 0, holes filled with FF. INPUT is recognised by its\n"
    "content; its name or --in-key says which format is tried first (*.s?f\n"
    "*.s19 *.s28 *.s37 *.srec *.mot Motorola, *.int *.ext *.ihx *.mcs Intel,\n"
    "*.bin *.exe *.com *.asc binary, *.ahx ASCII HEX, *.tek Tektronix, *.sig\n"
    "Signetics, *.hex plain hex, *.mcd RCA, *.tix TI-TXT). When the name or\n"
    "--in-key names a text format and the content fits none, nothing is\n"
    "written unless --force (the file is then read as binary). An empty INPUT\n"
    "is reported (\"INPUT: no data\").\n"
    "An ELF file (*.elf *.axf *.out, or any name: it is known by its first\n"
    "bytes) is read as objcopy -O ihex reads it: every allocated section with\n"
    "contents at its load address, the entry point as start address. ELF is\n"
    "read only; a file without such sections is reported (\"no loadable\n"
    "data\").\n"
    "OUTPUT's format follows its name: .hex .ihx .ihex .mcs .h86 .int .ext\n"
    "Intel HEX; .s19 (S1) .s28 (S2) .s37 (S3) .srec .mot .mhx .s (the type\n"
    "by the highest address) and .s?f (S3) Motorola; .bin .img .rom .raw .exe\n"
    ".com .asc binary; .ahx .tek .sig .mcd .tix .c .vmem .mif as their keys.\n"
    "Plain hex only with --out-key hex; any other name needs --out-key.\n"
    "INPUT - reads standard input, OUTPUT - writes standard output (with\n"
    "--out-key).\n"
    "\n"
    "The steps run in this order: read INPUT (with --offset), lay each\n"
    "--overlay, --crop and --exclude, --move-to, --fill, --generate, --put,\n"
    "--swap, each --checksum-write, then OUTPUT or --split. Ranges are\n"
    "FIRST-LAST, inclusive, in hexadecimal with or without 0x; the steps after\n"
    "--move-to name the moved addresses.\n"
    "\n"
    "Options:\n";

constexpr const char* kHelpTail =
    "\n"
    "Messages go to standard error; errors in INPUT name its line, as in\n"
    "\"dravel-conv: fw.int:37: Checksum Error\".\n"
    "Exit status: 0 when nothing was reported; 1 when reading or writing\n"
    "reported an error or INPUT was not recognised (also with --force, which\n"
    "writes OUTPUT all the same); 2 on wrong usage: unknown options or keys,\n"
    "contradictory options, wrong values, an OUTPUT name that tells no format,\n"
    "a record size of 0 or above the format's limit, an S-record type too\n"
    "small for the highest address, a binary OUTPUT of more than 256 MiB\n"
    "without --force, an unknown checksum or a result past the address space,\n"
    "--move-to on an empty image. Nothing is written on wrong usage.\n";

// Every option, in the order --help lists them.
const std::vector<ConvOptionRow> kRows = {
    {"--in-key", nullptr, "KEY", "read INPUT as the file type with this key"},
    {"--out-key", nullptr, "KEY",
     "write OUTPUT as the file type with this key\n"
     "keys: s3f ext bin ahx tek sig hex mcd tix, or \"\" for\n"
     "All files; for INPUT only also elf; for OUTPUT only\n"
     "also c (C array), vmem (Verilog $readmemh) and mif\n"
     "(Intel MIF)"},
    {"--offset", nullptr, "N",
     "add N to every address read from INPUT: decimal, or hex\n"
     "after 0x, negative after -; a byte that would land\n"
     "outside 0 to ffffffff stops reading with Format Error"},
    {"--info", nullptr, nullptr, "print size, start, last address and sum check of INPUT"},
    {"--verbose", "-v", nullptr,
     "also print the format INPUT was read in (format: NAME),\n"
     "the start address INPUT gives, if any (start address\n"
     "08000A81; a file with several gives the last)\n"
     "and each address range OUTPUT holds (range: FIRST-LAST\n"
     "(N bytes), then an ELF file's sections in it);\n"
     "and the size a binary output would have (binary: N bytes\n"
     "(from 00000000 to LAST)), since binary starts at 0.\n"
     "With a conversion these lines go to standard error."},
    {"--erased-gaps", nullptr, nullptr,
     "write as the editor saves: runs of 11 or more erased\n"
     "bytes left out, shorter holes written as FF (--split\n"
     "and --interleave output always is)"},
    {"--force", nullptr, nullptr,
     "write OUTPUT even when reading INPUT or writing OUTPUT\n"
     "reported errors (otherwise OUTPUT is left as it was),\n"
     "and a binary OUTPUT of more than 256 MiB"},
    {"--record-size", nullptr, "N",
     "data bytes per record (per line for ASCII HEX, RCA,\n"
     "plain hex, tix, c, vmem and mif); default 32 (16 for\n"
     "tix, c, vmem and mif), at most 255 (S3 250, S2 251,\n"
     "S1 252); not for binary output. Without it, OUTPUT in\n"
     "INPUT's format keeps INPUT's record size"},
    {"--srec-type", nullptr, "T",
     "Motorola output only: 3 (the default) writes S3 records\n"
     "and S7, 2 writes S2 and S8, 1 writes S1 and S9; auto\n"
     "takes the smallest type that holds the highest address"},
    {"--ihex-type", nullptr, "T",
     "Intel output only: 04 (the default) writes extended\n"
     "linear address records, 02 extended segment address\n"
     "records (up to address fffff); auto takes 02 when it\n"
     "reaches the highest address, else 04"},
    {"--line-end", nullptr, "E",
     "crlf or lf for every line; by default INPUT's when\n"
     "OUTPUT has INPUT's format, else each format's own\n"
     "(CR LF; LF for Signetics, the Tektronix end record and\n"
     "the c, vmem and mif output)"},
    {"--word-width", nullptr, "W",
     "vmem, mif and c output: 1, 2 or 4 bytes a word, the\n"
     "lowest address the most significant byte (default 1)"},
    {"--crop", nullptr, "FIRST-LAST",
     "keep only the data inside these ranges; repeatable"},
    {"--exclude", nullptr, "FIRST-LAST", "drop the data of this range; repeatable"},
    {"--move-to", nullptr, "ADDR", "move the image so that its lowest data address is ADDR"},
    {"--fill", nullptr, "BYTE[:FIRST-LAST]",
     "give BYTE to every address of the range that holds no\n"
     "data (default: the holes between the image's first and\n"
     "last byte); repeatable"},
    {"--generate", nullptr, "FIRST-LAST:HEXBYTES",
     "write the bytes HEXBYTES repeated over the range;\n"
     "repeatable"},
    {"--put", nullptr, "ADDR:VALUE:WIDTH[:le|be]",
     "write the hexadecimal VALUE in WIDTH (1, 2, 4 or 8)\n"
     "bytes at ADDR, low byte first (le, the default) or high\n"
     "byte first (be); repeatable"},
    {"--checksum", nullptr, "ALG[:FIRST-LAST]",
     "print \"NAME FIRST-LAST VALUE\" for the checksum ALG over\n"
     "FIRST-LAST (any range of the address space; default the\n"
     "whole window), addresses without data counting as FF;\n"
     "may be repeated. After the info line with --info; on\n"
     "standard error when OUTPUT is -. --checksum list names\n"
     "the algorithms"},
    {"--checksum-write", nullptr, "ALG:ADDR[:FIRST-LAST][:le|be]",
     "write the checksum into OUTPUT at ADDR, low byte first\n"
     "(le, the default) or high byte first (be); may be\n"
     "repeated, each over the bytes the previous ones left,\n"
     "its result data; addresses without data count as FF"},
    {"--interleave", nullptr, nullptr,
     "merge the inputs (INPUT and the files after it, OUTPUT\n"
     "last) as 2 or 4 byte lanes, in the order given"},
    {"--lane-width", nullptr, "W", "bytes each lane takes in turn with --interleave: 1 or 2"},
    {"--split", nullptr, "N[xW]",
     "write N lanes (2 or 4) of W bytes (1 or 2) instead of\n"
     "OUTPUT: NAME.even.EXT and NAME.odd.EXT for 2, else\n"
     "NAME.0.EXT ...; lane addresses are divided by N. Lane\n"
     "files that exist are replaced only with --force; all\n"
     "lanes are written or none"},
    {"--swap", nullptr, "16|32", "swap the bytes of each 16- or 32-bit word of the window"},
    {"--overlay", nullptr, "FILE[@OFFSET]",
     "lay FILE's bytes (moved by OFFSET, 0x for hex, - below)\n"
     "over INPUT's; repeatable. Bytes that agree never count"},
    {"--overlap", nullptr, "P",
     "where both hold differing bytes: error (the default; the\n"
     "ranges are listed and nothing is written), keep the\n"
     "earlier bytes, or replace them with the later (FF too)"},
    {"--compare", nullptr, nullptr,
     "compare the images of A and B, each file recognised on\n"
     "its own: one line FIRST-LAST (N bytes) per range where\n"
     "they differ (erased 0xFF bytes equal unwritten ones);\n"
     "with -v also the first 16 bytes of each range from A\n"
     "and B (-- where the file has no byte) and a total.\n"
     "Exit status 0 equal, 1 different, 2 trouble, as cmp"},
    {"--in-key-b", nullptr, "KEY", "read B as this file type (--in-key applies to both)"},
    {"--help", "-h", nullptr, "show this text"},
    {"--version", nullptr, nullptr, "show the version"},
};
} // namespace

const std::vector<ConvOptionRow>& ConvOptionTable() { return kRows; }

const ConvOptionRow* FindConvOption(std::string_view name)
{
    for (const ConvOptionRow& row : kRows)
        if (name == row.name || (row.shortName && name == row.shortName))
            return &row;
    return nullptr;
}

void PrintConvHelp(FILE* to)
{
    std::fputs(kHelpHead, to);
    constexpr size_t kHelpColumn = 18;
    for (const ConvOptionRow& row : kRows) {
        std::string head = "  ";
        if (row.shortName)
            head += std::string(row.shortName) + ", ";
        head += row.name;
        if (row.argument)
            head += std::string(" ") + row.argument;
        std::string_view help = row.help;
        bool first = true;
        if (head.size() + 1 > kHelpColumn) {
            std::fprintf(to, "%s\n", head.c_str());
            head.clear();
        }
        while (!help.empty() || first) {
            const size_t end = help.find('\n');
            const std::string_view line = help.substr(0, end);
            std::fprintf(to, "%-*s%.*s\n", static_cast<int>(kHelpColumn), first ? head.c_str() : "",
                         static_cast<int>(line.size()), line.data());
            help = end == std::string_view::npos ? std::string_view() : help.substr(end + 1);
            first = false;
        }
    }
    std::fputs("  --              ends the options: every later argument is a file name\n", to);
    std::fputs(kHelpTail, to);
}

void PrintConvVersion(FILE* to) { std::fputs("dravel-conv (Dravel 97) " DRAVEL_VERSION "\n", to); }

std::string NormaliseConvArguments(int argc, const char* const* argv, std::vector<std::string>& out)
{
    for (int i = 0; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--") {
            out.insert(out.end(), argv + i, argv + argc);
            return {};
        }
        // "-" is standard input or output, "" a (bad) name: both go to the parser.
        if (arg.size() < 2 || arg[0] != '-') {
            out.push_back(arg);
            continue;
        }
        const size_t eq = arg.rfind("--", 0) == 0 ? arg.find('=') : std::string::npos;
        const std::string name = arg.substr(0, eq);
        const ConvOptionRow* row = FindConvOption(name);
        if (!row)
            return "unrecognized option '" + name + "'";
        if (!row->argument && eq != std::string::npos)
            return "option '" + name + "' doesn't allow an argument";
        out.push_back(name);
        if (!row->argument)
            continue;
        if (eq != std::string::npos)
            out.push_back(arg.substr(eq + 1));
        else if (i + 1 < argc)
            out.push_back(argv[++i]);
        else
            return "option '" + name + "' requires an argument";
    }
    return {};
}
