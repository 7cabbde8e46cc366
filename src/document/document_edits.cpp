// The edits views make through the document, the undo journal behind them,
// and the upkeep of the sum check.

#include "document/buffer_document.h"
#include "document/long_operation.h"

#include "buffer/data_buffer.h"
#include "document/find_request.h"
#include "formats/file_format.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace {
constexpr uint8_t kErased = 0xFF;

bool InAddressSpace(Address address) { return address >= 0 && address < ODataBuffer::AddressLimit; }

// Runs step(from, n) over 0..count-1 in consecutive pieces, calling
// pump(done) after every index i with (i + phase) % 100 == 0, just as a loop
// over single bytes handles events after that byte; pieces end there, so
// every event sees the work done up to the same byte. False when pump asked
// to stop; the bytes before the piece it stopped after are done.
template <class Step, class Pump>
bool InPiecesUntil(int64_t count, int64_t phase, Pump pump, Step step)
{
    int64_t next = ((-phase) % 100 + 100) % 100;
    for (int64_t done = 0; done < count;) {
        const int64_t end = std::min(count, next + 1);
        step(done, end - done);
        done = end;
        if (done == next + 1) {
            if (!pump(done))
                return false;
            next += 100;
        }
    }
    return true;
}

// InPiecesUntil with only the host's events, or in one piece without `pump`.
template <class Step>
void InPieces(DocumentHost& host, int64_t count, int64_t phase, bool pump, Step step)
{
    if (!pump) {
        if (count > 0)
            step(int64_t{0}, count);
        return;
    }
    InPiecesUntil(count, phase, [&host](int64_t) { host.ProcessPendingEvents(); return true; }, step);
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
    return buffer_->Peek(address);
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
        journal_.Push(OUndoEntry{ukByte, address, byte, 0, std::nullopt, {}, false, {}, {}});
    AddData(address, address, NewestEntry());
    sum_ = sum_ - byte + value;
    byte = value;
    if (buffer.Size() != size) {
        if (undo)
            RecordWindow(start, size, kWindowByEdit);
        SizeChanged(buffer.Size());
    }
    dirty_ = true;
    redo_.Clear();
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
    const bool stoppable = count > kLongOperation && busy_ == 0 && host_.CanStop();
    stopped_ = false;
    LongOperation bracket(*this, count > kLongOperation);
    const bool undo = undo_ || stoppable;
    const int32_t mark = journal_.Count();
    const bool dirty = dirty_;
    const bool sumCheck = sumCheck_;
    const Address size = buffer.Size();
    const Address start = buffer.Start();
    if (undo)
        RecordBlock(first, last);
    AddData(first, last, NewestEntry());
    buffer.SetPosition(first);
    Address done = 0;
    const auto step = [&](int64_t from, int64_t n) {
        if (sumCheck)
            sum_ = sum_ - StoredTotal(buffer, first + from, n) + ByteTotal(bytes + from, static_cast<int32_t>(n));
        buffer.PutBlock(bytes + from, n);
        done = from + n;
    };
    if (!stoppable) {
        InPieces(host_, count, 0, count > kLongOperation, step);
    } else if (!InPiecesUntil(count, 0, [&](int64_t at) { return Proceed(at, count); }, step)) {
        Withdraw(mark, done, start, size, dirty);
        return;
    }
    dirty_ = true;
    redo_.Clear();
    if (buffer.Size() != size) {
        if (undo)
            RecordWindow(start, size, kWindowByEdit);
        SizeChanged(buffer.Size());
    }
    if (!undo_)
        DropEntries(mark);
}

std::optional<std::vector<uint8_t>> OBufferDocument::CopyBlock(Address first, Address last)
{
    std::optional<std::vector<uint8_t>> block;
    if (!CopyBlockTo(first, last, [&block](size_t size) { return block.emplace(size, 0).data(); }))
        block.reset();
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
        Message(kCopyMemoryText, kCopyMemoryCaption);
    }
    if (out && !CopyRuns(first, count, isLong, [out](Address offset) { return out + offset; }, nullptr))
        out = nullptr;
    if (out)
        out[count] = 0;
    if (isLong)
        SetBusy(false);
    host_.SetWaitCursor(false);
    return out != nullptr;
}

bool OBufferDocument::ReadPieces(Address first, Address last,
                                 const std::function<void(Address, const uint8_t*, Address)>& piece)
{
    const Address count = std::max<Address>(0, last - first + 1);
    const bool isLong = last - first > kLongOperation;
    LongOperation bracket(*this, isLong);
    std::vector<uint8_t> run(static_cast<size_t>(std::min(count, kPieceSize)));
    return CopyRuns(first, count, isLong, [&run](Address) { return run.data(); }, piece);
}

