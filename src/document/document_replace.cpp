// Replace all: every match of a find request in the window overwritten with
// bytes of the same length, as one undoable step.

#include "document/buffer_document.h"
#include "document/long_operation.h"

#include "buffer/data_buffer.h"
#include "document/find_request.h"

#include <algorithm>
#include <numeric>

bool OBufferDocument::MatchesAt(const FindRequest& request, Address address)
{
    if (request.length < 1 || address < buffer_->Start() || address + request.length > buffer_->End())
        return false;
    const bool exact = request.hex || request.matchCase;
    const bool words = request.wholeWords && request.ascii;
    return buffer_->FindForward(address, request.Bytes(), exact, request.length, words) == address;
}

Address OBufferDocument::ReplaceAll(const FindRequest& request, const uint8_t* with)
{
    ODataBuffer& buffer = *buffer_;
    const int32_t length = request.length;
    if (length < 1 || length > buffer.Size())
        return 0;
    const bool exact = request.hex || request.matchCase;
    const bool words = request.wholeWords && request.ascii;
    const auto next = [&](Address from, Address below) {
        return buffer.FindForward(from, request.Bytes(), exact, length, words, below);
    };
    // The first hit is looked for as Find looks, so that search too shows
    // its progress and can be stopped.
    FindRequest down = request;
    down.up = false;
    down.down = true;
    const Address firstHit = MatchesAt(down, buffer.Start()) ? buffer.Start() : Find(down, buffer.Start());
    if (firstHit < 0)
        return 0;
    // One undo copy from the first hit to the window's end keeps the whole
    // replace one step, without holding every hit's address in memory; a
    // replace that can be stopped keeps it even without undo, for Cancel.
    const Address last = buffer.End() - 1;
    const bool isLong = last - firstHit > kLongOperation;
    const bool stoppable = isLong && busy_ == 0 && host_.CanStop();
    stopped_ = false;
    LongOperation bracket(*this, isLong);
    const int32_t mark = journal_.Count();
    const bool dirty = dirty_;
    if (undo_ || stoppable)
        RecordBlock(firstHit, last);
    const uint32_t added = std::accumulate(with, with + length, uint32_t{0});
    Address count = 0;
    // Hits never overlap: the search goes on after the end of each one, a
    // slice of starting points at a time; a slice full of hits takes as
    // long as a big one without any.
    constexpr Address kSlice = kPieceSize;
    const Address end = buffer.End() - length;
    for (Address pos = firstHit; pos <= end;) {
        const Address bound = std::min(end, pos + kSlice - 1);
        for (Address hit = -1; pos <= bound && (hit = next(pos, bound)) >= 0; pos = hit + length) {
            if (sumCheck_) {
                buffer.ForEachSpan(hit, length, [this](const uint8_t* bytes, Address n) {
                    sum_ -= bytes ? std::accumulate(bytes, bytes + n, uint32_t{0}) : uint32_t(n) * 0xFFu;
                });
                sum_ += added;
            }
            buffer.SetPosition(hit);
            buffer.PutBlock(with, length);
            if (++count % 4096 == 0)
                host_.ProcessPendingEvents();
        }
        pos = std::max(pos, bound + 1);
        if (stoppable && pos <= end && !Proceed(pos - firstHit, end + 1 - firstHit)) {
            Withdraw(mark, pos - firstHit, buffer.Start(), buffer.Size(), dirty);
            count = 0;
            break;
        }
        if (!stoppable && isLong)
            host_.ProcessPendingEvents();
    }
    if (!stopped_) {
        dirty_ = true;
        redo_.Clear();
    }
    if (!undo_)
        DropEntries(mark);
    return count;
}
