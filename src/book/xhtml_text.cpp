#include "book/xhtml_text.h"

#include <algorithm>
#include <array>
#include <optional>

#include "book/note_marks.h"
#include "book/xml_parser.h"

namespace sonacli {
namespace {

constexpr std::array<std::string_view, 37> kInline = {
    "a",   "abbr", "acronym", "b",    "bdi", "bdo",  "big",   "cite",  "code",   "data",
    "del", "dfn",  "em",      "font", "i",   "ins",  "kbd",   "label", "mark",   "nobr",
    "q",   "rb",   "rtc",     "ruby", "s",   "samp", "small", "span",  "strike", "strong",
    "sub", "sup",  "time",    "tt",   "u",   "var",  "wbr"};

constexpr std::array<std::string_view, 22> kSkipped = {
    "head",  "title", "script", "style",  "template", "noscript", "svg", "math",
    "audio", "video", "object", "embed",  "iframe",   "canvas",   "map", "rt",
    "rp",    "aside", "nav",    "select", "textarea", "datalist"};

template <size_t N>
bool IsOneOf(std::string_view name, const std::array<std::string_view, N>& names) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

bool IsNoteElement(std::span<const TXmlAttribute> attributes) {
  return NamesNote(AttributeValue(attributes, "type", kOpsNamespace)) ||
         NamesNote(AttributeValue(attributes, "role")) || NamesNote(AttributeValue(attributes, "class"));
}

class XhtmlReader : public TXmlHandler {
 public:
  XhtmlReader(const std::set<std::string>& wantedIds, TBookText& text, TXhtmlMarks& marks)
      : wantedIds_(wantedIds), text_(text), marks_(marks), notes_(text) {}

  void StartElement(std::string_view localName, std::string_view ns,
                    std::span<const TXmlAttribute> attributes) override {
    const std::string name = LowerAscii(localName);
    NoteAnchor(name, attributes);
    if (skipDepth_ > 0 || IsSkipped(name, ns, attributes)) {
      ++skipDepth_;
      return;
    }
    frames_.push_back(Open(name, attributes));
  }

  void EndElement() override {
    if (skipDepth_ > 0) {
      --skipDepth_;
      return;
    }
    if (frames_.empty()) return;
    const Frame frame = frames_.back();
    frames_.pop_back();
    Close(frame);
  }

  void Text(std::string_view text) override {
    if (skipDepth_ > 0) return;
    if (preDepth_ == 0) {
      text_.Add(text);
    } else {
      for (size_t end = text.find('\n'); end != std::string_view::npos; end = text.find('\n')) {
        text_.Add(text.substr(0, end));
        text_.EndLine();
        text.remove_prefix(end + 1);
      }
      text_.Add(text);
    }
    if (text_.Full()) Stop();
  }

 private:
  enum class Kind { Block, Inline, Heading, Pre, Sup, Link };
  struct Frame {
    Kind Type = Kind::Block;
    size_t Start = 0;  // a heading's first line
  };

  bool IsSkipped(const std::string& name, std::string_view ns,
                 std::span<const TXmlAttribute> attributes) const {
    // An EPUB switch offers alternatives; its default is the one read.
    if (ns == kOpsNamespace) return name == "case";
    return IsOneOf(name, kSkipped) || IsNoteElement(attributes);
  }

  void NoteAnchor(const std::string& name, std::span<const TXmlAttribute> attributes) {
    for (std::string_view key :
         {AttributeValue(attributes, "id"), name == "a" ? AttributeValue(attributes, "name") : ""}) {
      if (key.empty()) continue;
      const std::string id(key);
      if (wantedIds_.count(id) != 0) marks_.Anchors.try_emplace(id, text_.Position());
    }
  }

  Frame Open(const std::string& name, std::span<const TXmlAttribute> attributes) {
    if (name == "br") {
      text_.EndLine();
      return {Kind::Inline};
    }
    if (name == "a" && notes_.StartLink(LeadsToFragment(AttributeValue(attributes, "href"))))
      return {Kind::Link};
    if (name == "sup") {
      notes_.StartSuperscript();
      return {Kind::Sup};
    }
    if (IsOneOf(name, kInline)) return {Kind::Inline};
    text_.EndLine();
    if (name == "h1" || name == "h2") return {Kind::Heading, text_.Position()};
    if (name == "pre") {
      ++preDepth_;
      return {Kind::Pre};
    }
    return {Kind::Block};
  }

  void Close(const Frame& frame) {
    switch (frame.Type) {
      case Kind::Inline:
        return;
      case Kind::Sup:
        notes_.EndSuperscript();
        return;
      case Kind::Link:
        notes_.EndLink();
        return;
      case Kind::Pre:
        --preDepth_;
        break;
      case Kind::Heading:
        text_.EndLine();
        if (text_.Position() > frame.Start)
          marks_.Headings.push_back({text_.TitleFrom(frame.Start), frame.Start});
        return;
      case Kind::Block:
        break;
    }
    text_.EndLine();
  }

  const std::set<std::string>& wantedIds_;
  TBookText& text_;
  TXhtmlMarks& marks_;
  std::vector<Frame> frames_;
  size_t skipDepth_ = 0;
  size_t preDepth_ = 0;
  TNoteLinks notes_;
};

}  // namespace

bool ReadXhtmlText(std::string_view xhtml, const std::set<std::string>& wantedIds, TBookText& text,
                   TXhtmlMarks& marks, std::string& error) {
  XhtmlReader reader(wantedIds, text, marks);
  const bool read = ParseXml(xhtml, reader, error);
  text.EndLine();
  if (text.Full()) {
    error = text.FullMessage();
    return false;
  }
  return read;
}

}  // namespace sonacli
