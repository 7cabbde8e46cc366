#include "app/qt/guarded_run.h"

#include "app/qt/shell_services.h"
#include "document/document_host.h"

ODravelApplication::ODravelApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool ODravelApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        if (!caught)
            caught = std::current_exception();
        exit(-1);
        return false;
    }
}

void ODravelApplication::RethrowCaught()
{
    if (caught) {
        std::exception_ptr pending = caught;
        caught = nullptr;
        std::rethrow_exception(pending);
    }
}

int RunGuarded(const std::function<int()>& body, const std::function<void()>& cleanup)
{
    try {
        const int result = body();
        if (cleanup)
            cleanup();
        return result;
    } catch (...) {
        ShowMessageBox(nullptr, QString::fromLatin1(UnexpectedErrorText), QString::fromLatin1(UnexpectedErrorCaption),
                       mbIconStop | mbOk);
    }
    try {
        if (cleanup)
            cleanup();
    } catch (...) {
    }
    return -1;
}
