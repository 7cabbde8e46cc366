#include "view/view_model.h"

#include "document/find_request.h"
#include "document/buffer_document.h"

#include <algorithm>
#include <cstdlib>

namespace {

constexpr char kLowerHex[] = "0123456789abcdef";
// The last byte's high digit: the furthest a click in the hex column reaches.
constexpr int32_t kLastHexCell = 45;

// Groups cells [from, to) into stretches of equal selection state.
template <typename CellFn>
int32_t MakeRuns(std::array<TextRun, 4>& runs, int32_t from, int32_t to, CellFn cell)
{
    int32_t count = 0;
    for (int32_t i = from; i < to;) {
        const bool selected = cell(i).selected;
        int32_t j = i + 1;
        while (j < to && cell(j).selected == selected)
            ++j;
        TextRun first = cell(i);
        TextRun last = cell(j - 1);
        if (count < int32_t(runs.size()))
            runs[count++] = {first.x, first.first, last.first + last.count - first.first, selected};
        i = j;
    }
    return count;
}

}  // namespace

OViewModel::OViewModel(OBufferDocument& document) : doc_(document) {}

Address OViewModel::Start() const { return doc_.Start(); }
Address OViewModel::End() const { return doc_.End(); }

// A page moves by the window less one row, but always by at least one row.
int32_t OViewModel::PageRows() const { return std::max(1, Rows - 1); }

void OViewModel::UpdateRows() { Rows = hexlayout::VisibleRows(RowsRect, RowHeight); }

void OViewModel::UpdateScrollRange(Address size)
{
    const Address first = Start() / kBytesPerRow;
    const Address last = first + size / kBytesPerRow - Rows / 2;
    if (last <= kScrollUnits) {
        ScrollScale = 1;
        ScrollMin = static_cast<int32_t>(first);
        ScrollMax = static_cast<int32_t>(last);
    } else {
        const Address f = last / kScrollUnits + 1;
        ScrollScale = static_cast<int32_t>(f);
        ScrollMin = static_cast<int32_t>(first / f);
        ScrollMax = static_cast<int32_t>(last / f + 1);
    }
    damage_.cursorNotice = true;
}

void OViewModel::EnsureCursorVisible()
{
    const Address oldTop = TopRow;
    if (TopRow < 0)
        TopRow = 0;
    Cursor = std::clamp(Cursor, Start(), End());
    const Address row = Cursor / kBytesPerRow;
    if (row < TopRow || row > TopRow + Rows - 1)
        TopRow = std::max<Address>(0, row - Rows / 2);
    TopRow = std::max(TopRow, Start() / kBytesPerRow);
    if (TopRow != oldTop)
        damage_.rowArea = true;
    damage_.cursorNotice = true;
}

void OViewModel::FollowPlace(Address cursor, Address topRow)
{
    const Address oldTop = TopRow;
    Cursor = std::clamp(cursor, Start(), End());
    LowNibble = false;
    TopRow = std::max<Address>(0, topRow);
    if (TopRow != oldTop)
        damage_.rowArea = true;
    damage_.cursorNotice = true;
}

void OViewModel::Scroll(ScrollAction action, int32_t position)
{
    if (doc_.IsBusy())
        return;
    const Address old = TopRow;
    switch (action) {
    case ScrollAction::LineUp: TopRow -= 1; break;
    case ScrollAction::LineDown: TopRow += 1; break;
    case ScrollAction::PageUp: TopRow -= Rows; break;
    case ScrollAction::PageDown: TopRow += Rows; break;
    case ScrollAction::Thumb: TopRow = Address{position} * ScrollScale; break;
    case ScrollAction::Top: TopRow = 0; break;
    case ScrollAction::Bottom: TopRow = Address{ScrollMax} * ScrollScale; break;
    case ScrollAction::EndScroll: return;
    }
    ClampTop(old);
}

