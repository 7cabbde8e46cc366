// The hex view as a widget: keys and the mouse reach the document, the
// children and the context menu are there, the settings and busy
// notifications take effect, and what is drawn puts the caret and the
// selection on the right cells.

#include "settings/profile.h"
#include "document/buffer_document.h"
#include "view/hex_layout.h"
#include "view/qt/buffer_view.h"
#include "view/qt/view_font.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QImage>
#include <QMenu>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <string>
#include <vector>

namespace {

class TestHost : public DocumentHost {
public:
    struct Message {
        std::string text, caption;
        int style;
    };
    std::vector<Message> messages;

    int MessageBox(std::string_view text, std::string_view caption, int style) override
    {
        messages.push_back({std::string(text), std::string(caption), style});
        return idOk;
    }
    void SetWaitCursor(bool) override {}
    void ShowBusyWindow(std::string_view, std::string_view) override {}
    void HideBusyWindow() override {}
    void ProcessPendingEvents() override {}
    bool RequestNewBufferRange(AddressRequest&) override { return false; }
    bool ChooseFileToInsert(std::string&, std::string&) override { return false; }
    bool ChooseSaveTarget(std::string&, std::string&) override { return false; }
};

const QColor kWindow(255, 255, 255);
const QColor kText(0, 0, 0);
const QColor kHighlight(0, 0, 200);
const QColor kHighlightText(255, 255, 255);

// Mean colour of a rectangle of an image.
QColor Mean(const QImage& image, const QRect& r)
{
    long red = 0, green = 0, blue = 0, n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) {
            const QRgb p = image.pixel(x, y);
            red += qRed(p);
            green += qGreen(p);
            blue += qBlue(p);
            ++n;
        }
    return n ? QColor(int(red / n), int(green / n), int(blue / n)) : QColor();
}

int Distance(const QColor& a, const QColor& b)
{
    return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
           std::abs(a.blue() - b.blue());
}

}  // namespace

class BufferViewTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    std::unique_ptr<TestHost> host_;
    std::unique_ptr<OBufferDocument> doc_;
    std::unique_ptr<OBufferView> view_;

    std::string IniPath() const { return dir_.filePath("dravel.ini").toStdString(); }

    // A shown, focused view over `size` bytes from `start`, byte = address.
    OBufferView& Open(int32_t start, int32_t size, int width = 800, int height = 420)
    {
        view_.reset();
        host_ = std::make_unique<TestHost>();
        doc_ = std::make_unique<OBufferDocument>(*host_, IniPath(), "bin");
        doc_->SetTitle("test.bin");
        doc_->WriteByte(0xFF, start + size - 1);
        doc_->Resize(start, start + size - 1);
        for (int32_t a = start; a < start + size; ++a)
            doc_->WriteByte(uint8_t(a), a);
        view_ = std::make_unique<OBufferView>(doc_.get());
        QPalette palette = view_->palette();
        palette.setColor(QPalette::Base, kWindow);
        palette.setColor(QPalette::Text, kText);
        palette.setColor(QPalette::Highlight, kHighlight);
        palette.setColor(QPalette::HighlightedText, kHighlightText);
        view_->setPalette(palette);
        view_->resize(width, height);
        view_->show();
        view_->activateWindow();
        view_->setFocus();
        [[maybe_unused]] bool active = QTest::qWaitForWindowActive(view_.get());
        return *view_;
    }

    QPoint AsciiPoint(int32_t address) const
    {
        const OViewModel& m = view_->Model();
        return QPoint(m.AsciiX + (address % 16) * m.CharW + m.CharW / 2,
                      m.RowY(address / 16) + m.RowHeight / 2);
    }
    QPoint HexPoint(int32_t address, int digit) const
    {
        const OViewModel& m = view_->Model();
        return QPoint(m.HexX + (3 * (address % 16) + digit) * m.CharW + m.CharW / 2,
                      m.RowY(address / 16) + m.RowHeight / 2);
    }

