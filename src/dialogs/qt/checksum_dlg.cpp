#include "dialogs/qt/checksum_dlg.h"

#include "dialogs/qt/dialog_services.h"
#include "document/buffer_document.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <cstdio>

namespace {
QString Text(const std::string& text) { return QString::fromStdString(text); }

std::string Hex(Address value)
{
    char text[24];
    std::snprintf(text, sizeof text, "%llx", static_cast<unsigned long long>(value));
    return text;
}

template <class W> W* Named(W* widget, const char* name, int helpId)
{
    widget->setObjectName(QString::fromLatin1(name));
    widget->setProperty("helpId", helpId);
    return widget;
}

QLineEdit* HexEdit(QWidget* parent, const char* name, int helpId)
{
    auto* edit = Named(new QLineEdit(parent), name, helpId);
    edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 12);
    return edit;
}
} // namespace

OChecksumDlg::OChecksumDlg(QWidget* owner, OBufferDocument& document, Address selStart, Address selEnd,
                           ChecksumForm& form)
    : QDialog(owner), document_(document), selStart_(selStart), selEnd_(selEnd), form_(form)
{
    setWindowTitle(QString::fromLatin1(kCaption));
    setObjectName(QString::number(kDialogId));

    algorithm_ = Named(new QComboBox(this), "algorithm", kHelpAlgorithm);
    for (const ChecksumAlgorithm& a : ChecksumCatalogue())
        algorithm_->addItem(Text(a.name));
    algorithm_->addItem(QString::fromUtf8(kCustomChecksumText));
    auto* algorithmLabel = new QLabel(QStringLiteral("&Algorithm:"), this);
    algorithmLabel->setBuddy(algorithm_);

    custom_ = Named(new QGroupBox(QStringLiteral("CRC parameters"), this), "custom", kHelpCustom);
    width_ = Named(new QComboBox(custom_), "width", kHelpCustom);
    for (const char* w : {"8", "16", "32"})
        width_->addItem(QString::fromLatin1(w));
    poly_ = HexEdit(custom_, "poly", kHelpCustom);
    init_ = HexEdit(custom_, "init", kHelpCustom);
    xorout_ = HexEdit(custom_, "xorout", kHelpCustom);
    refin_ = Named(new QCheckBox(QStringLiteral("Ref&In"), custom_), "refin", kHelpCustom);
    refout_ = Named(new QCheckBox(QStringLiteral("Ref&Out"), custom_), "refout", kHelpCustom);
    auto* params = new QFormLayout(custom_);
    params->addRow(QStringLiteral("&Width:"), width_);
    params->addRow(QStringLiteral("&Poly:"), poly_);
    params->addRow(QStringLiteral("&Init:"), init_);
    params->addRow(QStringLiteral("&XorOut:"), xorout_);
    auto* reflect = new QHBoxLayout;
    reflect->addWidget(refin_);
    reflect->addWidget(refout_);
    params->addRow(reflect);

    auto* range = Named(new QGroupBox(QStringLiteral("Range"), this), "range", kHelpRange);
    selection_ = Named(new QRadioButton(QStringLiteral("&Selection"), range), "selection", kHelpRange);
    window_ = Named(new QRadioButton(QStringLiteral("Whole &window"), range), "window", kHelpRange);
    addresses_ = Named(new QRadioButton(QStringLiteral("&From"), range), "addresses", kHelpRange);
    first_ = HexEdit(range, "first", kHelpRange);
    last_ = HexEdit(range, "last", kHelpRange);
    auto* between = new QHBoxLayout;
    between->addWidget(addresses_);
    between->addWidget(first_);
    between->addWidget(new QLabel(QStringLiteral("to"), range));
    between->addWidget(last_);
    between->addStretch(1);
    auto* ranges = new QVBoxLayout(range);
    ranges->addWidget(selection_);
    ranges->addWidget(window_);
    ranges->addLayout(between);

    auto* resultBox = new QGroupBox(QStringLiteral("Result"), this);
    result_ = Named(new QLabel(resultBox), "result", kHelpResult);
    result_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    result_->setMinimumWidth(result_->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 36);
    copy_ = Named(new QPushButton(QStringLiteral("&Copy"), resultBox), "copy", kHelpResult);
    write_ = Named(new QCheckBox(QStringLiteral("W&rite result at"), resultBox), "write", kHelpWrite);
    writeAt_ = HexEdit(resultBox, "writeAt", kHelpWrite);
    order_ = Named(new QComboBox(resultBox), "byteOrder", kHelpWrite);
    order_->addItem(QStringLiteral("low byte first"));
    order_->addItem(QStringLiteral("high byte first"));
    extent_ = Named(new QLabel(resultBox), "extent", kHelpResult);
    notice_ = Named(new QLabel(resultBox), "notice", kHelpResult);
    notice_->setWordWrap(true);
    auto* resultRow = new QHBoxLayout;
    resultRow->addWidget(result_, 1);
    resultRow->addWidget(copy_);
    auto* writeRow = new QHBoxLayout;
    writeRow->addWidget(write_);
    writeRow->addWidget(writeAt_);
    writeRow->addWidget(order_);
    writeRow->addStretch(1);
    auto* results = new QVBoxLayout(resultBox);
    results->addLayout(resultRow);
    results->addWidget(extent_);
    results->addLayout(writeRow);
    results->addWidget(notice_);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    auto* help = new QPushButton(QStringLiteral("Help"), this);
    connect(ok, &QPushButton::clicked, this, &OChecksumDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &OChecksumDlg::reject);
    connect(help, &QPushButton::clicked, this, [] { ShowHelpTopic(kHelpDialog); });
    connect(copy_, &QPushButton::clicked, this, &OChecksumDlg::CopyResult);

    auto* top = new QHBoxLayout;
    top->addWidget(algorithmLabel);
    top->addWidget(algorithm_, 1);
    auto* fields = new QVBoxLayout;
    fields->addLayout(top);
    fields->addWidget(custom_);
    fields->addWidget(range);
    fields->addWidget(resultBox);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addWidget(help);
    buttons->addStretch(1);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(fields, 1);
    layout->addLayout(buttons);

    Fill();
    const auto changed = [this] { Refresh(); };
    connect(algorithm_, &QComboBox::currentIndexChanged, this, changed);
    connect(width_, &QComboBox::currentIndexChanged, this, changed);
    connect(order_, &QComboBox::currentIndexChanged, this, changed);
    for (QLineEdit* edit : {poly_, init_, xorout_, first_, last_, writeAt_})
        connect(edit, &QLineEdit::textChanged, this, changed);
    for (QAbstractButton* button :
         std::initializer_list<QAbstractButton*>{refin_, refout_, selection_, window_, addresses_, write_})
        connect(button, &QAbstractButton::toggled, this, changed);
    Refresh();
}