void OViewModel::ClampTop(Address old)
{
    const Address first = Start() / kBytesPerRow;
    const Address last = std::max(first, first + doc_.Size() / kBytesPerRow - Rows / 2);
    TopRow = std::clamp(TopRow, first, last);
    if (TopRow != old)
        damage_.rowArea = true;
}

void OViewModel::Wheel(int32_t delta, bool pages)
{
    if (doc_.IsBusy())
        return;
    // A notch is 120; fine-grained wheels send parts of one, kept until
    // they make a whole notch.
    wheelRest_ += delta;
    const int32_t notches = wheelRest_ / kWheelNotch;
    wheelRest_ -= notches * kWheelNotch;
    const Address old = TopRow;
    TopRow -= Address{notches} * (pages ? Rows : kWheelRows);
    ClampTop(old);
}

bool OViewModel::KeyDown(Key key)
{
    const Address a = Cursor;
    bool handled = true;
    switch (key) {
    case Key::Left:
    case Key::Backspace:
        // At the first byte there is nowhere to go; the digit stays as well,
        // so the caret never jumps forward on a move to the left.
        if (AsciiMode || !LowNibble) {
            if (Cursor <= Start())
                break;
            Cursor -= 1;
        }
        LowNibble = !LowNibble;
        break;
    case Key::Right:
        if (AsciiMode || LowNibble) {
            if (Cursor >= End())
                break;
            Cursor += 1;
        }
        LowNibble = !LowNibble;
        break;
    case Key::Up:
        if (Cursor >= kBytesPerRow)
            Cursor -= kBytesPerRow;
        break;
    case Key::Down:
        if (End() >= Cursor + kBytesPerRow)
            Cursor += kBytesPerRow;
        break;
    case Key::PageUp: Cursor -= kBytesPerRow * PageRows(); break;
    case Key::PageDown: Cursor += kBytesPerRow * PageRows(); break;
    case Key::Home:
        Cursor = CtrlDown ? Start() : Cursor / kBytesPerRow * kBytesPerRow;
        break;
    case Key::End:
        Cursor = CtrlDown ? End() : Cursor / kBytesPerRow * kBytesPerRow + kBytesPerRow - 1;
        break;
    case Key::Enter: Cursor = Cursor / kBytesPerRow * kBytesPerRow + kBytesPerRow; break;
    case Key::Tab: AsciiMode = !AsciiMode; break;
    case Key::Shift: ShiftDown = true; break;
    case Key::Ctrl: CtrlDown = true; break;
    case Key::Delete:
        if (HasSelection()) {
            const Address s = SelStart, e = SelEnd;
            doc_.Fill(s, e, 0xFF);
            ClearSelection();
            RepaintRange(s, e);
        } else {
            doc_.WriteByte(0xFF, Cursor);
            RepaintRow(Cursor / kBytesPerRow);
        }
        break;
    case Key::Other: handled = false; break;
    }
    EnsureCursorVisible();
    UpdateSelection(a, Cursor);
    return handled;
}

void OViewModel::KeyUp(Key key)
{
    if (key == Key::Shift)
        ShiftDown = false;
    else if (key == Key::Ctrl)
        CtrlDown = false;
}

void OViewModel::Char(uint32_t code)
{
    if (code > 255 || code < 32)
        return;
    uint8_t value;
    if (AsciiMode) {
        value = uint8_t(code);
    } else {
        int32_t v;
        if (code >= '0' && code <= '9')
            v = int32_t(code - '0');
        else if (code >= 'a' && code <= 'f')
            v = int32_t(code - 'a' + 10);
        else if (code >= 'A' && code <= 'F')
            v = int32_t(code - 'A' + 10);
        else
            return;
        const uint8_t old = doc_.ReadByte(Cursor);
        value = LowNibble ? uint8_t((old & 0xF0) + v) : uint8_t((old & 0x0F) + v * 16);
    }
    doc_.WriteByte(value, Cursor);
    RepaintRow(Cursor / kBytesPerRow);
    ShiftDown = false;
    KeyDown(Key::Right);
}

