#include "book/note_marks.h"

#include <algorithm>
#include <array>

#include "book/book_path.h"
#include "book/xml_parser.h"

namespace sonacli {
namespace {

constexpr std::array<std::string_view, 17> kNoteTokens = {
    "footnote",    "footnotes",    "endnote",     "endnotes",     "rearnote",      "rearnotes",
    "noteref",     "note-ref",     "footnoteref", "footnote-ref", "footnote-link", "endnoteref",
    "endnote-ref", "doc-footnote", "doc-endnote", "doc-endnotes", "doc-noteref"};

bool IsNoteToken(std::string_view token) {
  return std::find(kNoteTokens.begin(), kNoteTokens.end(), LowerAscii(token)) != kNoteTokens.end();
}

std::string_view TrimMarkSpace(std::string_view text) {
  constexpr std::string_view kNoBreakSpace = "\xC2\xA0";
  for (;;) {
    if (!text.empty() && static_cast<unsigned char>(text.front()) <= ' ') {
      text.remove_prefix(1);
    } else if (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ') {
      text.remove_suffix(1);
    } else if (text.starts_with(kNoBreakSpace)) {
      text.remove_prefix(kNoBreakSpace.size());
    } else if (text.ends_with(kNoBreakSpace)) {
      text.remove_suffix(kNoBreakSpace.size());
    } else {
      return text;
    }
  }
}

// Counts how many times the text repeats one of the pieces, one after the other; 0 when it holds
// anything else.
template <size_t N>
size_t RepeatCount(std::string_view text, const std::array<std::string_view, N>& pieces) {
  size_t count = 0;
  while (!text.empty()) {
    bool matched = false;
    for (std::string_view piece : pieces) {
      if (text.starts_with(piece)) {
        text.remove_prefix(piece.size());
        matched = true;
        break;
      }
    }
    if (!matched) return 0;
    ++count;
  }
  return count;
}

constexpr std::array<std::string_view, 10> kDigits = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"};
// Asterisk, dagger, double dagger.
constexpr std::array<std::string_view, 3> kSymbols = {"*", "\xE2\x80\xA0", "\xE2\x80\xA1"};
// Superscript zero to nine.
constexpr std::array<std::string_view, 10> kSuperscriptDigits = {
    "\xE2\x81\xB0", "\xC2\xB9",     "\xC2\xB2",     "\xC2\xB3",     "\xE2\x81\xB4",
    "\xE2\x81\xB5", "\xE2\x81\xB6", "\xE2\x81\xB7", "\xE2\x81\xB8", "\xE2\x81\xB9"};

bool InRange(size_t count) {
  return count >= 1 && count <= 3;
}

}  // namespace

bool LeadsToFragment(std::string_view href) {
  const size_t hash = href.find('#');
  return hash != std::string_view::npos && hash + 1 < href.size() && !HasScheme(href);
}

bool NamesNote(std::string_view tokens) {
  for (std::string_view token : Tokens(tokens)) {
    if (IsNoteToken(token)) return true;
  }
  return false;
}

bool IsNoteMark(std::string_view text, bool superscript) {
  text = TrimMarkSpace(text);
  bool bracketed = false;
  if (text.size() >= 2) {
    const char open = text.front();
    const char close = text.back();
    if ((open == '[' && close == ']') || (open == '{' && close == '}')) {
      bracketed = true;
    } else if (open == '(' && close == ')') {
      if (!superscript) return false;
      bracketed = true;
    }
    if (bracketed) text = TrimMarkSpace(text.substr(1, text.size() - 2));
  }
  if (InRange(RepeatCount(text, kSymbols)) || InRange(RepeatCount(text, kSuperscriptDigits))) return true;
  return InRange(RepeatCount(text, kDigits)) && (superscript || bracketed);
}

bool IsGluedNumber(std::string_view linkText, bool glued) {
  return glued && InRange(RepeatCount(linkText, kDigits));
}

bool TNoteLinks::StartLink(bool toFragment) {
  if (!toFragment || link_) return false;
  link_ = Link{text_.Mark(), superscripts_ > 0};
  return true;
}

std::optional<size_t> TNoteLinks::EndLink() {
  if (!link_) return std::nullopt;
  const TBookText::Place mark = link_->Mark;
  const bool superscript = link_->Superscript;
  link_.reset();
  const std::optional<std::string_view> linkText = text_.TextSince(mark);
  if (!linkText) return std::nullopt;
  if (IsNoteMark(*linkText, superscript)) {
    text_.DropSince(mark);
    return std::nullopt;
  }
  // Glued: the link's text follows the text before it without a space between them.
  if (IsGluedNumber(*linkText, mark.Bytes > 0 && !mark.Space)) return text_.KeepTentatively(mark);
  return std::nullopt;
}

void TNoteLinks::StartSuperscript() {
  ++superscripts_;
  if (link_) link_->Superscript = true;
}

void TNoteLinks::EndSuperscript() {
  if (superscripts_ > 0) --superscripts_;
}

}  // namespace sonacli
