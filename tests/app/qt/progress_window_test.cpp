// A long fill or search run from the main window: after half a second the
// please-wait window shows its progress and Cancel, centred over the main
// window; keys typed meanwhile go nowhere, and Cancel leaves the document
// and the cursor as they were.

#include "app/qt/app_window_fixture.h"
#include "app/qt/find_commands.h"
#include "app/qt/mdi_windows.h"
#include "buffer/data_buffer.h"
#include "dialogs/address_dialog_ids.h"
#include "dialogs/qt/find_dialog.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

class ProgressWindowTest : public AppWindowFixture {
    Q_OBJECT

private slots:
    void init()
    {
        answer = idOk;
        prepare();
        OQtDocumentHost::SetNewBufferHook([](AddressRequest& request) {
            request.start = 0;
            request.last = 0xFFFFFFFF;
            return true;
        });
        launch();
    }
    void cleanup() { stopApp(); }

    void cancelLeavesTheDocumentAsItWas_data()
    {
        QTest::addColumn<bool>("find");
        QTest::addColumn<QString>("total");
        QTest::newRow("fill") << false << QStringLiteral("4,294,967,296");
        // Over zeros every byte passes the quick test for 00 00 FF 00 (which
        // looks at two zeros of it) and none is a hit.
        QTest::newRow("find") << true << QStringLiteral("4,294,967,288");
    }

    void cancelLeavesTheDocumentAsItWas()
    {
        QFETCH(bool, find);
        QFETCH(QString, total);
        app->Command(CmFileNew);
        OBufferDocument* doc = app->DocManager()->Documents().back();
        OBufferView* view = activeView();
        if (find) {
            doc->Fill(0, (Address{1} << 27) - 1, 0x00);
            view->Model().Cursor = 5;
        }
        const int32_t entries = doc->Journal().Count();
        const bool dirty = doc->IsDirty();

        QString bytes;
        QPoint centre;
        QElapsedTimer sinceCancel;
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            for (QWidget* top : QApplication::topLevelWidgets()) {
                auto* cancel = top->findChild<QPushButton*>(QStringLiteral("busyCancel"));
                if (!cancel || !cancel->isVisible())
                    continue;
                poll.stop();
                bytes = top->findChild<QLabel*>(QStringLiteral("busyBytes"))->text();
                centre = top->frameGeometry().center() - frame()->frameGeometry().center();
                QTest::keyClick(view, Qt::Key_A);
                QTest::keyClick(frame(), Qt::Key_Z, Qt::ControlModifier);
                sinceCancel.start();
                QTest::mouseClick(cancel, Qt::LeftButton);
            }
        });
        poll.start(20);
        if (find) {
            app->Command(CmFind);
            OFindDialog* dialog = app->ClientArea->Find().Dialog();
            dialog->findChild<QRadioButton*>(QString::number(FindDialogIds::Hex))->click();
            dialog->findChild<QLineEdit*>(QString::number(FindDialogIds::Text))->setText(QStringLiteral("00 00 FF 00"));
            dialog->findChild<QPushButton*>(QString::number(FindDialogIds::FindNext))->click();
        } else {
            QTimer::singleShot(0, this, [] {
                QWidget* dialog = QApplication::activeModalWidget();
                auto* value = dialog->findChild<QLineEdit*>(QString::number(AddressDialogIds::FillEdit));
                value->setText(QStringLiteral("0"));
                QTest::keyClick(value, Qt::Key_Return);
            });
            app->Command(CmFillSelection);
        }
        QTRY_VERIFY_WITH_TIMEOUT(doc->WasStopped() && !doc->IsBusy(), 60000);
        qInfo("the cancelled %s returned %lld ms after the click", find ? "find" : "fill",
              qlonglong(sinceCancel.elapsed()));

        QVERIFY(bytes.endsWith(QStringLiteral(" of %1 bytes").arg(total)));
        QVERIFY(centre.manhattanLength() <= 2);
        QCOMPARE(doc->IsDirty(), dirty);
        QCOMPARE(doc->Journal().Count(), entries);
        QCOMPARE(doc->Size(), Address{1} << 32);
        QCOMPARE(doc->ReadByte(0), uint8_t(find ? 0x00 : 0xFF));
        if (find)
            QCOMPARE(view->Model().Cursor, 5);
        QVERIFY(messages.isEmpty());
    }
};

QTEST_MAIN(ProgressWindowTest)
#include "progress_window_test.moc"
