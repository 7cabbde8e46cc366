#include "buffer/data_buffer.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <cstdlib>
#include <mutex>
#include <new>
#include <vector>

#include <sys/mman.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// What every gap between runs holds; searches read it instead of obtaining
// memory for regions nobody touched.
constexpr auto kErasedBlock = [] {
    std::array<uint8_t, ODataBuffer::BlockSize> bytes{};
    bytes.fill(ODataBuffer::FillValue);
    return bytes;
}();

// Patterns up to this length are searched in place, run by run, with
// only the seams copied. Longer ones are rare (the find dialog makes at most
// a few hundred bytes) and go through a flat copy and a linear-time search,
// so no pattern can make a search quadratic in the buffer size.
constexpr int32_t kInPlaceLimit = 64;

// Runs are made of whole lines and grow by kGrowth at a time, so bytes
// written in either direction are copied a bounded number of times while
// a lone byte takes one line.
constexpr Address kLine = 64;
constexpr Address kGrowth = 4;

uint8_t fold(uint8_t c)
{
    return uint8_t(c - 'A') < 26 ? uint8_t(c | 0x20) : c;
}

bool isWordByte(uint8_t c)
{
    return uint8_t((c | 0x20) - 'a') < 26 || uint8_t(c - '0') < 10;
}

} // namespace

// The pattern as compared: folded to lower case and cut after its first zero
// byte when the comparison ignores case (such patterns come from typed text,
// and a shared zero byte ends the comparison with a match).
//
// Candidates are found sixteen at a time by testing two of the pattern's
// bytes together, which rules out nearly every position before any
// byte-by-byte comparison. The two are chosen away from 0xFF and 0x00, which
// fill most of a PROM image, so that erased stretches pass the test rarely.
// A byte ORed with 0x20 equals a lower-case letter exactly when it is that
// letter in either case, so the same test serves both comparisons.
struct ODataBuffer::Matcher {
    Matcher(const ODataBuffer& buffer, const uint8_t* pattern, int32_t length, bool exact, bool words)
        : buffer(buffer), length(length), compared(length), exact(exact), words(words)
    {
        if (exact) {
            bytes = pattern;
        } else {
            const uint8_t* zero = static_cast<const uint8_t*>(std::memchr(pattern, 0, size_t(length)));
            if (zero)
                compared = int32_t(zero - pattern) + 1;
            folded.resize(size_t(compared));
            std::transform(pattern, pattern + compared, folded.begin(), fold);
            bytes = folded.data();
        }
        chooseAnchors();
    }

    void chooseAnchors()
    {
        auto commonness = [](uint8_t byte) { return byte == 0xFF ? 2 : byte == 0x00 ? 1 : 0; };
        // The last byte and the first make a good pair when nothing better
        // stands out: a partial match then fails at both ends.
        size_t best = size_t(compared - 1);
        for (size_t i = best; i-- > 0;)
            if (commonness(bytes[i]) < commonness(bytes[best]))
                best = i;
        size_t second = best == 0 ? size_t(compared - 1) : 0;
        for (size_t i = 0; i < size_t(compared); ++i) {
            if (i == best || i == second)
                continue;
            auto rank = [&](size_t k) { return commonness(bytes[k]) * 2 + (bytes[k] == bytes[best] ? 1 : 0); };
            if (rank(i) < rank(second))
                second = i;
        }
        anchor[0] = best;
        anchor[1] = second;
        for (int k = 0; k < 2; ++k) {
            value[k] = bytes[anchor[k]];
            mask[k] = (!exact && uint8_t(value[k] - 'a') < 26) ? 0x20 : 0;
        }
    }

    bool matches(const uint8_t* s) const
    {
        if (exact)
            return std::memcmp(s, bytes, size_t(compared)) == 0;
        for (int32_t i = 0; i < compared; ++i)
            if (fold(s[i]) != bytes[i])
                return false;
        return true;
    }

    // The whole-word rule at a match; the window's ends are word boundaries.
    bool accepts(Address address) const
    {
        if (!words)
            return true;
        const Address after = address + length;
        if (after < buffer.End() && isWordByte(buffer.Peek(after)))
            return false;
        return address == buffer.Start() || !isWordByte(buffer.Peek(address - 1));
    }

