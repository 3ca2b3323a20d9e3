// Replacing the matches of a regular expression: the escape decoding of a replacement, the "$"
// template and the case operators \u, \l, \U, \L, \E.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace sonacli {

class TRegex;
class TRegexMatch;

// Decodes \0 (up to two more octal digits), \o{...}, \a, \cX, \e, \f, \n, \r, \t, \xHH and \x{...};
// \1 to \9 become the group references "$1" to "$9"; a backslash before any other character gives
// that character. Nothing when an escape is malformed (an unclosed or empty brace, a value beyond
// U+10FFFF or a surrogate, \c or a backslash at the end).
std::optional<std::u16string> DecodeReplacementEscapes(std::u16string_view replacement);

// Appends the expansion of a decoded replacement for one match: "$0" to "$9" and "${n}" or "${name}"
// insert a group (nothing when there is no such group), "$&" the match, "$`" and "$'" the text
// before and after it, "$_" the whole subject, "$+" the last group that took part, "$$" a dollar;
// "$" before any other character gives that character.
void ExpandReplacement(std::u16string_view decoded, const TRegexMatch& match, std::u16string& out);

// \u and \l change the next character; \U and \L change the text up to the next \E, or up to the
// next opposite operator, which opens its own range; a range that is never closed changes nothing.
std::u16string ApplyCaseOperators(std::u16string_view text);

// Replaces every non-empty match in text by the expanded replacement. False, with the text left as
// it was, when the replacement has a malformed escape, the match fails (a limit was reached) or
// the replacements would make the text longer than kMaxReplacedTextLength.
bool ReplaceMatches(const TRegex& regex, std::u16string& text, std::u16string_view replacement,
                    bool hasCaseOperators);

}  // namespace sonacli
