// Where file contents enter and leave a document: opening, inserting,
// reverting and saving through the converters, the reports of what they
// found, and the ranges a save writes.

#include "document/buffer_document.h"

#include "buffer/data_buffer.h"
#include "settings/settings_record.h"
#include "formats/elf_image.h"
#include "formats/ffc_in.h"
#include "formats/ffc_out.h"
#include "formats/output_size.h"
#include "formats/save_stream.h"
#include "formats/streams.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {
constexpr const char* kLoadCaption = "Error";
constexpr const char* kEditCaption = "ERROR";
constexpr const char* kCloseWhileBusy = "Buffer cannot close while data is being processed.";
constexpr const char* kDocumentChanged = "The document has been changed.\n\nDo you want to save the changes?";
constexpr uint8_t kErased = 0xFF;
// Runs of erased bytes up to this long are written out; longer runs are
// skipped by an address change.
constexpr Address kLongestWrittenRun = 10;
constexpr uint8_t kErasedRun[kLongestWrittenRun] = {kErased, kErased, kErased, kErased, kErased,
                                                    kErased, kErased, kErased, kErased, kErased};

// How many of the `count` bytes at `bytes` are erased before the first
// written one.
int32_t ErasedPrefix(const uint8_t* bytes, int32_t count)
{
    int32_t k = 0;
#if defined(__SSE2__)
    const __m128i erased = _mm_set1_epi8(static_cast<char>(kErased));
    for (; k + 16 <= count; k += 16) {
        const int same = _mm_movemask_epi8(
            _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + k)), erased));
        if (same != 0xFFFF)
            return k + __builtin_ctz(static_cast<unsigned>(~same));
    }
#endif
    while (k < count && bytes[k] == kErased)
        ++k;
    return k;
}

std::string HexAddress(Address address)
{
    char text[24];
    std::snprintf(text, sizeof text, "%08llX", static_cast<unsigned long long>(address));
    return text;
}

std::string FileProblem(const char* what, const std::string& path, const std::string& reason)
{
    return std::string(what) + " \"" + path + "\":\n" + reason;
}

// Walks the window after its first byte as a save writes it: stretches of
// written bytes and short erased runs go to bytes(address, data, n), a run
// of more than kLongestWrittenRun erased bytes becomes jump(address) before
// the next written byte, and an erased run at the end leaves only the
// window's last byte (a jump there and one erased byte). pump(index) is
// called after every piece of stored bytes up to kEventStride long and after
// every stretch of never-written blocks, which is computed, not read; when it
// answers false the walk stops there, and the result is false.
template <class Source, class Bytes, class Jump, class Pump>
bool WalkSave(const Source& buffer, Address stride, Bytes bytes, Jump jump, Pump pump)
{
    const Address start = buffer.Start();
    const Address size = buffer.Size();
    Address run = 0;
    Address index = 1;
    bool going = true;
    auto written = [&](const uint8_t* data, Address n) {
        if (run > 0) {
            if (run <= kLongestWrittenRun)
                bytes(start + index - run, kErasedRun, run);
            else
                jump(start + index);
            run = 0;
        }
        bytes(start + index, data, n);
    };
    // Stored bytes go in pieces that end at every stride-th index, with
    // events between them; a stretch of never-written blocks, however long,
    // is one step.
    auto piece = [&](const uint8_t* data, int32_t length) {
        int32_t k = 0;
        while (k < length) {
            const int32_t erased = ErasedPrefix(data + k, length - k);
            run += erased;
            index += erased;
            k += erased;
            if (k == length)
                break;
            const void* nextErased = std::memchr(data + k, kErased, static_cast<size_t>(length - k));
            const int32_t stop =
                nextErased ? static_cast<int32_t>(static_cast<const uint8_t*>(nextErased) - data) : length;
            written(data + k, stop - k);
            index += stop - k;
            k = stop;
        }
    };
    if (size > 1) {
        buffer.ForEachSpan(start + 1, size - 1, [&](const uint8_t* data, Address n) {
            if (!going)
                return;
            if (!data) {
                run += n;
                index += n;
                if (index < size)
                    going = pump(index);
                return;
            }
            for (Address done = 0; done < n && going;) {
                const Address pieceEnd = std::min(index + (n - done), (index / stride + 1) * stride);
                const Address length = pieceEnd - index;
                piece(data + done, static_cast<int32_t>(length));
                done += length;
                if (index < size && index % stride == 0)
                    going = pump(index);
            }
        });
    }
    if (going && run > 0) {
        // The last byte keeps the file's extent.
        jump(start + size - 1);
        bytes(start + size - 1, kErasedRun, 1);
    }
    return going;
}
} // namespace

