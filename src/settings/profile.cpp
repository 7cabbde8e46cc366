#include "settings/profile.h"

#include "settings/replace_file.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {
char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i]))
            return false;
    return true;
}

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

bool ReadWholeFile(const std::string& path, std::string& text)
{
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    char chunk[8192];
    for (;;) {
        ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        text.append(chunk, static_cast<size_t>(got));
    }
    ::close(fd);
    return true;
}

// The file split into lines; each keeps its own text without the line feed.
struct IniLines {
    std::vector<std::string> lines;
    bool endsWithNewline = true;
    bool crlf = false;

    explicit IniLines(const std::string& path)
    {
        std::string text;
        if (!ReadWholeFile(path, text) || text.empty())
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
            if (SectionName(lines[i], name) && SameName(name, section))
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
            if (KeyLine(lines[i], k, v) && SameName(k, key)) {
                sectionEnd = i;
                return static_cast<long>(i);
            }
        }
        sectionEnd = i;
        return -1;
    }

    bool Lookup(std::string_view section, std::string_view key, std::string_view& value) const
    {
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
    if (!ini.Lookup(section, key, value))
        return def;
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
    if (!ini.Lookup(section, key, value))
        return std::string(def);
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        value = value.substr(1, value.size() - 2);
    return std::string(value);
}

bool OProfile::HasKey(std::string_view section, std::string_view key) const
{
    IniLines ini(path_);
    std::string_view value;
    return ini.Lookup(section, key, value);
}

bool OProfile::WriteString(std::string_view section, std::string_view key, std::string_view value)
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
        return settings::ReplaceFile(path_, ini.Text());
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
    return settings::ReplaceFile(path_, ini.Text());
}

bool OProfile::WriteInt(std::string_view section, std::string_view key, int32_t value)
{
    return WriteString(section, key, std::to_string(value));
}

bool OProfile::DeleteKey(std::string_view section, std::string_view key)
{
    IniLines ini(path_);
    long header = ini.FindSection(section);
    if (header < 0)
        return true;
    size_t end = 0;
    long at = ini.FindKey(header, key, end);
    if (at < 0)
        return true;
    ini.lines.erase(ini.lines.begin() + at);
    return settings::ReplaceFile(path_, ini.Text());
}
