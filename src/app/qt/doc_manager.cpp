#include "app/qt/doc_manager.h"

#include "app/command_line.h"
#include "app/doc_templates.h"
#include "app/qt/qt_document_host.h"
#include "app/qt/shell_services.h"

#include <QApplication>
#include <QWidget>

#include <algorithm>


OTovikDocManager::OTovikDocManager(std::string settingsPath, QWidget* hostOwner, QObject* parent)
    : QObject(parent), settingsPath(std::move(settingsPath)), hostOwner(hostOwner)
{
}

OTovikDocManager::~OTovikDocManager() = default;

int OTovikDocManager::TemplateOf(const OBufferDocument& document)
{
    const int index = TemplateForKey(document.FormatKey());
    return index < 0 ? int(kDocTemplateCount) - 1 : index;
}

OBufferDocument* OTovikDocManager::CreateNewDocument(const std::string& path, int flags)
{
    if (flags & dtNewDoc)
        return CreateDoc(0, std::string(), flags);
    if (path.empty()) {
        const auto choice = RunFileDialog(QApplication::activeWindow(), FileDialogKind::Open, QString(), LastFileType());
        if (!choice)
            return nullptr;
        return CreateDoc(choice->templateIndex, choice->path.toStdString(), flags);
    }
    const int index = MatchTemplate(path);
    return index < 0 ? nullptr : CreateDoc(index, path, flags);
}

OBufferDocument* OTovikDocManager::CreateDoc(int templateIndex, const std::string& path, int flags)
{
    if (templateIndex < 0 || templateIndex >= int(kDocTemplateCount))
        return nullptr;
    Entry entry;
    entry.host = std::make_unique<OQtDocumentHost>(hostOwner);
    entry.host->SetSaveTemplate(templateIndex);
    entry.document = std::make_unique<OBufferDocument>(*entry.host, settingsPath,
                                                       kDocTemplates[templateIndex].defaultExtension);
    OBufferDocument* document = entry.document.get();
    const bool opened = path.empty() ? document->Open() : document->Open(PathToOpen(path));
    if (!opened)
        return nullptr;
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

bool OTovikDocManager::CmFileSave()
{
    OBufferDocument* document = ActiveDocument();
    if (!document)
        return false;
    if (document->Path().empty())
        return SaveAs(*document);
    return document->Commit(true);
}

bool OTovikDocManager::CmFileSaveAs()
{
    OBufferDocument* document = ActiveDocument();
    return document && SaveAs(*document);
}

bool OTovikDocManager::SaveAs(OBufferDocument& document)
{
    const QString initial = QString::fromStdString(document.Path().empty() ? std::string() : document.Path());
    const auto choice = RunFileDialog(QApplication::activeWindow(), FileDialogKind::Save, initial, TemplateOf(document));
    if (!choice)
        return false;
    const std::string oldPath = document.Path();
    const std::string oldKey = document.FormatKey();
    const std::string oldTitle = document.Title();
    document.SetPath(choice->path.toStdString());
    document.SetFormatKey(kDocTemplates[choice->templateIndex].defaultExtension);
    if (!document.Commit(true)) {
        // Nothing was written: the document keeps the name and format it had.
        document.SetPath(oldPath);
        document.SetFormatKey(oldKey);
        document.SetTitle(oldTitle);
        return false;
    }
    emit documentRenamed(&document);
    return true;
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
