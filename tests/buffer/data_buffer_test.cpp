#include "buffer/data_buffer.h"

#include <gtest/gtest.h>

#include <cctype>
#include <climits>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int32_t kBlock = ODataBuffer::BlockSize;
constexpr Address kLimit = ODataBuffer::AddressLimit;

void putAt(ODataBuffer& buffer, int32_t address, const std::string& bytes)
{
    ASSERT_TRUE(buffer.SetPosition(address));
    for (char c : bytes)
        buffer.Put(uint8_t(c));
}

int32_t forward(ODataBuffer& buffer, int32_t from, const std::string& pattern, bool exact = true,
                bool wholeWords = false)
{
    return buffer.FindForward(from, reinterpret_cast<const uint8_t*>(pattern.data()), exact,
                              int32_t(pattern.size()), wholeWords);
}

int32_t backward(ODataBuffer& buffer, int32_t from, const std::string& pattern, bool exact = true,
                 bool wholeWords = false)
{
    return buffer.FindBackward(from, reinterpret_cast<const uint8_t*>(pattern.data()), exact,
                               int32_t(pattern.size()), wholeWords);
}

TEST(DataBuffer, WindowGrowsUpwardsAndDownwards)
{
    ODataBuffer buffer;
    EXPECT_EQ(buffer.Start(), 0);
    EXPECT_EQ(buffer.Size(), 0);
    buffer.Put(0x12);
    EXPECT_EQ(buffer.Start(), 0);
    EXPECT_EQ(buffer.Size(), 1);

    ODataBuffer b;
    putAt(b, 0x1000, "abc");
    EXPECT_EQ(b.Start(), 0x1000);
    EXPECT_EQ(b.Size(), 3);
    ASSERT_TRUE(b.SetPosition(0x0FF0));
    EXPECT_EQ(b.Start(), 0x0FF0);
    EXPECT_EQ(b.Size(), 19);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(b.Get(), 0xFF);
    EXPECT_EQ(b.Get(), 'a');

    // Moving past End stretches the window without writing anything.
    ASSERT_TRUE(b.SetPosition(0x2000));
    EXPECT_EQ(b.End(), 0x2000);
    EXPECT_EQ(b.BlockCount(), 1);

    // Put at End appends; Put below start only stores (SetPosition widened).
    b.Put('z');
    EXPECT_EQ(b.End(), 0x2001);
    ASSERT_TRUE(b.SetPosition(0x0F00));
    EXPECT_EQ(b.Start(), 0x0F00);
    b.Put('y');
    EXPECT_EQ(b.Start(), 0x0F00);
    EXPECT_EQ(b.At(0x0F00), 'y');
    EXPECT_EQ(b.Position(), 0x0F01);
}

TEST(DataBuffer, AtWidensTheWindowEitherWay)
{
    ODataBuffer buffer;
    putAt(buffer, 100, "x");
    buffer.At(110) = 7;
    EXPECT_EQ(buffer.Start(), 100);
    EXPECT_EQ(buffer.Size(), 11);
    EXPECT_EQ(buffer.At(50), 0xFF);
    EXPECT_EQ(buffer.Start(), 50);
    EXPECT_EQ(buffer.End(), 111);
    EXPECT_EQ(buffer.At(110), 7);
    EXPECT_EQ(buffer.Position(), 101);
}

TEST(DataBuffer, BytesEitherSideOfABlockBorder)
{
    ODataBuffer buffer;
    putAt(buffer, kBlock - 1, "AB");
    EXPECT_EQ(buffer.BlockCount(), 2);
    EXPECT_EQ(buffer.At(kBlock - 1), 'A');
    EXPECT_EQ(buffer.At(kBlock), 'B');
    buffer.At(kBlock - 1) = 'C';
    ASSERT_TRUE(buffer.SetPosition(kBlock - 1));
    EXPECT_EQ(buffer.Get(), 'C');
    EXPECT_EQ(buffer.Get(), 'B');
    uint8_t byte = 0;
    buffer.SetPosition(kBlock - 1);
    buffer.Read(byte);
    EXPECT_EQ(byte, 'C');
    buffer.Read(byte);
    EXPECT_EQ(byte, 'B');
    EXPECT_EQ(buffer.Position(), kBlock + 1);
}

