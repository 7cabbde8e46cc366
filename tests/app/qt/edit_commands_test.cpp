// The Edit and Buffer menus as the main window offers them: greyed and
// enabled with the active view's state, run on the active view, and Undo
// reached through its accelerators.

#include "app/app_resources.h"
#include "app/program_paths.h"
#include "app/qt/doc_manager.h"
#include "app/qt/qt_document_host.h"
#include "app/qt/shell_services.h"
#include "app/qt/tovik_app.h"
#include "document/buffer_document.h"
#include "view/qt/buffer_view.h"

#include <QAction>
#include <QTemporaryDir>
#include <QTest>

class EditCommandsTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    std::unique_ptr<TTovikApp> app;

    bool Enabled(int id) const { return app->MainWindow()->Action(id)->isEnabled(); }
    OBufferView* ActiveView() const
    {
        QMdiSubWindow* child = app->ClientArea->activeSubWindow();
        return child ? qobject_cast<OBufferView*>(child->widget()) : nullptr;
    }

private slots:
    void init()
    {
        qputenv("XDG_DATA_HOME", dir.filePath("xdg").toUtf8());
        qputenv("XDG_CONFIG_HOME", dir.filePath("config").toUtf8());
        InitProgramPaths(dir.filePath("dravel").toStdString());
        SetMessageBoxHook([](QWidget*, const QString&, const QString&, int) { return int(idNo); });
        OQtDocumentHost::SetNewBufferHook([](AddressRequest&) { return false; });
        app = std::make_unique<TTovikApp>();
        app->InitInstance({});
    }
    void cleanup()
    {
        app.reset();
        SetMessageBoxHook({});
        OQtDocumentHost::SetNewBufferHook({});
    }

    void menusFollowTheActiveView()
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
        OBufferView* view = ActiveView();
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
        QTRY_VERIFY(ActiveView());
        OBufferView* view = ActiveView();
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
