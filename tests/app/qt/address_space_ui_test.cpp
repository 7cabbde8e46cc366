// The editor's two questions of the 32-bit address space, asked through the
// application: the load offset of "Ask for offset" when a file opens, and
// the confirmation before a binary file of more than 16 MiB is written.

#include "app/app_resources.h"
#include "app/doc_templates.h"
#include "app/program_paths.h"
#include "app/qt/doc_manager.h"
#include "app/qt/qt_document_host.h"
#include "app/qt/shell_services.h"
#include "app/qt/tovik_app.h"
#include "document/buffer_document.h"

#include <QApplication>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <filesystem>
#include <fstream>

class AddressSpaceUiTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    std::unique_ptr<TTovikApp> app;
    QStringList questions;
    int answer = idNo;
    std::optional<FileChoice> nextChoice;

    std::string file(const char* name, const char* contents)
    {
        const std::string path = dir.filePath(name).toStdString();
        std::ofstream(path) << contents;
        return path;
    }

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
        QVERIFY(dir.isValid());
        qputenv("XDG_DATA_HOME", dir.filePath("xdg").toUtf8());
        // Settings beside the program, in the scratch folder.
        std::ofstream(dir.filePath("dravel.ini").toStdString()) << "[Settings]\n";
        InitProgramPaths(dir.filePath("dravel").toStdString());
        questions.clear();
        SetMessageBoxHook([this](QWidget*, const QString& text, const QString&, int) {
            questions << text;
            return answer;
        });
        SetFileDialogHook([this](FileDialogKind, const QString&, int) { return nextChoice; });
        app = std::make_unique<TTovikApp>();
        app->InitInstance({});
    }
    void cleanup()
    {
        app.reset();
        SetMessageBoxHook({});
        SetFileDialogHook({});
    }

    void openAsksForTheLoadOffsetOnlyWhenTheSettingsSaySo()
    {
        const std::string stm32 = file("stm32.int", ":020000040800F2\n:0400000001020304F2\n:00000001FF\n");
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
        QVERIFY(questions.isEmpty());
    }

    void aBinaryOver16MiBIsWrittenOnlyWhenConfirmed()
    {
        // One byte at 0x01000000: the binary image runs from 0 through it.
        const std::string high = file("high.int", ":020000040100F9\n:01000000AA55\n:00000001FF\n");
        app->DropFiles({QString::fromStdString(high)});
        int binary = 0;
        while (std::string(kDocTemplates[binary].defaultExtension) != "bin")
            ++binary;
        const std::string target = dir.filePath("high.bin").toStdString();
        nextChoice = FileChoice{QString::fromStdString(target), binary};
        answer = idNo;
        app->Command(CmFileSaveAs);
        QCOMPARE(questions, QStringList{QStringLiteral(
                                "The binary file will hold 16777217 bytes (from 00000000 to 01000000). Save it?")});
        QVERIFY(!std::filesystem::exists(target));
        answer = idYes;
        app->Command(CmFileSaveAs);
        QVERIFY(std::filesystem::exists(target));
    }
};

QTEST_MAIN(AddressSpaceUiTest)
#include "address_space_ui_test.moc"