void OViewModel::UpdateSelection(Address a, Address b)
{
    if (a == b)
        return;
    const Address s = SelStart, e = SelEnd;
    if (!ShiftDown) {
        ClearSelection();
    } else if (Dragging) {
        // The byte the drag started on stays selected whichever way the
        // pointer goes; forward the cursor's own byte is left out.
        if (b > dragAnchor_)
            SetSelection(dragAnchor_, b - 1);
        else
            SetSelection(b, dragAnchor_);
    } else {
        // Keys select the bytes between the anchor and the cursor. The anchor
        // is the selection's far end when the cursor stood on one of its
        // ends, else the old cursor: a fresh selection.
        Address anchor = a;
        if (s <= e) {
            if (a == e + 1)
                anchor = s;
            else if (a == s)
                anchor = e + 1;
        }
        if (b == anchor)
            ClearSelection();
        else
            SetSelection(std::min(anchor, b), std::max(anchor, b) - 1);
    }

    const bool startChanged = SelStart != s, endChanged = SelEnd != e;
    if (startChanged && endChanged) {
        if (s <= e)
            RepaintRange(s, e);
        if (SelStart <= SelEnd)
            RepaintRange(SelStart, SelEnd);
    } else if (startChanged || endChanged) {
        RepaintRange(std::min(a, b), std::max(a, b));
    }
}

void OViewModel::SetSelection(Address first, Address last)
{
    // The position after the last byte is no byte: a selection reaching it
    // would hand a byte that does not exist to copying and filling.
    first = std::max(first, Start());
    last = std::min(last, End() - 1);
    if (first <= last) {
        SelStart = first;
        SelEnd = last;
    } else {
        ClearSelection();
    }
}

void OViewModel::KeepSelectionInside()
{
    if (HasSelection())
        SetSelection(SelStart, SelEnd);
}

bool OViewModel::HitTest(int32_t x, int32_t y)
{
    const int32_t rowsBottom = RowsRect.top + Rows * RowHeight;
    if (y < RowsRect.top || y >= rowsBottom || x < HexX || x > RowsRect.right)
        return false;
    const int32_t row = (y - RowsRect.top) / RowHeight;
    Address col;
    if (x < AsciiX) {
        const int32_t k = std::min((x - HexX) / CharW, kLastHexCell);
        AsciiMode = false;
        LowNibble = k % 3 != 0;
        col = k / 3;
    } else {
        AsciiMode = true;
        col = std::min<Address>((x - AsciiX) / CharW, kBytesPerRow - 1);
    }
    Cursor = col + kBytesPerRow * (row + TopRow);
    EnsureCursorVisible();
    return true;
}

void OViewModel::ButtonDown(int32_t x, int32_t y, bool extend)
{
    // The anchor of Shift+click: the end of the selection away from the
    // cursor, or the cursor itself when nothing is selected.
    const Address anchor = !HasSelection() ? Cursor : Cursor > SelStart ? SelStart : SelEnd;
    if (!HitTest(x, y))
        return;
    Dragging = true;
    ShiftDown = true;
    dragCarry_ = 0;
    if (extend) {
        dragAnchor_ = anchor;
        SetSelection(std::min(anchor, Cursor), std::max(anchor, Cursor));
    } else {
        dragAnchor_ = Cursor;
        SetSelection(Cursor, Cursor);
    }
    damage_.rowArea = true;
}

bool OViewModel::MouseMove(int32_t x, int32_t y)
{
    if (!Dragging)
        return false;
    const Address a = Cursor, oldTop = TopRow;
    const bool inside = HitTest(x, y);
    const bool repeat =
        !inside && (y < RowsRect.top || y >= RowsRect.top + Rows * RowHeight);
    if (!repeat)
        dragCarry_ = 0;
    UpdateSelection(a, Cursor);
    if (TopRow != oldTop)
        damage_.rowAreaNow = true;
    return repeat;
}

