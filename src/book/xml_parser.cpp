#include "book/xml_parser.h"

#include <libxml/HTMLparser.h>
#include <libxml/SAX2.h>
#include <libxml/parser.h>
#include <libxml/xmlerror.h>

#include <algorithm>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <exception>
#include <memory>
#include <vector>

namespace sonacli {
namespace {

constexpr int kOptions = XML_PARSE_NONET;

struct FreeContext {
  void operator()(xmlParserCtxtPtr context) const { xmlFreeParserCtxt(context); }
};
struct FreeDocument {
  void operator()(xmlDocPtr document) const { xmlFreeDoc(document); }
};

// One parse: the handler and what the callbacks keep between calls.
struct Parse {
  Parse(TXmlHandler& handler, size_t maxTextBytes) : Handler(handler), MaxTextBytes(maxTextBytes) {}

  TXmlHandler& Handler;
  size_t MaxTextBytes;
  size_t TextBytes = 0;
  std::string FirstError;    // libxml2's first error
  std::string GenericError;  // what libxml2 said outside the parser (a failed conversion)
  std::string OwnError;      // why the parse was stopped here
  std::vector<TXmlAttribute> Attributes;
  std::vector<std::string> DecodedValues;
};

// libxml2 hands every callback its parser context, whose _private field holds the parse.
Parse& ParseOf(void* context) {
  return *static_cast<Parse*>(static_cast<xmlParserCtxtPtr>(context)->_private);
}

std::string_view View(const xmlChar* text) {
  return text != nullptr ? std::string_view(reinterpret_cast<const char*>(text)) : std::string_view();
}

// Runs a handler call; a C++ exception must not cross libxml2's C frames, so it stops the parse.
template <typename Call>
void Guarded(void* context, Call call) {
  Parse& parse = ParseOf(context);
  if (parse.Handler.Stopped() || !parse.OwnError.empty()) return;
  try {
    call(parse);
  } catch (const std::exception& e) {
    parse.OwnError = std::string("the document cannot be read: ") + e.what();
  }
  if (parse.Handler.Stopped() || !parse.OwnError.empty())
    xmlStopParser(static_cast<xmlParserCtxtPtr>(context));
}

void DeliverText(Parse& parse, std::string_view text) {
  parse.TextBytes += text.size();
  if (parse.TextBytes > parse.MaxTextBytes) {
    parse.OwnError = "its entities expand to far more text than it holds (an entity bomb)";
    return;
  }
  parse.Handler.Text(text);
}

void OnText(void* context, const xmlChar* text, int length) {
  Guarded(context, [&](Parse& parse) {
    DeliverText(parse, std::string_view(reinterpret_cast<const char*>(text), static_cast<size_t>(length)));
  });
}

void AppendUtf8(std::string& out, unsigned code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

// Called for every entity reference after the content of a declared entity has come as text (an
// external one is never loaded), and for an undeclared one: that is decoded when HTML has it.
void OnReference(void* context, const xmlChar* name) {
  if (xmlSAX2GetEntity(context, name) != nullptr) return;
  const htmlEntityDesc* entity = htmlEntityLookup(name);
  if (entity == nullptr) return;
  Guarded(context, [&](Parse& parse) {
    std::string text;
    AppendUtf8(text, entity->value);
    DeliverText(parse, text);
  });
}

// Without a DTD, an undeclared entity would be a fatal error; a document whose internal subset
// refers to parameter entities may lack declarations, and there libxml2 only warns and reports
// the reference. That is how XHTML's entities get through without loading its DTD.
void OnStartDocument(void* context) {
  xmlSAX2StartDocument(context);
  static_cast<xmlParserCtxtPtr>(context)->hasPErefs = 1;
}

// libxml2 writes "&" in attribute values as "&#38;" when it does not replace entities.
std::string_view AttributeText(Parse& parse, std::string_view value) {
  if (value.find('&') == std::string_view::npos) return value;
  std::string& decoded = parse.DecodedValues.emplace_back();
  for (size_t i = 0; i < value.size(); ++i) {
    if (value.compare(i, 5, "&#38;") == 0) {
      decoded += '&';
      i += 4;
    } else {
      decoded += value[i];
    }
  }
  return decoded;
}

void OnStartElement(void* context, const xmlChar* name, const xmlChar* /*prefix*/, const xmlChar* uri,
                    int /*namespaceCount*/, const xmlChar** /*namespaces*/, int attributeCount,
                    int /*defaulted*/, const xmlChar** attributes) {
  Guarded(context, [&](Parse& parse) {
    parse.Attributes.clear();
    parse.DecodedValues.clear();
    // Decoded values are held here, so their views must not move while the list fills.
    parse.DecodedValues.reserve(static_cast<size_t>(attributeCount));
    for (int i = 0; i < attributeCount; ++i) {
      const xmlChar* const* attribute = attributes + 5 * i;
      const std::string_view value(reinterpret_cast<const char*>(attribute[3]),
                                   static_cast<size_t>(attribute[4] - attribute[3]));
      parse.Attributes.push_back({View(attribute[0]), View(attribute[2]), AttributeText(parse, value)});
    }
    parse.Handler.StartElement(View(name), View(uri), parse.Attributes);
  });
}

void OnEndElement(void* context, const xmlChar* /*name*/, const xmlChar* /*prefix*/, const xmlChar* /*uri*/) {
  Guarded(context, [](Parse& parse) { parse.Handler.EndElement(); });
}

void OnError(void* context, xmlErrorPtr error) {
  Parse& parse = ParseOf(context);
  if (error == nullptr || error->level < XML_ERR_ERROR || !parse.FirstError.empty()) return;
  std::string message = error->message != nullptr ? error->message : "not well-formed";
  while (!message.empty() && static_cast<unsigned char>(message.back()) <= ' ') message.pop_back();
  parse.FirstError = "line " + std::to_string(std::max(error->line, 1)) + ": " + message;
}

// External entities and DTDs are never loaded, whatever asks for them.
xmlParserInputPtr RefuseEntity(void* /*context*/, const xmlChar* /*publicId*/, const xmlChar* /*systemId*/) {
  return nullptr;
}

xmlSAXHandler Handlers() {
  xmlSAXHandler sax{};
  xmlSAXVersion(&sax, 2);
  sax.startDocument = OnStartDocument;
  sax.startElementNs = OnStartElement;
  sax.endElementNs = OnEndElement;
  sax.startElement = nullptr;
  sax.endElement = nullptr;
  sax.characters = OnText;
  sax.ignorableWhitespace = OnText;
  sax.cdataBlock = OnText;
  sax.reference = OnReference;
  sax.comment = nullptr;
  sax.processingInstruction = nullptr;
  sax.externalSubset = nullptr;
  sax.resolveEntity = RefuseEntity;
  sax.warning = nullptr;
  sax.error = nullptr;
  sax.fatalError = nullptr;
  sax.serror = OnError;
  return sax;
}

// Keeps the first line libxml2 writes in pieces: "encoding error : input conversion failed ...".
void CollectGenericError(void* context, const char* format, ...) {
  std::string& message = static_cast<Parse*>(context)->GenericError;
  if (message.find('\n') != std::string::npos || message.size() > 1000) return;
  char piece[1024];
  va_list arguments;
  va_start(arguments, format);
  vsnprintf(piece, sizeof piece, format, arguments);
  va_end(arguments);
  message += piece;
}

// What the generic error says, without its kind and line end: "input conversion failed ...".
std::string GenericMessage(std::string message) {
  message = message.substr(0, message.find('\n'));
  const size_t colon = message.find(" : ");
  return colon == std::string::npos ? message : message.substr(colon + 3);
}

// Errors that libxml2 raises outside a parser context (a failed character conversion, say) go to
// the thread's generic error function, which prints them; while a parse runs they are collected.
class QuietGenericErrors {
 public:
  explicit QuietGenericErrors(Parse& parse) : function_(xmlGenericError), context_(xmlGenericErrorContext) {
    xmlSetGenericErrorFunc(&parse, CollectGenericError);
  }
  ~QuietGenericErrors() { xmlSetGenericErrorFunc(context_, function_); }
  QuietGenericErrors(const QuietGenericErrors&) = delete;
  QuietGenericErrors& operator=(const QuietGenericErrors&) = delete;

 private:
  xmlGenericErrorFunc function_;
  void* context_;
};

}  // namespace

std::string_view AttributeValue(std::span<const TXmlAttribute> attributes, std::string_view name,
                                std::string_view ns) {
  for (const TXmlAttribute& attribute : attributes) {
    if (attribute.Name == name && (ns.empty() || attribute.Namespace == ns)) return attribute.Value;
  }
  return {};
}

std::vector<std::string_view> Tokens(std::string_view value) {
  constexpr std::string_view kSpace = " \t\r\n\f";
  std::vector<std::string_view> tokens;
  size_t start = value.find_first_not_of(kSpace);
  while (start != std::string_view::npos) {
    const size_t end = std::min(value.find_first_of(kSpace, start), value.size());
    tokens.push_back(value.substr(start, end - start));
    start = value.find_first_not_of(kSpace, end);
  }
  return tokens;
}

bool HasToken(std::string_view value, std::string_view token) {
  const std::vector<std::string_view> tokens = Tokens(value);
  return std::find(tokens.begin(), tokens.end(), token) != tokens.end();
}

bool ParseXml(std::string_view bytes, TXmlHandler& handler, std::string& error) {
  if (bytes.size() > static_cast<size_t>(INT_MAX)) {
    error = "the document is too large";
    return false;
  }
  xmlInitParser();
  Parse parse(handler, bytes.size() * kMaxTextGrowth + kTextGrowthSlack);
  QuietGenericErrors quiet(parse);
  const std::unique_ptr<xmlParserCtxt, FreeContext> context(xmlNewParserCtxt());
  if (context == nullptr) {
    error = "out of memory";
    return false;
  }
  *context->sax = Handlers();
  context->_private = &parse;
  const std::unique_ptr<xmlDoc, FreeDocument> document(xmlCtxtReadMemory(
      context.get(), bytes.data(), static_cast<int>(bytes.size()), nullptr, nullptr, kOptions));
  if (!parse.OwnError.empty()) {
    error = parse.OwnError;
    return false;
  }
  if (handler.Stopped()) return true;
  if (context->wellFormed == 0) {
    error = parse.FirstError.empty() ? "line 1: not well-formed XML" : parse.FirstError;
    // A failed conversion surfaces in the parser as the end of the data: say what it was.
    if (!parse.GenericError.empty())
      error = error.substr(0, error.find(": ") + 2) + GenericMessage(parse.GenericError);
    return false;
  }
  return true;
}

}  // namespace sonacli