// --- Loading -------------------------------------------------------------

uint32_t OBufferDocument::LoadFrom(OFFCIn& in, Address origin, AddressSet& loaded)
{
    ODataBuffer& buffer = *buffer_;
    // Bytes go to the buffer only while they have a place in the address
    // space. Reading stops at the first byte beyond it, which is reported,
    // rather than piling it onto the previous position, wrapping round or
    // reading on through an input that never ends.
    auto placeable = [](Address address) { return address >= 0 && address < ODataBuffer::AddressLimit; };
    bool placing = placeable(origin);
    Address room = placing ? ODataBuffer::AddressLimit - origin : 0;
    bool dropped = false;
    if (placing)
        buffer.SetPosition(origin);
    // Bytes move a record's run at a time: flags change only when a record
    // is read, so looking at them once per run sees what a look before every
    // byte would. Runs end where events are due, at every kEventStride-th byte.
    int32_t countdown = kEventStride;
    // Consecutive runs make one range: the set is touched only where the
    // records jump, so a dense image costs it nothing per run.
    Address runFirst = 0;
    Address runEnd = 0;
    while (in.MoreData()) {
        if (uint32_t flags = in.GetFlags()) {
            if (flags & ffcAddressChange) {
                const Address target = origin + in.GetAddress();
                placing = placeable(target);
                if (placing) {
                    buffer.SetPosition(target);
                    room = ODataBuffer::AddressLimit - target;
                }
                in.ClearFlags(ffcAddressChange);
            }
            if (flags & ffcStopMask)
                break;
        }
        if (!placing) {
            dropped = true;
            break;
        }
        int32_t n;
        const uint8_t* run = in.TakeBytes(static_cast<int32_t>(std::min<Address>(countdown, room)), n);
        const Address at = buffer.Position();
        if (at != runEnd) {
            loaded.Add(runFirst, runEnd - 1);
            runFirst = at;
        }
        runEnd = at + n;
        buffer.PutBlock(run, n);
        if (buffer.OutOfMemory()) {
            Message("Not enough memory for the file's bytes; reading stopped at address " + HexAddress(buffer.Position()) +
                        " hex.",
                    "Out of memory");
            dropped = true;
            break;
        }
        room -= n;
        if (room == 0)
            placing = false;
        countdown -= n;
        if (countdown == 0) {
            countdown = kEventStride;
            host_.ProcessPendingEvents();
        }
    }
    loaded.Add(runFirst, runEnd - 1);
    uint32_t flags = in.GetFlags();
    in.ClearFlags(0xFFFF);
    KeepReadPlaces(in);
    if (buffer.OutOfMemory())
        return flags | ffcReadError;
    if (dropped && !(flags & ffcFormatError)) {
        formatErrorLine_ = in.RecordLine();
        formatErrorReason_ = NoPlaceReason(in.GetAddress(), origin);
    }
    return dropped ? flags | ffcFormatError : flags;
}

void OBufferDocument::KeepReadPlaces(const OFFCIn& in)
{
    readFormat_ = in.ActiveFormat();
    readNothing_ = in.InputEmpty();
    formatErrorLine_ = in.ErrorLine(ffcFormatError);
    readErrorLine_ = in.ErrorLine(ffcReadError);
    checksumErrorLine_ = in.ErrorLine(ffcChecksumError);
    formatErrorReason_ = in.ErrorReason(ffcFormatError);
    readErrorReason_ = in.ErrorReason(ffcReadError);
    checksumErrorReason_ = in.ErrorReason(ffcChecksumError);
    readProblem_ = in.Problem();
}

