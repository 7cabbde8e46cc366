#include "dialogs/qt/dialog_services.h"

#include "document/document_host.h"

#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QSpacerItem>

namespace {

HelpHandler& helpHandler()
{
    static HelpHandler handler;
    return handler;
}

MessageBoxHook& messageBoxHook()
{
    static MessageBoxHook hook;
    return hook;
}

QMessageBox::Icon iconFor(int style)
{
    switch (style & 0xF0) {
    case mbIconStop: return QMessageBox::Critical;
    case mbIconQuestion: return QMessageBox::Question;
    case mbIconExclamation: return QMessageBox::Warning;
    case mbIconInformation: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

InputMessageHandler& inputMessageHandler()
{
    static InputMessageHandler handler;
    return handler;
}

} // namespace

void SetHelpHandler(HelpHandler handler)
{
    helpHandler() = std::move(handler);
}

void ShowHelpTopic(int topicId)
{
    if (helpHandler())
        helpHandler()(topicId);
}

void SetInputMessageHandler(InputMessageHandler handler)
{
    inputMessageHandler() = std::move(handler);
}

void ShowInputMessage(QWidget* owner, const QString& text, const QString& caption)
{
    if (inputMessageHandler()) {
        inputMessageHandler()(owner, text, caption);
        return;
    }
    ShowMessageBox(owner, text, caption, mbIconExclamation);
}

void FitCaption(QMessageBox& box)
{
    // Title bars commonly use a bold face and keep room for their buttons.
    QFont captionFont = box.font();
    captionFont.setBold(true);
    const int width = QFontMetrics(captionFont).horizontalAdvance(box.windowTitle()) + 160;
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (!grid)
        return;
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Minimum), grid->rowCount(), 0, 1,
                  grid->columnCount());
}

int ShowMessageBox(QWidget* owner, const QString& text, const QString& caption, int style, const QString& detail)
{
    if (messageBoxHook())
        return messageBoxHook()(owner, text, caption, style);
    QMessageBox box(iconFor(style), caption, text, QMessageBox::NoButton, owner);
    box.setInformativeText(detail);
    if ((style & 0x0F) == mbYesNoCancel) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Yes);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
    }
    FitCaption(box);
    switch (box.exec()) {
    case QMessageBox::Yes: return idYes;
    case QMessageBox::No: return idNo;
    case QMessageBox::Cancel: return idCancel;
    default: return idOk;
    }
}

int ShowQuestion(QWidget* owner, const QString& text, const QString& caption, const QString& yes,
                 const QString& no, bool cancel, bool defaultNo)
{
    if (messageBoxHook())
        return messageBoxHook()(owner, text, caption, mbIconQuestion | (cancel ? mbYesNoCancel : mbYesNo));
    QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::NoButton, owner);
    QPushButton* yesButton = box.addButton(yes, QMessageBox::YesRole);
    QPushButton* noButton = box.addButton(no, QMessageBox::NoRole);
    if (cancel)
        box.addButton(QMessageBox::Cancel);
    else
        box.setEscapeButton(noButton);
    box.setDefaultButton(defaultNo ? noButton : yesButton);
    FitCaption(box);
    box.exec();
    if (box.clickedButton() == yesButton)
        return idYes;
    if (box.clickedButton() == noButton)
        return idNo;
    return idCancel;
}

void SetMessageBoxHook(MessageBoxHook hook)
{
    messageBoxHook() = std::move(hook);
}
