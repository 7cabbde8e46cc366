#include "app/qt/about_dlg.h"

#include "app/app_resources.h"
#include "app/qt/main_frame.h"
#include "app/version_info.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

TTovikAboutDlg::TTovikAboutDlg(QWidget* parent, const VersionResource* module) : QDialog(parent)
{
    setObjectName(QString::number(AboutDialogId));
    setWindowTitle(QStringLiteral("About Dravel 97"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    auto* layout = new QGridLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    // The texts are 200 dialog units wide (a unit is a quarter of an average
    // character), so the copyright keeps to its two lines.
    layout->setColumnMinimumWidth(1, fontMetrics().averageCharWidth() * 200 / 4);

    auto* icon = new QLabel(this);
    icon->setPixmap(ProgramIcon(MainIconId).pixmap(34, 34));
    icon->setAlignment(Qt::AlignTop);
    layout->addWidget(icon, 0, 0, 3, 1);

    auto* program = new QLabel(QStringLiteral("EPROM data file editor 97"), this);
    program->setAlignment(Qt::AlignCenter);
    layout->addWidget(program, 0, 1);

    version = new QLabel(QStringLiteral("Version"), this);
    version->setObjectName(QStringLiteral("22001"));
    version->setAlignment(Qt::AlignCenter);
    layout->addWidget(version, 1, 1);

    copyright = new QLabel(this);
    copyright->setObjectName(QStringLiteral("22002"));
    copyright->setAlignment(Qt::AlignCenter);
    copyright->setWordWrap(true);
    layout->addWidget(copyright, 2, 1);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("1"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(ok, 3, 1, Qt::AlignHCenter);

    special = new QLabel(this);
    special->setObjectName(QStringLiteral("22003"));
    special->setAlignment(Qt::AlignRight);
    layout->addWidget(special, 4, 1);

    // Each lookup that fails leaves its control as it was.
    const TProjectRCVersion reader(module ? module : &ProgramVersionResource());
    const char* text = nullptr;
    const char* other = nullptr;
    const auto limited = [](const char* value) { return QString::fromUtf8(value).left(255); };
    if (reader.QueryProductName(text) && reader.QueryProductVersion(other))
        version->setText(QString());
    if (reader.QueryCopyright(text))
        copyright->setText(limited(text));
    if (reader.QuerySpecialBuild(text))
        special->setText(limited(text));
}
