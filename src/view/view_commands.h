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
struct FindRequest;

inline constexpr const char* kBusyRefusalText = "buffer is processing. Please be patient";
inline constexpr const char* kPositionCursorTitle = "Position cursor at following address";

// Copy, Cut and Copy as hex text put at most this many bytes on the
// clipboard without asking: the largest common parallel flash (512 Mbit)
// goes without a question, while a selection of the whole space would take
// 4 GiB (12 GiB as hex text) and minutes, and few programs can take such a
// paste. Hex text is three characters a byte, so it asks above a third.
inline constexpr Address kAskCopyAbove = Address{64} << 20;

// "The selection holds N bytes. Copy it to the clipboard?"
std::string CopyQuestion(Address count);

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
    bool CanRedo() const;

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
    // The cursor on `first` and the `count` bytes from there selected (none
    // when 0).
    void SelectAt(Address first, Address count);

    void SelectAll();
    void Insert();
    // Asks for a file and lays it over the document at its own addresses.
    void OverlayFile();
    void Delete();
    void ClearAll();
    void Undo();
    void Redo();
    // Replace: a selection that is a match of the request is overwritten
    // with `with` (one undo step); then the next match is found as Find
    // finds it. The next match's address or -1.
    Address Replace(const FindRequest& request, const std::vector<uint8_t>& with);
    // Every match in the window, as one undo step; how many there were.
    Address ReplaceAll(const FindRequest& request, const std::vector<uint8_t>& with);

    // The selection's bytes and a zero byte, for the clipboard's text, into
    // memory from `allocate`; the result is the range block. None without a
    // selection or when the memory cannot be had (the document said so).
    std::optional<RangeBlock> Copy(const ClipAllocator& allocate);
    // The bytes Copy (or Copy as hex text, with `hexText`) would put on the
    // clipboard; 0 without a selection.
    Address ClipSize(bool hexText) const;
    // True when Copy, Cut or Copy as hex text may go ahead: a selection
    // whose clipboard data would pass kAskCopyAbove asks CopyQuestion first.
    bool ConfirmCopy(bool hexText);
    // After Cut's copy reached the clipboard: the selection becomes 0xFF.
    void CutDone();

    // Paste of clipboard data: `text` as the clipboard holds it and the range
    // block when there is one (the length rules of PasteLength).
    void Paste(const uint8_t* text, size_t textSize, const uint8_t* range, size_t rangeSize);
    // Paste of `length` bytes; `bytes` holds at least the first 16 MiB of
    // them, all that can ever fit. What would run past the address space is
    // left out, and the user is told.
    void PasteBytes(const uint8_t* bytes, size_t length);
    // The selection as hex text ("DE AD BE EF", ClipSize(true) characters)
    // into memory from `allocate`, built from the document a run at a time;
    // false without a selection, without the memory (the user was told) or
    // when the user stopped a long one, as Copy can be stopped.
    bool CopyHexText(const ClipAllocator& allocate);
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
    // After Undo or Redo: the cursor goes where the change was (-1: none).
    void MoveToChange(Address address);

    OViewModel& model_;
    OBufferDocument& doc_;
};

// The text of the notice that only part of a paste, fill or resize fit.
std::string AddressSpaceNotice(int64_t wanted, int64_t written);
