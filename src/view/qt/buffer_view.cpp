#include "view/qt/buffer_view.h"

#include "settings/settings_record.h"
#include "document/buffer_document.h"
#include "settings/ansi_chars.h"
#include "settings/font_record.h"
#include "view/qt/memory_view.h"
#include "view/qt/view_font.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QStyleHints>

#include <algorithm>

namespace {

std::string& FontPath()
{
    static std::string path;
    return path;
}

// While the pointer is held above or below the rows, the drag scrolls on
// at this pace; how many rows each step moves is the model's to say.
constexpr int kDragRepeatMs = 25;

OViewModel::Key MapKey(int key)
{
    using K = OViewModel::Key;
    switch (key) {
    case Qt::Key_Left: return K::Left;
    case Qt::Key_Backspace: return K::Backspace;
    case Qt::Key_Right: return K::Right;
    case Qt::Key_Up: return K::Up;
    case Qt::Key_Down: return K::Down;
    case Qt::Key_PageUp: return K::PageUp;
    case Qt::Key_PageDown: return K::PageDown;
    case Qt::Key_Home: return K::Home;
    case Qt::Key_End: return K::End;
    case Qt::Key_Return:
    case Qt::Key_Enter: return K::Enter;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return K::Tab;
    case Qt::Key_Shift: return K::Shift;
    case Qt::Key_Control: return K::Ctrl;
    case Qt::Key_Delete: return K::Delete;
    default: return K::Other;
    }
}

QRect ToQRect(const VRect& r) { return QRect(r.left, r.top, r.Width(), r.Height()); }

}  // namespace

void OBufferView::SetFontFilePath(std::string path) { FontPath() = std::move(path); }
const std::string& OBufferView::FontFilePath() { return FontPath(); }

OBufferView::OBufferView(OBufferDocument* document, QWidget* parent)
    : QWidget(parent), doc_(document), model_(*document), commands_(model_)
{
    setObjectName(QString::fromLatin1(kViewName));
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_InputMethodEnabled, false);

    headerItems_ = new QStandardItemModel(0, 3, this);
    headerItems_->setHorizontalHeaderLabels({"Address", "HEX", "ASCII"});
    header_ = new QHeaderView(Qt::Horizontal, this);
    header_->setObjectName(QString::number(kHeaderId));
    header_->setModel(headerItems_);
    header_->setSectionsClickable(true);
    header_->setSectionResizeMode(QHeaderView::Interactive);
    header_->setStretchLastSection(false);
    header_->setMinimumSectionSize(1);
    header_->setFocusPolicy(Qt::NoFocus);
    connect(header_, &QHeaderView::sectionResized, this, &OBufferView::OnHeaderResized);

    scroller_ = new QScrollBar(Qt::Vertical, this);
    scroller_->setObjectName(QString::number(kScrollerId));
    scroller_->setFocusPolicy(Qt::NoFocus);
    connect(scroller_, &QScrollBar::actionTriggered, this, &OBufferView::OnScrollAction);

    contextMenu_ = new QMenu(this);
    const std::pair<const char*, int> items[] = {{"&Cut", kCmCut}, {"C&opy", kCmCopy},
                                                 {"&Paste", kCmPaste}};
    for (const auto& [text, id] : items) {
        QAction* action = contextMenu_->addAction(QString::fromLatin1(text));
        action->setData(id);
        connect(action, &QAction::triggered, this, [this, id] { Command(id); });
    }
    connect(contextMenu_, &QMenu::aboutToShow, this, [this] {
        for (QAction* action : contextMenu_->actions())
            action->setEnabled(CommandEnabled(action->data().toInt()));
    });

    commands_.BeforeMessage = [this] { ApplyDamage(); };

    LoadSettings();
    UpdatePanel();
    doc_->AddObserver(this);

    header_->show();
    model_.EnsureCursorVisible();
    columnsSized_ = false;
    Relayout(false);
    ApplyDamage();
}

OBufferView::~OBufferView() { doc_->RemoveObserver(this); }

void OBufferView::LoadSettings()
{
    painter_.SetFont(MakeViewFont(OFontRecord::Load(FontFilePath())));
    painter_.SetColours(ViewColours::FromPalette(palette()));
    model_.CharW = painter_.CharW();
    model_.RowHeight = painter_.RowHeight();
    showInfo_ = settings::ShowInformation(doc_->SettingsPath());
}

QRect OBufferView::RowsRect() const { return ToQRect(model_.RowsRect); }

