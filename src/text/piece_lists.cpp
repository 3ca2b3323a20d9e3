#include "text/piece_lists.h"

#include <algorithm>

#include <unicode/utf16.h>

#include "common/char_classes.h"
#include "common/trim.h"
#include "common/unicode_text.h"
#include "text/char_at.h"
#include "text/sentence_end_rules.h"
#include "text/sentence_finder.h"
#include "text/text_part.h"

namespace sonacli {

namespace {

constexpr std::u16string_view kAudioKind = u"audio";
constexpr std::u16string_view kPauseKind = u"pause";
constexpr std::u16string_view kPauseParaKind = u"pause_para";

bool IsInsertKind(std::u16string_view kind) {
  return kind == kAudioKind || kind == kPauseKind || kind == kPauseParaKind;
}

// Ideographic commas, semicolons and colons: a natural pause inside CJK text.
bool CjkPauses(char16_t c) {
  return c == 0x3001 || c == 0xFF1B || c == 0xFF64 || c == 0xFF0C || c == 0xFF1A || c == 0xFE30;
}

bool CommaLike(char16_t c) {
  return c == u';' || c == u',' || c == u':' || OtherCommas(c) || OtherColons(c) || OtherSemicolons(c);
}

bool IsBlank(char16_t c) {
  return c <= u' ';
}

// Runs of spaces become one space.
std::u16string CollapseSpaces(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (char16_t c : text) {
    if (c != u' ' || out.empty() || out.back() != u' ') out.push_back(c);
  }
  return out;
}

// The cut that the last two thirds of the window offer, or 0 when they offer none.
ptrdiff_t ScanForCut(std::u16string_view w) {
  const ptrdiff_t m = Length(w);
  ptrdiff_t rightmostSpace = 0;
  ptrdiff_t spaceAfter = 0;  // the nearest space to the right of o
  ptrdiff_t pauseCut = 0;
  ptrdiff_t commaCut = 0;
  for (ptrdiff_t o = m; o >= m / 3; --o) {
    const char16_t c = CharAt(w, o);
    const bool endsWord = o < m && !WordChar(CharAt(w, o + 1));
    if (c == u' ') {
      if (rightmostSpace == 0) rightmostSpace = o;
      spaceAfter = o;
    } else if (c == u'.') {
      if (endsWord && spaceAfter != 0 && !IsNotSentenceEnd(w, o)) return spaceAfter - 1;
    } else if (c == u'?' || c == u'!') {
      if (endsWord && spaceAfter != 0) return spaceAfter - 1;
    } else if (OtherTerminators(c)) {
      return o;
    } else if (CjkPauses(c)) {
      if (pauseCut == 0) pauseCut = o;
    } else if (CommaLike(c)) {
      if (endsWord && spaceAfter != 0 && commaCut == 0) commaCut = spaceAfter - 1;
    }
  }
  if (pauseCut != 0) return pauseCut;
  if (commaCut != 0) return commaCut;
  return rightmostSpace != 0 ? rightmostSpace - 1 : 0;
}

void AppendInsert(std::u16string_view text, const PieceAttributes& attributes, bool markers,
                  PieceLists& lists) {
  std::u16string_view marker;
  if (markers) marker = attributes.Kind == kPauseParaKind ? kMarkerLineEnd : kMarkerCut;
  lists.Append(std::u16string(text), attributes, marker);
}

}  // namespace

PieceAttributes PieceAttributes::Of(const TTextPart& part) {
  return {part.Language, part.Voice,       part.Rate,
          part.Emotion,  part.ChannelMode, ToUtf16(std::to_string(part.Volume))};
}

void PieceLists::Clear() {
  *this = PieceLists();
}

void PieceLists::Append(std::u16string text, const PieceAttributes& attributes, std::u16string_view marker) {
  Texts.push_back(std::move(text));
  Kinds.push_back(attributes.Kind);
  Voices.push_back(attributes.Voice);
  Rates.push_back(attributes.Rate);
  Emotions.push_back(attributes.Emotion);
  ChannelModes.push_back(attributes.ChannelMode);
  Volumes.push_back(attributes.Volume);
  if (!marker.empty()) Markers.emplace_back(marker);
}

std::vector<std::u16string> SplitLines(std::u16string_view text) {
  return SplitIntoLines(text);
}

size_t ChooseCut(std::u16string_view window) {
  const ptrdiff_t m = Length(window);
  ptrdiff_t cut = m > m / 3 + 10 ? ScanForCut(window) : 0;
  if (cut == 0) cut = m;
  // A piece must not end between the two halves of a surrogate pair.
  if (cut > 1 && U16_IS_LEAD(CharAt(window, cut))) --cut;
  return static_cast<size_t>(cut);
}

void CutToLength(const std::vector<std::u16string>& lines, int maxLength, const PieceAttributes& attributes,
                 bool markers, PieceLists& lists) {
  const size_t m = static_cast<size_t>(std::max(maxLength, 1));
  for (size_t k = 0; k < lines.size(); ++k) {
    if (lines[k].empty()) continue;
    const std::u16string line = CollapseSpaces(Trim(lines[k]));
    std::u16string_view rest(line);
    while (!rest.empty()) {
      if (rest.size() <= m) {
        std::u16string piece = Trim(rest);
        std::u16string_view marker = k + 1 == lines.size() ? kMarkerLineEnd : kMarkerSentenceEnd;
        if (!piece.empty()) lists.Append(std::move(piece), attributes, markers ? marker : u"");
        break;
      }
      const size_t cut = ChooseCut(rest.substr(0, m));
      lists.Append(Trim(rest.substr(0, cut)), attributes, markers ? kMarkerCut : u"");
      rest.remove_prefix(cut);
      while (!rest.empty() && IsBlank(rest.front())) rest.remove_prefix(1);
    }
  }
}

void SplitIntoPieces(std::u16string_view text, const PieceAttributes& attributes, int maxLength,
                     bool syncOutput, PieceLists& lists) {
  if (text.empty()) return;
  if (IsInsertKind(attributes.Kind)) {
    AppendInsert(text, attributes, syncOutput, lists);
    return;
  }
  std::vector<std::u16string> lines = SplitLines(text);
  if (!syncOutput) {
    CutToLength(lines, maxLength, attributes, false, lists);
    return;
  }
  for (const std::u16string& line : lines) {
    if (!line.empty()) CutToLength(SplitLineIntoSentences(line), maxLength, attributes, true, lists);
  }
}

void SplitSubtitleText(std::u16string_view text, const PieceAttributes& attributes, int maxLength,
                       PieceLists& lists) {
  if (text.empty() || IsInsertKind(attributes.Kind)) return;
  CutToLength(SplitLines(text), maxLength, attributes, false, lists);
}

}  // namespace sonacli
