#include "app/qt/tovik_app.h"

#include "app/app_resources.h"
#include "app/qt/checksum_commands.h"
#include "app/command_line.h"
#include "app/doc_templates.h"
#include "app/file_association.h"
#include "settings/settings_file.h"
#include "settings/settings_record.h"
#include "app/program_paths.h"
#include "app/window_layout.h"
#include "app/qt/about_dlg.h"
#include "app/qt/compare_commands.h"
#include "app/qt/doc_manager.h"
#include "app/qt/find_commands.h"
#include "app/qt/help_window.h"
#include "app/qt/lane_commands.h"
#include "app/qt/main_frame.h"
#include "app/qt/options_dlg.h"
#include "app/qt/mdi_windows.h"
#include "app/qt/inspector_commands.h"
#include "app/qt/symbol_commands.h"
#include "app/qt/range_commands.h"
#include <QDockWidget>
#include "app/qt/shell_services.h"
#include "app/qt/window_list.h"
#include "dialogs/qt/dialog_services.h"
#include "document/buffer_document.h"
#include "print/qt/print_commands.h"
#include "view/qt/buffer_view.h"

#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QMenu>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <QStyle>
#include <QTimer>
#include <QToolBar>

#include <algorithm>
#include <filesystem>


namespace {

constexpr int RecentCapacity = 4;
constexpr const char* DocumentLoadedText = "Document already loaded.";

std::string pngOf(const QIcon& icon)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    icon.pixmap(48, 48).save(&buffer, "PNG");
    return bytes.toStdString();
}

} // namespace

TTovikApp::TTovikApp() : recentFiles(IniFilePath, RecentCapacity)
{
    instance = this;
    PrintSetup.programName = ApplicationName;
    docManager = new OTovikDocManager(IniFilePath, nullptr, this);
    docManager->SetActiveDocumentQuery([this] { return activeDocument(); });
    connect(docManager, &OTovikDocManager::documentCreated, this, [this](OBufferDocument* document) {
        RememberDocument(document);
        AttachNewView(document);
    });
    connect(docManager, &OTovikDocManager::documentRenamed, this, [this](OBufferDocument* document) {
        RememberDocument(document);
        for (TTovikMDIChild* child : Children())
            if (child->Document() == document)
                child->UpdateCaption();
    });
    connect(docManager, &OTovikDocManager::documentClosing, this, &TTovikApp::documentClosing);
    qApp->installEventFilter(this);
    ::SetHelpHandler([this](int id) { ShowHelpTopic(id); });
    OBufferView::SetFontFilePath(FontFilePath);
    // Once per file; the session keeps the settings that could not be saved.
    settings::SetWriteFailureHandler([this](const std::string& message) {
        ShowMessageBox(frame.data(), QString::fromStdString(message), ApplicationName, mbIconExclamation);
    });
}

TTovikApp::~TTovikApp()
{
    settings::SetWriteFailureHandler({});
    ::SetHelpHandler({});
    qApp->removeEventFilter(this);
    if (HelpPickCursor)
        QApplication::restoreOverrideCursor();
    // Views go before their documents. The pointers are cleared first: the
    // windows report their own destruction to handlers that look at them.
    TDecoratedMDIFrame* window = frame.data();
    frame = nullptr;
    ClientArea = nullptr;
    DockHarbor = nullptr;
    delete window;
    delete helpWindow.data();
    delete docManager;
    if (instance == this)
        instance = nullptr;
}

void TTovikApp::InitInstance(const std::vector<std::string>& args, const std::string& launchDir)
{
    BuildMainFrame();
    // The window opens where the user left it, else on four fifths of the
    // screen: room for a document window with all its columns.
    const std::optional<FramePlacement> saved = ReadFramePlacement(IniFilePath);
    QScreen* screen = QGuiApplication::primaryScreen();
    if (saved) {
        const WRect& r = saved->normal;
        if (QScreen* there = QGuiApplication::screenAt(QPoint(r.x + r.width / 2, r.y + r.height / 2)))
            screen = there;
    }
    if (screen) {
        const QRect free = screen->availableGeometry();
        const WRect place = FrameGeometryToRestore(saved, {free.x(), free.y(), free.width(), free.height()});
        frame->setGeometry(place.x, place.y, place.width, place.height);
    }
    if (saved && saved->maximized)
        frame->showMaximized();
    else
        frame->showNormal();
    HandleCommandLine(args, launchDir);
}

