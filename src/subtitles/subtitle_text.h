// Cleaning of subtitle texts: markup tags and override blocks go, language switches stay.
#pragma once

#include <string>
#include <string_view>

namespace sonacli {

// Removes every "<...>"; a "<" without ">" after it removes the rest; a lone ">" stays.
std::u16string StripAngleTags(std::u16string_view text);

// Removes every "{{...}}" block except language switches ("{{lang=...}}" in any case), which the
// text-part layer reads; an unclosed "{{" removes the rest.
std::u16string KeepLangTags(std::u16string_view text);

// Removes the SSA/ASS override blocks: from a single "{" to the next single "}" (a brace is single
// when neither neighbour is the same brace). Doubled braces and what they enclose stay, and so does
// a single "{" that no single "}" follows.
std::u16string StripOverrideBlocks(std::u16string_view text);

// The text of a cue as spoken: angle tags stripped, language switches kept, ends trimmed.
std::u16string CleanCueText(std::u16string_view text);

// The text without the characters U+0000 to U+0020 at its ends (Trim without a copy).
std::u16string_view TrimmedView(std::u16string_view text);
std::u16string_view TrimmedLeftView(std::u16string_view text);

// True when the line holds nothing but characters U+0000 to U+0020.
bool IsBlankLine(std::u16string_view line);

// Replaces every occurrence of the ASCII `pattern`, compared without regard to ASCII case, by `by`.
std::u16string ReplaceCaseless(std::u16string_view text, std::u16string_view pattern, std::u16string_view by);

}  // namespace sonacli
