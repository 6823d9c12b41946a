#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <thread>

#include "document_recording_host.h"
#include "settings/settings.h"
#include "solve/main_thread_gate.h"

namespace kora {
namespace {

using testing::kEndless;
using testing::ScratchDirectory;
using testing::TestHost;

// Ends the whole test program when `action` has not returned after many
// seconds: a hang must fail, not block the suite.
void WithinWatchdog(const char* what, const std::function<void()>& action) {
    std::atomic<bool> done{false};
    std::thread watchdog([&] {
        for (int i = 0; i < 400 && !done.load(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        if (done.load()) return;
        std::fprintf(stderr, "%s did not return\n", what);
        std::abort();
    });
    action();
    done.store(true);
    watchdog.join();
}

struct Moment {
    const char* name;
    std::vector<std::string> text;
    std::function<bool(const TestHost&)> reached;
    bool stop; // Stop is asked for just before the destruction
};

TEST(DocumentLifecycle, DestructionNeverWaitsForTheMainThread) {
    const std::vector<std::string> writes = {"X' = -X", "X = 1", "SCRIPT",    "W \"a\"",
                                             "W \"b\"", "RUN",   "END SCRIPT"};
    const std::vector<std::string> steady = {"X' = 1 - X", "X = 2", "SCRIPT",
                                             "SS",         "SS",    "END SCRIPT"};
    std::vector<std::string> sweep = kEndless;
    sweep.insert(sweep.end(), {"SCRIPT", "SETTING X = 2 : 5", "RUN", "NEXT", "END SCRIPT"});
    std::vector<std::string> steadyForever = testing::NoSteadyStateModel(20);
    steadyForever.insert(steadyForever.end(), {"SCRIPT", "SS", "END SCRIPT"});
    auto solving = [](const TestHost& host) { return host.solving; };
    auto computing = [](const TestHost& host) { return host.computing; };
    const std::vector<Moment> moments = {
        {"solving", kEndless, solving, false},
        {"stopped while solving", kEndless, solving, true},
        // The script thread waits for the workers of a parallel loop.
        {"sweeping", sweep, solving, false},
        {"stopped while sweeping", sweep, solving, true},
        {"between commands", writes, [](const TestHost& h) { return !h.Messages().empty(); },
         false},
        {"stopped between commands", writes,
         [](const TestHost& h) { return !h.Messages().empty(); }, true},
        {"after a steady state", steady, [](const TestHost& h) { return !h.reports.empty(); },
         false},
        {"computing a steady state", steadyForever, computing, false},
        {"stopped computing a steady state", steadyForever, computing, true},
    };
    for (const Moment& moment : moments) {
        SCOPED_TRACE(moment.name);
        MainThreadQueue queue;
        ScratchDirectory dir;
        TestHost host(queue);
        Settings settings = testing::EndlessSettings();
        settings.sweepThreads = 2;
        auto doc = std::make_unique<SystemDocument>(host, host, settings, dir.File("m.krm"));
        host.editor = moment.text;
        doc->AnalysisRunClick();
        queue.RunUntil([&] { return moment.reached(host); }, std::chrono::milliseconds(5));
        if (moment.stop) doc->StopMenuClick();
        WithinWatchdog(moment.name, [&] { doc.reset(); });
        // Calls the workers posted before they were released now do nothing.
        queue.RunPending(std::chrono::milliseconds(0));
        EXPECT_TRUE(host.internalErrors.empty());
    }
}

TEST(DocumentLifecycle, RunningModeComesInPairsAndLongScriptsBeep) {
    MainThreadQueue queue;
    ScratchDirectory dir;
    TestHost host(queue);
    Settings settings;
    settings.method = "Taylor";
    settings.beepOnCompletion = true;
    SystemDocument doc(host, host, settings, dir.File("m.krm"));
    ScriptDocument& script = doc;

    host.editor = {"X' = -X", "X = 1", "tf = 2"};
    doc.AnalysisRunClick();
    testing::RunUntilIdle(queue, {&doc});
    EXPECT_EQ(host.runningCalls, (std::vector<bool>{true, false}));
    EXPECT_EQ(host.beeps, 0); // a short script does not beep

    // A script that has lasted long enough beeps at its end, also after a failure.
    host.onStatus = [&](const std::string& text) {
        if (text == "SOLVING") script.scriptState().timerStart -= 6000;
    };
    host.editor = {"hr = 0.1", "X' = 1", "X = 1", "v = ln[1.45 - X]", "!! X, v"};
    doc.AnalysisRunClick();
    testing::RunUntilIdle(queue, {&doc});
    EXPECT_EQ(host.errorReports.size(), 1u);
    EXPECT_EQ(host.runningCalls, (std::vector<bool>{true, false, true, false}));
    EXPECT_EQ(host.beeps, 1);

    // A rejected script never enters running mode.
    host.editor = {"X' = -X", "X = 1", "SCRIPT", "NEXT", "END SCRIPT"};
    doc.AnalysisRunClick();
    EXPECT_EQ(host.runningCalls.size(), 4u);
}

TEST(MainThreadGate, ThrowingWorkReleasesThePosterAndIsReported) {
    MainThreadQueue queue;
    TestHost host(queue);
    MainThreadGate gate(host);
    std::atomic<int> finished{0};
    bool ran = false;
    std::thread worker([&] {
        ran = gate.Call([] { throw std::runtime_error("broken"); });
        ++finished;
    });
    queue.RunUntil([&] { return finished.load() == 1; }, std::chrono::milliseconds(5));
    worker.join();
    EXPECT_TRUE(ran);
    EXPECT_EQ(host.internalErrors, std::vector<std::string>{"broken"});

    // Closing releases a waiting worker without the main thread running it.
    bool refused = false;
    worker = std::thread(
        [&] { refused = !gate.Call([] { ADD_FAILURE() << "ran after the gate closed"; }); });
    while (host.posts.load() < 2)
        std::this_thread::yield();
    WithinWatchdog("closing the gate", [&] {
        gate.Close();
        worker.join();
    });
    queue.RunPending(std::chrono::milliseconds(0));
    EXPECT_TRUE(refused);
}

} // namespace
} // namespace kora
