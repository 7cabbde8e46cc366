// The main frame as the user meets it: menus, the buffer menu merge,
// accelerators, toolbar, status hints and the help keys.

#include "app/qt/app_window_fixture.h"
#include "app/qt/about_dlg.h"
#include "app/qt/app_window_fixture.h"
#include "app/version_info.h"
#include "app/qt/help_window.h"

#include <QDialog>
#include <QLabel>
#include <QTimer>
#include <QMenu>
#include <QShortcut>
#include <QStatusBar>
#include <QToolBar>
#include <QTextBrowser>

class MainFrameTest : public AppWindowFixture {
    Q_OBJECT

private slots:
    void init() { startApp(true); }
    void cleanup() { stopApp(); }

    void menuBarHasSixPopupsAndBufferThirdWithADocument()
    {
        QCOMPARE(app->MainWindow()->windowTitle(), QStringLiteral("Dravel 97"));
        QCOMPARE(menuTitles(), QStringList({"&File", "&Edit", "&Search", "&Options", "&Window", "&Help"}));
        app->Command(CmFileNew);
        QCOMPARE(app->DocManager()->Documents().size(), size_t(1));
        QCOMPARE(app->DocManager()->Documents()[0]->FormatKey(), std::string("s3f"));
        QTRY_COMPARE(menuTitles(),
                     QStringList({"&File", "&Edit", "&Buffer", "&Search", "&Options", "&Window", "&Help"}));
        app->Command(CmFileClose);
        QTRY_COMPARE(menuTitles().size(), 6);
        QVERIFY(app->DocManager()->Documents().empty());
    }

    void menuItemsCarryIdsSeparatorsAndGreyStates()
    {
        const QList<QAction*> file = app->MainWindow()->FileMenu()->actions();
        QStringList layout;
        for (QAction* action : file)
            layout << (action->isSeparator() ? QStringLiteral("-") : action->data().toString());
        QCOMPARE(layout, QStringList({"24331", "24332", "200", "280", "240", "241", "24339", "-", "24333", "24334", "282", "-", "24340", "24337",
                                      "24338", "-", "24310"}));
        QCOMPARE(app->MainWindow()->Action(CmExit)->text(), QStringLiteral("E&xit\tAlt+F4"));
        QCOMPARE(app->MainWindow()->Action(CmFindNext)->text(), QStringLiteral("&Next\tF3"));
        QVERIFY(!app->MainWindow()->Action(CmFileSave)->isEnabled());
        QVERIFY(!app->MainWindow()->Action(CmFileClose)->isEnabled());
        QVERIFY(app->MainWindow()->Action(CmFileNew)->isEnabled());
        QVERIFY(app->MainWindow()->Action(CmHelpAbout)->isEnabled());
        QCOMPARE(app->MainWindow()->Action(CmFileOpen)->statusTip(), QStringLiteral("Opens an existing document"));
        QVERIFY(app->MainWindow()->Action(CmTile)->statusTip().isEmpty());
    }

    void acceleratorsOfTable100()
    {
        // The keys are the main window's own shortcuts, apart from the actions.
        QList<QKeySequence> keys;
        for (QShortcut* shortcut : app->MainWindow()->findChildren<QShortcut*>())
            keys << shortcut->key();
        for (const char* key : {"Shift+Del", "Ctrl+X", "Ctrl+Ins", "Ctrl+C", "Shift+Ins", "Ctrl+V", "Ctrl+Z",
                                "Alt+Backspace", "Ctrl+Del", "Ctrl+A", "Ctrl+F", "F3"})
            QVERIFY2(keys.contains(QKeySequence(key)), key);
        QVERIFY(app->MainWindow()->Action(CmFileNew)->shortcuts().isEmpty());
    }

