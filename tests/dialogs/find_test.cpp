// The search request: hex text into bytes, the pattern a request searches
// for, and the document's search with its direction, case, word and
// start-point rules.

#include "buffer/data_buffer.h"
#include "document/find_request.h"
#include "document/document_fixture.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

constexpr int32_t kSeam = ODataBuffer::BlockSize;

TEST(HexToBytes, TakesPairsOfDigitsWithBlanksBetweenThem)
{
    const struct {
        std::string text;
        std::vector<uint8_t> bytes;  // empty with ok false: -1
        bool ok;
    } cases[] = {
        {"4142", {0x41, 0x42}, true},
        {"aBcD0f", {0xAB, 0xCD, 0x0F}, true},
        {"00FF", {0x00, 0xFF}, true},
        {"", {}, true},
        {"41 42", {0x41, 0x42}, true},
        {" FF\tff  ", {0xFF, 0xFF}, true},
        {"4 142", {}, false},
        {"41-42", {}, false},
        {"414", {}, false},
        {"4G", {}, false},
        {"0x41", {}, false},
        {" 4", {}, false},
    };
    for (const auto& c : cases) {
        uint8_t pattern[8] = {};
        const int32_t count = HexToBytes(c.text, pattern, 8);
        ASSERT_EQ(count, c.ok ? int32_t(c.bytes.size()) : -1) << c.text;
        EXPECT_EQ(std::vector<uint8_t>(pattern, pattern + std::max(count, 0)), c.bytes) << c.text;
    }
    // The capacity is never overrun, however much text comes.
    uint8_t small[2] = {};
    EXPECT_EQ(HexToBytes("414243", small, 2), -1);
}

TEST(FindPattern, LengthFollowsModeAndRefusesWhatCannotBeSearched)
{
    FindRequest request;
    request.text = std::string(FindRequest::TextLimit, 'a');
    EXPECT_TRUE(PrepareFindPattern(request));
    EXPECT_EQ(request.length, FindRequest::TextLimit);

    request.hex = true;
    request.ascii = false;
    request.text.clear();
    for (int i = 0; i < 127; ++i)
        request.text += "ff";
    EXPECT_TRUE(PrepareFindPattern(request));
    EXPECT_EQ(request.length, 127);
    EXPECT_EQ(request.pattern[127], 0);

    for (const std::string& bad : {std::string(), std::string("414"), std::string(" "), std::string(FindRequest::TextLimit + 2, '0')}) {
        request.text = bad;
        EXPECT_FALSE(PrepareFindPattern(request)) << bad;
        EXPECT_LT(request.length, 1);
    }
    request.hex = false;
    request.ascii = true;
    request.text.clear();
    EXPECT_FALSE(PrepareFindPattern(request));
}

class FindTest : public DocumentTest {
protected:
    // `size` bytes of `fill` with the given texts placed at their addresses.
    std::unique_ptr<OBufferDocument> Load(int32_t size, char fill,
                                          const std::vector<std::pair<int32_t, std::string>>& texts)
    {
        std::vector<uint8_t> bytes(static_cast<size_t>(size), static_cast<uint8_t>(fill));
        for (const auto& [address, text] : texts)
            std::copy(text.begin(), text.end(), bytes.begin() + address);
        return LoadBytes(bytes);
    }
};

TEST_F(FindTest, DirectionCaseWordsAndTheStartingPoint)
{
    enum : unsigned { Up = 1, Hex = 2, Words = 4, Case = 8 };
    const int32_t big = kSeam + 4000;
    const std::string dense = [] {
        std::string text;
        while (text.size() < 3000)
            text += "cab";
        return text;
    }();
    const std::string longWord(70, 'q');
    const struct {
        const char* name;
        int32_t size;
        std::vector<std::pair<int32_t, std::string>> texts;
        std::string typed;
        unsigned options;
        int32_t from;  // -1: the buffer's end
        int32_t found;
    } cases[] = {
        {"case folded", 5, {{0, "xABCx"}}, "abc", 0, 0, 1},
        {"case kept", 5, {{0, "xABCx"}}, "abc", Case, 0, -1},
        {"hex", 0x40, {{0x10, "AB"}, {0x30, "AB"}}, "4142", Hex, 0, 0x10},
        {"hit at the start point is passed", 0x40, {{0x10, "AB"}, {0x30, "AB"}}, "4142", Hex, 0x10, 0x30},
        {"up: a match ending at the start point", 0x40, {{0x10, "AB"}, {0x1F, "AB"}}, "ab", Up, 0x20, 0x1F},
        {"up moves on", 0x40, {{0x10, "AB"}, {0x1F, "AB"}}, "ab", Up, 0x1F, 0x10},
        {"up, one byte at the start point", 8, {{2, "z"}, {5, "z"}}, "z", Up, 5, 2},
        {"last byte", 0x40, {{0x3F, "z"}}, "z", 0, 0, 0x3F},
        {"nothing beyond the end", 0x40, {{0x3F, "z"}}, "z!", 0, 0, -1},
        {"longer than the buffer", 3, {{0, "abc"}}, "abcd", 0, 0, -1},
        {"start point beyond the end", 8, {{0, "ab"}}, "ab", 0, 9, -1},
        {"start point below the start", 8, {{0, "ab"}}, "ab", Up, -2, -1},
        {"word at the start", 5, {{0, "ab cd"}}, "ab", Up | Words, -1, 0},
        {"word inside a word", 4, {{0, "cabd"}}, "ab", Words, 0, -1},
        {"word at the end", 7, {{0, "cabd ab"}}, "ab", Words, 0, 5},
        {"words ignored for hex", 4, {{0, "cabd"}}, "6162", Hex | Words, 0, 1},
        {"underscore and high bytes are not letters", 8, {{0, "_ab\xE9"}}, "ab", Words, 0, 1},
        {"seam down", big, {{kSeam - 1, "AB"}}, "ab", 0, 0, kSeam - 1},
        {"seam up", big, {{kSeam - 1, "AB"}}, "ab", Up, -1, kSeam - 1},
        {"seam up, ending at the start point", big, {{kSeam - 1, "AB"}}, "ab", Up, kSeam, kSeam - 1},
        {"word across the seam, down", big, {{kSeam - 1000, dense}, {kSeam - 2, " ab "}}, "ab", Words, 0,
         kSeam - 1},
        {"word across the seam, up", big, {{kSeam - 2, " ab "}, {kSeam + 2, dense.substr(0, 60)}}, "ab",
         Up | Words, -1, kSeam - 1},
        {"dense partial words", 3003, {{0, dense}}, "ab", Words, 0, -1},
        {"long word", 200, {{0, "y" + longWord + " " + longWord + " "}}, longWord, Words, 0, 72},
    };
    for (const auto& c : cases) {
        auto doc = Load(c.size, '.', c.texts);
        FindRequest request;
        request.text = c.typed;
        request.up = c.options & Up;
        request.down = !request.up;
        request.hex = c.options & Hex;
        request.ascii = !request.hex;
        request.wholeWords = c.options & Words;
        request.matchCase = c.options & Case;
        ASSERT_TRUE(PrepareFindPattern(request)) << c.name;
        const int32_t from = c.from == -1 ? doc->End() : c.from;
        EXPECT_EQ(doc->Find(request, from), c.found) << c.name;
    }
}

} // namespace
