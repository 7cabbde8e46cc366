#include "document/saved_ranges.h"

#include "buffer/data_buffer.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstring>

namespace {
constexpr uint8_t kErased = 0xFF;
using SavedRange = OBufferDocument::SavedRange;

// The number of erased bytes at the front of bytes[0..n), eight at a time.
Address ErasedPrefix(const uint8_t* bytes, Address n)
{
    Address k = 0;
    for (; k + 8 <= n; k += 8) {
        uint64_t word;
        std::memcpy(&word, bytes + k, 8);
        if (word != ~uint64_t{0})
            break;
    }
    while (k < n && bytes[k] == kErased)
        ++k;
    return k;
}

// Walks the window after its first byte as a save does, handing
// written(address, n) every stretch of bytes that are not erased and
// erased(address, n) every erased run, with never-written stretches of any
// length counted rather than read.
template <class Written, class Erased>
void WalkBytes(const ODataBuffer& data, Address from, Address count, Written written, Erased erased)
{
    data.ForEachSpan(from, count, [&](const uint8_t* bytes, Address n) {
        if (!bytes) {
            erased(from, n);
            from += n;
            return;
        }
        Address k = 0;
        while (k < n) {
            const Address e = ErasedPrefix(bytes + k, n - k);
            if (e > 0)
                erased(from + k, e);
            k += e;
            if (k == n)
                break;
            const void* next = std::memchr(bytes + k, kErased, static_cast<size_t>(n - k));
            const Address stop = next ? static_cast<const uint8_t*>(next) - bytes : n;
            written(from + k, stop - k);
            k = stop;
        }
        from += n;
    });
}
// True when every byte of from..to-1 is erased.
bool ErasedBetween(const ODataBuffer& data, Address from, Address to)
{
    bool erased = true;
    data.ForEachSpan(from, std::max<Address>(0, to - from), [&erased](const uint8_t* bytes, Address n) {
        erased = erased && (!bytes || ErasedPrefix(bytes, n) == n);
    });
    return erased;
}
} // namespace

void MarkGaps(const ODataBuffer& data, Address first, Address count, std::vector<uint8_t>& gap)
{
    gap.assign(static_cast<size_t>(std::max<Address>(count, 0)), 0);
    // A save writes the window's first and last bytes whatever they hold.
    const Address start = data.Start() + 1;
    const Address end = data.Start() + data.Size() - 1;
    // A run reaching into the asked stretch from outside it is judged whole,
    // so look a run's length beyond both ends.
    const Address from = std::max(start, first - kLongestSavedErasedRun);
    const Address to = std::min(end, first + count + kLongestSavedErasedRun);
    if (from >= to)
        return;
    Address runStart = from;
    Address run = 0;
    auto close = [&] {
        if (run > kLongestSavedErasedRun) {
            const Address a = std::max(runStart, first);
            const Address b = std::min(runStart + run, first + count);
            if (a < b)
                std::fill(gap.begin() + (a - first), gap.begin() + (b - first), 1);
        }
        run = 0;
    };
    WalkBytes(
        data, from, to - from, [&](Address, Address) { close(); },
        [&](Address at, Address n) {
            if (run == 0)
                runStart = at;
            run += n;
        });
    // A save drops an erased run before the window's last byte whatever its
    // length, as it keeps only that byte.
    if (run > 0 && runStart + run == to && ErasedBetween(data, to, end))
        run = std::max(run, kLongestSavedErasedRun + 1);
    close();
}

std::string RangeLine(const SavedRange& range)
{
    char text[64];
    const int64_t count = static_cast<int64_t>(range.last) - static_cast<int64_t>(range.first) + 1;
    std::snprintf(text, sizeof text, "%08" PRIX64 "-%08" PRIX64 "  %" PRId64 " %s", static_cast<uint64_t>(range.first),
                  static_cast<uint64_t>(range.last), count, count == 1 ? "byte" : "bytes");
    return text;
}

int RangeIndexAt(const std::vector<SavedRange>& ranges, Address address)
{
    auto it = std::upper_bound(ranges.begin(), ranges.end(), address,
                               [](Address a, const SavedRange& r) { return a < static_cast<Address>(r.first); });
    if (it == ranges.begin())
        return -1;
    --it;
    return address <= static_cast<Address>(it->last) ? static_cast<int>(it - ranges.begin()) : -1;
}

Address NextRangeStart(const std::vector<SavedRange>& ranges, Address address)
{
    auto it = std::upper_bound(ranges.begin(), ranges.end(), address,
                               [](Address a, const SavedRange& r) { return a < static_cast<Address>(r.first); });
    return it == ranges.end() ? kNoAddress : static_cast<Address>(it->first);
}

Address PreviousRangeStart(const std::vector<SavedRange>& ranges, Address address)
{
    auto it = std::lower_bound(ranges.begin(), ranges.end(), address,
                               [](const SavedRange& r, Address a) { return static_cast<Address>(r.first) < a; });
    return it == ranges.begin() ? kNoAddress : static_cast<Address>((it - 1)->first);
}