TEST(DataBuffer, AddressesOutsideTheSpaceAreRefused)
{
    ODataBuffer buffer;
    EXPECT_FALSE(buffer.SetPosition(kLimit));
    EXPECT_FALSE(buffer.SetPosition(-1));
    EXPECT_FALSE(buffer.SetPosition(INT_MIN));
    EXPECT_FALSE(buffer.SetPosition(INT64_MAX));
    EXPECT_EQ(buffer.Start(), 0);
    EXPECT_EQ(buffer.Position(), 0);

    putAt(buffer, 0x10, "q");
    for (Address address : {Address{-1}, Address{INT_MIN}, kLimit, Address{INT64_MAX}}) {
        uint8_t& spare = buffer.At(address);
        EXPECT_EQ(spare, 0xFF) << address;
        spare = 0;  // lost
    }
    EXPECT_EQ(buffer.At(-5), 0xFF);
    EXPECT_EQ(buffer.Start(), 0x10);
    EXPECT_EQ(buffer.Size(), 1);
}

TEST(DataBuffer, TheHighestAddressIsTheLastOne)
{
    ODataBuffer buffer;
    ASSERT_TRUE(buffer.SetPosition(kLimit - 1));
    buffer.Put(0x5A);
    EXPECT_EQ(buffer.Position(), kLimit);
    EXPECT_EQ(buffer.End(), kLimit);
    // Nothing lands past the address space, and reading there stays put.
    buffer.Put(0x11);
    EXPECT_EQ(buffer.Position(), kLimit);
    EXPECT_EQ(buffer.End(), kLimit);
    EXPECT_EQ(buffer.Get(), 0xFF);
    EXPECT_EQ(buffer.Get(), 0xFF);
    EXPECT_EQ(buffer.Position(), kLimit);
    uint8_t byte = 0;
    buffer.Read(byte);
    EXPECT_EQ(byte, 0xFF);
    EXPECT_EQ(buffer.Position(), kLimit);
    EXPECT_EQ(buffer.At(kLimit - 1), 0x5A);
}

TEST(DataBuffer, AddressesPastEndAreUnreachable)
{
    ODataBuffer buffer;
    putAt(buffer, 0, "abc");
    putAt(buffer, 2 * kBlock, "z");
    ASSERT_TRUE(buffer.SetPosition(2 * kBlock));
    buffer.SetWindow(0, 2);
    EXPECT_EQ(buffer.At(1), 'b');

    uint8_t byte = 0;
    buffer.Read(byte);
    EXPECT_EQ(byte, 0xFF);
    EXPECT_EQ(buffer.Position(), 2 * kBlock);
    buffer.Put('!');
    EXPECT_EQ(buffer.Position(), 2 * kBlock);
    EXPECT_EQ(buffer.End(), 3);
    EXPECT_EQ(buffer.Get(), 0xFF);
    EXPECT_EQ(buffer.Position(), 2 * kBlock + 1);

    // The stored byte is still there once the window covers it again.
    buffer.SetWindow(0, 2 * kBlock);
    EXPECT_EQ(buffer.At(2 * kBlock), 'z');
}

TEST(DataBuffer, ReadingUntouchedRegionsTakesNoMemory)
{
    ODataBuffer buffer;
    putAt(buffer, 0, "a");
    ASSERT_TRUE(buffer.SetPosition(10 * kBlock));
    EXPECT_EQ(buffer.BlockCount(), 1);
    ASSERT_TRUE(buffer.SetPosition(0));
    uint32_t sum = 0;
    for (int32_t i = 0; i < buffer.Size(); ++i)
        sum += buffer.Get();
    EXPECT_EQ(sum, uint32_t('a') + 0xFFu * uint32_t(10 * kBlock - 1));
    EXPECT_EQ(buffer.BlockCount(), 1);
    EXPECT_EQ(forward(buffer, 0, "zz"), -1);
    EXPECT_EQ(buffer.BlockCount(), 1);

    // At obtains memory and fills it with 0xFF; Read does not.
    EXPECT_EQ(buffer.At(5 * kBlock), 0xFF);
    EXPECT_EQ(buffer.BlockCount(), 2);
    uint8_t byte = 0;
    buffer.SetPosition(7 * kBlock + 3);
    buffer.Read(byte);
    EXPECT_EQ(byte, 0xFF);
    EXPECT_EQ(buffer.Position(), 7 * kBlock + 4);
    EXPECT_EQ(buffer.BlockCount(), 2);
}

