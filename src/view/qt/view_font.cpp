#include "view/qt/view_font.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QStringList>

#include <algorithm>
#include <cstdlib>

namespace {

// A record without a height asks for the usual size.
constexpr int kDefaultPixels = 10;

}  // namespace

QFont MakeViewFont(const OFontRecord& record)
{
    const QString face = QString::fromLatin1(record.faceName.c_str());
    QFont font;
    if (!face.isEmpty() && QFontDatabase::families().contains(face, Qt::CaseInsensitive)) {
        font = QFont(face);
    } else {
        font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    }
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setKerning(false);

    // A negative height is the characters' own height, a positive one the
    // whole cell's; for the latter the size is scaled until the line fits.
    int pixels = record.height == 0 ? kDefaultPixels : std::abs(record.height);
    pixels = std::clamp(pixels, 1, 500);
    font.setPixelSize(pixels);
    if (record.height > 0) {
        const int cell = QFontMetrics(font).height();
        if (cell > record.height)
            font.setPixelSize(std::max(1, pixels * record.height / cell));
    }
    const int weight = record.weight <= 0 ? 400 : std::clamp(record.weight, 1, 1000);
    font.setWeight(QFont::Weight(weight));
    font.setItalic(record.italic != 0);
    font.setUnderline(record.underline != 0);
    font.setStrikeOut(record.strikeOut != 0);
    return font;
}

OFontRecord RecordFromFont(const QFont& font)
{
    OFontRecord record;
    record.faceName = font.family().toLatin1().left(OFontRecord::kFaceSize - 1).toStdString();
    const int pixels = font.pixelSize() > 0 ? font.pixelSize() : QFontInfo(font).pixelSize();
    record.height = -std::max(1, pixels);
    record.weight = font.weight();
    record.italic = font.italic() ? 1 : 0;
    record.underline = font.underline() ? 1 : 0;
    record.strikeOut = font.strikeOut() ? 1 : 0;
    constexpr uint8_t AnsiCharSet = 0, FixedPitch = 1, ModernFamily = 0x30;
    record.charSet = AnsiCharSet;
    record.pitchAndFamily = FixedPitch | ModernFamily;
    return record;
}

QFont WithRecordStyle(QFont font)
{
    const QString family = font.family();
    std::vector<FontStyleInfo> styles;
    const QStringList names = QFontDatabase::styles(family);
    for (const QString& style : names) {
        // Oblique faces are slanted too, though the database calls only
        // italic ones italic.
        const QFont face = QFontDatabase::font(family, style, 10);
        styles.push_back({style.toStdString(), face.style() != QFont::StyleNormal,
                          QFontDatabase::weight(family, style)});
    }
    const int32_t best = ChooseFontStyle(styles, font.italic(), font.weight());
    if (best >= 0)
        font.setStyleName(names[best]);
    return font;
}

QString FontDisplayName(const OFontRecord& record)
{
    const QFont font = MakeViewFont(record);
    const int points = QFontInfo(font).pointSize();
    const QString face = QString::fromLatin1(record.faceName.c_str());
    return points > 0 ? QStringLiteral("%1, %2 pt").arg(face).arg(points) : face;
}
