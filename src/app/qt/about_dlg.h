#pragma once
// The About box (dialog 22000): the program's name and the copyright text of
// its version table.

#include <QDialog>

class QLabel;
struct VersionResource;

class TTovikAboutDlg : public QDialog {
    Q_OBJECT
public:
    // `module` is the version table to show; the program's own by default.
    explicit TTovikAboutDlg(QWidget* parent, const VersionResource* module = nullptr);

    QLabel* VersionLine() const { return version; }
    QLabel* Copyright() const { return copyright; }
    QLabel* SpecialBuild() const { return special; }

private:
    QLabel* version;
    QLabel* copyright;
    QLabel* special;
};
