// The editor window as a user meets it, driven through the application's
// own event path: keys go to the main window's platform window, menus are
// opened with their Alt keys, and what the screen shows is read back from
// the window's backing store.

#include "app/qt/app_window_fixture.h"
#include "app/qt/help_window.h"
#include "dialogs/qt/basic_address_dlg.h"

#include <QLineEdit>
#include <QMenu>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

namespace {

// Counts the key presses that reach a widget.
struct KeySpy : QObject {
    QList<QKeyCombination> keys;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key != Qt::Key_Shift && key != Qt::Key_Control && key != Qt::Key_Alt)
            keys << static_cast<QKeyEvent*>(event)->keyCombination();
        return false;
    }
};

} // namespace

class EditorWindowTest : public AppWindowFixture {
    Q_OBJECT

    OBufferDocument* openBytes(const char* name)
    {
        std::string bytes;
        for (int i = 0; i < 256; ++i)
            bytes += char(i);
        return open(name, bytes);
    }

    // What the screen holds for the frame, not a fresh rendering.
    QImage screen() const
    {
        QTest::qWait(30);
        QCoreApplication::processEvents();
        return frame()->screen()->grabWindow(frame()->winId()).toImage().convertToFormat(QImage::Format_RGB32);
    }

    // Share of the pixels of `region` (in `expected`'s coordinates, which
    // start at `origin` in `shown`) that differ from `expected`.
    static double differing(const QImage& shown, QPoint origin, const QRegion& region, const QImage& expected)
    {
        long bad = 0, all = 0;
        for (const QRect& part : region)
            for (int y = part.top(); y <= part.bottom(); ++y)
                for (int x = part.left(); x <= part.right(); ++x, ++all)
                    if (shown.pixel(origin + QPoint(x, y)) != expected.pixel(x, y))
                        ++bad;
        return all ? double(bad) / double(all) : 0.0;
    }

    // Every view shows what it would paint now, and the client area around
    // the children is bare: no grey block, half row or stale fragment.
    void checkPainted(const char* step)
    {
        const QImage shown = screen();
        QRegion bare(app->ClientArea->viewport()->rect());
        for (TTovikMDIChild* child : app->Children()) {
            if (child->isMinimized())
                continue;
            bare -= child->geometry();
            // What another window covers or the client area cuts off is not
            // this view's to paint.
            QWidget* view = child->widget();
            const auto in = [view](QWidget* other) {
                return QRect(view->mapFromGlobal(other->mapToGlobal(QPoint(0, 0))), other->size());
            };
            QRegion visible = QRegion(view->rect()) & in(app->ClientArea->viewport());
            const QList<QMdiSubWindow*> stack = app->ClientArea->subWindowList(QMdiArea::StackingOrder);
            for (qsizetype i = stack.indexOf(child) + 1; i < stack.size(); ++i)
                visible -= in(stack[i]);
            const QImage fresh = view->grab().toImage().convertToFormat(QImage::Format_RGB32);
            QVERIFY2(differing(shown, view->mapTo(frame(), QPoint(0, 0)), visible, fresh) < 0.01, step);
        }
        const QColor background = app->ClientArea->background().color();
        const QPoint origin = app->ClientArea->viewport()->mapTo(frame(), QPoint(0, 0));
        long stale = 0;
        for (const QRect& part : bare)
            for (int y = part.top(); y <= part.bottom(); ++y)
                for (int x = part.left(); x <= part.right(); ++x)
                    stale += shown.pixel(origin + QPoint(x, y)) != background.rgb();
        QVERIFY2(stale == 0, step);
    }

private slots:
    void init() { startApp(true); }
    void cleanup() { stopApp(); }

