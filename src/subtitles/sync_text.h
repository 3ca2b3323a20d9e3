// The text of LRC lines and SRT entries: cleaning a piece's text and wrapping it into lines.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace sonacli {

// One line of text: CR becomes a space, LF is dropped, the ends are trimmed (U+0000..U+0020),
// "<...>" tags are removed (an unclosed "<" and what follows it stay) and runs of spaces shrink to
// one. The ends are not trimmed again after the tags are gone.
std::u16string CleanSyncText(std::u16string_view text);

// Cuts the text into lines of about `size` UTF-16 code units, preferably after a space or a
// script's punctuation, after ",;:-" or a spaced dash within the last 50 characters, and never just
// after an opening bracket. The lines keep every character (their break character at the end, no
// trimming), so they join back into the text. A line can be longer than `size` when no break is
// found. `size` below 1 counts as 1.
std::vector<std::u16string> WrapSyncText(std::u16string_view text, int32_t size);

}  // namespace sonacli
