#include "app/app_resources.h"
#include "app/file_association.h"
#include "settings/profile.h"
#include "app/recent_files.h"
#include "app/version_info.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

fs::path freshDir(const char* name)
{
    fs::path dir = fs::temp_directory_path() / (std::string(name) + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

std::string readAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

} // namespace

TEST(RecentFiles, NewestFirstWithoutCaseBlindDuplicatesAndAtMostFour)
{
    std::vector<std::string> list;
    for (const char* path : {"/a.hex", "/b.hex", "/c.hex", "/d.hex", "/e.hex"})
        AddRecentFile(list, path, 4);
    EXPECT_EQ(list, (std::vector<std::string>{"/e.hex", "/d.hex", "/c.hex", "/b.hex"}));
    AddRecentFile(list, "/C.HEX", 4);
    EXPECT_EQ(list, (std::vector<std::string>{"/C.HEX", "/e.hex", "/d.hex", "/b.hex"}));
}

TEST(RecentFiles, StoredInSectionMruAndReadBack)
{
    const fs::path dir = freshDir("dravel_mru_");
    const std::string ini = (dir / "dravel.ini").string();
    {
        TRecentFiles recent(ini, 4);
        recent.Add("/x/one.s3f");
        recent.Add("/x/two.int");
    }
    const OProfile profile(ini);
    EXPECT_EQ(profile.GetInt("MRU", "Count", -1), 2);
    EXPECT_EQ(profile.GetString("MRU", "MRU0"), "/x/two.int");
    EXPECT_EQ(profile.GetString("MRU", "MRU1"), "/x/one.s3f");
    TRecentFiles again(ini, 4);
    EXPECT_EQ(again.Entries(), (std::vector<std::string>{"/x/two.int", "/x/one.s3f"}));
    fs::remove_all(dir);
}

TEST(RecentFiles, DamagedSectionsReadAsWhatIsUsable)
{
    const fs::path dir = freshDir("dravel_mru_bad_");
    const fs::path ini = dir / "dravel.ini";
    std::ofstream(ini) << "[MRU]\nCount=999\nMRU0=/a.s3f\nMRU1=\nMRU2=/A.S3F\nMRU3=/b.s3f\nMRU4=/c.s3f\n";
    EXPECT_EQ(TRecentFiles(ini.string(), 4).Entries(), (std::vector<std::string>{"/a.s3f", "/b.s3f"}));
    std::ofstream(ini) << "\x01\x02garbage\n[MRU\nCount=abc\n";
    EXPECT_TRUE(TRecentFiles(ini.string(), 4).Entries().empty());
    EXPECT_TRUE(TRecentFiles((dir / "none.ini").string(), 4).Entries().empty());
    fs::remove_all(dir);
}

TEST(RecentFiles, MenuTextNumbersFromOne)
{
    EXPECT_EQ(RecentFileMenuText(0, "/a b/c.s3f"), "&1 /a b/c.s3f");
    EXPECT_EQ(RecentFileMenuText(3, "x"), "&4 x");
}

TEST(VersionInfo, ProgramTableAnswersTheAboutBoxLookups)
{
    const TProjectRCVersion version;
    EXPECT_EQ(version.Translation(), 0x040904E4u);
    const char* text = nullptr;
    ASSERT_TRUE(version.QueryProductName(text));
    EXPECT_STREQ(text, "Dravel 97");
    EXPECT_TRUE(version.QueryProductVersion(text));
    EXPECT_TRUE(version.QueryCopyright(text));
    EXPECT_NE(std::string(text).find("Copyright"), std::string::npos);
    text = nullptr;
    EXPECT_FALSE(version.QuerySpecialBuild(text));
    EXPECT_EQ(text, nullptr);
    EXPECT_EQ(VersionQueryString(ProgramVersionResource(), "\\stringfileinfo\\040904e4\\productname"), "Dravel 97");
}

TEST(VersionInfo, OtherLanguageAndMissingDataLookUpTheirOwnBlock)
{
    const VersionResource german{{0x04E40407u}, {{"\\StringFileInfo\\040704E4\\SpecialBuild", "Sonder"},
                                                  {"\\StringFileInfo\\040904E4\\ProductName", "wrong block"}}};
    const TProjectRCVersion version(&german);
    const char* text = nullptr;
    EXPECT_TRUE(version.QuerySpecialBuild(text));
    EXPECT_STREQ(text, "Sonder");
    EXPECT_FALSE(version.QueryProductName(text));
    const VersionResource none;
    EXPECT_FALSE(TProjectRCVersion(&none).QueryCopyright(text));
    EXPECT_FALSE(TProjectRCVersion(nullptr).QueryCopyright(text));
}

TEST(FileAssociation, WrittenAndRemovedUnderTheDataHome)
{
    const fs::path home = freshDir("dravel_xdg_");
    const char* old = std::getenv("XDG_DATA_HOME");
    const std::string saved = old ? old : "";
    ::setenv("XDG_DATA_HOME", home.c_str(), 1);

    EXPECT_TRUE(RegisterAssociation({"APPICON", "DOCICON"}));
    const std::string package = readAll(AssociationMimePackage(home));
    EXPECT_NE(package.find("<glob pattern=\"*.s3f\"/>"), std::string::npos);
    EXPECT_NE(package.find("type=\"application/x-srecord\""), std::string::npos);
    EXPECT_EQ(readAll(AssociationApplicationIcon(home)), "APPICON");
    EXPECT_EQ(readAll(AssociationDocumentIcon(home)), "DOCICON");
    // A later start rewrites the icons; an unchanged package needs no cache rebuild.
    EXPECT_FALSE(RegisterAssociation({"NEWAPP", "NEWDOC"}));
    EXPECT_EQ(readAll(AssociationApplicationIcon(home)), "NEWAPP");

    EXPECT_TRUE(UnregisterAssociation());
    EXPECT_FALSE(fs::exists(AssociationMimePackage(home)));
    EXPECT_FALSE(fs::exists(AssociationDocumentIcon(home)));
    EXPECT_FALSE(UnregisterAssociation());
    EXPECT_TRUE(RegisterAssociation({"A", "D"}));

    // An installed package of the same type: nothing of the user's, and
    // what an earlier start wrote goes.
    const fs::path system = freshDir("dravel_xdg_dirs_");
    fs::create_directories(system / "mime/packages");
    std::ofstream(system / "mime/packages/dravel.xml") << "<mime-type type=\"application/x-srecord\">";
    ::setenv("XDG_DATA_DIRS", ("relative:" + system.string()).c_str(), 1);
    EXPECT_TRUE(RegisterAssociation({"A", "D"}));
    EXPECT_FALSE(fs::exists(AssociationMimePackage(home)));
    EXPECT_FALSE(fs::exists(AssociationApplicationIcon(home)));
    EXPECT_FALSE(RegisterAssociation({"A", "D"}));
    ::unsetenv("XDG_DATA_DIRS");
    fs::remove_all(system);

    // An unwritable data home is silently left alone.
    ::setenv("XDG_DATA_HOME", "/proc/dravel-no-such-place", 1);
    EXPECT_FALSE(RegisterAssociation({"A", "D"}));
    EXPECT_FALSE(UnregisterAssociation());
    // A relative value is not a data home: the default under HOME applies.
    ::setenv("XDG_DATA_HOME", "relative", 1);
    EXPECT_EQ(AssociationDataHome(), fs::path(std::getenv("HOME")) / ".local/share");

    if (old)
        ::setenv("XDG_DATA_HOME", saved.c_str(), 1);
    else
        ::unsetenv("XDG_DATA_HOME");
    fs::remove_all(home);
}

TEST(AppResources, MenusToolbarAndAcceleratorsAreComplete)
{
    const auto& menu = MainMenu();
    ASSERT_EQ(menu.size(), 6u);
    EXPECT_EQ(menu[0].items.size(), 17u);  // with Overlay file, Split, Merge lanes and Export
    EXPECT_EQ(menu[1].items.size(), 12u);  // with Redo, Copy as hex text and Paste hex text
    EXPECT_EQ(BufferMenu().items.size(), 10u);  // with Checksum, Swap bytes and the range jumps
    EXPECT_EQ(ToolbarLayout().size(), 24u);
    int buttons = 0;
    for (int id : ToolbarLayout())
        buttons += id != 0;
    EXPECT_EQ(buttons, 18);
    EXPECT_EQ(Accelerators().size(), 14u);
    EXPECT_EQ(CommandHint(CmTile), "");
    EXPECT_EQ(CommandHint(CmExit), "Quits Dravel 97 and prompts to save the documents");
}
