// Replace all: every match of a find request in the window overwritten with
// bytes of the same length, as one undoable step.

#include "document/buffer_document.h"

#include "buffer/data_buffer.h"
#include "dialogs/find_request.h"

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
    // The hits are found first, so the undo copy spans just the stretch from
    // the first to the last and the step stays one entry. Hits do not
    // overlap: the search goes on after the end of each replaced one.
    std::vector<Address> hits;
    for (Address at = buffer.FindForward(buffer.Start(), request.Bytes(), exact, length, words); at >= 0;
         at = buffer.FindForward(at + length, request.Bytes(), exact, length, words)) {
        hits.push_back(at);
        if (hits.size() % 1024 == 0)
            host_.ProcessPendingEvents();
    }
    if (hits.empty())
        return 0;
    const Address first = hits.front();
    const Address last = hits.back() + length - 1;
    const bool isLong = last - first > kLongOperation;
    if (isLong) {
        host_.SetWaitCursor(true);
        SetBusy(true);
    }
    if (undo_)
        RecordBlock(first, last);
    const uint32_t added = std::accumulate(with, with + length, uint32_t{0});
    for (const Address at : hits) {
        if (sumCheck_) {
            buffer.ForEachSpan(at, length, [this](const uint8_t* bytes, Address n) {
                sum_ -= bytes ? std::accumulate(bytes, bytes + n, uint32_t{0}) : uint32_t(n) * 0xFFu;
            });
            sum_ += added;
        }
        buffer.SetPosition(at);
        buffer.PutBlock(with, length);
    }
    dirty_ = true;
    redo_.Clear();
    if (isLong) {
        SetBusy(false);
        host_.SetWaitCursor(false);
    }
    return Address(hits.size());
}
