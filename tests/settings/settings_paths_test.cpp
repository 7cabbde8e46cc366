#include "settings/settings_paths.h"
#include "support/recording_host.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

using settings::SettingsDirectory;

TEST(SettingsPaths, BesideAWritableProgramElseTheUsersConfigFolder)
{
    TempDir dir;
    const std::string program = dir.Path().string();
    EXPECT_EQ(SettingsDirectory(program, "/xdg", "/home/u"), program);
    // Nothing may be left behind by the test for writability.
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));

    // No file can be created under /proc, not even by the superuser.
    const std::string system = "/proc/self";
    EXPECT_EQ(SettingsDirectory(system, "/xdg", "/home/u"), "/xdg/dravel");
    EXPECT_EQ(SettingsDirectory(system, nullptr, "/home/u"), "/home/u/.config/dravel");
    EXPECT_EQ(SettingsDirectory(system, "", "/home/u"), "/home/u/.config/dravel");
    EXPECT_EQ(SettingsDirectory(system, "relative", "/home/u"), "/home/u/.config/dravel");
    EXPECT_EQ(SettingsDirectory(dir.File("missing"), "/xdg", nullptr), "/xdg/dravel");
}

TEST(SettingsPaths, AReadOnlyFolderThatAlreadyHoldsTheSettingsKeepsThem)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "the superuser writes into read-only folders";
    namespace fs = std::filesystem;
    TempDir withFont, empty;
    withFont.Write("selfont.cfg", std::string(60, '\0'));
    const auto readOnly = fs::perms::owner_read | fs::perms::owner_exec;
    fs::permissions(withFont.Path(), readOnly);
    fs::permissions(empty.Path(), readOnly);
    EXPECT_EQ(SettingsDirectory(withFont.Path().string(), "/xdg", "/h"), withFont.Path().string());
    EXPECT_EQ(SettingsDirectory(empty.Path().string(), "/xdg", "/h"), "/xdg/dravel");
    fs::permissions(withFont.Path(), fs::perms::owner_all);
    fs::permissions(empty.Path(), fs::perms::owner_all);
}
