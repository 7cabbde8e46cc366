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

class QAction;
class QLabel;
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

// The area behind the pages; it places them as the page logic says.
class OPrintPreviewClient : public QWidget {
    Q_OBJECT
public:
    explicit OPrintPreviewClient(QWidget* parent = nullptr);
    void SetPages(OPreviewPage* first, OPreviewPage* second, QSize extent);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void Relayout();
    QPointer<OPreviewPage> first_, second_;
    QSize extent_;
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
    OPrintPreviewClient* client_ = nullptr;
    OPreviewPage* page1_ = nullptr;
    QPointer<OPreviewPage> page2_;
    QLabel* pageText_ = nullptr;
    QList<QAction*> actions_;
};
