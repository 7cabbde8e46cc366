#include "app/command_line.h"
#include "app/doc_templates.h"
#include "app/program_paths.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

CommandLine parse(std::vector<std::string> args)
{
    return ParseCommandLine(args);
}

class TempDir {
public:
    TempDir()
    {
        path = fs::temp_directory_path() / ("dravel_cl_" + std::to_string(::getpid()) + "_" + std::to_string(counter++));
        fs::create_directories(path);
    }
    ~TempDir() { fs::remove_all(path); }
    void touch(const std::string& name) const { std::ofstream(path / name) << "x"; }
    std::string str() const { return path.string(); }
    fs::path path;
    static inline int counter = 0;
};

} // namespace

TEST(CommandLine, UnregisterAbbreviationsInAnyCase)
{
    for (const char* text : {"", "u", "U", "unreg", "UNREGISTER", "unRegister"})
        EXPECT_TRUE(IsUnregisterOption(text)) << text;
    for (const char* text : {"x", "unregistered", "ur", "-u", " u"})
        EXPECT_FALSE(IsUnregisterOption(text)) << text;
}

TEST(CommandLine, OptionUAloneUnregistersAndNamesNothing)
{
    const CommandLine line = parse({"-u"});
    EXPECT_TRUE(line.unregister);
    EXPECT_TRUE(line.names.empty());
}

TEST(CommandLine, NamesAfterUnregisterAreNotTaken)
{
    const CommandLine line = parse({"a.hex", "-unregister", "b.hex"});
    EXPECT_TRUE(line.unregister);
    EXPECT_EQ(line.names, std::vector<std::string>{"a.hex"});
}

TEST(CommandLine, OtherOptionsAreIgnoredAndValuesLoseTheirMark)
{
    const CommandLine line = parse({"-x", "--help", "x.s19", "=v.int", "=", ""});
    EXPECT_FALSE(line.unregister);
    EXPECT_EQ(line.names, (std::vector<std::string>{"x.s19", "v.int"}));
}

TEST(CommandLine, NamesKeepBlanksSlashesAndEquals)
{
    const CommandLine line = parse({"/tmp/my dir/a=b.hex", "sub/file name.s3f"});
    EXPECT_FALSE(line.unregister);
    EXPECT_EQ(line.names, (std::vector<std::string>{"/tmp/my dir/a=b.hex", "sub/file name.s3f"}));
}

TEST(CommandLine, ResolvesRelativeNamesAndStoredLetterCase)
{
    TempDir dir;
    dir.touch("Prog One.HEX");
    dir.touch("b.int");
    dir.touch("a.int");
    EXPECT_EQ(ResolveCommandLineName("prog one.hex", dir.str()), (dir.path / "Prog One.HEX").string());
    EXPECT_EQ(ResolveCommandLineName("./b.int", dir.str()), (dir.path / "b.int").string());
    EXPECT_EQ(ResolveCommandLineName("*.INT", dir.str()), (dir.path / "a.int").string());
    EXPECT_EQ(ResolveCommandLineName(dir.str() + "/x/../b.int", "/elsewhere"), (dir.path / "b.int").string());
    // A name that matches nothing stays as typed, so opening reports it.
    EXPECT_EQ(ResolveCommandLineName("missing.s3f", dir.str()), (dir.path / "missing.s3f").string());
    EXPECT_EQ(ResolveCommandLineName("nodir/missing.s3f", dir.str()), (dir.path / "nodir/missing.s3f").string());
}

TEST(CommandLine, WildcardMatchingIsCaseBlindAndBounded)
{
    EXPECT_TRUE(WildcardMatch("*.s?f", "PROG.S3F"));
    EXPECT_TRUE(WildcardMatch("a*b*c", "aXXbYYc"));
    EXPECT_FALSE(WildcardMatch("a*b*c", "aXXbYY"));
    EXPECT_FALSE(WildcardMatch("?", ""));
    EXPECT_TRUE(WildcardMatch("*", ""));
    // Many stars against a long non-matching name finish quickly.
    EXPECT_FALSE(WildcardMatch("*a*a*a*a*a*a*a*a*b", std::string(5000, 'a')));
}

TEST(CommandLine, AppendedDotIsDroppedWhenOpening)
{
    TempDir dir;
    dir.touch("noext");
    dir.touch("dotted.");
    EXPECT_EQ(PathToOpen(dir.str() + "/noext."), dir.str() + "/noext");
    EXPECT_EQ(PathToOpen(dir.str() + "/dotted."), dir.str() + "/dotted.");
    EXPECT_EQ(PathToOpen(dir.str() + "/a.hex"), dir.str() + "/a.hex");
}

TEST(ProgramPaths, HelpLiesNextToTheProgramAndSettingsWhereTheUserMayWrite)
{
    const char* saved = std::getenv("XDG_CONFIG_HOME");
    const std::string savedValue = saved ? saved : "";
    ::setenv("XDG_CONFIG_HOME", "/home/u/.cfg", 1);
    InitProgramPaths("/opt/dravel/bin/dravel");
    EXPECT_EQ(ProgramDirectory, "/opt/dravel/bin");
    EXPECT_EQ(IniFilePath, "/home/u/.cfg/dravel/dravel.ini");
    EXPECT_EQ(FontFilePath, "/home/u/.cfg/dravel/selfont.cfg");
    EXPECT_EQ(HelpFilePath, "/opt/dravel/bin/Dravel.hlp");
    InitProgramPaths("/dravel");
    EXPECT_EQ(ProgramDirectory, "");
    EXPECT_EQ(HelpFilePath, "/Dravel.hlp");

    // A portable copy: a writable settings file beside the program.
    TempDir dir;
    dir.touch("dravel.ini");
    InitProgramPaths(dir.str() + "/dravel");
    EXPECT_EQ(IniFilePath, dir.str() + "/dravel.ini");
    EXPECT_EQ(FontFilePath, dir.str() + "/selfont.cfg");
    if (saved)
        ::setenv("XDG_CONFIG_HOME", savedValue.c_str(), 1);
    else
        ::unsetenv("XDG_CONFIG_HOME");
}

TEST(ProgramPaths, WorkingDirMarkerInAnyCaseRestoresNothing)
{
    EXPECT_FALSE(WorkingDirToRestore(""));
    EXPECT_FALSE(WorkingDirToRestore("---NODIR---"));
    EXPECT_FALSE(WorkingDirToRestore("---nodir---"));
    EXPECT_EQ(WorkingDirToRestore("/home/u/roms"), "/home/u/roms");
    EXPECT_EQ(WorkingDirToRestore("---NODIR---x"), "---NODIR---x");
}

TEST(CommandLine, NamesReachTheTemplateTheirExtensionAsksFor)
{
    // The shell hands resolved names to the template table in order; a few
    // names as users type them, including the dot a bare name is given.
    EXPECT_EQ(MatchTemplate("/d/PROG.S3F"), 0);
    EXPECT_EQ(MatchTemplate("/d/a.int"), 1);
    EXPECT_EQ(MatchTemplate("/d/a.EXT"), 1);
    EXPECT_EQ(MatchTemplate("/d/a.asc"), 2);
    EXPECT_EQ(MatchTemplate("/d/x.s19"), kAllFilesTemplate);
    EXPECT_EQ(MatchTemplate("/d/noext."), kAllFilesTemplate);
    EXPECT_EQ(MatchTemplate("/my dir.s3f/noext"), kAllFilesTemplate);
}
