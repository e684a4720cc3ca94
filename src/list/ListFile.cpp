#include "list/ListFile.h"

#include <algorithm>
#include <array>
#include <string>

#include "list/RowText.h"
#include "list/StringGrid.h"

namespace vimbrel {

namespace {

constexpr std::size_t kBlockSize = 128;
constexpr char kEndOfData = 0x1A;

// Reads a file line by line through a 128-byte block buffer. A line ends at CR
// (and a LF right after it is skipped) or at 0x1A, which ends the data.
class LineReader {
 public:
  explicit LineReader(InputFile& file) : file_(file) {}

  // Whether another line follows: false at the end of the file or at 0x1A.
  bool AtEnd() { return !Fill() || buffer_[pos_] == kEndOfData; }

  void ReadLine(std::string& line) {
    line.clear();
    while (Fill()) {
      const char* begin = buffer_.data() + pos_;
      const char* end = buffer_.data() + size_;
      const char* stop = begin;
      while (stop != end && *stop != '\r' && *stop != kEndOfData) ++stop;
      line.append(begin, stop);
      pos_ += static_cast<std::size_t>(stop - begin);
      if (stop == end) continue;
      if (*stop == '\r') {
        ++pos_;
        if (Fill() && buffer_[pos_] == '\n') ++pos_;
      }
      return;  // at CR (consumed) or at 0x1A (left for AtEnd)
    }
  }

 private:
  bool Fill() {
    if (pos_ < size_) return true;
    if (eof_) return false;
    size_ = file_.Read(buffer_.data(), buffer_.size());
    pos_ = 0;
    eof_ = size_ == 0;
    return !eof_;
  }

  InputFile& file_;
  std::array<char, kBlockSize> buffer_{};
  std::size_t pos_ = 0;
  std::size_t size_ = 0;
  bool eof_ = false;
};

// Collects output into 128-byte blocks.
class BlockWriter {
 public:
  explicit BlockWriter(OutputFile& file) : file_(file) {}

  void Append(const char* data, std::size_t size) {
    while (size > 0) {
      std::size_t room = kBlockSize - used_;
      std::size_t take = size < room ? size : room;
      std::copy(data, data + take, buffer_.data() + used_);
      used_ += take;
      data += take;
      size -= take;
      if (used_ == kBlockSize) Flush();
    }
  }

  void Flush() {
    if (used_ == 0) return;
    file_.Write(buffer_.data(), used_);
    used_ = 0;
  }

 private:
  OutputFile& file_;
  std::array<char, kBlockSize> buffer_{};
  std::size_t used_ = 0;
};

}  // namespace

Path ListFilePath(const Path& program_path) {
  std::size_t last = program_path.find_last_of(u".\\:");
  if (last != Path::npos && program_path[last] == u'.') {
    return program_path.substr(0, last) + u".dat";
  }
  return program_path + u".dat";
}

Path BesideListFile(const Path& list_file, std::u16string_view extension) {
  constexpr std::u16string_view kListExtension = u".dat";
  const std::u16string_view path = list_file;
  if (path.size() >= kListExtension.size() &&
      path.substr(path.size() - kListExtension.size()) == kListExtension) {
    return Path(path.substr(0, path.size() - kListExtension.size())) + Path(extension);
  }
  return list_file + Path(extension);
}

bool LoadListFile(Files& files, StringGrid& grid, const Path& path) {
  if (!files.IsFile(path)) return false;
  std::unique_ptr<InputFile> file = files.OpenForReading(path);
  LineReader reader(*file);
  std::string line;
  for (int row = 0; !reader.AtEnd(); ++row) {
    if (row >= grid.RowCount()) grid.SetRowCount(row + 1);
    reader.ReadLine(line);
    SetRowText(grid, row, line);
  }
  file->Close();
  return true;
}

bool SaveListFile(Files& files, const StringGrid& grid, const Path& path) {
  std::unique_ptr<OutputFile> file = files.OpenForReplacing(path);
  BlockWriter writer(*file);
  for (int row = 0; row < grid.RowCount(); ++row) {
    std::string line = GetRowText(grid, row);
    line += "\r\n";
    writer.Append(line.data(), line.size());
  }
  writer.Flush();
  file->Commit();
  return true;
}

}  // namespace vimbrel
