// Properties that hold for every text the cutter is given, checked over generated texts.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>
#include <string>

#include "common/unicode_text.h"
#include "text/piece_lists.h"

namespace sonacli {
namespace {

// Fragments of book-like text in several scripts, with the marks and tags that steer the cutter.
const std::array<const char*, 72> kFragments = {
    "alpha", "Beta",    "gamma",    "Dr.",      "z. B.",    "u. a.", "e.g.", "12.", "IV.",    "iv.",     "A.",
    "Mr.",   "3. März", "Привет",   "мир",      "т. е.",    "г.",    "ул.",  "Он",  "сказал", "«Стоп.»", ".",
    "!",     "?",       "…",        ",",        ";",        ":",     " - ",  " — ", "\"",     "(",       ")",
    "[",     "]",       "?!",       "我们",     "走吧",     "。",    "、",   "！",  "？",     "，",      "：",
    "مرحبا", "؟",       "،",        "۔",        "؛",        "😀",     "𠀀",   " ",   "  ",     "\u00A0",  "\t",
    "\r\n",  "\n",      "\r",       "{{audio=", "{{pause=", "}}",    "{{",   "<b>", "</b>",   "</i>",    "<",
    "123",   "3.14",    "http://x", "Hi!",      " - he",    "x",
};
const std::array<const char*, 4> kRuns = {"x", "ж", "字", "😀"};
const std::array<int, 9> kMaxLengths = {2, 5, 17, 30, 50, 246, 350, 400, 4000};

std::u16string GenerateText(std::mt19937& random) {
  std::string text;
  const unsigned fragments = 1 + random() % 200;
  for (unsigned k = 0; k < fragments; ++k) {
    if (random() % 60 == 0) {  // a long run without spaces
      const char* run = kRuns[random() % kRuns.size()];
      for (unsigned n = 200 + random() % 1000; n > 0; --n) text += run;
    } else {
      text += kFragments[random() % kFragments.size()];
    }
    if (random() % 2 == 0) text += ' ';
  }
  return ToUtf16(text);
}

// The code units that cutting must keep: everything above U+0020.
std::u16string Visible(std::u16string_view text) {
  std::u16string out;
  std::copy_if(text.begin(), text.end(), std::back_inserter(out), [](char16_t c) { return c > u' '; });
  return out;
}

size_t LinesWithText(std::u16string_view text) {
  size_t count = 0;
  for (const std::u16string& line : SplitIntoLines(text)) count += !Visible(line).empty();
  return count;
}

void CheckPieces(const std::u16string& text, int maxLength, bool sync, const TPieceList& pieces) {
  std::u16string joined;
  size_t lineEnds = 0;
  for (const TPiece& each : pieces) {
    const std::u16string& piece = each.Text;
    ASSERT_EQ(each.Marker == TPieceMarker::None, !sync) << "a marker exactly with sync output";
    lineEnds += each.Marker == TPieceMarker::LineEnd;
    ASSERT_FALSE(piece.empty());
    ASSERT_LE(piece.size(), static_cast<size_t>(maxLength));
    ASSERT_GT(piece.front(), u' ');
    ASSERT_GT(piece.back(), u' ');
    const bool endsInLeadSurrogate = piece.back() >= 0xD800 && piece.back() <= 0xDBFF;
    ASSERT_FALSE(endsInLeadSurrogate) << "split surrogate pair";
    joined += piece;
  }
  ASSERT_EQ(Visible(joined), Visible(text)) << "characters lost or repeated";
  if (sync) {
    ASSERT_EQ(lineEnds, LinesWithText(text));
  }
}

TEST(PieceInvariants, GeneratedTextsKeepEveryCharacterWithinTheLimit) {
  std::mt19937 random(20240917);
  TPiece part;
  part.Language = u"ru-RU";
  part.Voice = u"alena";
  part.Emotion = u"neutral";
  for (int round = 0; round < 1000; ++round) {
    const std::u16string text = GenerateText(random);
    const int maxLength = kMaxLengths[random() % kMaxLengths.size()];
    for (bool sync : {false, true}) {
      TPieceList pieces;
      SplitIntoPieces(text, part, maxLength, sync, pieces);
      CheckPieces(text, maxLength, sync, pieces);
      if (HasFatalFailure()) {
        FAIL() << "round " << round << ", max " << maxLength << ", sync " << sync << ": " << ToUtf8(text);
      }
    }
  }
}

}  // namespace
}  // namespace sonacli
