// Replace all: every match of a find request in the window overwritten with
// bytes of the same length, as one undoable step.

#include "document/buffer_document.h"

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
    const auto next = [&](Address from) { return buffer.FindForward(from, request.Bytes(), exact, length, words); };
    Address at = next(buffer.Start());
    if (at < 0)
        return 0;
    // One undo copy from the first hit to the window's end keeps the whole
    // replace one step, without holding every hit's address in memory.
    const Address last = buffer.End() - 1;
    const bool isLong = last - at > kLongOperation;
    if (isLong) {
        host_.SetWaitCursor(true);
        SetBusy(true);
    }
    if (undo_)
        RecordBlock(at, last);
    const uint32_t added = std::accumulate(with, with + length, uint32_t{0});
    Address count = 0;
    // Hits never overlap: the search goes on after the end of each one.
    for (; at >= 0; at = next(at + length)) {
        if (sumCheck_) {
            buffer.ForEachSpan(at, length, [this](const uint8_t* bytes, Address n) {
                sum_ -= bytes ? std::accumulate(bytes, bytes + n, uint32_t{0}) : uint32_t(n) * 0xFFu;
            });
            sum_ += added;
        }
        buffer.SetPosition(at);
        buffer.PutBlock(with, length);
        if (++count % 4096 == 0)
            host_.ProcessPendingEvents();
    }
    dirty_ = true;
    redo_.Clear();
    if (isLong) {
        SetBusy(false);
        host_.SetWaitCursor(false);
    }
    return count;
}
