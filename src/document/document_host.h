#pragma once
// What a buffer document needs from the user interface, and how it tells its
// views about changes. The editor implements DocumentHost with widgets;
// dravel-conv and the tests implement it without a window.

#include "buffer/address.h"
#include "document/address_request.h"
#include "document/lanes.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

class OBufferDocument;

// Message box styles: one icon, optionally or-ed with a button set.
enum MessageStyle : int {
    mbOk = 0x00,
    mbYesNoCancel = 0x03,
    mbIconStop = 0x10,         // 16
    mbIconQuestion = 0x20,     // 32
    mbIconExclamation = 0x30,  // 48
    mbIconInformation = 0x40,  // 64
};

// The button a message box was closed with.
enum MessageResult : int {
    idOk = 1,
    idCancel = 2,
    idYes = 6,
    idNo = 7,
};

class DocumentHost {
public:
    virtual ~DocumentHost() = default;

    // Shows a modal message box owned by the active window. `style` is an
    // icon or-ed with a button set; returns the button (idOk for mbOk).
    virtual int MessageBox(std::string_view text, std::string_view caption, int style) = 0;

    // An error found while reading the file `path`, on `line` (from 1; 0 when
    // no line applies), for `reason` ("checksum 3A, expected 3B"; empty when
    // unknown). The fixed text goes in a stop box; hosts that can say more
    // add ReadErrorPlace(line, reason) beside it.
    virtual void ReportReadError(std::string_view text, std::string_view caption, const std::string& path,
                                 uint32_t line, std::string_view reason)
    {
        (void)path;
        (void)line;
        (void)reason;
        MessageBox(text, caption, mbIconStop);
    }

    // What a read error says moved the file's addresses when a load offset
    // pushes a byte out of the space ("the load offset moves 00000010
    // below 0").
    virtual std::string LoadOffsetName() const { return "the load offset"; }

    // Writing the file `path` failed for `reason` (the system's words). The
    // editor shows the fixed text in a stop box; a console host may give
    // the reason as well.
    virtual void ReportWriteError(std::string_view text, std::string_view caption, const std::string& path,
                                  const std::string& reason)
    {
        (void)path;
        (void)reason;
        MessageBox(text, caption, mbIconStop);
    }

    // Wait cursor on the main window while on; the arrow cursor when off.
    virtual void SetWaitCursor(bool on) = 0;

    // The modeless please-wait window (text OBufferDocument::kBusyText),
    // captioned with the document's title, shown disabled: it takes no input.
    virtual void ShowBusyWindow(std::string_view text, std::string_view caption) = 0;
    virtual void HideBusyWindow() = 0;

    // Lets the user interface handle what is pending. Long loops call this
    // often (after every few hundred bytes); the host keeps it cheap by doing
    // real work only when some milliseconds have passed since the last time.
    virtual void ProcessPendingEvents() = 0;

    // Long operations that can be stopped (fills, pastes, copies, swaps,
    // saves) call this right after ProcessPendingEvents with how far they
    // are, `done` of `total` bytes; false asks them to stop, and they then
    // leave the document (and a saved file) as it was before the command.
    // Keep it cheap: it comes as often as ProcessPendingEvents.
    virtual bool ReportProgress(int64_t done, int64_t total)
    {
        (void)done;
        (void)total;
        return true;
    }
    // Whether anyone can stop a long edit (a progress window with Cancel).
    // Only then does an edit keep what it needs to take itself back while
    // undo is off: a converter's swap of 64 MiB would otherwise copy it all.
    virtual bool CanStop() const { return false; }

    // Reading a file that is no regular file (a pipe, a device) waits for
    // its bytes through this: it is called every few milliseconds while
    // none are there and returns false to give reading up. Null (the
    // default) lets opening and reading block, as a console program may.
    virtual std::function<bool()> InputWaiter() { return {}; }

    // Runs the address dialog (the new-buffer prompt, NewBufferRequest() of
    // the dialogs); true when confirmed with OK, and only then does `request`
    // hold the entered range (start .. last inclusive).
    virtual bool RequestNewBufferRange(AddressRequest& request) = 0;

    // The open-file dialog over all templates, for Insert. True when the user
    // chose a file that matches a template: `path` is the file, `key` that
    // template's default extension.
    virtual bool ChooseFileToInsert(std::string& path, std::string& key) = 0;

    // Asked before a file is opened or inserted when the settings ask for a
    // load offset: `offset` comes in as the proposal and goes out as the
    // value to add to every address read. False cancels the open or insert.
    virtual bool AskLoadOffset(Address& offset)
    {
        (void)offset;
        return true;
    }

    // The inserted file's bytes land on written ones at `ranges` (one range
    // a line): replace them (the plain Insert), keep them, or insert nothing
    // (error). Hosts without a user answer replace, as Insert always did.
    virtual OverlapPolicy ChooseOverlap(std::string_view ranges)
    {
        (void)ranges;
        return OverlapPolicy::replace;
    }

    // The save dialog for a document without a file, when closing asks to
    // save it. True when confirmed; `path` and `key` as for Insert.
    virtual bool ChooseSaveTarget(std::string& path, std::string& key) = 0;
};

// "line 12: address past FFFFFFFF": where and why, as far as either is
// known; empty when neither is.
inline std::string ReadErrorPlace(uint32_t line, std::string_view reason)
{
    std::string place = line > 0 ? "line " + std::to_string(line) : std::string();
    if (!place.empty() && !reason.empty())
        place += ": ";
    return place.append(reason);
}

// Notifications from a document to its views.
enum ViewNotification : int {
    vnRevert = 6,        // argument: 1 when the revert clears the document
    vnBufferSize = 100,  // argument: the new size
    vnSettings = 101,    // argument: 0
    vnBusy = 102,        // argument: 0; the busy state left or returned to 0
};

class DocumentObserver {
public:
    virtual ~DocumentObserver() = default;
    virtual void DocumentNotify(OBufferDocument& document, int notification, Address argument) = 0;
};
