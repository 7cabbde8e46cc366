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

void OPreviewPages::GoTo(int32_t page, int32_t maxPage)
{
    from_ = std::clamp(page, 1, std::max(1, maxPage));
    to_ = from_;
    if (twoPages_) {
        twoPages_ = false;
        ShowTwoPages(maxPage);
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

double OPreviewPages::StepScale(double scale, int32_t steps)
{
    double result = scale;
    for (int32_t i = 0; i < steps; ++i)
        result *= 1.25;
    for (int32_t i = 0; i > steps; --i)
        result /= 1.25;
    return std::clamp(result, kMinScale, kMaxScale);
}

OPreviewPages::Layout OPreviewPages::LayoutPages(int32_t clientWidth, int32_t clientHeight, int32_t pageWidth,
                                                 int32_t pageHeight, bool two, const Zoom& zoom)
{
    Layout l;
    const int32_t pw = std::max(1, pageWidth);
    const int32_t ph = std::max(1, pageHeight);
    const int32_t pages = two ? 2 : 1;
    // The width one page may take when the pages share the client's.
    const int32_t roomWidth = std::max(1, (clientWidth - 2 * kBorder - (two ? kGap : 0)) / pages);
    if (zoom.mode == Zoom::FitPage) {
        l.first = FirstPageRect(roomWidth + 2 * kBorder, clientHeight, pw, ph);
        l.scale = double(l.first.Height()) / ph;
    } else {
        l.scale = zoom.mode == Zoom::FitWidth ? double(roomWidth) / pw : std::clamp(zoom.scale, kMinScale, kMaxScale);
        const int32_t w = std::max(1, int32_t(pw * l.scale));
        const int32_t h = std::max(1, int32_t(ph * l.scale));
        l.first = {kBorder, kBorder, kBorder + w, kBorder + h};
    }
    if (two)
        l.second = SecondPageRect(l.first);
    l.width = (two ? l.second.right : l.first.right) + kBorder;
    l.height = l.first.bottom + kBorder;
    return l;
}
