#pragma once
// The fill dialog: the address dialog plus the byte to fill with, typed in
// hex, decimal or as a character. The fill value is checked before the
// addresses; on OK it is stored into the request with them.

#include "dialogs/qt/basic_address_dlg.h"

class OFillRangeDlg : public OBasicAddressDlg {
    Q_OBJECT
public:
    OFillRangeDlg(QWidget* owner, FillRequest& request);

protected:
    AddressInput EnteredInput() const override;
    AddressCheck Check(const AddressInput& input) const override;
    void Store(const AddressCheck& check) override;
    QLineEdit* FieldEdit(AddressField field) const override;

private:
    FillRequest& request_;
    QLineEdit* fillEdit_ = nullptr;
    QRadioButton* fillHex_ = nullptr;
    QRadioButton* fillDec_ = nullptr;
    QRadioButton* fillAscii_ = nullptr;
};
