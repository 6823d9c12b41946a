// Results files: the "[Graph]" section, then one "[Data][title]" section per
// time course with a header of column names and one line per row.
#pragma once

#include <string>
#include <string_view>

#include "results_set.h"

namespace kora {

struct ResultsFileResult {
    bool ok = true;
    std::string reason;      // on failure: what was wrong, naming the line or file
    bool unreadable = false; // the file could not be opened or read, as opposed to its contents

    explicit operator bool() const { return ok; }
};

// The whole file text, lines ended by CR LF; values in general format with
// `set.precision` digits and `decimalSeparator`.
std::string FormatResultsText(const ResultsSet& set, char decimalSeparator = '.');

// Replaces the set's time courses by those of `text`, and its plot
// description by the "[Graph]" section when the text starts with one and the
// description is not settled yet. Numbers are read with `localeSeparator`
// or, failing that, the other of "." and ",". On failure the sections read
// completely before the fault stay in the set.
ResultsFileResult ParseResultsText(ResultsSet& set, std::string_view text,
                                   char localeSeparator = '.',
                                   const StockColourTable& stock = kDefaultStockColours);

// True when some time course of `set` has a row.
bool HasRows(const ResultsSet& set);

// Writes the file in one step: on failure the old file stays as it was. A set
// without a single row never replaces an existing file.
// `modified` is left for the caller, who clears it only on success.
ResultsFileResult WriteResultsFile(const ResultsSet& set, const std::string& fileName,
                                   char decimalSeparator = '.');

ResultsFileResult ReadResultsFile(ResultsSet& set, const std::string& fileName,
                                  char localeSeparator = '.',
                                  const StockColourTable& stock = kDefaultStockColours);

// The "[Graph]" section lines of the file `fileName` (after a first line
// "[Graph]", up to a "[Data]" line); empty when it has none or is unreadable.
std::vector<std::string> ReadGraphSectionLines(const std::string& fileName);

} // namespace kora
