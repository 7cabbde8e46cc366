#pragma once
// Two services the dialogs need from the rest of the program, kept as
// settable hooks so the dialogs depend on neither the main window nor a
// real message box: the help window (wired up by the application) and the
// message box for input errors (replaced by tests).

#include <QString>

#include <functional>

class QMessageBox;
class QWidget;

using HelpHandler = std::function<void(int topicId)>;

// Installs the function that opens a help topic; an empty one disconnects.
void SetHelpHandler(HelpHandler handler);
// Opens `topicId` through the installed handler; without one nothing happens,
// as help failures are silent.
void ShowHelpTopic(int topicId);

using InputMessageHandler =
    std::function<void(QWidget* owner, const QString& text, const QString& caption)>;

// Replaces how input errors are shown; an empty handler restores the default.
void SetInputMessageHandler(InputMessageHandler handler);
// Shows an input error: by default a modal message box with the exclamation
// icon and an OK button.
void ShowInputMessage(QWidget* owner, const QString& text, const QString& caption);

// Widens a message box so the window manager shows its whole caption: the
// caption often carries the meaning ("Can't find", "Value too large").
void FitCaption(QMessageBox& box);
