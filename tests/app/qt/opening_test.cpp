// Every route by which files open: command line, startup file, drops,
// recent files, File New and Save As; the closing questions and the
// catch-all around the run.

#include "app/qt/app_window_fixture.h"
#include "app/doc_templates.h"
#include "app/file_association.h"
#include "settings/profile.h"
#include "app/qt/guarded_run.h"
#include "app/qt/help_window.h"

#include <QMenu>
#include <QSet>

#include <filesystem>
#include <sys/stat.h>
#include <stdexcept>

namespace {

const char* const IntelBytes = ":0400100001020304E2\n:00000001FF\n";

} // namespace

class OpeningTest : public AppWindowFixture {
    Q_OBJECT

    std::string file(const char* name, const char* contents = IntelBytes) { return writeFile(name, contents); }

    std::vector<std::string> paths()
    {
        std::vector<std::string> list;
        for (OBufferDocument* document : app->DocManager()->Documents())
            list.push_back(document->Path());
        return list;
    }

private slots:
    void init()
    {
        QVERIFY(dir.isValid());
        QDir(dir.path()).removeRecursively();
        QDir().mkpath(dir.path());
        answer = idOk;
        prepare();
        QDir().mkpath(dir.filePath("config/dravel"));
        OQtDocumentHost::SetNewBufferHook([](AddressRequest&) { return false; });
    }
    void cleanup() { stopApp(); }

    void commandLineFilesOpenAfterTheFrameAndRegister()
    {
        const std::string a = file("a.hex");
        file("b.hex");
        OProfile(IniFilePath).WriteString("Settings", "open file", file("startup.int"));
        launch({"-x", a, "=" + dir.filePath("B.HEX").toStdString()});
        QCOMPARE(paths(), (std::vector<std::string>{a, dir.filePath("b.hex").toStdString()}));
        QVERIFY(app->PendingFiles.empty());
        QVERIFY(std::filesystem::exists(AssociationMimePackage(AssociationDataHome())));
    }

    void unregisterStopsReadingAndRemovesTheAssociation()
    {
        launch();
        app.reset();
        QVERIFY(std::filesystem::exists(AssociationMimePackage(AssociationDataHome())));
        const std::string a = file("a.hex");
        const std::string b = file("b.hex");
        launch({a, "-unregister", b});
        QCOMPARE(paths(), std::vector<std::string>{a});
        QVERIFY(!std::filesystem::exists(AssociationMimePackage(AssociationDataHome())));
    }

    void startupFileWithoutExtensionOpensUnderAllFiles()
    {
        const std::string bare = file("bare", "\x01\x02\x03");
        OProfile(IniFilePath).WriteString("Settings", "open file", bare);
        launch({"-u"});
        QCOMPARE(paths(), std::vector<std::string>{bare});
        QCOMPARE(app->DocManager()->Documents()[0]->FormatKey(), std::string(""));
        QCOMPARE(app->DocManager()->Documents()[0]->Size(), 3);
    }

    // Pipes by the names of the startup file, the settings file and the
    // font file: a plain open() would wait for a writer before the window
    // shows. The window comes up, the startup pipe opens as an empty file,
    // and settings that cannot be saved say so once.
    void pipesNeverBlockTheWindow()
    {
        const std::string pipe = dir.filePath("startup.pipe").toStdString();
        QCOMPARE(::mkfifo(pipe.c_str(), 0600), 0);
        OProfile(IniFilePath).WriteString("Settings", "open file", pipe);
        launch({"-u"});
        QCOMPARE(paths(), std::vector<std::string>{pipe});
        QVERIFY(messages.isEmpty());
        app.reset();

        QFile::remove(QString::fromStdString(IniFilePath));
        QCOMPARE(::mkfifo(IniFilePath.c_str(), 0600), 0);
        QCOMPARE(::mkfifo(FontFilePath.c_str(), 0600), 0);
        launch({"-u"});
        QVERIFY(app->MainWindow()->isVisible());
        // Each opened file enters the recent files: two writes, one word.
        const std::string a = file("a.int");
        const std::string b = file("b.int");
        app->DropFiles({QString::fromStdString(a), QString::fromStdString(b)});
        QCOMPARE(paths().size(), size_t(2));
        QCOMPARE(messages.size(), 1);
        QCOMPARE(texts()[0],
                 QString::fromStdString("Cannot save settings to " + IniFilePath + ": not a regular file"));
        QVERIFY(std::filesystem::is_fifo(IniFilePath));
    }

