// Removal of bracketed text, URLs and comments from the input text, and the trimming of its ends.
// Pure functions on the text; positions are UTF-16 code units.
#pragma once

#include <string>
#include <string_view>
#include <vector>

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

}  // namespace sonacli
