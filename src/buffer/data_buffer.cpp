#include "buffer/data_buffer.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <new>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// What every never-written block holds; searches read it instead of
// obtaining memory for regions nobody touched.
constexpr auto kErasedBlock = [] {
    std::array<uint8_t, ODataBuffer::BlockSize> bytes{};
    bytes.fill(ODataBuffer::FillValue);
    return bytes;
}();

// Patterns up to this length are searched in place, block by block, with
// only the seams copied. Longer ones are rare (the find dialog makes at most
// a few hundred bytes) and go through a flat copy and a linear-time search,
// so no pattern can make a search quadratic in the buffer size.
constexpr int32_t kInPlaceLimit = 64;

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
    // match lie wholly in a never-written block.
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

ODataBuffer::ODataBuffer() = default;
ODataBuffer::~ODataBuffer() = default;

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
    currentBlock_ = -1;
    current_ = nullptr;
    currentBase_ = 0;
    currentLength_ = 0;
}

std::unique_ptr<uint8_t[]>* ODataBuffer::BlockSlot(Address index)
{
    std::unique_ptr<Page>& page = pages_[index >> PageBits];
    if (!page) {
        page.reset(new (std::nothrow) Page);
        if (!page)
            return nullptr;
    }
    return &page->blocks[index & (PageBlocks - 1)];
}

void ODataBuffer::ReleaseBlock(Address index)
{
    std::unique_ptr<Page>& page = pages_[index >> PageBits];
    std::unique_ptr<uint8_t[]>& block = page->blocks[index & (PageBlocks - 1)];
    if (!block)
        return;
    if (index == currentBlock_)
        DropCurrent();
    block.reset();
    --blockCount_;
    if (--page->used == 0)
        page.reset();
}

Address ODataBuffer::NextStoredBlock(Address index) const
{
    for (index = std::max<Address>(index, 0); index < MaxBlocks;) {
        const Page* page = pages_[index >> PageBits].get();
        if (!page) {
            index = ((index >> PageBits) + 1) << PageBits;
            continue;
        }
        const Address pageEnd = std::min(MaxBlocks, ((index >> PageBits) + 1) << PageBits);
        for (; index < pageEnd; ++index)
            if (page->blocks[index & (PageBlocks - 1)])
                return index;
    }
    return MaxBlocks;
}

Address ODataBuffer::PreviousStoredBlock(Address index) const
{
    for (index = std::min(index, MaxBlocks - 1); index >= 0;) {
        const Page* page = pages_[index >> PageBits].get();
        const Address pageStart = (index >> PageBits) << PageBits;
        if (!page) {
            index = pageStart - 1;
            continue;
        }
        for (; index >= pageStart; --index)
            if (page->blocks[index & (PageBlocks - 1)])
                return index;
    }
    return -1;
}

uint8_t* ODataBuffer::Select(Address address)
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
    const Address index = address / BlockSize;
    std::unique_ptr<uint8_t[]>* slot = BlockSlot(index);
    if (slot && !*slot) {
        slot->reset(new (std::nothrow) uint8_t[BlockSize]);
        if (*slot) {
            std::memset(slot->get(), FillValue, BlockSize);
            ++blockCount_;
            ++pages_[index >> PageBits]->used;
        }
    }
    if (!slot || !*slot) {
        outOfMemory_ = true;
        DropCurrent();
        return nullptr;
    }
    currentBlock_ = index;
    current_ = slot->get();
    currentBase_ = index * BlockSize;
    currentLength_ = uint64_t(std::min<Address>(BlockSize, AddressLimit - currentBase_));
    return current_ + (address - currentBase_);
}

uint8_t ODataBuffer::GetSlow()
{
    // The position never passes AddressLimit, so it cannot run away.
    if (position_ < 0 || position_ >= AddressLimit)
        return FillValue;
    const Address address = position_++;
    // Reading never obtains memory for a block nobody wrote.
    if (!StoredBlock(address / BlockSize))
        return FillValue;
    uint8_t* byte = Select(address);
    return byte ? *byte : FillValue;
}

