// Buffer › Checksum as the user meets it: the dialog opened from the menu,
// the result following the fields, Copy, a wrong range refused with the
// dialog left open, and OK writing the result as one change Undo takes back.

#include "app/qt/app_window_fixture.h"
#include "dialogs/qt/checksum_dlg.h"
#include "settings/profile.h"

#include <QLabel>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <functional>

class ChecksumWindowTest : public AppWindowFixture {
    Q_OBJECT

    QStringList inputMessages;

    template <class W> static W* child(QDialog* dialog, const char* name)
    {
        return dialog->findChild<W*>(QString::fromLatin1(name));
    }
    // Opens Buffer › Checksum with the keys and hands the dialog to `use`
    // while it runs.
    void withDialog(const std::function<void(OChecksumDlg*)>& use)
    {
        bool seen = false;
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            auto* dialog = qobject_cast<OChecksumDlg*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            poll.stop();
            seen = true;
            use(dialog);
            if (dialog->isVisible())
                dialog->reject();
        });
        poll.start(10);
        activate();
        press(Qt::Key_B, Qt::AltModifier);
        QVERIFY(qobject_cast<QMenu*>(QApplication::activePopupWidget()));
        press(Qt::Key_C);
        QVERIFY(seen);
    }

private slots:
    void init()
    {
        prepare();
        OProfile(IniFilePath).WriteInt("Settings", "undo", 1);
        SetInputMessageHandler([this](QWidget*, const QString& text, const QString&) { inputMessages << text; });
        OQtDocumentHost::SetNewBufferHook([](AddressRequest&) { return false; });
        launch();
        app->OpenPendingFiles({writeFile("nine.bin", "123456789")});
    }
    void cleanup()
    {
        stopApp();
        SetInputMessageHandler({});
        inputMessages.clear();
    }

    void okWritesTheResultAsOneUndoableChange()
    {
        OBufferDocument* document = app->DocManager()->Documents().back();
        activate();
        press(Qt::Key_A, Qt::ControlModifier);   // select all: the nine bytes
        withDialog([&](OChecksumDlg* dialog) {
            QCOMPARE(child<QComboBox>(dialog, "algorithm")->currentText(), QStringLiteral("crc32"));
            child<QRadioButton>(dialog, "selection")->setChecked(true);
            QCOMPARE(dialog->ResultText(), QStringLiteral("cbf43926 hex   3421780262 dec"));
            QTest::mouseClick(child<QPushButton>(dialog, "copy"), Qt::LeftButton);
            QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("cbf43926"));

            // A range running backwards is said where the result stands, and
            // OK says it again and keeps the dialog open.
            child<QRadioButton>(dialog, "addresses")->setChecked(true);
            child<QLineEdit>(dialog, "first")->setText(QStringLiteral("8"));
            child<QLineEdit>(dialog, "last")->setText(QStringLiteral("0"));
            const QString reversed =
                QStringLiteral("the range 00000008-00000000 is reversed: its first address is above its last");
            QCOMPARE(dialog->ResultText(), reversed);
            dialog->accept();
            QCOMPARE(inputMessages, QStringList{reversed});
            QVERIFY(dialog->isVisible());

            child<QComboBox>(dialog, "algorithm")->setCurrentText(QStringLiteral("crc16/xmodem"));
            child<QLineEdit>(dialog, "first")->setText(QStringLiteral("0"));
            child<QLineEdit>(dialog, "last")->setText(QStringLiteral("8"));
            child<QCheckBox>(dialog, "write")->setChecked(true);
            child<QLineEdit>(dialog, "writeAt")->setText(QStringLiteral("7"));
            QCOMPARE(dialog->NoticeText(), QString::fromLatin1(kWrittenInsideRangeText));
            child<QLineEdit>(dialog, "writeAt")->setText(QStringLiteral("9"));
            QCOMPARE(dialog->NoticeText(), QString());
            child<QComboBox>(dialog, "byteOrder")->setCurrentIndex(1);
            QCOMPARE(dialog->ResultText(), QStringLiteral("31c3 hex   12739 dec"));
            dialog->accept();
            QVERIFY(!dialog->isVisible());
        });
        QCOMPARE(document->End(), 11);
        QCOMPARE(int(document->ReadByte(9)), 0x31);
        QCOMPARE(int(document->ReadByte(10)), 0xC3);
        QCOMPARE(OProfile(IniFilePath).GetString("Checksum", "algorithm"), std::string("crc16/xmodem"));

        // The choices come back with the next opening, but for the write
        // tick; the greyed box shows the algorithm's own parameters.
        withDialog([&](OChecksumDlg* dialog) {
            QCOMPARE(child<QComboBox>(dialog, "algorithm")->currentText(), QStringLiteral("crc16/xmodem"));
            QVERIFY(!child<QCheckBox>(dialog, "write")->isChecked());
            QCOMPARE(child<QLineEdit>(dialog, "poly")->text(), QStringLiteral("1021"));
            QVERIFY(child<QLabel>(dialog, "extent")->text().endsWith(QStringLiteral(" written, gaps count as FF)")));
            QCOMPARE(child<QLineEdit>(dialog, "writeAt")->text(), QStringLiteral("9"));
        });

        // One write, which widened the window: Undo until the file is as read.
        activate();
        for (int i = 0; i < 3 && document->CanUndo(); ++i)
            press(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(document->End(), 9);
        QCOMPARE(int(document->ReadByte(8)), int('9'));
        QVERIFY(!document->IsDirty());
    }

    void customCrcAndItsProblems()
    {
        withDialog([&](OChecksumDlg* dialog) {
            child<QComboBox>(dialog, "algorithm")->setCurrentText(QString::fromUtf8(kCustomChecksumText));
            child<QRadioButton>(dialog, "window")->setChecked(true);
            child<QComboBox>(dialog, "width")->setCurrentText(QStringLiteral("16"));
            child<QLineEdit>(dialog, "poly")->setText(QStringLiteral("1021"));
            child<QLineEdit>(dialog, "init")->setText(QStringLiteral("ffff"));
            child<QLineEdit>(dialog, "xorout")->setText(QStringLiteral("0"));
            child<QCheckBox>(dialog, "refin")->setChecked(false);
            child<QCheckBox>(dialog, "refout")->setChecked(false);
            QCOMPARE(dialog->ResultText(), QStringLiteral("29b1 hex   10673 dec"));
            child<QLineEdit>(dialog, "init")->setText(QStringLiteral("10000"));
            QCOMPARE(dialog->ResultText(), QStringLiteral("init 0x00010000 does not fit in 16 bits"));
            child<QComboBox>(dialog, "width")->setCurrentText(QStringLiteral("32"));
            QCOMPARE(dialog->ResultText().left(8), QStringLiteral("6186dfb5"));
            child<QCheckBox>(dialog, "write")->setChecked(true);
            child<QLineEdit>(dialog, "writeAt")->setText(QStringLiteral("fffffffe"));
            QVERIFY(dialog->ResultText().startsWith(QStringLiteral("the result would end past address")));
        });
    }
};

QTEST_MAIN(ChecksumWindowTest)
#include "checksum_window_test.moc"
