#include "app/qt/inspector_commands.h"

#include "app/qt/shell_services.h"
#include "document/buffer_document.h"
#include "settings/profile.h"
#include "view/qt/buffer_view.h"
#include "view/value_inspector.h"

#include <QAction>
#include <QDockWidget>
#include <QFontDatabase>
#include <QHeaderView>
#include <QMainWindow>
#include <QScrollBar>
#include <QTableWidget>

#include <algorithm>

TInspectorCommands::TInspectorCommands(QMainWindow* frame, std::string settingsPath)
    : QObject(frame), frame_(frame), settingsPath_(std::move(settingsPath))
{
    pane_ = new QDockWidget(QString::fromLatin1(kPaneTitle), frame);
    pane_->setObjectName(QStringLiteral("InspectorPane"));
    const auto& rows = InspectorRows();
    table_ = new QTableWidget(int(rows.size()), 2, pane_);
    table_->setObjectName(QStringLiteral("InspectorTable"));
    table_->setHorizontalHeaderLabels({QStringLiteral("Type"), QStringLiteral("Value")});
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    table_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                            QAbstractItemView::AnyKeyPressed);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    for (int r = 0; r < int(rows.size()); ++r) {
        auto* name = new QTableWidgetItem(QString::fromLatin1(rows[size_t(r)].name.data(),
                                                               int(rows[size_t(r)].name.size())));
        name->setFlags(Qt::ItemIsEnabled);
        table_->setItem(r, 0, name);
        auto* value = new QTableWidgetItem(QStringLiteral("--"));
        value->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable);
        table_->setItem(r, 1, value);
    }
    table_->resizeColumnToContents(0);
    table_->resizeRowsToContents();
    // Room for the longest value, a double such as -1.7976931348623157e+308.
    const int valueWidth = table_->fontMetrics().horizontalAdvance(QStringLiteral("-1.7976931348623157e+308 "));
    table_->setMinimumWidth(table_->columnWidth(0) + valueWidth + table_->verticalScrollBar()->sizeHint().width() +
                            2 * table_->frameWidth());
    pane_->setWidget(table_);
    frame->addDockWidget(Qt::RightDockWidgetArea, pane_);
    pane_->setVisible(OProfile(settingsPath_).GetInt(kSection, kVisibleKey, 0) != 0);
    connect(table_, &QTableWidget::itemChanged, this, &TInspectorCommands::ValueEdited);
    connect(pane_->toggleViewAction(), &QAction::toggled, this, [this](bool on) {
        OProfile(settingsPath_).WriteInt(kSection, kVisibleKey, on ? 1 : 0);
        if (on)
            Refresh();
    });
}

void TInspectorCommands::SetView(OBufferView* view)
{
    if (view == view_)
        return;
    disconnect(moved_);
    disconnect(edited_);
    view_ = view;
    if (view) {
        moved_ = connect(view, &OBufferView::placeChanged, this, &TInspectorCommands::Refresh);
        edited_ = connect(view, &OBufferView::edited, this, &TInspectorCommands::Refresh);
    }
    Refresh();
}

void TInspectorCommands::TogglePane() { pane_->setVisible(!pane_->isVisible()); }

void TInspectorCommands::Refresh()
{
    if (!pane_->isVisible() || filling_)
        return;
    // Eight bytes at most are read, so this keeps up with every cursor move.
    uint8_t bytes[8] = {};
    int32_t available = 0;
    if (view_ && !view_->Document().IsBusy()) {
        OBufferDocument& document = view_->Document();
        const Address cursor = view_->Model().Cursor;
        available = int32_t(std::clamp<Address>(document.End() - cursor, 0, 8));
        for (int32_t i = 0; i < available; ++i)
            bytes[i] = document.ReadByte(cursor + i);
    }
    filling_ = true;
    const auto& rows = InspectorRows();
    for (int r = 0; r < int(rows.size()); ++r) {
        QTableWidgetItem* item = table_->item(r, 1);
        const QString text = QString::fromStdString(InspectorText(rows[size_t(r)], bytes, available));
        if (item->text() != text && !table_->isPersistentEditorOpen(item))
            item->setText(text);
    }
    filling_ = false;
}

void TInspectorCommands::ValueEdited(QTableWidgetItem* item)
{
    if (filling_ || item->column() != 1 || !view_)
        return;
    const InspectorRow& row = InspectorRows()[size_t(item->row())];
    const QString caption = QString::fromLatin1(kPaneTitle);
    std::array<uint8_t, 8> bytes{};
    std::string problem;
    OBufferView& view = *view_;
    // A refused value gives way to the bytes' own once the table has
    // finished committing the edit.
    const auto restore = [this] { QMetaObject::invokeMethod(this, &TInspectorCommands::Refresh, Qt::QueuedConnection); };
    const bool parsed = InspectorParse(row, item->text().toStdString(), bytes, problem);
    if (!parsed) {
        restore();
        ShowMessageBox(frame_, QString::fromStdString(problem), caption, mbIconExclamation);
        return;
    }
    if (view.RefuseWhileBusy()) {
        restore();
        return;
    }
    OBufferDocument& document = view.Document();
    const Address cursor = view.Model().Cursor;
    const auto available = int32_t(std::clamp<Address>(document.End() - cursor, 0, 8));
    if (available < row.width) {
        restore();
        ShowMessageBox(frame_, QString::fromStdString(InspectorPastWindowText(row, available)), caption, mbIconExclamation);
        return;
    }
    document.WriteBlock(bytes.data(), cursor, row.width);
    view.Model().RepaintRange(cursor, cursor + row.width - 1);
    view.Model().Refresh();
    view.ApplyDamage();
    emit view.edited();
}
