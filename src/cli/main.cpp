// kora-batch: the headless front end.
#include <iostream>
#include <string>
#include <vector>

#include <unistd.h>

#include "checked_output.h"
#include "cli_options.h"
#include "commands.h"
#include "plot_output.h"
#include "toolkit_messages.h"

using namespace kora::cli;

namespace {

int RunCommand(const CliOptions& options) {
    switch (options.command) {
    case Command::Help:
        std::cout << UsageText();
        return kExitOk;
    case Command::Version:
        std::cout << "kora-batch " << KORA_VERSION << "\n";
        return kExitOk;
    case Command::Check:
        return RunCheckCommand(options);
    case Command::Run:
        return RunRunCommand(options);
    case Command::SteadyState:
        return RunSteadyStateCommand(options);
    case Command::Plot:
        return RunPlotCommand(options);
    case Command::Import:
        return RunImportCommand(options);
    case Command::Export:
        return RunExportCommand(options);
    case Command::Fit:
        return RunFitCommand(options);
    case Command::None:
        break;
    }
    std::cerr << UsageText();
    return kExitUsage;
}

} // namespace

int main(int argc, char** argv) {
    SilenceToolkitMessages();
    std::vector<std::string> args(argv + 1, argv + argc);
    ParseResult parsed = ParseCommandLine(args);
    if (!parsed.error.empty()) {
        std::cerr << "kora-batch: " << parsed.error << "\n\n" << UsageText();
        return kExitUsage;
    }
    const CliOptions& options = parsed.options;
    // Every option is settled before any work, so that nothing is half done.
    if (const OutputProblem problem = CheckOutputsBeforeWork(options); !problem.message.empty()) {
        std::cerr << "kora-batch: " << problem.message << "\n";
        return problem.exitCode;
    }
    if (const int code = CheckPlotOption(options, std::cerr); code != kExitOk) return code;
    CheckedOutput checkedStdout(STDOUT_FILENO);
    std::streambuf* const previous = std::cout.rdbuf(&checkedStdout);
    int code = RunCommand(options);
    const std::string failure = checkedStdout.Failure();
    std::cout.rdbuf(previous);
    if (!failure.empty()) {
        std::cerr << "kora-batch: cannot write standard output: " << failure << "\n";
        if (code == kExitOk) code = kExitCantCreate;
    }
    return code;
}
