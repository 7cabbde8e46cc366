#include "app/doc_templates.h"

const DocTemplateInfo kDocTemplates[kDocTemplateCount] = {
    {"Motorola", "*.s?f", "s3f"},
    {"Intel", "*.int;*.ext", "ext"},
    {"Binary", "*.bin;*.exe;*.com;*.asc", "bin"},
    {"ASCII HEX", "*.ahx", "ahx"},
    {"Tektronix", "*.tek", "tek"},
    {"Signetics", "*.sig", "sig"},
    {"HEX Files", "*.hex", "hex"},
    {"RCA Development", "*.mcd", "mcd"},
    {"TI-TXT", "*.tix", "tix"},
    {"ELF files", "*.elf;*.axf;*.out", "elf"},
    {"All files", "*.*", ""},
    {"C array", "*.c", "c"},
    {"Verilog memory", "*.vmem", "vmem"},
    {"Intel MIF", "*.mif", "mif"},
};

namespace {
char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Splits at the last "."; no "." leaves the extension empty.
void SplitAtLastDot(std::string_view text, std::string_view& name, std::string_view& ext)
{
    size_t dot = text.rfind('.');
    if (dot == std::string_view::npos) {
        name = text;
        ext = {};
    } else {
        name = text.substr(0, dot);
        ext = text.substr(dot + 1);
    }
}

bool PartMatches(std::string_view pattern, std::string_view part)
{
    size_t i = 0;
    for (; i < pattern.size(); ++i) {
        if (pattern[i] == '*')
            return true;
        if (i >= part.size())
            return false;
        if (pattern[i] != '?' && Lower(pattern[i]) != Lower(part[i]))
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
} // namespace

bool FilterMatches(std::string_view filter, std::string_view fileName)
{
    size_t slash = fileName.rfind('/');
    std::string_view component = slash == std::string_view::npos ? fileName : fileName.substr(slash + 1);
    if (component.empty())
        return false;
    while (!filter.empty()) {
        size_t semi = filter.find(';');
        std::string_view pattern = filter.substr(0, semi);
        if (!pattern.empty() && PatternMatches(pattern, component))
            return true;
        if (semi == std::string_view::npos)
            break;
        filter.remove_prefix(semi + 1);
    }
    return false;
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

int TemplateForKey(std::string_view key)
{
    for (size_t i = 0; i < kDocTemplateCount; ++i) {
        std::string_view ext = kDocTemplates[i].defaultExtension;
        if (ext.size() != key.size())
            continue;
        bool same = true;
        for (size_t j = 0; j < ext.size() && same; ++j)
            same = Lower(ext[j]) == Lower(key[j]);
        if (same)
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
