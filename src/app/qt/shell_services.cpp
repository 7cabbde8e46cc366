#include "app/qt/shell_services.h"

#include "app/doc_templates.h"
#include "dialogs/qt/dialog_services.h"
#include "document/document_host.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QTreeView>

#include <algorithm>

namespace {

FileDialogHook& fileDialogHook()
{
    static FileDialogHook hook;
    return hook;
}

int lastFileType = 0;

} // namespace

int LastFileType()
{
    return lastFileType;
}

void SetFileDialogHook(FileDialogHook hook)
{
    fileDialogHook() = std::move(hook);
}

QStringList TemplateFileFilters(bool forSaving)
{
    // The types that are only written come after All files and are offered
    // for saving only; the others keep their places in both lists.
    QStringList filters;
    const size_t count = forSaving ? kDocTemplateCount : kReadableTemplateCount;
    for (size_t i = 0; i < count; ++i) {
        const DocTemplateInfo& info = kDocTemplates[i];
        QString patterns = QString::fromLatin1(info.filter);
        patterns.replace(';', ' ');
        filters << QStringLiteral("%1 (%2)").arg(QString::fromLatin1(info.description), patterns);
    }
    return filters;
}

std::optional<FileChoice> RunFileDialog(QWidget* owner, FileDialogKind kind, const QString& initialName,
                                        int initialTemplate)
{
    const int types = kind == FileDialogKind::Save ? int(kDocTemplateCount) : int(kReadableTemplateCount);
    const int start = initialTemplate >= 0 && initialTemplate < types ? initialTemplate : 0;
    std::optional<FileChoice> choice;
    if (fileDialogHook()) {
        choice = fileDialogHook()(kind, initialName, start);
    } else {
        const QStringList filters = TemplateFileFilters(kind == FileDialogKind::Save);
        QFileDialog dialog(owner);
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        // Wide enough for the size, type and date columns beside the names.
        const int em = dialog.fontMetrics().averageCharWidth();
        dialog.resize(std::max(dialog.width(), 110 * em), std::max(dialog.height(), 36 * dialog.fontMetrics().height()));
        if (auto* details = dialog.findChild<QTreeView*>()) {
            QHeaderView* header = details->header();
            // Fixed widths rather than sizing to the contents, which would
            // measure every entry of a large folder again as it loads.
            header->setStretchLastSection(false);
            header->setSectionResizeMode(0, QHeaderView::Stretch);
            header->resizeSection(1, 12 * em);
            header->resizeSection(2, 30 * em);
            header->resizeSection(3, 22 * em);
        }
        dialog.setDirectory(QDir::currentPath());
        dialog.setNameFilters(filters);
        dialog.selectNameFilter(filters[start]);
        const auto suffixFor = [&filters](const QString& filter) {
            const int index = int(filters.indexOf(filter));
            return index >= 0 ? QString::fromLatin1(kDocTemplates[index].defaultExtension) : QString();
        };
        if (kind == FileDialogKind::Save) {
            dialog.setAcceptMode(QFileDialog::AcceptSave);
            dialog.setFileMode(QFileDialog::AnyFile);
            dialog.setDefaultSuffix(suffixFor(filters[start]));
            QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                             [&dialog, suffixFor](const QString& filter) { dialog.setDefaultSuffix(suffixFor(filter)); });
        } else {
            dialog.setAcceptMode(QFileDialog::AcceptOpen);
            dialog.setFileMode(QFileDialog::ExistingFile);
        }
        if (!initialName.isEmpty())
            dialog.selectFile(initialName);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return std::nullopt;
        choice = FileChoice{dialog.selectedFiles().first(), int(filters.indexOf(dialog.selectedNameFilter()))};
        if (choice->templateIndex < 0)
            choice->templateIndex = start;
    }
    if (choice && choice->templateIndex >= 0 && choice->templateIndex < int(kDocTemplateCount))
        lastFileType = choice->templateIndex;
    if (choice)
        QDir::setCurrent(QFileInfo(choice->path).absolutePath());
    return choice;
}
