#include <gtest/gtest.h>

#include <fstream>
#include <thread>

#include "base/winintegrator.h"
#include "document_recording_host.h"
#include "model/error_display.h"
#include "numeric/krmform_ss.h"
#include "numeric/report/ss_report.h"
#include "settings/settings.h"
#include "solve/steady_state_run.h"

namespace kora {
namespace {

using testing::RunUntilIdle;
using testing::ScratchDirectory;
using testing::TestHost;

std::vector<std::string> ExampleLines(const std::string& name) {
    std::ifstream in(std::string(KORA_EXAMPLES_DIR) + "/" + name);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// The report the synchronous path makes of the same text, as before the
// computation moved to the solver thread.
std::string SynchronousReport(const std::vector<std::string>& editor, const Settings& settings) {
    TextLines modelLines;
    for (const std::string& line : editor)
        if (!line.empty() && line.rfind("//", 0) != 0) modelLines.push_back(line);
    KRMForm form;
    ErrorDisplay sink;
    KRMparser model(&form, &sink);
    KRMForm_ss computation(form, model);
    const SteadyStateRun run =
        RunSteadyState(model, computation, modelLines, settings.ssPrec, settings.sensThreshold);
    return run.report ? run.report->SaveText("\n", true) : std::string("no report");
}

TEST(DocumentSteadyState, ReportAndStatusesAreThoseOfTheSynchronousCommand) {
    for (const char* example :
         {"feedback_s_system.krm", "enzyme_conservation.krm", "two_step_pathway.krm"}) {
        SCOPED_TRACE(example);
        MainThreadQueue queue;
        ScratchDirectory dir;
        TestHost host(queue);
        const Settings settings;
        SystemDocument doc(host, host, settings, dir.File("m.krm"));
        host.editor = ExampleLines(example);
        ASSERT_FALSE(host.editor.empty());
        doc.AnalysisSSClick();
        RunUntilIdle(queue, {&doc});
        ASSERT_TRUE(host.errorReports.empty());
        ASSERT_EQ(host.reportObjects.size(), 1u);
        EXPECT_EQ(host.reportObjects[0]->SaveText("\n", true),
                  SynchronousReport(host.editor, settings));
        EXPECT_EQ(host.statuses,
                  (std::vector<std::string>{"PARSING", "", "PARSING", "", "COMPUTING", ""}));
        EXPECT_EQ(host.runningCalls, (std::vector<bool>{true, false}));
    }
}

// Stop while a steady state computes ends it with the solver's stop message
// and ends the script before its next command; no report opens.
TEST(DocumentSteadyState, StopDuringALongComputationEndsItAndTheScript) {
    MainThreadQueue queue;
    ScratchDirectory dir;
    TestHost host(queue);
    SystemDocument doc(host, host, Settings{}, dir.File("endless.krm"));
    // Without a stop this takes about 1.6 s of CPU before it reports no
    // steady state.
    std::vector<std::string> text = testing::NoSteadyStateModel(60);
    text.insert(text.end(), {"SCRIPT", "SS", "W \"after\"", "END SCRIPT"});
    host.editor = text;
    std::thread stopper;
    host.onStatus = [&](const std::string& status) {
        if (status != "COMPUTING") return;
        // While the computation is under way, not before it begins.
        stopper = std::thread([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            doc.StopMenuClick();
        });
    };
    doc.AnalysisRunClick();
    RunUntilIdle(queue, {&doc});
    stopper.join();

    ASSERT_EQ(host.errorReports.size(), 1u);
    EXPECT_EQ(host.errorReports[0],
              (std::vector<std::string>{"Steady state.", "Solution aborted by user."}));
    EXPECT_TRUE(host.reports.empty());
    EXPECT_EQ(host.Messages(), "");
    EXPECT_TRUE(host.finished.count(dir.File("endless.krm")));
    EXPECT_EQ(doc.scriptRecord().failureCategory, kCategorySolver);
    EXPECT_EQ(doc.scriptRecord().failureCode, kStatusStopped);
    EXPECT_FALSE(doc.scriptRecord().stoppedBetweenCommands);
    EXPECT_EQ(host.runningCalls, (std::vector<bool>{true, false}));
    EXPECT_EQ(host.statuses.back(), "");
    EXPECT_TRUE(host.internalErrors.empty());

    // The stop was used up: the next steady state runs whole.
    host.editor = {"X' = 2 - X", "X = 1"};
    host.onStatus = nullptr;
    doc.AnalysisSSClick();
    RunUntilIdle(queue, {&doc});
    EXPECT_EQ(host.reports.size(), 1u);
    EXPECT_EQ(host.errorReports.size(), 1u);
}

// The main thread stays free while the solver thread computes: Run and
// Steady state are refused, IsRunning answers, and the queue keeps turning.
TEST(DocumentSteadyState, TheMainThreadStaysFreeWhileItComputes) {
    MainThreadQueue queue;
    ScratchDirectory dir;
    TestHost host(queue);
    SystemDocument doc(host, host, Settings{}, dir.File("m.krm"));
    host.editor = testing::NoSteadyStateModel(20);
    doc.AnalysisSSClick();
    queue.RunUntil([&] { return host.computing; }, std::chrono::milliseconds(5));
    int turns = 0;
    queue.RunUntil([&] { return ++turns == 3; }, std::chrono::milliseconds(1));
    EXPECT_TRUE(doc.IsRunning());
    doc.AnalysisRunClick();
    doc.AnalysisSSClick();
    EXPECT_TRUE(host.reports.empty());
    doc.StopMenuClick();
    RunUntilIdle(queue, {&doc});
    EXPECT_EQ(host.runningCalls, (std::vector<bool>{true, false}));
    EXPECT_EQ(host.errorReports.size(), 1u);
}

} // namespace
} // namespace kora
