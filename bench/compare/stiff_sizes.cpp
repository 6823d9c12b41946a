// Large stiff models solved by KORA's LSODA (difference and exact
// Jacobians) beside CVODE BDF with KLU and its analytic sparse Jacobian
// (and, up to 1,000 variables, CVODE's dense solver):
//  - chain: X_i' = k_i X_(i-1)^0.6 - k_i X_i^0.7,
//  - network: X_i' = k_i (0.2 + 0.2 sum of four X_j^0.5) - k_i X_i^0.8, the
//    four j drawn at random, so each equation reads five variables,
// with k_i spread over four decades, at rtol 1e-8. Each solver runs in a
// process of its own, so the peak resident size is its own.
// Usage: bench_stiff_sizes [chain|network] [n ...]
//        bench_stiff_sizes --threshold    (sparse against dense matrix)
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include <cvode/cvode.h>
#include <nvector/nvector_serial.h>
#include <sundials/sundials_context.h>
#include <sunlinsol/sunlinsol_klu.h>
#include <sunmatrix/sunmatrix_sparse.h>

#include "kora_side.h"
#include "model/krm_parser.h"
#include "numeric/lsoda.h"
#include "peer_cvode.h"

namespace kora::compare {
namespace {

constexpr double kRtol = 1e-8;
constexpr double kAtol = 1000 * 2.22044604926e-16;
int inputCount = 4; // inputs per equation of the network

// The model being solved: y[i] is X_(i+1).
struct StiffModel {
    bool network = false;
    int n = 0;
    std::vector<double> rates;
    std::vector<std::vector<int>> inputs;  // network: distinct, never i itself
    std::vector<sunindextype> start, rows; // the Jacobian's pattern by columns

    void Build(bool isNetwork, int size) {
        network = isNetwork;
        n = size;
        rates.resize(static_cast<size_t>(n));
        for (int i = 0; i < n; ++i)
            rates[static_cast<size_t>(i)] = std::pow(10.0, 4.0 * i / (n - 1));
        inputs.assign(network ? static_cast<size_t>(n) : 0, std::vector<int>(inputCount));
        std::mt19937 random(20261207);
        std::uniform_int_distribution<int> pick(0, n - 1);
        for (int i = 0; network && i < n; ++i) {
            for (int r = 0; r < inputCount; ++r) {
                int j = 0;
                do
                    j = pick(random);
                while (j == i || std::find(inputs[i].begin(), inputs[i].begin() + r, j) !=
                                     inputs[i].begin() + r);
                inputs[static_cast<size_t>(i)][static_cast<size_t>(r)] = j;
            }
        }
        BuildPattern();
    }

    std::vector<int> Reads(int i) const {
        std::vector<int> reads{i};
        if (network)
            reads.insert(reads.end(), inputs[i].begin(), inputs[i].end());
        else if (i > 0)
            reads.push_back(i - 1);
        return reads;
    }

    void BuildPattern() {
        std::vector<std::vector<sunindextype>> byColumn(static_cast<size_t>(n));
        for (int i = 0; i < n; ++i)
            for (int j : Reads(i))
                byColumn[static_cast<size_t>(j)].push_back(i);
        start.assign(1, 0);
        rows.clear();
        for (auto& column : byColumn) {
            std::sort(column.begin(), column.end());
            rows.insert(rows.end(), column.begin(), column.end());
            start.push_back(static_cast<sunindextype>(rows.size()));
        }
    }

    void Rhs(const double* y, double* f) const {
        for (int i = 0; i < n; ++i) {
            const double k = rates[static_cast<size_t>(i)];
            if (!network) {
                f[i] = k * std::pow(i == 0 ? 1.0 : y[i - 1], 0.6) - k * std::pow(y[i], 0.7);
                continue;
            }
            double production = 0.2;
            for (int j : inputs[static_cast<size_t>(i)])
                production += 0.8 / inputCount * std::sqrt(y[j]);
            f[i] = k * production - k * std::pow(y[i], 0.8);
        }
    }

    // d f_i / d y_j for an entry of the pattern.
    double Partial(int i, int j, const double* y) const {
        const double k = rates[static_cast<size_t>(i)];
        if (!network)
            return i == j ? -0.7 * k * std::pow(y[i], -0.3) : 0.6 * k * std::pow(y[j], -0.4);
        return i == j ? -0.8 * k * std::pow(y[i], -0.2) : 0.4 / inputCount * k / std::sqrt(y[j]);
    }

