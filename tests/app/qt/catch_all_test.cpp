// An exception thrown inside an event handler ends the run with the
// unexpected-error message and status -1, as one thrown outside the loop does.

#include "app/qt/guarded_run.h"
#include "app/qt/shell_services.h"

#include <QPointer>
#include <QTest>
#include <QWidget>
#include <QTimer>

#include <stdexcept>

class CatchAllTest : public QObject {
    Q_OBJECT

private slots:
    void exceptionInAnEventHandlerEndsTheRun()
    {
        QStringList shown;
        QPointer<QWidget> window;
        bool windowDuringMessage = false;
        SetMessageBoxHook([&](QWidget* owner, const QString& text, const QString& caption, int) {
            shown << caption + "|" + text + (owner ? "|owned" : "");
            windowDuringMessage = window;
            return 1;
        });
        bool after = false;
        int cleanups = 0;
        const auto cleanup = [&] {
            ++cleanups;
            delete window.data();
        };
        const int result = RunGuarded([&] {
            window = new QWidget;
            window->show();
            QTimer::singleShot(0, [] { throw std::runtime_error("boom"); });
            QTimer::singleShot(2000, [] { QCoreApplication::exit(0); });
            const int loop = QCoreApplication::exec();
            static_cast<ODravelApplication*>(qApp)->RethrowCaught();
            after = true;
            return loop;
        }, cleanup);
        SetMessageBoxHook({});
        QCOMPARE(result, -1);
        QVERIFY(!after);
        // The message comes while the program's windows stand; they go afterwards.
        QVERIFY(windowDuringMessage);
        QVERIFY(!window);
        QCOMPARE(cleanups, 1);
        QCOMPARE(shown, QStringList({"Unexpected error|An exeption occured. \r\nyou probably ran out of memory"}));
    }
};

int main(int argc, char** argv)
{
    ODravelApplication application(argc, argv);
    CatchAllTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "catch_all_test.moc"
