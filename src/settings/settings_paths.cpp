#include "settings/settings_paths.h"

#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace settings {
namespace {

bool Exists(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

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

}  // namespace

std::string SettingsDirectory(const std::string& programDirectory, const char* xdgConfigHome, const char* home)
{
    if (Exists(programDirectory + "/" + IniFileName) || Exists(programDirectory + "/" + FontFileName) ||
        CanCreateFileIn(programDirectory))
        return programDirectory;
    if (xdgConfigHome && xdgConfigHome[0] == '/')
        return std::string(xdgConfigHome) + "/dravel";
    return std::string(home ? home : "") + "/.config/dravel";
}

}  // namespace settings
