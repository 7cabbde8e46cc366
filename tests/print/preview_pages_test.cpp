// The preview's page logic: stepping, one and two pages, the page text, the
// enablers and the place of the page windows.

#include "print/preview_pages.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(PreviewPagesTest, CommandSequences)
{
    struct Step {
        char command;  // p previous, n next, 1 one page, 2 two pages
        int32_t from, to, second;
        std::string text;
        bool canPrevious, canNext;
    };
    struct Case {
        int32_t maxPage;
        std::vector<Step> steps;
    };
    const Case cases[] = {
        {3,
         {{'n', 2, 2, 0, "Page 2", true, true},
          {'n', 3, 3, 0, "Page 3", true, false},
          {'n', 3, 3, 0, "Page 3", true, false},
          // Two pages at the last page step back to show the last two.
          {'2', 2, 3, 3, "Page 2 - 3", true, false},
          {'p', 1, 2, 2, "Page 1 - 2", false, true},
          {'p', 1, 2, 2, "Page 1 - 2", false, true},
          {'1', 1, 1, 0, "Page 1", false, true},
          {'2', 1, 2, 2, "Page 1 - 2", false, true},
          {'n', 2, 3, 3, "Page 2 - 3", true, false},
          {'1', 2, 2, 0, "Page 2", true, true}}},
        // One page only: the second window stays empty.
        {1, {{'2', 1, 1, 0, "Page 1", false, false}, {'n', 1, 1, 0, "Page 1", false, false}}},
    };
    for (const Case& c : cases) {
        OPreviewPages pages;
        EXPECT_EQ(pages.PageText(), "Page 1");
        EXPECT_EQ(pages.CanNext(c.maxPage), c.maxPage > 1);
        for (const Step& s : c.steps) {
            switch (s.command) {
            case 'p': pages.Previous(1); break;
            case 'n': pages.Next(c.maxPage); break;
            case '1': pages.OnePage(); break;
            case '2': pages.ShowTwoPages(c.maxPage); break;
            }
            EXPECT_EQ(pages.FromPage(), s.from) << s.command << " " << s.text;
            EXPECT_EQ(pages.ToPage(), s.to) << s.text;
            EXPECT_EQ(pages.SecondPage(), s.second) << s.text;
            EXPECT_EQ(pages.PageText(), s.text);
            EXPECT_EQ(pages.CanPrevious(), s.canPrevious) << s.text;
            EXPECT_EQ(pages.CanNext(c.maxPage), s.canNext) << s.text;
        }
    }
    EXPECT_TRUE(OPreviewPages::CanTwoPages(794, 1123));
    EXPECT_TRUE(OPreviewPages::CanTwoPages(800, 800));
    EXPECT_FALSE(OPreviewPages::CanTwoPages(1123, 794));
}

TEST(PreviewPagesTest, PageWindowsFollowTheClientAndTheExtent)
{
    struct Case {
        int32_t clientW, clientH, extentW, extentH;
        VRect first;
    };
    const Case cases[] = {
        // A4 portrait in a wide client: led by the height, 67 % as wide.
        {800, 500, 9921, 14031, {15, 15, 15 + 470 * 67 / 100, 485}},
        // Also when the client is just wider than the page's own proportion.
        {800, 565, 9921, 14031, {15, 15, 15 + 535 * 67 / 100, 550}},
        // The same page in a tall client: led by the width.
        {400, 900, 9921, 14031, {15, 15, 385, 15 + 370 * 134 / 100}},
        // Landscape: led by the width when the client is not wider than the page.
        {600, 500, 14031, 9921, {15, 15, 585, 15 + 570 * 67 / 100}},
    };
    for (const Case& c : cases) {
        const VRect r = OPreviewPages::FirstPageRect(c.clientW, c.clientH, c.extentW, c.extentH);
        EXPECT_EQ(r, c.first) << c.clientW << "x" << c.clientH;
        const VRect second = OPreviewPages::SecondPageRect(r);
        EXPECT_EQ(second.left, r.right + 30);
        EXPECT_EQ(second.Width(), r.Width());
        EXPECT_EQ(second.top, r.top);
        EXPECT_EQ(second.bottom, r.bottom);
    }
}

}  // namespace

namespace {

TEST(PreviewPagesTest, ZoomedLayoutsKeepTwoPagesInViewAndScaleFromTheirOwnSize)
{
    using Zoom = OPreviewPages::Zoom;
    // An A4 sheet at 96 units to the inch.
    constexpr int32_t w = 794, h = 1123;
    // Whole pages: two fit side by side in the same client one did.
    for (const auto& [cw, ch] : {std::pair{800, 500}, std::pair{400, 900}, std::pair{1200, 300}}) {
        const auto one = OPreviewPages::LayoutPages(cw, ch, w, h, false, {});
        EXPECT_EQ(one.first, OPreviewPages::FirstPageRect(cw, ch, w, h));
        const auto two = OPreviewPages::LayoutPages(cw, ch, w, h, true, {});
        EXPECT_LE(two.second.right + OPreviewPages::kBorder, cw) << cw << "x" << ch;
        EXPECT_LE(two.first.bottom + OPreviewPages::kBorder, ch) << cw << "x" << ch;
        EXPECT_EQ(two.second, OPreviewPages::SecondPageRect(two.first));
        EXPECT_LE(two.width, cw);
    }
    // Fit width fills the width and scrolls down; 100 % is the page's own size.
    const auto wide = OPreviewPages::LayoutPages(800, 500, w, h, false, {Zoom::FitWidth, 1.0});
    EXPECT_EQ(wide.first.right, 800 - OPreviewPages::kBorder);
    EXPECT_GT(wide.height, 500);
    const auto actual = OPreviewPages::LayoutPages(800, 500, w, h, true, {Zoom::Scale, 1.0});
    EXPECT_EQ(actual.first.Width(), w);
    EXPECT_EQ(actual.first.Height(), h);
    EXPECT_EQ(actual.width, 2 * w + 2 * OPreviewPages::kBorder + OPreviewPages::kGap);
    EXPECT_DOUBLE_EQ(actual.scale, 1.0);
    // The wheel's steps stay within the limits.
    EXPECT_DOUBLE_EQ(OPreviewPages::StepScale(1.0, 1), 1.25);
    EXPECT_DOUBLE_EQ(OPreviewPages::StepScale(1.25, -1), 1.0);
    EXPECT_DOUBLE_EQ(OPreviewPages::StepScale(1.0, 100), OPreviewPages::kMaxScale);
    EXPECT_DOUBLE_EQ(OPreviewPages::StepScale(1.0, -100), OPreviewPages::kMinScale);
}

TEST(PreviewPagesTest, GoToPageKeepsWithinTheDocumentAndItsPair)
{
    OPreviewPages pages;
    pages.GoTo(17000, 17773);
    EXPECT_EQ(pages.PageText(), "Page 17000");
    pages.GoTo(0, 17773);
    EXPECT_EQ(pages.PageText(), "Page 1");
    pages.ShowTwoPages(17773);
    pages.GoTo(17773, 17773);
    EXPECT_EQ(pages.PageText(), "Page 17772 - 17773");
    EXPECT_EQ(pages.SecondPage(), 17773);
    pages.GoTo(99999, 17773);
    EXPECT_EQ(pages.FromPage(), 17772);
}

}  // namespace