    void toolbarHasItsTwentyFourPositionsInOrder()
    {
        QToolBar* bar = app->DockHarbor;
        QVERIFY(bar);
        QCOMPARE(bar->windowTitle(), QStringLiteral("Toolbar"));
        QVERIFY(bar->isMovable() && bar->isFloatable());
        QList<int> ids;
        for (QAction* action : bar->actions())
            ids << (action->isSeparator() ? 0 : action->data().toInt());
        QCOMPARE(ids, QList<int>({24331, 24332, 24333, 0, 24322, 24323, 24324, 0, 24321, 0, 24351, 24353, 0, 206,
                                  201, 202, 205, 24326, 203, 0, 24337, 24340, 0, 2001}));
        for (QAction* action : bar->actions())
            QVERIFY(action->isSeparator() || !action->icon().isNull());
        // The button shares the menu's action, so it shares its enabled state.
        QCOMPARE(bar->actions()[2], app->MainWindow()->Action(CmFileSave));
    }

    void shiftF1PicksACommandsHelpInsteadOfRunningIt()
    {
        QWidget* frame = app->MainWindow();
        QTest::keyClick(frame, Qt::Key_F1, Qt::ShiftModifier);
        QVERIFY(app->HelpPickMode);
        app->MainWindow()->Action(CmFileOpen)->trigger();
        QCOMPARE(dialogs.size(), 0);
        QVERIFY(!app->HelpPickMode);
        QVERIFY(app->HelpShown);
        QCOMPARE(app->HelpWindow()->CurrentTopic(), QStringLiteral("topic24332"));

        // Esc leaves the mode without help; the command then runs as usual.
        app->HelpWindow()->Quit();
        QTest::keyClick(frame, Qt::Key_F1, Qt::ShiftModifier);
        QVERIFY(app->HelpPickMode);
        QTest::keyClick(frame, Qt::Key_Escape);
        QVERIFY(!app->HelpPickMode);
        QVERIFY(!app->HelpWindow()->isVisible());
        app->MainWindow()->Action(CmFileOpen)->trigger();
        QCOMPARE(dialogs.size(), 1);

        // A grey toolbar button still gives its help while picking.
        QTest::keyClick(frame, Qt::Key_F1, Qt::ShiftModifier);
        QWidget* cut = app->DockHarbor->widgetForAction(app->MainWindow()->Action(CmCut));
        QVERIFY(cut && !cut->isEnabled());
        QTest::mouseClick(cut, Qt::LeftButton);
        QCOMPARE(app->HelpWindow()->CurrentTopic(), QStringLiteral("topic24322"));
        QVERIFY(!app->HelpPickMode);
        QCOMPARE(app->MainWindow()->Action(CmFileOpen)->toolTip(), QStringLiteral("Open"));
    }

    void f1OpensTheContentsAndEveryIdHasATopic()
    {
        QTest::keyClick(app->MainWindow(), Qt::Key_F1);
        QVERIFY(app->HelpWindow()->isVisible());
        QCOMPARE(app->HelpWindow()->CurrentTopic(), QString());
        const QString html = app->HelpWindow()->Browser()->toHtml();
        QFile file(QString::fromStdString(HelpFilePath));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString source = QString::fromUtf8(file.readAll());
        for (QAction* action : app->MainWindow()->Actions())
            QVERIFY2(source.contains(QStringLiteral("name=\"topic%1\"").arg(action->data().toInt())),
                     qPrintable(action->text()));
        for (int id : {2010, 2013, 2014, 2015, 2016, 1015, 1016, 1021, 1022, 1027, 1028, 1029, 1030, 1000, 1031})
            QVERIFY2(source.contains(QStringLiteral("name=\"topic%1\"").arg(id)), qPrintable(QString::number(id)));
        QVERIFY(!html.isEmpty());
    }

    void f1InAnOpenMenuShowsTheHighlightedItemsHelp()
    {
        QMenu* file = app->MainWindow()->FileMenu();
        file->popup(QPoint(0, 0));
        QVERIFY(QTest::qWaitForWindowExposed(file));
        file->setActiveAction(app->MainWindow()->Action(CmFileOpen));
        QTest::keyClick(file, Qt::Key_F1);
        QCOMPARE(app->HelpWindow()->CurrentTopic(), QStringLiteral("topic24332"));
        QVERIFY(!file->isVisible());
        QCOMPARE(dialogs.size(), 0);
    }

