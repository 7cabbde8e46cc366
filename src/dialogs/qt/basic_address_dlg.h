#pragma once
// The address dialog: asks for a start address and a last address or size,
// as described by an address request. On OK the entered values are checked
// (see address_check.h); a refusal shows its message and keeps the dialog
// open with the user's text, acceptance stores the values into the request.
// exec() returns 1 for OK; after Cancel the request is untouched.
//
// Every control carries its id as object name ("101", "103", ...) and its
// help context as the "helpId" property; F1 opens the focused control's
// context, the Help button the dialog's own.

#include "dialogs/address_check.h"
#include "document/address_request.h"

#include <QDialog>

class QBoxLayout;
class QGroupBox;
class QHBoxLayout;
class QFrame;
class QLineEdit;
class QPushButton;
class QRadioButton;

class OBasicAddressDlg : public QDialog {
    Q_OBJECT
public:
    OBasicAddressDlg(QWidget* owner, AddressRequest& request);

    void accept() override;

protected:
    // For derived dialogs: builds the controls but leaves the set-up to the
    // derived constructor, which adds its own controls first and then calls
    // SetupWindow().
    OBasicAddressDlg(QWidget* owner, AddressRequest& request, int helpContext);

    // Fills the controls from the request, hides what the request hides and
    // sizes the window.
    void SetupWindow();

    // The layout that holds the group boxes, for derived dialogs' groups.
    QBoxLayout* GroupsLayout() const { return groups_; }

    virtual AddressInput EnteredInput() const;
    virtual AddressCheck Check(const AddressInput& input) const;
    virtual void Store(const AddressCheck& check);
    virtual QLineEdit* FieldEdit(AddressField field) const;

    void keyPressEvent(QKeyEvent* event) override;

    // Names a control after its id and gives it its help context.
    static void Tag(QWidget* widget, int id, int helpContext = 0);

private:
    struct ValueIds {
        int group, edit, frame, dec, hex;
    };
    void BuildControls();
    // Builds one value's group box: its edit and a frame with DEC and HEX.
    QHBoxLayout* BuildValueGroup(const QString& label, const ValueIds& ids, int helpContext,
                                 QGroupBox*& group, QLineEdit*& edit, QFrame*& frame,
                                 QRadioButton*& dec, QRadioButton*& hex);

    AddressRequest& request_;
    int helpContext_;
    QBoxLayout* groups_ = nullptr;
    QGroupBox* firstGroup_ = nullptr;
    QFrame* firstFrame_ = nullptr;
    QLineEdit* firstEdit_ = nullptr;
    QRadioButton* firstDec_ = nullptr;
    QRadioButton* firstHex_ = nullptr;
    QGroupBox* secondGroup_ = nullptr;
    QFrame* secondFrame_ = nullptr;
    QLineEdit* secondEdit_ = nullptr;
    QRadioButton* secondDec_ = nullptr;
    QRadioButton* secondHex_ = nullptr;
    QRadioButton* valueIsAddress_ = nullptr;
    QRadioButton* valueIsSize_ = nullptr;
};
