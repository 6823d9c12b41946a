// Unwatched runs (kora-batch's way) and parallel SETTING loops, watched (the
// desktop's way) or not, must leave exactly what the watched, serial run
// leaves: results to the last bit, messages, reports and boxes.
#include <gtest/gtest.h>

#include <cstdio>
#include <thread>

#include "document_recording_host.h"
#include "settings/settings.h"

namespace kora {
namespace {

using testing::RunUntilIdle;
using testing::ScratchDirectory;
using testing::TestHost;

struct Observed {
    std::string dump; // everything the script and its user can see
    ScriptRecord record;
};

// Values in hexadecimal, so that equal text means equal bits.
std::string Dump(const ResultsSet& results) {
    std::string text;
    char number[64];
    for (const TimeCourse& course : results.timeCourses) {
        text += "[" + course.runLabel + "]";
        for (const std::string& name : course.names)
            text += " " + name;
        text += "\n";
        for (int32_t row = 0; row < course.rows; ++row) {
            for (int32_t column = 0; column < course.columns; ++column) {
                std::snprintf(number, sizeof number, " %a", course.Value(row, column));
                text += number;
            }
            text += "\n";
        }
    }
    return text;
}

enum class Way { Watched, Unwatched };

struct SweepFixture : ::testing::Test {
    // `stopAfterWrites`: Stop comes from another thread inside that WRITE.
    Observed Run(const std::vector<std::string>& text, int threads, Way way,
                 const char* method = "BDF", int stopAfterWrites = 0) {
        MainThreadQueue queue;
        TestHost host{queue};
        host.editor = text;
        Settings settings;
        settings.method = method;
        settings.sweepThreads = threads;
        SystemDocument doc{host, host, settings, dir.File("model.krm")};
        doc.SetUnwatchedRuns(way == Way::Unwatched);
        int writes = 0;
        host.onWrite = [&] {
            if (++writes == stopAfterWrites) std::thread([&] { doc.StopMenuClick(); }).join();
        };
        doc.AnalysisRunClick();
        RunUntilIdle(queue, {&doc});
        std::string dump = Dump(doc.results()) + "messages:" + host.Messages() + "\nboxes:";
        for (const std::string& box : host.boxes)
            dump += box + "\n";
        for (const std::vector<std::string>& report : host.errorReports)
            for (const std::string& line : report)
                dump += "report:" + line + "\n";
        return {dump, doc.scriptRecord()};
    }

    // Serial and watched, serial and unwatched, unwatched on three workers
    // and watched on two: the same; returns the watched parallel run's record.
    ScriptRecord ExpectSameEveryWay(const std::vector<std::string>& text,
                                    const char* method = "BDF") {
        const Observed watched = Run(text, 1, Way::Watched, method);
        const Observed serial = Run(text, 1, Way::Unwatched, method);
        const Observed parallel = Run(text, 3, Way::Unwatched, method);
        const Observed desktop = Run(text, 2, Way::Watched, method);
        EXPECT_EQ(serial.dump, watched.dump);
        EXPECT_EQ(parallel.dump, watched.dump);
        EXPECT_EQ(desktop.dump, watched.dump);
        for (const Observed* run : {&serial, &parallel, &desktop}) {
            EXPECT_EQ(run->record.solves, watched.record.solves);
            EXPECT_EQ(run->record.failureCode, watched.record.failureCode);
        }
        EXPECT_EQ(watched.record.solvesAhead, 0);
        EXPECT_EQ(serial.record.solvesAhead, 0);
        EXPECT_EQ(parallel.record.solvesAhead, desktop.record.solvesAhead);
        return desktop.record;
    }

