#include "cli_options.h"

#include <charconv>
#include <cstdlib>
#include <filesystem>

#include "numeric/report/ss_report.h"
#include "results/atomic_file.h"
#include "settings/settings.h"

namespace kora::cli {
namespace {

bool ParseInt(const std::string& text, int& out) {
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return ec == std::errc() && end == text.data() + text.size();
}

bool ParseDouble(const std::string& text, double& out) {
    if (text.empty()) return false;
    char* end = nullptr;
    out = std::strtod(text.c_str(), &end);
    return end == text.c_str() + text.size();
}

Command CommandFromWord(const std::string& word) {
    if (word == "check") return Command::Check;
    if (word == "run") return Command::Run;
    if (word == "ss") return Command::SteadyState;
    if (word == "plot") return Command::Plot;
    if (word == "import") return Command::Import;
    if (word == "export") return Command::Export;
    if (word == "fit") return Command::Fit;
    if (word == "--help" || word == "-h" || word == "help") return Command::Help;
    if (word == "--version") return Command::Version;
    return Command::None;
}

bool IsPictureOption(const std::string& option) {
    return option == "--plot" || option == "--view" || option == "--size" || option == "--dpi" ||
           option == "--log" || option == "--title";
}

// "800x600" (pixels), "160x120mm" or "6.3x4.7in".
std::string ParseSize(const std::string& value, PictureSize& size) {
    std::string numbers = value;
    size.unit = "px";
    for (const char* unit : {"px", "mm", "in"}) {
        const std::string suffix(unit);
        if (numbers.size() > suffix.size() &&
            numbers.compare(numbers.size() - suffix.size(), suffix.size(), suffix) == 0) {
            numbers.resize(numbers.size() - suffix.size());
            size.unit = suffix;
        }
    }
    const std::string problem = "--size takes WxH in pixels between 16 and 10000, or WxHmm or "
                                "WxHin, got '" +
                                value + "'";
    const auto x = numbers.find('x');
    if (x == std::string::npos) return problem;
    if (size.unit == "px") {
        int w = 0, h = 0;
        if (!ParseInt(numbers.substr(0, x), w) || !ParseInt(numbers.substr(x + 1), h) || w < 16 ||
            h < 16 || w > 10000 || h > 10000)
            return problem;
        size.width = w;
        size.height = h;
        return {};
    }
    const double most = size.unit == "mm" ? 2000 : 80;
    if (!ParseDouble(numbers.substr(0, x), size.width) ||
        !ParseDouble(numbers.substr(x + 1), size.height) || !(size.width > 0) ||
        !(size.height > 0) || size.width > most || size.height > most)
        return problem;
    return {};
}

// Which options each command accepts.
bool Accepts(Command command, const std::string& option) {
    if (option == "--settings") return true;
    if (option == "--strict")
        return command == Command::Check || command == Command::Run ||
               command == Command::SteadyState;
    switch (command) {
    case Command::Run:
        return option == "--max-values" || option == "--method" || option == "--tol" ||
               option == "--atol" || option == "--min-order" || option == "--max-order" ||
               option == "--set" || option == "-o" || IsPictureOption(option) ||
               option == "--stats" || option == "--threads" || option == "--jacobian";
    case Command::SteadyState:
        return option == "--threshold" || option == "-o" || option == "--set" ||
               option == "--no-conservation" || option == "--jacobian";
    case Command::Plot:
        return IsPictureOption(option);
    case Command::Import:
    case Command::Export:
        return option == "-o";
    case Command::Fit:
        return option == "--fit" || option == "--log" || option == "--linear" ||
               option == "--starts" || option == "--threads" || option == "--method" ||
               option == "--seed" || option == "--json" || option == "-o" || option == "--tol" ||
               option == "--weights" || option == "--max-evaluations";
    default:
        return false;
    }
}

bool TakesValue(const std::string& option) {
    return option != "--stats" && option != "--strict" && option != "--no-conservation";
}

// The options only fit takes; "-" when `option` is not one of them.
std::string ApplyFitOption(CliOptions& o, const std::string& option, const std::string& value) {
    int number = 0;
    if (option == "--fit") {
        if (value.empty() || value[0] == '=') return "--fit takes NAME or NAME=LOW:HIGH";
        o.fitSpecs.push_back(value);
    } else if (option == "--log" || option == "--linear") {
        (option == "--log" ? o.logNames : o.linearNames).push_back(value);
    } else if (option == "--starts" || option == "--threads" || option == "--max-evaluations") {
        if (!ParseInt(value, number) || number < 1 || number > 1000000)
            return option + " takes a whole number from 1 to 1000000, got '" + value + "'";
        (option == "--starts"    ? o.starts
         : option == "--threads" ? o.threads
                                 : o.maxEvaluations) = number;
    } else if (option == "--seed") {
        unsigned long long seed = 0;
        auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), seed);
        if (ec != std::errc() || end != value.data() + value.size())
            return "--seed takes a whole number, got '" + value + "'";
        o.seed = seed;
    } else if (option == "--json") {
        o.json = value;
    } else if (option == "--weights") {
        if (value != "sd" && value != "range") return "--weights takes sd or range";
        o.weights = value;
    } else {
        return "-";
    }
    return {};
}

