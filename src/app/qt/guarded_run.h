#pragma once
// The single catch-all around the whole run. Qt cannot let an exception pass
// through its event loop, so the application object catches it where events
// are delivered, ends the loop and hands it on to RunGuarded.

#include <QApplication>

#include <exception>
#include <functional>

inline constexpr const char* UnexpectedErrorText = "An exeption occured. \r\nyou probably ran out of memory";
inline constexpr const char* UnexpectedErrorCaption = "Unexpected error";

class ODravelApplication : public QApplication {
public:
    ODravelApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;
    // Throws again what an event handler threw, if anything.
    void RethrowCaught();

private:
    std::exception_ptr caught;
};

// Runs `body`, then `cleanup`, which destroys what the run built. Any
// exception either lets out is reported with the unexpected error message box
// (no owner) while the program's windows still stand; `cleanup` then runs
// once more, quietly, and the result is -1.
int RunGuarded(const std::function<int()>& body, const std::function<void()>& cleanup = {});
