#pragma once
// The Window menu's list of open document windows and the keys that cycle
// through them, as the platform's multiple-document frames have them.

class QMainWindow;
class QMdiArea;
class QMdiSubWindow;
class QMenu;

// Appends the open windows to `menu` each time it opens, below its own
// commands: numbered, the active one checked; choosing one activates it.
// Ctrl+F6 and Ctrl+Shift+F6 in `frame` activate the next and previous one.
void InstallWindowList(QMainWindow* frame, QMenu* menu, QMdiArea* area);

// Brings `window` to the front of its area, restored when it was minimised,
// with the keyboard focus in its view.
void BringToFront(QMdiSubWindow* window);
