// What a new user meets in the first hour, driven through the main window
// as the user drives it: keys to the platform window, menus opened by their
// keys. One test per group: saving, the document that takes the keys,
// dialogs, and the preview and window furniture.

#include "app/qt/app_window_fixture.h"
#include "app/qt/find_commands.h"
#include "dialogs/address_dialog_ids.h"
#include "dialogs/qt/find_dialog.h"
#include "print/qt/preview_win.h"
#include "settings/font_record.h"
#include "settings/profile.h"
#include "view/hex_layout.h"
#include "view/qt/memory_view.h"
#include "view/qt/view_font.h"

#include <QClipboard>
#include <QFontDatabase>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScopeGuard>
#include <QScrollBar>
#include <QTimer>

#include <functional>
#include <sstream>

namespace {

std::string readFile(const QString& path)
{
    std::ifstream in(path.toStdString(), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void writePath(const QString& path, const std::string& text)
{
    std::ofstream(path.toStdString(), std::ios::binary) << text;
}

} // namespace

class FirstHourTest : public AppWindowFixture {
    Q_OBJECT

    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = {})
    {
        // A save or load showed its please-wait window; the main window takes
        // the keys again, as the desktop hands them back.
        if (QApplication::activeWindow() != frame())
            activate();
        QTest::keyClick(frame()->windowHandle(), key, modifiers);
    }

    // Opens the menu by its Alt key and chooses the item by its mnemonic.
    void menu(Qt::Key title, Qt::Key item)
    {
        press(title, Qt::AltModifier);
        QTRY_VERIFY(QApplication::activePopupWidget());
        QTest::keyClick(QApplication::activePopupWidget(), item);
    }

    // Runs `step` on the next modal dialog once it shows.
    void whenModal(std::function<void(QDialog*)> step)
    {
        auto* poll = new QTimer(this);
        connect(poll, &QTimer::timeout, this, [poll, step] {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()); dialog && dialog->isVisible()) {
                poll->deleteLater();
                poll->stop();
                step(dialog);
            }
        });
        poll->start(10);
    }

    // Runs `step` on the next top-level window named `name` once it shows.
    void whenShown(const QString& name, std::function<void(QWidget*)> step)
    {
        auto* poll = new QTimer(this);
        connect(poll, &QTimer::timeout, this, [poll, name, step] {
            for (QWidget* window : QApplication::topLevelWidgets())
                if (window->objectName() == name && window->isVisible()) {
                    poll->deleteLater();
                    poll->stop();
                    step(window);
                    return;
                }
        });
        poll->start(10);
    }

