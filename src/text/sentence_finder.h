// Where sentences end: the finder that splits one line into sentences for LRC and SRT output.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace sonacli {

// The trimmed, non-empty sentences of one line (a text without CR and LF), in order. Every
// character of the line that is not a space or a control character appears in exactly one of
// them.
std::vector<std::u16string> SplitLineIntoSentences(std::u16string_view line);

// The 1-based position of the last character of the sentence that begins at `start`, looking at
// positions start..maxEnd only; never less than `start`.
ptrdiff_t FindSentenceEnd(std::u16string_view text, ptrdiff_t start, ptrdiff_t maxEnd);

// Moves the sentence end `end` past the closing markup tags ("</b>") that follow it within a
// bounded window, and past one punctuation mark directly after them.
ptrdiff_t IncludeClosingTags(std::u16string_view text, ptrdiff_t start, ptrdiff_t end);

}  // namespace sonacli
