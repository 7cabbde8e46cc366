// dravel-conv: converts PROM data files between the editor's formats and
// reports on them, headless, through the same document code as the editor.

#include "app/doc_templates.h"
#include "document/buffer_document.h"
#include "document/document_host.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

namespace {
constexpr const char* kUsage =
    "Usage: dravel-conv [options] INPUT OUTPUT\n"
    "       dravel-conv [options] --info INPUT\n"
    "\n"
    "Reads INPUT and writes its whole address window to OUTPUT. The format of\n"
    "each file follows its name as in the editor's file types (*.s?f Motorola,\n"
    "*.int *.ext Intel, *.bin *.exe *.com *.asc binary, *.ahx ASCII HEX, *.tek\n"
    "Tektronix, *.sig Signetics, *.hex plain hex, *.mcd RCA, anything else\n"
    "All files); when reading, the file's content is recognised as well.\n"
    "INPUT - reads standard input, OUTPUT - writes standard output.\n"
    "\n"
    "Options:\n"
    "  --in-key KEY    read INPUT as the file type with this key\n"
    "  --out-key KEY   write OUTPUT as the file type with this key\n"
    "                  keys: s3f ext bin ahx tek sig hex mcd, or \"\" for All files\n"
    "  --info          print size, start, last address and sum check of INPUT\n"
    "  --force         write OUTPUT even when reading INPUT or writing OUTPUT\n"
    "                  reported errors (otherwise OUTPUT is left as it was)\n"
    "  --help          show this text\n"
    "\n"
    "Messages go to standard error. Exit status: 0 when nothing was reported,\n"
    "1 when reading or writing reported an error, 2 on wrong usage.\n";

// Prints what the document reports and answers every question with its
// default; nothing here waits for a user.
class ConsoleHost : public DocumentHost {
public:
    int MessageBox(std::string_view text, std::string_view caption, int style) override
    {
        std::fprintf(stderr, "%.*s: %.*s\n", static_cast<int>(caption.size()), caption.data(),
                     static_cast<int>(text.size()), text.data());
        ++reported;
        return (style & mbYesNoCancel) ? idCancel : idOk;
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

int UsageError(const char* problem)
{
    std::fprintf(stderr, "dravel-conv: %s\n\n%s", problem, kUsage);
    return 2;
}

// The key of the file type a name belongs to; All files when none fits.
std::string KeyForName(const std::string& name)
{
    int index = MatchTemplate(name);
    return index < 0 ? std::string() : kDocTemplates[index].defaultExtension;
}
} // namespace

int main(int argc, char** argv)
{
    std::string input, output, inKey, outKey;
    bool haveInKey = false, haveOutKey = false, info = false, force = false;
    int names = 0;
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (arg == "--in-key" || arg == "--out-key") {
            if (i + 1 >= argc)
                return UsageError("a key is missing");
            std::string key = argv[++i];
            if (!key.empty() && TemplateForKey(key) < 0)
                return UsageError(("unknown key \"" + key + "\"").c_str());
            (arg == "--in-key" ? inKey : outKey) = key;
            (arg == "--in-key" ? haveInKey : haveOutKey) = true;
        } else if (arg == "--info") {
            info = true;
        } else if (arg == "--force") {
            force = true;
        } else if (arg.size() > 1 && arg[0] == '-' && arg != "-") {
            return UsageError(("unknown option " + std::string(arg)).c_str());
        } else if (arg.empty()) {
            // An empty name would make a new 512-byte buffer out of nothing.
            return UsageError("empty file name");
        } else {
            (names == 0 ? input : output) = std::string(arg);
            if (++names > 2)
                return UsageError("too many file names");
        }
    }
    if (names == 0)
        return UsageError("no input file");
    if (info ? names != 1 : names != 2)
        return UsageError(info ? "--info takes one file" : "no output file");

    ConsoleHost host;
    // No settings file: the sum check stays off and is counted on request.
    OBufferDocument document(host, std::string(), haveInKey ? inKey : KeyForName(input));
    if (!document.Open(input))
        return 1;
    const bool loadReported = host.reported != 0;

    if (info) {
        std::printf("size (%08lu dec) start (%08lx hex) end (%08lx hex) sum check (%08lx hex)\n",
                    static_cast<unsigned long>(document.Size()), static_cast<unsigned long>(document.Start()),
                    static_cast<unsigned long>(document.End() - 1),
                    static_cast<unsigned long>(document.SumWindow()));
        return loadReported ? 1 : 0;
    }
    if (loadReported && !force) {
        std::fprintf(stderr, "dravel-conv: %s not written\n", output.c_str());
        return 1;
    }
    document.SetPath(output);
    document.SetSaveAllOrNothing(!force);
    document.SetFormatKey(haveOutKey ? outKey : KeyForName(output));
    if (!document.Commit(true) || host.reported != 0)
        return 1;
    return 0;
}
