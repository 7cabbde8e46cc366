#include "print/qt/preview_win.h"

#include "dialogs/command_ids.h"
#include "dialogs/qt/glyphs.h"
#include "print/qt/page_device.h"
#include "print/qt/printout.h"

#include <algorithm>

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QInputDialog>
#include <QScrollArea>
#include <QScrollBar>
#include <QWheelEvent>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QToolBar>

#include <functional>

namespace {

QRect ToQRect(const VRect& r) { return QRect(r.left, r.top, r.Width(), r.Height()); }

TApxPreviewWin::PageQuestion& pageQuestion()
{
    static TApxPreviewWin::PageQuestion question;
    return question;
}

// The preview's own glyphs, on the 16-unit grid of the program's others.
QIcon PreviewGlyph(int id)
{
    if (id == CmPreviewPrint)
        return CommandGlyph(CmFilePrint);
    QIcon icon;
    for (int size : {16, 24, 32}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(size / 16.0, size / 16.0);
        const QColor ink(40, 40, 40), blue(40, 90, 180);
        const auto sheet = [&](const QRectF& r) {
            p.setPen(QPen(ink, 0.8));
            p.setBrush(Qt::white);
            p.drawRect(r);
            p.setPen(QPen(QColor(120, 120, 120), 0.6));
            for (qreal y = r.top() + 2.5; y < r.bottom() - 1; y += 2)
                p.drawLine(QPointF(r.left() + 1.5, y), QPointF(r.right() - 1.5, y));
        };
        p.setPen(Qt::NoPen);
        p.setBrush(blue);
        switch (id) {
        case CmPreviewPrevious:
            p.drawPolygon(QPolygonF({QPointF(3, 8), QPointF(12, 2.5), QPointF(12, 13.5)}));
            break;
        case CmPreviewNext:
            p.drawPolygon(QPolygonF({QPointF(13, 8), QPointF(4, 2.5), QPointF(4, 13.5)}));
            break;
        case CmPreviewOnePage:
            sheet(QRectF(3.5, 1.5, 9, 13));
            break;
        case CmPreviewTwoPages:
            sheet(QRectF(0.8, 2.5, 6.6, 11));
            sheet(QRectF(8.6, 2.5, 6.6, 11));
            break;
        case CmPreviewFitPage:
            sheet(QRectF(4.5, 1.5, 7, 10));
            p.setPen(QPen(blue, 1.2));
            p.drawLine(QPointF(1.5, 13.5), QPointF(14.5, 13.5));
            p.drawLine(QPointF(8, 11.5), QPointF(8, 15));
            break;
        case CmPreviewFitWidth:
            sheet(QRectF(2.5, 3.5, 11, 9));
            p.setPen(QPen(blue, 1.2));
            p.drawLine(QPointF(0.8, 8), QPointF(15.2, 8));
            break;
        case CmPreviewActualSize: {
            QFont font = p.font();
            font.setPixelSize(7);
            font.setBold(true);
            p.setFont(font);
            p.setPen(ink);
            p.drawText(QRectF(0, 0, 16, 16), Qt::AlignCenter, QStringLiteral("1:1"));
            break;
        }
        case CmPreviewGoToPage:
            sheet(QRectF(5.5, 1.5, 9, 13));
            p.setPen(Qt::NoPen);
            p.setBrush(blue);
            p.drawPolygon(QPolygonF({QPointF(5, 8), QPointF(0.8, 4.5), QPointF(0.8, 11.5)}));
            break;
        case CmPreviewDone:
            p.setPen(QPen(QColor(200, 40, 40), 2.2, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(4, 4), QPointF(12, 12));
            p.drawLine(QPointF(12, 4), QPointF(4, 12));
            break;
        default: break;
        }
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

}  // namespace

OPreviewPage::OPreviewPage(TApxPrintout& printout, const OPageDeviceFigures& figures,
                           QWidget* parent)
    : QWidget(parent), printout_(printout), figures_(figures)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void OPreviewPage::SetPageNumber(int32_t page)
{
    if (page_ != page) {
        page_ = page;
        update();
    }
}

void OPreviewPage::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.setPen(Qt::black);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    if (page_ < 1)
        return;
    // The sheet's logical units stretched over the window, as the page
    // window maps the printer's page onto itself.
    const QSize logical = LogicalPageSize(figures_);
    if (logical.isEmpty())
        return;
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.scale(double(width()) / logical.width(), double(height()) / logical.height());
    printout_.PrintPage(painter, figures_, page_);
}

OPrintPreviewClient::OPrintPreviewClient(QWidget* parent) : QWidget(parent)
{
    setAutoFillBackground(true);
    QPalette p = palette();
    // The colour behind documents in the main window's client area.
    p.setBrush(QPalette::Window, p.brush(QPalette::Dark));
    setPalette(p);
}

void OPrintPreviewClient::SetPages(OPreviewPage* first, OPreviewPage* second, QSize extent)
{
    first_ = first;
    second_ = second;
    extent_ = extent;
    Relayout();
}

void OPrintPreviewClient::SetZoom(const OPreviewPages::Zoom& zoom)
{
    zoom_ = zoom;
    Relayout();
}

void OPrintPreviewClient::resizeEvent(QResizeEvent*) { Relayout(); }

void OPrintPreviewClient::wheelEvent(QWheelEvent* event)
{
    if (!(event->modifiers() & Qt::ControlModifier)) {
        event->ignore();
        return;
    }
    // Whole notches of 120; a touchpad's small steps add up to them.
    wheelRest_ += event->angleDelta().y();
    const int steps = wheelRest_ / 120;
    wheelRest_ -= steps * 120;
    if (steps != 0)
        emit zoomSteps(steps);
    event->accept();
}

void OPrintPreviewClient::Relayout()
{
    if (!first_)
        return;
    // The room is the scroll area's window, not this widget, which grows
    // with the pages.
    const QWidget* room = parentWidget() ? parentWidget() : this;
    const OPreviewPages::Layout l = OPreviewPages::LayoutPages(room->width(), room->height(), extent_.width(),
                                                               extent_.height(), bool(second_), zoom_);
    scale_ = l.scale;
    setMinimumSize(l.width, l.height);
    first_->setGeometry(ToQRect(l.first));
    if (second_)
        second_->setGeometry(ToQRect(l.second));
}

TApxPreviewWin::TApxPreviewWin(const QString& mainTitle, TApxPrintout& printout,
                               OPrintSetup& setup, const OPageDeviceFigures& figures,
                               std::function<void()> print)
    : printout_(printout), setup_(setup), figures_(figures), print_(std::move(print))
{
    setObjectName(QStringLiteral("Preview"));
    printout_.SetDeferredReports(true);
    setAttribute(Qt::WA_DeleteOnClose, false);
    setWindowTitle(mainTitle.left(256) + QString::fromLatin1(kTitleSuffix));
    setWindowIcon(ProgramIcon(MainIconId));

    auto* bar = bar_ = new QToolBar(this);
    bar->setObjectName(QStringLiteral("PreviewToolbar"));
    bar->setMovable(false);
    QFont font = bar->font();
    font.setPointSize(10);
    bar->setFont(font);
    addToolBar(Qt::TopToolBarArea, bar);

    AddButton(CmPreviewPrevious, QStringLiteral("Previous page"));
    AddButton(CmPreviewNext, QStringLiteral("Next page"));
    AddGap(6);
    auto* group = new QActionGroup(this);
    group->setExclusive(true);
    for (QAction* action : {AddButton(CmPreviewOnePage, QStringLiteral("One page")),
                            AddButton(CmPreviewTwoPages, QStringLiteral("Two pages"))}) {
        action->setCheckable(true);
        group->addAction(action);
    }
    Action(CmPreviewOnePage)->setChecked(true);
    AddGap(12);
    pageText_ = new QLabel(bar);
    pageText_->setObjectName(QString::number(CmPreviewPageText));
    pageText_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    pageText_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    pageText_->setFixedWidth(pageText_->fontMetrics().averageCharWidth() * 10 + 8);
    bar->addWidget(pageText_);
    AddGap(12);
    auto* zooms = new QActionGroup(this);
    for (QAction* action : {AddButton(CmPreviewFitPage, QStringLiteral("Fit page")),
                            AddButton(CmPreviewFitWidth, QStringLiteral("Fit width")),
                            AddButton(CmPreviewActualSize, QStringLiteral("100%"))}) {
        action->setCheckable(true);
        zooms->addAction(action);
    }
    Action(CmPreviewFitPage)->setChecked(true);
    QAction* goTo = AddButton(CmPreviewGoToPage, QStringLiteral("Go to page"));
    goTo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_G));
    goTo->setShortcutContext(Qt::WindowShortcut);
    goTo->setToolTip(QStringLiteral("Go to page (Ctrl+G)"));
    AddGap(20);
    AddButton(CmPreviewPrint, QStringLiteral("Print"));
    AddGap(20);
    QAction* done = AddButton(CmPreviewDone, QStringLiteral("Done"));
    done->setShortcuts({QKeySequence(Qt::Key_Escape), QKeySequence(Qt::ALT | Qt::Key_C)});
    done->setShortcutContext(Qt::WindowShortcut);

