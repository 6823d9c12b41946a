// What one document shows: the face of a document window (or of a document
// that kora-batch opened). The core never shows anything itself; every call
// here comes on the main thread.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/model_place.h"

namespace kora {

enum class Answer { Yes, No, Cancel };

struct RunSize;

// Only warning boxes: all that checking a script can show.
class WarningBoxes {
public:
    virtual ~WarningBoxes() = default;
    virtual void WarningBox(const std::string& text, const std::string& title) = 0;
};

// The solver information panel's numbers at one moment.
struct ProgressSnapshot {
    enum class Phase { Start, Running, Final };
    Phase phase = Phase::Start;
    std::string method; // "TAYLOR" or "LSODA"
    int32_t steps = 0;
    int32_t order = 0;
    double stepSize = 0.0;
    int64_t elapsedMs = 0;
    int32_t percent = 0;
};

class DocumentHost : public WarningBoxes {
public:
    // Status text (panel 0 of the status bar).
    virtual void SetStatus(const std::string& text) = 0;
    // Start: counters back to 0; Running: at most every 500 ms; Final: the
    // elapsed time and last percentage of a finished solve.
    virtual void ShowProgress(const ProgressSnapshot& progress) = 0;
    // Running mode (editor, Run and Steady state disabled, Stop enabled)
    // and back; always called in pairs.
    virtual void SetRunning(bool running) = 0;
    // The results changed: show the results pane and refresh its views.
    virtual void ResultsChanged() = 0;
    // The lines of the error dialog.
    virtual void ShowErrorReport(const std::vector<std::string>& lines) = 0;
    // The statement a model error names, as an offset and length in the model
    // lines joined with two-character line ends; a view without an editor
    // ignores it.
    virtual void SelectModelSpan(int32_t /*offset*/, int32_t /*length*/) {}
    // The warnings about the model of a run that starts (none: nothing to
    // show); the run goes on whatever the view does with them.
    virtual void ShowModelWarnings(const std::vector<ModelWarning>& /*warnings*/) {}
    // A Yes/No/Cancel question.
    virtual Answer Ask(const std::string& text, const std::string& title) = 0;
    // The next solve would report more values than `limit`: true runs it,
    // false ends the script as a stop does.
    virtual bool ConfirmLargeRun(const RunSize& size, int64_t limit) = 0;

    // The editor's current text, line for line.
    virtual std::vector<std::string> EditorLines() = 0;
    // Whether the editor's text changed since it was loaded or saved.
    virtual bool TextModified() = 0;
    // The Save command: returns the name the text was saved under, or ""
    // when the user declined or saving failed.
    virtual std::string SaveDocument() = 0;
    // Saves the results as the results menu's save command does; false when
    // the user declined or saving failed.
    virtual bool SaveCurrentResults() = 0;
};

} // namespace kora
