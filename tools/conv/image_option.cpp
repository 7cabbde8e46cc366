#include "image_option.h"

#include "buffer/data_buffer.h"
#include "document/buffer_document.h"
#include "settings/hex_digit.h"

namespace {
constexpr Address kHighest = ODataBuffer::AddressLimit - 1;

// A hexadecimal number with an optional 0x: at most 16 digits; false for
// anything else.
bool ParseHex(std::string_view text, uint64_t& value)
{
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        text.remove_prefix(2);
    if (text.empty() || text.size() > 16)
        return false;
    value = 0;
    for (char c : text) {
        const int digit = HexDigitValue(c);
        if (digit < 0)
            return false;
        value = value << 4 | static_cast<uint64_t>(digit);
    }
    return true;
}

// An address of the 32-bit space, or the problem.
std::string ParseAddress(std::string_view text, Address& address)
{
    uint64_t value;
    if (!ParseHex(text, value))
        return "\"" + std::string(text) + "\" is not a hexadecimal address";
    if (value > static_cast<uint64_t>(kHighest))
        return "address " + std::string(text) + " lies past ffffffff";
    address = static_cast<Address>(value);
    return {};
}

std::string ParseSpan(std::string_view text, AddressSpan& span)
{
    const size_t dash = text.find('-');
    if (dash == std::string_view::npos)
        return "\"" + std::string(text) + "\" is not a range FIRST-LAST";
    if (std::string problem = ParseAddress(text.substr(0, dash), span.first); !problem.empty())
        return problem;
    if (std::string problem = ParseAddress(text.substr(dash + 1), span.last); !problem.empty())
        return problem;
    if (span.first > span.last)
        return "the range " + std::string(text) + " is reversed";
    return {};
}

std::string ParseFill(std::string_view value, ConvOptions& options)
{
    ConvOptions::FillStep step{};
    const size_t colon = value.find(':');
    uint64_t byte;
    if (!ParseHex(value.substr(0, colon), byte) || byte > 0xFF)
        return "\"" + std::string(value.substr(0, colon)) + "\" is not a byte 00 to FF";
    step.value = static_cast<uint8_t>(byte);
    if (colon != std::string_view::npos) {
        AddressSpan span;
        if (std::string problem = ParseSpan(value.substr(colon + 1), span); !problem.empty())
            return problem;
        step.first = span.first;
        step.last = span.last;
    }
    options.fills.push_back(step);
    return {};
}

std::string ParseGenerate(std::string_view value, ConvOptions& options)
{
    ConvOptions::GenerateStep step;
    const size_t colon = value.find(':');
    if (colon == std::string_view::npos)
        return "FIRST-LAST:HEXBYTES is missing its bytes";
    if (std::string problem = ParseSpan(value.substr(0, colon), step.range); !problem.empty())
        return problem;
    std::string_view digits = value.substr(colon + 1);
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X'))
        digits.remove_prefix(2);
    if (digits.empty() || digits.size() % 2 != 0)
        return "the bytes \"" + std::string(digits) + "\" are not an even number of hex digits";
    for (size_t i = 0; i < digits.size(); i += 2) {
        const int high = HexDigitValue(digits[i]), low = HexDigitValue(digits[i + 1]);
        if (high < 0 || low < 0)
            return "the bytes \"" + std::string(digits) + "\" are not hexadecimal";
        step.pattern.push_back(static_cast<uint8_t>(high << 4 | low));
    }
    options.generates.push_back(std::move(step));
    return {};
}

std::string ParsePut(std::string_view value, ConvOptions& options)
{
    std::vector<std::string_view> parts;
    for (std::string_view rest = value;;) {
        const size_t colon = rest.find(':');
        parts.push_back(rest.substr(0, colon));
        if (colon == std::string_view::npos)
            break;
        rest.remove_prefix(colon + 1);
    }
    if (parts.size() < 3 || parts.size() > 4)
        return "takes ADDR:VALUE:WIDTH[:le|be]";
    ConvOptions::PutStep step{};
    if (std::string problem = ParseAddress(parts[0], step.at); !problem.empty())
        return problem;
    if (!ParseHex(parts[1], step.value))
        return "\"" + std::string(parts[1]) + "\" is not a hexadecimal value";
    if (parts[2] != "1" && parts[2] != "2" && parts[2] != "4" && parts[2] != "8")
        return "the width must be 1, 2, 4 or 8, not \"" + std::string(parts[2]) + "\"";
    step.width = parts[2][0] - '0';
    if (step.width < 8 && (step.value >> (8 * step.width)) != 0)
        return "the value " + std::string(parts[1]) + " does not fit in " + std::string(parts[2]) +
               (step.width == 1 ? " byte" : " bytes");
    if (step.at + step.width - 1 > kHighest)
        return "the value would end past address ffffffff";
    if (parts.size() == 4 && parts[3] != "le" && parts[3] != "be")
        return "\"" + std::string(parts[3]) + "\" is neither le nor be";
    step.bigEndian = parts.size() == 4 && parts[3] == "be";
    options.puts.push_back(step);
    return {};
}
} // namespace

