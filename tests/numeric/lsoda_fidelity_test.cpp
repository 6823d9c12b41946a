// Our LSODA against the published Fortran solver (reference counts and values
// produced by bench/reference/lsoda_counts.py): at every report time the
// step, function and Jacobian counts and the method in use must be equal, and
// the values agree to 1e-10 relative.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <functional>
#include <limits>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "model/krm_parser.h"
#include "numeric/lsoda.h"

namespace kora {
namespace {

using Rhs = std::function<void(const double*, double*)>;

// The same arithmetic, in the same order, as the reference script.
void Robertson(const double* y, double* f) {
    f[0] = -0.04 * y[0] + 1e4 * y[1] * y[2];
    f[1] = 0.04 * y[0] - 1e4 * y[1] * y[2] - 3e7 * y[1] * y[1];
    f[2] = 3e7 * y[1] * y[1];
}

void Hires(const double* y, double* f) {
    f[0] = -1.71 * y[0] + 0.43 * y[1] + 8.32 * y[2] + 0.0007;
    f[1] = 1.71 * y[0] - 8.75 * y[1];
    f[2] = -10.03 * y[2] + 0.43 * y[3] + 0.035 * y[4];
    f[3] = 8.32 * y[1] + 1.71 * y[2] - 1.12 * y[3];
    f[4] = -1.745 * y[4] + 0.43 * y[5] + 0.43 * y[6];
    f[5] = -280.0 * y[5] * y[7] + 0.69 * y[3] + 1.71 * y[4] - 0.43 * y[5] + 0.69 * y[6];
    f[6] = 280.0 * y[5] * y[7] - 1.81 * y[6];
    f[7] = -280.0 * y[5] * y[7] + 1.81 * y[6];
}

void VanDerPol(const double* y, double* f) {
    f[0] = y[1];
    f[1] = 1000.0 * (1.0 - y[0] * y[0]) * y[1] - y[0];
}

void SSystem(const double* y, double* f) {
    f[0] = 2.0 * std::pow(y[2], -0.5) - 1.5 * std::pow(y[0], 0.5);
    f[1] = 1.5 * std::pow(y[0], 0.5) - 1.2 * std::pow(y[1], 0.5);
    f[2] = 1.2 * std::pow(y[1], 0.5) - std::pow(y[2], 0.5);
}

struct Problem {
    Rhs rhs;
    std::vector<double> y0;
    double tf = 0.0;
    double hr = 0.0;
};

const std::map<std::string, Problem>& Problems() {
    static const std::map<std::string, Problem> problems = {
        {"robertson", {Robertson, {1.0, 0.0, 0.0}, 40.0, 4.0}},
        {"hires", {Hires, {1.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0057}, 321.8122, 32.18122}},
        {"vanderpol", {VanDerPol, {2.0, 0.0}, 3000.0, 300.0}},
        {"ssystem", {SSystem, {0.5, 0.5, 0.5}, 10.0, 1.0}},
    };
    return problems;
}

struct ReportRow {
    double t = 0.0;
    int nst = 0, nfe = 0, nje = 0, mused = 0;
    double tsw = 0.0;
    std::vector<double> y;
};

struct ReferenceRun {
    std::string problem;
    double rtol = 0.0;
    std::vector<ReportRow> rows;
};

std::vector<ReferenceRun> ReadReference() {
    std::ifstream in(std::string(KORA_TEST_DATA_DIR) + "/lsoda_reference.txt");
    std::vector<ReferenceRun> runs;
    std::string line;
    int n = 0;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        if (line.rfind("problem", 0) == 0) {
            ReferenceRun run;
            std::string keyword;
            int rowCount = 0;
            fields >> keyword >> run.problem >> run.rtol >> n >> rowCount;
            runs.push_back(run);
            continue;
        }
        ReportRow row;
        fields >> row.t >> row.nst >> row.nfe >> row.nje >> row.mused >> row.tsw;
        row.y.resize(static_cast<size_t>(n));
        for (double& v : row.y)
            fields >> v;
        runs.back().rows.push_back(row);
    }
    return runs;
}

class FunctionRhs : public LsodaRhs {
public:
    explicit FunctionRhs(Rhs f) : f_(std::move(f)) {}
    bool Derivatives(double, const double* y, double* ydot) override {
        f_(y, ydot);
        return true;
    }

private:
    Rhs f_;
};

std::vector<ReportRow> SolveWithOurs(const Problem& problem, double rtol, double unitRoundoff) {
    KRMparser model(nullptr, nullptr);
    model.equations.resize(problem.y0.size());
    lsoda solver(&model);
    FunctionRhs rhs(problem.rhs);
    solver.SetRightHandSide(&rhs);
    solver.values = problem.y0;
    solver.runStart = solver.t0 = 0.0;
    solver.runEnd = solver.segmentEnd = problem.tf;
    solver.reportInterval = problem.hr;
    solver.tolerance = rtol;
    solver.engine.unitRoundoff = unitRoundoff;
    solver.state = kSolverInitialise;

    std::vector<ReportRow> rows;
    while (solver.state != kSolverFinished) {
        solver.Run();
        if (solver.state != kSolverStepping || solver.istate != 2) continue;
        const LsodaEngine& e = solver.engine;
        rows.push_back({solver.t, e.IntOutput(11), e.IntOutput(12), e.IntOutput(13),
                        e.IntOutput(19), e.RealOutput(15), solver.y});
    }
    EXPECT_EQ(solver.status, kStatusComplete);
    return rows;
}

// The published solver asks the machine for its unit roundoff (2^-52); with
// the same value ours takes the same steps and produces the same numbers.
TEST(LsodaFidelity, CountsAndValuesMatchThePublishedSolverAtEveryReportTime) {
    const std::vector<ReferenceRun> reference = ReadReference();
    ASSERT_EQ(reference.size(), 8u) << "missing tests/data/lsoda_reference.txt";
    for (const ReferenceRun& run : reference) {
        SCOPED_TRACE(run.problem + " rtol " + std::to_string(run.rtol));
        const std::vector<ReportRow> ours = SolveWithOurs(Problems().at(run.problem), run.rtol,
                                                          std::numeric_limits<double>::epsilon());
        ASSERT_EQ(ours.size(), run.rows.size());
        for (size_t k = 0; k < ours.size(); ++k) {
            const ReportRow& a = ours[k];
            const ReportRow& b = run.rows[k];
            SCOPED_TRACE("report time " + std::to_string(b.t));
            EXPECT_EQ(a.t, b.t);
            EXPECT_EQ(a.nst, b.nst);
            EXPECT_EQ(a.nfe, b.nfe);
            EXPECT_EQ(a.nje, b.nje);
            EXPECT_EQ(a.mused, b.mused);
            EXPECT_NEAR(a.tsw, b.tsw, 1e-10 * std::fabs(b.tsw));
            for (size_t i = 0; i < b.y.size(); ++i)
                EXPECT_NEAR(a.y[i], b.y[i], 1e-10 * std::fabs(b.y[i])) << "component " << i;
        }
    }
}

// The system's own unit roundoff (2.22044604926e-16, 4.4e-12 relative above
// 2^-52) only moves the Jacobian's difference increments, so the step
// sequences of stiff runs drift apart; the answers must still agree to within
// the requested accuracy, and non-stiff runs, which need no Jacobian, exactly.
TEST(LsodaFidelity, SystemUnitRoundoffAgreesWithinTheTolerance) {
    for (const ReferenceRun& run : ReadReference()) {
        SCOPED_TRACE(run.problem + " rtol " + std::to_string(run.rtol));
        const std::vector<ReportRow> ours =
            SolveWithOurs(Problems().at(run.problem), run.rtol, kLsodaEta);
        ASSERT_EQ(ours.size(), run.rows.size());
        for (size_t k = 0; k < ours.size(); ++k) {
            EXPECT_EQ(ours[k].t, run.rows[k].t);
            for (size_t i = 0; i < ours[k].y.size(); ++i) {
                const double ref = run.rows[k].y[i];
                EXPECT_NEAR(ours[k].y[i], ref, 200.0 * run.rtol * std::fabs(ref) + 1e-12);
            }
        }
        if (run.rows.back().nje == 0) {
            EXPECT_EQ(ours.back().nst, run.rows.back().nst);
        }
    }
}

} // namespace
} // namespace kora
