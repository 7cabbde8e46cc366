#pragma once
// The document host of the editor: message boxes over the main window, the
// wait cursor, the please-wait window, time-sliced event processing, the
// new-buffer prompt and the file choosers. One host serves one document, so
// each busy document has its own please-wait window.

#include "document/document_host.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <optional>
#include <string>
#include <utility>

class OKeySwallower;

class OQtDocumentHost : public DocumentHost {
public:
    explicit OQtDocumentHost(QWidget* owner);
    ~OQtDocumentHost() override;

    int MessageBox(std::string_view text, std::string_view caption, int style) override;
    // The fixed text, and the line and reason under it.
    void ReportReadError(std::string_view text, std::string_view caption, const std::string& path, uint32_t line,
                         std::string_view reason) override;
    void SetWaitCursor(bool on) override;
    void ShowBusyWindow(std::string_view text, std::string_view caption) override;
    void HideBusyWindow() override;
    void ProcessPendingEvents() override;
    // After half a second of a long operation that can be stopped, the
    // please-wait window shows a bar, the bytes done and Cancel.
    bool ReportProgress(int64_t done, int64_t total) override;
    bool CanStop() const override { return true; }
    bool RequestNewBufferRange(AddressRequest& request) override;
    bool ChooseFileToInsert(std::string& path, std::string& key) override;
    bool ChooseSaveTarget(std::string& path, std::string& key) override;
    // The load-offset prompt (LoadOffsetRequest) over the active window.
    bool AskLoadOffset(Address& offset) override;
    OverlapPolicy ChooseOverlap(std::string_view ranges) override;
    // Waiting for a pipe or a device keeps the window working; the
    // please-wait window then offers Cancel.
    std::function<bool()> InputWaiter() override;

    // Lets tests answer the new-buffer prompt; an empty hook restores the dialog.
    using NewBufferHook = std::function<bool(AddressRequest&)>;
    static void SetNewBufferHook(NewBufferHook hook);

    // The template index the last ChooseSaveTarget confirmed.
    int SavedTemplate() const { return savedTemplate; }
    void SetSaveTemplate(int index) { savedTemplate = index; }

    QWidget* BusyWindow() const { return busyWindow; }

    // The first error that ended a load since the last call, its line and
    // its reason.
    struct LoadError {
        std::string text;
        uint32_t line = 0;
        std::string reason;
    };
    std::optional<LoadError> TakeLoadError() { return std::exchange(loadError, std::nullopt); }

    // Asked when the user answers Yes to the document's save-before-close
    // question (its only three-way one); false turns the answer into Cancel.
    void SetBeforeSave(std::function<bool()> check) { beforeSave = std::move(check); }

private:
    void ShowProgress();
    void FitBusyWindow();

    QPointer<QWidget> owner;
    QPointer<QWidget> busyWindow;
    int waitCursors = 0;
    bool cancelRequested = false;
    int64_t progressDone = 0;
    int64_t progressTotal = 0;
    QElapsedTimer busySince;
    QPointer<QObject> keySwallower;
    int savedTemplate = 0;
    std::optional<LoadError> loadError;
    std::function<bool()> beforeSave;
};
