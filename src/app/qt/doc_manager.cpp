#include "app/qt/doc_manager.h"

#include "app/command_line.h"
#include "app/doc_templates.h"
#include "app/qt/qt_document_host.h"
#include "app/qt/shell_services.h"
#include "document/document_host.h"
#include "document/export_options.h"
#include "settings/settings_record.h"
#include "formats/elf_image.h"
#include "formats/output_size.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QWidget>

#include <algorithm>
#include <utility>


OTovikDocManager::OTovikDocManager(std::string settingsPath, QWidget* hostOwner, QObject* parent)
    : QObject(parent), settingsPath(std::move(settingsPath)), hostOwner(hostOwner)
{
}

OTovikDocManager::~OTovikDocManager() = default;

int OTovikDocManager::TemplateOf(const OBufferDocument& document)
{
    // A document of a type that is only read is written as Intel HEX.
    const int index = TemplateForKey(document.FormatKey());
    if (document.Elf() || (index >= 0 && IsReadOnlyTemplate(size_t(index))))
        return kIntelTemplate;
    return index < 0 ? kAllFilesTemplate : index;
}

OBufferDocument* OTovikDocManager::CreateNewDocument(const std::string& path, int flags)
{
    if (flags & dtNewDoc)
        return CreateDoc(0, std::string(), flags);
    if (path.empty()) {
        const auto choice =
            RunFileDialog(QApplication::activeWindow(), FileDialogKind::Open, QString(), LastFileType(), true);
        if (!choice)
            return nullptr;
        const auto open = [&](const QString& file) {
            return CreateDoc(TemplateForOpen(choice->templateIndex, file.toStdString()), file.toStdString(), flags);
        };
        OBufferDocument* first = open(choice->path);
        for (const QString& file : choice->more)
            open(file);
        return first;
    }
    const int index = MatchTemplate(path);
    return index < 0 ? nullptr : CreateDoc(index, path, flags);
}

OTovikDocManager::Entry OTovikDocManager::newEntry(int templateIndex)
{
    Entry entry;
    entry.host = std::make_unique<OQtDocumentHost>(hostOwner);
    entry.host->SetSaveTemplate(templateIndex);
    entry.document = std::make_unique<OBufferDocument>(*entry.host, settingsPath,
                                                       kDocTemplates[templateIndex].defaultExtension);
    return entry;
}

OBufferDocument* OTovikDocManager::adopt(Entry entry)
{
    OBufferDocument* document = entry.document.get();
    // Saving on the way out of the close question asks the same questions.
    entry.host->SetBeforeSave([this, document] {
        Entry* own = entryOf(*document);
        return !own || document->NeedsSaveTarget() || confirmSave(*own);
    });
    if (document->Title().empty()) {
        std::vector<std::string> titles;
        for (const OBufferDocument* other : Documents())
            titles.push_back(other->Title());
        document->SetTitle(UntitledTitle(titles));
    }
    entries.push_back(std::move(entry));
    emit documentCreated(document);
    return document;
}

OBufferDocument* OTovikDocManager::CreateDoc(int templateIndex, const std::string& path, int flags)
{
    if (templateIndex < 0 || templateIndex >= int(kDocTemplateCount))
        return nullptr;
    Entry entry = newEntry(templateIndex);
    OBufferDocument* document = entry.document.get();
    const bool opened = path.empty() ? document->Open() : document->Open(PathToOpen(path));
    if (!opened)
        return nullptr;
    entry.readFormat = document->ReadFormat();
    if (document->NeedsSaveTarget())
        entry.host->SetSaveTemplate(kIntelTemplate);
    if (document->Elf() && !document->Elf()->notice.empty())
        entry.host->MessageBox(document->Title() + ": " + document->Elf()->notice, document->Title(),
                               mbIconInformation);
    if (const auto error = entry.host->TakeLoadError())
        entry.incomplete = IncompleteLoad{error->text, error->line, document->Size(), error->reason};
    return adopt(std::move(entry));
}

OBufferDocument* OTovikDocManager::CreateFilled(int templateIndex, const std::function<bool(OBufferDocument&)>& fill)
{
    if (templateIndex < 0 || templateIndex >= int(kDocTemplateCount))
        return nullptr;
    Entry entry = newEntry(templateIndex);
    if (!fill(*entry.document))
        return nullptr;
    return adopt(std::move(entry));
}

