#pragma once
// Search > Go to symbol: the functions and objects of the ELF file the
// active document was read from, filtered as the user types; choosing one
// puts the cursor on its load address and selects its bytes.

#include <QDialog>

#include <cstddef>
#include <vector>

struct ElfInfo;
class OBufferView;
class QLineEdit;
class QListWidget;

class TGoToSymbolDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* kTitle = "Go to symbol";

    TGoToSymbolDlg(QWidget* owner, const ElfInfo& info);

    // The chosen symbol (an index into the file's symbols), after Accept.
    size_t Chosen() const { return chosen_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Refill();
    void Choose();

    const ElfInfo& info_;
    QLineEdit* filter_;
    QListWidget* list_;
    std::vector<size_t> shown_;
    size_t chosen_ = 0;
};

// Runs the dialog over the view's document and moves its cursor.
void RunGoToSymbol(QWidget* owner, OBufferView* view);