    bool passes(const uint8_t* s) const
    {
        return uint8_t(s[anchor[0]] | mask[0]) == value[0] && uint8_t(s[anchor[1]] | mask[1]) == value[1];
    }

#if defined(__SSE2__)
    // Bit i set when candidate s + i passes the two-byte test.
    int passing16(const uint8_t* s) const
    {
        __m128i one = _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s + anchor[0])),
                                   _mm_set1_epi8(char(mask[0])));
        __m128i two = _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s + anchor[1])),
                                   _mm_set1_epi8(char(mask[1])));
        __m128i both = _mm_and_si128(_mm_cmpeq_epi8(one, _mm_set1_epi8(char(value[0]))),
                                     _mm_cmpeq_epi8(two, _mm_set1_epi8(char(value[1]))));
        return _mm_movemask_epi8(both);
    }

    static __m128i wordBytes16(const uint8_t* s)
    {
        // Unsigned range tests as signed compares on bytes shifted by 0x80.
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
        const __m128i letter = _mm_cmplt_epi8(_mm_add_epi8(_mm_or_si128(v, _mm_set1_epi8(0x20)), _mm_set1_epi8(char(0x80 - 'a'))),
                                              _mm_set1_epi8(char(0x80 + 26)));
        const __m128i digit = _mm_cmplt_epi8(_mm_add_epi8(v, _mm_set1_epi8(char(0x80 - '0'))),
                                             _mm_set1_epi8(char(0x80 + 10)));
        return _mm_or_si128(letter, digit);
    }

    // Bit i set when candidate s + i has a letter or digit right before or
    // after it. Text dense with partial words (every third byte a candidate
    // in "cabcab...") is ruled out sixteen candidates at a time this way.
    int touching16(const uint8_t* s) const
    {
        return _mm_movemask_epi8(_mm_or_si128(wordBytes16(s - 1), wordBytes16(s + length)));
    }
#endif

    // The candidates of a scan whose neighbours may be tested sixteen at a
    // time: their neighbours lie in readable memory [lo, hi) and inside the
    // window, where the rule does not bend for the window's ends.
    struct Neighbours {
        int32_t first = 1;
        int32_t last = 0;
        bool covers(int32_t i) const { return i >= first && i + 15 <= last; }
    };

    Neighbours neighbours(const uint8_t* text, Address address, const uint8_t* lo, const uint8_t* hi) const
    {
        Neighbours n;
        if (!words || !lo)
            return n;
        n.first = int32_t(std::max<Address>(lo - text + 1, buffer.Start() - address + 1));
        n.last = int32_t(std::min<Address>(hi - text - length - 1, buffer.End() - address - length - 1));
        return n;
    }

    // Index of the first (last) accepted match among text[0..candidates),
    // the text's first byte lying at `address`; the text holds `compared` - 1
    // bytes beyond the last candidate, and [lo, hi) around it, when given,
    // is readable too.
    int32_t scanForward(const uint8_t* text, int32_t candidates, Address address,
                        const uint8_t* lo = nullptr, const uint8_t* hi = nullptr) const
    {
        const uint8_t* s = text;
        const uint8_t* end = text + candidates;
#if defined(__SSE2__)
        const Neighbours around = neighbours(text, address, lo, hi);
        for (; end - s >= 16; s += 16) {
            int hits = passing16(s);
            if (hits && around.covers(int32_t(s - text)))
                hits &= ~touching16(s);
            for (; hits; hits &= hits - 1) {
                const uint8_t* candidate = s + __builtin_ctz(unsigned(hits));
                if (matches(candidate) && accepts(address + (candidate - text)))
                    return int32_t(candidate - text);
            }
        }
#endif
        for (; s < end; ++s)
            if (passes(s) && matches(s) && accepts(address + (s - text)))
                return int32_t(s - text);
        return -1;
    }

    int32_t scanBackward(const uint8_t* text, int32_t candidates, Address address,
                         const uint8_t* lo = nullptr, const uint8_t* hi = nullptr) const
    {
        const uint8_t* s = text + candidates;
#if defined(__SSE2__)
        const Neighbours around = neighbours(text, address, lo, hi);
        for (; s - text >= 16; s -= 16) {
            int hits = passing16(s - 16);
            if (hits && around.covers(int32_t(s - 16 - text)))
                hits &= ~touching16(s - 16);
            for (; hits; hits &= ~(1 << (31 - __builtin_clz(unsigned(hits))))) {
                const uint8_t* candidate = s - 16 + (31 - __builtin_clz(unsigned(hits)));
                if (matches(candidate) && accepts(address + (candidate - text)))
                    return int32_t(candidate - text);
            }
        }
#endif
        while (s > text) {
            --s;
            if (passes(s) && matches(s) && accepts(address + (s - text)))
                return int32_t(s - text);
        }
        return -1;
    }

    // True when the compared bytes are all erased ones: only then can a
    // match lie wholly in a gap between runs.
    bool erasedPattern() const
    {
        return std::all_of(bytes, bytes + compared, [](uint8_t b) { return b == ODataBuffer::FillValue; });
    }

    const ODataBuffer& buffer;
    int32_t length;
    int32_t compared;
    bool exact;
    bool words;
    const uint8_t* bytes = nullptr;
    std::vector<uint8_t> folded;
    size_t anchor[2] = {0, 0};
    uint8_t value[2] = {0, 0};
    uint8_t mask[2] = {0, 0};
};

