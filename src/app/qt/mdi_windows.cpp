#include "app/qt/mdi_windows.h"

#include "app/qt/doc_manager.h"
#include "app/qt/find_commands.h"
#include "document/buffer_document.h"
#include "view/qt/buffer_view.h"

#include <QCloseEvent>
#include <QCoreApplication>

TTovikMDIClient::TTovikMDIClient(QObject* application, QWidget* parent) : QMdiArea(parent)
{
    setObjectName(QStringLiteral("ClientArea"));
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    if (application)
        QCoreApplication::postEvent(application, new QEvent(StartupOpenEvent));
    find = new TFindCommands(this, [this]() -> OBufferView* {
        auto* child = qobject_cast<TTovikMDIChild*>(activeSubWindow());
        return child && !child->Closing() ? qobject_cast<OBufferView*>(child->View()) : nullptr;
    });
}

TTovikMDIChild::TTovikMDIChild(OBufferDocument& document, OTovikDocManager& manager, QWidget* view)
    : document(&document), manager(&manager)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWidget(view);
    UpdateCaption();
}

void TTovikMDIChild::UpdateCaption()
{
    // A changed document says so after its title until it is saved.
    setWindowTitle(QString::fromStdString(document->Title()) + (document->IsDirty() ? QStringLiteral(" *") : QString()));
}

void TTovikMDIChild::closeEvent(QCloseEvent* event)
{
    int others = 0;
    if (mdiArea())
        for (QMdiSubWindow* window : mdiArea()->subWindowList())
            if (auto* child = qobject_cast<TTovikMDIChild*>(window); child && child != this && child->document == document)
                ++others;
    // The last view of a document closes the document, which may refuse.
    if (others == 0 && !(manager ? manager->CanClose(*document) : document->CanClose())) {
        event->ignore();
        return;
    }
    closing = true;
    event->accept();
    QMdiSubWindow::closeEvent(event);
    if (manager) {
        // Detach the view now so it is gone before its document.
        delete widget();
        manager->ViewClosed(document, others);
    }
}
