#include "view/view_commands.h"

#include "document/buffer_document.h"
#include "view/hex_text.h"
#include "document/find_request.h"
#include "view/view_model.h"

#include <algorithm>
#include <cstdio>
#include <new>

namespace {
constexpr Address kAddressSpace = 0x100000000;
constexpr Address kLastAddress = kAddressSpace - 1;
} // namespace

std::string AddressSpaceNotice(int64_t wanted, int64_t written)
{
    char text[200];
    std::snprintf(text, sizeof text,
                  "Only %lld of %lld bytes fit below address 100000000 hex; the rest was left out.",
                  static_cast<long long>(written), static_cast<long long>(wanted));
    return text;
}

OViewCommands::OViewCommands(OViewModel& model) : model_(model), doc_(model.Document()) {}

bool OViewCommands::RefuseWhileBusy()
{
    if (!doc_.IsBusy())
        return false;
    doc_.Host().MessageBox(kBusyRefusalText, doc_.Title(), mbIconInformation | mbOk);
    return true;
}

bool OViewCommands::CanCopy() const { return model_.HasSelection(); }
bool OViewCommands::CanClearAll() const { return doc_.IsOpen(); }
bool OViewCommands::CanUndo() const { return doc_.CanUndo(); }
bool OViewCommands::CanRedo() const { return doc_.CanRedo(); }

FillRequest OViewCommands::FillSelectionRequest() const
{
    // The selection when there is one, else the whole buffer: the user narrows it.
    FillRequest request;
    request.title = "Fill selection";
    request.lowerLimit = doc_.Start();
    request.upperLimit = doc_.End() - 1;
    request.start = model_.HasSelection() ? model_.SelStart : doc_.Start();
    request.last = model_.HasSelection() ? model_.SelEnd : doc_.End() - 1;
    request.fillValue = 0xFF;
    return request;
}

AddressRequest OViewCommands::SetSelectionRequest() const
{
    AddressRequest request;
    request.title = "Set selection";
    request.start = doc_.Start();
    request.last = doc_.End() - 1;
    return request;
}

AddressRequest OViewCommands::ResizeRequest() const
{
    AddressRequest request = SetSelectionRequest();
    request.title = "Resize buffer";
    return request;
}

AddressRequest OViewCommands::PositionRequest() const
{
    AddressRequest request;
    request.title = kPositionCursorTitle;
    request.startLabel = "new cursor position";
    request.start = model_.Cursor;
    request.lastShown = 0;
    return request;
}

void OViewCommands::FillSelection(const FillRequest& request)
{
    doc_.Fill(request.start, request.last, request.fillValue);
    model_.ClearSelection();
    model_.Refresh();
}

void OViewCommands::SetSelection(const AddressRequest& request)
{
    // The cursor stops after the range, kept inside the buffer, and the
    // selection keeps to the bytes that are there.
    model_.Cursor = request.last + 1;
    model_.EnsureCursorVisible();
    model_.SetSelection(request.start, model_.Cursor - 1);
    model_.Refresh();
}

void OViewCommands::ResizeBuffer(const AddressRequest& request)
{
    const Address start = std::clamp<Address>(request.start, 0, kLastAddress);
    const Address last = std::min<Address>(request.last, kLastAddress);
    if (last < start)
        return;
    doc_.Resize(start, last);
    model_.EnsureCursorVisible();
    model_.ClearSelection();
    model_.Refresh();
    if (last < request.last)
        TellCut(Address{request.last} - start + 1, last - start + 1);
}

void OViewCommands::PositionCursor(const AddressRequest& request)
{
    if (request.start < 0)
        return;
    model_.Cursor = request.start;
    model_.ClearSelection();
    model_.EnsureCursorVisible();
    model_.Refresh();
}

void OViewCommands::SelectAt(Address first, Address count)
{
    model_.Cursor = first;
    model_.ClearSelection();
    if (count > 0)
        model_.SetSelection(first, first + count - 1);
    model_.EnsureCursorVisible();
    model_.Refresh();
}

void OViewCommands::SelectAll()
{
    model_.Cursor = doc_.End();
    model_.SetSelection(doc_.Start(), doc_.End() - 1);
    model_.EnsureCursorVisible();
    model_.Refresh();
}

void OViewCommands::Insert()
{
    doc_.Insert(model_.Cursor);
    model_.ClearSelection();
    model_.EnsureCursorVisible();
    model_.Refresh();
}

void OViewCommands::OverlayFile()
{
    std::string path;
    std::string key;
    if (!doc_.Host().ChooseFileToInsert(path, key) || !doc_.OverlayFile(path, key))
        return;
    model_.KeepSelectionInside();
    model_.Refresh();
}

void OViewCommands::Delete()
{
    if (model_.HasSelection())
        doc_.Fill(model_.SelStart, model_.SelEnd, 0xFF);
    model_.Refresh();
}

void OViewCommands::ClearAll()
{
    doc_.Fill(doc_.Start(), doc_.End(), 0xFF);
    model_.Refresh();
}

void OViewCommands::Undo() { MoveToChange(doc_.Undo()); }

void OViewCommands::Redo() { MoveToChange(doc_.Redo()); }

