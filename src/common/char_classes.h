// Character classes on single UTF-16 code units, by Unicode general category.
#pragma once

namespace sonacli {

// Letters (Lu, Ll, Lt, Lm, Lo), combining marks (Mn, Mc) and the zero-width joiner U+200D.
bool WordLetter(char16_t c);
// A WordLetter or a decimal digit (Nd).
bool WordChar(char16_t c);
// A decimal digit (Nd).
bool DecimalDigit(char16_t c);
// A letter (Lu, Ll, Lt, Lm, Lo) or a decimal digit (Nd); unlike WordChar, without the combining
// marks and the zero-width joiner.
bool LetterOrDigit(char16_t c);
// Sentence terminators of other scripts (Armenian, Arabic, Devanagari, Mongolian, CJK ...).
bool OtherTerminators(char16_t c);
bool OtherCommas(char16_t c);
bool OtherColons(char16_t c);
bool OtherSemicolons(char16_t c);

}  // namespace sonacli