    void oddCommandLineAndMissingFilesLeaveAUsableProgram()
    {
        QFile ini(QString::fromStdString(IniFilePath));
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("\x00\xff[Settings\nopen file\n=====\n[MRU]\nCount=-7\n", 40);
        ini.close();
        launch({"-", "--", "=", "", "-zz", "missing one.s3f", dir.path().toStdString()});
        // The bare "-" unregisters and ends the line; nothing opens, nothing crashes.
        QVERIFY(paths().empty());
        launch({"-zz", "missing one.s3f"});
        QVERIFY(paths().empty());
        QCOMPARE(messages.size(), 1);
        QVERIFY(texts()[0].contains(QStringLiteral("missing one.s3f")));
        app->Command(CmFileNew);
        QCOMPARE(paths().size(), size_t(1));
    }

    void droppedFilesOpenInOrderEvenTwiceAndFoldersAreReported()
    {
        launch({"-u"});
        const std::string a = file("a.int");
        const std::string b = file("b.s3f", "S1070000010203F2\nS9030000FC\n");
        app->DropFiles({QString::fromStdString(b), QString::fromStdString(a), QString::fromStdString(b)});
        QCOMPARE(paths(), (std::vector<std::string>{b, a, b}));
        QCOMPARE(app->Children().size(), size_t(3));
        // Each new window steps away from the one before and stays inside the client area.
        const QRect area = app->ClientArea->viewport()->rect();
        QSet<int> lefts;
        for (TTovikMDIChild* child : app->Children()) {
            QVERIFY(area.contains(child->geometry()));
            lefts.insert(child->x());
        }
        QCOMPARE(lefts.size(), 3);
        forget();
        app->DropFiles({dir.path()});
        QCOMPARE(paths().size(), size_t(3));
        QCOMPARE(messages.size(), 1);
        QVERIFY(texts()[0].contains(dir.path()));
        QVERIFY(texts()[0].contains(QStringLiteral("Is a directory")));
    }

    void recentFilesListNewestFirstAndRefuseASecondCopy()
    {
        launch({"-u"});
        const std::string a = file("a.int");
        const std::string b = file("b.hex");
        app->DropFiles({QString::fromStdString(a), QString::fromStdString(b)});
        QCOMPARE(app->RecentFiles().Entries(), (std::vector<std::string>{b, a}));
        QList<QString> items;
        for (QAction* action : app->MainWindow()->FileMenu()->actions())
            items << action->text();
        QVERIFY(items.contains(QStringLiteral("&1 ") + QString::fromStdString(b)));
        QVERIFY(items.indexOf(QStringLiteral("&2 ") + QString::fromStdString(a)) < items.indexOf("E&xit\tAlt+F4"));

        app->Command(FirstRecentFileId + 1);
        QCOMPARE(paths().size(), size_t(2));
        QCOMPARE(messages.size(), 1);
        QCOMPARE(texts()[0], QStringLiteral("Document already loaded."));
        QVERIFY(messages[0].startsWith(QStringLiteral("a.int|")));

        // An entry whose file is gone reports it and opens nothing.
        app->Command(CmCloseChildren);
        QVERIFY(paths().empty());
        QFile::remove(QString::fromStdString(a));
        forget();
        app->Command(FirstRecentFileId + 1);
        QVERIFY(paths().empty());
        QCOMPARE(messages.size(), 1);
        app->Command(FirstRecentFileId);
        QCOMPARE(paths(), std::vector<std::string>{b});
    }