void TTovikApp::SaveFramePlacement()
{
    if (!frame)
        return;
    const bool maximized = frame->isMaximized();
    const QRect r = maximized ? frame->normalGeometry() : frame->geometry();
    if (r.isValid())
        WriteFramePlacement(IniFilePath, {{r.x(), r.y(), r.width(), r.height()}, maximized});
}

void TTovikApp::BuildMainFrame()
{
    auto* client = new TTovikMDIClient(this);
    ClientArea = client;
    if (!compare)
        compare = new TCompareCommands(*this);
    frame = new TDecoratedMDIFrame(QString::fromLatin1(ApplicationName), client);
    frame->BuildMenus([this](int id) { Command(id); });
    frame->canClose = [this] {
        if (!CanClose())
            return false;
        SaveFramePlacement();
        return true;
    };
    frame->filesDropped = [this](const QStringList& files) { DropFiles(files); };
    frame->helpPicking = [this] { return HelpPickMode; };
    frame->BuildStatusBar();

    auto* bar = new QToolBar(frame);
    bar->setObjectName(QStringLiteral("Toolbar"));
    bar->setProperty("windowId", ToolbarWindowId);
    bar->setMovable(true);
    bar->setFloatable(true);
    QFont font = bar->font();
    font.setPointSize(10);
    font.setBold(false);
    font.setItalic(false);
    bar->setFont(font);
    BuildToolbar(bar);
    frame->addToolBar(Qt::TopToolBarArea, bar);
    DockHarbor = bar;

    InstallWindowList(frame, frame->WindowMenu(), client);
    // The list shows what the settings file holds now: another instance
    // may have changed it since.
    connect(frame->FileMenu(), &QMenu::aboutToShow, this, [this] { rebuildRecentMenu(); });
    ranges = new TRangeCommands(frame, IniFilePath);
    inspector = new TInspectorCommands(frame, IniFilePath);
    connect(client, &QMdiArea::subWindowActivated, this, [this] {
        ranges->SetView(activeView());
        inspector->SetView(activeView());
        updateCommandStates();
    });
    // Menus show the states of the moment they open.
    for (QMenu* menu : frame->findChildren<QMenu*>())
        connect(menu, &QMenu::aboutToShow, this, [this] { updateCommandStates(); });
    auto* enabler = new QTimer(frame);
    connect(enabler, &QTimer::timeout, this, [this] { updateCommandStates(); });
    enabler->start(250);
    rebuildRecentMenu();
    updateCommandStates();
}

void TTovikApp::BuildToolbar(QToolBar* bar)
{
    frame->BuildToolbar(bar);
}

void TTovikApp::AttachNewView(OBufferDocument* document)
{
    if (!ClientArea)
        return;
    const int others = int(Children().size());
    auto* view = new OBufferView(document);
    // Edits and selections change what the Edit menu and its keys may do.
    connect(view, &OBufferView::cursorNotice, this, [this] { updateCommandStates(); });
    auto* child = new TTovikMDIChild(*document, *docManager, view);
    child->setWindowIcon(ProgramIcon(DocumentIconId));
    connect(child, &QObject::destroyed, this, [this] { updateCommandStates(); });
    ClientArea->addSubWindow(child);
    const QSize room = ClientArea->viewport()->size();
    const WRect place = NewChildGeometry(room.width(), room.height(), childNeedWidth(child), others, cascadeStep(child));
    child->setGeometry(place.x, place.y, place.width, place.height);
    child->show();
    child->widget()->setFocus();
    updateCommandStates();
}

std::vector<TTovikMDIChild*> TTovikApp::Children() const
{
    std::vector<TTovikMDIChild*> children;
    if (ClientArea)
        for (QMdiSubWindow* window : ClientArea->subWindowList())
            if (auto* child = qobject_cast<TTovikMDIChild*>(window))
                children.push_back(child);
    return children;
}

int TTovikApp::childNeedWidth(QMdiSubWindow* child) const
{
    // The view's own width for its three columns and the scroll bar, and the
    // window's frame around it.
    QWidget* view = child->widget();
    if (!view)
        return 0;
    const int frameWidth = child->width() > view->width() ? child->width() - view->width()
                                                          : 2 * child->style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, child);
    return view->sizeHint().width() + frameWidth;
}

int TTovikApp::cascadeStep(QMdiSubWindow* child) const
{
    return std::max(child->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, child), 8);
}

