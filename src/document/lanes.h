#pragma once
// Byte lanes, byte swaps and overlays over sparse buffers: the arithmetic of
// images kept in two or four 8-bit chips side by side on a 16- or 32-bit bus,
// of 16-bit chips that want their bytes swapped, and of laying one image
// over another. Everything walks the stored runs only: erased stretches
// (never written, reading 0xFF) are passed over and stay unwritten, so time
// and memory follow the bytes written, never the span.

#include "buffer/address.h"
#include "buffer/address_set.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class ODataBuffer;

// N lanes of W bytes: lane k holds the bytes whose (address / W) mod N is k,
// at address (address / (N * W)) * W + address mod W, so each chip's image
// starts at the image's start divided by N.
struct LaneShape {
    int lanes = 2;
    int width = 1;
    int Group() const { return lanes * width; }
    bool operator==(const LaneShape&) const = default;
};

// Reads "N" or "NxW" (N 2 or 4, W 1 or 2); the problem, or empty.
std::string ParseLaneShape(std::string_view text, LaneShape& shape);

inline Address LaneAddress(Address address, LaneShape shape)
{
    return address / shape.Group() * shape.width + address % shape.width;
}
inline Address MergedAddress(Address laneAddress, int lane, LaneShape shape)
{
    return laneAddress / shape.width * shape.Group() + Address{lane} * shape.width + laneAddress % shape.width;
}

// Every lane of a window first..first+count-1 gets the same window, whole
// groups of the bus wide, so the chips' images are alike in size: the lane
// window is laneFirst..laneFirst+laneCount-1.
void LaneWindow(Address first, Address count, LaneShape shape, Address& laneFirst, Address& laneCount);

// The lane addresses of lane `lane` whose bytes come from `addresses`.
AddressSet LaneAddresses(const AddressSet& addresses, LaneShape shape, int lane);

// Writes lane `lane` of first..first+count-1 of `source` into `lane`, which
// should be empty; sets its window to LaneWindow.
void SplitLane(const ODataBuffer& source, Address first, Address count, LaneShape shape, int lane,
               ODataBuffer& laneBuffer);

// Lane `lane` of first..first+count-1 of `source` as SplitLane would make
// it, read in place: a save walks it span by span, each gathered from the
// source as it is asked for, so no lane image is ever built. The source
// must outlive the view and stay unchanged while it is read.
class LaneView {
public:
    LaneView(const ODataBuffer& source, Address first, Address count, LaneShape shape, int lane);

    Address Start() const { return laneFirst_; }
    Address Size() const { return laneCount_; }
    Address End() const { return laneFirst_ + laneCount_; }
    // The lane's byte at `address`; 0xFF outside the window.
    uint8_t Peek(Address address) const;
    // As ODataBuffer::ForEachSpan over lane addresses inside the window:
    // gathered bytes at most 64 KiB at a time, null for a stretch whose
    // source bytes were never written (or lie outside the source window),
    // however long.
    void ForEachSpan(Address address, Address count,
                     const std::function<void(const uint8_t* bytes, Address n)>& visit) const;

private:
    // The first lane address whose source address is at or after `address`.
    Address LaneCeiling(Address address) const;
    Address SourceAddress(Address laneAddress) const { return MergedAddress(laneAddress, lane_, shape_); }

    const ODataBuffer& source_;
    Address first_, last_;
    LaneShape shape_;
    int lane_;
    Address laneFirst_ = 0, laneCount_ = 0;
    std::unique_ptr<uint8_t[]> gathered_;
};

// Interleaves laneBuffers[k] (their windows) into `merged`, which should be
// empty; its window becomes the union of the lanes' windows mapped back.
// `proceed(done, total)`, when given, hears how far the merge is after every
// piece, and stops it by answering false.
void MergeLanes(const std::vector<const ODataBuffer*>& laneBuffers, LaneShape shape, ODataBuffer& merged,
                const std::function<bool(Address done, Address total)>& proceed = {});

// Swaps the bytes of every whole group of `width` (2 or 4) bytes in
// first..first+count-1, groups counted from `first`. Returns how many bytes
// at the end did not make a whole group and were left alone.
Address SwapGroups(ODataBuffer& buffer, Address first, Address count, int width);

// An inclusive address range.
struct AddressRange {
    Address first;
    Address last;
    bool operator==(const AddressRange&) const = default;
};

// How an overlay treats addresses where both images hold written bytes.
enum class OverlapPolicy { error, keep, replace };
// "error", "keep", "replace"; false for anything else.
bool ParseOverlapPolicy(std::string_view text, OverlapPolicy& policy);

// A byte is written when it is not erased (0xFF): erased bytes of an overlay
// neither overlap anything nor cover anything.
//
// The ranges where both the base's window and the overlay's window (shifted
// by `offset`) hold written bytes, in the base's addresses, lowest first.
std::vector<AddressRange> OverlapRanges(const ODataBuffer& base, const ODataBuffer& overlay, Address offset);

// Lays the overlay's written bytes (its window, shifted by `offset`) over
// the base: with `keep` only where the base's byte is erased, with `replace`
// everywhere. The base's window widens to take in the shifted overlay
// window, which the caller has checked lies in the address space.
void LayOver(ODataBuffer& base, const ODataBuffer& overlay, Address offset, OverlapPolicy policy);

// "00001000-000010FF" lines, at most `limit` of them and then "... and N
// more", joined by newlines: how overlaps and uncovered lanes are listed.
std::string RangeList(const std::vector<AddressRange>& ranges, size_t limit = 16);
