// Removal of bracketed text, URLs and comments from the input text, and the trimming of its ends.
// Pure functions on the text; positions are UTF-16 code units.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "input/input_text.h"

namespace sonacli {

// Which filters run; each maps to one of the -isb, -icb, -iab, -irb, -iu and -ic options.
struct TFilterFlags {
  bool SquareBrackets = false;
  bool CurlyBrackets = false;
  bool AngleBrackets = false;
  bool RoundBrackets = false;
  bool Urls = false;
  bool Comments = false;
};

// Removes text from each opening character to the first closing one after it, together with
// a run of closing characters. Nesting is not tracked. A space before the bracket goes with it
// when punctuation, a space or a line end follows; a bracket text that fills a whole line takes
// its CR LF along. An unmatched opening character ends the filter.
void RemoveBracketed(std::u16string& text, char16_t open, char16_t close);
// Removes every URL that begins with the prefix (case-sensitive) up to the next white space or
// double quote, keeping a final ".", "," or ";"; brackets that enclose the whole URL go with it.
void RemoveUrls(std::u16string& text, std::u16string_view prefix);
// Removes "/* ... */" blocks; an unclosed block stays.
void RemoveBlockComments(std::u16string& text);
// Removes "//" up to the end of its line, except the "//" of a URL scheme such as "http://".
void RemoveLineComments(std::u16string& text);

// Applies the enabled filters to the lines (joined, each ended by CR LF), strips CR, LF and TAB
// from both ends of the whole text and splits it into lines again.
std::vector<std::u16string> FilterInputText(const std::vector<std::u16string>& lines,
                                            const TFilterFlags& flags);
// One line as FilterInputText filters a text of that line alone; empty when nothing is left.
std::u16string FilterLine(std::u16string line, const TFilterFlags& flags);
// The same over an input text: the user's text, each stretch of it between books as one text
// (FilterInputText); a book line by line (FilterLine), so that no bracket reaches past the end of a
// block and every line keeps its chapter. A line that the filters leave empty is dropped, and a
// chapter whose first line is dropped starts at its next one (TInputTextBuilder).
TInputText FilterInputText(TInputText text, const TFilterFlags& flags);

}  // namespace sonacli
