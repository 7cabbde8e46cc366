// The hex dump page: margins, the font search, lines and pages, and where
// every piece of a page goes, measured on a device whose figures are known.

#include "document/document_fixture.h"
#include "print/hex_dump_page.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A device of 10 pixels per millimetre, one logical unit per pixel, whose
// fonts are 0.6 of their height wide and four units higher than asked.
class FakeDevice : public OPageDevice {
public:
    struct Item {
        char kind;  // 'T' text, 'L' line, 'G' logo
        int32_t x, y, x2, y2;
        std::string text;
    };

    OPageDeviceFigures figures{2100, 1712, 210, 171.2, true, 1, 1};
    std::vector<int32_t> fontsTried;
    std::vector<Item> items;

    OPageDeviceFigures Figures() const override { return figures; }
    OPageFontMetrics SelectFont(int32_t height) override
    {
        fontsTried.push_back(height);
        current = height;
        return {height + 4, 30 * height};
    }
    int32_t TextWidth(std::string_view text) override
    {
        return int32_t(text.size() * 0.6 * current);
    }
    void Text(int32_t x, int32_t y, std::string_view text, bool) override
    {
        items.push_back({'T', x, y, 0, 0, std::string(text)});
    }
    void Line(int32_t x1, int32_t y1, int32_t x2, int32_t y2) override
    {
        items.push_back({'L', x1, y1, x2, y2, {}});
    }
    void Logo(int32_t x, int32_t y, int32_t width, int32_t height) override
    {
        items.push_back({'G', x, y, width, height, {}});
    }

    const Item* TextAt(int32_t y, int32_t x) const
    {
        for (const Item& item : items)
            if (item.kind == 'T' && item.x == x && item.y == y)
                return &item;
        return nullptr;
    }
    int Count(char kind) const
    {
        int n = 0;
        for (const Item& item : items)
            n += item.kind == kind;
        return n;
    }

private:
    int32_t current = 20;
};

class HexDumpPageTest : public DocumentTest {
protected:
    // The fake device's page: margins 200, 100, 100, 100; font 20 (line 24,
    // character 12) fits, and 60 lines a page.
    static constexpr int32_t kWidth = 2100, kHeight = 1712;

    std::unique_ptr<OBufferDocument> Counting(int32_t count)
    {
        std::vector<uint8_t> bytes(static_cast<size_t>(count));
        for (int32_t i = 0; i < count; ++i)
            bytes[size_t(i)] = uint8_t(i);
        return LoadBytes(bytes);
    }

    FakeDevice device;
    OPrintSetup setup{.programName = "Dravel 97"};
};

TEST_F(HexDumpPageTest, LaysOutTheFigures)
{
    auto doc = Counting(16 * 120);
    OHexDumpPage page(device, *doc, kWidth, kHeight, setup);
    EXPECT_EQ(page.MarginLeft(), 200);
    EXPECT_EQ(page.MarginTop(), 100);
    EXPECT_EQ(page.MarginRight(), 100);
    EXPECT_EQ(page.MarginBottom(), 100);
    EXPECT_EQ(page.FontHeight(), 20);
    EXPECT_EQ(page.LineHeight(), 24);
    EXPECT_DOUBLE_EQ(page.CharWidth(), 12.0);
    EXPECT_EQ(page.LinesPerPage(), 60);
    // 120 rows are two full pages, without a third of header and footer only.
    EXPECT_EQ(page.PageCount(), 2);
    EXPECT_EQ(setup.minPage, 1);
    EXPECT_EQ(setup.maxPage, 2);
}

