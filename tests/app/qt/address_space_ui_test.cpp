// The editor's two questions of the 32-bit address space, asked through the
// application: the load offset of "Ask for offset" when a file opens, and
// the confirmation before a binary file of more than 16 MiB is written.

#include "app/qt/app_window_fixture.h"
#include "app/doc_templates.h"

#include <QLineEdit>
#include <QTimer>

#include <filesystem>

class AddressSpaceUiTest : public AppWindowFixture {
    Q_OBJECT

    // Types `text` into the dialog that comes up next and confirms it; the
    // caption it had goes to `caption`.
    void answerNextDialog(const QString& text, QString* caption)
    {
        QTimer::singleShot(0, this, [text, caption] {
            QWidget* dialog = QApplication::activeModalWidget();
            if (!dialog)
                return;
            *caption = dialog->windowTitle();
            auto* edit = dialog->findChild<QLineEdit*>();
            edit->selectAll();
            QTest::keyClicks(edit, text);
            QTest::keyClick(edit, Qt::Key_Return);
        });
    }

private slots:
    void init()
    {
        prepare();
        // Settings beside the program, in the scratch folder.
        std::ofstream(dir.filePath("dravel.ini").toStdString()) << "[Settings]\n";
        launch();
    }
    void cleanup() { stopApp(); }

    void openAsksForTheLoadOffsetOnlyWhenTheSettingsSaySo()
    {
        const std::string stm32 = writeFile("stm32.int", ":020000040800F2\n:0400000001020304F2\n:00000001FF\n");
        app->DropFiles({QString::fromStdString(stm32)});
        QCOMPARE(app->DocManager()->Documents().back()->Start(), Address{0x08000000});

        std::ofstream(IniFilePath) << "[Settings]\nask offset=1\n";
        QString caption;
        answerNextDialog(QStringLiteral("-8000000"), &caption);
        app->DropFiles({QString::fromStdString(stm32)});
        QCOMPARE(caption, QStringLiteral("Load offset"));
        OBufferDocument* moved = app->DocManager()->Documents().back();
        QCOMPARE(moved->Start(), Address{0});
        QCOMPARE(moved->ReadByte(3), uint8_t(4));
        QVERIFY(messages.isEmpty());
    }

    void aBinaryOver16MiBIsWrittenOnlyWhenConfirmed()
    {
        // One byte at 0x01000000: the binary image runs from 0 through it.
        const std::string high = writeFile("high.int", ":020000040100F9\n:01000000AA55\n:00000001FF\n");
        app->DropFiles({QString::fromStdString(high)});
        int binary = 0;
        while (std::string(kDocTemplates[binary].defaultExtension) != "bin")
            ++binary;
        const std::string target = dir.filePath("high.bin").toStdString();
        nextChoice = FileChoice{QString::fromStdString(target), binary};
        answer = idNo;
        app->Command(CmFileSaveAs);
        QCOMPARE(texts(), QStringList{QStringLiteral(
                                "The binary file will hold 16777217 bytes (from 00000000 to 01000000). Save it?")});
        QVERIFY(!std::filesystem::exists(target));
        answer = idYes;
        app->Command(CmFileSaveAs);
        QVERIFY(std::filesystem::exists(target));
    }
};

QTEST_MAIN(AddressSpaceUiTest)
#include "address_space_ui_test.moc"
