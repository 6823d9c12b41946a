#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "numeric/report/report_numbers.h"
#include "numeric/report/ss_report.h"
#include "ss_fixture.h"

namespace kora::test {
namespace {

const TextLines kSSystem = {
    "NAME Two-variable S-system",
    "a1 = 2",
    "X1' = a1 * X0^0.5 * X2^(-0.4) - 1.5 * X1^0.8",
    "X2' = 1.2 * X1^0.6 - 0.8 * X2^0.5 * X0^0.2",
    "X1 = 3",
    "X2 = 0.2",
    "X0 = 2",
    "v = 1.2 * X1^0.6",
    "&& X0",
};

const TextLines kGma = {
    "X1' = 2 * X3 + 0.5 * X2^0.3 - X1^0.7 - 0.4 * X1 * X2^(-0.2)",
    "X2' = 0.4 * X1 * X2^(-0.2) - 1.3 * X2^0.6",
    "X1 = 1",
    "X2 = 1",
    "X3 = 1.5",
    "&& X3",
};

struct FilledReport {
    explicit FilledReport(const TextLines& text, bool powerLaw = true, bool conservation = true)
        : m(text, powerLaw) {
        m.ss.useConservation = conservation;
        m.Compute();
        report.Fill(m.form, m.model, 7, 0, m.ss);
    }
    SsModel m;
    SsReport report;
};

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
}

void ExpectMatchesFixture(const SsReport& report, const std::string& name) {
    const std::string actual = report.SaveText("\n");
    const std::string expected = ReadFile(std::string(KORA_TEST_DATA_DIR) + "/" + name);
    if (actual != expected) std::ofstream("/tmp/actual_" + name, std::ios::binary) << actual;
    EXPECT_EQ(actual, expected) << "actual text left in /tmp/actual_" << name;
}

TEST(SteadyStateReport, SavedTextMatchesFixtures) {
    FilledReport sSystem(kSSystem);
    ExpectMatchesFixture(sSystem.report, "ss_ssystem_report.txt");
    FilledReport gma(kGma);
    ExpectMatchesFixture(gma.report, "ss_gma_report.txt");
}

TEST(SteadyStateReport, GeneralInformationRowsAndEquationText) {
    FilledReport r(kSSystem);
    const ReportGrid& g = r.report.varsGrid;
    ASSERT_EQ(g.RowCount(), 6u);
    EXPECT_EQ(g.cells[1], (std::vector<std::string>{"X1", "X1", "3",
                                                    "X1' = 2 (X2^-0.4) (X3^0.5) -1.5 (X1^0.8) "}));
    EXPECT_EQ(g.cells[3], (std::vector<std::string>{"X0", "X3 (indep.)", "2", ""}));
    EXPECT_EQ(g.cells[4], (std::vector<std::string>{"v", "transf 1", "2.31981845391812", ""}));
    EXPECT_EQ(g.cells[5][0], "a1");
    EXPECT_EQ(g.cells[5][1].rfind("const ", 0), 0u);

    GMAexpression equation;
    equation.terms = {{2.0, {{1, 1.0}}}, {-1.0, {{0, 0.5}}}};
    EXPECT_EQ(EquationText(equation, 0), "X1' = 2 X2 -(X1^0.5) ");
    equation.terms = {{3.0, {}}, {-1.0, {{0, 1.0}}}, {0.25, {}}};
    EXPECT_EQ(EquationText(equation, 1), "X2' = 3 -X1 +0.25 ");
    EXPECT_EQ(EquationText(GMAexpression{}, 2), "X3' =  0");
}

TEST(SteadyStateReport, ThresholdHidesSmallValuesAndRestoresThem) {
    FilledReport r(kGma);
    const std::vector<std::vector<std::string>> all = r.report.sVarsGrid.cells;
    r.report.ThresholdChange(8); // 10
    size_t hidden = 0;
    for (size_t row = 1; row < all.size(); ++row)
        for (size_t col = 1; col < all[row].size(); ++col) {
            const bool small = std::abs(std::stod(all[row][col])) < 10;
            EXPECT_EQ(r.report.sVarsGrid.Cell(col, row) == kHiddenSensitivity, small);
            hidden += small;
        }
    EXPECT_GT(hidden, 0u);
    // The report keeps its numbers when the document computes again.
    r.m.ss.compute(false);
    r.report.ThresholdChange(0);
    EXPECT_EQ(r.report.sVarsGrid.cells, all);
}

TEST(SteadyStateReport, PagesAndPanelsFollowTheFlags) {
    FilledReport general({"X' = 4 - exp[X]", "X = 1"}, false);
    const SsReport& g = general.report;
    EXPECT_EQ(g.info, "System is not a PL form");
    EXPECT_EQ(g.ssVarsGrid.cells[1][2], "N/A");
    EXPECT_EQ(g.ssVarsGrid.cells[1][3], "N/A");
    EXPECT_TRUE(g.PageVisible(ReportPage::Eigenvalues));
    EXPECT_FALSE(g.PageVisible(ReportPage::VariableSensitivities));
    EXPECT_FALSE(g.PageVisible(ReportPage::FluxSensitivities));

    FilledReport none({"X1' = 1 + X1*X2", "X2' = X1 - X2", "X1 = 1", "X2 = 1"});
    const SsReport& n = none.report;
    EXPECT_TRUE(n.noSSPanel);
    EXPECT_EQ(n.activePage, ReportPage::General);
    EXPECT_EQ(n.pageVisible, (std::array<bool, 5>{true, false, false, false, false}));
    EXPECT_EQ(n.SaveLines()[0], "System is a binary GMA.");

    FilledReport singular({"X1' = X2 - X1", "X2' = X1 - X2", "X1 = 1", "X2 = 3"}, true, false);
    SsReport& s = singular.report;
    EXPECT_TRUE(s.singWarnPanel);
    EXPECT_TRUE(s.sVarsWarnPanel && s.sFluxesWarnPanel);
    EXPECT_FALSE(s.sVarsGrid.visible);
    s.PageChange(ReportPage::VariableSensitivities);
    EXPECT_FALSE(s.thresholdControlsVisible);

    FilledReport fine(kGma);
    fine.report.PageChange(ReportPage::FluxSensitivities);
    EXPECT_TRUE(fine.report.thresholdControlsVisible);
    fine.report.PageChange(ReportPage::SteadyState);
    EXPECT_FALSE(fine.report.thresholdControlsVisible);
}

TEST(SteadyStateReport, CopyAndSelections) {
    FilledReport r(kGma);
    const SsReport& rep = r.report;
    const std::string x1 = rep.ssVarsGrid.cells[1][1];
    EXPECT_EQ(CopySelection(rep.ssVarsGrid, {1, 1, 1, 1}), "X1 = " + x1);
    EXPECT_EQ(CopySelection(rep.ssVarsGrid, {1, 1, 2, 1}),
              "Variable\tValue\tFlux\t\nX1\t" + x1 + "\t" + rep.ssVarsGrid.cells[1][2] + "\t");
    EXPECT_EQ(CopySelection(rep.eigenGrid, {1, 2, 1, 2}),
              "Im\t\n" + rep.eigenGrid.cells[2][1] + "\t");

    const auto all = SelectAll(rep.sVarsGrid);
    ASSERT_TRUE(all);
    EXPECT_EQ(all->left, 1u);
    EXPECT_EQ(all->right, 2u);
    EXPECT_EQ(all->bottom, rep.sVarsGrid.RowCount() - 1);
    const auto column = DoubleClickSelection(rep.sVarsGrid, 2, 0);
    ASSERT_TRUE(column);
    EXPECT_EQ(column->left, 2u);
    EXPECT_EQ(column->top, 1u);
    const auto row = DoubleClickSelection(rep.sVarsGrid, 0, 3);
    ASSERT_TRUE(row);
    EXPECT_EQ(row->top, 3u);
    EXPECT_EQ(row->bottom, 3u);
    EXPECT_FALSE(DoubleClickSelection(rep.sVarsGrid, 0, 0));
    EXPECT_FALSE(DoubleClickSelection(rep.sVarsGrid, 1, 1));
}

TEST(SteadyStateReport, NumberFormats) {
    EXPECT_EQ(ReportGeneral(1.5e-7, 7), "1.5e-07");
    EXPECT_EQ(ReportGeneral(123456789, 7), "1.234568e+08");
    EXPECT_EQ(ReportFixed(-0.5, 7), "-0.50000");
    EXPECT_EQ(ReportFixed(1234567.25, 7), "1234567.25000");
    EXPECT_EQ(ReportFixed(12345678.9, 7), "1.234568e+07");
    EXPECT_EQ(ReportPlain(0.1), "0.1");
}

} // namespace
} // namespace kora::test

