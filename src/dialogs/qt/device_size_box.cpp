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
    QObject::connect(box, &QComboBox::activated, dialog, [box, fields](int index) {
        const QVariant size = box->itemData(index);
        if (!size.isValid())
            return;
        const std::string last = DeviceLastText(fields.first->text().toStdString(), fields.firstHex->isChecked(),
                                                size.toLongLong(), fields.secondHex->isChecked());
        if (last.empty())
            return;
        fields.valueIsAddress->setChecked(true);
        fields.second->setText(QString::fromStdString(last));
    });
}
