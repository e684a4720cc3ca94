#pragma once

#include <string_view>

#include "platform/Files.h"

namespace vimbrel {

class StringGrid;

// The program's path with its extension replaced by ".dat" (appended when it
// has none).
Path ListFilePath(const Path& program_path);

// A file that goes with the list: the list file's path with `extension` in
// place of its ".dat" (".log", ".ini").
Path BesideListFile(const Path& list_file, std::u16string_view extension);

// Fills the grid from the list file, one row per line, header row first;
// raises the row count but never lowers it. Returns false, changing nothing,
// when there is no such file. Raises EInOutError.
bool LoadListFile(Files& files, StringGrid& grid, const Path& path);

// Writes every row of the grid, CR LF after each. The file holds either its
// old content or the whole new one, also after a failure. Raises EInOutError.
bool SaveListFile(Files& files, const StringGrid& grid, const Path& path);

}  // namespace vimbrel
