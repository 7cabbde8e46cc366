#include "formats/format_registry.h"

#include "settings/ansi_chars.h"

namespace {
// Calls `take` with each ";"-separated item of `list` until it says true.
template <class Take>
bool AnyItem(std::string_view list, Take&& take)
{
    while (!list.empty()) {
        const size_t semi = list.find(';');
        if (std::string_view item = list.substr(0, semi); !item.empty() && take(item))
            return true;
        if (semi == std::string_view::npos)
            break;
        list.remove_prefix(semi + 1);
    }
    return false;
}

// Splits at the last "."; no "." leaves the extension empty.
void SplitAtLastDot(std::string_view text, std::string_view& name, std::string_view& ext)
{
    const size_t dot = text.rfind('.');
    name = dot == std::string_view::npos ? text : text.substr(0, dot);
    ext = dot == std::string_view::npos ? std::string_view() : text.substr(dot + 1);
}

bool PartMatches(std::string_view pattern, std::string_view part)
{
    size_t i = 0;
    for (; i < pattern.size(); ++i) {
        if (pattern[i] == '*')
            return true;
        if (i >= part.size())
            return false;
        if (pattern[i] != '?' && AsciiLower(pattern[i]) != AsciiLower(part[i]))
            return false;
    }
    return i == part.size();
}

bool PatternMatches(std::string_view pattern, std::string_view component)
{
    std::string_view patName, patExt, name, ext;
    SplitAtLastDot(pattern, patName, patExt);
    SplitAtLastDot(component, name, ext);
    return PartMatches(patName, name) && PartMatches(patExt, ext);
}

std::string_view LastComponent(std::string_view fileName)
{
    const size_t slash = fileName.rfind('/');
    return slash == std::string_view::npos ? fileName : fileName.substr(slash + 1);
}
} // namespace

const FormatRow* FormatRowOf(FileFormat format)
{
    for (const FormatRow& row : kFormatRows)
        if (row.format == format)
            return &row;
    return nullptr;
}

const FormatRow* FormatRowForKey(std::string_view key)
{
    if (key.empty())
        return nullptr;
    for (const FormatRow& row : kFormatRows)
        if (SameTextIgnoringCase(row.key, key) || AnyItem(row.aliases, [&](std::string_view alias) { return SameTextIgnoringCase(alias, key); }))
            return &row;
    return nullptr;
}

bool NamePatternMatches(std::string_view patterns, std::string_view fileName)
{
    const std::string_view component = LastComponent(fileName);
    if (component.empty())
        return false;
    return AnyItem(patterns, [&](std::string_view pattern) { return PatternMatches(pattern, component); });
}

OutputNaming OutputFormatForName(std::string_view fileName)
{
    OutputNaming naming;
    for (const FormatRow& row : kFormatRows)
        if (row.use != FormatUse::ReadOnly && NamePatternMatches(row.outputPatterns, fileName)) {
            naming.key = row.key;
            break;
        }
    if (naming.key.empty())
        for (const FormatRow& row : kFormatRows)
            if (row.use != FormatUse::ReadOnly && row.format != ffPlainHex && NamePatternMatches(row.patterns, fileName)) {
                naming.key = row.key;
                break;
            }
    if (naming.key == "s3f") {
        // The usual Motorola names: S19, S28 and S37 fix the record type; the
        // generic ones take the smallest that holds the image.
        std::string_view name, ext;
        SplitAtLastDot(LastComponent(fileName), name, ext);
        if (SameTextIgnoringCase(ext, "s19") || SameTextIgnoringCase(ext, "s28") || SameTextIgnoringCase(ext, "s37"))
            naming.srecType = ext[1] - '0';
        else if (!NamePatternMatches("*.s?f", fileName))
            naming.srecType = 0;
    }
    return naming;
}

std::vector<FileFormat> RecognitionOrder()
{
    std::vector<FileFormat> order;
    for (int rank = 1;; ++rank) {
        const size_t before = order.size();
        for (const FormatRow& row : kFormatRows)
            if (row.recognitionOrder == rank)
                order.push_back(row.format);
        if (order.size() == before)
            return order;
    }
}

int KeyWordWidth(std::string_view key)
{
    const auto endsWith = [&](std::string_view bits) {
        return key.size() > bits.size() && key.substr(key.size() - bits.size()) == bits;
    };
    if (!FormatRowForKey(key))
        return 1;
    return endsWith("16") ? 2 : endsWith("32") ? 4 : 1;
}
