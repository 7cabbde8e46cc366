#pragma once
// The reading converter: recognises a file's format by trial parsing and
// hands out its bytes one at a time with the addresses where they belong.

#include "buffer/address.h"
#include "formats/elf_image.h"
#include "formats/file_format.h"
#include "formats/streams.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

namespace ffc_detail {
// Value of each character as a hex digit of either case, -1 for the rest.
constexpr std::array<int8_t, 256> MakeHexTable()
{
    std::array<int8_t, 256> table{};
    for (int c = 0; c < 256; ++c)
        table[c] = -1;
    for (int c = 0; c < 10; ++c)
        table['0' + c] = static_cast<int8_t>(c);
    for (int c = 0; c < 6; ++c) {
        table['A' + c] = static_cast<int8_t>(10 + c);
        table['a' + c] = static_cast<int8_t>(10 + c);
    }
    return table;
}
} // namespace ffc_detail

// A reason's text, printf-formatted.
std::string ReasonText(const char* format, ...) __attribute__((format(printf, 1, 2)));
// A character of the input as a reason names it: 'G' (control characters
// quoted), "line end" or "end of file".
std::string CharText(int c);
// "bad hex digit 'G'" for `c` where a digit should be, or that the line or
// the file ended there.
std::string BadDigitReason(int c);

class OFFCIn {
public:
    static constexpr int32_t kRecordCapacity = 256;

    // Recognition runs here, on fresh streams; reading then starts at the
    // first character of `stream`, which the caller keeps alive and owns.
    OFFCIn(InStream& stream, std::string_view key);
    OFFCIn(const OFFCIn&) = delete;
    OFFCIn& operator=(const OFFCIn&) = delete;

    // True when a byte is ready for NextByte; reads records as needed.
    bool MoreData()
    {
        while (recordPos_ >= recordLength_) {
            if (flags_ & (ffcEndOfData | ffcFormatError))
                return false;
            ReadRecord();
        }
        return true;
    }

    uint8_t NextByte()
    {
        // A format error at the end of the stream sets no end of data; without
        // stopping there too, a call past the end would read forever.
        while (recordPos_ >= recordLength_) {
            if (flags_ & (ffcEndOfData | ffcFormatError))
                return 0;
            ReadRecord();
        }
        // The running address follows from the record position, so a byte
        // costs no address update of its own.
        return record_[recordPos_++];
    }

    // NextByte for up to `max` bytes at once, for callers that move runs:
    // copies the bytes of the current record that NextByte would return next
    // into `dest` and returns their count. Call it only where NextByte may be
    // called, after MoreData returned true and the flags were looked at; it
    // never reads a record, so no flag changes under a run.
    int32_t NextBytes(uint8_t* dest, int32_t max)
    {
        int32_t n;
        const uint8_t* bytes = TakeBytes(max, n);
        if (n > 0)
            std::memcpy(dest, bytes, static_cast<size_t>(n));
        return n;
    }
    // NextBytes without the copy: `count` gets the number of bytes, which
    // stay where the result points until the next record is read.
    const uint8_t* TakeBytes(int32_t max, int32_t& count)
    {
        const uint8_t* bytes = record_ + recordPos_;
        count = recordLength_ - recordPos_;
        if (count > max)
            count = max;
        if (count <= 0)
            count = 0;
        recordPos_ += count;
        return bytes;
    }

    uint32_t GetFlags() const { return flags_; }
    void ClearFlags(uint32_t mask) { flags_ &= ~mask; }
    // Record addresses come from the file and may sit at the top of the
    // 32-bit range; the running address of a record that runs past it goes
    // on beyond 0xFFFFFFFF, never wraps, so the caller sees it leave the space.
    Address GetAddress() const { return recordStart_ + recordPos_; }

    // What the file gives beside its bytes, as far as it was read: the start
    // (execution) address, kNoAddress when none (the last one when several;
    // StartAddressesDiffer tells when they disagreed), and whether it came
    // as an Intel segment start record.
    Address StartAddress() const { return startAddress_; }
    bool StartInSegmentForm() const { return startSegmentForm_; }
    bool StartAddressesDiffer() const { return startsDiffer_; }
    // The data bytes of every record that another one continued, when they
    // all had that size and no record was longer; 0 otherwise. The last
    // record of a run may be shorter.
    int32_t RecordSize() const;
    // The line end every line had ("\n" or "\r\n"); empty when they
    // differed, took another form or there was none.
    std::string_view LineEnd() const;

    FileFormat KeyFormat() const { return keyFormat_; }
    FileFormat ActiveFormat() const { return active_; }

