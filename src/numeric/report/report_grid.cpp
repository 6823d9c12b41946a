#include "report_grid.h"

#include <algorithm>

namespace kora {

void ReportGrid::Resize(size_t rowCount, size_t columnCount) {
    cells.resize(rowCount);
    for (std::vector<std::string>& row : cells)
        row.resize(columnCount);
}

std::optional<GridSelection> SelectAll(const ReportGrid& grid) {
    if (grid.RowCount() < 2 || grid.ColumnCount() <= grid.FixedColumns()) return std::nullopt;
    return GridSelection{grid.FixedColumns(), 1, grid.ColumnCount() - 1, grid.RowCount() - 1};
}

std::optional<GridSelection> DoubleClickSelection(const ReportGrid& grid, size_t column,
                                                  size_t row) {
    const std::optional<GridSelection> body = SelectAll(grid);
    if (!body || column >= grid.ColumnCount() || row >= grid.RowCount()) return std::nullopt;
    const bool heading = row == 0;
    const bool label = column < grid.FixedColumns();
    if (heading == label) return std::nullopt; // the corner, or a body cell
    GridSelection selection = *body;
    if (heading) selection.left = selection.right = column;
    if (label) selection.top = selection.bottom = row;
    return selection;
}

namespace {

// The selection cut to the grid; nothing when it lies outside.
std::optional<GridSelection> Clamp(const ReportGrid& grid, GridSelection s) {
    // Headings and labels are never part of a selection's body.
    s.top = std::max<size_t>(s.top, 1);
    s.left = std::max(s.left, grid.FixedColumns());
    if (s.left > s.right || s.top > s.bottom) return std::nullopt;
    if (s.left >= grid.ColumnCount() || s.top >= grid.RowCount()) return std::nullopt;
    s.right = std::min(s.right, grid.ColumnCount() - 1);
    s.bottom = std::min(s.bottom, grid.RowCount() - 1);
    return s;
}

std::string Join(const std::vector<std::string>& lines) {
    std::string text;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) text += '\n';
        text += lines[i];
    }
    return text;
}

} // namespace

std::string CopySelection(const ReportGrid& grid, const GridSelection& requested) {
    const std::optional<GridSelection> s = Clamp(grid, requested);
    if (!s) return {};
    std::vector<std::string> lines;
    if (grid.name == "SSVarsGrid" && s->left == 1 && s->right == 1) {
        for (size_t row = s->top; row <= s->bottom; ++row)
            lines.push_back(grid.Cell(0, row) + " = " + grid.Cell(1, row));
        return Join(lines);
    }
    auto lineOf = [&](size_t row) {
        std::string line;
        if (grid.labelColumn) line += grid.Cell(0, row) + '\t';
        for (size_t column = s->left; column <= s->right; ++column)
            line += grid.Cell(column, row) + '\t';
        return line;
    };
    lines.push_back(lineOf(0));
    for (size_t row = s->top; row <= s->bottom; ++row)
        lines.push_back(lineOf(row));
    return Join(lines);
}

void AppendTableLines(const ReportGrid& grid, std::vector<std::string>& lines) {
    for (const std::vector<std::string>& row : grid.cells) {
        std::string line;
        for (const std::string& cell : row)
            line += cell + '\t';
        lines.push_back(std::move(line));
    }
    lines.emplace_back("\t");
}

} // namespace kora
