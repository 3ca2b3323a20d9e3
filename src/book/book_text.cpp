#include "book/book_text.h"

#include <array>

#include "book/book_limits.h"
#include "common/char_classes.h"
#include "common/unicode_text.h"

namespace sonacli {
namespace {

// What a character at the start of UTF-8 text is to the lines of a book.
enum class Kind { Ordinary, Space, Dropped };

struct Character {
  Kind Type = Kind::Ordinary;
  size_t Bytes = 1;
};

// White space and control characters (C0, DEL, C1), the other spaces of Unicode (no-break,
// ogham, en quad to hair space, line and paragraph separators, narrow no-break, medium
// mathematical, ideographic), and the invisible characters that are dropped (soft hyphen,
// zero-width space, word joiner, byte-order mark). Only bytes that can start one of them are
// looked at (IsSpecialLead).
Character Classify(const unsigned char* text, size_t size) {
  const unsigned char lead = text[0];
  if (lead <= 0x20 || lead == 0x7F) return {Kind::Space, 1};
  if (size < 2) return {};
  if (lead == 0xC2) {
    if (text[1] <= 0xA0) return {Kind::Space, 2};
    return text[1] == 0xAD ? Character{Kind::Dropped, 2} : Character{};
  }
  if (size < 3) return {};
  const unsigned second = text[1];
  const unsigned third = text[2];
  switch (lead) {
    case 0xE1:
      return second == 0x9A && third == 0x80 ? Character{Kind::Space, 3} : Character{};
    case 0xE2:
      if (second == 0x80) {
        if (third <= 0x8A || third == 0xA8 || third == 0xA9 || third == 0xAF) return {Kind::Space, 3};
        return third == 0x8B ? Character{Kind::Dropped, 3} : Character{};
      }
      if (second == 0x81 && third == 0x9F) return {Kind::Space, 3};
      return second == 0x81 && third == 0xA0 ? Character{Kind::Dropped, 3} : Character{};
    case 0xE3:
      return second == 0x80 && third == 0x80 ? Character{Kind::Space, 3} : Character{};
    case 0xEF:
      return second == 0xBB && third == 0xBF ? Character{Kind::Dropped, 3} : Character{};
    default:
      return {};
  }
}

constexpr std::array<bool, 256> kSpecialLeads = [] {
  std::array<bool, 256> leads{};
  for (unsigned c = 0; c <= 0x20; ++c) leads[c] = true;
  for (const unsigned c : {0x7Fu, 0xC2u, 0xE1u, 0xE2u, 0xE3u, 0xEFu}) leads[c] = true;
  return leads;
}();

bool IsSpecialLead(unsigned char c) {
  return kSpecialLeads[c];
}

// The word holds a letter (or any character beyond ASCII but the punctuation of Latin-1 and the
// General Punctuation block: dashes, quotes, leaders), as a line of contents has in its titles but
// not in its dots and page numbers.
bool HasLetter(std::string_view word) {
  for (size_t i = 0; i < word.size(); ++i) {
    const auto c = static_cast<unsigned char>(word[i]);
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) return true;
    if (c < 0xC0) continue;
    const bool punctuation = (c == 0xC2) || (c == 0xE2 && i + 1 < word.size() &&
                                             (static_cast<unsigned char>(word[i + 1]) == 0x80 ||
                                              static_cast<unsigned char>(word[i + 1]) == 0x81));
    if (!punctuation) return true;
  }
  return false;
}

// A line is one when it holds a letter or digit; a surrogate pair counts as a letter (the
// supplementary planes hold mostly letters of rare scripts and ideographs).
bool HasLetterOrDigit(const std::u16string& line) {
  for (const char16_t c : line) {
    if (LetterOrDigit(c) || (c >= 0xD800 && c <= 0xDBFF)) return true;
  }
  return false;
}

// The UTF-16 code units of valid UTF-8 text.
size_t Utf16Length(std::string_view utf8) {
  size_t units = 0;
  for (const char c : utf8) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte & 0xC0) != 0x80) ++units;
    if (byte >= 0xF0) ++units;
  }
  return units;
}

}  // namespace

