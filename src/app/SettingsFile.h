#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/Files.h"

namespace vimbrel {

// The program's settings, beside the list file: its name with ".ini" for
// ".dat", code page 932 text in the form of a Windows profile file, the
// program's keys in the section "[Vimbrel]":
//
//   [Vimbrel]
//   Browser=edge
//
// A write changes the one line of its key and keeps every other byte, so that
// what a user or a later version put into the file survives.
class SettingsFile {
 public:
  SettingsFile(Files& files, const Path& list_file);

  // The value of `key`, blanks around it cut; none when the file or the key is
  // not there, or the file cannot be read. Never raises.
  std::optional<std::string> Read(std::string_view key) const;
  // Sets `key` to `value` (a line of its own, CR LF). The file holds its old
  // bytes or the whole new ones, also after a failure. Raises EInOutError,
  // also when the file is there but cannot be read: writing it then would
  // lose what it holds.
  void Write(std::string_view key, std::string_view value);

 private:
  // The file's bytes; none when there is no file. Raises EInOutError.
  std::optional<std::string> Bytes() const;

  Files& files_;
  Path path_;
};

// `key` of "[Vimbrel]" in profile text: the first line of that name, letters
// in any case, blanks around the value cut and a pair of quotes around it
// taken off; none when there is no such line.
std::optional<std::string> ProfileValue(std::string_view text, std::string_view key);
// `text` with that line set to "key=value": replaced where it is, added at the
// end of the section, or with the section at the end of the text.
std::string WithProfileValue(std::string_view text, std::string_view key, std::string_view value);

}  // namespace vimbrel
