#include "settings/replace_file.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace settings {
namespace {
// --- Removing temporary files when the program is interrupted ---
//
// The handler may only use what is safe in a signal handler: the names sit
// in preallocated slots, are removed with unlinkat, and the signal is then
// raised again under the action it had before, normally ending the program.

constexpr int kCleanupSignals[] = {SIGINT, SIGTERM, SIGHUP};
constexpr int kSignalCount = sizeof kCleanupSignals / sizeof kCleanupSignals[0];
// Saves running at once: one per document saving while another one's save
// lets the user interface work.
constexpr int kCleanupSlots = 16;

struct CleanupSlot {
    volatile sig_atomic_t active;
    int dirFd;
    char name[NAME_MAX + 1];
};
CleanupSlot g_slots[kCleanupSlots];
int g_slotsInUse = 0;
struct sigaction g_previous[kSignalCount];
bool g_installed[kSignalCount];

void RemoveTemporaryFiles(int sig, siginfo_t* info, void* context)
{
    const int savedErrno = errno;
    for (CleanupSlot& slot : g_slots)
        if (slot.active)
            ::unlinkat(slot.dirFd, slot.name, 0);
    for (int i = 0; i < kSignalCount; ++i) {
        if (kCleanupSignals[i] != sig)
            continue;
        const struct sigaction& previous = g_previous[i];
        if (previous.sa_flags & SA_SIGINFO) {
            previous.sa_sigaction(sig, info, context);
        } else if (previous.sa_handler != SIG_DFL && previous.sa_handler != SIG_IGN) {
            previous.sa_handler(sig);
        } else {
            // Blocked while this handler runs; delivered with the default
            // action as soon as it returns.
            ::sigaction(sig, &previous, nullptr);
            ::raise(sig);
        }
    }
    errno = savedErrno;
}

void InstallHandlers()
{
    struct sigaction action {};
    action.sa_sigaction = RemoveTemporaryFiles;
    action.sa_flags = SA_SIGINFO | SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (int sig : kCleanupSignals)
        sigaddset(&action.sa_mask, sig);
    for (int i = 0; i < kSignalCount; ++i) {
        g_installed[i] = false;
        if (::sigaction(kCleanupSignals[i], nullptr, &g_previous[i]) != 0)
            continue;
        // An ignored signal does not end the save; there is nothing to clean.
        if (!(g_previous[i].sa_flags & SA_SIGINFO) && g_previous[i].sa_handler == SIG_IGN)
            continue;
        g_installed[i] = ::sigaction(kCleanupSignals[i], &action, nullptr) == 0;
    }
}

void RestoreHandlers()
{
    for (int i = 0; i < kSignalCount; ++i)
        if (g_installed[i])
            ::sigaction(kCleanupSignals[i], &g_previous[i], nullptr);
}

// Puts the temporary file in a free slot before it is created; -1 when all
// slots are taken (the save goes on without the clean-up).
int ClaimSlot(int dirFd, const std::string& name)
{
    if (name.size() > NAME_MAX)
        return -1;
    for (int i = 0; i < kCleanupSlots; ++i) {
        CleanupSlot& slot = g_slots[i];
        if (slot.active)
            continue;
        if (g_slotsInUse++ == 0)
            InstallHandlers();
        slot.dirFd = dirFd;
        std::memcpy(slot.name, name.c_str(), name.size() + 1);
        std::atomic_signal_fence(std::memory_order_seq_cst);
        slot.active = 1;
        return i;
    }
    return -1;
}

void ReleaseSlot(int& index)
{
    if (index < 0)
        return;
    g_slots[index].active = 0;
    std::atomic_signal_fence(std::memory_order_seq_cst);
    if (--g_slotsInUse == 0)
        RestoreHandlers();
    index = -1;
}

// --- Names ---

// Follows symbolic links from `path` to the name the file has, or will have
// when a dangling link is saved through. Empty, with errno set, for a loop.
std::string FinalName(std::string path)
{
    for (int hops = 0; hops < 40; ++hops) {
        char link[PATH_MAX];
        ssize_t size = ::readlink(path.c_str(), link, sizeof link);
        if (size < 0)
            return path;
        std::string next(link, static_cast<size_t>(size));
        if (next.front() != '/') {
            size_t slash = path.rfind('/');
            if (slash != std::string::npos)
                next = path.substr(0, slash + 1) + next;
        }
        path = std::move(next);
    }
    errno = ELOOP;
    return {};
}

// A hidden name beside the target that fits the folder's limit whenever the
// target's name does: the target's name is shortened to make room for the
// suffix.
std::string TemporaryName(const std::string& base, long pid, long attempt, long nameMax)
{
    const std::string suffix = ".save" + std::to_string(pid) + "-" + std::to_string(attempt);
    const long room = nameMax - 1 - static_cast<long>(suffix.size());
    const size_t keep = room <= 0 ? 0 : std::min(base.size(), static_cast<size_t>(room));
    return "." + base.substr(0, keep) + suffix;
}
// The number `text` spells in decimal digits alone; -1 for anything else.
long DecimalOrNone(std::string_view text)
{
    if (text.empty() || text.size() > 9 || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return -1;
    return std::stol(std::string(text));
}

// A save killed with SIGKILL cannot remove its temporary file: the next save
// of the same file removes those whose process no longer runs. A name is
// taken only when it is exactly what TemporaryName gives for this target, so
// no other file of the folder is ever touched.
void RemoveStaleTemporaries(int dirFd, const std::string& targetName, long nameMax)
{
    const int fd = ::dup(dirFd);
    DIR* dir = fd >= 0 ? ::fdopendir(fd) : nullptr;
    if (!dir) {
        if (fd >= 0)
            ::close(fd);
        return;
    }
    ::rewinddir(dir);
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        const size_t mark = name.rfind(".save");
        const size_t dash = name.rfind('-');
        if (name.size() < 2 || name[0] != '.' || mark == std::string_view::npos || dash == std::string_view::npos
            || dash < mark)
            continue;
        const long pid = DecimalOrNone(name.substr(mark + 5, dash - mark - 5));
        const long attempt = DecimalOrNone(name.substr(dash + 1));
        if (pid <= 0 || attempt < 0 || pid == ::getpid() || TemporaryName(targetName, pid, attempt, nameMax) != name)
            continue;
        if (::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH)
            (void)::unlinkat(dirFd, std::string(name).c_str(), 0);
    }
    ::closedir(dir);
}
} // namespace

