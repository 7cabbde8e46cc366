#pragma once
// The Settings command and its dialog "Editor settings" (dialog 303): sum
// check, undo, the information panel, the file to open on startup and the
// display font. Accepted settings are written to the settings files and
// announced by a queued event, so the documents re-read them only after the
// dialog is gone.

#include "settings/settings_record.h"

#include <QDialog>

class OTovikDocManager;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

class OOptionsDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int ResourceId = 303;
    static constexpr int HelpTopic = 2014;

    // Control ids, the names of the controls.
    enum : int {
        IdViewGroup = 108,
        IdSumCheck = 109,
        IdUseUndo = 119,
        IdInformation = 112,
        IdShowWarnings = 111,
        IdAskOffset = 110,
        IdStartupGroup = 103,
        IdStartupFile = 101,
        IdSearch = 102,
        IdFontGroup = 104,
        IdFaceName = 106,
        IdChange = 107,
        IdOk = 1,
        IdCancel = 2,
        IdHelp = 9,
    };

    // Fills the controls from `record`; OK writes them back into it. The
    // manager is handed to the file chooser of Search.
    OOptionsDlg(QWidget* parent, SettingsRecord& record, OTovikDocManager* manager = nullptr);

    // The font Change chose last, or the record's when it was not used.
    const OFontRecord& DialogFont() const { return font_; }

    void accept() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void search();
    void changeFont();
    void showFontName();
    // Gives the control its id and help id; help id 0 means none.
    template <typename W> W* tag(W* widget, int id, int helpId = 0);

    SettingsRecord& record_;
    OTovikDocManager* manager_;
    OFontRecord font_;
    QCheckBox* sumCheck_;
    QCheckBox* useUndo_;
    QCheckBox* information_;
    QCheckBox* showWarnings_;
    QCheckBox* askOffset_;
    QLineEdit* startupFile_;
    QLabel* faceName_;
};

// The Settings command: reads the record from `iniPath` and `fontPath`, runs
// the dialog, and on OK writes the font file and the keys, then posts the
// settings-changed event to `eventTarget`. Cancel writes and posts nothing.
void EditSettings(QWidget* owner, OTovikDocManager* manager, QObject* eventTarget, const std::string& iniPath,
                  const std::string& fontPath);
