// The Edit and Buffer menus as the main window offers them: greyed and
// enabled with the active view's state, run on the active view, and Undo
// reached through its accelerators.

#include "app/qt/app_window_fixture.h"

class EditCommandsTest : public AppWindowFixture {
    Q_OBJECT

    bool Enabled(int id) const { return app->MainWindow()->Action(id)->isEnabled(); }

private slots:
    void init() { startApp(true); }
    void cleanup() { stopApp(); }

    void menusFollowTheactiveView()
    {
        for (int id : {CmSelectAll, CmFillSelection, CmCut, CmUndo, CmClearAll})
            QVERIFY(!Enabled(id));
        app->Command(CmFileNew);
        QTRY_VERIFY(Enabled(CmSelectAll));
        for (int id : {CmInsert, CmFillSelection, CmSetSelection, CmResizeBuffer, CmPositionCursor, CmClearAll})
            QVERIFY(Enabled(id));
        for (int id : {CmCut, CmCopy, CmDelete, CmUndo})
            QVERIFY(!Enabled(id));
        app->Command(CmSelectAll);
        OBufferView* view = activeView();
        QVERIFY(view);
        QCOMPARE(view->Model().SelEnd, 511);
        for (int id : {CmCut, CmCopy, CmDelete})
            QVERIFY(Enabled(id));
        app->Command(CmDelete);
        QVERIFY(Enabled(CmUndo));
    }

    void undoAcceleratorsStepBackThroughTypedBytes()
    {
        app->Command(CmFileNew);
        QTRY_VERIFY(activeView());
        OBufferView* view = activeView();
        QVERIFY(QTest::qWaitForWindowActive(app->MainWindow()));
        view->setFocus();
        QTest::keyClicks(view, "xy");
        OBufferDocument& doc = view->Document();
        QCOMPARE(doc.ReadByte(1), uint8_t('y'));
        QTest::keyClick(view, Qt::Key_Down);
        QTest::keyClick(view, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(doc.ReadByte(1), uint8_t(0xFF));
        QCOMPARE(view->Model().Cursor, 1);
        QTest::keyClick(view, Qt::Key_Backspace, Qt::AltModifier);
        QCOMPARE(doc.ReadByte(0), uint8_t(0xFF));
        QCOMPARE(view->Model().Cursor, 0);
        QVERIFY(!doc.IsDirty());
        QTRY_VERIFY(!Enabled(CmUndo));
    }
};

QTEST_MAIN(EditCommandsTest)
#include "edit_commands_test.moc"