void ODataBuffer::ReadSlow(uint8_t& byte)
{
    uint8_t* stored = Select(position_);
    if (!stored) {
        byte = FillValue;
        return;
    }
    byte = *stored;
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

const uint8_t* ODataBuffer::BlockBytes(Address index) const
{
    const uint8_t* block = StoredBlock(index);
    return block ? block : kErasedBlock.data();
}

uint8_t ODataBuffer::Peek(Address address) const
{
    if (address < 0 || address >= AddressLimit)
        return FillValue;
    const Address index = address / BlockSize;
    const uint8_t* block = StoredBlock(index);
    return block ? block[address - index * BlockSize] : FillValue;
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
        uint8_t* at = Select(position_);
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
    // An unreachable address or a block that cannot be had: the byte calls
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
    // Erasing: blocks never written stay unobtained, blocks erased whole are
    // given back, and the window and position end where Put would leave them.
    const Address first = position_;
    const Address end = first + count;
    for (Address index = NextStoredBlock(first / BlockSize); index < MaxBlocks && index * BlockSize < end;
         index = NextStoredBlock(index + 1)) {
        const Address base = index * BlockSize;
        const Address from = std::max(first, base);
        const Address to = std::min(end, base + BlockSize);
        if (from == base && to == std::min(base + BlockSize, AddressLimit))
            ReleaseBlock(index);
        else
            std::memset(pages_[index >> PageBits]->blocks[index & (PageBlocks - 1)].get() + (from - base), FillValue,
                        size_t(to - from));
    }
    position_ = end;
    if (position_ - start_ > size_)
        size_ = position_ - start_;
}

Address ODataBuffer::SkipErasedForward(Address p, int32_t compared) const
{
    const Address index = p / BlockSize;
    if (StoredBlock(index) || StoredBlock((p + compared - 1) / BlockSize))
        return p;
    const Address next = NextStoredBlock(index + 1);
    return std::max(p, next * BlockSize - (compared - 1));
}

Address ODataBuffer::SkipErasedBackward(Address p, int32_t compared) const
{
    const Address index = p / BlockSize;
    if (StoredBlock(index) || StoredBlock((p + compared - 1) / BlockSize))
        return p;
    const Address previous = PreviousStoredBlock(index - 1);
    return previous < 0 ? -1 : std::min(p, previous * BlockSize + BlockSize - 1);
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
                                 bool wholeWords)
{
    if (!pattern || length < 1 || length > size_)
        return -1;
    const Address first = std::max<Address>(from, 0);
    const Address last = End() - length;
    if (first > last)
        return -1;
    const Matcher matcher(*this, pattern, length, exact, wholeWords);
    if (length > kInPlaceLimit)
        return FindFlat(first, last, matcher, true);

    // Candidates whose match lies inside one block are scanned where they
    // are; those crossing into the next block are scanned in a seam made of
    // the block's last bytes and the next block's first bytes. Stretches of
    // never-written blocks are stepped over when they cannot hold a match.
    const bool skip = !matcher.erasedPattern();
    std::vector<uint8_t> seam(size_t(2 * length));
    Address p = first;
    while (p <= last) {
        if (skip && (p = SkipErasedForward(p, matcher.compared)) > last)
            break;
        const Address index = p / BlockSize;
        const Address base = index * BlockSize;
        const Address blockEnd = base + BlockSize;
        Address q = std::min(last, blockEnd - length);
        if (p <= q) {
            int32_t hit = matcher.scanForward(BlockBytes(index) + (p - base), int32_t(q - p + 1), p,
                                              BlockBytes(index), BlockBytes(index) + BlockSize);
            if (hit >= 0)
                return p + hit;
            p = q + 1;
        }
        q = std::min(last, blockEnd - 1);
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
                                  bool wholeWords)
{
    if (!pattern || length < 1 || length > size_ || from < 0)
        return -1;
    // Every candidate, also one crossing a seam, ends at or before `from`.
    const Address first = start_;
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
        const Address index = p / BlockSize;
        const Address base = index * BlockSize;
        const Address blockEnd = base + BlockSize;
        Address q = std::max(first, blockEnd - length + 1);
        if (q <= p) {
            CopyOut(q, p - q + length, seam.data());
            int32_t hit = matcher.scanBackward(seam.data(), int32_t(p - q + 1), q);
            if (hit >= 0)
                return q + hit;
            p = q - 1;
        }
        q = std::max(first, base);
        if (q <= p) {
            int32_t hit = matcher.scanBackward(BlockBytes(index) + (q - base), int32_t(p - q + 1), q,
                                               BlockBytes(index), BlockBytes(index) + BlockSize);
            if (hit >= 0)
                return q + hit;
            p = q - 1;
        }
    }
    return -1;
}
