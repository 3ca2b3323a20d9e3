// Cleaning of subtitle texts: markup tags and override blocks go, language switches stay.
#pragma once

#include <string>
#include <string_view>

namespace sonacli {

// Removes every "<...>"; a "<" without ">" after it removes the rest; a lone ">" stays.
std::u16string StripAngleTags(std::u16string_view text);

// Removes the markup tags that are well formed ("<i>", "</font>", "<br/>", '<font color="red">')
// and keeps every other "<" as text, so that "2<3, 5>1" stays whole.
std::u16string StripMarkupTags(std::u16string_view text);

// Removes every "{{...}}" block except language switches and chapter tags ("{{lang=...}}",
// "{{chapter=...}}", in any case), which the text-part layer reads; an unclosed "{{" removes the
// rest.
std::u16string KeepLangAndChapterTags(std::u16string_view text);

// Removes the SSA/ASS override blocks: from a single "{" to the next single "}" (a brace is single
// when neither neighbour is the same brace). Doubled braces and what they enclose stay, and so does
// a single "{" that no single "}" follows. The drawing commands after a block that switches
// drawing on ("{\p1}") go as well, up to a block that switches it off ("{\p0}") or the end.
std::u16string StripOverrideBlocks(std::u16string_view text);
// The same for the override blocks that SRT files borrow from SSA: "{\" up to the next "}", such
// as "{\an8}"; other braces stay.
std::u16string StripSrtOverrideBlocks(std::u16string_view text);

// Replaces the SSA line breaks "\N" and "\n" and the hard space "\h" with a space each.
std::u16string ReplaceBreakCodes(std::u16string_view text);

// A text through a row of cleaners, each run only when the text holds the mark it acts on: most
// subtitle texts hold no markup, and every cleaner that runs copies the text.
class TCleaning {
 public:
  explicit TCleaning(std::u16string_view text) : original_(text) {}
  // Runs `clean` on the text when the text holds `mark`.
  void Apply(std::u16string_view mark, std::u16string (*clean)(std::u16string_view));
  // The text as cleaned so far, without the characters U+0000 to U+0020 at its ends.
  std::u16string Trimmed() const;

 private:
  std::u16string_view Text() const { return changed_ ? std::u16string_view(cleaned_) : original_; }

  std::u16string_view original_;
  std::u16string cleaned_;
  bool changed_ = false;
};

// The text of an SRT cue as spoken: override blocks and well-formed tags stripped, language
// switches kept, SSA break codes made spaces, ends trimmed.
std::u16string CleanSrtText(std::u16string_view text);
// The text of a WebVTT cue as spoken: tags stripped, language switches kept, character
// references decoded, ends trimmed.
std::u16string CleanVttText(std::u16string_view text);

// The text without the characters U+0000 to U+0020 at its ends (Trim without a copy).
std::u16string_view TrimmedView(std::u16string_view text);
std::u16string_view TrimmedLeftView(std::u16string_view text);

// True when the line holds nothing but characters U+0000 to U+0020.
bool IsBlankLine(std::u16string_view line);

// The ASCII letter in lower case; any other character unchanged.
char16_t AsciiLower(char16_t c);
bool IsAsciiDigit(char16_t c);
// The ASCII `lowerPattern` at `at` in the text, in any case.
bool MatchesCaseless(std::u16string_view text, size_t at, std::u16string_view lowerPattern);

}  // namespace sonacli
