// The seam over libxml2: an XML document read as a stream of elements and text, safely. Nothing is
// fetched from the network or from files (no external entity, no external DTD), entities declared
// in the document are expanded but may not swell its text beyond kMaxTextGrowth times its size,
// and libxml2's own size limits stay in force. Entities of HTML (&nbsp; &mdash; ...) that the
// document uses without declaring them are decoded, in text and in attribute values; any other
// undeclared entity stands for nothing. Nothing is printed: the first error comes back as one
// line in the program's words (xml_messages.h).
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace sonacli {

inline constexpr std::string_view kOpsNamespace = "http://www.idpf.org/2007/ops";
inline constexpr std::string_view kXlinkNamespace = "http://www.w3.org/1999/xlink";

// A document's text may be this many times its size, plus kTextGrowthSlack bytes, once entities
// are expanded: UTF-8 text takes at most three times the bytes of any encoding a document is in,
// and more than that comes only from an entity bomb.
inline constexpr size_t kMaxTextGrowth = 4;
inline constexpr size_t kTextGrowthSlack = size_t{1} << 20;

// An attribute as handlers see it, all in UTF-8: its local name, namespace (empty for none) and
// value.
struct TXmlAttribute {
  std::string_view Name;
  std::string_view Namespace;
  std::string_view Value;
};

// The value of the attribute of that local name (in that namespace, when one is given); empty
// when there is none.
std::string_view AttributeValue(std::span<const TXmlAttribute> attributes, std::string_view name,
                                std::string_view ns = {});

// The tokens of an attribute value that holds a list of them, separated by white space.
std::vector<std::string_view> Tokens(std::string_view value);
// The list holds the token, spelled exactly.
bool HasToken(std::string_view value, std::string_view token);

// Receives a document's elements and text in document order.
class TXmlHandler {
 public:
  virtual ~TXmlHandler() = default;
  virtual void StartElement(std::string_view name, std::string_view ns,
                            std::span<const TXmlAttribute> attributes) = 0;
  virtual void EndElement() = 0;
  // Character data in UTF-8, CDATA sections and references decoded; one run may come in parts.
  virtual void Text(std::string_view text) = 0;

  // A handler that has what it needs (or that refuses to go on) stops the parser.
  void Stop() { stopped_ = true; }
  bool Stopped() const { return stopped_; }

 private:
  bool stopped_ = false;
};

// Parses the bytes as XML, in the encoding they declare. True when the document is well-formed
// or the handler stopped it; otherwise false with the first error: "line 3: Opening and ending
// tag mismatch: p line 2 and body".
bool ParseXml(std::string_view bytes, TXmlHandler& handler, std::string& error);

// Parses UTF-8 bytes as HTML as a browser would take them (tag soup: unclosed and stray tags,
// HTML's entities), for the markup that books carry inside their metadata. Elements come without
// namespace; nothing is an error but a handler's own failure.
bool ParseHtml(std::string_view bytes, TXmlHandler& handler, std::string& error);

}  // namespace sonacli
