#pragma once
// Where the settings file "dravel.ini" and the font file "selfont.cfg" live.
// A program run from its build folder or unpacked into a folder of its own
// keeps them beside itself; one installed into a system folder cannot write
// there and keeps them in the user's configuration folder instead.

#include <string>

namespace settings {

inline constexpr const char* IniFileName = "dravel.ini";
inline constexpr const char* FontFileName = "selfont.cfg";

// `programDirectory` when it already holds either file or a file can be
// created in it; otherwise "$XDG_CONFIG_HOME/dravel", or "$HOME/.config/dravel"
// when that variable is unset, empty or not an absolute path. Either
// variable may be null.
std::string SettingsDirectory(const std::string& programDirectory, const char* xdgConfigHome, const char* home);

}  // namespace settings