    void acceleratorsAreUsedUpAndNeverReachTheView()
    {
        OBufferDocument* document = openBytes("bytes.bin");
        OBufferView* view = activeView();
        QVERIFY(view);
        view->setFocus();
        press(Qt::Key_Right);
        press(Qt::Key_Right);
        QCOMPARE(view->Model().Cursor, 2);
        KeySpy spy;
        view->installEventFilter(&spy);
        // Cut without a selection and Undo with nothing done change nothing,
        // grey or not; a Delete or Backspace would.
        for (const auto& [key, modifiers] : std::initializer_list<std::pair<Qt::Key, Qt::KeyboardModifiers>>{
                 {Qt::Key_Delete, Qt::ShiftModifier},
                 {Qt::Key_Backspace, Qt::AltModifier},
                 {Qt::Key_Z, Qt::ControlModifier},
             })
            press(key, modifiers);
        QCOMPARE(view->Model().Cursor, 2);
        QCOMPARE(int(document->ReadByte(2)), 2);
        QVERIFY(!document->IsDirty());
        // Clear All may run; the view still never sees a Delete.
        press(Qt::Key_Delete, Qt::ControlModifier);
        // Next before any search opens the Find dialog, which then has the keyboard.
        press(Qt::Key_F3);
        view->removeEventFilter(&spy);
        QCOMPARE(spy.keys.size(), 0);
        // Keys of no command still reach the view.
        document->WriteByte(0x12, 2);
        press(Qt::Key_Delete);
        QCOMPARE(int(document->ReadByte(2)), 0xFF);
    }

