// kora-batch run as a separate process, the way a user meets it.
#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "temp_files.h"

namespace kora::testing {

struct BatchOutcome {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// `arguments` are passed to the shell as written; stdin is `input` (empty by
// default) and the streams are caught in files of `dir`, stdout unless
// `output` names where it goes instead.
inline BatchOutcome RunBatch(const std::filesystem::path& dir, const std::string& arguments,
                             const std::string& input = "/dev/null",
                             const std::string& output = "") {
    const std::filesystem::path out =
        output.empty() ? dir / "batch_stdout.txt" : std::filesystem::path(output);
    const std::filesystem::path err = dir / "batch_stderr.txt";
    const std::string command = std::string("\"") + KORA_BATCH_EXE + "\" " + arguments + " < \"" +
                                input + "\" > \"" + out.string() + "\" 2> \"" + err.string() + "\"";
    const int raw = std::system(command.c_str());
    BatchOutcome outcome;
    outcome.exitCode = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    outcome.out = output.empty() ? ReadAll(out) : std::string();
    outcome.err = ReadAll(err);
    return outcome;
}

inline std::string Quoted(const std::filesystem::path& path) {
    return "\"" + path.string() + "\"";
}

// Tests of the batch tool: a private folder and the tool run in it.
class BatchTest : public TempDirTest {
protected:
    BatchOutcome Batch(const std::string& arguments) { return RunBatch(dir_, arguments); }
};

} // namespace kora::testing
