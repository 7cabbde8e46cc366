// The edits views make through the document, the undo journal behind them,
// and the upkeep of the sum check.

#include "document/buffer_document.h"

#include "buffer/data_buffer.h"
#include "document/find_request.h"
#include "formats/file_format.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace {
constexpr uint8_t kErased = 0xFF;

bool InAddressSpace(Address address) { return address >= 0 && address < ODataBuffer::AddressLimit; }

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

// What `count` erased bytes add to a sum, modulo 2^32.
uint32_t ErasedTotal(Address count) { return static_cast<uint32_t>(static_cast<uint64_t>(count) * kErased); }

// The sum of the stored bytes of address..address+count-1 (in the address
// space); never-written stretches are counted, not read.
uint32_t StoredTotal(const ODataBuffer& buffer, Address address, Address count)
{
    uint32_t total = 0;
    buffer.ForEachSpan(address, count, [&total](const uint8_t* bytes, Address n) {
        total += bytes ? ByteTotal(bytes, static_cast<int32_t>(n)) : ErasedTotal(n);
    });
    return total;
}

// Undo copies of ranges longer than this with never-written stretches in
// them keep only what was written.
constexpr Address kSparseCopy = Address{1} << 20;

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

uint32_t OBufferDocument::WindowTotal(Address from, Address count) const
{
    // Reading on past the address space gives erased bytes.
    const Address address = buffer_->Start() + from;
    const Address stored = std::clamp<Address>(ODataBuffer::AddressLimit - address, 0, count);
    return StoredTotal(*buffer_, address, stored) + ErasedTotal(count - stored);
}

void OBufferDocument::RecomputeSum(Address count, bool alwaysPump)
{
    // Stored bytes are summed with events every hundred bytes, as a byte at
    // a time would have them; a never-written stretch is one step.
    sum_ = 0;
    const bool pump = alwaysPump || count > kLongOperation;
    Address done = 0;
    buffer_->ForEachSpan(buffer_->Start(), std::min(count, buffer_->Size()), [&](const uint8_t* bytes, Address n) {
        if (bytes) {
            InPieces(host_, n, done, pump, [&](int64_t from, int64_t m) {
                sum_ += ByteTotal(bytes + from, static_cast<int32_t>(m));
            });
        } else {
            sum_ += ErasedTotal(n);
            if (pump)
                host_.ProcessPendingEvents();
        }
        done += n;
    });
    sum_ += ErasedTotal(count - done);
}

uint32_t OBufferDocument::SumWindow() { return WindowTotal(0, buffer_->Size()); }

void OBufferDocument::SizeChanged(Address newSize)
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

uint8_t OBufferDocument::ReadByte(Address address)
{
    // Outside the window nothing is read, so the window never widens here.
    if (address >= buffer_->End() || address < buffer_->Start())
        return 0;
    return buffer_->At(address);
}

void OBufferDocument::WriteByte(uint8_t value, Address address)
{
    if (!InAddressSpace(address))
        return;
    ODataBuffer& buffer = *buffer_;
    const bool undo = undo_;
    const Address size = buffer.Size();
    const Address start = buffer.Start();
    uint8_t& byte = buffer.At(address);
    if (undo)
        journal_.Push(OUndoEntry{ukByte, address, byte, 0, std::nullopt, {}, false});
    sum_ = sum_ - byte + value;
    byte = value;
    if (buffer.Size() != size) {
        if (undo)
            RecordWindow(start, size, kWindowByEdit);
        SizeChanged(buffer.Size());
    }
    dirty_ = true;
}

void OBufferDocument::WriteBlock(const uint8_t* bytes, Address address, Address length)
{
    // Only the part that lies in the address space is written.
    const Address skipped = address < 0 ? -address : 0;
    const Address first = address + skipped;
    const Address last = std::min<Address>(address + length - 1, ODataBuffer::AddressLimit - 1);
    if (length <= 0 || last < first)
        return;
    bytes += skipped;
    ODataBuffer& buffer = *buffer_;
    const Address count = last - first + 1;
    LongOperation bracket(*this, count > kLongOperation);
    const bool undo = undo_;
    const bool sumCheck = sumCheck_;
    const Address size = buffer.Size();
    const Address start = buffer.Start();
    if (undo)
        RecordBlock(first, last);
    buffer.SetPosition(first);
    InPieces(host_, count, 0, count > kLongOperation, [&](int64_t from, int64_t n) {
        if (sumCheck)
            sum_ = sum_ - StoredTotal(buffer, first + from, n) + ByteTotal(bytes + from, static_cast<int32_t>(n));
        buffer.PutBlock(bytes + from, n);
    });
    dirty_ = true;
    if (buffer.Size() != size) {
        if (undo)
            RecordWindow(start, size, kWindowByEdit);
        SizeChanged(buffer.Size());
    }
}

std::optional<std::vector<uint8_t>> OBufferDocument::CopyBlock(Address first, Address last)
{
    std::optional<std::vector<uint8_t>> block;
    CopyBlockTo(first, last, [&block](size_t size) { return block.emplace(size, 0).data(); });
    return block;
}