int32_t OViewModel::DragScrollRate(int32_t distance, int32_t rowHeight)
{
    // Slow enough just past the rows to stop on the row one means; every
    // further two rows' height of distance adds the same again.
    const int32_t steps = std::max(distance, 0) / std::max(rowHeight, 1) / 2;
    return kDragRowsPerSecond * std::min(1 + steps, kDragFastest);
}

bool OViewModel::DragScroll(int32_t y, int32_t elapsedMs)
{
    if (!Dragging)
        return false;
    const int32_t rowsBottom = RowsRect.top + Rows * RowHeight;
    int32_t direction;
    int32_t distance;
    if (y < RowsRect.top) {
        direction = -1;
        distance = RowsRect.top - y;
    } else if (y >= rowsBottom) {
        direction = 1;
        distance = y - rowsBottom;
    } else {
        return false;
    }
    dragCarry_ += int64_t(DragScrollRate(distance, RowHeight)) * std::max(elapsedMs, 0);
    const int32_t rows = int32_t(dragCarry_ / 1000);
    dragCarry_ %= 1000;

    // The cursor runs along the edge row the pointer went past; the rows
    // move under it by the rows due, so the window scrolls smoothly.
    const Address a = Cursor, oldTop = TopRow;
    const Address column = Cursor - Cursor / kBytesPerRow * kBytesPerRow;
    const Address edge = direction > 0 ? TopRow + Rows - 1 : TopRow;
    const Address row = std::max<Address>(0, edge + Address{direction} * rows);
    if (direction > 0 && row > TopRow + Rows - 1)
        TopRow = row - Rows + 1;
    else if (direction < 0 && row < TopRow)
        TopRow = row;
    const Address first = Start() / kBytesPerRow;
    TopRow = std::clamp<Address>(TopRow, first, std::max<Address>(first, first + doc_.Size() / kBytesPerRow - Rows / 2));
    Cursor = row * kBytesPerRow + column;
    EnsureCursorVisible();
    UpdateSelection(a, Cursor);
    if (TopRow != oldTop)
        damage_.rowAreaNow = true;
    return true;
}

void OViewModel::ButtonUp(int32_t x, int32_t y)
{
    Dragging = false;
    ShiftDown = false;
    HitTest(x, y);
    if (SelStart == SelEnd && SelEnd == Cursor) {
        ClearSelection();
        RepaintRow(Cursor / kBytesPerRow);
    }
}

void OViewModel::FocusLost()
{
    ShiftDown = false;
    CtrlDown = false;
    Dragging = false;
}

Address OViewModel::FindFrom(const FindRequest& request, Address from)
{
    // The document passes over a match at its starting point, so the search
    // starts one byte earlier; upwards a one-byte match ends one byte later.
    if (request.up)
        return request.length == 1 && from < End() ? doc_.Find(request, from + 1) : doc_.Find(request, from);
    if (from > Start())
        return doc_.Find(request, from - 1);
    // At the window's start: only a match there ends at or before the
    // end of a match there, which an upward search finds.
    FindRequest back = request;
    back.up = true;
    const Address probe = Start() + std::max<int32_t>(request.length, 2) - 1;
    if (probe <= End() && doc_.Find(back, probe) == Start())
        return Start();
    return doc_.Find(request, from);
}

Address OViewModel::Find(const FindRequest& request)
{
    const Address found = Cursor == lastHit_ ? doc_.Find(request, Cursor) : FindFrom(request, Cursor);
    if (found < 0)
        return -1;
    Cursor = found;
    lastHit_ = found;
    LowNibble = false;
    SetSelection(found, found + request.length - 1);
    EnsureCursorVisible();
    damage_.rowArea = true;
    return found;
}

void OViewModel::RepaintRow(Address row) { damage_.rows.emplace_back(row, row); }