std::string OBufferDocument::NoPlaceReason(Address fileAddress, Address origin) const
{
    const std::string where = (origin + fileAddress < 0 ? " below 0" : " past FFFFFFFF");
    if (fileAddress >= ODataBuffer::AddressLimit || origin == 0)
        return "address" + where;
    // What moved the file: the load offset, or an insert that starts at
    // the cursor (with the load offset added).
    const std::string mover = origin == loadOffset_ ? host_.LoadOffsetName()
                                                    : "inserting at " + std::string(origin < 0 ? "-" : "") +
                                                          HexAddress(origin < 0 ? -origin : origin);
    return mover + " moves " + HexAddress(fileAddress) + where;
}

void OBufferDocument::KeepElfDetails(const OFFCIn& in)
{
    std::shared_ptr<const ElfInfo> info = in.ElfDetails();
    readOnlySource_ = info != nullptr;
    if (info && loadOffset_ != 0) {
        auto moved = std::make_shared<ElfInfo>(*info);
        for (ElfSection& section : moved->sections)
            section.loadAddress += loadOffset_;
        for (ElfSymbol& symbol : moved->symbols)
            if (symbol.loadAddress != kNoAddress)
                symbol.loadAddress += loadOffset_;
        info = std::move(moved);
    }
    elfInfo_ = std::move(info);
    if (elfInfo_ && elfInfo_->entry != kNoAddress)
        startAddress_ = elfInfo_->entry;
}

bool OBufferDocument::NeedsSaveTarget() const
{
    return path_.empty() || readOnlySource_ || IsReadOnly(FormatFromKey(key_));
}

void OBufferDocument::KeepFileShape(const OFFCIn& in)
{
    // The start address moves with the bytes the load offset moved.
    const Address start = in.StartAddress() == kNoAddress ? kNoAddress : in.StartAddress() + loadOffset_;
    startAddress_ = start >= 0 && start < ODataBuffer::AddressLimit ? start : kNoAddress;
    startSegmentForm_ = in.StartInSegmentForm();
    startsDiffered_ = in.StartAddressesDiffer();
    shapeFormat_ = in.ActiveFormat();
    shapeRecordSize_ = in.RecordSize();
    shapeAddressBytes_ = in.AddressBytes();
    shapeLineEnd_ = in.LineEnd();
}

WriterOptions OBufferDocument::SaveOptions(const std::string& key) const
{
    WriterOptions options = writerOptions_;
    options.startAddress = startAddress_;
    options.startSegmentForm = startSegmentForm_;
    // A file saved in the format it was read in keeps its shape, so that a
    // small change stays a small change in the text; options the caller set
    // win.
    if (FormatFromKey(key) == shapeFormat_) {
        if (options.recordSize == 0)
            options.recordSize = shapeRecordSize_;
        if (options.lineEnd.empty())
            options.lineEnd = shapeLineEnd_;
        // S1 or S2 records again, while they hold every address.
        const Address reach = Address{1} << (8 * shapeAddressBytes_);
        if (options.srecAddressBytes == 0 && shapeAddressBytes_ != 0 && End() <= reach && startAddress_ < reach)
            options.srecAddressBytes = shapeAddressBytes_;
    }
    return options;
}

void OBufferDocument::ReportLoadFlags(uint32_t flags, bool inserting, const std::string& path)
{
    const char* caption = inserting ? kEditCaption : kLoadCaption;
    if ((flags & ffcFormatError) && !readProblem_.empty())
        host_.ReportReadError(readProblem_, caption, path, 0, {});
    else if (flags & ffcFormatError)
        host_.ReportReadError(inserting ? "FORMAT ERROR" : "Format Error", caption, path, formatErrorLine_,
                              formatErrorReason_);
    if (flags & ffcReadError)
        host_.ReportReadError(inserting ? "READ ERROR" : "Read Error", caption, path, readErrorLine_,
                              readErrorReason_);
    if (flags & ffcChecksumError)
        host_.ReportReadError(inserting ? "CHECKSUM ERROR" : "Checksum Error", caption, path, checksumErrorLine_,
                              checksumErrorReason_);
}

void OBufferDocument::ReportStreamEnd(const FileInStream& stream, uint32_t flags, bool inserting)
{
    // An input refused for its length is cut off at an arbitrary point;
    // what the converter made of that cut says nothing more.
    if (stream.TooLong() || stream.Cancelled())
        Message(FileProblem("Cannot read", stream.Path(), stream.ErrorText()), inserting ? kEditCaption : kLoadCaption);
    else
        ReportLoadFlags(stream.Failed() ? flags | ffcReadError : flags, inserting, stream.Path());
}