    void saveFollowsTheActiveDocumentsChanges()
    {
        app->Command(CmFileNew);
        OBufferDocument* document = app->DocManager()->Documents().at(0);
        QTRY_VERIFY(app->MainWindow()->Action(CmFileSaveAs)->isEnabled());
        QVERIFY(!app->MainWindow()->Action(CmFileSave)->isEnabled());
        document->WriteByte(0, 0);
        QTRY_VERIFY(app->MainWindow()->Action(CmFileSave)->isEnabled());
        // Settings changes reach the documents through a queued event.
        QCoreApplication::postEvent(app.get(), new QEvent(SettingsChangedEvent));
        QCoreApplication::sendPostedEvents(app.get());
        // Closing asks about the change; No lets the document go.
        app->Command(CmFileClose);
        QCOMPARE(messages.size(), 1);
        QVERIFY(messages[0].startsWith(QStringLiteral("Untitled|The document has been changed.")));
        QVERIFY(app->DocManager()->Documents().empty());
    }

    void dialogsHelpButtonsReachTheHelpWindow()
    {
        ::ShowHelpTopic(2015);
        QCOMPARE(app->HelpWindow()->CurrentTopic(), QStringLiteral("topic2015"));
        // Asked for from a modal dialog, help opens inside that dialog so it can be used.
        QDialog dialog(app->MainWindow());
        QString parentName;
        QTimer::singleShot(0, &dialog, [&] {
            ::ShowHelpTopic(2016);
            parentName = app->HelpWindow()->parentWidget() ? app->HelpWindow()->parentWidget()->objectName() : "";
            dialog.reject();
        });
        dialog.setObjectName(QStringLiteral("modal"));
        dialog.exec();
        QCOMPARE(parentName, QStringLiteral("modal"));
    }

    void missingHelpFileLeavesHelpShownFalse()
    {
        QFile::remove(QString::fromStdString(HelpFilePath));
        app->Command(CmHelpContents);
        QVERIFY(!app->HelpShown);
        QCOMPARE(messages.size(), 1);
    }

    void aboutBoxShowsTheVersionTablesTexts()
    {
        TTovikAboutDlg about(app->MainWindow());
        QCOMPARE(about.windowTitle(), QStringLiteral("About Dravel 97"));
        QVERIFY(about.VersionLine()->text().isEmpty());
        const char* copyright = nullptr;
        QVERIFY(TProjectRCVersion().QueryCopyright(copyright));
        QCOMPARE(about.Copyright()->text(), QString::fromUtf8(copyright));
        QVERIFY(about.SpecialBuild()->text().isEmpty());
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        // The copyright's own two lines, not broken further by a narrow box.
        QLabel* label = about.Copyright();
        QVERIFY(label->heightForWidth(label->width()) <= 2 * label->fontMetrics().lineSpacing() + 2);

        // Without a product version the version line keeps its text.
        const VersionResource partial{{0x04E40409u}, {{"\\StringFileInfo\\040904E4\\ProductName", "x"}}};
        TTovikAboutDlg older(app->MainWindow(), &partial);
        QCOMPARE(older.VersionLine()->text(), QStringLiteral("Version"));
        QVERIFY(older.Copyright()->text().isEmpty());
    }

    void printerFollowsOnlyWindowsSectionChanges()
    {
        app->RefreshPrinter(QStringLiteral("windows"));
        QVERIFY(!app->AppPrinter);
        app->CreatePrinter();
        QPrinter* first = app->AppPrinter.get();
        QVERIFY(first);
        app->RefreshPrinter(QStringLiteral("intl"));
        QCOMPARE(app->AppPrinter.get(), first);
    }
};

QTEST_MAIN(MainFrameTest)
#include "main_frame_test.moc"
