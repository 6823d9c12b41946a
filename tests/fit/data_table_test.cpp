#include "fit/data_table.h"

#include <gtest/gtest.h>

#include <cmath>

#include "fit/fit_candidates.h"
#include "fit/fitted_model_text.h"
#include "fit_fixture.h"

namespace kora {
namespace {

using namespace kora::testing;

TEST(DataTable, ReadsSeparatorsDecimalsMissingValuesAndDeviations) {
    // Tab-separated with comma decimals, a leading sd column, NA and empty cells.
    DataTable table = Table("# S = 2,5\n# a comment\n"
                            "time\tsd_X\tX\tY\tY_sd\n"
                            "0\t0,1\t1,5\tNA\t\n"
                            "0,5\t0,2\t\t2\t0,5\n"
                            "\n"
                            "1\t\t3\t4\n");
    EXPECT_EQ(table.assignments, (std::vector<std::string>{"S = 2,5"}));
    EXPECT_EQ(table.timeName, "time");
    EXPECT_EQ(table.times, (std::vector<double>{0, 0.5, 1}));
    EXPECT_EQ(table.rowLines, (std::vector<int>{4, 5, 7}));
    ASSERT_EQ(table.columns.size(), 2u);
    const DataColumn& x = table.columns[0];
    EXPECT_EQ(x.name, "X");
    EXPECT_EQ(x.values[0], 1.5);
    EXPECT_TRUE(std::isnan(x.values[1]));
    EXPECT_EQ(x.sd[0], 0.1);
    EXPECT_TRUE(std::isnan(x.sd[2]));
    const DataColumn& y = table.columns[1];
    EXPECT_TRUE(std::isnan(y.values[0]));
    EXPECT_EQ(y.sd[1], 0.5);
    EXPECT_EQ(table.PointCount(), 4u);
    // Semicolons with points, and commas.
    EXPECT_EQ(Table("t;X\n0;1.25\n").columns[0].values[0], 1.25);
    EXPECT_EQ(Table("\xEF\xBB\xBFt,X\r\n0,2\r\n").timeName, "t"); // a spreadsheet's CSV
    EXPECT_EQ(Table("t, X\n0, 1.25\n").columns[0].headerColumn, 4);
}

// Every fault names the file, the line and the column where it is.
TEST(DataTable, RefusesBadFilesNamingLineAndColumn) {
    const auto problem = [](const std::string& text) {
        DataTable table;
        return ReadDataTable("d.csv", SplitTextLines(text), table);
    };
    EXPECT_EQ(problem("t,X\n0,1\n1,abc\n"), "d.csv:3:3: error: 'abc' is not a number");
    EXPECT_EQ(problem("t,X\n0,1,5\n"), "d.csv:2:5: error: more cells than the header has columns");
    EXPECT_EQ(problem("t,X\n0,1,5\n").find("d.csv:2:"), 0u);
    EXPECT_EQ(problem("t;X;sd_X\n0;1;0\n"),
              "d.csv:2:5: error: the standard deviation 0 of X is not positive");
    EXPECT_EQ(problem("t,X,sd_Z\n0,1,1\n"),
              "d.csv:1:5: error: sd_Z gives standard deviations of Z, which has no column");
    EXPECT_EQ(problem("t,X,X\n"), "d.csv:1:5: error: X has two columns");
    EXPECT_EQ(problem("t,X\n"), "d.csv:1:1: error: no data rows");
    EXPECT_EQ(problem("# only\n"), "d.csv:1:1: error: no header row");
    EXPECT_EQ(problem("t;X\n1,5;2,5,1\n"), "d.csv:2:5: error: '2,5,1' is not a number");
}

// Faults that need the model: names, the time column, the order and span of times.
TEST(DataTable, RefusesDataTheModelCannotMeet) {
    const auto problem = [](const std::string& text) {
        FitRequest request = Request(kChainModel);
        request.data.push_back(Table(text));
        request.parameters = {{"k1"}};
        return RunFit(request).message;
    };
    EXPECT_EQ(
        problem("t,X,Z\n0,1,1\n"),
        "d.csv:1:5: error: Z is not a dependent variable or auxiliary definition of the model");
    EXPECT_EQ(problem("day,X\n0,1\n"),
              "d.csv:1:1: error: the first column must be the time (t, time or _time), not 'day'");
    EXPECT_EQ(problem("t,X\n0,1\n0,2\n"), "d.csv:3:1: error: the time 0 is repeated");
    EXPECT_EQ(problem("t,X\n1,1\n0.5,2\n"),
              "d.csv:3:1: error: the time 0.5 is smaller than the one before");
    EXPECT_EQ(problem("t,X\n0,1\n11,2\n"),
              "d.csv:3:1: error: the time 11 lies outside the model's time span 0 to 10");
}

TEST(DataTable, RefusesParametersTheFitCannotMove) {
    const auto problem = [](const std::string& model, const std::string& name) {
        FitRequest request = Request(model);
        request.data.push_back(Table("t,X\n0,1\n1,0.5\n2,0.25\n"));
        request.parameters = {{name}};
        return RunFit(request).message;
    };
    EXPECT_EQ(problem(kChainModel, "q"),
              "m.krm: error: q is neither a constant nor a dependent variable's initial value");
    EXPECT_EQ(problem(kChainModel, "tf"),
              "m.krm: error: tf is neither a constant nor a dependent variable's initial value");
    EXPECT_NE(problem("k = 1\nk2 = 2 * k\nX' = -k2 * X\nX = 1\ntf = 2\n", "k")
                  .find("k2 is computed from the fitted k"),
              std::string::npos);
    EXPECT_NE(
        problem("k = 1\nX' = -k * X\nX = 1\ntf = 2\n@ 1 k = 2\n", "k").find("timed assignments"),
        std::string::npos);
}

TEST(FittedModelText, WritesValuesInPlaceKeepingCommentsAndScripts) {
    const TextLines lines = {"NAME m", "k1 = 1 // rate", "  k2=3", "X' = -k1*X",
                             "X = 2",  "SCRIPT",         "k1 = 5", "END SCRIPT"};
    const TextLines fitted =
        WriteFittedValues(lines, {"k1", "k2", "X", "c"}, {0.25, 1.0 / 3, 4, 7});
    EXPECT_EQ(fitted[1], "k1 = 0.25 // rate");
    EXPECT_EQ(fitted[2], "  k2= 0.333333333333");
    EXPECT_EQ(fitted[3], "X' = -k1*X");
    EXPECT_EQ(fitted[4], "X = 4");
    EXPECT_EQ(fitted[5], "c = 7"); // a new line before the script block
    EXPECT_EQ(fitted[7], "k1 = 5");
}

} // namespace
} // namespace kora

namespace kora {
namespace {

TEST(FitCandidates, OffersOwnConstantsThenInitialValues) {
    std::vector<FitCandidate> candidates;
    ASSERT_EQ(FitCandidates(testing::Request(testing::kChainModel).model, candidates), "");
    std::vector<std::string> names;
    for (const FitCandidate& c : candidates)
        names.push_back(c.name + (c.initialValue ? "(0)" : ""));
    EXPECT_EQ(names, (std::vector<std::string>{"k1", "k2", "X(0)", "Y(0)"}));
    EXPECT_EQ(candidates[2].value, 2.0);
}

} // namespace
} // namespace kora
