#include "view/qt/view_painter.h"

#include "document/saved_ranges.h"
#include "settings/ansi_chars.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPalette>
#include <QRegion>

#include <algorithm>

ViewColours ViewColours::FromPalette(const QPalette& palette)
{
    // The row area is an editing surface: the colours of text fields.
    return {palette.color(QPalette::Active, QPalette::Base),
            palette.color(QPalette::Active, QPalette::Text),
            palette.color(QPalette::Active, QPalette::Highlight),
            palette.color(QPalette::Active, QPalette::HighlightedText)};
}

OViewPainter::OViewPainter()
{
    colours_ = {Qt::white, Qt::black, QColor(0, 0, 128), Qt::white};
}

void OViewPainter::SetFont(const QFont& font)
{
    font_ = font;
    boldFont_ = font;
    boldFont_.setBold(true);
    const QFontMetrics metrics(font_);
    charW_ = std::max(1, metrics.averageCharWidth());
    rowHeight_ = std::max(1, metrics.height());
    ascent_ = metrics.ascent();
    rawFont_ = QRawFont::fromFont(font_);
    glyphs_.fill(0);
    if (rawFont_.isValid()) {
        for (int b = 32; b < 256; ++b) {
            const QString s{QChar(AnsiGlyph(uint8_t(b)))};
            const QList<quint32> g = rawFont_.glyphIndexesForString(s);
            glyphs_[b] = g.size() == 1 ? g[0] : 0;
        }
    }
    run_ = QGlyphRun();
    run_.setRawFont(rawFont_);
    run_.setUnderline(font_.underline());
    run_.setStrikeOut(font_.strikeOut());
}

void OViewPainter::DrawText(QPainter& painter, const char* text, int32_t count, int32_t x,
                            int32_t y, bool byteText)
{
    indexes_.clear();
    positions_.clear();
    const qreal baseline = y + ascent_;
    for (int32_t i = 0; i < count; ++i) {
        const uint8_t b = uint8_t(text[i]);
        if (b == ' ')
            continue;
        const quint32 glyph = b >= 32 ? glyphs_[b] : 0;
        const int cx = x + i * charW_;
        if (glyph) {
            indexes_.append(glyph);
            positions_.append(QPointF(cx, baseline));
        } else {
            const QChar c = byteText ? QChar(AnsiGlyph(b)) : QChar(char16_t(b));
            painter.drawText(QPoint(cx, int(baseline)), QString(c));
        }
    }
    if (indexes_.isEmpty())
        return;
    run_.setGlyphIndexes(indexes_);
    run_.setPositions(positions_);
    painter.drawGlyphRun(QPointF(0, 0), run_);
}

namespace {
// Padding is drawn halfway between the text and the background, so that the
// bytes written stand out from the erased gaps around them.
QColor MutedColour(const ViewColours& colours)
{
    const QColor& t = colours.text;
    const QColor& w = colours.window;
    return QColor((t.red() + 2 * w.red()) / 3, (t.green() + 2 * w.green()) / 3, (t.blue() + 2 * w.blue()) / 3);
}
} // namespace

void OViewPainter::PaintRow(QPainter& painter, OViewModel& model, Address row)
{
    model.BuildRow(row, plan_);
    MarkGaps(model.Document().Data(), Address{row} * OViewModel::kBytesPerRow, OViewModel::kBytesPerRow, gaps_);
    const bool anyGap = std::find(gaps_.begin(), gaps_.end(), 1) != gaps_.end();
    const int y = plan_.y;
    const int h = rowHeight_;
    const VRect& r = model.RowsRect;
    const int hexX = model.HexX, asciiX = model.AsciiX;

    painter.fillRect(QRect(r.left, y, std::max(0, hexX - r.left), h), colours_.window);
    painter.fillRect(QRect(hexX, y, std::max(0, asciiX - hexX), h), colours_.window);
    painter.fillRect(QRect(asciiX, y, std::max(0, r.right - asciiX), h), colours_.window);

    painter.setPen(colours_.text);
    // The address is cut at the hex column when its column is narrower.
    const bool clipAddress = r.left + 8 * charW_ > hexX;
    if (clipAddress) {
        painter.save();
        painter.setClipRect(QRect(r.left, y, std::max(0, hexX - r.left), h), Qt::IntersectClip);
    }
    DrawText(painter, plan_.address.data(), 8, r.left, y, false);
    if (clipAddress)
        painter.restore();

    auto drawRuns = [&](const std::array<TextRun, 4>& runs, int32_t count, const char* text,
                        bool byteText) {
        for (int32_t i = 0; i < count; ++i) {
            const TextRun& run = runs[i];
            if (run.selected) {
                painter.fillRect(QRect(run.x, y, run.count * charW_, h), colours_.highlight);
                painter.setPen(colours_.highlightedText);
            } else {
                painter.setPen(colours_.text);
            }
            if (run.selected || !anyGap) {
                DrawText(painter, text + run.first, run.count, run.x, y, byteText);
                continue;
            }
            // Stretches of the run inside and outside gaps, each in its colour;
            // a hex cell is three characters wide.
            const int32_t perByte = byteText ? 1 : 3;
            int32_t from = run.first;
            const int32_t end = run.first + run.count;
            while (from < end) {
                const bool muted = gaps_[from / perByte] != 0;
                int32_t to = from + 1;
                while (to < end && (gaps_[to / perByte] != 0) == muted)
                    ++to;
                painter.setPen(muted ? MutedColour(colours_) : colours_.text);
                DrawText(painter, text + from, to - from, run.x + (from - run.first) * charW_, y, byteText);
                from = to;
            }
        }
    };
    drawRuns(plan_.hexRuns, plan_.hexRunCount, plan_.hex.data(), false);
    drawRuns(plan_.asciiRuns, plan_.asciiRunCount, plan_.ascii.data(), true);
    if (marks_)
        PaintMarkedCells(painter, model);
    painter.setPen(colours_.text);
}

