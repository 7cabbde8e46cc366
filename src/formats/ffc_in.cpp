#include "formats/ffc_in.h"

#include "formats/format_registry.h"
#include "formats/record_formats.h"
#include "settings/ansi_chars.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <sys/stat.h>
#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {
// DOS editors and copy commands end a text file with it.
constexpr int kCtrlZ = 0x1A;
// Kinds of line end SkipLine passes.
constexpr uint32_t kLineFeed = 1;
constexpr uint32_t kCarriageReturnLineFeed = 2;
constexpr uint32_t kOtherLineEnd = 4;

int Upper(int c) { return (c >= 'a' && c <= 'z') ? c - 'a' + 'A' : c; }

// The reasons kept, one per error flag that notes its line.
int ReasonIndex(uint32_t flag)
{
    return flag == ffcFormatError ? 0 : flag == ffcReadError ? 1 : flag == ffcChecksumError ? 2 : -1;
}

#if defined(__SSE2__)
// The values of sixteen hex digits of either case; `bad` gets 0xFF in the
// lanes of characters that are no hex digit.
__m128i HexNibbles(__m128i c, __m128i& bad)
{
    const __m128i digit = _mm_sub_epi8(c, _mm_set1_epi8('0'));
    const __m128i letter = _mm_sub_epi8(_mm_or_si128(c, _mm_set1_epi8(0x20)), _mm_set1_epi8('a'));
    // Unsigned "at most": x <= n exactly when min(x, n) == x.
    const __m128i isDigit = _mm_cmpeq_epi8(_mm_min_epu8(digit, _mm_set1_epi8(9)), digit);
    const __m128i isLetter = _mm_cmpeq_epi8(_mm_min_epu8(letter, _mm_set1_epi8(5)), letter);
    bad = _mm_or_si128(bad, _mm_xor_si128(_mm_or_si128(isDigit, isLetter), _mm_set1_epi8(-1)));
    return _mm_or_si128(_mm_and_si128(isDigit, digit),
                        _mm_and_si128(isLetter, _mm_add_epi8(letter, _mm_set1_epi8(10))));
}

// Two nibbles per 16-bit lane, the high one first in memory, into one byte.
__m128i JoinNibbles(__m128i v)
{
    return _mm_or_si128(_mm_and_si128(_mm_slli_epi16(v, 4), _mm_set1_epi16(0x00F0)), _mm_srli_epi16(v, 8));
}

// Decodes 32 hex digits at `p` into 16 bytes at `dest` and their sum; false,
// with `dest` and `sum` of no use, when any character is no hex digit.
bool DecodeHex16(const unsigned char* p, uint8_t* dest, uint32_t& sum)
{
    __m128i bad = _mm_setzero_si128();
    const __m128i first = HexNibbles(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), bad);
    const __m128i second = HexNibbles(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16)), bad);
    if (_mm_movemask_epi8(bad) != 0)
        return false;
    const __m128i bytes = _mm_packus_epi16(JoinNibbles(first), JoinNibbles(second));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dest), bytes);
    const __m128i wide = _mm_sad_epu8(bytes, _mm_setzero_si128());
    sum = static_cast<uint32_t>(_mm_cvtsi128_si32(wide)) + static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_srli_si128(wide, 8)));
    return true;
}
#endif
} // namespace

