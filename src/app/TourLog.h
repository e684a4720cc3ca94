#pragma once

#include <initializer_list>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Clock.h"
#include "platform/Files.h"
#include "tour/TourSequencer.h"
#include "tour/TourWatch.h"

namespace vimbrel {

// The record that every tour leaves beside the list file, for a user who was
// not at the desk: a line when it starts, one for each row once the row has
// ended, one when it is over. Each line is the local time and fields
// separated by TAB, in code page 932 with CR LF, appended whole and flushed
// as it happens, so that a program killed mid-tour leaves only whole lines.
// A log that cannot be written changes nothing of the tour: its lines wait
// (up to a limit) and go in before the next line, once another program that
// held the log lets go. Lines come from any thread, each whole.
class TourLog {
 public:
  // The log of the list at `list_file`: its name with ".log" for ".dat".
  TourLog(Files& files, Clock& clock, const Path& list_file);

  // A log over 1 MiB first becomes "<name>.old.log", replacing an older one.
  // `browser` and `seconds` as the user named them.
  void TourStarted(std::string_view browser, std::string_view seconds, int data_rows);
  // The row's line (a sent row's ends with what had the focus when Enter was
  // pressed and the captions of its windows afterwards), and a line for a
  // window it left open.
  void RowEnded(const RowEnd& row);
  // `exit_code`: the program's, when the tour was the one that /tour started.
  void TourEnded(TourEnd how, int rows_sent, int data_rows, std::optional<int> exit_code);
  // A start of /tour that tours nothing, with the message that an error box
  // would have shown.
  void NotToured(std::string_view message);
  // The tour has hung and the program ends with `exit_code`: where it stood,
  // how long it waited, and the tour's end. No line follows them. Waits a few
  // seconds at most for a line that is being written.
  void TourHung(const TourHang& hang, int exit_code) noexcept;

 private:
  void Write(std::initializer_list<std::string_view> fields) noexcept;
  // With the lock held.
  void Append(std::initializer_list<std::string_view> fields) noexcept;

  Files& files_;
  Clock& clock_;
  Path path_;
  Path old_path_;
  std::timed_mutex mutex_;  // a line at a time, and what the two below keep
  std::string unwritten_;   // whole lines that could not be appended yet
  bool closed_ = false;     // the program is ending: no line goes in any more
};

}  // namespace vimbrel
