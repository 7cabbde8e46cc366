// The main of a layer's Qt test program: `PROGRAM CLASS [QTest options]` runs
// the test class CLASS in a QApplication of its own, as QTEST_MAIN would.

#include "support/qt_test_registry.h"

#include <QApplication>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>

namespace {
std::map<std::string, qt_tests::Runner>& Registry()
{
    static std::map<std::string, qt_tests::Runner> registry;
    return registry;
}
}  // namespace

qt_tests::Registration::Registration(const char* name, Runner run)
{
    Registry()[name] = run;
}

int main(int argc, char** argv)
{
    const auto found = argc > 1 ? Registry().find(argv[1]) : Registry().end();
    if (found == Registry().end()) {
        std::fprintf(stderr, "usage: %s CLASS [options]; classes:", argv[0]);
        for (const auto& entry : Registry())
            std::fprintf(stderr, " %s", entry.first.c_str());
        std::fprintf(stderr, "\n");
        return 2;
    }
    // The class name is not an option of QTest's.
    std::memmove(argv + 1, argv + 2, sizeof(char*) * size_t(argc - 1));
    --argc;
    QApplication application(argc, argv);
    application.setAttribute(Qt::AA_Use96Dpi, true);
    return found->second(argc, argv);
}