// Whole blocks come from regions mapped a large piece at a time and marked
// for huge pages: a dense image then takes a few hundred page faults rather
// than one for every 4 KiB. Only what is touched becomes resident, so a
// region's unused tail costs address space only. The regions are shared by
// every buffer of the process, so a block one buffer gives back (a lane
// split consuming its source) is the next one another buffer takes.
struct ODataBuffer::Arena {
    static constexpr size_t kHuge = size_t{2} << 20;
    static constexpr size_t kRegion = size_t{64} << 20;
    static constexpr uint32_t kSlots = uint32_t(kRegion / BlockSize);

    struct Region {
        uint8_t* base;
        uint32_t carved;
        uint32_t used;
        std::vector<uint32_t> free;
    };

    uint8_t* Take()
    {
        const std::lock_guard<std::mutex> hold(lock);
        // Given-back blocks first, the newest region's untouched ones next.
        for (auto it = regions.rbegin(); it != regions.rend(); ++it)
            if (!it->free.empty()) {
                const uint32_t slot = it->free.back();
                it->free.pop_back();
                ++it->used;
                return it->base + size_t(slot) * BlockSize;
            }
        if (regions.empty() || regions.back().carved == kSlots) {
            uint8_t* base = Map();
            if (!base)
                return nullptr;
            try {
                regions.push_back(Region{base, 0, 0, {}});
            } catch (const std::bad_alloc&) {
                munmap(base, kRegion);
                return nullptr;
            }
        }
        Region& region = regions.back();
        ++region.used;
        return region.base + size_t(region.carved++) * BlockSize;
    }

    void Give(uint8_t* block)
    {
        const std::lock_guard<std::mutex> hold(lock);
        for (auto it = regions.begin(); it != regions.end(); ++it) {
            if (block < it->base || block >= it->base + kRegion)
                continue;
            if (--it->used == 0) {
                munmap(it->base, kRegion);
                regions.erase(it);
                return;
            }
            try {
                it->free.push_back(uint32_t((block - it->base) / BlockSize));
            } catch (const std::bad_alloc&) {
                // The block stays unused until the region goes.
            }
            return;
        }
    }

    // A region aligned to the huge page size, or null.
    static uint8_t* Map()
    {
        void* raw = mmap(nullptr, kRegion + kHuge, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE,
                         -1, 0);
        if (raw == MAP_FAILED)
            return nullptr;
        uint8_t* const start = static_cast<uint8_t*>(raw);
        uint8_t* const base =
            reinterpret_cast<uint8_t*>((reinterpret_cast<uintptr_t>(start) + kHuge - 1) & ~uintptr_t(kHuge - 1));
        if (base > start)
            munmap(start, size_t(base - start));
        if (base + kRegion < start + kRegion + kHuge)
            munmap(base + kRegion, size_t(start + kRegion + kHuge - (base + kRegion)));
#ifdef MADV_HUGEPAGE
        madvise(base, kRegion, MADV_HUGEPAGE);
#endif
        return base;
    }