bool OBufferDocument::Open(std::string_view path)
{
    // Only a file being opened asks for an offset; reverting and reading
    // again for the rows use the one it was opened with.
    const bool opening = !path.empty();
    if (!path.empty())
        SetPath(std::string(path));
    ODataBuffer& buffer = *buffer_;
    if (!path_.empty()) {
        FileInStream stream(path_, FileInStream::kHeldLimit, host_.InputWaiter());
        if (!stream.IsOpen()) {
            Message(FileProblem("Cannot open", path_, stream.ErrorText()), kLoadCaption);
            return false;
        }
        if (opening && !AskForOffset())
            return false;
        SetBusy(true);
        uint32_t flags;
        dataAddresses_.Clear();
        {
            OFFCIn in(stream, key_);
            host_.SetWaitCursor(true);
            flags = LoadFrom(in, loadOffset_, dataAddresses_);
            KeepFileShape(in);
            KeepElfDetails(in);
        }
        SetBusy(false);
        host_.SetWaitCursor(false);
        ReportStreamEnd(stream, flags, false);
        if (buffer.Size() == 0)
            buffer.Put(kErased);
    } else {
        dataAddresses_.Clear();
        AddressRequest request = NewBufferRequest();
        Address first = 0;
        Address last = 511;
        if (host_.RequestNewBufferRange(request)) {
            // Whatever the dialog returns, the window stays in the address space.
            first = std::clamp<Address>(request.start, 0, ODataBuffer::AddressLimit - 1);
            last = std::clamp<Address>(request.last, first, ODataBuffer::AddressLimit - 1);
        }
        buffer.SetPosition(first);
        buffer.Put(kErased);
        buffer.SetPosition(last);
        buffer.Put(kErased);
    }
    dirty_ = false;
    Notify(vnRevert, 0);
    SizeChanged(buffer.Size());
    return true;
}

bool OBufferDocument::Close() { return true; }

bool OBufferDocument::Revert(bool clear)
{
    // The running operation holds on to the buffer.
    if (busy_ != 0)
        return false;
    Notify(vnRevert, clear ? 1 : 0);
    dirty_ = false;
    dataAddresses_.Clear();
    if (!clear) {
        // The file is read into a fresh buffer: bytes typed outside the file's
        // records and a widened window must not survive a revert, and the
        // journal's entries belong to the discarded contents.
        journal_.Clear();
        redo_.Clear();
        buffer_ = std::make_unique<ODataBuffer>();
        Open();
    }
    return true;
}

bool OBufferDocument::CanClose()
{
    if (busy_ != 0) {
        Message(kCloseWhileBusy, title_);
        return false;
    }
    if (!dirty_)
        return true;
    // The question names the file: captions are cut short, or not shown at
    // all, by some window managers.
    const std::string question = std::string(kDocumentChanged)
                                     .insert(std::string_view(kDocumentChanged).find("\n\n") + 2,
                                             (path_.empty() ? title_ : path_) + "\n\n");
    int answer = host_.MessageBox(question, title_, mbIconQuestion | mbYesNoCancel);
    if (answer == idNo)
        return true;
    if (answer != idYes)
        return false;
    if (NeedsSaveTarget()) {
        std::string path, key;
        if (!host_.ChooseSaveTarget(path, key))
            return false;
        SetPath(std::move(path));
        key_ = std::move(key);
    }
    return Commit(true);
}

void OBufferDocument::Insert(Address address)
{
    std::string path, key;
    if (!host_.ChooseFileToInsert(path, key))
        return;
    InsertWithOverlap(address, path);
}

void OBufferDocument::InsertFile(Address address, const std::string& path)
{
    FileInStream stream(path, FileInStream::kHeldLimit, host_.InputWaiter());
    if (stream.IsOpen() && !AskForOffset())
        return;
    InsertFrom(stream, address + loadOffset_, path);
}

