// Lanes, swaps, overlays and device sizes as a user meets them: the menus
// are opened with their Alt keys and the dialogs answered where they open.

#include "app/qt/app_window_fixture.h"
#include "app/qt/lane_commands.h"
#include "app/qt/mdi_windows.h"
#include "dialogs/device_sizes.h"
#include "dialogs/qt/basic_address_dlg.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <functional>

class LanesWindowTest : public AppWindowFixture {
    Q_OBJECT

    // Runs `reply` on the next modal dialog that opens, while the keys
    // `menu` then `item` open it through the menu bar.
    void throughMenu(Qt::Key menu, Qt::Key item, const std::function<void(QDialog*)>& reply)
    {
        bool answered = false;
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!dialog || answered)
                return;
            answered = true;
            poll.stop();
            reply(dialog);
        });
        poll.start(10);
        activate();
        press(menu, Qt::AltModifier);
        press(item);
        QVERIFY(answered);
    }

    static void ok(QDialog* dialog)
    {
        if (auto* buttons = dialog->findChild<QDialogButtonBox*>())
            buttons->button(QDialogButtonBox::Ok)->click();
        else
            dialog->findChild<QPushButton*>(QStringLiteral("1"))->click();
    }

    std::vector<uint8_t> window(OBufferDocument& doc) const
    {
        std::vector<uint8_t> bytes;
        for (int32_t a = doc.Start(); a < doc.End(); ++a)
            bytes.push_back(doc.ReadByte(a));
        return bytes;
    }

private slots:
    void init()
    {
        answer = idYes;
        startApp();
    }
    void cleanup() { stopApp(); }

    void newFromADeviceSwapSplitMergeAndInsertOver()
    {
        // File New: the 2764 fills in the last address of 8 KiB from the start.
        throughMenu(Qt::Key_F, Qt::Key_N, [](QDialog* dialog) {
            auto* devices = dialog->findChild<QComboBox*>(QString::number(DeviceSizeBox));
            QVERIFY(devices);
            dialog->findChild<QLineEdit*>(QStringLiteral("101"))->setText(QStringLiteral("100"));
            const int index = devices->findText(QStringLiteral("2764 (8 KiB)"));
            devices->setCurrentIndex(index);
            emit devices->activated(index);
            QCOMPARE(dialog->findChild<QLineEdit*>(QStringLiteral("102"))->text(), QStringLiteral("20ff"));
            ok(dialog);
        });
        OBufferDocument* doc = app->DocManager()->Documents().back();
        QCOMPARE(doc->Start(), 0x100);
        QCOMPARE(doc->End(), 0x2100);
        const std::vector<uint8_t> bytes{0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16};
        doc->WriteBlock(bytes.data(), 0x100, int32_t(bytes.size()));

        // Buffer › Swap bytes over the whole window, 32 bit; Undo takes it back.
        throughMenu(Qt::Key_B, Qt::Key_W, [](QDialog* dialog) {
            QVERIFY(!dialog->findChild<QRadioButton*>(QStringLiteral("selection"))->isEnabled());
            dialog->findChild<QRadioButton*>(QStringLiteral("bits32"))->setChecked(true);
            ok(dialog);
        });
        QCOMPARE(doc->ReadByte(0x100), uint8_t(0x13));
        QCOMPARE(doc->ReadByte(0x104), uint8_t(0xFF));
        QCOMPARE(doc->ReadByte(0x107), uint8_t(0x14));
        activate();
        press(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(doc->ReadByte(0x100), uint8_t(0x10));

        // File › Split into two lanes, named before they are written; a
        // second split asks before replacing them.
        const QString rom = dir.filePath(QStringLiteral("rom.s3f"));
        for (int round = 0; round < 2; ++round) {
            throughMenu(Qt::Key_F, Qt::Key_L, [&](QDialog* dialog) {
                dialog->findChild<QComboBox*>(QStringLiteral("type"))->setCurrentIndex(0);
                dialog->findChild<QLineEdit*>(QStringLiteral("output"))->setText(rom);
                QCOMPARE(dialog->findChild<QLabel*>(QStringLiteral("names"))->text(),
                         dir.filePath("rom.even.s3f") + "\n" + dir.filePath("rom.odd.s3f"));
                ok(dialog);
            });
        }
        QCOMPARE(messages.size(), 3);
        QVERIFY(messages[0].contains(QStringLiteral("The lanes were written:\n") + dir.filePath("rom.even.s3f")));
        QVERIFY(messages[1].contains(QStringLiteral("Replace them?")));
        QVERIFY(QFile::exists(dir.filePath("rom.odd.s3f")));

        // File › Merge lanes from one lane's name: a new untitled document.
        const size_t before = app->DocManager()->Documents().size();
        throughMenu(Qt::Key_F, Qt::Key_M, [&](QDialog* dialog) {
            auto* lane1 = dialog->findChild<QLineEdit*>(QStringLiteral("lane1"));
            lane1->setText(dir.filePath("rom.odd.s3f"));
            emit lane1->editingFinished();
            QCOMPARE(dialog->findChild<QLineEdit*>(QStringLiteral("lane0"))->text(), dir.filePath("rom.even.s3f"));
            ok(dialog);
        });
        QCOMPARE(app->DocManager()->Documents().size(), before + 1);
        OBufferDocument* merged = app->DocManager()->Documents().back();
        QCOMPARE(merged->Start(), 0x100);
        QCOMPARE(window(*merged), window(*doc));
        QVERIFY(merged->IsDirty());

        // File › Insert over written bytes asks; Keep keeps them.
        {
            std::ofstream boot(dir.filePath("boot.bin").toStdString(), std::ios::binary);
            boot << std::string("\xB0\xB1\xB2\xB3", 4);
        }
        nextChoice = FileChoice{dir.filePath("boot.bin"), 2};
        activeView()->Model().Cursor = 0x105;
        QString asked;
        throughMenu(Qt::Key_F, Qt::Key_I, [&](QDialog* dialog) {
            auto* box = qobject_cast<QMessageBox*>(dialog);
            QVERIFY(box);
            asked = box->text();
            box->findChild<QPushButton*>(QStringLiteral("keep"))->click();
        });
        QVERIFY(asked.contains(QStringLiteral("00000105-00000106")));
        QCOMPARE(window(*merged).size(), size_t(0x2000));
        QCOMPARE(merged->ReadByte(0x105), uint8_t(0x15));
        QCOMPARE(merged->ReadByte(0x107), uint8_t(0xB2));
        QCOMPARE(merged->ReadByte(0x108), uint8_t(0xB3));
    }
};

QTEST_MAIN(LanesWindowTest)
#include "lanes_window_test.moc"
