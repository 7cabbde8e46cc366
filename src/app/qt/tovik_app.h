#pragma once
// The application object: builds the main frame, wires its commands, opens
// files by every route (command line, startup file, drops, recent files),
// runs help with its Shift+F1 pick mode, and keeps the printer object.

#include "app/qt/main_frame.h"
#include "app/qt/mdi_windows.h"
#include "app/recent_files.h"
#include "print/hex_dump_page.h"

#include <QObject>
#include <QPointer>

#include <memory>
#include <string>
#include <vector>

class OBufferDocument;
class OBufferView;
class OHelpWindow;
class OTovikDocManager;
class TCompareCommands;
class QAction;
class QMdiSubWindow;
class QPrinter;
class QToolBar;

class TTovikApp : public QObject {
    Q_OBJECT
public:
    // Uses the paths fixed by InitProgramPaths.
    TTovikApp();
    ~TTovikApp() override;

    static TTovikApp* Instance() { return instance; }

    // Builds and shows the main frame, then takes the command line (the
    // arguments after the program's name). Relative names are taken from
    // `launchDir`, the directory the program was started in (the current
    // directory when empty), not from the restored working directory.
    void InitInstance(const std::vector<std::string>& args, const std::string& launchDir = {});
    void BuildMainFrame();
    void BuildToolbar(QToolBar* bar);
    void AttachNewView(OBufferDocument* document);
    void HandleCommandLine(const std::vector<std::string>& args, const std::string& launchDir = {});

    void OpenStartupFile();
    void OpenPendingFiles(const std::vector<std::string>& files);
    void DropFiles(const QStringList& files);
    void OpenRecentEntry(int id);
    void RememberDocument(OBufferDocument* document);

    void CreatePrinter();
    // `section` names the changed system settings; only "windows" matters.
    void RefreshPrinter(const QString& section);
    bool CanClose();
    // Writes the main window's geometry and maximised state to the settings.
    void SaveFramePlacement();

    // Carries out a command id as the menus, toolbar and accelerators do.
    void Command(int id);
    void ShowHelpContents();
    void ShowHelpOnHelp();
    void ShowHelpTopic(int id);

    TDecoratedMDIFrame* MainWindow() const { return frame; }
    OTovikDocManager* DocManager() const { return docManager; }
    TCompareCommands* Compare() const { return compare; }
    TRecentFiles& RecentFiles() { return recentFiles; }
    OHelpWindow* HelpWindow();
    std::vector<TTovikMDIChild*> Children() const;

    bool HelpShown = false;
    bool HelpPickMode = false;
    bool HelpPickCursor = false;   // the question-mark cursor is on
    QPointer<QToolBar> DockHarbor;
    QPointer<TTovikMDIClient> ClientArea;
    std::unique_ptr<QPrinter> AppPrinter;
    // The page numbers and margins the printing commands hand on.
    OPrintSetup PrintSetup;
    int PrintJobs = 0;
    std::vector<std::string> PendingFiles;

    // The Ranges pane and the range jumps.
    class TRangeCommands* Ranges() const { return ranges; }
    class TInspectorCommands* Inspector() const { return inspector; }

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // True when the event was used up by help handling.
    bool FilterHelpKeys(QObject* watched, QEvent* event);
    void setPickMode(bool on);
    void updateCommandStates();
    void rebuildRecentMenu();
    void documentClosing(OBufferDocument* document);
    OBufferDocument* activeDocument() const;
    OBufferView* activeView() const;
    // Print, Print Setup and Print Preview; Print also from the preview.
    void printCommand(int id, OBufferView* view);
    // Width a document window needs to show all three columns.
    int childNeedWidth(QMdiSubWindow* child) const;
    int cascadeStep(QMdiSubWindow* child) const;
    // Window, Cascade (false) and Tile (true).
    void arrangeChildren(bool tile);

    static inline TTovikApp* instance = nullptr;
    TRecentFiles recentFiles;
    OTovikDocManager* docManager = nullptr;
    TCompareCommands* compare = nullptr;
    QPointer<TDecoratedMDIFrame> frame;
    QPointer<OHelpWindow> helpWindow;
    class TRangeCommands* ranges = nullptr;
    class TInspectorCommands* inspector = nullptr;
    std::vector<QAction*> recentActions;
    // The paths the recent-file items show, in their order.
    std::vector<std::string> recentShown;
};
