#include "app/qt/checksum_commands.h"

#include "dialogs/qt/checksum_dlg.h"
#include "document/buffer_document.h"
#include "view/qt/buffer_view.h"

void RunChecksumCommand(OBufferView* view)
{
    if (!view || view->RefuseWhileBusy())
        return;
    OBufferDocument& document = view->Document();
    const OViewModel& model = view->Model();
    ChecksumForm form = LoadChecksumForm(document.SettingsPath());
    OChecksumDlg dialog(view, document, model.SelStart, model.SelEnd, form);
    if (dialog.exec() != QDialog::Accepted || dialog.Plan().writeAt == kNoAddress)
        return;
    // One block write: one step of undo, as a paste.
    WriteChecksum(document, dialog.Plan(), dialog.Value());
    view->Model().Refresh();
    view->ApplyDamage();
}
