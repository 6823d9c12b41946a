#include <gtest/gtest.h>

#include <cstring>
#include <thread>

#include "document_recording_host.h"
#include "settings/settings.h"
#include "solve/run_driver.h"

namespace kora {
namespace {

using testing::RunUntilIdle;
using testing::ScratchDirectory;
using testing::TestHost;

std::vector<std::string> EndlessScript() {
    std::vector<std::string> text = testing::kEndless;
    text.insert(text.end(), {"!! X", "SCRIPT", "RUN", "W \"after\"", "END SCRIPT"});
    return text;
}

const std::vector<std::string> kWithEvents = {"V1 = 2.5",
                                              "k2 = 0.8",
                                              "g = -0.5",
                                              "X1' = V1 * X2^g - k2 * X1^0.5",
                                              "X2' = k2 * X1^0.5 - X2",
                                              "X1 = 1",
                                              "X2 = 0.5",
                                              "flux = k2 * X1^0.5",
                                              "tf = 20",
                                              "hr = 0.5",
                                              "@ 10 V1 = 5",
                                              "@ 15 X2 = 2",
                                              "!! X1, X2, flux"};

bool SameValues(const TimeCourse& a, const TimeCourse& b) {
    return a.rows == b.rows && a.columns == b.columns && a.names == b.names &&
           std::memcmp(a.data.data(), b.data.data(),
                       sizeof(double) * static_cast<size_t>(a.rows * a.columns)) == 0;
}

// One document with its own host on a main-thread queue that may be shared.
struct Workbench {
    Workbench(MainThreadQueue& q, const std::string& name, const std::string& method = "Taylor")
        : queue(q), doc(host, host, settings, dir.File(name)) {
        settings.method = method; // Start hands the settings over
    }
    void Start(std::vector<std::string> text) {
        host.editor = std::move(text);
        doc.SettingsChanged(settings);
        doc.AnalysisRunClick();
    }

