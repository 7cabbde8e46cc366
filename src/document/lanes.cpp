#include "document/lanes.h"

#include "buffer/data_buffer.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <utility>

namespace {
constexpr uint8_t kErased = 0xFF;
// Bytes moved per step: a multiple of every group (2, 4, 8), small enough
// for the cache.
constexpr Address kChunk = Address{1} << 16;

// Hands visit(address, bytes, n) the stored runs of the buffer's addresses
// first..first+count-1, at most kChunk bytes at a time; erased gaps are
// passed over.
template <class Visit>
void ForEachStoredChunk(const ODataBuffer& buffer, Address first, Address count, Visit&& visit)
{
    if (count <= 0)
        return;
    Address address = first;
    buffer.ForEachSpan(first, count, [&](const uint8_t* bytes, Address n) {
        if (bytes)
            for (Address done = 0; done < n; done += kChunk)
                visit(address + done, bytes + done, std::min(kChunk, n - done));
        address += n;
    });
}

// Sorts and joins touching or overlapping half-open intervals.
std::vector<std::pair<Address, Address>> Joined(std::vector<std::pair<Address, Address>> spans)
{
    std::sort(spans.begin(), spans.end());
    std::vector<std::pair<Address, Address>> joined;
    for (const auto& span : spans) {
        if (!joined.empty() && span.first <= joined.back().second)
            joined.back().second = std::max(joined.back().second, span.second);
        else
            joined.push_back(span);
    }
    return joined;
}

template <int N, int W>
void GatherGroups(const uint8_t* in, Address groups, int lane, uint8_t* out)
{
    in += lane * W;
    for (Address g = 0; g < groups; ++g)
        for (int j = 0; j < W; ++j)
            out[g * W + j] = in[g * N * W + j];
}

template <int N, int W>
void ScatterGroups(const uint8_t* in, Address groups, int lane, uint8_t* out)
{
    out += lane * W;
    for (Address g = 0; g < groups; ++g)
        for (int j = 0; j < W; ++j)
            out[g * N * W + j] = in[g * W + j];
}

// Copies lane `lane` of `groups` whole groups from `in` to `out` (gather)
// or the other way round (scatter), with the loop unrolled for the shape.
void MoveGroups(bool gather, LaneShape shape, const uint8_t* in, Address groups, int lane, uint8_t* out)
{
    const int key = shape.lanes * 10 + shape.width;
    switch (key) {
    case 21: gather ? GatherGroups<2, 1>(in, groups, lane, out) : ScatterGroups<2, 1>(in, groups, lane, out); break;
    case 22: gather ? GatherGroups<2, 2>(in, groups, lane, out) : ScatterGroups<2, 2>(in, groups, lane, out); break;
    case 41: gather ? GatherGroups<4, 1>(in, groups, lane, out) : ScatterGroups<4, 1>(in, groups, lane, out); break;
    case 42: gather ? GatherGroups<4, 2>(in, groups, lane, out) : ScatterGroups<4, 2>(in, groups, lane, out); break;
    default: break;
    }
}

// Stores bytes into a buffer that was empty: pieces that hold nothing but
// erased bytes are left out, so the new buffer takes memory only where
// something was written.
void PutIntoFresh(ODataBuffer& buffer, Address at, const uint8_t* bytes, Address n)
{
    constexpr Address kPiece = 4096;
    Address begin = kNoAddress;
    for (Address p = 0; p < n; p += kPiece) {
        const Address m = std::min(kPiece, n - p);
        bool erased = true;
        for (Address i = 0; i < m && erased; ++i)
            erased = bytes[p + i] == kErased;
        if (!erased && begin < 0)
            begin = p;
        if (erased && begin >= 0) {
            buffer.SetPosition(at + begin);
            buffer.PutBlock(bytes + begin, p - begin);
            begin = kNoAddress;
        }
    }
    if (begin >= 0) {
        buffer.SetPosition(at + begin);
        buffer.PutBlock(bytes + begin, n - begin);
    }
}

bool InLane(Address address, LaneShape shape, int lane) { return address / shape.width % shape.lanes == lane; }
} // namespace

