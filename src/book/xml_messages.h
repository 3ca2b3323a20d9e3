// libxml2's errors in the program's words: one line that names the problem (and the line of the
// document where that helps), never an option of the library that the user cannot set.
#pragma once

#include <string>
#include <string_view>

namespace sonacli {

// The first error libxml2 reported while a document was parsed; Code 0 for none.
struct TXmlError {
  int Code = 0;
  int Line = 0;
  std::string Message;  // as libxml2 wrote it, possibly over several lines
};

inline constexpr std::string_view kEntityBombMessage =
    "its entities expand to far more text than it holds (an entity bomb)";

// The message for a document that is not well-formed: "line 3: Opening and ending tag mismatch:
// p line 2 and body". `generic` is what libxml2 said outside the parser (a failed conversion of
// the declared encoding, which the parser itself only sees as the end of the data).
std::string XmlErrorMessage(const TXmlError& error, std::string_view generic);

}  // namespace sonacli
