#pragma once
// The value inspector: a dock beside the Ranges pane listing the values of
// the bytes at the active view's cursor, one row per reading. A value typed
// into a row and confirmed with Enter is written at the cursor as one
// undoable edit.

#include <QObject>
#include <QPointer>

#include <string>

class OBufferView;
class QDockWidget;
class QMainWindow;
class QTableWidget;
class QTableWidgetItem;

class TInspectorCommands : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kPaneTitle = "Value inspector";
    static constexpr const char* kSection = "Inspector";
    static constexpr const char* kVisibleKey = "visible";

    TInspectorCommands(QMainWindow* frame, std::string settingsPath);

    // The view whose cursor the pane follows, null when none is active.
    void SetView(OBufferView* view);
    void TogglePane();
    // Reads the bytes at the cursor again and fills the value column.
    void Refresh();

    QDockWidget* Pane() const { return pane_; }
    QTableWidget* Table() const { return table_; }

private:
    void ValueEdited(QTableWidgetItem* item);

    QMainWindow* frame_;
    std::string settingsPath_;
    QDockWidget* pane_ = nullptr;
    QTableWidget* table_ = nullptr;
    QPointer<OBufferView> view_;
    QMetaObject::Connection moved_;
    QMetaObject::Connection edited_;
    bool filling_ = false;
};
