#include "dialogs/qt/find_dialog.h"

#include "dialogs/qt/dialog_services.h"
#include "settings/ansi_chars.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QValidator>
#include <QVBoxLayout>

using namespace FindDialogIds;

namespace {

// The buffer holds bytes of the Western Windows page, so the search text
// takes only characters that page has: anything else could never be found.
class AnsiValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override
    {
        for (const QChar c : input)
            if (c.isSurrogate() || UnicodeToAnsi(c.unicode()) < 0)
                return Invalid;
        return Acceptable;
    }
};

std::string ToAnsi(const QString& text)
{
    std::string bytes;
    for (const QChar c : text) {
        const int32_t byte = UnicodeToAnsi(c.unicode());
        if (byte >= 0)
            bytes += char(byte);
    }
    return bytes;
}

void Tag(QWidget* widget, int id, int helpContext = 0)
{
    widget->setObjectName(QString::number(id));
    if (helpContext != 0)
        widget->setProperty("helpId", helpContext);
}

} // namespace

OFindDialog::OFindDialog(QWidget* owner, FindRequest& request) : QDialog(owner), request_(request)
{
    setObjectName(QString::number(Dialog));
    setWindowTitle(QStringLiteral("Find text"));
    setModal(false);
    BuildControls();
    TransferToControls();
    resize(sizeHint());
}

void OFindDialog::BuildControls()
{
    body_ = new QWidget(this);

    auto* textGroup = new QGroupBox(QStringLiteral("&Find"), body_);
    Tag(textGroup, TextGroup, TextHelp);
    text_ = new QLineEdit(textGroup);
    Tag(text_, Text, TextHelp);
    text_->setMaxLength(FindRequest::TextLimit);
    text_->setValidator(new AnsiValidator(text_));
    text_->setMinimumWidth(text_->fontMetrics().horizontalAdvance(QLatin1Char('x')) * 36);
    // The group's mnemonic reaches the edit inside it.
    auto* textRow = new QVBoxLayout(textGroup);
    textRow->addWidget(text_);

    auto* direction = new QGroupBox(QStringLiteral("D&irection"), body_);
    Tag(direction, DirectionGroup);
    up_ = new QRadioButton(QStringLiteral("&Up"), direction);
    Tag(up_, Up, UpHelp);
    down_ = new QRadioButton(QStringLiteral("&Down"), direction);
    Tag(down_, Down, DownHelp);
    auto* directionRow = new QHBoxLayout(direction);
    directionRow->addWidget(up_);
    directionRow->addWidget(down_);

    wholeWords_ = new QCheckBox(QStringLiteral("find &Whole words only"), body_);
    Tag(wholeWords_, WholeWords, WholeWordsHelp);
    matchCase_ = new QCheckBox(QStringLiteral("&Match case"), body_);
    Tag(matchCase_, MatchCase, MatchCaseHelp);
    auto* optionColumn = new QVBoxLayout;
    optionColumn->addWidget(wholeWords_);
    optionColumn->addWidget(matchCase_);

    ascii_ = new QRadioButton(QStringLiteral("&ASCII"), body_);
    Tag(ascii_, Ascii, AsciiHelp);
    hex_ = new QRadioButton(QStringLiteral("&Hex"), body_);
    Tag(hex_, Hex, HexHelp);
    // Kept apart from the direction radios, which have their own group box.
    auto* modes = new QButtonGroup(this);
    modes->addButton(ascii_);
    modes->addButton(hex_);
    auto* modeColumn = new QVBoxLayout;
    modeColumn->addWidget(ascii_);
    modeColumn->addWidget(hex_);

    findNext_ = new QPushButton(QStringLiteral("&Find next"), body_);
    Tag(findNext_, FindNext);
    findNext_->setDefault(true);
    findNext_->setAutoDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), body_);
    Tag(cancel, Cancel);
    cancel->setAutoDefault(false);
    auto* help = new QPushButton(QStringLiteral("Help"), body_);
    Tag(help, Help);
    help->setAutoDefault(false);

    connect(ascii_, &QRadioButton::toggled, this, [this] { UpdateModeRule(); });
    connect(findNext_, &QPushButton::clicked, this, [this] {
        TransferToRequest();
        emit findNext();
    });
    connect(cancel, &QPushButton::clicked, this, &OFindDialog::reject);
    connect(help, &QPushButton::clicked, this, [] { ShowHelpTopic(DialogHelp); });

    auto* options = new QHBoxLayout;
    options->addWidget(direction);
    options->addSpacing(8);
    options->addLayout(optionColumn);
    options->addSpacing(8);
    options->addLayout(modeColumn);
    options->addStretch(1);
    auto* left = new QVBoxLayout;
    left->addWidget(textGroup);
    left->addLayout(options);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(findNext_);
    buttons->addWidget(cancel);
    buttons->addWidget(help);
    buttons->addStretch(1);
    auto* columns = new QHBoxLayout(body_);
    columns->setContentsMargins(0, 0, 0, 0);
    columns->addLayout(left, 1);
    columns->addLayout(buttons);
    auto* top = new QVBoxLayout(this);
    top->addWidget(body_);

}

void OFindDialog::TransferToControls()
{
    text_->setText(QString::fromStdString(AnsiToUtf8(request_.text)));
    text_->selectAll();
    up_->setChecked(request_.up);
    down_->setChecked(request_.down);
    wholeWords_->setChecked(request_.wholeWords);
    matchCase_->setChecked(request_.matchCase);
    ascii_->setChecked(request_.ascii);
    hex_->setChecked(request_.hex);
    // The mode rule applies from the first change of mode on.
    wholeWords_->setEnabled(true);
    matchCase_->setEnabled(true);
    text_->setFocus();
}

void OFindDialog::TransferToRequest()
{
    request_.text = ToAnsi(text_->text());
    request_.up = up_->isChecked();
    request_.down = down_->isChecked();
    request_.wholeWords = wholeWords_->isChecked();
    request_.matchCase = matchCase_->isChecked();
    request_.ascii = ascii_->isChecked();
    request_.hex = hex_->isChecked();
}

void OFindDialog::UpdateModeRule()
{
    // Words and case mean nothing to bytes given in hex.
    const bool ascii = ascii_->isChecked();
    wholeWords_->setEnabled(ascii);
    matchCase_->setEnabled(ascii);
}

void OFindDialog::SetServing(bool serving)
{
    body_->setEnabled(!serving);
}

void OFindDialog::reject()
{
    emit closing();
    QDialog::reject();
}

void OFindDialog::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier) {
        QWidget* focus = focusWidget();
        const QVariant id = focus ? focus->property("helpId") : QVariant();
        ShowHelpTopic(id.isValid() ? id.toInt() : DialogHelp);
        return;
    }
    QDialog::keyPressEvent(event);
}
