#include "tour/PageFocus.h"

#include "platform/Cp932.h"
#include "platform/Texts.h"

namespace vimbrel {

namespace {

constexpr std::size_t kNameCharacters = 100;
constexpr std::uint32_t kSettleMs = 100;

PageFocus::Kind KindOfRole(std::uint32_t role) {
  switch (role) {
    case accessible::kRoleLink:
      return PageFocus::Kind::Link;
    case accessible::kRolePushButton:
      return PageFocus::Kind::Button;
    case accessible::kRoleText:
      return PageFocus::Kind::TextField;
    default:
      return PageFocus::Kind::Other;
  }
}

// A blank, a line break or another control byte; the ideographic space is
// one too, two bytes long.
std::size_t BlankLength(std::string_view text, std::size_t pos) {
  const auto byte = static_cast<unsigned char>(text[pos]);
  if (byte <= 0x20) return 1;
  if (byte == 0x81 && pos + 1 < text.size() && static_cast<unsigned char>(text[pos + 1]) == 0x40) {
    return 2;
  }
  return 0;
}

// Blanks and line breaks folded to one blank, none at either end, and at
// most 100 characters, the cut marked with "…".
std::string ShownName(std::string_view name) {
  std::string shown;
  std::size_t characters = 0;
  bool blank_pending = false;
  for (std::size_t pos = 0; pos < name.size();) {
    if (const std::size_t blank = BlankLength(name, pos)) {
      blank_pending = !shown.empty();
      pos += blank;
      continue;
    }
    if (blank_pending) {
      if (characters == kNameCharacters) return shown + texts::kEllipsis;
      shown += ' ';
      ++characters;
      blank_pending = false;
    }
    if (characters == kNameCharacters) return shown + texts::kEllipsis;
    const std::size_t next = cp932::NextChar(name, pos);
    shown.append(name.substr(pos, next - pos));
    ++characters;
    pos = next;
  }
  return shown;
}

char AsciiLower(char byte) { return byte >= 'A' && byte <= 'Z' ? byte - 'A' + 'a' : byte; }

// Whether `part` stands in `text` at `start`: character by character, so that
// only single-byte letters are folded, never the second byte of a character.
bool StandsAt(std::string_view text, std::size_t start, std::string_view part) {
  std::size_t at = start;
  for (std::size_t pos = 0; pos < part.size();) {
    if (at >= text.size()) return false;
    const std::size_t next = cp932::NextChar(part, pos);
    const std::size_t text_next = cp932::NextChar(text, at);
    if (next - pos != text_next - at) return false;
    if (next - pos == 1 ? AsciiLower(part[pos]) != AsciiLower(text[at])
                        : part.substr(pos, next - pos) != text.substr(at, next - pos)) {
      return false;
    }
    pos = next;
    at = text_next;
  }
  return true;
}

bool Holds(std::string_view text, std::string_view part) {
  if (part.empty()) return false;
  for (std::size_t start = 0; start < text.size(); start = cp932::NextChar(text, start)) {
    if (StandsAt(text, start, part)) return true;
  }
  return false;
}

}  // namespace

PageFocus FocusOf(const FocusFacts& facts) {
  PageFocus focus;
  switch (facts.where) {
    case FocusFacts::Where::NotTold:
      focus.kind = PageFocus::Kind::Unknown;
      break;
    case FocusFacts::Where::Page:
      focus.kind = PageFocus::Kind::Page;
      break;
    case FocusFacts::Where::OutsidePage:
      focus.kind = PageFocus::Kind::OutsidePage;
      break;
    case FocusFacts::Where::Element:
      focus.kind = KindOfRole(facts.element.role);
      focus.name = facts.element.name;
      if (focus.kind == PageFocus::Kind::Link) focus.address = facts.element.value;
      break;
  }
  return focus;
}

std::string FocusText(const PageFocus& focus) {
  switch (focus.kind) {
    case PageFocus::Kind::Link: {
      std::string text = cp932::FillText(texts::kFocusLink, ShownName(focus.name));
      if (!focus.address.empty()) text += " " + focus.address;
      return text;
    }
    case PageFocus::Kind::Button:
      return cp932::FillText(texts::kFocusButton, ShownName(focus.name));
    case PageFocus::Kind::TextField:
      return cp932::FillText(texts::kFocusTextField, ShownName(focus.name));
    case PageFocus::Kind::Other:
      return cp932::FillText(texts::kFocusOther, ShownName(focus.name));
    case PageFocus::Kind::Page:
      return texts::kFocusPage;
    case PageFocus::Kind::OutsidePage:
      return texts::kFocusOutsidePage;
    case PageFocus::Kind::Unknown:
      break;
  }
  return texts::kFocusUnknown;
}

std::string WindowCaptionsText(const std::vector<std::string>& captions) {
  if (captions.empty()) return texts::kLogNoWindows;
  std::string text;
  for (const std::string& caption : captions) {
    if (!text.empty()) text += " / ";
    text += caption;
  }
  return text;
}

bool FocusHolds(const PageFocus& focus, std::string_view text) {
  return Holds(focus.name, text) || Holds(focus.address, text);
}

std::optional<PageFocus> PageView::SettledFocus(WindowHandle window, BrowserFamily family) {
  const std::uint64_t start = clock_.SteadyMilliseconds();
  PageFocus last = FocusOf(reader_.Focus(window, family));
  // A browser that does not tell, or did not answer, is not asked again.
  if (last.kind == PageFocus::Kind::Unknown) return last;
  while (clock_.SteadyMilliseconds() - start < PageReader::kBoundMs) {
    if (!desktop_.WaitProcessingMessages(kSettleMs)) return std::nullopt;
    PageFocus now = FocusOf(reader_.Focus(window, family));
    if (now == last) break;
    last = std::move(now);
  }
  return last;
}

}  // namespace vimbrel
