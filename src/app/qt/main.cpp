#include "app/profile.h"
#include "app/program_paths.h"
#include "app/qt/guarded_run.h"
#include "app/qt/tovik_app.h"

#include <QDir>

#include <memory>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    ODravelApplication application(argc, argv);
    InitProgramPaths(QCoreApplication::applicationFilePath().toStdString());

    std::vector<std::string> args;
    const QStringList arguments = QCoreApplication::arguments();
    for (qsizetype i = 1; i < arguments.size(); ++i)
        args.push_back(arguments[i].toStdString());

    const std::string launchDir = QDir::currentPath().toStdString();
    // Both live outside the guarded body, so the main window is still on the
    // screen while the unexpected-error message is shown.
    std::unique_ptr<OProfile> settings;
    std::unique_ptr<TTovikApp> app;
    const auto destroy = [&] {
        settings.reset();
        app.reset();
    };
    return RunGuarded([&] {
        settings = std::make_unique<OProfile>(IniFilePath);
        app = std::make_unique<TTovikApp>();

        const std::string stored = settings->GetString("Settings", "working dir", NoWorkingDir);
        if (const auto dir = WorkingDirToRestore(stored))
            QDir::setCurrent(QString::fromStdString(*dir));

        app->InitInstance(args, launchDir);
        const int result = application.exec();
        application.RethrowCaught();

        // The file dialogs move the current directory; the next start begins there.
        settings->WriteString("Settings", "working dir", QDir::currentPath().toStdString());
        return result != 0 ? 1 : 0;
    }, destroy);
}
