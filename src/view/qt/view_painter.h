#pragma once
// Draws the hex view model onto any painter: a widget's paint event, an
// image in a test or a benchmark. Characters are placed on the model's cell
// grid glyph by glyph, so the text lines up with the caret and the selection
// whatever the font's fractional advances are.

#include "document/byte_marks.h"
#include "view/view_model.h"

#include <QColor>
#include <QFont>
#include <QGlyphRun>
#include <QRawFont>
#include <QRect>
#include <QRegion>

#include <array>
#include <vector>

class QPainter;
class QPalette;

struct ViewColours {
    QColor window;
    QColor text;
    QColor highlight;
    QColor highlightedText;

    static ViewColours FromPalette(const QPalette& palette);
};

class OViewPainter {
public:
    static constexpr const char* kBusyText = "processing buffer...";

    OViewPainter();

    void SetFont(const QFont& font);
    const QFont& Font() const { return font_; }
    // The font's average character width and line height: the cell size.
    int CharW() const { return charW_; }
    int RowHeight() const { return rowHeight_; }

    // Marked bytes (the differences of a comparison) are drawn bold, dark on
    // a light amber cell, which stays apart from the selection and greys
    // readably on paper. None by default.
    static constexpr QRgb kMarkedCell = 0xFFFFD08A;
    void SetMarks(const OByteMarks* marks) { marks_ = marks; }
    const OByteMarks* Marks() const { return marks_; }

    void SetColours(const ViewColours& colours) { colours_ = colours; }
    const ViewColours& Colours() const { return colours_; }

    // Rows of the window that meet `clip`, with their address, hex and
    // character cells, and the background of the rest of `clip` that is not
    // covered by a child window.
    void PaintRows(QPainter& painter, OViewModel& model, const QRect& clip,
                   const QRegion& background);
    // One row's cells (address column included).
    void PaintRow(QPainter& painter, OViewModel& model, Address row);
    // The block caret (when `caretOn`) and the dotted focus rectangle.
    void PaintMarks(QPainter& painter, const OViewModel& model, bool caretOn) const;
    // The only thing shown while the document is busy.
    void PaintBusy(QPainter& painter, const QRect& area) const;

private:
    void DrawText(QPainter& painter, const char* text, int32_t count, int32_t x, int32_t y,
                  bool byteText);
    // Draws the marked bytes of the row just laid out over its cells.
    void PaintMarkedCells(QPainter& painter, const OViewModel& model);

    QFont font_;
    QFont boldFont_;
    const OByteMarks* marks_ = nullptr;
    QRawFont rawFont_;
    int charW_ = 8;
    int rowHeight_ = 16;
    int ascent_ = 12;
    ViewColours colours_;
    // Glyph of each byte value as the character column shows it; 0 for
    // bytes the font has no glyph for, which are drawn as ordinary text.
    std::array<quint32, 256> glyphs_{};
    RowPlan plan_;
    QGlyphRun run_;
    QList<quint32> indexes_;
    QList<QPointF> positions_;
    // Per byte of the row being painted: 1 inside an erased gap.
    std::vector<uint8_t> gaps_;
};
