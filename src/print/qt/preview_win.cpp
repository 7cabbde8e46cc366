#include "print/qt/preview_win.h"

#include "app/app_resources.h"
#include "app/qt/main_frame.h"
#include "print/qt/page_device.h"
#include "print/qt/printout.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QToolBar>

#include <functional>

namespace {

QRect ToQRect(const VRect& r) { return QRect(r.left, r.top, r.Width(), r.Height()); }

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

void OPrintPreviewClient::resizeEvent(QResizeEvent*) { Relayout(); }

void OPrintPreviewClient::Relayout()
{
    if (!first_)
        return;
    const VRect r = OPreviewPages::FirstPageRect(width(), height(), extent_.width(), extent_.height());
    first_->setGeometry(ToQRect(r));
    if (second_)
        second_->setGeometry(ToQRect(OPreviewPages::SecondPageRect(r)));
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
    AddGap(20);
    AddButton(CmPreviewPrint, QStringLiteral("Print"));
    AddGap(20);
    QAction* done = AddButton(CmPreviewDone, QStringLiteral("Done"));
    done->setShortcuts({QKeySequence(Qt::Key_Escape), QKeySequence(Qt::ALT | Qt::Key_C)});
    done->setShortcutContext(Qt::WindowShortcut);

    client_ = new OPrintPreviewClient(this);
    setCentralWidget(client_);
    page1_ = new OPreviewPage(printout_, figures_, client_);
    page1_->SetPageNumber(1);
    client_->SetPages(page1_, nullptr, QSize(figures_.horzRes, figures_.vertRes));
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
        client_->SetPages(page1_, nullptr, QSize(figures_.horzRes, figures_.vertRes));
        break;
    case CmPreviewTwoPages:
        if (!page2_ && OPreviewPages::CanTwoPages(figures_.horzRes, figures_.vertRes)) {
            pages_.ShowTwoPages(setup_.maxPage);
            page2_ = new OPreviewPage(printout_, figures_, client_);
            client_->SetPages(page1_, page2_, QSize(figures_.horzRes, figures_.vertRes));
            page2_->show();
        }
        break;
    case CmPreviewPrint:
        if (print_)
            print_();
        break;
    case CmPreviewDone: close(); return;
    default: return;
    }
    Update();
}

void TApxPreviewWin::Update()
{
    page1_->SetPageNumber(pages_.FromPage());
    if (page2_)
        page2_->SetPageNumber(pages_.SecondPage());
    pageText_->setText(QString::fromStdString(pages_.PageText()));
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
