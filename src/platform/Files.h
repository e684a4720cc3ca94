#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace vimbrel {

// Paths are UTF-16, as the wide file API takes them, so that any folder name
// and any length works.
using Path = std::u16string;

// A file open for reading. Destroying it closes it quietly (used when an error
// is already on its way); Close reports a failure to close.
class InputFile {
 public:
  virtual ~InputFile() = default;
  // Reads up to `capacity` bytes; 0 at the end of the file. Raises EInOutError.
  virtual std::size_t Read(char* buffer, std::size_t capacity) = 0;
  virtual void Close() = 0;
};

// The new content of a file, written beside it. The file itself changes only
// in Commit, which flushes the new content and puts it in the file's place.
// Destroying an uncommitted one removes what was written and leaves the file
// as it was. Where the file may be written but not replaced (another program
// holds it without letting it be replaced, the folder takes no new file), it
// is written in place instead, as a plain save does, and a failure there puts
// the old content back.
class OutputFile {
 public:
  virtual ~OutputFile() = default;
  // Raises EInOutError.
  virtual void Write(const char* data, std::size_t size) = 0;
  // Raises EInOutError; the file then holds its old content.
  virtual void Commit() = 0;
};

// The file system, as the list file needs it. Every failure raises EInOutError
// with the system's error code.
class Files {
 public:
  virtual ~Files() = default;
  // The full path of the running program.
  virtual Path ProgramPath() = 0;
  // `path` as code page 932 text, for a message or a settings file.
  virtual std::string PathText(const Path& path) = 0;
  // The path that code page 932 `text` names.
  virtual Path PathOf(std::string_view text) = 0;
  // The system's own words for the error code of an EInOutError, cut of
  // trailing blanks and dots.
  virtual std::string SystemErrorText(int error_code) = 0;
  // Whether an entry exists at exactly `path` and is not a directory.
  virtual bool IsFile(const Path& path) = 0;
  virtual std::unique_ptr<InputFile> OpenForReading(const Path& path) = 0;
  // Fails at once, leaving the file untouched, when the file cannot be written
  // (read-only, held by another program, missing folder).
  virtual std::unique_ptr<OutputFile> OpenForReplacing(const Path& path) = 0;

  // Adds `bytes` at the end of the file at `path`, made when it is missing, in
  // one write that is flushed to disk before this returns. Other programs may
  // read the file meanwhile, and other copies of this one append to it.
  virtual void Append(const Path& path, std::string_view bytes) = 0;
  // The size of the file at `path` in bytes; 0 when there is none.
  virtual std::uint64_t FileSize(const Path& path) = 0;
  // Gives the file at `from` the name `to`, replacing a file of that name.
  virtual void Rename(const Path& from, const Path& to) = 0;
};

}  // namespace vimbrel