    // The line (from 1) on which the reader stood when it first raised
    // `errorFlag` (ffcFormatError, ffcReadError or ffcChecksumError); 0 when
    // it did not. Lines are counted where the readers pass their line ends.
    uint32_t ErrorLine(uint32_t errorFlag) const;
    // Why the reader raised `errorFlag` on that line ("checksum 3A,
    // expected 3B"): short, lower case first; empty when it did not say.
    const std::string& ErrorReason(uint32_t errorFlag) const;
    // The line of the record read last, for faults the caller finds in its
    // bytes; 0 in the formats without lines (binary, ELF).
    uint32_t RecordLine() const { return active_ == ffBinary || active_ == ffElf ? 0 : recordLine_; }

    // --- Interface of the record readers (one per format family) ---

    // Reads the next record of the active format into the record fields.
    void ReadRecord();

    int Get() { return source_->Get(); }
    int Peek() { return source_->Peek(); }
    // Reads one character and compares it, upper-cased, with `expected`;
    // sets ffcFormatError on a mismatch or at the end.
    bool ExpectChar(char expected);
    // Reads two characters as a hex byte; sets ffcReadError when either is
    // not a hex digit (both are consumed) and returns 0 then.
    uint8_t ReadHexByte()
    {
        int high, low;
        if (source_->Buffered() >= 2) {
            const unsigned char* p = source_->Data();
            high = kHexValue[p[0]];
            low = kHexValue[p[1]];
            source_->Skip(2);
            if ((high | low) < 0) {
                BadHexPair(p[0], p[1]);
                return 0;
            }
        } else {
            const int first = Get();
            const int second = Get();
            high = HexValue(first);
            low = HexValue(second);
            if ((high | low) < 0) {
                BadHexPair(first, second);
                return 0;
            }
        }
        return static_cast<uint8_t>(high * 16 + low);
    }
    // ReadHexByte `count` times into `dest`; returns the sum of the bytes.
    // Decodes straight from the stream's buffer when the digits are there.
    uint32_t ReadHexBytes(uint8_t* dest, int32_t count);
    // Copies up to `max` raw bytes into `dest`; returns how many there were
    // before the end of the stream.
    int32_t ReadBlock(uint8_t* dest, int32_t max);
    // Reads through the end of the line: a line feed (and a carriage return
    // right after it) or carriage returns (and a line feed right after them),
    // so a lone carriage return ends a line too. Records parsed in place
    // leave their line ends to this too, so a count of lines taken here sees
    // them.
    void SkipLine();
    // Where a record's last field ends, the line must end: blanks may stand
    // before the line end or the end of the stream, anything else is a
    // format error on this line.
    void EndLine();
    // An end record was read: sets ffcEndOfData and checks that nothing but
    // blanks, line ends and Ctrl+Z follow it, so that records after it are
    // reported instead of dropped. With `restOfLineIsRecord`, the rest of
    // the end record's line belongs to it and is passed over; otherwise the
    // line must end where the record did.
    void EndOfRecords(bool restOfLineIsRecord = false);

    // The characters already buffered and not yet read, for readers that
    // parse a whole record in place and then Consume it.
    size_t BufferedChars() const { return source_->Buffered(); }
    const unsigned char* BufferedData() const { return source_->Data(); }
    void Consume(size_t count) { source_->Skip(count); }
    // Decodes `count` bytes from the 2 * count hex digits at `p` into `dest`
    // and adds them to `sum`; false, with `dest` and `sum` of no use, when a
    // character is no hex digit.
    static bool DecodeHex(const unsigned char* p, uint8_t* dest, int32_t count, uint32_t& sum);

    void SetFlag(uint32_t flag)
    {
        if (flag & ~flags_ & kLineNotedFlags)
            NoteErrorLine(flag & ~flags_);
        flags_ |= flag;
    }
    // SetFlag with the reason an error flag is raised for, kept with its
    // line when the flag is fresh.
    void SetFlag(uint32_t flag, std::string_view reason);
    // A record whose fields disagree with its line (a length that does not
    // match the digits there): the first error the record then raises gets
    // this reason, the cause, rather than its own consequence.
    void ExplainRecord(std::string reason) { recordReason_ = std::move(reason); }
    void BadChecksum(unsigned found, unsigned expected, const char* which = "checksum");
    // The hex bytes from here to the line's end, when the line lies whole
    // in the buffer and holds nothing but hex digits; -1 otherwise.
    int32_t HexBytesOnLine() const;
    bool HasFlag(uint32_t flag) const { return (flags_ & flag) != 0; }

    uint8_t* RecordData() { return record_; }
    void SetRecord(Address address, int32_t length)
    {
        recordAddress_ = address;
        recordLength_ = length;
    }
    void SetRecordLength(int32_t length) { recordLength_ = length; }
    void SetRecordAddress(Address address) { recordAddress_ = address; }
    int32_t RecordLength() const { return recordLength_; }
    Address RecordAddress() const { return recordAddress_; }