std::string ParseLaneShape(std::string_view text, LaneShape& shape)
{
    const std::string problem = "lanes are 2 or 4, optionally times a width of 1 or 2 bytes (2, 4, 2x2, 4x2), not \"" +
                                std::string(text) + "\"";
    LaneShape parsed;
    if (text.size() == 1) {
        parsed.lanes = text[0] - '0';
    } else if (text.size() == 3 && (text[1] == 'x' || text[1] == 'X')) {
        parsed.lanes = text[0] - '0';
        parsed.width = text[2] - '0';
    } else {
        return problem;
    }
    if ((parsed.lanes != 2 && parsed.lanes != 4) || (parsed.width != 1 && parsed.width != 2))
        return problem;
    shape = parsed;
    return {};
}

void LaneWindow(Address first, Address count, LaneShape shape, Address& laneFirst, Address& laneCount)
{
    const Address group = shape.Group();
    laneFirst = first / group * shape.width;
    const Address laneEnd = count > 0 ? (first + count + group - 1) / group * shape.width : laneFirst;
    laneCount = laneEnd - laneFirst;
}

AddressSet LaneAddresses(const AddressSet& addresses, LaneShape shape, int lane)
{
    // MergedAddress grows with the lane address, so the lane addresses of
    // one range are one range: from the first of the lane's bytes at or
    // after its start to the last at or before its end.
    const Address group = shape.Group();
    const Address width = shape.width;
    const Address low = Address{lane} * width;
    AddressSet out;
    addresses.ForEach([&](Address first, Address last) {
        const Address r = first % group;
        const Address from = first / group * width + (r <= low ? 0 : r < low + width ? r - low : width);
        const Address s = last % group;
        const Address to = last / group * width + (s >= low + width - 1 ? width - 1 : s >= low ? s - low : -1);
        out.Add(from, to);
    });
    return out;
}

void SplitLane(const ODataBuffer& source, Address first, Address count, LaneShape shape, int lane,
               ODataBuffer& laneBuffer)
{
    Address laneFirst, laneCount;
    LaneWindow(first, count, shape, laneFirst, laneCount);
    if (laneCount > 0)
        laneBuffer.SetWindow(laneFirst, laneFirst + laneCount - 1);
    const Address group = shape.Group();
    const auto gathered = std::make_unique<uint8_t[]>(size_t(kChunk));
    ForEachStoredChunk(source, first, count, [&](Address address, const uint8_t* bytes, Address n) {
        Address at = kNoAddress;
        Address t = 0;
        Address i = 0;
        const auto single = [&](Address stop) {
            for (; i < stop; ++i)
                if (InLane(address + i, shape, lane)) {
                    if (at < 0)
                        at = LaneAddress(address + i, shape);
                    gathered[size_t(t++)] = bytes[i];
                }
        };
        // A ragged head and tail byte by byte, the whole groups between at once.
        single(std::min(n, (group - address % group) % group));
        const Address groups = (n - i) / group;
        if (groups > 0) {
            if (at < 0)
                at = LaneAddress(address + i + Address{lane} * shape.width, shape);
            MoveGroups(true, shape, bytes + i, groups, lane, gathered.get() + t);
            t += groups * shape.width;
            i += groups * group;
        }
        single(n);
        if (t > 0)
            PutIntoFresh(laneBuffer, at, gathered.get(), t);
    });
}

LaneView::LaneView(const ODataBuffer& source, Address first, Address count, LaneShape shape, int lane)
    : source_(source), first_(first), last_(first + count - 1), shape_(shape), lane_(lane),
      gathered_(std::make_unique<uint8_t[]>(size_t(kChunk)))
{
    LaneWindow(first, count, shape, laneFirst_, laneCount_);
}

uint8_t LaneView::Peek(Address address) const
{
    if (address < laneFirst_ || address >= End())
        return kErased;
    const Address at = SourceAddress(address);
    return at >= first_ && at <= last_ ? source_.Peek(at) : kErased;
}

Address LaneView::LaneCeiling(Address address) const
{
    const Address group = shape_.Group();
    const Address width = shape_.width;
    const Address low = Address{lane_} * width;
    const Address r = address % group;
    return address / group * width + (r <= low ? 0 : r < low + width ? r - low : width);
}

