// Writes the program's icons as PNG files in the layout of an icon theme,
// for installation: the desktop's application menu and file managers take
// them from there. The pictures are the ones the program paints itself.

#include "app/app_resources.h"
#include "app/qt/main_frame.h"

#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QPixmap>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: dravel-icons OUTPUT-DIRECTORY\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const QString out = QString::fromLocal8Bit(argv[1]);
    const struct {
        int id;
        const char* context;
        const char* name;
    } icons[] = {{MainIconId, "apps", "dravel"}, {DocumentIconId, "mimetypes", "dravel-document"}};
    for (int size : {16, 32, 48, 64}) {
        for (const auto& icon : icons) {
            const QString folder = QStringLiteral("%1/hicolor/%2x%2/%3").arg(out).arg(size).arg(QLatin1String(icon.context));
            if (!QDir().mkpath(folder)
                || !ProgramIcon(icon.id).pixmap(size, size).save(folder + '/' + QLatin1String(icon.name) + ".png")) {
                std::fprintf(stderr, "dravel-icons: cannot write %s\n", qPrintable(folder));
                return 1;
            }
        }
    }
    return 0;
}
