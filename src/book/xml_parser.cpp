#include "book/xml_parser.h"

#include <libxml/HTMLparser.h>
#include <libxml/SAX2.h>
#include <libxml/entities.h>
#include <libxml/parser.h>
#include <libxml/xmlerror.h>
#include <libxml/xmlversion.h>

#include <algorithm>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <exception>
#include <map>
#include <memory>
#include <vector>

#include "book/xml_messages.h"

namespace sonacli {
namespace {

constexpr int kOptions = XML_PARSE_NONET;
constexpr int kHtmlOptions =
    HTML_PARSE_NONET | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NOIMPLIED;

// libxml2 2.12 hands the structured error handler a const error.
#if LIBXML_VERSION >= 21200
using ErrorPointer = const xmlError*;
#else
using ErrorPointer = xmlErrorPtr;
#endif

struct FreeContext {
  void operator()(xmlParserCtxtPtr context) const { xmlFreeParserCtxt(context); }
};
struct FreeHtmlContext {
  void operator()(htmlParserCtxtPtr context) const { htmlFreeParserCtxt(context); }
};
struct FreeDocument {
  void operator()(xmlDocPtr document) const { xmlFreeDoc(document); }
};

// An entity that the document uses without declaring it, as the lookup hook hands it to libxml2:
// one of HTML's decoded, any other as nothing.
struct UndeclaredEntity {
  UndeclaredEntity() = default;
  UndeclaredEntity(const UndeclaredEntity&) = delete;
  UndeclaredEntity& operator=(const UndeclaredEntity&) = delete;
  // libxml2 may hang the raw text of a declaration on an entity it looked up.
  ~UndeclaredEntity() { xmlFree(Entity.orig); }

  std::string Name;
  std::string Text;
  xmlEntity Entity{};
};

// One parse: the handler and what the callbacks keep between calls.
struct Parse {
  Parse(TXmlHandler& handler, size_t maxTextBytes) : Handler(handler), MaxTextBytes(maxTextBytes) {}

