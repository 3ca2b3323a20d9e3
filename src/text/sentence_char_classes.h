// Character classes of the sentence boundary rules, on single UTF-16 code units.
#pragma once

namespace sonacli {

// A decimal digit (Nd).
bool Digit(char16_t c);
// A lower-case (Ll) or upper-case (Lu) letter outside the caseless blocks: scripts without
// letter case and the CJK forms (full-width Latin letters included) count as neither.
bool LowerLetter(char16_t c);
bool UpperLetter(char16_t c);
// The code unit lies in a block of a script without letter case (Arabic, Ethiopic, Devanagari,
// Gujarati, Hangul, CJK, Halfwidth and Fullwidth Forms ...).
bool InCaselessBlock(char16_t c);

// Ideographic and halfwidth full stops, the full-width full stop.
bool CjkStops(char16_t c);
// Full-width "!" and "?".
bool CjkMarks(char16_t c);
// Quotation marks that may follow a terminator and still belong to the sentence.
bool CloseQuotes(char16_t c);
// ".", "!", "?", the ellipsis and the terminators of other scripts.
bool Terminators(char16_t c);

}  // namespace sonacli
