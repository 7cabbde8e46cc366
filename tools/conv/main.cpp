// dravel-conv: converts PROM data files between the editor's formats and
// reports on them, headless, through the same document code as the editor.

#include "checksum_option.h"
#include "combine_option.h"
#include "compare_option.h"
#include "conv_options.h"
#include "document/buffer_document.h"
#include "document/document_host.h"
#include "offset_option.h"
#include "document/export_options.h"
#include "document/lane_files.h"
#include "formats/output_size.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace {
constexpr const char* kUsage =
    "Usage: dravel-conv [options] INPUT OUTPUT\n"
    "       dravel-conv [options] --info INPUT\n"
    "       dravel-conv --checksum ALG[:FIRST-LAST] ... INPUT\n"
    "       dravel-conv [options] --interleave LANE0 LANE1 [LANE2 LANE3] OUTPUT\n"
    "       dravel-conv [options] --compare A B\n"
    "\n"
    "Reads INPUT and writes its whole address window to OUTPUT. The format of\n"
    "each file follows its name as in the editor's file types (*.s?f Motorola,\n"
    "*.int *.ext Intel, *.bin *.exe *.com *.asc binary, *.ahx ASCII HEX, *.tek\n"
    "Tektronix, *.sig Signetics, *.hex plain hex, *.mcd RCA, *.tix TI-TXT,\n"
    "anything else All files; OUTPUT also *.c, *.vmem, *.mif); when reading, the file's content is recognised as well. When\n"
    "the name or --in-key names a text format and no format is recognised in\n"
    "the content, nothing is written unless --force (the file is then read as\n"
    "binary). An empty INPUT is reported (\"INPUT: no data\").\n"
    "INPUT - reads standard input, OUTPUT - writes standard output.\n"
    "\n"
    "Options:\n"
    "  --in-key KEY    read INPUT as the file type with this key\n"
    "  --out-key KEY   write OUTPUT as the file type with this key\n"
    "                  keys: s3f ext bin ahx tek sig hex mcd tix, or \"\" for\n"
    "                  All files; for OUTPUT only also c (C array), vmem\n"
    "                  (Verilog $readmemh) and mif (Intel MIF, 8-bit words)\n"
    "  --offset N      add N to every address read from INPUT: decimal, or hex\n"
    "                  after 0x, negative after -; a byte that would land\n"
    "                  outside 0 to ffffffff stops reading with Format Error\n"
    "  --info          print size, start, last address and sum check of INPUT\n"
    "  -v, --verbose   also print the format INPUT was read in (format: NAME)\n"
    "                  and each address range a save writes (range: FIRST-LAST\n"
    "                  (N bytes)); runs of 11 or more erased bytes are gaps;\n"
    "                  and the size a binary and a plain hex output would\n"
    "                  have (binary: N bytes (from 00000000 to LAST), then\n"
    "                  plain hex: ...), since both start at 0; with --split\n"
    "                  also each lane's (lane K: ...).\n"
    "                  With a conversion these lines go to standard error.\n"
    "  --force         write OUTPUT even when reading INPUT or writing OUTPUT\n"
    "                  reported errors (otherwise OUTPUT is left as it was),\n"
    "                  and a binary or plain hex OUTPUT or lane holding more\n"
    "                  than 256 MiB (\"OUTPUT would hold N bytes (from\n"
    "                  00000000 to LAST); use --force\", exit status 2)\n"
    "  --record-size N data bytes per record (per line for ASCII HEX, RCA,\n"
    "                  plain hex, tix, c, vmem and mif); default 32 (16 for\n"
    "                  tix, c, vmem and mif), at most 255 (S3 250, S2 251,\n"
    "                  S1 252); not for binary output\n"
    "  --srec-type T   Motorola output only: 3 (the default) writes S3 records\n"
    "                  and S7, 2 writes S2 and S8, 1 writes S1 and S9; auto\n"
    "                  takes the smallest type that holds the highest address\n"
    "  --ihex-type T   Intel output only: 04 (the default) writes extended\n"
    "                  linear address records, 02 extended segment address\n"
    "                  records (up to address fffff); auto takes 02 when it\n"
    "                  reaches the highest address, else 04\n"
    "  --line-end E    crlf or lf for every line; by default each format's own\n"
    "                  (CR LF; LF for Signetics, the Tektronix end record and\n"
    "                  the c, vmem and mif output)\n"
    "  --checksum ALG[:FIRST-LAST]\n"
    "                  print \"NAME FIRST-LAST VALUE\" for the checksum ALG over\n"
    "                  FIRST-LAST (hexadecimal, inclusive; default the whole\n"
    "                  window), erased bytes counting as FF; may be repeated.\n"
    "                  After the info line with --info; on standard error when\n"
    "                  OUTPUT is -. --checksum list names the algorithms\n"
    "  --checksum-write ALG:ADDR[:FIRST-LAST][:le|be]\n"
    "                  write the checksum into OUTPUT at ADDR, low byte first\n"
    "                  (le, the default) or high byte first (be); may be\n"
    "                  repeated, each over the bytes the previous ones left\n"
    "  --interleave    merge the inputs (INPUT and the files after it, OUTPUT\n"
    "                  last) as 2 or 4 byte lanes, in the order given\n"
    "  --lane-width W  bytes each lane takes in turn with --interleave: 1 or 2\n"
    "  --split N[xW]   write N lanes (2 or 4) of W bytes (1 or 2) instead of\n"
    "                  OUTPUT: NAME.even.EXT and NAME.odd.EXT for 2, else\n"
    "                  NAME.0.EXT ...; lane addresses are divided by N. Lane\n"
    "                  files that exist are replaced only with --force. With\n"
    "                  -v --info it only says what each lane would hold\n"
    "  --swap 16|32    swap the bytes of each 16- or 32-bit word of the window\n"
    "  --overlay FILE[@OFFSET]  lay FILE's bytes (moved by OFFSET, 0x for hex)\n"
    "                  over INPUT's; repeatable. Erased bytes (FF) never count\n"
    "  --overlap P     where both hold written bytes: error (the default; the\n"
    "                  ranges are listed and nothing is written), keep the\n"
    "                  earlier bytes, or replace them with the later\n"
    "  --compare       compare the images of A and B, each file recognised on\n"
    "                  its own: one line FIRST-LAST (N bytes) per range where\n"
    "                  they differ (erased 0xFF bytes equal unwritten ones);\n"
    "                  with -v also the first 16 bytes of each range from A\n"
    "                  and B (-- where the file has no byte) and a total.\n"
    "                  Exit status 0 equal, 1 different, 2 trouble, as cmp\n"
    "  --in-key-b KEY  read B as this file type (--in-key applies to both)\n"
    "  --help          show this text\n"
    "  --              ends the options: every later argument is a file name\n"
    "\n"
    "Messages go to standard error; errors in INPUT name its line, as in\n"
    "\"dravel-conv: fw.int:37: Checksum Error\".\n"
    "Exit status: 0 when nothing was reported; 1 when reading or writing\n"
    "reported an error or INPUT was not recognised (also with --force, which\n"
    "writes OUTPUT all the same); 2 on wrong usage: unknown options or keys,\n"
    "contradictory options, a record size of 0 or above the format's limit,\n"
    "an S-record type too small for the highest address, a binary or plain\n"
    "hex OUTPUT or lane of more than 256 MiB without --force, an unknown\n"
    "checksum, a checksum range outside the window or a result past the\n"
    "address space. Nothing is written on wrong usage.\n";

