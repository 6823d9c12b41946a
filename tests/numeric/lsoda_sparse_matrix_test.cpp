// The sparse iteration matrix: the same solution as the dense matrix on a
// large stiff network, filled by differences or by the exact Jacobian.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "model/krm_parser.h"
#include "numeric/lsoda.h"

namespace kora {
namespace {

// A stiff network of n species: each degrades at a rate spread over four
// decades and is produced from about four others through saturating and
// power-law terms, so its Jacobian is neither banded nor dense.
TextLines SparseNetwork(int n) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> species(0, n - 1);
    TextLines lines{"tf = 2", "hr = 0.5"};
    for (int i = 0; i < n; ++i) {
        const std::string x = "X" + std::to_string(i);
        const double k = std::pow(10.0, 4.0 * i / n);
        std::string rhs = std::to_string(k) + " * (0.1 - " + x + "^0.8)";
        for (int r = 0; r < 4; ++r) {
            const std::string other = "X" + std::to_string(species(random));
            rhs += r % 2 == 0 ? " + 0.5 * " + other + " / (1 + " + other + ")"
                              : " + 0.3 * " + other + "^0.5 - 0.2 * " + x + " * " + other;
        }
        lines.push_back(x + "' = " + rhs);
        lines.push_back(x + " = 0.5");
    }
    return lines;
}

struct NetworkRun {
    KRMForm form;
    ErrorDisplay sink;
    KRMparser model{&form, &sink};
    lsoda solver{&model};
    bool sparse = false;

    NetworkRun(const TextLines& lines, int32_t sparseMinimum, bool exact) {
        model.Build(lines);
        EXPECT_EQ(sink.code, 0) << sink.context;
        EXPECT_TRUE(solver.Init());
        solver.sparseMinimum = sparseMinimum;
        solver.exactJacobian = exact;
        solver.createResults = true;
        solver.tolerance = 1e-8;
        solver.state = kSolverInitialise;
        while (solver.state != kSolverFinished) {
            solver.Run();
            sparse = sparse || solver.engine.sparse != nullptr;
        }
        EXPECT_EQ(solver.status, kStatusComplete);
    }

    std::vector<double> Rows() const {
        const double* data = solver.results.data();
        return std::vector<double>(data, data + static_cast<size_t>(solver.rows) * solver.columns);
    }
};

void ExpectClose(const std::vector<double>& a, const std::vector<double>& b) {
    ASSERT_EQ(a.size(), b.size());
    for (size_t k = 0; k < a.size(); ++k)
        ASSERT_NEAR(a[k], b[k], 1e-6 * (std::fabs(b[k]) + 1e-3)) << "entry " << k;
}

TEST(SparseIterationMatrix, SolutionEqualsTheDenseMatrixOnes) {
    if (!SparseLu::Available()) GTEST_SKIP() << "built without sparse factorisation";
    const TextLines network = SparseNetwork(300);
    const NetworkRun dense(network, INT32_MAX, false);
    EXPECT_FALSE(dense.sparse);
    EXPECT_GT(dense.solver.Statistics().jacobianEvaluations, 0);
    for (bool exact : {false, true}) {
        const NetworkRun sparse(network, kSparseMinimumEquations, exact);
        EXPECT_TRUE(sparse.sparse);
        ExpectClose(sparse.Rows(), dense.Rows());
    }
}

} // namespace
} // namespace kora