bool ParseImageOption(std::string_view option, std::string_view value, ConvOptions& options, std::string& problem)
{
    if (option == "--crop" || option == "--exclude") {
        AddressSpan span;
        problem = ParseSpan(value, span);
        (option == "--crop" ? options.crops : options.excludes).push_back(span);
    } else if (option == "--move-to") {
        problem = ParseAddress(value, options.moveTo);
    } else if (option == "--fill") {
        problem = ParseFill(value, options);
    } else if (option == "--generate") {
        problem = ParseGenerate(value, options);
    } else if (option == "--put") {
        problem = ParsePut(value, options);
    } else if (option == "--word-width") {
        if (value == "1" || value == "2" || value == "4")
            options.wordWidth = value[0] - '0';
        else
            problem = "takes 1, 2 or 4, not \"" + std::string(value) + "\"";
    } else {
        return false;
    }
    if (!problem.empty())
        problem = std::string(option) + " " + std::string(value) + ": " + problem;
    return true;
}

std::string CheckImageOptions(const ConvOptions& options)
{
    for (const AddressSpan& crop : options.crops)
        for (const AddressSpan& exclude : options.excludes)
            if (crop.first <= exclude.last && exclude.first <= crop.last)
                return "--crop and --exclude overlap; say which ranges to keep in --crop alone";
    const bool steps = !options.crops.empty() || !options.excludes.empty() || options.moveTo != kNoAddress ||
                       !options.fills.empty() || !options.generates.empty() || !options.puts.empty();
    if (options.report && (steps || options.wordWidth != 0))
        return "--info and --checksum without OUTPUT write nothing; image steps do not go with them";
    if (options.compare && (steps || options.wordWidth != 0))
        return "--compare writes nothing; image steps do not go with it";
    return {};
}

std::string RunImageSteps(OBufferDocument& document, const ConvOptions& options)
{
    if (!options.crops.empty())
        CropImage(document, options.crops);
    for (const AddressSpan& span : options.excludes)
        ExcludeRange(document, span.first, span.last);
    if (options.moveTo != kNoAddress)
        if (std::string problem = MoveImage(document, options.moveTo); !problem.empty())
            return "--move-to: " + problem;
    for (const ConvOptions::FillStep& fill : options.fills) {
        const AddressSet& data = document.DataAddresses();
        if (fill.first != kNoAddress)
            FillHoles(document, fill.first, fill.last, fill.value);
        else if (!data.Empty())
            FillHoles(document, data.Lowest(), data.Highest(), fill.value);
    }
    for (const ConvOptions::GenerateStep& step : options.generates)
        GenerateBytes(document, step.range.first, step.range.last, step.pattern);
    for (const ConvOptions::PutStep& put : options.puts)
        PutNumber(document, put.at, put.value, put.width, put.bigEndian);
    return {};
}
