#include "dialogs/qt/basic_address_dlg.h"

#include "dialogs/address_dialog_ids.h"
#include "dialogs/device_sizes.h"
#include "dialogs/qt/device_size_box.h"
#include "dialogs/qt/dialog_services.h"

#include <QButtonGroup>
#include <QFontMetrics>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

using namespace AddressDialogIds;

namespace {

QString Text(const std::string& text)
{
    return QString::fromStdString(text);
}

// An edit wide enough for any address in either radix.
QLineEdit* NumberEdit(QWidget* parent)
{
    auto* edit = new QLineEdit(parent);
    edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 14);
    return edit;
}

} // namespace

OBasicAddressDlg::OBasicAddressDlg(QWidget* owner, AddressRequest& request)
    : OBasicAddressDlg(owner, request, BasicDialogHelp)
{
    SetupWindow();
}

OBasicAddressDlg::OBasicAddressDlg(QWidget* owner, AddressRequest& request, int helpContext)
    : QDialog(owner), request_(request), helpContext_(helpContext)
{
    BuildControls();
}

void OBasicAddressDlg::Tag(QWidget* widget, int id, int helpContext)
{
    widget->setObjectName(QString::number(id));
    if (helpContext != 0)
        widget->setProperty("helpId", helpContext);
}

QHBoxLayout* OBasicAddressDlg::BuildValueGroup(const QString& label, const ValueIds& ids,
                                               int helpContext, QGroupBox*& group,
                                               QLineEdit*& edit, QFrame*& frame,
                                               QRadioButton*& dec, QRadioButton*& hex)
{
    group = new QGroupBox(label, this);
    Tag(group, ids.group, helpContext);
    edit = NumberEdit(group);
    Tag(edit, ids.edit, helpContext);
    frame = new QFrame(group);
    frame->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    Tag(frame, ids.frame, helpContext);
    dec = new QRadioButton(QStringLiteral("&DEC"), frame);
    Tag(dec, ids.dec, helpContext);
    hex = new QRadioButton(QStringLiteral("&HEX"), frame);
    Tag(hex, ids.hex, helpContext);
    auto* radix = new QVBoxLayout(frame);
    radix->addWidget(dec);
    radix->addWidget(hex);
    auto* row = new QHBoxLayout(group);
    row->addWidget(edit);
    row->addWidget(frame);
    return row;
}

void OBasicAddressDlg::BuildControls()
{
    // Each value: an edit, and a sunken frame with its radix radios.
    QHBoxLayout* firstRow = BuildValueGroup(QStringLiteral("&Start address"),
                                            {FirstGroup, FirstEdit, FirstFrame, FirstDec, FirstHex},
                                            FirstHelp, firstGroup_, firstEdit_, firstFrame_,
                                            firstDec_, firstHex_);
    firstRow->addStretch(1);

    // The second value also says whether it is an address or a size.
    QHBoxLayout* secondRow = BuildValueGroup(
        QStringLiteral("&Last address / size"),
        {SecondGroup, SecondEdit, SecondFrame, SecondDec, SecondHex}, SecondHelp, secondGroup_,
        secondEdit_, secondFrame_, secondDec_, secondHex_);
    valueIsAddress_ = new QRadioButton(QStringLiteral("Value is address"), secondGroup_);
    Tag(valueIsAddress_, ValueIsAddress, ValueIsAddressHelp);
    valueIsSize_ = new QRadioButton(QStringLiteral("Value is size"), secondGroup_);
    Tag(valueIsSize_, ValueIsSize, ValueIsSizeHelp);
    // One meaning at a time, whatever the radios' parents.
    auto* meaningGroup = new QButtonGroup(this);
    meaningGroup->addButton(valueIsAddress_);
    meaningGroup->addButton(valueIsSize_);
    auto* meaning = new QVBoxLayout;
    meaning->addWidget(valueIsAddress_);
    meaning->addWidget(valueIsSize_);
    secondRow->addLayout(meaning);
    secondRow->addStretch(1);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    Tag(ok, Ok);
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    Tag(cancel, Cancel);
    auto* help = new QPushButton(QStringLiteral("Help"), this);
    Tag(help, Help);
    connect(ok, &QPushButton::clicked, this, &OBasicAddressDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &OBasicAddressDlg::reject);
    connect(help, &QPushButton::clicked, this, [this] { ShowHelpTopic(helpContext_); });

    groups_ = new QVBoxLayout;
    groups_->addWidget(firstGroup_);
    groups_->addWidget(secondGroup_);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addWidget(help);
    buttons->addStretch(1);
    auto* top = new QHBoxLayout(this);
    top->addLayout(groups_, 1);
    top->addLayout(buttons);
}

