#pragma once
// A document host for widget tests: message boxes are logged as
// "caption|text" and answered with OK, events are not pumped and every
// dialog is cancelled.

#include "document/document_host.h"

#include <string>
#include <vector>

class MessageLogHost : public DocumentHost {
public:
    std::vector<std::string> messages;

    int MessageBox(std::string_view text, std::string_view caption, int) override
    {
        messages.push_back(std::string(caption) + "|" + std::string(text));
        return idOk;
    }
    void SetWaitCursor(bool) override {}
    void ShowBusyWindow(std::string_view, std::string_view) override {}
    void HideBusyWindow() override {}
    void ProcessPendingEvents() override {}
    bool RequestNewBufferRange(AddressRequest&) override { return false; }
    bool ChooseFileToInsert(std::string&, std::string&) override { return false; }
    bool ChooseSaveTarget(std::string&, std::string&) override { return false; }
};
