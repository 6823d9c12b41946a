// The difference Jacobian perturbing groups of columns at once must leave
// every number of the run as the one-column-at-a-time loop leaves it.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "model/krm_parser.h"
#include "model/read_dependencies.h"
#include "numeric/lsoda.h"

namespace kora {
namespace {

// Hands the model's own right side to the solver as a foreign one, whose
// reads are unknown, so that its Jacobian is differenced column by column.
class ForeignRhs : public LsodaRhs {
public:
    explicit ForeignRhs(lsoda& solver) : solver_(solver) {}
    bool Derivatives(double t, const double* y, double* ydot) override {
        return solver_.lsoda::Derivatives(t, y, ydot);
    }

private:
    lsoda& solver_;
};

struct ChainRun {
    KRMForm form;
    ErrorDisplay sink;
    KRMparser model{&form, &sink};
    lsoda solver{&model};
    ForeignRhs foreign{solver};
    bool banded = false; // the matrix was kept as a band

    ChainRun(const TextLines& lines, bool columnByColumn) {
        model.Build(lines);
        EXPECT_EQ(sink.code, 0) << sink.context;
        EXPECT_TRUE(solver.Init());
        if (columnByColumn) solver.SetRightHandSide(&foreign);
        solver.createResults = true;
        solver.tolerance = 1e-8;
        solver.state = kSolverInitialise;
        while (solver.state != kSolverFinished) {
            solver.Run();
            banded = banded || solver.engine.bandLower >= 0;
        }
        EXPECT_EQ(solver.status, kStatusComplete);
    }

    std::vector<double> Rows() const {
        const double* data = solver.results.data();
        return std::vector<double>(data, data + static_cast<size_t>(solver.rows) * solver.columns);
    }
};

// A stiff chain whose rates span four decades; with `coupled`, X5 also
// reads X3 and X9 through a definition, so those two may not share a group
// and the matrix is too wide to be kept as a band.
TextLines StiffChain(bool coupled = true) {
    TextLines lines{"X0 = 1", "&& X0", "v = X3 * X9", "tf = 10", "hr = 0.5"};
    for (int i = 1; i <= 12; ++i) {
        const std::string k = std::to_string(1.0 * std::pow(10.0, 4.0 * (i - 1) / 11.0));
        const std::string x = "X" + std::to_string(i);
        const std::string extra = i == 5 && coupled ? " + 0.01 * v" : "";
        lines.push_back(x + "' = " + k + " * X" + std::to_string(i - 1) + "^0.6 - " + k + " * " +
                        x + "^0.7" + extra);
        lines.push_back(x + " = 0.5");
    }
    return lines;
}

void ExpectSameRun(const ChainRun& grouped, const ChainRun& single, int64_t groups) {
    EXPECT_EQ(grouped.Rows(), single.Rows());
    const LsodaStatistics& a = grouped.solver.Statistics();
    const LsodaStatistics& b = single.solver.Statistics();
    EXPECT_EQ(a.steps, b.steps);
    EXPECT_EQ(a.jacobianEvaluations, b.jacobianEvaluations);
    EXPECT_EQ(a.switchTimes, b.switchTimes);
    EXPECT_GT(a.jacobianEvaluations, 0);
    EXPECT_EQ(b.rhsEvaluations - a.rhsEvaluations, (12 - groups) * a.jacobianEvaluations);
}

TEST(GroupedJacobian, RunIsBitIdenticalWithFewerEvaluations) {
    const ChainRun grouped(StiffChain(), false);
    EXPECT_FALSE(grouped.banded);
    ExpectSameRun(grouped, ChainRun(StiffChain(), true), 4);
}

TEST(GroupedJacobian, BandedMatrixRunIsBitIdentical) {
    const ChainRun banded(StiffChain(false), false);
    EXPECT_TRUE(banded.banded);
    ExpectSameRun(banded, ChainRun(StiffChain(false), true), 2);
}

TEST(GroupedJacobian, ReadsFollowDefinitionsAndRandomDrawsAreUnknown) {
    ChainRun chain(StiffChain(), false);
    std::vector<std::vector<int32_t>> reads;
    ASSERT_TRUE(DerivativeReads(chain.model, reads));
    EXPECT_EQ(reads[4], (std::vector<int32_t>{2, 3, 4, 8}));
    EXPECT_EQ(reads[0], (std::vector<int32_t>{0}));

    KRMForm form;
    ErrorDisplay sink;
    KRMparser noisy(&form, &sink);
    noisy.Build({"X' = -X + rand[0.1]", "X = 1"});
    EXPECT_FALSE(DerivativeReads(noisy, reads));
}

} // namespace
} // namespace kora
