#pragma once
// The Edit and Buffer commands of a hex view without a window: when each is
// enabled, which values its dialog starts with, and what the document, the
// cursor and the selection become once the user confirmed. The widget asks
// for a request, runs the dialog and hands the answer back; it moves the
// clipboard's bytes, this class decides what they do.

#include "document/address_request.h"
#include "view/clip_data.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class OBufferDocument;
class OViewModel;

inline constexpr const char* kBusyRefusalText = "buffer is processing. Please be patient";
inline constexpr const char* kPositionCursorTitle = "Position cursor at following address";

using RangeBlock = std::array<uint8_t, kRangeBlockSize>;
// Gives memory for a copy of `size` bytes.
using ClipAllocator = std::function<uint8_t*(size_t size)>;

class OViewCommands {
public:
    explicit OViewCommands(OViewModel& model);

    // Shows "buffer is processing. Please be patient" when the document is
    // busy; true then, and the command must do nothing.
    bool RefuseWhileBusy();

    // Enablers.
    bool CanCopy() const;  // also Cut and Delete
    bool CanClearAll() const;
    bool CanUndo() const;

    // Dialog values of Fill selection, Set selection, Resize buffer and
    // Position cursor.
    FillRequest FillSelectionRequest() const;
    AddressRequest SetSelectionRequest() const;
    AddressRequest ResizeRequest() const;
    AddressRequest PositionRequest() const;

    // What each command does after its dialog's OK.
    void FillSelection(const FillRequest& request);
    void SetSelection(const AddressRequest& request);
    void ResizeBuffer(const AddressRequest& request);
    void PositionCursor(const AddressRequest& request);

    void SelectAll();
    void Insert();
    void Delete();
    void ClearAll();
    void Undo();

    // The selection's bytes and a zero byte, for the clipboard's text, into
    // memory from `allocate`; the result is the range block. None without a
    // selection or when the memory cannot be had (the document said so).
    std::optional<RangeBlock> Copy(const ClipAllocator& allocate);
    // After Cut's copy reached the clipboard: the selection becomes 0xFF.
    void CutDone();

    // Paste of clipboard data: `text` as the clipboard holds it and the range
    // block when there is one (the length rules of PasteLength).
    void Paste(const uint8_t* text, size_t textSize, const uint8_t* range, size_t rangeSize);
    // Paste of `length` bytes; `bytes` holds at least the first 16 MiB of
    // them, all that can ever fit. What would run past the address space is
    // left out, and the user is told.
    void PasteBytes(const uint8_t* bytes, size_t length);
    // The selection as hex text ("DE AD BE EF"); none without a selection
    // or without the memory for it.
    std::optional<std::string> CopyHexText();
    // Writes the digit pairs of `text` as Paste writes bytes; text that is
    // not hex text says "Not hex text" and writes nothing (false).
    bool PasteHexText(std::string_view text);

    // Called before a notice is shown, so the window can show the change
    // the notice is about.
    std::function<void()> BeforeMessage;

private:
    // Tells the user that only `written` of `wanted` bytes fit below the end
    // of the address space.
    void TellCut(int64_t wanted, int64_t written);

    OViewModel& model_;
    OBufferDocument& doc_;
};

// The text of the notice that only part of a paste, fill or resize fit.
std::string AddressSpaceNotice(int64_t wanted, int64_t written);
