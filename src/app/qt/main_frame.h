#pragma once
// The main window: menus built from the menu resources, the toolbar, the
// status bar and the client area. Closing and dropped files are passed to
// the application, which decides.

#include "dialogs/qt/glyphs.h"

#include <QMainWindow>
#include <QMap>

#include <functional>

class QAction;
class QMenu;
class QToolBar;
class TTovikMDIClient;

class TDecoratedMDIFrame : public QMainWindow {
    Q_OBJECT
public:
    TDecoratedMDIFrame(const QString& title, TTovikMDIClient* client);

    // The action of a command id (menu item, toolbar button and accelerator share it).
    QAction* Action(int id) const { return actions.value(id); }
    const QMap<int, QAction*>& Actions() const { return actions; }
    QMenu* FileMenu() const { return fileMenu; }
    QMenu* BufferMenu() const { return bufferMenu; }
    QMenu* WindowMenu() const { return windowMenu; }
    QToolBar* ToolBar() const { return toolBar; }
    TTovikMDIClient* Client() const { return client; }

    // Builds menu resource 100, the buffer menu and accelerator table 100;
    // every action reports its id to `command`.
    void BuildMenus(std::function<void(int)> command);
    void BuildToolbar(QToolBar* bar);
    void BuildStatusBar();
    // Shows the buffer menu third while a document view is active.
    void MergeBufferMenu(bool merged);

    // Carries out the command of an accelerator: an enabled command runs,
    // a grey one does nothing, except that it still gives its help while
    // the user picks a command for help.
    void Accelerate(int id);

    // Answer whether the window may close, take dropped files, and tell
    // whether the user is picking a command for its help.
    std::function<bool()> canClose;
    std::function<void(const QStringList&)> filesDropped;
    std::function<bool()> helpPicking;

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    QAction* makeAction(int id, std::string_view text, bool grey, const std::function<void(int)>& command);

    TTovikMDIClient* client;
    std::function<void(int)> commandHandler;
    QMap<int, QAction*> actions;
    QMenu* fileMenu = nullptr;
    QMenu* searchMenu = nullptr;
    QMenu* windowMenu = nullptr;
    QMenu* bufferMenu = nullptr;
    QToolBar* toolBar = nullptr;
};

