#pragma once
// The print preview: a frame of its own that stands in for the main window
// while it is open, showing one or two hex dump pages drawn as the printer
// would draw them, with a toolbar to turn pages, switch between one and two
// pages, print and close. Only the pages shown are ever drawn, so a preview
// of a large buffer opens and turns pages at once.

#include "print/hex_dump_page.h"
#include "print/preview_pages.h"

#include <QMainWindow>
#include <QPointer>

#include <functional>
#include <optional>

class QAction;
class QLabel;
class QScrollArea;
class QToolBar;
class TApxPrintout;

// The command ids of the preview's toolbar.
enum PreviewCommand : int {
    CmPreviewPrevious = 24500,
    CmPreviewNext = 24501,
    CmPreviewOnePage = 24502,
    CmPreviewTwoPages = 24503,
    CmPreviewPageText = 24504,
    CmPreviewPrint = 24337,
    CmPreviewDone = 24505,
    CmPreviewFitPage = 250,
    CmPreviewFitWidth = 251,
    CmPreviewActualSize = 252,
    CmPreviewGoToPage = 253,
};

// One page window: the page of its number at the window's size, blank for 0.
class OPreviewPage : public QWidget {
    Q_OBJECT
public:
    OPreviewPage(TApxPrintout& printout, const OPageDeviceFigures& figures, QWidget* parent);
    int32_t PageNumber() const { return page_; }
    void SetPageNumber(int32_t page);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TApxPrintout& printout_;
    OPageDeviceFigures figures_;
    int32_t page_ = 1;
};

// The area behind the pages; it places them as the page logic says, at the
// zoom chosen, and grows past its scroll area when they do.
class OPrintPreviewClient : public QWidget {
    Q_OBJECT
public:
    explicit OPrintPreviewClient(QWidget* parent = nullptr);
    // `extent` is the page's size at 100 %.
    void SetPages(OPreviewPage* first, OPreviewPage* second, QSize extent);
    void SetZoom(const OPreviewPages::Zoom& zoom);
    const OPreviewPages::Zoom& Zoom() const { return zoom_; }
    // The scale the pages are drawn at now (1.0: 100 %).
    double Scale() const { return scale_; }
    void Relayout();

signals:
    // Ctrl and the wheel: notches up (positive) or down.
    void zoomSteps(int steps);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    QPointer<OPreviewPage> first_, second_;
    QSize extent_;
    OPreviewPages::Zoom zoom_;
    double scale_ = 1.0;
    int wheelRest_ = 0;
};

class TApxPreviewWin : public QMainWindow {
    Q_OBJECT
public:
    static constexpr const char* kTitleSuffix = " (Preview)";

    // `printout` draws the pages; `setup` holds the page range; `print`
    // runs the print command.
    TApxPreviewWin(const QString& mainTitle, TApxPrintout& printout, OPrintSetup& setup,
                   const OPageDeviceFigures& figures, std::function<void()> print);
    ~TApxPreviewWin() override;

    QAction* Action(int id) const;
    QString PageText() const;
    const OPreviewPages& Pages() const { return pages_; }
    OPreviewPage* FirstPage() const { return page1_; }
    OPreviewPage* SecondPage() const { return page2_; }
    OPrintPreviewClient* Client() const { return client_; }
    // Asks for the page number of Go to page; tests answer it.
    using PageQuestion = std::function<std::optional<int>(QWidget* owner, int current, int last)>;
    static void SetPageQuestion(PageQuestion question);

    void Command(int id);

signals:
    // Done or the window closed.
    void finished();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QAction* AddButton(int id, const QString& text);
    void AddGap(int width);
    void Update();

    TApxPrintout& printout_;
    OPrintSetup& setup_;
    OPageDeviceFigures figures_;
    std::function<void()> print_;
    OPreviewPages pages_;
    QToolBar* bar_ = nullptr;
    void SetZoom(OPreviewPages::Zoom zoom);
    void GoToPage();

    QScrollArea* scroller_ = nullptr;
    OPrintPreviewClient* client_ = nullptr;
    OPreviewPage* page1_ = nullptr;
    QPointer<OPreviewPage> page2_;
    QLabel* pageText_ = nullptr;
    QList<QAction*> actions_;
};
