#include "book/fb2_reader.h"

#include <algorithm>
#include <array>
#include <set>
#include <unordered_set>
#include <vector>

#include "book/book_chapters.h"
#include "book/book_format.h"
#include "book/book_left_out.h"
#include "book/book_text.h"
#include "book/note_marks.h"
#include "book/skipping_reader.h"
#include "book/xml_parser.h"
#include "book/zip_archive.h"
#include "common/base64.h"
#include "common/unicode_text.h"

namespace sonacli {
namespace {

constexpr std::array<std::string_view, 6> kInline = {"strong",        "emphasis", "style",
                                                     "strikethrough", "sub",      "code"};
// A section of nothing but links into the book, on at least this many lines, is a table of
// contents.
constexpr size_t kMinContentsLines = 2;

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
  std::string Date;
  std::string DateValue;  // the date's value attribute
  std::vector<std::string> Genres;
  std::string Series;
  std::string SeriesPart;
  std::string CoverId;  // the id of the binary the coverpage shows
  std::string CoverBase64;
  std::string CoverType;
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

bool IsInline(std::string_view name) {
  return std::find(kInline.begin(), kInline.end(), name) != kInline.end();
}

class Fb2Reader : public TSkippingReader {
 public:
  Fb2Reader(TBookText& text, Fb2Description& description, bool allParts)
      : text_(text), description_(description), notes_(text), allParts_(allParts) {}

  std::vector<TFoundChapter> Chapters;
  std::vector<TBookLeftOut> LeftOut;
  TBookText Annotation;

  // Takes out the numbers glued to words whose links lead to notes.
  void DropNoteNumbers() {
    std::unordered_set<size_t> marks;
    for (const auto& [passage, id] : glued_) {
      if (noteIds_.count(id) != 0) marks.insert(passage);
    }
    if (!marks.empty()) text_.DropPassages([&](size_t passage) { return marks.count(passage) != 0; });
  }

 protected:
  bool Open(std::string_view name, std::string_view /*ns*/,
            std::span<const TXmlAttribute> attributes) override {
    if (frames_.empty()) {
      description_.Root = name;
      if (name != "FictionBook") Stop();
      frames_.push_back({Kind::Root});
      return true;
    }
    const Kind parent = frames_.back().Type;
    const Frame frame = parent == Kind::Root                           ? TopLevel(name, attributes)
                        : parent == Kind::Body || parent == Kind::Text ? InBody(name, attributes)
                        : parent == Kind::Annotation                   ? InAnnotation(name)
                                                     : InDescription(parent, name, attributes);
    if (frame.Type == Kind::Skip) return false;
    frames_.push_back(frame);
    return true;
  }

  void Close() override {
    if (frames_.empty()) return;
    const Frame frame = frames_.back();
    frames_.pop_back();
    CloseFrame(frame);
  }

