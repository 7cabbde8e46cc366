// Redo, Replace all, the value inspector and Overlay file as a user meets
// them: keys go to the main window and menus open with their Alt keys.

#include "app/qt/app_window_fixture.h"
#include "app/qt/find_commands.h"
#include "app/qt/inspector_commands.h"
#include "app/qt/mdi_windows.h"

#include <QDockWidget>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTableWidget>
#include <QTimer>

class EverydayEditTest : public AppWindowFixture {
    Q_OBJECT

    // A new 512-byte document, active, with the keys at the main window.
    OBufferDocument& newDocument()
    {
        app->Command(CmFileNew);
        [&] { QTRY_VERIFY(activeView()); }();
        activate();
        return activeView()->Document();
    }

private slots:
    void init() { startApp(true); }
    void cleanup() { stopApp(); }

    void redoTakesBackUndoUntilTheNextEdit()
    {
        OBufferDocument& doc = newDocument();
        for (char c : {'a', 'b'})
            QTest::keyClick(frame()->windowHandle(), c);
        QCOMPARE(doc.ReadByte(1), uint8_t('b'));
        QVERIFY(!frame()->Action(CmRedo)->isEnabled());
        press(Qt::Key_Z, Qt::ControlModifier);
        press(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(doc.ReadByte(0), uint8_t(0xFF));
        QTRY_VERIFY(frame()->Action(CmRedo)->isEnabled());
        press(Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(doc.ReadByte(0), uint8_t('a'));
        QCOMPARE(activeView()->Model().Cursor, 0);
        press(Qt::Key_E, Qt::AltModifier);
        press(Qt::Key_R);
        QCOMPARE(doc.ReadByte(1), uint8_t('b'));
        QTRY_VERIFY(!frame()->Action(CmRedo)->isEnabled());
        // A new edit ends the redo list.
        press(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        press(Qt::Key_Z, Qt::ControlModifier);
        QTest::keyClick(frame()->windowHandle(), 'c');
        press(Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(doc.ReadByte(2), uint8_t(0xFF));
    }

    void replaceAllIsOneStepWithItsCount()
    {
        OBufferDocument& doc = newDocument();
        for (Address a : {0x10, 0x20, 0x1F0})
            doc.WriteBlock(reinterpret_cast<const uint8_t*>("AB"), a, 2);
        press(Qt::Key_S, Qt::AltModifier);
        press(Qt::Key_R);
        OReplaceDialog* dialog = app->ClientArea->Find().ReplaceDialog();
        QVERIFY(dialog && dialog->isVisible());
        dialog->findChild<QRadioButton*>(QStringLiteral("hex"))->setChecked(true);
        dialog->findChild<QLineEdit*>(QStringLiteral("findText"))->setText(QStringLiteral("4142"));
        // A replacement of another length is refused and changes nothing.
        dialog->findChild<QLineEdit*>(QStringLiteral("replaceText"))->setText(QStringLiteral("00"));
        dialog->findChild<QPushButton*>(QStringLiteral("replaceAll"))->click();
        QTRY_VERIFY(messages.value(0).contains(QStringLiteral("2 bytes, not 1")));
        QCOMPARE(doc.ReadByte(0x10), uint8_t('A'));
        dialog->findChild<QLineEdit*>(QStringLiteral("replaceText"))->setText(QStringLiteral("0102"));
        dialog->findChild<QPushButton*>(QStringLiteral("replaceAll"))->click();
        QTRY_COMPARE(doc.ReadByte(0x1F1), uint8_t(2));
        QCOMPARE(doc.ReadByte(0x10), uint8_t(1));
        QCOMPARE(frame()->statusBar()->currentMessage(), QStringLiteral("3 matches replaced"));
        activate();
        press(Qt::Key_Z, Qt::ControlModifier);
        for (Address a : {0x10, 0x20, 0x1F0})
            QCOMPARE(doc.ReadByte(a), uint8_t('A'));
    }

    void inspectorWritesATypedValueAsOneStep()
    {
        OBufferDocument& doc = newDocument();
        press(Qt::Key_W, Qt::AltModifier);
        press(Qt::Key_U);
        QTableWidget* table = app->Inspector()->Table();
        QTRY_VERIFY(table->isVisible());
        QCOMPARE(table->item(1, 1)->text(), QStringLiteral("255"));
        int row = 0;
        while (table->item(row, 0)->text() != QStringLiteral("Unsigned 16 BE"))
            ++row;
        // The pane follows the cursor: one byte before the end, no 16-bit value.
        press(Qt::Key_End, Qt::ControlModifier);
        press(Qt::Key_Left);
        QCOMPARE(activeView()->Model().Cursor, 0x1FF);
        QCOMPARE(table->item(row, 1)->text(), QStringLiteral("--"));
        press(Qt::Key_Left);
        QCOMPARE(table->item(row, 1)->text(), QStringLiteral("65535"));
        const auto type = [&](int at, const char* text) {
            table->setCurrentCell(at, 1);
            table->editItem(table->item(at, 1));
            auto* editor = table->viewport()->findChild<QLineEdit*>();
            QVERIFY(editor);
            editor->selectAll();
            QTest::keyClicks(editor, QString::fromLatin1(text));
            QTest::keyClick(editor, Qt::Key_Return);
            // The table commits the edit once the key's handling is over.
            QTRY_VERIFY(!table->viewport()->findChild<QLineEdit*>() ||
                        !table->viewport()->findChild<QLineEdit*>()->isVisible());
        };
        type(row, "4660");
        QCOMPARE(doc.ReadByte(0x1FE), uint8_t(0x12));
        QCOMPARE(doc.ReadByte(0x1FF), uint8_t(0x34));
        type(row, "70000");
        QVERIFY(messages.value(0).contains(QStringLiteral("too large")));
        QTRY_COMPARE(table->item(row, 1)->text(), QStringLiteral("4660"));
        activeView()->setFocus();
        press(Qt::Key_Right);
        type(row, "1");
        QVERIFY(messages.value(1).contains(QStringLiteral("needs 2 bytes")));
        QCOMPARE(doc.Size(), 512);
        doc.Undo();
        QCOMPARE(doc.ReadByte(0x1FE), uint8_t(0xFF));
        QCOMPARE(doc.ReadByte(0x1FF), uint8_t(0xFF));
    }

    void overlayLaysAFileAtItsOwnAddresses()
    {
        OBufferDocument& doc = newDocument();
        doc.WriteByte(0x11, 0x101);
        activeView()->Model().Cursor = 0x80;
        // Bytes at 0x100..0x102, one of them on a written byte: Insert's question.
        std::ofstream(dir.filePath("boot.int").toStdString()) << ":03010000A0A1A219\r\n:00000001FF\r\n";
        nextChoice = FileChoice{dir.filePath("boot.int"), 1};
        bool asked = false;
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            QWidget* box = QApplication::activeModalWidget();
            if (!box || asked)
                return;
            asked = true;
            box->findChild<QPushButton*>(QStringLiteral("keep"))->click();
        });
        poll.start(10);
        press(Qt::Key_F, Qt::AltModifier);
        press(Qt::Key_Y);
        QVERIFY(asked);
        QCOMPARE(doc.ReadByte(0x100), uint8_t(0xA0));
        QCOMPARE(doc.ReadByte(0x101), uint8_t(0x11));
        QCOMPARE(doc.ReadByte(0x102), uint8_t(0xA2));
        QCOMPARE(doc.ReadByte(0x80), uint8_t(0xFF));
        doc.Undo();
        QCOMPARE(doc.ReadByte(0x100), uint8_t(0xFF));
    }
};

QTEST_MAIN(EverydayEditTest)
#include "everyday_edit_test.moc"
