#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/Files.h"

namespace vimbrel::testing {

// An in-memory file system that can fail the n-th operation of a kind.
class FakeFiles final : public Files {
 public:
  enum class Op { Open, Read, Write, Close };

  struct Entry {
    std::string bytes;
    bool directory = false;
    bool read_only = false;
    bool held_for_writing = false;  // another program has it open for writing
  };

  FakeFiles() { entries[u"C:\\Tools"].directory = true; }

  Path program_path = u"C:\\Tools\\app.exe";
  std::map<Path, Entry> entries;

  // The n-th operation of `op` from now (1 = the next one) fails with `code`.
  void FailNth(Op op, int n, int code);

  // Sizes of every block read and written, in order.
  std::vector<std::size_t> read_blocks;
  std::vector<std::size_t> written_blocks;
  int operations(Op op) const { return counts_[static_cast<int>(op)]; }

  void Put(const Path& path, std::string bytes) { entries[path].bytes = std::move(bytes); }
  const std::string& Bytes(const Path& path) const { return entries.at(path).bytes; }
  bool Exists(const Path& path) const { return entries.count(path) != 0; }

  // The temporary file of a save: the list file's path with this suffix.
  static constexpr char16_t kTempSuffix[] = u".saving";

  Path ProgramPath() override { return program_path; }
  // ASCII only, which the tests' paths are.
  std::string PathText(const Path& path) override { return std::string(path.begin(), path.end()); }
  Path PathOf(std::string_view text) override { return Path(text.begin(), text.end()); }
  std::string SystemErrorText(int error_code) override {
    return "system text " + std::to_string(error_code);
  }
  bool IsFile(const Path& path) override;
  std::unique_ptr<InputFile> OpenForReading(const Path& path) override;
  std::unique_ptr<OutputFile> OpenForReplacing(const Path& path) override;
  // Refused like a replacement: a read-only or held file, a missing folder.
  void Append(const Path& path, std::string_view bytes) override;
  std::uint64_t FileSize(const Path& path) override;
  void Rename(const Path& from, const Path& to) override;

  // Raises when the next `op` is due to fail.
  void Step(Op op);
  // Raises where a file at `path` may not be written.
  void RefuseWriting(const Path& path);

 private:
  int counts_[4] = {};
  std::map<std::pair<int, int>, int> failures_;  // (op, ordinal) -> code
};

}  // namespace vimbrel::testing
