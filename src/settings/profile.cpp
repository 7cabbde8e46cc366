#include "settings/profile.h"

#include "settings/ansi_chars.h"
#include "settings/settings_file.h"

#include <cerrno>
#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace {
std::string_view Trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

// Values whose writes failed, by file, section and key (lower case): the
// running session still uses them. An empty optional stands for a key whose
// removal failed.
using Overlay = std::map<std::string, std::optional<std::string>>;
std::map<std::string, Overlay>& Overlays()
{
    static std::map<std::string, Overlay> overlays;
    return overlays;
}

std::string OverlayKey(std::string_view section, std::string_view key)
{
    std::string k;
    for (char c : section)
        k += AsciiLower(c);
    k += '\n';
    for (char c : key)
        k += AsciiLower(c);
    return k;
}

const std::optional<std::string>* FindOverlay(const std::string& path, std::string_view section, std::string_view key)
{
    auto file = Overlays().find(path);
    if (file == Overlays().end())
        return nullptr;
    auto entry = file->second.find(OverlayKey(section, key));
    return entry == file->second.end() ? nullptr : &entry->second;
}

// Keeps the outcome of a write for the session: forgets the overlay when
// the file took the value, remembers the value when it did not.
bool Remember(const std::string& path, std::string_view section, std::string_view key,
              std::optional<std::string> value, bool written)
{
    if (written) {
        auto file = Overlays().find(path);
        if (file != Overlays().end())
            file->second.erase(OverlayKey(section, key));
    } else {
        Overlays()[path][OverlayKey(section, key)] = std::move(value);
    }
    return written;
}

// The file split into lines; each keeps its own text without the line feed.
struct IniLines {
    std::vector<std::string> lines;
    bool endsWithNewline = true;
    bool crlf = false;

    settings::FileState state;

    explicit IniLines(const std::string& path)
    {
        std::string text;
        state = settings::ReadSettingsFile(path, text);
        if (state == settings::FileState::TooLarge)
            settings::ReportTooLarge(path, settings::kIniFileLimit);
        if (text.empty())
            return;
        size_t pos = 0;
        while (pos < text.size()) {
            size_t nl = text.find('\n', pos);
            if (nl == std::string::npos) {
                lines.push_back(text.substr(pos));
                endsWithNewline = false;
                break;
            }
            lines.push_back(text.substr(pos, nl - pos));
            pos = nl + 1;
        }
        crlf = !lines.empty() && !lines.front().empty() && lines.front().back() == '\r';
    }

    static bool SectionName(std::string_view line, std::string_view& name)
    {
        line = Trim(line);
        if (line.empty() || line.front() != '[')
            return false;
        size_t close = line.find(']');
        name = Trim(line.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
        return true;
    }

    static bool KeyLine(std::string_view line, std::string_view& key, std::string_view& value)
    {
        std::string_view t = Trim(line);
        if (t.empty() || t.front() == ';' || t.front() == '[')
            return false;
        size_t eq = t.find('=');
        if (eq == std::string_view::npos)
            return false;
        key = Trim(t.substr(0, eq));
        value = Trim(t.substr(eq + 1));
        return true;
    }

    // Index of the section's header line, or -1.
    long FindSection(std::string_view section) const
    {
        for (size_t i = 0; i < lines.size(); ++i) {
            std::string_view name;
            if (SectionName(lines[i], name) && SameTextIgnoringCase(name, section))
                return static_cast<long>(i);
        }
        return -1;
    }

    // Index of the key's line within the section that starts at `header`, or
    // -1; `sectionEnd` gets the index after the section's last line.
    long FindKey(long header, std::string_view key, size_t& sectionEnd) const
    {
        size_t i = static_cast<size_t>(header) + 1;
        for (; i < lines.size(); ++i) {
            std::string_view name, k, v;
            if (SectionName(lines[i], name))
                break;
            if (KeyLine(lines[i], k, v) && SameTextIgnoringCase(k, key)) {
                sectionEnd = i;
                return static_cast<long>(i);
            }
        }
        sectionEnd = i;
        return -1;
    }

    bool Lookup(std::string_view section, std::string_view key, std::string_view& value) const
    {
        if (state != settings::FileState::Read)
            return false;
        long header = FindSection(section);
        if (header < 0)
            return false;
        size_t end = 0;
        long at = FindKey(header, key, end);
        if (at < 0)
            return false;
        std::string_view k;
        return KeyLine(lines[static_cast<size_t>(at)], k, value);
    }

    std::string Text() const
    {
        std::string text;
        for (size_t i = 0; i < lines.size(); ++i) {
            text += lines[i];
            if (i + 1 < lines.size() || endsWithNewline)
                text += '\n';
        }
        return text;
    }

    std::string NewLine(std::string text) const
    {
        if (crlf)
            text += '\r';
        return text;
    }
};

} // namespace

