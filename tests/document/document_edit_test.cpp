#include "document/find_request.h"
#include "document/document_fixture.h"

#include <algorithm>

using Bytes = std::vector<uint8_t>;

namespace {
uint32_t SumOf(const Bytes& bytes)
{
    uint32_t sum = 0;
    for (uint8_t b : bytes)
        sum += b;
    return sum;
}

Bytes Counting(size_t n)
{
    Bytes bytes(n);
    for (size_t i = 0; i < n; ++i)
        bytes[i] = static_cast<uint8_t>(i * 7 + 1);
    return bytes;
}
} // namespace

TEST_F(DocumentTest, ByteEditAndUndoReturnToAClean16ByteDocument)
{
    auto doc = LoadBytes(Counting(16));
    doc->WriteByte(0xAA, 5);
    EXPECT_TRUE(doc->IsDirty());
    EXPECT_TRUE(doc->CanUndo());
    doc->WriteByte(0xBB, 16); // at End: grows by one
    EXPECT_EQ(doc->Size(), 17);
    EXPECT_EQ(doc->Journal().Count(), 3);

    EXPECT_EQ(doc->Undo(), 16);
    EXPECT_EQ(doc->Size(), 16);
    EXPECT_TRUE(doc->IsDirty());
    EXPECT_EQ(doc->Undo(), 5);
    EXPECT_EQ(Window(*doc), Counting(16));
    EXPECT_FALSE(doc->IsDirty());
    EXPECT_FALSE(doc->CanUndo());
    EXPECT_EQ(doc->Undo(), -1);
}

TEST_F(DocumentTest, FillIsLimitedToTheWindowAndWidensOnlyDownwards)
{
    auto doc = LoadBytes(Counting(0x18));
    doc->Fill(0x10, 0x20, 0x55);
    EXPECT_EQ(doc->Size(), 0x18);
    EXPECT_EQ(doc->ReadByte(0x0F), Counting(0x18)[0x0F]);
    EXPECT_EQ(doc->ReadByte(0x17), 0x55);
    ASSERT_EQ(doc->Journal().Count(), 1);
    EXPECT_EQ(doc->Journal().At(0).size, 8);

    // A fill wholly past End leaves one empty entry and the window alone.
    doc->Fill(0x40, 0x50, 0x66);
    EXPECT_EQ(doc->Size(), 0x18);
    EXPECT_EQ(doc->Journal().Count(), 2);
    EXPECT_EQ(doc->Journal().At(1).size, 0);
    doc->Undo();
    doc->Undo();
    EXPECT_EQ(Window(*doc), Counting(0x18));
    EXPECT_FALSE(doc->IsDirty());
}

TEST_F(DocumentTest, ResizeErasesCutOffBytesAndUndoesInOneStep)
{
    auto doc = LoadBytes(Counting(0x200));
    doc->Resize(0x100, 0x17F);
    EXPECT_EQ(doc->Start(), 0x100);
    EXPECT_EQ(doc->End(), 0x180);
    EXPECT_EQ(doc->Journal().Count(), 3);

    // Growing back shows the cut-off bytes erased.
    doc->Resize(0, 0x1FF);
    EXPECT_EQ(doc->ReadByte(0), 0xFF);
    EXPECT_EQ(doc->ReadByte(0x1FF), 0xFF);
    EXPECT_EQ(doc->ReadByte(0x100), Counting(0x200)[0x100]);
    EXPECT_EQ(doc->Journal().Count(), 6);
    EXPECT_EQ(doc->Journal().At(3).kind, ukPlaceholder);
    EXPECT_EQ(doc->Journal().At(4).kind, ukPlaceholder);

    EXPECT_EQ(doc->Undo(), 1);
    EXPECT_EQ(doc->Start(), 0x100);
    EXPECT_EQ(doc->Size(), 0x80);
    EXPECT_EQ(doc->Undo(), 1);
    EXPECT_EQ(doc->Start(), 0);
    EXPECT_EQ(Window(*doc), Counting(0x200));
    EXPECT_FALSE(doc->IsDirty());
}