TEST_F(HexDumpPageTest, DrawsEveryPieceWhereTheLayoutSays)
{
    auto doc = Counting(16 * 120);
    setup.fromPage = setup.toPage = 2;
    OHexDumpPage page(device, *doc, kWidth, kHeight, setup);
    ASSERT_TRUE(page.DrawPage());

    const FakeDevice::Item* header = device.TextAt(100, 200);
    ASSERT_TRUE(header);
    EXPECT_EQ(header->text, "file : " + doc->Path());
    ASSERT_EQ(device.Count('G'), 1);
    const auto& items = device.items;
    const auto logo = std::find_if(items.begin(), items.end(), [](auto& i) { return i.kind == 'G'; });
    // 260 x 50 scaled to a line's height, its right edge on the right margin.
    EXPECT_EQ(logo->x, 2000 - 124);
    EXPECT_EQ(logo->y, 100);
    EXPECT_EQ(logo->x2, 124);
    EXPECT_EQ(logo->y2, 24);

    ASSERT_EQ(device.Count('L'), 2);
    std::vector<int32_t> rules;
    for (const auto& item : items)
        if (item.kind == 'L') {
            EXPECT_EQ(item.x, 200);
            EXPECT_EQ(item.x2, 2000);
            EXPECT_EQ(item.y, item.y2);
            rules.push_back(item.y);
        }
    EXPECT_EQ(rules, (std::vector<int32_t>{130, 100 + 1482}));

    // Page 2 starts with row 60; rows stand 24 apart from 136 on.
    for (int j : {0, 59}) {
        const int32_t y = 136 + j * 24;
        const int row = 60 + j;
        char address[16];
        std::snprintf(address, sizeof address, "%08x", row * 16);
        ASSERT_TRUE(device.TextAt(y, 200)) << j;
        EXPECT_EQ(device.TextAt(y, 200)->text, address);
        char hex[OBufferDocument::kHexRowSize];
        char ascii[OBufferDocument::kAsciiRowSize];
        const int32_t n = doc->HexRow(hex, row);
        doc->AsciiRow(ascii, row);
        ASSERT_TRUE(device.TextAt(y, 320));
        EXPECT_EQ(device.TextAt(y, 320)->text, std::string(hex, size_t(n - 1)));
        ASSERT_TRUE(device.TextAt(y, 908));
        EXPECT_EQ(device.TextAt(y, 908)->text, std::string(ascii, 16));
    }
    EXPECT_FALSE(device.TextAt(136 + 60 * 24, 200));

    const int32_t footer = 100 + 62 * 24;
    ASSERT_TRUE(device.TextAt(footer, 200));
    EXPECT_EQ(device.TextAt(footer, 200)->text, "Dravel 97");
    // "page 2 of 2" ends at the right margin.
    ASSERT_TRUE(device.TextAt(footer, 2000 - 11 * 12));
    EXPECT_EQ(device.TextAt(footer, 2000 - 11 * 12)->text, "page 2 of 2");
}

TEST_F(HexDumpPageTest, UnalignedStartLeavesBlankColumnsAndCountsItsRows)
{
    auto doc = MakeDocument("int");
    std::vector<uint8_t> bytes(0x20, 0x41);
    ASSERT_TRUE(doc->Open(dir.Write("s.int", IntelData(0x1234, bytes) + IntelEnd())));
    OHexDumpPage page(device, *doc, kWidth, kHeight, setup);
    // 0x1234..0x1253 touches three rows.
    EXPECT_EQ(page.PageCount(), 1);
    ASSERT_TRUE(page.DrawPage());
    ASSERT_TRUE(device.TextAt(136, 200));
    EXPECT_EQ(device.TextAt(136, 200)->text, "00001230");
    // Four blank cells: the hex text begins 3 * 4 characters right, the
    // characters four to the right.
    ASSERT_TRUE(device.TextAt(136, 320 + 144));
    EXPECT_EQ(device.TextAt(136, 320 + 144)->text, "41 41 41 41 41 41 41 41 41 41 41 41");
    ASSERT_TRUE(device.TextAt(136, 908 + 48));
    EXPECT_EQ(device.TextAt(136, 908 + 48)->text, "AAAAAAAAAAAA");
    ASSERT_TRUE(device.TextAt(136 + 48, 320));
    EXPECT_EQ(device.TextAt(136 + 48, 320)->text, "41 41 41 41");
    EXPECT_EQ(device.TextAt(136 + 48, 200)->text, "00001250");
    EXPECT_FALSE(device.TextAt(136 + 72, 200));
}

TEST_F(HexDumpPageTest, NarrowPagesGetSmallerFonts)
{
    struct Case {
        int32_t printableWidth;
        int32_t height;
    };
    // Seventy-five characters of 0.6 h need 45 h.
    for (const Case c : {Case{900, 20}, Case{899, 19}, Case{450, 10}, Case{270, 6}, Case{100, 6}}) {
        FakeDevice d;
        auto doc = Counting(16);
        OHexDumpPage page(d, *doc, c.printableWidth + 300, kHeight, setup);
        EXPECT_EQ(page.FontHeight(), c.height) << c.printableWidth;
        EXPECT_EQ(d.fontsTried.front(), 20);
        EXPECT_EQ(d.fontsTried.back(), c.height);
        EXPECT_EQ(int32_t(d.fontsTried.size()), 21 - c.height);
    }
}