void OBufferDocument::InsertFrom(FileInStream& stream, Address origin, const std::string& path)
{
    ODataBuffer& buffer = *buffer_;
    host_.SetWaitCursor(true);
    SetBusy(true);
    if (stream.IsOpen()) {
        const Address size = buffer.Size();
        const Address start = buffer.Start();
        const bool undo = undo_;
        if (undo)
            RecordBlock(start, start + size - 1);
        uint32_t flags;
        AddressSet loaded;
        {
            // The receiving document's format is tried first.
            OFFCIn in(stream, key_);
            flags = LoadFrom(in, origin, loaded);
        }
        AddData(loaded, undo ? journal_.Count() - 1 : -1);
        ReportStreamEnd(stream, flags, true);
        dirty_ = true;
        redo_.Clear();
        if (buffer.Size() != size && undo)
            RecordWindow(start, size, kWindowByEdit);
    } else {
        Message(FileProblem("Cannot open", path, stream.ErrorText()), kEditCaption);
    }
    SizeChanged(buffer.Size());
    SetBusy(false);
    host_.SetWaitCursor(false);
}

// --- Saving --------------------------------------------------------------

bool OBufferDocument::Commit(bool force)
{
    if (!dirty_ && !force)
        return true;
    if (buffer_->Size() == 0)
        return true;
    // A save arriving while an operation runs would read the buffer under
    // it; the shell's Save is not guarded by the views.
    if (NeedsSaveTarget() || busy_ != 0)
        return false;
    return SaveTo(path_, key_);
}

bool OBufferDocument::ExportTo(const std::string& path, const std::string& key)
{
    if (buffer_->Size() == 0 || busy_ != 0)
        return false;
    return SaveTo(path, key, true);
}

bool OBufferDocument::ExportLane(const std::string& path, const std::string& key, LaneShape shape, int lane,
                                 const WriterOptions& options)
{
    if (buffer_->Size() == 0 || busy_ != 0)
        return false;
    const LaneView view(*buffer_, buffer_->Start(), buffer_->Size(), shape, lane);
    const LaneOutput output{view, options};
    return SaveTo(path, key, true, &output);
}

bool OBufferDocument::FollowsData() const
{
    return saveDataOnly_ && buffer_->Size() > 0 && dataAddresses_.Intersects(buffer_->Start(), buffer_->End() - 1);
}

bool OBufferDocument::SavesDataOnly(const std::string& key) const
{
    // A binary image is every byte from 0; it has no holes to keep.
    const FileFormat format = FormatFromKey(key);
    return FollowsData() && format != ffBinary && format != ffUnknown;
}

bool OBufferDocument::SaveData(OFFCOut& out)
{
    constexpr Address kPiece = 4096;
    static const std::vector<uint8_t> erased(kPiece, kErased);
    const Address start = buffer_->Start();
    const Address size = buffer_->Size();
    const bool stoppable = busy_ == 1 && size > kLongOperation;
    bool going = true;
    dataAddresses_.ForEachIn(start, buffer_->End() - 1, [&](Address first, Address last) {
        if (!going)
            return;
        out.SetAddress(first);
        for (Address at = first; at <= last && going;) {
            const Address n = std::min(kPiece, last - at + 1);
            buffer_->ForEachSpan(at, n, [&](const uint8_t* bytes, Address count) {
                out.PutBytes(bytes ? bytes : erased.data(), static_cast<int32_t>(count));
            });
            at += n;
            if (stoppable)
                going = Proceed(at - start, size);
            else
                host_.ProcessPendingEvents();
        }
    });
    return going;
}

template <class Source>
bool OBufferDocument::SaveRest(const Source& source, OFFCOut& out)
{
    // Stretches of written bytes go to the converter whole; what it is given
    // is call for call what a byte at a time would give it.
    Address next = source.Start() + 1;
    const Address size = source.Size();
    const bool stoppable = busy_ == 1 && size > kLongOperation;
    return WalkSave(
        source, kEventStride,
        [&](Address address, const uint8_t* bytes, Address n) {
            if (address != next)
                out.SetAddress(address);
            out.PutBytes(bytes, static_cast<int32_t>(n));
            next = address + n;
        },
        [&](Address address) {
            out.SetAddress(address);
            next = address;
        },
        [&](Address index) {
            if (stoppable)
                return Proceed(index, size);
            host_.ProcessPendingEvents();
            return true;
        });
}

