// The edits views make through the document, the undo journal behind them,
// and the upkeep of the sum check.

#include "document/buffer_document.h"

#include "buffer/data_buffer.h"
#include "dialogs/find_request.h"

#include <algorithm>
#include <new>

namespace {
constexpr uint8_t kErased = 0xFF;

bool InAddressSpace(int64_t address) { return address >= 0 && address < ODataBuffer::AddressLimit; }

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

void OBufferDocument::RecomputeSum(int32_t count, bool alwaysPump)
{
    ODataBuffer& buffer = *buffer_;
    const bool pump = alwaysPump || count > kLongOperation;
    sum_ = 0;
    if (count <= 0)
        return;
    buffer.SetPosition(buffer.Start());
    for (int32_t i = 0; i < count; ++i) {
        sum_ += buffer.Get();
        if (pump)
            PumpEvery100(i);
    }
}

uint32_t OBufferDocument::SumWindow()
{
    ODataBuffer& buffer = *buffer_;
    uint32_t sum = 0;
    const int32_t size = buffer.Size();
    if (size > 0)
        buffer.SetPosition(buffer.Start());
    for (int32_t i = 0; i < size; ++i)
        sum += buffer.Get();
    return sum;
}

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
    for (int32_t i = 0; i < count; ++i) {
        if (sumCheck)
            sum_ = sum_ - buffer.At(static_cast<int32_t>(first) + i) + bytes[i];
        buffer.Put(bytes[i]);
        if (count > kLongOperation)
            PumpEvery100(i);
    }
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
        for (int64_t i = 0; i < count; ++i) {
            int64_t address = first + i;
            out[i] = InAddressSpace(address) ? buffer_->At(static_cast<int32_t>(address)) : kErased;
            // Only under the busy guard: a short copy inside an edit must not
            // let another command in.
            if (busy_ != 0 && address % 100 == 0)
                host_.ProcessPendingEvents();
        }
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
        for (int32_t address = first; address <= last; ++address) {
            if (sumCheck)
                sum_ = sum_ - buffer.At(address) + value;
            buffer.Put(value);
            if (isLong)
                PumpEvery100(address);
        }
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
        for (int32_t i = 0; i < entry.size; ++i) {
            if (sumCheck)
                sum_ = sum_ - buffer.At(entry.address + i) + saved[i];
            buffer.Put(saved[i]);
            // A short restore runs unguarded, so it lets nothing in.
            if (isLong)
                PumpEvery100(i);
        }
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
            for (int32_t a = buffer.Start(); a < std::min(oldStart, buffer.End()); ++a)
                buffer.At(a) = kErased;
            for (int32_t a = std::max(oldEnd, buffer.Start()); a < buffer.End(); ++a)
                buffer.At(a) = kErased;
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
