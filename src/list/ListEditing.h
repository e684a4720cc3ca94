#pragma once

namespace vimbrel {

class StringGrid;

// Appends a row numbered by its row index, with a single space in each other
// cell. The current cell stays.
void AddRow(StringGrid& grid);

// Deletes the current row: the rows below move up through their row text and
// every data row is renumbered from 1. The only data row is reset instead.
void DeleteCurrentRow(StringGrid& grid);

}  // namespace vimbrel
