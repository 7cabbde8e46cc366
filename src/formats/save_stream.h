#pragma once
// The output stream of a save, made so that no save loses what the user had.
// A regular file (or a name not taken yet) is written to a temporary file
// beside it, synced, and renamed over it only when the caller commits, so
// the old contents stay whole until the new ones are on the disk; links are
// followed to the file they name. A target that is not a regular file (a
// device, a pipe, a socket, "-" for standard output) cannot be replaced and
// is written in place, as the bytes are made, through the stream's bounded
// buffer. SIGINT, SIGTERM and SIGHUP during the save remove the temporary
// file before the program ends.

#include "formats/streams.h"

#include <memory>
#include <string>

namespace settings {
class FileReplacement;
}

class SaveStream final : public OutStream {
public:
    static constexpr const char* kStandardOutput = "-";

    // Prepares the save to `path`.
    explicit SaveStream(const std::string& path);
    // Discards the new contents unless they were committed.
    ~SaveStream() override;
    SaveStream(const SaveStream&) = delete;
    SaveStream& operator=(const SaveStream&) = delete;

    bool IsOpen() const { return fd_ >= 0; }
    // The system's reason for the last failure.
    const std::string& ErrorText() const { return error_; }
    bool InPlace() const { return inPlace_; }

    // Hands every byte to the target and, for a temporary file, makes them
    // durable; false when writing failed.
    bool Complete();
    // Puts the new contents in place: renames the temporary file over the
    // target and syncs the folder, or ends the write in place. False when
    // that failed; a replaced file then still has its old contents.
    bool Commit();
    // Drops the new contents.
    void Discard();

protected:
    bool Sink(const char* data, size_t size) override;

private:
    void OpenInPlace(const std::string& path, bool socket);
    void OpenTemporary(const std::string& path);
    bool Fail(int err);
    bool WriteOut(const char* data, size_t size);
    void CloseFile();

    std::string error_;
    int fd_ = -1;
    bool ownsFd_ = true;
    bool inPlace_ = false;
    // The temporary file of a regular target; its descriptor is fd_.
    std::unique_ptr<settings::FileReplacement> replacement_;
    bool finished_ = false;
};
