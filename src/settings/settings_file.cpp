#include "settings/settings_file.h"

#include "settings/replace_file.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace settings {
namespace {
constexpr const char* kNotRegular = "not a regular file";

WriteFailureHandler& Handler()
{
    static WriteFailureHandler handler;
    return handler;
}

std::set<std::string>& ReportedPaths()
{
    static std::set<std::string> paths;
    return paths;
}
}  // namespace

FileState ReadSettingsFile(const std::string& path, std::string& text, std::string* reason, size_t limit)
{
    text.clear();
    // Without O_NONBLOCK, opening a pipe waits for a writer that may never come.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return FileState::Missing;
        if (reason)
            *reason = std::strerror(errno);
        return FileState::Unusable;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        if (reason)
            *reason = kNotRegular;
        return FileState::Unusable;
    }
    if (static_cast<uint64_t>(info.st_size) > limit) {
        ::close(fd);
        return FileState::TooLarge;
    }
    char chunk[8192];
    for (;;) {
        // A file that grows while it is read stops at the limit all the same.
        if (text.size() > limit) {
            ::close(fd);
            text.clear();
            return FileState::TooLarge;
        }
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            if (reason)
                *reason = std::strerror(errno);
            ::close(fd);
            return FileState::Unusable;
        }
        if (got == 0)
            break;
        text.append(chunk, static_cast<size_t>(got));
    }
    ::close(fd);
    return FileState::Read;
}

bool WriteSettingsFile(const std::string& path, std::string_view bytes, size_t limit)
{
    std::string old, reason;
    const FileState state = ReadSettingsFile(path, old, &reason, limit);
    if (state == FileState::Unusable) {
        ReportWriteFailure(path, reason);
        return false;
    }
    if (state == FileState::TooLarge) {
        ReportTooLarge(path, limit);
        return false;
    }
    if (!ReplaceFile(path, bytes, &reason)) {
        ReportWriteFailure(path, reason);
        return false;
    }
    return true;
}

void SetWriteFailureHandler(WriteFailureHandler handler) { Handler() = std::move(handler); }

namespace {
// Each file is spoken of once per session, whatever went wrong with it.
void ReportOnce(const std::string& path, const std::string& message)
{
    if (!ReportedPaths().insert(path).second)
        return;
    if (Handler())
        Handler()(message);
    else
        std::fprintf(stderr, "%s\n", message.c_str());
}
}  // namespace

void ReportWriteFailure(const std::string& path, const std::string& reason)
{
    ReportOnce(path, "Cannot save settings to " + path + ": " + reason);
}

void ReportTooLarge(const std::string& path, size_t limit)
{
    const bool mebibytes = limit % (size_t{1} << 20) == 0;
    const std::string size = std::to_string(limit >> (mebibytes ? 20 : 10)) + (mebibytes ? " MiB" : " KiB");
    ReportOnce(path, path + " is larger than " + size + " and was not read");
}

}  // namespace settings
