// The edits views make through the document, the undo journal behind them,
// and the upkeep of the sum check.

#include "document/buffer_document.h"

#include "buffer/data_buffer.h"
#include "dialogs/find_request.h"
#include "formats/file_format.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace {
constexpr uint8_t kErased = 0xFF;

bool InAddressSpace(int64_t address) { return address >= 0 && address < ODataBuffer::AddressLimit; }

// Runs step(from, n) over 0..count-1 in consecutive pieces. With `pump`,
// pending events are handled after every index i with (i + phase) % 100 == 0,
// just as a loop over single bytes handles them after that byte; pieces end
// there, so every event sees the work done up to the same byte.
template <class Step>
void InPieces(DocumentHost& host, int64_t count, int64_t phase, bool pump, Step step)
{
    if (!pump) {
        if (count > 0)
            step(int64_t{0}, count);
        return;
    }
    int64_t next = ((-phase) % 100 + 100) % 100;
    for (int64_t done = 0; done < count;) {
        const int64_t end = std::min(count, next + 1);
        step(done, end - done);
        done = end;
        if (done == next + 1) {
            host.ProcessPendingEvents();
            next += 100;
        }
    }
}

// The sum of the stored bytes of address..address+count-1 (in the address space).
uint32_t StoredTotal(const ODataBuffer& buffer, int64_t address, int64_t count)
{
    uint32_t total = 0;
    buffer.ForEachRun(static_cast<int32_t>(address), static_cast<int32_t>(count),
                      [&total](const uint8_t* bytes, int32_t n) { total += ByteTotal(bytes, n); });
    return total;
}

// Brackets an operation on many bytes: busy window and wait cursor.
class LongOperation {
public:
    LongOperation(OBufferDocument& document, bool active) : document_(document), active_(active)
    {
        if (active_) {
            document_.Host().SetWaitCursor(true);
            document_.SetBusy(true);
        }
    }
    ~LongOperation()
    {
        if (active_) {
            document_.SetBusy(false);
            document_.Host().SetWaitCursor(false);
        }
    }
    LongOperation(const LongOperation&) = delete;
    LongOperation& operator=(const LongOperation&) = delete;

private:
    OBufferDocument& document_;
    bool active_;
};
} // namespace

uint32_t OBufferDocument::WindowTotal(int64_t from, int64_t count) const
{
    // Reading on past the address space gives erased bytes.
    const int64_t address = buffer_->Start() + from;
    const int64_t stored = std::clamp<int64_t>(ODataBuffer::AddressLimit - address, 0, count);
    return StoredTotal(*buffer_, address, stored) + static_cast<uint32_t>(count - stored) * kErased;
}

void OBufferDocument::RecomputeSum(int32_t count, bool alwaysPump)
{
    sum_ = 0;
    InPieces(host_, count, 0, alwaysPump || count > kLongOperation,
             [this](int64_t from, int64_t n) { sum_ += WindowTotal(from, n); });
}

uint32_t OBufferDocument::SumWindow() { return WindowTotal(0, buffer_->Size()); }

void OBufferDocument::SizeChanged(int32_t newSize)
{
    Notify(vnBufferSize, newSize);
    if (!sumCheck_)
        return;
    host_.SetWaitCursor(true);
    if (newSize > kLongOperation)
        SetBusy(true);
    RecomputeSum(newSize, false);
    if (newSize > kLongOperation)
        SetBusy(false);
    host_.SetWaitCursor(false);
}

uint8_t OBufferDocument::ReadByte(int32_t address)
{
    // Outside the window nothing is read, so the window never widens here.
    if (address >= buffer_->End() || address < buffer_->Start())
        return 0;
    return buffer_->At(address);
}

void OBufferDocument::WriteByte(uint8_t value, int32_t address)
{
    if (!InAddressSpace(address))
        return;
    ODataBuffer& buffer = *buffer_;
    const bool undo = undo_;
    const int32_t size = buffer.Size();
    const int32_t start = buffer.Start();
    uint8_t& byte = buffer.At(address);
    if (undo)
        journal_.Push(OUndoEntry{ukByte, address, byte, 0, std::nullopt});
    sum_ = sum_ - byte + value;
    byte = value;
    if (buffer.Size() != size) {
        if (undo)
            RecordWindow(start, size, kWindowByEdit);
        SizeChanged(buffer.Size());
    }
    dirty_ = true;
}

