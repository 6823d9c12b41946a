#include <gtest/gtest.h>

#include "comma_locale.h"
#include "model/error_display.h"
#include "model/krm_parser.h"
#include "results/number_text.h"
#include "results/results_save.h"
#include "script/write_items.h"
#include "temp_files.h"

namespace kora {
namespace {

ResultsSet OneRow(double value) {
    TimeCourse course(2, "");
    course.names = {"t", "X"};
    course.rows = 1;
    course.data.Allocate(2);
    course.data.data()[0] = 0;
    course.data.data()[1] = value;
    ResultsSet set;
    set.timeCourses.push_back(std::move(course));
    return set;
}

// Files, the batch tool's output and messages read the same in every locale;
// only a window asks for the user's separator, and says so.
TEST(EveryLocale, FilesAndMessagesKeepThePointUnderACommaLocale) {
    const testing::CommaLocale comma;
    if (!comma.active()) GTEST_SKIP() << testing::CommaLocale::kMissing;

    EXPECT_EQ(FormatGeneral(0.67032064, 7), "0.6703206");
    EXPECT_EQ(FormatWriteValue(0.67032064), "0.6703206");

    KRMForm form;
    ErrorDisplay sink;
    KRMparser model{&form, &sink};
    const TextLines lines = {"X' = -X", "X = -0.25"};
    model.Build(lines);
    ASSERT_EQ(sink.code, 0);
    EXPECT_FALSE(model.BuildForm());
    EXPECT_EQ(sink.context, "X = -0.25");

    const testing::ScratchDirectory dir;
    ResultsSet set = OneRow(0.67032064);
    ASSERT_TRUE(SaveResultsSet(set, dir.File("r.res"), 7, {}).ok);
    const std::string text = testing::ReadAll(dir.File("r.res"));
    EXPECT_NE(text.find("0\t0.6703206\t\r\n"), std::string::npos) << text;
}

TEST(ResultsSaving, TakesThePrecisionGivenAndNeverWritesOverTheModel) {
    const testing::ScratchDirectory dir;
    const std::string model = dir.Write("m.krm", "X' = -X\nX = 1\n").string();
    ResultsSet set = OneRow(0.67032064);
    set.modified = true;

    const ResultsFileResult refused = SaveResultsSet(set, model, 7, model);
    EXPECT_FALSE(refused.ok);
    EXPECT_EQ(refused.reason, "'" + model + "' is the model file itself; nothing was written");
    EXPECT_EQ(testing::ReadAll(model), "X' = -X\nX = 1\n");
    EXPECT_TRUE(set.modified);

    ASSERT_TRUE(SaveResultsSet(set, dir.File("m.res"), 3, model).ok);
    EXPECT_NE(testing::ReadAll(dir.File("m.res")).find("\t0.67\t"), std::string::npos);
    EXPECT_EQ(set.precision, 3);
    EXPECT_FALSE(set.modified);
}

} // namespace
} // namespace kora
