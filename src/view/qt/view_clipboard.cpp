#include "view/qt/view_clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace {
const QString kTextFormat = QStringLiteral("text/plain");
const QString kRangeFormat = QString::fromLatin1(kClipFormatName);
// The same bytes once more, for another instance of the program: the text
// travels between programs as UTF-8, which would change bytes 128-255.
// In this process both formats share one array.
const QString kBytesFormat = QStringLiteral("application/octet-stream");
// The most a paste can ever write: the whole address space.
constexpr size_t kAddressSpace = 0x100000000;


// A large copy goes ahead only when the user wants it, and not beside the
// previous one this program still holds on the clipboard.
bool PrepareCopy(OViewCommands& commands, bool hexText)
{
    if (!commands.ConfirmCopy(hexText))
        return false;
    if (commands.ClipSize(hexText) > kAskCopyAbove)
        QGuiApplication::clipboard()->clear();
    return true;
}
} // namespace

bool CopyToClipboard(OViewCommands& commands)
{
    if (!PrepareCopy(commands, false))
        return false;
    // The bytes are copied straight into the clipboard's own array.
    QByteArray text;
    const std::optional<RangeBlock> range = commands.Copy([&text](size_t size) {
        text = QByteArray(qsizetype(size), Qt::Uninitialized);
        return reinterpret_cast<uint8_t*>(text.data());
    });
    if (!range)
        return false;
    auto* mime = new QMimeData;
    mime->setData(kTextFormat, text);
    mime->setData(kBytesFormat, text);
    mime->setData(kRangeFormat, QByteArray(reinterpret_cast<const char*>(range->data()), qsizetype(range->size())));
    QGuiApplication::clipboard()->setMimeData(mime);
    return true;
}

bool ClipboardHasText()
{
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    return mime && mime->hasText();
}

bool PasteFromClipboard(OViewCommands& commands)
{
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    if (!mime || !mime->hasText())
        return false;
    if (mime->hasFormat(kRangeFormat)) {
        // Bytes copied by this program: taken as they are, zero bytes and all.
        const QByteArray range = mime->data(kRangeFormat);
        const QByteArray text = mime->data(mime->hasFormat(kBytesFormat) ? kBytesFormat : kTextFormat);
        commands.Paste(reinterpret_cast<const uint8_t*>(text.constData()), size_t(text.size()),
                       reinterpret_cast<const uint8_t*>(range.constData()), size_t(range.size()));
        return true;
    }
    // Another program's text: its characters, as typing them would give.
    const QString text = mime->text();
    size_t length = 0;
    const std::vector<uint8_t> bytes =
        TextToBytes(reinterpret_cast<const char16_t*>(text.utf16()), size_t(text.size()), kAddressSpace, length);
    commands.PasteBytes(bytes.data(), length);
    return true;
}

bool CopyHexTextToClipboard(OViewCommands& commands)
{
    if (!PrepareCopy(commands, true))
        return false;
    // The text is made in the clipboard's own array; being ASCII it is its
    // own UTF-8, so no wide copy of it is ever made.
    QByteArray text;
    if (!commands.CopyHexText([&text](size_t size) {
            text = QByteArray(qsizetype(size), Qt::Uninitialized);
            return reinterpret_cast<uint8_t*>(text.data());
        }))
        return false;
    auto* mime = new QMimeData;
    mime->setData(kTextFormat, text);
    QGuiApplication::clipboard()->setMimeData(mime);
    return true;
}

bool PasteHexTextFromClipboard(OViewCommands& commands)
{
    if (!ClipboardHasText())
        return false;
    const QByteArray text = QGuiApplication::clipboard()->text().toUtf8();
    return commands.PasteHexText(std::string_view(text.constData(), size_t(text.size())));
}
