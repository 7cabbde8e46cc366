#include "dialogs/qt/dialog_services.h"

#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>
#include <QWindow>

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

void KeepCloseButtonOnly(QWidget* dialog)
{
    const Qt::WindowFlags flags = (dialog->windowFlags() & Qt::WindowType_Mask) | Qt::CustomizeWindowHint |
                                  Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (dialog->windowFlags() == flags)
        return;
    // The native window may exist already (it is made before the first
    // show); it takes the flags without being made again.
    dialog->overrideWindowFlags(flags);
    if (QWindow* window = dialog->windowHandle())
        window->setFlags(flags);
}