    void saveAsAnotherTypeSwitchesTheFormat()
    {
        launch({"-u"});
        const std::string a = file("a.int");
        app->DropFiles({QString::fromStdString(a)});
        const std::string target = dir.filePath("out.s3f").toStdString();
        nextChoice = FileChoice{QString::fromStdString(target), 0};
        app->Command(CmFileSaveAs);
        OBufferDocument* document = app->DocManager()->Documents()[0];
        QCOMPARE(document->Path(), target);
        QCOMPARE(document->FormatKey(), std::string("s3f"));
        std::ifstream in(target);
        std::string first;
        std::getline(in, first);
        QCOMPARE(first.substr(0, 2), std::string("S3"));
        QCOMPARE(app->RecentFiles().Entries()[0], target);
        QCOMPARE(app->Children()[0]->windowTitle(), QStringLiteral("out.s3f"));
    }

    void saveAsNeverKeepsAPatternInTheName()
    {
        launch({"-u"});
        app->DropFiles({QString::fromStdString(file("a.int"))});
        nextChoice = FileChoice{dir.filePath("out.s?f"), 0};
        app->Command(CmFileSaveAs);
        const std::string target = dir.filePath("out.s3f").toStdString();
        QCOMPARE(app->DocManager()->Documents()[0]->Path(), target);
        QVERIFY(std::filesystem::exists(target));
        QVERIFY(!std::filesystem::exists(dir.filePath("out.s?f").toStdString()));
    }

    void exportWritesTheTypeChosenAndKeepsTheDocumentAsItWas()
    {
        launch({"-u"});
        const std::string a = file("a.int");
        app->DropFiles({QString::fromStdString(a)});
        OBufferDocument* document = app->DocManager()->Documents()[0];
        document->WriteByte(0x55, 0x10);
        const int vmem = TemplateForKey("vmem");
        const std::string target = dir.filePath("a.vmem").toStdString();
        nextChoice = FileChoice{QString::fromStdString(target), vmem};
        app->Command(CmFileExport);
        std::ifstream in(target);
        std::string first;
        std::getline(in, first);
        QCOMPARE(first, std::string("@00000010"));
        QCOMPARE(document->Path(), a);
        QCOMPARE(document->FormatKey(), std::string("ext"));
        QVERIFY(document->IsDirty());
        QCOMPARE(app->Children()[0]->windowTitle().left(5), QStringLiteral("a.int"));
        // The next export starts with the type chosen, in its own dialog.
        nextChoice.reset();
        app->Command(CmFileExport);
        QVERIFY(dialogs.last().first == FileDialogKind::Export);
        QCOMPARE(dialogs.last().second, vmem);
    }

    void closingAsksForChangedDocumentsOnly()
    {
        launch({"-u"});
        app->DropFiles({QString::fromStdString(file("a.int")), QString::fromStdString(file("b.int"))});
        app->DocManager()->Documents()[1]->WriteByte(0x55, 0x10);
        answers << idCancel;
        QVERIFY(!app->MainWindow()->close());
        QCOMPARE(messages.size(), 1);
        QCOMPARE(texts()[0], QStringLiteral("The document has been changed.\n\n%1\n\nDo you want to save the changes?")
                                       .arg(QString::fromStdString(file("b.int"))));
        QVERIFY(messages[0].startsWith(QStringLiteral("b.int|")));
        QCOMPARE(styles[0], int(mbIconQuestion | mbYesNoCancel));
        answers << idNo;
        QVERIFY(app->MainWindow()->close());
        QCOMPARE(messages.size(), 2);
    }

    void closeAllAsksEachDocumentOnceAndCancelKeepsEveryWindow()
    {
        launch({"-u"});
        app->DropFiles({QString::fromStdString(file("a.int")), QString::fromStdString(file("b.int")),
                        QString::fromStdString(file("c.int"))});
        app->DocManager()->Documents()[0]->WriteByte(0x55, 0x10);
        app->DocManager()->Documents()[2]->WriteByte(0x55, 0x10);
        answers << idCancel;
        app->Command(CmCloseChildren);
        QCOMPARE(messages.size(), 1);
        QCOMPARE(app->Children().size(), size_t(3));
        QCOMPARE(paths().size(), size_t(3));
        answers << idNo << idNo;
        app->Command(CmCloseChildren);
        QCOMPARE(messages.size(), 3);
        QVERIFY(app->Children().empty());
        QVERIFY(paths().empty());
    }

