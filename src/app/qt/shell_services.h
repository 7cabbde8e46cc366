#pragma once
// The message boxes and file dialogs of the shell, behind settable hooks so
// that tests can answer them without a person at the screen.

#include "dialogs/qt/dialog_services.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <utility>

class QWidget;

// A file the user chose and the template whose file type was selected
// (kFirmwareFilesType for Firmware files); `more` holds the other files
// when the dialog let the user choose several.
struct FileChoice {
    FileChoice(QString path = {}, int templateIndex = 0, QStringList more = {})
        : path(std::move(path)), templateIndex(templateIndex), more(std::move(more))
    {
    }
    QString path;
    int templateIndex = 0;
    QStringList more;
};

enum class FileDialogKind { Open, Save, Export };

// Runs the open or save dialog over the ten file types (Open adds Firmware
// files after them), or the export dialog over the export types, starting in
// the current directory with `initialTemplate`'s type selected (a template
// index, as the choice's is). A confirmed choice makes its directory the
// current one, so the next start begins there; a saved name never keeps a
// pattern's extension ("*.s?f" saves "name.s3f"). With `several`, Open takes
// more than one file.
std::optional<FileChoice> RunFileDialog(QWidget* owner, FileDialogKind kind, const QString& initialName,
                                        int initialTemplate, bool several = false);

using FileDialogHook = std::function<std::optional<FileChoice>(FileDialogKind kind, const QString& initialName,
                                                               int initialTemplate)>;
void SetFileDialogHook(FileDialogHook hook);

// The file type last chosen in any file dialog (template 1 at first), or
// kFirmwareFilesType.
int LastFileType();

// "Motorola (*.s?f)", "Intel (*.int *.ext)", ... in template order: the
// file types, or with Export the export types.
QStringList TemplateFileFilters(FileDialogKind kind = FileDialogKind::Open);
