#include "text/piece_lists.h"

#include <algorithm>

#include <unicode/utf16.h>

#include "common/char_classes.h"
#include "common/decimal.h"
#include "common/trim.h"
#include "common/unicode_text.h"
#include "text/char_at.h"
#include "text/sentence_end_rules.h"
#include "text/sentence_finder.h"
#include "text/text_part.h"

namespace sonacli {

namespace {

// Appends a piece of the part's kind with the text and marker.
void Append(TPieceList& pieces, const TPiece& part, std::u16string text, TPieceMarker marker) {
  TPiece& piece = pieces.emplace_back(part);
  piece.Text = std::move(text);
  piece.Marker = marker;
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

void AppendInsert(std::u16string_view text, const TPiece& part, bool markers, TPieceList& pieces) {
  TPieceMarker marker = TPieceMarker::None;
  if (markers) marker = part.Kind == TPieceKind::PausePara ? TPieceMarker::LineEnd : TPieceMarker::Cut;
  Append(pieces, part, std::u16string(text), marker);
  // A length that is no number makes no silence.
  if (part.Kind != TPieceKind::Audio) pieces.back().PauseMs = ParseDecimal(text).value_or(0);
}

}  // namespace

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

void CutToLength(const std::vector<std::u16string>& lines, int maxLength, const TPiece& part, bool markers,
                 TPieceList& pieces) {
  const size_t m = static_cast<size_t>(std::max(maxLength, 1));
  for (size_t k = 0; k < lines.size(); ++k) {
    if (lines[k].empty()) continue;
    const std::u16string line = CollapseSpaces(Trim(lines[k]));
    std::u16string_view rest(line);
    while (!rest.empty()) {
      if (rest.size() <= m) {
        std::u16string piece = Trim(rest);
        const TPieceMarker marker = k + 1 == lines.size() ? TPieceMarker::LineEnd : TPieceMarker::SentenceEnd;
        if (!piece.empty()) Append(pieces, part, std::move(piece), markers ? marker : TPieceMarker::None);
        break;
      }
      const size_t cut = ChooseCut(rest.substr(0, m));
      Append(pieces, part, Trim(rest.substr(0, cut)), markers ? TPieceMarker::Cut : TPieceMarker::None);
      rest.remove_prefix(cut);
      while (!rest.empty() && IsBlank(rest.front())) rest.remove_prefix(1);
    }
  }
}

void SplitIntoPieces(std::u16string_view text, const TPiece& part, int maxLength, bool syncOutput,
                     TPieceList& pieces) {
  // A chapter is a piece even without a title, which the run then gives it.
  if (part.Kind == TPieceKind::Chapter) {
    Append(pieces, part, std::u16string(text), TPieceMarker::None);
    return;
  }
  if (text.empty()) return;
  if (part.Kind != TPieceKind::Speech) {
    AppendInsert(text, part, syncOutput, pieces);
    return;
  }
  std::vector<std::u16string> lines = SplitLines(text);
  if (!syncOutput) {
    CutToLength(lines, maxLength, part, false, pieces);
    return;
  }
  for (const std::u16string& line : lines) {
    if (!line.empty()) CutToLength(SplitLineIntoSentences(line), maxLength, part, true, pieces);
  }
}

void SplitSubtitleText(std::u16string_view text, const TPiece& part, int maxLength, TPieceList& pieces) {
  if (part.Kind == TPieceKind::Chapter) {
    Append(pieces, part, std::u16string(text), TPieceMarker::None);
    return;
  }
  if (text.empty() || part.Kind != TPieceKind::Speech) return;
  CutToLength(SplitLines(text), maxLength, part, false, pieces);
}

}  // namespace sonacli