void OBufferView::Relayout(bool sizeEvent)
{
    const QRect client = rect();
    adjustingHeader_ = true;
    // The columns get their widths from the first size the user sees; the
    // sizes a hidden view passes through before it is placed do not count.
    if (sizeEvent && !columnsSized_ && isVisible()) {
        if (const auto widths = hexlayout::InitialColumnWidths(client.width(), model_.CharW)) {
            header_->resizeSection(0, widths->address);
            header_->resizeSection(1, widths->hex);
            header_->resizeSection(2, widths->ascii);
            columnsSized_ = true;
        }
    }
    const int headerHeight = header_->sizeHint().height();
    const VRect c{client.left(), client.top(), client.left() + client.width(),
                  client.top() + client.height()};
    const hexlayout::ViewLayout l = hexlayout::ComputeLayout(
        c, headerHeight, header_->sectionSize(0), header_->sectionSize(1), showInfo_, InfoPanelHeight());
    header_->setGeometry(ToQRect(l.header));
    scroller_->setGeometry(ToQRect(l.scroller));
    model_.RowsRect = l.rows;
    model_.HexX = l.hexX;
    model_.AsciiX = l.asciiX;
    header_->resizeSection(2, std::max(0, l.asciiWidth));
    adjustingHeader_ = false;
    if (panel_)
        panel_->setGeometry(ToQRect(l.info));
    update();
    if (sizeEvent) {
        // Never from another view: tiling resizes them all at once.
        if (!qobject_cast<OBufferView*>(QApplication::focusWidget()))
            setFocus();
        model_.UpdateRows();
        model_.UpdateScrollRange(doc_->Size());
        model_.EnsureCursorVisible();
    }
}

void OBufferView::StretchLastColumn()
{
    adjustingHeader_ = true;
    header_->resizeSection(2, std::max(0, model_.RowsRect.right - model_.AsciiX));
    adjustingHeader_ = false;
}

void OBufferView::OnHeaderResized(int, int, int)
{
    if (adjustingHeader_)
        return;
    model_.HexX = header_->sectionSize(0);
    model_.AsciiX = model_.HexX + header_->sectionSize(1);
    StretchLastColumn();
    // The whole row area is drawn again, the marks with it at their new
    // place; that place is the one to clear when the cursor moves next.
    update(RowsRect());
    marks_ = MarksRegion();
}

void OBufferView::OnScrollAction(int action)
{
    using A = OViewModel::ScrollAction;
    A a;
    switch (action) {
    case QAbstractSlider::SliderSingleStepSub: a = A::LineUp; break;
    case QAbstractSlider::SliderSingleStepAdd: a = A::LineDown; break;
    case QAbstractSlider::SliderPageStepSub: a = A::PageUp; break;
    case QAbstractSlider::SliderPageStepAdd: a = A::PageDown; break;
    case QAbstractSlider::SliderToMinimum: a = A::Top; break;
    case QAbstractSlider::SliderToMaximum: a = A::Bottom; break;
    case QAbstractSlider::SliderMove: a = A::Thumb; break;
    default: return;
    }
    model_.Scroll(a, scroller_->sliderPosition());
    ApplyDamage();
    // The slider follows the rows actually shown, also when they were clamped.
    scroller_->setSliderPosition(model_.ScrollPosition());
}

QSize OBufferView::sizeHint() const
{
    constexpr int kHintRows = 24;
    // Once the columns have their widths, a whole row is as wide as they are.
    const int cells = (hexlayout::kRowCells + 2) * model_.CharW;
    const int columns = header_->sectionSize(0) + header_->sectionSize(1) +
                        hexlayout::kAsciiCells * model_.CharW;
    const int width = (columnsSized_ ? std::max(cells, columns) : cells) + hexlayout::kScrollerWidth + 1;
    const int height = header_->sizeHint().height() + 1 + kHintRows * model_.RowHeight +
                       (showInfo_ ? InfoPanelHeight() : 0);
    return QSize(width, height);
}

int OBufferView::InfoPanelHeight() const
{
    return hexlayout::InfoHeight((panel_ ? panel_->fontMetrics() : fontMetrics()).height());
}

QSize OBufferView::minimumSizeHint() const
{
    return QSize(hexlayout::kScrollerWidth + 8 * model_.CharW,
                 header_->sizeHint().height() + 1 + 2 * model_.RowHeight);
}

void OBufferView::EnsureCursorVisible()
{
    model_.EnsureCursorVisible();
    ApplyDamage();
}

void OBufferView::UpdateScrollRange(Address size)
{
    model_.UpdateScrollRange(size);
    ApplyDamage();
}

void OBufferView::PaintRow(Address row)
{
    model_.RepaintRow(row);
    ApplyDamage();
}

void OBufferView::RepaintRange(Address a, Address b)
{
    model_.RepaintRange(a, b);
    ApplyDamage();
}

