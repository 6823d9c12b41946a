#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "document_recording_host.h"
#include "script/write_items.h"
#include "settings/settings.h"

namespace kora {
namespace {

using testing::RunUntilIdle;
using testing::ScratchDirectory;
using testing::TestHost;

const std::vector<std::string> kDecay = {"NAME decay", "k = 0.5", "X' = -k*X", "X = 1",
                                         "hr = 0.5",   "tf = 10", "!! X"};

std::vector<std::string> WithScript(std::vector<std::string> script) {
    std::vector<std::string> text = kDecay;
    text.emplace_back("SCRIPT");
    text.insert(text.end(), script.begin(), script.end());
    text.emplace_back("END SCRIPT");
    return text;
}

struct DocumentFixture : ::testing::Test {
    DocumentFixture() { settings.method = "Taylor"; }

    void Run(std::vector<std::string> text) {
        host.editor = std::move(text);
        doc.SettingsChanged(settings);
        doc.AnalysisRunClick();
        RunUntilIdle(queue, {&doc});
    }
    std::string Output() const { return host.Messages(); }

    MainThreadQueue queue;
    Settings settings;
    ScratchDirectory dir;
    TestHost host{queue};
    SystemDocument doc{host, host, settings, dir.File("model.krm")};
};

TEST_F(DocumentFixture, TextWithoutScriptSolvesOnceIntoClearedResults) {
    Run(kDecay);
    Run(kDecay); // a second Run starts from empty results
    ASSERT_TRUE(host.errorReports.empty());
    ASSERT_EQ(doc.results().timeCourses.size(), 1u);
    const TimeCourse& course = doc.results().timeCourses[0];
    EXPECT_EQ(course.rows, 21);
    EXPECT_NEAR(course.Value(20, 1), std::exp(-5.0), 1e-6);
    EXPECT_TRUE(host.messages.empty()); // no write, no messages window
}

TEST_F(DocumentFixture, NestedLoopsRunFullListsAndEmptyLoopsSkipTheirBody) {
    Run(WithScript({"SETTING a = 1 : 2", "SETTING b = 10, 20", "W a, b", "NEXT", "NEXT",
                    "SETTING c = 2 : 1", "W \"never\"", "NEXT", "W \"end\""}));
    EXPECT_EQ(Output(), "\n1\t10\n1\t20\n2\t10\n2\t20\nend");
    EXPECT_TRUE(host.finished.count(dir.File("model.krm")));
    EXPECT_EQ(host.captions[dir.File("model.krm")], "Messages from model.krm");
    EXPECT_TRUE(host.boxes.empty());
}

TEST_F(DocumentFixture, SuperimposeDecidesWhetherSolutionsAccumulate) {
    Run(WithScript({"RUN", "SOLVE k = 1"}));
    ASSERT_EQ(doc.results().timeCourses.size(), 2u);
    EXPECT_NEAR(doc.results().timeCourses[1].Value(20, 1), std::exp(-10.0), 1e-7);

    Run(WithScript({"SUPERIMPOSE OFF", "RUN", "-> k = 1"}));
    ASSERT_EQ(doc.results().timeCourses.size(), 1u);
    EXPECT_NEAR(doc.results().timeCourses[0].Value(20, 1), std::exp(-10.0), 1e-7);
}

// Legends name each run of a sweep by the values its loops set.
TEST_F(DocumentFixture, EachSolveIsLabelledByWhatSetItApart) {
    Run(WithScript({"RUN", "SETTING k=0.3, k = 0.4", "SETTING X = 1 : 2", "RUN", "NEXT", "NEXT",
                    "SOLVE k=2", "RUN"}));
    std::vector<std::string> labels;
    for (const TimeCourse& course : doc.results().timeCourses)
        labels.push_back(course.runLabel);
    EXPECT_EQ(labels, (std::vector<std::string>{"", "k = 0.3, X = 1", "k = 0.3, X = 2",
                                                "k = 0.4, X = 1", "k = 0.4, X = 2", "k = 2", ""}));
    Run(kDecay); // a plain run names no value
    EXPECT_TRUE(doc.results().timeCourses[0].runLabel.empty());
}

TEST_F(DocumentFixture, WriteReadsModelTextAndTheLastTimeCourse) {
    Run(WithScript({"W X@LAST", "W \"k = \", k", "W k=", "RUN", "W X@5; \" \"; X@LAST", "W X@20",
                    "W Y@5", "W \"a\";", "W \"b\""}));
    EXPECT_EQ(Output(), "\nN/A\nk = \t0.5\nk = 0.5\n" + FormatWriteValue(std::exp(-2.5)) + " " +
                            FormatWriteValue(std::exp(-5.0)) + "\nN/A\nN/A\nab");
}

TEST_F(DocumentFixture, SavedResultsMergeBack) {
    Run(WithScript({"RUN", "SAVE RES TO out", "SAVE RESULTS TO copy.RES", "MERGE out.res",
                    "MERGE missing.res"}));
    EXPECT_TRUE(std::filesystem::exists(dir.File("out.res")));
    EXPECT_TRUE(std::filesystem::exists(dir.File("copy.RES")));
    EXPECT_EQ(doc.results().timeCourses.size(), 2u);
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0], "ERROR: Could not merge.|MERGE missing.res");
}

