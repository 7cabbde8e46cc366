// The Ranges pane on a 16 MiB random image with 10,000 gaps: counting the
// ranges, filling the pane with them (the list laid out and painted), the
// extra work a typed byte costs while the pane is shown (the cursor's line
// marked, the recount put off), and a row of the view painted with its gaps
// muted. Target: the pane filled in under 100 ms, a typed byte under 1 ms
// of extra work.

#include "quiet_host.h"
#include "app/qt/range_commands.h"
#include "document/buffer_document.h"
#include "document/saved_ranges.h"
#include "settings/profile.h"
#include "view/qt/buffer_view.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDockWidget>
#include <QImage>
#include <QListView>
#include <QMainWindow>
#include <QPainter>
#include <QTemporaryDir>

#include <memory>
#include <random>
#include <vector>

namespace {
constexpr int32_t kSize = 16 * 1024 * 1024;
constexpr int kGaps = 10000;

struct Setup {
    QTemporaryDir dir;
    QuietHost host;
    std::unique_ptr<OBufferDocument> doc;
    std::unique_ptr<QMainWindow> frame;
    OBufferView* view = nullptr;
    TRangeCommands* ranges = nullptr;

    Setup()
    {
        const std::string ini = dir.filePath("dravel.ini").toStdString();
        OProfile(ini).WriteInt("Settings", "undo", 0);
        OProfile(ini).WriteInt(TRangeCommands::kSection, TRangeCommands::kVisibleKey, 1);
        doc = std::make_unique<OBufferDocument>(host, ini, "bin");
        std::mt19937 rng(25);
        std::vector<uint8_t> bytes(kSize);
        for (uint8_t& b : bytes)
            b = static_cast<uint8_t>(rng() % 255);
        // Gaps of 11 to 64 erased bytes, evenly spread.
        for (int g = 0; g < kGaps; ++g) {
            const int32_t at = static_cast<int32_t>((int64_t{kSize} * g + kSize / 2) / kGaps);
            std::fill_n(bytes.begin() + at, 11 + rng() % 54, 0xFF);
        }
        doc->WriteBlock(bytes.data(), 0, kSize);
        frame = std::make_unique<QMainWindow>();
        view = new OBufferView(doc.get());
        frame->setCentralWidget(view);
        ranges = new TRangeCommands(frame.get(), ini);
        frame->resize(1200, 900);
        frame->show();
        ranges->SetView(view);
        QCoreApplication::processEvents();
    }
};

Setup& Shared()
{
    static Setup setup;
    return setup;
}

void BM_CountRanges(benchmark::State& state)
{
    Setup& s = Shared();
    size_t count = 0;
    for (auto _ : state)
        count = s.doc->SavedRanges().size();
    state.counters["ranges"] = double(count);
}

void BM_FillPane(benchmark::State& state)
{
    Setup& s = Shared();
    for (auto _ : state) {
        // A fresh document's worth: the list is emptied first, so the count
        // and the whole model reset, layout and paint are measured.
        s.ranges->SetView(nullptr);
        s.ranges->SetView(s.view);
        s.ranges->List()->viewport()->repaint();
    }
    state.counters["rows"] = double(s.ranges->List()->model()->rowCount());
}

void BM_TypedByteExtraWork(benchmark::State& state)
{
    Setup& s = Shared();
    int32_t address = 0x1000;
    for (auto _ : state) {
        // What the pane does for each keystroke: the cursor notice.
        emit s.view->cursorNotice(address);
        address = (address + 4099) % kSize;
    }
}

void BM_PaintRowWithGaps(benchmark::State& state)
{
    Setup& s = Shared();
    QImage image(1000, 40, QImage::Format_RGB32);
    QPainter painter(&image);
    OViewModel& model = s.view->Model();
    const int32_t gapRow = static_cast<int32_t>((kSize / 2 / kGaps) / 16);
    for (auto _ : state)
        s.view->Painter().PaintRow(painter, model, gapRow);
}
} // namespace

BENCHMARK(BM_CountRanges)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FillPane)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TypedByteExtraWork)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PaintRowWithGaps)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
