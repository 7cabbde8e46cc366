#include "dialogs/qt/dialog_services.h"

#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>

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
    FitCaption(box);
    box.exec();
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
