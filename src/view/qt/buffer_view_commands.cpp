// The view's commands: the Edit and Buffer menus' commands with their
// dialogs and the clipboard, and the searches the Find dialog hands over.
// Painting, layout and input are in buffer_view.cpp.

#include "view/qt/buffer_view.h"

#include "document/find_request.h"
#include "dialogs/qt/basic_address_dlg.h"
#include "dialogs/qt/fill_range_dlg.h"
#include "document/buffer_document.h"
#include "settings/ansi_chars.h"
#include "view/qt/view_clipboard.h"

namespace {

OBufferView::DialogRunner& DialogHook()
{
    static OBufferView::DialogRunner runner;
    return runner;
}

}  // namespace

bool OBufferView::RefuseWhileBusy() { return commands_.RefuseWhileBusy(); }

void OBufferView::SetDialogRunner(DialogRunner runner) { DialogHook() = std::move(runner); }

bool OBufferView::RunDialog(AddressRequest& request, bool fill)
{
    if (DialogHook())
        return DialogHook()(this, request, fill);
    if (fill) {
        OFillRangeDlg dialog(this, static_cast<FillRequest&>(request));
        return dialog.exec() == 1;
    }
    OBasicAddressDlg dialog(this, request);
    return dialog.exec() == 1;
}

bool OBufferView::IsViewCommand(int id)
{
    return (id >= kCmInsert && id <= kCmPositionCursor) || (id >= kCmUndo && id <= kCmRedo) || id == kCmOverlayFile ||
           id == kCmCopyHexText || id == kCmPasteHexText;
}

bool OBufferView::CommandEnabled(int id)
{
    switch (id) {
    case kCmCut:
    case kCmCopy:
    case kCmDelete:
    case kCmCopyHexText: return commands_.CanCopy();
    case kCmPaste:
    case kCmPasteHexText: return ClipboardHasText();
    case kCmClearAll: return commands_.CanClearAll();
    case kCmUndo: return commands_.CanUndo();
    case kCmRedo: return commands_.CanRedo();
    default: return IsViewCommand(id);
    }
}

bool OBufferView::Command(int id)
{
    if (!IsViewCommand(id))
        return false;
    if (commands_.RefuseWhileBusy())
        return true;
    switch (id) {
    case kCmInsert: commands_.Insert(); break;
    case kCmOverlayFile: commands_.OverlayFile(); break;
    case kCmFillSelection: {
        FillRequest request = commands_.FillSelectionRequest();
        if (RunDialog(request, true))
            commands_.FillSelection(request);
        break;
    }
    case kCmSetSelection: {
        AddressRequest request = commands_.SetSelectionRequest();
        if (RunDialog(request, false))
            commands_.SetSelection(request);
        break;
    }
    case kCmResizeBuffer: {
        AddressRequest request = commands_.ResizeRequest();
        if (RunDialog(request, false))
            commands_.ResizeBuffer(request);
        break;
    }
    case kCmPositionCursor: {
        AddressRequest request = commands_.PositionRequest();
        if (RunDialog(request, false))
            commands_.PositionCursor(request);
        break;
    }
    case kCmSelectAll: commands_.SelectAll(); break;
    case kCmUndo: commands_.Undo(); break;
    case kCmRedo: commands_.Redo(); break;
    case kCmCopy:
    case kCmCut:
        if (CopyToClipboard(commands_) && id == kCmCut)
            commands_.CutDone();
        break;
    case kCmPaste: PasteFromClipboard(commands_); break;
    case kCmCopyHexText: CopyHexTextToClipboard(commands_); break;
    case kCmPasteHexText: PasteHexTextFromClipboard(commands_); break;
    case kCmDelete: commands_.Delete(); break;
    case kCmClearAll: commands_.ClearAll(); break;
    }
    ApplyDamage();
    emit edited();
    return true;
}

void OBufferView::ServeFind(const FindRequest& request)
{
    if (RefuseWhileBusy())
        return;
    if (model_.Find(request) < 0) {
        // A search the user stopped found nothing to report.
        if (!doc_->WasStopped())
            doc_->Host().MessageBox(AnsiToUtf8(request.text), CantFindCaption, mbIconInformation | mbOk);
        return;
    }
    ApplyDamage();
    window()->activateWindow();
    setFocus(Qt::OtherFocusReason);
}

void OBufferView::ServeReplace(const FindRequest& request, const std::vector<uint8_t>& with)
{
    if (RefuseWhileBusy())
        return;
    const Address found = commands_.Replace(request, with);
    ApplyDamage();
    emit edited();
    if (found < 0 && !doc_->WasStopped())
        doc_->Host().MessageBox(AnsiToUtf8(request.text), CantFindCaption, mbIconInformation | mbOk);
}

Address OBufferView::ServeReplaceAll(const FindRequest& request, const std::vector<uint8_t>& with)
{
    if (RefuseWhileBusy())
        return 0;
    const Address count = commands_.ReplaceAll(request, with);
    ApplyDamage();
    emit edited();
    return count;
}

QRect OBufferView::CursorRowOnScreen() const
{
    const int32_t row = model_.Cursor / OViewModel::kBytesPerRow;
    const QRect local(0, model_.RowY(row), width(), model_.RowHeight);
    return QRect(mapToGlobal(local.topLeft()), local.size());
}
