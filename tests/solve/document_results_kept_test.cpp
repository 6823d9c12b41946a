// A document's results live until a new solve brings rows: a steady state,
// a run that fails on the model, and a rejected script leave them as they
// were, with their line styles; the located model error and the warnings
// reach the host on every start.
#include <gtest/gtest.h>

#include <filesystem>

#include "document_recording_host.h"
#include "settings/settings.h"

namespace kora {
namespace {

using testing::RunUntilIdle;
using testing::ScratchDirectory;
using testing::TestHost;

const std::vector<std::string> kDecay = {"NAME decay", "X' = 1 - k*X", "X = 1",
                                         "k = 0.5",    "tf = 4",       "hr = 1"};

struct Document {
    Document() : doc(host, host, Settings{}, dir.File("kept.krm")) {}
    void Run(std::vector<std::string> text, bool steadyState = false) {
        host.editor = std::move(text);
        if (steadyState)
            doc.AnalysisSSClick();
        else
            doc.AnalysisRunClick();
        RunUntilIdle(queue, {&doc});
    }

    MainThreadQueue queue;
    ScratchDirectory dir;
    TestHost host{queue};
    SystemDocument doc;
};

TEST(DocumentResults, KeptAcrossASteadyStateAndAFailedRunUntilNewRows) {
    Document d;
    d.Run(kDecay);
    ASSERT_TRUE(d.doc.HasResults());
    ASSERT_EQ(d.doc.results().timeCourses.size(), 1u);
    const int32_t rows = d.doc.results().timeCourses[0].rows;
    // A line style the user chose must survive as well.
    d.doc.results().timeCourses[0].lineStyles[1].colour = 0x123456;

    d.Run(kDecay, true);
    EXPECT_EQ(d.host.reports.size(), 1u);
    ASSERT_TRUE(d.doc.HasResults());
    EXPECT_TRUE(d.doc.HasUnsavedResults()); // quitting still offers to save them
    EXPECT_EQ(d.doc.results().timeCourses[0].rows, rows);

    std::vector<std::string> typo = kDecay;
    typo[1] = "X' = 1 - kk*X";
    d.Run(typo);
    ASSERT_EQ(d.host.errorReports.size(), 1u);
    ASSERT_TRUE(d.doc.HasResults());
    EXPECT_EQ(d.doc.results().timeCourses[0].lineStyles[1].colour, 0x123456u);

    std::vector<std::string> longer = kDecay;
    longer[4] = "tf = 8";
    d.Run(longer);
    ASSERT_EQ(d.doc.results().timeCourses.size(), 1u); // replaced, not added
    EXPECT_GT(d.doc.results().timeCourses[0].rows, rows);
}

TEST(DocumentResults, AScriptStillStartsWithoutResults) {
    Document d;
    d.Run(kDecay);
    // SAVE before any solve of the script saves nothing, as it always did.
    std::vector<std::string> text = kDecay;
    text.insert(text.end(), {"SCRIPT", "SAVE RES TO early", "RUN", "END SCRIPT"});
    d.Run(text);
    EXPECT_FALSE(std::filesystem::exists(d.dir.File("early.res")));
    EXPECT_FALSE(std::filesystem::exists(d.dir.File("early")));
    EXPECT_EQ(d.doc.results().timeCourses.size(), 1u);
}

TEST(DocumentResults, AModelErrorNamesTheUnknownNameAndItsPlace) {
    Document d;
    std::vector<std::string> typo = kDecay;
    typo[1] = "  X' = 1 - Km3*X";
    d.Run(typo);
    ASSERT_EQ(d.host.errorReports.size(), 1u);
    EXPECT_EQ(d.host.errorReports[0][1],
              "Unexpected expression: X' = 1 - Km3*X (unknown name 'Km3')");
    EXPECT_EQ(d.doc.modelErrorPlace().line, 2);
    EXPECT_EQ(d.doc.modelErrorPlace().column, 12); // at Km3, after the indent
}

TEST(DocumentResults, EveryStartHandsOverTheModelsWarnings) {
    Document d;
    std::vector<std::string> text = kDecay;
    text.insert(text.end(), {"tf 40", "!! X, Y"});
    d.Run(text);
    ASSERT_EQ(d.host.modelWarnings.size(), 1u);
    const std::vector<ModelWarning>& warnings = d.host.modelWarnings[0];
    ASSERT_EQ(warnings.size(), 2u);
    EXPECT_EQ(warnings[0].line, 7);
    EXPECT_EQ(warnings[0].text, "not a statement, ignored: tf 40");
    EXPECT_EQ(warnings[1].line, 8);
    EXPECT_EQ(warnings[1].text, "'!!' names 'Y', which the model does not define");
    EXPECT_TRUE(d.doc.HasResults()); // they never stop the run

    d.Run(kDecay, true);
    ASSERT_EQ(d.host.modelWarnings.size(), 2u);
    EXPECT_TRUE(d.host.modelWarnings[1].empty()); // nothing left to show
}

} // namespace
} // namespace kora
