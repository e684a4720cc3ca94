#include "app/SettingsFile.h"

#include <exception>
#include <memory>

#include "list/ListFile.h"
#include "platform/CommandLine.h"
#include "platform/Cp932.h"

namespace vimbrel {

namespace {

constexpr std::string_view kSection = "Vimbrel";

bool IsBlank(char byte) { return byte == ' ' || byte == '\t'; }

// No byte of a double-byte character is a blank, so cutting bytes is safe.
std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

bool SameName(std::string_view name, std::string_view ascii) {
  return EqualsIgnoringAsciiCase(std::u16string(name.begin(), name.end()), ascii);
}

// One line of the text: its bytes without the line break, and where the next
// line begins.
struct Line {
  std::size_t start = 0;
  std::size_t content_end = 0;  // before "\r\n" or "\n"
  std::size_t end = 0;          // after it
  bool terminated = false;
};

Line LineAt(std::string_view text, std::size_t start) {
  Line line;
  line.start = start;
  const std::size_t newline = text.find('\n', start);
  line.terminated = newline != std::string_view::npos;
  line.end = line.terminated ? newline + 1 : text.size();
  line.content_end = line.terminated ? newline : text.size();
  if (line.content_end > start && text[line.content_end - 1] == '\r') --line.content_end;
  return line;
}

// The name of a section header "[name]", or none for any other line. "]" is
// looked for character by character: it may be the second byte of one.
std::optional<std::string_view> SectionName(std::string_view content) {
  const std::string_view line = Trimmed(content);
  if (line.empty() || line.front() != '[') return std::nullopt;
  for (std::size_t pos = 1; pos < line.size(); pos = cp932::NextChar(line, pos)) {
    if (line[pos] == ']') return Trimmed(line.substr(1, pos - 1));
  }
  return std::nullopt;
}

// The key of a "key=value" line; none for a comment or any other line. "="
// is never a byte of a double-byte character.
std::optional<std::string_view> KeyOf(std::string_view content, std::string_view* value) {
  const std::string_view line = Trimmed(content);
  if (line.empty() || line.front() == ';' || line.front() == '#') return std::nullopt;
  const std::size_t equals = line.find('=');
  if (equals == std::string_view::npos) return std::nullopt;
  if (value != nullptr) *value = Trimmed(line.substr(equals + 1));
  return Trimmed(line.substr(0, equals));
}

// Where the section and its key are in the text.
struct Place {
  bool section_found = false;
  std::optional<Line> key_line;
  // Where a line added to the section goes: after its last key (or its
  // header), so that blank lines and comments before the next section stay
  // with that one.
  Line last_line;
};

Place Find(std::string_view text, std::string_view key, std::string_view* value) {
  Place place;
  bool in_section = false;
  // A byte order mark that an editor put in front is no part of the first line.
  constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
  const std::size_t first = text.substr(0, kUtf8Mark.size()) == kUtf8Mark ? kUtf8Mark.size() : 0;
  for (std::size_t start = first; start < text.size();) {
    const Line line = LineAt(text, start);
    start = line.end;
    const std::string_view content = text.substr(line.start, line.content_end - line.start);
    if (const std::optional<std::string_view> section = SectionName(content)) {
      // A section of that name that comes again is read on, as Windows does.
      in_section = SameName(*section, kSection);
      if (in_section) {
        place.section_found = true;
        place.last_line = line;
      }
      continue;
    }
    if (!in_section) continue;
    const std::optional<std::string_view> name = KeyOf(content, value);
    if (!name) continue;
    place.last_line = line;
    if (SameName(*name, key)) {
      place.key_line = line;
      return place;
    }
  }
  return place;
}

}  // namespace

std::optional<std::string> ProfileValue(std::string_view text, std::string_view key) {
  std::string_view value;
  if (!Find(text, key, &value).key_line) return std::nullopt;
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
    value = value.substr(1, value.size() - 2);
  }
  return std::string(value);
}

std::string WithProfileValue(std::string_view text, std::string_view key, std::string_view value) {
  const std::string line = std::string(key) + "=" + std::string(value);
  const Place place = Find(text, key, nullptr);
  std::string result(text);
  if (place.key_line) {
    return result.replace(place.key_line->start,
                          place.key_line->content_end - place.key_line->start, line);
  }
  if (place.section_found) {
    const Line& after = place.last_line;
    return result.insert(after.end, after.terminated ? line + "\r\n" : "\r\n" + line);
  }
  if (!result.empty() && result.back() != '\n') result += "\r\n";
  return result + "[" + std::string(kSection) + "]\r\n" + line + "\r\n";
}

SettingsFile::SettingsFile(Files& files, const Path& list_file)
    : files_(files), path_(BesideListFile(list_file, u".ini")) {}

std::optional<std::string> SettingsFile::Read(std::string_view key) const {
  try {
    const std::optional<std::string> bytes = Bytes();
    if (!bytes) return std::nullopt;
    return ProfileValue(*bytes, key);
  } catch (const std::exception&) {
    // Held by another program, say: the program goes on with what it would
    // use without the file.
    return std::nullopt;
  }
}

void SettingsFile::Write(std::string_view key, std::string_view value) {
  const std::string bytes = WithProfileValue(Bytes().value_or(""), key, value);
  std::unique_ptr<OutputFile> file = files_.OpenForReplacing(path_);
  file->Write(bytes.data(), bytes.size());
  file->Commit();
}

std::optional<std::string> SettingsFile::Bytes() const {
  if (!files_.IsFile(path_)) return std::nullopt;
  std::unique_ptr<InputFile> file = files_.OpenForReading(path_);
  std::string bytes;
  char block[4096];
  while (const std::size_t read = file->Read(block, sizeof block)) bytes.append(block, read);
  file->Close();
  return bytes;
}

}  // namespace vimbrel
