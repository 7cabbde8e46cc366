// Compare mode as a user meets it: started from the Window menu, F8 and
// Shift+F8 moving both windows, the marks on screen and the status bar, the
// marks following an edit, and the ways out.

#include "app/qt/app_window_fixture.h"
#include "app/qt/compare_commands.h"

#include <QLabel>
#include <QPainter>
#include <QStatusBar>

class CompareWindowTest : public AppWindowFixture {
    Q_OBJECT

    std::string chosen;   // the file Window › Compare with... picks

    QString status() const
    {
        auto* label = frame()->statusBar()->findChild<QLabel*>(QStringLiteral("CompareStatus"));
        return label ? label->text() : QString();
    }
    // Window › Compare with..., through the menu's keys.
    void compareCommand()
    {
        activate();
        press(Qt::Key_W, Qt::AltModifier);
        press(Qt::Key_M);
        // The menu and the file's please-wait window had the keyboard; the
        // desktop hands it back to the main window.
        activate();
    }
    // Whether byte `address`'s hex cell is painted marked: a good part of
    // its pixels (those the bold digits leave) have the marks' colour.
    static bool marked(OBufferView* view, int32_t address)
    {
        QImage image(view->size(), QImage::Format_RGB32);
        QPainter painter(&image);
        view->Render(painter, view->rect(), false);
        const OViewModel& m = view->Model();
        const QRect cell(m.HexX + 3 * (address % 16) * m.CharW, m.RowY(address / 16), 2 * m.CharW, m.RowHeight);
        int tinted = 0;
        for (int y = cell.top(); y <= cell.bottom(); ++y)
            for (int x = cell.left(); x <= cell.right(); ++x)
                tinted += image.pixel(x, y) == QColor(OViewPainter::kMarkedCell).rgb();
        return tinted > cell.width() * cell.height() / 3;
    }

private slots:
    void init()
    {
        answer = idOk;
        prepare();
        TCompareCommands::SetChooser([this](const std::vector<OBufferDocument*>&, TCompareCommands::Choice& c) {
            c.path = chosen;
            return true;
        });
        launch();
    }
    void cleanup()
    {
        stopApp();
        TCompareCommands::SetChooser({});
    }

    void nextAndPreviousDifferenceMoveBothAndMarksFollowEdits()
    {
        std::string a(256, '\0'), b;
        for (int i = 0; i < 256; ++i)
            a[size_t(i)] = char(i);
        b = a;
        for (int i = 0x20; i < 0x25; ++i)
            b[size_t(i)] = '\x55';
        b[0x80] = 'a';
        open("a.bin", a);
        chosen = writeFile("b.bin", b);
        compareCommand();
        TCompareCommands& compare = *app->Compare();
        QVERIFY(compare.Active());
        OBufferView* viewA = compare.ViewA();
        OBufferView* viewB = compare.ViewB();
        QVERIFY(viewA && viewB);
        QCOMPARE(app->Children().size(), size_t(2));
        // Side by side, the same height.
        const QRect placeA = viewA->parentWidget()->geometry(), placeB = viewB->parentWidget()->geometry();
        QVERIFY(placeA.right() < placeB.left());
        QCOMPARE(placeA.top(), placeB.top());
        QTRY_COMPARE(status(), QStringLiteral("2 differences, 6 bytes"));

        QVERIFY(marked(viewA, 0x21));
        QVERIFY(marked(viewB, 0x80));
        QVERIFY(!marked(viewA, 0x25));

        press(Qt::Key_F8);
        QCOMPARE(viewA->Model().Cursor, 0x20);
        QCOMPARE(viewB->Model().Cursor, 0x20);
        QCOMPARE(status(), QStringLiteral("difference 1 of 2, 5 bytes at 00000020"));
        press(Qt::Key_F8);
        QCOMPARE(viewB->Model().Cursor, 0x80);
        QCOMPARE(viewA->Model().TopRow, viewB->Model().TopRow);
        QCOMPARE(status(), QStringLiteral("difference 2 of 2, 1 bytes at 00000080"));
        press(Qt::Key_F8);
        QCOMPARE(status(), QString::fromLatin1(TCompareCommands::kNoneAfterText));
        press(Qt::Key_F8, Qt::ShiftModifier);
        QCOMPARE(viewA->Model().Cursor, 0x20);
        QCOMPARE(status(), QStringLiteral("difference 1 of 2, 5 bytes at 00000020"));

        // Typing B's byte into A at 0x80 ends that difference.
        press(Qt::Key_F8);
        app->ClientArea->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(viewA->parentWidget()));
        viewA->setFocus();
        QCOMPARE(viewA->Model().Cursor, 0x80);
        press(Qt::Key_A);
        QCOMPARE(int(viewA->Document().ReadByte(0x80)), int('a'));
        QTRY_COMPARE(status(), QStringLiteral("1 differences, 5 bytes"));
        QVERIFY(!marked(viewB, 0x80));

        // The command again leaves compare mode and takes the marks away.
        compareCommand();
        QVERIFY(!compare.Active());
        QVERIFY(!viewA->Painter().Marks() && !viewB->Painter().Marks());
        QVERIFY(status().isEmpty());
    }

    void closingEitherWindowOrAFailedLoadLeavesNothingHalf()
    {
        open("a.bin", "abc");
        chosen = dir.filePath("missing.bin").toStdString();
        compareCommand();
        QVERIFY(!app->Compare()->Active());
        QCOMPARE(app->Children().size(), size_t(1));
        QCOMPARE(messages.size(), 1);
        QVERIFY(messages[0].contains(QStringLiteral("missing.bin")));

        chosen = writeFile("b.bin", "abd");
        compareCommand();
        QVERIFY(app->Compare()->Active());
        OBufferView* viewA = app->Compare()->ViewA();
        app->Children().back()->close();
        QVERIFY(!app->Compare()->Active());
        QVERIFY(!viewA->Painter().Marks());
        QCOMPARE(app->MainWindow()->statusBar()->currentMessage(), QString::fromLatin1(TCompareCommands::kEndedText));
        // Both sides empty of differences say so at once.
        chosen = writeFile("c.bin", "abc");
        app->ClientArea->setActiveSubWindow(app->Children().front());
        compareCommand();
        QTRY_COMPARE(status(), QString::fromLatin1(TCompareCommands::kEqualText));
    }
};

QTEST_MAIN(CompareWindowTest)
#include "compare_window_test.moc"