FileReplacement::FileReplacement(const std::string& path, bool makeFolders)
{
    const std::string target = FinalName(path);
    if (target.empty()) {
        Fail(errno);
        return;
    }
    const size_t slash = target.rfind('/');
    const std::string dir = slash == std::string::npos ? "." : slash == 0 ? "/" : target.substr(0, slash);
    targetName_ = slash == std::string::npos ? target : target.substr(slash + 1);
    if (targetName_.empty()) {
        Fail(EISDIR);
        return;
    }
    dirFd_ = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd_ < 0 && errno == ENOENT && makeFolders) {
        std::error_code ec;
        std::filesystem::create_directories(dir, ec);
        dirFd_ = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    }
    if (dirFd_ < 0) {
        Fail(errno);
        return;
    }
    struct stat old {};
    const bool replacing = ::fstatat(dirFd_, targetName_.c_str(), &old, 0) == 0;
    // A file the user may not write stays protected, although renaming over
    // it would be allowed.
    if (replacing && ::faccessat(dirFd_, targetName_.c_str(), W_OK, 0) != 0) {
        Fail(errno);
        return;
    }
    long nameMax = ::fpathconf(dirFd_, _PC_NAME_MAX);
    if (nameMax <= 0)
        nameMax = NAME_MAX;
    // A name the folder cannot hold would fail only at the rename, after
    // the whole contents were written.
    if (static_cast<long>(targetName_.size()) > nameMax) {
        Fail(ENAMETOOLONG);
        return;
    }
    RemoveStaleTemporaries(dirFd_, targetName_, nameMax);
    for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
        tempName_ = TemporaryName(targetName_, ::getpid(), attempt, nameMax);
        // Known to the signal handler before it exists, so that no moment
        // leaves it behind.
        cleanupSlot_ = ClaimSlot(dirFd_, tempName_);
        fd_ = ::openat(dirFd_, tempName_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ >= 0)
            break;
        const int err = errno;
        ReleaseSlot(cleanupSlot_);
        tempName_.clear();
        if (err != EEXIST) {
            Fail(err);
            return;
        }
    }
    if (fd_ < 0) {
        Fail(EEXIST);
        return;
    }
    if (replacing) {
        // The replaced file's owner and group where this process may set
        // them (the group alone for a user who is in it), then its mode,
        // which a change of owner may have cut.
        if (::fchown(fd_, old.st_uid, old.st_gid) != 0)
            (void)::fchown(fd_, static_cast<uid_t>(-1), old.st_gid);
        (void)::fchmod(fd_, old.st_mode & 07777);
    }
}

RemovedOnSignal::RemovedOnSignal(const std::string& path)
{
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    dirFd_ = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd_ >= 0)
        slot_ = ClaimSlot(dirFd_, slash == std::string::npos ? path : path.substr(slash + 1));
}

RemovedOnSignal::~RemovedOnSignal()
{
    ReleaseSlot(slot_);
    if (dirFd_ >= 0)
        ::close(dirFd_);
}

FileReplacement::~FileReplacement()
{
    Discard();
    if (dirFd_ >= 0)
        ::close(dirFd_);
}

bool FileReplacement::Fail(int err)
{
    error_ = std::strerror(err);
    return false;
}

bool FileReplacement::Complete()
{
    if (fd_ < 0)
        return false;
    if (::fsync(fd_) != 0)
        return Fail(errno);
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0)
        return Fail(errno);
    return true;
}

bool FileReplacement::Commit()
{
    if (tempName_.empty() || fd_ >= 0) {
        Discard();
        return false;
    }
    if (::renameat(dirFd_, tempName_.c_str(), dirFd_, targetName_.c_str()) != 0) {
        const int err = errno;
        Discard();
        return Fail(err);
    }
    ReleaseSlot(cleanupSlot_);
    tempName_.clear();
    // The rename itself reaches the disk only with its folder.
    (void)::fsync(dirFd_);
    return true;
}

void FileReplacement::Discard()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    if (!tempName_.empty()) {
        ::unlinkat(dirFd_, tempName_.c_str(), 0);
        tempName_.clear();
    }
    ReleaseSlot(cleanupSlot_);
}

bool WriteAll(int fd, const char* data, size_t size)
{
    while (size > 0) {
        const ssize_t done = ::write(fd, data, size);
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0) {
            if (done == 0)
                errno = ENOSPC;
            return false;
        }
        data += done;
        size -= static_cast<size_t>(done);
    }
    return true;
}

bool ReplaceFile(const std::string& path, std::string_view bytes, std::string* error)
{
    FileReplacement file(path, true);
    bool ok = file.Fd() >= 0;
    if (ok && !WriteAll(file.Fd(), bytes.data(), bytes.size()))
        ok = file.Fail(errno);
    ok = ok && file.Complete() && file.Commit();
    if (!ok && error)
        *error = file.ErrorText();
    return ok;
}

}  // namespace settings
