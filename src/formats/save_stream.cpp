#include "formats/save_stream.h"

#include "settings/replace_file.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <pthread.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

SaveStream::SaveStream(const std::string& path)
{
    if (path == kStandardOutput) {
        fd_ = STDOUT_FILENO;
        ownsFd_ = false;
        inPlace_ = true;
        return;
    }
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode)) {
            Fail(EISDIR);
            return;
        }
        // A device or a pipe cannot be replaced by a file without breaking
        // what it is, and renaming over it as root would do just that.
        if (!S_ISREG(info.st_mode)) {
            OpenInPlace(path, S_ISSOCK(info.st_mode));
            return;
        }
    }
    OpenTemporary(path);
}

SaveStream::~SaveStream()
{
    if (!finished_)
        Discard();
}

bool SaveStream::Fail(int err)
{
    error_ = std::strerror(err);
    MarkFailed();
    return false;
}

void SaveStream::OpenInPlace(const std::string& path, bool socket)
{
    inPlace_ = true;
    if (!socket) {
        fd_ = ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
        if (fd_ < 0)
            Fail(errno);
        return;
    }
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) {
        Fail(ENAMETOOLONG);
        return;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd_ < 0 || ::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        Fail(errno);
        CloseFile();
    }
}

void SaveStream::OpenTemporary(const std::string& path)
{
    replacement_ = std::make_unique<settings::FileReplacement>(path);
    fd_ = replacement_->Fd();
    ownsFd_ = false;
    if (fd_ < 0) {
        error_ = replacement_->ErrorText();
        MarkFailed();
    }
}

bool SaveStream::WriteOut(const char* data, size_t size)
{
    // A reader that went away must give a write error, not end the program
    // with SIGPIPE and every other unsaved document with it.
    sigset_t pipeSignal, previous;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    const bool blocked = inPlace_ && ::pthread_sigmask(SIG_BLOCK, &pipeSignal, &previous) == 0;
    bool ok = true;
    while (size > 0) {
        ssize_t done = ::write(fd_, data, size);
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0) {
            const int err = done < 0 ? errno : ENOSPC;
            if (blocked && err == EPIPE) {
                const timespec now {};
                ::sigtimedwait(&pipeSignal, nullptr, &now);
            }
            error_ = std::strerror(err);
            ok = false;
            break;
        }
        data += done;
        size -= static_cast<size_t>(done);
    }
    if (blocked)
        ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    return ok;
}

bool SaveStream::Sink(const char* data, size_t size)
{
    if (fd_ < 0)
        return false;
    return WriteOut(data, size);
}

bool SaveStream::Complete()
{
    if (!Flush() || fd_ < 0)
        return false;
    if (inPlace_)
        return true;
    fd_ = -1;
    if (!replacement_->Complete()) {
        error_ = replacement_->ErrorText();
        MarkFailed();
        return false;
    }
    return true;
}

bool SaveStream::Commit()
{
    finished_ = true;
    if (inPlace_) {
        const bool ok = Flush() && fd_ >= 0;
        // Standard output redirected to a file is made as durable as a
        // saved file; a pipe or a device has nothing to sync.
        struct stat info {};
        if (ok && ::fstat(fd_, &info) == 0 && S_ISREG(info.st_mode))
            (void)::fsync(fd_);
        CloseFile();
        return ok;
    }
    if (!replacement_ || fd_ >= 0) {
        Discard();
        return false;
    }
    if (!replacement_->Commit()) {
        error_ = replacement_->ErrorText();
        MarkFailed();
        return false;
    }
    return true;
}

void SaveStream::Discard()
{
    finished_ = true;
    CloseFile();
    if (replacement_)
        replacement_->Discard();
}

void SaveStream::CloseFile()
{
    if (fd_ >= 0 && ownsFd_)
        ::close(fd_);
    fd_ = -1;
}
