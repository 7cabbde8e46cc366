#include "settings/settings_record.h"

#include "settings/profile.h"

namespace settings {
namespace {

bool ReadFlag(const OProfile& profile, std::string_view key, bool def)
{
    const std::string value = profile.GetString(Section, key);
    size_t i = 0;
    if (i < value.size() && (value[i] == '-' || value[i] == '+'))
        ++i;
    if (i >= value.size() || value[i] < '0' || value[i] > '9')
        return def;
    for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i)
        if (value[i] != '0')
            return true;
    return false;
}

std::string ReadText(const OProfile& profile, std::string_view key, std::string_view def)
{
    std::string value = profile.GetString(Section, key, def);
    // A cut-off name would name another file.
    if (value.size() > MaxTextLength)
        return std::string(def);
    return value;
}

}  // namespace

bool SumCheck(const std::string& iniPath) { return ReadFlag(OProfile(iniPath), SumCheckKey, false); }
bool UseUndo(const std::string& iniPath) { return ReadFlag(OProfile(iniPath), UndoKey, true); }
bool AskOffset(const std::string& iniPath) { return ReadFlag(OProfile(iniPath), AskOffsetKey, false); }
bool ShowInformation(const std::string& iniPath)
{
    return ReadFlag(OProfile(iniPath), InformationKey, true);
}

std::string StartupFile(const std::string& iniPath) { return ReadText(OProfile(iniPath), OpenFileKey, {}); }

std::string WorkingDir(const std::string& iniPath)
{
    return ReadText(OProfile(iniPath), WorkingDirKey, NoWorkingDir);
}

bool WriteWorkingDir(const std::string& iniPath, const std::string& dir)
{
    return OProfile(iniPath).WriteString(Section, WorkingDirKey, dir);
}

std::string ExportType(const std::string& iniPath) { return ReadText(OProfile(iniPath), ExportTypeKey, {}); }

bool WriteExportType(const std::string& iniPath, const std::string& key)
{
    return OProfile(iniPath).WriteString(Section, ExportTypeKey, key);
}

}  // namespace settings

SettingsRecord SettingsRecord::Read(const std::string& iniPath, const std::string& fontPath)
{
    using namespace settings;
    const OProfile profile(iniPath);
    SettingsRecord r;
    r.DisplayFont = OFontRecord::Load(fontPath);
    r.StartupFile = ReadText(profile, OpenFileKey, {});
    r.SumCheck = ReadFlag(profile, SumCheckKey, r.SumCheck);
    r.UseUndo = ReadFlag(profile, UndoKey, r.UseUndo);
    r.AskOffset = ReadFlag(profile, AskOffsetKey, r.AskOffset);
    r.ShowWarnings = ReadFlag(profile, ShowWarningsKey, r.ShowWarnings);
    r.ShowInformation = ReadFlag(profile, InformationKey, r.ShowInformation);
    return r;
}

bool SettingsRecord::Write(const std::string& iniPath, const std::string& fontPath) const
{
    using namespace settings;
    DisplayFont.Save(fontPath);
    OProfile profile(iniPath);
    bool ok = profile.WriteString(Section, OpenFileKey, StartupFile.substr(0, MaxTextLength));
    ok = profile.WriteInt(Section, SumCheckKey, SumCheck ? 1 : 0) && ok;
    ok = profile.WriteInt(Section, UndoKey, UseUndo ? 1 : 0) && ok;
    ok = profile.WriteInt(Section, AskOffsetKey, AskOffset ? 1 : 0) && ok;
    ok = profile.WriteInt(Section, ShowWarningsKey, ShowWarnings ? 1 : 0) && ok;
    ok = profile.WriteInt(Section, InformationKey, ShowInformation ? 1 : 0) && ok;
    return ok;
}