    static Arena& Shared()
    {
        // Never destroyed: buffers may outlive static destruction.
        static Arena* const arena = new Arena;
        return *arena;
    }

    std::mutex lock;
    std::vector<Region> regions;
};

ODataBuffer::ODataBuffer() = default;

ODataBuffer::~ODataBuffer()
{
    for (const auto& [base, run] : runs_)
        Release(run);
}

bool ODataBuffer::SetPosition(Address address)
{
    // A refused address changes nothing, not even the start of an empty
    // window: the window must stay inside the address space.
    if (address < 0 || address >= AddressLimit)
        return false;
    if (size_ == 0)
        start_ = address;
    position_ = address;
    if (position_ < start_) {
        size_ += start_ - position_;
        start_ = position_;
    }
    if (position_ - start_ > size_)
        size_ = position_ - start_;
    return true;
}

void ODataBuffer::SetWindow(Address first, Address last)
{
    const Address begin = std::clamp<Address>(first, 0, AddressLimit);
    const Address final = std::clamp<Address>(last, begin - 1, AddressLimit - 1);
    start_ = begin;
    size_ = final - begin + 1;
}

void ODataBuffer::DropCurrent()
{
    current_ = nullptr;
    currentBase_ = 0;
    currentLength_ = 0;
}

void ODataBuffer::MakeCurrent(Runs::iterator run)
{
    current_ = run->second.bytes;
    currentBase_ = run->first;
    currentLength_ = uint64_t(run->second.length);
}

uint8_t* ODataBuffer::Obtain(Address length)
{
    if (length == BlockSize)
        return Arena::Shared().Take();
    return static_cast<uint8_t*>(std::malloc(size_t(length)));
}

void ODataBuffer::Release(const Run& run)
{
    if (run.length == BlockSize)
        Arena::Shared().Give(run.bytes);
    else
        std::free(run.bytes);
    storedBytes_ -= run.length;
}

ODataBuffer::Runs::iterator ODataBuffer::Extend(Address address, Address want)
{
    const Address block = address - address % BlockSize;
    const Address blockEnd = block + BlockSize;
    Address lo = address - address % kLine;
    Address hi = std::min(blockEnd, address + std::max<Address>(want, 1));
    auto next = runs_.upper_bound(address);
    if (next != runs_.begin()) {
        const auto before = std::prev(next);
        const Address reach = before->first + kGrowth * before->second.length;
        if (before->first >= block && address < reach) {
            lo = before->first;
            hi = std::max(hi, std::min(blockEnd, reach));
        }
    }
    if (next != runs_.end() && next->first < blockEnd) {
        const Address end = next->first + next->second.length;
        const Address reach = end - kGrowth * next->second.length;
        if (address >= reach) {
            lo = std::min(lo, std::max(block, reach));
            hi = std::max(hi, end);
        }
    }
    hi = std::min(blockEnd, (hi + kLine - 1) / kLine * kLine);
    // Runs the new one overlaps are taken in whole.
    auto first = runs_.lower_bound(lo);
    if (first != runs_.begin() && std::prev(first)->first + std::prev(first)->second.length > lo)
        --first;
    auto last = first;
    for (; last != runs_.end() && last->first < hi; ++last) {
        lo = std::min(lo, last->first);
        hi = std::max(hi, last->first + last->second.length);
    }
    uint8_t* bytes = Obtain(hi - lo);
    if (!bytes)
        return runs_.end();
    Address at = lo;
    for (auto run = first; run != last; ++run) {
        std::memset(bytes + (at - lo), FillValue, size_t(run->first - at));
        std::memcpy(bytes + (run->first - lo), run->second.bytes, size_t(run->second.length));
        at = run->first + run->second.length;
        Release(run->second);
    }
    std::memset(bytes + (at - lo), FillValue, size_t(hi - at));
    DropCurrent();
    storedBytes_ += hi - lo;
    const auto hint = runs_.erase(first, last);
    return runs_.emplace_hint(hint, lo, Run{bytes, hi - lo});
}

