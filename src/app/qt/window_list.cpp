#include "app/qt/window_list.h"

#include <QAction>
#include <QActionGroup>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPointer>
#include <QShortcut>

namespace {

constexpr const char* kListEntry = "windowListEntry";

void rebuildList(QMenu* menu, QMdiArea* area)
{
    for (QAction* action : menu->actions())
        if (action->property(kListEntry).toBool())
            delete action;
    const QList<QMdiSubWindow*> windows = area->subWindowList(QMdiArea::CreationOrder);
    if (windows.isEmpty())
        return;
    QAction* separator = menu->addSeparator();
    separator->setProperty(kListEntry, true);
    auto* group = new QActionGroup(separator);
    int number = 0;
    for (QMdiSubWindow* window : windows) {
        QString title = window->windowTitle();
        title.replace('&', QLatin1String("&&"));
        ++number;
        // Beyond nine the entries go without a mnemonic.
        const QString text = number <= 9 ? QStringLiteral("&%1 %2").arg(number).arg(title)
                                         : QStringLiteral("%1 %2").arg(number).arg(title);
        QAction* action = menu->addAction(text);
        action->setProperty(kListEntry, true);
        action->setCheckable(true);
        action->setChecked(window == area->activeSubWindow() || (!area->activeSubWindow() && window == area->currentSubWindow()));
        group->addAction(action);
        QPointer<QMdiSubWindow> target = window;
        QObject::connect(action, &QAction::triggered, area, [target] {
            if (target)
                BringToFront(target);
        });
    }
}

} // namespace

void InstallWindowList(QMainWindow* frame, QMenu* menu, QMdiArea* area)
{
    QObject::connect(menu, &QMenu::aboutToShow, area, [menu, area] { rebuildList(menu, area); });
    const auto cycle = [frame, area](const QKeySequence& keys, bool forward) {
        auto* shortcut = new QShortcut(keys, frame);
        shortcut->setContext(Qt::WindowShortcut);
        QObject::connect(shortcut, &QShortcut::activated, area, [area, forward] {
            if (forward)
                area->activateNextSubWindow();
            else
                area->activatePreviousSubWindow();
            if (QMdiSubWindow* window = area->activeSubWindow(); window && window->widget())
                window->widget()->setFocus();
        });
    };
    cycle(QKeySequence(Qt::CTRL | Qt::Key_F6), true);
    cycle(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F6), false);
}

void BringToFront(QMdiSubWindow* window)
{
    QMdiArea* area = window->mdiArea();
    if (window->isMinimized())
        window->showNormal();
    if (area)
        area->setActiveSubWindow(window);
    window->raise();
    if (QWidget* view = window->widget())
        view->setFocus();
}