void TTovikApp::arrangeChildren(bool tile)
{
    // Stacking order for Cascade, so the window in front takes the last
    // step and every title bar stays in sight.
    std::vector<QMdiSubWindow*> windows;
    for (QMdiSubWindow* window : ClientArea->subWindowList(tile ? QMdiArea::CreationOrder : QMdiArea::StackingOrder))
        if (window->isVisible() && !window->isMinimized())
            windows.push_back(window);
    if (windows.empty())
        return;
    int need = 0;
    for (QMdiSubWindow* window : windows) {
        if (window->isMaximized())
            window->showNormal();
        need = std::max(need, childNeedWidth(window));
    }
    const QSize room = ClientArea->viewport()->size();
    const std::vector<WRect> places = tile
        ? TileGeometries(int(windows.size()), room.width(), room.height(), need)
        : CascadeGeometries(int(windows.size()), room.width(), room.height(), need, cascadeStep(windows.front()));
    for (size_t i = 0; i < windows.size(); ++i)
        windows[i]->setGeometry(places[i].x, places[i].y, places[i].width, places[i].height);
}

OBufferDocument* TTovikApp::activeDocument() const
{
    if (!ClientArea)
        return nullptr;
    // The current child stays the active one while another program has the
    // focus: the menus and commands keep following it.
    auto* child = qobject_cast<TTovikMDIChild*>(ClientArea->currentSubWindow());
    return child && !child->Closing() ? child->Document() : nullptr;
}

OBufferView* TTovikApp::activeView() const
{
    if (!activeDocument())
        return nullptr;
    auto* child = qobject_cast<TTovikMDIChild*>(ClientArea->currentSubWindow());
    return child ? qobject_cast<OBufferView*>(child->View()) : nullptr;
}

void TTovikApp::printCommand(int id, OBufferView* view)
{
    if (!view)
        return;
    if (!AppPrinter)
        CreatePrinter();
    ++PrintJobs;
    switch (id) {
    // From the preview the dialog belongs to the preview: the main window is hidden then.
    case CmFilePrint:
        RunPrint(*AppPrinter, PrintSetup, view, frame->isVisible() ? frame.data() : QApplication::activeWindow());
        break;
    case CmFilePrintSetup: RunPrintSetup(*AppPrinter, ClientArea); break;
    case CmFilePrintPreview: {
        // The window of the previewed document is the active one again when
        // the main window comes back, whatever the hidden frame did meanwhile.
        QPointer<QMdiSubWindow> child;
        for (TTovikMDIChild* each : Children())
            if (each->View() == view)
                child = each;
        RunPrintPreview(*AppPrinter, PrintSetup, view, frame,
                        [this, view] { printCommand(CmFilePrint, view); });
        if (child && frame) {
            frame->activateWindow();
            BringToFront(child);
        }
        break;
    }
    default: break;
    }
    --PrintJobs;
}

void TTovikApp::documentClosing(OBufferDocument* document)
{
    for (TTovikMDIChild* child : Children())
        if (child->Document() == document && !child->Closing())
            delete child;
}

void TTovikApp::updateCommandStates()
{
    if (!frame)
        return;
    OBufferDocument* document = activeDocument();
    frame->MergeBufferMenu(document != nullptr);
    for (TTovikMDIChild* child : Children())
        child->UpdateCaption();
    const auto enable = [this](int id, bool on) {
        if (QAction* action = frame->Action(id))
            action->setEnabled(on);
    };
    enable(CmFileClose, document != nullptr);
    enable(CmFileSave, document && document->IsDirty());
    enable(CmFileSaveAs, document != nullptr);
    enable(CmFileExport, document != nullptr);
    const bool children = !Children().empty();
    for (int id : {CmCascade, CmTile, CmArrangeIcons, CmCloseChildren})
        enable(id, children);
    // The active view answers for its commands; without one they are grey.
    OBufferView* view = activeView();
    for (int id : {CmInsert, CmFillSelection, CmSetSelection, CmResizeBuffer, CmSelectAll, CmPositionCursor,
                   CmOverlayFile, CmUndo, CmRedo, CmCut, CmCopy, CmPaste, CmDelete, CmClearAll, CmCopyHexText, CmPasteHexText})
        enable(id, view && view->CommandEnabled(id));
    for (int id : {CmFind, CmFindNext, CmFindPrevious, CmReplace, CmChecksum, CmSplitLanes, CmSwapBytes, CmNextRange, CmPreviousRange})
        enable(id, view != nullptr);
    enable(CmCompare, view != nullptr || compare->Active());
    enable(CmGoToSymbol, view && view->Document().Elf());
    for (int id : {CmNextDifference, CmPreviousDifference})
        enable(id, compare->Active());
    if (QAction* action = frame->Action(CmRangesPane)) {
        action->setCheckable(true);
        action->setChecked(ranges && ranges->Pane()->isVisible());
    }
    if (QAction* action = frame->Action(CmValueInspector)) {
        action->setCheckable(true);
        action->setChecked(inspector && inspector->Pane()->isVisible());
    }
    // Printing needs a printer object that reports no error; finding out
    // makes one.
    if (document && !AppPrinter)
        CreatePrinter();
    const bool printable = document && AppPrinter && AppPrinter->isValid();
    for (int id : {CmFilePrint, CmFilePrintSetup, CmFilePrintPreview})
        enable(id, printable);
}

