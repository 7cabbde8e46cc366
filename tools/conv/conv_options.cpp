#include "conv_options.h"
#include "combine_option.h"

#include "checksum_option.h"

#include "compare_option.h"

#include "app/doc_templates.h"
#include "formats/ffc_out.h"
#include "offset_option.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string_view>

namespace {
// The key of the file type a name belongs to; All files when none fits.
std::string KeyForName(const std::string& name, bool output)
{
    int index = output ? MatchSaveTemplate(name) : MatchTemplate(name);
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
    if (options.report) {
        for (const char* option : {"--record-size", "--srec-type", "--line-end", "--ihex-type"})
            if (given.count(option))
                return std::string(options.info ? "--info" : "--checksum without OUTPUT") + " writes nothing; " +
                       option + " does not go with it";
        return {};
    }
    if (given.count("--ihex-type") && format != ffIntel)
        return std::string("--ihex-type applies to Intel HEX output, not ") + FormatName(format);
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
    std::vector<std::string> names;
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
            names.emplace_back(arg);
            continue;
        }
        std::string problem;
        if (const int used = ParseCombineOption(argc, argv, i, options, given, problem)) {
            if (!problem.empty())
                return problem;
            i += used - 1;
            continue;
        }
        if (arg == "--help" || arg == "-h") {
            options.help = true;
            return {};
        }
        if (arg == "--in-key" || arg == "--out-key" || arg == "--record-size" || arg == "--srec-type" ||
            arg == "--line-end" || arg == "--offset" || arg == "--in-key-b" || arg == "--ihex-type") {
            const std::string option(arg);
            if (i + 1 >= argc)
                return option == "--in-key" || option == "--out-key" || option == "--in-key-b"
                           ? "a key is missing"
                           : option + " needs a value";
            const std::string value = argv[++i];
            auto [it, fresh] = given.emplace(option, value);
            if (!fresh && it->second != value)
                return "contradictory options " + option + " " + it->second + " and " + option + " " + value;
            if (option == "--in-key" || option == "--out-key" || option == "--in-key-b") {
                if (!value.empty() && TemplateForKey(value) < 0)
                    return "unknown key \"" + value + "\"";
                if (option == "--in-key" && IsExportOnly(FormatFromKey(value)))
                    return "--in-key " + value + ": " + FormatName(FormatFromKey(value)) + " is written, not read";
                (option == "--in-key" ? options.inKey : option == "--out-key" ? options.outKey : options.inKeyB) = value;
            } else if (option == "--record-size") {
                if (!ParseRecordSize(value, options.recordSize))
                    return "--record-size takes a number of bytes from 1, not \"" + value + "\"";
            } else if (option == "--offset") {
                if (!ParseLoadOffset(value, options.offset))
                    return "--offset takes a number of at most 32 bits, decimal or 0x hex, with an optional -, not \"" +
                           value + "\"";
            } else if (option == "--srec-type") {
                if (value == "auto")
                    options.srecType = 0;
                else if (value == "1" || value == "2" || value == "3")
                    options.srecType = value[0] - '0';
                else
                    return "--srec-type takes auto, 1, 2 or 3, not \"" + value + "\"";
            } else if (option == "--ihex-type") {
                if (value == "auto")
                    options.ihexType = 0;
                else if (value == "02" || value == "04")
                    options.ihexType = value[1] - '0';
                else
                    return "--ihex-type takes 02, 04 or auto, not \"" + value + "\"";
            } else {
                if (value == "crlf")
                    options.lineEnd = "\r\n";
                else if (value == "lf")
                    options.lineEnd = "\n";
                else
                    return "--line-end takes crlf or lf, not \"" + value + "\"";
            }
        } else if (arg == "--checksum" || arg == "--checksum-write") {
            if (i + 1 >= argc)
                return std::string(arg) + " needs a value";
            if (std::string problem = AddChecksumOption(arg, argv[++i], options); !problem.empty())
                return problem;
        } else if (arg == "--info") {
            options.info = true;
        } else if (arg == "--compare") {
            options.compare = true;
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
            names.emplace_back(arg);
        }
    }
    if (options.compare) {
        if (names.size() == 2) {
            options.input = names[0];
            options.output = names[1];
        }
        return CheckCompareOptions(options, given, static_cast<int>(names.size()));
    }
    if (given.count("--in-key-b"))
        return "--in-key-b goes only with --compare";
    if (options.checksumList)
        return {};
    if (names.size() > 2 && !options.interleave)
        return "too many file names";
    if (names.empty())
        return "no input file";
    options.report =
        options.info || (names.size() == 1 && !options.checksums.empty() && options.checksumWrites.empty());
    if (options.report ? names.size() != 1 : names.size() < 2)
        return options.info ? "--info takes one file" : "no output file";
    if (options.info && !options.checksumWrites.empty())
        return "--info writes nothing; --checksum-write does not go with it";
    if (std::string problem = TakeCombineNames(names, options, given); !problem.empty())
        return problem;
    options.input = names.front();
    if (!options.report)
        options.output = names.back();
    if (!given.count("--in-key"))
        options.inKey = KeyForName(options.input, false);
    if (!options.report && !given.count("--out-key"))
        options.outKey = KeyForName(options.output, true);
    if (!options.report && IsReadOnly(FormatFromKey(options.outKey)))
        return "--out-key " + options.outKey + ": ELF is read, not written";
    return CheckWriterOptions(options, given);
}

std::string ChooseIntelAddressRecord(const ConvOptions& options, uint32_t highest, int& record)
{
    constexpr uint32_t kSegmentReach = 0xFFFFF;
    record = options.ihexType == 0 ? (highest <= kSegmentReach ? 2 : 4) : options.ihexType == 2 ? 2 : 4;
    if (record == 2 && highest > kSegmentReach) {
        char address[16];
        std::snprintf(address, sizeof address, "%08lx", static_cast<unsigned long>(highest));
        return std::string("--ihex-type 02 cannot hold the highest address ") + address;
    }
    return {};
}

std::string ChooseSRecordAddressBytes(const ConvOptions& options, Address highest, int& addressBytes)
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
