#pragma once
// The address ranges a save writes, found from the stored bytes without
// reading the never-written ones, and the places where erased padding lies:
// the ranges pane, the range jumps, the muted gap colour and the export
// formats that name their ranges all work from these.

#include "buffer/address.h"
#include "document/buffer_document.h"

#include <cstdint>
#include <string>
#include <vector>

class ODataBuffer;

// Runs of more than this many erased bytes are gaps a save skips.
constexpr Address kLongestSavedErasedRun = 10;

// What OBufferDocument::SavedRanges gives, in time that follows the bytes
// written: lowest first; the window's first and last bytes always belong to
// a range.
std::vector<OBufferDocument::SavedRange> FindSavedRanges(const ODataBuffer& data);

// For each of the `count` addresses from `first`, whether it lies in a gap:
// a run of more than kLongestSavedErasedRun erased bytes between the
// window's first and last bytes, which a save always writes.
// `gap` gets `count` entries (1 in a gap, else 0).
void MarkGaps(const ODataBuffer& data, Address first, Address count, std::vector<uint8_t>& gap);

// "00001234-000013FF  460 bytes"
std::string RangeLine(const OBufferDocument::SavedRange& range);

// The index of the range holding `address`; -1 when it lies in a gap or
// outside the window.
int RangeIndexAt(const std::vector<OBufferDocument::SavedRange>& ranges, Address address);
// The first address of the next range after `address`, or of the nearest
// one before it (the start of its own range when it is not there already);
// kNoAddress when there is none.
Address NextRangeStart(const std::vector<OBufferDocument::SavedRange>& ranges, Address address);
Address PreviousRangeStart(const std::vector<OBufferDocument::SavedRange>& ranges, Address address);
