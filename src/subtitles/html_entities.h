// Character references of HTML, as WebVTT and SAMI files write "&", "<" and other characters.
#pragma once

#include <string>
#include <string_view>

namespace sonacli {

// Replaces every "&name;" of HTML 4 (in any case for amp, lt, gt, quot, apos and nbsp, which old
// files write in capitals) and every "&#digits;" and "&#xhex;" by its character. A no-break space
// and control characters become a plain space, so that they trim like one. Anything else after "&"
// (an unknown name, a missing ";", a number that is no character) stays as it is.
std::u16string DecodeHtmlEntities(std::u16string_view text);

}  // namespace sonacli
