#pragma once
// Byte streams under the converters. Reading and writing go through small
// inline accessors over a buffer; only refilling and draining the buffer is
// virtual, so the per-byte path stays visible to the compiler.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

class InStream {
public:
    virtual ~InStream() = default;

    // Next character as 0..255, or -1 at the end of the stream.
    int Get() { return pos_ < end_ ? *pos_++ : GetSlow(); }
    // Next character without consuming it, or -1 at the end.
    int Peek() { return pos_ < end_ ? *pos_ : PeekSlow(); }

    // A fresh stream over the same bytes, positioned at their start; null when
    // the source cannot be opened again. Recognition runs its trials on these.
    virtual std::unique_ptr<InStream> Reopen() const = 0;

    // True once the source reported an error other than its end.
    bool Failed() const { return failed_; }

    // The bytes already buffered and not yet read, for parsers that take
    // several at once; Skip consumes `n` of them (n <= Buffered()).
    size_t Buffered() const { return static_cast<size_t>(end_ - pos_); }
    const unsigned char* Data() const { return pos_; }
    void Skip(size_t n) { pos_ += n; }

protected:
    // Makes [pos_, end_) the next run of bytes; false at the end or on error.
    virtual bool Refill() = 0;

    const unsigned char* pos_ = nullptr;
    const unsigned char* end_ = nullptr;
    bool failed_ = false;

private:
    int GetSlow() { return Refill() ? *pos_++ : -1; }
    int PeekSlow() { return Refill() ? *pos_ : -1; }
};

class HeldSource;

// Reads a file through a 64 KiB buffer; never holds the whole of a regular
// file. An input that cannot be read twice (a pipe, a device, the name "-"
// for standard input) is kept in memory as it is read, so that recognition's
// trials and the load see the same bytes; it is refused once it passes
// `heldLimit` bytes, so an input that never ends cannot exhaust memory.
class FileInStream final : public InStream {
public:
    static constexpr size_t kHeldLimit = size_t{256} * 1024 * 1024;
    static constexpr const char* kStandardInput = "-";

    // Called, every few milliseconds, while an input that is no regular file
    // has nothing to read yet; false gives reading up.
    using WaitHandler = std::function<bool()>;

    // With a wait handler nothing blocks: a pipe without a writer opens at
    // once (and reads as empty), and waiting for bytes goes through the
    // handler. Without one, opening and reading wait as long as it takes.
    explicit FileInStream(std::string path, size_t heldLimit = kHeldLimit, WaitHandler wait = {});
    ~FileInStream() override;
    FileInStream(const FileInStream&) = delete;
    FileInStream& operator=(const FileInStream&) = delete;

    bool IsOpen() const { return fd_ >= 0 || held_; }
    // The system's reason when the file could not be opened, or why reading
    // it was given up.
    const std::string& ErrorText() const { return error_; }
    const std::string& Path() const { return path_; }
    // Reading stopped because the held input passed the limit.
    bool TooLong() const;
    // Reading was given up because the wait handler said so.
    bool Cancelled() const;

    std::unique_ptr<InStream> Reopen() const override;

protected:
    bool Refill() override;

private:
    std::string path_;
    std::string error_;
    int fd_ = -1;
    std::unique_ptr<unsigned char[]> buffer_;
    std::shared_ptr<HeldSource> held_;
    size_t heldChunk_ = 0;
};

// Reads from bytes held in memory (tests, clipboard, fuzzing).
class StringInStream final : public InStream {
public:
    explicit StringInStream(std::string data);
    std::unique_ptr<InStream> Reopen() const override;

protected:
    bool Refill() override;

private:
    std::shared_ptr<const std::string> data_;
    bool delivered_ = false;
};

class OutStream {
public:
    virtual ~OutStream() = default;

    void Put(char c)
    {
        if (pos_ == kBufferSize)
            Drain();
        buffer_[pos_++] = c;
    }
    void Write(std::string_view text);
    void WriteBlock(const void* data, size_t size);
    // Room for up to `size` bytes (at most 4 KiB) written straight into the
    // buffer, for writers that build a line in place; Commit takes the end
    // of what was written there.
    char* Reserve(size_t size)
    {
        if (kBufferSize - pos_ < size)
            Drain();
        return buffer_ + pos_;
    }
    void Commit(const char* end) { pos_ = static_cast<size_t>(end - buffer_); }

    // Hands every buffered byte to the sink; false when the sink failed.
    bool Flush();
    // True once the sink reported an error; stays set.
    bool Failed() const { return failed_; }

protected:
    // Writes the bytes out; false on error.
    virtual bool Sink(const char* data, size_t size) = 0;
    void MarkFailed() { failed_ = true; }

private:
    static constexpr size_t kBufferSize = 64 * 1024;
    void Drain();

    char buffer_[kBufferSize];
    size_t pos_ = 0;
    bool failed_ = false;
};

// Takes the output and keeps none of it, for a trial run of a writer.
class NullOutStream final : public OutStream {
protected:
    bool Sink(const char*, size_t) override { return true; }
};

// Collects the output in memory.
class StringOutStream final : public OutStream {
public:
    // Returns everything written so far.
    const std::string& Text()
    {
        Flush();
        return text_;
    }
    // Makes every later write fail, to exercise write-error handling.
    void FailWrites() { fail_ = true; }

protected:
    bool Sink(const char* data, size_t size) override;

private:
    std::string text_;
    bool fail_ = false;
};