void OBufferDocument::WriteBlock(const uint8_t* bytes, int32_t address, int32_t length)
{
    // Only the part that lies in the address space is written.
    const int64_t skipped = address < 0 ? -static_cast<int64_t>(address) : 0;
    const int64_t first = static_cast<int64_t>(address) + skipped;
    const int64_t last = std::min<int64_t>(static_cast<int64_t>(address) + length - 1, ODataBuffer::AddressLimit - 1);
    if (length <= 0 || last < first)
        return;
    bytes += skipped;
    ODataBuffer& buffer = *buffer_;
    const int32_t count = static_cast<int32_t>(last - first + 1);
    LongOperation bracket(*this, count > kLongOperation);
    const bool undo = undo_;
    const bool sumCheck = sumCheck_;
    const int32_t size = buffer.Size();
    const int32_t start = buffer.Start();
    if (undo)
        RecordBlock(static_cast<int32_t>(first), static_cast<int32_t>(last));
    buffer.SetPosition(static_cast<int32_t>(first));
    InPieces(host_, count, 0, count > kLongOperation, [&](int64_t from, int64_t n) {
        if (sumCheck)
            sum_ = sum_ - StoredTotal(buffer, first + from, n) + ByteTotal(bytes + from, static_cast<int32_t>(n));
        buffer.PutBlock(bytes + from, static_cast<int32_t>(n));
    });
    dirty_ = true;
    if (buffer.Size() != size) {
        if (undo)
            RecordWindow(start, size, kWindowByEdit);
        SizeChanged(buffer.Size());
    }
}

std::optional<std::vector<uint8_t>> OBufferDocument::CopyBlock(int32_t first, int32_t last)
{
    std::optional<std::vector<uint8_t>> block;
    CopyBlockTo(first, last, [&block](size_t size) { return block.emplace(size, 0).data(); });
    return block;
}

bool OBufferDocument::CopyBlockTo(int32_t first, int32_t last, const std::function<uint8_t*(size_t)>& allocate)
{
    const int64_t count = std::max<int64_t>(0, static_cast<int64_t>(last) - first + 1);
    const bool isLong = static_cast<int64_t>(last) - first > kLongOperation;
    if (isLong) {
        host_.SetWaitCursor(true);
        SetBusy(true);
    }
    uint8_t* out = nullptr;
    try {
        out = allocate(static_cast<size_t>(count) + 1);
    } catch (const std::bad_alloc&) {
        Message("can't create a copy of the requested data block.", "Out of memory");
    }
    if (out) {
        // Only under the busy guard: a short copy inside an edit must not
        // let another command in.
        InPieces(host_, count, first, busy_ != 0,
                 [&](int64_t from, int64_t n) { CopyRange(first + from, n, out + from); });
        out[count] = 0;
    }
    if (isLong)
        SetBusy(false);
    host_.SetWaitCursor(false);
    return out != nullptr;
}

void OBufferDocument::Fill(int32_t first, int32_t last, uint8_t value)
{
    ODataBuffer& buffer = *buffer_;
    const bool isLong = static_cast<int64_t>(last) - first > kLongOperation;
    LongOperation bracket(*this, isLong);
    first = std::max(first, 0);
    last = std::min(last, buffer.End() - 1);
    const bool undo = undo_;
    const bool sumCheck = sumCheck_;
    const int32_t size = buffer.Size();
    const int32_t start = buffer.Start();
    // Every fill leaves exactly one block entry, even an empty one: a resize
    // and its undo count on that.
    if (undo)
        RecordBlock(first, last);
    if (first <= last) {
        buffer.SetPosition(first);
        InPieces(host_, int64_t{last} - first + 1, first, isLong, [&](int64_t from, int64_t n) {
            if (sumCheck)
                sum_ = sum_ - StoredTotal(buffer, first + from, n) + static_cast<uint32_t>(n) * value;
            buffer.PutFill(value, static_cast<int32_t>(n));
        });
    }
    if (buffer.Size() != size) {
        if (undo)
            RecordWindow(start, size, kWindowByEdit);
        SizeChanged(buffer.Size());
    }
    dirty_ = true;
}

void OBufferDocument::Resize(int32_t newStart, int32_t newLast)
{
    if (!InAddressSpace(newStart) || !InAddressSpace(newLast) || newLast < newStart)
        return;
    ODataBuffer& buffer = *buffer_;
    const bool undo = undo_;
    if (newStart > buffer.Start())
        Fill(buffer.Start(), newStart - 1, kErased);
    else if (undo)
        journal_.Push(OUndoEntry{});
    // A new window wholly below the old one erases all of the old one; the
    // fill must not reach further down, or it would widen the window and
    // add an entry of its own.
    if (newLast < buffer.End())
        Fill(std::max(newLast + 1, buffer.Start()), buffer.End(), kErased);
    else if (undo)
        journal_.Push(OUndoEntry{});
    if (undo)
        RecordWindow(buffer.Start(), buffer.Size(), kWindowByResize);
    buffer.SetWindow(newStart, newLast);
    SizeChanged(buffer.Size());
    dirty_ = true;
}

