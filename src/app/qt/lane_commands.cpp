#include "app/qt/lane_commands.h"

#include "app/doc_templates.h"
#include "app/qt/doc_manager.h"
#include "app/qt/qt_document_host.h"
#include "app/qt/shell_services.h"
#include "dialogs/qt/dialog_services.h"
#include "document/buffer_document.h"
#include "document/lane_files.h"
#include "formats/output_size.h"
#include "view/qt/buffer_view.h"

#include <QStandardItemModel>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <memory>
#include <string>

namespace {
QString ShapeText(LaneShape shape)
{
    const int bus = shape.Group() * 8;
    return QStringLiteral("%1 lanes of %2 byte%3 (%4-bit bus)")
        .arg(shape.lanes)
        .arg(shape.width)
        .arg(shape.width > 1 ? QStringLiteral("s") : QString())
        .arg(bus);
}

QComboBox* ShapeBox(QWidget* parent)
{
    auto* box = new QComboBox(parent);
    box->setObjectName(QStringLiteral("shape"));
    for (const LaneShape shape : OfferedLaneShapes())
        box->addItem(ShapeText(shape));
    return box;
}

QDialogButtonBox* Buttons(QDialog* dialog, int helpContext)
{
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Help,
                                         dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    QObject::connect(buttons, &QDialogButtonBox::helpRequested, dialog, [helpContext] { ShowHelpTopic(helpContext); });
    return buttons;
}

QString Lines(const std::vector<std::string>& names)
{
    QStringList lines;
    for (const std::string& name : names)
        lines << QString::fromStdString(name);
    return lines.join(QLatin1Char('\n'));
}

} // namespace

const std::vector<LaneShape>& OfferedLaneShapes()
{
    static const std::vector<LaneShape> shapes{{2, 1}, {2, 2}, {4, 1}, {4, 2}};
    return shapes;
}

// --- Split ---------------------------------------------------------------

OSplitLanesDlg::OSplitLanesDlg(QWidget* owner, const QString& output, int templateIndex) : QDialog(owner)
{
    setObjectName(QString::number(SplitLanesDialog));
    setWindowTitle(QStringLiteral("Split into lanes"));
    shape_ = ShapeBox(this);
    type_ = new QComboBox(this);
    type_->setObjectName(QStringLiteral("type"));
    type_->addItems(TemplateFileFilters());
    // Lanes are written; a type that is only read is offered greyed.
    if (auto* types = qobject_cast<QStandardItemModel*>(type_->model()))
        types->item(kElfTemplate)->setEnabled(false);
    type_->setCurrentIndex(templateIndex);
    output_ = new QLineEdit(output, this);
    output_->setObjectName(QStringLiteral("output"));
    output_->setMinimumWidth(output_->fontMetrics().horizontalAdvance(QLatin1Char('x')) * 48);
    auto* browse = new QPushButton(QStringLiteral("&Browse..."), this);
    names_ = new QLabel(this);
    names_->setObjectName(QStringLiteral("names"));
    names_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* outputRow = new QHBoxLayout;
    outputRow->addWidget(output_, 1);
    outputRow->addWidget(browse);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Lanes:"), shape_);
    form->addRow(QStringLiteral("File &type:"), type_);
    auto* outputLabel = new QLabel(QStringLiteral("&Output name:"), this);
    outputLabel->setBuddy(output_);
    form->addRow(outputLabel, outputRow);
    form->addRow(QStringLiteral("Files written:"), names_);
    auto* top = new QVBoxLayout(this);
    top->addLayout(form);
    top->addWidget(Buttons(this, SplitLanesHelp));

    connect(shape_, &QComboBox::currentIndexChanged, this, &OSplitLanesDlg::ShowNames);
    // A name whose extension names a file type follows the new type.
    connect(type_, &QComboBox::currentIndexChanged, this, [this](int index) {
        output_->setText(QString::fromStdString(WithTypeExtension(output_->text().toStdString(), index)));
    });
    connect(output_, &QLineEdit::textChanged, this, &OSplitLanesDlg::ShowNames);
    connect(browse, &QPushButton::clicked, this, [this] {
        const QString name = QFileDialog::getSaveFileName(this, QStringLiteral("Output name"), output_->text(),
                                                          QString(), nullptr, QFileDialog::DontConfirmOverwrite);
        if (!name.isEmpty())
            output_->setText(name);
    });
    ShowNames();
}

LaneShape OSplitLanesDlg::Shape() const { return OfferedLaneShapes()[size_t(shape_->currentIndex())]; }
int OSplitLanesDlg::TemplateIndex() const { return type_->currentIndex(); }

std::vector<std::string> OSplitLanesDlg::Names() const
{
    const std::string output = output_->text().toStdString();
    return output.empty() ? std::vector<std::string>() : LaneFileNames(output, Shape());
}

void OSplitLanesDlg::ShowNames() { names_->setText(Lines(Names())); }

