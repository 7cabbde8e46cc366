// What loads, inserts, overlays and edits do to the document's data
// addresses, and what undo gives back.

#include "document_fixture.h"

#include <functional>

class DataAddressesTest : public DocumentTest {
public:
    using DocumentTest::dir;
    using DocumentTest::MakeDocument;
};

namespace {
using Ranges = std::vector<AddressSet::Range>;

// 0x10-0x13 (the middle two bytes erased but given), then 0x20.
const std::string kFile = IntelData(0x10, {1, 0xFF, 0xFF, 4}) + IntelData(0x20, {7}) + IntelEnd();

struct Step {
    const char* name;
    std::function<void(OBufferDocument&, DataAddressesTest&)> act;
    Ranges after;
    // After one Undo; the loaded file's ranges when left empty.
    Ranges undone;
};
} // namespace

TEST_F(DataAddressesTest, EditsAddTheirRangeAndUndoGivesItBack)
{
    const Ranges loaded{{0x10, 0x13}, {0x20, 0x20}};
    const uint8_t bytes[3] = {9, 9, 9};
    const std::vector<Step> steps{
        {"load", [](OBufferDocument&, DataAddressesTest&) {}, loaded, {}},
        {"typing in a hole", [](OBufferDocument& d, DataAddressesTest&) { d.WriteByte(0x55, 0x18); },
         {{0x10, 0x13}, {0x18, 0x18}, {0x20, 0x20}}, {}},
        {"typing over data", [](OBufferDocument& d, DataAddressesTest&) { d.WriteByte(0x55, 0x11); }, loaded, {}},
        {"paste across a hole", [&](OBufferDocument& d, DataAddressesTest&) { d.WriteBlock(bytes, 0x13, 3); },
         {{0x10, 0x15}, {0x20, 0x20}}, {}},
        {"paste widening the window", [&](OBufferDocument& d, DataAddressesTest&) { d.WriteBlock(bytes, 0x30, 3); },
         {{0x10, 0x13}, {0x20, 0x20}, {0x30, 0x32}}, {}},
        {"fill, erased value included", [](OBufferDocument& d, DataAddressesTest&) { d.Fill(0x14, 0x1F, 0xFF); },
         {{0x10, 0x20}}, {}},
        {"resize drops what leaves the window", [](OBufferDocument& d, DataAddressesTest&) { d.Resize(0x12, 0x30); },
         {{0x12, 0x13}, {0x20, 0x20}}, {}},
        {"swap takes in whole groups", [](OBufferDocument& d, DataAddressesTest&) { d.SwapBytes(0x11, 0x18, 4); },
         {{0x10, 0x14}, {0x20, 0x20}}, {}},
        {"insert adds the file's records",
         [](OBufferDocument& d, DataAddressesTest& t) {
             d.InsertFile(0x100, t.dir.Write("more.int", IntelData(0, {0xFF, 0xFF}) + IntelEnd()));
         },
         {{0x10, 0x13}, {0x20, 0x20}, {0x100, 0x101}}, {}},
        {"overlay adds its records shifted, erased ones too",
         [](OBufferDocument& d, DataAddressesTest& t) {
             auto over = t.MakeDocument("ext");
             ASSERT_TRUE(over->Open(t.dir.Write("over.int", IntelData(0x2, {0xFF, 0xFF, 0x12}) + IntelEnd())));
             d.Overlay(*over, 0x20, OverlapPolicy::keep);
         },
         {{0x10, 0x13}, {0x20, 0x20}, {0x22, 0x24}}, {}},
        {"revert reads the file's again",
         [](OBufferDocument& d, DataAddressesTest&) {
             d.Fill(0x30, 0x40, 0);
             d.Revert();
         },
         loaded, loaded},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        auto doc = MakeDocument("ext");
        ASSERT_TRUE(doc->Open(dir.Write("image.int", kFile)));
        step.act(*doc, *this);
        EXPECT_EQ(doc->DataAddresses().Ranges(), step.after);
        doc->Undo();
        EXPECT_EQ(doc->DataAddresses().Ranges(), step.undone.empty() ? loaded : step.undone);
    }
}
