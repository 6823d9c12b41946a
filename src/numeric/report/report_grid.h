// A grid of the steady-state report as text cells: one heading row and,
// for some grids, one label column. Selections, copying and the saved table.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace kora {

struct ReportGrid {
    ReportGrid(std::string name, bool labelColumn)
        : name(std::move(name)), labelColumn(labelColumn) {}

    // Keeps the cells that still fit; new cells are empty.
    void Resize(size_t rowCount, size_t columnCount);
    size_t RowCount() const { return cells.size(); }
    size_t ColumnCount() const { return cells.empty() ? 0 : cells[0].size(); }
    size_t FixedColumns() const { return labelColumn ? 1 : 0; }
    std::string& Cell(size_t column, size_t row) { return cells[row][column]; }
    const std::string& Cell(size_t column, size_t row) const { return cells[row][column]; }

    std::string name;
    bool labelColumn;
    bool visible = true;
    std::vector<std::vector<std::string>> cells; // [row][column]; row 0 holds the headings
};

// A rectangle of cells, bounds included.
struct GridSelection {
    size_t left = 0;
    size_t top = 0;
    size_t right = 0;
    size_t bottom = 0;
};

// The whole body: every cell outside the heading row and the label column.
// Nothing when the grid has no body.
std::optional<GridSelection> SelectAll(const ReportGrid& grid);

// A double click: a heading cell selects its column's body, a label cell its
// row's body; the corner cell and body cells select nothing.
std::optional<GridSelection> DoubleClickSelection(const ReportGrid& grid, size_t column,
                                                  size_t row);

// The clipboard text of a selection: every cell followed by a tab, lines
// joined by "\n", with a heading line first. A single value column of the
// steady-state grid gives "name = value" lines instead.
std::string CopySelection(const ReportGrid& grid, const GridSelection& selection);

// Every row, heading included, as a line of tab-terminated cells, then a
// line holding a single tab.
void AppendTableLines(const ReportGrid& grid, std::vector<std::string>& lines);

} // namespace kora