bool OBufferDocument::CopyRuns(Address first, Address count, bool isLong, const std::function<uint8_t*(Address)>& where,
                               const std::function<void(Address, const uint8_t*, Address)>& then)
{
    // Only a copy of its own can be stopped, between two runs; one inside an
    // edit runs on.
    stopped_ = false;
    const bool stoppable = isLong && busy_ == 1;
    for (Address done = 0; done < count;) {
        const Address n = std::min(count - done, kPieceSize);
        uint8_t* out = where(done);
        if (stoppable)
            CopyRange(first + done, n, out);
        else
            CopyPumped(first + done, n, out);
        if (then)
            then(done, out, n);
        done += n;
        if (stoppable && done < count && !Proceed(done, count))
            return false;
    }
    return true;
}

void OBufferDocument::CopyPumped(Address address, Address count, uint8_t* out)
{
    // Only under the busy guard: a short copy inside an edit must not let
    // another command in. The bytes move a run at a time; the user
    // interface is still served at every 100th byte.
    for (Address done = 0; done < count;) {
        const Address n = std::min(count - done, kPieceSize);
        CopyRange(address + done, n, out + done);
        InPieces(host_, n, address + done, busy_ != 0, [](int64_t, int64_t) {});
        done += n;
    }
}

void OBufferDocument::Fill(Address first, Address last, uint8_t value)
{
    FillRange(first, last, value, busy_ == 0);
}

void OBufferDocument::FillRange(Address first, Address last, uint8_t value, bool stoppable)
{
    ODataBuffer& buffer = *buffer_;
    const bool isLong = last - first > kLongOperation;
    stoppable = stoppable && isLong && host_.CanStop();
    stopped_ = false;
    LongOperation bracket(*this, isLong);
    first = std::max<Address>(first, 0);
    last = std::min(last, buffer.End() - 1);
    // A fill that can be stopped keeps its entry even without undo: Cancel
    // puts the bytes back from it.
    const bool undo = undo_ || stoppable;
    const int32_t mark = journal_.Count();
    const bool dirty = dirty_;
    const bool sumCheck = sumCheck_;
    const Address size = buffer.Size();
    const Address start = buffer.Start();
    // Every fill leaves exactly one block entry, even an empty one: a resize
    // and its undo count on that.
    if (undo)
        RecordBlock(first, last);
    AddData(first, last, NewestEntry());
    if (first <= last) {
        buffer.SetPosition(first);
        const Address count = last - first + 1;
        if (value == kErased && last - first >= kSparseCopy) {
            // Erasing a long range touches only the blocks written in it.
            if (sumCheck)
                sum_ = sum_ - StoredTotal(buffer, first, count) + ErasedTotal(count);
            buffer.PutFill(value, count);
            host_.ProcessPendingEvents();
        } else {
            Address done = 0;
            const auto step = [&](int64_t from, int64_t n) {
                if (sumCheck)
                    sum_ = sum_ - StoredTotal(buffer, first + from, n) + static_cast<uint32_t>(n) * value;
                buffer.PutFill(value, n);
                done = from + n;
            };
            if (!stoppable) {
                InPieces(host_, count, first, isLong, step);
            } else if (!InPiecesUntil(count, first, [&](int64_t at) { return Proceed(at, count); }, step)) {
                Withdraw(mark, done, start, size, dirty);
                return;
            }
        }
    }
    if (buffer.Size() != size) {
        if (undo)
            RecordWindow(start, size, kWindowByEdit);
        SizeChanged(buffer.Size());
    }
    dirty_ = true;
    redo_.Clear();
    if (!undo_)
        DropEntries(mark);
}

bool OBufferDocument::Proceed(Address done, Address total)
{
    host_.ProcessPendingEvents();
    stopped_ = !host_.ReportProgress(done, total);
    return !stopped_;
}

void OBufferDocument::Withdraw(int32_t mark, Address done, Address start, Address size, bool dirty)
{
    // Only the bytes the edit got through need putting back.
    OUndoEntry entry = journal_.Pop();
    entry.size = std::min(entry.size, done);
    if (entry.sparse) {
        std::erase_if(entry.pieces, [done](const auto& piece) { return piece.first >= done; });
        if (!entry.pieces.empty() && entry.pieces.back().first + Address(entry.pieces.back().second.size()) > done)
            entry.pieces.back().second.resize(size_t(done - entry.pieces.back().first));
    }
    journal_.Push(std::move(entry));
    if (buffer_->Size() != size || buffer_->Start() != start)
        RecordWindow(start, size, kWindowByEdit);
    while (journal_.Count() > mark)
        UndoStep(journal_);
    dirty_ = dirty;
}