void OTovikDocManager::ReloadAllSettings()
{
    for (OBufferDocument* document : Documents())
        document->ReloadSettings();
}

std::vector<OBufferDocument*> OTovikDocManager::Documents() const
{
    std::vector<OBufferDocument*> list;
    for (const Entry& entry : entries)
        list.push_back(entry.document.get());
    return list;
}

OBufferDocument* OTovikDocManager::FindDocument(const std::string& path) const
{
    for (const Entry& entry : entries)
        if (entry.document->Path() == path)
            return entry.document.get();
    return nullptr;
}

void OTovikDocManager::CmFileNew()
{
    CreateNewDocument(std::string(), dtNewDoc);
}

void OTovikDocManager::CmFileOpen()
{
    CreateNewDocument(std::string(), 0);
}

namespace {
// Binary and plain hex images start at address 0, so a window high up makes
// a large file of erased bytes: above kAskOutputAbove the user confirms it.
bool ConfirmImageSize(OBufferDocument& document)
{
    const std::string question = SaveSizeQuestion(FormatFromKey(document.FormatKey()), document.End());
    return question.empty() ||
           document.Host().MessageBox(question, document.Title(), mbIconQuestion | mbYesNoCancel) == idYes;
}
} // namespace

bool OTovikDocManager::CmFileSave()
{
    OBufferDocument* document = ActiveDocument();
    if (!document)
        return false;
    // An ELF file is never written: Save asks where the image goes.
    if (document->NeedsSaveTarget())
        return SaveAs(*document);
    return saveInPlace(*document);
}

OTovikDocManager::Entry* OTovikDocManager::entryOf(const OBufferDocument& document)
{
    for (Entry& entry : entries)
        if (entry.document.get() == &document)
            return &entry;
    return nullptr;
}

bool OTovikDocManager::saveInPlace(OBufferDocument& document)
{
    Entry* entry = entryOf(document);
    if (entry && !confirmSave(*entry))
        return false;
    if (!ConfirmImageSize(document) || !Commit(document))
        return false;
    if ((entry = entryOf(document)))
        entry->incomplete.reset();
    return true;
}

bool OTovikDocManager::confirmSave(Entry& entry)
{
    OBufferDocument& document = *entry.document;
    const QString caption = QString::fromStdString(document.Title());
    // The busy document refuses the save itself, without a question.
    if (document.IsBusy())
        return true;
    if (entry.incomplete) {
        const int answer = ShowQuestion(DialogOwner(),
                                        QString::fromStdString(IncompleteLoadQuestion(document.Title(), *entry.incomplete)),
                                        caption, QStringLiteral("&Yes"), QStringLiteral("&No"), false, true);
        if (answer != idYes)
            return false;
    }
    if (const auto question = AskFormatBeforeSave(document.Title(), entry.readFormat, document.FormatKey())) {
        const int answer = ShowQuestion(DialogOwner(), QString::fromStdString(question->text), caption,
                                        QString::fromStdString(question->keepButton),
                                        QString::fromStdString(question->convertButton), true, false);
        if (answer == idYes)
            document.SetFormatKey(question->keepKey);
        else if (answer != idNo)
            return false;
        // Asked once: the answer holds until the document is closed.
        entry.readFormat = ffUnknown;
    }
    return true;
}

bool OTovikDocManager::Commit(OBufferDocument& document)
{
    // The formats for other tools learn the array name and the image's
    // shape before their first line.
    WriterOptions options;
    std::string arrayName;
    const std::string notice =
        PrepareExport(document, FormatFromKey(document.FormatKey()), document.Path(), options, arrayName);
    if (!notice.empty())
        document.Host().MessageBox(notice, document.Title(), mbIconInformation);
    document.SetWriterOptions(options);
    const bool saved = document.Commit(true);
    document.SetWriterOptions(WriterOptions());
    return saved;
}

bool OTovikDocManager::CmFileSaveAs()
{
    OBufferDocument* document = ActiveDocument();
    return document && SaveAs(*document);
}

