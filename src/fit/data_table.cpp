#include "data_table.h"

#include <cmath>
#include <limits>

#include "common/file_readable.h"
#include "common/text_trim.h"
#include "results/number_text.h"

namespace kora {

namespace {

constexpr double kMissing = std::numeric_limits<double>::quiet_NaN();

struct Cell {
    std::string text; // trimmed
    int column = 1;   // 1-based character column where the cell starts
};

std::vector<Cell> SplitCells(const std::string& line, char separator) {
    std::vector<Cell> cells;
    size_t start = 0;
    for (;;) {
        const size_t end = line.find(separator, start);
        const std::string_view raw =
            std::string_view(line).substr(start, end == std::string::npos ? end : end - start);
        // The column points at the content, past leading blanks.
        size_t lead = 0;
        while (lead < raw.size() && (raw[lead] == ' ' || raw[lead] == '\t'))
            ++lead;
        cells.push_back(
            {std::string(TrimSpaceAndControls(raw)), static_cast<int>(start + lead) + 1});
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return cells;
}

char SeparatorOf(const std::string& header) {
    if (header.find('\t') != std::string::npos) return '\t';
    if (header.find(';') != std::string::npos) return ';';
    return ',';
}

bool IsMissing(const std::string& text) {
    return text.empty() || text == "NA" || text == "na" || text == "NaN";
}

bool IsBlankOrComment(std::string_view line) {
    const std::string_view trimmed = TrimSpaceAndControls(line);
    return trimmed.empty() || trimmed.front() == '#';
}

// The quantity a standard-deviation header names, or "" for a value column.
std::string SdTarget(const std::string& header) {
    if (header.size() > 3 && header.compare(0, 3, "sd_") == 0) return header.substr(3);
    if (header.size() > 3 && header.compare(header.size() - 3, 3, "_sd") == 0)
        return header.substr(0, header.size() - 3);
    return {};
}

struct ColumnRole {
    int valueColumn = -1; // index into table.columns
    bool isSd = false;
};

class TableReader {
public:
    TableReader(const std::string& fileName, const TextLines& lines, DataTable& table)
        : fileName_(fileName), lines_(lines), table_(table) {}

    std::string Read() {
        table_ = DataTable{};
        table_.fileName = fileName_;
        size_t i = 0;
        for (; i < lines_.size() && IsBlankOrComment(lines_[i]); ++i)
            TakeAssignment(lines_[i]);
        if (i == lines_.size()) return DataPlace(fileName_, 1, 1) + "error: no header row";
        if (std::string failure = ReadHeader(i); !failure.empty()) return failure;
        for (++i; i < lines_.size(); ++i) {
            if (IsBlankOrComment(lines_[i])) continue;
            if (std::string failure = ReadRow(i); !failure.empty()) return failure;
        }
        if (table_.times.empty())
            return DataPlace(fileName_, table_.headerLine, 1) + "error: no data rows";
        return {};
    }

private:
    void TakeAssignment(std::string_view line) {
        std::string_view text = TrimSpaceAndControls(line);
        if (text.empty() || text.front() != '#') return;
        text = TrimBlanks(text.substr(1));
        if (text.find('=') != std::string_view::npos) table_.assignments.emplace_back(text);
    }

    std::string ReadHeader(size_t index) {
        table_.headerLine = static_cast<int>(index) + 1;
        separator_ = SeparatorOf(lines_[index]);
        const std::vector<Cell> cells = SplitCells(lines_[index], separator_);
        if (cells.size() < 2)
            return DataPlace(fileName_, table_.headerLine, 1) +
                   "error: the header needs the time and at least one quantity";
        table_.timeName = cells[0].text;
        table_.timeHeaderColumn = cells[0].column;
        roles_.assign(cells.size(), ColumnRole{});
        // Value columns first, so that an sd column may come before its quantity.
        for (size_t c = 1; c < cells.size(); ++c) {
            const Cell& cell = cells[c];
            if (cell.text.empty())
                return DataPlace(fileName_, table_.headerLine, cell.column) +
                       "error: a column has no name";
            if (!SdTarget(cell.text).empty()) continue;
            for (const DataColumn& column : table_.columns)
                if (column.name == cell.text)
                    return DataPlace(fileName_, table_.headerLine, cell.column) +
                           "error: " + cell.text + " has two columns";
            roles_[c].valueColumn = static_cast<int>(table_.columns.size());
            DataColumn column;
            column.name = cell.text;
            column.headerColumn = cell.column;
            table_.columns.push_back(std::move(column));
        }
        for (size_t c = 1; c < cells.size(); ++c) {
            const std::string target = SdTarget(cells[c].text);
            if (target.empty()) continue;
            int found = -1;
            for (size_t k = 0; k < table_.columns.size(); ++k)
                if (table_.columns[k].name == target) found = static_cast<int>(k);
            if (found < 0)
                return DataPlace(fileName_, table_.headerLine, cells[c].column) +
                       "error: " + cells[c].text + " gives standard deviations of " + target +
                       ", which has no column";
            roles_[c] = {found, true};
            table_.columns[found].sd.clear();
        }
        return {};
    }

    bool ParseCell(const Cell& cell, double& value) const {
        // With "," between cells a comma cannot be a decimal point.
        if (separator_ == ',' && cell.text.find(',') != std::string::npos) return false;
        const std::optional<double> number = ParseNumber(cell.text, '.');
        if (!number || !std::isfinite(*number)) return false;
        value = *number;
        return true;
    }

    std::string ReadRow(size_t index) {
        const int line = static_cast<int>(index) + 1;
        std::vector<Cell> cells = SplitCells(lines_[index], separator_);
        if (cells.size() > roles_.size())
            return DataPlace(fileName_, line, cells[roles_.size()].column) +
                   "error: more cells than the header has columns";
        const int endColumn = static_cast<int>(lines_[index].size()) + 1;
        while (cells.size() < roles_.size())
            cells.push_back({"", endColumn});
        double time = 0.0;
        if (!ParseCell(cells[0], time))
            return DataPlace(fileName_, line, cells[0].column) + "error: the time '" +
                   cells[0].text + "' is not a number";
        table_.times.push_back(time);
        table_.rowLines.push_back(line);
        table_.timeColumns.push_back(cells[0].column);
        for (DataColumn& column : table_.columns) {
            column.values.push_back(kMissing);
            column.cellColumns.push_back(endColumn);
        }
        for (size_t c = 1; c < cells.size(); ++c) {
            if (std::string failure = ReadValueCell(cells[c], roles_[c], line); !failure.empty())
                return failure;
        }
        return {};
    }

    std::string ReadValueCell(const Cell& cell, const ColumnRole& role, int line) {
        DataColumn& column = table_.columns[role.valueColumn];
        double value = kMissing;
        if (!IsMissing(cell.text) && !ParseCell(cell, value))
            return DataPlace(fileName_, line, cell.column) + "error: '" + cell.text +
                   "' is not a number";
        if (!role.isSd) {
            column.values.back() = value;
            column.cellColumns.back() = cell.column;
            return {};
        }
        if (!std::isnan(value) && value <= 0.0)
            return DataPlace(fileName_, line, cell.column) + "error: the standard deviation " +
                   cell.text + " of " + column.name + " is not positive";
        column.sd.resize(table_.times.size(), kMissing);
        column.sd.back() = value;
        return {};
    }

    const std::string& fileName_;
    const TextLines& lines_;
    DataTable& table_;
    char separator_ = ',';
    std::vector<ColumnRole> roles_;
};

} // namespace

size_t DataTable::PointCount() const {
    size_t count = 0;
    for (const DataColumn& column : columns)
        for (double value : column.values)
            if (!std::isnan(value)) ++count;
    return count;
}

std::string DataPlace(const std::string& fileName, int line, int column) {
    return fileName + ":" + std::to_string(line) + ":" + std::to_string(column) + ": ";
}

std::string ReadDataTable(const std::string& fileName, const TextLines& lines, DataTable& table) {
    // Spreadsheets often save CSV with a UTF-8 byte order mark before the header.
    static constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (!lines.empty() && lines.front().starts_with(kByteOrderMark)) {
        TextLines copy = lines;
        copy.front().erase(0, kByteOrderMark.size());
        return ReadDataTable(fileName, copy, table);
    }
    TableReader reader(fileName, lines, table);
    std::string failure = reader.Read();
    // An sd column that ended before the last rows has missing values there.
    for (DataColumn& column : table.columns)
        if (!column.sd.empty()) column.sd.resize(table.times.size(), kMissing);
    return failure;
}

std::string ReadDataFile(const std::string& path, DataTable& table) {
    TextLines lines;
    if (ReadTextLines(path, lines) != TextReadStatus::Ok)
        return path + ": error: cannot read the file: " + WhyUnreadable(path);
    return ReadDataTable(path, lines, table);
}

} // namespace kora
