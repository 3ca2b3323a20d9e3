// Whether a piece gives the speech service anything to pronounce.
#pragma once

#include <string_view>

namespace sonacli {

// True for a text that is empty or holds only punctuation and white space once spaces, tabs, CR
// and LF are removed at its ends. Symbols (currency, mathematical, emoji) count as something to say.
bool IsNothingToSay(std::u16string_view text);

}  // namespace sonacli
