#include "app/DailyTask.h"

#include <cstdio>
#include <cstring>

#include "platform/Texts.h"

namespace vimbrel {

namespace {

constexpr std::size_t kLongestFolderInName = 120;

std::u16string Ascii(const char* text) { return std::u16string(text, text + std::strlen(text)); }

// The program's folder: its path up to the last separator; a drive's root
// keeps its backslash, so that it does not name the drive's current folder.
Path FolderOf(const Path& program) {
  const std::size_t separator = program.find_last_of(u"\\/");
  if (separator == Path::npos) return {};
  Path folder = program.substr(0, separator);
  if (folder.size() == 2 && folder[1] == u':') folder += u'\\';
  return folder;
}

// The folder as a part of a task name. The full-width forms lie 0xFEE0 above
// the ASCII characters.
std::u16string ReadableFolder(const Path& folder) {
  std::u16string readable;
  for (char16_t unit : folder) {
    if (unit < 0x20) {
      readable += u'\uFF1F';  // no file name holds one: a full-width "?"
    } else if (std::u16string_view(u"\\/:*?\"<>|").find(unit) != std::u16string_view::npos) {
      readable += static_cast<char16_t>(unit + 0xFEE0);
    } else {
      readable += unit;
    }
  }
  if (readable.size() <= kLongestFolderInName) return readable;
  std::size_t from = readable.size() - (kLongestFolderInName - 1);
  // Never the second half of a surrogate pair alone.
  if (readable[from] >= 0xDC00 && readable[from] <= 0xDFFF) ++from;
  return u"\u2026" + readable.substr(from);
}

// FNV-1a over the UTF-16 units, ASCII letters as capitals.
std::uint32_t PathHash(const Path& path) {
  std::uint32_t hash = 2166136261u;
  for (char16_t unit : path) {
    if (unit >= u'a' && unit <= u'z') unit = static_cast<char16_t>(unit - u'a' + u'A');
    hash = (hash ^ unit) * 16777619u;
  }
  return hash;
}

std::u16string XmlEscaped(std::u16string_view text) {
  std::u16string escaped;
  for (char16_t unit : text) {
    switch (unit) {
      case u'&':
        escaped += u"&amp;";
        break;
      case u'<':
        escaped += u"&lt;";
        break;
      case u'>':
        escaped += u"&gt;";
        break;
      default:
        escaped += unit;
    }
  }
  return escaped;
}

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

LocalTime NextDay(LocalTime day) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const int days_in_month = kDays[day.month - 1] + (day.month == 2 && IsLeapYear(day.year));
  if (++day.day > days_in_month) {
    day.day = 1;
    if (++day.month > 12) {
      day.month = 1;
      ++day.year;
    }
  }
  return day;
}

// The first start: today at `time` if that is still to come, else tomorrow.
std::u16string StartBoundary(const LocalTime& now, TimeOfDay time) {
  const int now_seconds = (now.hour * 60 + now.minute) * 60 + now.second;
  const LocalTime day = (time.hour * 60 + time.minute) * 60 > now_seconds ? now : NextDay(now);
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:00", day.year, day.month, day.day,
                time.hour, time.minute);
  return Ascii(text);
}

int TwoDigits(std::u16string_view text, std::size_t at) {
  if (at + 2 > text.size()) return -1;
  const char16_t tens = text[at];
  const char16_t ones = text[at + 1];
  if (tens < u'0' || tens > u'9' || ones < u'0' || ones > u'9') return -1;
  return (tens - u'0') * 10 + (ones - u'0');
}

}  // namespace

std::u16string DailyTaskName(const Path& program) {
  char hash[16];
  std::snprintf(hash, sizeof hash, " (%08X)", static_cast<unsigned>(PathHash(program)));
  return std::u16string(texts::kTaskNamePrefix) + u" " + ReadableFolder(FolderOf(program)) +
         Ascii(hash);
}

