#pragma once
// A document host without a window for the benchmarks: every message is
// answered with OK, no events are pumped and every dialog is cancelled.

#include "document/document_host.h"

#include <string>

class QuietHost : public DocumentHost {
public:
    int MessageBox(std::string_view, std::string_view, int) override { return idOk; }
    void SetWaitCursor(bool) override {}
    void ShowBusyWindow(std::string_view, std::string_view) override {}
    void HideBusyWindow() override {}
    void ProcessPendingEvents() override {}
    bool RequestNewBufferRange(AddressRequest&) override { return false; }
    bool ChooseFileToInsert(std::string&, std::string&) override { return false; }
    bool ChooseSaveTarget(std::string&, std::string&) override { return false; }
};
