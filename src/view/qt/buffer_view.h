#pragma once
// The document view of a buffer document: a column header, rows of an
// address, sixteen hex bytes and their characters, and a vertical scroll bar.
// Keys, the mouse and the document's notifications go to the view model; the
// widget draws what the model says and redraws only what it reports.

#include "dialogs/command_ids.h"
#include "document/document_host.h"
#include "view/qt/view_painter.h"
#include "view/view_commands.h"
#include "view/view_model.h"

#include <QBasicTimer>
#include <QElapsedTimer>
#include <QPoint>
#include <QRegion>
#include <QWidget>

#include <functional>
#include <string>
#include <vector>

class OBufferDocument;
class OMemoryView;
struct FindRequest;
class QAction;
class QHeaderView;
class QMenu;
class QScrollBar;
class QStandardItemModel;

class OBufferView : public QWidget, public DocumentObserver {
    Q_OBJECT

public:
    static constexpr int kHeaderId = 300;
    static constexpr int kScrollerId = 301;
    static constexpr const char* kViewName = "Buffer view";
    static constexpr const char* kBusyMessage = kBusyRefusalText;
    // Command ids of the menus, the toolbar and the context menu.
    static constexpr int kCmInsert = CmInsert;
    static constexpr int kCmFillSelection = CmFillSelection;
    static constexpr int kCmSetSelection = CmSetSelection;
    static constexpr int kCmResizeBuffer = CmResizeBuffer;
    static constexpr int kCmSelectAll = CmSelectAll;
    static constexpr int kCmPositionCursor = CmPositionCursor;
    static constexpr int kCmUndo = CmUndo;
    static constexpr int kCmCut = CmCut;
    static constexpr int kCmCopy = CmCopy;
    static constexpr int kCmPaste = CmPaste;
    static constexpr int kCmDelete = CmDelete;
    static constexpr int kCmClearAll = CmClearAll;
    static constexpr int kCmRedo = CmRedo;
    static constexpr int kCmOverlayFile = CmOverlayFile;
    static constexpr int kCmCopyHexText = CmCopyHexText;
    static constexpr int kCmPasteHexText = CmPasteHexText;

    // The font file ("selfont.cfg" next to the program), set once by the
    // application at start. Empty, as in the tests: the default font.
    static void SetFontFilePath(std::string path);
    static const std::string& FontFilePath();

    OBufferView(OBufferDocument* document, QWidget* parent = nullptr);
    ~OBufferView() override;

    OBufferDocument& Document() { return *doc_; }
    OViewModel& Model() { return model_; }
    const OViewModel& Model() const { return model_; }
    OViewCommands& Commands() { return commands_; }
    OViewPainter& Painter() { return painter_; }
    QHeaderView* Header() const { return header_; }
    QScrollBar* Scroller() const { return scroller_; }
    QMenu* ContextMenu() const { return contextMenu_; }
    // The "Information" setting as taken when the view was (re)built; the
    // space of the information panel is kept free while it is on.
    bool ShowInfo() const { return showInfo_; }
    // The information panel; none while "Information" is off.
    OMemoryView* Panel() const { return panel_; }

    // The Edit and Buffer commands and Insert: whether `id` is enabled now,
    // and carrying it out. Command is false for ids that are not the view's.
    static bool IsViewCommand(int id);
    bool CommandEnabled(int id);
    bool Command(int id);

    // Runs the address dialog, or with `fill` the fill dialog on a request
    // that is a FillRequest; true on OK. Tests replace it to answer without
    // a window.
    using DialogRunner = std::function<bool(QWidget* owner, AddressRequest& request, bool fill)>;
    static void SetDialogRunner(DialogRunner runner);

    void EnsureCursorVisible();
    void UpdateScrollRange(Address size);
    // Redraws row `row`, or the rows of addresses a..b, right away.
    void PaintRow(Address row);
    void RepaintRange(Address a, Address b);
    // Redraws what the model asked for since the last call (right away, or
    // with the next paint event when `atOnce` is false), moves the caret and
    // keeps the scroll bar in step.
    void ApplyDamage(bool atOnce = true);

    // Shows the busy refusal when the document is busy; true then.
    bool RefuseWhileBusy();

    // Searches from the cursor as the Find dialog and Next ask. A hit takes
    // the cursor and the keyboard focus, so the user can type there at once;
    // no hit leaves the cursor and says "Can't find" with the text as typed.
    void ServeFind(const FindRequest& request);
    // Replace and Replace all with `with`, as long as the pattern. The focus
    // stays where it is, so the Replace dialog keeps it. Replace all answers
    // how many matches it replaced.
    void ServeReplace(const FindRequest& request, const std::vector<uint8_t>& with);
    Address ServeReplaceAll(const FindRequest& request, const std::vector<uint8_t>& with);
    // The cursor's row in screen coordinates: what a dialog must not cover
    // after a hit.
    QRect CursorRowOnScreen() const;

    // Draws the view's client area (rows, or the busy text) onto `painter`.
    void Render(QPainter& painter, const QRect& clip, bool marks);

    void DocumentNotify(OBufferDocument& document, int notification, Address argument) override;

    // Room for a whole row and a screenful of rows.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    // The cursor moved or the buffer changed size: what the information panel
    // shows.
    void cursorNotice(qint64 address);
    // The top row or the cursor moved.
    void placeChanged();
    // A key or a command may have changed the bytes.
    void edited();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    void changeEvent(QEvent* event) override;

private:
    void LoadSettings();
    // Places the children and the row area; `sizeEvent` also sets the row
    // count and brings the cursor into view.
    void Relayout(bool sizeEvent);
    void OnHeaderResized(int index, int oldSize, int newSize);
    void OnScrollAction(int action);
    void StretchLastColumn();
    QRect RowsRect() const;
    // The information panel's height for the panel's font.
    int InfoPanelHeight() const;
    QRegion MarksRegion() const;
    void RestartBlink();
    // Creates or removes the panel to follow the "Information" setting.
    void UpdatePanel();
    bool RunDialog(AddressRequest& request, bool fill);

    OBufferDocument* doc_;
    OViewModel model_;
    OViewCommands commands_;
    OViewPainter painter_;
    QHeaderView* header_ = nullptr;
    QStandardItemModel* headerItems_ = nullptr;
    QScrollBar* scroller_ = nullptr;
    QMenu* contextMenu_ = nullptr;
    OMemoryView* panel_ = nullptr;
    bool showInfo_ = true;
    bool columnsSized_ = false;
    bool adjustingHeader_ = false;
    bool caretOn_ = true;
    QRegion marks_;
    int32_t shownTop_ = -1;
    int32_t shownCursor_ = -1;
    QBasicTimer blinkTimer_;
    QBasicTimer dragTimer_;
    QElapsedTimer dragClock_;
    QPoint dragPoint_;
};
