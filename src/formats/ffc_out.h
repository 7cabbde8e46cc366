#pragma once
// The writing converter: takes bytes with their addresses and writes them as
// the records of one format.

#include "buffer/address.h"
#include "formats/file_format.h"
#include "formats/streams.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

class OFFCOut {
public:
    static constexpr int32_t kDefaultRecordLimit = 32;

    // The most data bytes a record of `format` can carry and read back;
    // 0 for binary, which has no records. Motorola's limit depends on the
    // address bytes of its records.
    static int32_t MaxRecordSize(FileFormat format, int srecAddressBytes = 4);

    // Data bytes a record (or line) of `format` holds unless the options say otherwise.
    static int32_t DefaultRecordSize(FileFormat format);

    // Unknown keys write binary. The caller owns the stream.
    OFFCOut(OutStream& stream, std::string_view key);
    OFFCOut(const OFFCOut&) = delete;
    OFFCOut& operator=(const OFFCOut&) = delete;

    // Writes the pending record and makes `address` the next byte's address.
    void SetAddress(::Address address)
    {
        if (wordWidth_ > 1 && SameWordAsPending(address)) {
            // The word begun is finished with erased bytes up to `address`.
            while (address_ + pendingCount_ < address)
                PutByte(0xFF);
            return;
        }
        FlushRecord();
        address_ = address;
        // A run of words starts at a word: the bytes before it in that word
        // are erased ones.
        for (; address_ % wordWidth_ != 0; --address_)
            pending_[pendingCount_++] = 0xFF;
    }

    void PutByte(uint8_t byte)
    {
        pending_[pendingCount_++] = byte;
        if (pendingCount_ >= recordSize_)
            FlushRecord();
    }

    // PutByte for each of `count` bytes, for callers that move runs.
    void PutBytes(const uint8_t* data, int32_t count);

    // Writes the pending record and the format's end record, then flushes
    // the stream; a stream that failed sets ffcWriteError.
    void Finish();

    uint32_t GetFlags() const { return flags_; }
    void ClearFlags(uint32_t mask) { flags_ &= ~mask; }
    FileFormat Format() const { return format_; }

    // Before the first byte. Record sizes beyond the format's limit are held to it.
    void SetOptions(const WriterOptions& options);

    // --- Interface of the record writers (one per format family) ---

    void FlushRecord();

    OutStream& Stream() { return stream_; }
    void PutChar(char c) { stream_.Put(c); }
    void PutText(std::string_view text) { stream_.Write(text); }
    // The line end the options ask for, else the format's `usual` one.
    std::string_view LineEnd(std::string_view usual = "\r\n") const
    {
        return lineEnd_.empty() ? usual : lineEnd_;
    }
    void PutLineEnd(std::string_view usual = "\r\n") { stream_.Write(LineEnd(usual)); }
    // PutLineEnd for a line built in place: returns the end after it.
    char* AppendLineEnd(char* p, std::string_view usual = "\r\n") const
    {
        const std::string_view end = LineEnd(usual);
        for (char c : end)
            *p++ = c;
        return p;
    }
    int SRecordAddressBytes() const { return srecAddressBytes_; }
    int IntelAddressRecord() const { return intelAddressRecord_; }
    std::string_view ArrayName() const { return arrayName_; }
    bool SingleRange() const { return singleRange_; }
    int64_t Depth() const { return depth_; }
    int WordWidth() const { return wordWidth_; }
    // True when `address` lies after the pending bytes in the word they end in.
    bool SameWordAsPending(::Address address) const
    {
        const ::Address next = address_ + pendingCount_;
        const ::Address wordEnd = next - next % wordWidth_ + wordWidth_;
        return pendingCount_ > 0 && next % wordWidth_ != 0 && address >= next && address < wordEnd;
    }
    // Bytes per record when no record is being written (the options' size).
    int32_t RecordSize() const { return recordSize_; }
    // Two upper-case hex digits, high nibble first; notes a failed stream.
    void WriteHexByte(uint8_t byte)
    {
        static constexpr char digits[] = "0123456789ABCDEF";
        stream_.Put(digits[byte >> 4]);
        stream_.Put(digits[byte & 0x0F]);
        if (stream_.Failed())
            flags_ |= ffcWriteError;
    }
    // WriteHexByte that also feeds the record's checksum.
    void WriteHexByte(uint8_t byte, RecordChecksum& sum)
    {
        WriteHexByte(byte);
        sum.Add(byte);
    }
    // WriteHexByte for each of `count` bytes (at most 256), handed to the
    // stream as one block.
    void WriteHexBytes(const uint8_t* data, int32_t count, RecordChecksum& sum);
    // Record writers that build a whole line in the stream's buffer:
    // BeginLine gives room for `maxSize` characters, AppendHex puts the two
    // upper-case digits of each of `count` bytes at `p` and returns the end
    // (AppendHexSum adds the bytes to `sum` as well, AppendHexByte is one
    // byte's digits), EndLine takes the end
    // of the line and notes a failed stream.
    char* BeginLine(size_t maxSize) { return stream_.Reserve(maxSize); }
    static char* AppendHex(char* p, const uint8_t* data, int32_t count);
    static char* AppendHexSum(char* p, const uint8_t* data, int32_t count, uint32_t& sum);
    // AppendHex with a blank between the bytes (none after the last).
    static char* AppendHexSpaced(char* p, const uint8_t* data, int32_t count);
    static char* AppendHexByte(char* p, uint8_t byte)
    {
        static constexpr char digits[] = "0123456789ABCDEF";
        p[0] = digits[byte >> 4];
        p[1] = digits[byte & 0x0F];
        return p + 2;
    }
    void EndLine(const char* end)
    {
        stream_.Commit(end);
        if (stream_.Failed())
            flags_ |= ffcWriteError;
    }
    // A big-endian field of `bytes` bytes, each fed to the checksum.
    void WriteHexField(uint32_t value, int bytes, RecordChecksum& sum)
    {
        for (int i = bytes - 1; i >= 0; --i)
            WriteHexByte(static_cast<uint8_t>(value >> (8 * i)), sum);
    }