namespace kora::test {
namespace {

// One variable fed by 3,000 independent inputs: 27 million log gains, which
// once took gigabytes on their way to the text. They are refused before
// allocation; the rest of the report stays small.
TEST(SteadyStateReport, HugeSensitivityTablesAreLeftOutBeforeAllocation) {
    constexpr int inputs = 3000;
    TextLines lines;
    std::string equation = "X' = ";
    std::string independents = "&&";
    for (int k = 1; k <= inputs; ++k) {
        const std::string p = "P" + std::to_string(k);
        equation += "0.001 * " + p + " + ";
        independents += " " + p;
        lines.push_back(p + " = 1");
    }
    lines.push_back(equation + "0 - X");
    lines.push_back("X = 1");
    lines.push_back(independents);
    FilledReport big(lines);
    EXPECT_EQ(big.m.ss.status, SS_NO_SENSITIVITIES | SS_SENSITIVITIES_TOO_LARGE);
    EXPECT_GT(big.m.ss.sensitivityValues, kMaxSensitivityValues);
    EXPECT_NEAR(big.m.ss.steadyState[0], 3.0, 1e-9);
    const std::string text = big.report.SaveText("\n");
    EXPECT_LT(text.size(), 200'000u);
    EXPECT_NE(text.find("Sensitivities left out: the tables would hold "), std::string::npos);
}

} // namespace
} // namespace kora::test