    scroller_ = new QScrollArea(this);
    scroller_->setObjectName(QStringLiteral("PreviewScroller"));
    scroller_->setFrameShape(QFrame::NoFrame);
    scroller_->setWidgetResizable(true);
    client_ = new OPrintPreviewClient;
    scroller_->setWidget(client_);
    scroller_->setBackgroundRole(QPalette::Dark);
    setCentralWidget(scroller_);
    connect(client_, &OPrintPreviewClient::zoomSteps, this, [this](int steps) {
        SetZoom({OPreviewPages::Zoom::Scale, OPreviewPages::StepScale(client_->Scale(), steps)});
    });
    page1_ = new OPreviewPage(printout_, figures_, client_);
    page1_->SetPageNumber(1);
    client_->SetPages(page1_, nullptr, LogicalPageSize(figures_));
    // The pages are counted now, so the next-page button is right from the start.
    setup_.maxPage = printout_.CountPages(figures_);
    Update();
}

TApxPreviewWin::~TApxPreviewWin() = default;

QAction* TApxPreviewWin::AddButton(int id, const QString& text)
{
    auto* action = new QAction(PreviewGlyph(id), text, this);
    action->setData(id);
    action->setObjectName(QString::number(id));
    connect(action, &QAction::triggered, this, [this, id] { Command(id); });
    bar_->addAction(action);
    actions_.append(action);
    return action;
}

