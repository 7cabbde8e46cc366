// The Find dialog and the Find and Next commands as a user meets them: keys
// to the main window, the dialog's controls, hit to hit with F3, typing at
// the hit, and the messages for bad text, no match and a busy document.

#include "app/app_resources.h"
#include "app/program_paths.h"
#include "app/qt/find_commands.h"
#include "app/qt/qt_document_host.h"
#include "app/qt/shell_services.h"
#include "app/qt/tovik_app.h"
#include "dialogs/qt/dialog_services.h"
#include "dialogs/qt/find_dialog.h"
#include "document/buffer_document.h"
#include "view/qt/buffer_view.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <fstream>

using namespace FindDialogIds;

class FindDialogTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir;
    std::unique_ptr<TTovikApp> app;
    QStringList messages;
    QList<int> topics;
    bool dialogGreyAtMessage = false;

    template <typename T>
    static T* control(QWidget* dialog, int id)
    {
        return dialog->findChild<T*>(QString::number(id));
    }

    TFindCommands& find() { return app->MainWindow()->Client()->Find(); }
    OBufferView* view()
    {
        QMdiSubWindow* child = app->MainWindow()->Client()->activeSubWindow();
        return child ? qobject_cast<OBufferView*>(child->widget()) : nullptr;
    }

    // Opens a plain hex file of `text`'s bytes and gives the main window the keyboard.
    void open(const std::string& text)
    {
        const std::string path = dir.filePath("data.hex").toStdString();
        std::ofstream out(path);
        for (unsigned char c : text) {
            char pair[3];
            std::snprintf(pair, sizeof pair, "%02X", c);
            out << pair;
        }
        out << "\r\n";
        out.close();
        app->OpenPendingFiles({path});
        QVERIFY(view());
        backToMainWindow();
    }

    // The user clicks into the document window.
    void backToMainWindow()
    {
        app->MainWindow()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(app->MainWindow()));
        view()->setFocus();
    }

    // A key as the user presses it, to whatever has the keyboard.
    static void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QWidget* focus = QApplication::focusWidget();
        QVERIFY(focus);
        QTest::keyClick(focus, Qt::Key(key), modifiers);
    }

    void search(const QString& text, bool hex = false)
    {
        OFindDialog* dialog = find().Dialog();
        QVERIFY(dialog && dialog->isVisible());
        control<QRadioButton>(dialog, hex ? Hex : Ascii)->click();
        control<QLineEdit>(dialog, Text)->setText(text);
        control<QPushButton>(dialog, FindNext)->click();
        QCoreApplication::processEvents();
    }

