#include "book/book_text.h"

#include "book/book_limits.h"
#include "common/char_classes.h"
#include "common/unicode_text.h"

namespace sonacli {
namespace {

bool IsSpaceByte(char c) {
  return static_cast<unsigned char>(c) <= 0x20;
}

// White space at the ends of a line beyond what Add collapses: no-break and typographic spaces,
// the zero-width ones and the byte-order mark.
bool IsBlank(char16_t c) {
  return c <= 0x20 || c == 0xA0 || c == 0x1680 || (c >= 0x2000 && c <= 0x200B) || c == 0x2028 ||
         c == 0x2029 || c == 0x202F || c == 0x205F || c == 0x2060 || c == 0x3000 || c == 0xFEFF;
}

std::u16string TrimBlank(std::u16string text) {
  size_t end = text.size();
  while (end > 0 && IsBlank(text[end - 1])) --end;
  size_t start = 0;
  while (start < end && IsBlank(text[start])) ++start;
  return text.substr(start, end - start);
}

}  // namespace

void TBookText::Add(std::string_view text) {
  if (full_) return;
  bytes_ += text.size();
  if (bytes_ > maxBytes_) {
    full_ = true;
    return;
  }
  size_t i = 0;
  while (i < text.size()) {
    if (IsSpaceByte(text[i])) {
      space_ = !current_.empty();
      while (i < text.size() && IsSpaceByte(text[i])) ++i;
      continue;
    }
    size_t end = i;
    while (end < text.size() && !IsSpaceByte(text[end])) ++end;
    if (space_) current_ += ' ';
    space_ = false;
    current_.append(text, i, end - i);
    i = end;
  }
}

void TBookText::EndLine() {
  space_ = false;
  if (current_.empty()) return;
  std::u16string line = TrimBlank(ToUtf16(current_));
  current_.clear();
  if (!line.empty()) lines_.push_back(std::move(line));
}

std::string TBookText::FullMessage() const {
  return "the text is larger than " + SizeText(maxBytes_);
}

std::vector<std::u16string> TBookText::TakeLines() {
  EndLine();
  return std::move(lines_);
}

std::u16string TBookText::TitleFrom(size_t first) const {
  std::u16string title;
  for (size_t i = first; i < lines_.size(); ++i) {
    if (!title.empty()) title += WordChar(title.back()) ? u". " : u" ";
    title += lines_[i];
  }
  return title;
}

std::optional<std::string_view> TBookText::TextSince(const Place& mark) const {
  if (mark.Line != lines_.size() || mark.Bytes > current_.size()) return std::nullopt;
  return std::string_view(current_).substr(mark.Bytes);
}

void TBookText::DropSince(const Place& mark) {
  if (mark.Line != lines_.size() || mark.Bytes > current_.size()) return;
  current_.resize(mark.Bytes);
  space_ = mark.Space;
}

std::string LowerAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

std::u16string CollapsedText(std::string_view text) {
  TBookText collapsed;
  collapsed.Add(text);
  collapsed.EndLine();
  return collapsed.Lines().empty() ? std::u16string() : collapsed.Lines().front();
}

}  // namespace sonacli