void LaneView::ForEachSpan(Address address, Address count,
                           const std::function<void(const uint8_t* bytes, Address n)>& visit) const
{
    if (count <= 0)
        return;
    const Address end = address + count;
    // Lane addresses whose source bytes lie outside the source window read
    // as erased, as they do in a lane SplitLane built.
    const Address from = std::max(SourceAddress(address), first_);
    const Address to = std::min(SourceAddress(end - 1), last_);
    Address next = address; // the first lane address not handed over yet
    Address held = 0;       // gathered bytes for next.. waiting in gathered_
    const auto flush = [&] {
        if (held > 0) {
            visit(gathered_.get(), held);
            next += held;
            held = 0;
        }
    };
    const auto gap = [&](Address upTo) {
        flush();
        if (upTo > next) {
            visit(nullptr, upTo - next);
            next = upTo;
        }
    };
    if (from <= to) {
        gap(std::min(end, LaneCeiling(from)));
        const Address width = shape_.width;
        Address at = from;
        source_.ForEachSpan(from, to - from + 1, [&](const uint8_t* bytes, Address n) {
            // The lane addresses up to stop - 1 take their bytes from this span.
            const Address stop = LaneCeiling(at + n);
            if (!bytes)
                gap(stop);
            for (Address lane = next + held; bytes && lane < stop;) {
                if (held == kChunk)
                    flush();
                const Address offset = SourceAddress(lane) - at;
                const Address groups =
                    lane % width == 0 ? std::min((stop - lane) / width, (kChunk - held) / width) : 0;
                if (groups == 0) {
                    gathered_[size_t(held++)] = bytes[offset];
                    ++lane;
                    continue;
                }
                MoveGroups(true, shape_, bytes + offset, groups, 0, gathered_.get() + held);
                held += groups * width;
                lane += groups * width;
            }
            at += n;
        });
    }
    gap(end);
}

void MergeLanes(const std::vector<const ODataBuffer*>& laneBuffers, LaneShape shape, ODataBuffer& merged,
                const std::function<bool(Address done, Address total)>& proceed)
{
    const Address group = shape.Group();
    // The merged window, and where any lane holds stored bytes, in whole groups.
    Address low = kNoAddress, high = kNoAddress;
    std::vector<std::pair<Address, Address>> stored;
    for (int k = 0; k < int(laneBuffers.size()); ++k) {
        const ODataBuffer& lane = *laneBuffers[size_t(k)];
        if (lane.Size() == 0)
            continue;
        const Address first = MergedAddress(lane.Start(), k, shape);
        const Address last = MergedAddress(lane.End() - 1, k, shape);
        low = low < 0 ? first : std::min(low, first);
        high = std::max(high, last);
        ForEachStoredChunk(lane, lane.Start(), lane.Size(), [&](Address address, const uint8_t*, Address n) {
            stored.emplace_back(address / shape.width * group, ((address + n - 1) / shape.width + 1) * group);
        });
    }
    if (low < 0)
        return;
    merged.SetWindow(low, high);
    const auto out = std::make_unique<uint8_t[]>(size_t(kChunk));
    const auto in = std::make_unique<uint8_t[]>(size_t(kChunk));
    for (const auto& [begin, end] : Joined(std::move(stored))) {
        for (Address d = begin; d < end; d += kChunk) {
            const Address c = std::min(kChunk, end - d);
            const Address groups = c / group;
            std::memset(out.get(), kErased, size_t(c));
            for (int k = 0; k < int(laneBuffers.size()); ++k) {
                const ODataBuffer& lane = *laneBuffers[size_t(k)];
                const Address laneAt = d / group * shape.width;
                const Address laneCount = groups * shape.width;
                if (lane.Size() == 0 || laneAt + laneCount <= lane.Start() || laneAt >= lane.End())
                    continue;
                lane.CopyOut(laneAt, laneCount, in.get());
                MoveGroups(false, shape, in.get(), groups, k, out.get());
            }
            const Address lo = std::max(d, low);
            const Address hi = std::min(d + c, high + 1);
            if (lo < hi)
                PutIntoFresh(merged, lo, out.get() + (lo - d), hi - lo);
            if (proceed && !proceed(std::max(d + c, low) - low, high - low + 1))
                return;
        }
    }
}

