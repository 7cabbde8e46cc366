#include "document/find_request.h"
#include "document/document_fixture.h"

#include <functional>

using Bytes = std::vector<uint8_t>;

namespace {
struct Snapshot {
    Address start;
    Bytes bytes;
    std::vector<AddressSet::Range> data;
    bool operator==(const Snapshot&) const = default;
};
} // namespace

// Every kind of step comes back with Redo exactly as it was made, the sum
// and the data addresses kept, and goes away again with Undo; an edit or a save ends the redo list.
TEST_F(DocumentTest, RedoReappliesEveryKindOfStep)
{
    WriteSettings("[Settings]\nsumcheck=1\n");
    const std::string insertPath = dir.Write("part.hex", IntelData(0x20, {0xC0, 0xC1}) + IntelEnd());
    struct Case {
        const char* name;
        std::function<void(OBufferDocument&)> edit;
    };
    const Case cases[] = {
        {"byte", [](OBufferDocument& d) { d.WriteByte(0xAA, 3); }},
        {"byte at End", [](OBufferDocument& d) { d.WriteByte(0xBB, 16); }},
        {"byte below Start", [](OBufferDocument& d) { d.Resize(4, 15), d.WriteByte(0xBC, 1); }},
        {"block", [](OBufferDocument& d) { const uint8_t b[3] = {1, 2, 3}; d.WriteBlock(b, 14, 3); }},
        {"fill", [](OBufferDocument& d) { d.Fill(2, 9, 0x55); }},
        {"shrink", [](OBufferDocument& d) { d.Resize(4, 11); }},
        {"grow", [](OBufferDocument& d) { d.Resize(0, 0x2F); }},
        {"insert", [&insertPath](OBufferDocument& d) { d.InsertFile(0, insertPath); }},
        {"swap", [](OBufferDocument& d) { d.SwapBytes(0, 15, 4); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto doc = LoadBytes({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15});
        auto take = [&](OBufferDocument& d) {
            EXPECT_EQ(d.Sum(), d.SumWindow());
            return Snapshot{d.Start(), Window(d), d.DataAddresses().Ranges()};
        };
        const Snapshot before = take(*doc);
        c.edit(*doc);
        const Snapshot after = take(*doc);
        const int32_t entries = doc->Journal().Count();
        EXPECT_FALSE(doc->CanRedo());
        while (doc->CanUndo())
            doc->Undo();
        EXPECT_EQ(take(*doc), before);
        EXPECT_FALSE(doc->IsDirty());
        ASSERT_TRUE(doc->CanRedo());
        while (doc->CanRedo())
            EXPECT_GE(doc->Redo(), 0);
        EXPECT_EQ(take(*doc), after);
        EXPECT_TRUE(doc->IsDirty());
        EXPECT_LE(doc->Journal().Count(), entries);
        // The redone steps undo as the first ones did.
        doc->Undo();
        doc->Redo();
        EXPECT_EQ(take(*doc), after);
        doc->Undo();
        doc->WriteByte(0x77, 0);
        EXPECT_FALSE(doc->CanRedo());
    }

    // Save empties both lists; with the undo option off Redo refuses.
    auto doc = LoadBytes({1, 2, 3});
    doc->WriteByte(9, 0);
    doc->Undo();
    ASSERT_TRUE(doc->CanRedo());
    WriteSettings("[Settings]\nundo=0\n");
    doc->ReloadSettings();
    EXPECT_FALSE(doc->CanRedo());
    EXPECT_EQ(doc->Redo(), -1);
    WriteSettings("[Settings]\nundo=1\n");
    doc->ReloadSettings();
    ASSERT_TRUE(doc->CanRedo());
    ASSERT_TRUE(doc->Commit(true));
    EXPECT_FALSE(doc->CanRedo());
}

// Replace all under the find rules: hex, case, whole words, no overlaps;
// one undo step; the replacement's length rule.
TEST_F(DocumentTest, ReplaceAllFollowsTheFindRules)
{
    struct Case {
        const char* text;
        bool hex, matchCase, words;
        const char* with;
        Address count;
        const char* result;   // the window as text afterwards
        const char* problem;  // PrepareReplacement's refusal, if any
    };
    const Case cases[] = {
        {"ab", false, false, false, "XY", 4, "XY XY.XYc XYa", nullptr},
        {"ab", false, true, false, "XY", 3, "XY AB.XYc XYa", nullptr},
        {"ab", false, false, true, "XY", 2, "XY XY.abc aba", nullptr},
        {"6161", true, false, false, "2A2A", 0, "ab AB.abc aba", nullptr},
        {"6162", true, false, false, "2A2A", 3, "** AB.**c **a", nullptr},
        {"ab", false, false, false, "XYZ", 0, nullptr,
         "The replacement must be as long as what it replaces: 2 bytes, not 3."},
        {"6162", true, false, false, "2A2", 0, nullptr, "Invalid hex string"},
    };
    const std::string start = "ab AB.abc aba";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text + std::string(" -> ") + c.with);
        auto doc = LoadBytes(Bytes(start.begin(), start.end()));
        FindRequest request;
        request.text = c.text;
        request.hex = c.hex;
        request.ascii = !c.hex;
        request.matchCase = c.matchCase;
        request.wholeWords = c.words;
        ASSERT_TRUE(PrepareFindPattern(request));
        std::vector<uint8_t> with;
        std::string problem;
        const bool ok = PrepareReplacement(request, c.with, with, problem);
        if (c.problem) {
            EXPECT_FALSE(ok);
            EXPECT_EQ(problem, c.problem);
            continue;
        }
        ASSERT_TRUE(ok);
        EXPECT_EQ(doc->ReplaceAll(request, with.data()), c.count);
        const Bytes window = Window(*doc);
        EXPECT_EQ(std::string(window.begin(), window.end()), c.result);
        EXPECT_EQ(doc->Journal().Count(), c.count > 0 ? 1 : 0);
        doc->Undo();
        EXPECT_EQ(Window(*doc), Bytes(start.begin(), start.end()));
    }
    EXPECT_EQ(ReplacedText(1), "1 match replaced");
    EXPECT_EQ(ReplacedText(10000), "10000 matches replaced");
}

// Overlay file lays a file at its own addresses; a damaged or unrecognised
// one changes nothing and says why.
TEST_F(DocumentTest, OverlayFileRefusesDamagedAndUnrecognisedFiles)
{
    struct Case {
        const char* name;
        std::string content;
        const char* message;  // part of the last message; none when laid
        Bytes window;
    };
    const Bytes base = {0, 1, 2, 3};
    const Case cases[] = {
        {"part.int", IntelData(0x06, {0xA6, 0xA7}) + IntelEnd(), nullptr, {0, 1, 2, 3, 0xFF, 0xFF, 0xA6, 0xA7}},
        {"bad.int", IntelData(0x06, {0xA6, 0xA7}).replace(9, 2, "00") + IntelEnd(), "has errors", base},
        {"notes.int", "just some words\n", "not recognised as", base},
        {"empty.int", "", "not recognised as", base},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto doc = LoadBytes(base);
        host.messages.clear();
        EXPECT_EQ(doc->OverlayFile(dir.Write(c.name, c.content), "int"), c.message == nullptr);
        EXPECT_EQ(Window(*doc), c.window);
        if (c.message) {
            ASSERT_FALSE(host.messages.empty());
            EXPECT_NE(host.messages.back().text.find(c.message), std::string::npos) << host.messages.back().text;
            EXPECT_FALSE(doc->IsDirty());
        }
    }
}
