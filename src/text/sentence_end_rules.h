// The tests that keep a terminator from ending a sentence. Each looks at a terminator at the
// 1-based position i of a text; positions outside the text fail every test.
#pragma once

#include <cstddef>
#include <string_view>

namespace sonacli {

// The text up to i is optional spaces and then digits: a numbered item such as "12.".
bool NumberedItem(std::u16string_view text, ptrdiff_t i);
// The text up to i is optional spaces and then a Roman numeral in one case: "IV.", "iv.".
bool RomanItem(std::u16string_view text, ptrdiff_t i);
// Beyond position 70, the nearest bracket within the 50 characters before i is a "(" that
// follows a space.
bool InParentheses(std::u16string_view text, ptrdiff_t i);
// A digit before i and a German month word shortly after it: "3. März", "1. jan. 2000".
bool GermanDate(std::u16string_view text, ptrdiff_t i);
// A ".", "!" or "?" at most ten positions after the sentence start, with at most two letters or
// digits since the start or the previous terminator ("Hi!", "No.").
bool TooShort(std::u16string_view text, ptrdiff_t i, ptrdiff_t start);
// The nearest bracket between the sentence start and i is a "[" that follows a terminator,
// directly or after one space.
bool BracketOpensSentence(std::u16string_view text, ptrdiff_t i, ptrdiff_t start);

// A terminator at i must not end a sentence: numbered item, Roman numeral, abbreviation,
// parenthesis or German date.
bool IsNotSentenceEnd(std::u16string_view text, ptrdiff_t i);

}  // namespace sonacli
