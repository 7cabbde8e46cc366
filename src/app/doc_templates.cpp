#include "app/doc_templates.h"

#include "formats/format_registry.h"
#include "settings/ansi_chars.h"

namespace {
// A file type of the editor made of the format's row.
constexpr DocTemplateInfo FromRow(FileFormat format)
{
    for (const FormatRow& row : kFormatRows)
        if (row.format == format)
            return {row.title, row.patterns, row.key};
    return {"", "", ""};
}

} // namespace

// The editor's own order of types, whatever the registry's order.
const DocTemplateInfo kDocTemplates[kDocTemplateCount] = {
    FromRow(ffMotorola), FromRow(ffIntel),  FromRow(ffBinary), FromRow(ffAsciiHex),
    FromRow(ffTektronix), FromRow(ffSignetics), FromRow(ffPlainHex), FromRow(ffRca),
    FromRow(ffTiTxt),    FromRow(ffElf),        {"All files", "*.*", ""}, FromRow(ffCArray),
    FromRow(ffVerilog),  FromRow(ffMif),
};

bool FilterMatches(std::string_view filter, std::string_view fileName)
{
    return NamePatternMatches(filter, fileName);
}

std::string ConcreteFileName(std::string_view path, int templateIndex)
{
    const size_t slash = path.rfind('/');
    const size_t dot = path.rfind('.');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash) ||
        path.find_first_of("*?[", dot) == std::string_view::npos || templateIndex < 0 ||
        templateIndex >= int(kDocTemplateCount))
        return std::string(path);
    const std::string_view extension = kDocTemplates[templateIndex].defaultExtension;
    return std::string(path.substr(0, extension.empty() ? dot : dot + 1)) + std::string(extension);
}

int MatchTemplate(std::string_view fileName)
{
    for (size_t i = 0; i < kReadableTemplateCount; ++i)
        if (FilterMatches(kDocTemplates[i].filter, fileName))
            return static_cast<int>(i);
    return -1;
}

bool IsReadOnlyTemplate(size_t index)
{
    return index == kElfTemplate;
}

int MatchSaveTemplate(std::string_view fileName)
{
    for (size_t i = kReadableTemplateCount; i < kDocTemplateCount; ++i)
        if (FilterMatches(kDocTemplates[i].filter, fileName))
            return static_cast<int>(i);
    // A type that is only read names no output: such a name is All files.
    for (size_t i = 0; i < kReadableTemplateCount; ++i)
        if (!IsReadOnlyTemplate(i) && FilterMatches(kDocTemplates[i].filter, fileName))
            return static_cast<int>(i);
    return -1;
}

int TemplateForOpen(int type, std::string_view fileName)
{
    if (type >= 0 && type < int(kReadableTemplateCount))
        return type;
    const int match = MatchTemplate(fileName);
    return match < 0 ? kAllFilesTemplate : match;
}

std::string WithTypeExtension(std::string_view name, int templateIndex)
{
    const std::string_view key =
        templateIndex >= 0 && templateIndex < int(kDocTemplateCount) ? kDocTemplates[templateIndex].defaultExtension : "";
    const int match = MatchTemplate(name);
    const bool typed = (match >= 0 && match != kAllFilesTemplate) || FilterMatches(kFirmwareFilesFilter, name);
    const size_t slash = name.rfind('/');
    const size_t dot = name.rfind('.');
    if (key.empty() || !typed || dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash))
        return std::string(name);
    return std::string(name.substr(0, dot + 1)) + std::string(key);
}

int TemplateForKey(std::string_view key)
{
    for (size_t i = 0; i < kDocTemplateCount; ++i) {
        std::string_view ext = kDocTemplates[i].defaultExtension;
        if (SameTextIgnoringCase(ext, key))
            return static_cast<int>(i);
    }
    return -1;
}

std::string UntitledTitle(const std::vector<std::string>& titlesInUse)
{
    for (size_t n = 1;; ++n) {
        const std::string title = n == 1 ? std::string("Untitled") : "Untitled " + std::to_string(n);
        bool taken = false;
        for (const std::string& used : titlesInUse)
            taken = taken || used == title;
        if (!taken)
            return title;
    }
}
