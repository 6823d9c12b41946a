// The longest time the main thread is away from its event loop while the
// Steady state command (F8) runs on a 200-variable model whose search fails
// from every start and falls back to integration. The main thread turns a
// MainThreadQueue, as kora-batch does and as the desktop's event loop does
// with the same posted calls; "stall" is the longest gap between two turns.
// "synchronous" runs the same build and computation inside one posted call,
// as the command did when it ran on the main thread.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "base/app_host.h"
#include "base/document_host.h"
#include "numeric/krmform_ss.h"
#include "settings/settings.h"
#include "solve/main_thread_queue.h"
#include "solve/steady_state_run.h"
#include "solve/system_document.h"

namespace kora {
namespace {

using Clock = std::chrono::steady_clock;

// 100 copies of a pair whose components lie four orders of magnitude apart:
// the search fails from all 20 starts and the integration finds the state.
std::vector<std::string> FallbackModel() {
    std::vector<std::string> text;
    for (int i = 1; i <= 100; ++i) {
        const std::string a = "A" + std::to_string(i), b = "B" + std::to_string(i);
        text.push_back(a + "' = 250 - 0.0015 " + a + "^1.3 - 0.02 " + a + "^0.8 " + b + "^0.2");
        text.push_back(b + "' = 0.02 " + a + "^0.6 - 0.4 " + b + "^0.85 - 0.02 " + b + "^0.85 " +
                       a + "^0.4");
        text.push_back(a + " = 0.01");
        text.push_back(b + " = 20");
    }
    return text;
}

class QuietHost : public DocumentHost, public AppHost, public DocumentList {
public:
    explicit QuietHost(MainThreadQueue& queue) : queue_(queue) {}
    void PostToMainThread(std::function<void()> work) override { queue_.Post(std::move(work)); }
    void SetStatus(const std::string&) override {}
    void ShowProgress(const ProgressSnapshot&) override {}
    void SetRunning(bool) override {}
    void ResultsChanged() override {}
    void ShowErrorReport(const std::vector<std::string>&) override { ++failures; }
    void WarningBox(const std::string&, const std::string&) override { ++failures; }
    Answer Ask(const std::string&, const std::string&) override { return Answer::Cancel; }
    bool ConfirmLargeRun(const RunSize&, int64_t) override { return false; }
    std::vector<std::string> EditorLines() override { return editor; }
    bool TextModified() override { return false; }
    std::string SaveDocument() override { return {}; }
    bool SaveCurrentResults() override { return false; }
    void Beep() override {}
    void ReportInternalError(const std::string&) override { ++failures; }
    void OpenMessagesWindow(const std::string&, const std::string&) override {}
    void AppendMessages(const std::string&, const std::string&) override {}
    void FinishMessagesWindow(const std::string&) override {}
    void ShowSteadyStateReport(const std::string&, const std::string&,
                               std::shared_ptr<const SsReport> r) override {
        report = std::move(r);
    }
    DocumentList& documents() override { return *this; }
    bool IsOpen(const std::string&) override { return false; }
    bool Open(const std::string&) override { return false; }
    void Activate(const std::string&) override {}
    void Close(const std::string&) override {}

    std::vector<std::string> editor;
    std::shared_ptr<const SsReport> report;
    int failures = 0;

private:
    MainThreadQueue& queue_;
};

// Runs `begin`, then turns the queue until `done`; returns the longest gap
// between turns, `begin` included.
double LongestStallMs(MainThreadQueue& queue, const std::function<void()>& begin,
                      const std::function<bool()>& done) {
    Clock::time_point last = Clock::now();
    begin();
    double longest = 0.0;
    auto turn = [&] {
        const Clock::time_point now = Clock::now();
        longest = std::max(longest, std::chrono::duration<double, std::milli>(now - last).count());
        last = now;
    };
    queue.RunUntil(
        [&] {
            turn();
            return done();
        },
        std::chrono::milliseconds(1), turn);
    return longest;
}

void BM_SteadyStateOnTheSolverThread(benchmark::State& state) {
    for (auto _ : state) {
        MainThreadQueue queue;
        QuietHost host(queue);
        SystemDocument document(host, host, Settings{}, "/tmp/fallback.krm");
        host.editor = FallbackModel();
        const Clock::time_point start = Clock::now();
        const double stall = LongestStallMs(
            queue, [&] { document.AnalysisSSClick(); }, [&] { return !document.IsRunning(); });
        state.counters["stall_ms"] = stall;
        state.counters["total_ms"] =
            std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        if (!host.report || host.failures > 0) state.SkipWithError("no report");
    }
}
BENCHMARK(BM_SteadyStateOnTheSolverThread)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_SteadyStateSynchronous(benchmark::State& state) {
    for (auto _ : state) {
        MainThreadQueue queue;
        KRMForm form;
        ErrorDisplay sink;
        KRMparser model(&form, &sink);
        KRMForm_ss computation(form, model);
        bool finished = false;
        uint32_t status = 0;
        // Posted from another thread, as the script thread posted the command.
        auto command = [&] {
            status = RunSteadyState(model, computation, FallbackModel(), 7, 0).status;
            finished = true;
        };
        state.counters["stall_ms"] = LongestStallMs(
            queue, [&] { std::thread([&] { queue.Post(command); }).join(); },
            [&] { return finished; });
        state.counters["horizon"] = computation.integrationHorizon;
        if (status & SS_NOT_FOUND) state.SkipWithError("not found");
    }
}
BENCHMARK(BM_SteadyStateSynchronous)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace kora