std::string ApplyOption(CliOptions& o, const std::string& option, const std::string& value) {
    int number = 0;
    if (option == "--settings") {
        o.settingsFile = value;
    } else if (option == "--method" && o.command == Command::Fit) {
        if (value != "lm" && value != "multistart" && value != "ssystem")
            return "--method takes lm, multistart or ssystem";
        o.fitMethod = value;
    } else if (option == "--method") {
        if (value != "taylor" && value != "lsoda") return "--method takes taylor or lsoda";
        o.method = value;
    } else if (std::string fitProblem =
                   o.command == Command::Fit ? ApplyFitOption(o, option, value) : "-";
               fitProblem != "-") {
        // fit's --log names a parameter; plot's and run's an axis.
        return fitProblem;
    } else if (option == "--tol" || option == "--min-order" || option == "--max-order") {
        if (!ParseInt(value, number)) return option + " takes a whole number, got '" + value + "'";
        if (option == "--tol") {
            if (number < 0 || number > 18) return "--tol takes 0 to 18, got " + value;
            o.tolerance = number;
        } else {
            if (number < 2 || number > 20) return option + " takes 2 to 20, got " + value;
            (option == "--min-order" ? o.minOrder : o.maxOrder) = number;
        }
    } else if (option == "--threads") {
        if (!ParseInt(value, number) || number < 1 || number > 1024)
            return "--threads takes a whole number from 1 to 1024, got '" + value + "'";
        o.threads = number;
    } else if (option == "--jacobian") {
        if (value != "exact" && value != "difference")
            return "--jacobian takes exact or difference";
        o.exactJacobian = value == "exact";
    } else if (option == "--atol") {
        Settings parsed;
        parsed.absTolerance = value;
        if (parsed.AbsoluteTolerance() <= 0)
            return "--atol takes a positive number, got '" + value + "'";
        o.absoluteTolerance = value;
    } else if (option == "--set") {
        auto eq = value.find('=');
        if (eq == std::string::npos || eq == 0)
            return "--set takes NAME=VALUE, got '" + value + "'";
        o.assignments.emplace_back(value.substr(0, eq), value.substr(eq + 1));
    } else if (option == "--max-values") {
        if (!ParseInt(value, number) || number < 1)
            return "--max-values takes a positive whole number, got '" + value + "'";
        o.maxValues = number;
    } else if (option == "-o") {
        o.output = value;
    } else if (option == "--plot") {
        o.plot = value;
    } else if (option == "--view") {
        if (value != "time" && value != "phase2d" && value != "phase3d")
            return "--view takes time, phase2d or phase3d";
        o.view = value;
    } else if (option == "--size") {
        PictureSize size;
        if (std::string problem = ParseSize(value, size); !problem.empty()) return problem;
        o.size = size;
    } else if (option == "--dpi") {
        if (!ParseInt(value, number) || number < 36 || number > 2400)
            return "--dpi takes a whole number from 36 to 2400, got '" + value + "'";
        o.dpi = number;
    } else if (option == "--log") {
        if (value != "x" && value != "y" && value != "xy")
            return "--log takes x, y or xy, got '" + value + "'";
        o.log = value;
    } else if (option == "--title") {
        o.title = value;
    } else if (option == "--threshold") {
        double x = 0;
        if (!ParseDouble(value, x)) return "--threshold takes a number, got '" + value + "'";
        o.threshold = x;
    }
    return {};
}

} // namespace