TEST_F(DocumentTest, ResizeBelowOrAboveTheWindowLeavesThreeEntries)
{
    auto doc = MakeDocument("ext");
    ASSERT_TRUE(doc->Open(dir.Write("w.int", IntelData(0x100, Counting(16)) + IntelData(0x1F0, Counting(16)) + IntelEnd())));
    const Bytes original = Window(*doc);
    doc->Resize(0x10, 0x20);
    EXPECT_EQ(doc->Journal().Count(), 3);
    EXPECT_EQ(doc->Start(), 0x10);
    EXPECT_EQ(doc->End(), 0x21);
    doc->Resize(0x400, 0x40F);
    EXPECT_EQ(doc->Journal().Count(), 6);
    doc->Undo();
    EXPECT_EQ(doc->Undo(), 1);
    EXPECT_EQ(doc->Start(), 0x100);
    EXPECT_EQ(Window(*doc), original);
    EXPECT_FALSE(doc->IsDirty());
}

TEST_F(DocumentTest, UndoAcrossWindowChangesRestoresEveryStep)
{
    auto doc = LoadBytes(Counting(0x40));
    const Bytes original = Counting(0x40);
    uint8_t block[] = {1, 2, 3, 4};
    doc->WriteBlock(block, 0x3E, 4);  // runs past End
    EXPECT_EQ(doc->End(), 0x42);
    doc->Resize(0x20, 0x80);          // shrinks below, grows above
    doc->WriteByte(0x99, 0x10);       // below Start: widens downwards
    EXPECT_EQ(doc->Start(), 0x10);
    doc->Fill(0, 0x30, 0x00);         // below Start again
    EXPECT_EQ(doc->Start(), 0);
    doc->Resize(0, 0x3F);

    int steps = 0;
    while (doc->CanUndo() && steps < 20) {
        doc->Undo();
        ++steps;
    }
    EXPECT_EQ(steps, 5);
    EXPECT_EQ(doc->Start(), 0);
    EXPECT_EQ(Window(*doc), original);
    EXPECT_FALSE(doc->IsDirty());
}

TEST_F(DocumentTest, LargeEditsRunBusyAndKeepTheInterfaceResponsive)
{
    auto doc = LoadBytes(Bytes(5000, 0));
    host.busyWindowShows = 0;
    host.eventSteps = 0;
    bool refused = false;
    host.onEvents = [&] {
        if (doc->IsBusy() && !refused)
            refused = !doc->CanClose();
    };
    doc->Fill(0, 3999, 0x12);
    EXPECT_TRUE(refused);
    EXPECT_EQ(host.busyWindowShows, 1);
    EXPECT_GE(host.eventSteps, 40);
    ASSERT_FALSE(host.messages.empty());
    EXPECT_EQ(host.messages[0].text, "Buffer cannot close while data is being processed.");
    EXPECT_EQ(host.messages[0].caption, "image.hex");
    EXPECT_FALSE(doc->IsBusy());

    host.onEvents = nullptr;
    doc->Undo();
    EXPECT_EQ(host.busyWindowShows, 2);
    EXPECT_EQ(doc->ReadByte(3999), 0);

    host.busyWindowShows = 0;
    doc->Fill(0, 1024, 0x12); // exactly 1,024 apart: not a long operation
    EXPECT_EQ(host.busyWindowShows, 0);
}

TEST_F(DocumentTest, SumCheckFollowsTheOption)
{
    Bytes bytes = Counting(300);
    auto doc = LoadBytes(bytes);
    EXPECT_EQ(doc->Sum(), 0u); // option off: never summed
    EXPECT_EQ(doc->SumWindow(), SumOf(bytes));

    // Off: byte edits still adjust the sum, block edits do not.
    doc->WriteByte(10, 0);
    EXPECT_EQ(doc->Sum(), uint32_t(10 - bytes[0]));
    doc->Fill(0, 9, 0);
    EXPECT_EQ(doc->Sum(), uint32_t(10 - bytes[0]));

    WriteSettings("[Settings]\nsumcheck=1\n");
    doc->ReloadSettings();
    EXPECT_EQ(doc->Sum(), doc->SumWindow());
    doc->Fill(5, 200, 0xEE);
    EXPECT_EQ(doc->Sum(), doc->SumWindow());
    uint8_t block[] = {0, 0, 0};
    doc->WriteBlock(block, 299, 3);
    EXPECT_EQ(doc->Sum(), doc->SumWindow());
    doc->Resize(100, 150);
    EXPECT_EQ(doc->Sum(), doc->SumWindow());
    while (doc->CanUndo()) {
        doc->Undo();
        EXPECT_EQ(doc->Sum(), doc->SumWindow());
    }
    EXPECT_EQ(doc->Sum(), SumOf(bytes));
}

