#include "app/TourLog.h"

#include <chrono>
#include <cstdio>
#include <exception>

#include "app/ErrorBox.h"
#include "list/ListFile.h"
#include "platform/Cp932.h"
#include "platform/Texts.h"
#include "tour/PageFocus.h"

namespace vimbrel {

namespace {

constexpr std::uint64_t kLogLimit = 1024 * 1024;
// How long the lines of a hung tour wait for a line being written: the
// tour's own thread may be stuck in it, on a drive that no longer answers.
constexpr std::chrono::seconds kHungLinesWait{5};
// Lines kept while the log cannot be written; beyond this they are lost.
constexpr std::size_t kUnwrittenLimit = 64 * 1024;

std::string TimeText(const LocalTime& time) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", time.year, time.month, time.day,
                time.hour, time.minute, time.second);
  return text;
}

// A field as one field of one line: a control byte (a TAB or a line break in
// an address or a caption) becomes a blank. No byte of a double-byte
// character is one.
void AppendField(std::string& line, std::string_view field) {
  for (char byte : field) {
    line += static_cast<unsigned char>(byte) < 0x20 ? ' ' : byte;
  }
}

const char* OutcomeText(RowOutcome outcome) {
  switch (outcome) {
    case RowOutcome::Sent:
      return texts::kLogSent;
    case RowOutcome::HeldBack:
      return texts::kLogHeldBack;
    case RowOutcome::NotFound:
      return texts::kLogNotFound;
    case RowOutcome::Error:
      return texts::kLogError;
    case RowOutcome::Stopped:
      return texts::kLogStopped;
  }
  return "";
}

std::string KeysText(const RowKeys& keys) {
  if (keys.tabs > 0) return cp932::FormatInt(texts::kLogTabs, keys.tabs);
  if (keys.reverse_tabs > 0) return cp932::FormatInt(texts::kLogReverseTabs, keys.reverse_tabs);
  return texts::kLogEnter;
}

std::string DetailText(const RowEnd& row) {
  switch (row.outcome) {
    case RowOutcome::Sent:
      return KeysText(row.keys);
    case RowOutcome::HeldBack:
      return row.keys.front_caption;
    case RowOutcome::Error:
      return ErrorBoxText(row.error);
    default:
      return std::string();
  }
}

std::string RowsSentText(int rows_sent, int data_rows) {
  return cp932::FillText(texts::kLogRowsSent,
                         std::to_string(rows_sent) + "/" + std::to_string(data_rows));
}

const char* EndText(TourEnd how) {
  switch (how) {
    case TourEnd::Finished:
      return texts::kLogFinished;
    case TourEnd::Stopped:
      return texts::kLogStopped;
    case TourEnd::Halted:
      return texts::kLogHalted;
    case TourEnd::Closed:
      return texts::kLogClosed;
  }
  return "";
}

}  // namespace

TourLog::TourLog(Files& files, Clock& clock, const Path& list_file)
    : files_(files),
      clock_(clock),
      path_(BesideListFile(list_file, u".log")),
      old_path_(BesideListFile(list_file, u".old.log")) {}

void TourLog::TourStarted(std::string_view browser, std::string_view seconds, int data_rows) {
  try {
    if (files_.FileSize(path_) > kLogLimit) files_.Rename(path_, old_path_);
  } catch (const std::exception&) {
    // Held by a viewer that does not share deleting, say: it grows on.
  }
  Write({texts::kLogTourStarted, browser, cp932::FillText(texts::kLogSeconds, seconds),
         cp932::FormatInt(texts::kLogRows, data_rows)});
}

void TourLog::RowEnded(const RowEnd& row) {
  const std::string number = std::to_string(row.row);
  if (row.loading_seconds) {
    Write({number, row.address, texts::kLogLoading,
           cp932::FillText(texts::kLogSeconds, std::to_string(*row.loading_seconds))});
  }
  if (row.outcome == RowOutcome::Sent) {
    Write({number, row.address, OutcomeText(row.outcome), DetailText(row),
           FocusText(row.keys.focus), WindowCaptionsText(row.captions)});
  } else {
    Write({number, row.address, OutcomeText(row.outcome), DetailText(row)});
  }
  if (row.left_open) Write({number, row.address, texts::kLogLeftOpen, *row.left_open});
}

void TourLog::TourEnded(TourEnd how, int rows_sent, int data_rows, std::optional<int> exit_code) {
  const std::string sent = RowsSentText(rows_sent, data_rows);
  if (exit_code) {
    Write({texts::kLogTourEnded, EndText(how), sent,
           cp932::FormatInt(texts::kLogExitCode, *exit_code)});
  } else {
    Write({texts::kLogTourEnded, EndText(how), sent});
  }
}

void TourLog::NotToured(std::string_view message) { Write({texts::kLogNotToured, message}); }

void TourLog::TourHung(const TourHang& hang, int exit_code) noexcept {
  std::unique_lock<std::timed_mutex> lock(mutex_, std::defer_lock);
  try {
    if (!lock.try_lock_for(kHungLinesWait)) return;
    Append({std::to_string(hang.row), hang.address, texts::kLogHung,
            cp932::FillText(texts::kLogSeconds, std::to_string(hang.waited_ms / 1000))});
    Append({texts::kLogTourEnded, texts::kLogHung, RowsSentText(hang.rows_sent, hang.data_rows),
            cp932::FormatInt(texts::kLogExitCode, exit_code)});
  } catch (const std::exception&) {
    // Out of memory: the program ends all the same.
  }
  if (lock.owns_lock()) closed_ = true;
}

void TourLog::Write(std::initializer_list<std::string_view> fields) noexcept {
  const std::lock_guard<std::timed_mutex> lock(mutex_);
  Append(fields);
}

void TourLog::Append(std::initializer_list<std::string_view> fields) noexcept {
  if (closed_) return;
  try {
    std::string line = TimeText(clock_.Now());
    for (std::string_view field : fields) {
      line += '\t';
      AppendField(line, field);
    }
    line += "\r\n";
    if (unwritten_.size() + line.size() <= kUnwrittenLimit) unwritten_ += line;
    files_.Append(path_, unwritten_);
    unwritten_.clear();
  } catch (const std::exception&) {
    // A read-only folder, a full disk, a program that holds the log: the tour
    // goes on as it would without a log.
  }
}

}  // namespace vimbrel
