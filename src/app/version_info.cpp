#include "app/version_info.h"

#include "settings/ansi_chars.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

const VersionResource& ProgramVersionResource()
{
    // US English, Windows Latin-1: the block every lookup of the About box uses.
    static const VersionResource resource{
        {0x04E40409u},
        {
            {"\\StringFileInfo\\040904E4\\CompanyName", "The Dravel 97 developers"},
            {"\\StringFileInfo\\040904E4\\FileDescription", "EPROM data file editor"},
            {"\\StringFileInfo\\040904E4\\FileVersion", "1.0.0"},
            {"\\StringFileInfo\\040904E4\\InternalName", "dravel"},
            {"\\StringFileInfo\\040904E4\\LegalCopyright", "Copyright (c) 2026 The Dravel 97 developers\nLicence: GPL-3.0-or-later"},
            {"\\StringFileInfo\\040904E4\\LegalTrademarks", ""},
            {"\\StringFileInfo\\040904E4\\OriginalFilename", "dravel"},
            {"\\StringFileInfo\\040904E4\\ProductName", "Dravel 97"},
            {"\\StringFileInfo\\040904E4\\ProductVersion", "1.0.0"},
        },
    };
    return resource;
}

std::optional<std::string_view> VersionQueryString(const VersionResource& resource, std::string_view path)
{
    const auto same = [path](const std::pair<std::string, std::string>& entry) {
        return SameTextIgnoringCase(entry.first, path);
    };
    const auto it = std::find_if(resource.strings.begin(), resource.strings.end(), same);
    if (it == resource.strings.end())
        return std::nullopt;
    return std::string_view(it->second);
}

TProjectRCVersion::TProjectRCVersion(const VersionResource* module)
{
    if (!module || module->translations.empty())
        return;
    const uint32_t stored = module->translations.front();
    translation = (stored << 16) | (stored >> 16);
    data = module;
}

bool TProjectRCVersion::query(const char* key, const char*& text) const
{
    if (!data)
        return false;
    char path[128];
    std::snprintf(path, sizeof path, "\\StringFileInfo\\%08lx\\%s", static_cast<unsigned long>(translation), key);
    const auto value = VersionQueryString(*data, path);
    if (!value)
        return false;
    text = value->data();   // the table's strings end in a zero
    return true;
}