void OBufferDocument::DropEntries(int32_t mark)
{
    while (journal_.Count() > mark)
        journal_.Pop();
}

void OBufferDocument::Resize(Address newStart, Address newLast)
{
    if (!InAddressSpace(newStart) || !InAddressSpace(newLast) || newLast < newStart)
        return;
    ODataBuffer& buffer = *buffer_;
    const bool undo = undo_;
    if (newStart > buffer.Start())
        FillRange(buffer.Start(), newStart - 1, kErased, false);
    else if (undo)
        journal_.Push(OUndoEntry{});
    // A new window wholly below the old one erases all of the old one; the
    // fill must not reach further down, or it would widen the window and
    // add an entry of its own.
    if (newLast < buffer.End())
        FillRange(std::max(newLast + 1, buffer.Start()), buffer.End(), kErased, false);
    else if (undo)
        journal_.Push(OUndoEntry{});
    // The erasing fills added what they erased; nothing outside the new
    // window holds data any more, and undo gives it all back.
    AddressSet outside = dataAddresses_;
    outside.Remove(newStart, newLast);
    dataAddresses_.Keep(newStart, newLast);
    if (undo) {
        RecordWindow(buffer.Start(), buffer.Size(), kWindowByResize);
        journal_.At(journal_.Count() - 1).dataRemoved = std::move(outside);
    }
    buffer.SetWindow(newStart, newLast);
    SizeChanged(buffer.Size());
    dirty_ = true;
    redo_.Clear();
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

void OBufferDocument::RecordBlock(Address first, Address last) { journal_.Push(BlockEntry(first, last)); }

OUndoEntry OBufferDocument::BlockEntry(Address first, Address last)
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
    return entry;
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
    journal_.Push(OUndoEntry{ukWindow, start, size, marker, std::nullopt, {}, false, {}, {}});
}

int32_t OBufferDocument::NewestEntry() const { return undo_ && !journal_.Empty() ? journal_.Count() - 1 : -1; }

void OBufferDocument::AddData(Address first, Address last, int32_t entry)
{
    if (first > last)
        return;
    if (entry >= 0) {
        // Only what was new comes out again on undo.
        AddressSet& added = journal_.At(entry).dataAdded;
        Address next = first;
        dataAddresses_.ForEachIn(first, last, [&](Address from, Address to) {
            added.Add(next, from - 1);
            next = to + 1;
        });
        added.Add(next, last);
    }
    dataAddresses_.Add(first, last);
}

void OBufferDocument::AddData(const AddressSet& addresses, int32_t entry)
{
    if (entry < 0 && dataAddresses_.Empty()) {
        dataAddresses_ = addresses;
        return;
    }
    addresses.ForEach([&](Address first, Address last) { AddData(first, last, entry); });
}

bool OBufferDocument::CanUndo() { return undo_ && !journal_.Empty(); }

Address OBufferDocument::Undo()
{
    if (!undo_)
        return -1;
    if (journal_.Empty())
        return UndoStep(journal_);
    return TakeStep(journal_, redo_);
}

bool OBufferDocument::CanRedo() { return undo_ && !redo_.Empty(); }

Address OBufferDocument::Redo()
{
    if (!undo_ || redo_.Empty())
        return -1;
    const Address result = TakeStep(redo_, journal_);
    dirty_ = true;
    return result;
}

Address OBufferDocument::TakeStep(OUndoJournal& from, OUndoJournal& to)
{
    // Recording the way back and taking the step are one long operation:
    // one busy window, not one for each.
    Address first = -1;
    Address last = -1;
    const int32_t count = StepEntries(from, from.Count() - 1, first, last);
    LongOperation bracket(*this, last - first > kLongOperation);
    std::vector<OUndoEntry> mirror = MirrorOf(from);
    // The data addresses the step puts back are the ones the way back takes
    // out again, and the other way round.
    for (int32_t i = from.Count() - count; i < from.Count(); ++i) {
        mirror.back().dataRemoved.Add(from.At(i).dataAdded);
        mirror.back().dataAdded.Add(from.At(i).dataRemoved);
    }
    const Address result = UndoStep(from);
    for (OUndoEntry& entry : mirror)
        to.Push(std::move(entry));
    return result;
}

