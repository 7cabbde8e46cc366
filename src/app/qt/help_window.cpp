#include "app/qt/help_window.h"

#include "app/qt/shell_services.h"
#include "app/window_layout.h"
#include "document/document_host.h"

#include <QApplication>
#include <QFileInfo>
#include <QScreen>
#include <QStyle>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

OHelpWindow::OHelpWindow(QString helpFile, QWidget* parent)
    : QWidget(parent, Qt::Window), helpFile(std::move(helpFile)), browser(new QTextBrowser(this))
{
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("Dravel 97 Help"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser);
    browser->setOpenLinks(true);
    resize(560, 520);
}

QString OHelpWindow::TopicAnchor(int id)
{
    return QStringLiteral("topic%1").arg(id);
}

bool OHelpWindow::ShowContents()
{
    return show(QString::fromLatin1(ContentsAnchor));
}

bool OHelpWindow::ShowHelpOnHelp()
{
    return show(QString::fromLatin1(HelpOnHelpAnchor));
}

bool OHelpWindow::ShowTopic(int id)
{
    return show(TopicAnchor(id));
}

void OHelpWindow::placeOnScreen()
{
    // Centred on the window it was asked from, and whole on that screen,
    // title bar included, wherever that window stands.
    QWidget* over = parentWidget() ? parentWidget()->window() : QApplication::activeWindow();
    QScreen* screen = over ? over->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect free = screen->availableGeometry();
    const int titleBar = style()->pixelMetric(QStyle::PM_TitleBarHeight) + 8;
    QRect place(QPoint(0, 0), size());
    place.moveCenter(over ? over->frameGeometry().center() : free.center());
    const WRect fitted = FitInside({place.x(), place.y(), place.width(), place.height()},
                                   {free.x(), free.y() + titleBar, free.width(), free.height() - titleBar});
    setGeometry(fitted.x, fitted.y, fitted.width, fitted.height);
}

void OHelpWindow::Quit()
{
    hide();
}

bool OHelpWindow::show(const QString& anchor)
{
    const QFileInfo file(helpFile);
    if (!file.isFile() || !file.isReadable()) {
        // The viewer speaks for itself about a missing file; the caller only
        // learns that nothing was shown.
        ShowMessageBox(parentWidget(), QStringLiteral("The help file %1 cannot be opened.").arg(helpFile),
                       windowTitle(), mbIconExclamation);
        return false;
    }
    QUrl url = QUrl::fromLocalFile(file.absoluteFilePath());
    if (browser->source() != url)
        browser->setSource(url, QTextDocument::HtmlResource);
    browser->scrollToAnchor(anchor);
    topic = anchor == QLatin1String(ContentsAnchor) ? QString() : anchor;
    if (!isVisible())
        placeOnScreen();
    QWidget::show();
    raise();
    activateWindow();
    return true;
}