bool OBufferDocument::CopyBlockTo(Address first, Address last, const std::function<uint8_t*(size_t)>& allocate)
{
    const Address count = std::max<Address>(0, last - first + 1);
    const bool isLong = last - first > kLongOperation;
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

void OBufferDocument::Fill(Address first, Address last, uint8_t value)
{
    ODataBuffer& buffer = *buffer_;
    const bool isLong = last - first > kLongOperation;
    LongOperation bracket(*this, isLong);
    first = std::max<Address>(first, 0);
    last = std::min(last, buffer.End() - 1);
    const bool undo = undo_;
    const bool sumCheck = sumCheck_;
    const Address size = buffer.Size();
    const Address start = buffer.Start();
    // Every fill leaves exactly one block entry, even an empty one: a resize
    // and its undo count on that.
    if (undo)
        RecordBlock(first, last);
    if (first <= last) {
        buffer.SetPosition(first);
        if (value == kErased && last - first >= kSparseCopy) {
            // Erasing a long range touches only the blocks written in it.
            if (sumCheck)
                sum_ = sum_ - StoredTotal(buffer, first, last - first + 1) + ErasedTotal(last - first + 1);
            buffer.PutFill(value, last - first + 1);
            host_.ProcessPendingEvents();
        } else {
            InPieces(host_, last - first + 1, first, isLong, [&](int64_t from, int64_t n) {
                if (sumCheck)
                    sum_ = sum_ - StoredTotal(buffer, first + from, n) + static_cast<uint32_t>(n) * value;
                buffer.PutFill(value, n);
            });
        }
    }
    if (buffer.Size() != size) {
        if (undo)
            RecordWindow(start, size, kWindowByEdit);
        SizeChanged(buffer.Size());
    }
    dirty_ = true;
}

void OBufferDocument::Resize(Address newStart, Address newLast)
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

void OBufferDocument::CopyRange(Address address, Address count, uint8_t* out)
{
    // Addresses outside the address space read as erased; the rest widen the
    // window to take them in, as reading them one by one through At would.
    ODataBuffer& buffer = *buffer_;
    const Address first = std::max<Address>(address, 0);
    const Address last = std::min<Address>(address + count - 1, ODataBuffer::AddressLimit - 1);
    if (first > last) {
        std::memset(out, kErased, static_cast<size_t>(count));
        return;
    }
    std::memset(out, kErased, static_cast<size_t>(first - address));
    if (first < buffer.Start() || last >= buffer.End())
        buffer.SetWindow(std::min(first, buffer.Start()), std::max(last, buffer.End() - 1));
    buffer.CopyOut(first, last - first + 1, out + (first - address));
    std::memset(out + (last + 1 - address), kErased, static_cast<size_t>(address + count - 1 - last));
}

void OBufferDocument::EraseInWindow(Address first, Address end)
{
    if (first >= end)
        return;
    buffer_->SetPosition(first);
    buffer_->PutFill(kErased, end - first);
}

void OBufferDocument::RecordBlock(Address first, Address last)
{
    OUndoEntry entry;
    entry.kind = ukBlock;
    entry.address = first;
    entry.size = std::max<Address>(0, last - first + 1);
    if (entry.size > kSparseCopy && first >= 0 && last < ODataBuffer::AddressLimit && HasGap(first, entry.size)) {
        // Only the written stretches are kept; everything else reads erased.
        entry.sparse = true;
        if (first < buffer_->Start() || last >= buffer_->End())
            buffer_->SetWindow(std::min(first, buffer_->Start()), std::max(last, buffer_->End() - 1));
        Address at = 0;
        buffer_->ForEachSpan(first, entry.size, [&](const uint8_t* bytes, Address n) {
            if (bytes)
                entry.pieces.emplace_back(at, std::vector<uint8_t>(bytes, bytes + n));
            at += n;
        });
    } else {
        entry.copy = CopyBlock(first, last);
    }
    journal_.Push(std::move(entry));
}

bool OBufferDocument::HasGap(Address first, Address count) const
{
    bool gap = false;
    buffer_->ForEachSpan(first, count, [&gap](const uint8_t* bytes, Address) { gap = gap || !bytes; });
    return gap;
}

void OBufferDocument::RestorePieces(const OUndoEntry& entry)
{
    // The range goes back to erased, touching only blocks written since,
    // and the kept stretches are put back over it.
    ODataBuffer& buffer = *buffer_;
    if (sumCheck_)
        sum_ = sum_ - StoredTotal(buffer, entry.address, entry.size) + ErasedTotal(entry.size);
    buffer.SetPosition(entry.address);
    buffer.PutFill(kErased, entry.size);
    for (const auto& [offset, bytes] : entry.pieces) {
        buffer.SetPosition(entry.address + offset);
        buffer.PutBlock(bytes.data(), Address(bytes.size()));
        if (sumCheck_)
            sum_ = sum_ - ErasedTotal(Address(bytes.size())) + ByteTotal(bytes.data(), int32_t(bytes.size()));
        host_.ProcessPendingEvents();
    }
}

void OBufferDocument::RecordWindow(Address start, Address size, uint32_t marker)
{
    journal_.Push(OUndoEntry{ukWindow, start, size, marker, std::nullopt, {}, false});
}

bool OBufferDocument::CanUndo() { return undo_ && !journal_.Empty(); }

Address OBufferDocument::Undo()
{
    if (!undo_)
        return -1;
    return UndoStep();
}

Address OBufferDocument::UndoStep()
{
    if (journal_.Empty()) {
        dirty_ = false;
        return -1;
    }
    ODataBuffer& buffer = *buffer_;
    OUndoEntry entry = journal_.Pop();
    Address result = entry.address;
    switch (entry.kind) {
    case ukByte: {
        uint8_t& byte = buffer.At(entry.address);
        sum_ = sum_ - byte + static_cast<uint8_t>(entry.size);
        byte = static_cast<uint8_t>(entry.size);
        break;
    }
    case ukBlock: {
        if (entry.sparse) {
            RestorePieces(entry);
            break;
        }
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
            const Address oldStart = entry.address;
            const Address oldEnd = entry.address + entry.size;
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

Address OBufferDocument::Find(const FindRequest& request, Address from)
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
