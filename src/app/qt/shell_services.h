#pragma once
// The message boxes and file dialogs of the shell, behind settable hooks so
// that tests can answer them without a person at the screen.

#include "dialogs/qt/dialog_services.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QWidget;

// A file the user chose and the template whose file type was selected.
struct FileChoice {
    QString path;
    int templateIndex = 0;
};

enum class FileDialogKind { Open, Save };

// Runs the open or save dialog over the nine file types, starting in the
// current directory with `initialTemplate`'s type selected. A confirmed
// choice makes its directory the current one, so the next start begins there.
std::optional<FileChoice> RunFileDialog(QWidget* owner, FileDialogKind kind, const QString& initialName,
                                        int initialTemplate);

using FileDialogHook = std::function<std::optional<FileChoice>(FileDialogKind kind, const QString& initialName,
                                                               int initialTemplate)>;
void SetFileDialogHook(FileDialogHook hook);

// The file type last chosen in any file dialog (template 1 at first).
int LastFileType();

// "Motorola (*.s?f)", "Intel (*.int *.ext)", ... in template order.
QStringList TemplateFileFilters(bool forSaving = false);