    ScratchDirectory dir;
};

std::vector<std::string> Model(std::vector<std::string> script) {
    std::vector<std::string> text = {"NAME sweep",   "k = 0.5",  "X' = -k*X + Y^0.5",
                                     "Y' = k*X - Y", "X = 1",    "Y = 0.2",
                                     "tf = 4",       "hr = 0.5", "@ 2 k = k*2"};
    text.emplace_back("SCRIPT");
    text.insert(text.end(), script.begin(), script.end());
    text.emplace_back("END SCRIPT");
    return text;
}

TEST_F(SweepFixture, NestedLoopsGiveTheSerialResultsAndLinesInLoopOrder) {
    // A write before the solve reads the previous pass; the assignment after
    // the inner loop is overridden by the next pass; RESTORE after the loop.
    const auto text =
        Model({"SETTING k = 0.1 : 0.9 : 0.1", "W k, X@LAST", "SETTING X = 1 : 3", "RUN",
               "W X, Y@LAST", "NEXT", "SOLVE Y = 0.5", "NEXT", "RESTORE", "RUN", "W X@LAST"});
    const ScriptRecord record = ExpectSameEveryWay(text);
    EXPECT_EQ(record.solves, 9 * 4 + 1);
    EXPECT_EQ(record.solvesAhead, 9 * 4);
    ExpectSameEveryWay(text, "Taylor");
}

TEST_F(SweepFixture, ResultsCommandsInsideTheLoopKeepTheirOrder) {
    // RESTORE undoes the pass's values before the last solve of each pass.
    const auto text =
        Model({"SETTING Y = 0.1 : 0.5 : 0.1", "SUPERIMPOSE OFF", "RUN", "SUPERIMPOSE ON",
               "RUN k = 2", "W Y, X@LAST", "CLEAR RES", "RESTORE", "RUN", "NEXT"});
    EXPECT_EQ(ExpectSameEveryWay(text).solvesAhead, 15);
}

TEST_F(SweepFixture, AFailingPassStopsTheScriptWhereTheSerialRunStops) {
    // ln of a negative k fails the third pass with the model's own report.
    auto text = Model({"SETTING k = 1, 0.5, -1, 2", "RUN", "W k, X@LAST", "NEXT"});
    text.insert(text.begin() + 4, "Z' = ln[k]");
    text.insert(text.begin() + 5, "Z = 1");
    const ScriptRecord record = ExpectSameEveryWay(text);
    EXPECT_NE(record.failureCategory, 0);
    EXPECT_EQ(record.solves, 2); // the third fails as it starts
    EXPECT_EQ(record.solvesAhead, 2);
}

TEST_F(SweepFixture, AStopInsideADesktopSweepEndsItAfterThatPass) {
    const auto text = Model({"SETTING k = 0.1 : 2 : 0.1", "RUN", "W k, X@LAST", "NEXT"});
    const Observed serial = Run(text, 1, Way::Watched, "BDF", 3);
    const Observed parallel = Run(text, 2, Way::Watched, "BDF", 3);
    EXPECT_EQ(parallel.dump, serial.dump);
    EXPECT_EQ(parallel.record.solves, 3);
    EXPECT_EQ(parallel.record.solvesAhead, 3);
    EXPECT_TRUE(parallel.record.stoppedBetweenCommands);
}

// Passes that never end unless stopped: the script thread waits for the
// workers, and a Stop ends their solves and the script without storing any.
TEST_F(SweepFixture, AStopWhileTheWorkersSolveEndsTheSweepAtOnce) {
    MainThreadQueue queue;
    TestHost host{queue};
    host.editor = testing::kEndless;
    host.editor.insert(host.editor.end(),
                       {"SCRIPT", "SETTING X = 2 : 5", "RUN", "W X", "NEXT", "END SCRIPT"});
    Settings settings = testing::EndlessSettings();
    settings.sweepThreads = 2;
    SystemDocument doc{host, host, settings, dir.File("endless.krm")};
    std::thread stopper;
    host.onStatus = [&](const std::string& status) {
        if (status == "SOLVING" && !stopper.joinable())
            stopper = std::thread([&] { doc.StopMenuClick(); });
    };
    doc.AnalysisRunClick();
    RunUntilIdle(queue, {&doc});
    stopper.join();
    EXPECT_TRUE(doc.results().timeCourses.empty());
    EXPECT_EQ(host.Messages(), "");
    EXPECT_TRUE(host.errorReports.empty());
    EXPECT_TRUE(doc.scriptRecord().stoppedBetweenCommands);
    EXPECT_EQ(doc.scriptRecord().solves, 0);
    EXPECT_EQ(host.runningCalls, (std::vector<bool>{true, false}));
    EXPECT_EQ(host.statuses.back(), "");
}

TEST_F(SweepFixture, ALoopThatOpensADocumentRunsSerially) {
    const auto text = Model({"SETTING k = 0.5 : 2 : 0.5", "RUN", "OPEN other.krm", "NEXT"});
    EXPECT_EQ(ExpectSameEveryWay(text).solvesAhead, 0);
}

} // namespace
} // namespace kora
