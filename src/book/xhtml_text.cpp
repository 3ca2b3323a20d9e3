#include "book/xhtml_text.h"

#include <algorithm>
#include <array>
#include <optional>

#include "book/book_path.h"
#include "book/note_marks.h"
#include "book/skipping_reader.h"
#include "book/xml_parser.h"

namespace sonacli {
namespace {

constexpr std::array<std::string_view, 37> kInline = {
    "a",   "abbr", "acronym", "b",    "bdi", "bdo",  "big",   "cite",  "code",   "data",
    "del", "dfn",  "em",      "font", "i",   "ins",  "kbd",   "label", "mark",   "nobr",
    "q",   "rb",   "rtc",     "ruby", "s",   "samp", "small", "span",  "strike", "strong",
    "sub", "sup",  "time",    "tt",   "u",   "var",  "wbr"};

constexpr std::array<std::string_view, 21> kSkipped = {
    "head", "title", "script", "style",  "template", "noscript", "svg",
    "math", "audio", "video",  "object", "embed",    "iframe",   "canvas",
    "map",  "rt",    "rp",     "aside",  "select",   "textarea", "datalist"};

// The elements that can hold a part of the book that is left out.
constexpr std::array<std::string_view, 5> kPartElements = {"body", "section", "div", "article", "nav"};

// The kinds of boilerplate, and the roles and guide types that name them otherwise.
constexpr std::array<std::string_view, 12> kLeftOutKinds = {
    "copyright-page", "imprint",  "colophon", "toc", "toc-brief", "index", "loi", "lot", "lov", "loa",
    "landmarks",      "page-list"};
constexpr std::array<std::pair<std::string_view, std::string_view>, 4> kRoleKinds = {
    {{"doc-toc", "toc"},
     {"doc-index", "index"},
     {"doc-colophon", "colophon"},
     {"doc-pagelist", "page-list"}}};

// epub:type tokens of the heading of a part: its title and its number.
constexpr std::array<std::string_view, 5> kHeadingTypes = {"title", "subtitle", "label", "ordinal",
                                                           "fulltitle"};

template <size_t N>
bool IsOneOf(std::string_view name, const std::array<std::string_view, N>& names) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

bool IsNoteElement(std::span<const TXmlAttribute> attributes) {
  return NamesNote(AttributeValue(attributes, "type", kOpsNamespace)) ||
         NamesNote(AttributeValue(attributes, "role")) || NamesNote(AttributeValue(attributes, "class"));
}

bool IsHeadingElement(std::string_view name, std::span<const TXmlAttribute> attributes) {
  if (name.size() == 2 && name[0] == 'h' && name[1] >= '1' && name[1] <= '6') return true;
  if (name == "header" || name == "hgroup") return true;
  for (std::string_view token : Tokens(AttributeValue(attributes, "type", kOpsNamespace))) {
    if (IsOneOf(token, kHeadingTypes)) return true;
  }
  return HasToken(AttributeValue(attributes, "role"), "doc-subtitle");
}

class XhtmlReader : public TSkippingReader {
 public:
  XhtmlReader(const TXhtmlReadOptions& options, TBookText& text, TXhtmlMarks& marks)
      : options_(options), text_(text), marks_(marks), notes_(text) {}

 protected:
  bool Open(std::string_view localName, std::string_view ns,
            std::span<const TXmlAttribute> attributes) override {
    const std::string name = LowerAscii(localName);
    if (ns == kOpsNamespace ? name == "case" : IsOneOf(name, kSkipped) || IsNoteElement(attributes)) {
      inNote_ = IsNoteElement(attributes);
      Skipped(attributes);
      return false;
    }
    Frame frame;
    frame.Block = !IsOneOf(name, kInline) && name != "br";
    if (frame.Block) text_.EndLine();
    const std::string kind = PartKind(name, attributes);
    if (!kind.empty()) StartPart(kind, attributes);
    frame.Part = !kind.empty();
    Anchors(name, attributes);
    OpenElement(name, attributes, frame);
    frames_.push_back(std::move(frame));
    return true;
  }

  void Close() override {
    if (frames_.empty()) return;
    Frame frame = std::move(frames_.back());
    frames_.pop_back();
    CloseElement(frame);
  }

