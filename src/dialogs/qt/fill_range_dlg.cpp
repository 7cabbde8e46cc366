#include "dialogs/qt/fill_range_dlg.h"

#include "dialogs/address_dialog_ids.h"

#include <QBoxLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QRadioButton>

using namespace AddressDialogIds;

OFillRangeDlg::OFillRangeDlg(QWidget* owner, FillRequest& request)
    : OBasicAddressDlg(owner, request, FillDialogHelp), request_(request)
{
    auto* group = new QGroupBox(QStringLiteral("&Fill value"), this);
    Tag(group, FillGroup);
    fillEdit_ = new QLineEdit(group);
    fillEdit_->setMaxLength(FillEditLength);
    fillEdit_->setMaximumWidth(fillEdit_->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 8);
    Tag(fillEdit_, FillEdit, FillEditHelp);
    fillHex_ = new QRadioButton(QStringLiteral("&HEX"), group);
    Tag(fillHex_, FillHex, FillHexHelp);
    fillDec_ = new QRadioButton(QStringLiteral("&DEC"), group);
    Tag(fillDec_, FillDec, FillDecHelp);
    fillAscii_ = new QRadioButton(QStringLiteral("&ASCII"), group);
    Tag(fillAscii_, FillAscii, FillAsciiHelp);
    auto* row = new QHBoxLayout(group);
    row->addWidget(fillEdit_);
    row->addWidget(fillHex_);
    row->addWidget(fillDec_);
    row->addWidget(fillAscii_);
    row->addStretch(1);
    GroupsLayout()->addWidget(group);

    fillEdit_->setText(QString::fromStdString(InitialFillInput(request_).fill));
    fillHex_->setChecked(true);
    SetupWindow();
}

AddressInput OFillRangeDlg::EnteredInput() const
{
    AddressInput input = OBasicAddressDlg::EnteredInput();
    input.fill = fillEdit_->text().toStdString();
    input.fillMode = fillAscii_->isChecked() ? FillMode::Ascii
                     : fillDec_->isChecked() ? FillMode::Dec
                                             : FillMode::Hex;
    return input;
}

AddressCheck OFillRangeDlg::Check(const AddressInput& input) const
{
    return CheckFillInput(request_, input);
}

void OFillRangeDlg::Store(const AddressCheck& check)
{
    StoreFillCheck(request_, check);
}

QLineEdit* OFillRangeDlg::FieldEdit(AddressField field) const
{
    return field == AddressField::Fill ? fillEdit_ : OBasicAddressDlg::FieldEdit(field);
}