private slots:
    void init()
    {
        answer = idOk;
        startApp(true);
    }
    void cleanup()
    {
        stopApp();
        TApxPreviewWin::SetPageQuestion({});
    }

    void savesAskBeforeTheyChangeWhatTheFileIs()
    {
        // Intel HEX in a .hex file: the file type writes a plain hex image.
        const std::string intel = ":0412340001020304AC\r\n:00000001FF\r\n";
        OBufferDocument* hex = open("fw.hex", intel);
        QCOMPARE(hex->Start(), 0x1234);
        activeView()->Model().AsciiMode = true;
        type("A");
        answers = {idCancel};
        press(Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(messages.size(), 1);
        QCOMPARE(texts()[0], QStringLiteral("fw.hex was read as Intel HEX. Save it as Intel HEX, or as plain "
                                                  "hex image (the file type it was opened with)?"));
        QCOMPARE(styles[0], mbIconQuestion | mbYesNoCancel);
        QCOMPARE(readFile(dir.filePath("fw.hex")), intel);  // Cancel writes nothing
        answers = {idYes};
        press(Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(messages.size(), 2);
        const std::string kept = readFile(dir.filePath("fw.hex"));
        QVERIFY2(kept.rfind(":0412340041020304", 0) == 0, kept.c_str());
        // Asked once: the answer holds for the document.
        type("B");
        QCOMPARE(int(hex->ReadByte(0x1235)), int('B'));
        QTRY_VERIFY(frame()->Action(CmFileSave)->isEnabled());
        press(Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(messages.size(), 2);
        const std::string again = readFile(dir.filePath("fw.hex"));
        QVERIFY2(again.rfind(":0412340041420304", 0) == 0, again.c_str());

        // The other answer converts, also on the way out of the close question.
        forget();
        OBufferDocument* other = open("s.int", "S107000041424344EE\r\nS9030000FC\r\n");
        QCOMPARE(int(other->ReadByte(0)), 0x41);
        type("Z");
        answers = {idYes, idNo};
        press(Qt::Key_W, Qt::ControlModifier);
        QCOMPARE(messages.size(), 2);
        QVERIFY(texts()[1].startsWith("s.int was read as Motorola S-records. Save it as Motorola S-records, "
                                            "or as Intel HEX"));
        QCOMPARE(readFile(dir.filePath("s.int")).substr(0, 1), std::string(":"));
        QCOMPARE(app->DocManager()->Documents().size(), size_t(1));

        // A file read only up to an error: Save over it asks, No by default.
        forget();
        const std::string broken = ":0400000001020304F2\r\n:04000400QQ\r\n";
        OBufferDocument* cut = open("cut.int", broken);
        // Bad digits on line 2: the load reports them and stops there.
        QCOMPARE(messages.size(), 2);
        QCOMPARE(texts()[0], QStringLiteral("Read Error"));
        type("A");
        answers = {idNo};
        press(Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(messages.size(), 3);
        QCOMPARE(texts()[2], QStringLiteral("cut.int was not read completely (Read Error at line 2: bad hex digit "
                                            "'Q'). Saving replaces it with the 4 bytes that were read. Save anyway?"));
        QCOMPARE(styles[2], mbIconQuestion | mbYesNo);
        QCOMPARE(readFile(dir.filePath("cut.int")), broken);
        QVERIFY(cut->IsDirty());
        // Save As another name does not ask, and the file it came from stays.
        SetFileDialogHook([this](FileDialogKind, const QString&, int) {
            return std::optional<FileChoice>(FileChoice{dir.filePath("whole.int"), 1});
        });
        QVERIFY(app->DocManager()->SaveAs(*cut));
        SetFileDialogHook({});
        QVERIFY(QFile::exists(dir.filePath("whole.int")));
        QCOMPARE(messages.size(), 3);
        QCOMPARE(readFile(dir.filePath("cut.int")), broken);
    }

    void theDocumentTheUserSeesTakesTheKeys()
    {
        OBufferDocument* first = open("first.bin", std::string(64, '\0'));
        OBufferDocument* second = open("second.bin", std::string(64, '\0'));
        QMdiSubWindow* firstWindow = app->ClientArea->subWindowList().front();

        // The Window menu lists both, numbered, the active one checked.
        press(Qt::Key_W, Qt::AltModifier);
        auto* windowMenu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        QVERIFY(windowMenu);
        QStringList entries;
        for (QAction* action : windowMenu->actions())
            if (action->isCheckable() && action->property("windowListEntry").toBool())
                entries << action->text() + (action->isChecked() ? "*" : "");
        QCOMPARE(entries, QStringList({"&1 first.bin", "&2 second.bin*"}));
        QTest::keyClick(windowMenu, Qt::Key_1);
        QCOMPARE(activeView()->Document().Path(), first->Path());

        // Ctrl+F6 and Ctrl+Shift+F6 cycle.
        press(Qt::Key_F6, Qt::ControlModifier);
        QCOMPARE(&activeView()->Document(), second);
        press(Qt::Key_F6, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(&activeView()->Document(), first);

        // Preview and back: the keys still go to the previewed document, every time.
        for (int round = 0; round < 2; ++round) {
            whenShown(QStringLiteral("Preview"), [](QWidget* preview) {
                const auto done = qScopeGuard([preview] { preview->close(); });
                preview->activateWindow();
                QVERIFY(QTest::qWaitForWindowActive(preview));
                QTest::keyClick(preview->windowHandle(), Qt::Key_Escape);
            });
            menu(Qt::Key_F, Qt::Key_V);
            QTRY_VERIFY(frame()->isVisible());
            QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(frame()));
            QCOMPARE(app->ClientArea->activeSubWindow(), firstWindow);
            activeView()->Model().AsciiMode = true;
            type("A");
        }
        QCOMPARE(int(first->ReadByte(0)), 'A');
        QCOMPARE(int(first->ReadByte(1)), 'A');
        QVERIFY(!second->IsDirty());

        // Another instance changed the recent files: the menu shows the file
        // list as it is now and its entry opens the file it shows.
        const QString third = dir.filePath("third.bin");
        writePath(third, std::string(16, '\x11'));
        {
            OProfile ini(IniFilePath);
            ini.WriteInt("MRU", "Count", 2);
            ini.WriteString("MRU", "MRU0", third.toStdString());
            ini.WriteString("MRU", "MRU1", second->Path());
        }
        press(Qt::Key_F, Qt::AltModifier);
        auto* fileMenu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        QVERIFY(fileMenu);
        QStringList recent;
        for (QAction* action : fileMenu->actions())
            if (action->text().startsWith(QLatin1String("&1 ")) || action->text().startsWith(QLatin1String("&2 ")))
                recent << action->text();
        QCOMPARE(recent, QStringList({"&1 " + third, "&2 " + QString::fromStdString(second->Path())}));
        QTest::keyClick(fileMenu, Qt::Key_1);
        QCOMPARE(activeView()->Document().Path(), third.toStdString());

        // A file that is open already: the message, then its window in front.
        menu(Qt::Key_F, Qt::Key_2);
        QCOMPARE(texts().last(), QStringLiteral("Document already loaded."));
        QCOMPARE(&activeView()->Document(), second);
    }

    void dialogsSayWhatTheyMean()
    {
        std::string bytes = "Hello, Hello";
        bytes.resize(64, '\0');
        OBufferDocument* document = open("hello.bin", bytes);
        OBufferView* view = activeView();

        // Find counts the hit at the cursor right after opening, selects it,
        // and F3 moves on.
        press(Qt::Key_F, Qt::ControlModifier);
        OFindDialog* find = app->ClientArea->Find().Dialog();
        QVERIFY(find && find->isVisible());
        find->findChild<QRadioButton*>(QString::number(FindDialogIds::Ascii))->click();
        find->findChild<QLineEdit*>(QString::number(FindDialogIds::Text))->setText(QStringLiteral("Hello"));
        find->findChild<QPushButton*>(QString::number(FindDialogIds::FindNext))->click();
        QTRY_COMPARE(view->Model().SelEnd, 4);
        QCOMPARE(view->Model().SelStart, 0);
        QVERIFY(messages.isEmpty());
        // The dialog stands clear of the hit.
        QTRY_VERIFY(!find->frameGeometry().intersects(view->CursorRowOnScreen()));
        activate();
        press(Qt::Key_F3);
        QCOMPARE(view->Model().Cursor, 7);
        find->close();

        // Fill selection starts on the selection; one value meaning at a
        // time; a size is checked by the range it gives.
        document->Resize(0x1234, 0x1234 + 63);
        view->Model().Cursor = 0x1234;
        view->Model().SetSelection(0x1240, 0x1247);
        bool seen = false;
        whenModal([&](QDialog* dialog) {
            seen = true;
            const auto edit = [dialog](int id) { return dialog->findChild<QLineEdit*>(QString::number(id)); };
            QCOMPARE(edit(AddressDialogIds::FirstEdit)->text(), QStringLiteral("1240"));
            QCOMPARE(edit(AddressDialogIds::SecondEdit)->text(), QStringLiteral("1247"));
            auto* isAddress = dialog->findChild<QRadioButton*>(QString::number(AddressDialogIds::ValueIsAddress));
            auto* isSize = dialog->findChild<QRadioButton*>(QString::number(AddressDialogIds::ValueIsSize));
            isSize->click();
            QVERIFY(isSize->isChecked() && !isAddress->isChecked());
            QTest::keyClick(isSize, Qt::Key_Up);
            QVERIFY(isSize->isChecked() != isAddress->isChecked());
            isSize->setChecked(true);
            edit(AddressDialogIds::FirstEdit)->setText(QStringLiteral("1234"));
            edit(AddressDialogIds::SecondEdit)->setText(QStringLiteral("10"));
            edit(AddressDialogIds::FillEdit)->setText(QStringLiteral("0"));
            dialog->findChild<QPushButton*>(QString::number(AddressDialogIds::Ok))->click();
        });
        activate();
        menu(Qt::Key_B, Qt::Key_F);
        QVERIFY(seen);
        QVERIFY(messages.isEmpty());
        QCOMPARE(int(document->ReadByte(0x1234)), 0);
        QCOMPARE(int(document->ReadByte(0x1234 + 15)), 0);
        QCOMPARE(int(document->ReadByte(0x1234 + 16)), 0xFF);

        // A caption that carries the meaning fits its box.
        QMessageBox box(QMessageBox::Warning, QStringLiteral("Value too large"), QStringLiteral("x"),
                        QMessageBox::Ok);
        FitCaption(box);
        QFont bold = box.font();
        bold.setBold(true);
        QVERIFY(box.sizeHint().width() >= QFontMetrics(bold).horizontalAdvance(box.windowTitle()) + 100);

        // Another font reaches open views with all sixteen bytes a row.
        frame()->resize(1200, 900);
        app->ClientArea->activeSubWindow()->showMaximized();
        OFontRecord record = OFontRecord::Load(FontFilePath);
        record.faceName = "DejaVu Sans Mono";
        record.height = -16;
        record.weight = 400;
        record.italic = 0;
        record.Save(FontFilePath);
        // The font chooser starts on the record's upright style, not the family's oblique one.
        const QFont start = WithRecordStyle(MakeViewFont(record));
        QVERIFY(start.styleName().isEmpty() || !QFontDatabase::italic(start.family(), start.styleName()));
        const int oldCharW = view->Model().CharW;
        QCoreApplication::postEvent(app.get(), new QEvent(SettingsChangedEvent));
        QTRY_VERIFY(view->Model().CharW != oldCharW);
        const OViewModel& model = view->Model();
        QVERIFY(hexlayout::HexFit(model.HexX, model.AsciiX, model.CharW) >= hexlayout::kHexCells);
    }

    void previewAndWindowShowWhatTheyHold()
    {
        open("long.bin", std::string(16 * 2000, 'x'));
        // The File menu shows the desktop keys beside its items.
        QCOMPARE(frame()->Action(CmFileSave)->text(), QStringLiteral("&Save\tCtrl+S"));
        QCOMPARE(frame()->Action(CmFileOpen)->text(), QStringLiteral("&Open...\tCtrl+O"));
        QCOMPARE(frame()->Action(CmFileClose)->text(), QStringLiteral("&Close\tCtrl+W"));
        QCOMPARE(frame()->Action(CmExit)->text(), QStringLiteral("E&xit\tAlt+F4"));

        // The information panel holds both its lines in a large font.
        OBufferView* view = activeView();
        QVERIFY(view->Panel());
        QFont big = view->Panel()->font();
        big.setPixelSize(30);
        view->Panel()->setFont(big);
        view->resize(view->width(), view->height() + 1);
        QTRY_VERIFY(view->Panel()->height() >= 2 * view->Panel()->fontMetrics().height() + 8);

        // Copy as hex text and Paste hex text, through the Edit menu's keys.
        view->Model().SetSelection(0, 3);
        QTest::qWait(300);  // the commands' states follow within a quarter second
        press(Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("78 78 78 78"));
        QApplication::clipboard()->setText(QStringLiteral("0xDE, 0xAD"));
        view->Model().ClearSelection();
        view->Model().Cursor = 16;
        QTest::qWait(300);
        press(Qt::Key_V, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(int(view->Document().ReadByte(16)), 0xDE);
        QCOMPARE(int(view->Document().ReadByte(17)), 0xAD);
        QApplication::clipboard()->setText(QStringLiteral("not hex"));
        press(Qt::Key_V, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(texts().last(), QStringLiteral("Not hex text"));

        // Two pages fit the preview; zoom and Go to page.
        bool checked = false;
        TApxPreviewWin::SetPageQuestion([](QWidget*, int, int last) { return std::optional<int>(last - 1); });
        whenShown(QStringLiteral("Preview"), [&](QWidget* window) {
            auto* preview = qobject_cast<TApxPreviewWin*>(window);
            // Whatever fails below, the preview closes and the test goes on.
            const auto done = qScopeGuard([preview] { preview->close(); });
            preview->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(preview));
            preview->resize(900, 600);
            preview->Command(CmPreviewTwoPages);
            auto* scroller = preview->findChild<QScrollArea*>();
            QCoreApplication::processEvents();
            QVERIFY(preview->SecondPage());
            QVERIFY(preview->SecondPage()->geometry().right() < scroller->viewport()->width());
            QVERIFY(preview->FirstPage()->geometry().bottom() < scroller->viewport()->height());
            QTest::keyClick(preview->windowHandle(), Qt::Key_G, Qt::ControlModifier);
            const int last = preview->Pages().ToPage();
            QCOMPARE(preview->PageText(), QStringLiteral("Page %1 - %2").arg(last - 1).arg(last));
            const double fit = preview->Client()->Scale();
            preview->Command(CmPreviewFitWidth);
            QVERIFY(preview->Client()->Scale() > fit);
            QTRY_VERIFY(scroller->verticalScrollBar()->maximum() > 0);
            QWheelEvent wheel(QPointF(50, 50), preview->Client()->mapToGlobal(QPointF(50, 50)), QPoint(),
                              QPoint(0, 120), Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
            const double before = preview->Client()->Scale();
            QApplication::sendEvent(preview->Client(), &wheel);
            QVERIFY(preview->Client()->Scale() > before);
            preview->Command(CmPreviewActualSize);
            QCOMPARE(preview->Client()->Scale(), 1.0);
            checked = true;
            QTest::keyClick(preview->windowHandle(), Qt::Key_Escape);
        });
        menu(Qt::Key_F, Qt::Key_V);
        QTRY_VERIFY(frame()->isVisible());
        QVERIFY(checked);
    }
};

QTEST_MAIN(FirstHourTest)
#include "first_hour_test.moc"