// The file is written off the main thread; the script waits for it, and a
// failure is told before the next command.
TEST_F(DocumentFixture, AFailedSaveIsToldAndTheScriptGoesOn) {
    Run(WithScript({"RUN", "SAVE RES TO missing/out", "W \"after\"", "SAVE RES TO saved"}));
    EXPECT_EQ(Output(), "\nafter");
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].rfind("ERROR: Could not save results.|SAVE RES TO missing/out\n", 0),
              0u)
        << host.boxes[0];
    EXPECT_TRUE(std::filesystem::exists(dir.File("saved.res")));
    EXPECT_FALSE(doc.IsRunning());
}

TEST_F(DocumentFixture, ResultCommandsDoNothingWithoutResults) {
    Run(WithScript({"SAVE RES TO out", "CLEAR RES", "MERGE nothing.res"}));
    EXPECT_FALSE(std::filesystem::exists(dir.File("out.res")));
    EXPECT_TRUE(host.boxes.empty());
}

TEST_F(DocumentFixture, DocumentCommandsUseTheWorkspace) {
    Run(WithScript({"OPEN other.krm", "ACTIVATE other.krm", "ACTIVATE absent.krm",
                    "CLOSE model.krm", "CLOSE absent.krm", "CLOSE other.krm"}));
    // A missing file is created empty before it opens.
    EXPECT_TRUE(std::filesystem::exists(dir.File("other.krm")));
    EXPECT_EQ(host.closed, std::vector<std::string>{dir.File("other.krm")});
    EXPECT_EQ(host.boxes, (std::vector<std::string>{"ERROR: File not opened.|ACTIVATE absent.krm",
                                                    "ERROR: File not opened.|CLOSE model.krm",
                                                    "ERROR: File not opened.|CLOSE absent.krm"}));

    host.boxes.clear();
    host.closed.clear();
    host.open.insert(dir.File("model.krm"));
    Run(WithScript({"CLOSE model.krm"})); // its own document: nothing
    EXPECT_TRUE(host.closed.empty());
    EXPECT_TRUE(host.boxes.empty());
}

TEST_F(DocumentFixture, FailuresEndTheScriptAndAreReported) {
    Run(WithScript({"SETTING", "W \"never\""}));
    EXPECT_EQ(host.boxes, std::vector<std::string>{"ERROR: Invalid script command|SETTING"});
    EXPECT_TRUE(doc.scriptRecord().rejected);
    EXPECT_TRUE(host.messages.empty());

    // A model error: the dialog and the end of the script.
    Run({"X' = -X", "SCRIPT", "W \"before\"", "RUN", "W \"after\"", "END SCRIPT"});
    EXPECT_EQ(Output(), "\nbefore");
    ASSERT_EQ(host.errorReports.size(), 1u);
    EXPECT_EQ(host.errorReports[0].front(), "CRITICAL ERROR:");
    EXPECT_EQ(doc.scriptRecord().failureCategory, kCategoryModel);
}

TEST_F(DocumentFixture, FailingSolveKeepsItsRowsAndStopsTheScript) {
    settings.mLogTolerance = 12;
    Run({"hr = 0.1", "X' = 1", "X = 1", "v = ln[1.45 - X]", "!! X, v", "SCRIPT", "RUN",
         "W \"after\"", "END SCRIPT"});
    EXPECT_EQ(host.errorReports.size(), 1u);
    ASSERT_EQ(doc.results().timeCourses.size(), 1u);
    EXPECT_EQ(doc.results().timeCourses[0].rows, 5);
    EXPECT_EQ(Output(), ""); // the write after the failed solve never ran
    EXPECT_TRUE(host.finished.count(dir.File("model.krm")));
}

TEST_F(DocumentFixture, EachSolveTooLargeIsAskedAboutWithTheScriptsOwnTimes) {
    settings.maxRunValues = 100;
    const auto script = WithScript({"RUN", "SET tf = 1000", "RUN", "W \"after\""});
    Run(script);
    EXPECT_EQ(host.largeRuns, std::vector<int64_t>{4002});
    EXPECT_EQ(doc.results().timeCourses.size(), 1u);
    EXPECT_EQ(Output(), ""); // No ends the script
    EXPECT_TRUE(doc.scriptRecord().runDeclined);
    EXPECT_TRUE(host.errorReports.empty());

    host.runLarge = true;
    Run(script);
    EXPECT_EQ(doc.results().timeCourses.size(), 2u);
    EXPECT_EQ(Output(), "\nafter");
    EXPECT_FALSE(doc.scriptRecord().runDeclined);
}

TEST_F(DocumentFixture, SteadyStateCommandIgnoresTheScriptBlock) {
    host.editor = WithScript({"W \"never\""});
    doc.AnalysisSSClick();
    RunUntilIdle(queue, {&doc});
    EXPECT_EQ(host.reports, std::vector<std::string>{"Steady state for model.krm"});
    EXPECT_TRUE(host.messages.empty());
}

} // namespace
} // namespace kora
