#include "document/buffer_document.h"

#include "settings/settings_record.h"
#include "buffer/data_buffer.h"
#include "formats/ffc_in.h"
#include "formats/ffc_out.h"
#include "formats/save_stream.h"
#include "formats/streams.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {
constexpr const char* kLoadCaption = "Error";
constexpr const char* kEditCaption = "ERROR";
constexpr const char* kCloseWhileBusy = "Buffer cannot close while data is being processed.";
constexpr const char* kDocumentChanged = "The document has been changed.\n\nDo you want to save the changes?";
constexpr const char* kHexDigits = "0123456789ABCDEF";
constexpr uint8_t kErased = 0xFF;
// Runs of erased bytes up to this long are written out; longer runs are
// skipped by an address change.
constexpr int32_t kLongestWrittenRun = 10;

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

std::string FileProblem(const char* what, const std::string& path, const std::string& reason)
{
    return std::string(what) + " \"" + path + "\":\n" + reason;
}

std::string LastComponent(const std::string& path)
{
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}
} // namespace

OBufferDocument::OBufferDocument(DocumentHost& host, std::string settingsPath, std::string formatKey)
    : host_(host),
      settingsPath_(std::move(settingsPath)),
      key_(std::move(formatKey)),
      buffer_(std::make_unique<ODataBuffer>())
{
    sumCheck_ = settings::SumCheck(settingsPath_);
    undo_ = settings::UseUndo(settingsPath_);
}

// Entries and their copies go before the buffer.
OBufferDocument::~OBufferDocument() { journal_.Clear(); }

void OBufferDocument::SetPath(std::string path)
{
    path_ = std::move(path);
    if (!path_.empty())
        title_ = LastComponent(path_);
}

void OBufferDocument::AddObserver(DocumentObserver* observer) { observers_.push_back(observer); }

void OBufferDocument::RemoveObserver(DocumentObserver* observer) { std::erase(observers_, observer); }

void OBufferDocument::Notify(int notification, int32_t argument)
{
    // A copy: an observer may unregister itself, or another one, while being
    // told; one that is gone by its turn is not told.
    std::vector<DocumentObserver*> observers = observers_;
    for (DocumentObserver* observer : observers)
        if (std::find(observers_.begin(), observers_.end(), observer) != observers_.end())
            observer->DocumentNotify(*this, notification, argument);
}

void OBufferDocument::Message(std::string_view text, std::string_view caption, int style)
{
    host_.MessageBox(text, caption, style);
}

bool OBufferDocument::IsOpen() const { return buffer_->Size() != 0; }
int32_t OBufferDocument::Start() const { return buffer_->Start(); }
int32_t OBufferDocument::Size() const { return buffer_->Size(); }
int32_t OBufferDocument::End() const { return buffer_->End(); }

// --- Loading -------------------------------------------------------------

