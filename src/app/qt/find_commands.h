#pragma once
// The client window's Find (24351) and Next (24353): the find request kept
// for the program's whole run, the one modeless Find dialog over it, and the
// hand-over of each request to the active view, with the dialog greyed
// while the view serves it.

#include "dialogs/qt/find_dialog.h"
#include "dialogs/qt/replace_dialog.h"

#include <QObject>
#include <QPointer>

#include <functional>

class OBufferView;
class QRect;
class QWidget;

class TFindCommands : public QObject {
    Q_OBJECT
public:
    // `owner` (the client window) owns the dialog and the messages;
    // `activeView` names the view that serves requests, null when none.
    TFindCommands(QWidget* owner, std::function<OBufferView*()> activeView);
    ~TFindCommands() override;

    FindRequest& Request() { return request; }
    // The last dialog made; it outlives its closing until the next Find.
    OFindDialog* Dialog() const { return dialog; }
    bool DialogOpen() const { return dialogOpen; }

    // Opens the dialog unless one is open already.
    void CmFind();
    // Repeats the last valid search; before any, opens the dialog once.
    void CmFindNext();
    // The same search the other way round.
    void CmFindPrevious();
    // Opens the Replace dialog, or brings the open one forward.
    void CmReplace();
    OReplaceDialog* ReplaceDialog() const { return replaceDialog; }

private:
    void FindNextPressed();
    void DialogClosing();
    void Serve();
    // The Replace dialog's buttons: Find next, Replace, Replace all.
    enum class ReplaceStep { find, one, all };
    void ReplacePressed(ReplaceStep step);
    // Serves the request with the direction turned round.
    void ServeReversed();
    // Moves the dialog out of the way of the hit when it covers it.
    static void MoveOffHit(QWidget* dialog, const QRect& hit);

    QWidget* owner;
    std::function<OBufferView*()> activeView;
    FindRequest request;
    QPointer<OFindDialog> dialog;
    bool dialogOpen = false;
    QPointer<OReplaceDialog> replaceDialog;
    std::string replacement;
};