void TTovikApp::Command(int id)
{
    if (HelpPickMode) {
        setPickMode(false);
        ShowHelpTopic(id);
        return;
    }
    if (id >= FirstRecentFileId && id < FirstRecentFileId + RecentCapacity) {
        OpenRecentEntry(id);
        return;
    }
    if (OBufferView::IsViewCommand(id)) {
        if (OBufferView* view = activeView())
            view->Command(id);
        updateCommandStates();
        return;
    }
    switch (id) {
    case CmFileNew: docManager->CmFileNew(); break;
    case CmFileOpen: docManager->CmFileOpen(); break;
    case CmFileSave: docManager->CmFileSave(); break;
    case CmFileSaveAs: docManager->CmFileSaveAs(); break;
    case CmFileExport: docManager->CmFileExport(); break;
    case CmFileClose: docManager->CmFileClose(); break;
    case CmExit: frame->close(); break;
    case CmSettings: EditSettings(frame, docManager, this, IniFilePath, FontFilePath); break;
    case CmSplitLanes:
        if (OBufferView* view = activeView(); view && !view->RefuseWhileBusy())
            RunSplitLanes(frame, view->Document());
        break;
    case CmMergeLanes: RunMergeLanes(frame, *docManager); break;
    case CmSwapBytes:
        if (OBufferView* view = activeView())
            RunSwapBytes(frame, *view);
        break;
    case CmFind: ClientArea->Find().CmFind(); break;
    case CmChecksum: RunChecksumCommand(activeView()); break;
    case CmFindNext: ClientArea->Find().CmFindNext(); break;
    case CmFindPrevious: ClientArea->Find().CmFindPrevious(); break;
    case CmReplace: ClientArea->Find().CmReplace(); break;
    case CmValueInspector: inspector->TogglePane(); break;
    case CmCompare: compare->CmCompare(); break;
    case CmNextDifference: compare->CmNextDifference(); break;
    case CmPreviousDifference: compare->CmPreviousDifference(); break;
    case CmNextRange:
    case CmPreviousRange: ranges->Jump(activeView(), id == CmNextRange); break;
    case CmRangesPane: ranges->TogglePane(); break;
    case CmGoToSymbol: RunGoToSymbol(frame, activeView()); break;
    case CmCascade: arrangeChildren(false); break;
    case CmTile: arrangeChildren(true); break;
    case CmArrangeIcons: {
        // Minimised children line up along the bottom of the client area.
        int x = 0;
        for (TTovikMDIChild* child : Children())
            if (child->isMinimized()) {
                child->move(x, ClientArea->viewport()->height() - child->height());
                x += child->width();
            }
        break;
    }
    case CmCloseChildren: {
        // Every document is asked first; one that refuses (or Cancel on its
        // question) keeps all windows open, and nobody is asked twice.
        std::vector<OBufferDocument*> documents;
        for (TTovikMDIChild* child : Children())
            if (std::find(documents.begin(), documents.end(), child->Document()) == documents.end())
                documents.push_back(child->Document());
        bool all = true;
        for (OBufferDocument* document : documents)
            if (!docManager->CanClose(*document)) {
                all = false;
                break;
            }
        if (all)
            for (OBufferDocument* document : documents)
                docManager->CloseDocument(document);
        break;
    }
    case CmFilePrint:
    case CmFilePrintSetup:
    case CmFilePrintPreview: printCommand(id, activeView()); break;
    case CmHelpContents: ShowHelpContents(); break;
    case CmHelpUsing: ShowHelpOnHelp(); break;
    case CmHelpAbout: {
        TTovikAboutDlg dialog(frame);
        dialog.exec();
        break;
    }
    default: break;
    }
    updateCommandStates();
}

