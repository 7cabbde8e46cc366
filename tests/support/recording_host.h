#pragma once
// A document host without a window: records every message box and the
// other user-interface requests in order, and answers dialogs from values
// the test sets beforehand.

#include "document/buffer_document.h"
#include "document/document_host.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

struct RecordedMessage {
    std::string text;
    std::string caption;
    int style = 0;
    bool operator==(const RecordedMessage&) const = default;
};

class RecordingHost : public DocumentHost {
public:
    int MessageBox(std::string_view text, std::string_view caption, int style) override;
    void SetWaitCursor(bool on) override;
    void ShowBusyWindow(std::string_view text, std::string_view caption) override;
    void HideBusyWindow() override;
    void ProcessPendingEvents() override;
    bool RequestNewBufferRange(AddressRequest& request) override;
    bool ChooseFileToInsert(std::string& path, std::string& key) override;
    bool ChooseSaveTarget(std::string& path, std::string& key) override;
    bool AskLoadOffset(Address& offset) override;
    bool ReportProgress(int64_t done, int64_t total) override
    {
        return !onProgress || onProgress(done, total);
    }
    bool CanStop() const override { return true; }

    std::vector<RecordedMessage> messages;
    // The button every message box answers with.
    int answer = idOk;
    int waitCursorCount = 0;
    bool waitCursorOn = false;
    int busyWindowShows = 0;
    bool busyWindowShown = false;
    std::string busyText;
    long eventSteps = 0;
    // Runs at each event step: a test's stand-in for what the user does
    // while a long operation runs.
    std::function<void()> onEvents;
    // Answers a long operation's progress; false stops it, as Cancel does.
    std::function<bool(int64_t done, int64_t total)> onProgress;

    // Answers of the dialogs: nothing means cancelled.
    bool newBufferAccepted = false;
    Address newBufferStart = 0;
    Address newBufferLast = 0;
    // The load offset answered when asked; nothing means cancelled.
    std::optional<Address> loadOffset;
    int offsetQuestions = 0;
    std::string newBufferTitle;
    std::string insertPath, insertKey;
    std::string savePath, saveKey;
};

// A folder under the system's temporary folder, removed with the object.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    std::string File(const std::string& name) const { return (path_ / name).string(); }
    // Writes `bytes` to the named file; returns its path.
    std::string Write(const std::string& name, const std::string& bytes) const;

private:
    std::filesystem::path path_;
};

std::string ReadFileBytes(const std::string& path);