int32_t OBufferDocument::StepEntries(const OUndoJournal& from, int32_t top, Address& first, Address& last)
{
    // One step is the newest entry and, below a window entry, the entries it
    // restores: one for an edit, two for a resize.
    const OUndoEntry& entry = from.At(top);
    const auto take = [&first, &last](Address a, Address b) {
        first = first < 0 ? a : std::min(first, a);
        last = std::max(last, b);
    };
    switch (entry.kind) {
    case ukByte: take(entry.address, entry.address); return 1;
    case ukBlock:
        if (entry.size > 0)
            take(entry.address, entry.address + entry.size - 1);
        return 1;
    case ukWindow: {
        int32_t count = 1;
        for (int i = entry.marker == kWindowByResize ? 2 : 1; i > 0 && top - count >= 0; --i)
            count += StepEntries(from, top - count, first, last);
        return count;
    }
    default: return 1;
    }
}

std::vector<OUndoEntry> OBufferDocument::MirrorOf(const OUndoJournal& from)
{
    // What the newest step is about to overwrite, recorded as an edit
    // records it, so the step can be taken back from the other list.
    const OUndoEntry& top = from.Newest();
    std::vector<OUndoEntry> mirror;
    if (top.kind == ukByte) {
        mirror.push_back(OUndoEntry{ukByte, top.address, ReadByte(top.address), 0, std::nullopt, {}, false, {}, {}});
        return mirror;
    }
    if (top.kind != ukWindow) {
        mirror.push_back(top.kind == ukBlock ? BlockEntry(top.address, top.address + top.size - 1) : OUndoEntry{});
        return mirror;
    }
    // A window step also brings back or erases what lies between the two
    // windows; the copy spans that too, and the window entry restores the
    // window as it is now.
    Address first = -1;
    Address last = -1;
    StepEntries(from, from.Count() - 1, first, last);
    const Address start = buffer_->Start();
    const Address end = buffer_->End();
    const Address toStart = top.address;
    const Address toEnd = top.address + top.size;
    const auto take = [&first, &last](Address a, Address b) {
        if (a > b)
            return;
        first = first < 0 ? a : std::min(first, a);
        last = std::max(last, b);
    };
    take(std::min(start, toStart), std::max(start, toStart) - 1);
    take(std::min(end, toEnd), std::max(end, toEnd) - 1);
    if (first < 0)
        mirror.push_back(OUndoEntry{});
    else if (first == last)
        mirror.push_back(OUndoEntry{ukByte, first, first >= start && first < end ? buffer_->At(first) : kErased,
                                    0, std::nullopt, {}, false, {}, {}});
    else
        mirror.push_back(BlockEntry(first, last));
    mirror.push_back(OUndoEntry{ukWindow, start, end - start, kWindowByEdit, std::nullopt, {}, false, {}, {}});
    return mirror;
}

Address OBufferDocument::UndoStep(OUndoJournal& from)
{
    const bool undoing = &from == &journal_;
    if (from.Empty()) {
        if (undoing)
            dirty_ = false;
        return -1;
    }
    ODataBuffer& buffer = *buffer_;
    OUndoEntry entry = from.Pop();
    Address result = entry.address;
    dataAddresses_.Add(entry.dataRemoved);
    entry.dataAdded.ForEach([this](Address first, Address last) { dataAddresses_.Remove(first, last); });
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
            UndoStep(from);
            UndoStep(from);
            result = 1;
        } else {
            result = UndoStep(from);
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
    if (undoing && journal_.Empty())
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
    // before `from`, so only a one-byte match can begin there. A big window
    // is searched a slice of starting points at a time, so the search can
    // show how far it got and be stopped, leaving the cursor where it was.
    constexpr Address kSlice = Address{1} << 22;
    Address found = -1;
    if (request.up) {
        const Address top = (length == 1 ? from - 1 : from) - length + 1;
        const Address total = top - buffer.Start() + 1;
        RunStoppable(total, [&](Address done) {
            const Address at = top - done;
            found = buffer.FindBackward(at + length - 1, request.Bytes(), exact, length, words, at - kSlice + 1);
            return found >= 0 ? total : done + kSlice;
        });
    } else {
        const Address total = buffer.End() - length - from;
        RunStoppable(total, [&](Address done) {
            const Address at = from + 1 + done;
            found = buffer.FindForward(at, request.Bytes(), exact, length, words, at + kSlice - 1);
            return found >= 0 ? total : done + kSlice;
        });
    }
    return stopped_ ? -1 : found;
}