void OChecksumDlg::Fill()
{
    int index = algorithm_->findText(Text(form_.algorithm), Qt::MatchFixedString);
    algorithm_->setCurrentIndex(index < 0 ? 0 : index);
    width_->setCurrentIndex(form_.width == 8 ? 0 : form_.width == 32 ? 2 : 1);
    poly_->setText(Text(form_.poly));
    init_->setText(Text(form_.init));
    xorout_->setText(Text(form_.xorout));
    refin_->setChecked(form_.refin);
    refout_->setChecked(form_.refout);
    // Without a selection there is none to choose; empty addresses start
    // as the whole window.
    const bool selected = selStart_ <= selEnd_;
    selection_->setEnabled(selected);
    int range = form_.range;
    if (range == ChecksumForm::RangeSelection && !selected)
        range = ChecksumForm::RangeWindow;
    (range == ChecksumForm::RangeSelection ? selection_ : range == ChecksumForm::RangeAddresses ? addresses_
                                                                                              : window_)
        ->setChecked(true);
    const Address start = document_.Start();
    const Address end = document_.End();
    first_->setText(Text(form_.first.empty() ? Hex(start) : form_.first));
    last_->setText(Text(form_.last.empty() ? Hex(end > start ? end - 1 : start) : form_.last));
    write_->setChecked(form_.write);
    writeAt_->setText(Text(form_.writeAt.empty() ? Hex(end) : form_.writeAt));
    order_->setCurrentIndex(form_.bigEndian ? 1 : 0);
}

