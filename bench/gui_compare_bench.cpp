// Compare mode in the hex view: two documents whose windows span the whole
// address space with 1 MiB written in each, spread over it. Next difference
// (from a fresh count, the worst case after an edit) followed by the repaint
// of a 60-row window with its marks, and the same repaint without marks.

#include "quiet_host.h"
#include "buffer/data_buffer.h"
#include "document/buffer_document.h"
#include "document/image_compare.h"
#include "settings/profile.h"
#include "view/qt/buffer_view.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <memory>
#include <vector>

namespace {

constexpr Address kPieces = 64;
constexpr Address kPiece = (1 << 20) / kPieces;
constexpr int kRows = 60;

struct Setup {
    QTemporaryDir dir;
    QuietHost host;
    std::unique_ptr<OBufferDocument> a, b;
    std::unique_ptr<OImageCompare> compare;
    std::unique_ptr<OBufferView> view;
    QImage image;

    Setup()
    {
        const std::string ini = dir.filePath("dravel.ini").toStdString();
        OProfile(ini).WriteInt("Settings", "undo", 0);
        a = std::make_unique<OBufferDocument>(host, ini, "bin");
        b = std::make_unique<OBufferDocument>(host, ini, "bin");
        std::vector<uint8_t> piece(kPiece);
        const Address span = ODataBuffer::AddressLimit;
        for (Address p = 0; p < kPieces; ++p) {
            for (Address i = 0; i < kPiece; ++i)
                piece[size_t(i)] = uint8_t(i * 7 + p);
            // The last piece ends at the top of the address space.
            const Address at = p + 1 < kPieces ? p * (span / kPieces) : span - kPiece;
            a->WriteBlock(piece.data(), at, kPiece);
            piece[kPiece / 2] ^= 0x5A;
            b->WriteBlock(piece.data(), at, kPiece);
        }
        compare = std::make_unique<OImageCompare>(a->Data(), b->Data());
        view = std::make_unique<OBufferView>(a.get());
        view->Painter().SetMarks(compare.get());
        view->show();
        const OViewModel& m = view->Model();
        int height = 100 + kRows * m.RowHeight;
        for (int i = 0; i < 4 && m.Rows != kRows; ++i) {
            view->resize(900, height);
            QCoreApplication::processEvents();
            height += (kRows - m.Rows) * m.RowHeight;
        }
        image = QImage(view->size(), QImage::Format_ARGB32_Premultiplied);
    }
};

std::unique_ptr<Setup> shared;

Setup& Shared()
{
    if (!shared)
        shared = std::make_unique<Setup>();
    return *shared;
}

void Repaint(Setup& s)
{
    QPainter painter(&s.image);
    s.view->Render(painter, s.view->rect(), true);
}

void gui_NextDifferenceAndRepaint(benchmark::State& state)
{
    Setup& s = Shared();
    if (s.a->Size() < ODataBuffer::AddressLimit / 2)
        state.SkipWithError("the window does not span the address space");
    OViewModel& model = s.view->Model();
    Address stops = 0;
    for (auto _ : state) {
        OCompareIndex index(*s.compare);
        const std::optional<size_t> next = index.After(model.Cursor);
        model.Cursor = next ? decltype(model.Cursor)(index.Ranges()[*next].first) : 0;
        model.EnsureCursorVisible();
        Repaint(s);
        ++stops;
    }
    state.counters["stops"] = double(stops);
}
BENCHMARK(gui_NextDifferenceAndRepaint)->Unit(benchmark::kMillisecond);

void gui_RepaintWithMarks(benchmark::State& state)
{
    Setup& s = Shared();
    s.view->Painter().SetMarks(state.range(0) ? s.compare.get() : nullptr);
    for (auto _ : state)
        Repaint(s);
    s.view->Painter().SetMarks(s.compare.get());
}
BENCHMARK(gui_RepaintWithMarks)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    shared.reset();
    benchmark::Shutdown();
    return 0;
}
