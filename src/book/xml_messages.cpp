#include "book/xml_messages.h"

#include <libxml/xmlerror.h>

#include <algorithm>
#include <cctype>

namespace sonacli {
namespace {

// Every run of white space as one space, none at the ends.
std::string OneLine(std::string_view text) {
  std::string line;
  bool space = false;
  for (const char c : text) {
    if (static_cast<unsigned char>(c) <= ' ') {
      space = !line.empty();
      continue;
    }
    if (space) line += ' ';
    space = false;
    line += c;
  }
  return line;
}

// The text after `marker` in the message, up to its end; empty when the marker is not there.
std::string After(const std::string& message, std::string_view marker) {
  const size_t at = message.find(marker);
  return at == std::string::npos ? std::string() : OneLine(message.substr(at + marker.size()));
}

// libxml2 starts some messages with the name of its function: "xmlParseCharRef: ...".
std::string WithoutFunctionName(const std::string& message) {
  if (!message.starts_with("xml")) return message;
  const size_t colon = message.find(": ");
  const bool function = colon != std::string::npos &&
                        std::all_of(message.begin(), message.begin() + static_cast<ptrdiff_t>(colon),
                                    [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; });
  return function ? message.substr(colon + 2) : message;
}

std::string AtLine(int line, const std::string& message) {
  return "line " + std::to_string(std::max(line, 1)) + ": " + message;
}

// libxml2 words a few errors in its own terms or names its options; these are said otherwise.
std::string Reworded(const TXmlError& error, const std::string& message) {
  if (error.Code == XML_ERR_UNSUPPORTED_ENCODING) {
    const std::string name = After(message, "Unsupported encoding ");
    if (!name.empty()) return "its declared encoding \"" + name + "\" is not known";
  }
  if (message.starts_with("Document labelled ")) {
    const std::string label = message.substr(18, message.find(' ', 18) - 18);
    return "it declares the encoding " + label + ", but its bytes are not in it";
  }
  if (message.starts_with("Input is not proper UTF-8")) {
    const std::string bytes = After(message, "Bytes: ");
    return AtLine(error.Line, "the text is not UTF-8 and declares no other encoding" +
                                  (bytes.empty() ? std::string() : " (bytes " + bytes + ")"));
  }
  if (error.Code == XML_ERR_ENTITY_LOOP) return std::string(kEntityBombMessage);
  if (error.Code == XML_ERR_INVALID_CHAR) {
    // "PCDATA invalid Char value 1", "xmlParseCharRef: invalid xmlChar value 55296"
    const std::string value = After(message, "Char value ");
    return AtLine(error.Line, "the text holds a character that XML does not allow" +
                                  (value.empty() ? std::string() : " (code " + value + ")"));
  }
  if (error.Code == XML_ERR_DOCUMENT_EMPTY && message == "Document is empty") return "the document is empty";
  const std::string depth = After(message, "Excessive depth in document: ");
  if (!depth.empty())
    return AtLine(error.Line,
                  "its elements are nested more than " + depth.substr(0, depth.find(' ')) + " deep");
  if (message.starts_with("Huge input lookup"))
    return AtLine(error.Line, "a part of the document is too large to read");
  // Any other message that names the option that lifts a limit: the limit is said, not the option.
  const size_t option = message.find("use XML_PARSE_HUGE");
  if (option != std::string::npos) {
    std::string cut = message.substr(0, option);
    while (!cut.empty() && (cut.back() == ' ' || cut.back() == ',' || cut.back() == ':')) cut.pop_back();
    return AtLine(error.Line, cut);
  }
  return AtLine(error.Line, WithoutFunctionName(message));
}

}  // namespace

std::string XmlErrorMessage(const TXmlError& error, std::string_view generic) {
  // "encoding error : input conversion failed due to input error, bytes 0x98 0x3C 0x2F 0x61"
  const std::string conversion = OneLine(generic.substr(0, generic.find('\n')));
  if (!conversion.empty()) {
    const size_t bytes = conversion.find("bytes ");
    return AtLine(error.Line,
                  "the text holds bytes that its declared encoding does not have" +
                      (bytes == std::string::npos ? std::string() : " (" + conversion.substr(bytes) + ")"));
  }
  if (error.Code == 0) return "line 1: not well-formed XML";
  const std::string message = OneLine(error.Message);
  return Reworded(error, message.empty() ? "not well-formed XML" : message);
}

}  // namespace sonacli
