#include "app/qt/shell_services.h"

#include "app/doc_templates.h"
#include "dialogs/qt/dialog_services.h"
#include "document/document_host.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeView>

#include <algorithm>
#include <vector>

namespace {

MessageBoxHook& messageBoxHook()
{
    static MessageBoxHook hook;
    return hook;
}

FileDialogHook& fileDialogHook()
{
    static FileDialogHook hook;
    return hook;
}

QMessageBox::Icon iconFor(int style)
{
    switch (style & 0xF0) {
    case mbIconStop: return QMessageBox::Critical;
    case mbIconQuestion: return QMessageBox::Question;
    case mbIconExclamation: return QMessageBox::Warning;
    case mbIconInformation: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

int lastFileType = 0;

} // namespace

int LastFileType()
{
    return lastFileType;
}

int ShowMessageBox(QWidget* owner, const QString& text, const QString& caption, int style)
{
    if (messageBoxHook())
        return messageBoxHook()(owner, text, caption, style);
    QMessageBox box(iconFor(style), caption, text, QMessageBox::NoButton, owner);
    if ((style & 0x0F) == mbYesNoCancel) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Yes);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
    }
    FitCaption(box);
    switch (box.exec()) {
    case QMessageBox::Yes: return idYes;
    case QMessageBox::No: return idNo;
    case QMessageBox::Cancel: return idCancel;
    default: return idOk;
    }
}

int ShowQuestion(QWidget* owner, const QString& text, const QString& caption, const QString& yes,
                 const QString& no, bool cancel, bool defaultNo)
{
    if (messageBoxHook())
        return messageBoxHook()(owner, text, caption, mbIconQuestion | (cancel ? mbYesNoCancel : mbYesNo));
    QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::NoButton, owner);
    QPushButton* yesButton = box.addButton(yes, QMessageBox::YesRole);
    QPushButton* noButton = box.addButton(no, QMessageBox::NoRole);
    if (cancel)
        box.addButton(QMessageBox::Cancel);
    else
        box.setEscapeButton(noButton);
    box.setDefaultButton(defaultNo ? noButton : yesButton);
    FitCaption(box);
    box.exec();
    if (box.clickedButton() == yesButton)
        return idYes;
    if (box.clickedButton() == noButton)
        return idNo;
    return idCancel;
}

void SetMessageBoxHook(MessageBoxHook hook)
{
    messageBoxHook() = std::move(hook);
}

void SetFileDialogHook(FileDialogHook hook)
{
    fileDialogHook() = std::move(hook);
}

std::vector<int> DialogTemplates(bool forSaving)
{
    // The types that are only written come after All files and are offered
    // for saving only; the ones only read are offered for opening only; the
    // others keep their places in both lists.
    std::vector<int> templates;
    const size_t count = forSaving ? kDocTemplateCount : kReadableTemplateCount;
    for (size_t i = 0; i < count; ++i)
        if (!forSaving || !IsReadOnlyTemplate(i))
            templates.push_back(int(i));
    return templates;
}

QStringList TemplateFileFilters(bool forSaving)
{
    QStringList filters;
    for (int i : DialogTemplates(forSaving)) {
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
    const std::vector<int> templates = DialogTemplates(kind == FileDialogKind::Save);
    const bool offered = std::find(templates.begin(), templates.end(), initialTemplate) != templates.end();
    const int start = offered ? initialTemplate : 0;
    std::optional<FileChoice> choice;
    if (fileDialogHook()) {
        choice = fileDialogHook()(kind, initialName, start);
    } else {
        const QStringList filters = TemplateFileFilters(kind == FileDialogKind::Save);
        // Filters and templates by their places in the dialog's list.
        const auto templateOf = [&](const QString& filter) {
            const qsizetype index = filters.indexOf(filter);
            return index >= 0 ? templates[size_t(index)] : -1;
        };
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
        dialog.selectNameFilter(filters[qsizetype(std::find(templates.begin(), templates.end(), start) - templates.begin())]);
        const auto suffixFor = [templateOf](const QString& filter) {
            const int index = templateOf(filter);
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
        choice = FileChoice{dialog.selectedFiles().first(), templateOf(dialog.selectedNameFilter())};
        if (choice->templateIndex < 0)
            choice->templateIndex = start;
    }
    if (choice && choice->templateIndex >= 0 && choice->templateIndex < int(kDocTemplateCount))
        lastFileType = choice->templateIndex;
    if (choice)
        QDir::setCurrent(QFileInfo(choice->path).absolutePath());
    return choice;
}
