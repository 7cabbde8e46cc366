#include "app/qt/find_commands.h"

#include "app/program_paths.h"
#include "app/qt/shell_services.h"
#include "dialogs/qt/find_dialog.h"
#include "document/buffer_document.h"
#include "document/document_host.h"
#include "view/qt/buffer_view.h"

#include <QMainWindow>
#include <QScreen>
#include <QStatusBar>

#include <algorithm>

TFindCommands::TFindCommands(QWidget* owner, std::function<OBufferView*()> activeView)
    : QObject(owner), owner(owner), activeView(std::move(activeView))
{
}

TFindCommands::~TFindCommands()
{
    delete dialog.data();
}

void TFindCommands::CmFind()
{
    if (dialogOpen) {
        dialog->raise();
        dialog->activateWindow();
        return;
    }
    dialogOpen = true;
    delete dialog.data();
    dialog = new OFindDialog(owner, request);
    // Queued, as the dialog's notices are posted: the client acts once the
    // dialog's own handler is over.
    connect(dialog, &OFindDialog::findNext, this, &TFindCommands::FindNextPressed, Qt::QueuedConnection);
    connect(dialog, &OFindDialog::closing, this, &TFindCommands::DialogClosing, Qt::QueuedConnection);
    dialog->show();
}

void TFindCommands::CmFindNext()
{
    if (request.length >= 1)
        Serve();
    else if (!dialog)
        QMetaObject::invokeMethod(this, &TFindCommands::CmFind, Qt::QueuedConnection);
}

void TFindCommands::CmFindPrevious()
{
    if (request.length >= 1)
        ServeReversed();
    else if (!dialog)
        QMetaObject::invokeMethod(this, &TFindCommands::CmFind, Qt::QueuedConnection);
}

void TFindCommands::ServeReversed()
{
    FindRequest reversed = request;
    reversed.up = !request.up;
    reversed.down = !reversed.up;
    if (OBufferView* view = activeView ? activeView() : nullptr)
        view->ServeFind(reversed);
}

void TFindCommands::CmReplace()
{
    if (!replaceDialog) {
        replaceDialog = new OReplaceDialog(owner, request, replacement);
        const auto on = [this](void (OReplaceDialog::*notice)(), ReplaceStep step) {
            connect(replaceDialog, notice, this, [this, step] { ReplacePressed(step); }, Qt::QueuedConnection);
        };
        on(&OReplaceDialog::findNext, ReplaceStep::find);
        on(&OReplaceDialog::replace, ReplaceStep::one);
        on(&OReplaceDialog::replaceAll, ReplaceStep::all);
    }
    replaceDialog->show();
    replaceDialog->raise();
    replaceDialog->activateWindow();
}

void TFindCommands::ReplacePressed(ReplaceStep step)
{
    const QString caption = QString::fromLatin1(ApplicationName);
    if (!PrepareFindPattern(request)) {
        ShowMessageBox(replaceDialog ? static_cast<QWidget*>(replaceDialog) : owner,
                       QString::fromLatin1(InvalidHexText), caption, mbOk);
        return;
    }
    OBufferView* view = activeView ? activeView() : nullptr;
    if (!view || view->RefuseWhileBusy())
        return;
    if (step == ReplaceStep::find) {
        view->ServeFind(request);
        return;
    }
    std::vector<uint8_t> bytes;
    std::string problem;
    if (!PrepareReplacement(request, replacement, bytes, problem)) {
        ShowMessageBox(replaceDialog ? static_cast<QWidget*>(replaceDialog) : owner, QString::fromStdString(problem),
                       caption, mbOk | mbIconExclamation);
        return;
    }
    if (step == ReplaceStep::one) {
        view->ServeReplace(request, bytes);
        return;
    }
    const Address count = view->ServeReplaceAll(request, bytes);
    const std::string said = view->Document().WasStopped() ? "Replace all stopped: nothing was replaced."
                                                             : ReplacedText(count);
    if (auto* frame = qobject_cast<QMainWindow*>(owner->window()))
        frame->statusBar()->showMessage(QString::fromStdString(said));
}

void TFindCommands::FindNextPressed()
{
    if (!dialog)
        return;
    if (!PrepareFindPattern(request)) {
        ShowMessageBox(owner, QString::fromLatin1(InvalidHexText), QString::fromLatin1(ApplicationName), mbOk);
        return;
    }
    Serve();
}

void TFindCommands::DialogClosing()
{
    dialogOpen = false;
}

void TFindCommands::Serve()
{
    OBufferView* view = activeView ? activeView() : nullptr;
    if (!view)
        return;
    const QPointer<OFindDialog> serving = dialog;
    if (serving)
        serving->SetServing(true);
    view->ServeFind(request);
    if (serving) {
        serving->SetServing(false);
        MoveOffHit(serving, view->CursorRowOnScreen());
    }
}

void TFindCommands::MoveOffHit(QWidget* dialog, const QRect& hit)
{
    const QRect frame = dialog->frameGeometry();
    if (!dialog->isVisible() || !frame.intersects(hit))
        return;
    // Below the hit when the screen has room there, else above it.
    const QScreen* screen = dialog->screen();
    const QRect room = screen ? screen->availableGeometry() : QRect();
    const int gap = 8;
    int y = hit.bottom() + gap;
    if (room.isValid() && y + frame.height() > room.bottom())
        y = std::max(room.top(), hit.top() - gap - frame.height());
    dialog->move(dialog->pos() + QPoint(0, y - frame.top()));
}