bool OBufferDocument::SaveTo(const std::string& path, const std::string& key, bool exporting, const LaneOutput* lane)
{
    SaveStream stream(path);
    if (!stream.IsOpen()) {
        Message(FileProblem("Cannot create", path, stream.ErrorText()), kEditCaption);
        return false;
    }

    ODataBuffer& buffer = *buffer_;
    host_.SetWaitCursor(true);
    SetBusy(true);
    auto write = [&](OutStream& to) {
        OFFCOut out(to, key);
        out.SetOptions(lane ? lane->options : SaveOptions(key));
        stopped_ = false;
        bool whole;
        if (lane) {
            out.SetAddress(lane->view.Start());
            out.PutByte(lane->view.Peek(lane->view.Start()));
            whole = SaveRest(lane->view, out);
        } else if (SavesDataOnly(key)) {
            whole = SaveData(out);
        } else {
            const Address start = buffer.Start();
            out.SetAddress(start);
            // The first byte is always written, erased or not.
            uint8_t first;
            buffer.CopyOut(start, 1, &first);
            out.PutByte(first);
            whole = SaveRest(buffer, out);
        }
        if (whole)
            out.Finish();
        const uint32_t written = out.GetFlags();
        out.ClearFlags(0xFFFF);
        return written;
    };
    uint32_t flags = 0;
    // A pipe or a device takes the records as they are made and cannot be
    // put back, so a save that must be whole or nothing is first made
    // without writing: only one that has no record to drop reaches it.
    // Images have no records to drop.
    if (stream.InPlace() && allOrNothing_ && !SizeFollowsSpan(FormatFromKey(key))) {
        NullOutStream trial;
        flags = write(trial) & ffcFormatError;
    }
    if (!flags && !stopped_)
        flags = write(stream);
    if (stopped_) {
        // Stopped by the user: the file stays as it was, without a word.
        stream.Discard();
        SetBusy(false);
        host_.SetWaitCursor(false);
        return false;
    }
    if (!stream.Complete())
        flags |= ffcWriteError;
    // After a write error the user's file stays as it was. A format error
    // writes what could be written, unless the caller wants all or nothing.
    bool replaced = false;
    bool replaceFailed = false;
    if (!(flags & ffcWriteError) && !(allOrNothing_ && (flags & ffcFormatError))) {
        replaced = stream.Commit();
        if (!replaced && stream.InPlace())
            flags |= ffcWriteError;
        replaceFailed = !replaced && !stream.InPlace();
    } else {
        stream.Discard();
    }
    if (flags & ffcFormatError)
        Message("FORMAT ERROR", kEditCaption);
    if (flags & ffcWriteError)
        host_.ReportWriteError("WRITE ERROR", kEditCaption, path, stream.ErrorText());
    if (replaceFailed)
        Message(FileProblem("Cannot replace", path, stream.ErrorText()), kEditCaption);

    bool saved = false;
    if (exporting) {
        saved = replaced && !(flags & ffcFormatError);
    } else if (!replaced) {
        // The document keeps its changes.
    } else if (flags & ffcFormatError) {
        // Written, but not all of it as it is: the changes stay undoable and
        // the document stays changed.
    } else {
        saved = true;
        dirty_ = false;
        journal_.Clear();
        redo_.Clear();
    }
    SetBusy(false);
    host_.SetWaitCursor(false);
    return saved;
}

std::vector<OBufferDocument::SavedRange> OBufferDocument::SavedRanges() const
{
    // SaveTo's walk: the first and the last byte are always written, a long
    // erased run starts a new record after it.
    std::vector<SavedRange> ranges;
    const ODataBuffer& buffer = *buffer_;
    if (buffer.Size() == 0)
        return ranges;
    if (FollowsData()) {
        dataAddresses_.ForEachIn(buffer.Start(), buffer.End() - 1,
                                 [&](Address first, Address last) { ranges.push_back({first, last}); });
        return ranges;
    }
    ranges.push_back({buffer.Start(), buffer.Start()});
    WalkSave(
        buffer, buffer.Size(),
        [&](Address address, const uint8_t*, Address n) {
            if (address == ranges.back().last + 1)
                ranges.back().last = address + n - 1;
            else
                ranges.push_back({address, address + n - 1});
        },
        [](Address) {}, [](Address) { return true; });
    return ranges;
}

bool OBufferDocument::AskForOffset()
{
    if (!settings::AskOffset(settingsPath_))
        return true;
    Address offset = 0;
    if (!host_.AskLoadOffset(offset))
        return false;
    loadOffset_ = offset;
    return true;
}
