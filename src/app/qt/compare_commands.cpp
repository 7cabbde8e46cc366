#include "app/qt/compare_commands.h"

#include "app/program_paths.h"
#include "app/qt/doc_manager.h"
#include "app/qt/main_frame.h"
#include "app/qt/mdi_windows.h"
#include "app/qt/shell_services.h"
#include "app/qt/tovik_app.h"
#include "buffer/data_buffer.h"
#include "document/buffer_document.h"
#include "document/document_host.h"
#include "document/image_compare.h"
#include "view/qt/buffer_view.h"

#include <QInputDialog>
#include <QLabel>
#include <QStatusBar>

#include <algorithm>
#include <optional>

namespace {

TCompareCommands::Chooser& ChooserHook()
{
    static TCompareCommands::Chooser hook;
    return hook;
}

constexpr size_t kSliceRanges = 20000;

}  // namespace

void TCompareCommands::SetChooser(Chooser chooser) { ChooserHook() = std::move(chooser); }

TCompareCommands::TCompareCommands(TTovikApp& app) : QObject(&app), app_(app)
{
    counter_.setInterval(0);
    connect(&counter_, &QTimer::timeout, this, &TCompareCommands::CountSlice);
    stale_.setSingleShot(true);
    stale_.setInterval(100);
    connect(&stale_, &QTimer::timeout, this, [this] {
        if (index_) {
            index_->Reset();
            counter_.start();
        }
    });
}

TCompareCommands::~TCompareCommands() { Leave(); }

bool TCompareCommands::Choose(Choice& choice)
{
    std::vector<OBufferDocument*> others;
    auto* active = qobject_cast<TTovikMDIChild*>(app_.ClientArea->currentSubWindow());
    for (OBufferDocument* document : app_.DocManager()->Documents())
        if (!active || document != active->Document())
            others.push_back(document);
    if (ChooserHook())
        return ChooserHook()(others, choice);
    if (!others.empty()) {
        QStringList items;
        for (OBufferDocument* document : others)
            items << QString::fromStdString(document->Path().empty() ? document->Title() : document->Path());
        items << QString::fromLatin1(kAnotherFile);
        bool ok = false;
        const QString item = QInputDialog::getItem(app_.MainWindow(), QString::fromLatin1(kChooseCaption),
                                                   QString::fromLatin1(kChooseLabel), items, 0, false, &ok);
        if (!ok)
            return false;
        const qsizetype at = items.indexOf(item);
        if (at >= 0 && at < qsizetype(others.size())) {
            choice.document = others[size_t(at)];
            return true;
        }
    }
    return ChooseFileToOpen(app_.DocManager(), choice.path);
}

void TCompareCommands::CmCompare()
{
    if (Active()) {
        Leave();
        return;
    }
    auto* a = qobject_cast<TTovikMDIChild*>(app_.ClientArea->currentSubWindow());
    if (!a || a->Closing())
        return;
    Choice choice;
    if (!Choose(choice))
        return;
    OBufferDocument* document = choice.document;
    if (!document && !choice.path.empty()) {
        document = app_.DocManager()->FindDocument(choice.path);
        // A file that does not load says why and opens nothing.
        if (!document)
            document = app_.DocManager()->CreateNewDocument(choice.path, 0);
        if (!document)
            return;
    }
    if (!document)
        return;
    if (document == a->Document()) {
        ShowMessageBox(app_.MainWindow(), QString::fromLatin1(kSelfText), QString::fromLatin1(ApplicationName),
                       mbIconExclamation);
        return;
    }
    TTovikMDIChild* b = nullptr;
    for (TTovikMDIChild* child : app_.Children())
        if (child->Document() == document && !child->Closing())
            b = child;
    if (b)
        Start(a, b);
}

void TCompareCommands::Start(TTovikMDIChild* a, TTovikMDIChild* b)
{
    viewA_ = qobject_cast<OBufferView*>(a->View());
    viewB_ = qobject_cast<OBufferView*>(b->View());
    if (!viewA_ || !viewB_) {
        viewA_ = viewB_ = nullptr;
        return;
    }
    objectA_ = viewA_;
    objectB_ = viewB_;
    compare_ = std::make_unique<OImageCompare>(viewA_->Document().Data(), viewB_->Document().Data());
    index_ = std::make_unique<OCompareIndex>(*compare_);
    current_ = kNone;
    notice_.clear();

    // Side by side, each on half of the client area.
    const QSize room = app_.ClientArea->viewport()->size();
    const int half = room.width() / 2;
    for (TTovikMDIChild* child : {a, b})
        if (child->isMaximized() || child->isMinimized())
            child->showNormal();
    a->setGeometry(0, 0, half, room.height());
    b->setGeometry(half, 0, room.width() - half, room.height());

    for (OBufferView* view : {viewA_, viewB_}) {
        view->Painter().SetMarks(compare_.get());
        connect(view, &OBufferView::placeChanged, this, [this, view] { Follow(view); });
        connect(view, &OBufferView::edited, this, &TCompareCommands::Edited);
        connect(view, &QObject::destroyed, this, &TCompareCommands::ViewGone);
        view->update();
    }
    app_.ClientArea->setActiveSubWindow(a);
    Follow(viewA_);

    if (!status_) {
        status_ = new QLabel(app_.MainWindow()->statusBar());
        status_->setObjectName(QStringLiteral("CompareStatus"));
        app_.MainWindow()->statusBar()->insertWidget(0, status_, 1);
    }
    status_->show();
    counter_.start();
    ShowStatus();
}

