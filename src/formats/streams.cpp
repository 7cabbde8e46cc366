#include "formats/streams.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr size_t kReadBufferSize = 64 * 1024;

std::string SystemReason(int err) { return std::strerror(err); }
} // namespace

FileInStream::FileInStream(std::string path) : path_(std::move(path))
{
    fd_ = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) {
        error_ = SystemReason(errno);
        return;
    }
    // A directory opens for reading on Linux but yields no data; it is not a file.
    struct stat info {};
    if (::fstat(fd_, &info) == 0 && S_ISDIR(info.st_mode)) {
        ::close(fd_);
        fd_ = -1;
        error_ = SystemReason(EISDIR);
        return;
    }
    buffer_ = std::make_unique<unsigned char[]>(kReadBufferSize);
}

FileInStream::~FileInStream()
{
    if (fd_ >= 0)
        ::close(fd_);
}

std::unique_ptr<InStream> FileInStream::Reopen() const
{
    auto fresh = std::make_unique<FileInStream>(path_);
    if (!fresh->IsOpen())
        return nullptr;
    return fresh;
}

bool FileInStream::Refill()
{
    if (fd_ < 0)
        return false;
    for (;;) {
        ssize_t got = ::read(fd_, buffer_.get(), kReadBufferSize);
        if (got > 0) {
            pos_ = buffer_.get();
            end_ = pos_ + got;
            return true;
        }
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            failed_ = true;
        return false;
    }
}

StringInStream::StringInStream(std::string data)
    : data_(std::make_shared<const std::string>(std::move(data)))
{
}

std::unique_ptr<InStream> StringInStream::Reopen() const
{
    auto fresh = std::make_unique<StringInStream>(std::string());
    fresh->data_ = data_;
    return fresh;
}

bool StringInStream::Refill()
{
    if (delivered_ || data_->empty())
        return false;
    delivered_ = true;
    pos_ = reinterpret_cast<const unsigned char*>(data_->data());
    end_ = pos_ + data_->size();
    return true;
}

void OutStream::Write(std::string_view text) { WriteBlock(text.data(), text.size()); }

void OutStream::WriteBlock(const void* data, size_t size)
{
    auto bytes = static_cast<const char*>(data);
    while (size > 0) {
        if (pos_ == kBufferSize)
            Drain();
        size_t n = std::min(size, kBufferSize - pos_);
        std::memcpy(buffer_ + pos_, bytes, n);
        pos_ += n;
        bytes += n;
        size -= n;
    }
}

void OutStream::Drain()
{
    if (pos_ > 0 && !failed_ && !Sink(buffer_, pos_))
        failed_ = true;
    pos_ = 0;
}

bool OutStream::Flush()
{
    Drain();
    return !failed_;
}

FileOutStream::FileOutStream(std::string path) : path_(std::move(path))
{
    fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd_ < 0) {
        error_ = SystemReason(errno);
        MarkFailed();
    }
}

FileOutStream::~FileOutStream() { Close(); }

bool FileOutStream::Close()
{
    if (fd_ < 0)
        return !Failed();
    bool ok = Flush();
    if (::close(fd_) != 0 && ok) {
        error_ = SystemReason(errno);
        MarkFailed();
        ok = false;
    }
    fd_ = -1;
    return ok;
}

bool FileOutStream::Sink(const char* data, size_t size)
{
    if (fd_ < 0)
        return false;
    while (size > 0) {
        ssize_t done = ::write(fd_, data, size);
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0) {
            error_ = SystemReason(done < 0 ? errno : ENOSPC);
            return false;
        }
        data += done;
        size -= static_cast<size_t>(done);
    }
    return true;
}

bool StringOutStream::Sink(const char* data, size_t size)
{
    if (fail_)
        return false;
    text_.append(data, size);
    return true;
}
