#include "text/sentence_finder.h"

#include <algorithm>

#include <unicode/utf16.h>

#include "common/char_classes.h"
#include "common/trim.h"
#include "common/unicode_text.h"
#include "text/char_at.h"
#include "text/sentence_char_classes.h"
#include "text/sentence_end_rules.h"

namespace sonacli {

namespace {

// Positions a sentence scan looks at beyond its start.
constexpr ptrdiff_t kSentenceWindow = 1024;
// How far closing tags are looked for after a sentence with markup, and after one without.
constexpr ptrdiff_t kMarkupTagWindow = 5000;
constexpr ptrdiff_t kPlainTagWindow = 500;
// How far the ">" of a closing tag is looked for after its "</".
constexpr ptrdiff_t kTagLengthLimit = 100;
// A sentence takes further closing tags only when one starts within this many characters.
constexpr size_t kNextTagReach = 20;

bool IsDash(char16_t c) {
  return c == u'-' || c == u'\u2014' || c == u'\u2013';
}

bool IsSpaceOrNoBreak(char16_t c) {
  return c == u' ' || c == u'\u00A0';
}

bool IsTagPunctuation(char16_t c) {
  return std::u16string_view(u"!,.:;?").find(c) != std::u16string_view::npos;
}

// One scan of FindSentenceEnd; its fields are the state of the walk.
class SentenceWalk {
 public:
  SentenceWalk(std::u16string_view text, ptrdiff_t start, ptrdiff_t maxEnd)
      : s_(text),
        len_(Length(text)),
        start_(start),
        maxEnd_(maxEnd),
        i_(start),
        end_(start),
        lastSpace_(start) {}

  ptrdiff_t Run() {
    while (i_ <= len_ && i_ <= maxEnd_) {
      if (i_ == len_) {
        end_ = i_;
        break;
      }
      char16_t c = At(i_);
      if (!seenWord_ && WordChar(c)) seenWord_ = true;
      Step step = c == u'{' ? AtBrace() : Terminators(c) ? AtTerminator(c) : AtOther(c);
      if (step == Step::Finish) break;
      ++i_;
    }
    // Nothing recorded: end before the last space, or where the walk stopped.
    if (end_ == start_ && !endedAtTag_) end_ = lastSpace_ > start_ ? lastSpace_ : std::min(i_, len_);
    // A sentence must not end between the two halves of a surrogate pair.
    if (U16_IS_LEAD(At(end_)) && U16_IS_TRAIL(At(end_ + 1))) end_ += end_ > start_ ? -1 : 1;
    return IncludeClosingTags(s_, start_, end_);
  }

 private:
  enum class Step { Next, Finish };

  char16_t At(ptrdiff_t i) const { return CharAt(s_, i); }

  // " - ", " — " or " – " from position i.
  bool SpacedDashAt(ptrdiff_t i) const { return At(i) == u' ' && IsDash(At(i + 1)) && At(i + 2) == u' '; }

  Step FinishOrAfter() { return seenWord_ ? Step::Finish : AfterTerminator(); }

  // An unclosed "{{audio=", "{{pause=" or "{{chapter=" ends the sentence before it. At the very
  // start of a scan it is read as text, so that every scan takes at least one character.
  Step AtBrace() {
    if (i_ > start_ && At(i_ + 1) == u'{') {
      const std::u16string tag = LowerCase(s_.substr(static_cast<size_t>(i_ - 1), 10));
      if (tag.starts_with(u"{{audio=") || tag.starts_with(u"{{pause=") || tag == u"{{chapter=") {
        end_ = i_ - 1;
        endedAtTag_ = true;
        return Step::Finish;
      }
    }
    return Step::Next;
  }

  Step AtTerminator(char16_t c) {
    if (!IsSpaceOrNoBreak(At(i_ + 1))) return AfterTerminator();
    // Dialogue: "Hi! - he said."
    if (c != u'.' && IsDash(At(i_ + 2)) && At(i_ + 3) == u' ' && LowerLetter(At(i_ + 4))) return Step::Next;
    end_ = i_;
    if (c == u'.') return FullStopKeepsGoing() ? Step::Next : FinishOrAfter();
    if (CjkStops(c)) return NumberedItem(s_, i_) || RomanItem(s_, i_) ? Step::Next : FinishOrAfter();
    if (CjkMarks(c)) return FinishOrAfter();
    bool continues = (At(i_ + 3) == u'.' && WordLetter(At(i_ + 2))) ||
                     (At(i_ + 1) == u' ' && LowerLetter(At(i_ + 2))) || TooShort(s_, i_, start_);
    return continues ? Step::Next : FinishOrAfter();
  }

  // A full stop followed by a space that does not end the sentence.
  bool FullStopKeepsGoing() const {
    bool space = At(i_ + 1) == u' ';
    return (At(i_ + 3) == u'.' && WordLetter(At(i_ + 2))) ||  // spaced abbreviation: z. B.
           (space && LowerLetter(At(i_ + 2))) ||
           (i_ >= 3 && space && At(i_ - 2) == u' ' && UpperLetter(At(i_ - 1)) &&
            UpperLetter(At(i_ + 2))) ||  // an initial: A. Puschkin
           (space && Digit(At(i_ + 2))) ||
           IsNotSentenceEnd(s_, i_) || TooShort(s_, i_, start_);
  }

