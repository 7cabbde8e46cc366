#include "app/program_paths.h"

#include "settings/ansi_chars.h"
#include "settings/settings_paths.h"
#include "settings/settings_record.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

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
    settings::SeedSettings(ProgramDirectory, settingsDir);
    IniFilePath = settingsDir + "/" + settings::IniFileName;
    FontFilePath = settingsDir + "/" + settings::FontFileName;
    HelpFilePath = FindHelpFile(ProgramDirectory);
}

std::string FindHelpFile(const std::string& programDirectory)
{
    // Beside the program first (a build tree, a portable copy); then the
    // data folder of the prefix the program was installed to, found from
    // where it runs so a moved installation still finds it, and last the
    // folder it was configured for.
    const std::string beside = programDirectory + "/Dravel.hlp";
    std::vector<std::string> candidates{beside,
                                        (std::filesystem::path(programDirectory + "/../share/dravel/Dravel.hlp"))
                                            .lexically_normal()
                                            .string()};
#ifdef DRAVEL_DATA_DIR
    candidates.push_back(std::string(DRAVEL_DATA_DIR) + "/Dravel.hlp");
#endif
    std::error_code ec;
    for (const std::string& candidate : candidates)
        if (std::filesystem::is_regular_file(candidate, ec))
            return candidate;
    return beside;
}

std::optional<std::string> WorkingDirToRestore(const std::string& stored)
{
    if (stored.empty())
        return std::nullopt;
    const std::string marker(settings::NoWorkingDir);
    if (SameTextIgnoringCase(stored, marker))
        return std::nullopt;
    return stored;
}