TEST(DataBuffer, SpansCoverEveryAddressAndMergeUntouchedStretches)
{
    ODataBuffer buffer;
    putAt(buffer, 5, "ab");
    putAt(buffer, 4 * kBlock + 1, "c");
    std::vector<std::pair<bool, Address>> spans;
    std::string stored;
    buffer.ForEachSpan(3, 4 * kBlock, [&](const uint8_t* bytes, Address n) {
        spans.emplace_back(bytes != nullptr, n);
        if (bytes)
            stored.append(reinterpret_cast<const char*>(bytes), size_t(n));
    });
    // The first 64-byte line from 3, everything up to the second write as
    // one gap, then that write's line up to the end of the range.
    ASSERT_EQ(spans.size(), 3u);
    EXPECT_EQ(spans[0], std::make_pair(true, Address(64 - 3)));
    EXPECT_EQ(spans[1], std::make_pair(false, Address(4 * kBlock - 64)));
    EXPECT_EQ(spans[2], std::make_pair(true, Address(3)));
    EXPECT_EQ(stored.substr(2, 2), "ab");
    EXPECT_EQ(stored.substr(stored.size() - 2), "c\xFF");
}

TEST(DataBuffer, SetWindowMovesTheWindowButNoData)
{
    ODataBuffer buffer;
    putAt(buffer, 0x100, "data");
    buffer.SetWindow(0x102, 0x102);
    EXPECT_EQ(buffer.Start(), 0x102);
    EXPECT_EQ(buffer.Size(), 1);
    EXPECT_EQ(buffer.Position(), 0x104);
    buffer.SetWindow(0x100, 0x103);
    EXPECT_EQ(buffer.At(0x100), 'd');
    EXPECT_EQ(buffer.At(0x103), 'a');

    // Windows reaching outside the address space are clipped to it.
    buffer.SetWindow(INT_MIN, kLimit << 8);
    EXPECT_EQ(buffer.Start(), 0);
    EXPECT_EQ(buffer.End(), kLimit);
    buffer.SetWindow(50, 10);
    EXPECT_EQ(buffer.Start(), 50);
    EXPECT_EQ(buffer.Size(), 0);
    buffer.SetWindow(kLimit << 8, kLimit << 8);
    EXPECT_EQ(buffer.End(), kLimit);
    EXPECT_EQ(buffer.Size(), 0);
}

TEST(DataBufferSearch, PatternsAcrossABlockSeam)
{
    ODataBuffer buffer;
    putAt(buffer, 0, "start");
    putAt(buffer, kBlock - 2, "WXYZ");
    putAt(buffer, 3 * kBlock, "end");
    EXPECT_EQ(forward(buffer, 0, "WXYZ"), kBlock - 2);
    EXPECT_EQ(forward(buffer, 0, "XY"), kBlock - 1);
    EXPECT_EQ(backward(buffer, buffer.End() - 1, "WXYZ"), kBlock - 2);
    EXPECT_EQ(backward(buffer, buffer.End() - 1, "XY"), kBlock - 1);
    // From inside the last bytes of a block: only later candidates count.
    EXPECT_EQ(forward(buffer, kBlock - 2, "WXYZ"), kBlock - 2);
    EXPECT_EQ(forward(buffer, kBlock - 1, "WXYZ"), -1);
    EXPECT_EQ(forward(buffer, kBlock - 1, "XYZ"), kBlock - 1);
    // Backwards, a match must end at or before `from`, seam or not.
    EXPECT_EQ(backward(buffer, kBlock + 1, "WXYZ"), kBlock - 2);
    EXPECT_EQ(backward(buffer, kBlock, "WXYZ"), -1);
    EXPECT_EQ(backward(buffer, kBlock, "XY"), kBlock - 1);
    EXPECT_EQ(forward(buffer, 0, "end"), 3 * kBlock);
    EXPECT_EQ(backward(buffer, buffer.End() - 1, "start"), 0);
}