// A file name as messages show it: control characters as \xNN, so that a
// name cannot move the cursor or change the terminal's colours.
std::string Quoted(std::string_view text, bool keepLineFeeds = false)
{
    std::string shown;
    for (unsigned char c : text) {
        if ((c < 0x20 && !(keepLineFeeds && c == '\n')) || c == 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02x", c);
            shown += hex;
        } else {
            shown += static_cast<char>(c);
        }
    }
    return shown;
}

// Prints what the document reports and answers every question with its
// default; nothing here waits for a user.
class ConsoleHost : public DocumentHost {
public:
    int MessageBox(std::string_view text, std::string_view caption, int style) override
    {
        const std::string shown = Quoted(text, true);
        std::fprintf(stderr, "%.*s: %s\n", static_cast<int>(caption.size()), caption.data(), shown.c_str());
        ++reported;
        return (style & mbYesNoCancel) ? idCancel : idOk;
    }
    // "dravel-conv: fw.int:37: Checksum Error": the place, as compilers give it.
    void ReportReadError(std::string_view text, std::string_view, const std::string& path, uint32_t line) override
    {
        const std::string name = Quoted(path);
        if (line > 0)
            std::fprintf(stderr, "dravel-conv: %s:%lu: %.*s\n", name.c_str(), static_cast<unsigned long>(line),
                         static_cast<int>(text.size()), text.data());
        else
            std::fprintf(stderr, "dravel-conv: %s: %.*s\n", name.c_str(), static_cast<int>(text.size()),
                         text.data());
        ++reported;
    }
    // "dravel-conv: out.int: write error: No space left on device".
    void ReportWriteError(std::string_view, std::string_view, const std::string& path,
                          const std::string& reason) override
    {
        std::fprintf(stderr, "dravel-conv: %s: write error: %s\n", Quoted(path).c_str(),
                     reason.empty() ? "unknown reason" : reason.c_str());
        ++reported;
    }
    void SetWaitCursor(bool) override {}
    void ShowBusyWindow(std::string_view, std::string_view) override {}
    void HideBusyWindow() override {}
    void ProcessPendingEvents() override {}
    bool RequestNewBufferRange(AddressRequest&) override { return false; }
    bool ChooseFileToInsert(std::string&, std::string&) override { return false; }
    bool ChooseSaveTarget(std::string&, std::string&) override { return false; }

