// Help commands of the application and the help keys: F1 for the contents,
// Shift+F1 for the pick mode in which the next command shows its help
// instead of running, F1 inside an open menu for the highlighted item.

#include "app/program_paths.h"
#include "app/qt/help_window.h"
#include "app/qt/main_frame.h"
#include "app/qt/tovik_app.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QToolButton>

namespace {

// Topic of a click inside a buffer view while picking.
constexpr int ViewHelpTopic = 2010;

bool insideDialog(QObject* watched)
{
    auto* widget = qobject_cast<QWidget*>(watched);
    return widget && qobject_cast<QDialog*>(widget->window());
}

void closeMenus()
{
    while (QWidget* popup = QApplication::activePopupWidget())
        popup->close();
}

} // namespace

OHelpWindow* TTovikApp::HelpWindow()
{
    // A modal dialog blocks every window outside it, so help asked for from
    // a dialog opens as a window of that dialog and goes away with it.
    QWidget* modal = QApplication::activeModalWidget();
    if (helpWindow && modal && helpWindow->parentWidget() != modal)
        delete helpWindow.data();
    if (!helpWindow)
        helpWindow = new OHelpWindow(QString::fromStdString(HelpFilePath), modal);
    return helpWindow;
}

void TTovikApp::ShowHelpContents()
{
    HelpShown = HelpWindow()->ShowContents();
}

void TTovikApp::ShowHelpOnHelp()
{
    HelpShown = HelpWindow()->ShowHelpOnHelp();
}

void TTovikApp::ShowHelpTopic(int id)
{
    if (HelpWindow()->ShowTopic(id))
        HelpShown = true;
}

void TTovikApp::setPickMode(bool on)
{
    HelpPickMode = on;
    if (on && !HelpPickCursor) {
        QApplication::setOverrideCursor(Qt::WhatsThisCursor);
        HelpPickCursor = true;
    } else if (!on && HelpPickCursor) {
        QApplication::restoreOverrideCursor();
        HelpPickCursor = false;
    }
}

bool TTovikApp::eventFilter(QObject* watched, QEvent* event)
{
    return FilterHelpKeys(watched, event) || QObject::eventFilter(watched, event);
}

bool TTovikApp::FilterHelpKeys(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress: {
        // A key is seen here first on its way through the platform window;
        // only the widget it is meant for can tell a menu or a dialog.
        if (!watched->isWidgetType())
            return false;
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_F1) {
            if (auto* menu = qobject_cast<QMenu*>(watched)) {
                // F1 on an open menu: the highlighted item's help, not its command.
                QAction* action = menu->activeAction();
                if (action && !action->menu() && action->data().isValid()) {
                    const int id = action->data().toInt();
                    closeMenus();
                    setPickMode(false);
                    ShowHelpTopic(id);
                }
                return true;
            }
            if (insideDialog(watched))
                return false;   // dialogs open their own topics
            if (key->modifiers() & Qt::ShiftModifier)
                setPickMode(true);
            else
                ShowHelpContents();
            return true;
        }
        if (key->key() == Qt::Key_Escape && HelpPickMode) {
            setPickMode(false);
            return true;
        }
        return false;
    }
    case QEvent::MouseButtonRelease: {
        if (!HelpPickMode)
            return false;
        // Grey menu items take no clicks, yet their help is still wanted.
        if (auto* menu = qobject_cast<QMenu*>(watched)) {
            QAction* action = menu->actionAt(static_cast<QMouseEvent*>(event)->position().toPoint());
            if (action && !action->isEnabled() && !action->menu() && action->data().isValid()) {
                const int id = action->data().toInt();
                closeMenus();
                setPickMode(false);
                ShowHelpTopic(id);
                return true;
            }
        }
        return false;
    }
    case QEvent::MouseButtonPress: {
        if (!HelpPickMode)
            return false;
        // Toolbar buttons answer whether or not their command is enabled.
        if (auto* button = qobject_cast<QToolButton*>(watched);
            button && button->defaultAction() && button->defaultAction()->data().isValid()) {
            setPickMode(false);
            ShowHelpTopic(button->defaultAction()->data().toInt());
            return true;
        }
        for (QObject* object = watched; object; object = object->parent())
            if (object->inherits("OBufferView")) {
                setPickMode(false);
                ShowHelpTopic(ViewHelpTopic);
                return true;
            }
        return false;
    }
    default:
        return false;
    }
}