    void SetFlag(uint32_t flag) { flags_ |= flag; }

    // Address of the first pending byte.
    ::Address Address() const { return address_; }
    // Byte count of the record being written (set by FlushRecord).
    int32_t RecordLimit() const { return recordLimit_; }
    // The record's bytes: the pending ones, or a whole record taken straight
    // from PutBytes' caller.
    const uint8_t* PendingData() const { return recordData_; }
    ::Address WrittenTo() const { return writtenTo_; }
    void SetWrittenTo(::Address address) { writtenTo_ = address; }
    void AdvanceWrittenTo(::Address count) { writtenTo_ += count; }
    uint32_t AnnouncedUpper() const { return announcedUpper_; }
    void SetAnnouncedUpper(uint32_t upper)
    {
        announcedUpper_ = upper;
        highestUpper_ = std::max(highestUpper_, upper);
    }
    // The highest upper address any address record announced.
    uint32_t HighestUpper() const { return highestUpper_; }
    ::Address StartAddress() const { return startAddress_; }
    bool StartSegmentForm() const { return startSegmentForm_; }
    bool Ending() const { return ending_; }
    // Where the run of bytes being written without a gap began, for the
    // formats that name or close each run.
    int64_t RunStart() const { return runStart_; }
    void SetRunStart(int64_t address) { runStart_ = address; }
    bool FirstRecord() const { return firstRecord_; }
    void SetFirstRecord(bool value) { firstRecord_ = value; }

private:
    OutStream& stream_;
    uint32_t flags_ = 0;
    FileFormat format_;
    ::Address address_ = 0;
    ::Address writtenTo_ = 0;
    int32_t recordLimit_ = kDefaultRecordLimit;
    // Bytes that fill a record (the options' record size).
    int32_t recordSize_ = kDefaultRecordLimit;
    int srecAddressBytes_ = 4;
    int intelAddressRecord_ = 4;
    std::string_view arrayName_ = "image";
    bool singleRange_ = false;
    int64_t depth_ = 0;
    int wordWidth_ = 1;
    std::string_view lineEnd_;
    int32_t pendingCount_ = 0;
    uint8_t pending_[256] = {};
    const uint8_t* recordData_ = pending_;
    uint32_t announcedUpper_ = 0;
    uint32_t highestUpper_ = 0;
    ::Address startAddress_ = kNoAddress;
    bool startSegmentForm_ = false;
    bool ending_ = false;
    bool firstRecord_ = true;
    int64_t runStart_ = 0;
};
