#pragma once
// Replacing a file as a whole, for every file the program writes (documents,
// the settings file, the font file): the new contents go to a temporary file
// beside the target, are synced, and are renamed over the target only when
// the caller commits, so the old contents stay whole until the new ones are
// on the disk. Links are followed to the file they name, the replaced file's
// owner and mode carry over, and SIGINT, SIGTERM and SIGHUP remove the
// temporary file before the program ends.

#include <string>
#include <string_view>

namespace settings {

class FileReplacement {
public:
    // Creates the temporary file for `path`, which is a regular file or a
    // name not taken yet. With `makeFolders`, missing folders leading to it
    // are created first.
    explicit FileReplacement(const std::string& path, bool makeFolders = false);
    // Drops the new contents unless they were committed.
    ~FileReplacement();
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    // The temporary file to write to; -1 when it could not be made.
    int Fd() const { return fd_; }
    // The system's reason for the last failure.
    const std::string& ErrorText() const { return error_; }

    // Makes the written bytes durable and closes the temporary file.
    bool Complete();
    // Renames the temporary file over the target and syncs the folder.
    // False when that failed; the target then keeps its old contents.
    bool Commit();
    // Drops the new contents.
    void Discard();
    // Records `err` as the reason of a failure; returns false.
    bool Fail(int err);

private:
    std::string error_;
    int fd_ = -1;
    int dirFd_ = -1;
    std::string tempName_;
    std::string targetName_;
    // The signal clean-up's entry for the temporary file, or -1.
    int cleanupSlot_ = -1;
};

// Removes the file `path` names when SIGINT, SIGTERM or SIGHUP ends the
// program while the object lives, as a replacement's temporary file is
// removed: for finished files kept for a later rename, such as the lanes of
// a split waiting to take their names together.
class RemovedOnSignal {
public:
    explicit RemovedOnSignal(const std::string& path);
    ~RemovedOnSignal();
    RemovedOnSignal(const RemovedOnSignal&) = delete;
    RemovedOnSignal& operator=(const RemovedOnSignal&) = delete;

private:
    int dirFd_ = -1;
    int slot_ = -1;
};

// Writes all of `size` bytes to `fd`, retrying after interruptions; false
// with errno set when the system refuses.
bool WriteAll(int fd, const char* data, size_t size);

// Replaces the file at `path` with `bytes`, creating the folders leading to
// it when they are missing (a first write to the user's configuration
// folder). False, and the old file untouched, when anything fails; `error`
// then gets the system's reason when given.
bool ReplaceFile(const std::string& path, std::string_view bytes, std::string* error = nullptr);

}  // namespace settings
