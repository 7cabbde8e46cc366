#include "app/qt/main_frame.h"

#include "app/app_resources.h"
#include "app/qt/lock_keys.h"
#include "app/qt/mdi_windows.h"

#include <QAction>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QProxyStyle>
#include <QShortcut>
#include <QStatusBar>
#include <QTimer>
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

// Grey menu items can be highlighted, so the status bar shows their hint
// and F1 gives their help like any other item's.
class MenuStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;

    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* data) const override
    {
        if (hint == SH_Menu_AllowActiveAndDisabled)
            return 1;
        return QProxyStyle::styleHint(hint, option, widget, data);
    }
};

// The desktop's key beside an item that shows none of its own, the way
// every program of the desktop shows it; the item's own text is unchanged.
QString withDesktopKey(int id, const QString& text)
{
    if (text.contains('\t'))
        return text;
    for (const Accelerator& accelerator : DesktopAccelerators())
        if (accelerator.id == id)
            return text + '\t' +
                   QKeySequence(QString::fromLatin1(accelerator.keys.data(), qsizetype(accelerator.keys.size())))
                       .toString(QKeySequence::NativeText);
    return text;
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
        action = new QAction(withDesktopKey(id, menuText(text)), this);
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
    auto* style = new MenuStyle;
    style->setParent(this);
    const auto fill = [this, &command, style](QMenu* menu, const MenuPopup& popup) {
        menu->setStyle(style);
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
        else if (popup.text == "&Window")
            windowMenu = menu;
    }
    bufferMenu = new QMenu(menuText(::BufferMenu().text), this);
    fill(bufferMenu, ::BufferMenu());

    // Accelerators are commands of the main window, apart from the actions:
    // a key of the table is used up whether or not its command is grey, so
    // Shift+Del never reaches a view as a plain Delete, and the menus show
    // the resource's own texts with no second key name after them.
    commandHandler = command;
    for (const auto* table : {&Accelerators(), &DesktopAccelerators(), &AddedAccelerators()})
        for (const Accelerator& accelerator : *table) {
            auto* shortcut = new QShortcut(
                QKeySequence(QString::fromLatin1(accelerator.keys.data(), qsizetype(accelerator.keys.size()))), this);
            shortcut->setContext(Qt::WindowShortcut);
            const int id = accelerator.id;
            connect(shortcut, &QShortcut::activated, this, [this, id] { Accelerate(id); });
            connect(shortcut, &QShortcut::activatedAmbiguously, this, [this, id] { Accelerate(id); });
        }
}

void TDecoratedMDIFrame::Accelerate(int id)
{
    QAction* action = Action(id);
    if (!action)
        return;
    if (action->isEnabled())
        action->trigger();
    else if (helpPicking && helpPicking() && commandHandler)
        commandHandler(id);
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
    QStatusBar* bar = statusBar();
    bar->setSizeGripEnabled(true);
    // Caps, Num and Scroll Lock only, and only where the platform reports them.
    if (!QueryLockKeys())
        return;
    const auto indicator = [bar](const char* name) {
        auto* label = new QLabel(bar);
        label->setObjectName(QString::fromLatin1(name));
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setAlignment(Qt::AlignCenter);
        label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QString::fromLatin1(name)) + 8);
        bar->addPermanentWidget(label);
        return label;
    };
    QLabel* caps = indicator("CAPS");
    QLabel* num = indicator("NUM");
    QLabel* scroll = indicator("SCRL");
    // The states change also while other programs have the keyboard, so
    // they are looked at a few times a second rather than on our own keys.
    auto* timer = new QTimer(bar);
    connect(timer, &QTimer::timeout, bar, [caps, num, scroll] {
        const std::optional<LockKeys> keys = QueryLockKeys();
        const auto show = [](QLabel* label, bool on) {
            label->setText(on ? label->objectName() : QString());
        };
        show(caps, keys && keys->caps);
        show(num, keys && keys->num);
        show(scroll, keys && keys->scroll);
    });
    timer->start(250);
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
