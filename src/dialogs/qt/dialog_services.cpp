#include "dialogs/qt/dialog_services.h"

#include <QMessageBox>

namespace {

HelpHandler& helpHandler()
{
    static HelpHandler handler;
    return handler;
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
    QMessageBox box(QMessageBox::Warning, caption, text, QMessageBox::Ok, owner);
    box.exec();
}
