#include "dialogs/qt/replace_dialog.h"

#include "dialogs/qt/dialog_services.h"
#include "settings/ansi_chars.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

std::string ToAnsi(const QString& text)
{
    std::string bytes;
    for (const QChar c : text)
        if (const int32_t byte = UnicodeToAnsi(c.unicode()); byte >= 0)
            bytes += char(byte);
    return bytes;
}

QLineEdit* TextEdit(QWidget* parent, const char* name, const std::string& text)
{
    auto* edit = new QLineEdit(QString::fromStdString(AnsiToUtf8(text)), parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setMaxLength(FindRequest::TextLimit);
    edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(QLatin1Char('x')) * 36);
    return edit;
}

} // namespace

OReplaceDialog::OReplaceDialog(QWidget* owner, FindRequest& request, std::string& replacement)
    : QDialog(owner), request_(request), replacement_(replacement)
{
    setObjectName(QStringLiteral("Replace"));
    setWindowTitle(QStringLiteral("Replace"));
    setModal(false);

    text_ = TextEdit(this, "findText", request.text);
    with_ = TextEdit(this, "replaceText", replacement);
    auto* fields = new QFormLayout;
    fields->addRow(QStringLiteral("Fi&nd what:"), text_);
    fields->addRow(QStringLiteral("Re&place with:"), with_);

    wholeWords_ = new QCheckBox(QStringLiteral("find &Whole words only"), this);
    wholeWords_->setChecked(request.wholeWords);
    matchCase_ = new QCheckBox(QStringLiteral("&Match case"), this);
    matchCase_->setChecked(request.matchCase);
    ascii_ = new QRadioButton(QStringLiteral("&ASCII"), this);
    ascii_->setObjectName(QStringLiteral("ascii"));
    hex_ = new QRadioButton(QStringLiteral("&Hex"), this);
    hex_->setObjectName(QStringLiteral("hex"));
    auto* modes = new QButtonGroup(this);
    modes->addButton(ascii_);
    modes->addButton(hex_);
    (request.hex ? hex_ : ascii_)->setChecked(true);
    const auto modeRule = [this] {
        // Words and case mean nothing to bytes given in hex.
        wholeWords_->setEnabled(ascii_->isChecked());
        matchCase_->setEnabled(ascii_->isChecked());
    };
    modeRule();
    connect(ascii_, &QRadioButton::toggled, this, modeRule);
    auto* options = new QHBoxLayout;
    auto* checks = new QVBoxLayout;
    checks->addWidget(wholeWords_);
    checks->addWidget(matchCase_);
    auto* radios = new QVBoxLayout;
    radios->addWidget(ascii_);
    radios->addWidget(hex_);
    options->addLayout(checks);
    options->addSpacing(8);
    options->addLayout(radios);
    options->addStretch(1);

    auto* buttons = new QVBoxLayout;
    const auto button = [this, buttons](const char* text, const char* name, void (OReplaceDialog::*notice)()) {
        auto* push = new QPushButton(QString::fromLatin1(text), this);
        push->setObjectName(QString::fromLatin1(name));
        push->setAutoDefault(false);
        buttons->addWidget(push);
        connect(push, &QPushButton::clicked, this, [this, notice] {
            TransferToRequest();
            emit(this->*notice)();
        });
        return push;
    };
    button("&Find next", "findNext", &OReplaceDialog::findNext)->setDefault(true);
    button("&Replace", "replace", &OReplaceDialog::replace);
    button("Replace &all", "replaceAll", &OReplaceDialog::replaceAll);
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    close->setAutoDefault(false);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    buttons->addWidget(close);
    auto* help = new QPushButton(QStringLiteral("Help"), this);
    help->setAutoDefault(false);
    connect(help, &QPushButton::clicked, this, [] { ShowHelpTopic(kHelpId); });
    buttons->addWidget(help);
    buttons->addStretch(1);

    auto* left = new QVBoxLayout;
    left->addLayout(fields);
    left->addLayout(options);
    auto* columns = new QHBoxLayout(this);
    columns->addLayout(left, 1);
    columns->addLayout(buttons);
    text_->selectAll();
    text_->setFocus();
}

void OReplaceDialog::TransferToRequest()
{
    request_.text = ToAnsi(text_->text());
    replacement_ = ToAnsi(with_->text());
    request_.wholeWords = wholeWords_->isChecked();
    request_.matchCase = matchCase_->isChecked();
    request_.ascii = ascii_->isChecked();
    request_.hex = hex_->isChecked();
}

void OReplaceDialog::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier) {
        ShowHelpTopic(kHelpId);
        return;
    }
    QDialog::keyPressEvent(event);
}
