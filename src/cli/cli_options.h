// Command-line options of kora-batch, parsed once for every command.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kora::cli {

// Exit codes (sysexits-style where one fits).
inline constexpr int kExitOk = 0;
inline constexpr int kExitModelError = 1;
inline constexpr int kExitSolverFailure = 2;
inline constexpr int kExitStopped = 3;
inline constexpr int kExitUsage = 64;
inline constexpr int kExitNoInput = 66;
inline constexpr int kExitUnavailable = 69;
inline constexpr int kExitCantCreate = 73;

enum class Command { None, Check, Run, SteadyState, Plot, Import, Export, Fit, Help, Version };

// A picture's size as given: pixels, or millimetres / inches.
struct PictureSize {
    double width = 0;
    double height = 0;
    std::string unit; // "px", "mm" or "in"
};

struct CliOptions {
    Command command = Command::None;
    std::string input; // model or results file

    // run
    std::optional<std::string> method;            // "taylor" | "lsoda"
    std::optional<int> tolerance;                 // MLogTolerance
    std::optional<std::string> absoluteTolerance; // AbsTolerance
    std::optional<int> minOrder;
    std::optional<int> maxOrder;
    std::vector<std::pair<std::string, std::string>> assignments; // --set NAME=VALUE
    std::optional<std::string> output;                            // -o FILE
    std::optional<std::string> plot;                              // --plot IMAGE
    std::optional<std::string> view;                              // time|phase2d|phase3d
    std::optional<PictureSize> size;                              // --size WxH[mm|in]
    std::optional<int> dpi;                                       // --dpi N
    std::optional<std::string> log;                               // --log x|y|xy
    std::optional<std::string> title;                             // --title TEXT
    bool stats = false;
    std::optional<int> maxValues;      // --max-values N: rows x columns of one run
    std::optional<bool> exactJacobian; // --jacobian exact|difference (run and ss)

    // ss
    std::optional<double> threshold;
    bool noConservation = false; // --no-conservation

    // fit
    std::vector<std::string> dataFiles;   // after the model file
    std::vector<std::string> fitSpecs;    // --fit NAME[=LOW:HIGH]
    std::vector<std::string> logNames;    // --log NAME
    std::vector<std::string> linearNames; // --linear NAME
    std::optional<std::string> fitMethod; // lm | multistart | ssystem
    std::optional<int> starts;
    std::optional<int> threads;        // fit: multistart workers; run: parallel loop workers
    std::optional<int> maxEvaluations; // --max-evaluations N
    std::optional<unsigned long long> seed;
    std::optional<std::string> json;    // --json FIT.json
    std::optional<std::string> weights; // sd | range

    // check, run, ss: warnings become errors
    bool strict = false;

    // every command
    std::optional<std::string> settingsFile; // --settings FILE.ini
};

struct ParseResult {
    CliOptions options;
    std::string error; // empty on success
};

ParseResult ParseCommandLine(const std::vector<std::string>& args);
struct OutputProblem {
    int exitCode = kExitOk;
    std::string message; // empty when the outputs can be written
};

// Before any work: kExitUsage when -o or --plot names the input file
// (through any path or link), whose loss nothing could repair;
// kExitCantCreate when an output is a folder or its folder is missing.
OutputProblem CheckOutputsBeforeWork(const CliOptions& options);

std::string UsageText();

} // namespace kora::cli
