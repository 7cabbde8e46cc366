// The Settings command as the user meets it: the dialog's controls, what OK
// and Cancel write, Search, dropped files, the font chooser, help, and open
// windows following the accepted settings.

#include "app/app_resources.h"
#include "app/program_paths.h"
#include "app/qt/doc_manager.h"
#include "app/qt/help_window.h"
#include "app/qt/mdi_windows.h"
#include "app/qt/options_dlg.h"
#include "app/qt/qt_document_host.h"
#include "app/qt/shell_services.h"
#include "app/qt/tovik_app.h"
#include "app/qt/main_frame.h"
#include "dialogs/qt/dialog_services.h"
#include "view/qt/buffer_view.h"

#include <QAction>
#include <QCheckBox>
#include <QFontDatabase>
#include <QFontDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <QWhatsThis>

#include <fstream>

namespace {

template <typename W = QWidget> W* Control(QWidget* dialog, int id)
{
    return dialog->findChild<W*>(QString::number(id));
}

std::string ReadAll(const QString& path)
{
    std::ifstream in(path.toStdString(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

QString MonoFamily()
{
    for (const QString& family : QFontDatabase::families())
        if (QFontDatabase::isFixedPitch(family))
            return family;
    return {};
}

// Counts the settings-changed events that reach it.
struct EventCounter : QObject {
    int changed = 0;
    bool event(QEvent* e) override
    {
        if (e->type() == SettingsChangedEvent)
            ++changed;
        return QObject::event(e);
    }
};

}  // namespace

class OptionsDlgTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir;
    QString ini, font;
    QList<int> topics;

    // Runs the Settings command, handing the open dialog to `act` once it is shown.
    void runEditSettings(QObject* target, const std::function<void(OOptionsDlg*)>& act)
    {
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<OOptionsDlg*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            act(dialog);
            // A failed check inside `act` must not leave the dialog waiting.
            if (dialog->isVisible())
                dialog->reject();
        });
        EditSettings(nullptr, nullptr, target, ini.toStdString(), font.toStdString());
    }

private slots:
    void init()
    {
        ini = dir.filePath("dravel.ini");
        font = dir.filePath("selfont.cfg");
        QFile::remove(ini);
        QFile::remove(font);
        topics.clear();
        SetHelpHandler([this](int id) { topics << id; });
    }

    void cleanup()
    {
        SetHelpHandler({});
        SetFileDialogHook({});
    }

    void controlsCarryTheirIdsTextsAndHelpIds()
    {
        SettingsRecord record;
        OOptionsDlg dialog(nullptr, record);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Editor settings"));
        QCOMPARE(dialog.objectName(), QStringLiteral("303"));
        const struct {
            int id;
            const char* text;
            int help;
            bool shown;
        } controls[] = {
            {109, "Use &sum check", 1000, true}, {119, "Use &undo", 1031, true},
            {112, "&buffer information", 1007, true}, {111, "&Warning messages", 1006, false},
            {110, "&Ask for offset", 1005, true}, {102, "Searc&h", 1002, true},
            {107, "&Change", 1003, true}, {1, "OK", 0, true}, {2, "Cancel", 0, true}, {9, "Help", 0, true},
        };
        dialog.show();
        for (const auto& c : controls) {
            auto* button = Control<QAbstractButton>(&dialog, c.id);
            QVERIFY2(button, c.text);
            QCOMPARE(button->text(), QString::fromLatin1(c.text));
            QCOMPARE(button->property("helpId").toInt(), c.help);
            QCOMPARE(button->isVisible(), c.shown);
        }
        QCOMPARE(Control<QLineEdit>(&dialog, 101)->property("helpId").toInt(), 1001);
        QCOMPARE(Control<QLineEdit>(&dialog, 101)->maxLength(), 254);
        QCOMPARE(Control<QLabel>(&dialog, 106)->property("helpId").toInt(), 1004);
        // The face and its size.
        QVERIFY(Control<QLabel>(&dialog, 106)->text().startsWith(QStringLiteral("Courier New, ")));

        // Help: the button shows the dialog's topic, F1 the focused control's,
        // and a control without a help id shows none.
        QTest::mouseClick(Control(&dialog, 9), Qt::LeftButton);
        Control(&dialog, 109)->setFocus();
        QTest::keyClick(&dialog, Qt::Key_F1);
        Control(&dialog, 1)->setFocus();
        QTest::keyClick(&dialog, Qt::Key_F1);
        // Shift+F1, then a click: the clicked control's help, and the box
        // stays as it was.
        QTest::keyClick(&dialog, Qt::Key_F1, Qt::ShiftModifier);
        QVERIFY(QWhatsThis::inWhatsThisMode());
        QTest::mouseClick(Control(&dialog, 119), Qt::LeftButton);
        QVERIFY(Control<QCheckBox>(&dialog, 119)->isChecked());
        QVERIFY(!QWhatsThis::inWhatsThisMode());
        QCOMPARE(topics, QList<int>({2014, 1000, 1031}));
    }

