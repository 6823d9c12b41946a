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

// `arguments` are passed to the shell as written; stdin is empty and the
// streams are caught in files of `dir`.
inline BatchOutcome RunBatch(const std::filesystem::path& dir, const std::string& arguments) {
    const std::filesystem::path out = dir / "batch_stdout.txt";
    const std::filesystem::path err = dir / "batch_stderr.txt";
    const std::string command = std::string("\"") + KORA_BATCH_EXE + "\" " + arguments +
                                " < /dev/null > \"" + out.string() + "\" 2> \"" + err.string() +
                                "\"";
    const int raw = std::system(command.c_str());
    BatchOutcome outcome;
    outcome.exitCode = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    outcome.out = ReadAll(out);
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