TEST(DataBufferSearch, MatchesStayInsideTheWindow)
{
    ODataBuffer buffer;
    putAt(buffer, 10, "abcab");
    putAt(buffer, 15, "c");
    buffer.SetWindow(10, 14);
    EXPECT_EQ(forward(buffer, 10, "b"), 11);
    EXPECT_EQ(forward(buffer, 12, "b"), 14);  // the byte at End - 1
    EXPECT_EQ(forward(buffer, 12, "abc"), -1);  // would need the byte at End
    EXPECT_EQ(backward(buffer, 100, "ab"), 13);
    EXPECT_EQ(backward(buffer, 100, "bca"), 11);
    EXPECT_EQ(backward(buffer, 13, "ab"), 10);
    EXPECT_EQ(backward(buffer, 9, "a"), -1);
    buffer.SetWindow(12, 14);
    EXPECT_EQ(backward(buffer, 14, "abc"), -1);  // would need the byte below start
}

TEST(DataBufferSearch, IgnoringCase)
{
    ODataBuffer buffer;
    putAt(buffer, 0, "xx Hello World @[`{ ");
    EXPECT_EQ(forward(buffer, 0, "hello", false), 3);
    EXPECT_EQ(forward(buffer, 0, "hello", true), -1);
    EXPECT_EQ(backward(buffer, 100, "WORLD", false), 9);
    // Only letters fold: '@' and '`', '[' and '{' differ by 0x20 too.
    EXPECT_EQ(forward(buffer, 0, "`{", false), 17);
    EXPECT_EQ(forward(buffer, 0, "@{", false), -1);
    EXPECT_EQ(forward(buffer, 0, "`[", false), -1);

    // A zero byte shared by both sides ends the comparison with a match,
    // but the whole pattern length must still fit in the window.
    ODataBuffer z;
    putAt(z, 0, std::string("ab\0cd\0e", 7));
    EXPECT_EQ(forward(z, 0, std::string("B\0XX", 4), false), 1);
    EXPECT_EQ(forward(z, 0, std::string("B\0XX", 4), true), -1);
    EXPECT_EQ(forward(z, 0, std::string("D\0zz", 4), false), -1);
    EXPECT_EQ(forward(z, 0, std::string("A\0", 2), false), -1);
    EXPECT_EQ(backward(z, 6, std::string("d\0z", 3), false), 4);
}

TEST(DataBufferSearch, BadArgumentsFindNothing)
{
    ODataBuffer buffer;
    putAt(buffer, 0, "abc");
    const uint8_t* p = reinterpret_cast<const uint8_t*>("abcd");
    for (bool exact : {true, false}) {
        EXPECT_EQ(buffer.FindForward(0, p, exact, 0), -1);
        EXPECT_EQ(buffer.FindForward(0, p, exact, -3), -1);
        EXPECT_EQ(buffer.FindForward(0, p, exact, 4), -1);
        EXPECT_EQ(buffer.FindForward(0, nullptr, exact, 1), -1);
        EXPECT_EQ(buffer.FindForward(INT_MAX, p, exact, 1), -1);
        EXPECT_EQ(buffer.FindForward(INT_MIN, p, exact, 1), 0);
        EXPECT_EQ(buffer.FindBackward(INT_MAX, p, exact, 3), 0);
        EXPECT_EQ(buffer.FindBackward(INT_MIN, p, exact, 1), -1);
        EXPECT_EQ(buffer.FindBackward(-1, p, exact, 1), -1);
        EXPECT_EQ(buffer.FindBackward(2, p, exact, 0), -1);
        EXPECT_EQ(buffer.FindBackward(2, p, exact, INT_MAX), -1);
    }
    ODataBuffer empty;
    EXPECT_EQ(empty.FindForward(0, p, true, 1), -1);
    EXPECT_EQ(empty.FindBackward(0, p, true, 1), -1);
}

// Plain definition of a match, for comparing against on random contents.
bool matchesAt(const std::vector<uint8_t>& bytes, int32_t p, const std::vector<uint8_t>& pattern, bool exact)
{
    auto fold = [](uint8_t c) { return (c >= 'A' && c <= 'Z') ? uint8_t(c + 32) : c; };
    for (size_t i = 0; i < pattern.size(); ++i) {
        uint8_t a = bytes[size_t(p) + i], b = pattern[i];
        if (exact ? a != b : fold(a) != fold(b))
            return false;
        if (!exact && a == 0)
            return true;
    }
    return true;
}

