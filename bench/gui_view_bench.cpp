// Drawing cost of the hex view over a 16 MiB buffer: a full window of 60
// rows, and the single row redrawn after a typed byte, each painted into an
// offscreen image as the widget's paint event would. And opening a 16 MiB
// Intel HEX file in the editor up to its first painted rows, against the
// converter's read of the same file.

#include "quiet_host.h"
#include "app/program_paths.h"
#include "app/qt/doc_manager.h"
#include "app/qt/tovik_app.h"
#include "settings/profile.h"
#include "document/buffer_document.h"
#include "view/qt/buffer_view.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <random>
#include <vector>

namespace {

constexpr int32_t kSize = 16 * 1024 * 1024;
constexpr int kRows = 60;

struct Setup {
    QTemporaryDir dir;
    QuietHost host;
    std::unique_ptr<OBufferDocument> doc;
    std::unique_ptr<OBufferView> view;
    QImage image;

    Setup()
    {
        // Without undo the typed bytes do not pile up journal entries.
        const std::string ini = dir.filePath("dravel.ini").toStdString();
        OProfile(ini).WriteInt("Settings", "undo", 0);
        doc = std::make_unique<OBufferDocument>(host, ini, "bin");
        std::vector<uint8_t> bytes(kSize);
        for (int32_t i = 0; i < kSize; ++i)
            bytes[i] = uint8_t(i * 7 + (i >> 8));
        doc->WriteBlock(bytes.data(), 0, kSize);

        view = std::make_unique<OBufferView>(doc.get());
        view->show();
        // Size the window until exactly 60 rows fit.
        const OViewModel& m = view->Model();
        int height = 100 + kRows * m.RowHeight;
        for (int i = 0; i < 4; ++i) {
            view->resize(900, height);
            QCoreApplication::processEvents();
            if (m.Rows == kRows)
                break;
            height += (kRows - m.Rows) * m.RowHeight;
        }
        OViewModel& model = view->Model();
        model.Cursor = kSize / 2 + 5;
        view->EnsureCursorVisible();
        model.SelStart = kSize / 2 - 40;
        model.SelEnd = kSize / 2 + 2;
        image = QImage(view->size(), QImage::Format_ARGB32_Premultiplied);
    }
};

// Widgets must go before the application object does, so the shared set-up
// is destroyed by main rather than at exit.
std::unique_ptr<Setup> shared;

Setup& Shared()
{
    if (!shared)
        shared = std::make_unique<Setup>();
    return *shared;
}

void gui_ViewFullRepaint(benchmark::State& state)
{
    Setup& s = Shared();
    if (s.view->Model().Rows != kRows) {
        state.SkipWithError("window does not hold 60 rows");
        return;
    }
    const QRect all = s.view->rect();
    for (auto _ : state) {
        QPainter p(&s.image);
        s.view->Render(p, all, true);
    }
    state.counters["rows"] = s.view->Model().Rows;
}
BENCHMARK(gui_ViewFullRepaint)->Unit(benchmark::kMicrosecond);

void gui_ViewTypedByteRow(benchmark::State& state)
{
    Setup& s = Shared();
    OViewModel& m = s.view->Model();
    m.AsciiMode = false;
    static const char digits[] = "0123456789ABCDEF";
    int i = 0;
    for (auto _ : state) {
        // The typed digit moves the cursor on; keep it within the row.
        if (m.Cursor % 16 == 15 && m.LowNibble)
            m.Cursor -= 15;
        m.Char(uint8_t(digits[i++ & 15]));
        const ViewDamage damage = m.TakeDamage();
        const int32_t row = damage.rows.front().first;
        QPainter p(&s.image);
        s.view->Render(p, QRect(m.RowsRect.left, m.RowY(row), m.RowsRect.Width(), m.RowHeight),
                       true);
    }
}
BENCHMARK(gui_ViewTypedByteRow)->Unit(benchmark::kMicrosecond);

// Seconds of wall and CPU time a piece of work takes.
struct Cost {
    double wall = 0;
    double cpu = 0;
};

template <class Work>
Cost Measure(Work work)
{
    auto cpuNow = [] {
        timespec t;
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
        return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
    };
    const auto wall = std::chrono::steady_clock::now();
    const double cpu = cpuNow();
    work();
    return {std::chrono::duration<double>(std::chrono::steady_clock::now() - wall).count(), cpuNow() - cpu};
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

struct OpenSetup {
    QTemporaryDir dir;
    std::string path;
    std::unique_ptr<TTovikApp> app;

    OpenSetup()
    {
        InitProgramPaths(dir.filePath("dravel").toStdString());
        app = std::make_unique<TTovikApp>();
        app->InitInstance({});
        QCoreApplication::processEvents();
        // DRAVEL_BENCH_OPEN names another file to open (an ELF image, say).
        if (const char* other = std::getenv("DRAVEL_BENCH_OPEN")) {
            path = other;
            return;
        }
        // The file: 16 MiB of random bytes as Intel HEX, written by a document.
        path = dir.filePath("image.int").toStdString();
        QuietHost host;
        OBufferDocument doc(host, std::string(), "ext");
        std::vector<uint8_t> bytes(kSize);
        std::mt19937 random(17);
        for (uint8_t& b : bytes)
            b = uint8_t(random());
        doc.WriteBlock(bytes.data(), 0, kSize);
        doc.SetPath(path);
        doc.Commit(true);
    }
};

std::unique_ptr<OpenSetup> opening;

// In turns: the converter's read (a document on a host without a window, as
// dravel-conv reads) and the editor's open through its document manager,
// which adds the busy window, event handling, the view and its first paint.
void gui_OpenIntelToFirstRows(benchmark::State& state)
{
    if (!opening)
        opening = std::make_unique<OpenSetup>();
    OpenSetup& s = *opening;
    std::vector<double> conv, editor, wallRatios, cpuRatios;
    for (auto _ : state) {
        const Cost read = Measure([&] {
            QuietHost host;
            OBufferDocument doc(host, std::string(), "ext");
            doc.Open(s.path);
            benchmark::DoNotOptimize(doc.Size());
        });
        OBufferView* view = nullptr;
        const Cost open = Measure([&] {
            s.app->DocManager()->CreateNewDocument(s.path, 0);
            TTovikMDIChild* child = s.app->Children().back();
            view = qobject_cast<OBufferView*>(child->widget());
            benchmark::DoNotOptimize(view->grab());
        });
        state.SetIterationTime(open.wall);
        if (!view || view->Model().Rows == 0)
            state.SkipWithError("no rows painted");
        for (TTovikMDIChild* child : s.app->Children())
            child->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        conv.push_back(read.wall * 1e3);
        editor.push_back(open.wall * 1e3);
        wallRatios.push_back(open.wall / read.wall);
        cpuRatios.push_back(open.cpu / read.cpu);
    }
    state.counters["conv_ms"] = Median(conv);
    state.counters["editor_ms"] = Median(editor);
    state.counters["wall_ratio"] = Median(wallRatios);
    state.counters["cpu_ratio"] = Median(cpuRatios);
}
BENCHMARK(gui_OpenIntelToFirstRows)->UseManualTime()->Iterations(7)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    shared.reset();
    opening.reset();
    benchmark::Shutdown();
    return 0;
}