private slots:
    void init()
    {
        QVERIFY(dir.isValid());
        qputenv("XDG_DATA_HOME", dir.filePath("xdg").toUtf8());
        qputenv("XDG_CONFIG_HOME", dir.filePath("config").toUtf8());
        InitProgramPaths(dir.filePath("dravel").toStdString());
        messages.clear();
        topics.clear();
        SetMessageBoxHook([this](QWidget*, const QString& text, const QString& caption, int) {
            messages << caption + "|" + text;
            OFindDialog* dialog = app && app->MainWindow() ? find().Dialog() : nullptr;
            dialogGreyAtMessage = dialog && !control<QPushButton>(dialog, FindNext)->isEnabled();
            return int(idOk);
        });
        OQtDocumentHost::SetNewBufferHook([](AddressRequest&) { return false; });
        app = std::make_unique<TTovikApp>();
        app->InitInstance({});
        QCoreApplication::sendPostedEvents(app.get());
        SetHelpHandler([this](int id) { topics << id; });
    }

    void cleanup()
    {
        app.reset();
        SetMessageBoxHook({});
        SetHelpHandler({});
        OQtDocumentHost::SetNewBufferHook({});
    }

    void dialogControlsIdsAndModeRule()
    {
        FindRequest request;
        request.text = "caf\xE9";  // é in the page the buffer's characters use
        request.hex = true;
        request.ascii = false;
        request.wholeWords = true;
        OFindDialog dialog(nullptr, request);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Find text"));
        QVERIFY(!dialog.isModal());
        const struct {
            int id;
            const char* text;
            int help;
        } controls[] = {
            {TextGroup, "&Find", TextHelp},  {DirectionGroup, "D&irection", 0},
            {Up, "&Up", UpHelp},              {Down, "&Down", DownHelp},
            {WholeWords, "find &Whole words only", WholeWordsHelp},
            {MatchCase, "&Match case", MatchCaseHelp},
            {Ascii, "&ASCII", AsciiHelp},     {Hex, "&Hex", HexHelp},
            {FindNext, "&Find next", 0},      {Cancel, "Cancel", 0},
            {Help, "Help", 0},
        };
        for (const auto& c : controls) {
            QWidget* widget = control<QWidget>(&dialog, c.id);
            QVERIFY2(widget, c.text);
            const QVariant text = widget->property(qobject_cast<QGroupBox*>(widget) ? "title" : "text");
            QCOMPARE(text.toString(), QString::fromLatin1(c.text));
            QCOMPARE(widget->property("helpId").toInt(), c.help);
        }
        auto* edit = control<QLineEdit>(&dialog, Text);
        QCOMPARE(edit->maxLength(), 254);
        QCOMPARE(edit->text(), QStringLiteral("caf\u00E9"));
        QCOMPARE(edit->property("helpId").toInt(), TextHelp);
        QVERIFY(control<QPushButton>(&dialog, FindNext)->isDefault());

        // Both check boxes start enabled; the mode decides from the first change on.
        auto* words = control<QCheckBox>(&dialog, WholeWords);
        auto* matchCase = control<QCheckBox>(&dialog, MatchCase);
        QVERIFY(words->isEnabled() && matchCase->isEnabled() && words->isChecked());
        control<QRadioButton>(&dialog, Ascii)->click();
        QVERIFY(words->isEnabled() && matchCase->isEnabled());
        control<QRadioButton>(&dialog, Hex)->click();
        QVERIFY(!words->isEnabled() && !matchCase->isEnabled());

        // A character the buffer's page lacks cannot be typed.
        edit->clear();
        for (const QString& typed : {QStringLiteral("a"), QStringLiteral("\u4E2D"), QStringLiteral("b")})
            edit->insert(typed);
        QCOMPARE(edit->text(), QStringLiteral("ab"));

        control<QRadioButton>(&dialog, Up)->click();
        QSignalSpy next(&dialog, &OFindDialog::findNext);
        QSignalSpy closing(&dialog, &OFindDialog::closing);
        dialog.show();
        control<QPushButton>(&dialog, FindNext)->click();
        QCOMPARE(next.count(), 1);
        QVERIFY(dialog.isVisible());
        QCOMPARE(request.text, std::string("ab"));
        QVERIFY(request.up && !request.down && request.hex && !request.ascii && request.wholeWords);

        control<QPushButton>(&dialog, Help)->click();
        edit->setFocus();
        QTest::keyClick(&dialog, Qt::Key_F1);
        QCOMPARE(topics, QList<int>({DialogHelp, TextHelp}));

        QTest::keyClick(&dialog, Qt::Key_Escape);
        QCOMPARE(closing.count(), 1);
        QVERIFY(!dialog.isVisible());
    }

    void ctrlFAndF3FromHitToHitAndTypingAtTheHit()
    {
        open("xx ab cabd ab..");
        QVERIFY(app->MainWindow()->Action(CmFind)->isEnabled());
        press(Qt::Key_F, Qt::ControlModifier);
        QVERIFY(find().DialogOpen());
        OFindDialog* dialog = find().Dialog();
        QVERIFY(dialog->isVisible());
        // A second Ctrl+F keeps the one dialog.
        press(Qt::Key_F, Qt::ControlModifier);
        QCOMPARE(find().Dialog(), dialog);

        control<QCheckBox>(dialog, WholeWords)->setChecked(true);
        search(QStringLiteral("AB"));
        QCOMPARE(view()->Model().Cursor, 3);
        QTRY_VERIFY(view()->hasFocus());
        press(Qt::Key_F3);
        QCOMPARE(view()->Model().Cursor, 11);   // "cabd" is not a whole word
        QVERIFY(messages.isEmpty());
        press(Qt::Key_F3);
        QCOMPARE(messages, QStringList({"Can't find|AB"}));
        QVERIFY(dialogGreyAtMessage);
        QVERIFY(control<QPushButton>(dialog, FindNext)->isEnabled());
        QCOMPARE(view()->Model().Cursor, 11);

        // The keyboard is the view's: a typed character lands on the hit.
        view()->Model().AsciiMode = true;
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("Z"));
        QCOMPARE(int(view()->Document().ReadByte(11)), int('Z'));

        // Closing keeps the settings for the next opening.
        control<QPushButton>(dialog, Cancel)->click();
        QCoreApplication::processEvents();
        QVERIFY(!find().DialogOpen());
        backToMainWindow();
        press(Qt::Key_F, Qt::ControlModifier);
        QVERIFY(find().Dialog() != nullptr && find().Dialog()->isVisible());
        QCOMPARE(control<QLineEdit>(find().Dialog(), Text)->text(), QStringLiteral("AB"));
        QVERIFY(control<QCheckBox>(find().Dialog(), WholeWords)->isChecked());
    }

    void badTextBusyDocumentAndNextBeforeAnySearch()
    {
        open("0123456789");
        // Next before any valid text opens the dialog, once.
        press(Qt::Key_F3);
        QCoreApplication::processEvents();
        QVERIFY(find().DialogOpen());
        OFindDialog* dialog = find().Dialog();

        for (const QString& bad : {QStringLiteral("414"), QStringLiteral("4 142"), QString()}) {
            messages.clear();
            search(bad, true);
            QCOMPARE(messages, QStringList({"Dravel 97|Invalid hex string"}));
        }
        messages.clear();
        search(QString(), false);
        QCOMPARE(messages, QStringList({"Dravel 97|Invalid hex string"}));
        QCOMPARE(find().Dialog(), dialog);
        find().CmFindNext();
        QCOMPARE(find().Dialog(), dialog);

        messages.clear();
        search(QStringLiteral("3536"), true);
        QCOMPARE(view()->Model().Cursor, 5);
        search(QString(127 * 2, QLatin1Char('3')), true);
        search(QString(254, QLatin1Char('x')));
        QCOMPARE(messages.size(), 2);
        QVERIFY(messages[0].startsWith("Can't find|3333"));
        QCOMPARE(view()->Model().Cursor, 5);

        messages.clear();
        OBufferDocument& document = view()->Document();
        document.SetBusy(true);
        backToMainWindow();
        press(Qt::Key_F3);
        document.SetBusy(false);
        QCOMPARE(messages, QStringList({QString::fromStdString(document.Title()) + "|" +
                                        OBufferView::kBusyMessage}));
        QCOMPARE(view()->Model().Cursor, 5);
        QVERIFY(dialog->isEnabled());
    }
};

QTEST_MAIN(FindDialogTest)
#include "find_dialog_test.moc"