void TApxPreviewWin::AddGap(int width)
{
    auto* gap = new QWidget;
    gap->setFixedWidth(width);
    bar_->addWidget(gap);
}

QAction* TApxPreviewWin::Action(int id) const
{
    for (QAction* action : actions_)
        if (action->data().toInt() == id)
            return action;
    return nullptr;
}

QString TApxPreviewWin::PageText() const { return pageText_->text(); }

void TApxPreviewWin::Command(int id)
{
    switch (id) {
    case CmPreviewPrevious: pages_.Previous(setup_.minPage); break;
    case CmPreviewNext: pages_.Next(setup_.maxPage); break;
    case CmPreviewOnePage:
        pages_.OnePage();
        if (page2_)
            delete page2_.data();
        client_->SetPages(page1_, nullptr, LogicalPageSize(figures_));
        break;
    case CmPreviewTwoPages:
        if (!page2_ && OPreviewPages::CanTwoPages(figures_.horzRes, figures_.vertRes)) {
            pages_.ShowTwoPages(setup_.maxPage);
            page2_ = new OPreviewPage(printout_, figures_, client_);
            client_->SetPages(page1_, page2_, LogicalPageSize(figures_));
            page2_->show();
        }
        break;
    case CmPreviewPrint:
        if (print_)
            print_();
        break;
    case CmPreviewFitPage: SetZoom({OPreviewPages::Zoom::FitPage, 1.0}); return;
    case CmPreviewFitWidth: SetZoom({OPreviewPages::Zoom::FitWidth, 1.0}); return;
    case CmPreviewActualSize: SetZoom({OPreviewPages::Zoom::Scale, 1.0}); return;
    case CmPreviewGoToPage: GoToPage(); break;
    case CmPreviewDone: close(); return;
    default: return;
    }
    Update();
}

void TApxPreviewWin::SetPageQuestion(PageQuestion question)
{
    pageQuestion() = std::move(question);
}

void TApxPreviewWin::SetZoom(OPreviewPages::Zoom zoom)
{
    client_->SetZoom(zoom);
    Action(CmPreviewFitPage)->setChecked(zoom.mode == OPreviewPages::Zoom::FitPage);
    Action(CmPreviewFitWidth)->setChecked(zoom.mode == OPreviewPages::Zoom::FitWidth);
    Action(CmPreviewActualSize)->setChecked(zoom.mode == OPreviewPages::Zoom::Scale && zoom.scale == 1.0);
}

void TApxPreviewWin::GoToPage()
{
    const int last = std::max(1, int(setup_.maxPage));
    std::optional<int> page;
    if (pageQuestion()) {
        page = pageQuestion()(this, pages_.FromPage(), last);
    } else {
        bool ok = false;
        const int chosen = QInputDialog::getInt(this, QStringLiteral("Go to page"),
                                                QStringLiteral("Page (1 - %1):").arg(last), pages_.FromPage(), 1,
                                                last, 1, &ok);
        if (ok)
            page = chosen;
    }
    if (!page)
        return;
    pages_.GoTo(*page, last);
    // The page starts at its top.
    scroller_->verticalScrollBar()->setValue(0);
}

void TApxPreviewWin::Update()
{
    page1_->SetPageNumber(pages_.FromPage());
    if (page2_)
        page2_->SetPageNumber(pages_.SecondPage());
    pageText_->setText(QString::fromStdString(pages_.PageText()));
    // Wide enough for the longest text the document's pages give, so no
    // digit is cut off.
    const QString widest = QStringLiteral("Page %1 - %1").arg(std::max(1, int(setup_.maxPage)));
    pageText_->setFixedWidth(std::max(pageText_->fontMetrics().averageCharWidth() * 10,
                                      pageText_->fontMetrics().horizontalAdvance(widest)) +
                             8);
    Action(CmPreviewPrevious)->setEnabled(pages_.CanPrevious());
    Action(CmPreviewNext)->setEnabled(pages_.CanNext(setup_.maxPage));
    Action(CmPreviewTwoPages)->setEnabled(OPreviewPages::CanTwoPages(figures_.horzRes, figures_.vertRes));
    Action(CmPreviewOnePage)->setChecked(!page2_);
    Action(CmPreviewTwoPages)->setChecked(bool(page2_));
}

void TApxPreviewWin::closeEvent(QCloseEvent* event)
{
    event->accept();
    emit finished();
}