ParseResult ParseCommandLine(const std::vector<std::string>& args) {
    ParseResult result;
    CliOptions& o = result.options;
    if (args.empty()) {
        result.error = "no command given";
        return result;
    }
    o.command = CommandFromWord(args[0]);
    if (o.command == Command::None) {
        result.error = "unknown command '" + args[0] + "'";
        return result;
    }
    if (o.command == Command::Help || o.command == Command::Version) return result;

    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a.size() > 1 && a[0] == '-') {
            if (!Accepts(o.command, a)) {
                result.error = "unknown option '" + a + "' for '" + args[0] + "'";
                return result;
            }
            if (!TakesValue(a)) {
                (a == "--stats" ? o.stats : a == "--strict" ? o.strict : o.noConservation) = true;
                continue;
            }
            if (i + 1 >= args.size()) {
                result.error = a + " needs a value";
                return result;
            }
            result.error = ApplyOption(o, a, args[++i]);
            if (!result.error.empty()) return result;
        } else if (o.input.empty()) {
            o.input = a;
        } else if (o.command == Command::Fit) {
            o.dataFiles.push_back(a);
        } else {
            result.error = "unexpected argument '" + a + "'";
            return result;
        }
    }
    if (o.input.empty()) result.error = "'" + args[0] + "' needs a file name";
    if (o.command == Command::Plot && !o.plot) result.error = "'plot' needs --plot FILE";
    if (o.command == Command::Fit && result.error.empty()) {
        if (o.dataFiles.empty())
            result.error = "'fit' needs at least one data file";
        else if (o.fitSpecs.empty())
            result.error = "'fit' needs --fit NAME";
    }
    return result;
}

OutputProblem CheckOutputsBeforeWork(const CliOptions& options) {
    namespace fs = std::filesystem;
    const std::pair<const char*, const std::optional<std::string>*> outputs[] = {
        {"-o", &options.output}, {"--plot", &options.plot}, {"--json", &options.json}};
    for (const auto& [option, output] : outputs) {
        if (!output->has_value()) continue;
        const std::string& path = **output;
        if (IsSameFile(path, options.input))
            return {kExitUsage, std::string(option) + " '" + path + "' is the input file '" +
                                    options.input + "' itself; nothing was done"};
        std::error_code error;
        if (fs::is_directory(path, error))
            return {kExitCantCreate, "cannot write '" + path + "': is a directory"};
        const fs::path folder = fs::path(path).parent_path();
        if (!folder.empty() && !fs::is_directory(folder, error))
            return {kExitCantCreate, "cannot write '" + path + "': no such folder"};
        if (const std::string why = WhyCannotReplace(path); !why.empty())
            return {kExitCantCreate, why};
    }
    return {};
}