bool OTovikDocManager::SaveAs(OBufferDocument& document)
{
    QString initial = QString::fromStdString(document.Path().empty() ? std::string() : document.Path());
    // The file it was read from is not offered as the target of another format.
    if (document.NeedsSaveTarget() && !initial.isEmpty())
        initial = QFileInfo(initial).dir().filePath(QFileInfo(initial).completeBaseName() + QLatin1Char('.') +
                                                    QLatin1String(kDocTemplates[TemplateOf(document)].defaultExtension));
    const auto choice = RunFileDialog(QApplication::activeWindow(), FileDialogKind::Save, initial, TemplateOf(document));
    if (!choice)
        return false;
    const std::string oldPath = document.Path();
    const std::string oldKey = document.FormatKey();
    const std::string oldTitle = document.Title();
    document.SetPath(choice->path.toStdString());
    document.SetFormatKey(kDocTemplates[choice->templateIndex].defaultExtension);
    // Over the file it was read from, an incomplete read still asks; the
    // file type chosen here answers the format question.
    Entry* entry = entryOf(document);
    if (entry && oldPath == document.Path() && entry->incomplete) {
        const FileFormat read = std::exchange(entry->readFormat, ffUnknown);
        if (!confirmSave(*entry)) {
            entry->readFormat = read;
            document.SetPath(oldPath);
            document.SetFormatKey(oldKey);
            document.SetTitle(oldTitle);
            return false;
        }
    }
    if (!ConfirmImageSize(document) || !Commit(document)) {
        // Nothing was written: the document keeps the name and format it had.
        document.SetPath(oldPath);
        document.SetFormatKey(oldKey);
        document.SetTitle(oldTitle);
        return false;
    }
    if ((entry = entryOf(document))) {
        entry->readFormat = ffUnknown;
        entry->incomplete.reset();
    }
    emit documentRenamed(&document);
    return true;
}

bool OTovikDocManager::CmFileExport()
{
    OBufferDocument* document = ActiveDocument();
    if (!document)
        return false;
    int type = TemplateForKey(settings::ExportType(settingsPath));
    if (type < int(kReadableTemplateCount))
        type = int(kReadableTemplateCount);
    // The document's own name with the export's extension, beside it.
    std::string initial = document->Path().empty() ? document->Title() : document->Path();
    const size_t slash = initial.rfind('/');
    if (const size_t dot = initial.rfind('.'); dot != std::string::npos && (slash == std::string::npos || dot > slash))
        initial.resize(dot);
    initial += std::string(".") + kDocTemplates[type].defaultExtension;
    const auto choice =
        RunFileDialog(QApplication::activeWindow(), FileDialogKind::Export, QString::fromStdString(initial), type);
    if (!choice)
        return false;
    const std::string key = kDocTemplates[choice->templateIndex].defaultExtension;
    settings::WriteExportType(settingsPath, key);
    const std::string path = choice->path.toStdString();
    WriterOptions options;
    std::string arrayName;
    const std::string notice = PrepareExport(*document, FormatFromKey(key), path, options, arrayName);
    if (!notice.empty())
        document->Host().MessageBox(notice, document->Title(), mbIconInformation);
    document->SetWriterOptions(options);
    const bool written = document->ExportTo(path, key);
    document->SetWriterOptions(WriterOptions());
    return written;
}

bool OTovikDocManager::CanClose(OBufferDocument& document)
{
    const std::string before = document.Path();
    const bool may = document.CanClose();
    if (document.Path() != before)
        emit documentRenamed(&document);
    return may;
}

void OTovikDocManager::CmFileClose()
{
    OBufferDocument* document = ActiveDocument();
    if (document && CanClose(*document))
        destroy(document);
}

bool OTovikDocManager::CanCloseAll()
{
    for (OBufferDocument* document : Documents())
        if (!CanClose(*document))
            return false;
    return true;
}

void OTovikDocManager::ViewClosed(OBufferDocument* document, int viewsLeft)
{
    if (viewsLeft == 0)
        destroy(document);
}

void OTovikDocManager::destroy(OBufferDocument* document)
{
    const auto it = std::find_if(entries.begin(), entries.end(),
                                 [document](const Entry& entry) { return entry.document.get() == document; });
    if (it == entries.end())
        return;
    // Take the entry out first: the views closing below report back here.
    Entry entry = std::move(*it);
    entries.erase(it);
    emit documentClosing(document);
    entry.document->Close();
}

bool ChooseFileToOpen(OTovikDocManager* manager, std::string& name)
{
    QWidget* owner = manager ? manager->DialogOwner() : nullptr;
    const auto choice = RunFileDialog(owner ? owner : QApplication::activeWindow(), FileDialogKind::Open,
                                      QString::fromStdString(name), LastFileType());
    if (!choice)
        return false;
    name = choice->path.toStdString();
    return true;
}