    void everyAcceleratorCarriesItsCommandEnabledOrNot_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<int>("id");
        for (const auto* table : {&Accelerators(), &AddedAccelerators()})
            for (const Accelerator& accelerator : *table)
                QTest::newRow(accelerator.keys.data()) << QString::fromLatin1(accelerator.keys.data()) << accelerator.id;
        // The usual keys of a Linux desktop, beside the table's.
        QTest::newRow("Ctrl+N") << "Ctrl+N" << int(CmFileNew);
        QTest::newRow("Ctrl+O") << "Ctrl+O" << int(CmFileOpen);
        QTest::newRow("Ctrl+S") << "Ctrl+S" << int(CmFileSave);
        QTest::newRow("Ctrl+Shift+S") << "Ctrl+Shift+S" << int(CmFileSaveAs);
        QTest::newRow("Ctrl+W") << "Ctrl+W" << int(CmFileClose);
        QTest::newRow("Ctrl+F4") << "Ctrl+F4" << int(CmFileClose);
        QTest::newRow("Ctrl+P") << "Ctrl+P" << int(CmFilePrint);
    }

    void everyAcceleratorCarriesItsCommandEnabledOrNot()
    {
        QFETCH(QString, keys);
        QFETCH(int, id);
        openBytes("bytes.bin");
        // Picking help for the key's command proves the key was the command.
        press(Qt::Key_F1, Qt::ShiftModifier);
        QVERIFY(app->HelpPickMode);
        const QKeyCombination combination = QKeySequence(keys)[0];
        press(combination.key(), combination.keyboardModifiers());
        QVERIFY(!app->HelpPickMode);
        QCOMPARE(app->HelpWindow()->CurrentTopic(), OHelpWindow::TopicAnchor(id));
    }

    void usualKeysCarryOutTheirCommands()
    {
        press(Qt::Key_N, Qt::ControlModifier);
        QCOMPARE(app->DocManager()->Documents().size(), size_t(1));
        press(Qt::Key_W, Qt::ControlModifier);
        QVERIFY(app->DocManager()->Documents().empty());
        press(Qt::Key_N, Qt::ControlModifier);
        press(Qt::Key_F4, Qt::ControlModifier);
        QVERIFY(app->DocManager()->Documents().empty());
    }

    void f1InAnOpenMenuShowsTheHighlightedItemsTopic()
    {
        press(Qt::Key_F, Qt::AltModifier);
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        QVERIFY(menu);
        QCOMPARE(menu, frame()->FileMenu());
        for (int i = 0; i < 5 && menu->activeAction() != frame()->Action(CmFileOpen); ++i)
            press(Qt::Key_Down);
        QCOMPARE(menu->activeAction(), frame()->Action(CmFileOpen));
        press(Qt::Key_F1);
        QCOMPARE(app->HelpWindow()->CurrentTopic(), OHelpWindow::TopicAnchor(CmFileOpen));
        QVERIFY(!QApplication::activePopupWidget());
    }

    void f1InADialogShowsTheFocusedControlsContext()
    {
        OQtDocumentHost::SetNewBufferHook({});
        QString topic;
        QString focused;
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            poll.stop();
            auto* start = dialog->findChild<QLineEdit*>(QStringLiteral("101"));
            dialog->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(dialog));
            start->setFocus();
            focused = dialog->focusWidget() ? dialog->focusWidget()->objectName() : QString();
            QTest::keyClick(dialog->windowHandle(), Qt::Key_F1);
            topic = app->HelpWindow()->CurrentTopic();
            dialog->reject();
        });
        poll.start(10);
        press(Qt::Key_F, Qt::AltModifier);
        press(Qt::Key_N);
        QCOMPARE(focused, QStringLiteral("101"));
        QCOMPARE(topic, OHelpWindow::TopicAnchor(1015));
    }

    void greyMenuItemsShowTheirHints()
    {
        press(Qt::Key_E, Qt::AltModifier);
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        QVERIFY(menu);
        QAction* cut = frame()->Action(CmCut);
        QVERIFY(!cut->isEnabled());
        QTest::mouseMove(menu, menu->actionGeometry(cut).center());
        QTRY_COMPARE(frame()->statusBar()->currentMessage(), QString::fromLatin1(CommandHint(CmCut).data()));
        QAction* clear = frame()->Action(CmClearAll);
        QTest::mouseMove(menu, menu->actionGeometry(clear).center());
        QTRY_COMPARE(frame()->statusBar()->currentMessage(), QString::fromLatin1(CommandHint(CmClearAll).data()));
        press(Qt::Key_Escape);
        press(Qt::Key_Escape);
    }

    void bufferMenuStaysWhileTheMainWindowIsInactive()
    {
        press(Qt::Key_N, Qt::ControlModifier);
        QTRY_VERIFY(menuTitles().contains(QStringLiteral("&Buffer")));
        QWidget other;
        other.resize(200, 100);
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        QTest::qWait(400);
        QVERIFY(menuTitles().contains(QStringLiteral("&Buffer")));
        QVERIFY(frame()->Action(CmFileSaveAs)->isEnabled());
    }

    void menuItemsShowTheResourceTextsOnly()
    {
        // A menu adds an action's own key after a tab; the resource texts
        // name the keys they mean themselves, and "&Find..." none.
        for (QAction* popup : frame()->menuBar()->actions())
            for (QAction* action : popup->menu()->actions())
                QVERIFY2(action->shortcuts().isEmpty(), qPrintable(action->text()));
        QCOMPARE(frame()->Action(CmFind)->text(), QStringLiteral("&Find..."));
    }

    void tileCascadeMaximiseAndRestoreLeaveEveryViewPainted_data()
    {
        QTest::addColumn<int>("documents");
        QTest::newRow("two") << 2;
        QTest::newRow("three") << 3;
    }

    void tileCascadeMaximiseAndRestoreLeaveEveryViewPainted()
    {
        QFETCH(int, documents);
        for (int i = 0; i < documents; ++i)
            app->Command(CmFileNew);
        QCOMPARE(app->Children().size(), size_t(documents));
        checkPainted("opened");
        app->Command(CmTile);
        checkPainted("tile");
        app->Command(CmCascade);
        checkPainted("cascade");
        app->Command(CmTile);
        checkPainted("tile again");
        QMdiSubWindow* active = app->ClientArea->currentSubWindow();
        active->showMaximized();
        checkPainted("maximised");
        active->showNormal();
        checkPainted("restored");
        frame()->resize(frame()->width() - 60, frame()->height() - 40);
        checkPainted("frame resized");
        app->Command(CmCascade);
        checkPainted("cascade again");
    }

    void newDocumentsAreNamedApartAndShowTheirChanges()
    {
        press(Qt::Key_N, Qt::ControlModifier);
        press(Qt::Key_N, Qt::ControlModifier);
        std::vector<TTovikMDIChild*> children = app->Children();
        QCOMPARE(children.size(), size_t(2));
        QCOMPARE(children[0]->windowTitle(), QStringLiteral("Untitled"));
        QCOMPARE(children[1]->windowTitle(), QStringLiteral("Untitled 2"));
        // A typed digit marks the active document changed; a save clears it.
        activeView()->setFocus();
        press(Qt::Key_4);
        QTRY_COMPARE(children[1]->windowTitle(), QStringLiteral("Untitled 2 *"));
        QCOMPARE(children[0]->windowTitle(), QStringLiteral("Untitled"));
        nextChoice = FileChoice{dir.filePath("saved.s3f"), 0};
        press(Qt::Key_S, Qt::ControlModifier);
        QTRY_COMPARE(children[1]->windowTitle(), QStringLiteral("saved.s3f"));
    }

    void mainWindowOpensLargeAndComesBackWhereItWasLeft()
    {
        const QRect free = frame()->screen()->availableGeometry();
        QVERIFY(frame()->width() >= free.width() * 3 / 4 && frame()->width() <= free.width());
        QVERIFY(frame()->height() >= free.height() * 3 / 4 && frame()->height() <= free.height());
        // A new document window shows all three columns.
        press(Qt::Key_N, Qt::ControlModifier);
        QVERIFY(activeView()->width() >= activeView()->sizeHint().width());

        const QRect place(free.x() + 30, free.y() + 40, free.width() / 2, free.height() / 2);
        frame()->setGeometry(place);
        QVERIFY(frame()->close());
        app.reset();
        launch();
        QCOMPARE(frame()->geometry(), place);
        QVERIFY(!frame()->isMaximized());

        frame()->showMaximized();
        QTRY_VERIFY(frame()->isMaximized());
        QVERIFY(frame()->close());
        app.reset();
        launch();
        QVERIFY(frame()->isMaximized());
    }

    void cascadeAndTileKeepTheColumnsReadable()
    {
        for (int i = 0; i < 3; ++i)
            press(Qt::Key_N, Qt::ControlModifier);
        for (int command : {int(CmTile), int(CmCascade)}) {
            app->Command(command);
            for (TTovikMDIChild* child : app->Children()) {
                QVERIFY(child->widget()->width() >= child->widget()->sizeHint().width());
                QVERIFY(app->ClientArea->viewport()->rect().contains(child->geometry()));
            }
        }
    }

    void shiftClickExtendsTheSelection()
    {
        openBytes("bytes.bin");
        OBufferView* view = activeView();
        const OViewModel& model = view->Model();
        const auto point = [&](int32_t address) {
            return QPoint(model.AsciiX + (address % 16) * model.CharW + model.CharW / 2,
                          model.RowY(address / 16) + model.RowHeight / 2);
        };
        QTest::mouseClick(view, Qt::LeftButton, {}, point(0x05));
        QTest::mouseClick(view, Qt::LeftButton, Qt::ShiftModifier, point(0x22));
        QCOMPARE(model.SelStart, 0x05);
        QCOMPARE(model.SelEnd, 0x22);
    }

    void greyToolbarButtonsLookGrey()
    {
        const auto ink = [](const QPixmap& pixmap) {
            const QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
            double sum = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x) {
                    const QRgb p = image.pixel(x, y);
                    sum += qAlpha(p) * (255 - qGray(p)) / 255.0;
                }
            return sum;
        };
        const QIcon icon = frame()->Action(CmCut)->icon();
        const double normal = ink(icon.pixmap(QSize(24, 24), QIcon::Normal));
        const double grey = ink(icon.pixmap(QSize(24, 24), QIcon::Disabled));
        QVERIFY(normal > 0);
        QVERIFY2(grey < normal / 3, qPrintable(QStringLiteral("%1 of %2").arg(grey).arg(normal)));
    }

    void helpWindowOpensInsideTheScreen()
    {
        const QRect free = frame()->screen()->availableGeometry();
        frame()->setGeometry(free.right() - 300, free.bottom() - 200, 280, 180);
        press(Qt::Key_F1);
        OHelpWindow* help = app->HelpWindow();
        QVERIFY(help->isVisible());
        QVERIFY2(free.contains(help->geometry()), qPrintable(QStringLiteral("%1,%2 %3x%4").arg(help->x()).arg(help->y()).arg(help->width()).arg(help->height())));
    }
};

QTEST_MAIN(EditorWindowTest)
#include "editor_window_test.moc"
