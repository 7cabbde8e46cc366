// Printing a 16 MiB buffer (17,477 A4 pages): opening the preview, which
// counts the pages and draws the first, and turning a page must each stay
// well under 200 ms however long the document is; a PDF of every page is
// timed once and its size reported (with DRAVEL_BENCH_FULL_PDF=1).

#include "quiet_host.h"
#include "document/buffer_document.h"
#include "print/qt/page_device.h"
#include "print/qt/preview_win.h"
#include "print/qt/print_commands.h"
#include "print/qt/printout.h"
#include "view/qt/buffer_view.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QTemporaryDir>

#include <memory>
#include <vector>

namespace {

constexpr int32_t kSize = 16 * 1024 * 1024;

struct Setup {
    QTemporaryDir dir;
    QuietHost host;
    std::unique_ptr<OBufferDocument> doc;
    std::unique_ptr<OBufferView> view;
    std::unique_ptr<QPrinter> printer;
    OPrintSetup setup;

    Setup()
    {
        doc = std::make_unique<OBufferDocument>(host, dir.filePath("dravel.ini").toStdString(), "bin");
        doc->SetTitle("big.bin");
        std::vector<uint8_t> bytes(kSize);
        for (int32_t i = 0; i < kSize; ++i)
            bytes[size_t(i)] = uint8_t(i * 7 + (i >> 8));
        doc->WriteBlock(bytes.data(), 0, kSize);
        view = std::make_unique<OBufferView>(doc.get());
        printer = MakeAppPrinter();
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setPageSize(QPageSize(QPageSize::A4));
        printer->setOutputFileName(dir.filePath("all.pdf"));
    }
};

std::unique_ptr<Setup> shared;

Setup& Shared()
{
    if (!shared)
        shared = std::make_unique<Setup>();
    return *shared;
}

// The preview page drawn as its window would be at a usual size.
void DrawPreviewPage(OPreviewPage& page, QImage& image)
{
    page.resize(image.size());
    page.render(&image);
}

void gui_PreviewOpen(benchmark::State& state)
{
    Setup& s = Shared();
    QImage image(560, 790, QImage::Format_ARGB32_Premultiplied);
    TApxPrintout printout(QStringLiteral("Print Preview"), s.view.get(), s.setup);
    for (auto _ : state) {
        TApxPreviewWin preview(QStringLiteral("Dravel 97"), printout, s.setup,
                               PrinterFigures(*s.printer), {});
        DrawPreviewPage(*preview.FirstPage(), image);
    }
    state.counters["pages"] = s.setup.maxPage;
}
BENCHMARK(gui_PreviewOpen)->Unit(benchmark::kMillisecond);

void gui_PreviewTurnPage(benchmark::State& state)
{
    Setup& s = Shared();
    QImage image(560, 790, QImage::Format_ARGB32_Premultiplied);
    TApxPrintout printout(QStringLiteral("Print Preview"), s.view.get(), s.setup);
    TApxPreviewWin preview(QStringLiteral("Dravel 97"), printout, s.setup, PrinterFigures(*s.printer), {});
    // Far into the document, where a layout of every page would show.
    for (int i = 0; i < 9000; ++i)
        preview.Command(CmPreviewNext);
    for (auto _ : state) {
        preview.Command(CmPreviewNext);
        DrawPreviewPage(*preview.FirstPage(), image);
    }
    state.counters["page"] = preview.Pages().FromPage();
}
BENCHMARK(gui_PreviewTurnPage)->Unit(benchmark::kMillisecond);

void gui_PrintAllPagesToPdf(benchmark::State& state)
{
    // Minutes of work: run only when asked for.
    if (qEnvironmentVariableIsEmpty("DRAVEL_BENCH_FULL_PDF")) {
        state.SkipWithError("set DRAVEL_BENCH_FULL_PDF=1 to print every page");
        return;
    }
    Setup& s = Shared();
    TApxPrintout printout(QStringLiteral("big.bin"), s.view.get(), s.setup);
    for (auto _ : state)
        printout.Print(*s.printer);
    state.counters["pages"] = s.setup.maxPage;
    state.counters["MiB"] = QFileInfo(s.printer->outputFileName()).size() / (1024.0 * 1024.0);
}
BENCHMARK(gui_PrintAllPagesToPdf)->Unit(benchmark::kSecond)->Iterations(1);

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
