#include "settings/settings_record.h"
#include "settings/profile.h"
#include "support/recording_host.h"

#include <gtest/gtest.h>

TEST(SettingsRecord, NoFilesGiveTheDefaultsAndOkWritesThemAll)
{
    TempDir dir;
    const std::string ini = dir.File("dravel.ini"), font = dir.File("selfont.cfg");
    const SettingsRecord r = SettingsRecord::Read(ini, font);
    EXPECT_EQ(r, SettingsRecord{});
    EXPECT_EQ(r.DisplayFont.faceName, "Courier New");

    ASSERT_TRUE(r.Write(ini, font));
    EXPECT_EQ(ReadFileBytes(ini), "[Settings]\nopen file=\nsumcheck=0\nundo=1\nask offset=0\n"
                                  "show warnings=1\nInformation=1\n");
    EXPECT_EQ(ReadFileBytes(font).size(), 60u);
    EXPECT_EQ(SettingsRecord::Read(ini, font), r);
}

TEST(SettingsRecord, ValuesReadAsNotZeroAndUnreadableOnesAsTheDefault)
{
    struct Case {
        const char* value;
        bool sumCheck;  // default off
        bool undo;      // default on
    };
    const Case cases[] = {
        {"5", true, true},  {"-1", true, true},  {"0", false, false}, {"-0", false, false},
        {"abc", false, true}, {"", false, true}, {"\"1\"", true, true}, {"07x", true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        TempDir dir;
        const std::string ini = dir.Write("dravel.ini", std::string("garbage line\n[SETTINGS]\nSUMCHECK=") +
                                                            c.value + "\nUndo=" + c.value + "\n");
        EXPECT_EQ(settings::SumCheck(ini), c.sumCheck);
        EXPECT_EQ(settings::UseUndo(ini), c.undo);
    }
}

TEST(SettingsRecord, OkWritesBackFlagsAsOneOrZeroAndKeepsOtherLines)
{
    TempDir dir;
    const std::string ini = dir.Write("dravel.ini", "junk\n[settings]\nSumCheck=5\nAsk Offset=7\n"
                                                    "working dir=/tmp\n[MRU]\nCount=0\n");
    const std::string tooLong(300, 'a');
    SettingsRecord r = SettingsRecord::Read(ini, dir.File("none.cfg"));
    EXPECT_TRUE(r.SumCheck);
    EXPECT_TRUE(r.AskOffset);
    r.StartupFile = tooLong;
    ASSERT_TRUE(r.Write(ini, dir.File("selfont.cfg")));
    EXPECT_EQ(ReadFileBytes(ini), "junk\n[settings]\nsumcheck=1\nask offset=1\nworking dir=/tmp\nopen file=" +
                                      tooLong.substr(0, 254) + "\nundo=1\nshow warnings=1\nInformation=1\n"
                                      "[MRU]\nCount=0\n");

    // A name longer than the settings hold reads as none rather than as a
    // cut-off name of another file.
    ASSERT_TRUE(OProfile(ini).WriteString("Settings", "open file", tooLong));
    EXPECT_EQ(settings::StartupFile(ini), "");
    EXPECT_EQ(SettingsRecord::Read(ini, {}).StartupFile, "");
    EXPECT_EQ(settings::WorkingDir(ini), "/tmp");
    EXPECT_EQ(settings::WorkingDir(dir.File("none.ini")), "---NODIR---");
}
