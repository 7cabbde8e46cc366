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

// A finished file kept for a later rename goes when a signal ends the
// program, unless its keeper let it go first.
TEST(ReplaceFile, AKeptFileGoesWithTheProgramASignalEnds)
{
    TempDir dir;
    const std::string kept = dir.Write("lane.bin.dravel-1", "lane");
    const std::string released = dir.Write("other.bin.dravel-1", "renamed already");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        settings::RemovedOnSignal keep(kept);
        { settings::RemovedOnSignal letGo(released); }
        ::raise(SIGTERM);
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM);
    EXPECT_FALSE(fs::exists(kept));
    EXPECT_TRUE(fs::exists(released));
}
