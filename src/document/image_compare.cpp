#include "document/image_compare.h"

#include "buffer/data_buffer.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace {

constexpr uint8_t kErased = ODataBuffer::FillValue;

// A side's bytes in one piece of the walk; null reads as erased.
uint8_t ByteAt(const uint8_t* p, Address i) { return p ? p[i] : kErased; }

uint64_t WordAt(const uint8_t* p, Address i)
{
    if (!p)
        return ~uint64_t(0);
    uint64_t word;
    std::memcpy(&word, p + i, sizeof word);
    return word;
}

// The first index from i below n where the two pieces differ; n when none.
Address FirstDifference(const uint8_t* pa, const uint8_t* pb, Address i, Address n)
{
    if (pa && pb) {
        constexpr Address kChunk = 256;
        while (i + kChunk <= n && std::memcmp(pa + i, pb + i, kChunk) == 0)
            i += kChunk;
    }
    while (i + 8 <= n && WordAt(pa, i) == WordAt(pb, i))
        i += 8;
    while (i < n && ByteAt(pa, i) == ByteAt(pb, i))
        ++i;
    return i;
}

Address FirstAgreement(const uint8_t* pa, const uint8_t* pb, Address i, Address n)
{
    while (i < n && ByteAt(pa, i) != ByteAt(pb, i))
        ++i;
    return i;
}

struct Window {
    Address start;
    Address end;
    bool Holds(Address first, Address end2) const { return start <= first && end2 <= end && start < end; }
};

Window WindowOf(const ODataBuffer& buffer) { return {Address(buffer.Start()), Address(buffer.End())}; }

}  // namespace

void ODiffRangeBuilder::Add(Address first, Address last, DiffKind kind)
{
    if (open_ && current_.last + 1 == first && current_.kind == kind) {
        current_.last = last;
        return;
    }
    Finish();
    if (stopped_)
        return;
    current_ = {first, last, kind};
    open_ = true;
}

void ODiffRangeBuilder::Finish()
{
    if (open_ && !stopped_)
        stopped_ = !sink_(current_);
    open_ = false;
}

void ODiffRangeBuilder::Feed(const uint8_t* pa, const uint8_t* pb, Address at, Address n, DiffKind kind)
{
    if (stopped_ || (!pa && !pb))
        return;
    Address i = 0;
    while (!stopped_) {
        i = FirstDifference(pa, pb, i, n);
        if (i >= n)
            return;
        const Address j = FirstAgreement(pa, pb, i, n);
        Add(at + i, at + j - 1, kind);
        i = j;
    }
}

void OImageCompare::Walk(Address from, const std::function<bool(const DiffRange&)>& sink) const
{
    const Window wa = WindowOf(a_), wb = WindowOf(b_);
    // The windows' edges cut the walk into pieces inside one, both or neither.
    std::array<Address, 5> cuts{from, wa.start, wa.end, wb.start, wb.end};
    std::sort(cuts.begin(), cuts.end());
    ODiffRangeBuilder builder(sink);
    for (size_t c = 0; c + 1 < cuts.size() && !builder.Stopped(); ++c) {
        const Address first = std::max(cuts[c], from), end = cuts[c + 1];
        if (first >= end)
            continue;
        const bool inA = wa.Holds(first, end), inB = wb.Holds(first, end);
        if (inA && inB) {
            Address at = first;
            a_.ForEachSpan(first, end - first, [&](const uint8_t* pa, Address n) {
                if (!builder.Stopped()) {
                    Address offset = 0;
                    b_.ForEachSpan(at, n, [&](const uint8_t* pb, Address m) {
                        builder.Feed(pa ? pa + offset : nullptr, pb, at + offset, m, DiffKind::Both);
                        offset += m;
                    });
                }
                at += n;
            });
        } else if (inA || inB) {
            const ODataBuffer& only = inA ? a_ : b_;
            const DiffKind kind = inA ? DiffKind::OnlyA : DiffKind::OnlyB;
            Address at = first;
            only.ForEachSpan(first, end - first, [&](const uint8_t* p, Address n) {
                // A missing byte reads erased: only bytes other than 0xFF differ.
                if (p)
                    builder.Feed(inA ? p : nullptr, inA ? nullptr : p, at, n, kind);
                at += n;
            });
        }
    }
    builder.Finish();
}

