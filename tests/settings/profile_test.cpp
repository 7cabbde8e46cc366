#include "settings/profile.h"
#include "support/recording_host.h"

#include <gtest/gtest.h>

#include <filesystem>

TEST(ProfileTest, ReadsIgnoringCaseWithDefaultsForWhatIsMissing)
{
    TempDir dir;
    std::string path = dir.Write("dravel.ini", "; comment\r\n[Other]\r\nundo=7\r\n[settings]\r\n"
                                               "  SumCheck = 12 \r\nask offset=\"quoted text\"\r\n"
                                               "bad=abc\r\nneg=-3\r\n");
    OProfile profile(path);
    EXPECT_EQ(profile.GetInt("Settings", "sumcheck", 0), 12);
    EXPECT_EQ(profile.GetInt("SETTINGS", "undo", 1), 1);
    EXPECT_EQ(profile.GetInt("Other", "UNDO", 1), 7);
    EXPECT_EQ(profile.GetInt("Settings", "bad", 5), 0);
    EXPECT_EQ(profile.GetInt("Settings", "neg", 5), -3);
    EXPECT_EQ(profile.GetString("Settings", "Ask Offset", "x"), "quoted text");
    EXPECT_EQ(profile.GetString("Nowhere", "key", "dflt"), "dflt");
    EXPECT_TRUE(profile.HasKey("settings", "NEG"));

    OProfile missing(dir.File("absent.ini"));
    EXPECT_EQ(missing.GetInt("Settings", "undo", 1), 1);
}

TEST(ProfileTest, WritingAKeyKeepsEveryOtherLine)
{
    TempDir dir;
    const std::string before = "; keep me\r\n[Settings]\r\nundo=1\r\nsumcheck=0\r\n\r\n[MRU]\r\nCount=0\r\n";
    std::string path = dir.Write("dravel.ini", before);
    OProfile profile(path);

    ASSERT_TRUE(profile.WriteInt("SETTINGS", "SumCheck", 1));
    EXPECT_EQ(ReadFileBytes(path), "; keep me\r\n[Settings]\r\nundo=1\r\nSumCheck=1\r\n\r\n[MRU]\r\nCount=0\r\n");

    ASSERT_TRUE(profile.WriteString("Settings", "open file", "a b.hex"));
    EXPECT_EQ(ReadFileBytes(path),
              "; keep me\r\n[Settings]\r\nundo=1\r\nSumCheck=1\r\nopen file=a b.hex\r\n\r\n[MRU]\r\nCount=0\r\n");
    EXPECT_EQ(profile.GetString("settings", "OPEN FILE"), "a b.hex");

    ASSERT_TRUE(profile.WriteInt("New", "k", 5));
    EXPECT_EQ(profile.GetInt("new", "K", 0), 5);
    ASSERT_TRUE(profile.DeleteKey("Settings", "undo"));
    EXPECT_FALSE(profile.HasKey("Settings", "undo"));
    EXPECT_EQ(profile.GetInt("MRU", "Count", 9), 0);

    // Only the settings file is left: the temporary file was renamed over it.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
}

TEST(ProfileTest, WritingCreatesTheFileAndFailsWithoutHarm)
{
    TempDir dir;
    OProfile fresh(dir.File("new.ini"));
    ASSERT_TRUE(fresh.WriteInt("Settings", "undo", 0));
    EXPECT_EQ(ReadFileBytes(dir.File("new.ini")), "[Settings]\nundo=0\n");

    // The user's configuration folder may not exist yet.
    OProfile deeper(dir.File("no/folder/x.ini"));
    ASSERT_TRUE(deeper.WriteInt("Settings", "undo", 0));
    EXPECT_EQ(deeper.GetInt("Settings", "undo", 4), 0);

    // Nothing can be created under /proc, not even by the superuser.
    // The session keeps the value all the same.
    OProfile nowhere("/proc/self/no/folder/x.ini");
    EXPECT_FALSE(nowhere.WriteInt("Settings", "undo", 0));
    EXPECT_EQ(nowhere.GetInt("Settings", "undo", 4), 0);
}
