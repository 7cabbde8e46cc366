#pragma once
// The device-size drop-down of the address dialog: choosing a chip fills in
// the last address of a range that starts at the typed start address.

class QBoxLayout;
class QLineEdit;
class QRadioButton;
class QWidget;

struct DeviceSizeFields {
    QLineEdit* first;
    QRadioButton* firstHex;
    QLineEdit* second;
    QRadioButton* secondHex;
    QRadioButton* valueIsAddress;
};

// Adds the labelled drop-down as a row of `layout`, working on `fields`.
void AddDeviceSizeBox(QWidget* dialog, QBoxLayout* layout, const DeviceSizeFields& fields);