void TBookText::Add(std::string_view text) {
  if (full_) return;
  bytes_ += text.size();
  if (bytes_ > maxBytes_) {
    full_ = true;
    return;
  }
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  size_t word = 0;  // where the word being scanned starts
  size_t i = 0;
  while (i < text.size()) {
    if (!IsSpecialLead(bytes[i])) {
      ++i;
      continue;
    }
    const Character character = Classify(bytes + i, text.size() - i);
    if (character.Type == Kind::Ordinary) {
      i += character.Bytes;
      continue;
    }
    AddWord(text.substr(word, i - word));
    if (character.Type == Kind::Space) space_ = !current_.empty();
    i += character.Bytes;
    word = i;
  }
  AddWord(text.substr(word));
}

void TBookText::AddWord(std::string_view word) {
  if (word.empty()) return;
  if (space_) current_ += ' ';
  space_ = false;
  current_ += word;
  if (headingDepth_ == 0) textOutsideHeadings_ = true;
  bool& letters = linkDepth_ > 0 ? lettersInLinks_ : lettersOutsideLinks_;
  if (!letters) letters = HasLetter(word);
}

void TBookText::EndHeading() {
  if (headingDepth_ > 0) --headingDepth_;
}

void TBookText::EndLink() {
  if (linkDepth_ > 0) --linkDepth_;
}

void TBookText::EndLine() {
  space_ = false;
  if (current_.empty()) return;
  std::u16string line = ToUtf16(current_);
  uint8_t flags = textOutsideHeadings_ ? 0 : kHeading;
  if (lettersInLinks_ && !lettersOutsideLinks_) flags |= kLinkOnly;
  const bool kept = HasLetterOrDigit(line);
  if (kept) PlacePending(line);
  for (const Pending& pending : pending_) {
    if (!kept) passages_[pending.Passage].Line = kNoLine;
  }
  pending_.clear();
  current_.clear();
  textOutsideHeadings_ = lettersInLinks_ = lettersOutsideLinks_ = false;
  if (!kept) return;
  // The conversion leaves room for every byte of the UTF-8: a book's text is held as it is.
  line.shrink_to_fit();
  lines_.push_back(std::move(line));
  flags_.push_back(flags);
}

void TBookText::PlacePending(const std::u16string& line) {
  size_t byte = 0;
  size_t unit = 0;
  for (const Pending& pending : pending_) {
    unit += Utf16Length(std::string_view(current_).substr(byte, pending.Start - byte));
    const size_t length =
        Utf16Length(std::string_view(current_).substr(pending.Start, pending.End - pending.Start));
    byte = pending.Start;
    if (unit + length <= line.size()) passages_[pending.Passage] = {lines_.size(), unit, length};
  }
}

std::string TBookText::FullMessage() const {
  return "the text is larger than " + SizeText(maxBytes_);
}

std::vector<std::u16string> TBookText::TakeLines() {
  EndLine();
  flags_.clear();
  passages_.clear();
  return std::move(lines_);
}

std::vector<std::u16string> TBookText::TakeLinesFrom(size_t first) {
  EndLine();
  if (first >= lines_.size()) return {};
  std::vector<std::u16string> taken(std::make_move_iterator(lines_.begin() + static_cast<ptrdiff_t>(first)),
                                    std::make_move_iterator(lines_.end()));
  lines_.resize(first);
  flags_.resize(first);
  for (Passage& passage : passages_) {
    if (passage.Line != kNoLine && passage.Line >= first) passage.Line = kNoLine;
  }
  return taken;
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
  while (!pending_.empty() && pending_.back().End > mark.Bytes) {
    passages_[pending_.back().Passage].Line = kNoLine;
    pending_.pop_back();
  }
}

size_t TBookText::KeepTentatively(const Place& mark) {
  passages_.emplace_back();
  if (mark.Line == lines_.size() && mark.Bytes < current_.size())
    pending_.push_back({passages_.size() - 1, mark.Bytes, current_.size()});
  return passages_.size() - 1;
}

void TBookText::DropPassages(const std::function<bool(size_t passage)>& drop) {
  EndLine();
  // From the last on, so that a passage taken out moves none of those still to go.
  for (size_t i = passages_.size(); i-- > 0;) {
    const Passage& passage = passages_[i];
    if (passage.Line == kNoLine || !drop(i)) continue;
    lines_[passage.Line].erase(passage.Start, passage.Length);
  }
  passages_.clear();
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

std::u16string MessageLine(std::string_view utf8) {
  std::u16string line = ToUtf16(utf8);
  for (char16_t& c : line) {
    if (c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029) c = u'?';
  }
  return line;
}

}  // namespace sonacli