TEST_F(DocumentTest, OptionsChangeOnlyWhenReloaded)
{
    auto doc = LoadBytes(Counting(64));
    WriteSettings("[SETTINGS]\nSumCheck = 1\nundo=0\n");
    // The file alone changes nothing: the options were read when the document was made.
    doc->Fill(0, 3, 0);
    EXPECT_EQ(doc->Sum(), 0u);
    EXPECT_EQ(doc->Journal().Count(), 1);
    EXPECT_TRUE(doc->CanUndo());

    doc->ReloadSettings();
    EXPECT_EQ(doc->Sum(), doc->SumWindow());
    EXPECT_FALSE(doc->CanUndo());
    doc->WriteByte(1, 1);
    EXPECT_EQ(doc->Journal().Count(), 1);
    EXPECT_EQ(doc->Sum(), doc->SumWindow());
}

TEST_F(DocumentTest, UndoOptionOffRecordsNothingAndKeepsTheJournal)
{
    auto doc = LoadBytes(Counting(32));
    doc->WriteByte(1, 1);
    WriteSettings("[Settings]\nundo=0\n");
    doc->ReloadSettings();
    doc->WriteByte(2, 2);
    EXPECT_FALSE(doc->CanUndo());
    EXPECT_EQ(doc->Undo(), -1);
    EXPECT_EQ(doc->Journal().Count(), 1);
    WriteSettings("[Settings]\nundo=1\n");
    doc->ReloadSettings();
    EXPECT_TRUE(doc->CanUndo());
    EXPECT_EQ(doc->Undo(), 1);
}

// What the user does while an operation runs reaches the document only
// through the host's event step; every such step must find it busy.
TEST_F(DocumentTest, EventsAreHandledOnlyWhileBusy)
{
    WriteSettings("[Settings]\nsumcheck=1\n");
    auto doc = LoadBytes(Counting(3000));
    int unguarded = 0;
    host.onEvents = [&] {
        if (!doc->IsBusy())
            ++unguarded;
    };
    doc->Fill(0, 500, 1);  // short: its undo copy passes address 0
    doc->Undo();           // short block restore with the sum check on
    doc->Fill(0, 2000, 2); // long
    doc->Undo();
    doc->CopyBlock(0, 300);
    uint8_t block[200] = {};
    doc->WriteBlock(block, 100, 200);
    doc->Resize(100, 2999);
    doc->Undo();
    doc->InsertFile(0x10, dir.Write("i.hex", PlainHex(Counting(2000))));
    doc->SetPath(dir.File("o.hex"));
    EXPECT_TRUE(doc->Commit(true));
    EXPECT_GT(host.eventSteps, 0);
    EXPECT_EQ(unguarded, 0);
}

TEST_F(DocumentTest, SettingsChangedDuringALongFillWaitForItsEnd)
{
    auto doc = LoadBytes(Counting(5000));
    bool changed = false;
    int busySteps = 0;
    host.onEvents = [&] {
        // Past the undo copy, in the middle of the filling itself.
        if (doc->IsBusy() && ++busySteps == 45) {
            changed = true;
            WriteSettings("[Settings]\nsumcheck=1\n");
            doc->ReloadSettings();
        }
    };
    doc->Fill(1000, 3999, 0x22);
    host.onEvents = nullptr;
    ASSERT_TRUE(changed);
    EXPECT_EQ(doc->Start(), 0);
    EXPECT_EQ(doc->Size(), 5000);
    Bytes expected = Counting(5000);
    std::fill(expected.begin() + 1000, expected.begin() + 4000, 0x22);
    EXPECT_EQ(Window(*doc), expected);
    EXPECT_TRUE(doc->SumCheckOption());
    EXPECT_EQ(doc->Sum(), SumOf(expected));
}