TEST(DataBufferSearch, AgreesWithAPlainScanOnRandomContents)
{
    // A small alphabet with both cases and zeros gives many partial matches,
    // and patterns are cut from the contents around the block seams.
    std::mt19937 random(97);
    const int32_t start = kBlock - 300;
    const int32_t end = 3 * kBlock + 200;
    std::vector<uint8_t> mirror(size_t(end), 0xFF);
    ODataBuffer buffer;
    ASSERT_TRUE(buffer.SetPosition(start));
    const char alphabet[] = "aAbB\0\xFF";
    for (int32_t a = start; a < end; ++a) {
        uint8_t byte = uint8_t(alphabet[random() % 6]);
        mirror[size_t(a)] = byte;
        buffer.Put(byte);
    }
    for (int round = 0; round < 400; ++round) {
        const int32_t length = int32_t(random() % 5) + 1 + (round % 50 == 0 ? 70 : 0);
        const int32_t seam = (int32_t(random() % 3) + 1) * kBlock;
        const int32_t at = seam - int32_t(random() % uint32_t(length + 2));
        std::vector<uint8_t> pattern(mirror.begin() + at, mirror.begin() + at + length);
        if (random() % 4 == 0)
            pattern.back() ^= 0x20;
        const bool exact = random() % 2;
        const int32_t from = seam - 40 + int32_t(random() % 80);

        int32_t expectForward = -1;
        for (int32_t p = std::max(from, start); p + length <= end; ++p)
            if (matchesAt(mirror, p, pattern, exact)) {
                expectForward = p;
                break;
            }
        int32_t expectBackward = -1;
        for (int32_t p = std::min(from - length + 1, end - length); p >= start; --p)
            if (matchesAt(mirror, p, pattern, exact)) {
                expectBackward = p;
                break;
            }
        EXPECT_EQ(buffer.FindForward(from, pattern.data(), exact, length), expectForward)
            << "round " << round;
        EXPECT_EQ(buffer.FindBackward(from, pattern.data(), exact, length), expectBackward)
            << "round " << round;
    }
}

} // namespace

namespace {

TEST(DataBufferSearch, WholeWordsAgreeWithAPlainScan)
{
    // Short words among blanks and underscores across two seams, with words
    // running on past both ends of the window: those outside bytes must not
    // count, the window's ends being word boundaries.
    std::mt19937 random(11);
    const int32_t first = kBlock - 700;
    const int32_t end = 3 * kBlock + 700;
    std::vector<uint8_t> mirror(size_t(end + 10), 0xFF);
    ODataBuffer buffer;
    ASSERT_TRUE(buffer.SetPosition(first - 10));
    const char alphabet[] = "abAB19 _\x80";
    for (int32_t a = first - 10; a < end + 10; ++a) {
        const uint8_t byte = uint8_t(alphabet[random() % 9]);
        mirror[size_t(a)] = byte;
        buffer.Put(byte);
    }
    // Whole words at both ends of the window, inside longer ones.
    for (const auto& [at, text] : {std::pair<int32_t, std::string>(first - 1, "bab "), {end - 3, " abb"}}) {
        buffer.SetPosition(at);
        for (char c : text) {
            mirror[size_t(buffer.Position())] = uint8_t(c);
            buffer.Put(uint8_t(c));
        }
    }
    buffer.SetWindow(first, end - 1);
    const auto word = [](uint8_t c) { return std::isalnum(c) != 0; };
    const auto wholeAt = [&](int32_t p, const std::string& pattern) {
        const int32_t n = int32_t(pattern.size());
        for (int32_t i = 0; i < n; ++i)
            if (std::tolower(mirror[size_t(p + i)]) != std::tolower(uint8_t(pattern[size_t(i)])))
                return false;
        return (p == first || !word(mirror[size_t(p - 1)])) && (p + n == end || !word(mirror[size_t(p + n)]));
    };
    for (const std::string pattern : {"a", "ab", "b1", "ab9", "A_b"}) {
        const int32_t n = int32_t(pattern.size());
        for (int32_t from : {first, first + 1, kBlock - 5, kBlock + 3, 2 * kBlock - 1, end - n, end}) {
            int32_t down = -1;
            for (int32_t p = from; p + n <= end && down < 0; ++p)
                if (wholeAt(p, pattern))
                    down = p;
            int32_t up = -1;
            for (int32_t p = std::min(from - n + 1, end - n); p >= first && up < 0; --p)
                if (wholeAt(p, pattern))
                    up = p;
            EXPECT_EQ(forward(buffer, from, pattern, false, true), down) << pattern << " from " << from;
            EXPECT_EQ(backward(buffer, from, pattern, false, true), up) << pattern << " from " << from;
        }
    }
}

} // namespace