std::string UsageText() {
    std::string thresholds;
    for (std::string_view text : kSensThresholdTexts)
        thresholds += (thresholds.empty() ? "" : ", ") + std::string(text);
    return "Usage: kora-batch COMMAND FILE [options]\n"
           "\n"
           "Commands:\n"
           "  check MODEL.krm              read and compile a model; a note says why\n"
           "                               the Taylor method cannot run it (functions,\n"
           "                               conditions, _time, ...)\n"
           "  run MODEL.krm                run the model's script (or one solve)\n"
           "  ss MODEL.krm                 steady state, eigenvalues and sensitivities\n"
           "  plot RESULTS.res --plot IMG  render a results file\n"
           "  import MODEL.xml [-o M.krm]  convert an SBML model into a model text\n"
           "  export MODEL.krm [-o M.xml]  convert a model into SBML Level 3 Version 2\n"
           "  fit MODEL.krm DATA.csv ...   fit constants and initial values to data\n"
           "\n"
           "Options of run:\n"
           "  --method taylor|lsoda        integration method (taylor: power-law\n"
           "                               models only)\n"
           "  --tol N                      MLogTolerance (tolerance 10^-N)\n"
           "  --atol X                     LSODA's absolute tolerance (default 2.2e-13)\n"
           "  --min-order N, --max-order N Taylor order limits\n"
           "  --jacobian exact|difference  LSODA's Jacobian: the model's exact one or\n"
           "                               differences (default: setting ExactJacobian)\n"
           "  --set NAME=VALUE             assignment before the script (repeatable)\n"
           "  -o RESULTS.res               write the results file\n"
           "  --plot IMAGE.png|.svg|.pdf   render the final results\n"
           "  --view time|phase2d|phase3d  plot view\n"
           "  --size WxH[mm|in]            picture size: pixels (default 800x600),\n"
           "                               millimetres or inches\n"
           "  --dpi N                      resolution: pixel sizes are screen pixels\n"
           "                               drawn N/96 times finer (default 96; 300\n"
           "                               for sizes in mm or in)\n"
           "  --log x|y|xy                 logarithmic axes (time plot X/Y; in the\n"
           "                               phase views the X and Y phase axes)\n"
           "  --title TEXT                 plot title above the picture\n"
           "  --stats                      solver statistics on stderr\n"
           "  --max-values N               refuse a run of more than N values (rows\n"
           "                               times columns); default: setting\n"
           "                               MaxRunValues, 50000000\n"
           "  --threads N                  worker threads of a parallel SETTING loop\n"
           "                               (1 to 1024; default: setting SweepThreads,\n"
           "                               0 = one per core); results and output are\n"
           "                               the same for every N\n"
           "Options of plot:\n"
           "  --plot, --view, --size, --dpi, --log, --title as for run\n"
           "Options of ss:\n"
           "  --threshold X                sensitivity threshold, one of\n"
           "                               " +
           thresholds +
           "\n"
           "  -o REPORT.txt                write the report to a file\n"
           "  --set NAME=VALUE             assignment before the analysis (repeatable)\n"
           "  --no-conservation            solve the full system, ignoring conservation\n"
           "                               relations (setting IgnoreConservation)\n"
           "  --jacobian exact|difference  the search's Jacobian, as for run\n"
           "Options of fit:\n"
           "  --fit NAME[=LOW:HIGH]        a constant or initial value to fit (repeatable)\n"
           "  --log NAME, --linear NAME    search NAME on a log or linear scale\n"
           "  --method lm|multistart|ssystem  local fit (default), many starts, or\n"
           "                               S-system identification then a local fit\n"
           "  --starts N                   multistart: Latin hypercube points (20)\n"
           "  --threads N                  multistart: worker threads (one per core)\n"
           "  --seed S                     multistart: seed of the starts (1)\n"
           "  --weights sd|range           weights 1/sd^2 (default) or also 1/range^2\n"
           "  --tol N                      solver tolerance 10^-N (10)\n"
           "  --max-evaluations N          solves per local fit (200 per parameter + 200)\n"
           "  --json FIT.json              write the result as JSON\n"
           "  -o FITTED.krm                write the model with the fitted values\n"
           "Options of check, run and ss:\n"
           "  --strict                     treat warnings as errors (exit 1)\n"
           "Every command:\n"
           "  --settings FILE.ini          read settings from an INI file\n"
           "\n"
           "Events in a model text:\n"
           "  @ T name = value, ...        assignments at time T\n"
           "  @ [condition] name = value   assignments when the condition becomes\n"
           "                               true, e.g. @ [X1 > 5] k = 0, X2 = X2/2\n"
           "  @ [condition; option; ...]   options: delay = E, priority = E,\n"
           "                               persistent = no, initial = false,\n"
           "                               values = fire\n"
           "\n"
           "Exit codes:\n"
           "  0   success\n"
           "  1   model or script error (or a warning with --strict)\n"
           "  2   solver failure, no steady state, or a fit that did not converge\n"
           "  3   stopped (Ctrl-C)\n"
           "  64  usage error\n"
           "  66  input file cannot be read\n"
           "  69  not available in this build\n"
           "  73  output (a file or standard output) cannot be written\n";
}

} // namespace kora::cli
