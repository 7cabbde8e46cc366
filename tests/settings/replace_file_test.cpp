#include "settings/replace_file.h"
#include "support/recording_host.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

// A save killed with SIGKILL leaves its hidden temporary beside the file; the
// next save of the same file removes it, and nothing that is not exactly such
// a leftover of a process that is gone.
TEST(ReplaceFile, TheNextSaveRemovesATemporaryLeftByAKilledSave)
{
    TempDir dir;
    const std::string target = dir.Write("image.hex", "old");
    // A process that has ended: its temporary is stale. Process 1 still
    // runs, so its temporary may be in use and stays.
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ASSERT_GT(child, 0);
    ::waitpid(child, nullptr, 0);
    const std::string stale = dir.Write(".image.hex.save" + std::to_string(child) + "-0", "half");
    const std::string live = dir.Write(".image.hex.save1-0", "in use");
    const std::string other = dir.Write(".other.hex.save" + std::to_string(child) + "-0", "other file's");
    const std::string lookalike = dir.Write(".image.hex.save" + std::to_string(child) + "-x", "not ours");

    ASSERT_TRUE(settings::ReplaceFile(target, "new"));
    EXPECT_EQ(ReadFileBytes(target), "new");
    EXPECT_FALSE(fs::exists(stale));
    EXPECT_TRUE(fs::exists(live));
    EXPECT_TRUE(fs::exists(other));
    EXPECT_TRUE(fs::exists(lookalike));
}
