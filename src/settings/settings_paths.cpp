#include "settings/settings_paths.h"

#include "settings/replace_file.h"
#include "settings/settings_file.h"

#include <cstdlib>
#include <string_view>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace settings {
namespace {

// Asking the file system is the only sure test: permissions alone say
// nothing about read-only mounts, and the superuser passes every check.
bool CanCreateFileIn(const std::string& directory)
{
    std::string probe = directory + "/.dravel-XXXXXX";
    const int fd = ::mkstemp(probe.data());
    if (fd < 0)
        return false;
    ::close(fd);
    ::unlink(probe.c_str());
    return true;
}

// A settings file the program can read and replace where it stands.
bool WritableSettingsFile(const std::string& path, const std::string& directory)
{
    std::string text;
    if (ReadSettingsFile(path, text) != FileState::Read)
        return false;
    return ::access(path.c_str(), W_OK) == 0 && CanCreateFileIn(directory);
}

}  // namespace

std::string SettingsDirectory(const std::string& programDirectory, const char* xdgConfigHome, const char* home)
{
    const std::string beside = programDirectory.empty() ? "/" : programDirectory;
    if (WritableSettingsFile(programDirectory + "/" + IniFileName, beside))
        return programDirectory;
    if (xdgConfigHome && xdgConfigHome[0] == '/')
        return std::string(xdgConfigHome) + "/dravel";
    return std::string(home ? home : "") + "/.config/dravel";
}

void SeedSettings(const std::string& programDirectory, const std::string& settingsDirectory)
{
    if (programDirectory == settingsDirectory)
        return;
    for (const char* name : {IniFileName, FontFileName}) {
        const std::string target = settingsDirectory + "/" + name;
        struct stat info {};
        if (::lstat(target.c_str(), &info) == 0)
            continue;
        std::string text;
        const size_t limit = name == std::string_view(FontFileName) ? kFontFileLimit : kIniFileLimit;
        if (ReadSettingsFile(programDirectory + "/" + name, text, nullptr, limit) == FileState::Read)
            (void)ReplaceFile(target, text);
    }
}

}  // namespace settings
