#include "text/sentence_end_rules.h"

#include <array>
#include <string>

#include "common/char_classes.h"
#include "common/unicode_text.h"
#include "text/abbreviations.h"
#include "text/char_at.h"
#include "text/sentence_char_classes.h"

namespace sonacli {

namespace {

struct MonthWord {
  std::u16string_view Word;
  int Reach;  // characters after the full stop in which the word is looked for
};

constexpr std::array<MonthWord, 23> kGermanMonths = {{
    {u" januar ", 11},   {u" februar ", 11},  {u" märz ", 8},    {u" april ", 8},      {u" mai ", 8},
    {u" juni ", 8},      {u" juli ", 8},      {u" august ", 11}, {u" september ", 13}, {u" oktober ", 11},
    {u" november ", 13}, {u" dezember ", 13}, {u" jan. ", 8},    {u" febr. ", 8},      {u" feb. ", 8},
    {u" apr. ", 8},      {u" jun. ", 8},      {u" jul. ", 8},    {u" aug. ", 8},       {u" sept. ", 8},
    {u" okt. ", 8},      {u" nov. ", 8},      {u" dez. ", 8},
}};

struct RomanPair {
  int Value;
  std::u16string_view Spelling;
};

constexpr std::array<RomanPair, 13> kRomanPairs = {{
    {1000, u"M"},
    {900, u"CM"},
    {500, u"D"},
    {400, u"CD"},
    {100, u"C"},
    {90, u"XC"},
    {50, u"L"},
    {40, u"XL"},
    {10, u"X"},
    {9, u"IX"},
    {5, u"V"},
    {4, u"IV"},
    {1, u"I"},
}};

// Value of an upper-case Roman letter; 0 for any other character.
int RomanLetterValue(char16_t c) {
  switch (c) {
    case u'C':
      return 100;
    case u'D':
      return 500;
    case u'I':
      return 1;
    case u'L':
      return 50;
    case u'M':
      return 1000;
    case u'V':
      return 5;
    case u'X':
      return 10;
    default:
      return 0;
  }
}

// Left to right; a letter before a greater one adds the difference and both are passed.
int RomanValue(std::u16string_view upper) {
  int value = 0;
  for (size_t k = 0; k < upper.size(); ++k) {
    int current = RomanLetterValue(upper[k]);
    int next = k + 1 < upper.size() ? RomanLetterValue(upper[k + 1]) : 0;
    if (next > current) {
      value += next - current;
      ++k;
    } else {
      value += current;
    }
  }
  return value;
}

std::u16string CanonicalRoman(int value) {
  std::u16string spelling;
  for (const RomanPair& pair : kRomanPairs) {
    for (; value >= pair.Value; value -= pair.Value) spelling += pair.Spelling;
  }
  return spelling;
}

bool IsRomanNumeral(std::u16string_view upper) {
  return upper.size() >= 10 || CanonicalRoman(RomanValue(upper)) == upper;
}

bool IsSentenceMark(char16_t c) {
  return c == u'.' || c == u'!' || c == u'?';
}

// Position of the first character of the run of spaces that ends at position `last`.
ptrdiff_t SkipSpacesBack(std::u16string_view text, ptrdiff_t last) {
  while (last >= 1 && CharAt(text, last) == u' ') --last;
  return last;
}

}  // namespace

bool NumberedItem(std::u16string_view text, ptrdiff_t i) {
  if (i < 2 || !Digit(CharAt(text, i - 1))) return false;
  ptrdiff_t k = i - 1;
  while (k >= 1 && Digit(CharAt(text, k))) --k;
  return SkipSpacesBack(text, k) == 0;
}

bool RomanItem(std::u16string_view text, ptrdiff_t i) {
  ptrdiff_t k = i - 1;
  bool upper = true;
  bool lower = true;
  while (k >= 1) {
    char16_t c = CharAt(text, k);
    if (RomanLetterValue(c) != 0) {
      lower = false;
    } else if (RomanLetterValue(UpperChar(c)) != 0 && c < 0x80) {
      upper = false;
    } else {
      break;
    }
    --k;
  }
  if (k == i - 1 || (!upper && !lower) || SkipSpacesBack(text, k) != 0) return false;
  std::u16string letters = UpperCase(text.substr(static_cast<size_t>(k), static_cast<size_t>(i - 1 - k)));
  return IsRomanNumeral(letters);
}

bool InParentheses(std::u16string_view text, ptrdiff_t i) {
  if (i <= 70) return false;
  for (ptrdiff_t k = i - 1; k >= i - 50; --k) {
    char16_t c = CharAt(text, k);
    if (c == u')') return false;
    if (c == u'(') return CharAt(text, k - 1) == u' ';
  }
  return false;
}

bool GermanDate(std::u16string_view text, ptrdiff_t i) {
  if (i < 2 || !Digit(CharAt(text, i - 1)) || i + 4 > Length(text)) return false;
  std::u16string after = LowerCase(text.substr(static_cast<size_t>(i), 13));
  for (const MonthWord& month : kGermanMonths) {
    if (std::u16string_view(after).substr(0, static_cast<size_t>(month.Reach)).find(month.Word) !=
        std::u16string_view::npos) {
      return true;
    }
  }
  return false;
}

bool TooShort(std::u16string_view text, ptrdiff_t i, ptrdiff_t start) {
  if (!IsSentenceMark(CharAt(text, i)) || i > start + 10) return false;
  int letters = 0;
  for (ptrdiff_t k = i - 1; k >= start && k >= 1; --k) {
    char16_t c = CharAt(text, k);
    if (IsSentenceMark(c)) break;
    // Combining marks do not count.
    if (LetterOrDigit(c) && ++letters > 2) return false;
  }
  return true;
}

bool BracketOpensSentence(std::u16string_view text, ptrdiff_t i, ptrdiff_t start) {
  for (ptrdiff_t j = i - 1; j >= start && j >= 1; --j) {
    char16_t c = CharAt(text, j);
    if (c == u']') return false;
    if (c == u'[') {
      return (start > 1 && IsSentenceMark(CharAt(text, j - 1))) ||
             (start > 2 && CharAt(text, j - 1) == u' ' && IsSentenceMark(CharAt(text, j - 2)));
    }
  }
  return false;
}

bool IsNotSentenceEnd(std::u16string_view text, ptrdiff_t i) {
  return NumberedItem(text, i) || RomanItem(text, i) || Abbreviation(text, i) || InParentheses(text, i) ||
         GermanDate(text, i);
}

}  // namespace sonacli
