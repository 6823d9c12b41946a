// Measured time courses read from a text table: a header row, the time in the
// first column, one column per measured quantity, optional standard
// deviations in columns named sd_NAME or NAME_sd, missing values empty or NA.
#pragma once

#include <string>
#include <vector>

#include "model/model_text.h"

namespace kora {

struct DataColumn {
    std::string name;             // the measured quantity
    int headerColumn = 0;         // 1-based character column of its header cell
    std::vector<double> values;   // one per row; NaN where missing
    std::vector<double> sd;       // one per row (NaN where missing), or empty
    std::vector<int> cellColumns; // 1-based character column of each row's cell
};

struct DataTable {
    std::string fileName;
    // "NAME = VALUE" lines from "#" lines before the header: the
    // experiment's own assignments, applied to the model before solving.
    std::vector<std::string> assignments;
    std::string timeName;
    int timeHeaderColumn = 1;
    std::vector<double> times;
    std::vector<int> rowLines;       // 1-based file line of each row
    std::vector<int> timeColumns;    // 1-based character column of each time cell
    std::vector<DataColumn> columns; // the quantities, in file order
    int headerLine = 0;

    size_t PointCount() const; // values present over all columns
};

// Reads a table from lines of a file. The separator is a tab when the header
// has one, else ";" when it has one, else ","; a number may use "." or ","
// as its decimal point unless "," separates the cells. "" on success, else a
// message "FILE:LINE:COLUMN: error: ...".
std::string ReadDataTable(const std::string& fileName, const TextLines& lines, DataTable& table);

// Reads the file and then the table.
std::string ReadDataFile(const std::string& path, DataTable& table);

// The place prefix of the messages: "FILE:LINE:COLUMN: error: ".
std::string DataPlace(const std::string& fileName, int line, int column);

} // namespace kora
