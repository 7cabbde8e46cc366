#include "conv_options.h"
#include "combine_option.h"

#include "checksum_option.h"

#include "compare_option.h"

#include "formats/ffc_out.h"
#include "formats/format_registry.h"
#include "image_option.h"
#include "offset_option.h"
#include "option_table.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string_view>

namespace {
// The problem of a key the option cannot take; empty when it can.
std::string KeyProblem(const std::string& option, const std::string& key)
{
    const FormatRow* row = FormatRowForKey(key);
    if (key.empty())
        return {};
    if (!row)
        return option + ": unknown key \"" + key + "\"";
    if (option != "--out-key" && row->use == FormatUse::ExportOnly)
        return option + " " + key + ": " + row->name + " is written, not read";
    if (option == "--out-key" && row->use == FormatUse::ReadOnly)
        return option + " " + key + ": " + row->name + " is read, not written";
    return {};
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

// Where the output's name decides its format: the key, or the usage problem
// of a name that tells none.
std::string TakeOutputName(ConvOptions& options, bool keyGiven)
{
    if (keyGiven)
        return {};
    const OutputNaming naming = OutputFormatForName(options.output);
    if (naming.key.empty())
        return "cannot tell OUTPUT's format from its name; give --out-key KEY";
    options.outKey = naming.key;
    options.namedSrecType = naming.srecType;
    return {};
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
    if (options.wordWidth != 0 && format != ffVerilog && format != ffMif && format != ffCArray)
        return std::string("--word-width applies to vmem, mif and c output, not ") + FormatName(format);
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

std::string InputKeyForName(const std::string& name)
{
    for (const FormatRow& row : kFormatRows)
        if (row.use != FormatUse::ExportOnly && NamePatternMatches(row.patterns, name))
            return row.key;
    for (const FormatRow& row : kFormatRows)
        if (row.use != FormatUse::ExportOnly && NamePatternMatches(row.outputPatterns, name))
            return row.key;
    return {};
}

std::string ParseConvOptions(int argc, const char* const* argv, ConvOptions& options)
{
    std::vector<std::string> args;
    if (std::string problem = NormaliseConvArguments(argc, argv, args); !problem.empty())
        return problem;
    std::vector<const char*> pointers;
    for (const std::string& arg : args)
        pointers.push_back(arg.c_str());
    argc = static_cast<int>(pointers.size());
    argv = pointers.data();
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
        if (arg == "--version") {
            options.version = true;
            return {};
        }
        if (i + 1 < argc && ParseImageOption(arg, argv[i + 1], options, problem)) {
            if (!problem.empty())
                return problem;
            if (arg == "--move-to" || arg == "--word-width") {
                auto [it, fresh] = given.emplace(std::string(arg), argv[i + 1]);
                if (!fresh && it->second != argv[i + 1])
                    return "contradictory options " + std::string(arg) + " " + it->second + " and " +
                           std::string(arg) + " " + argv[i + 1];
            }
            ++i;
            continue;
        }
        if (arg == "--in-key" || arg == "--out-key" || arg == "--record-size" || arg == "--srec-type" ||
            arg == "--line-end" || arg == "--offset" || arg == "--in-key-b" || arg == "--ihex-type") {
            const std::string option(arg);
            const std::string value = argv[++i];
            auto [it, fresh] = given.emplace(option, value);
            if (!fresh && it->second != value)
                return "contradictory options " + option + " " + it->second + " and " + option + " " + value;
            if (option == "--in-key" || option == "--out-key" || option == "--in-key-b") {
                if (std::string problem = KeyProblem(option, value); !problem.empty())
                    return problem;
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
            if (std::string problem = AddChecksumOption(arg, argv[++i], options); !problem.empty())
                return problem;
        } else if (arg == "--info") {
            options.info = true;
        } else if (arg == "--compare") {
            options.compare = true;
        } else if (arg == "--force") {
            options.force = true;
        } else if (arg == "--erased-gaps") {
            options.erasedGaps = true;
        } else if (arg == "--verbose" || arg == "-v") {
            options.verbose = true;
        } else if (arg.empty()) {
            // An empty name would make a new 512-byte buffer out of nothing.
            return "empty file name";
        } else {
            names.emplace_back(arg);
        }
    }
    if (options.compare) {
        if (std::string problem = CheckImageOptions(options); !problem.empty())
            return problem;
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
        options.inKey = InputKeyForName(options.input);
    if (!options.report)
        if (std::string problem = TakeOutputName(options, given.count("--out-key") != 0); !problem.empty())
            return problem;
    if (std::string problem = CheckImageOptions(options); !problem.empty())
        return problem;
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
    const int type = options.srecType >= 0 ? options.srecType : options.namedSrecType;
    addressBytes = type < 0 ? 4 : type == 0 ? needed : type + 1;
    if (addressBytes < needed) {
        char address[16];
        std::snprintf(address, sizeof address, "%08lx", static_cast<unsigned long>(highest));
        if (options.srecType < 0)
            return "the name of " + options.output + " asks for S" + std::to_string(type) +
                   " records, which cannot hold the highest address " + address;
        return "--srec-type " + std::to_string(options.srecType) + " cannot hold the highest address " + address;
    }
    return RecordSizeProblem(options.recordSize, ffMotorola, addressBytes);
}
