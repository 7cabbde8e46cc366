#pragma once
// Around the address ranges a save writes (OBufferDocument::SavedRanges):
// the places where erased padding lies, found from the stored bytes without
// reading the never-written ones, the ranges' lines and the jumps between
// them, for the ranges pane, the range jumps and the muted gap colour.

#include "buffer/address.h"
#include "document/buffer_document.h"

#include <cstdint>
#include <string>
#include <vector>

class ODataBuffer;

// Runs of more than this many erased bytes are gaps a save skips.
constexpr Address kLongestSavedErasedRun = 10;

// For each of the `count` addresses from `first`, whether it lies in a gap:
// a run of more than kLongestSavedErasedRun erased bytes between the
// window's first and last bytes, which a save always writes, or any erased
// run right before the last byte, which a save drops too.
// `gap` gets `count` entries (1 in a gap, else 0).
void MarkGaps(const ODataBuffer& data, Address first, Address count, std::vector<uint8_t>& gap);

// "00001234-000013FF  460 bytes" ("1 byte" for one)
std::string RangeLine(const OBufferDocument::SavedRange& range);

// The index of the range holding `address`; -1 when it lies in a gap or
// outside the window.
int RangeIndexAt(const std::vector<OBufferDocument::SavedRange>& ranges, Address address);
// The first address of the next range after `address`, or of the nearest
// one before it (the start of its own range when it is not there already);
// kNoAddress when there is none.
Address NextRangeStart(const std::vector<OBufferDocument::SavedRange>& ranges, Address address);
Address PreviousRangeStart(const std::vector<OBufferDocument::SavedRange>& ranges, Address address);