void OBufferDocument::CopyRange(int64_t address, int64_t count, uint8_t* out)
{
    // Addresses outside the address space read as erased; the rest widen the
    // window to take them in, as reading them one by one through At would.
    ODataBuffer& buffer = *buffer_;
    const int64_t first = std::max<int64_t>(address, 0);
    const int64_t last = std::min<int64_t>(address + count - 1, ODataBuffer::AddressLimit - 1);
    if (first > last) {
        std::memset(out, kErased, static_cast<size_t>(count));
        return;
    }
    std::memset(out, kErased, static_cast<size_t>(first - address));
    if (first < buffer.Start() || last >= buffer.End())
        buffer.SetWindow(static_cast<int32_t>(std::min<int64_t>(first, buffer.Start())),
                         static_cast<int32_t>(std::max<int64_t>(last, buffer.End() - 1)));
    buffer.CopyOut(static_cast<int32_t>(first), static_cast<int32_t>(last - first + 1), out + (first - address));
    std::memset(out + (last + 1 - address), kErased, static_cast<size_t>(address + count - 1 - last));
}

void OBufferDocument::EraseInWindow(int32_t first, int32_t end)
{
    if (first >= end)
        return;
    buffer_->SetPosition(first);
    buffer_->PutFill(kErased, end - first);
}

void OBufferDocument::RecordBlock(int32_t first, int32_t last)
{
    OUndoEntry entry;
    entry.kind = ukBlock;
    entry.address = first;
    entry.size = static_cast<int32_t>(std::max<int64_t>(0, static_cast<int64_t>(last) - first + 1));
    entry.copy = CopyBlock(first, last);
    journal_.Push(std::move(entry));
}

void OBufferDocument::RecordWindow(int32_t start, int32_t size, uint32_t marker)
{
    journal_.Push(OUndoEntry{ukWindow, start, size, marker, std::nullopt});
}

bool OBufferDocument::CanUndo() { return undo_ && !journal_.Empty(); }

int32_t OBufferDocument::Undo()
{
    if (!undo_)
        return -1;
    return UndoStep();
}

int32_t OBufferDocument::UndoStep()
{
    if (journal_.Empty()) {
        dirty_ = false;
        return -1;
    }
    ODataBuffer& buffer = *buffer_;
    OUndoEntry entry = journal_.Pop();
    int32_t result = entry.address;
    switch (entry.kind) {
    case ukByte: {
        uint8_t& byte = buffer.At(entry.address);
        sum_ = sum_ - byte + static_cast<uint8_t>(entry.size);
        byte = static_cast<uint8_t>(entry.size);
        break;
    }
    case ukBlock: {
        // An entry whose copy could not be made has nothing to put back.
        if (!entry.copy || entry.size <= 0)
            break;
        const bool isLong = entry.size > kLongOperation;
        if (isLong)
            SetBusy(true);
        const uint8_t* saved = entry.copy->data();
        buffer.SetPosition(entry.address);
        const bool sumCheck = sumCheck_;
        // A short restore runs unguarded, so it lets nothing in.
        InPieces(host_, entry.size, 0, isLong, [&](int64_t from, int64_t n) {
            if (sumCheck)
                sum_ = sum_ - StoredTotal(buffer, entry.address + from, n) +
                       ByteTotal(saved + from, static_cast<int32_t>(n));
            buffer.PutBlock(saved + from, static_cast<int32_t>(n));
        });
        if (isLong)
            SetBusy(false);
        break;
    }
    case ukWindow:
        if (entry.marker == kWindowByResize) {
            buffer.SetWindow(entry.address, entry.address + entry.size - 1);
            UndoStep();
            UndoStep();
            result = 1;
        } else {
            result = UndoStep();
            // An insert's entry covers only the old window, so the bytes it
            // placed beyond it would come back if the window grew over them
            // again; what leaves the window is erased, as a resize does.
            const int32_t oldStart = entry.address;
            const int32_t oldEnd = entry.address + entry.size;
            EraseInWindow(buffer.Start(), std::min(oldStart, buffer.End()));
            EraseInWindow(std::max(oldEnd, buffer.Start()), buffer.End());
            buffer.SetWindow(entry.address, entry.address + entry.size - 1);
        }
        SizeChanged(buffer.Size());
        break;
    case ukPlaceholder:
        break;
    }
    if (journal_.Empty())
        dirty_ = false;
    return result;
}

int32_t OBufferDocument::Find(const FindRequest& request, int32_t from)
{
    ODataBuffer& buffer = *buffer_;
    const size_t available = request.hex ? request.pattern.size() : request.text.size();
    const int32_t length = request.length;
    if (length < 1 || size_t(length) > available || from < buffer.Start() || from > buffer.End())
        return -1;
    const bool exact = request.hex || request.matchCase;
    const bool words = request.wholeWords && request.ascii;
    // A match at `from` itself is passed over. Upwards matches end at or
    // before `from`, so only a one-byte match can begin there.
    if (request.up)
        return buffer.FindBackward(length == 1 ? from - 1 : from, request.Bytes(), exact, length, words);
    return buffer.FindForward(from + 1, request.Bytes(), exact, length, words);
}
