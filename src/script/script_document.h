// What the script execution needs from the document that runs a script. The
// document (in the run orchestration) implements it; the execution itself
// stays free of solvers, threads and results files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "model/krm_parser.h"
#include "script_prepare.h"

namespace kora {

class AppHost;
class DocumentHost;
class TimeCourse;

// The per-document state of a running script.
struct ScriptRunState {
    TextLines scriptLines;
    TextLines modelLines; // the text solving compiles; commands may change it
    PreparedScript prepared;
    size_t counter = 0;        // the next command
    int64_t timerStart = 0;    // tick count of the first command or RESET_TIMER
    bool messagesOpen = false; // the script writes into its messages window
    std::string fileName;      // the document's full file name
    // Figures of the last FIT for WRITE, by upper-case name: SSR, CHI2, AIC,
    // BIC, OBJECTIVE, EVALUATIONS, CONVERGED and SE(name).
    std::map<std::string, double> fitFigures;
    // The value each running SETTING loop set last, by the loop's command
    // index (outer loops first), and what told the last solve apart from
    // the others ("k = 0.3"); empty outside loops and assignments.
    std::map<size_t, std::string> loopValues;
    std::string runLabel;
};

class ScriptDocument {
public:
    virtual ~ScriptDocument() = default;

    virtual DocumentHost& host() = 0;
    virtual AppHost& app() = 0;
    virtual ScriptRunState& scriptState() = 0;
    // Finds declarations in the model lines.
    virtual KRMparser& model() = 0;

    // Solving and steady-state commands; each signals the script itself
    // when its work is done (or ends it on failure).
    virtual void Solve() = 0;
    virtual void SteadyState() = 0;
    // FIT with its arguments: fits, applies the fitted values to the model
    // lines and fills the state's fitFigures.
    virtual void Fit(const std::string& arguments) = 0;

    // Lets the next command follow, or ends the script after EndScript.
    virtual void ContinueScript() = 0;
    // Ends the script thread: it leaves its loop at its next wake-up.
    virtual void EndScript() = 0;

    virtual bool HasResults() const = 0;
    virtual const TimeCourse* LastTimeCourse() const = 0;
    // Reads a results file and merges it into the results; false (with
    // nothing changed) when the file cannot be read.
    virtual bool MergeResults(const std::string& fileName) = 0;
    // Writes the results file; false with `reason` set on failure.
    virtual bool SaveResults(const std::string& fileName, std::string& reason) = 0;
    // Saves as SaveResults does, then lets the script go on; a document may
    // write on another thread meanwhile. `failed` gets the reason first.
    virtual void SaveResultsAndContinue(const std::string& fileName,
                                        std::function<void(const std::string& reason)> failed) {
        std::string reason;
        if (!SaveResults(fileName, reason) && failed) failed(reason);
        ContinueScript();
    }
    virtual void ClearResults() = 0;
};

} // namespace kora