    std::string Text() const {
        std::string text = "X0 = 1\n&& X0\ntf = 10\nhr = 1\n";
        char line[200];
        for (int i = 0; i < n; ++i) {
            const double k = rates[static_cast<size_t>(i)];
            if (!network) {
                std::snprintf(line, sizeof line, "X%d' = %.17g * X%d^0.6 - %.17g * X%d^0.7\n",
                              i + 1, k, i, k, i + 1);
                text += line;
            } else {
                std::snprintf(line, sizeof line, "X%d' = %.17g * (0.2", i + 1, k);
                text += line;
                for (int j : inputs[static_cast<size_t>(i)]) {
                    std::snprintf(line, sizeof line, " + %.17g X%d^0.5", 0.8 / inputCount, j + 1);
                    text += line;
                }
                std::snprintf(line, sizeof line, ") - %.17g * X%d^0.8\n", k, i + 1);
                text += line;
            }
            std::snprintf(line, sizeof line, "X%d = 0.5\n", i + 1);
            text += line;
        }
        std::snprintf(line, sizeof line, "!! X%d\n", n);
        return text + line;
    }
};

StiffModel model; // the one being solved

int KluRhs(sunrealtype, N_Vector y, N_Vector ydot, void*) {
    model.Rhs(N_VGetArrayPointer(y), N_VGetArrayPointer(ydot));
    return 0;
}

int KluJacobian(sunrealtype, N_Vector yv, N_Vector, SUNMatrix J, void*, N_Vector, N_Vector,
                N_Vector) {
    const double* y = N_VGetArrayPointer(yv);
    sunindextype* start = SUNSparseMatrix_IndexPointers(J);
    sunindextype* row = SUNSparseMatrix_IndexValues(J);
    double* value = SUNSparseMatrix_Data(J);
    std::copy(model.start.begin(), model.start.end(), start);
    std::copy(model.rows.begin(), model.rows.end(), row);
    for (int j = 0; j < model.n; ++j)
        for (sunindextype k = model.start[j]; k < model.start[j + 1]; ++k)
            value[k] = model.Partial(static_cast<int>(model.rows[k]), j, y);
    return 0;
}

SolveOutcome SolveWithKlu() {
    const int n = model.n;
    SolveOutcome out;
    SUNContext context = nullptr;
    if (SUNContext_Create(nullptr, &context) != 0) return out;
    N_Vector y = N_VNew_Serial(n, context);
    for (int i = 0; i < n; ++i)
        N_VGetArrayPointer(y)[i] = 0.5;
    SUNMatrix matrix = SUNSparseMatrix(n, n, model.start.back(), CSC_MAT, context);
    SUNLinearSolver linear = SUNLinSol_KLU(y, matrix, context);
    void* memory = CVodeCreate(CV_BDF, context);
    bool ok = memory && CVodeInit(memory, KluRhs, 0.0, y) == CV_SUCCESS;
    if (ok) {
        CVodeSStolerances(memory, kRtol, kAtol);
        CVodeSetMaxNumSteps(memory, 1000000);
        ok = CVodeSetLinearSolver(memory, linear, matrix) == CV_SUCCESS &&
             CVodeSetJacFn(memory, KluJacobian) == CV_SUCCESS;
    }
    sunrealtype t = 0.0;
    for (int k = 1; ok && k <= 10; ++k)
        ok = CVode(memory, k, y, &t, CV_NORMAL) >= 0;
    if (ok) {
        long value = 0;
        CVodeGetNumSteps(memory, &value);
        out.steps = value;
        CVodeGetNumRhsEvals(memory, &value);
        out.fevals = value;
        CVodeGetNumJacEvals(memory, &value);
        out.jevals = value;
        out.finalState.assign(1, N_VGetArrayPointer(y)[n - 1]);
        out.ok = true;
    }
    if (memory) CVodeFree(&memory);
    SUNLinSolFree(linear);
    SUNMatDestroy(matrix);
    N_VDestroy(y);
    SUNContext_Free(&context);
    return out;
}

double CpuMs(const std::function<SolveOutcome()>& solve, int repeats, SolveOutcome& last) {
    std::vector<double> samples;
    for (int r = 0; r < repeats; ++r) {
        const std::clock_t start = std::clock();
        last = solve();
        samples.push_back(1000.0 * static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC);
    }
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

// Runs the solve in a child process and prints its row with the child's
// peak resident size.
void MeasureAlone(const char* name, const std::function<SolveOutcome()>& solve, int repeats) {
    std::fflush(stdout);
    const pid_t child = fork();
    if (child == 0) {
        SolveOutcome out;
        const double ms = CpuMs(solve, repeats, out);
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        std::printf("| %-7s | %6d | %-19s | %9.1f | %6ld | %6ld | %7ld | %7.1f | %.9g |\n",
                    model.network ? "network" : "chain", model.n, name, ms, out.steps, out.jevals,
                    out.fevals, static_cast<double>(usage.ru_maxrss) / 1024.0,
                    out.finalState.empty() ? NAN : out.finalState.back());
        std::fflush(stdout);
        _exit(out.ok ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
}

void Measure(bool network, int n) {
    model.Build(network, n);
    const std::string path =
        (std::filesystem::temp_directory_path() / ("kora_stiff" + std::to_string(n) + ".krm"))
            .string();
    std::ofstream(path) << model.Text();
    const KoraSide kora(path);
    std::vector<double> start(static_cast<size_t>(n), 0.5);
    const auto rhs = [](double, const double* y, double* f, int) { model.Rhs(y, f); };
    const Problem problem{"stiff", "", n, start, 0.0, 10.0, 1.0, true, false, {kRtol}, rhs};
    const int repeats = n >= 3000 ? 1 : 3;
    MeasureAlone(
        "KORA LSODA diff", [&] { return kora.Solve(KoraMethod::Lsoda, kRtol); }, repeats);
    MeasureAlone(
        "KORA LSODA exact", [&] { return kora.Solve(KoraMethod::Lsoda, kRtol, true); }, repeats);
    MeasureAlone(
        "CVODE BDF KLU", [] { return SolveWithKlu(); }, repeats);
    if (n <= 1000)
        MeasureAlone(
            "CVODE BDF dense",
            [&] { return SolveWithCvode(problem, CvodeMethod::Bdf, kRtol, kAtol); }, repeats);
    std::filesystem::remove(path);
}

// LSODA on the network with the sparse matrix forced on or off.
double DirectMs(const TextLines& lines, int32_t sparseMinimum) {
    SolveOutcome unused;
    return CpuMs(
        [&] {
            KRMForm form;
            ErrorDisplay sink;
            KRMparser parsed(&form, &sink);
            parsed.Build(lines);
            lsoda solver(&parsed);
            solver.Init();
            solver.sparseMinimum = sparseMinimum;
            solver.sparseLargestFill = 1.0;
            solver.tolerance = kRtol;
            solver.state = kSolverInitialise;
            while (solver.state != kSolverFinished)
                solver.Run();
            return SolveOutcome{solver.status == kStatusComplete, 0, 0, 0, {}};
        },
        3, unused);
}

// Sizes at four inputs per equation, then fills at 400 equations.
void MeasureThreshold() {
    std::printf("| n | inputs | dense matrix ms | sparse matrix ms |\n|---|---|---|---|\n");
    const std::vector<std::pair<int, int>> cases{{50, 4},   {100, 4},  {150, 4},  {200, 4},
                                                 {300, 4},  {500, 4},  {400, 20}, {400, 40},
                                                 {400, 80}, {400, 160}};
    for (const auto& [n, inputs] : cases) {
        inputCount = inputs;
        model.Build(true, n);
        TextLines lines;
        const std::string text = model.Text();
        for (size_t at = 0, next; at < text.size(); at = next + 1) {
            next = text.find('\n', at);
            lines.push_back(text.substr(at, next - at));
        }
        std::printf("| %d | %d | %.1f | %.1f |\n", n, inputs, DirectMs(lines, INT32_MAX),
                    DirectMs(lines, 0));
        std::fflush(stdout);
    }
}

} // namespace
} // namespace kora::compare

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == "--threshold") {
        kora::compare::MeasureThreshold();
        return 0;
    }
    std::vector<std::string> kinds;
    std::vector<int> sizes;
    for (int k = 1; k < argc; ++k) {
        const std::string word = argv[k];
        if (word == "chain" || word == "network")
            kinds.push_back(word);
        else
            sizes.push_back(std::atoi(argv[k]));
    }
    if (kinds.empty()) kinds = {"chain", "network"};
    if (sizes.empty()) sizes = {1000, 3000, 10000};
    std::printf("| model | n | solver | CPU ms | steps | jevals | fevals | peak MB | last X_n |\n");
    std::printf("|---|---|---|---|---|---|---|---|---|\n");
    for (const std::string& kind : kinds)
        for (int n : sizes)
            kora::compare::Measure(kind == "network", n);
    return 0;
}
