// dravel-conv: converts PROM data files between the editor's formats and
// reports on them, headless, through the same document code as the editor.

#include "checksum_option.h"
#include "combine_option.h"
#include "compare_option.h"
#include "conv_options.h"
#include "document/buffer_document.h"
#include "document/document_host.h"
#include "conv_messages.h"
#include "image_option.h"
#include "document/elf_details.h"
#include "offset_option.h"
#include "option_table.h"
#include "document/export_options.h"
#include "document/image_steps.h"
#include "formats/format_registry.h"
#include "view/memory_info.h"
#include "document/lane_files.h"
#include "formats/output_size.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace {
// Prints what the document reports and answers every question with its
// default; nothing here waits for a user.
class ConsoleHost : public DocumentHost {
public:
    int MessageBox(std::string_view text, std::string_view caption, int style) override
    {
        // Captions may be a document's title, which is its file's name.
        std::fprintf(stderr, "%s: %s\n", Quoted(caption).c_str(), Quoted(text, true).c_str());
        ++reported;
        return (style & mbYesNoCancel) ? idCancel : idOk;
    }
    // "dravel-conv: fw.int:37: Checksum Error: checksum 3A, expected 3B": the
    // place, as compilers give it, and the reason.
    void ReportReadError(std::string_view text, std::string_view, const std::string& path, uint32_t line,
                         std::string_view reason) override
    {
        std::string place = Quoted(path);
        if (line > 0)
            place += ":" + std::to_string(line);
        ReportProblem("%s: %.*s%s%.*s", place.c_str(), static_cast<int>(text.size()), text.data(),
                      reason.empty() ? "" : ": ", static_cast<int>(reason.size()), reason.data());
        ++reported;
    }
    std::string LoadOffsetName() const override { return "--offset"; }
    // "dravel-conv: out.int: write error: No space left on device".
    void ReportWriteError(std::string_view, std::string_view, const std::string& path,
                          const std::string& reason) override
    {
        ReportProblem("%s: write error: %s", Quoted(path).c_str(),
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

// One line and the way to the help, as GNU tools answer a wrong command line.
int UsageError(const std::string& problem)
{
    ReportProblem("%s", problem.c_str());
    std::fputs("Try 'dravel-conv --help'.\n", stderr);
    return 2;
}

// A step that cannot run: one line, and nothing is written.
int StepError(const std::string& problem)
{
    ReportProblem("%s; nothing written", Quoted(problem).c_str());
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
    if (document.StartAddress() != kNoAddress)
        std::fprintf(to, "%s%s\n", StartAddressText(document.StartAddress()).c_str(),
                     document.StartAddressesDiffered() ? " (the last of several different ones in the file)" : "");
    const ElfInfo* elf = document.Elf();
    for (const OBufferDocument::SavedRange& range : document.SavedRanges()) {
        // An ELF file's ranges name their sections after the numbers.
        const std::string names = elf ? SectionNames(*elf, range.first, range.last) : std::string();
        std::fprintf(to, "range: %08lx-%08lx (%lu bytes)%s%s\n", static_cast<unsigned long>(range.first),
                     static_cast<unsigned long>(range.last), static_cast<unsigned long>(range.last - range.first + 1),
                     names.empty() ? "" : " ", names.c_str());
    }
    if (elf && !elf->notice.empty())
        std::fprintf(to, "elf: %s\n", elf->notice.c_str());
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
            ReportProblem("%s", problem.c_str());
            refused = true;
        }
    return refused;
}
// Once the output is written nothing is left to do but free memory, which for
// a large image takes longer than the rest of the exit: the process ends
// here, its streams flushed. Sanitized builds tear down as usual, so leak
// checking still sees every buffer freed.
#if defined(__SANITIZE_ADDRESS__)
int Leave(int status) { return status; }
#else
int Leave(int status)
{
    const bool flushed = std::fflush(nullptr) == 0;
    _exit(flushed ? status : 1);
}
#endif
} // namespace

int main(int argc, char** argv)
{
    ConvOptions options;
    if (std::string problem = ParseConvOptions(argc - 1, argv + 1, options); !problem.empty())
        return UsageError(problem);
    if (options.help) {
        PrintConvHelp(stdout);
        return 0;
    }
    if (options.version) {
        PrintConvVersion(stdout);
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
        return Leave(RunCompare(options, host, host.reported));
    // No settings file: the sum check stays off and is counted on request.
    OBufferDocument document(host, std::string(), options.inKey);
    document.SetUndoOption(false);
    document.SetLoadOffset(options.offset);
    document.SetSaveDataOnly(!options.erasedGaps);
    if (!(options.interleave ? ReadLanes(host, host.reported, options, document) : document.Open(input)))
        return 1;
    // A text file that fits no format was read byte for byte: most likely
    // damaged or misnamed, and its "conversion" would be garbage.
    const FileFormat keyFormat = FormatFromKey(options.inKey);
    if (document.ReadNothing()) {
        // Nothing in, nothing to convert: a one-byte image made up of the
        // erased value would pass for a result.
        ReportProblem("%s: no data", Quoted(input).c_str());
        ++host.reported;
    } else if (keyFormat != ffUnknown && keyFormat != ffBinary && document.ReadFormat() == ffBinary) {
        ReportProblem("%s: not recognised as %s; read as binary", Quoted(input).c_str(),
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
        return Leave(loadReported ? 1 : 0);
    }
    if (options.verbose)
        PrintReadDetails(stderr, document, keyFormat, options);
    if (loadReported && !options.force) {
        ReportProblem("%s not written", Quoted(output).c_str());
        return 1;
    }

    if (const std::string problem = RunImageSteps(document, options); !problem.empty())
        return StepError(problem);
    if (options.swap != 0)
        SwapImage(options, document);
    // Results written into the image may widen its window.
    if (int status = RunChecksumOptions(document, options, output == "-" ? stderr : stdout); status != 0)
        return status;
    if (!options.force && RefuseGiantOutputs(options, document))
        return 2;
    if (options.split.lanes != 0)
        return Leave(WriteSplit(host.reported, options, document));
    WriterOptions writer;
    writer.recordSize = options.recordSize;
    writer.lineEnd = options.lineEnd;
    if (FormatFromKey(options.outKey) == ffMotorola) {
        // auto takes a type that holds the start address too.
        const Address highest =
            (options.srecType < 0 ? options.namedSrecType : options.srecType) == 0
                ? std::max(document.End() - 1, document.StartAddress())
                : document.End() - 1;
        const std::string problem = ChooseSRecordAddressBytes(options, highest, writer.srecAddressBytes);
        if (!problem.empty())
            return UsageError(problem + " (of " + Quoted(input) + ")");
        // Given neither by option nor by name: S3, or the input's own type
        // when it holds the output.
        if (options.srecType < 0 && options.namedSrecType < 0)
            writer.srecAddressBytes = 0;
    }
    if (FormatFromKey(options.outKey) == ffIntel) {
        const std::string problem =
            ChooseIntelAddressRecord(options, static_cast<uint32_t>(document.End() - 1), writer.intelAddressRecord);
        if (!problem.empty())
            return UsageError(problem + " (of " + input + ")");
    }
    // Words of more than one byte are written under the key that names
    // them ("vmem32"), whole words only.
    std::string outKey = options.outKey;
    if (options.wordWidth > 1) {
        PadToWords(document, options.wordWidth);
        outKey = std::string(FormatRowOf(FormatFromKey(outKey))->key) + (options.wordWidth == 2 ? "16" : "32");
    }
    std::string arrayName;
    const std::string notice = PrepareExport(document, FormatFromKey(options.outKey), output, writer, arrayName);
    if (!notice.empty())
        ReportProblem("%s", notice.c_str());
    document.SetWriterOptions(writer);
    document.SetPath(output);
    document.SetSaveAllOrNothing(!options.force);
    document.SetFormatKey(outKey);
    if (!document.Commit(true) || host.reported != 0)
        return Leave(1);
    return Leave(0);
}
