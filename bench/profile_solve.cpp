// Profiling helper: repeats one whole solve of a model file (build, solve,
// time course) exactly as the peer comparison times it, so that callgrind or
// perf see the same work without the peers. Also builds the S-system chain
// of a given size, for the model-build cost.
//
// profile_solve <model.krm> <lsoda|taylor> <log10 tolerance> <repeats>
// profile_solve chain <size> <repeats>
//
// Not part of the CMake build; compile it against a build tree's libraries:
// g++ -std=c++20 -O2 -g -Isrc bench/profile_solve.cpp -Lbuild/src -lkora_solve
//     -lkora_numeric -lkora_solvebase -lkora_model -lkora_kernels -lkora_settings
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "model/error_display.h"
#include "model/krm_parser.h"
#include "model/model_text.h"
#include "solve/run_driver.h"

namespace {

using namespace kora;

TextLines ChainModel(int n) {
    TextLines lines{"NAME chain", "tf = 100", "hr = 1"};
    for (int i = 0; i <= n; ++i)
        lines.push_back("a" + std::to_string(i) + " = " +
                        std::to_string(1.0 + ((i * 7919) % 1000) / 1000.0));
    const std::string last = "X" + std::to_string(n);
    lines.push_back("X1' = a0*" + last + "^(-0.5) - a1*X1^0.5");
    for (int i = 2; i <= n; ++i) {
        const std::string x = "X" + std::to_string(i), prev = "X" + std::to_string(i - 1);
        const std::string a = "a" + std::to_string(i), aprev = "a" + std::to_string(i - 1);
        lines.push_back(x + "' = " + aprev + "*" + prev + "^0.5 - " + a + "*" + x + "^0.5");
    }
    for (int i = 1; i <= n; ++i)
        lines.push_back("X" + std::to_string(i) + " = 1");
    return lines;
}

int ProfileChainBuild(int size, int repeats) {
    const TextLines lines = ChainModel(size);
    KRMForm form;
    ErrorDisplay sink;
    KRMparser model(&form, &sink);
    const auto start = std::chrono::steady_clock::now();
    for (int r = 0; r < repeats; ++r) {
        model.Build(lines);
        if (sink.code != 0 || !model.BuildForm()) return 1;
    }
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    std::printf("chain %d: %.3f ms per build\n", size, ms / repeats);
    return 0;
}

int ProfileSolve(const std::string& path, bool taylor, int logTolerance, int repeats) {
    TextLines lines;
    if (ReadTextLines(path, lines) != TextReadStatus::Ok) return 1;
    const TextLines modelLines = ExtractModelLines(lines, true).modelLines;
    RunConfiguration config;
    config.method = taylor ? SolverMethod::Taylor : SolverMethod::Lsoda;
    config.logTolerance = logTolerance;
    RunOutcome outcome;
    const auto start = std::chrono::steady_clock::now();
    for (int r = 0; r < repeats; ++r) {
        ErrorDisplay sink;
        KRMForm form;
        KRMparser model(&form, &sink);
        RunDriver driver(model, form, sink);
        outcome = driver.RunToEnd(modelLines, config);
    }
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    std::printf("%s: %.3f ms per solve, %d steps, ok %d\n", path.c_str(), ms / repeats,
                outcome.statistics.steps, outcome.Succeeded() ? 1 : 0);
    for (const auto& [key, value] : outcome.statistics.extra)
        if (key == "fevals" || key == "jevals")
            std::printf("  %s %s\n", key.c_str(), value.c_str());
    if (outcome.timeCourse) {
        const TimeCourse& tc = *outcome.timeCourse;
        const double* last = tc.Row(tc.rows - 1);
        for (int c = 0; c < tc.columns; ++c)
            std::printf("  %.17g\n", last[c]);
    }
    return outcome.Succeeded() ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "chain")
        return ProfileChainBuild(std::atoi(argv[2]), std::atoi(argv[3]));
    if (argc != 5) {
        std::fprintf(stderr, "usage: profile_solve <model> <lsoda|taylor> <logtol> <repeats>\n"
                             "       profile_solve chain <size> <repeats>\n");
        return 2;
    }
    return ProfileSolve(argv[1], std::string(argv[2]) == "taylor", std::atoi(argv[3]),
                        std::atoi(argv[4]));
}
