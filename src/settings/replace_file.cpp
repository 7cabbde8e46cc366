#include "settings/replace_file.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace settings {

bool ReplaceFile(const std::string& path, std::string_view bytes)
{
    std::string temp = path + ".XXXXXX";
    int fd = ::mkstemp(temp.data());
    if (fd < 0 && errno == ENOENT) {
        std::error_code ec;
        std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
        temp = path + ".XXXXXX";
        fd = ::mkstemp(temp.data());
    }
    if (fd < 0)
        return false;
    struct stat st;
    ::fchmod(fd, ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0644);
    const char* data = bytes.data();
    size_t left = bytes.size();
    bool ok = true;
    while (left > 0) {
        ssize_t done = ::write(fd, data, left);
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0) {
            ok = false;
            break;
        }
        data += done;
        left -= static_cast<size_t>(done);
    }
    if (::close(fd) != 0)
        ok = false;
    if (ok && ::rename(temp.c_str(), path.c_str()) != 0)
        ok = false;
    if (!ok)
        ::unlink(temp.c_str());
    return ok;
}

}  // namespace settings