void TTovikApp::HandleCommandLine(const std::vector<std::string>& args, const std::string& launchDir)
{
    const CommandLine line = ParseCommandLine(args);
    const std::string here = launchDir.empty() ? QDir::currentPath().toStdString() : launchDir;
    for (const std::string& name : line.names)
        PendingFiles.push_back(ResolveCommandLineName(name, here));
    const bool changed = line.unregister
        ? UnregisterAssociation()
        : RegisterAssociation({pngOf(ProgramIcon(MainIconId)), pngOf(ProgramIcon(DocumentIconId))});
    // The desktop reads the packages through a cache that has to be rebuilt.
    const QString updater = QStandardPaths::findExecutable(QStringLiteral("update-mime-database"));
    const std::filesystem::path home = AssociationDataHome();
    if (changed && !updater.isEmpty() && !home.empty()) {
        QProcess process;
        process.start(updater, {QString::fromStdString((home / "mime").string())});
        process.waitForFinished(5000);
    }
}

bool TTovikApp::event(QEvent* event)
{
    if (event->type() == StartupOpenEvent) {
        OpenStartupFile();
        return true;
    }
    if (event->type() == SettingsChangedEvent) {
        docManager->ReloadAllSettings();
        return true;
    }
    return QObject::event(event);
}

void TTovikApp::OpenStartupFile()
{
    if (PendingFiles.empty()) {
        std::string name = settings::StartupFile(IniFilePath);
        if (!name.empty()) {
            if (name.find('.') == std::string::npos)
                name += '.';
            PendingFiles.push_back(std::filesystem::absolute(name).lexically_normal().string());
        }
    }
    const std::vector<std::string> files = std::move(PendingFiles);
    PendingFiles.clear();
    OpenPendingFiles(files);
}

void TTovikApp::OpenPendingFiles(const std::vector<std::string>& files)
{
    for (const std::string& name : files) {
        const int index = MatchTemplate(name);
        if (index >= 0)
            docManager->CreateDoc(index, name, 0);
    }
}

void TTovikApp::DropFiles(const QStringList& files)
{
    std::vector<std::string> list;
    for (const QString& file : files)
        list.push_back(file.toStdString());
    OpenPendingFiles(list);
}

void TTovikApp::OpenRecentEntry(int id)
{
    // The entry opens the file its menu item shows, even when another
    // instance changed the list in the settings file since.
    const size_t index = size_t(id - FirstRecentFileId);
    if (index >= recentShown.size())
        return;
    std::string name = recentShown[index];
    if (name.find('.') == std::string::npos)
        name += '.';
    if (!name.empty())
        if (OBufferDocument* open = docManager->FindDocument(PathToOpen(name))) {
            ShowMessageBox(frame, QString::fromLatin1(DocumentLoadedText), QString::fromStdString(open->Title()), 0);
            for (TTovikMDIChild* child : Children())
                if (child->Document() == open) {
                    BringToFront(child);
                    break;
                }
            return;
        }
    const int match = MatchTemplate(name);
    if (match >= 0)
        docManager->CreateDoc(match, name, 0);
}

void TTovikApp::RememberDocument(OBufferDocument* document)
{
    if (!document || document->Path().empty())
        return;
    recentFiles.Add(std::filesystem::absolute(document->Path()).lexically_normal().string());
    rebuildRecentMenu();
}

void TTovikApp::rebuildRecentMenu()
{
    if (!frame)
        return;
    QMenu* menu = frame->FileMenu();
    for (QAction* action : recentActions)
        delete action;
    recentActions.clear();
    recentFiles.Read();
    QAction* exit = frame->Action(CmExit);
    const auto& entries = recentFiles.Entries();
    recentShown = entries;
    for (size_t i = 0; i < entries.size(); ++i) {
        const int id = FirstRecentFileId + int(i);
        // A "&" in a path is a letter, not a mnemonic.
        QString path = QString::fromStdString(entries[i]);
        path.replace('&', QLatin1String("&&"));
        auto* action = new QAction(QString::fromStdString(RecentFileMenuText(int(i), path.toStdString())), menu);
        action->setData(id);
        connect(action, &QAction::triggered, this, [this, id] { Command(id); });
        menu->insertAction(exit, action);
        recentActions.push_back(action);
    }
    if (!entries.empty())
        recentActions.push_back(menu->insertSeparator(exit));
}

void TTovikApp::CreatePrinter()
{
    AppPrinter = MakeAppPrinter();
}

void TTovikApp::RefreshPrinter(const QString& section)
{
    if (section.compare(QLatin1String("windows"), Qt::CaseInsensitive) != 0 || !AppPrinter)
        return;
    const QString device = QPrinterInfo::defaultPrinterName();
    if (device.isEmpty() || !AppPrinter->isValid() || AppPrinter->printerName() != device) {
        AppPrinter.reset();
        CreatePrinter();
    }
}

bool TTovikApp::CanClose()
{
    if (!docManager->CanCloseAll())
        return false;
    if (HelpShown && helpWindow)
        helpWindow->Quit();
    return true;
}