std::optional<DiffRange> OImageCompare::Next(Address from) const
{
    from = std::max<Address>(from, 0);
    std::optional<DiffRange> found;
    // A range met at `from` itself may have begun below it: then it is not
    // the one asked for.
    const bool inside = from > 0 && Differs(from - 1);
    Walk(from, [&](const DiffRange& range) {
        if (inside && range.first == from && KindAt(from - 1) == range.kind)
            return true;
        found = range;
        return false;
    });
    return found;
}

DiffKind OImageCompare::KindAt(Address address) const
{
    const Window wa = WindowOf(a_), wb = WindowOf(b_);
    const bool inA = address >= wa.start && address < wa.end;
    const bool inB = address >= wb.start && address < wb.end;
    return inA && inB ? DiffKind::Both : inA ? DiffKind::OnlyA : DiffKind::OnlyB;
}

void OImageCompare::Read(int side, Address first, int count, int* out) const
{
    const ODataBuffer& buffer = side == 0 ? a_ : b_;
    const Window w = WindowOf(buffer);
    std::fill(out, out + count, -1);
    const Address lo = std::max(first, w.start), hi = std::min(first + count, w.end);
    if (lo >= hi)
        return;
    Address at = lo;
    buffer.ForEachSpan(lo, hi - lo, [&](const uint8_t* p, Address n) {
        for (Address i = 0; i < n; ++i)
            out[at - first + i] = ByteAt(p, i);
        at += n;
    });
}

uint16_t OImageCompare::RowMarksOf(Address first, int count) const
{
    int sa[16], sb[16];
    Read(0, first, count, sa);
    Read(1, first, count, sb);
    uint16_t marks = 0;
    for (int i = 0; i < count; ++i) {
        const int va = sa[i] < 0 ? kErased : sa[i], vb = sb[i] < 0 ? kErased : sb[i];
        if (va != vb)
            marks |= uint16_t(1u << i);
    }
    return marks;
}

void OCompareIndex::Reset()
{
    ranges_.clear();
    bytes_ = 0;
    frontier_ = 0;
    complete_ = false;
}

bool OCompareIndex::Advance(size_t limit)
{
    if (complete_ || limit == 0)
        return complete_;
    size_t found = 0;
    bool more = false;
    compare_.Walk(frontier_, [&](const DiffRange& range) {
        if (found == limit) {
            more = true;
            return false;
        }
        ranges_.push_back(range);
        bytes_ += range.Count();
        frontier_ = range.last + 1;
        ++found;
        return true;
    });
    complete_ = !more;
    return complete_;
}

std::optional<size_t> OCompareIndex::After(Address address)
{
    const auto beyond = [&] {
        return std::upper_bound(ranges_.begin(), ranges_.end(), address,
                                [](Address a, const DiffRange& r) { return a < r.first; });
    };
    while (!complete_ && beyond() == ranges_.end())
        Advance(kSlice);
    const auto it = beyond();
    if (it == ranges_.end())
        return std::nullopt;
    return size_t(it - ranges_.begin());
}

std::optional<size_t> OCompareIndex::Before(Address address)
{
    while (!complete_ && frontier_ < address)
        Advance(kSlice);
    const auto it = std::lower_bound(ranges_.begin(), ranges_.end(), address,
                                     [](const DiffRange& r, Address a) { return r.first < a; });
    if (it == ranges_.begin())
        return std::nullopt;
    return size_t(it - ranges_.begin()) - 1;
}
