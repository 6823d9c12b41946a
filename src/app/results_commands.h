// The results commands of a document window: copy the plot, export it,
// save, clear and merge. Drawing and files are the results library's; these
// functions add the questions, messages and clipboard.
#pragma once

#include <QSize>
#include <QString>
#include <string>
#include <vector>

#include "results/results_file.h"
#include "results/results_set.h"

class QMimeData;
class QWidget;

namespace kora {
struct Settings;
}

namespace kora::app {

inline constexpr const char* kSvgMimeType = "image/svg+xml";

// The plot of `view` at `size` as SVG and as a bitmap; nullptr when it
// cannot be drawn.
QMimeData* PlotMimeData(ResultsSet& set, int8_t view, QSize size);
// Copy in a plot view; the table view copies its own selection.
bool CopyPlot(ResultsSet& set, int8_t view, QSize size);

// "Export Plot...": asks for a PNG, SVG or PDF file and writes the view
// there at `size`; a failure is shown. True when written.
bool ExportPlot(QWidget* parent, ResultsSet& set, int8_t view, QSize size,
                const QString& startName);

// "Bac&kground Color...": the colour dialog for the plot background; true
// (and the results marked modified) when a colour was chosen.
bool ChooseBackground(QWidget* parent, ResultsSet& set);

enum class SaveOutcome { Saved, Cancelled, Failed };

// The menu text of the command that saves under the known name.
QString SaveUnderNameText(const std::string& resultsFileName);

// "Sa&ve as" + name: asks before replacing an existing file unless
// "NoWarnOverwritingResults"; an empty name acts as SaveResultsAs. On
// success `modified` is cleared; on failure the old file stays whole and
// the reason is shown. The caller adds `savedName` to the recent files and
// refreshes other windows that show it. `modelFileName` is the model the
// results came from, never written over; empty for a results document.
SaveOutcome SaveResults(QWidget* parent, ResultsSet& set, const std::string& fileName,
                        const Settings& settings, const std::string& modelFileName,
                        std::string& savedName);

// "Save As...": asks for the name (starting at the set's file name) and saves
// there. A results document (no `modelFileName`) takes the chosen name as
// its file name.
SaveOutcome SaveResultsAs(QWidget* parent, ResultsSet& set, const Settings& settings,
                          const std::string& modelFileName, std::string& savedName);

// The two questions of the commands above, for a caller that writes the
// file itself (on a worker thread): the chosen name, "" when declined; and
// whether `fileName` may be written.
std::string AskResultsSaveName(QWidget* parent, const ResultsSet& set, const Settings& settings);
bool MayWriteResults(QWidget* parent, const std::string& fileName, const Settings& settings);
// What the user is told when a save failed; "" when it succeeded.
std::string SaveFailureText(const ResultsFileResult& written, const std::string& fileName);
// Shows a failure text; Saved when there is none.
SaveOutcome ReportSaveFailure(QWidget* parent, const std::string& failure);

// Writes without asking, through the core's one way of saving results (the
// current "FilePrec", "." in every locale); "" or the reason it failed.
std::string WriteResults(ResultsSet& set, const std::string& fileName, int32_t filePrec,
                         const std::string& modelFileName = {});

// Removes every time course and unsettles the plot; `modified` stays. The
// document then clears its results flag and hides the results pane.
void ClearResults(ResultsSet& set);

// A window offered by "Merge From": another document that holds results and
// is not minimized. "Merge From All" also passes over windows whose results
// pane is hidden.
struct MergeCandidate {
    bool isTarget = false;
    bool hasResults = false;
    bool minimized = false;
    bool resultsPaneHidden = false;
};
bool IsMergeSource(const MergeCandidate& window);
bool IsMergeFromAllSource(const MergeCandidate& window);

// Appends the source's time courses, settles the plot and marks the target
// modified; the caller repaints.
void MergeFrom(ResultsSet& target, const ResultsSet& source);
// Merges every source in order, settling the plot once.
void MergeFromAll(ResultsSet& target, const std::vector<const ResultsSet*>& sources);

// The user's decimal separator, for the windows' tables and fields (files
// always use ".").
char LocaleDecimalSeparator();

} // namespace kora::app
