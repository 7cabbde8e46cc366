#include "print/preview_pages.h"

#include <algorithm>
#include <cstdio>

void OPreviewPages::Previous(int32_t minPage)
{
    if (from_ <= minPage)
        return;
    --from_;
    --to_;
    if (twoPages_)
        second_ = to_;
}

void OPreviewPages::Next(int32_t maxPage)
{
    if (to_ >= maxPage)
        return;
    ++from_;
    ++to_;
    if (twoPages_)
        second_ = to_;
}

void OPreviewPages::OnePage()
{
    twoPages_ = false;
    second_ = 0;
    to_ = from_;
}

void OPreviewPages::ShowTwoPages(int32_t maxPage)
{
    if (twoPages_)
        return;
    twoPages_ = true;
    if (from_ >= maxPage) {
        if (from_ >= 2) {
            to_ = from_;
            --from_;
            second_ = to_;
        } else {
            // A document of one page: the second window stays empty.
            second_ = 0;
        }
    } else {
        to_ = from_ + 1;
        second_ = to_;
    }
}

std::string OPreviewPages::PageText() const
{
    char text[48];
    if (twoPages_ && from_ != to_)
        std::snprintf(text, sizeof text, kTwoPagesText, int(from_), int(to_));
    else
        std::snprintf(text, sizeof text, kOnePageText, int(from_));
    return text;
}

VRect OPreviewPages::FirstPageRect(int32_t clientWidth, int32_t clientHeight, int32_t extentWidth,
                                   int32_t extentHeight)
{
    VRect r{kBorder, kBorder, kBorder, kBorder};
    const int64_t w = std::max(1, extentWidth);
    const int64_t h = std::max(1, extentHeight);
    // Led by the height when the page at the client's full width would be
    // taller than the client, whichever way the page is turned, so the
    // whole page is always in view.
    if (int64_t(clientWidth) * h / w > clientHeight) {
        r.bottom = std::max(r.top, clientHeight - kBorder);
        r.right = r.left + int32_t(int64_t(r.Height()) * (w * 95 / h) / 100);
    } else {
        r.right = std::max(r.left, clientWidth - kBorder);
        r.bottom = r.top + int32_t(int64_t(r.Width()) * (h * 95 / w) / 100);
    }
    return r;
}

VRect OPreviewPages::SecondPageRect(const VRect& first)
{
    const int32_t left = first.right + kGap;
    return {left, first.top, left + first.Width(), first.bottom};
}
