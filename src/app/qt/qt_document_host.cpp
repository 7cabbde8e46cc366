#include "app/qt/qt_document_host.h"

#include "document/lane_files.h"

#include "app/doc_templates.h"
#include "app/save_questions.h"
#include "app/qt/doc_manager.h"
#include "app/qt/shell_services.h"
#include "app/qt/main_frame.h"
#include "app/qt/tovik_app.h"
#include "dialogs/qt/basic_address_dlg.h"
#include "settings/ansi_chars.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QAction>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

OQtDocumentHost::NewBufferHook& newBufferHook()
{
    static OQtDocumentHost::NewBufferHook hook;
    return hook;
}

QString text(std::string_view view)
{
    return QString::fromUtf8(view.data(), qsizetype(view.size()));
}

// Long loops ask very often; handling events only every few milliseconds
// keeps them at full speed while the window still answers.
constexpr qint64 EventSliceMs = 25;
// A long operation shows its progress and Cancel once it has run this long.
constexpr qint64 ProgressDelayMs = 500;

} // namespace

// While a document works, key presses for the editor's windows (and the
// shortcuts they would trigger) go nowhere: the operation's own window and
// modal boxes keep theirs.
class OKeySwallower : public QObject {
public:
    explicit OKeySwallower(QWidget* keep) : keep_(keep) {}

protected:
    bool eventFilter(QObject* target, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::Shortcut:
        case QEvent::ShortcutOverride:
            break;
        default:
            return false;
        }
        if (qobject_cast<QAction*>(target))
            return true;
        auto* widget = qobject_cast<QWidget*>(target);
        if (!widget)
            return false;
        QWidget* top = widget->window();
        return top != keep_ && !top->isModal();
    }

private:
    QPointer<QWidget> keep_;
};

OQtDocumentHost::OQtDocumentHost(QWidget* owner) : owner(owner) {}

OQtDocumentHost::~OQtDocumentHost()
{
    HideBusyWindow();
    delete keySwallower;
    while (waitCursors > 0)
        SetWaitCursor(false);
}

void OQtDocumentHost::SetNewBufferHook(NewBufferHook hook)
{
    newBufferHook() = std::move(hook);
}

int OQtDocumentHost::MessageBox(std::string_view body, std::string_view caption, int style)
{
    QWidget* parent = QApplication::activeWindow() ? QApplication::activeWindow() : owner.data();
    const int answer = ShowMessageBox(parent, text(body), text(caption), style);
    if ((style & 0x0F) == mbYesNoCancel && answer == idYes && beforeSave && !beforeSave())
        return idCancel;
    return answer;
}

void OQtDocumentHost::ReportReadError(std::string_view body, std::string_view caption, const std::string&,
                                      uint32_t line, std::string_view reason)
{
    if (!loadError && EndsLoad(body))
        loadError = LoadError{std::string(body), line, std::string(reason)};
    QWidget* parent = QApplication::activeWindow() ? QApplication::activeWindow() : owner.data();
    // An ELF file's damage is told in its own words, which may quote the file.
    ShowMessageBox(parent, text(Quoted(body, true)), text(caption), mbIconStop,
                   text(Quoted(ReadErrorPlace(line, reason))));
}

void OQtDocumentHost::SetWaitCursor(bool on)
{
    if (on) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        ++waitCursors;
    } else if (waitCursors > 0) {
        QApplication::restoreOverrideCursor();
        --waitCursors;
    }
}

void OQtDocumentHost::ShowBusyWindow(std::string_view body, std::string_view caption)
{
    if (!busyWindow) {
        // Over a modal dialog (the checksum's) only a window of its own
        // takes clicks: Cancel must be one, and the dialog waits meanwhile.
        QWidget* modal = QApplication::activeModalWidget();
        auto* window = new QWidget(modal ? modal : owner.data(), Qt::Tool | Qt::WindowTitleHint);
        if (modal)
            window->setWindowModality(Qt::WindowModal);
        window->setAttribute(Qt::WA_DeleteOnClose);
        auto* layout = new QVBoxLayout(window);
        auto* label = new QLabel(window);
        label->setObjectName(QStringLiteral("busyText"));
        label->setMargin(12);
        layout->addWidget(label);
        auto* bar = new QProgressBar(window);
        bar->setObjectName(QStringLiteral("busyBar"));
        bar->setRange(0, 1000);
        layout->addWidget(bar);
        auto* bytes = new QLabel(window);
        bytes->setObjectName(QStringLiteral("busyBytes"));
        layout->addWidget(bytes);
        auto* cancel = new QPushButton(QObject::tr("Cancel"), window);
        cancel->setObjectName(QStringLiteral("busyCancel"));
        layout->addWidget(cancel, 0, Qt::AlignHCenter);
        QObject::connect(cancel, &QPushButton::clicked, [this] { cancelRequested = true; });
        busyWindow = window;
    }
    cancelRequested = false;
    progressTotal = 0;
    busySince.start();
    for (const char* part : {"busyBar", "busyBytes", "busyCancel"})
        busyWindow->findChild<QWidget*>(QLatin1String(part))->hide();
    if (!keySwallower) {
        keySwallower = new OKeySwallower(busyWindow);
        qApp->installEventFilter(keySwallower);
    }
    busyWindow->findChild<QLabel*>(QStringLiteral("busyText"))->setText(text(body));
    busyWindow->setWindowTitle(text(caption));
    busyWindow->setEnabled(false);
    FitBusyWindow();
    busyWindow->show();
}

