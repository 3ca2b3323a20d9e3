// The abbreviations whose full stops do not end a sentence.
#pragma once

#include <span>
#include <string_view>

namespace sonacli {

// An entry and the 1-based position of the full stop it protects.
struct TAbbreviation {
  std::u16string_view Text;
  int Position;
};

// Entries that protect their final full stop ("Dr.", "z. B.", "т.е." ...).
std::span<const std::u16string_view> FullAbbreviations();
// Entries that protect a full stop inside them ("z.B." at 2, "i.e.S." at 4 ...).
std::span<const TAbbreviation> InnerAbbreviations();

// The full stop at position i (1-based) of the text belongs to an abbreviation: an entry of
// either list matches the text there exactly (case-sensitive) and begins at the start of the text
// or after a character that is not a letter.
bool Abbreviation(std::u16string_view text, ptrdiff_t i);

}  // namespace sonacli
