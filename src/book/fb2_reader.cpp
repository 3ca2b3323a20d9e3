#include "book/fb2_reader.h"

#include <algorithm>
#include <array>
#include <vector>

#include "book/book_chapters.h"
#include "book/book_format.h"
#include "book/book_text.h"
#include "book/note_marks.h"
#include "book/xml_parser.h"
#include "book/zip_archive.h"
#include "common/base64.h"
#include "common/unicode_text.h"

namespace sonacli {
namespace {

constexpr std::array<std::string_view, 6> kInline = {"strong",        "emphasis", "style",
                                                     "strikethrough", "sub",      "code"};

struct Author {
  std::string First;
  std::string Middle;
  std::string Last;
  std::string Nickname;
};

// What the reader found besides the text.
struct Fb2Description {
  std::string Title;
  std::vector<Author> Authors;
  std::string Language;
  std::string CoverId;  // the id of the binary the coverpage shows
  std::string CoverBase64;
  std::string CoverType;
  std::vector<TBookChapter> Chapters;
  std::string Root;  // the root element's name
};

// The link of an FB2 element: its href in the XLink namespace, whatever its prefix.
std::string_view Href(std::span<const TXmlAttribute> attributes) {
  for (const TXmlAttribute& attribute : attributes) {
    if (attribute.Name == "href" && (attribute.Namespace == kXlinkNamespace || attribute.Namespace.empty()))
      return attribute.Value;
  }
  return {};
}

class Fb2Reader : public TXmlHandler {
 public:
  Fb2Reader(TBookText& text, Fb2Description& description)
      : text_(text), description_(description), notes_(text) {}

  void StartElement(std::string_view name, std::string_view /*ns*/,
                    std::span<const TXmlAttribute> attributes) override {
    if (skipDepth_ > 0) {
      ++skipDepth_;
      return;
    }
    if (frames_.empty()) {
      description_.Root = name;
      if (name != "FictionBook") Stop();
      frames_.push_back({Kind::Root});
      return;
    }
    const Kind parent = frames_.back().Type;
    const Frame frame = parent == Kind::Root ? TopLevel(name, attributes)
                        : parent == Kind::Body || parent == Kind::Text
                            ? InBody(name, attributes)
                            : InDescription(parent, name, attributes);
    if (frame.Type == Kind::Skip) {
      skipDepth_ = 1;
      return;
    }
    frames_.push_back(frame);
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
    if (skipDepth_ > 0 || frames_.empty()) return;
    switch (frames_.back().Type) {
      case Kind::Field:
        frames_.back().Field->append(text);
        break;
      case Kind::Cover:
        description_.CoverBase64.append(text);
        break;
      case Kind::Body:
      case Kind::Text:
        text_.Add(text);
        if (text_.Full()) Stop();
        break;
      default:
        break;
    }
  }

 private:
  // Text frames hold body text; Field frames a field of the description.
  enum class Kind { Root, Skip, Description, TitleInfo, Author, Coverpage, Field, Cover, Body, Text };
  enum class Ending { Nothing, Line, Title, Superscript, Link };
  struct Frame {
    Kind Type = Kind::Skip;
    Ending End = Ending::Nothing;
    size_t Start = 0;      // a title's first line
    bool Chapter = false;  // a section's title
    bool Section = false;
    std::string* Field = nullptr;  // where a field's text goes
  };

  Frame TopLevel(std::string_view name, std::span<const TXmlAttribute> attributes) {
    if (name == "description") return {Kind::Description};
    if (name == "body") {
      const std::string bodyName = LowerAscii(AttributeValue(attributes, "name"));
      if (mainBodySeen_ || bodyName == "notes" || bodyName == "comments") return {Kind::Skip};
      mainBodySeen_ = true;
      text_.EndLine();
      return {Kind::Body, Ending::Line};
    }
    if (name == "binary" && !description_.CoverId.empty() &&
        AttributeValue(attributes, "id") == description_.CoverId && description_.CoverBase64.empty()) {
      description_.CoverType = AttributeValue(attributes, "content-type");
      return {Kind::Cover};
    }
    return {Kind::Skip};
  }

  Frame InDescription(Kind parent, std::string_view name, std::span<const TXmlAttribute> attributes) {
    switch (parent) {
      case Kind::Description:
        return {name == "title-info" ? Kind::TitleInfo : Kind::Skip};
      case Kind::TitleInfo:
        if (name == "book-title") return FieldFrame(description_.Title);
        if (name == "lang") return FieldFrame(description_.Language);
        if (name == "author") {
          description_.Authors.emplace_back();
          return {Kind::Author};
        }
        if (name == "coverpage") return {Kind::Coverpage};
        return {Kind::Skip};
      case Kind::Author: {
        Author& author = description_.Authors.back();
        if (name == "first-name") return FieldFrame(author.First);
        if (name == "middle-name") return FieldFrame(author.Middle);
        if (name == "last-name") return FieldFrame(author.Last);
        if (name == "nickname") return FieldFrame(author.Nickname);
        return {Kind::Skip};
      }
      case Kind::Coverpage:
        if (name == "image" && description_.CoverId.empty()) {
          const std::string_view href = Href(attributes);
          description_.CoverId = href.starts_with("#") ? href.substr(1) : href;
        }
        return {Kind::Skip};
      case Kind::Field:
        // Markup inside a field (rare) keeps its text in the field.
        return frames_.back();
      default:
        return {Kind::Skip};
    }
  }