Address OViewCommands::Replace(const FindRequest& request, const std::vector<uint8_t>& with)
{
    if (model_.HasSelection() && model_.SelEnd - model_.SelStart + 1 == request.length &&
        Address(with.size()) == request.length && doc_.MatchesAt(request, model_.SelStart)) {
        doc_.WriteBlock(with.data(), model_.SelStart, request.length);
        // The search moves on from the replaced bytes, in either direction.
        model_.Cursor = model_.SelStart;
        model_.MarkHit(model_.SelStart);
    }
    model_.Refresh();
    return model_.Find(request);
}

Address OViewCommands::ReplaceAll(const FindRequest& request, const std::vector<uint8_t>& with)
{
    if (Address(with.size()) != request.length)
        return 0;
    const Address count = doc_.ReplaceAll(request, with.data());
    model_.Refresh();
    return count;
}

void OViewCommands::MoveToChange(Address address)
{
    if (address < 0)
        return;
    model_.Cursor = address;
    model_.EnsureCursorVisible();
    model_.KeepSelectionInside();
    model_.Refresh();
}

std::optional<RangeBlock> OViewCommands::Copy(const ClipAllocator& allocate)
{
    if (!model_.HasSelection() || !doc_.CopyBlockTo(model_.SelStart, model_.SelEnd, allocate))
        return std::nullopt;
    return MakeRangeBlock(model_.SelStart, model_.SelEnd);
}

void OViewCommands::CutDone()
{
    if (model_.HasSelection())
        doc_.Fill(model_.SelStart, model_.SelEnd, 0xFF);
    model_.ClearSelection();
    model_.Refresh();
}

void OViewCommands::Paste(const uint8_t* text, size_t textSize, const uint8_t* range, size_t rangeSize)
{
    PasteBytes(text, PasteLength(text, textSize, range, rangeSize));
}

void OViewCommands::PasteBytes(const uint8_t* bytes, size_t length)
{
    const bool selection = model_.HasSelection();
    const Address at = selection ? model_.SelStart : model_.Cursor;
    if (selection)
        doc_.Fill(model_.SelStart, model_.SelEnd, 0xFF);
    if (doc_.WasStopped())
        return;
    // Nothing wraps past the last address: what fits is written.
    const Address wanted = Address(std::min<size_t>(length, size_t(INT64_MAX)));
    const Address fits = std::clamp<Address>(kAddressSpace - at, 0, wanted);
    if (fits > 0)
        doc_.WriteBlock(bytes, at, fits);
    if (doc_.WasStopped()) {
        // The paste was stopped: the selection's erasing goes back too.
        if (selection && doc_.UndoOption())
            doc_.Undo();
        return;
    }
    if (selection)
        model_.Cursor = at;
    model_.ClearSelection();
    model_.EnsureCursorVisible();
    model_.Refresh();
    if (fits < wanted)
        TellCut(wanted, fits);
}

std::string CopyQuestion(Address count)
{
    return "The selection holds " + std::to_string(count) + " bytes. Copy it to the clipboard?";
}

Address OViewCommands::ClipSize(bool hexText) const
{
    if (!model_.HasSelection())
        return 0;
    const Address count = model_.SelEnd - model_.SelStart + 1;
    return hexText ? 3 * count - 1 : count;
}

bool OViewCommands::ConfirmCopy(bool hexText)
{
    if (ClipSize(hexText) <= kAskCopyAbove)
        return true;
    if (BeforeMessage)
        BeforeMessage();
    return doc_.Host().MessageBox(CopyQuestion(model_.SelEnd - model_.SelStart + 1), doc_.Title(),
                                  mbIconQuestion | mbYesNoCancel) == idYes;
}

bool OViewCommands::CopyHexText(const ClipAllocator& allocate)
{
    const Address size = ClipSize(true);
    if (size <= 0)
        return false;
    uint8_t* text = nullptr;
    try {
        text = allocate(static_cast<size_t>(size));
    } catch (const std::bad_alloc&) {
    }
    if (!text) {
        doc_.Host().MessageBox(OBufferDocument::kCopyMemoryText, OBufferDocument::kCopyMemoryCaption, mbIconStop);
        return false;
    }
    // FormatHexText's digits, a run at a time, straight into the text.
    static constexpr char kDigits[] = "0123456789ABCDEF";
    return doc_.ReadPieces(model_.SelStart, model_.SelEnd, [&](Address offset, const uint8_t* bytes, Address n) {
        uint8_t* at = text + 3 * offset;
        const uint8_t* end = text + size;
        for (Address i = 0; i < n; ++i, at += 3) {
            at[0] = kDigits[bytes[i] >> 4];
            at[1] = kDigits[bytes[i] & 0x0F];
            if (at + 2 < end)
                at[2] = ' ';
        }
    });
}

bool OViewCommands::PasteHexText(std::string_view text)
{
    const auto bytes = ParseHexText(text);
    if (!bytes) {
        if (BeforeMessage)
            BeforeMessage();
        doc_.Host().MessageBox(kNotHexText, doc_.Title(), mbIconExclamation | mbOk);
        return false;
    }
    PasteBytes(bytes->data(), bytes->size());
    return true;
}

void OViewCommands::TellCut(int64_t wanted, int64_t written)
{
    if (BeforeMessage)
        BeforeMessage();
    doc_.Host().MessageBox(AddressSpaceNotice(wanted, written), doc_.Title(), mbIconExclamation | mbOk);
}
