#include "app/command_line.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

char lower(char c)
{
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

} // namespace

bool IsUnregisterOption(std::string_view text)
{
    constexpr std::string_view word = "unregister";
    if (text.size() > word.size())
        return false;
    for (size_t i = 0; i < text.size(); ++i)
        if (lower(text[i]) != word[i])
            return false;
    return true;
}

CommandLine ParseCommandLine(const std::vector<std::string>& args)
{
    CommandLine result;
    for (const std::string& token : args) {
        if (!token.empty() && token[0] == '-') {
            if (IsUnregisterOption(std::string_view(token).substr(1))) {
                result.unregister = true;
                break;
            }
            continue;
        }
        std::string text = !token.empty() && token[0] == '=' ? token.substr(1) : token;
        if (!text.empty())
            result.names.push_back(std::move(text));
    }
    return result;
}

bool WildcardMatch(std::string_view pattern, std::string_view name)
{
    // Iterative matcher with one backtrack point: linear in practice and
    // never recursive, whatever the pattern.
    size_t p = 0, n = 0, starP = std::string_view::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() && (pattern[p] == '?' || lower(pattern[p]) == lower(name[n]))) {
            ++p;
            ++n;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

std::string ResolveCommandLineName(const std::string& name, const std::string& currentDir)
{
    if (name.empty())
        return name;
    fs::path full = name.front() == '/' ? fs::path(name) : fs::path(currentDir) / name;
    full = full.lexically_normal();
    std::error_code ec;
    if (!full.has_filename() || fs::exists(full, ec))
        return full.string();

    const std::string wanted = full.filename().string();
    std::vector<std::string> candidates;
    fs::directory_iterator it(full.parent_path(), ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        std::string entry = it->path().filename().string();
        if (WildcardMatch(wanted, entry))
            candidates.push_back(std::move(entry));
    }
    if (candidates.empty())
        return full.string();
    // Directory order is arbitrary on Linux; the smallest name keeps the choice stable.
    return (full.parent_path() / *std::min_element(candidates.begin(), candidates.end())).string();
}

std::string PathToOpen(const std::string& name)
{
    std::error_code ec;
    if (name.size() > 1 && name.back() == '.' && name[name.size() - 2] != '/' && !fs::exists(name, ec))
        return name.substr(0, name.size() - 1);
    return name;
}