void OSplitLanesDlg::accept()
{
    const std::vector<std::string> names = Names();
    if (names.empty()) {
        ShowInputMessage(this, QStringLiteral("Enter the name the lane files are made from."), windowTitle());
        return;
    }
    if (const std::string problem = UnwritableProblem(names); !problem.empty()) {
        ShowInputMessage(this, QString::fromStdString(problem), windowTitle());
        return;
    }
    const std::vector<std::string> existing = ExistingFiles(names);
    if (!existing.empty() &&
        ShowMessageBox(this, QStringLiteral("These files exist already:\n") + Lines(existing) +
                           QStringLiteral("\n\nReplace them?"),
                       windowTitle(), mbIconQuestion | mbYesNoCancel) != idYes)
        return;
    QDialog::accept();
}

void RunSplitLanes(QWidget* owner, OBufferDocument& document)
{
    const int index = OTovikDocManager::TemplateOf(document);
    std::string base = document.Path();
    if (base.empty()) {
        // An untitled document's lanes are named after its title, with the
        // extension of its file type.
        base = QDir::current().filePath(QString::fromStdString(document.Title())).toStdString();
        if (*kDocTemplates[index].defaultExtension)
            base += std::string(".") + kDocTemplates[index].defaultExtension;
    }
    OSplitLanesDlg dialog(owner, QString::fromStdString(base), index);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const LaneShape shape = dialog.Shape();
    const std::vector<std::string> names = dialog.Names();
    const std::string key = kDocTemplates[dialog.TemplateIndex()].defaultExtension;
    // Every lane is an image of the lanes' shared window: one question for all.
    Address laneFirst, laneCount;
    LaneWindow(document.Start(), document.Size(), shape, laneFirst, laneCount);
    const std::string question = SaveSizeQuestion(FormatFromKey(key), laneFirst + laneCount);
    if (!question.empty() && ShowMessageBox(owner, QString::fromStdString(question), dialog.windowTitle(),
                                            mbIconQuestion | mbYesNoCancel) != idYes)
        return;
    // All lanes or none: Cancel or a failure leaves the lane files as they were.
    if (const std::string problem = WriteLaneFiles(document, names, key, shape, WriterOptions{}); !problem.empty()) {
        if (!document.WasStopped())
            ShowMessageBox(owner, QString::fromStdString(problem + "."), dialog.windowTitle(), mbIconStop);
        return;
    }
    ShowMessageBox(owner, QStringLiteral("The lanes were written:\n") + Lines(names), dialog.windowTitle(),
                   mbIconInformation);
}

// --- Merge ---------------------------------------------------------------

OMergeLanesDlg::OMergeLanesDlg(QWidget* owner) : QDialog(owner)
{
    setObjectName(QString::number(MergeLanesDialog));
    setWindowTitle(QStringLiteral("Merge lanes"));
    shape_ = ShapeBox(this);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Lanes:"), shape_);
    for (int k = 0; k < 4; ++k) {
        auto* row = new QWidget(this);
        auto* edit = new QLineEdit(row);
        edit->setObjectName(QStringLiteral("lane%1").arg(k));
        edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(QLatin1Char('x')) * 48);
        auto* browse = new QPushButton(QStringLiteral("..."), row);
        browse->setFixedWidth(browse->fontMetrics().horizontalAdvance(QStringLiteral("...")) * 3);
        auto* layout = new QHBoxLayout(row);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(edit, 1);
        layout->addWidget(browse);
        form->addRow(QStringLiteral("Lane &%1:").arg(k), row);
        edits_.push_back(edit);
        rows_.push_back(row);
        labels_.push_back(form->labelForField(row));
        connect(edit, &QLineEdit::editingFinished, this, [this, k] { CompleteFrom(k); });
        connect(browse, &QPushButton::clicked, this, [this, edit, k] {
            const QString name = QFileDialog::getOpenFileName(this, QStringLiteral("Lane file"), edit->text());
            if (name.isEmpty())
                return;
            edit->setText(name);
            CompleteFrom(k);
        });
    }
    auto* note = new QLabel(QStringLiteral("A lane file or the name the lanes share fills in the others."), this);
    auto* top = new QVBoxLayout(this);
    top->addLayout(form);
    top->addWidget(note);
    top->addWidget(Buttons(this, MergeLanesHelp));
    // The lanes chosen last time come back, for the next set of the same kind.
    static int lastShape = 0;
    shape_->setCurrentIndex(lastShape);
    connect(shape_, &QComboBox::currentIndexChanged, this, [this](int index) {
        lastShape = index;
        ShowLanes();
    });
    ShowLanes();
}

LaneShape OMergeLanesDlg::Shape() const { return OfferedLaneShapes()[size_t(shape_->currentIndex())]; }

std::vector<std::string> OMergeLanesDlg::Paths() const
{
    std::vector<std::string> paths;
    for (int k = 0; k < Shape().lanes; ++k)
        paths.push_back(edits_[size_t(k)]->text().toStdString());
    return paths;
}

