#include "dialogs/qt/device_size_box.h"

#include "dialogs/device_sizes.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

void AddDeviceSizeBox(QWidget* dialog, QBoxLayout* layout, const DeviceSizeFields& fields)
{
    auto* box = new QComboBox(dialog);
    box->setObjectName(QString::number(DeviceSizeBox));
    box->setProperty("helpId", DeviceSizeHelp);
    box->addItem(QStringLiteral("(any size)"));
    for (const DeviceSize& device : DeviceSizes())
        box->addItem(QString::fromLatin1(device.name), QVariant::fromValue<qlonglong>(device.size));
    auto* label = new QLabel(QStringLiteral("De&vice:"), dialog);
    label->setBuddy(box);
    auto* row = new QHBoxLayout;
    row->addWidget(label);
    row->addWidget(box);
    row->addStretch(1);
    layout->addLayout(row);
    // The device and the range agree whichever was edited last: a chosen
    // device keeps its size when the start moves, and a last address or a
    // size typed by hand shows the device it fits (or none).
    const auto fillLast = [box, fields] {
        const QVariant size = box->currentData();
        if (!size.isValid())
            return;
        const std::string last = DeviceLastText(fields.first->text().toStdString(), fields.firstHex->isChecked(),
                                                size.toLongLong(), fields.secondHex->isChecked());
        if (last.empty())
            return;
        fields.valueIsAddress->setChecked(true);
        fields.second->setText(QString::fromStdString(last));
    };
    const auto showDevice = [box, fields] {
        const int device =
            DeviceForRange(fields.first->text().toStdString(), fields.firstHex->isChecked(),
                           fields.second->text().toStdString(), fields.secondHex->isChecked(),
                           fields.valueIsAddress->isChecked());
        box->setCurrentIndex(device + 1);
    };
    QObject::connect(box, &QComboBox::activated, dialog, fillLast);
    QObject::connect(fields.first, &QLineEdit::textEdited, dialog, fillLast);
    QObject::connect(fields.second, &QLineEdit::textEdited, dialog, showDevice);
    showDevice();
}
