#pragma once
// The address ranges of the active document: the Ranges pane (a dock beside
// the document area listing each range a save writes, the cursor's marked),
// and Next range / Previous range, which jump the cursor between them. The
// list is recounted lazily, a moment after the edits stop, so typing never
// waits for it.

#include "document/buffer_document.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <string>
#include <vector>

class OBufferView;
class QDockWidget;
class QListView;
class QMainWindow;
class TRangeListModel;

class TRangeCommands : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kPaneTitle = "Ranges";
    // Settings section and key of the pane's visibility.
    static constexpr const char* kSection = "Ranges";
    static constexpr const char* kVisibleKey = "visible";

    // The pane docks on `frame`; its visibility is kept in `settingsPath`.
    TRangeCommands(QMainWindow* frame, std::string settingsPath);

    // The view whose document the pane lists, null when none is active.
    void SetView(OBufferView* view);
    // Next range (true) and Previous range (false) on the view.
    void Jump(OBufferView* view, bool next);
    // Shows the pane when hidden and hides it when shown, and remembers that.
    void TogglePane();

    QDockWidget* Pane() const { return pane_; }
    QListView* List() const { return list_; }
    // The ranges as last counted, and the row marked for the cursor (-1).
    const std::vector<OBufferDocument::SavedRange>& Ranges() const;
    int MarkedRow() const;
    // Counts the ranges now rather than after the pause.
    void Recount();

private:
    void CursorMoved(int32_t address);
    void RowClicked(int row);

    QMainWindow* frame_;
    std::string settingsPath_;
    QDockWidget* pane_ = nullptr;
    QListView* list_ = nullptr;
    TRangeListModel* model_ = nullptr;
    QPointer<OBufferView> view_;
    QMetaObject::Connection viewConnection_;
    QTimer recount_;
    bool stale_ = true;
};
