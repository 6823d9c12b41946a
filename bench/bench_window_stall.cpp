// The longest time the desktop's event loop is held up while a 10^6-row
// results file opens (read, table and first drawing) and while a 20-run
// sweep runs and its plot repaints. A 1 ms timer ticks throughout; the
// stall is the longest gap between two ticks. Runs on the offscreen platform
// unless another is set.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "main_form.h"
#include "plot_pane.h"
#include "results/plot_ranges.h"
#include "results/results_file.h"
#include "settings_session.h"
#include "solve/system_document.h"
#include "system_file.h"

namespace kora::app {
namespace {

std::filesystem::path Scratch() {
    const auto path = std::filesystem::temp_directory_path() / "kora_bench_window_stall";
    std::filesystem::create_directories(path);
    return path;
}

// Ticks every millisecond while `begin` starts the work and until `done`;
// the longest gap between ticks (the begin call counted), in ms.
double LongestStallMs(const std::function<void()>& begin, const std::function<bool()>& done) {
    QElapsedTimer clock;
    qint64 last = 0;
    qint64 longest = 0;
    QTimer tick;
    tick.setInterval(1);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        longest = std::max(longest, now - last);
        last = now;
    });
    tick.start();
    clock.start();
    begin();
    while (!done())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    // The drawing that follows the last change.
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    longest = std::max(longest, clock.nsecsElapsed() - last);
    return static_cast<double>(longest) / 1e6;
}

struct Window {
    SettingsSession session;
    std::unique_ptr<TMainForm> frame;
    // `sweepThreads`: the "SweepThreads" setting, 0 for one per core.
    explicit Window(int32_t sweepThreads = 0) {
        std::string error;
        session.Load((Scratch() / "settings.ini").string(), error);
        session.settings().noAskSaveResults = true;
        session.settings().sweepThreads = sweepThreads;
        frame = std::make_unique<TMainForm>(session,
                                            QString::fromStdString((Scratch() / "rec").string()));
        frame->resize(1200, 800);
        frame->show();
        QCoreApplication::processEvents();
    }
};

std::string MillionRowFile() {
    const std::string name = (Scratch() / "million.res").string();
    if (std::filesystem::exists(name)) return name;
    ResultsSet set;
    TimeCourse course(3, "decay");
    course.names = {"t", "X", "Y"};
    course.rows = 1000000;
    course.data.Allocate(size_t{3} * 1000000);
    for (int32_t r = 0; r < course.rows; ++r) {
        double* row = course.data.data() + size_t{3} * r;
        row[0] = r * 1e-4;
        row[1] = std::exp(-row[0]) * (1 + 0.1 * std::sin(row[0] * 40));
        row[2] = 1 - row[1];
    }
    set.timeCourses.push_back(std::move(course));
    Recompute(set);
    WriteResultsFile(set, name, '.');
    return name;
}

void BM_OpenMillionRowResults(benchmark::State& state) {
    const std::string name = MillionRowFile();
    for (auto _ : state) {
        Window window;
        TSystemFile* file = nullptr;
        QElapsedTimer total;
        total.start();
        state.counters["stall_ms"] = LongestStallMs(
            [&] {
                window.frame->OpenByName(QString::fromStdString(name));
                file = window.frame->ActiveFile();
            },
            [&] { return file != nullptr && !file->document()->IsRunning(); });
        state.counters["total_ms"] = static_cast<double>(total.elapsed());
        if (file == nullptr || !file->document()->HasResults()) state.SkipWithError("not read");
    }
}
BENCHMARK(BM_OpenMillionRowResults)->Iterations(1)->Unit(benchmark::kMillisecond);

// Twenty runs of 30,001 rows superimposed; after the sweep the pane is
// repainted as an expose or a window moved over it repaints it.
void BM_SweepRepaints(benchmark::State& state) {
    std::string text = "k = 0.4\nK = 1\nX' = k * X * (1 - X/K)\nY' = X - Y\nX = 0.01\nY = 0\n"
                       "tf = 30\nhr = 0.001\n!! X, Y\nSCRIPT\nSETTING k = 0.1";
    for (int i = 2; i <= 20; ++i)
        text += ", k = " + std::to_string(0.1 * i);
    text += "\nRUN\nNEXT\nEND SCRIPT\n";
    const auto model = Scratch() / "sweep.krm";
    std::ofstream(model) << text;
    for (auto _ : state) {
        Window window;
        window.session.settings().maxRunValues = 1 << 30;
        window.frame->OpenByName(QString::fromStdString(model.string()));
        TSystemFile* file = window.frame->ActiveFile();
        state.counters["sweep_stall_ms"] =
            LongestStallMs([&] { file->document()->AnalysisRunClick(); },
                           [&] { return !file->document()->IsRunning(); });
        PlotPane* pane = file->plotPane();
        QElapsedTimer paint;
        paint.start();
        for (int i = 0; i < 10; ++i)
            pane->repaint();
        state.counters["repaint_ms"] = static_cast<double>(paint.nsecsElapsed()) / 1e7;
        state.counters["drawings"] = pane->drawings();
        state.counters["runs"] =
            static_cast<double>(file->document()->results().timeCourses.size());
    }
}
BENCHMARK(BM_SweepRepaints)->Iterations(1)->Unit(benchmark::kMillisecond);

// A 451-run sweep of a four-variable S-system, each pass writing one line,
// run from the window on 1 worker (the serial way) or 2 (the parallel way).
void BM_DesktopSweep(benchmark::State& state) {
    std::string text = "X0 = 1\n&& X0\nX1' = 2 * X0 * X4^-0.5 - 1.5 * X1^0.5\n"
                       "X2' = 1.5 * X1^0.5 - 1.2 * X2^0.5\nX3' = 1.2 * X2^0.5 - 1 * X3^0.5\n"
                       "X4' = 1 * X3^0.5 - 0.8 * X4^0.6\nX1 = 0.1\nX2 = 0.1\nX3 = 0.1\n"
                       "X4 = 0.1\ntf = 20\nhr = 1\nSCRIPT\nSETTING X0 = 0.5 : 5 : 0.01\n"
                       "RUN\nW X0, X4@LAST\nNEXT\nEND SCRIPT\n";
    const auto model = Scratch() / "sweep4.krm";
    std::ofstream(model) << text;
    for (auto _ : state) {
        Window window(static_cast<int32_t>(state.range(0)));
        window.frame->OpenByName(QString::fromStdString(model.string()));
        TSystemFile* file = window.frame->ActiveFile();
        QElapsedTimer total;
        total.start();
        state.counters["stall_ms"] = LongestStallMs([&] { file->document()->AnalysisRunClick(); },
                                                    [&] { return !file->document()->IsRunning(); });
        state.counters["total_ms"] = static_cast<double>(total.elapsed());
        state.counters["drawings"] = file->plotPane()->drawings();
        state.counters["ahead"] = file->document()->scriptRecord().solvesAhead;
        state.counters["runs"] =
            static_cast<double>(file->document()->results().timeCourses.size());
    }
}
BENCHMARK(BM_DesktopSweep)->Arg(1)->Arg(2)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace kora::app

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
