// The settings and font files never hang the editor, never lose what the
// user had, and a write that fails says so once while the session keeps the
// new values.

#include "settings/font_record.h"
#include "settings/profile.h"
#include "settings/settings_file.h"
#include "settings/settings_paths.h"
#include "support/recording_host.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

TEST(SettingsFiles, NoHangNoLossAndOneWordWhenAWriteFails)
{
    std::vector<std::string> said;
    settings::SetWriteFailureHandler([&](const std::string& message) { said.push_back(message); });
    TempDir dir;

    // A pipe by the settings file's or the font file's name reads as absent
    // at once (opening it plainly would wait for a writer) and stays a pipe.
    const std::string fifo = dir.File("dravel.ini");
    const std::string fontFifo = dir.File("selfont.cfg");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo(fontFifo.c_str(), 0600), 0);
    OProfile pipe(fifo);
    EXPECT_EQ(pipe.GetInt("Settings", "undo", 1), 1);
    EXPECT_FALSE(pipe.WriteInt("Settings", "undo", 0));
    EXPECT_FALSE(pipe.WriteInt("Settings", "sumcheck", 1));
    // The session goes on with what was asked for.
    EXPECT_EQ(pipe.GetInt("Settings", "undo", 1), 0);
    EXPECT_EQ(OProfile(fifo).GetInt("settings", "SUMCHECK", 0), 1);
    EXPECT_TRUE(fs::is_fifo(fifo));
    OFontRecord font;
    font.faceName = "DejaVu Sans Mono";
    EXPECT_EQ(OFontRecord::Load(fontFifo), OFontRecord{});
    EXPECT_FALSE(font.Save(fontFifo));
    EXPECT_EQ(OFontRecord::Load(fontFifo), font);
    EXPECT_EQ(said, (std::vector<std::string>{"Cannot save settings to " + fifo + ": not a regular file",
                                              "Cannot save settings to " + fontFifo + ": not a regular file"}));

    // A settings file that cannot be read is never replaced by one holding
    // only the key being written.
    const std::string folder = dir.File("folder.ini");
    fs::create_directory(folder);
    EXPECT_FALSE(OProfile(folder).WriteInt("Settings", "undo", 0));
    EXPECT_TRUE(fs::is_directory(folder));
    if (::geteuid() != 0) {
        const std::string locked = dir.Write("locked.ini", "[Settings]\nundo=1\nsumcheck=1\n");
        ::chmod(locked.c_str(), 0);
        EXPECT_FALSE(OProfile(locked).WriteInt("Settings", "undo", 0));
        ::chmod(locked.c_str(), 0600);
        EXPECT_EQ(ReadFileBytes(locked), "[Settings]\nundo=1\nsumcheck=1\n");
    }

    // A link is followed: the file it names gets the new contents.
    const std::string real = dir.Write("real.ini", "[Settings]\nundo=1\n");
    const std::string link = dir.File("link.ini");
    fs::create_symlink("real.ini", link);
    EXPECT_TRUE(OProfile(link).WriteInt("Settings", "undo", 0));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadFileBytes(real), "[Settings]\nundo=0\n");
    // Only the two files and the link are left beside the others.
    for (const auto& entry : fs::directory_iterator(dir.Path()))
        EXPECT_NE(entry.path().filename().string().front(), '.') << entry.path();

    // The system's reason, once per file.
    said.clear();
    OProfile nowhere("/proc/self/none/dravel.ini");
    EXPECT_FALSE(nowhere.WriteInt("Settings", "undo", 0));
    EXPECT_FALSE(nowhere.WriteInt("Settings", "undo", 1));
    ASSERT_EQ(said.size(), 1u);
    EXPECT_EQ(said[0].rfind("Cannot save settings to /proc/self/none/dravel.ini: ", 0), 0u) << said[0];
    settings::SetWriteFailureHandler({});
}

// Something far larger than any settings or font file the program writes
// (a disk image that took the name) is not read, is spoken of once, and is
// never replaced; a file just at the limit is read as usual.
TEST(SettingsFiles, AFileLargerThanItsLimitIsNotReadNorReplaced)
{
    std::vector<std::string> said;
    settings::SetWriteFailureHandler([&](const std::string& message) { said.push_back(message); });
    TempDir dir;
    const std::string ini = dir.Write("dravel.ini", "[Settings]\nundo=0\n");
    const std::string font = dir.Write("selfont.cfg", "");
    fs::resize_file(ini, uintmax_t{4} << 30);
    fs::resize_file(font, settings::kFontFileLimit + 1);
    OProfile profile(ini);
    EXPECT_EQ(profile.GetInt("Settings", "undo", 1), 1);
    EXPECT_FALSE(profile.WriteInt("Settings", "sumcheck", 1));
    EXPECT_EQ(profile.GetInt("Settings", "sumcheck", 0), 1);
    EXPECT_EQ(fs::file_size(ini), uintmax_t{4} << 30);
    EXPECT_EQ(OFontRecord::Load(font), OFontRecord{});
    EXPECT_FALSE(OFontRecord{}.Save(font));
    EXPECT_EQ(fs::file_size(font), settings::kFontFileLimit + 1);
    EXPECT_EQ(said, (std::vector<std::string>{ini + " is larger than 1 MiB and was not read",
                                              font + " is larger than 4 KiB and was not read"}));

    const std::string full = "[Settings]\nundo=0\n;" + std::string(settings::kIniFileLimit - 20, 'x') + "\n";
    ASSERT_EQ(full.size(), settings::kIniFileLimit);
    EXPECT_EQ(OProfile(dir.Write("full.ini", full)).GetInt("Settings", "undo", 1), 0);
    EXPECT_EQ(said.size(), 2u);
    settings::SetWriteFailureHandler({});
}
