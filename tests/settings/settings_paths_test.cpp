#include "settings/settings_paths.h"
#include "support/recording_host.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

TEST(SettingsPaths, BesideTheProgramOnlyInAPortableCopy)
{
    using settings::SettingsDirectory;
    TempDir program, config;
    const std::string dir = program.Path().string();
    const std::string xdg = config.Path().string();
    // No settings file beside the program: the user's folder, even where
    // the program's folder could be written.
    EXPECT_EQ(SettingsDirectory(dir, xdg.c_str(), "/home/u"), xdg + "/dravel");
    EXPECT_EQ(SettingsDirectory(dir, nullptr, "/home/u"), "/home/u/.config/dravel");
    EXPECT_EQ(SettingsDirectory(dir, "relative", "/home/u"), "/home/u/.config/dravel");
    EXPECT_TRUE(fs::is_empty(program.Path()));
    // A pipe by that name is no settings file.
    ASSERT_EQ(::mkfifo(program.File("dravel.ini").c_str(), 0600), 0);
    EXPECT_EQ(SettingsDirectory(dir, xdg.c_str(), "/h"), xdg + "/dravel");
    fs::remove(program.File("dravel.ini"));
    // A writable one makes a portable copy.
    program.Write("dravel.ini", "[Settings]\nundo=0\n");
    program.Write("selfont.cfg", std::string(60, 'x'));
    EXPECT_EQ(SettingsDirectory(dir, xdg.c_str(), "/h"), dir);

    // An installed copy's files seed the user's folder once, and never
    // overwrite what the user has.
    settings::SeedSettings(dir, xdg + "/dravel");
    EXPECT_EQ(ReadFileBytes(xdg + "/dravel/dravel.ini"), "[Settings]\nundo=0\n");
    EXPECT_EQ(ReadFileBytes(xdg + "/dravel/selfont.cfg"), std::string(60, 'x'));
    program.Write("dravel.ini", "[Settings]\nundo=1\n");
    settings::SeedSettings(dir, xdg + "/dravel");
    EXPECT_EQ(ReadFileBytes(xdg + "/dravel/dravel.ini"), "[Settings]\nundo=0\n");

    if (::geteuid() != 0) {
        ::chmod(program.File("dravel.ini").c_str(), 0444);
        EXPECT_EQ(SettingsDirectory(dir, xdg.c_str(), "/h"), xdg + "/dravel");
        ::chmod(program.File("dravel.ini").c_str(), 0644);
    }
}
