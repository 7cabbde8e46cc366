#pragma once
// The services the dialogs and every window above them share, kept as
// settable hooks so that they depend on neither the main window nor a real
// message box: the help window (wired up by the application) and the
// program's one message box (replaced by tests), of which input errors are a
// kind with a hook of their own.

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

// Shows a message box with the document host's style bits (icon or-ed with
// a button set) and returns the MessageResult of the button pressed. A
// `detail` stands under the text ("line 12: address past FFFFFFFF"), so
// that the fixed text stays as it is; the hook sees the text only.
int ShowMessageBox(QWidget* owner, const QString& text, const QString& caption, int style,
                   const QString& detail = QString());

// The button set of a two-way question, beside the document host's styles.
inline constexpr int mbYesNo = 0x04;

// A question with buttons named for their answers: `yes` and `no` give idYes
// and idNo (the hook sees the style mbYesNoCancel, or mbYesNo without
// `cancel`), Cancel or Escape idCancel. `defaultNo` makes `no` the default.
int ShowQuestion(QWidget* owner, const QString& text, const QString& caption, const QString& yes,
                 const QString& no, bool cancel, bool defaultNo);

using MessageBoxHook =
    std::function<int(QWidget* owner, const QString& text, const QString& caption, int style)>;
// Replaces the message box; an empty hook restores the real one.
void SetMessageBoxHook(MessageBoxHook hook);