Address SwapGroups(ODataBuffer& buffer, Address first, Address count, int width)
{
    if (count <= 0 || (width != 2 && width != 4))
        return std::max<Address>(count, 0);
    const Address whole = count / width * width;
    std::vector<std::pair<Address, Address>> stored;
    ForEachStoredChunk(buffer, first, whole, [&](Address address, const uint8_t*, Address n) {
        stored.emplace_back(first + (address - first) / width * width,
                            first + (address + n - first + width - 1) / width * width);
    });
    const auto bytes = std::make_unique<uint8_t[]>(size_t(kChunk));
    for (const auto& [begin, end] : Joined(std::move(stored))) {
        for (Address d = begin; d < end; d += kChunk) {
            const Address c = std::min(kChunk, end - d);
            uint8_t* b = bytes.get();
            buffer.CopyOut(d, c, b);
            if (width == 2) {
                for (Address i = 0; i + 1 < c; i += 2)
                    std::swap(b[i], b[i + 1]);
            } else {
                for (Address i = 0; i + 3 < c; i += 4) {
                    std::swap(b[i], b[i + 3]);
                    std::swap(b[i + 1], b[i + 2]);
                }
            }
            buffer.SetPosition(d);
            buffer.PutBlock(b, c);
        }
    }
    return count - whole;
}

bool ParseOverlapPolicy(std::string_view text, OverlapPolicy& policy)
{
    if (text == "error")
        policy = OverlapPolicy::error;
    else if (text == "keep")
        policy = OverlapPolicy::keep;
    else if (text == "replace")
        policy = OverlapPolicy::replace;
    else
        return false;
    return true;
}

namespace {
// Hands visit(address, overlayBytes, baseBytes, n) every stored run of the
// overlay's window that lands in the address space, with the base's bytes
// at the shifted addresses beside it.
template <class Visit>
void ForEachLanding(const ODataBuffer& base, const ODataBuffer& overlay, Address offset, Visit&& visit)
{
    const auto under = std::make_unique<uint8_t[]>(size_t(kChunk));
    ForEachStoredChunk(overlay, overlay.Start(), overlay.Size(), [&](Address address, const uint8_t* bytes, Address n) {
        Address target = address + offset;
        Address skip = std::max<Address>(0, -target);
        Address length = std::min<Address>(n, ODataBuffer::AddressLimit - target) - skip;
        if (length <= 0)
            return;
        base.CopyOut(target + skip, length, under.get());
        visit(target + skip, bytes + skip, under.get(), length);
    });
}
} // namespace

std::vector<AddressRange> OverlapRanges(const ODataBuffer& base, const ODataBuffer& overlay, Address offset)
{
    std::vector<AddressRange> ranges;
    ForEachLanding(base, overlay, offset, [&](Address at, const uint8_t* over, const uint8_t* under, Address n) {
        for (Address i = 0; i < n; ++i) {
            // Bytes that agree conflict with nothing, whatever the policy.
            if (over[i] == kErased || under[i] == kErased || over[i] == under[i])
                continue;
            if (!ranges.empty() && ranges.back().last + 1 == at + i)
                ranges.back().last = at + i;
            else
                ranges.push_back({at + i, at + i});
        }
    });
    return ranges;
}

void LayOver(ODataBuffer& base, const ODataBuffer& overlay, Address offset, OverlapPolicy policy)
{
    if (overlay.Size() > 0) {
        const Address first = overlay.Start() + offset;
        const Address last = overlay.End() - 1 + offset;
        if (base.Size() == 0)
            base.SetWindow(first, last);
        else
            base.SetWindow(std::min<Address>(base.Start(), first), std::max<Address>(base.End() - 1, last));
    }
    const auto merged = std::make_unique<uint8_t[]>(size_t(kChunk));
    ForEachLanding(base, overlay, offset, [&](Address at, const uint8_t* over, const uint8_t* under, Address n) {
        bool changed = false;
        for (Address i = 0; i < n; ++i) {
            const bool take = over[i] != kErased && (policy == OverlapPolicy::replace || under[i] == kErased);
            merged[size_t(i)] = take ? over[i] : under[i];
            changed = changed || merged[size_t(i)] != under[i];
        }
        if (changed) {
            base.SetPosition(at);
            base.PutBlock(merged.get(), n);
        }
    });
}

std::string RangeList(const std::vector<AddressRange>& ranges, size_t limit)
{
    std::string text;
    char line[48];
    for (size_t i = 0; i < ranges.size() && i < limit; ++i) {
        std::snprintf(line, sizeof line, "%s%08llX-%08llX", i ? "\n" : "",
                      static_cast<unsigned long long>(ranges[i].first), static_cast<unsigned long long>(ranges[i].last));
        text += line;
    }
    if (ranges.size() > limit)
        text += "\n... and " + std::to_string(ranges.size() - limit) + " more";
    return text;
}
