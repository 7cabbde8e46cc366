#include "conv_options.h"

#include "app/doc_templates.h"
#include "formats/ffc_out.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string_view>

namespace {
// The key of the file type a name belongs to; All files when none fits.
std::string KeyForName(const std::string& name)
{
    int index = MatchTemplate(name);
    return index < 0 ? std::string() : kDocTemplates[index].defaultExtension;
}

bool ParseRecordSize(const std::string& text, int32_t& size)
{
    if (text.empty() || text.size() > 6 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    size = std::atoi(text.c_str());
    return size > 0;
}

std::string RecordSizeProblem(int32_t size, FileFormat format, int srecAddressBytes)
{
    const int32_t limit = OFFCOut::MaxRecordSize(format, srecAddressBytes);
    if (size <= limit)
        return {};
    std::string what = FormatName(format);
    if (format == ffMotorola)
        what = "S" + std::to_string(srecAddressBytes - 1) + " records";
    return "--record-size " + std::to_string(size) + " is above the limit of " + std::to_string(limit) + " for " +
           what;
}

FileFormat OutputFormat(const ConvOptions& options)
{
    FileFormat f = FormatFromKey(options.outKey);
    return f == ffUnknown ? ffBinary : f;
}

// What the options ask of the writer that its output format cannot give.
std::string CheckWriterOptions(const ConvOptions& options, const std::map<std::string, std::string>& given)
{
    const FileFormat format = OutputFormat(options);
    const bool records = given.count("--record-size") != 0;
    if (options.info) {
        for (const char* option : {"--record-size", "--srec-type", "--line-end"})
            if (given.count(option))
                return std::string("--info writes nothing; ") + option + " does not go with it";
        return {};
    }
    if (given.count("--srec-type") && format != ffMotorola)
        return std::string("--srec-type applies to Motorola S-record output, not ") + FormatName(format);
    if (format == ffBinary && (records || given.count("--line-end")))
        return std::string(records ? "--record-size" : "--line-end") + " does not apply to binary output";
    if (records) {
        // Before the highest address is known, auto may still choose S1.
        const int addressBytes = options.srecType > 0 ? options.srecType + 1 : options.srecType == 0 ? 2 : 4;
        return RecordSizeProblem(options.recordSize, format, addressBytes);
    }
    return {};
}
} // namespace

std::string ParseConvOptions(int argc, const char* const* argv, ConvOptions& options)
{
    // Every option with a value, as given; a second, different value contradicts the first.
    std::map<std::string, std::string> given;
    int names = 0;
    bool optionsEnded = false;
    for (int i = 0; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
            continue;
        }
        // After "--" every argument is a name, even one that starts with "-".
        if (optionsEnded) {
            if (arg.empty())
                return "empty file name";
            (names == 0 ? options.input : options.output) = std::string(arg);
            if (++names > 2)
                return "too many file names";
            continue;
        }
        if (arg == "--help" || arg == "-h") {
            options.help = true;
            return {};
        }
        if (arg == "--in-key" || arg == "--out-key" || arg == "--record-size" || arg == "--srec-type" ||
            arg == "--line-end") {
            const std::string option(arg);
            if (i + 1 >= argc)
                return option == "--in-key" || option == "--out-key" ? "a key is missing"
                                                                     : option + " needs a value";
            const std::string value = argv[++i];
            auto [it, fresh] = given.emplace(option, value);
            if (!fresh && it->second != value)
                return "contradictory options " + option + " " + it->second + " and " + option + " " + value;
            if (option == "--in-key" || option == "--out-key") {
                if (!value.empty() && TemplateForKey(value) < 0)
                    return "unknown key \"" + value + "\"";
                (option == "--in-key" ? options.inKey : options.outKey) = value;
            } else if (option == "--record-size") {
                if (!ParseRecordSize(value, options.recordSize))
                    return "--record-size takes a number of bytes from 1, not \"" + value + "\"";
            } else if (option == "--srec-type") {
                if (value == "auto")
                    options.srecType = 0;
                else if (value == "1" || value == "2" || value == "3")
                    options.srecType = value[0] - '0';
                else
                    return "--srec-type takes auto, 1, 2 or 3, not \"" + value + "\"";
            } else {
                if (value == "crlf")
                    options.lineEnd = "\r\n";
                else if (value == "lf")
                    options.lineEnd = "\n";
                else
                    return "--line-end takes crlf or lf, not \"" + value + "\"";
            }
        } else if (arg == "--info") {
            options.info = true;
        } else if (arg == "--force") {
            options.force = true;
        } else if (arg == "--verbose" || arg == "-v") {
            options.verbose = true;
        } else if (arg.size() > 1 && arg[0] == '-' && arg != "-") {
            return "unknown option " + std::string(arg);
        } else if (arg.empty()) {
            // An empty name would make a new 512-byte buffer out of nothing.
            return "empty file name";
        } else {
            (names == 0 ? options.input : options.output) = std::string(arg);
            if (++names > 2)
                return "too many file names";
        }
    }
    if (names == 0)
        return "no input file";
    if (options.info ? names != 1 : names != 2)
        return options.info ? "--info takes one file" : "no output file";
    if (!given.count("--in-key"))
        options.inKey = KeyForName(options.input);
    if (!options.info && !given.count("--out-key"))
        options.outKey = KeyForName(options.output);
    return CheckWriterOptions(options, given);
}

std::string ChooseSRecordAddressBytes(const ConvOptions& options, uint32_t highest, int& addressBytes)
{
    const int needed = highest <= 0xFFFF ? 2 : highest <= 0xFFFFFF ? 3 : 4;
    addressBytes = options.srecType < 0 ? 4 : options.srecType == 0 ? needed : options.srecType + 1;
    if (addressBytes < needed) {
        char address[16];
        std::snprintf(address, sizeof address, "%08lx", static_cast<unsigned long>(highest));
        return "--srec-type " + std::to_string(options.srecType) + " cannot hold the highest address " + address;
    }
    return RecordSizeProblem(options.recordSize, ffMotorola, addressBytes);
}