private slots:
    void initTestCase() { QVERIFY(dir_.isValid()); }
    void cleanup()
    {
        view_.reset();
        doc_.reset();
        host_.reset();
        QFile::remove(QString::fromStdString(IniPath()));
    }

    void childrenLayoutAndContextMenu()
    {
        OBufferView& view = Open(0, 0x400);
        auto* header = view.findChild<QHeaderView*>("300");
        auto* scroller = view.findChild<QScrollBar*>("301");
        QVERIFY(header && scroller);
        QCOMPARE(header->model()->headerData(0, Qt::Horizontal).toString(), QString("Address"));
        QCOMPARE(header->model()->headerData(1, Qt::Horizontal).toString(), QString("HEX"));
        QCOMPARE(header->model()->headerData(2, Qt::Horizontal).toString(), QString("ASCII"));
        QCOMPARE(header->focusPolicy(), Qt::NoFocus);
        QCOMPARE(scroller->focusPolicy(), Qt::NoFocus);

        const OViewModel& m = view.Model();
        // The first shown size shares the room beyond 71 cells among the columns.
        const int extra = (800 - 20 - 71 * m.CharW) / 3;
        QCOMPARE(header->sectionSize(0), 8 * m.CharW + extra);
        QCOMPARE(header->sectionSize(1), 47 * m.CharW + extra);
        QCOMPARE(m.HexX, header->sectionSize(0));
        QCOMPARE(m.AsciiX, m.HexX + header->sectionSize(1));
        QCOMPARE(m.AsciiX + header->sectionSize(2), m.RowsRect.right);
        QCOMPARE(scroller->geometry().left(), view.width() - 20);
        // "Information" is on by default: its 50 pixels stay free.
        QVERIFY(view.ShowInfo());
        QCOMPARE(m.RowsRect.bottom, view.height() - 50);
        QCOMPARE(m.Rows, m.RowsRect.Height() / m.RowHeight);
        QCOMPARE(scroller->maximum(), 0x40 - m.Rows / 2);

        const QList<QAction*> items = view.ContextMenu()->actions();
        QCOMPARE(items.size(), 3);
        QCOMPARE(items[0]->text(), QString("&Cut"));
        QCOMPARE(items[1]->text(), QString("C&opy"));
        QCOMPARE(items[2]->text(), QString("&Paste"));
        QCOMPARE(items[1]->data().toInt(), 24323);
    }

    void missingFontFaceFallsBackToTheMonospacedFamily()
    {
        OFontRecord record;
        record.faceName = "No Such Face At All";
        const QFont font = MakeViewFont(record);
        const QFontMetrics metrics(font);
        QCOMPARE(metrics.horizontalAdvance('i'), metrics.horizontalAdvance('W'));
        QCOMPARE(font.pixelSize(), 10);
        QCOMPARE(font.weight(), QFont::Normal);
        record.weight = 700;
        record.italic = 1;
        record.height = -14;
        const QFont bold = MakeViewFont(record);
        QCOMPARE(bold.weight(), QFont::Bold);
        QVERIFY(bold.italic());
        QCOMPARE(bold.pixelSize(), 14);
    }

    void typingWritesTheDocument()
    {
        OBufferView& view = Open(0, 0x40);
        QVERIFY(view.hasFocus());
        QTest::keyClick(&view, Qt::Key_Down);
        QTest::keyClick(&view, Qt::Key_Tab);
        QTest::keyClicks(&view, "41");
        QCOMPARE(int(doc_->ReadByte(0x10)), 0x41);
        QTest::keyClicks(&view, "Fz");
        QCOMPARE(int(doc_->ReadByte(0x11)), 0xF1);  // z is no hex digit
        QCOMPARE(view.Model().Cursor, 0x11);
        QTest::keyClick(&view, Qt::Key_Tab);
        QTest::keyClicks(&view, "Hi");
        QCOMPARE(int(doc_->ReadByte(0x11)), int('H'));
        QCOMPARE(int(doc_->ReadByte(0x12)), int('i'));
        // Shortcut keys type nothing.
        QTest::keyClick(&view, Qt::Key_X, Qt::ControlModifier);
        QCOMPARE(int(doc_->ReadByte(0x13)), 0x13);

        // Appending at the end: the buffer and the scroll range grow.
        QTest::keyClick(&view, Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(view.Model().Cursor, 0x40);
        const int32_t maximum = view.Model().ScrollMax;
        QTest::keyClicks(&view, "0123456789abcdefg");
        QCOMPARE(doc_->Size(), 0x51);
        QCOMPARE(int(doc_->ReadByte(0x50)), int('g'));
        QCOMPARE(view.Model().ScrollMax, maximum + 1);
        // Delete erases the cursor byte.
        QTest::keyClick(&view, Qt::Key_Home);
        QTest::keyClick(&view, Qt::Key_Delete);
        QCOMPARE(int(doc_->ReadByte(0x50)), 0xFF);

        // The window shrinks under the cursor and the selection: typing must
        // not widen it again, nor may the selection name bytes that are gone.
        view.Model().SetSelection(0x18, 0x40);
        doc_->Resize(0, 0x1F);
        QCOMPARE(view.Model().Cursor, 0x20);
        QCOMPARE(view.Model().SelEnd, 0x1F);
        QTest::keyClicks(&view, "Q");
        QCOMPARE(doc_->Size(), 0x21);
    }

    void shiftSelectionAndDelete()
    {
        OBufferView& view = Open(0, 0x40);
        view.Model().Cursor = 0x10;
        for (int i = 0; i < 3; ++i)
            QTest::keyClick(&view, Qt::Key_Right, Qt::ShiftModifier);
        QCOMPARE(view.Model().SelStart, 0x10);
        QCOMPARE(view.Model().SelEnd, 0x12);
        QTest::keyClick(&view, Qt::Key_Delete);
        QCOMPARE(int(doc_->ReadByte(0x10)), 0xFF);
        QCOMPARE(int(doc_->ReadByte(0x12)), 0xFF);
        QCOMPARE(int(doc_->ReadByte(0x13)), 0x13);
        QVERIFY(!view.Model().HasSelection());
    }

    void mouseClickAndDrag()
    {
        OBufferView& view = Open(0, 0x100);
        QTest::mouseClick(&view, Qt::LeftButton, {}, HexPoint(0x23, 1));
        QCOMPARE(view.Model().Cursor, 0x23);
        QVERIFY(!view.Model().AsciiMode);
        QVERIFY(view.Model().LowNibble);
        QVERIFY(!view.Model().HasSelection());

        QTest::mousePress(&view, Qt::LeftButton, {}, AsciiPoint(0x10));
        QTest::mouseMove(&view, AsciiPoint(0x12));
        QTest::mouseMove(&view, AsciiPoint(0x14));
        QTest::mouseRelease(&view, Qt::LeftButton, {}, AsciiPoint(0x14));
        QCOMPARE(view.Model().SelStart, 0x10);
        QCOMPARE(view.Model().SelEnd, 0x13);
        QVERIFY(view.Model().AsciiMode);
    }

    void dragHeldBelowTheRowsScrollsToTheEnd()
    {
        OBufferView& view = Open(0, 0x400, 800, 300);
        QTest::mousePress(&view, Qt::LeftButton, {}, AsciiPoint(0x10));
        const QPoint below(AsciiPoint(0).x(), view.Model().RowsRect.bottom + 2);
        QTest::mouseMove(&view, below);
        QTRY_COMPARE(view.Model().Cursor, doc_->End());
        QTest::mouseRelease(&view, Qt::LeftButton, {}, below);
        QCOMPARE(view.Model().SelEnd, doc_->End() - 1);
        QCOMPARE(view.Scroller()->value(), view.Model().ScrollPosition());
    }

    void busyDocumentRefusesKeys()
    {
        OBufferView& view = Open(0, 0x40);
        doc_->SetBusy(true);
        QTest::keyClick(&view, Qt::Key_A);
        QCOMPARE(int(doc_->ReadByte(0)), 0);
        QVERIFY(host_->messages.empty());
        QCOMPARE(view.Model().Cursor, 0);

        QImage image(view.size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::red);
        {
            QPainter p(&image);
            view.Render(p, view.rect(), true);
        }
        // Only the busy text on the window colour: no cells, no caret.
        QCOMPARE(QColor(image.pixel(view.Model().HexX + 2, view.Model().RowY(0) + 2)), kWindow);
        doc_->SetBusy(false);
        QTest::keyClick(&view, Qt::Key_A);
        QCOMPARE(int(doc_->ReadByte(0)), int('a'));
    }

    void informationSettingMovesTheRowArea()
    {
        OBufferView& view = Open(0, 0x400);
        const int32_t bottom = view.Model().RowsRect.bottom;
        QVERIFY(OProfile(IniPath()).WriteInt("Settings", "Information", 0));
        doc_->ReloadSettings();
        QVERIFY(!view.ShowInfo());
        QCOMPARE(view.Model().RowsRect.bottom, bottom + 50);
        QCOMPARE(view.Model().Rows, view.Model().RowsRect.Height() / view.Model().RowHeight);
        QCOMPARE(view.Scroller()->geometry().bottom(), view.height() - 1);
    }

    void typedByteRepaintsItsRowOnly()
    {
        OBufferView& view = Open(0, 0x400);
        OViewModel& m = view.Model();
        QTest::mouseClick(&view, Qt::LeftButton, {}, HexPoint(0x35, 0));
        QTest::qWait(20);
        struct PaintSpy : QObject {
            QRegion painted;
            bool eventFilter(QObject*, QEvent* e) override
            {
                if (e->type() == QEvent::Paint)
                    painted += static_cast<QPaintEvent*>(e)->region();
                return false;
            }
        } spy;
        view.installEventFilter(&spy);
        QTest::keyClicks(&view, "7");
        view.removeEventFilter(&spy);
        QCOMPARE(int(doc_->ReadByte(0x35)), 0x75);
        const QRect row(m.RowsRect.left, m.RowY(3), m.RowsRect.Width(), m.RowHeight);
        QVERIFY(!spy.painted.isEmpty());
        QVERIFY2(row.contains(spy.painted.boundingRect()), "more than the typed byte's row");
    }

    void marksLeaveTheirPlaceAfterAHeaderDrag()
    {
        OBufferView& view = Open(0, 0x400);
        OViewModel& m = view.Model();
        QTest::mouseClick(&view, Qt::LeftButton, {}, HexPoint(0x23, 1));
        view.Header()->resizeSection(1, 20 * m.CharW + 1);  // bytes 0 to 5 still fit
        QTest::qWait(20);
        const auto caret = m.CaretRect();
        const auto focus = m.FocusRect();
        QVERIFY(caret && focus);
        struct PaintSpy : QObject {
            QRegion painted;
            bool eventFilter(QObject*, QEvent* e) override
            {
                if (e->type() == QEvent::Paint)
                    painted += static_cast<QPaintEvent*>(e)->region();
                return false;
            }
        } spy;
        view.installEventFilter(&spy);
        QTest::keyClick(&view, Qt::Key_End);  // to 0x2F, past the narrow column
        QTest::qWait(20);
        view.removeEventFilter(&spy);
        QCOMPARE(m.Cursor, 0x2F);
        QVERIFY(!m.CaretRect());
        const QRect oldCaret(caret->left, caret->top, caret->Width(), caret->Height());
        const QRect oldFocus(focus->left, focus->top, focus->Width(), focus->Height());
        QVERIFY2(spy.painted.contains(oldCaret), "the old caret stays on the screen");
        QVERIFY2(spy.painted.contains(oldFocus), "the old focus mark stays on the screen");
    }

    void settingsReloadTakesTheNewFont()
    {
        OFontRecord record;
        record.height = -20;
        const std::string path = dir_.filePath("selfont.cfg").toStdString();
        QVERIFY(record.Save(path));
        OBufferView& view = Open(0, 0x400);
        const int32_t rowHeight = view.Model().RowHeight;
        const int hexWidth = view.Header()->sectionSize(1);
        OBufferView::SetFontFilePath(path);
        doc_->ReloadSettings();
        OBufferView::SetFontFilePath({});
        QVERIFY(view.Model().RowHeight > rowHeight);
        QCOMPARE(view.Painter().Font().pixelSize(), 20);
        QCOMPARE(view.Model().Rows, view.Model().RowsRect.Height() / view.Model().RowHeight);
        // The columns take the widths a new view of this size would get, so
        // the hex column still holds all sixteen bytes.
        QVERIFY(view.Header()->sectionSize(1) != hexWidth);
        const auto widths = hexlayout::InitialColumnWidths(view.width(), view.Model().CharW);
        QVERIFY(widths);
        QCOMPARE(view.Header()->sectionSize(1), widths->hex);
    }

    void caretAndSelectionAreDrawnOnTheirCells()
    {
        OBufferView& view = Open(0, 0x100);
        OViewModel& m = view.Model();
        QTest::mousePress(&view, Qt::LeftButton, {}, AsciiPoint(0x22));
        QTest::mouseMove(&view, AsciiPoint(0x25));
        QTest::mouseRelease(&view, Qt::LeftButton, {}, AsciiPoint(0x25));
        QCOMPARE(m.SelStart, 0x22);
        QCOMPARE(m.SelEnd, 0x24);
        QTest::keyClick(&view, Qt::Key_Tab);  // caret to the hex column, 0x25 high digit

        QImage image(view.size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::red);
        {
            QPainter p(&image);
            view.Render(p, view.rect(), true);
        }
        const int y = m.RowY(2);
        auto hexCell = [&](int32_t a, int digit) {
            return QRect(m.HexX + (3 * (a % 16) + digit) * m.CharW, y, m.CharW, m.RowHeight);
        };
        auto asciiCell = [&](int32_t a) {
            return QRect(m.AsciiX + (a % 16) * m.CharW, y, m.CharW, m.RowHeight);
        };
        // Selected cells, and the blank after a selected byte, wear the highlight.
        for (int32_t a = 0x22; a <= 0x24; ++a) {
            QVERIFY(Distance(Mean(image, hexCell(a, 0)), kHighlight) < 200);
            QVERIFY(Distance(Mean(image, hexCell(a, 2)), kHighlight) < 30);
            QVERIFY(Distance(Mean(image, asciiCell(a)), kHighlight) < 200);
        }
        QVERIFY(Distance(Mean(image, hexCell(0x21, 2)), kWindow) < 30);
        QVERIFY(Distance(Mean(image, hexCell(0x26, 0)), kWindow) < 200);
        // The caret inverts the high digit of 0x25: mostly dark; its low digit is not.
        QVERIFY(Distance(Mean(image, hexCell(0x25, 0)), kText) < 250);
        QVERIFY(Distance(Mean(image, hexCell(0x25, 1)), kWindow) < 250);
        // The dotted focus mark sits on the same byte in the character column.
        const QRect f = asciiCell(0x25);
        int dark = 0;
        for (int x = f.left(); x <= f.right(); ++x)
            dark += Distance(QColor(image.pixel(x, f.top())), kText) < 100;
        QVERIFY(dark >= 2);
        // Every pixel of the view outside its children is painted, also the
        // panel's space below the scroll bar.
        QCOMPARE(QColor(image.pixel(view.width() - 5, view.height() - 5)), kWindow);
        QCOMPARE(QColor(image.pixel(m.RowsRect.right, m.RowsRect.top + 3)), kWindow);
        // The address column names each row.
        QVERIFY(Distance(Mean(image, QRect(m.RowsRect.left, y, 8 * m.CharW, m.RowHeight)),
                         kWindow) > 20);
        // Rows below the buffer have empty cells.
        QVERIFY(m.Rows > 0x11);
        image = QImage(view.size(), QImage::Format_ARGB32_Premultiplied);
        {
            QPainter p(&image);
            view.Render(p, view.rect(), false);
        }
        const int past = m.RowY(0x10) + 1;
        QCOMPARE(Mean(image, QRect(m.HexX, past, m.RowsRect.right - m.HexX, m.RowHeight - 2)),
                 kWindow);
    }

    void narrowHexColumnCutsAtWholeBytes()
    {
        OBufferView& view = Open(0, 0x40);
        OViewModel& m = view.Model();
        view.Header()->resizeSection(1, 10 * m.CharW + 1);
        QCOMPARE(m.AsciiX, m.HexX + 10 * m.CharW + 1);
        QCOMPARE(m.AsciiX + view.Header()->sectionSize(2), m.RowsRect.right);
        RowPlan plan;
        m.BuildRow(0, plan);
        QCOMPARE(QByteArray(plan.hex.data(), plan.hexLength), QByteArray("00 01 02"));
        m.Cursor = 0x05;
        m.AsciiMode = false;
        QVERIFY(!m.CaretRect());
    }
};

QTEST_MAIN(BufferViewTest)
#include "buffer_view_test.moc"
