#include "common/char_classes.h"

#include <algorithm>
#include <array>

#include <unicode/uchar.h>

namespace sonacli {

namespace {

constexpr std::array<char16_t, 12> kOtherTerminators = {0x055C, 0x055E, 0x0589, 0x061F, 0x06D4, 0x0964,
                                                        0x1803, 0x3002, 0xFF01, 0xFF0E, 0xFF1F, 0xFF61};
constexpr std::array<char16_t, 6> kOtherCommas = {0x055D, 0x060C, 0x1802, 0x3001, 0xFF0C, 0xFF64};
constexpr std::array<char16_t, 3> kOtherColons = {0x1804, 0xFE30, 0xFF1A};
constexpr std::array<char16_t, 2> kOtherSemicolons = {0x061B, 0xFF1B};

template <size_t N>
bool Contains(const std::array<char16_t, N>& table, char16_t c) {
  return std::find(table.begin(), table.end(), c) != table.end();
}

// The general categories of letters: Lu, Ll, Lt, Lm, Lo.
bool LetterCategory(int8_t category) {
  switch (category) {
    case U_UPPERCASE_LETTER:
    case U_LOWERCASE_LETTER:
    case U_TITLECASE_LETTER:
    case U_MODIFIER_LETTER:
    case U_OTHER_LETTER:
      return true;
    default:
      return false;
  }
}

bool AsciiLetter(char16_t c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

}  // namespace

bool WordLetter(char16_t c) {
  if (c < 0x80) return AsciiLetter(c);
  if (c == 0x200D) return true;
  const int8_t category = u_charType(c);
  return LetterCategory(category) || category == U_NON_SPACING_MARK || category == U_COMBINING_SPACING_MARK;
}

bool DecimalDigit(char16_t c) {
  if (c < 0x80) return c >= u'0' && c <= u'9';
  return u_charType(c) == U_DECIMAL_DIGIT_NUMBER;
}

bool WordChar(char16_t c) {
  return WordLetter(c) || DecimalDigit(c);
}

bool LetterOrDigit(char16_t c) {
  if (c < 0x80) return AsciiLetter(c) || (c >= u'0' && c <= u'9');
  const int8_t category = u_charType(c);
  return LetterCategory(category) || category == U_DECIMAL_DIGIT_NUMBER;
}

bool OtherTerminators(char16_t c) {
  return Contains(kOtherTerminators, c);
}
bool OtherCommas(char16_t c) {
  return Contains(kOtherCommas, c);
}
bool OtherColons(char16_t c) {
  return Contains(kOtherColons, c);
}
bool OtherSemicolons(char16_t c) {
  return Contains(kOtherSemicolons, c);
}

}  // namespace sonacli