std::string ReasonText(const char* format, ...)
{
    char text[160];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

std::string CharText(int c)
{
    if (c < 0)
        return "end of file";
    if (c == '\n' || c == '\r')
        return "line end";
    if (c >= 0x80)
        return ReasonText("'\\x%02x'", static_cast<unsigned>(c));
    return "'" + Quoted(std::string(1, static_cast<char>(c))) + "'";
}

OFFCIn::OFFCIn(InStream& stream, std::string_view key)
    : stream_(stream), source_(&stream), keyFormat_(FormatFromKey(key))
{
    // A key of a format that is only written names nothing to read.
    if (IsExportOnly(keyFormat_))
        keyFormat_ = ffUnknown;
    active_ = DetectFormat();
    ResetReadingState();
    source_ = &stream_;
    if (active_ == ffElf)
        ReadElfFile();
}

bool OFFCIn::HasElfMagic() const
{
    std::unique_ptr<InStream> probe = stream_.Reopen();
    unsigned char head[4] = {};
    size_t n = 0;
    for (int c; probe && n < sizeof head && (c = probe->Get()) >= 0;)
        head[n++] = static_cast<unsigned char>(c);
    return ElfImage::HasMagic(head, n);
}

void OFFCIn::ReadElfFile()
{
    std::vector<unsigned char> file;
    // A file's size spares the vector its regrowth, whose copies cost more
    // page faults than the reading itself.
    struct stat info {};
    if (const auto* named = dynamic_cast<const FileInStream*>(&stream_);
        named && ::stat(named->Path().c_str(), &info) == 0 && S_ISREG(info.st_mode))
        file.reserve(static_cast<size_t>(info.st_size));
    uint8_t chunk[kRecordCapacity * 64];
    for (int32_t n; (n = ReadBlock(chunk, static_cast<int32_t>(sizeof chunk))) > 0;)
        file.insert(file.end(), chunk, chunk + n);
    elf_ = std::make_unique<ElfImage>();
    elf_->Read(std::move(file));
}

void OFFCIn::ReadElfRecord()
{
    recordLength_ = 0;
    // A damaged table gives no bytes at all; a damaged symbol table is told
    // once every byte is out. Either is a format error without a line.
    if (!elf_ || elf_->Fatal()) {
        flags_ |= ffcFormatError;
        return;
    }
    const std::vector<ElfImage::Run>& runs = elf_->Runs();
    while (elfRun_ < runs.size() && elfPos_ >= runs[elfRun_].size) {
        ++elfRun_;
        elfPos_ = 0;
    }
    if (elfRun_ == runs.size()) {
        flags_ |= ffcEndOfData | (elf_->Problem().empty() ? 0u : uint32_t{ffcFormatError});
        return;
    }
    const ElfImage::Run& run = runs[elfRun_];
    const size_t n = std::min<size_t>(kRecordCapacity, run.size - elfPos_);
    std::memcpy(record_, elf_->Bytes() + run.offset + elfPos_, n);
    recordAddress_ = run.address + static_cast<Address>(elfPos_);
    recordLength_ = static_cast<int32_t>(n);
    elfPos_ += n;
}

void OFFCIn::ResetReadingState()
{
    flags_ = 0;
    recordStart_ = 0;
    recordLength_ = 0;
    recordPos_ = 0;
    recordAddress_ = 0;
    addressBase_ = 0;
    expectAddress_ = true;
    readerState_ = 0;
    afterEnd_ = false;
    errorAfterEnd_ = false;
    lineEnds_ = 0;
    formatErrorLine_ = 0;
    readErrorLine_ = 0;
    checksumErrorLine_ = 0;
    for (std::string& reason : errorReasons_)
        reason.clear();
    recordReason_.clear();
    recordLine_ = 0;
    dataRecords_ = 0;
    addressWidths_ = 0;
    startAddress_ = kNoAddress;
    startSegmentForm_ = false;
    startsDiffer_ = false;
    lastRecordEnd_ = kNoAddress;
    lastRecordLength_ = 0;
    longestRecord_ = 0;
    shortestContinued_ = 0;
    longestContinued_ = 0;
    lineEndKinds_ = 0;
}

void OFFCIn::NoteRecordShape()
{
    if (recordAddress_ == lastRecordEnd_) {
        shortestContinued_ = shortestContinued_ == 0 ? lastRecordLength_ : std::min(shortestContinued_, lastRecordLength_);
        longestContinued_ = std::max(longestContinued_, lastRecordLength_);
    }
    longestRecord_ = std::max(longestRecord_, recordLength_);
    lastRecordEnd_ = recordAddress_ + recordLength_;
    lastRecordLength_ = recordLength_;
}

int32_t OFFCIn::RecordSize() const
{
    // A file without records that run on says nothing of its size.
    if (longestContinued_ == 0 || shortestContinued_ != longestContinued_ || longestRecord_ != longestContinued_)
        return 0;
    return longestRecord_;
}

std::string_view OFFCIn::LineEnd() const
{
    switch (lineEndKinds_) {
    case kLineFeed: return "\n";
    case kCarriageReturnLineFeed: return "\r\n";
    default: return {};
    }
}

uint32_t OFFCIn::ErrorLine(uint32_t errorFlag) const
{
    switch (errorFlag) {
    case ffcFormatError: return formatErrorLine_;
    case ffcReadError: return readErrorLine_;
    case ffcChecksumError: return checksumErrorLine_;
    default: return 0;
    }
}

const std::string& OFFCIn::ErrorReason(uint32_t errorFlag) const
{
    static const std::string none;
    const int index = ReasonIndex(errorFlag);
    return index < 0 ? none : errorReasons_[index];
}

void OFFCIn::SetFlag(uint32_t flag, std::string_view reason)
{
    const uint32_t fresh = flag & ~flags_;
    SetFlag(flag);
    for (uint32_t f : {ffcFormatError, ffcReadError, ffcChecksumError})
        if (fresh & f)
            errorReasons_[ReasonIndex(f)] = recordReason_.empty() ? reason : std::string_view(recordReason_);
    if (fresh & kLineNotedFlags)
        recordReason_.clear();
}

void OFFCIn::BadChecksum(unsigned found, unsigned expected, const char* which)
{
    SetFlag(ffcChecksumError, ReasonText("%s %02X, expected %02X", which, found & 0xFF, expected & 0xFF));
}

int32_t OFFCIn::HexBytesOnLine() const
{
    const unsigned char* p = source_->Data();
    const size_t n = source_->Buffered();
    int32_t digits = 0;
    bool blanks = false;
    for (size_t i = 0; i < n; ++i) {
        const int c = p[i];
        if (c == '\n' || c == '\r')
            return digits % 2 == 0 ? digits / 2 : -1;
        if (c == ' ' || c == '\t')
            blanks = true;
        else if (HexValue(c) < 0 || blanks)
            return -1;
        else
            ++digits;
    }
    return -1;
}

void OFFCIn::NoteErrorLine(uint32_t freshFlags)
{
    if ((flags_ & kLineNotedFlags) == 0)
        errorAfterEnd_ = afterEnd_;
    const uint32_t line = lineEnds_ + 1;
    if (freshFlags & ffcFormatError)
        formatErrorLine_ = line;
    if (freshFlags & ffcReadError)
        readErrorLine_ = line;
    if (freshFlags & ffcChecksumError)
        checksumErrorLine_ = line;
}

std::string BadDigitReason(int c)
{
    if (c < 0)
        return "file ends inside a record";
    if (c == '\n' || c == '\r')
        return "line ends inside a record";
    return "bad hex digit " + CharText(c);
}

void OFFCIn::BadHexPair(int first, int second)
{
    SetFlag(ffcReadError, BadDigitReason(HexValue(first) < 0 ? first : second));
    lineEnds_ += (first == '\n') + (second == '\n');
}

void OFFCIn::BadHexRun(const unsigned char* chars, size_t count)
{
    const unsigned char* bad = std::find_if(chars, chars + count, [](unsigned char c) { return kHexValue[c] < 0; });
    SetFlag(ffcReadError, BadDigitReason(bad < chars + count ? *bad : 0));
    lineEnds_ += static_cast<uint32_t>(std::count(chars, chars + count, '\n'));
}

FileFormat OFFCIn::DetectFormat()
{
    // Nothing at all is no file of any text format; like an empty binary
    // file it gives no bytes.
    if (std::unique_ptr<InStream> probe = stream_.Reopen(); probe && probe->Peek() < 0) {
        inputEmpty_ = true;
        return ffBinary;
    }
    // ELF files carry their magic; only the binary type, which shows any
    // file's bytes as they are, looks past it.
    if (keyFormat_ != ffBinary && HasElfMagic())
        return ffElf;
    // The key's format first, then the others in their order; the first
    // whose trial passes is the file's format.
    std::vector<FileFormat> order;
    if (keyFormat_ != ffUnknown && keyFormat_ != ffElf)
        order.push_back(keyFormat_);
    for (FileFormat f : RecognitionOrder())
        if (f != keyFormat_)
            order.push_back(f);
    // When none passes, a damaged record of a format with record marks and
    // checksums tells what the file is: reading it in that format reports
    // the damage on its line, where the binary fallback would turn the
    // text into bytes without a word.
    // A trial that read good records before it failed is stronger evidence
    // than a first record that merely looks like one of another format: a
    // file of good Intel records without its end record is not taken for a
    // damaged Signetics file.
    // A trial that passed on an end record alone is weaker still: good data
    // records of another format that then went wrong (an Intel record
    // without its end record, which also reads as a Signetics end record)
    // say more about the file.
    FileFormat damaged = ffUnknown, damagedAfterData = ffUnknown, endOnly = ffUnknown;
    bool someReadData = false;
    for (FileFormat f : order) {
        if (f == ffBinary)
            return endOnly != ffUnknown ? endOnly : ffBinary;
        bool readData = false;
        const Trial trial = TryFormat(f, readData);
        if (trial == Trial::Passed && readData)
            return f;
        if (trial == Trial::Passed) {
            if (endOnly == ffUnknown)
                endOnly = f;
            continue;
        }
        someReadData = someReadData || (readData && RecordMark(f) != 0);
        if (trial == Trial::FailedInRecord && damaged == ffUnknown)
            damaged = f;
        if (trial == Trial::FailedInRecord && readData && damagedAfterData == ffUnknown)
            damagedAfterData = f;
    }
    if (damagedAfterData != ffUnknown)
        return damagedAfterData;
    if (endOnly != ffUnknown)
        return endOnly;
    return damaged != ffUnknown && !someReadData ? damaged : ffBinary;
}

OFFCIn::Trial OFFCIn::TryFormat(FileFormat format, bool& readData)
{
    std::unique_ptr<InStream> fresh = stream_.Reopen();
    if (!fresh)
        return Trial::Failed;
    source_ = fresh.get();
    ResetReadingState();
    active_ = format;
    // Ten records without a fault make a format; so does an end record with
    // nothing after it. A file that passes only because its first line
    // reads as an end record of this format explains nothing of the rest,
    // which then fails the check after the end.
    bool ok = true;
    readData = false;
    for (int i = 0; i < 10 && ok; ++i) {
        ReadRecord();
        ok = (flags_ & ffcTrialFailMask) == 0;
        readData = readData || (ok && recordLength_ > 0);
    }
    source_ = &stream_;
    // Formats without record marks end on a single character ("q", ETX)
    // or on nothing at all: without a byte read, a note line that merely
    // starts with that character would make any file an empty one of them.
    if (ok && !readData && RecordMark(format) == 0 && (flags_ & ffcEndOfData))
        return Trial::Failed;
    if (ok)
        return Trial::Passed;
    // Good records, their end, and more records after it: the file is of
    // this format, and what follows its end must be reported.
    if (readData && errorAfterEnd_ && RecordMark(format) != 0)
        return Trial::FailedInRecord;
    // TI-TXT has no record mark, but an "@" address line read well says as
    // much: what went wrong after it is damage to report on its line.
    if (format == ffTiTxt && !expectAddress_)
        return Trial::FailedInRecord;
    return FailedInRecord(format, readData) ? Trial::FailedInRecord : Trial::Failed;
}

bool OFFCIn::FailedInRecord(FileFormat format, bool afterGoodRecords) const
{
    const int mark = RecordMark(format);
    if (mark == 0 || errorAfterEnd_)
        return false;
    uint32_t line = 0;
    for (uint32_t l : {formatErrorLine_, readErrorLine_, checksumErrorLine_})
        if (l != 0 && (line == 0 || l < line))
            line = l;
    if (line == 0)
        return false;
    std::unique_ptr<InStream> in = stream_.Reopen();
    if (!in)
        return false;
    // To the start of the line, counting line ends as SkipLine does.
    for (uint32_t passed = 1; passed < line;) {
        const int c = in->Get();
        if (c < 0)
            return false;
        if (c == '\n') {
            ++passed;
            if (in->Peek() == '\r')
                in->Get();
        } else if (c == '\r') {
            ++passed;
            while (in->Peek() == '\r')
                in->Get();
            if (in->Peek() == '\n')
                in->Get();
        }
    }
    // The record's mark, then hex digits with at most one character that
    // is none (trailing blanks aside; a character that stands where a line
    // end should, right before the next record's mark, ends the record). A
    // line of text or of binary bytes that merely begins with the mark is
    // no damaged record.
    // Good records that simply stop lack their end record: the file is of
    // this format all the same, and the missing end is reported.
    const int first = in->Get();
    if (first < 0)
        return afterGoodRecords;
    if (Upper(first) != mark)
        return false;
    // After good records of the format, any record of it that went wrong
    // is a damaged one.
    if (afterGoodRecords)
        return true;
    int digits = 0, others = 0, blanks = 0;
    for (int n = 0; n < 1024; ++n) {
        const int c = in->Get();
        if (c < 0 || c == '\n' || c == '\r')
            break;
        if (c == ' ' || c == '\t') {
            ++blanks;
            continue;
        }
        if (HexValue(c) >= 0) {
            others += blanks;
            ++digits;
        } else {
            ++others;
            if (others == 1 && Upper(in->Peek()) == mark)
                break;
        }
        blanks = 0;
    }
    return digits >= 2 && others <= 1;
}

void OFFCIn::ReadRecord()
{
    recordStart_ = GetAddress();
    recordPos_ = 0;
    recordLine_ = lineEnds_ + 1;
    recordReason_.clear();
    if (flags_ & ffcEndOfData)
        return;
    switch (active_) {
    case ffMotorola: ReadMotorolaRecord(*this); break;
    case ffIntel: ReadIntelRecord(*this); break;
    case ffAsciiHex: ReadAsciiHexRecord(*this); break;
    case ffTektronix: ReadTektronixRecord(*this); break;
    case ffSignetics: ReadSigneticsRecord(*this); break;
    case ffRca: ReadRcaRecord(*this); break;
    case ffPlainHex: ReadPlainHexRecord(*this); break;
    case ffTiTxt: ReadTiTxtRecord(*this); break;
    case ffElf: ReadElfRecord(); break;
    default: ReadBinaryRecord(*this); break;
    }
    // A reader never hands out more than the record holds.
    if (recordLength_ < 0 || recordLength_ > kRecordCapacity)
        recordLength_ = 0;
    if (recordLength_ > 0)
        NoteRecordShape();
    if (recordAddress_ != recordStart_) {
        flags_ |= ffcAddressChange;
        recordStart_ = recordAddress_;
    }
}

bool OFFCIn::ExpectChar(char expected)
{
    const int c = Get();
    if (Upper(c) == Upper(static_cast<unsigned char>(expected)))
        return true;
    // Where a record's mark should begin a line, the file simply ended.
    if (c < 0 && Upper(static_cast<unsigned char>(expected)) == RecordMark(active_))
        SetFlag(ffcFormatError, "end record missing");
    else
        SetFlag(ffcFormatError, CharText(static_cast<unsigned char>(expected)) + " expected, found " + CharText(c));
    if (c == '\n')
        ++lineEnds_;
    return false;
}

uint32_t OFFCIn::ReadHexBytes(uint8_t* dest, int32_t count)
{
    uint32_t sum = 0;
    if (count <= 0)
        return 0;
    if (source_->Buffered() >= 2 * static_cast<size_t>(count)) {
        // Local pointers, so that the stores to `dest` do not make the
        // compiler reload the stream position for every byte.
        const unsigned char* p = source_->Data();
        int bad = 0;
        int32_t i = 0;
#if defined(__SSE2__)
        // Sixteen bytes at a time while every digit is good; a group with a
        // bad one is left to the byte loop, which gives its bytes as before.
        for (; i + 16 <= count; i += 16) {
            uint32_t groupSum;
            if (!DecodeHex16(p + 2 * i, dest + i, groupSum))
                break;
            sum += groupSum;
        }
#endif
        for (; i < count; ++i) {
            const int high = kHexValue[p[2 * i]];
            const int low = kHexValue[p[2 * i + 1]];
            const int both = high | low;
            bad |= both;
            const uint8_t b = both < 0 ? 0 : static_cast<uint8_t>(high * 16 + low);
            dest[i] = b;
            sum += b;
        }
        source_->Skip(2 * static_cast<size_t>(count));
        if (bad < 0)
            BadHexRun(p, 2 * static_cast<size_t>(count));
        return sum;
    }
    for (int32_t i = 0; i < count; ++i) {
        dest[i] = ReadHexByte();
        sum += dest[i];
    }
    return sum;
}

int32_t OFFCIn::ReadBlock(uint8_t* dest, int32_t max)
{
    int32_t count = 0;
    while (count < max) {
        if (source_->Buffered() == 0) {
            // Refills the buffer, or finds the end.
            const int c = source_->Get();
            if (c < 0)
                break;
            dest[count++] = static_cast<uint8_t>(c);
            continue;
        }
        const size_t take = std::min<size_t>(source_->Buffered(), static_cast<size_t>(max - count));
        std::memcpy(dest + count, source_->Data(), take);
        source_->Skip(take);
        count += static_cast<int32_t>(take);
    }
    return count;
}

bool OFFCIn::DecodeHex(const unsigned char* p, uint8_t* dest, int32_t count, uint32_t& sum)
{
    int32_t i = 0;
#if defined(__SSE2__)
    for (; i + 16 <= count; i += 16) {
        uint32_t groupSum;
        if (!DecodeHex16(p + 2 * i, dest + i, groupSum))
            return false;
        sum += groupSum;
    }
#endif
    int bad = 0;
    for (; i < count; ++i) {
        const int high = kHexValue[p[2 * i]];
        const int low = kHexValue[p[2 * i + 1]];
        bad |= high | low;
        dest[i] = static_cast<uint8_t>(high * 16 + low);
        sum += dest[i];
    }
    return bad >= 0;
}

void OFFCIn::SkipLine()
{
    for (;;) {
        const int c = Get();
        if (c < 0)
            return;
        if (c == '\n') {
            ++lineEnds_;
            if (Peek() == '\r') {
                Get();
                lineEndKinds_ |= kOtherLineEnd;
            } else {
                lineEndKinds_ |= kLineFeed;
            }
            return;
        }
        if (c == '\r') {
            // CR CR LF, left by a text conversion done twice, is one line end.
            ++lineEnds_;
            uint32_t kind = kCarriageReturnLineFeed;
            while (Peek() == '\r') {
                Get();
                kind = kOtherLineEnd;
            }
            if (Peek() == '\n')
                Get();
            else
                kind = kOtherLineEnd;
            lineEndKinds_ |= kind;
            return;
        }
    }
}

void OFFCIn::EndLine()
{
    for (;;) {
        const int c = Peek();
        if (c == ' ' || c == '\t') {
            Get();
            continue;
        }
        if (c == '\n' || c == '\r')
            SkipLine();
        else if (c >= 0)
            SetFlag(ffcFormatError, CharText(c) + " after the record");
        return;
    }
}

void OFFCIn::EndOfRecords(bool restOfLineIsRecord)
{
    SetFlag(ffcEndOfData);
    if (restOfLineIsRecord)
        SkipLine();
    else
        EndLine();
    if (flags_ & ffcFormatError)
        return;
    afterEnd_ = true;
    for (;;) {
        const int c = Peek();
        if (c < 0)
            break;
        if (c == '\n' || c == '\r') {
            SkipLine();
        } else if (c == ' ' || c == '\t' || c == kCtrlZ) {
            Get();
        } else {
            SetFlag(ffcFormatError, "data after end record");
            break;
        }
    }
    afterEnd_ = false;
}
