#pragma once
// The Find dialog (302, "Find text"): modeless, over the find request its
// owner keeps. "&Find next" stores the controls into the request and tells
// the owner, staying open; Cancel, Escape or the close button tell the owner
// that the dialog is closing. Both notices are queued, so the owner acts on
// them after the dialog's own handler has returned.
//
// Every control carries its id as object name and its help context as the
// "helpId" property; F1 opens the focused control's context, the Help button
// the dialog's own.

#include "document/find_request.h"

#include <QDialog>

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace FindDialogIds {

inline constexpr int Dialog = 302;
inline constexpr int FindNext = 1;
inline constexpr int Cancel = 2;
inline constexpr int Help = 9;
inline constexpr int DirectionGroup = 101;
inline constexpr int Up = 102;
inline constexpr int Down = 103;
inline constexpr int TextGroup = 104;
inline constexpr int Text = 105;
inline constexpr int Ascii = 106;
inline constexpr int Hex = 107;
inline constexpr int WholeWords = 108;
inline constexpr int MatchCase = 109;

inline constexpr int TextHelp = 1008;
inline constexpr int UpHelp = 1009;
inline constexpr int DownHelp = 1010;
inline constexpr int WholeWordsHelp = 1011;
inline constexpr int MatchCaseHelp = 1012;
inline constexpr int AsciiHelp = 1013;
inline constexpr int HexHelp = 1014;
inline constexpr int DialogHelp = 2013;

} // namespace FindDialogIds

class OFindDialog : public QDialog {
    Q_OBJECT
public:
    OFindDialog(QWidget* owner, FindRequest& request);

    // Greys the controls while the owner serves a request. The window itself
    // stays enabled, so that a message box shown meanwhile over it can be
    // answered.
    void SetServing(bool serving);

    void reject() override;

signals:
    // "&Find next" was pressed; the request holds the controls' settings.
    void findNext();
    // The dialog is closing (Cancel, Escape or the close button).
    void closing();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void BuildControls();
    void TransferToControls();
    void TransferToRequest();
    void UpdateModeRule();

    FindRequest& request_;
    QWidget* body_ = nullptr;
    QLineEdit* text_ = nullptr;
    QRadioButton* up_ = nullptr;
    QRadioButton* down_ = nullptr;
    QCheckBox* wholeWords_ = nullptr;
    QCheckBox* matchCase_ = nullptr;
    QRadioButton* ascii_ = nullptr;
    QRadioButton* hex_ = nullptr;
    QPushButton* findNext_ = nullptr;
};
