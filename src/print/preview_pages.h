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

private:
    int32_t from_ = 1;
    int32_t to_ = 1;
    bool twoPages_ = false;
    int32_t second_ = 0;
};