    void savingANewDocumentWhileClosingRemembersIt()
    {
        launch({"-u"});
        app->Command(CmFileNew);
        app->DocManager()->Documents()[0]->WriteByte(0x12, 0);
        const std::string target = dir.filePath("kept & named.s3f").toStdString();
        nextChoice = FileChoice{QString::fromStdString(target), 0};
        answers << idYes;
        app->Command(CmFileClose);
        QVERIFY(app->DocManager()->Documents().empty());
        QVERIFY(QFile::exists(QString::fromStdString(target)));
        QCOMPARE(app->RecentFiles().Entries(), std::vector<std::string>{target});
        bool listed = false;
        for (QAction* action : app->MainWindow()->FileMenu()->actions())
            listed = listed || action->text() == QStringLiteral("&1 ") + dir.filePath("kept && named.s3f");
        QVERIFY(listed);
    }

    void pickModeClickInAViewShowsTheViewsHelp()
    {
        QFile::copy(QStringLiteral(DRAVEL_SOURCE_DIR "/resources/Dravel.hlp"),
                    QString::fromStdString(HelpFilePath));
        launch({"-u"});
        app->DropFiles({QString::fromStdString(file("a.int"))});
        QWidget* view = app->Children()[0]->View();
        QTest::keyClick(app->MainWindow(), Qt::Key_F1, Qt::ShiftModifier);
        QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(view->width() / 2, view->height() / 2));
        QVERIFY(!app->HelpPickMode);
        QCOMPARE(app->HelpWindow()->CurrentTopic(), QStringLiteral("topic2010"));
    }

    void chooseFileToOpenKeepsTheNameOnCancel()
    {
        std::string name = "start.hex";
        QVERIFY(!ChooseFileToOpen(nullptr, name));
        QCOMPARE(name, std::string("start.hex"));
        nextChoice = FileChoice{dir.filePath("picked.int"), 1};
        QVERIFY(ChooseFileToOpen(nullptr, name));
        QCOMPARE(name, dir.filePath("picked.int").toStdString());
        QCOMPARE(LastFileType(), 1);
        QCOMPARE(QDir::currentPath(), QDir(dir.path()).canonicalPath());
    }

    void openTakesSeveralFilesAndFirmwareFilesGoByTheirNames()
    {
        launch();
        const std::string s19 = file("boot.s19", "S1070010010203045A\nS9030000FC\n");
        const std::string hex = file("app.hex", IntelBytes);
        int offered = -1;
        SetFileDialogHook([&](FileDialogKind, const QString&, int initial) {
            offered = initial;
            return nextChoice;
        });
        nextChoice = FileChoice{QString::fromStdString(s19), kFirmwareFilesType, {QString::fromStdString(hex)}};
        app->Command(CmFileOpen);
        QCOMPARE(paths(), (std::vector<std::string>{s19, hex}));
        // Each took the template its name matches; a type of its own decides
        // whatever the name, and the type chosen comes first next time.
        QCOMPARE(app->DocManager()->Documents()[1]->FormatKey(), std::string("hex"));
        nextChoice = FileChoice{QString::fromStdString(hex), 1, {}};
        app->Command(CmFileOpen);
        QCOMPARE(offered, kFirmwareFilesType);
        QCOMPARE(app->DocManager()->Documents().back()->FormatKey(), std::string("ext"));
    }

    void catchAllReportsAndGivesMinusOne()
    {
        QCOMPARE(RunGuarded([] { return 0; }), 0);
        const int result = RunGuarded([]() -> int { throw std::bad_alloc(); });
        QCOMPARE(result, -1);
        QCOMPARE(messages.size(), 1);
        QCOMPARE(texts()[0], QStringLiteral("An exeption occured. \r\nyou probably ran out of memory"));
        QVERIFY(messages[0].startsWith(QStringLiteral("Unexpected error|")));
        QCOMPARE(styles[0], int(mbIconStop));
    }
};

QTEST_MAIN(OpeningTest)
#include "opening_test.moc"
