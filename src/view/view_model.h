#pragma once
// The hex view without a window: which rows are visible, where the cursor and
// the selection are, what keys, typed characters and the mouse do to them,
// the scroll arithmetic, and what each row looks like. The widget feeds it
// events and geometry, draws what BuildRow says, and redraws what TakeDamage
// reports.

#include "buffer/address.h"
#include "view/hex_layout.h"

#include <array>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

class OBufferDocument;
struct FindRequest;

// What the last operations ask the window to redraw.
struct ViewDamage {
    // Row ranges (first, last row, inclusive) to redraw right away; rows
    // outside the window are the widget's to skip.
    std::vector<std::pair<Address, Address>> rows;
    // The whole row area, later, without erasing.
    bool rowArea = false;
    // The whole row area and the address column right away (a drag scrolled).
    bool rowAreaNow = false;
    // The information panel wants the cursor address.
    bool cursorNotice = false;

    bool Empty() const { return rows.empty() && !rowArea && !rowAreaNow && !cursorNotice; }
};

// A stretch of one column's text drawn in one pair of colours.
struct TextRun {
    int32_t x = 0;      // left edge in pixels
    int32_t first = 0;  // index of the first character in the row's text
    int32_t count = 0;  // characters
    bool selected = false;
};

// Everything needed to draw one row.
struct RowPlan {
    Address row = 0;
    int32_t y = 0;
    std::array<char, 9> address{};
    // Texts as the document renders them; columns below the buffer start hold
    // blanks.
    std::array<char, 49> hex{};
    std::array<char, 17> ascii{};
    int32_t hexLength = 0;    // characters that fit, never ending in a blank
    int32_t asciiLength = 0;  // characters that fit
    int32_t skip = 0;         // leading columns below the buffer start
    std::array<TextRun, 4> hexRuns{};
    int32_t hexRunCount = 0;
    std::array<TextRun, 4> asciiRuns{};
    int32_t asciiRunCount = 0;
};

class OViewModel {
public:
    enum class Key { Left, Backspace, Right, Up, Down, PageUp, PageDown, Home, End, Enter, Tab,
                     Shift, Ctrl, Delete, Other };
    enum class ScrollAction { LineUp, LineDown, PageUp, PageDown, Thumb, Top, Bottom, EndScroll };

    static constexpr int32_t kBytesPerRow = 16;
    // The scroll bar's range stays at or below this many units: a window of
    // 4 GiB has 2^28 rows, which the scroll bar's int could not carry, so
    // rows are scaled down to units there.
    static constexpr int32_t kScrollUnits = 65000;

    explicit OViewModel(OBufferDocument& document);

    OBufferDocument& Document() { return doc_; }

    // Geometry, set by the widget from its font and layout.
    int32_t CharW = 8;
    int32_t RowHeight = 16;
    int32_t HexX = 0;
    int32_t AsciiX = 0;
    VRect RowsRect;

    int32_t Rows = 2;
    Address TopRow = 0;
    Address Cursor = 0;
    Address SelStart = -1;
    Address SelEnd = -2;
    int32_t ScrollScale = 1;
    int32_t ScrollMin = 0;
    int32_t ScrollMax = 0;
    bool AsciiMode = true;
    bool LowNibble = false;
    bool ShiftDown = false;
    bool CtrlDown = false;
    bool Dragging = false;

    bool HasSelection() const { return SelStart <= SelEnd; }
    void ClearSelection() { SelStart = -1; SelEnd = -2; }
    bool IsSelected(Address address) const { return address >= SelStart && address <= SelEnd; }
    int32_t ScrollPosition() const { return static_cast<int32_t>(TopRow / ScrollScale); }
    // First and last row of the window (the last may lie past the buffer).
    Address FirstVisibleRow() const { return TopRow; }
    Address LastVisibleRow() const { return TopRow + Rows - 1; }
    bool IsRowVisible(Address row) const { return row >= TopRow && row < TopRow + Rows; }
    int32_t RowY(Address row) const { return RowsRect.top + RowHeight * static_cast<int32_t>(row - TopRow); }

