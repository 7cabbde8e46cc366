#pragma once
// What the editor's window-level tests share: the program started on a scratch
// folder of its own, message boxes and file dialogs answered by the test, and
// keys sent to the main window as a user types them.

#include "app/app_resources.h"
#include "app/program_paths.h"
#include "app/qt/doc_manager.h"
#include "app/qt/main_frame.h"
#include "app/qt/qt_document_host.h"
#include "app/qt/shell_services.h"
#include "app/qt/tovik_app.h"
#include "dialogs/qt/dialog_services.h"
#include "document/buffer_document.h"
#include "view/qt/buffer_view.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTest>

#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class AppWindowFixture : public QObject {
protected:
    QTemporaryDir dir;
    std::unique_ptr<TTovikApp> app;
    // Every message box shown, as "caption|text". Each is answered with the
    // first of `answers`, or with `answer` once they run out.
    QStringList messages;
    QList<int> styles;   // and the buttons and icon each showed
    QList<int> answers;
    int answer = idNo;
    std::optional<FileChoice> nextChoice;   // what every file dialog returns
    QList<std::pair<FileDialogKind, int>> dialogs;   // kind and type of each one run

    void forget()
    {
        messages.clear();
        styles.clear();
    }
    // The texts of the message boxes shown, without their captions.
    QStringList texts() const
    {
        QStringList list;
        for (const QString& message : messages)
            list << message.section(QLatin1Char('|'), 1);
        return list;
    }

    TDecoratedMDIFrame* frame() const { return app->MainWindow(); }

    // A key as the user types it: to the window with the keyboard focus,
    // through shortcuts, popups and the focus widget.
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::keyClick(frame()->windowHandle(), key, modifiers);
    }
    void type(const char* text)
    {
        for (const char* c = text; *c; ++c)
            QTest::keyClick(frame()->windowHandle(), *c);
    }

    QStringList menuTitles() const
    {
        QStringList titles;
        for (QAction* action : frame()->menuBar()->actions())
            titles << action->text();
        return titles;
    }

    OBufferView* activeView() const
    {
        QMdiSubWindow* child = app->ClientArea->currentSubWindow();
        return child ? qobject_cast<OBufferView*>(child->widget()) : nullptr;
    }

    // The main window takes the keys again, as the desktop hands them back
    // after a dialog, a menu or a please-wait window.
    void activate()
    {
        frame()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(frame()));
        if (OBufferView* view = activeView())
            view->setFocus();
    }

    std::string writeFile(const char* name, const std::string& bytes)
    {
        const std::string path = dir.filePath(QString::fromLatin1(name)).toStdString();
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    OBufferDocument* open(const char* name, const std::string& bytes)
    {
        app->OpenPendingFiles({writeFile(name, bytes)});
        activate();
        return app->DocManager()->Documents().back();
    }

    // Points the program's files and XDG folders into the scratch folder,
    // without a settings or font file, and answers its questions.
    void prepare()
    {
        QVERIFY(dir.isValid());
        qputenv("XDG_DATA_HOME", dir.filePath("xdg").toUtf8());
        qputenv("XDG_CONFIG_HOME", dir.filePath("config").toUtf8());
        InitProgramPaths(dir.filePath("dravel").toStdString());
        QFile::remove(QString::fromStdString(IniFilePath));
        QFile::remove(QString::fromStdString(FontFilePath));
        QFile::copy(QStringLiteral(DRAVEL_SOURCE_DIR "/resources/Dravel.hlp"), dir.filePath("Dravel.hlp"));
        forget();
        answers.clear();
        nextChoice.reset();
        dialogs.clear();
        SetMessageBoxHook([this](QWidget*, const QString& text, const QString& caption, int style) {
            messages << caption + "|" + text;
            styles << style;
            return answers.isEmpty() ? answer : answers.takeFirst();
        });
        SetFileDialogHook([this](FileDialogKind kind, const QString&, int type) {
            dialogs << std::make_pair(kind, type);
            return nextChoice;
        });
    }
    void launch(const std::vector<std::string>& args = {})
    {
        app = std::make_unique<TTovikApp>();
        app->InitInstance(args);
        QCoreApplication::sendPostedEvents(app.get());
        activate();
    }
    // File › New makes its 512-byte buffer without asking when `quietNew`.
    void startApp(bool quietNew = false)
    {
        prepare();
        if (quietNew)
            OQtDocumentHost::SetNewBufferHook([](AddressRequest&) { return false; });
        launch();
    }
    void stopApp()
    {
        app.reset();
        SetMessageBoxHook({});
        SetFileDialogHook({});
        OQtDocumentHost::SetNewBufferHook({});
    }
};
