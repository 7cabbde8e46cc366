#include "app/program_paths.h"
#include "settings/settings_record.h"
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
    // The application lives outside the guarded body, so the main window is
    // still on the screen while the unexpected-error message is shown.
    std::unique_ptr<TTovikApp> app;
    const auto destroy = [&] { app.reset(); };
    return RunGuarded([&] {
        app = std::make_unique<TTovikApp>();

        if (const auto dir = WorkingDirToRestore(settings::WorkingDir(IniFilePath)))
            QDir::setCurrent(QString::fromStdString(*dir));

        app->InitInstance(args, launchDir);
        const int result = application.exec();
        application.RethrowCaught();

        // The file dialogs move the current directory; the next start begins there.
        settings::WriteWorkingDir(IniFilePath, QDir::currentPath().toStdString());
        return result != 0 ? 1 : 0;
    }, destroy);
}
