// A long fill run from the main window: after half a second the please-wait
// window shows its progress and Cancel; keys typed meanwhile go nowhere, and
// Cancel leaves the document as it was.

#include "app/app_resources.h"
#include "app/program_paths.h"
#include "app/qt/doc_manager.h"
#include "app/qt/qt_document_host.h"
#include "app/qt/shell_services.h"
#include "app/qt/tovik_app.h"
#include "buffer/data_buffer.h"
#include "dialogs/address_dialog_ids.h"
#include "document/buffer_document.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

class ProgressWindowTest : public QObject {
    Q_OBJECT

private slots:
    void cancelOfALongFillLeavesTheDocumentAsItWas()
    {
        QTemporaryDir dir;
        qputenv("XDG_CONFIG_HOME", dir.filePath("config").toUtf8());
        InitProgramPaths(dir.filePath("dravel").toStdString());
        QStringList messages;
        SetMessageBoxHook([&](QWidget*, const QString& text, const QString&, int) {
            messages << text;
            return int(idOk);
        });
        OQtDocumentHost::SetNewBufferHook([](AddressRequest& request) {
            request.start = 0;
            request.last = 0xFFFFFFFF;
            return true;
        });
        TTovikApp app;
        app.InitInstance({});
        app.Command(CmFileNew);
        OBufferDocument* doc = app.DocManager()->Documents().back();
        QWidget* view = app.ClientArea->activeSubWindow()->widget();

        QTimer::singleShot(0, this, [] {
            QWidget* dialog = QApplication::activeModalWidget();
            auto* value = dialog->findChild<QLineEdit*>(QString::number(AddressDialogIds::FillEdit));
            value->setText(QStringLiteral("0"));
            QTest::keyClick(value, Qt::Key_Return);
        });
        QString bytes;
        QElapsedTimer sinceCancel;
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            for (QWidget* top : QApplication::topLevelWidgets()) {
                auto* cancel = top->findChild<QPushButton*>(QStringLiteral("busyCancel"));
                if (!cancel || !cancel->isVisible())
                    continue;
                poll.stop();
                bytes = top->findChild<QLabel*>(QStringLiteral("busyBytes"))->text();
                QTest::keyClick(view, Qt::Key_A);
                QTest::keyClick(app.MainWindow(), Qt::Key_Z, Qt::ControlModifier);
                sinceCancel.start();
                QTest::mouseClick(cancel, Qt::LeftButton);
            }
        });
        poll.start(20);
        app.Command(CmFillSelection);
        qInfo("the cancelled fill returned %lld ms after the click", qlonglong(sinceCancel.elapsed()));

        QVERIFY(bytes.endsWith(QStringLiteral(" of 4,294,967,296 bytes")));
        QVERIFY(doc->WasStopped());
        QVERIFY(!doc->IsDirty());
        QCOMPARE(doc->Journal().Count(), 0);
        QCOMPARE(doc->Size(), Address{1} << 32);
        QCOMPARE(doc->ReadByte(0), uint8_t(0xFF));
        QVERIFY(messages.isEmpty());
        SetMessageBoxHook({});
        OQtDocumentHost::SetNewBufferHook({});
    }
};

QTEST_MAIN(ProgressWindowTest)
#include "progress_window_test.moc"
