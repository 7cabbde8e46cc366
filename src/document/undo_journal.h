#pragma once
// The undo journal of a document: a last-in-first-out list of entries, each
// telling how to put back what one step of an edit changed.

#include "buffer/address.h"
#include "buffer/address_set.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

enum UndoKind : int32_t {
    ukByte = 0,
    ukBlock = 1,
    ukWindow = 2,
    ukPlaceholder = 3,
};

// Window entries carry one of these: a window widened by an edit sits right
// on that edit's own entry; a resize sits on its two erasing steps.
constexpr uint32_t kWindowByEdit = 0x0BED;
constexpr uint32_t kWindowByResize = 0xABBA;

struct OUndoEntry {
    UndoKind kind = ukPlaceholder;
    // Byte: its address; block: first address; window: start before the edit.
    Address address = 0;
    // Byte: previous value; block: byte count; window: size before the edit.
    Address size = 0;
    // Window entries only.
    uint32_t marker = 0;
    // Block entries: the saved bytes (plus a spare zero byte), none when the
    // copy could not be made.
    std::optional<std::vector<uint8_t>> copy;
    // Block entries over a range that is mostly never-written blocks keep
    // only the written stretches (offset from `address`, bytes); the rest of
    // the range is erased on undo. `copy` stays empty then.
    std::vector<std::pair<Address, std::vector<uint8_t>>> pieces;
    bool sparse = false;
    // Addresses the step added to the document's data addresses, and
    // (resizes) the ones it took out of them: undo puts the set back too.
    AddressSet dataAdded;
    AddressSet dataRemoved;
};

class OUndoJournal {
public:
    bool Empty() const { return entries_.empty(); }
    int32_t Count() const { return static_cast<int32_t>(entries_.size()); }
    const OUndoEntry& At(int32_t index) const { return entries_[static_cast<size_t>(index)]; }
    const OUndoEntry& Newest() const { return entries_.back(); }
    OUndoEntry& At(int32_t index) { return entries_[static_cast<size_t>(index)]; }

    void Push(OUndoEntry entry) { entries_.push_back(std::move(entry)); }
    OUndoEntry Pop()
    {
        OUndoEntry entry = std::move(entries_.back());
        entries_.pop_back();
        return entry;
    }
    void Clear() { entries_.clear(); }

private:
    std::vector<OUndoEntry> entries_;
};
