#include "app/qt/symbol_commands.h"

#include "document/elf_details.h"
#include "view/qt/buffer_view.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QVBoxLayout>

TGoToSymbolDlg::TGoToSymbolDlg(QWidget* owner, const ElfInfo& info) : QDialog(owner), info_(info)
{
    setObjectName(QStringLiteral("GoToSymbolDialog"));
    setWindowTitle(QString::fromLatin1(kTitle));
    filter_ = new QLineEdit(this);
    filter_->setObjectName(QStringLiteral("filter"));
    filter_->installEventFilter(this);
    auto* label = new QLabel(QStringLiteral("&Symbol:"), this);
    label->setBuddy(filter_);
    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("symbols"));
    list_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    list_->setUniformItemSizes(true);
    list_->setMinimumWidth(list_->fontMetrics().horizontalAdvance(QLatin1Char('x')) * 64);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(filter_);
    layout->addWidget(list_, 1);
    layout->addWidget(buttons);
    connect(filter_, &QLineEdit::textChanged, this, &TGoToSymbolDlg::Refill);
    connect(list_, &QListWidget::itemActivated, this, &TGoToSymbolDlg::Choose);
    connect(buttons, &QDialogButtonBox::accepted, this, &TGoToSymbolDlg::Choose);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    Refill();
}

void TGoToSymbolDlg::Refill()
{
    shown_ = MatchingSymbols(info_, filter_->text().toStdString());
    list_->clear();
    int first = -1;
    for (size_t index : shown_) {
        const ElfSymbol& symbol = info_.symbols[index];
        auto* item = new QListWidgetItem(QString::fromStdString(SymbolLine(symbol)), list_);
        // A symbol that only lives in RAM has no bytes in the image to go to.
        if (symbol.loadAddress == kNoAddress)
            item->setFlags(item->flags() & ~(Qt::ItemIsEnabled | Qt::ItemIsSelectable));
        else if (first < 0)
            first = list_->count() - 1;
    }
    if (first >= 0)
        list_->setCurrentRow(first);
}

void TGoToSymbolDlg::Choose()
{
    const int row = list_->currentRow();
    if (row < 0 || size_t(row) >= shown_.size() || !(list_->item(row)->flags() & Qt::ItemIsEnabled))
        return;
    chosen_ = shown_[size_t(row)];
    accept();
}

bool TGoToSymbolDlg::eventFilter(QObject* watched, QEvent* event)
{
    // The arrow and page keys in the filter walk the list, so typing and
    // choosing need no change of focus.
    if (watched == filter_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp || key == Qt::Key_PageDown) {
            QCoreApplication::sendEvent(list_, event);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void RunGoToSymbol(QWidget* owner, OBufferView* view)
{
    if (!view || view->RefuseWhileBusy() || !view->Document().Elf())
        return;
    // The dialog keeps its own reference: the document may be read again
    // while it is open.
    const ElfInfo info = *view->Document().Elf();
    TGoToSymbolDlg dialog(owner, info);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const ElfSymbol& symbol = info.symbols[dialog.Chosen()];
    view->Commands().SelectAt(symbol.loadAddress, symbol.size);
    view->ApplyDamage();
    emit view->cursorNotice(view->Model().Cursor);
    view->setFocus();
}