  TXmlHandler& Handler;
  size_t MaxTextBytes;
  size_t TextBytes = 0;
  TXmlError FirstError;      // libxml2's first error
  std::string GenericError;  // what libxml2 said outside the parser (a failed conversion)
  std::string OwnError;      // why the parse was stopped here
  std::vector<TXmlAttribute> Attributes;
  std::vector<std::string> DecodedValues;
  // Undeclared entities by name, as handed over in text and in attribute values; libxml2 holds
  // pointers to them until the parse ends.
  std::map<std::string, UndeclaredEntity, std::less<>> InText;
  std::map<std::string, UndeclaredEntity, std::less<>> InAttributes;
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
    parse.OwnError = std::string(kEntityBombMessage);
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

// The character of an HTML entity in UTF-8; empty when HTML has no entity of that name.
std::string HtmlEntityText(const std::string& name) {
  std::string text;
  if (const htmlEntityDesc* entity = htmlEntityLookup(reinterpret_cast<const xmlChar*>(name.c_str())))
    AppendUtf8(text, entity->value);
  return text;
}

UndeclaredEntity& MakeUndeclared(Parse& parse, std::string_view name, xmlEntityType type) {
  auto& entities = type == XML_INTERNAL_PREDEFINED_ENTITY ? parse.InText : parse.InAttributes;
  const auto [found, added] = entities.try_emplace(std::string(name));
  UndeclaredEntity& entity = found->second;
  if (!added) return entity;
  entity.Name = name;
  entity.Text = HtmlEntityText(entity.Name);
  entity.Entity.type = XML_ENTITY_DECL;
  entity.Entity.etype = type;
  entity.Entity.name = reinterpret_cast<const xmlChar*>(entity.Name.c_str());
  entity.Entity.content = reinterpret_cast<xmlChar*>(entity.Text.data());
  entity.Entity.length = static_cast<int>(entity.Text.size());
  return entity;
}

// The entity lookup: declared entities as libxml2 keeps them (an external one is never loaded);
// an undeclared one, which without a DTD would end the parse, stands for its HTML character
// (&nbsp; &mdash; ...) or for nothing, outside the document type's declarations. In text it is
// handed over as a predefined entity, whose
// content libxml2 passes on as characters; in an attribute value, where libxml2 2.9 copies only
// the first byte of a predefined one, as an internal entity, which the value then keeps as its
// reference ("&mdash;") for AttributeText to decode.
xmlEntityPtr OnGetEntity(void* context, const xmlChar* name) {
  if (xmlEntityPtr declared = xmlSAX2GetEntity(context, name)) return declared;
  const auto* parser = static_cast<xmlParserCtxtPtr>(context);
  // In the document type's declarations an entity is what they declare, and nothing else.
  if (parser->inSubset != 0) return nullptr;
  const xmlEntityType type = parser->instate == XML_PARSER_ATTRIBUTE_VALUE ? XML_INTERNAL_GENERAL_ENTITY
                                                                           : XML_INTERNAL_PREDEFINED_ENTITY;
  return &MakeUndeclared(ParseOf(context), View(name), type).Entity;
}

// libxml2 leaves "&" in attribute values as "&#38;", and an undeclared entity as its reference.
std::string_view AttributeText(Parse& parse, std::string_view value) {
  if (value.find('&') == std::string_view::npos) return value;
  std::string& decoded = parse.DecodedValues.emplace_back();
  for (size_t i = 0; i < value.size(); ++i) {
    const size_t end = value[i] == '&' ? value.find(';', i) : std::string_view::npos;
    if (end == std::string_view::npos) {
      decoded += value[i];
      continue;
    }
    const std::string name(value.substr(i + 1, end - i - 1));
    decoded += name == "#38" ? "&" : HtmlEntityText(name);
    i = end;
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

void OnError(void* context, ErrorPointer error) {
  Parse& parse = ParseOf(context);
  if (error == nullptr || error->level < XML_ERR_ERROR || parse.FirstError.Code != 0) return;
  parse.FirstError.Code = error->code != 0 ? error->code : -1;
  parse.FirstError.Line = error->line;
  parse.FirstError.Message = error->message != nullptr ? error->message : "";
}

// External entities and DTDs are never loaded, whatever asks for them.
xmlParserInputPtr RefuseEntity(void* /*context*/, const xmlChar* /*publicId*/, const xmlChar* /*systemId*/) {
  return nullptr;
}

xmlSAXHandler Handlers() {
  xmlSAXHandler sax{};
  xmlSAXVersion(&sax, 2);
  sax.startElementNs = OnStartElement;
  sax.endElementNs = OnEndElement;
  sax.startElement = nullptr;
  sax.endElement = nullptr;
  sax.characters = OnText;
  sax.ignorableWhitespace = OnText;
  sax.cdataBlock = OnText;
  sax.getEntity = OnGetEntity;
  sax.reference = nullptr;
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

// HTML comes through libxml2's first SAX interface: names and attribute pairs, no namespaces.
void OnHtmlStartElement(void* context, const xmlChar* name, const xmlChar** attributes) {
  Guarded(context, [&](Parse& parse) {
    parse.Attributes.clear();
    for (const xmlChar** pair = attributes; pair != nullptr && pair[0] != nullptr; pair += 2)
      parse.Attributes.push_back({View(pair[0]), {}, View(pair[1])});
    parse.Handler.StartElement(View(name), {}, parse.Attributes);
  });
}

void OnHtmlEndElement(void* context, const xmlChar* /*name*/) {
  Guarded(context, [](Parse& parse) { parse.Handler.EndElement(); });
}

xmlSAXHandler HtmlHandlers() {
  xmlSAXHandler sax{};
  xmlSAXVersion(&sax, 1);
  sax.startElement = OnHtmlStartElement;
  sax.endElement = OnHtmlEndElement;
  sax.characters = OnText;
  sax.ignorableWhitespace = OnText;
  sax.cdataBlock = OnText;
  sax.comment = nullptr;
  sax.processingInstruction = nullptr;
  sax.internalSubset = nullptr;
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

bool TooLarge(std::string_view bytes, std::string& error) {
  if (bytes.size() <= static_cast<size_t>(INT_MAX)) return false;
  error = "the document is too large";
  return true;
}

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
  if (TooLarge(bytes, error)) return false;
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
  if (context->wellFormed != 0) return true;
  error = XmlErrorMessage(parse.FirstError, parse.GenericError);
  return false;
}

bool ParseHtml(std::string_view bytes, TXmlHandler& handler, std::string& error) {
  if (TooLarge(bytes, error)) return false;
  xmlInitParser();
  Parse parse(handler, bytes.size() * kMaxTextGrowth + kTextGrowthSlack);
  QuietGenericErrors quiet(parse);
  const std::unique_ptr<htmlParserCtxt, FreeHtmlContext> context(htmlNewParserCtxt());
  if (context == nullptr) {
    error = "out of memory";
    return false;
  }
  *context->sax = HtmlHandlers();
  context->_private = &parse;
  const std::unique_ptr<xmlDoc, FreeDocument> document(htmlCtxtReadMemory(
      context.get(), bytes.data(), static_cast<int>(bytes.size()), nullptr, "UTF-8", kHtmlOptions));
  if (parse.OwnError.empty()) return true;
  error = parse.OwnError;
  return false;
}

}  // namespace sonacli
