#include "app/recent_files.h"

#include "settings/ansi_chars.h"
#include "settings/profile.h"

#include <algorithm>
#include <cctype>

namespace {

bool sameName(const std::string& a, const std::string& b) { return SameTextIgnoringCase(a, b); }

// Reading keeps the stored order and drops later duplicates.
void AddRecentFileAtEnd(std::vector<std::string>& entries, std::string path, size_t capacity)
{
    for (const std::string& entry : entries)
        if (sameName(entry, path))
            return;
    if (entries.size() < capacity)
        entries.push_back(std::move(path));
}

} // namespace

void AddRecentFile(std::vector<std::string>& entries, const std::string& path, size_t capacity)
{
    entries.erase(std::remove_if(entries.begin(), entries.end(),
                                 [&](const std::string& entry) { return sameName(entry, path); }),
                  entries.end());
    entries.insert(entries.begin(), path);
    if (entries.size() > capacity)
        entries.resize(capacity);
}

TRecentFiles::TRecentFiles(std::string iniPath, size_t capacity)
    : iniPath(std::move(iniPath)), capacity(capacity)
{
    Read();
}

void TRecentFiles::Add(const std::string& path)
{
    if (path.empty())
        return;
    Read();
    AddRecentFile(entries, path, capacity);
    write();
}

namespace {
constexpr const char* Section = "MRU";

std::string entryKey(size_t index)
{
    return "MRU" + std::to_string(index);
}
} // namespace

void TRecentFiles::Read()
{
    const OProfile profile(iniPath);
    entries.clear();
    const int32_t count = profile.GetInt(Section, "Count", 0);
    const size_t wanted = count < 0 || static_cast<size_t>(count) > capacity ? capacity : static_cast<size_t>(count);
    for (size_t i = 0; i < wanted; ++i) {
        std::string path = profile.GetString(Section, entryKey(i));
        if (!path.empty())
            AddRecentFileAtEnd(entries, std::move(path), capacity);
    }
}

void TRecentFiles::write() const
{
    OProfile profile(iniPath);
    profile.WriteInt(Section, "Count", static_cast<int32_t>(entries.size()));
    for (size_t i = 0; i < capacity; ++i) {
        if (i < entries.size())
            profile.WriteString(Section, entryKey(i), entries[i]);
        else
            profile.DeleteKey(Section, entryKey(i));
    }
}
