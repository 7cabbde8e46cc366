#pragma once
// The document manager: creates documents from the nine templates, keeps the
// list of open documents, and carries out New, Open, Save, Save As and Close.
// Views and their windows are the application's business; the manager only
// says when a document wants one.

#include "app/save_questions.h"
#include "document/buffer_document.h"

#include <QApplication>
#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class OQtDocumentHost;
class QWidget;

class OTovikDocManager;

// The open-file dialog over every template, starting with `name` (may be
// empty). True and the chosen full path in `name` when the user confirms;
// false, `name` untouched, on Cancel. Used by Insert and the settings' Search.
bool ChooseFileToOpen(OTovikDocManager* manager, std::string& name);

class OTovikDocManager : public QObject {
    Q_OBJECT
public:
    // Flag of CreateNewDocument: a new document without a file (File New).
    static constexpr int dtNewDoc = 0x1;

    OTovikDocManager(std::string settingsPath, QWidget* hostOwner, QObject* parent = nullptr);
    ~OTovikDocManager() override;

    // With dtNewDoc: a new Motorola document, no type question. Without a
    // path: the open dialog over all templates. Otherwise the template
    // matching the path. Returns the document, or none when nothing opened.
    OBufferDocument* CreateNewDocument(const std::string& path, int flags);
    // Creates and opens a document of template `templateIndex` for `path`
    // (a new one without a file when `path` is empty).
    OBufferDocument* CreateDoc(int templateIndex, const std::string& path, int flags);

    // A new untitled document of template `templateIndex` whose contents
    // `fill` makes (instead of File New's prompt); the document wants a view
    // like any other. `fill` gets the document's own host; when it answers
    // false (the user stopped it) no document is made.
    OBufferDocument* CreateFilled(int templateIndex, const std::function<bool(OBufferDocument&)>& fill);

    void ReloadAllSettings();

    std::vector<OBufferDocument*> Documents() const;
    // The document that has exactly this path (letter case counts), or none.
    OBufferDocument* FindDocument(const std::string& path) const;
    // Index of the template the document is read and written with.
    static int TemplateOf(const OBufferDocument& document);

    // The window the manager's dialogs belong to.
    QWidget* DialogOwner() const { return QApplication::activeWindow() ? QApplication::activeWindow() : hostOwner.data(); }

    // The active document, as the application's client window knows it.
    void SetActiveDocumentQuery(std::function<OBufferDocument*()> query) { activeQuery = std::move(query); }
    OBufferDocument* ActiveDocument() const { return activeQuery ? activeQuery() : nullptr; }

    // Commands on the active document.
    void CmFileNew();
    void CmFileOpen();
    bool CmFileSave();
    bool CmFileSaveAs();
    // Writes the active document as a C array, Verilog memory or MIF file
    // chosen in the export dialog; the document keeps its name, format and
    // changes. The type chosen is kept in the settings for the next time.
    bool CmFileExport();
    void CmFileClose();

    bool SaveAs(OBufferDocument& document);
    // Saves to the document's path, telling the formats for other tools
    // what they need of the image first.
    bool Commit(OBufferDocument& document);
    // Asks the document whether it may close; saving it under a new name on
    // the way counts as a rename.
    bool CanClose(OBufferDocument& document);
    // Asks every document whether it may close; false at the first refusal.
    bool CanCloseAll();
    // Closes the document and its views without asking: the caller asked.
    void CloseDocument(OBufferDocument* document) { destroy(document); }
    // A view of `document` went away; the last one takes the document along.
    void ViewClosed(OBufferDocument* document, int viewsLeft);

signals:
    // A document was created and opened and wants a view.
    void documentCreated(OBufferDocument* document);
    // Save As gave the document a new name.
    void documentRenamed(OBufferDocument* document);
    // The document is about to be deleted: its views must go first.
    void documentClosing(OBufferDocument* document);

private:
    struct Entry {
        std::unique_ptr<OQtDocumentHost> host;
        std::unique_ptr<OBufferDocument> document;
        // What Save asks before it replaces the file it was opened from:
        // the format the open read (until answered), and the error that
        // ended the open early (until the file was written).
        FileFormat readFormat = ffUnknown;
        std::optional<IncompleteLoad> incomplete;
    };

    void destroy(OBufferDocument* document);
    Entry* entryOf(const OBufferDocument& document);
    // A fresh document of the template with its own host, and its taking
    // into the list once it is filled: title, save questions, notice.
    Entry newEntry(int templateIndex);
    OBufferDocument* adopt(Entry entry);
    // The questions before a save over the document's own file; false when
    // the user called the save off.
    bool confirmSave(Entry& entry);
    // Save over the document's own file, after the questions.
    bool saveInPlace(OBufferDocument& document);

    std::string settingsPath;
    QPointer<QWidget> hostOwner;
    std::vector<Entry> entries;
    std::function<OBufferDocument*()> activeQuery;
};