void OViewPainter::PaintMarkedCells(QPainter& painter, const OViewModel& model)
{
    const uint16_t marks = marks_->RowMarks(Address(plan_.row) * OViewModel::kBytesPerRow);
    if (!marks)
        return;
    const int y = plan_.y;
    const int baseline = y + ascent_;
    painter.save();
    painter.setFont(boldFont_);
    const auto cell = [&](int x, const char* text, int count, bool selected, bool byteText) {
        painter.fillRect(QRect(x, y, count * charW_, rowHeight_), selected ? colours_.highlight : QColor(kMarkedCell));
        painter.setPen(selected ? colours_.highlightedText : QColor(Qt::black));
        for (int c = 0; c < count; ++c) {
            const uint8_t b = uint8_t(text[c]);
            const QChar ch = byteText ? QChar(AnsiToUnicode(b)) : QChar(char16_t(b));
            painter.drawText(QPoint(x + c * charW_, baseline), QString(ch));
        }
    };
    const int32_t rowAddress = plan_.row * OViewModel::kBytesPerRow;
    for (int32_t i = plan_.skip; i < OViewModel::kBytesPerRow; ++i) {
        if (!(marks & (1u << i)))
            continue;
        const bool selected = model.IsSelected(rowAddress + i);
        const int32_t hexCount = std::min(2, plan_.hexLength - 3 * i);
        if (hexCount > 0)
            cell(model.HexX + 3 * i * charW_, plan_.hex.data() + 3 * i, hexCount, selected, false);
        if (i < plan_.asciiLength)
            cell(model.AsciiX + i * charW_, plan_.ascii.data() + i, 1, selected, true);
    }
    painter.restore();
}

void OViewPainter::PaintRows(QPainter& painter, OViewModel& model, const QRect& clip,
                             const QRegion& background)
{
    painter.setFont(font_);
    const VRect& r = model.RowsRect;
    const int h = model.RowHeight;
    QRegion rest = background.intersected(clip);
    if (clip.bottom() >= r.top && clip.top() < r.top + model.Rows * h) {
        const int first = std::max(0, (clip.top() - r.top) / h);
        const int last = std::min(model.Rows - 1, (clip.bottom() - r.top) / h);
        for (int i = first; i <= last; ++i)
            PaintRow(painter, model, model.TopRow + i);
        if (last >= first)
            rest -= QRect(r.left, r.top + first * h, r.right - r.left, (last - first + 1) * h);
    }
    for (const QRect& part : rest)
        painter.fillRect(part, colours_.window);
}

void OViewPainter::PaintMarks(QPainter& painter, const OViewModel& model, bool caretOn) const
{
    if (caretOn) {
        if (const auto c = model.CaretRect()) {
            // The caret inverts the cell it stands on, like a system caret.
            painter.save();
            painter.setCompositionMode(QPainter::RasterOp_NotDestination);
            painter.fillRect(QRect(c->left, c->top, c->Width(), c->Height()), Qt::black);
            painter.restore();
        }
    }
    if (const auto f = model.FocusRect()) {
        painter.save();
        QPen pen(colours_.text, 1, Qt::DotLine);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRect(f->left, f->top, f->Width() - 1, f->Height() - 1));
        painter.restore();
    }
}

void OViewPainter::PaintBusy(QPainter& painter, const QRect& area) const
{
    painter.fillRect(area, colours_.window);
    painter.setFont(font_);
    painter.setPen(colours_.text);
    painter.drawText(QPoint(10, 50 + QFontMetrics(font_).ascent()), QString::fromLatin1(kBusyText));
}
