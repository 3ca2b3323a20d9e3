// The encodings the requests and answers of the speech service use.
#pragma once

#include <string>
#include <string_view>

namespace sonacli {

// Percent-encoding of bytes: "*", "-", ".", "/", "0"-"9", ":", "=", "?", "@", "A"-"Z", "_", "a"-"z"
// are copied; every other byte becomes "%" and two upper-case hexadecimal digits.
std::string UrlEncodeUtf8(std::string_view bytes);

// The text as the inside of a JSON string, pure ASCII: "\b", "\t", "\n", "\f", "\r"; other codes
// below 32 and every code from 128 on as "\u" and four upper-case hex digits (a surrogate pair as
// two escapes); a backslash before the double quote, "/" and the backslash.
std::string JsonEscape(std::u16string_view text);

}  // namespace sonacli
