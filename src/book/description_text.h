// A book's description (EPUB dc:description, often HTML escaped into the package) as the plain
// text an audiobook's tags carry.
#pragma once

#include <string>
#include <string_view>

namespace sonacli {

// The description's text without its markup: paragraphs (HTML blocks and line breaks, or, in a
// text without markup, the parts between empty lines) joined by a line break "\n", white space
// inside them collapsed, HTML's entities decoded, scripts and styles left out. Empty when no
// letter or digit is left.
std::u16string DescriptionText(std::string_view text);

}  // namespace sonacli