  static Frame FieldFrame(std::string& field) {
    return {Kind::Field, Ending::Nothing, 0, false, false, &field};
  }

  Frame InBody(std::string_view name, std::span<const TXmlAttribute> attributes) {
    if (name == "image") return {Kind::Skip};
    if (name == "a") {
      if (LowerAscii(AttributeValue(attributes, "type")) == "note") return {Kind::Skip};
      if (notes_.StartLink(LeadsToFragment(Href(attributes)))) return {Kind::Text, Ending::Link};
      return {Kind::Text};
    }
    if (name == "sup") {
      notes_.StartSuperscript();
      return {Kind::Text, Ending::Superscript};
    }
    if (std::find(kInline.begin(), kInline.end(), name) != kInline.end()) return {Kind::Text};
    text_.EndLine();
    if (name == "title") {
      const bool chapter = frames_.back().Section;
      return {Kind::Text, Ending::Title, text_.Position(), chapter};
    }
    Frame frame{Kind::Text, Ending::Line};
    frame.Section = name == "section";
    return frame;
  }

  void Close(const Frame& frame) {
    switch (frame.End) {
      case Ending::Nothing:
        return;
      case Ending::Line:
        text_.EndLine();
        return;
      case Ending::Title:
        text_.EndLine();
        if (frame.Chapter) description_.Chapters.push_back({text_.TitleFrom(frame.Start), frame.Start});
        return;
      case Ending::Superscript:
        notes_.EndSuperscript();
        return;
      case Ending::Link:
        notes_.EndLink();
        return;
    }
  }

  TBookText& text_;
  Fb2Description& description_;
  TNoteLinks notes_;
  std::vector<Frame> frames_;
  size_t skipDepth_ = 0;
  bool mainBodySeen_ = false;
};

std::u16string AuthorName(const Author& author) {
  std::u16string name;
  for (const std::string* part : {&author.First, &author.Middle, &author.Last}) {
    const std::u16string text = CollapsedText(*part);
    if (text.empty()) continue;
    if (!name.empty()) name += u' ';
    name += text;
  }
  return name.empty() ? CollapsedText(author.Nickname) : name;
}

void FillBook(Fb2Description& description, std::vector<std::u16string> lines, TBook& book) {
  book.Chapters = FinishChapters(std::move(description.Chapters), lines);
  book.Lines = std::move(lines);
  book.Title = CollapsedText(description.Title);
  for (const Author& author : description.Authors) {
    std::u16string name = AuthorName(author);
    if (!name.empty()) book.Authors.push_back(std::move(name));
  }
  book.Language = CollapsedText(description.Language);
  DecodeBase64(description.CoverBase64, book.Cover.Bytes);
  if (!book.Cover.Bytes.empty()) book.Cover.MediaType = description.CoverType;
}

bool Fail(std::u16string& error, std::string_view message) {
  error = ToUtf16(message);
  return false;
}

}  // namespace

bool ReadFb2(std::string_view bytes, TBook& book, std::u16string& error, const TBookLimits& limits) {
  book = TBook();
  if (bytes.size() > limits.MaxBookBytes)
    return Fail(error, "the book is larger than " + SizeText(limits.MaxBookBytes));
  TBookText text(limits.MaxTextBytes);
  Fb2Description description;
  Fb2Reader reader(text, description);
  std::string parseError;
  const bool parsed = ParseXml(bytes, reader, parseError);
  if (!description.Root.empty() && description.Root != "FictionBook")
    return Fail(error, "not an FB2 book: its root element is " + description.Root);
  if (!parsed) return Fail(error, parseError);
  if (text.Full()) return Fail(error, text.FullMessage());
  std::vector<std::u16string> lines = text.TakeLines();
  if (lines.empty()) return Fail(error, "the book holds no text");
  FillBook(description, std::move(lines), book);
  return true;
}

bool ReadFb2Zip(std::string_view bytes, TBook& book, std::u16string& error, const TBookLimits& limits) {
  book = TBook();
  if (bytes.size() > limits.MaxBookBytes)
    return Fail(error, "the book is larger than " + SizeText(limits.MaxBookBytes));
  TZipArchive archive(limits);
  std::string message;
  if (!archive.Open(bytes, message)) return Fail(error, message);
  const std::optional<uint64_t> entry = FindFb2Entry(archive);
  if (!entry) return Fail(error, "the ZIP archive holds no FB2 book");
  std::string fb2;
  if (!archive.Read(*entry, fb2, message)) return Fail(error, message);
  const std::u16string name = ToUtf16(archive.Name(*entry));
  if (ReadFb2(fb2, book, error, limits)) return true;
  error = name + u": " + error;
  return false;
}

}  // namespace sonacli