    Address AddressBase() const { return addressBase_; }
    void SetAddressBase(Address base) { addressBase_ = base; }
    bool ExpectAddress() const { return expectAddress_; }
    void SetExpectAddress(bool value) { expectAddress_ = value; }
    // What a format's reader remembers from one record to the next (0 at
    // the start of each pass), beyond the address base.
    uint32_t ReaderState() const { return readerState_; }
    void SetReaderState(uint32_t state) { readerState_ = state; }

    // A start record was read; a later one replaces an earlier one.
    void SetStartAddress(Address address, bool segmentForm = false)
    {
        startsDiffer_ = startsDiffer_ || (startAddress_ != kNoAddress && startAddress_ != address);
        startAddress_ = address;
        startSegmentForm_ = segmentForm;
    }

    // The width of the address field of every data record, for the
    // formats whose records come in several widths; 0 when they differed.
    void NoteAddressBytes(int bytes) { addressWidths_ |= 1u << bytes; }
    int AddressBytes() const
    {
        return (addressWidths_ & (addressWidths_ - 1)) == 0 && addressWidths_ != 0 ? __builtin_ctz(addressWidths_) : 0;
    }

    // Data records read so far, for the formats that count them.
    void CountDataRecord() { ++dataRecords_; }
    uint32_t DataRecordsCounted() const { return dataRecords_; }

    // True when the input held no character at all.
    bool InputEmpty() const { return inputEmpty_; }

    // An ELF file's sections and symbols; null for the other formats.
    std::shared_ptr<const ElfInfo> ElfDetails() const { return elf_ ? elf_->Info() : nullptr; }
    // What was wrong with the file beyond the flags (an ELF file's damage
    // named); empty when nothing was.
    std::string Problem() const { return elf_ ? elf_->Problem() : std::string(); }

private:
    static constexpr std::array<int8_t, 256> kHexValue = ffc_detail::MakeHexTable();
    static int HexValue(int c) { return c < 0 ? -1 : kHexValue[c]; }
    static constexpr uint32_t kLineNotedFlags = ffcFormatError | ffcReadError | ffcChecksumError;

    void NoteErrorLine(uint32_t freshFlags);
    // Characters that are no hex byte: the read error, and the line ends
    // they swallowed (a short line), so that later lines keep their numbers.
    void BadHexPair(int first, int second);
    void BadHexRun(const unsigned char* chars, size_t count);

    // How a trial parse ended.
    enum class Trial { Passed, Failed, FailedInRecord };
    FileFormat DetectFormat();
    // `readData` learns whether a good record carried bytes.
    Trial TryFormat(FileFormat format, bool& readData);
    // After a failed trial: whether it failed inside a record that is
    // otherwise well formed for the format (a damaged record rather than a
    // file of another kind); after good records, inside any record of it.
    bool FailedInRecord(FileFormat format, bool afterGoodRecords) const;
    void ResetReadingState();
    // ELF files are read whole and handed out a section's run at a time.
    bool HasElfMagic() const;
    void ReadElfFile();
    void ReadElfRecord();
    // Notes the record just read for RecordSize.
    void NoteRecordShape();

    InStream& stream_;
    InStream* source_;
    uint32_t flags_ = 0;
    FileFormat keyFormat_;
    FileFormat active_ = ffBinary;
    // The running address where the current record's first byte belongs;
    // GetAddress adds the bytes already delivered from it.
    Address recordStart_ = 0;
    int32_t recordLength_ = 0;
    int32_t recordPos_ = 0;
    uint8_t record_[kRecordCapacity] = {};
    Address recordAddress_ = 0;
    Address addressBase_ = 0;
    bool expectAddress_ = true;
    uint32_t readerState_ = 0;
    bool inputEmpty_ = false;
    // Set while the text after an end record is checked: an error there is
    // a record too many, not a damaged one.
    bool afterEnd_ = false;
    bool errorAfterEnd_ = false;
    // Line ends passed so far; the current line is one more.
    uint32_t lineEnds_ = 0;
    uint32_t formatErrorLine_ = 0;
    uint32_t readErrorLine_ = 0;
    uint32_t checksumErrorLine_ = 0;
    std::string errorReasons_[3];
    std::string recordReason_;
    uint32_t recordLine_ = 0;
    std::unique_ptr<ElfImage> elf_;
    size_t elfRun_ = 0;
    size_t elfPos_ = 0;
    uint32_t dataRecords_ = 0;
    uint32_t addressWidths_ = 0;
    Address startAddress_ = kNoAddress;
    bool startSegmentForm_ = false;
    bool startsDiffer_ = false;
    // Record shape: the end of the last data record and its length, the
    // longest record, and the shortest and longest record another one
    // continued.
    Address lastRecordEnd_ = kNoAddress;
    int32_t lastRecordLength_ = 0;
    int32_t longestRecord_ = 0;
    int32_t shortestContinued_ = 0;
    int32_t longestContinued_ = 0;
    // The kinds of line end passed (kLineFeed, ...).
    uint32_t lineEndKinds_ = 0;
};