OProfile::OProfile(std::string path) : path_(std::move(path)) {}

int32_t OProfile::GetInt(std::string_view section, std::string_view key, int32_t def) const
{
    IniLines ini(path_);
    std::string_view value;
    if (const std::optional<std::string>* kept = FindOverlay(path_, section, key)) {
        if (!*kept)
            return def;
        value = Trim(**kept);
    } else if (!ini.Lookup(section, key, value)) {
        return def;
    }
    bool negative = false;
    size_t i = 0;
    if (i < value.size() && (value[i] == '-' || value[i] == '+'))
        negative = value[i++] == '-';
    int64_t n = 0;
    for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i) {
        n = n * 10 + (value[i] - '0');
        if (n > INT32_MAX)
            n = INT32_MAX;
    }
    return static_cast<int32_t>(negative ? -n : n);
}

std::string OProfile::GetString(std::string_view section, std::string_view key, std::string_view def) const
{
    IniLines ini(path_);
    std::string_view value;
    if (const std::optional<std::string>* kept = FindOverlay(path_, section, key)) {
        if (!*kept)
            return std::string(def);
        value = Trim(**kept);
    } else if (!ini.Lookup(section, key, value)) {
        return std::string(def);
    }
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        value = value.substr(1, value.size() - 2);
    return std::string(value);
}

bool OProfile::HasKey(std::string_view section, std::string_view key) const
{
    if (const std::optional<std::string>* kept = FindOverlay(path_, section, key))
        return kept->has_value();
    IniLines ini(path_);
    std::string_view value;
    return ini.Lookup(section, key, value);
}

bool OProfile::WriteString(std::string_view section, std::string_view key, std::string_view value)
{
    return Remember(path_, section, key, std::string(value), Write(section, key, value));
}

bool OProfile::Write(std::string_view section, std::string_view key, std::string_view value)
{
    IniLines ini(path_);
    std::string line = ini.NewLine(std::string(key) + "=" + std::string(value));
    long header = ini.FindSection(section);
    if (header < 0) {
        if (!ini.lines.empty() && !ini.endsWithNewline)
            ini.endsWithNewline = true;
        ini.lines.push_back(ini.NewLine("[" + std::string(section) + "]"));
        ini.lines.push_back(line);
        ini.endsWithNewline = true;
        return settings::WriteSettingsFile(path_, ini.Text());
    }
    size_t end = 0;
    long at = ini.FindKey(header, key, end);
    if (at >= 0) {
        ini.lines[static_cast<size_t>(at)] = line;
    } else {
        // After the section's last non-blank line, so blank separators stay
        // between sections.
        size_t insert = end;
        while (insert > static_cast<size_t>(header) + 1 && Trim(ini.lines[insert - 1]).empty())
            --insert;
        if (insert == ini.lines.size())
            ini.endsWithNewline = true;
        ini.lines.insert(ini.lines.begin() + static_cast<long>(insert), line);
    }
    return settings::WriteSettingsFile(path_, ini.Text());
}

bool OProfile::WriteInt(std::string_view section, std::string_view key, int32_t value)
{
    return WriteString(section, key, std::to_string(value));
}

bool OProfile::DeleteKey(std::string_view section, std::string_view key)
{
    IniLines ini(path_);
    long header = ini.FindSection(section);
    size_t end = 0;
    if (header < 0 || ini.FindKey(header, key, end) < 0)
        return Remember(path_, section, key, std::nullopt, true);
    long at = ini.FindKey(header, key, end);
    ini.lines.erase(ini.lines.begin() + at);
    return Remember(path_, section, key, std::nullopt, settings::WriteSettingsFile(path_, ini.Text()));
}
