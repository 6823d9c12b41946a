// Unwatched runs (kora-batch's way) and parallel SETTING loops must leave
// exactly what the watched, serial run leaves: results to the last bit,
// messages, reports and boxes.
#include <gtest/gtest.h>

#include <cstdio>

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

struct SweepFixture : ::testing::Test {
    // threads 0: the watched way, as the desktop runs scripts.
    Observed Run(const std::vector<std::string>& text, int threads, const char* method = "BDF") {
        MainThreadQueue queue;
        TestHost host{queue};
        host.editor = text;
        Settings settings;
        settings.method = method;
        settings.sweepThreads = threads;
        SystemDocument doc{host, host, settings, dir.File("model.krm")};
        doc.SetUnwatchedRuns(threads > 0);
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

    // Serial and watched, serial and unwatched, and on three workers: the
    // same; returns the parallel run's record.
    ScriptRecord ExpectSameEveryWay(const std::vector<std::string>& text,
                                    const char* method = "BDF") {
        const Observed watched = Run(text, 0, method);
        const Observed serial = Run(text, 1, method);
        const Observed parallel = Run(text, 3, method);
        EXPECT_EQ(serial.dump, watched.dump);
        EXPECT_EQ(parallel.dump, watched.dump);
        EXPECT_EQ(serial.record.solves, watched.record.solves);
        EXPECT_EQ(parallel.record.solves, watched.record.solves);
        EXPECT_EQ(parallel.record.failureCode, watched.record.failureCode);
        EXPECT_EQ(serial.record.solvesAhead, 0);
        return parallel.record;
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

TEST_F(SweepFixture, ALoopThatOpensADocumentRunsSerially) {
    const auto text = Model({"SETTING k = 0.5 : 2 : 0.5", "RUN", "OPEN other.krm", "NEXT"});
    EXPECT_EQ(ExpectSameEveryWay(text).solvesAhead, 0);
}

} // namespace
} // namespace kora
