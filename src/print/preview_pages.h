#pragma once
// The page logic of the print preview: which pages are shown, what the page
// text says, when the commands are enabled, and where the page windows
// stand in the preview's client area.

#include "view/hex_layout.h"

#include <cstdint>
#include <string>

class OPreviewPages {
public:
    static constexpr const char* kOnePageText = "Page %d";
    static constexpr const char* kTwoPagesText = "Page %d - %d";
    // Distances of the page windows from the client's edges and each other.
    static constexpr int32_t kBorder = 15;
    static constexpr int32_t kGap = 30;

    int32_t FromPage() const { return from_; }
    int32_t ToPage() const { return to_; }
    bool TwoPages() const { return twoPages_; }
    // The number the second page window shows; 0 leaves it empty.
    int32_t SecondPage() const { return second_; }

    // Each moves by one page within minPage..maxPage.
    void Previous(int32_t minPage);
    void Next(int32_t maxPage);
    void OnePage();
    // Adds the second page; at the last page the pair steps back by one.
    void ShowTwoPages(int32_t maxPage);

    // Shows `page` (kept within 1..maxPage) first, and its follower beside
    // it when two pages are shown; at the last page the pair steps back.
    void GoTo(int32_t page, int32_t maxPage);

    bool CanPrevious() const { return from_ != 1; }
    bool CanNext(int32_t maxPage) const { return to_ != maxPage; }
    // Two pages side by side only for pages at least as high as wide.
    static bool CanTwoPages(int32_t extentWidth, int32_t extentHeight)
    {
        return extentHeight >= extentWidth;
    }

    std::string PageText() const;

    // Where the first page window goes in a client `clientWidth` x
    // `clientHeight` for a page of `extentWidth` x `extentHeight`; the
    // second stands kGap to its right at the same height and size.
    static VRect FirstPageRect(int32_t clientWidth, int32_t clientHeight, int32_t extentWidth,
                               int32_t extentHeight);
    static VRect SecondPageRect(const VRect& first);

    // How large the pages are shown: whole in the window, as wide as the
    // window, or at a scale of their own size (1.0 is 100 %).
    struct Zoom {
        enum Mode { FitPage, FitWidth, Scale } mode = FitPage;
        double scale = 1.0;
    };
    static constexpr double kMinScale = 0.1;
    static constexpr double kMaxScale = 8.0;
    // The scale `steps` wheel notches away from `scale` (up enlarges).
    static double StepScale(double scale, int32_t steps);

    struct Layout {
        VRect first;
        VRect second;  // empty for one page
        // The room the pages and their borders take; larger than the
        // client when the zoom makes them so, and then scrolled.
        int32_t width = 0;
        int32_t height = 0;
        // The scale of the page's own size the pages are drawn at.
        double scale = 1.0;
    };
    // The page windows for one or two pages of `pageWidth` x `pageHeight`
    // (at 100 %) in a client `clientWidth` x `clientHeight`. Whole pages
    // one at a time keep the first page's rectangle above; two pages are
    // both wholly in view.
    static Layout LayoutPages(int32_t clientWidth, int32_t clientHeight, int32_t pageWidth,
                              int32_t pageHeight, bool two, const Zoom& zoom);

private:
    int32_t from_ = 1;
    int32_t to_ = 1;
    bool twoPages_ = false;
    int32_t second_ = 0;
};
