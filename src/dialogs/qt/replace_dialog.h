#pragma once
// The Replace dialog: modeless, over the find request its owner keeps and
// the replacement text. Its buttons store the controls into both and tell
// the owner (queued notices, as the Find dialog sends them); Close or Escape
// just hides it.

#include "document/find_request.h"

#include <QDialog>

#include <string>

class QCheckBox;
class QLineEdit;
class QRadioButton;

class OReplaceDialog : public QDialog {
    Q_OBJECT
public:
    // Help topic of the dialog (the Replace command's id).
    static constexpr int kHelpId = 24352;

    OReplaceDialog(QWidget* owner, FindRequest& request, std::string& replacement);

signals:
    void findNext();
    void replace();
    void replaceAll();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void TransferToRequest();

    FindRequest& request_;
    std::string& replacement_;
    QLineEdit* text_ = nullptr;
    QLineEdit* with_ = nullptr;
    QCheckBox* wholeWords_ = nullptr;
    QCheckBox* matchCase_ = nullptr;
    QRadioButton* ascii_ = nullptr;
    QRadioButton* hex_ = nullptr;
};