    void okWithNoFilesWritesEveryDefault()
    {
        EventCounter target;
        runEditSettings(&target, [](OOptionsDlg* dialog) {
            QVERIFY(!Control<QCheckBox>(dialog, 109)->isChecked());
            QVERIFY(Control<QCheckBox>(dialog, 119)->isChecked());
            QVERIFY(Control<QCheckBox>(dialog, 112)->isChecked());
            QVERIFY(Control<QLineEdit>(dialog, 101)->text().isEmpty());
            QTest::mouseClick(Control(dialog, 1), Qt::LeftButton);
        });
        QCOMPARE(ReadAll(ini), std::string("[Settings]\nopen file=\nsumcheck=0\nundo=1\nask offset=0\n"
                                           "show warnings=1\nInformation=1\n"));
        QCOMPARE(OFontRecord::Load(font.toStdString()), OFontRecord());
        // Queued: nothing has happened until the event loop runs.
        QCOMPARE(target.changed, 0);
        QCoreApplication::sendPostedEvents(&target);
        QCOMPARE(target.changed, 1);
    }

    void cancelAfterChangingEverythingWritesNothing()
    {
        const std::string before = "[Settings]\nsumcheck=5\nask offset=1\nshow warnings=0\n";
        std::ofstream(ini.toStdString(), std::ios::binary) << before;
        EventCounter target;
        runEditSettings(&target, [this](OOptionsDlg* dialog) {
            QVERIFY(Control<QCheckBox>(dialog, 109)->isChecked());
            for (int id : {109, 119, 112})
                Control<QCheckBox>(dialog, id)->toggle();
            Control<QLineEdit>(dialog, 101)->setText("x.hex");
            QMimeData data;
            data.setUrls({QUrl::fromLocalFile(dir.filePath("first.int")), QUrl::fromLocalFile("/tmp/second.int")});
            QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, {});
            QApplication::sendEvent(dialog, &enter);
            QVERIFY(enter.isAccepted());
            QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, {});
            QApplication::sendEvent(dialog, &drop);
            QCOMPARE(Control<QLineEdit>(dialog, 101)->text(), dir.filePath("first.int"));
            QTest::mouseClick(Control(dialog, 2), Qt::LeftButton);
        });
        QCoreApplication::sendPostedEvents(&target);
        QCOMPARE(target.changed, 0);
        QCOMPARE(ReadAll(ini), before);
        QVERIFY(!QFile::exists(font));
    }

    void okWritesHiddenFlagsBackAndSearchAndFontChoicesThrough()
    {
        std::ofstream(ini.toStdString(), std::ios::binary)
            << "[MRU]\nCount=0\n[Settings]\nsumcheck=5\nask offset=1\nshow warnings=0\n";
        SetFileDialogHook([this](FileDialogKind kind, const QString& initial, int) {
            // The dialog passes no current name.
            return kind == FileDialogKind::Open && initial.isEmpty()
                       ? std::optional<FileChoice>(FileChoice{dir.filePath("boot.int"), 1})
                       : std::nullopt;
        });
        const QString mono = MonoFamily();
        EventCounter target;
        runEditSettings(&target, [&](OOptionsDlg* dialog) {
            QTest::mouseClick(Control(dialog, 102), Qt::LeftButton);
            QCOMPARE(Control<QLineEdit>(dialog, 101)->text(), dir.filePath("boot.int"));
            QTimer::singleShot(0, [&] {
                auto* chooser = qobject_cast<QFontDialog*>(QApplication::activeModalWidget());
                QVERIFY(chooser);
                QVERIFY(chooser->testOption(QFontDialog::MonospacedFonts));
                QFont chosen(mono);
                chosen.setPixelSize(17);
                chosen.setBold(true);
                chosen.setItalic(true);
                chooser->setCurrentFont(chosen);
                chooser->accept();
            });
            QTest::mouseClick(Control(dialog, 107), Qt::LeftButton);
            QCOMPARE(Control<QLabel>(dialog, 106)->text(), mono + QStringLiteral(", 13 pt"));
            QTest::mouseClick(Control(dialog, 1), Qt::LeftButton);
        });
        QCOMPARE(ReadAll(ini), "[MRU]\nCount=0\n[Settings]\nsumcheck=1\nask offset=1\nshow warnings=0\nopen file=" +
                                   dir.filePath("boot.int").toStdString() + "\nundo=1\nInformation=1\n");
        const OFontRecord record = OFontRecord::Load(font.toStdString());
        QCOMPARE(QString::fromStdString(record.faceName), mono);
        QCOMPARE(record.height, -17);
        QCOMPARE(record.weight, 700);
        QCOMPARE(int(record.italic), 1);
        QCOMPARE(int(record.underline), 0);
    }

    void acceptedSettingsReachEveryOpenView()
    {
        qputenv("XDG_DATA_HOME", dir.filePath("xdg").toUtf8());
        qputenv("XDG_CONFIG_HOME", dir.filePath("config").toUtf8());
        InitProgramPaths(dir.filePath("dravel").toStdString());
        SetMessageBoxHook([](QWidget*, const QString&, const QString&, int) { return int(idNo); });
        OQtDocumentHost::SetNewBufferHook([](AddressRequest&) { return false; });
        auto app = std::make_unique<TTovikApp>();
        app->InitInstance({});
        app->Command(CmFileNew);
        app->Command(CmFileNew);
        QCOMPARE(app->Children().size(), size_t(2));
        QAction* settingsAction = app->MainWindow()->Action(CmSettings);
        QTRY_VERIFY(settingsAction->isEnabled());

        const QString mono = MonoFamily();
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<OOptionsDlg*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            Control<QCheckBox>(dialog, 112)->setChecked(false);
            Control<QCheckBox>(dialog, 109)->setChecked(true);
            QTimer::singleShot(0, [&] {
                auto* chooser = qobject_cast<QFontDialog*>(QApplication::activeModalWidget());
                QFont chosen(mono);
                chosen.setPixelSize(23);
                chooser->setCurrentFont(chosen);
                chooser->accept();
            });
            QTest::mouseClick(Control(dialog, 107), Qt::LeftButton);
            QTest::mouseClick(Control(dialog, 1), Qt::LeftButton);
        });
        settingsAction->trigger();
        QTRY_VERIFY(app->DocManager()->Documents()[1]->SumCheckOption());
        for (TTovikMDIChild* child : app->Children()) {
            auto* view = qobject_cast<OBufferView*>(child->View());
            QVERIFY(!view->ShowInfo());
            QCOMPARE(view->Painter().Font().pixelSize(), 23);
        }
        app.reset();
        SetMessageBoxHook({});
        OQtDocumentHost::SetNewBufferHook({});
    }
};

QTEST_MAIN(OptionsDlgTest)
#include "options_dlg_test.moc"
