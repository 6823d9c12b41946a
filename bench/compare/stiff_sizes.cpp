// Large stiff models: a GMA chain of n variables, X_i' = k_i X_(i-1)^0.6 -
// k_i X_i^0.7 with k_i spread over four decades, solved at rtol 1e-8 by
// KORA's LSODA and by CVODE BDF with its dense solver (difference Jacobian)
// and with KLU (sparse, analytic Jacobian). Prints CPU-time medians.
// Usage: bench_stiff_sizes [n ...]
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include <cvode/cvode.h>
#include <nvector/nvector_serial.h>
#include <sundials/sundials_context.h>
#include <sunlinsol/sunlinsol_klu.h>
#include <sunmatrix/sunmatrix_sparse.h>

#include "kora_side.h"
#include "peer_cvode.h"

namespace kora::compare {
namespace {

constexpr double kRtol = 1e-8;
constexpr double kAtol = 1000 * 2.22044604926e-16;
std::vector<double> rates; // of the chain being solved

double Rate(int i, int n) {
    return std::pow(10.0, 4.0 * i / (n - 1));
}

void Chain(double, const double* y, double* f, int n) {
    for (int i = 0; i < n; ++i) {
        const double before = i == 0 ? 1.0 : y[i - 1];
        f[i] = rates[i] * std::pow(before, 0.6) - rates[i] * std::pow(y[i], 0.7);
    }
}

std::string ModelText(int n) {
    std::string text = "X0 = 1\n&& X0\ntf = 10\nhr = 1\n";
    char line[160];
    for (int i = 1; i <= n; ++i) {
        std::snprintf(line, sizeof line, "X%d' = %.17g * X%d^0.6 - %.17g * X%d^0.7\nX%d = 0.5\n", i,
                      rates[i - 1], i - 1, rates[i - 1], i, i);
        text += line;
    }
    std::snprintf(line, sizeof line, "!! X%d\n", n);
    return text + line;
}

int KluRhs(sunrealtype t, N_Vector y, N_Vector ydot, void* user) {
    Chain(t, N_VGetArrayPointer(y), N_VGetArrayPointer(ydot), *static_cast<int*>(user));
    return 0;
}

// Column j: d f_j / d y_j, then d f_(j+1) / d y_j.
int KluJacobian(sunrealtype, N_Vector yv, N_Vector, SUNMatrix J, void* user, N_Vector, N_Vector,
                N_Vector) {
    const int n = *static_cast<int*>(user);
    const double* y = N_VGetArrayPointer(yv);
    sunindextype* start = SUNSparseMatrix_IndexPointers(J);
    sunindextype* row = SUNSparseMatrix_IndexValues(J);
    double* value = SUNSparseMatrix_Data(J);
    sunindextype k = 0;
    for (int j = 0; j < n; ++j) {
        start[j] = k;
        row[k] = j;
        value[k++] = -0.7 * rates[j] * std::pow(y[j], -0.3);
        if (j + 1 < n) {
            row[k] = j + 1;
            value[k++] = 0.6 * rates[j + 1] * std::pow(y[j], -0.4);
        }
    }
    start[n] = k;
    return 0;
}

SolveOutcome SolveWithKlu(int n) {
    SolveOutcome out;
    SUNContext context = nullptr;
    if (SUNContext_Create(nullptr, &context) != 0) return out;
    N_Vector y = N_VNew_Serial(n, context);
    for (int i = 0; i < n; ++i)
        N_VGetArrayPointer(y)[i] = 0.5;
    SUNMatrix matrix = SUNSparseMatrix(n, n, 2 * n - 1, CSC_MAT, context);
    SUNLinearSolver linear = SUNLinSol_KLU(y, matrix, context);
    void* memory = CVodeCreate(CV_BDF, context);
    int size = n;
    bool ok = memory && CVodeInit(memory, KluRhs, 0.0, y) == CV_SUCCESS;
    if (ok) {
        CVodeSetUserData(memory, &size);
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

void Measure(int n) {
    rates.resize(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        rates[static_cast<size_t>(i)] = Rate(i, n);
    const std::string path =
        (std::filesystem::temp_directory_path() / ("kora_chain" + std::to_string(n) + ".krm"))
            .string();
    std::ofstream(path) << ModelText(n);
    const KoraSide kora(path);
    Problem problem{"chain", "",      n,    std::vector<double>(static_cast<size_t>(n), 0.5),
                    0.0,     10.0,    1.0,  true,
                    false,   {kRtol}, Chain};
    const int repeats = n >= 3000 ? 1 : 3;
    const std::vector<std::pair<const char*, std::function<SolveOutcome()>>> solvers = {
        {"KORA LSODA", [&] { return kora.Solve(KoraMethod::Lsoda, kRtol); }},
        {"CVODE BDF dense",
         [&] { return SolveWithCvode(problem, CvodeMethod::Bdf, kRtol, kAtol); }},
        {"CVODE BDF KLU", [&] { return SolveWithKlu(n); }},
    };
    for (const auto& [name, solve] : solvers) {
        SolveOutcome out;
        const double ms = CpuMs(solve, repeats, out);
        std::printf("| %5d | %-15s | %10.1f | %6ld | %7ld | %.9g |\n", n, name, ms, out.steps,
                    out.fevals, out.finalState.empty() ? NAN : out.finalState.back());
        std::fflush(stdout);
    }
    std::filesystem::remove(path);
}

} // namespace
} // namespace kora::compare

int main(int argc, char** argv) {
    std::vector<int> sizes;
    for (int k = 1; k < argc; ++k)
        sizes.push_back(std::atoi(argv[k]));
    if (sizes.empty()) sizes = {100, 300, 1000, 3000};
    std::printf("|     n | solver          |     CPU ms |  steps |  fevals | last X_n |\n");
    std::printf("|---|---|---|---|---|---|\n");
    for (int n : sizes)
        kora::compare::Measure(n);
    return 0;
}