uint8_t* ODataBuffer::Select(Address address, Address want)
{
    if (address < 0)
        return nullptr;
    const uint64_t offset = uint64_t(address - currentBase_);
    if (offset < currentLength_)
        return current_ + offset;
    if (address >= AddressLimit)
        return nullptr;
    // End itself is reachable: writing there extends the window by one.
    if (address > End()) {
        DropCurrent();
        return nullptr;
    }
    auto run = runs_.upper_bound(address);
    if (run != runs_.begin() && std::prev(run)->first + std::prev(run)->second.length > address) {
        --run;
    } else {
        try {
            run = Extend(address, want);
        } catch (const std::bad_alloc&) {
            run = runs_.end();
        }
        if (run == runs_.end()) {
            outOfMemory_ = true;
            DropCurrent();
            return nullptr;
        }
    }
    MakeCurrent(run);
    return current_ + (address - currentBase_);
}

uint8_t ODataBuffer::GetSlow()
{
    // The position never passes AddressLimit, so it cannot run away.
    if (position_ < 0 || position_ >= AddressLimit)
        return FillValue;
    const Address address = position_++;
    // Reading never obtains memory for bytes nobody wrote.
    const auto run = FirstRunEndingAfter(address);
    if (run == runs_.end() || run->first > address)
        return FillValue;
    uint8_t* byte = Select(address);
    return byte ? *byte : FillValue;
}

void ODataBuffer::ReadSlow(uint8_t& byte)
{
    byte = FillValue;
    if (position_ < 0 || position_ >= AddressLimit || position_ > End()) {
        DropCurrent();
        return;
    }
    const auto run = FirstRunEndingAfter(position_);
    if (run != runs_.end() && run->first <= position_)
        byte = *Select(position_);
    ++position_;
}

void ODataBuffer::PutSlow(uint8_t byte)
{
    uint8_t* stored = Select(position_);
    if (!stored)
        return;
    *stored = byte;
    ++position_;
    if (position_ - start_ > size_)
        size_ = position_ - start_;
}

uint8_t& ODataBuffer::AtSlow(Address address)
{
    // Addresses that can never hold a byte do not stretch the window.
    if (address >= 0 && address < AddressLimit) {
        if (address >= End())
            size_ = address - start_ + 1;
        if (address < start_) {
            size_ += start_ - address;
            start_ = address;
        }
        if (uint8_t* byte = Select(address))
            return *byte;
    }
    // Whatever a caller wrote into the spare byte last time is lost.
    spare_ = FillValue;
    return spare_;
}

uint8_t ODataBuffer::Peek(Address address) const
{
    if (address < 0 || address >= AddressLimit)
        return FillValue;
    const auto run = FirstRunEndingAfter(address);
    return run != runs_.end() && run->first <= address ? run->second.bytes[address - run->first] : FillValue;
}

ODataBuffer::Piece ODataBuffer::PieceAt(Address address) const
{
    const auto run = FirstRunEndingAfter(address);
    if (run != runs_.end() && run->first <= address)
        return Piece{run->first, run->first + run->second.length, run->second.bytes};
    Address base = address - address % BlockSize;
    Address end = base + BlockSize;
    if (run != runs_.end())
        end = std::min(end, run->first);
    if (run != runs_.begin())
        base = std::max(base, std::prev(run)->first + std::prev(run)->second.length);
    return Piece{base, end, kErasedBlock.data()};
}

void ODataBuffer::CopyOut(Address address, Address count, uint8_t* out) const
{
    ForEachSpan(address, count, [&out](const uint8_t* bytes, Address n) {
        if (bytes)
            std::memcpy(out, bytes, size_t(n));
        else
            std::memset(out, FillValue, size_t(n));
        out += n;
    });
}

