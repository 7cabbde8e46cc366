#include "formats/streams.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {
constexpr size_t kReadBufferSize = 64 * 1024;

std::string SystemReason(int err) { return std::strerror(err); }
} // namespace

// The bytes of an input that cannot be opened again, in chunks read on
// demand and kept for every stream over it.
class HeldSource {
public:
    HeldSource(int fd, bool owned, size_t limit, FileInStream::WaitHandler wait)
        : fd_(fd), owned_(owned), limit_(limit), wait_(std::move(wait))
    {
    }
    ~HeldSource()
    {
        if (owned_)
            ::close(fd_);
    }
    HeldSource(const HeldSource&) = delete;
    HeldSource& operator=(const HeldSource&) = delete;

    // Chunk `index`, read from the input when it is the next one; false at
    // the end, on an error and past the limit.
    bool Chunk(size_t index, const unsigned char*& begin, const unsigned char*& end)
    {
        while (index >= chunks_.size()) {
            if (stopped_ || !ReadChunk())
                return false;
        }
        begin = chunks_[index].data.get();
        end = begin + chunks_[index].size;
        return true;
    }
    bool Failed() const { return failed_; }
    bool Cancelled() const { return cancelled_; }
    bool TooLong() const { return tooLong_; }
    size_t Limit() const { return limit_; }

private:
    // Fills a whole chunk, so that a writer that trickles its bytes does
    // not cost a chunk per write.
    bool ReadChunk()
    {
        auto data = std::make_unique<unsigned char[]>(kReadBufferSize);
        size_t size = 0;
        while (size < kReadBufferSize) {
            ssize_t got = ::read(fd_, data.get() + size, kReadBufferSize - size);
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
                // What arrived so far is handed on; waiting starts only
                // when there is nothing to hand on.
                if (size > 0)
                    break;
                pollfd ready{fd_, POLLIN, 0};
                if (::poll(&ready, 1, 20) > 0 || !wait_ || wait_())
                    continue;
                cancelled_ = failed_ = stopped_ = true;
                break;
            }
            if (got < 0)
                failed_ = true;
            if (got <= 0) {
                stopped_ = true;
                break;
            }
            size += static_cast<size_t>(got);
        }
        if (size == 0)
            return false;
        total_ += size;
        if (total_ > limit_) {
            tooLong_ = failed_ = stopped_ = true;
            return false;
        }
        chunks_.push_back({std::move(data), size});
        return true;
    }

    struct Held {
        std::unique_ptr<unsigned char[]> data;
        size_t size;
    };
    int fd_;
    bool owned_;
    size_t limit_;
    FileInStream::WaitHandler wait_;
    size_t total_ = 0;
    bool stopped_ = false;
    bool failed_ = false;
    bool cancelled_ = false;
    bool tooLong_ = false;
    std::vector<Held> chunks_;
};

namespace {
// A further reader of a held input, for recognition's trials.
class HeldInStream final : public InStream {
public:
    explicit HeldInStream(std::shared_ptr<HeldSource> source) : source_(std::move(source)) {}
    std::unique_ptr<InStream> Reopen() const override { return std::make_unique<HeldInStream>(source_); }

protected:
    bool Refill() override
    {
        if (source_->Chunk(next_, pos_, end_)) {
            ++next_;
            return true;
        }
        failed_ = source_->Failed();
        return false;
    }

private:
    std::shared_ptr<HeldSource> source_;
    size_t next_ = 0;
};
} // namespace

FileInStream::FileInStream(std::string path, size_t heldLimit, WaitHandler wait) : path_(std::move(path))
{
    if (path_ == kStandardInput) {
        held_ = std::make_shared<HeldSource>(STDIN_FILENO, false, heldLimit, std::move(wait));
        return;
    }
    fd_ = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | (wait ? O_NONBLOCK : 0));
    if (fd_ < 0) {
        error_ = SystemReason(errno);
        return;
    }
    struct stat info {};
    if (::fstat(fd_, &info) == 0) {
        // A directory opens for reading on Linux but yields no data; it is not a file.
        if (S_ISDIR(info.st_mode)) {
            ::close(fd_);
            fd_ = -1;
            error_ = SystemReason(EISDIR);
            return;
        }
        // Opening a pipe or a device a second time would not give the same
        // bytes again, if any.
        if (!S_ISREG(info.st_mode)) {
            held_ = std::make_shared<HeldSource>(fd_, true, heldLimit, std::move(wait));
            fd_ = -1;
            return;
        }
    }
    buffer_ = std::make_unique<unsigned char[]>(kReadBufferSize);
}

FileInStream::~FileInStream()
{
    if (fd_ >= 0)
        ::close(fd_);
}

bool FileInStream::TooLong() const { return held_ && held_->TooLong(); }
bool FileInStream::Cancelled() const { return held_ && held_->Cancelled(); }

std::unique_ptr<InStream> FileInStream::Reopen() const
{
    if (held_)
        return std::make_unique<HeldInStream>(held_);
    auto fresh = std::make_unique<FileInStream>(path_);
    if (!fresh->IsOpen())
        return nullptr;
    return fresh;
}

bool FileInStream::Refill()
{
    if (held_) {
        if (held_->Chunk(heldChunk_, pos_, end_)) {
            ++heldChunk_;
            return true;
        }
        failed_ = held_->Failed();
        if (held_->Cancelled())
            error_ = "reading cancelled";
        if (held_->TooLong())
            error_ = "not a regular file and longer than " + std::to_string(held_->Limit() >> 20) + " MiB";
        return false;
    }
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

bool StringOutStream::Sink(const char* data, size_t size)
{
    if (fail_)
        return false;
    text_.append(data, size);
    return true;
}
