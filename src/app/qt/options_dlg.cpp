#include "app/qt/options_dlg.h"

#include "app/qt/doc_manager.h"
#include "app/qt/mdi_windows.h"
#include "dialogs/qt/dialog_services.h"
#include "view/qt/view_font.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFontDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>
#include <QWhatsThis>

namespace {

// The local files of a drop, in the order they were dropped.
QStringList DroppedFiles(const QMimeData* data)
{
    QStringList files;
    if (data && data->hasUrls())
        for (const QUrl& url : data->urls())
            if (url.isLocalFile())
                files << url.toLocalFile();
    return files;
}

}  // namespace

template <typename W> W* OOptionsDlg::tag(W* widget, int id, int helpId)
{
    widget->setObjectName(QString::number(id));
    if (helpId != 0) {
        widget->setProperty("helpId", helpId);
        widget->installEventFilter(this);
    }
    return widget;
}

OOptionsDlg::OOptionsDlg(QWidget* parent, SettingsRecord& record, OTovikDocManager* manager)
    : QDialog(parent), record_(record), manager_(manager), font_(record.DisplayFont)
{
    setObjectName(QString::number(ResourceId));
    setWindowTitle(QStringLiteral("Editor settings"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowContextHelpButtonHint);
    setAcceptDrops(true);

    auto* view = tag(new QGroupBox(QStringLiteral("View"), this), IdViewGroup);
    sumCheck_ = tag(new QCheckBox(QStringLiteral("Use &sum check"), view), IdSumCheck, 1000);
    useUndo_ = tag(new QCheckBox(QStringLiteral("Use &undo"), view), IdUseUndo, 1031);
    information_ = tag(new QCheckBox(QStringLiteral("&buffer information"), view), IdInformation, 1007);
    // Kept for the settings file's sake: its value goes back unchanged.
    showWarnings_ = tag(new QCheckBox(QStringLiteral("&Warning messages"), view), IdShowWarnings, 1006);
    showWarnings_->hide();
    // Open and Insert ask for a load offset while this is on.
    askOffset_ = tag(new QCheckBox(QStringLiteral("&Ask for offset"), view), IdAskOffset, 1005);
    auto* viewLayout = new QVBoxLayout(view);
    for (QCheckBox* box : {sumCheck_, useUndo_, information_, askOffset_})
        viewLayout->addWidget(box);

    auto* startup = tag(new QGroupBox(QStringLiteral("&Open this file on startup"), this), IdStartupGroup);
    startupFile_ = tag(new QLineEdit(startup), IdStartupFile, 1001);
    startupFile_->setMaxLength(int(settings::MaxTextLength));
    // A file dropped on the field names the startup file like one dropped on
    // the dialog, rather than pasting its URL as text.
    startupFile_->setAcceptDrops(false);
    startupFile_->setMinimumWidth(startupFile_->fontMetrics().averageCharWidth() * 36);
    auto* search = tag(new QPushButton(QStringLiteral("Searc&h"), startup), IdSearch, 1002);
    search->setAutoDefault(false);
    auto* startupLayout = new QHBoxLayout(startup);
    startupLayout->addWidget(startupFile_, 1);
    startupLayout->addWidget(search);

    auto* fontGroup = tag(new QGroupBox(QStringLiteral("Use this &font"), this), IdFontGroup);
    faceName_ = tag(new QLabel(fontGroup), IdFaceName, 1004);
    auto* change = tag(new QPushButton(QStringLiteral("&Change"), fontGroup), IdChange, 1003);
    change->setAutoDefault(false);
    auto* fontLayout = new QHBoxLayout(fontGroup);
    fontLayout->addWidget(faceName_, 1);
    fontLayout->addWidget(change);

    auto* ok = tag(new QPushButton(QStringLiteral("OK"), this), IdOk);
    ok->setDefault(true);
    auto* cancel = tag(new QPushButton(QStringLiteral("Cancel"), this), IdCancel);
    cancel->setAutoDefault(false);
    auto* help = tag(new QPushButton(QStringLiteral("Help"), this), IdHelp);
    help->setAutoDefault(false);
    connect(ok, &QPushButton::clicked, this, &OOptionsDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &OOptionsDlg::reject);
    connect(help, &QPushButton::clicked, this, [] { ShowHelpTopic(HelpTopic); });
    connect(search, &QPushButton::clicked, this, &OOptionsDlg::search);
    connect(change, &QPushButton::clicked, this, &OOptionsDlg::changeFont);

    auto* groups = new QVBoxLayout;
    groups->addWidget(view);
    groups->addWidget(startup);
    groups->addWidget(fontGroup);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addWidget(help);
    buttons->addStretch(1);
    auto* top = new QHBoxLayout(this);
    top->addLayout(groups, 1);
    top->addLayout(buttons);
    top->setSizeConstraint(QLayout::SetFixedSize);

    startupFile_->setText(QString::fromStdString(record_.StartupFile));
    showFontName();
    sumCheck_->setChecked(record_.SumCheck);
    useUndo_->setChecked(record_.UseUndo);
    information_->setChecked(record_.ShowInformation);
    showWarnings_->setChecked(record_.ShowWarnings);
    askOffset_->setChecked(record_.AskOffset);
}

void OOptionsDlg::accept()
{
    record_.SumCheck = sumCheck_->isChecked();
    record_.UseUndo = useUndo_->isChecked();
    record_.AskOffset = askOffset_->isChecked();
    record_.ShowWarnings = showWarnings_->isChecked();
    record_.ShowInformation = information_->isChecked();
    record_.StartupFile = startupFile_->text().left(int(settings::MaxTextLength)).toStdString();
    record_.DisplayFont = font_;
    QDialog::accept();
}

void OOptionsDlg::search()
{
    std::string name;
    if (ChooseFileToOpen(manager_, name))
        startupFile_->setText(QString::fromStdString(name));
}

void OOptionsDlg::showFontName()
{
    faceName_->setText(FontDisplayName(font_));
}

void OOptionsDlg::changeFont()
{
    bool chosen = false;
    // The chooser starts on the record's own style: left to itself it may
    // pick the family's first style, an oblique one.
    const QFont font = QFontDialog::getFont(&chosen, WithRecordStyle(MakeViewFont(font_)), this, QString(),
                                            QFontDialog::MonospacedFonts | QFontDialog::DontUseNativeDialog);
    if (!chosen)
        return;
    font_ = RecordFromFont(font);
    showFontName();
}

void OOptionsDlg::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier) {
        // Help for the control with the focus; the others have none.
        const QVariant id = focusWidget() ? focusWidget()->property("helpId") : QVariant();
        if (id.isValid())
            ShowHelpTopic(id.toInt());
        return;
    }
    // X11 window managers draw no context-help button in the title bar, so
    // the pointer that asks a control for its help starts from the keyboard.
    if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::ShiftModifier) {
        QWhatsThis::enterWhatsThisMode();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool OOptionsDlg::eventFilter(QObject* watched, QEvent* event)
{
    // The title bar's context-help button: a click on a control with a help
    // id opens that id's topic.
    if (event->type() == QEvent::QueryWhatsThis || event->type() == QEvent::WhatsThis) {
        const QVariant id = watched->property("helpId");
        if (!id.isValid())
            return false;
        if (event->type() == QEvent::WhatsThis) {
            QWhatsThis::leaveWhatsThisMode();
            ShowHelpTopic(id.toInt());
        }
        event->accept();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void OOptionsDlg::dragEnterEvent(QDragEnterEvent* event)
{
    if (!DroppedFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void OOptionsDlg::dropEvent(QDropEvent* event)
{
    const QStringList files = DroppedFiles(event->mimeData());
    if (files.isEmpty())
        return;
    startupFile_->setText(QFileInfo(files.first()).absoluteFilePath());
    event->acceptProposedAction();
}

void EditSettings(QWidget* owner, OTovikDocManager* manager, QObject* eventTarget, const std::string& iniPath,
                  const std::string& fontPath)
{
    SettingsRecord record = SettingsRecord::Read(iniPath, fontPath);
    OOptionsDlg dialog(owner, record, manager);
    if (dialog.exec() != QDialog::Accepted)
        return;
    record.Write(iniPath, fontPath);
    if (eventTarget)
        QCoreApplication::postEvent(eventTarget, new QEvent(SettingsChangedEvent));
}
