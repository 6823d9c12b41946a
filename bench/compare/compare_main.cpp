// Side-by-side timing of KORA's solvers and the peers on the same problems at
// the same tolerances, with the achieved error of the final state against a
// tight reference, so that speed is compared at equal accuracy.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "kora_side.h"
#include "peer_cvode.h"
#include "problems.h"

using namespace kora::compare;

namespace {

struct Row {
    std::string solver;
    double medianMs = NAN;
    long steps = 0;
    long fevals = 0;
    double error = NAN;
    bool ok = false;
};

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t m = v.size() / 2;
    return v.size() % 2 ? v[m] : 0.5 * (v[m - 1] + v[m]);
}

// Componentwise relative error with a floor, so tiny components count too.
double FinalError(const std::vector<double>& y, const std::vector<double>& ref) {
    if (y.size() != ref.size()) return NAN;
    double worst = 0.0;
    for (size_t i = 0; i < y.size(); ++i)
        worst = std::max(worst, std::abs(y[i] - ref[i]) / std::max(std::abs(ref[i]), 1e-8));
    return worst;
}

using Solve = std::function<SolveOutcome()>;

// Times every solver in alternation (a round times each once), after a
// warm-up, until the budget is spent; medians per solver.
std::vector<Row> TimeAlternating(const std::vector<std::pair<std::string, Solve>>& solvers,
                                 const std::vector<double>& reference, double budgetSeconds) {
    using Clock = std::chrono::steady_clock;
    std::vector<Row> rows(solvers.size());
    std::vector<std::vector<double>> samples(solvers.size());
    for (size_t s = 0; s < solvers.size(); ++s) {
        SolveOutcome out = solvers[s].second(); // warm-up, and the counts
        rows[s].solver = solvers[s].first;
        rows[s].ok = out.ok;
        rows[s].steps = out.steps;
        rows[s].fevals = out.fevals;
        rows[s].error = out.ok ? FinalError(out.finalState, reference) : NAN;
    }
    const auto start = Clock::now();
    for (int round = 0; round < 200; ++round) {
        for (size_t s = 0; s < solvers.size(); ++s) {
            if (!rows[s].ok) continue;
            const auto t1 = Clock::now();
            solvers[s].second();
            samples[s].push_back(std::chrono::duration<double, std::milli>(Clock::now() - t1).count());
        }
        const double spent = std::chrono::duration<double>(Clock::now() - start).count();
        if (round >= 4 && spent > budgetSeconds) break;
    }
    for (size_t s = 0; s < solvers.size(); ++s)
        if (!samples[s].empty()) rows[s].medianMs = Median(samples[s]);
    return rows;
}

struct ScipyRow {
    double seconds = NAN;
    long steps = 0;
    long fevals = 0;
    std::vector<double> finalState;
};

std::map<std::pair<std::string, std::string>, ScipyRow> RunScipy(const std::string& script,
                                                                 double budget) {
    std::map<std::pair<std::string, std::string>, ScipyRow> rows;
    const std::string command = "/usr/bin/python3 " + script + " " + std::to_string(budget);
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return rows;
    char buffer[1 << 16];
    while (std::fgets(buffer, sizeof buffer, pipe)) {
        std::istringstream line(buffer);
        std::string name, tol;
        ScipyRow row;
        if (!(line >> name >> tol >> row.seconds >> row.steps >> row.fevals)) continue;
        for (double v; line >> v;) row.finalState.push_back(v);
        rows[{name, tol}] = row;
    }
    pclose(pipe);
    return rows;
}

std::string TolText(double tol) {
    char b[16];
    std::snprintf(b, sizeof b, "%g", tol);
    return b;
}

void PrintRow(const std::string& problem, double tol, const Row& r) {
    std::printf("| %-11s | %-6s | %-13s | %10.4g | %7ld | %8ld | %9.2e |\n", problem.c_str(),
                TolText(tol).c_str(), r.solver.c_str(), r.medianMs, r.steps, r.fevals, r.error);
}

} // namespace

int main(int argc, char** argv) {
    const double budget = argc > 1 ? std::atof(argv[1]) : 2.0;
    const std::string dir = KORA_COMPARE_DIR;
    std::cerr << "running scipy's odeint ...\n";
    auto scipy = RunScipy(dir + "/scipy_odeint.py", budget);

    std::printf("| problem     | tol    | solver        |  median ms |   steps |   fevals |     error |\n");
    std::printf("|---|---|---|---|---|---|---|\n");
    for (const Problem& p : ComparisonProblems()) {
        const double refTol = p.stiff ? 1e-12 : 1e-13;
        SolveOutcome ref = SolveWithCvode(p, p.stiff ? CvodeMethod::Bdf : CvodeMethod::Adams,
                                          refTol, 1e-16);
        if (!ref.ok) {
            std::printf("| %s | reference solve failed |\n", p.name.c_str());
            continue;
        }
        KoraSide kora(dir + "/models/" + p.modelFile);
        for (double tol : p.tolerances) {
            const CvodeMethod peer = p.stiff ? CvodeMethod::Bdf : CvodeMethod::Adams;
            const double atol = 1000 * 2.22044604926e-16;
            std::vector<std::pair<std::string, Solve>> solvers;
            solvers.emplace_back("KORA LSODA", [&] { return kora.Solve(KoraMethod::Lsoda, tol); });
            if (p.powerLaw)
                solvers.emplace_back("KORA Taylor",
                                     [&] { return kora.Solve(KoraMethod::Taylor, tol); });
            solvers.emplace_back(peer == CvodeMethod::Bdf ? "CVODE BDF" : "CVODE Adams",
                                 [&] { return SolveWithCvode(p, peer, tol, atol); });
            for (const Row& r : TimeAlternating(solvers, ref.finalState, budget))
                PrintRow(p.name, tol, r);
            auto it = scipy.find({p.name, TolText(tol)});
            if (it != scipy.end()) {
                Row r{"scipy odeint", it->second.seconds * 1000.0, it->second.steps,
                      it->second.fevals, FinalError(it->second.finalState, ref.finalState), true};
                PrintRow(p.name, tol, r);
            }
        }
    }
    return 0;
}
