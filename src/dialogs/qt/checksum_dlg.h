#pragma once
// Buffer › Checksum: an algorithm from the catalogue or a CRC of six
// parameters, a range (the selection, the whole window or two addresses),
// the result in hex and decimal as the fields change, a copy of it to the
// clipboard, and where to write it. OK keeps the fields in the settings
// file; the caller writes the result.

#include "dialogs/checksum_form.h"

#include <QDialog>

class OBufferDocument;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

class OChecksumDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kDialogId = 410;
    // Help topics: the dialog, then its controls.
    static constexpr int kHelpDialog = 3100;
    static constexpr int kHelpAlgorithm = 3101;
    static constexpr int kHelpCustom = 3102;
    static constexpr int kHelpRange = 3103;
    static constexpr int kHelpResult = 3104;
    static constexpr int kHelpWrite = 3105;
    static constexpr const char* kCaption = "Checksum";

    // The selection is selStart..selEnd, none when selStart > selEnd.
    OChecksumDlg(QWidget* owner, OBufferDocument& document, Address selStart, Address selEnd,
                 ChecksumForm& form);

    // What OK accepted: the resolved plan.
    const ChecksumPlan& Plan() const { return plan_; }
    // The result OK accepted, to be written without calculating it again.
    uint32_t Value() const { return value_; }
    // The result shown, or the problem in its place.
    QString ResultText() const;
    QString NoticeText() const;

    void accept() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Fill();
    void Collect();
    // Reads the fields, recomputes and shows the result; false on a problem.
    bool Refresh();
    void CopyResult();

    OBufferDocument& document_;
    Address selStart_;
    Address selEnd_;
    ChecksumForm& form_;
    ChecksumPlan plan_;
    uint32_t value_ = 0;
    bool valid_ = false;

    QComboBox* algorithm_;
    QGroupBox* custom_;
    QComboBox* width_;
    QLineEdit* poly_;
    QLineEdit* init_;
    QLineEdit* xorout_;
    QCheckBox* refin_;
    QCheckBox* refout_;
    QRadioButton* selection_;
    QRadioButton* window_;
    QRadioButton* addresses_;
    QLineEdit* first_;
    QLineEdit* last_;
    QLabel* result_;
    QLabel* extent_;
    QLabel* notice_;
    QPushButton* copy_;
    QCheckBox* write_;
    QLineEdit* writeAt_;
    QComboBox* order_;
};
