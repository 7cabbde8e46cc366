#include "print/qt/page_device.h"

#include "settings/ansi_chars.h"

#include <QFontMetricsF>
#include <QPageLayout>
#include <QPainter>
#include <QPainterPath>
#include <QPrinter>

#include <cmath>

OPageDeviceFigures PrinterFigures(const QPrinter& printer)
{
    const QPageLayout layout = printer.pageLayout();
    const int resolution = std::max(1, printer.resolution());
    const QRect pixels = layout.fullRectPixels(resolution);
    const QRectF mm = layout.fullRect(QPageLayout::Millimeter);
    const double units = kPageUnitsPerInch / resolution;
    return {pixels.width(), pixels.height(), mm.width(), mm.height(), true, units, units};
}

void TakePrinterMargins(const QPrinter& printer, OPrintSetup& setup)
{
    const QMarginsF m = printer.pageLayout().margins(QPageLayout::Millimeter);
    setup.marginLeft = int32_t(std::lround(m.left() * 100));
    setup.marginTop = int32_t(std::lround(m.top() * 100));
    setup.marginRight = int32_t(std::lround(m.right() * 100));
    setup.marginBottom = int32_t(std::lround(m.bottom() * 100));
}

QSize LogicalPageSize(const OPageDeviceFigures& figures)
{
    return QSize(int(std::lround(figures.horzRes * figures.logicalPerDeviceX)),
                 int(std::lround(figures.vertRes * figures.logicalPerDeviceY)));
}

const QImage& HexDumpLogo()
{
    // An EPROM with its window beside the program's name, drawn once in
    // grey and reduced to black and white.
    static const QImage logo = [] {
        QImage image(OHexDumpPage::kLogoWidth, OHexDumpPage::kLogoHeight, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(Qt::black, 2));
        p.setBrush(Qt::NoBrush);
        const QRectF chip(6, 10, 58, 30);
        p.drawRoundedRect(chip, 3, 3);
        for (int i = 0; i < 7; ++i) {
            const qreal x = chip.left() + 6 + i * 8;
            p.drawLine(QPointF(x, 3), QPointF(x, chip.top()));
            p.drawLine(QPointF(x, chip.bottom()), QPointF(x, 47));
        }
        p.drawEllipse(chip.center(), 8, 8);
        p.drawArc(QRectF(chip.left() - 4, chip.center().y() - 4, 8, 8), 90 * 16, -180 * 16);
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(30);
        font.setBold(true);
        p.setFont(font);
        p.setPen(Qt::black);
        p.drawText(QRectF(74, 0, 182, 50), Qt::AlignVCenter | Qt::AlignLeft, QStringLiteral("Dravel 97"));
        p.end();
        return image.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither);
    }();
    return logo;
}

OQtPageDevice::OQtPageDevice(QPainter* painter, const OPageDeviceFigures& figures, QString family)
    : painter_(painter), figures_(figures), family_(std::move(family))
{
}

OPageFontMetrics OQtPageDevice::SelectFont(int32_t height)
{
    font_ = QFont(family_);
    font_.setStyleHint(QFont::TypeWriter);
    font_.setFixedPitch(true);
    font_.setKerning(false);
    font_.setPixelSize(std::max(1, height));
    // Unhinted metrics do not depend on the device, so paper and preview
    // measure alike.
    font_.setHintingPreference(QFont::PreferNoHinting);
    const QFontMetricsF metrics(font_);
    ascent_ = metrics.ascent();
    lineHeight_ = metrics.height();
    if (painter_)
        painter_->setFont(font_);
    return {int32_t(std::lround(metrics.height())),
            int32_t(std::lround(metrics.horizontalAdvance(QString(50, QLatin1Char(' ')))))};
}

int32_t OQtPageDevice::TextWidth(std::string_view text)
{
    const QString s = QString::fromUtf8(text.data(), qsizetype(text.size()));
    return int32_t(std::lround(QFontMetricsF(font_).horizontalAdvance(s)));
}

void OQtPageDevice::Text(int32_t x, int32_t y, std::string_view text, bool rowBytes)
{
    if (!painter_)
        return;
    QString s;
    if (rowBytes) {
        s.reserve(qsizetype(text.size()));
        for (const char c : text)
            s += QChar(AnsiGlyph(uint8_t(c)));
    } else {
        s = QString::fromUtf8(text.data(), qsizetype(text.size()));
    }
    painter_->setPen(Qt::black);
    painter_->drawText(QPointF(x, y + ascent_), s);
}

void OQtPageDevice::MarkedText(int32_t x, int32_t y, int32_t width, std::string_view text)
{
    if (!painter_)
        return;
    // A light tint that a black-and-white printer turns into a grey the
    // bold digits still stand out on.
    painter_->fillRect(QRectF(x, y, width, lineHeight_), QColor(0xFF, 0xD0, 0x8A));
    painter_->save();
    QFont bold = font_;
    bold.setBold(true);
    painter_->setFont(bold);
    Text(x, y, text, true);
    painter_->restore();
}

void OQtPageDevice::Line(int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    if (painter_) {
        painter_->setPen(QPen(Qt::black, 0));
        painter_->drawLine(QPoint(x1, y1), QPoint(x2, y2));
    }
}

void OQtPageDevice::Logo(int32_t x, int32_t y, int32_t width, int32_t height)
{
    if (painter_)
        painter_->drawImage(QRect(x, y, width, height), HexDumpLogo());
}
