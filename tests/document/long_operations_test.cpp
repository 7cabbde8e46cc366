// Long operations the user stops: whatever the operation and wherever it
// was stopped, the document (and a saved file) is as it was before.

#include "buffer/data_buffer.h"
#include "document/find_request.h"
#include "document_fixture.h"

#include <functional>

namespace {
struct Snapshot {
    Address start, size;
    uint32_t sum;
    int32_t entries;
    bool dirty;
    std::vector<uint8_t> bytes;
    bool operator==(const Snapshot&) const = default;
};

Snapshot Take(OBufferDocument& doc)
{
    Snapshot s{doc.Start(), doc.Size(), doc.SumWindow(), doc.Journal().Count(), doc.IsDirty(), {}};
    s.bytes.resize(size_t(doc.Size()));
    doc.Data().CopyOut(doc.Start(), doc.Size(), s.bytes.data());
    return s;
}
} // namespace

TEST_F(DocumentTest, AStoppedLongOperationLeavesTheDocumentAsItWas)
{
    std::vector<uint8_t> image(0x30000);
    for (size_t i = 0; i < image.size(); ++i)
        image[i] = uint8_t(i * 7 + i / 251);
    const std::vector<uint8_t> pasted(0x28000, 0x5A);
    const struct {
        const char* name;
        std::function<void(OBufferDocument&)> run;
    } operations[] = {
        {"fill inside", [](OBufferDocument& d) { d.Fill(0x100, 0x2FF00, 0x00); }},
        {"fill below the window", [](OBufferDocument& d) { d.Fill(0, 0x2FFFF, 0x11); }},
        {"write past the end", [&](OBufferDocument& d) { d.WriteBlock(pasted.data(), 0x20000, Address(pasted.size())); }},
        {"swap", [](OBufferDocument& d) { d.SwapBytes(0x1000, 0x2FFFF, 4); }},
        {"replace all",
         [](OBufferDocument& d) {
             FindRequest request;
             request.text = "00";
             request.hex = true;
             request.ascii = false;
             PrepareFindPattern(request);
             d.ReplaceAll(request, reinterpret_cast<const uint8_t*>("\x5A"));
         }},
    };
    for (const bool undo : {true, false}) {
        WriteSettings(std::string("[Settings]\nsumcheck=1\nundo=") + (undo ? "1" : "0") + "\n");
        for (const auto& op : operations) {
            // Stopped at the first report, in the middle, or never.
            for (const int stopAt : {1, 300, -1}) {
                SCOPED_TRACE(std::string(op.name) + (undo ? " undo " : " no undo ") + std::to_string(stopAt));
                auto doc = LoadBytes(image);
                doc->Resize(0x1000, 0x2FFFF);
                doc->WriteByte(0x42, 0x1234);
                const Snapshot before = Take(*doc);
                int reports = 0;
                host.onProgress = [&](int64_t done, int64_t total) { return done <= total && ++reports != stopAt; };
                op.run(*doc);
                host.onProgress = {};
                EXPECT_EQ(doc->WasStopped(), stopAt > 0 && reports >= stopAt);
                EXPECT_EQ(Take(*doc) == before && doc->Sum() == before.sum, doc->WasStopped());
            }
        }
    }
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(DocumentTest, AStoppedCopyOrSaveGivesNothingAndKeepsTheFile)
{
    std::vector<uint8_t> image(0x20000, 0x33);
    auto doc = LoadBytes(image);
    const std::string old = ReadFileBytes(doc->Path());
    doc->WriteByte(0x44, 0x10);
    host.onProgress = [](int64_t done, int64_t) { return done < 0x8000; };
    EXPECT_FALSE(doc->CopyBlock(0, 0x1FFFF));
    EXPECT_TRUE(doc->WasStopped());
    // Copy as hex text reads in pieces and stops as Copy does.
    Address handed = 0;
    const auto piece = [&handed](Address, const uint8_t*, Address n) { handed += n; };
    EXPECT_FALSE(doc->ReadPieces(0, 0x1FFFF, piece));
    EXPECT_TRUE(doc->WasStopped());
    EXPECT_LT(handed, 0x20000);
    EXPECT_FALSE(doc->Commit());
    EXPECT_TRUE(doc->WasStopped());
    EXPECT_EQ(ReadFileBytes(doc->Path()), old);
    EXPECT_TRUE(doc->IsDirty());
    host.onProgress = {};
    EXPECT_TRUE(doc->CopyBlock(0, 0x1FFFF));
    EXPECT_TRUE(doc->ReadPieces(0, 0x1FFFF, piece));
    EXPECT_TRUE(doc->Commit());
    EXPECT_NE(ReadFileBytes(doc->Path()), old);
    EXPECT_TRUE(host.messages.empty());
}
