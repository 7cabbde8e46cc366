#pragma once
// File › Split..., File › Merge lanes... and Buffer › Swap bytes...: the
// dialogs (420, 421, 422) and the commands around the core's lane unit.

#include "document/lanes.h"

#include <QDialog>

#include <string>
#include <vector>

class OBufferDocument;
class OBufferView;
class OTovikDocManager;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;

inline constexpr int SplitLanesDialog = 420;
inline constexpr int MergeLanesDialog = 421;
inline constexpr int SwapBytesDialog = 422;
inline constexpr int SplitLanesHelp = 3201;
inline constexpr int MergeLanesHelp = 3202;
inline constexpr int SwapBytesHelp = 3203;

// The shapes offered, in the order of the drop-downs.
const std::vector<LaneShape>& OfferedLaneShapes();

class OSplitLanesDlg : public QDialog {
    Q_OBJECT
public:
    OSplitLanesDlg(QWidget* owner, const QString& output, int templateIndex);

    LaneShape Shape() const;
    int TemplateIndex() const;
    std::vector<std::string> Names() const;

    // Refuses names that cannot be written and asks before replacing files.
    void accept() override;

private:
    void ShowNames();

    QComboBox* shape_;
    QComboBox* type_;
    QLineEdit* output_;
    QLabel* names_;
};

class OMergeLanesDlg : public QDialog {
    Q_OBJECT
public:
    explicit OMergeLanesDlg(QWidget* owner);

    LaneShape Shape() const;
    std::vector<std::string> Paths() const;

    void accept() override;

private:
    // A lane file or the stem named in one edit fills in the empty others.
    void CompleteFrom(int index);
    void ShowLanes();

    QComboBox* shape_;
    std::vector<QLineEdit*> edits_;
    std::vector<QWidget*> rows_;
    std::vector<QWidget*> labels_;
};

class OSwapBytesDlg : public QDialog {
    Q_OBJECT
public:
    OSwapBytesDlg(QWidget* owner, bool selection);

    int Width() const;
    bool OverSelection() const;

private:
    QRadioButton* bits16_;
    QRadioButton* bits32_;
    QRadioButton* selection_;
    QRadioButton* window_;
};

// The commands: each runs its dialog and then the operation.
void RunSplitLanes(QWidget* owner, OBufferDocument& document);
void RunMergeLanes(QWidget* owner, OTovikDocManager& manager);
void RunSwapBytes(QWidget* owner, OBufferView& view);