QRegion OBufferView::MarksRegion() const
{
    QRegion region;
    if (!hasFocus() || doc_->IsBusy())
        return region;
    if (const auto c = model_.CaretRect())
        region += ToQRect(*c);
    if (const auto f = model_.FocusRect())
        region += ToQRect(*f);
    return region;
}

void OBufferView::ApplyDamage(bool atOnce)
{
    ViewDamage damage = model_.TakeDamage();
    QRegion now;
    if (!doc_->IsBusy()) {
        for (auto [first, last] : damage.rows) {
            first = std::max(first, model_.FirstVisibleRow());
            last = std::min(last, model_.LastVisibleRow());
            if (first <= last)
                now += QRect(model_.RowsRect.left, model_.RowY(first), model_.RowsRect.Width(),
                             static_cast<int>(last - first + 1) * model_.RowHeight);
        }
        if (damage.rowAreaNow)
            now += RowsRect();
    }
    // The caret and the focus mark leave their old place and show at the new.
    const QRegion marks = MarksRegion();
    if (marks != marks_) {
        now += marks_;
        now += marks;
        marks_ = marks;
        RestartBlink();
    }
    if (damage.rowArea)
        update(RowsRect());
    if (!now.isEmpty()) {
        if (atOnce)
            repaint(now);
        else
            update(now);
    }

    const int maximum = std::max(model_.ScrollMin, model_.ScrollMax);
    const QSignalBlocker block(scroller_);
    if (scroller_->minimum() != model_.ScrollMin || scroller_->maximum() != maximum)
        scroller_->setRange(model_.ScrollMin, maximum);
    scroller_->setPageStep(std::max(1, model_.Rows / model_.ScrollScale));
    if (scroller_->value() != model_.ScrollPosition())
        scroller_->setValue(model_.ScrollPosition());
    // The panel shows the byte under the cursor and the sum: any edit may
    // have changed them.
    if (panel_ && (damage.cursorNotice || damage.rowArea || !damage.rows.empty()))
        panel_->SetCursor(model_.Cursor);
    if (damage.cursorNotice)
        emit cursorNotice(model_.Cursor);
    if (shownTop_ != model_.TopRow || shownCursor_ != model_.Cursor) {
        shownTop_ = model_.TopRow;
        shownCursor_ = model_.Cursor;
        emit placeChanged();
    }
}

void OBufferView::UpdatePanel()
{
    if (showInfo_ && !panel_) {
        panel_ = new OMemoryView(*doc_, this);
        panel_->SetCursor(model_.Cursor);
        panel_->show();
    } else if (!showInfo_ && panel_) {
        delete panel_;
        panel_ = nullptr;
    } else if (panel_) {
        panel_->SettingsChanged();
    }
}

void OBufferView::Render(QPainter& painter, const QRect& clip, bool marks)
{
    if (doc_->IsBusy()) {
        painter_.PaintBusy(painter, clip);
        return;
    }
    // The header and the scroll bar paint themselves; the rest is the view's.
    QRegion background(rect());
    background -= header_->geometry();
    background -= scroller_->geometry();
    painter_.PaintRows(painter, model_, clip, background);
    if (marks)
        painter_.PaintMarks(painter, model_, caretOn_);
}

void OBufferView::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    Render(painter, event->rect(), hasFocus());
}

void OBufferView::resizeEvent(QResizeEvent*)
{
    // While a window is tiled, cascaded, maximised or restored its geometry
    // is still settling: a painting forced now would be cut at the old size
    // and the pending full repaint taken for done, leaving grey or stale
    // parts. The whole view is painted with the next paint event instead.
    Relayout(true);
    ApplyDamage(false);
}

void OBufferView::showEvent(QShowEvent*)
{
    if (!columnsSized_) {
        Relayout(true);
        ApplyDamage(false);
    }
}

void OBufferView::keyPressEvent(QKeyEvent* event)
{
    // Keys typed while the document works go nowhere; a box at every key
    // would only stand between the user and the operation's Cancel.
    if (doc_->IsBusy()) {
        event->accept();
        return;
    }
    const OViewModel::Key key = MapKey(event->key());
    const bool handled = model_.KeyDown(key);
    bool typed = false;
    // Text arrives with the key; characters belong to keys the table leaves
    // alone, and never to shortcuts.
    if (key == OViewModel::Key::Other &&
        !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
        for (const QChar c : event->text()) {
            const int32_t code = UnicodeToAnsi(c.unicode());
            if (code >= 32) {
                model_.Char(uint32_t(code));
                typed = true;
            }
        }
    }
    caretOn_ = true;
    ApplyDamage();
    if (typed || key == OViewModel::Key::Delete || key == OViewModel::Key::Backspace)
        emit edited();
    if (handled || typed)
        event->accept();
    else
        event->ignore();
}