TEST_F(HexDumpPageTest, MarginsFollowTheDeviceResolution)
{
    struct Case {
        OPageDeviceFigures figures;
        int32_t left, top, right, bottom;
    };
    const Case cases[] = {
        // A4 at 600 dpi drawn in 96 units an inch.
        {{4961, 7016, 210, 297, true, 96.0 / 600, 96.0 / 600}, 76, 38, 38, 38},
        // Letter at 300 dpi, one unit a pixel.
        {{2550, 3300, 215.9, 279.4, true, 1, 1}, 236, 118, 118, 118},
    };
    for (const Case& c : cases) {
        FakeDevice d;
        d.figures = c.figures;
        auto doc = Counting(16);
        OHexDumpPage page(d, *doc, 794, 1123, setup);
        EXPECT_EQ(page.MarginLeft(), c.left);
        EXPECT_EQ(page.MarginTop(), c.top);
        EXPECT_EQ(page.MarginRight(), c.right);
        EXPECT_EQ(page.MarginBottom(), c.bottom);
    }
}

TEST_F(HexDumpPageTest, PageCountRunsFromTheFirstByteToTheLast)
{
    struct Case {
        int32_t start, size, lines, pages;
    };
    for (const Case c : {Case{0, 16 * 120, 60, 2}, Case{0, 16 * 120 + 1, 60, 3}, Case{8, 16 * 60, 60, 2},
                         Case{0x1234, 0x20, 1, 3}, Case{0, 0, 60, 1}, Case{0, 100, 0, 1},
                         Case{0, 100, -3, 1}, Case{0, 0x1000000, 60, 17477}}) {
        EXPECT_EQ(OHexDumpPage::CountPages(c.start, c.size, c.lines), c.pages)
            << c.start << " " << c.size << " " << c.lines;
    }
}

TEST_F(HexDumpPageTest, PageTooSmallForOneLineDrawsNothing)
{
    auto doc = Counting(16 * 120);
    // Room for 3.4 lines leaves none after the header and footer.
    OHexDumpPage page(device, *doc, kWidth, 200 + 82, setup);
    EXPECT_EQ(page.LinesPerPage(), 0);
    EXPECT_EQ(page.PageCount(), 1);
    EXPECT_EQ(setup.maxPage, 1);
    EXPECT_FALSE(page.DrawPage());
    EXPECT_TRUE(device.items.empty());
}

TEST_F(HexDumpPageTest, EmptyOrUnreadableDocumentPrintsHeaderAndFooterOnly)
{
    // An empty document is not loaded again, nor asked a new range for.
    auto empty = MakeDocument("hex");
    empty->SetTitle("Untitled");
    device.figures.canBlit = false;
    OHexDumpPage page(device, *empty, kWidth, kHeight, setup);
    EXPECT_EQ(page.PageCount(), 1);
    ASSERT_TRUE(page.DrawPage());
    EXPECT_EQ(device.TextAt(100, 200)->text, "file : Untitled");
    EXPECT_EQ(device.Count('T'), 3);
    EXPECT_EQ(device.Count('G'), 0);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_FALSE(empty->IsDirty());
    EXPECT_EQ(empty->Size(), 0);

    // Nor is a file that cannot be read tried again or reported.
    auto missing = MakeDocument("hex");
    missing->SetPath(dir.File("gone.hex"));
    FakeDevice m;
    OHexDumpPage gone(m, *missing, kWidth, kHeight, setup);
    ASSERT_TRUE(gone.DrawPage());
    EXPECT_EQ(m.TextAt(100, 200)->text, "file : " + dir.File("gone.hex"));
    EXPECT_EQ(m.Count('T'), 3);
    EXPECT_TRUE(host.messages.empty());

    // A page beyond the last draws no rows either.
    auto doc = Counting(16);
    setup.fromPage = 5;
    FakeDevice d;
    OHexDumpPage later(d, *doc, kWidth, kHeight, setup);
    ASSERT_TRUE(later.DrawPage());
    EXPECT_EQ(d.Count('T'), 3);
    EXPECT_TRUE(d.TextAt(100 + 62 * 24, 2000 - 11 * 12));
}

}  // namespace
