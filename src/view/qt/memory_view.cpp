#include "view/qt/memory_view.h"

#include "settings/settings_record.h"
#include "document/buffer_document.h"
#include "settings/ansi_chars.h"
#include "view/hex_layout.h"
#include "view/memory_info.h"
#include "view/qt/buffer_view.h"

#include <QPainter>

namespace {

// The lines are bytes of the program's character page, as the rows are.
QString FromAnsi(const std::string& text)
{
    QString result(qsizetype(text.size()), Qt::Uninitialized);
    for (size_t i = 0; i < text.size(); ++i)
        result[qsizetype(i)] = QChar(AnsiGlyph(uint8_t(text[i])));
    return result;
}

} // namespace

OMemoryView::OMemoryView(OBufferDocument& document, OBufferView* owner)
    : QFrame(owner), doc_(document)
{
    setObjectName(QStringLiteral("OMemoryView"));
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setLineWidth(2);
    // It only shows; clicks and keys belong to the view around it.
    setEnabled(false);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Button);
    SettingsChanged();
}

void OMemoryView::SetCursor(Address address)
{
    cursor_ = address;
    update();
}

void OMemoryView::SettingsChanged()
{
    showSum_ = settings::SumCheck(doc_.SettingsPath());
    update();
}

QString OMemoryView::FirstLine() const { return FromAnsi(InfoSizeLine(doc_, showSum_)); }
QString OMemoryView::SecondLine() const { return FromAnsi(InfoCursorLine(doc_, cursor_)); }

void OMemoryView::paintEvent(QPaintEvent* event)
{
    QFrame::paintEvent(event);
    // A busy document is in the middle of changing its bytes.
    if (doc_.IsBusy())
        return;
    QPainter painter(this);
    painter.setBackgroundMode(Qt::OpaqueMode);
    const QPalette& colours = palette();
    painter.setBackground(colours.brush(QPalette::Active, QPalette::Button));
    painter.setPen(colours.color(QPalette::Active, QPalette::ButtonText));
    const int lineHeight = fontMetrics().height();
    const int right = width() - 10;
    painter.drawText(QRect(10, 6, right, lineHeight), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, FirstLine());
    painter.drawText(QRect(10, hexlayout::InfoSecondLineY(lineHeight), right, lineHeight), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, SecondLine());
}