void OBufferView::keyReleaseEvent(QKeyEvent* event)
{
    if (event->isAutoRepeat())
        return;
    model_.KeyUp(MapKey(event->key()));
}

void OBufferView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    const QPoint p = event->position().toPoint();
    model_.ButtonDown(p.x(), p.y(), event->modifiers() & Qt::ShiftModifier);
    caretOn_ = true;
    ApplyDamage();
}

void OBufferView::mouseMoveEvent(QMouseEvent* event)
{
    if (!model_.Dragging)
        return;
    dragPoint_ = event->position().toPoint();
    const bool repeat = model_.MouseMove(dragPoint_.x(), dragPoint_.y());
    ApplyDamage();
    if (repeat) {
        if (!dragTimer_.isActive()) {
            dragTimer_.start(kDragRepeatMs, this);
            dragClock_.start();
        }
    } else {
        dragTimer_.stop();
    }
}

void OBufferView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return QWidget::mouseReleaseEvent(event);
    dragTimer_.stop();
    const QPoint p = event->position().toPoint();
    model_.ButtonUp(p.x(), p.y());
    ApplyDamage();
}

void OBufferView::wheelEvent(QWheelEvent* event)
{
    model_.Wheel(event->angleDelta().y(), event->modifiers() & Qt::ControlModifier);
    ApplyDamage();
    scroller_->setSliderPosition(model_.ScrollPosition());
    event->accept();
}

void OBufferView::contextMenuEvent(QContextMenuEvent* event)
{
    contextMenu_->popup(event->globalPos());
}

void OBufferView::focusInEvent(QFocusEvent*)
{
    caretOn_ = true;
    ApplyDamage();
}

void OBufferView::focusOutEvent(QFocusEvent*)
{
    model_.FocusLost();
    dragTimer_.stop();
    ApplyDamage();
}

void OBufferView::RestartBlink()
{
    caretOn_ = true;
    const int flash = QApplication::styleHints()->cursorFlashTime();
    if (hasFocus() && flash > 0)
        blinkTimer_.start(flash / 2, this);
    else
        blinkTimer_.stop();
}

void OBufferView::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == blinkTimer_.timerId()) {
        caretOn_ = !caretOn_;
        if (const auto c = model_.CaretRect(); c && hasFocus() && !doc_->IsBusy())
            update(ToQRect(*c));
    } else if (event->timerId() == dragTimer_.timerId()) {
        if (!model_.DragScroll(dragPoint_.y(), int32_t(dragClock_.restart())))
            dragTimer_.stop();
        ApplyDamage();
    } else {
        QWidget::timerEvent(event);
    }
}

void OBufferView::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::PaletteChange) {
        painter_.SetColours(ViewColours::FromPalette(palette()));
        update();
    }
    QWidget::changeEvent(event);
}

bool OBufferView::focusNextPrevChild(bool)
{
    // Tab switches between the hex and the character column.
    return false;
}

void OBufferView::DocumentNotify(OBufferDocument&, int notification, Address argument)
{
    switch (notification) {
    case vnBufferSize:
        // A window that shrank under the cursor (another view's edit, a
        // revert) must not leave it where typing would widen the buffer.
        if (model_.Cursor < doc_->Start() || model_.Cursor > doc_->End())
            model_.EnsureCursorVisible();
        // Nor may the selection name bytes that are gone.
        model_.KeepSelectionInside();
        UpdateScrollRange(argument);
        break;
    case vnSettings: {
        const int32_t oldCharW = model_.CharW;
        LoadSettings();
        // Another font needs other column widths: the ones a new view of
        // this size would get, or the hex column loses its last bytes.
        if (model_.CharW != oldCharW && columnsSized_)
            if (const auto widths = hexlayout::InitialColumnWidths(width(), model_.CharW)) {
                adjustingHeader_ = true;
                header_->resizeSection(0, widths->address);
                header_->resizeSection(1, widths->hex);
                header_->resizeSection(2, widths->ascii);
                adjustingHeader_ = false;
            }
        UpdatePanel();
        Relayout(false);
        model_.UpdateRows();
        model_.UpdateScrollRange(doc_->Size());
        model_.EnsureCursorVisible();
        ApplyDamage();
        break;
    }
    case vnBusy:
    case vnRevert:
        update();
        if (panel_)
            panel_->update();
        marks_ = QRegion();
        ApplyDamage();
        break;
    default:
        break;
    }
}