    int reported = 0;
};

int UsageError(const std::string& problem)
{
    std::fprintf(stderr, "dravel-conv: %s\n\n%s", Quoted(problem).c_str(), kUsage);
    return 2;
}

// The lanes' shared window, for each lane's image size.
Address LaneEnd(const OBufferDocument& document, LaneShape shape)
{
    Address first, count;
    LaneWindow(document.Start(), document.Size(), shape, first, count);
    return first + count;
}

// The format the file was read in, the ranges a save writes and the size of
// each output that follows the span.
void PrintReadDetails(FILE* to, OBufferDocument& document, FileFormat keyFormat, const ConvOptions& options)
{
    const FileFormat format = document.ReadFormat();
    if (format == ffBinary && keyFormat != ffBinary)
        std::fprintf(to, "format: binary (no format recognised)\n");
    else
        std::fprintf(to, "format: %s\n", FormatName(format));
    for (const OBufferDocument::SavedRange& range : document.SavedRanges())
        std::fprintf(to, "range: %08lx-%08lx (%lu bytes)\n", static_cast<unsigned long>(range.first),
                     static_cast<unsigned long>(range.last),
                     static_cast<unsigned long>(range.last - range.first + 1));
    std::fprintf(to, "binary: %s\n", ImageSizeText(document.End()).c_str());
    std::fprintf(to, "plain hex: %s\n", ImageSizeText(document.End()).c_str());
    for (int k = 0; k < options.split.lanes; ++k)
        std::fprintf(to, "lane %d: %s\n", k, ImageSizeText(LaneEnd(document, options.split)).c_str());
}

// Outputs whose size follows the span are refused before anything is
// written when they would be giant: a few bytes high up make gigabytes.
bool RefuseGiantOutputs(const ConvOptions& options, const OBufferDocument& document)
{
    const FileFormat format = FormatFromKey(options.outKey);
    std::vector<std::string> names{options.output};
    Address end = document.End();
    if (options.split.lanes != 0) {
        names = LaneFileNames(options.output, options.split);
        end = LaneEnd(document, options.split);
    }
    bool refused = false;
    for (const std::string& name : names)
        if (const std::string problem = OutputSizeProblem(Quoted(name), format, end); !problem.empty()) {
            std::fprintf(stderr, "dravel-conv: %s\n", problem.c_str());
            refused = true;
        }
    return refused;
}
} // namespace

