// The store against a plain map of written bytes: random writes scattered
// over a few clusters of the address space (its two ends included), erased
// and plain fills, window changes, then reads, span walks and searches that
// must agree with the map.

#include "buffer/data_buffer.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <vector>

namespace {

constexpr Address kLimit = ODataBuffer::AddressLimit;

struct Model {
    std::map<Address, uint8_t> bytes;
    Address start = 0;
    Address size = 0;

    uint8_t Get(Address a) const
    {
        const auto it = bytes.find(a);
        return it == bytes.end() ? 0xFF : it->second;
    }
    // The window as the store widens it for a write of n bytes at `a`.
    void Reach(Address a, Address n)
    {
        if (size == 0)
            start = a;
        if (a < start) {
            size += start - a;
            start = a;
        }
        size = std::max(size, a + n - start);
    }
    Address Find(const std::vector<uint8_t>& pattern, bool forward) const
    {
        const Address n = Address(pattern.size());
        Address best = -1;
        for (const auto& [k, v] : bytes)
            for (Address p = k - n + 1; p <= k; ++p) {
                if (p < start || p + n > start + size)
                    continue;
                bool same = true;
                for (Address i = 0; i < n && same; ++i)
                    same = Get(p + i) == pattern[size_t(i)];
                if (same && (best < 0 || (forward ? p < best : p > best)))
                    best = p;
            }
        return best;
    }
};

TEST(DataBufferModel, ScatteredWritesFillsAndWindowsAgreeWithAPlainMap)
{
    for (uint32_t seed = 1; seed <= 6; ++seed) {
        std::mt19937_64 random(seed);
        auto below = [&random](Address n) { return Address(random() % uint64_t(n)); };
        const Address clusters[] = {0, 0x7FFF0000, 0x12345678 / 64 * 64, kLimit - 0x30000};
        auto address = [&] {
            const Address base = clusters[below(4)];
            // Mostly close together, now and then a whole block away.
            return std::min(kLimit - 1, base + below(below(8) == 0 ? 0x30000 : 0x2000));
        };
        ODataBuffer buffer;
        Model model;
        for (int step = 0; step < 400; ++step) {
            const Address a = address();
            const int op = int(below(10));
            if (op < 5) {
                std::vector<uint8_t> run(size_t(1 + below(op == 0 ? 700 : 40)));
                for (uint8_t& b : run)
                    b = uint8_t(below(255));
                const Address n = std::min(Address(run.size()), kLimit - a);
                ASSERT_TRUE(buffer.SetPosition(a));
                model.Reach(a, 0);
                buffer.PutBlock(run.data(), n);
                for (Address i = 0; i < n; ++i)
                    model.bytes[a + i] = run[size_t(i)];
                model.Reach(a, n);
            } else if (op < 8) {
                const uint8_t value = op == 7 ? uint8_t(0x5A) : uint8_t(0xFF);
                const Address n = std::min(1 + below(op == 5 ? 0x40000 : 200), kLimit - a);
                ASSERT_TRUE(buffer.SetPosition(a));
                model.Reach(a, 0);
                buffer.PutFill(value, n);
                for (Address i = 0; i < n; ++i)
                    if (value == 0xFF)
                        model.bytes.erase(a + i);
                    else
                        model.bytes[a + i] = value;
                model.Reach(a, n);
            } else if (op == 8) {
                const Address first = below(kLimit);
                const Address last = first + below(kLimit - first);
                buffer.SetWindow(first, last);
                model.start = first;
                model.size = last - first + 1;
            } else {
                // At widens the window without moving an empty one's start.
                buffer.At(a) = 0x3C;
                if (a >= model.start + model.size)
                    model.size = a - model.start + 1;
                model.Reach(a, 1);
                model.bytes[a] = 0x3C;
            }
            ASSERT_EQ(buffer.Start(), model.start) << seed << ":" << step << " op " << op << " at " << a;
            ASSERT_EQ(buffer.Size(), model.size) << seed << ":" << step;
        }
        ASSERT_FALSE(buffer.OutOfMemory());

        // Every written byte, its neighbours and random addresses read back.
        for (const auto& [k, v] : model.bytes)
            for (Address p : {k - 1, k, k + 1})
                if (p >= 0 && p < kLimit) {
                    ASSERT_EQ(buffer.Peek(p), model.Get(p)) << seed << " at " << p;
                }

        // Spans: consecutive, null only where nothing is written, never two
        // null spans in a row, and the bytes equal the map's.
        for (int walk = 0; walk < 20; ++walk) {
            const Address first = walk == 0 ? 0 : address();
            const Address count = walk == 0 ? kLimit : std::min(kLimit - first, 1 + below(0x40000));
            Address at = first;
            bool lastNull = false;
            buffer.ForEachSpan(first, count, [&](const uint8_t* bytes, Address n) {
                ASSERT_GT(n, 0);
                if (!bytes) {
                    ASSERT_FALSE(lastNull);
                    const auto next = model.bytes.lower_bound(at);
                    ASSERT_TRUE(next == model.bytes.end() || next->first >= at + n) << seed;
                } else {
                    ASSERT_LE(n, ODataBuffer::BlockSize);
                    for (Address i = 0; i < n; ++i)
                        ASSERT_EQ(bytes[i], model.Get(at + i)) << seed << " at " << at + i;
                }
                lastNull = !bytes;
                at += n;
            });
            ASSERT_EQ(at, first + count);
        }

        // Searches for bytes taken from the data, and for one never written.
        for (int find = 0; find < 4 && !model.bytes.empty() && model.size > 0; ++find) {
            auto it = model.bytes.begin();
            std::advance(it, below(Address(model.bytes.size())));
            std::vector<uint8_t> pattern;
            for (Address i = 0; i < 1 + below(3); ++i)
                pattern.push_back(model.Get(it->first + i));
            if (find == 3)
                pattern = {0x01, 0xFE, 0x02, 0xFD};
            const int32_t n = int32_t(pattern.size());
            EXPECT_EQ(buffer.FindForward(buffer.Start(), pattern.data(), true, n), model.Find(pattern, true)) << seed;
            EXPECT_EQ(buffer.FindBackward(buffer.End() - 1, pattern.data(), true, n), model.Find(pattern, false))
                << seed;
        }
    }

    // Memory follows the bytes: one byte in every 64 KiB takes a line each.
    ODataBuffer scattered;
    for (Address a = 0; a < kLimit; a += 0x10000) {
        ASSERT_TRUE(scattered.SetPosition(a + (a >> 16) % 0x10000));
        scattered.Put(uint8_t(a >> 16));
    }
    EXPECT_EQ(scattered.BlockCount(), 65536);
    EXPECT_EQ(scattered.StoredBytes(), 65536 * 64);
    scattered.SetPosition(0);
    scattered.PutFill(0xFF, kLimit);
    EXPECT_EQ(scattered.BlockCount(), 0);
}

} // namespace