    // Sets Rows from the row area and the row height.
    void UpdateRows();
    void UpdateScrollRange(Address size);
    void EnsureCursorVisible();
    // Shows the rows from `topRow` on, as the other view of a comparison
    // does, even where they lie outside this document's window; the cursor
    // goes as near `cursor` as the window allows.
    void FollowPlace(Address cursor, Address topRow);
    void Scroll(ScrollAction action, int32_t position = 0);
    // The mouse wheel: `delta` in eighths of a degree, positive away from
    // the user, scrolls three rows a notch (a page with `pages`), whatever
    // the document's size.
    void Wheel(int32_t delta, bool pages);
    static constexpr int32_t kWheelNotch = 120;
    static constexpr int32_t kWheelRows = 3;

    // Key down; false for keys the view does not handle. Cursor clamping,
    // scrolling and the selection update follow every key.
    bool KeyDown(Key key);
    void KeyUp(Key key);
    // A typed character as a byte code (0..255); larger codes are ignored.
    void Char(uint32_t code);
    // Selection rules for a cursor that moved from `a` to `b`.
    void UpdateSelection(Address a, Address b);
    // Sets the selection to first..last, kept within the buffer's bytes;
    // cleared when nothing remains.
    void SetSelection(Address first, Address last);
    // After the buffer shrank: the selection keeps to the bytes still there.
    void KeepSelectionInside();

    // Moves the cursor to the byte under (x, y); true when the point lies in
    // the hex or character column. During a drag a point above or below the
    // rows moves the cursor a window up or down.
    bool HitTest(int32_t x, int32_t y);
    // With `extend` (Shift held) the selection reaches from its anchor to
    // the clicked byte instead of starting there.
    void ButtonDown(int32_t x, int32_t y, bool extend = false);
    // True when the pointer stays above or below the rows, so DragScroll
    // should be called while it stays there.
    bool MouseMove(int32_t x, int32_t y);
    // A drag held above or below the rows for `elapsedMs` more: the rows
    // scroll by whole rows at DragScrollRate, the cursor along the edge row.
    // False when the pointer is back over the rows or no drag is on.
    bool DragScroll(int32_t y, int32_t elapsedMs);
    // Rows a second for a pointer `distance` pixels beyond the rows: about
    // twenty near the edge, faster further away.
    static int32_t DragScrollRate(int32_t distance, int32_t rowHeight);
    static constexpr int32_t kDragRowsPerSecond = 20;
    static constexpr int32_t kDragFastest = 20;  // times the slowest rate
    void ButtonUp(int32_t x, int32_t y);
    void FocusLost();

    // The refresh after a command: the whole row area and the panel.
    void Refresh()
    {
        damage_.rowArea = true;
        damage_.cursorNotice = true;
    }

    // Serves a find request from the cursor. A match at the cursor counts,
    // unless the cursor still sits on the previous search's hit: then the
    // search moves on from it. On a match the cursor moves onto it, the
    // match is selected and its row brought into view; the address, or -1
    // with nothing changed.
    Address Find(const FindRequest& request);
    // The next Find moves on from `address` as from its own hit.
    void MarkHit(Address address) { lastHit_ = address; }

    // Ask for `PaintRow`-style repaints.
    void RepaintRow(Address row);
    void RepaintRange(Address a, Address b);

    // The cells of row `row` and the colours of each stretch.
    void BuildRow(Address row, RowPlan& plan);
    // The block caret and the focus rectangle in the other column; none when
    // the cursor's row is not visible or the cell would cross its column's edge.
    std::optional<VRect> CaretRect() const;
    std::optional<VRect> FocusRect() const;

    ViewDamage TakeDamage();

private:
    Address Start() const;
    Address End() const;
    int32_t PageRows() const;
    // Keeps TopRow on the document's rows; damage when it moved from `old`.
    void ClampTop(Address old);

    // The document's search from `from`, a match at `from` itself included.
    Address FindFrom(const FindRequest& request, Address from);

    OBufferDocument& doc_;
    ViewDamage damage_;
    // Where the last search's hit left the cursor; -1 when none.
    Address lastHit_ = -1;
    // The byte a mouse drag started on.
    Address dragAnchor_ = 0;
    // Thousandths of a row the drag scroll owes, carried between calls.
    int64_t dragCarry_ = 0;
    // Wheel delta short of a whole notch.
    int32_t wheelRest_ = 0;
};