DailyTaskAction DailyTaskActionFor(const Path& program, std::uint32_t page_seconds) {
  // A path holds no quote, and no other switch takes a blank.
  return {u"\"" + program + u"\"", u"/tour /wait=" + Ascii(std::to_string(page_seconds).c_str()),
          FolderOf(program)};
}

std::u16string DailyTaskXml(const DailyTaskRequest& request) {
  const DailyTaskAction action = DailyTaskActionFor(request.program, request.page_seconds);
  std::u16string_view description = texts::kTaskDescription;
  const std::size_t insert = description.find(u"%s");
  return u"<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n"
         u"<Task version=\"1.2\" "
         u"xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\">\r\n"
         u"  <RegistrationInfo>\r\n"
         u"    <Description>" +
         XmlEscaped(description.substr(0, insert)) + XmlEscaped(request.log) +
         XmlEscaped(description.substr(insert + 2)) +
         u"</Description>\r\n"
         u"  </RegistrationInfo>\r\n"
         u"  <Triggers>\r\n"
         u"    <CalendarTrigger>\r\n"
         u"      <StartBoundary>" +
         StartBoundary(request.now, request.time) +
         u"</StartBoundary>\r\n"
         u"      <ScheduleByDay>\r\n"
         u"        <DaysInterval>1</DaysInterval>\r\n"
         u"      </ScheduleByDay>\r\n"
         u"    </CalendarTrigger>\r\n"
         u"  </Triggers>\r\n"
         u"  <Principals>\r\n"
         u"    <Principal id=\"Author\">\r\n"
         u"      <LogonType>InteractiveToken</LogonType>\r\n"
         u"      <RunLevel>LeastPrivilege</RunLevel>\r\n"
         u"    </Principal>\r\n"
         u"  </Principals>\r\n"
         u"  <Settings>\r\n"
         u"    <MultipleInstancesPolicy>IgnoreNew</MultipleInstancesPolicy>\r\n"
         u"    <DisallowStartIfOnBatteries>false</DisallowStartIfOnBatteries>\r\n"
         u"    <StopIfGoingOnBatteries>false</StopIfGoingOnBatteries>\r\n"
         u"    <StartWhenAvailable>true</StartWhenAvailable>\r\n"
         u"    <WakeToRun>false</WakeToRun>\r\n"
         u"    <ExecutionTimeLimit>PT23H</ExecutionTimeLimit>\r\n"
         u"  </Settings>\r\n"
         u"  <Actions Context=\"Author\">\r\n"
         u"    <Exec>\r\n"
         u"      <Command>" +
         XmlEscaped(action.command) +
         u"</Command>\r\n"
         u"      <Arguments>" +
         XmlEscaped(action.arguments) +
         u"</Arguments>\r\n"
         u"      <WorkingDirectory>" +
         XmlEscaped(action.folder) +
         u"</WorkingDirectory>\r\n"
         u"    </Exec>\r\n"
         u"  </Actions>\r\n"
         u"</Task>\r\n";
}

std::optional<TimeOfDay> DailyTaskTime(std::u16string_view xml) {
  const std::size_t trigger = xml.find(u"<CalendarTrigger");
  if (trigger == xml.npos) return std::nullopt;
  constexpr std::u16string_view kStart = u"<StartBoundary>";
  const std::size_t start = xml.find(kStart, trigger);
  if (start == xml.npos || start > xml.find(u"</CalendarTrigger>", trigger)) return std::nullopt;
  // YYYY-MM-DDTHH:MM, then the seconds and perhaps a zone.
  const std::size_t at = start + kStart.size() + 11;
  const int hour = TwoDigits(xml, at);
  const int minute = TwoDigits(xml, at + 3);
  if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || xml[at - 1] != u'T' ||
      xml[at + 2] != u':') {
    return std::nullopt;
  }
  return TimeOfDay{hour, minute};
}

}  // namespace vimbrel