void OQtDocumentHost::FitBusyWindow()
{
    // Centred over the editor's main window, where the progress and Cancel
    // are looked for, again whenever the bar or Cancel makes it grow.
    busyWindow->adjustSize();
    QWidget* over = TTovikApp::Instance() ? TTovikApp::Instance()->MainWindow() : nullptr;
    if (!over)
        over = owner ? owner->window() : QApplication::activeWindow();
    if (!over)
        return;
    const QSize frame = busyWindow->frameGeometry().size();
    busyWindow->move(over->frameGeometry().center() - QPoint(frame.width() / 2, frame.height() / 2));
}

void OQtDocumentHost::HideBusyWindow()
{
    progressTotal = 0;
    delete keySwallower;
    // The next long operation, which may follow right away, gets a window
    // of its own rather than this one, whose deletion is pending.
    if (QWidget* window = busyWindow.data()) {
        busyWindow = nullptr;
        window->close();
    }
}

void OQtDocumentHost::ProcessPendingEvents()
{
    static QElapsedTimer sinceLast;
    if (sinceLast.isValid() && sinceLast.elapsed() < EventSliceMs)
        return;
    ShowProgress();
    QCoreApplication::processEvents();
    sinceLast.restart();
}

bool OQtDocumentHost::ReportProgress(int64_t done, int64_t total)
{
    progressDone = done;
    progressTotal = total;
    return !cancelRequested;
}

void OQtDocumentHost::ShowProgress()
{
    if (!busyWindow || !busyWindow->isVisible() || progressTotal <= 0 || busySince.elapsed() < ProgressDelayMs)
        return;
    auto* bar = busyWindow->findChild<QProgressBar*>(QStringLiteral("busyBar"));
    auto* bytes = busyWindow->findChild<QLabel*>(QStringLiteral("busyBytes"));
    bar->setValue(int(progressDone * 1000 / progressTotal));
    const QLocale locale(QLocale::English);
    bytes->setText(QStringLiteral("%1 of %2 bytes").arg(locale.toString(qlonglong(progressDone)),
                                                      locale.toString(qlonglong(progressTotal))));
    if (!bar->isVisible()) {
        bar->show();
        bytes->show();
        busyWindow->findChild<QPushButton*>(QStringLiteral("busyCancel"))->show();
        busyWindow->setEnabled(true);
        FitBusyWindow();
    }
}

std::function<bool()> OQtDocumentHost::InputWaiter()
{
    return [this] {
        // Only a wait gives the user something to cancel: the window takes
        // input from now on, through its Cancel button alone.
        if (busyWindow && busyWindow->isVisible()) {
            auto* cancel = busyWindow->findChild<QPushButton*>(QStringLiteral("busyCancel"));
            if (!cancel->isVisible()) {
                busyWindow->setEnabled(true);
                cancel->show();
                FitBusyWindow();
            }
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        return !cancelRequested;
    };
}

bool OQtDocumentHost::RequestNewBufferRange(AddressRequest& request)
{
    if (newBufferHook())
        return newBufferHook()(request);
    OBasicAddressDlg dialog(QApplication::activeWindow() ? QApplication::activeWindow() : owner.data(), request);
    return dialog.exec() == 1;
}

bool OQtDocumentHost::AskLoadOffset(Address& offset)
{
    AddressRequest request = LoadOffsetRequest();
    request.start = offset;
    OBasicAddressDlg dialog(QApplication::activeWindow() ? QApplication::activeWindow() : owner.data(), request);
    if (dialog.exec() != 1)
        return false;
    offset = request.start;
    return true;
}

bool OQtDocumentHost::ChooseFileToInsert(std::string& path, std::string& key)
{
    std::string chosen;
    if (!ChooseFileToOpen(nullptr, chosen))
        return false;
    const int match = MatchTemplate(chosen);
    if (match < 0)
        return false;
    path = chosen;
    key = kDocTemplates[match].defaultExtension;
    return true;
}

bool OQtDocumentHost::ChooseSaveTarget(std::string& path, std::string& key)
{
    const auto choice = RunFileDialog(QApplication::activeWindow(), FileDialogKind::Save,
                                      QString::fromStdString(path), savedTemplate);
    if (!choice)
        return false;
    path = choice->path.toStdString();
    savedTemplate = choice->templateIndex;
    key = kDocTemplates[savedTemplate].defaultExtension;
    return true;
}

OverlapPolicy OQtDocumentHost::ChooseOverlap(std::string_view ranges)
{
    QWidget* parent = QApplication::activeWindow() ? QApplication::activeWindow() : owner.data();
    QMessageBox box(QMessageBox::Question, QStringLiteral("Insert"),
                    QString::fromLatin1(kOverlapText) + QLatin1Char('\n') +
                        QString::fromLatin1(ranges.data(), qsizetype(ranges.size())) +
                        QStringLiteral("\n\nReplace them with the file's bytes, keep them, or insert nothing?"),
                    QMessageBox::NoButton, parent);
    box.setObjectName(QStringLiteral("OverlapChoice"));
    QPushButton* replace = box.addButton(QStringLiteral("&Replace"), QMessageBox::AcceptRole);
    QPushButton* keep = box.addButton(QStringLiteral("&Keep"), QMessageBox::AcceptRole);
    box.addButton(QMessageBox::Cancel);
    replace->setObjectName(QStringLiteral("replace"));
    keep->setObjectName(QStringLiteral("keep"));
    box.setDefaultButton(replace);
    box.exec();
    if (box.clickedButton() == replace)
        return OverlapPolicy::replace;
    if (box.clickedButton() == keep)
        return OverlapPolicy::keep;
    return OverlapPolicy::error;
}
