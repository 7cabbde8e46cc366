#include "app/qt/range_commands.h"

#include "document/elf_details.h"
#include "document/saved_ranges.h"
#include "settings/profile.h"
#include "view/qt/buffer_view.h"

#include <QAbstractListModel>
#include <QAction>
#include <QDockWidget>
#include <QFont>
#include <QFontDatabase>
#include <QListView>
#include <QMainWindow>
#include <QPalette>

// The lines of the pane, made when shown, so a list of many thousands of
// ranges costs only the rows on the screen.
class TRangeListModel : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : int(ranges.size()); }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || index.row() >= int(ranges.size()))
            return {};
        if (role == Qt::DisplayRole) {
            const std::string line = RangeLine(ranges[size_t(index.row())]);
            const size_t row = size_t(index.row());
            return QString::fromStdString(row < names.size() && !names[row].empty() ? names[row] + " " + line : line);
        }
        if (role == Qt::FontRole && index.row() == marked) {
            QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
            font.setBold(true);
            return font;
        }
        if (role == Qt::BackgroundRole && index.row() == marked)
            return QPalette().color(QPalette::AlternateBase);
        return {};
    }
    void Reset(std::vector<OBufferDocument::SavedRange> fresh, int mark, std::vector<std::string> sectionNames = {})
    {
        beginResetModel();
        ranges = std::move(fresh);
        names = std::move(sectionNames);
        marked = mark;
        endResetModel();
    }
    void Mark(int row)
    {
        if (row == marked)
            return;
        const int old = marked;
        marked = row;
        for (int r : {old, row})
            if (r >= 0 && r < int(ranges.size()))
                emit dataChanged(index(r), index(r));
    }

    std::vector<OBufferDocument::SavedRange> ranges;
    // The sections each range holds, for a document read from ELF.
    std::vector<std::string> names;
    int marked = -1;
};

namespace {
// Edits come in bursts; the ranges are counted once a burst is over.
constexpr int kRecountDelayMs = 250;

void MoveCursor(OBufferView& view, Address address)
{
    AddressRequest request;
    request.start = static_cast<decltype(request.start)>(address);
    view.Commands().PositionCursor(request);
    view.ApplyDamage();
    emit view.cursorNotice(view.Model().Cursor);
}
} // namespace

TRangeCommands::TRangeCommands(QMainWindow* frame, std::string settingsPath)
    : QObject(frame), frame_(frame), settingsPath_(std::move(settingsPath))
{
    pane_ = new QDockWidget(QString::fromLatin1(kPaneTitle), frame);
    pane_->setObjectName(QStringLiteral("RangesPane"));
    list_ = new QListView(pane_);
    list_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    list_->setUniformItemSizes(true);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    model_ = new TRangeListModel(list_);
    list_->setModel(model_);
    pane_->setWidget(list_);
    frame->addDockWidget(Qt::RightDockWidgetArea, pane_);
    pane_->setVisible(OProfile(settingsPath_).GetInt(kSection, kVisibleKey, 0) != 0);
    connect(list_, &QListView::clicked, this, [this](const QModelIndex& index) { RowClicked(index.row()); });
    connect(list_, &QListView::activated, this, [this](const QModelIndex& index) { RowClicked(index.row()); });
    // Closing the dock by its own button is remembered like the command.
    connect(pane_->toggleViewAction(), &QAction::toggled, this, [this](bool on) {
        OProfile(settingsPath_).WriteInt(kSection, kVisibleKey, on ? 1 : 0);
        if (on && stale_)
            Recount();
    });
    recount_.setSingleShot(true);
    recount_.setInterval(kRecountDelayMs);
    connect(&recount_, &QTimer::timeout, this, &TRangeCommands::Recount);
}

const std::vector<OBufferDocument::SavedRange>& TRangeCommands::Ranges() const
{
    return model_->ranges;
}

int TRangeCommands::MarkedRow() const
{
    return model_->marked;
}

void TRangeCommands::SetView(OBufferView* view)
{
    if (view == view_)
        return;
    disconnect(viewConnection_);
    view_ = view;
    if (view)
        viewConnection_ = connect(view, &OBufferView::cursorNotice, this, &TRangeCommands::CursorMoved);
    Recount();
}

void TRangeCommands::CursorMoved(int32_t address)
{
    // A cursor move is the cheap part (a search in the list); the count
    // itself waits for the pause.
    model_->Mark(RangeIndexAt(model_->ranges, address));
    stale_ = true;
    if (pane_->isVisible())
        recount_.start();
}

void TRangeCommands::Recount()
{
    recount_.stop();
    if (!view_ || view_->Document().IsBusy()) {
        if (!view_)
            model_->Reset({}, -1);
        return;
    }
    stale_ = false;
    std::vector<OBufferDocument::SavedRange> fresh = view_->Document().SavedRanges();
    const int mark = RangeIndexAt(fresh, view_->Model().Cursor);
    const auto& old = model_->ranges;
    const bool same = fresh.size() == old.size() &&
                      std::equal(fresh.begin(), fresh.end(), old.begin(), [](const auto& a, const auto& b) {
                          return a.first == b.first && a.last == b.last;
                      });
    std::vector<std::string> names;
    if (const ElfInfo* elf = view_->Document().Elf())
        for (const OBufferDocument::SavedRange& range : fresh)
            names.push_back(SectionNames(*elf, range.first, range.last));
    if (same && names == model_->names)
        model_->Mark(mark);
    else
        model_->Reset(std::move(fresh), mark, std::move(names));
    if (mark >= 0)
        list_->scrollTo(model_->index(mark));
}

void TRangeCommands::Jump(OBufferView* view, bool next)
{
    if (!view || view->RefuseWhileBusy())
        return;
    if (view != view_ || stale_)
        SetView(view), Recount();
    const Address cursor = view->Model().Cursor;
    const Address to = next ? NextRangeStart(model_->ranges, cursor) : PreviousRangeStart(model_->ranges, cursor);
    if (to != kNoAddress)
        MoveCursor(*view, to);
}

void TRangeCommands::RowClicked(int row)
{
    if (!view_ || row < 0 || row >= int(model_->ranges.size()) || view_->RefuseWhileBusy())
        return;
    MoveCursor(*view_, model_->ranges[size_t(row)].first);
    view_->setFocus();
}

void TRangeCommands::TogglePane()
{
    pane_->setVisible(!pane_->isVisible());
}
