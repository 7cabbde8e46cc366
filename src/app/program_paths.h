#pragma once
// Where the program's own files lie. Fixed once at start from the running
// executable's path: the help file sits next to it or in the installed data
// folder, the settings and font files next to it only in a portable copy
// (see settings/settings_paths.h).

#include <optional>
#include <string>

inline constexpr const char* ApplicationName = "Dravel 97";

extern std::string ProgramDirectory;
extern std::string IniFilePath;
extern std::string HelpFilePath;
extern std::string FontFilePath;

// Fills ProgramDirectory, IniFilePath, HelpFilePath and FontFilePath from the
// full path of the program file and the environment. A program in the root
// directory gives an empty ProgramDirectory, so the files land in the root
// itself. A first start copies the settings an installed program carries
// into the user's folder (settings::SeedSettings).
void InitProgramPaths(const std::string& programFile);

// The help file: beside the program when it is there, else in the installed
// data folder (<prefix>/share/dravel/); beside the program when neither has it.
std::string FindHelpFile(const std::string& programDirectory);

// The directory a stored "working dir" value asks for, or nothing when the
// value is empty or the no-directory marker (in any letter case).
std::optional<std::string> WorkingDirToRestore(const std::string& stored);
