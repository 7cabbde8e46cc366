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
    return RunGuarded([&] {
        auto settings = std::make_unique<OProfile>(IniFilePath);
        auto app = std::make_unique<TTovikApp>();

        const std::string stored = settings->GetString("Settings", "working dir", NoWorkingDir);
        if (const auto dir = WorkingDirToRestore(stored))
            QDir::setCurrent(QString::fromStdString(*dir));

        app->InitInstance(args, launchDir);
        const int result = application.exec();
        application.RethrowCaught();

        // The file dialogs move the current directory; the next start begins there.
        settings->WriteString("Settings", "working dir", QDir::currentPath().toStdString());
        app.reset();
        return result != 0 ? 1 : 0;
    });
}
