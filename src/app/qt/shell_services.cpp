#include "app/qt/shell_services.h"

#include "app/doc_templates.h"
#include "dialogs/qt/dialog_services.h"
#include "document/document_host.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLineEdit>
#include <QTimer>
#include <QTreeView>

#include <algorithm>
#include <vector>

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

namespace {
// The templates a dialog of this kind lists, in their order: for Open every
// type that can be read, for Save the same without those that are only read,
// for Export the types written only (after All files).
std::vector<int> DialogTemplates(FileDialogKind kind)
{
    std::vector<int> templates;
    const size_t first = kind == FileDialogKind::Export ? kReadableTemplateCount : 0;
    const size_t end = kind == FileDialogKind::Export ? kDocTemplateCount : kReadableTemplateCount;
    for (size_t i = first; i < end; ++i)
        if (kind != FileDialogKind::Save || !IsReadOnlyTemplate(i))
            templates.push_back(int(i));
    return templates;
}
} // namespace

QStringList TemplateFileFilters(FileDialogKind kind)
{
    QStringList filters;
    for (int i : DialogTemplates(kind)) {
        const DocTemplateInfo& info = kDocTemplates[i];
        QString patterns = QString::fromLatin1(info.filter);
        patterns.replace(';', ' ');
        filters << QStringLiteral("%1 (%2)").arg(QString::fromLatin1(info.description), patterns);
    }
    return filters;
}

std::optional<FileChoice> RunFileDialog(QWidget* owner, FileDialogKind kind, const QString& initialName,
                                        int initialTemplate, bool several)
{
    const bool opening = kind == FileDialogKind::Open;
    // The dialog's list: the templates, then for Open the Firmware files type.
    std::vector<int> types = DialogTemplates(kind);
    if (opening)
        types.push_back(kFirmwareFilesType);
    const auto row = [&types](int type) { return std::find(types.begin(), types.end(), type) - types.begin(); };
    const int start = row(initialTemplate) < qsizetype(types.size()) ? initialTemplate : types.front();
    std::optional<FileChoice> choice;
    if (fileDialogHook()) {
        choice = fileDialogHook()(kind, initialName, start);
    } else {
        QStringList filters = TemplateFileFilters(kind);
        if (opening)
            filters << QStringLiteral("%1 (%2)").arg(QString::fromLatin1(kFirmwareFilesDescription),
                                                     QString::fromLatin1(kFirmwareFilesFilter).replace(';', ' '));
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
        const auto templateOf = [&filters, &types](const QString& filter) {
            const qsizetype index = filters.indexOf(filter);
            return index >= 0 ? types[size_t(index)] : -1;
        };
        dialog.selectNameFilter(filters[row(start)]);
        const auto suffixFor = [templateOf](const QString& filter) {
            const int index = templateOf(filter);
            return index >= 0 && index != kFirmwareFilesType
                       ? QString::fromLatin1(kDocTemplates[index].defaultExtension)
                       : QString();
        };
        if (!opening) {
            dialog.setAcceptMode(QFileDialog::AcceptSave);
            dialog.setFileMode(QFileDialog::AnyFile);
            dialog.setDefaultSuffix(suffixFor(filters[row(start)]));
            // The dialog gives a typed name the new type's first pattern's
            // extension ("name.s?f"); it shows the concrete one instead.
            QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                             [&dialog, suffixFor, templateOf](const QString& filter) {
                                 dialog.setDefaultSuffix(suffixFor(filter));
                                 QTimer::singleShot(0, &dialog, [&dialog, index = templateOf(filter)] {
                                     if (auto* edit = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
                                         edit->setText(QString::fromStdString(
                                             ConcreteFileName(edit->text().toStdString(), index)));
                                 });
                             });
        } else {
            dialog.setAcceptMode(QFileDialog::AcceptOpen);
            dialog.setFileMode(several ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
        }
        if (!initialName.isEmpty())
            dialog.selectFile(initialName);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return std::nullopt;
        const QStringList files = dialog.selectedFiles();
        const int index = templateOf(dialog.selectedNameFilter());
        choice = FileChoice{files.first(), index < 0 ? start : index, files.mid(1)};
    }
    if (choice && !opening)
        choice->path = QString::fromStdString(ConcreteFileName(choice->path.toStdString(), choice->templateIndex));
    // The export type is kept in the settings, apart from the file types.
    if (choice && kind != FileDialogKind::Export &&
        ((choice->templateIndex >= 0 && choice->templateIndex < int(kReadableTemplateCount)) ||
         choice->templateIndex == kFirmwareFilesType))
        lastFileType = choice->templateIndex;
    if (choice)
        QDir::setCurrent(QFileInfo(choice->path).absolutePath());
    return choice;
}