void OChecksumDlg::Collect()
{
    form_.algorithm = algorithm_->currentText().toStdString();
    // The greyed box shows a named algorithm's parameters; the form keeps
    // the last custom ones.
    if (form_.algorithm == kCustomChecksumText) {
        form_.width = width_->currentText().toInt();
        form_.poly = poly_->text().trimmed().toStdString();
        form_.init = init_->text().trimmed().toStdString();
        form_.xorout = xorout_->text().trimmed().toStdString();
        form_.refin = refin_->isChecked();
        form_.refout = refout_->isChecked();
    }
    form_.range = selection_->isChecked()   ? ChecksumForm::RangeSelection
                  : addresses_->isChecked() ? ChecksumForm::RangeAddresses
                                            : ChecksumForm::RangeWindow;
    form_.first = first_->text().trimmed().toStdString();
    form_.last = last_->text().trimmed().toStdString();
    form_.write = write_->isChecked();
    form_.writeAt = writeAt_->text().trimmed().toStdString();
    form_.bigEndian = order_->currentIndex() == 1;
}

bool OChecksumDlg::Refresh()
{
    Collect();
    const bool custom = form_.algorithm == kCustomChecksumText;
    custom_->setEnabled(custom);
    if (!custom) {
        ChecksumForm shown = form_;
        ShowAlgorithmParameters(shown);
        const QSignalBlocker blockWidth(width_), blockPoly(poly_), blockInit(init_), blockXor(xorout_),
            blockIn(refin_), blockOut(refout_);
        width_->setCurrentIndex(shown.width == 8 ? 0 : shown.width == 32 ? 2 : 1);
        poly_->setText(Text(shown.poly));
        init_->setText(Text(shown.init));
        xorout_->setText(Text(shown.xorout));
        refin_->setChecked(shown.refin);
        refout_->setChecked(shown.refout);
    }
    first_->setEnabled(form_.range == ChecksumForm::RangeAddresses);
    last_->setEnabled(form_.range == ChecksumForm::RangeAddresses);
    writeAt_->setEnabled(form_.write);
    order_->setEnabled(form_.write);

    std::string notice;
    const std::string problem = EvaluateChecksumForm(form_, document_.Start(), document_.End(), selStart_, selEnd_,
                                                     plan_, notice);
    valid_ = problem.empty();
    copy_->setEnabled(valid_);
    if (!valid_) {
        result_->setText(Text(problem));
        extent_->clear();
        notice_->clear();
        return false;
    }
    // Seen only when the calculation takes long enough to show its progress.
    result_->setText(QStringLiteral("Calculating..."));
    const std::optional<uint32_t> value = DocumentChecksum(document_, plan_.algorithm, plan_.first, plan_.last);
    if (!value) {
        // OK calculates again; nothing is written from a stopped one.
        valid_ = false;
        copy_->setEnabled(false);
        result_->setText(QStringLiteral("The calculation was stopped."));
        extent_->clear();
        notice_->clear();
        return false;
    }
    value_ = *value;
    result_->setText(Text(ChecksumResultText(value_, plan_.algorithm.width)));
    extent_->setText(Text(ChecksumExtentText(plan_.first, plan_.last, document_.DataAddresses())));
    notice_->setText(Text(notice));
    return true;
}

QString OChecksumDlg::ResultText() const
{
    return result_->text();
}

QString OChecksumDlg::NoticeText() const
{
    return notice_->text();
}

void OChecksumDlg::CopyResult()
{
    if (valid_)
        QApplication::clipboard()->setText(Text(FormatChecksum(value_, plan_.algorithm.width)));
}

void OChecksumDlg::accept()
{
    // Every change of a field calculated the result anew already.
    if (!valid_ && !Refresh()) {
        ShowInputMessage(this, result_->text(), QString::fromLatin1(kCaption));
        return;
    }
    SaveChecksumForm(document_.SettingsPath(), form_);
    QDialog::accept();
}

void OChecksumDlg::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier) {
        const QVariant id = focusWidget() ? focusWidget()->property("helpId") : QVariant();
        ShowHelpTopic(id.isValid() ? id.toInt() : kHelpDialog);
        return;
    }
    QDialog::keyPressEvent(event);
}
