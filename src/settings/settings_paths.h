#pragma once
// Where the settings file "dravel.ini" and the font file "selfont.cfg" live.
// A portable copy (a folder of its own holding a writable "dravel.ini" beside
// the program) keeps them beside itself; every other program keeps them in
// the user's configuration folder, seeded from a read-only "dravel.ini" (and
// "selfont.cfg") beside the program when there is one.

#include <string>

namespace settings {

inline constexpr const char* IniFileName = "dravel.ini";
inline constexpr const char* FontFileName = "selfont.cfg";

// `programDirectory` when a regular "dravel.ini" is there and can be
// written (file and folder); otherwise "$XDG_CONFIG_HOME/dravel", or
// "$HOME/.config/dravel" when that variable is unset, empty or not an
// absolute path. Either variable may be null.
std::string SettingsDirectory(const std::string& programDirectory, const char* xdgConfigHome, const char* home);

// Copies the settings and font files from `programDirectory` into
// `settingsDirectory` where the latter has none yet, so that an installed
// program's defaults reach each user's own settings. Nothing when the two
// are the same folder; failures are silent (the defaults then apply).
void SeedSettings(const std::string& programDirectory, const std::string& settingsDirectory);

}  // namespace settings
