// An ELF file in the editor as a user meets it: Search > Go to symbol
// (Ctrl+Shift+G) filters the symbols as one types and selects the chosen
// one's bytes at its load address, greys what lives only in RAM, and is grey
// itself for other files; the Ranges pane names the sections; Save offers
// Intel HEX under another name instead of writing the ELF file.

#include "app/app_resources.h"
#include "app/doc_templates.h"
#include "app/program_paths.h"
#include "app/qt/main_frame.h"
#include "app/qt/range_commands.h"
#include "app/qt/shell_services.h"
#include "app/qt/tovik_app.h"
#include "document/buffer_document.h"
#include "view/qt/buffer_view.h"

#include <QAction>
#include <QFile>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cstdlib>

class GoToSymbolTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    std::unique_ptr<TTovikApp> app;

    OBufferView* ActiveView() const
    {
        QMdiSubWindow* child = app->ClientArea->activeSubWindow();
        return child ? qobject_cast<OBufferView*>(child->widget()) : nullptr;
    }

private slots:
    void symbolsRangesAndSave()
    {
        qputenv("XDG_DATA_HOME", dir.filePath("xdg").toUtf8());
        InitProgramPaths(dir.filePath("dravel").toStdString());
        SetMessageBoxHook([](QWidget*, const QString&, const QString&, int) { return int(idNo); });
        const auto write = [this](const char* name, const char* text) {
            QFile file(dir.filePath(QString::fromLatin1(name)));
            return file.open(QIODevice::WriteOnly) && file.write(text) > 0;
        };
        QVERIFY(write("plain.int", ":0100000001FE\r\n:00000001FF\r\n"));
        QVERIFY(write("fw.s", ".text\n.globl main\n.type main,@function\nmain: .fill 32,1,0x90\n.size main,32\n"
                              ".data\n.globl table\n.type table,@object\ntable: .long 1,2\n.size table,8\n.bss\n"
                              ".globl counter\n.type counter,@object\ncounter: .zero 4\n.size counter,4\n"));
        QVERIFY(write("fw.ld", "SECTIONS { .text 0x1000 : { *(.text) } .data 0x8000 : AT(0x1020) { *(.data) }"
                               " .bss 0x9000 : { *(.bss) } }\n"));
        const QByteArray build = "cd " + dir.path().toUtf8() +
                                 " && as --64 -o fw.o fw.s && ld -m elf_x86_64 -e main -T fw.ld -o fw.elf fw.o"
                                 " >/dev/null 2>&1";
        if (std::system(build.constData()) != 0)
            QSKIP("the host's assembler or linker is missing");

        app = std::make_unique<TTovikApp>();
        app->InitInstance({dir.filePath("plain.int").toStdString(), dir.filePath("fw.elf").toStdString()});
        QCoreApplication::sendPostedEvents(app.get());
        QTRY_VERIFY(ActiveView() && ActiveView()->Document().Elf());
        OBufferView* view = ActiveView();
        QAction* command = app->MainWindow()->Action(CmGoToSymbol);
        QVERIFY(command && command->isEnabled());
        app->MainWindow()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(app->MainWindow()));

        app->Ranges()->Recount();
        QCOMPARE(app->Ranges()->List()->model()->index(0, 0).data().toString(),
                 QStringLiteral(".text, .data (load address of 00008000) 00001000-00001027  40 bytes"));

        // Ctrl+Shift+G, "TAB" typed, the greyed RAM variable seen, Enter.
        QStringList seen;
        QTimer::singleShot(0, this, [&] {
            QWidget* dialog = QApplication::activeModalWidget();
            QVERIFY(dialog && dialog->objectName() == QStringLiteral("GoToSymbolDialog"));
            auto* filter = dialog->findChild<QLineEdit*>(QStringLiteral("filter"));
            auto* list = dialog->findChild<QListWidget*>(QStringLiteral("symbols"));
            QTest::keyClicks(filter, QStringLiteral("co"));
            seen << list->item(0)->text() << QString::number(int(list->item(0)->flags() & Qt::ItemIsEnabled));
            filter->clear();
            QTest::keyClicks(filter, QStringLiteral("TAB"));
            seen << QString::number(list->count()) << list->item(0)->text();
            QTest::keyClick(filter, Qt::Key_Return);
        });
        QTest::keyClick(app->MainWindow(), Qt::Key_G, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(seen, QStringList({QStringLiteral("00009000  counter  (object, 4 bytes, not loaded)"),
                                    QStringLiteral("0"), QStringLiteral("1"),
                                    QStringLiteral("00001020  table  (object, 8 bytes, runs at 00008000)")}));
        QCOMPARE(view->Model().Cursor, 0x1020);
        QCOMPARE(view->Model().SelStart, 0x1020);
        QCOMPARE(view->Model().SelEnd, 0x1027);

        // Save after an edit asks for another file, Intel HEX chosen.
        int savedType = -1;
        QString offered;
        SetFileDialogHook([&](FileDialogKind kind, const QString& name, int type) -> std::optional<FileChoice> {
            savedType = kind == FileDialogKind::Save ? type : -2;
            offered = name;
            return std::nullopt;
        });
        view->Document().WriteByte(0x55, 0x1000);
        app->Command(CmFileSave);
        SetFileDialogHook({});
        QCOMPARE(savedType, kIntelTemplate);
        QCOMPARE(offered, dir.filePath("fw.ext"));

        // Another file's view has no symbols to go to.
        app->ClientArea->activatePreviousSubWindow();
        QTRY_VERIFY(ActiveView() != view);
        QTRY_VERIFY(!command->isEnabled());
        view->Document().SetDirty(false);
        app.reset();
        SetMessageBoxHook({});
    }
};

QTEST_MAIN(GoToSymbolTest)
#include "go_to_symbol_test.moc"
