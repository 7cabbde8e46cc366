#include "app/program_paths.h"

#include "settings/settings_paths.h"
#include "settings/settings_record.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

std::string ProgramDirectory;
std::string IniFilePath;
std::string HelpFilePath;
std::string FontFilePath;

void InitProgramPaths(const std::string& programFile)
{
    const auto slash = programFile.find_last_of('/');
    std::string dir = slash == std::string::npos ? std::string() : programFile.substr(0, slash + 1);
    if (!dir.empty() && dir.back() == '/')
        dir.pop_back();
    ProgramDirectory = dir;
    const std::string settingsDir =
        settings::SettingsDirectory(ProgramDirectory, std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"));
    IniFilePath = settingsDir + "/" + settings::IniFileName;
    FontFilePath = settingsDir + "/" + settings::FontFileName;
    HelpFilePath = ProgramDirectory + "/Dravel.hlp";
}

std::optional<std::string> WorkingDirToRestore(const std::string& stored)
{
    if (stored.empty())
        return std::nullopt;
    const std::string marker(settings::NoWorkingDir);
    const bool isMarker = stored.size() == marker.size()
        && std::equal(stored.begin(), stored.end(), marker.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
           });
    if (isMarker)
        return std::nullopt;
    return stored;
}
