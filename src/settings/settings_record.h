#pragma once
// Section "Settings" of the settings file: every key with its default, read
// and written here only. Nothing is cached; each reader opens the file when it
// needs a value, so a change made by the Settings command reaches the next
// reader without telling anyone.

#include "settings/font_record.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace settings {

inline constexpr std::string_view Section = "Settings";
inline constexpr std::string_view SumCheckKey = "sumcheck";
inline constexpr std::string_view UndoKey = "undo";
inline constexpr std::string_view AskOffsetKey = "ask offset";
inline constexpr std::string_view ShowWarningsKey = "show warnings";
inline constexpr std::string_view InformationKey = "Information";
inline constexpr std::string_view OpenFileKey = "open file";
inline constexpr std::string_view WorkingDirKey = "working dir";
inline constexpr std::string_view ExportTypeKey = "export type";

// Marker stored in "working dir" when no directory is remembered.
inline constexpr std::string_view NoWorkingDir = "---NODIR---";
// The longest startup file name and working directory the settings hold.
inline constexpr size_t MaxTextLength = 254;

// A flag is on when its value is a number other than 0; a value that is no
// number at all reads as the flag's default.
bool SumCheck(const std::string& iniPath);
bool UseUndo(const std::string& iniPath);
bool AskOffset(const std::string& iniPath);
bool ShowInformation(const std::string& iniPath);
// Empty when missing or too long to be a name the settings can hold.
std::string StartupFile(const std::string& iniPath);
std::string WorkingDir(const std::string& iniPath);
bool WriteWorkingDir(const std::string& iniPath, const std::string& dir);
// The file type key File Export chose last; empty when none was kept.
std::string ExportType(const std::string& iniPath);
bool WriteExportType(const std::string& iniPath, const std::string& key);

}  // namespace settings

// What the Settings command reads from the settings and the font file, hands
// to its dialog and writes back when the dialog is accepted.
struct SettingsRecord {
    bool SumCheck = false;
    bool UseUndo = true;
    bool AskOffset = false;
    bool ShowWarnings = true;
    bool ShowInformation = true;
    std::string StartupFile;
    OFontRecord DisplayFont;

    bool operator==(const SettingsRecord&) const = default;

    static SettingsRecord Read(const std::string& iniPath, const std::string& fontPath);
    // The font file first (skipped silently when it cannot be written), then
    // "open file" and the five flags in the record's order. False when some
    // ini key could not be written.
    bool Write(const std::string& iniPath, const std::string& fontPath) const;
};
