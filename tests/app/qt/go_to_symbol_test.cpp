// An ELF file in the editor as a user meets it: Search > Go to symbol
// (Ctrl+Shift+G) filters the symbols as one types and selects the chosen
// one's bytes at its load address, greys what lives only in RAM, and is grey
// itself for other files; the Ranges pane names the sections; Save offers
// Intel HEX under another name instead of writing the ELF file.

#include "app/qt/app_window_fixture.h"
#include "app/doc_templates.h"
#include "app/qt/range_commands.h"

#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QTimer>

#include <cstdlib>

class GoToSymbolTest : public AppWindowFixture {
    Q_OBJECT

private slots:
    void init() { prepare(); }
    void cleanup() { stopApp(); }

    void symbolsRangesAndSave()
    {
        writeFile("plain.int", ":0100000001FE\r\n:00000001FF\r\n");
        writeFile("fw.s", ".text\n.globl main\n.type main,@function\nmain: .fill 32,1,0x90\n.size main,32\n"
                          ".data\n.globl table\n.type table,@object\ntable: .long 1,2\n.size table,8\n.bss\n"
                          ".globl counter\n.type counter,@object\ncounter: .zero 4\n.size counter,4\n");
        writeFile("fw.ld", "SECTIONS { .text 0x1000 : { *(.text) } .data 0x8000 : AT(0x1020) { *(.data) }"
                           " .bss 0x9000 : { *(.bss) } }\n");
        const QByteArray build = "cd " + dir.path().toUtf8() +
                                 " && as --64 -o fw.o fw.s && ld -m elf_x86_64 -e main -T fw.ld -o fw.elf fw.o"
                                 " >/dev/null 2>&1";
        if (std::system(build.constData()) != 0)
            QSKIP("the host's assembler or linker is missing");

        launch({dir.filePath("plain.int").toStdString(), dir.filePath("fw.elf").toStdString()});
        QTRY_VERIFY(activeView() && activeView()->Document().Elf());
        OBufferView* view = activeView();
        QAction* command = frame()->Action(CmGoToSymbol);
        QVERIFY(command && command->isEnabled());

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
        QCOMPARE(savedType, kIntelTemplate);
        QCOMPARE(offered, dir.filePath("fw.ext"));

        // Another file's view has no symbols to go to.
        app->ClientArea->activatePreviousSubWindow();
        QTRY_VERIFY(activeView() != view);
        QTRY_VERIFY(!command->isEnabled());
        view->Document().SetDirty(false);
    }
};

QTEST_MAIN(GoToSymbolTest)
#include "go_to_symbol_test.moc"
