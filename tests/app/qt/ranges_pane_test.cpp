// The Ranges pane and the range jumps as a user meets them: the Window menu
// shows the pane and the settings keep that, Alt+Page Down and Alt+Page Up
// walk the cursor through the ranges, the cursor's line is marked, a click
// on a line moves the cursor there, and an edit shows up after a pause.

#include "app/qt/app_window_fixture.h"
#include "app/qt/range_commands.h"
#include "settings/profile.h"

#include <QDockWidget>
#include <QListView>
#include <QMenu>

class RangesPaneTest : public AppWindowFixture {
    Q_OBJECT

private slots:
    void init()
    {
        prepare();
        // Three ranges: 0x0100-0x0102, 0x0200-0x0201 and 0x0300.
        writeFile("sparse.int", ":03010000010203F6\r\n:020200000405F3\r\n:0103000006F6\r\n:00000001FF\r\n");
    }
    void cleanup() { stopApp(); }

    void paneListsJumpsAndFollowsEdits()
    {
        launch({dir.filePath("sparse.int").toStdString()});
        QTRY_VERIFY(activeView());
        OBufferView* view = activeView();
        TRangeCommands* ranges = app->Ranges();
        QVERIFY(!ranges->Pane()->isVisible());
        app->MainWindow()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(app->MainWindow()));

        // Window > Ranges, opened as a user does.
        QMenu* window = nullptr;
        for (QAction* action : app->MainWindow()->menuBar()->actions())
            if (action->text().contains(QStringLiteral("Window")))
                window = action->menu();
        QVERIFY(window);
        QAction* item = app->MainWindow()->Action(CmRangesPane);
        QVERIFY(window->actions().contains(item));
        item->trigger();
        QTRY_VERIFY(ranges->Pane()->isVisible());
        QCOMPARE(OProfile(IniFilePath).GetInt(TRangeCommands::kSection, TRangeCommands::kVisibleKey, 0), 1);
        QAbstractItemModel* lines = ranges->List()->model();
        QCOMPARE(lines->rowCount(), 3);
        QCOMPARE(lines->index(1, 0).data().toString(), QStringLiteral("00000200-00000201  2 bytes"));
        QCOMPARE(ranges->MarkedRow(), 0);

        view->setFocus();
        QTest::keyClick(view, Qt::Key_PageDown, Qt::AltModifier);
        QCOMPARE(view->Model().Cursor, 0x200);
        QCOMPARE(ranges->MarkedRow(), 1);
        QTest::keyClick(view, Qt::Key_PageDown, Qt::AltModifier);
        QCOMPARE(view->Model().Cursor, 0x300);
        QTest::keyClick(view, Qt::Key_PageDown, Qt::AltModifier);
        QCOMPARE(view->Model().Cursor, 0x300);
        QTest::keyClick(view, Qt::Key_PageUp, Qt::AltModifier);
        QCOMPARE(view->Model().Cursor, 0x200);

        // A click on a line takes the cursor to the range's start.
        const QRect first = ranges->List()->visualRect(lines->index(0, 0));
        QTest::mouseClick(ranges->List()->viewport(), Qt::LeftButton, {}, first.center());
        QCOMPARE(view->Model().Cursor, 0x100);
        QCOMPARE(ranges->MarkedRow(), 0);

        // Typing into the gap makes a fourth range once the edits pause.
        view->Document().WriteByte(0x77, 0x180);
        view->setFocus();
        QTest::keyClick(view, Qt::Key_Right);
        QCOMPARE(lines->rowCount(), 3);
        QTRY_COMPARE(lines->rowCount(), 4);
        QCOMPARE(lines->index(1, 0).data().toString(), QStringLiteral("00000180-00000180  1 byte"));

        item->trigger();
        QTRY_VERIFY(!ranges->Pane()->isVisible());
        QCOMPARE(OProfile(IniFilePath).GetInt(TRangeCommands::kSection, TRangeCommands::kVisibleKey, 1), 0);
    }
};

QTEST_MAIN(RangesPaneTest)
#include "ranges_pane_test.moc"