  // A terminator that did not end the sentence at once: closing quotes, CJK marks, brackets.
  Step AfterTerminator() {
    if (CloseQuotes(At(i_ + 1))) {
      ++i_;
      if (SpacedDashAt(i_ + 1) && LowerLetter(At(i_ + 4))) return Step::Next;
      while (i_ + 1 <= len_ && At(i_ + 1) != u' ') {
        ++i_;
        if (WordChar(At(i_))) seenWord_ = true;
      }
      end_ = i_;
      if (seenWord_ && At(i_) != u',') return Step::Finish;
    }
    char16_t c = At(i_);
    if (CjkStops(c)) {
      end_ = i_;
      if (NumberedItem(s_, i_) || RomanItem(s_, i_)) return Step::Next;
      return seenWord_ ? Step::Finish : Step::Next;
    }
    if (CjkMarks(c)) {
      end_ = i_;
      return seenWord_ ? Step::Finish : Step::Next;
    }
    if (seenWord_) {
      if (At(i_ + 1) == u'[' && i_ + 2 <= len_ && At(i_ + 2) != u']') {
        end_ = i_;
        return Step::Finish;
      }
      if (At(i_ + 1) == u']' && At(i_ + 2) == u' ' && UpperLetter(At(i_ + 3)) &&
          BracketOpensSentence(s_, i_, start_)) {
        end_ = i_ + 1;
        return Step::Finish;
      }
    }
    return Step::Next;
  }

  // Commas, semicolons and colons are candidate ends; spaces are remembered.
  Step AtOther(char16_t c) {
    if (c == u',' || c == u';' || c == u'>' || OtherCommas(c) || OtherSemicolons(c)) {
      end_ = i_;
    } else if (c == u':' && SpacedDashAt(i_ + 1) && UpperLetter(At(i_ + 4))) {
      end_ = i_;
      if (seenWord_) return Step::Finish;
    } else if ((c == u':' || OtherColons(c)) && At(i_ + 1) != u'/') {
      end_ = i_;
    } else if (c == u' ') {
      lastSpace_ = i_ - 1;
    }
    return Step::Next;
  }

  std::u16string_view s_;
  ptrdiff_t len_;
  ptrdiff_t start_;
  ptrdiff_t maxEnd_;
  ptrdiff_t i_;
  ptrdiff_t end_;
  ptrdiff_t lastSpace_;
  bool seenWord_ = false;
  bool endedAtTag_ = false;
};

bool HoldsMarkup(std::u16string_view text, ptrdiff_t start, ptrdiff_t end) {
  std::u16string_view range =
      text.substr(static_cast<size_t>(start - 1), static_cast<size_t>(end - start + 1));
  return range.find(u'<') != std::u16string_view::npos && range.find(u'>') != std::u16string_view::npos;
}

}  // namespace

ptrdiff_t FindSentenceEnd(std::u16string_view text, ptrdiff_t start, ptrdiff_t maxEnd) {
  return SentenceWalk(text, start, maxEnd).Run();
}

ptrdiff_t IncludeClosingTags(std::u16string_view text, ptrdiff_t start, ptrdiff_t end) {
  const ptrdiff_t len = Length(text);
  const bool markup = HoldsMarkup(text, start, end);
  const ptrdiff_t window = markup ? kMarkupTagWindow : kPlainTagWindow;
  bool taken = false;
  ptrdiff_t j = end;
  while (j < len && j < end + window) {
    // Only a "<" can change anything: jump to the next one inside the window.
    const ptrdiff_t limit = std::min(len, end + window);
    const std::u16string_view rest = text.substr(static_cast<size_t>(j - 1), static_cast<size_t>(limit - j));
    const size_t next = rest.find(u'<');
    if (next == std::u16string_view::npos) break;
    j += static_cast<ptrdiff_t>(next);
    if (CharAt(text, j + 1) == u'/') {
      j += 2;
      const ptrdiff_t from = j;
      while (j <= len && j < from + kTagLengthLimit && CharAt(text, j) != u'>') ++j;
      if (CharAt(text, j) == u'>' && j < from + kTagLengthLimit) {
        const ptrdiff_t g = j;
        end = g + 1 < len && IsTagPunctuation(CharAt(text, g + 1)) && CharAt(text, g + 2) == u' ' ? g + 1 : g;
        if (text.substr(static_cast<size_t>(end - 1), kNextTagReach).find(u"</") ==
            std::u16string_view::npos) {
          return end;
        }
        taken = true;
      } else if (!taken) {
        return end;
      }
    } else if (!markup) {
      return end;
    }
    ++j;
  }
  return end;
}

std::vector<std::u16string> SplitLineIntoSentences(std::u16string_view line) {
  std::vector<std::u16string> sentences;
  const std::u16string text = Trim(line);
  const std::u16string_view view(text);
  for (ptrdiff_t index = 1; index <= Length(view);) {
    ptrdiff_t end = std::max(index, FindSentenceEnd(view, index, index + kSentenceWindow));
    std::u16string sentence =
        Trim(view.substr(static_cast<size_t>(index - 1), static_cast<size_t>(end - index + 1)));
    if (!sentence.empty()) sentences.push_back(std::move(sentence));
    index = end + 1;
  }
  return sentences;
}

}  // namespace sonacli