void OViewModel::RepaintRange(Address a, Address b)
{
    damage_.rows.emplace_back(a / kBytesPerRow, b / kBytesPerRow);
}

void OViewModel::BuildRow(Address row, RowPlan& plan)
{
    plan.row = row;
    plan.y = RowY(row);
    auto address = static_cast<uint32_t>(row * kBytesPerRow);
    for (int i = 7; i >= 0; --i, address >>= 4)
        plan.address[i] = kLowerHex[address & 0xF];
    plan.address[8] = 0;
    // Below the window's end only the row the cursor can stand in after the
    // last byte has an address; none lies past the address space.
    if (row * kBytesPerRow > End() || row * kBytesPerRow > (Address{1} << 32) - 1)
        std::fill(plan.address.begin(), plan.address.end() - 1, ' ');

    plan.hex.fill(' ');
    plan.ascii.fill(' ');
    int32_t n = doc_.HexRow(plan.hex.data(), row);
    const int32_t k = n < 0 ? doc_.OutsideCount() : 0;
    int32_t m = std::abs(doc_.AsciiRow(plan.ascii.data(), row));
    n = std::min(std::abs(n), hexlayout::HexFit(HexX, AsciiX, CharW));
    if (n > 0 && plan.hex[n - 1] == ' ')
        --n;
    m = std::min(m, hexlayout::AsciiFit(AsciiX, RowsRect.right, CharW));
    plan.hexLength = n;
    plan.asciiLength = m;
    plan.skip = k;

    const Address rowAddress = row * kBytesPerRow;
    const int32_t hexCells = (n + 2) / 3;
    plan.hexRunCount = MakeRuns(plan.hexRuns, k, hexCells, [&](int32_t i) {
        return TextRun{HexX + 3 * i * CharW, 3 * i, std::min(3, n - 3 * i),
                       IsSelected(rowAddress + i)};
    });
    plan.asciiRunCount = MakeRuns(plan.asciiRuns, k, m, [&](int32_t i) {
        return TextRun{AsciiX + i * CharW, i, 1, IsSelected(rowAddress + i)};
    });
}

std::optional<VRect> OViewModel::CaretRect() const
{
    const auto col = static_cast<int32_t>(Cursor % kBytesPerRow);
    const Address row = Cursor / kBytesPerRow - TopRow;
    if (row < 0 || row >= Rows)
        return std::nullopt;
    const int32_t y = static_cast<int32_t>(row) * RowHeight + RowsRect.top;
    int32_t x;
    if (AsciiMode) {
        x = AsciiX + col * CharW;
        if (x >= RowsRect.right - CharW)
            return std::nullopt;
    } else {
        x = HexX + (3 * col + (LowNibble ? 1 : 0)) * CharW;
        if (x >= AsciiX - CharW)
            return std::nullopt;
    }
    return VRect{x, y, x + CharW, y + RowHeight};
}

std::optional<VRect> OViewModel::FocusRect() const
{
    const auto col = static_cast<int32_t>(Cursor % kBytesPerRow);
    const Address row = Cursor / kBytesPerRow - TopRow;
    if (row < 0 || row >= Rows)
        return std::nullopt;
    const int32_t y = static_cast<int32_t>(row) * RowHeight + RowsRect.top;
    if (AsciiMode) {
        const int32_t left = HexX + 3 * col * CharW;
        if (left + 2 * CharW >= AsciiX)
            return std::nullopt;
        return VRect{left, y, left + 2 * CharW, y + RowHeight};
    }
    const int32_t left = AsciiX + col * CharW;
    if (left + CharW >= RowsRect.right)
        return std::nullopt;
    return VRect{left, y, left + CharW, y + RowHeight};
}

ViewDamage OViewModel::TakeDamage()
{
    ViewDamage d = std::move(damage_);
    damage_ = ViewDamage{};
    return d;
}