int main(int argc, char** argv)
{
    ConvOptions options;
    if (std::string problem = ParseConvOptions(argc - 1, argv + 1, options); !problem.empty())
        return UsageError(problem);
    if (options.help) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (options.checksumList) {
        PrintChecksumList(stdout);
        return 0;
    }
    const std::string& input = options.input;
    const std::string& output = options.output;

    ConsoleHost host;
    if (options.compare)
        return RunCompare(options, host, host.reported);
    // No settings file: the sum check stays off and is counted on request.
    OBufferDocument document(host, std::string(), options.inKey);
    document.SetLoadOffset(options.offset);
    if (!(options.interleave ? ReadLanes(host, host.reported, options, document) : document.Open(input)))
        return 1;
    // A text file that fits no format was read byte for byte: most likely
    // damaged or misnamed, and its "conversion" would be garbage.
    const FileFormat keyFormat = FormatFromKey(options.inKey);
    if (document.ReadNothing()) {
        // Nothing in, nothing to convert: a one-byte image made up of the
        // erased value would pass for a result.
        std::fprintf(stderr, "dravel-conv: %s: no data\n", Quoted(input).c_str());
        ++host.reported;
    } else if (keyFormat != ffUnknown && keyFormat != ffBinary && document.ReadFormat() == ffBinary) {
        std::fprintf(stderr, "dravel-conv: %s: not recognised as %s; read as binary\n", Quoted(input).c_str(),
                     FormatName(keyFormat));
        ++host.reported;
    }
    if (const int status = CombineImages(host, host.reported, options, document); status != 0)
        return status;
    const bool loadReported = host.reported != 0;

    if (options.report) {
        if (options.info)
            std::printf("size (%08lu dec) start (%08lx hex) end (%08lx hex) sum check (%08lx hex)\n",
                        static_cast<unsigned long>(document.Size()), static_cast<unsigned long>(document.Start()),
                        static_cast<unsigned long>(document.End() - 1),
                        static_cast<unsigned long>(document.SumWindow()));
        if (int status = RunChecksumOptions(document, options, stdout); status != 0)
            return status;
        if (options.verbose)
            PrintReadDetails(stdout, document, keyFormat, options);
        return loadReported ? 1 : 0;
    }
    if (options.verbose)
        PrintReadDetails(stderr, document, keyFormat, options);
    if (loadReported && !options.force) {
        std::fprintf(stderr, "dravel-conv: %s not written\n", Quoted(output).c_str());
        return 1;
    }

    // Results written into the image may widen its window.
    if (int status = RunChecksumOptions(document, options, output == "-" ? stderr : stdout); status != 0)
        return status;
    if (!options.force && RefuseGiantOutputs(options, document))
        return 2;
    if (options.split.lanes != 0)
        return WriteSplit(host, host.reported, options, document);
    WriterOptions writer;
    writer.recordSize = options.recordSize;
    writer.lineEnd = options.lineEnd;
    if (FormatFromKey(options.outKey) == ffMotorola) {
        const std::string problem =
            ChooseSRecordAddressBytes(options, document.End() - 1, writer.srecAddressBytes);
        if (!problem.empty())
            return UsageError(problem + " (of " + Quoted(input) + ")");
    }
    if (FormatFromKey(options.outKey) == ffIntel) {
        const std::string problem =
            ChooseIntelAddressRecord(options, static_cast<uint32_t>(document.End() - 1), writer.intelAddressRecord);
        if (!problem.empty())
            return UsageError(problem + " (of " + input + ")");
    }
    std::string arrayName;
    const std::string notice = PrepareExport(document, FormatFromKey(options.outKey), output, writer, arrayName);
    if (!notice.empty())
        std::fprintf(stderr, "dravel-conv: %s\n", notice.c_str());
    document.SetWriterOptions(writer);
    document.SetPath(output);
    document.SetSaveAllOrNothing(!options.force);
    document.SetFormatKey(options.outKey);
    if (!document.Commit(true) || host.reported != 0)
        return 1;
    return 0;
}