template <class Store, class Byte>
void ODataBuffer::PutRun(Address count, Store store, Byte byte)
{
    Address done = 0;
    while (done < count) {
        // Select finds the place exactly as Put's two paths together do.
        uint8_t* at = Select(position_, count - done);
        if (!at)
            break;
        const Address room = currentBase_ + Address(currentLength_) - position_;
        const Address n = std::min(count - done, room);
        store(at, done, n);
        done += n;
        position_ += n;
        if (position_ - start_ > size_)
            size_ = position_ - start_;
    }
    // An unreachable address or memory that cannot be had: the byte calls
    // decide where the rest goes, or that it goes nowhere.
    for (; done < count; ++done)
        Put(byte(done));
}

void ODataBuffer::PutBlockSlow(const uint8_t* bytes, Address count)
{
    PutRun(
        count, [bytes](uint8_t* at, Address done, Address n) { std::memcpy(at, bytes + done, size_t(n)); },
        [bytes](Address i) { return bytes[i]; });
}

void ODataBuffer::PutFill(uint8_t value, Address count)
{
    if (value != FillValue || count <= 0 || position_ < 0 || position_ > End() ||
        position_ + count > AddressLimit) {
        PutRun(
            count, [value](uint8_t* at, Address, Address n) { std::memset(at, value, size_t(n)); },
            [value](Address) { return value; });
        return;
    }
    // Erasing: gaps stay without memory, runs erased whole are given back,
    // and the window and position end where Put would leave them.
    const Address first = position_;
    const Address end = first + count;
    DropCurrent();
    auto run = runs_.upper_bound(first);
    if (run != runs_.begin() && std::prev(run)->first + std::prev(run)->second.length > first)
        --run;
    while (run != runs_.end() && run->first < end) {
        const Address base = run->first;
        const Address stop = base + run->second.length;
        if (first <= base && stop <= end) {
            Release(run->second);
            run = runs_.erase(run);
            continue;
        }
        const Address from = std::max(first, base);
        std::memset(run->second.bytes + (from - base), FillValue, size_t(std::min(end, stop) - from));
        ++run;
    }
    position_ = end;
    if (position_ - start_ > size_)
        size_ = position_ - start_;
}

Address ODataBuffer::SkipErasedForward(Address p, int32_t compared) const
{
    const auto run = FirstRunEndingAfter(p);
    if (run == runs_.end())
        return AddressLimit;
    if (run->first <= p + compared - 1)
        return p;
    return std::max(p, run->first - (compared - 1));
}

Address ODataBuffer::SkipErasedBackward(Address p, int32_t compared) const
{
    const auto run = FirstRunEndingAfter(p);
    if (run != runs_.end() && run->first <= p + compared - 1)
        return p;
    if (run == runs_.begin())
        return -1;
    const auto before = std::prev(run);
    return std::min(p, before->first + before->second.length - 1);
}

Address ODataBuffer::FindFlat(Address first, Address last, const Matcher& matcher, bool forward) const
{
    // Candidates first..last, each needing `compared` bytes, are searched a
    // stretch at a time, so a long pattern never copies the whole window.
    constexpr Address kStretch = Address{1} << 20;
    const bool skip = !matcher.erasedPattern();
    std::vector<uint8_t> pattern(matcher.bytes, matcher.bytes + matcher.compared);
    if (!forward)
        std::reverse(pattern.begin(), pattern.end());
    std::vector<uint8_t> text;
    Address p = forward ? first : last;
    while (forward ? p <= last : p >= first) {
        if (skip)
            p = forward ? SkipErasedForward(p, matcher.compared) : SkipErasedBackward(p, matcher.compared);
        if (forward ? p > last : p < first)
            break;
        const Address lo = forward ? p : std::max(first, p - kStretch + 1);
        const Address hi = forward ? std::min(last, p + kStretch - 1) : p;
        const size_t n = size_t(hi - lo) + size_t(matcher.compared);
        try {
            text.resize(n);
        } catch (const std::bad_alloc&) {
            return -1;
        }
        CopyOut(lo, Address(n), text.data());
        if (!matcher.exact)
            std::transform(text.begin(), text.end(), text.begin(), fold);
        // Searching the reversed text for the reversed pattern finds the
        // highest match first, with the same linear-time search.
        if (!forward)
            std::reverse(text.begin(), text.end());
        for (size_t from = 0; from < n;) {
            const void* hit = memmem(text.data() + from, n - from, pattern.data(), pattern.size());
            if (!hit)
                break;
            const size_t offset = size_t(static_cast<const uint8_t*>(hit) - text.data());
            const Address address = forward ? lo + Address(offset) : hi - Address(offset);
            if (matcher.accepts(address))
                return address;
            from = offset + 1;
        }
        p = forward ? hi + 1 : lo - 1;
    }
    return -1;
}