void OMergeLanesDlg::ShowLanes()
{
    for (size_t k = 0; k < rows_.size(); ++k) {
        rows_[k]->setVisible(int(k) < Shape().lanes);
        labels_[k]->setVisible(int(k) < Shape().lanes);
    }
}

void OMergeLanesDlg::CompleteFrom(int index)
{
    const std::string named = edits_[size_t(index)]->text().toStdString();
    if (named.empty())
        return;
    const std::vector<std::string> set = LaneSet(named, Shape());
    // A stem that is no lane file itself gives way to its lanes.
    edits_[size_t(index)]->setText(QString::fromStdString(set[size_t(index)]));
    for (int k = 0; k < Shape().lanes; ++k)
        if (edits_[size_t(k)]->text().isEmpty())
            edits_[size_t(k)]->setText(QString::fromStdString(set[size_t(k)]));
}

void OMergeLanesDlg::accept()
{
    for (const std::string& path : Paths())
        if (path.empty()) {
            ShowInputMessage(this, QStringLiteral("Name a file for every lane."), windowTitle());
            return;
        }
    QDialog::accept();
}

void RunMergeLanes(QWidget* owner, OTovikDocManager& manager)
{
    OMergeLanesDlg dialog(owner);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const std::vector<std::string> paths = dialog.Paths();
    OQtDocumentHost host(owner);
    std::vector<std::unique_ptr<OBufferDocument>> lanes;
    std::vector<const OBufferDocument*> order;
    for (const std::string& path : paths) {
        const int match = MatchTemplate(path);
        const int index = match < 0 ? int(kDocTemplateCount) - 1 : match;
        lanes.push_back(std::make_unique<OBufferDocument>(host, std::string(), kDocTemplates[index].defaultExtension));
        if (!lanes.back()->Open(path))
            return;
        order.push_back(lanes.back().get());
    }
    const int match = MatchTemplate(paths.front());
    const LaneShape shape = dialog.Shape();
    const OBufferDocument* made =
        manager.CreateFilled(match < 0 ? int(kDocTemplateCount) - 1 : match, [&](OBufferDocument& merged) {
            if (!merged.TakeMerged(order, shape))
                return false;
            merged.SetDirty(true);
            return true;
        });
    if (!made)
        return;
    if (const std::string problem = LaneCoverageProblem(order, paths); !problem.empty())
        ShowMessageBox(owner, QString::fromStdString(problem), dialog.windowTitle(), mbIconExclamation);
}

// --- Swap ----------------------------------------------------------------

OSwapBytesDlg::OSwapBytesDlg(QWidget* owner, bool selection) : QDialog(owner)
{
    setObjectName(QString::number(SwapBytesDialog));
    setWindowTitle(QStringLiteral("Swap bytes"));
    auto* width = new QGroupBox(QStringLiteral("Word"), this);
    bits16_ = new QRadioButton(QStringLiteral("&16 bit: swap each pair of bytes"), width);
    bits32_ = new QRadioButton(QStringLiteral("&32 bit: reverse each group of four"), width);
    bits16_->setObjectName(QStringLiteral("bits16"));
    bits32_->setObjectName(QStringLiteral("bits32"));
    bits16_->setChecked(true);
    auto* widthLayout = new QVBoxLayout(width);
    widthLayout->addWidget(bits16_);
    widthLayout->addWidget(bits32_);
    auto* range = new QGroupBox(QStringLiteral("Range"), this);
    selection_ = new QRadioButton(QStringLiteral("The &selection"), range);
    window_ = new QRadioButton(QStringLiteral("The whole &window"), range);
    selection_->setObjectName(QStringLiteral("selection"));
    window_->setObjectName(QStringLiteral("window"));
    selection_->setEnabled(selection);
    (selection ? selection_ : window_)->setChecked(true);
    auto* rangeLayout = new QVBoxLayout(range);
    rangeLayout->addWidget(selection_);
    rangeLayout->addWidget(window_);
    auto* top = new QVBoxLayout(this);
    top->addWidget(width);
    top->addWidget(range);
    top->addWidget(Buttons(this, SwapBytesHelp));
}

int OSwapBytesDlg::Width() const { return bits32_->isChecked() ? 4 : 2; }
bool OSwapBytesDlg::OverSelection() const { return selection_->isChecked(); }

void RunSwapBytes(QWidget* owner, OBufferView& view)
{
    if (view.RefuseWhileBusy())
        return;
    OViewModel& model = view.Model();
    OSwapBytesDlg dialog(owner, model.HasSelection());
    if (dialog.exec() != QDialog::Accepted)
        return;
    OBufferDocument& document = view.Document();
    const Address first = dialog.OverSelection() ? model.SelStart : document.Start();
    const Address last = dialog.OverSelection() ? model.SelEnd : document.End() - 1;
    const Address left = document.SwapBytes(first, last, dialog.Width());
    model.Refresh();
    view.ApplyDamage();
    if (const std::string notice = SwapRemainderNotice(first, last, dialog.Width(), left); !notice.empty())
        document.Host().MessageBox(notice, dialog.windowTitle().toStdString(), mbIconInformation | mbOk);
}
