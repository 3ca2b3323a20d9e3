// How long a dictionary may make a text.
#pragma once

#include <cstddef>

namespace sonacli {

// Every entry applies to the text as the earlier ones left it, so entries whose replacements hold
// the keys of later ones multiply the text, entry after entry. Dictionaries are applied to one
// piece of a few thousand characters and the service refuses far shorter texts than this, so a
// replacement that would make the text longer than this counts as not matching.
inline constexpr size_t kMaxReplacedTextLength = 65536;

}  // namespace sonacli
