#include "support/recording_host.h"
#include "support/srec_peer.h"

#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <sstream>
#include <string>

namespace {
// The option names of the lines of `text` that `line` picks, each name as
// `name` finds it.
std::set<std::string> Names(const std::string& text, const std::regex& line, const std::regex& name)
{
    std::set<std::string> names;
    std::istringstream lines(text);
    std::string previous, current;
    for (; std::getline(lines, current); previous = current) {
        if (!std::regex_search(previous + "\n" + current, line))
            continue;
        for (std::sregex_iterator it(current.begin(), current.end(), name), end; it != end; ++it) {
            std::string found = (*it)[1];
            for (size_t at; (at = found.find('\\')) != std::string::npos;)
                found.erase(at, 1);
            names.insert(found);
        }
    }
    return names;
}
} // namespace

// --help is printed from the option table; the manual page and the bash
// completion must name the same options.
TEST(OptionTableTest, ManualAndCompletionMatchHelp)
{
    std::string help;
    ASSERT_EQ(RunCommand("'" DRAVEL_CONV_PATH "' --help", help), 0);
    const std::set<std::string> options =
        Names(help, std::regex("(^|\n)  -"), std::regex("^  (?:-[a-z], )?(--[a-z-]+)"));
    std::set<std::string> withShort = options;
    const std::regex shortName("\n  (-[a-z]), --");
    for (std::sregex_iterator it(help.begin(), help.end(), shortName), end; it != end; ++it)
        withShort.insert((*it)[1]);
    withShort.erase("--");
    ASSERT_GT(withShort.size(), 25u) << help;

    const std::string manual = ReadFileBytes(DRAVEL_SOURCE_DIR "/man/dravel-conv.1");
    const std::set<std::string> manualNames =
        Names(manual, std::regex("\\.TP\n\\.B"), std::regex("(\\\\?-(?:\\\\-)?[a-z][a-z\\\\-]*)"));
    const std::string completion = ReadFileBytes(DRAVEL_SOURCE_DIR "/completion/dravel-conv");
    std::smatch list;
    ASSERT_TRUE(std::regex_search(completion, list, std::regex("compgen -W '(--[^']*)'")));
    std::set<std::string> completed;
    std::istringstream words(list[1].str());
    for (std::string word; words >> word;)
        completed.insert(word);

    EXPECT_EQ(manualNames, withShort);
    EXPECT_EQ(completed, withShort);
}

// --version, and --name=value as well as --name value.
TEST(OptionTableTest, VersionAndJoinedValues)
{
    std::string version;
    EXPECT_EQ(RunCommand("'" DRAVEL_CONV_PATH "' --version", version), 0);
    EXPECT_EQ(version.rfind("dravel-conv (Dravel 97) ", 0), 0u) << version;
    TempDir dir;
    dir.Write("nine.bin", "123456789");
    std::string joined, apart;
    EXPECT_EQ(RunCommand("cd '" + dir.Path().string() + "' && '" DRAVEL_CONV_PATH "' --checksum=crc32:0-3 nine.bin",
                         joined),
              0);
    EXPECT_EQ(RunCommand("cd '" + dir.Path().string() + "' && '" DRAVEL_CONV_PATH "' --checksum crc32:0-3 nine.bin",
                         apart),
              0);
    EXPECT_EQ(joined, apart);
}