uint32_t OBufferDocument::LoadFrom(OFFCIn& in, int64_t origin)
{
    ODataBuffer& buffer = *buffer_;
    // Bytes go to the buffer only while they have a place in the address
    // space. Reading stops at the first byte beyond it, which is reported,
    // rather than piling it onto the previous position or reading on through
    // an input that never ends.
    bool placing = origin >= 0 && origin < ODataBuffer::AddressLimit;
    int64_t room = placing ? ODataBuffer::AddressLimit - origin : 0;
    bool dropped = false;
    if (placing)
        buffer.SetPosition(static_cast<int32_t>(origin));
    // Bytes move a record's run at a time: flags change only when a record
    // is read, so looking at them once per run sees what a look before every
    // byte would. Runs end where events are due, at every kEventStride-th byte.
    int32_t countdown = kEventStride;
    while (in.MoreData()) {
        if (uint32_t flags = in.GetFlags()) {
            if (flags & ffcAddressChange) {
                int64_t target = origin + in.GetAddress();
                placing = target >= 0 && target < ODataBuffer::AddressLimit;
                if (placing) {
                    buffer.SetPosition(static_cast<int32_t>(target));
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
        const uint8_t* run = in.TakeBytes(static_cast<int32_t>(std::min<int64_t>(countdown, room)), n);
        buffer.PutBlock(run, n);
        room -= n;
        if (room == 0)
            placing = false;
        countdown -= n;
        if (countdown == 0) {
            countdown = kEventStride;
            host_.ProcessPendingEvents();
        }
    }
    uint32_t flags = in.GetFlags();
    in.ClearFlags(0xFFFF);
    return dropped ? flags | ffcFormatError : flags;
}

void OBufferDocument::KeepReadPlaces(const OFFCIn& in)
{
    readFormat_ = in.ActiveFormat();
    formatErrorLine_ = in.ErrorLine(ffcFormatError);
    readErrorLine_ = in.ErrorLine(ffcReadError);
    checksumErrorLine_ = in.ErrorLine(ffcChecksumError);
}

void OBufferDocument::ReportLoadFlags(uint32_t flags, bool inserting, const std::string& path)
{
    const char* caption = inserting ? kEditCaption : kLoadCaption;
    if (flags & ffcFormatError)
        host_.ReportReadError(inserting ? "FORMAT ERROR" : "Format Error", caption, path, formatErrorLine_);
    if (flags & ffcReadError)
        host_.ReportReadError(inserting ? "READ ERROR" : "Read Error", caption, path, readErrorLine_);
    if (flags & ffcChecksumError)
        host_.ReportReadError(inserting ? "CHECKSUM ERROR" : "Checksum Error", caption, path, checksumErrorLine_);
}

void OBufferDocument::ReportStreamEnd(const FileInStream& stream, uint32_t flags, bool inserting)
{
    // An input refused for its length is cut off at an arbitrary point;
    // what the converter made of that cut says nothing more.
    if (stream.TooLong())
        Message(FileProblem("Cannot read", stream.Path(), stream.ErrorText()), inserting ? kEditCaption : kLoadCaption);
    else
        ReportLoadFlags(stream.Failed() ? flags | ffcReadError : flags, inserting, stream.Path());
}

bool OBufferDocument::Open(std::string_view path)
{
    if (!path.empty())
        SetPath(std::string(path));
    ODataBuffer& buffer = *buffer_;
    if (!path_.empty()) {
        FileInStream stream(path_);
        if (!stream.IsOpen()) {
            Message(FileProblem("Cannot open", path_, stream.ErrorText()), kLoadCaption);
            return false;
        }
        SetBusy(true);
        uint32_t flags;
        {
            OFFCIn in(stream, key_);
            host_.SetWaitCursor(true);
            flags = LoadFrom(in, 0);
            KeepReadPlaces(in);
        }
        SetBusy(false);
        host_.SetWaitCursor(false);
        ReportStreamEnd(stream, flags, false);
        if (buffer.Size() == 0)
            buffer.Put(kErased);
    } else {
        AddressRequest request = NewBufferRequest();
        int32_t first = 0;
        int32_t last = 511;
        if (host_.RequestNewBufferRange(request)) {
            // Whatever the dialog returns, the window stays in the address space.
            first = std::clamp(request.start, 0, ODataBuffer::AddressLimit - 1);
            last = std::clamp(request.last, first, ODataBuffer::AddressLimit - 1);
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
    if (!clear) {
        // The file is read into a fresh buffer: bytes typed outside the file's
        // records and a widened window must not survive a revert, and the
        // journal's entries belong to the discarded contents.
        journal_.Clear();
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
    int answer = host_.MessageBox(kDocumentChanged, title_, mbIconQuestion | mbYesNoCancel);
    if (answer == idNo)
        return true;
    if (answer != idYes)
        return false;
    if (path_.empty()) {
        std::string path, key;
        if (!host_.ChooseSaveTarget(path, key))
            return false;
        SetPath(std::move(path));
        key_ = std::move(key);
    }
    return Commit(true);
}

void OBufferDocument::Insert(int32_t address)
{
    std::string path, key;
    if (!host_.ChooseFileToInsert(path, key))
        return;
    InsertFile(address, path);
}

void OBufferDocument::InsertFile(int32_t address, const std::string& path)
{
    ODataBuffer& buffer = *buffer_;
    host_.SetWaitCursor(true);
    SetBusy(true);
    FileInStream stream(path);
    if (stream.IsOpen()) {
        const int32_t size = buffer.Size();
        const int32_t start = buffer.Start();
        const bool undo = undo_;
        if (undo)
            RecordBlock(start, start + size - 1);
        uint32_t flags;
        {
            // The receiving document's format is tried first.
            OFFCIn in(stream, key_);
            flags = LoadFrom(in, address);
            KeepReadPlaces(in);
        }
        ReportStreamEnd(stream, flags, true);
        dirty_ = true;
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
    if (path_.empty() || busy_ != 0)
        return false;
    return SaveTo(path_);
}

void OBufferDocument::SaveRest(OFFCOut& out, int32_t start, int32_t size)
{
    // Stretches of written bytes go to the converter whole. Erased bytes are
    // counted; a run of up to kLongestWrittenRun is written when the next
    // byte comes, a longer one is skipped by an address change, and a run
    // at the end leaves only the window's last byte. That is what a byte at
    // a time gives, call for call: the converter cannot tell the difference.
    static constexpr uint8_t kErasedRun[kLongestWrittenRun] = {kErased, kErased, kErased, kErased, kErased,
                                                               kErased, kErased, kErased, kErased, kErased};
    int32_t run = 0;
    int32_t index = 1;
    while (index < size) {
        // Pieces end where events are due: before every kEventStride-th byte.
        const int32_t pieceEnd = std::min(size, (index / kEventStride + 1) * kEventStride);
        buffer_->ForEachRun(start + index, pieceEnd - index, [&](const uint8_t* bytes, int32_t n) {
            int32_t k = 0;
            while (k < n) {
                const int32_t erased = ErasedPrefix(bytes + k, n - k);
                run += erased;
                k += erased;
                if (k == n)
                    break;
                const void* nextErased = std::memchr(bytes + k, kErased, static_cast<size_t>(n - k));
                const int32_t stop = nextErased ? static_cast<int32_t>(static_cast<const uint8_t*>(nextErased) - bytes) : n;
                if (run > 0) {
                    if (run <= kLongestWrittenRun)
                        out.PutBytes(kErasedRun, run);
                    else
                        out.SetAddress(start + index + k);
                    run = 0;
                }
                out.PutBytes(bytes + k, stop - k);
                k = stop;
            }
            index += n;
        });
        if (index < size)
            host_.ProcessPendingEvents();
    }
    if (run > 0) {
        // The last byte keeps the file's extent.
        out.SetAddress(start + size - 1);
        out.PutByte(kErased);
    }
}

bool OBufferDocument::SaveTo(const std::string& path)
{
    SaveStream stream(path, allOrNothing_);
    if (!stream.IsOpen()) {
        Message(FileProblem("Cannot create", path, stream.ErrorText()), kEditCaption);
        return false;
    }

    ODataBuffer& buffer = *buffer_;
    host_.SetWaitCursor(true);
    SetBusy(true);
    uint32_t flags;
    {
        OFFCOut out(stream, key_);
        out.SetOptions(writerOptions_);
        const int32_t start = buffer.Start();
        const int32_t size = buffer.Size();
        out.SetAddress(start);
        // The first byte is always written, erased or not.
        uint8_t first;
        buffer.CopyOut(start, 1, &first);
        out.PutByte(first);
        SaveRest(out, start, size);
        out.Finish();
        flags = out.GetFlags();
        out.ClearFlags(0xFFFF);
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
        Message("WRITE ERROR", kEditCaption);
    if (replaceFailed)
        Message(FileProblem("Cannot replace", path, stream.ErrorText()), kEditCaption);

    bool saved = false;
    if (!replaced) {
        // The document keeps its changes.
    } else if (flags & ffcFormatError) {
        // Written, but not all of it as it is: the changes stay undoable and
        // the document stays changed.
    } else {
        saved = true;
        dirty_ = false;
        journal_.Clear();
    }
    SetBusy(false);
    host_.SetWaitCursor(false);
    return saved;
}

std::vector<OBufferDocument::SavedRange> OBufferDocument::SavedRanges()
{
    // Follows SaveTo's walk: the first and the last byte are always written,
    // a long erased run starts a new record after it.
    std::vector<SavedRange> ranges;
    ODataBuffer& buffer = *buffer_;
    const int32_t start = buffer.Start();
    const int32_t size = buffer.Size();
    if (size == 0)
        return ranges;
    buffer.SetPosition(start);
    buffer.Get();
    ranges.push_back({start, start});
    int32_t run = 0;
    for (int32_t i = 1; i < size; ++i) {
        if (buffer.Get() == kErased) {
            ++run;
            continue;
        }
        if (run > kLongestWrittenRun)
            ranges.push_back({start + i, start + i});
        else
            ranges.back().last = start + i;
        run = 0;
    }
    // A trailing erased run is skipped up to the last byte, whatever its length.
    if (run == 1)
        ranges.back().last = start + size - 1;
    else if (run > 1)
        ranges.push_back({start + size - 1, start + size - 1});
    return ranges;
}

// --- Row texts -----------------------------------------------------------

bool OBufferDocument::OpenForRows()
{
    if (IsOpen())
        return true;
    // Not in the middle of a load: that would read the file a second time
    // into the same buffer.
    if (busy_ != 0)
        return false;
    // One attempt only: a file that cannot be read would otherwise be
    // reported again for every row of every repaint.
    if (rowOpenTried_)
        return false;
    rowOpenTried_ = true;
    return Open();
}

int32_t OBufferDocument::RowText(char* text, int32_t row, int32_t cellWidth,
                                 void (*putCell)(char* cell, uint8_t byte))
{
    if (!OpenForRows()) {
        text[0] = 0;
        return 0;
    }
    outsideCount_ = 0;
    const int64_t start = buffer_->Start();
    const int64_t end = buffer_->End();
    const int64_t base = static_cast<int64_t>(row) * kBytesPerRow;
    int32_t c = 0;
    for (; c < kBytesPerRow; ++c) {
        int64_t address = base + c;
        if (address >= end)
            break;
        if (address < start) {
            ++outsideCount_;
            continue;
        }
        putCell(text + cellWidth * c, buffer_->At(static_cast<int32_t>(address)));
    }
    const int32_t length = cellWidth * c;
    text[length] = 0;
    return outsideCount_ ? -length : length;
}

int32_t OBufferDocument::HexRow(char* text, int32_t row)
{
    return RowText(text, row, 3, [](char* cell, uint8_t byte) {
        cell[0] = kHexDigits[byte >> 4];
        cell[1] = kHexDigits[byte & 0x0F];
        cell[2] = ' ';
    });
}

int32_t OBufferDocument::AsciiRow(char* text, int32_t row)
{
    return RowText(text, row, 1, [](char* cell, uint8_t byte) {
        cell[0] = byte >= 32 ? static_cast<char>(byte) : '.';
    });
}

// --- Busy state and settings ---------------------------------------------

void OBufferDocument::SetBusy(bool on)
{
    // The count changes before views hear of it, so IsBusy() answers right
    // inside their notification.
    if (on) {
        if (++busy_ == 1) {
            Notify(vnBusy, 0);
            host_.ShowBusyWindow(kBusyText, title_);
            host_.ProcessPendingEvents();
        }
    } else if (busy_ == 1) {
        host_.HideBusyWindow();
        // Still counted busy here: what the user does now is refused like
        // anything else that arrives while the operation runs.
        host_.ProcessPendingEvents();
        busy_ = 0;
        Notify(vnBusy, 0);
        if (settingsPending_) {
            settingsPending_ = false;
            ReloadSettings();
        }
    } else if (busy_ > 1) {
        --busy_;
    }
}

void OBufferDocument::ReloadSettings()
{
    if (busy_ != 0) {
        settingsPending_ = true;
        return;
    }
    const bool sumCheck = settings::SumCheck(settingsPath_);
    const bool undo = settings::UseUndo(settingsPath_);
    const bool recount = sumCheck && !sumCheck_;
    sumCheck_ = sumCheck;
    undo_ = undo;
    if (recount) {
        host_.SetWaitCursor(true);
        SetBusy(true);
        RecomputeSum(buffer_->Size(), true);
        SetBusy(false);
        host_.SetWaitCursor(false);
    }
    Notify(vnSettings, 0);
}
