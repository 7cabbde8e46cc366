#pragma once
// Compare mode: the active document beside a second image (an open document
// or a file), the two windows side by side and scrolled together, their
// differing bytes marked, Next and Previous difference moving both, and the
// status bar saying where the cursor stands among the differences. Closing
// either window, or the command again, ends it.

#include "buffer/address.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class OBufferDocument;
class OBufferView;
class OCompareIndex;
class OImageCompare;
class QLabel;
class TTovikApp;
class TTovikMDIChild;

class TCompareCommands : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kChooseCaption = "Compare with";
    static constexpr const char* kChooseLabel = "Compare the active document with:";
    static constexpr const char* kAnotherFile = "Another file...";
    static constexpr const char* kSelfText = "A document cannot be compared with itself.";
    static constexpr const char* kEqualText = "the images are equal";
    static constexpr const char* kEndedText = "Comparison ended";
    static constexpr const char* kNoneAfterText = "no difference after the cursor";
    static constexpr const char* kNoneBeforeText = "no difference before the cursor";

    // The second image: an open document, or else the file at `path`.
    struct Choice {
        OBufferDocument* document = nullptr;
        std::string path;
    };
    // Asks the user for the second image among `others` (the open documents
    // besides the active one) or a file; false on Cancel. Tests replace it.
    using Chooser = std::function<bool(const std::vector<OBufferDocument*>& others, Choice& choice)>;
    static void SetChooser(Chooser chooser);

    explicit TCompareCommands(TTovikApp& app);
    ~TCompareCommands() override;

    bool Active() const { return compare_ != nullptr; }
    // Starts compare mode from the active window, or ends it.
    void CmCompare();
    void CmNextDifference() { Jump(true); }
    void CmPreviousDifference() { Jump(false); }

    OBufferView* ViewA() const { return viewA_; }
    OBufferView* ViewB() const { return viewB_; }
    // What the status bar shows while compare mode is on.
    QString StatusText() const;

private:
    bool Choose(Choice& choice);
    void Start(TTovikMDIChild* a, TTovikMDIChild* b);
    void Leave();
    void ViewGone(QObject* view);
    void Jump(bool forward);
    // Gives the other view the same top row and cursor as `from`.
    void Follow(OBufferView* from);
    void Edited();
    void CountSlice();
    bool Busy() const;
    void ShowStatus();

    TTovikApp& app_;
    // The views while compare mode is on. A view that goes away reports it
    // while it is only a QWidget any more: it is known by its object then.
    OBufferView* viewA_ = nullptr;
    OBufferView* viewB_ = nullptr;
    QObject* objectA_ = nullptr;
    QObject* objectB_ = nullptr;
    std::unique_ptr<OImageCompare> compare_;
    std::unique_ptr<OCompareIndex> index_;
    QPointer<QLabel> status_;
    // Counts the ranges a slice at a time while the window stays responsive.
    QTimer counter_;
    // Edits come in bursts (typing, fills); the count starts over after them.
    QTimer stale_;
    static constexpr size_t kNone = size_t(-1);
    size_t current_ = kNone;
    // Where the last jump left the cursor.
    Address jumpedTo_ = kNoAddress;
    QString notice_;
    bool following_ = false;
};