void TCompareCommands::ViewGone(QObject* view)
{
    if (view == objectA_)
        viewA_ = nullptr;
    if (view == objectB_)
        viewB_ = nullptr;
    Leave();
    // The other side stays open; say why its marks went.
    if (app_.MainWindow())
        app_.MainWindow()->statusBar()->showMessage(QString::fromLatin1(kEndedText), 10000);
}

void TCompareCommands::Leave()
{
    counter_.stop();
    stale_.stop();
    for (OBufferView* view : {viewA_, viewB_}) {
        if (!view)
            continue;
        disconnect(view, nullptr, this, nullptr);
        view->Painter().SetMarks(nullptr);
        view->update();
    }
    viewA_ = viewB_ = nullptr;
    objectA_ = objectB_ = nullptr;
    index_.reset();
    compare_.reset();
    current_ = kNone;
    delete status_.data();
}

void TCompareCommands::Follow(OBufferView* from)
{
    OBufferView* other = from == viewA_ ? viewB_ : viewA_;
    if (following_ || !other || !from)
        return;
    following_ = true;
    OViewModel& to = other->Model();
    const OViewModel& source = from->Model();
    to.FollowPlace(source.Cursor, source.TopRow);
    to.Refresh();
    other->ApplyDamage(false);
    following_ = false;
    // The status names a difference only while the cursor stands on it.
    if ((current_ != kNone || !notice_.isEmpty()) && Address(source.Cursor) != jumpedTo_) {
        current_ = kNone;
        notice_.clear();
        ShowStatus();
    }
}

void TCompareCommands::Edited()
{
    if (!Active())
        return;
    for (OBufferView* view : {viewA_, viewB_})
        if (view)
            view->update();
    counter_.stop();
    current_ = kNone;
    notice_.clear();
    stale_.start();
    ShowStatus();
}

bool TCompareCommands::Busy() const
{
    return (viewA_ && viewA_->Document().IsBusy()) || (viewB_ && viewB_->Document().IsBusy());
}

void TCompareCommands::CountSlice()
{
    // A document that is loading or editing is counted once it is done.
    if (Busy()) {
        counter_.stop();
        stale_.start();
        return;
    }
    if (!index_ || index_->Advance(kSliceRanges))
        counter_.stop();
    ShowStatus();
}

void TCompareCommands::Jump(bool forward)
{
    if (!Active() || viewA_->RefuseWhileBusy() || viewB_->RefuseWhileBusy())
        return;
    if (stale_.isActive()) {
        stale_.stop();
        index_->Reset();
        counter_.start();
    }
    OBufferView* view = viewA_;
    if (app_.ClientArea->currentSubWindow() && app_.ClientArea->currentSubWindow()->widget() == viewB_)
        view = viewB_;
    const Address cursor = view->Model().Cursor;
    const std::optional<size_t> found = forward ? index_->After(cursor) : index_->Before(cursor);
    jumpedTo_ = cursor;
    if (!found) {
        current_ = kNone;
        notice_ = QString::fromLatin1(index_->Complete() && index_->Ranges().empty()
                                          ? kEqualText
                                          : forward ? kNoneAfterText : kNoneBeforeText);
        ShowStatus();
        return;
    }
    const DiffRange range = index_->Ranges()[*found];
    // Bytes only one image has are shown from the view of that image.
    if (range.kind == DiffKind::OnlyA)
        view = viewA_;
    else if (range.kind == DiffKind::OnlyB)
        view = viewB_;
    current_ = *found;
    notice_.clear();
    jumpedTo_ = range.first;
    OViewModel& model = view->Model();
    model.ClearSelection();
    model.Cursor = decltype(model.Cursor)(range.first);
    model.LowNibble = false;
    model.EnsureCursorVisible();
    model.Refresh();
    view->ApplyDamage();
    ShowStatus();
}

QString TCompareCommands::StatusText() const
{
    if (!index_)
        return {};
    if (!notice_.isEmpty())
        return notice_;
    const size_t count = index_->Ranges().size();
    const QString total = QString::number(count) + (index_->Complete() ? QString() : QStringLiteral("+"));
    if (current_ != kNone && current_ < count) {
        const DiffRange& range = index_->Ranges()[current_];
        return QStringLiteral("difference %1 of %2, %3 bytes at %4")
            .arg(current_ + 1)
            .arg(total)
            .arg(range.Count())
            .arg(qulonglong(range.first), 8, 16, QLatin1Char('0'));
    }
    if (index_->Complete() && count == 0)
        return QString::fromLatin1(kEqualText);
    return QStringLiteral("%1 differences, %2 bytes").arg(total).arg(index_->Bytes());
}

void TCompareCommands::ShowStatus()
{
    if (status_)
        status_->setText(StatusText());
}