  void Content(std::string_view text) override {
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

  void Skipped(std::span<const TXmlAttribute> attributes) override {
    const std::string_view id = AttributeValue(attributes, "id");
    if (id.empty()) return;
    if (inNote_) marks_.NoteIds.emplace(id);
    if (options_.WantedIds.count(std::string(id)) != 0) marks_.Unread.emplace(id);
  }

  void SkipEnded() override { inNote_ = false; }

 private:
  struct Frame {
    bool Block = false;
    bool Part = false;      // a part left out starts here
    bool Heading = false;   // its lines are a heading's
    bool Recorded = false;  // an h1 or h2, a chapter when there is no navigation
    bool BookLink = false;  // a link into the book
    bool Watched = false;   // a link that may be the mark of a note
    bool Superscript = false;
    bool Pre = false;
    size_t Start = 0;  // a heading's first line
    std::string Href;  // a watched link's
  };

  // The part an element starts, when it is left out: by its id, or by what it says of itself;
  // none inside a part already, nor when all parts are read.
  std::string PartKind(const std::string& name, std::span<const TXmlAttribute> attributes) {
    if (options_.AllParts || part_) return {};
    const auto byId = options_.LeftOutIds.find(std::string(AttributeValue(attributes, "id")));
    if (byId != options_.LeftOutIds.end()) return byId->second;
    if (!IsOneOf(name, kPartElements)) return {};
    const std::string types = std::string(AttributeValue(attributes, "type", kOpsNamespace)) + " " +
                              std::string(AttributeValue(attributes, "role"));
    const std::string kind = LeftOutKind(types);
    return kind.empty() && name == "nav" ? "toc" : kind;
  }

  void StartPart(const std::string& kind, std::span<const TXmlAttribute> attributes) {
    part_ = TXhtmlLeftOut{kind, u"", 0, std::string(AttributeValue(attributes, "id"))};
    partStart_ = text_.Position();
  }

  void FinishPart() {
    for (const std::u16string& line : text_.TakeLinesFrom(partStart_)) part_->Characters += line.size();
    marks_.LeftOut.push_back(std::move(*part_));
    part_.reset();
  }

  void Anchors(const std::string& name, std::span<const TXmlAttribute> attributes) {
    for (std::string_view key :
         {AttributeValue(attributes, "id"), name == "a" ? AttributeValue(attributes, "name") : ""}) {
      if (key.empty()) continue;
      const std::string id(key);
      if (options_.WantedIds.count(id) == 0) continue;
      if (part_) {
        marks_.Unread.insert(id);
      } else {
        marks_.Anchors.try_emplace(id, text_.Position());
      }
    }
  }

  void OpenElement(const std::string& name, std::span<const TXmlAttribute> attributes, Frame& frame) {
    if (name == "br") {
      text_.EndLine();
    } else if (name == "a") {
      const std::string_view href = AttributeValue(attributes, "href");
      if (!href.empty() && !HasScheme(href)) {
        text_.StartLink();
        frame.BookLink = true;
      }
      if (notes_.StartLink(LeadsToFragment(href))) {
        frame.Watched = true;
        frame.Href = href;
      }
    } else if (name == "sup") {
      notes_.StartSuperscript();
      frame.Superscript = true;
    } else if (name == "pre") {
      ++preDepth_;
      frame.Pre = true;
    }
    if (IsHeadingElement(name, attributes)) {
      text_.StartHeading();
      frame.Heading = true;
      frame.Start = text_.Position();
      frame.Recorded = name == "h1" || name == "h2";
    }
  }

  void CloseElement(const Frame& frame) {
    if (frame.Watched) {
      if (const std::optional<size_t> passage = notes_.EndLink())
        marks_.GluedNumbers.push_back({*passage, frame.Href});
    }
    if (frame.Superscript) notes_.EndSuperscript();
    if (frame.BookLink) text_.EndLink();
    if (frame.Pre) --preDepth_;
    if (frame.Block) text_.EndLine();
    if (frame.Heading) {
      text_.EndHeading();
      if (text_.Position() > frame.Start) {
        if (part_ && part_->Title.empty()) part_->Title = text_.TitleFrom(frame.Start);
        if (!part_ && frame.Recorded) marks_.Headings.push_back({text_.TitleFrom(frame.Start), frame.Start});
      }
    }
    if (frame.Part) FinishPart();
  }

  const TXhtmlReadOptions& options_;
  TBookText& text_;
  TXhtmlMarks& marks_;
  TNoteLinks notes_;
  std::vector<Frame> frames_;
  size_t preDepth_ = 0;
  bool inNote_ = false;  // the element skipped is a note
  std::optional<TXhtmlLeftOut> part_;
  size_t partStart_ = 0;
};

}  // namespace

std::string LeftOutKind(std::string_view types) {
  for (std::string_view token : Tokens(types)) {
    std::string kind = LowerAscii(token);
    if (kind.starts_with("other.")) kind.erase(0, 6);
    if (IsOneOf(kind, kLeftOutKinds)) return kind;
    for (const auto& [role, roleKind] : kRoleKinds) {
      if (kind == role) return std::string(roleKind);
    }
  }
  return {};
}

bool ReadXhtmlText(std::string_view xhtml, const TXhtmlReadOptions& options, TBookText& text,
                   TXhtmlMarks& marks, std::string& error) {
  XhtmlReader reader(options, text, marks);
  const bool read = ParseXml(xhtml, reader, error);
  text.EndLine();
  if (text.Full()) {
    error = text.FullMessage();
    return false;
  }
  return read;
}

}  // namespace sonacli
