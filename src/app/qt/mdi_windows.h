#pragma once
// The frame's client area and the child windows that hold document views.

#include <QEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>

class OBufferDocument;
class OTovikDocManager;
class TFindCommands;

// Queued to the application when the client window is set up, so the
// startup files open once the main window is shown and events flow.
inline constexpr QEvent::Type StartupOpenEvent = static_cast<QEvent::Type>(QEvent::User + 1227);
// Queued after the settings were changed; answered by the document manager.
inline constexpr QEvent::Type SettingsChangedEvent = static_cast<QEvent::Type>(QEvent::User + 1328);

class TTovikMDIClient : public QMdiArea {
    Q_OBJECT
public:
    // Posts StartupOpenEvent to `application`.
    TTovikMDIClient(QObject* application, QWidget* parent = nullptr);

    // Find and Next, over the find request the client keeps.
    TFindCommands& Find() const { return *find; }

private:
    TFindCommands* find;
};

class TTovikMDIChild : public QMdiSubWindow {
    Q_OBJECT
public:
    // `view` becomes the child's widget; the caption follows the document's
    // title, with " *" after it while the document has unsaved changes.
    TTovikMDIChild(OBufferDocument& document, OTovikDocManager& manager, QWidget* view);

    OBufferDocument* Document() const { return document; }
    QWidget* View() const { return widget(); }
    void UpdateCaption();
    // True once the child accepted its close and is on its way out.
    bool Closing() const { return closing; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    OBufferDocument* document;
    QPointer<OTovikDocManager> manager;
    bool closing = false;
};
