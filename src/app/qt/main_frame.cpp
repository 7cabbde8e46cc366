#include "app/qt/main_frame.h"

#include "app/app_resources.h"
#include "app/qt/mdi_windows.h"

#include <QAction>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMenuBar>
#include <QMimeData>
#include <QStatusBar>
#include <QToolBar>
#include <QUrl>

namespace {

QString menuText(std::string_view text)
{
    // "\b" right-aligns the rest of a menu text; Qt's tab does the same.
    QString result = QString::fromLatin1(text.data(), qsizetype(text.size()));
    result.replace('\b', '\t');
    return result;
}

} // namespace

TDecoratedMDIFrame::TDecoratedMDIFrame(const QString& title, TTovikMDIClient* client) : client(client)
{
    setWindowTitle(title);
    setObjectName(QStringLiteral("MainFrame"));
    setCentralWidget(client);
    setAcceptDrops(true);
    setWindowIcon(ProgramIcon(MainIconId));
    resize(800, 600);
}

QAction* TDecoratedMDIFrame::makeAction(int id, std::string_view text, bool grey,
                                        const std::function<void(int)>& command)
{
    QAction*& action = actions[id];
    if (!action) {
        action = new QAction(menuText(text), this);
        action->setData(id);
        action->setObjectName(QString::number(id));
        const std::string_view hint = CommandHint(id);
        action->setStatusTip(QString::fromLatin1(hint.data(), qsizetype(hint.size())));
        action->setIconVisibleInMenu(false);
        // Tool tips name the command without mnemonic, dots or keys.
        QString tip = action->text().section('\t', 0, 0);
        tip.remove('&');
        if (tip.endsWith(QLatin1String("...")))
            tip.chop(3);
        action->setToolTip(tip);
        connect(action, &QAction::triggered, this, [command, id] { command(id); });
    }
    action->setEnabled(!grey);
    return action;
}

void TDecoratedMDIFrame::BuildMenus(std::function<void(int)> command)
{
    QMenuBar* bar = menuBar();
    const auto fill = [this, &command](QMenu* menu, const MenuPopup& popup) {
        for (const MenuItem& item : popup.items) {
            if (item.id == 0)
                menu->addSeparator();
            else
                menu->addAction(makeAction(item.id, item.text, item.grey, command));
        }
    };
    for (const MenuPopup& popup : MainMenu()) {
        QMenu* menu = bar->addMenu(menuText(popup.text));
        fill(menu, popup);
        if (popup.text == "&File")
            fileMenu = menu;
        else if (popup.text == "&Search")
            searchMenu = menu;
    }
    bufferMenu = new QMenu(menuText(::BufferMenu().text), this);
    fill(bufferMenu, ::BufferMenu());

    // Accelerators live on the actions, active while the main window is: a
    // dialog or the help window keeps its keys. The menu texts show the
    // resource's own key names after their tab.
    QMap<int, QList<QKeySequence>> keys;
    for (const Accelerator& accelerator : Accelerators())
        keys[accelerator.id] << QKeySequence(QString::fromLatin1(accelerator.keys.data(), qsizetype(accelerator.keys.size())));
    for (auto it = keys.begin(); it != keys.end(); ++it)
        if (QAction* action = Action(it.key()))
            action->setShortcuts(it.value());
}

void TDecoratedMDIFrame::BuildToolbar(QToolBar* bar)
{
    toolBar = bar;
    for (int id : ToolbarLayout()) {
        if (id == 0) {
            bar->addSeparator();
            continue;
        }
        QAction* action = Action(id);
        if (!action)
            continue;
        if (action->icon().isNull())
            action->setIcon(CommandGlyph(id));
        bar->addAction(action);
    }
    bar->setWindowTitle(QString::fromLatin1(ToolbarCaption));
}

void TDecoratedMDIFrame::BuildStatusBar()
{
    // Qt reports no lock-key states, so the status bar carries the hints only.
    QStatusBar* bar = statusBar();
    bar->setSizeGripEnabled(true);
}

void TDecoratedMDIFrame::MergeBufferMenu(bool merged)
{
    QMenuBar* bar = menuBar();
    const bool present = bar->actions().contains(bufferMenu->menuAction());
    if (merged && !present)
        bar->insertMenu(searchMenu->menuAction(), bufferMenu);
    else if (!merged && present)
        bar->removeAction(bufferMenu->menuAction());
}

void TDecoratedMDIFrame::closeEvent(QCloseEvent* event)
{
    if (canClose && !canClose()) {
        event->ignore();
        return;
    }
    event->accept();
}

void TDecoratedMDIFrame::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void TDecoratedMDIFrame::dropEvent(QDropEvent* event)
{
    QStringList files;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile())
            files << url.toLocalFile();
    event->acceptProposedAction();
    if (filesDropped && !files.isEmpty())
        filesDropped(files);
}
