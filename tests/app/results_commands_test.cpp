#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QSvgRenderer>
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "results/plot_ranges.h"
#include "results/results_file.h"
#include "results_commands.h"
#include "settings/settings.h"
#include "temp_files.h"

namespace kora::app {
namespace {

TimeCourse Ramp(const std::string& title, double slope) {
    TimeCourse course(2, title);
    course.names = {"t", "X"};
    course.rows = 5;
    course.data.Allocate(10);
    for (int32_t r = 0; r < 5; ++r) {
        course.data.data()[2 * r] = r;
        course.data.data()[2 * r + 1] = slope * r;
    }
    return course;
}

ResultsSet Ramps(const std::string& title) {
    ResultsSet set;
    set.timeCourses.push_back(Ramp(title, 1));
    Recompute(set);
    return set;
}

TEST(ResultsCommands, CopyPutsAPictureAndAValidDrawingOnTheClipboard) {
    ResultsSet set = Ramps("a");
    for (int8_t view : {kViewTimePlot, kViewPhase3D}) {
        ASSERT_TRUE(CopyPlot(set, view, QSize(320, 240)));
        const QMimeData* data = QApplication::clipboard()->mimeData();
        ASSERT_NE(data, nullptr);
        ASSERT_TRUE(data->hasFormat(kSvgMimeType));
        EXPECT_TRUE(QSvgRenderer(data->data(kSvgMimeType)).isValid());
        ASSERT_TRUE(data->hasImage());
        EXPECT_EQ(qvariant_cast<QImage>(data->imageData()).size(), QSize(320, 240));
    }
}

TEST(ResultsCommands, MergeAppendsInOrderAndOnlyEligibleWindowsTakePart) {
    ResultsSet target = Ramps("a");
    const ResultsSet b = Ramps("b");
    ResultsSet c;
    c.timeCourses.push_back(Ramp("c", 10));
    MergeFromAll(target, {&b, &c});
    ASSERT_EQ(target.timeCourses.size(), 3u);
    EXPECT_EQ(target.timeCourses[2].title, "c");
    EXPECT_TRUE(target.modified);
    EXPECT_DOUBLE_EQ(target.ranges[kYmax], 4); // the first run's value range stays
    // A window with its results pane hidden is offered alone, not in "All".
    EXPECT_TRUE(IsMergeSource({false, true, false, true}));
    EXPECT_FALSE(IsMergeFromAllSource({false, true, false, true}));
}

class ResultsSaving : public testing::TempDirTest {};

TEST_F(ResultsSaving, ClearThenSaveWritesAFileThatReadsBack) {
    const std::string name = (dir_ / "run.res").string();
    ResultsSet set = Ramps("old");
    ASSERT_EQ(WriteResults(set, name, 7), "");
    set.modified = true;
    ClearResults(set);
    EXPECT_TRUE(set.timeCourses.empty());
    EXPECT_FALSE(set.rangesKnown);
    EXPECT_TRUE(set.modified);
    set.timeCourses.push_back(Ramp("new", 2));
    Recompute(set);
    Settings settings;
    settings.noWarnOverwritingResults = true;
    std::string saved;
    ASSERT_EQ(SaveResults(nullptr, set, name, settings, {}, saved), SaveOutcome::Saved);
    EXPECT_EQ(saved, name);
    EXPECT_FALSE(set.modified);
    ResultsSet back;
    ASSERT_TRUE(ReadResultsFile(back, name).ok);
    ASSERT_EQ(back.timeCourses.size(), 1u);
    EXPECT_EQ(back.timeCourses[0].title, "new");
    EXPECT_DOUBLE_EQ(back.timeCourses[0].Value(4, 1), 8);
}

// The menu saves as SAVE RES TO does: FilePrec as it is now, "." whatever
// the window shows, and never over the model.
TEST_F(ResultsSaving, TheMenuTakesTheCurrentFilePrecAndSparesTheModel) {
    const std::string model = (dir_ / "m.krm").string();
    std::ofstream(model) << "X' = -X\n";
    ResultsSet set = Ramps("a");
    set.timeCourses[0].data.data()[3] = 2.0 / 3.0;
    Settings settings;
    settings.noWarnOverwritingResults = true;
    settings.filePrec = 3;
    EXPECT_NE(WriteResults(set, model, settings.filePrec, model).find("model file itself"),
              std::string::npos);
    std::string saved;
    const std::string name = (dir_ / "m.res").string();
    ASSERT_EQ(SaveResults(nullptr, set, name, settings, model, saved), SaveOutcome::Saved);
    std::ifstream in(name);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("\t0.667\t"), std::string::npos) << text;
}

TEST_F(ResultsSaving, AFailedWriteKeepsTheMarkAndSaysWhy) {
    ResultsSet set = Ramps("a");
    set.modified = true;
    const std::string reason = WriteResults(set, (dir_ / "missing" / "x.res").string(), 7);
    EXPECT_NE(reason.find("x.res"), std::string::npos) << reason;
    EXPECT_TRUE(set.modified);
}

} // namespace
} // namespace kora::app