TEST_F(DocumentTest, SettingsNotificationAndCopyBlock)
{
    struct Log : DocumentObserver {
        std::vector<int> seen;
        void DocumentNotify(OBufferDocument&, int n, Address) override { seen.push_back(n); }
    } log;
    auto doc = LoadBytes(Counting(8));
    doc->AddObserver(&log);
    doc->ReloadSettings();
    EXPECT_EQ(log.seen, std::vector<int>{vnSettings});
    auto copy = doc->CopyBlock(2, 4);
    ASSERT_TRUE(copy);
    EXPECT_EQ(*copy, (Bytes{Counting(8)[2], Counting(8)[3], Counting(8)[4], 0}));
    doc->RemoveObserver(&log);
}

TEST_F(DocumentTest, AnObserverRemovedByAnotherIsNotToldAnyMore)
{
    struct Closer : DocumentObserver {
        std::unique_ptr<DocumentObserver> victim;
        void DocumentNotify(OBufferDocument& d, int, Address) override
        {
            if (victim) {
                d.RemoveObserver(victim.get());
                victim.reset();
            }
        }
    };
    struct Counter : DocumentObserver {
        int* told;
        explicit Counter(int* t) : told(t) {}
        void DocumentNotify(OBufferDocument&, int, Address) override { ++*told; }
    };
    auto doc = LoadBytes(Counting(8));
    int told = 0;
    Closer closer;
    closer.victim = std::make_unique<Counter>(&told);
    doc->AddObserver(&closer);
    doc->AddObserver(closer.victim.get());
    doc->ReloadSettings();
    EXPECT_EQ(told, 0);
    doc->RemoveObserver(&closer);
}

TEST_F(DocumentTest, FindSkipsTheStartingPointAndHonoursWordBounds)
{
    std::string text = "cat scatter cat";
    auto doc = LoadBytes(Bytes(text.begin(), text.end()));
    const auto find = [&](bool matchCase, bool up, bool wholeWords, int32_t from) {
        FindRequest request;
        request.text = "CAT";
        request.length = 3;
        request.matchCase = matchCase;
        request.up = up;
        request.down = !up;
        request.wholeWords = wholeWords;
        return doc->Find(request, from);
    };
    EXPECT_EQ(find(false, false, false, 0), 5);
    EXPECT_EQ(find(false, false, true, 0), 12);
    EXPECT_EQ(find(true, false, false, 0), -1);
    EXPECT_EQ(find(false, true, false, 14), 12);
    EXPECT_EQ(find(false, true, false, 13), 5);
}

TEST_F(DocumentTest, RandomEditsUndoBackToTheOpenedDocument)
{
    WriteSettings("[Settings]\nsumcheck=1\n");
    const Bytes original = Counting(0x300);
    auto doc = LoadBytes(original);
    uint32_t seed = 12345;
    auto next = [&](uint32_t range) {
        seed = seed * 1103515245u + 12345u;
        return static_cast<int32_t>((seed >> 8) % range);
    };
    for (int round = 0; round < 3; ++round) {
        int edits = 0;
        for (; edits < 60; ++edits) {
            int32_t a = next(0x800);
            int32_t b = a + next(0x300);
            switch (next(4)) {
            case 0: doc->WriteByte(static_cast<uint8_t>(next(256)), a); break;
            case 1: {
                Bytes block(static_cast<size_t>(next(40) + 1), static_cast<uint8_t>(next(256)));
                doc->WriteBlock(block.data(), a, static_cast<int32_t>(block.size()));
                break;
            }
            case 2: doc->Fill(a - 0x100, b, static_cast<uint8_t>(next(256))); break;
            case 3: doc->Resize(a, b); break;
            }
            ASSERT_EQ(doc->Sum(), doc->SumWindow()) << "after edit " << edits;
        }
        for (int undone = 0; undone < edits; ++undone) {
            ASSERT_TRUE(doc->CanUndo());
            doc->Undo();
            ASSERT_EQ(doc->Sum(), doc->SumWindow());
        }
        EXPECT_FALSE(doc->CanUndo());
        EXPECT_FALSE(doc->IsDirty());
        EXPECT_EQ(doc->Start(), 0);
        ASSERT_EQ(Window(*doc), original);
    }
}