    MainThreadQueue& queue;
    Settings settings;
    ScratchDirectory dir;
    TestHost host{queue};
    SystemDocument doc;
};

// A second run or a steady state asked for while solving is refused; a stop
// from another thread keeps the rows and ends the script.
TEST(DocumentThreads, StopDuringASolveKeepsRowsAndEndsTheScript) {
    MainThreadQueue queue;
    Workbench bench(queue, "endless.krm");
    bench.settings = testing::EndlessSettings();
    std::thread stopper;
    bench.host.onStatus = [&](const std::string& text) {
        if (text != "SOLVING") return;
        bench.doc.AnalysisRunClick();
        bench.doc.AnalysisSSClick();
        stopper = std::thread([&] { bench.doc.StopMenuClick(); });
    };
    bench.Start(EndlessScript());
    RunUntilIdle(queue, {&bench.doc});
    stopper.join();

    ASSERT_EQ(bench.host.errorReports.size(), 1u);
    EXPECT_EQ(bench.host.errorReports[0],
              (std::vector<std::string>{"Taylor method solver.", "Solution aborted by user."}));
    ASSERT_EQ(bench.doc.results().timeCourses.size(), 1u);
    EXPECT_GE(bench.doc.results().timeCourses[0].rows, 1);
    EXPECT_EQ(bench.host.Messages(), "");
    EXPECT_TRUE(bench.host.reports.empty());
    EXPECT_TRUE(bench.host.finished.count(bench.dir.File("endless.krm")));
    EXPECT_EQ(bench.doc.scriptRecord().failureCode, kStatusStopped);
    EXPECT_EQ(bench.host.runningCalls, (std::vector<bool>{true, false}));
}

TEST(DocumentThreads, StopBetweenCommandsEndsBeforeTheNextOne) {
    MainThreadQueue queue;
    Workbench bench(queue, "writes.krm");
    bench.host.onWrite = [&] { std::thread([&] { bench.doc.StopMenuClick(); }).join(); };
    bench.Start({"X' = -X", "X = 1", "SCRIPT", "W \"one\"", "W \"two\"", "RUN", "END SCRIPT"});
    RunUntilIdle(queue, {&bench.doc});
    EXPECT_EQ(bench.host.Messages(), "\none");
    EXPECT_TRUE(bench.doc.results().timeCourses.empty());
    EXPECT_TRUE(bench.doc.scriptRecord().stoppedBetweenCommands);
    EXPECT_TRUE(bench.host.finished.count(bench.dir.File("writes.krm")));
}

TEST(DocumentThreads, EventsGiveTheSynchronousDriversTimeCourse) {
    for (const std::string method : {"Taylor", "BDF"}) {
        MainThreadQueue queue;
        Workbench bench(queue, "events.krm", method);
        bench.Start(kWithEvents);
        RunUntilIdle(queue, {&bench.doc});
        ASSERT_TRUE(bench.host.errorReports.empty()) << bench.host.errorReports[0][1];
        ASSERT_EQ(bench.doc.results().timeCourses.size(), 1u);
        // A solve this short shows its progress once, at the end.
        EXPECT_EQ(bench.host.progressCalls, 3); // one per segment

        KRMForm form;
        ErrorDisplay sink;
        KRMparser model(&form, &sink);
        RunDriver driver(model, form, sink);
        RunConfiguration configuration;
        configuration.method = method == "Taylor" ? SolverMethod::Taylor : SolverMethod::Lsoda;
        const RunOutcome outcome = driver.RunToEnd(kWithEvents, configuration);
        ASSERT_TRUE(outcome.Succeeded());
        EXPECT_TRUE(SameValues(bench.doc.results().timeCourses[0], *outcome.timeCourse)) << method;
    }
}

TEST(DocumentThreads, TwoDocumentsRunAtOnceAsTheyRunAlone) {
    const std::vector<std::string> sweep = {
        "k = 0.5",   "X' = -k*X^0.5", "X = 4",     "tf = 3",
        "hr = 0.01", "!! X",          "SCRIPT",    "SETTING k = 0.1 : 1 : 0.1",
        "RUN",       "NEXT",          "END SCRIPT"};
    auto runAlone = [](const std::vector<std::string>& text, const std::string& method) {
        MainThreadQueue queue;
        Workbench bench(queue, "alone.krm", method);
        bench.Start(text);
        RunUntilIdle(queue, {&bench.doc});
        return bench.doc.results().timeCourses;
    };
    const auto aloneA = runAlone(sweep, "Taylor");
    const auto aloneB = runAlone(kWithEvents, "BDF");

    MainThreadQueue queue;
    Workbench a(queue, "a.krm", "Taylor");
    Workbench b(queue, "b.krm", "BDF");
    a.Start(sweep);
    b.Start(kWithEvents);
    RunUntilIdle(queue, {&a.doc, &b.doc});
    const auto& togetherA = a.doc.results().timeCourses;
    const auto& togetherB = b.doc.results().timeCourses;
    ASSERT_EQ(togetherA.size(), 10u);
    ASSERT_EQ(togetherA.size(), aloneA.size());
    for (size_t i = 0; i < aloneA.size(); ++i)
        EXPECT_TRUE(SameValues(aloneA[i], togetherA[i])) << i;
    ASSERT_EQ(togetherB.size(), 1u);
    EXPECT_TRUE(SameValues(aloneB[0], togetherB[0]));
}

} // namespace
} // namespace kora

namespace kora {
namespace {

TEST(DocumentThreads, AModelErrorNamesTheSpanOfItsStatement) {
    MainThreadQueue queue;
    testing::ScratchDirectory dir;
    testing::TestHost host{queue};
    SystemDocument doc(host, host, Settings{}, dir.File("bad.krm"));
    host.editor = {"X' = -X", "y = 3 + * 4", "X = 1"};
    doc.AnalysisRunClick();
    RunUntilIdle(queue, {&doc});
    ASSERT_EQ(host.errorReports.size(), 1u);
    EXPECT_EQ(host.errorReports[0],
              (std::vector<std::string>{"CRITICAL ERROR:", "Unexpected expression: y = 3 + * 4"}));
    ASSERT_EQ(host.selectedSpans.size(), 1u);
    const std::string joined = "X' = -X\r\ny = 3 + * 4\r\nX = 1";
    const auto [offset, length] = host.selectedSpans[0];
    EXPECT_EQ(joined.substr(size_t(offset), size_t(length)), "y = 3 + * 4");
}

} // namespace
} // namespace kora
