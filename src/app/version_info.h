#pragma once
// The program's version information and its reader. The table is compiled
// into the program and answers the same lookup paths as a version resource:
// "\\VarFileInfo\\Translation" and "\\StringFileInfo\\<lang+codepage>\\<key>".

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct VersionResource {
    // Language and code page pairs, as stored: language in the low half.
    std::vector<uint32_t> translations;
    // Full lookup path and its value.
    std::vector<std::pair<std::string, std::string>> strings;
};

// The program's own version table.
const VersionResource& ProgramVersionResource();

// Looks a string value up by path, without regard to letter case.
std::optional<std::string_view> VersionQueryString(const VersionResource& resource, std::string_view path);

class TProjectRCVersion {
public:
    // A null resource, or one without a translation, gives a reader without data.
    explicit TProjectRCVersion(const VersionResource* module = &ProgramVersionResource());

    bool QueryProductName(const char*& text) const { return query("ProductName", text); }
    bool QueryProductVersion(const char*& text) const { return query("ProductVersion", text); }
    bool QueryCopyright(const char*& text) const { return query("LegalCopyright", text); }
    bool QuerySpecialBuild(const char*& text) const { return query("SpecialBuild", text); }

    // Language then code page, e.g. 0x040904E4; 0 without data.
    uint32_t Translation() const { return translation; }

private:
    bool query(const char* key, const char*& text) const;

    uint32_t translation = 0;
    const VersionResource* data = nullptr;
};
