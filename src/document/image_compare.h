#pragma once
// Compares two images address by address, the way the buffers read them: a
// byte inside a window that was never written reads 0xFF, and so does every
// address outside a window, so an erased byte equals a missing one. Bytes
// differ where the two readings differ; a differing byte that lies inside one
// window only is "only in" that image.
//
// Walking follows the bytes written, never the span: both buffers hand over
// their stored blocks and their never-written stretches whole, and stretches
// that are unwritten on both sides are passed over without reading.

#include "buffer/address.h"
#include "document/byte_marks.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

class ODataBuffer;

enum class DiffKind : uint8_t {
    Both,   // inside both windows
    OnlyA,  // inside the first image's window only
    OnlyB,  // inside the second image's window only
};

// first..last inclusive; never spans a window's edge, so its kind holds for
// every byte of it.
struct DiffRange {
    Address first = 0;
    Address last = 0;
    DiffKind kind = DiffKind::Both;

    Address Count() const { return last - first + 1; }
    bool operator==(const DiffRange&) const = default;
};

// Joins the differing stretches of two sides, fed lowest address first, into
// ranges and hands each to the sink once it is closed (by an equal byte, a
// change of kind or Finish). Stops feeding once the sink answers false.
class ODiffRangeBuilder {
public:
    explicit ODiffRangeBuilder(const std::function<bool(const DiffRange&)>& sink) : sink_(sink) {}

    bool Stopped() const { return stopped_; }
    // n bytes from `at` of each side; null reads as erased.
    void Feed(const uint8_t* a, const uint8_t* b, Address at, Address n, DiffKind kind);
    void Finish();

private:
    void Add(Address first, Address last, DiffKind kind);

    const std::function<bool(const DiffRange&)>& sink_;
    DiffRange current_;
    bool open_ = false;
    bool stopped_ = false;
};

class OImageCompare : public OByteMarks {
public:
    // Compares the buffers with their windows as they stand at each call.
    OImageCompare(const ODataBuffer& a, const ODataBuffer& b) : a_(a), b_(b) {}

    // Hands `sink` every differing range from `from` on, lowest first (one
    // that began before `from` is handed over from `from`); stops once
    // `sink` answers false.
    void Walk(Address from, const std::function<bool(const DiffRange&)>& sink) const;
    // The first differing range that begins at or after `from`.
    std::optional<DiffRange> Next(Address from) const;
    // Whether the byte at `address` differs.
    bool Differs(Address address) const { return RowMarksOf(address, 1) != 0; }
    // The differing bytes of the 16 from `rowFirst`, bit i for rowFirst + i.
    uint16_t RowMarks(Address rowFirst) const override { return RowMarksOf(rowFirst, 16); }

    // The bytes first..first+count-1 of side 0 (the first image) or 1 as
    // `out` gets them: the byte, or -1 where the side's window has none.
    void Read(int side, Address first, int count, int* out) const;

    // Which windows hold `address` (OnlyB also when neither does).
    DiffKind KindAt(Address address) const;

private:
    uint16_t RowMarksOf(Address first, int count) const;

    const ODataBuffer& a_;
    const ODataBuffer& b_;
};

// The ranges of a comparison, found a slice at a time, so that even a
// hundred thousand of them never hold up the caller for long. Reset after
// either image changed.
class OCompareIndex {
public:
    explicit OCompareIndex(const OImageCompare& compare) : compare_(compare) {}

    void Reset();
    // Finds up to `limit` more ranges; true once every range is known.
    bool Advance(size_t limit);
    bool Complete() const { return complete_; }
    // The ranges found so far, lowest first, and their differing bytes.
    const std::vector<DiffRange>& Ranges() const { return ranges_; }
    Address Bytes() const { return bytes_; }

    // The first range beginning after `address`, and the last beginning
    // before it; found as far as needed. None when there is no such range.
    std::optional<size_t> After(Address address);
    std::optional<size_t> Before(Address address);

private:
    static constexpr size_t kSlice = 4096;

    const OImageCompare& compare_;
    std::vector<DiffRange> ranges_;
    Address bytes_ = 0;
    // Where the next slice begins: every range beginning below it is known.
    Address frontier_ = 0;
    bool complete_ = false;
};