void OBasicAddressDlg::SetupWindow()
{
    AddressInput initial = InitialAddressInput(request_);
    firstEdit_->setText(Text(initial.first));
    secondEdit_->setText(Text(initial.second));
    firstHex_->setChecked(true);
    secondHex_->setChecked(true);
    valueIsAddress_->setChecked(true);

    if (OffersDeviceSizes(request_) && request_.lastShown)
        AddDeviceSizeBox(this, groups_, {firstEdit_, firstHex_, secondEdit_, secondHex_, valueIsAddress_});

    setWindowTitle(Text(request_.title));
    firstGroup_->setTitle(Text(request_.startLabel));
    secondGroup_->setTitle(Text(request_.lastLabel));

    // The window's full size, measured with every control in place.
    QSize full = sizeHint();
    // A long caption (File New's request) should stay readable in the title
    // bar rather than be cut short by a narrow dialog.
    // Title bars commonly use a bold face and keep room for their buttons.
    QFont captionFont = font();
    captionFont.setBold(true);
    int captionWidth = QFontMetrics(captionFont).horizontalAdvance(windowTitle()) + 160;
    full.setWidth(std::max(full.width(), captionWidth));

    if (!request_.startShown) {
        for (QWidget* w : {static_cast<QWidget*>(firstDec_), static_cast<QWidget*>(firstHex_),
                           static_cast<QWidget*>(firstGroup_), static_cast<QWidget*>(firstFrame_),
                           static_cast<QWidget*>(firstEdit_)})
            w->hide();
    }
    if (!request_.lastShown) {
        for (QWidget* w : {static_cast<QWidget*>(secondDec_), static_cast<QWidget*>(secondHex_),
                           static_cast<QWidget*>(secondGroup_), static_cast<QWidget*>(secondEdit_),
                           static_cast<QWidget*>(secondFrame_),
                           static_cast<QWidget*>(valueIsAddress_),
                           static_cast<QWidget*>(valueIsSize_)})
            w->hide();
        // Without its lower half the dialog keeps its width and loses half its height.
        layout()->activate();
        int height = std::max(full.height() - full.height() / 2, minimumSizeHint().height());
        resize(full.width(), height);
    } else {
        resize(full);
    }

    QLineEdit* focus = request_.startShown ? firstEdit_ : secondEdit_;
    focus->setFocus();
    focus->selectAll();
}

AddressInput OBasicAddressDlg::EnteredInput() const
{
    AddressInput input;
    input.first = firstEdit_->text().toStdString();
    input.firstHex = firstHex_->isChecked();
    input.second = secondEdit_->text().toStdString();
    input.secondHex = secondHex_->isChecked();
    input.valueIsSize = valueIsSize_->isChecked();
    return input;
}

AddressCheck OBasicAddressDlg::Check(const AddressInput& input) const
{
    return CheckAddressInput(request_, input);
}

void OBasicAddressDlg::Store(const AddressCheck& check)
{
    StoreAddressCheck(request_, check);
}

QLineEdit* OBasicAddressDlg::FieldEdit(AddressField field) const
{
    switch (field) {
    case AddressField::First:
        return firstEdit_;
    case AddressField::Second:
        return secondEdit_;
    default:
        return nullptr;
    }
}

void OBasicAddressDlg::accept()
{
    AddressCheck check = Check(EnteredInput());
    if (!check.accepted) {
        ShowInputMessage(this, Text(check.text), Text(check.caption));
        if (QLineEdit* edit = FieldEdit(check.field); edit && edit->isVisible()) {
            edit->setFocus();
            edit->selectAll();
        }
        return;
    }
    Store(check);
    QDialog::accept();
}

void OBasicAddressDlg::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier) {
        QWidget* focus = focusWidget();
        QVariant id = focus ? focus->property("helpId") : QVariant();
        ShowHelpTopic(id.isValid() ? id.toInt() : helpContext_);
        return;
    }
    QDialog::keyPressEvent(event);
}