  void Content(std::string_view text) override {
    if (frames_.empty()) return;
    switch (frames_.back().Type) {
      case Kind::Field:
        frames_.back().Field->append(text);
        break;
      case Kind::Cover:
        description_.CoverBase64.append(text);
        break;
      case Kind::Annotation:
        Annotation.Add(text);
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

  // The ids inside the bodies of notes and comments are those of notes.
  void Skipped(std::span<const TXmlAttribute> attributes) override {
    if (inNotes_) noteIds_.emplace(AttributeValue(attributes, "id"));
  }
  void SkipEnded() override { inNotes_ = false; }

 private:
  // Text frames hold body text; Field frames a field of the description.
  enum class Kind {
    Root,
    Skip,
    Description,
    TitleInfo,
    PublishInfo,
    Author,
    Coverpage,
    Field,
    Cover,
    Annotation,
    Body,
    Text
  };
  enum class Ending { Nothing, Line, Title, Section, Superscript, Link, AnnotationLine };
  struct Frame {
    Kind Type = Kind::Skip;
    Ending End = Ending::Nothing;
    size_t Start = 0;              // a title's first line, a section's chapter
    bool Chapter = false;          // a section's title
    bool Section = false;          // the frame of a section: titles in it are its chapter's
    std::string* Field = nullptr;  // where a field's text goes
  };
  // A section open: its chapter, where it starts, and whether sections are nested in it.
  struct OpenSection {
    size_t Chapter = 0;
    bool HasSections = false;
  };

  Frame TopLevel(std::string_view name, std::span<const TXmlAttribute> attributes) {
    if (name == "description") return {Kind::Description};
    if (name == "body") {
      const std::string bodyName = LowerAscii(AttributeValue(attributes, "name"));
      if (bodyName == "notes" || bodyName == "comments") {
        inNotes_ = true;
        return {Kind::Skip};
      }
      if (mainBodySeen_) return {Kind::Skip};
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
        if (name == "title-info") return {Kind::TitleInfo};
        return {name == "publish-info" ? Kind::PublishInfo : Kind::Skip};
      case Kind::TitleInfo:
        return InTitleInfo(name, attributes);
      case Kind::PublishInfo:
        if (name == "sequence") SeriesFrom(attributes, true);
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

  Frame InTitleInfo(std::string_view name, std::span<const TXmlAttribute> attributes) {
    if (name == "book-title") return FieldFrame(description_.Title);
    if (name == "lang") return FieldFrame(description_.Language);
    if (name == "genre") return FieldFrame(description_.Genres.emplace_back());
    if (name == "date") {
      description_.DateValue = AttributeValue(attributes, "value");
      return FieldFrame(description_.Date);
    }
    if (name == "sequence") SeriesFrom(attributes, false);
    if (name == "annotation") return {Kind::Annotation, Ending::AnnotationLine};
    if (name == "author") {
      description_.Authors.emplace_back();
      return {Kind::Author};
    }
    if (name == "coverpage") return {Kind::Coverpage};
    return {Kind::Skip};
  }

  // The first sequence with a name; title-info's wins over publish-info's.
  void SeriesFrom(std::span<const TXmlAttribute> attributes, bool publishInfo) {
    const std::string_view name = AttributeValue(attributes, "name");
    if (CollapsedText(name).empty()) return;
    if (!description_.Series.empty() && !(seriesFromPublishInfo_ && !publishInfo)) return;
    description_.Series = name;
    description_.SeriesPart = AttributeValue(attributes, "number");
    seriesFromPublishInfo_ = publishInfo;
  }

  Frame InAnnotation(std::string_view name) {
    if (IsInline(name) || name == "a") return {Kind::Annotation};
    Annotation.EndLine();
    return {Kind::Annotation, Ending::AnnotationLine};
  }

  static Frame FieldFrame(std::string& field) {
    return {Kind::Field, Ending::Nothing, 0, false, false, &field};
  }

  Frame InBody(std::string_view name, std::span<const TXmlAttribute> attributes) {
    if (name == "image") return {Kind::Skip};
    if (name == "a") return Link(attributes);
    if (name == "sup") {
      notes_.StartSuperscript();
      return {Kind::Text, Ending::Superscript};
    }
    if (IsInline(name)) return {Kind::Text};
    text_.EndLine();
    if (name == "title") {
      text_.StartHeading();
      const bool chapter = frames_.back().Section;
      return {Kind::Text, Ending::Title, text_.Position(), chapter};
    }
    if (name == "section") return StartSection();
    return {Kind::Text, Ending::Line};
  }

  Frame Link(std::span<const TXmlAttribute> attributes) {
    if (LowerAscii(AttributeValue(attributes, "type")) == "note") return {Kind::Skip};
    const std::string_view href = Href(attributes);
    const bool intoBook = href.starts_with("#") && href.size() > 1;
    if (intoBook) text_.StartLink();
    Frame frame{Kind::Text};
    if (notes_.StartLink(LeadsToFragment(href))) {
      frame.End = Ending::Link;
      links_.push_back({std::string(href.substr(href.find('#') + 1)), intoBook});
    } else if (intoBook) {
      frame.End = Ending::Link;
      links_.push_back({"", true});
    }
    return frame;
  }

  Frame StartSection() {
    const size_t parent = sections_.empty() ? kNoParent : sections_.back().Chapter;
    if (!sections_.empty()) sections_.back().HasSections = true;
    Chapters.push_back({u"", text_.Position(), parent, true});
    sections_.push_back({Chapters.size() - 1, false});
    Frame frame{Kind::Text, Ending::Section, Chapters.size() - 1};
    frame.Section = true;
    return frame;
  }

  void CloseFrame(const Frame& frame) {
    switch (frame.End) {
      case Ending::Nothing:
        return;
      case Ending::Line:
        text_.EndLine();
        return;
      case Ending::AnnotationLine:
        Annotation.EndLine();
        return;
      case Ending::Title:
        text_.EndLine();
        text_.EndHeading();
        if (frame.Chapter) {
          std::u16string& title = Chapters[sections_.back().Chapter].Title;
          if (title.empty()) title = text_.TitleFrom(frame.Start);
        }
        return;
      case Ending::Section:
        EndSection(frame.Start);
        return;
      case Ending::Superscript:
        notes_.EndSuperscript();
        return;
      case Ending::Link:
        EndLink();
        return;
    }
  }

  void EndLink() {
    const LinkFrame link = std::move(links_.back());
    links_.pop_back();
    if (!link.Id.empty()) {
      if (const std::optional<size_t> passage = notes_.EndLink()) glued_.emplace_back(*passage, link.Id);
    }
    if (link.IntoBook) text_.EndLink();
  }

  // A section ends: a chapter when it holds text; a table of contents (nothing but links into
  // the book, besides its title) is left out.
  void EndSection(size_t chapter) {
    text_.EndLine();
    const OpenSection section = sections_.back();
    sections_.pop_back();
    TFoundChapter& found = Chapters[chapter];
    if (!allParts_ && !section.HasSections && IsContents(found.Line)) {
      size_t characters = 0;
      for (const std::u16string& line : text_.TakeLinesFrom(found.Line)) characters += line.size();
      LeftOut.push_back({found.Title, u"toc", characters});
    }
    found.Placed = found.Line < text_.Position();
  }

  bool IsContents(size_t start) const {
    size_t links = 0;
    for (size_t line = start; line < text_.Position(); ++line) {
      if (text_.IsHeading(line)) continue;
      if (!text_.IsLinkOnly(line)) return false;
      ++links;
    }
    return links >= kMinContentsLines;
  }

  struct LinkFrame {
    std::string Id;  // the note it may lead to, for a watched link
    bool IntoBook = false;
  };

  TBookText& text_;
  Fb2Description& description_;
  TNoteLinks notes_;
  bool allParts_;
  std::vector<Frame> frames_;
  std::vector<OpenSection> sections_;
  std::vector<LinkFrame> links_;
  bool mainBodySeen_ = false;
  bool inNotes_ = false;
  bool seriesFromPublishInfo_ = false;
  std::set<std::string> noteIds_;
  std::vector<std::pair<size_t, std::string>> glued_;
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

TBookDetails Details(const Fb2Description& description, TBookText& annotation) {
  TBookDetails details;
  for (const std::u16string& paragraph : annotation.TakeLines()) {
    if (!details.Description.empty()) details.Description += u'\n';
    details.Description += paragraph;
  }
  details.Date = CollapsedText(description.Date);
  if (details.Date.empty()) details.Date = CollapsedText(description.DateValue);
  for (const std::string& genre : description.Genres) {
    std::u16string subject = CollapsedText(genre);
    if (!subject.empty() &&
        std::find(details.Subjects.begin(), details.Subjects.end(), subject) == details.Subjects.end())
      details.Subjects.push_back(std::move(subject));
  }
  details.Series = CollapsedText(description.Series);
  if (!details.Series.empty()) details.SeriesPart = CollapsedText(description.SeriesPart);
  return details;
}

void FillBook(Fb2Description& description, Fb2Reader& reader, TBookText& text, TBook& book,
              const TBookReadOptions& options) {
  book.Chapters = FinishChapters(
      reader.Chapters, text.Lines(), [&](size_t line) { return text.IsHeading(line); },
      options.BareChapterTitles);
  book.Lines = text.TakeLines();
  book.Title = CollapsedText(description.Title);
  for (const Author& author : description.Authors) {
    std::u16string name = AuthorName(author);
    if (!name.empty()) book.Authors.push_back(std::move(name));
  }
  book.Language = CollapsedText(description.Language);
  book.Details = Details(description, reader.Annotation);
  book.LeftOut = std::move(reader.LeftOut);
  DecodeBase64(description.CoverBase64, book.Cover.Bytes);
  if (!book.Cover.Bytes.empty()) book.Cover.MediaType = description.CoverType;
}

bool Fail(std::u16string& error, std::string_view message) {
  error = MessageLine(message);
  return false;
}

}  // namespace

bool ReadFb2(std::string_view bytes, TBook& book, std::u16string& error, const TBookLimits& limits,
             const TBookReadOptions& options) {
  book = TBook();
  if (bytes.size() > limits.MaxBookBytes)
    return Fail(error, "the book is larger than " + SizeText(limits.MaxBookBytes));
  TBookText text(limits.MaxTextBytes);
  Fb2Description description;
  Fb2Reader reader(text, description, options.AllParts);
  std::string parseError;
  const bool parsed = ParseXml(bytes, reader, parseError);
  if (!description.Root.empty() && description.Root != "FictionBook")
    return Fail(error, "not an FB2 book: its root element is " + description.Root);
  if (!parsed) return Fail(error, parseError);
  if (text.Full()) return Fail(error, text.FullMessage());
  reader.DropNoteNumbers();
  text.EndLine();
  if (text.Lines().empty())
    return Fail(error,
                reader.LeftOut.empty() ? "the book holds no text" : NothingButLeftOutMessage(reader.LeftOut));
  FillBook(description, reader, text, book, options);
  return true;
}

bool ReadFb2Zip(std::string_view bytes, TBook& book, std::u16string& error, const TBookLimits& limits,
                const TBookReadOptions& options) {
  book = TBook();
  if (bytes.size() > limits.MaxBookBytes)
    return Fail(error, "the book is larger than " + SizeText(limits.MaxBookBytes));
  TZipArchive archive(limits);
  std::string message;
  if (!archive.Open(bytes, message)) return Fail(error, message);
  const std::vector<uint64_t> entries = FindFb2Entries(archive);
  if (entries.empty()) return Fail(error, "the ZIP archive holds no FB2 book");
  if (entries.size() > 1)
    return Fail(error, "the ZIP archive holds " + std::to_string(entries.size()) +
                           " FB2 books: unpack it and give each book with -f, or list them with -fl");
  std::string fb2;
  if (!archive.Read(entries.front(), fb2, message)) return Fail(error, message);
  const std::u16string name = MessageLine(archive.Name(entries.front()));
  if (ReadFb2(fb2, book, error, limits, options)) return true;
  error = name + u": " + error;
  return false;
}

}  // namespace sonacli
