#include "text/sentence_char_classes.h"

#include <array>

#include <unicode/uchar.h>

#include "common/char_classes.h"

namespace sonacli {

namespace {

struct BlockRange {
  char16_t First;
  char16_t Last;
};

// Sorted by first code unit.
constexpr std::array<BlockRange, 30> kCaselessBlocks = {{
    {0x0600, 0x06FF}, {0x0750, 0x077F}, {0x08A0, 0x08FF}, {0x0900, 0x097F}, {0x0A80, 0x0AFF},
    {0x1100, 0x11FF}, {0x1200, 0x137F}, {0x1380, 0x139F}, {0x1CD0, 0x1CFF}, {0x2E80, 0x2EFF},
    {0x2F00, 0x2FDF}, {0x3000, 0x303F}, {0x3040, 0x309F}, {0x30A0, 0x30FF}, {0x3130, 0x318F},
    {0x3190, 0x319F}, {0x31C0, 0x31EF}, {0x31F0, 0x31FF}, {0x3200, 0x32FF}, {0x3300, 0x33FF},
    {0x3400, 0x4DBF}, {0x4E00, 0x9FFF}, {0xA8E0, 0xA8FF}, {0xA960, 0xA97F}, {0xAC00, 0xD7AF},
    {0xF900, 0xFAFF}, {0xFB50, 0xFDFF}, {0xFE30, 0xFE4F}, {0xFE70, 0xFEFF}, {0xFF00, 0xFFEF},
}};

bool HasCategory(char16_t c, int8_t category) {
  return WordLetter(c) && !InCaselessBlock(c) && u_charType(c) == category;
}

}  // namespace

bool Digit(char16_t c) {
  return DecimalDigit(c);
}

bool InCaselessBlock(char16_t c) {
  if (c < 0x0600) return false;
  for (const BlockRange& block : kCaselessBlocks) {
    if (c < block.First) return false;
    if (c <= block.Last) return true;
  }
  return false;
}

bool LowerLetter(char16_t c) {
  if (c < 0x80) return c >= u'a' && c <= u'z';
  return HasCategory(c, U_LOWERCASE_LETTER);
}

bool UpperLetter(char16_t c) {
  if (c < 0x80) return c >= u'A' && c <= u'Z';
  return HasCategory(c, U_UPPERCASE_LETTER);
}

bool CjkStops(char16_t c) {
  return c == 0x3002 || c == 0xFF61 || c == 0xFF0E;
}

bool CjkMarks(char16_t c) {
  return c == 0xFF01 || c == 0xFF1F;
}

bool CloseQuotes(char16_t c) {
  return c == 0x0022 || c == 0x0092 || c == 0x0094 || c == 0x00BB;
}

bool Terminators(char16_t c) {
  return c == u'.' || c == u'!' || c == u'?' || c == 0x2026 || OtherTerminators(c);
}

}  // namespace sonacli