Address ODataBuffer::FindForward(Address from, const uint8_t* pattern, bool exact, int32_t length,
                                 bool wholeWords, Address below)
{
    if (!pattern || length < 1 || length > size_)
        return -1;
    const Address first = std::max<Address>(from, 0);
    const Address last = below == kNoAddress ? End() - length : std::min(End() - length, below);
    if (first > last)
        return -1;
    const Matcher matcher(*this, pattern, length, exact, wholeWords);
    if (length > kInPlaceLimit)
        return FindFlat(first, last, matcher, true);

    // Candidates whose match lies inside one run (or gap) are scanned where
    // they are; those crossing into the next are scanned in a seam made of
    // the piece's last bytes and the next one's first bytes. Gaps between
    // runs are stepped over when they cannot hold a match.
    const bool skip = !matcher.erasedPattern();
    std::vector<uint8_t> seam(size_t(2 * length));
    Address p = first;
    while (p <= last) {
        if (skip && (p = SkipErasedForward(p, matcher.compared)) > last)
            break;
        const Piece piece = PieceAt(p);
        Address q = std::min(last, piece.end - length);
        if (p <= q) {
            int32_t hit = matcher.scanForward(piece.bytes + (p - piece.base), int32_t(q - p + 1), p, piece.bytes,
                                              piece.bytes + (piece.end - piece.base));
            if (hit >= 0)
                return p + hit;
            p = q + 1;
        }
        q = std::min(last, piece.end - 1);
        if (p <= q) {
            CopyOut(p, q - p + length, seam.data());
            int32_t hit = matcher.scanForward(seam.data(), int32_t(q - p + 1), p);
            if (hit >= 0)
                return p + hit;
            p = q + 1;
        }
    }
    return -1;
}

Address ODataBuffer::FindBackward(Address from, const uint8_t* pattern, bool exact, int32_t length,
                                  bool wholeWords, Address above)
{
    if (!pattern || length < 1 || length > size_ || from < 0)
        return -1;
    // Every candidate, also one crossing a seam, ends at or before `from`.
    const Address first = std::max(start_, above);
    const Address matchEnd = std::min<Address>(End(), from + 1);
    const Address last = matchEnd - length;
    if (last < first)
        return -1;
    const Matcher matcher(*this, pattern, length, exact, wholeWords);
    if (length > kInPlaceLimit)
        return FindFlat(first, last, matcher, false);

    const bool skip = !matcher.erasedPattern();
    std::vector<uint8_t> seam(size_t(2 * length));
    Address p = last;
    while (p >= first) {
        if (skip && (p = SkipErasedBackward(p, matcher.compared)) < first)
            break;
        const Piece piece = PieceAt(p);
        Address q = std::max(first, piece.end - length + 1);
        if (q <= p) {
            CopyOut(q, p - q + length, seam.data());
            int32_t hit = matcher.scanBackward(seam.data(), int32_t(p - q + 1), q);
            if (hit >= 0)
                return q + hit;
            p = q - 1;
        }
        q = std::max(first, piece.base);
        if (q <= p) {
            int32_t hit = matcher.scanBackward(piece.bytes + (q - piece.base), int32_t(p - q + 1), q, piece.bytes,
                                               piece.bytes + (piece.end - piece.base));
            if (hit >= 0)
                return q + hit;
            p = q - 1;
        }
    }
    return -1;
}
