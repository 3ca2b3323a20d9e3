#include "book/epub_reader.h"

#include <map>
#include <optional>
#include <set>
#include <unordered_set>
#include <vector>

#include "book/book_chapters.h"
#include "book/book_left_out.h"
#include "book/book_path.h"
#include "book/book_text.h"
#include "book/epub_navigation.h"
#include "book/epub_package.h"
#include "book/xhtml_text.h"
#include "book/xml_parser.h"
#include "book/zip_archive.h"
#include "common/unicode_text.h"

namespace sonacli {
namespace {

constexpr std::string_view kContainerPath = "META-INF/container.xml";
constexpr std::string_view kEncryptionPath = "META-INF/encryption.xml";
constexpr std::string_view kRightsPath = "META-INF/rights.xml";
constexpr std::string_view kEncrypted = "encrypted books cannot be read";
constexpr std::string_view kNcxMediaType = "application/x-dtbncx+xml";
// A document of nothing but links into the book, on at least this many lines, is a table of
// contents.
constexpr size_t kMinContentsLines = 2;

bool IsTextDocument(std::string_view mediaType) {
  return mediaType.empty() || mediaType == "application/xhtml+xml" || mediaType == "text/html" ||
         mediaType == "text/x-oeb1-document";
}

bool EndsWithOpf(const std::string& name) {
  return name.size() > 4 && name.compare(name.size() - 4, 4, ".opf") == 0;
}

// The paths META-INF/encryption.xml lists as encrypted.
class EncryptionReader : public TXmlHandler {
 public:
  void StartElement(std::string_view name, std::string_view /*ns*/,
                    std::span<const TXmlAttribute> attributes) override {
    if (name != "CipherReference") return;
    if (std::optional<TBookLink> link = ResolveLink("", AttributeValue(attributes, "URI")))
      Paths.insert(link->Path);
  }
  void EndElement() override {}
  void Text(std::string_view /*text*/) override {}

  std::set<std::string> Paths;
};

// An entry of the navigation where its link leads: the archive's entry and the fragment there.
struct Target {
  std::u16string Title;
  size_t Parent = kNoParent;
  std::optional<uint64_t> Entry;  // none for a heading without a link, or a link out of the book
  std::string Fragment;
};

// Where a document's text went: its lines [Start, End), and the fragments asked for.
struct Placed {
  size_t Start = 0;
  size_t End = 0;
  std::map<std::string, size_t> Anchors;
  std::set<std::string> Unread;
};

// A place in the book: an entry of the archive and an id in it (empty for the document itself).
using Place = std::pair<uint64_t, std::string>;

class EpubReader {
 public:
  EpubReader(std::string_view bytes, const TBookLimits& limits, const TBookReadOptions& options)
      : bytes_(bytes), options_(options), archive_(limits), text_(limits.MaxTextBytes) {}

  bool Read(TBook& book, std::string& error) {
    if (!archive_.Open(bytes_, error)) return false;
    if (archive_.Find(kRightsPath)) return Fail(error, std::string(kEncrypted));
    std::string packagePath;
    std::set<std::string> encrypted;
    if (!FindPackage(packagePath, error) || !ReadEncryption(encrypted, error)) return false;
    if (encrypted.count(packagePath) != 0) return Fail(error, std::string(kEncrypted));
    if (!ReadPackageFile(packagePath, error)) return false;
    std::vector<const TManifestItem*> documents;
    if (!ReadingOrder(documents, error)) return false;
    for (const TManifestItem* document : documents) {
      if (encrypted.count(document->Path) != 0) return Fail(error, std::string(kEncrypted));
    }
    const std::vector<Target> targets = Navigation(encrypted);
    MarkGuide();
    if (!ReadDocuments(documents, targets, error)) return false;
    DropNoteNumbers();
    if (text_.Lines().empty())
      return Fail(error, leftOut_.empty() ? "the book holds no text" : NothingButLeftOutMessage(leftOut_));
    book.Chapters = FinishChapters(
        Chapters(targets), text_.Lines(), [this](size_t line) { return text_.IsHeading(line); },
        options_.BareChapterTitles);
    book.Lines = text_.TakeLines();
    book.Title = std::move(package_.Title);
    book.Authors = std::move(package_.Authors);
    book.Language = std::move(package_.Language);
    book.Details = std::move(package_.Details);
    book.LeftOut = std::move(leftOut_);
    book.Cover = Cover();
    return true;
  }

 private:
  static bool Fail(std::string& error, std::string message) {
    error = std::move(message);
    return false;
  }

  // container.xml names the package document; without it, the archive's only .opf file is it.
  bool FindPackage(std::string& path, std::string& error) {
    const std::optional<uint64_t> container = archive_.Find(kContainerPath);
    if (!container) {
      std::vector<std::string> packages;
      for (uint64_t i = 0; i < archive_.Count(); ++i) {
        if (EndsWithOpf(archive_.Name(i))) packages.push_back(archive_.Name(i));
      }
      if (packages.size() != 1) return Fail(error, std::string(kContainerPath) + " is missing");
      path = packages.front();
      return true;
    }
    std::string xml;
    if (!archive_.Read(*container, xml, error)) return false;
    std::string named;
    if (!ReadContainer(xml, named, error)) return Fail(error, std::string(kContainerPath) + ": " + error);
    const std::optional<std::string> normalized = NormalizePath(named);
    if (!normalized) return Fail(error, std::string(kContainerPath) + " names no package document");
    path = *normalized;
    return true;
  }

  // An encryption.xml that cannot be read is taken to encrypt everything: the book could not be
  // read either way.
  bool ReadEncryption(std::set<std::string>& encrypted, std::string& error) {
    const std::optional<uint64_t> entry = archive_.Find(kEncryptionPath);
    if (!entry) return true;
    std::string xml;
    EncryptionReader reader;
    if (!archive_.Read(*entry, xml, error) || !ParseXml(xml, reader, error))
      return Fail(error, std::string(kEncrypted));
    encrypted = std::move(reader.Paths);
    return true;
  }

  bool ReadPackageFile(const std::string& path, std::string& error) {
    packagePath_ = path;
    const std::optional<uint64_t> entry = archive_.Find(path);
    if (!entry) return Fail(error, "the package document " + path + " is missing");
    std::string xml;
    if (!archive_.Read(*entry, xml, error)) return false;
    if (!ReadPackage(xml, path, package_, error)) return Fail(error, path + ": " + error);
    return true;
  }

  void MarkGuide() {
    for (const TGuideReference& reference : package_.Guide)
      MarkLeftOut(reference.Path, reference.Fragment, LeftOutKind(reference.Type), reference.Title);
  }

  // Records a part to leave out that the guide or the landmarks name, and what they call it (the
  // navigation's title for a place comes first, then the landmarks', then the guide's).
  void MarkLeftOut(const std::string& path, const std::string& fragment, const std::string& kind,
                   const std::u16string& title) {
    const std::optional<uint64_t> entry = archive_.Find(path);
    if (!entry || kind.empty()) return;
    if (fragment.empty()) {
      documentKinds_.try_emplace(*entry, kind);
    } else {
      idKinds_[*entry].try_emplace(fragment, kind);
    }
    if (!title.empty()) titles_.try_emplace(Place{*entry, fragment}, title);
  }

  // The documents to read: the linear ones in spine order, then those marked linear="no".
  bool ReadingOrder(std::vector<const TManifestItem*>& documents, std::string& error) {
    std::vector<const TManifestItem*> offLine;
    for (const TSpineItem& spineItem : package_.Spine) {
      const TManifestItem* item = package_.Item(spineItem.IdRef);
      if (item == nullptr)
        return Fail(error, "the spine names \"" + spineItem.IdRef + "\", which the manifest does not list");
      if (!IsTextDocument(item->MediaType)) continue;
      if (item->Path.empty())
        return Fail(error, "the spine item \"" + spineItem.IdRef + "\" leads out of the book");
      // The navigation document is a table of contents.
      if (HasToken(item->Properties, "nav")) MarkLeftOut(item->Path, "", "toc", u"");
      (spineItem.Linear ? documents : offLine).push_back(item);
    }
    documents.insert(documents.end(), offLine.begin(), offLine.end());
    return true;
  }

  // The navigation's entries where they lead; a navigation that is missing, encrypted or broken
  // gives none (the headings stand in for it). The landmarks mark the parts to leave out.
  std::vector<Target> Navigation(const std::set<std::string>& encrypted) {
    const TManifestItem* nav = package_.ItemWithProperty("nav");
    const bool isNav = nav != nullptr;
    if (!isNav) {
      nav = package_.Item(package_.NcxId);
      if (nav == nullptr || nav->MediaType != kNcxMediaType) nav = package_.ItemOfType(kNcxMediaType);
    }
    if (nav == nullptr || nav->Path.empty() || encrypted.count(nav->Path) != 0) return {};
    const std::optional<uint64_t> entry = archive_.Find(nav->Path);
    std::string xml;
    std::string error;
    TNavigation navigation;
    if (!entry || !archive_.Read(*entry, xml, error) ||
        !(isNav ? ReadNavDocument(xml, navigation, error) : ReadNcx(xml, navigation.Toc, error)))
      return {};
    std::vector<Target> targets;
    targets.reserve(navigation.Toc.size());
    for (TNavigationEntry& navEntry : navigation.Toc) {
      Target& target = targets.emplace_back();
      target.Title = std::move(navEntry.Title);
      target.Parent = navEntry.Parent;
      if (const std::optional<TBookLink> link = ResolveLink(nav->Path, navEntry.Href)) {
        target.Entry = archive_.Find(link->Path);
        target.Fragment = link->Fragment;
        if (target.Entry && !target.Title.empty())
          titles_.try_emplace(Place{*target.Entry, link->Fragment}, target.Title);
      }
    }
    for (const TLandmark& landmark : navigation.Landmarks) {
      if (const std::optional<TBookLink> link = ResolveLink(nav->Path, landmark.Href))
        MarkLeftOut(link->Path, link->Fragment, LeftOutKind(landmark.Type), landmark.Title);
    }
    return targets;
  }

  // Reads the documents in turn; one the spine names twice is read once.
  bool ReadDocuments(const std::vector<const TManifestItem*>& documents, const std::vector<Target>& targets,
                     std::string& error) {
    std::map<uint64_t, std::set<std::string>> wanted;
    for (const Target& target : targets) {
      if (target.Entry && !target.Fragment.empty()) wanted[*target.Entry].insert(target.Fragment);
    }
    for (const TManifestItem* document : documents) {
      const std::optional<uint64_t> entry = archive_.Find(document->Path);
      if (!entry) return Fail(error, "the spine item " + document->Path + " is not in the book");
      if (placed_.count(*entry) != 0) continue;
      TXhtmlReadOptions options;
      options.WantedIds = std::move(wanted[*entry]);
      if (!ReadDocument(*entry, document->Path, options, error)) return false;
    }
    return true;
  }

  bool ReadDocument(uint64_t entry, const std::string& path, TXhtmlReadOptions& options, std::string& error) {
    std::string xhtml;
    if (!archive_.Read(entry, xhtml, error)) return false;
    const auto documentKind = documentKinds_.find(entry);
    const bool leftOut = !options_.AllParts && documentKind != documentKinds_.end();
    options.AllParts = options_.AllParts || leftOut;
    if (!options.AllParts) options.LeftOutIds = idKinds_[entry];
    TXhtmlMarks marks;
    const size_t start = text_.Position();
    if (!ReadXhtmlText(xhtml, options, text_, marks, error))
      return Fail(error, text_.Full() ? error : path + ": " + error);
    for (const std::string& id : marks.NoteIds) notes_.insert(Place{entry, id});
    Placed& placed = placed_[entry];
    placed.Start = start;
    if (leftOut) return LeaveOutDocument(entry, start, documentKind->second, placed);
    if (!options_.AllParts && IsContentsPage(start)) return LeaveOutDocument(entry, start, "toc", placed);
    placed.End = text_.Position();
    placed.Anchors = std::move(marks.Anchors);
    placed.Unread = std::move(marks.Unread);
    headings_.insert(headings_.end(), marks.Headings.begin(), marks.Headings.end());
    for (TXhtmlLeftOut& part : marks.LeftOut)
      AddLeftOut(entry, part.Id, part.Kind, std::move(part.Title), part.Characters);
    for (const TGluedNumber& number : marks.GluedNumbers) {
      const std::optional<TBookLink> link = ResolveLink(path, number.Href);
      const std::optional<uint64_t> target = link ? archive_.Find(link->Path) : std::nullopt;
      if (target) glued_.emplace_back(number.Passage, Place{*target, link->Fragment});
    }
    return true;
  }

  // A document of nothing but links into the book, besides its headings.
  bool IsContentsPage(size_t start) const {
    size_t links = 0;
    for (size_t line = start; line < text_.Position(); ++line) {
      if (text_.IsHeading(line)) continue;
      if (!text_.IsLinkOnly(line)) return false;
      ++links;
    }
    return links >= kMinContentsLines;
  }

  // Takes the document's text out again: it is a part left out as a whole, titled by its first
  // heading. The entries that lead into it lead to no text.
  bool LeaveOutDocument(uint64_t entry, size_t start, const std::string& kind, Placed& placed) {
    std::u16string title;
    for (size_t line = start; line < text_.Position() && title.empty(); ++line) {
      if (text_.IsHeading(line)) title = text_.Lines()[line];
    }
    size_t characters = 0;
    for (const std::u16string& line : text_.TakeLinesFrom(start)) characters += line.size();
    placed.End = start;
    AddLeftOut(entry, "", kind, std::move(title), characters);
    return true;
  }

  void AddLeftOut(uint64_t entry, const std::string& id, const std::string& kind, std::u16string title,
                  size_t characters) {
    if (title.empty()) {
      const auto named = titles_.find(Place{entry, id});
      if (named != titles_.end()) title = named->second;
    }
    leftOut_.push_back({std::move(title), ToUtf16(kind), characters});
  }

  // Numbers glued to words whose links lead to notes are the notes' marks: taken out.
  void DropNoteNumbers() {
    std::unordered_set<size_t> marks;
    for (const auto& [passage, target] : glued_) {
      if (notes_.count(target) != 0) marks.insert(passage);
    }
    if (!marks.empty()) text_.DropPassages([&](size_t passage) { return marks.count(passage) != 0; });
  }

  // The chapters the navigation's entries give: an entry leading to no text read (a picture, a
  // part left out, a note, a document not in the book) gives none. Without any that leads to
  // text, the h1 and h2 headings stand in.
  std::vector<TFoundChapter> Chapters(const std::vector<Target>& targets) const {
    std::vector<TFoundChapter> found;
    found.reserve(targets.size());
    bool anyPlaced = false;
    for (const Target& target : targets) {
      TFoundChapter& chapter = found.emplace_back();
      chapter.Title = target.Title;
      chapter.Parent = target.Parent;
      chapter.Placed = false;
      const auto placed = target.Entry ? placed_.find(*target.Entry) : placed_.end();
      if (placed == placed_.end() || placed->second.Unread.count(target.Fragment) != 0) continue;
      const auto anchor = placed->second.Anchors.find(target.Fragment);
      chapter.Line = anchor != placed->second.Anchors.end() ? anchor->second : placed->second.Start;
      chapter.Placed = chapter.Line < placed->second.End;
      anyPlaced = anyPlaced || chapter.Placed;
    }
    if (anyPlaced) return found;
    found.clear();
    for (const TBookChapter& heading : headings_)
      found.push_back({heading.Title, heading.Line, kNoParent, true});
    return found;
  }

  TBookCover Cover() {
    const TManifestItem* item = package_.ItemWithProperty("cover-image");
    if (item == nullptr && !package_.CoverId.empty()) {
      item = package_.Item(package_.CoverId);
      // Some books name the picture's path instead of its id.
      if (item == nullptr) {
        const std::optional<TBookLink> link = ResolveLink(packagePath_, package_.CoverId);
        for (const TManifestItem& candidate : package_.Manifest) {
          if (link && candidate.Path == link->Path) item = &candidate;
        }
      }
    }
    TBookCover cover;
    if (item == nullptr || !item->MediaType.starts_with("image/")) return cover;
    const std::optional<uint64_t> entry = archive_.Find(item->Path);
    std::string error;
    if (entry && archive_.Read(*entry, cover.Bytes, error)) cover.MediaType = item->MediaType;
    return cover;
  }

  std::string_view bytes_;
  const TBookReadOptions& options_;
  TZipArchive archive_;
  TBookText text_;
  std::string packagePath_;
  TEpubPackage package_;
  std::map<uint64_t, Placed> placed_;
  std::vector<TBookChapter> headings_;
  // The parts to leave out as the guide and the landmarks name them: whole documents, and
  // elements by their ids; and the titles the navigation, landmarks and guide give places.
  std::map<uint64_t, std::string> documentKinds_;
  std::map<uint64_t, std::map<std::string, std::string>> idKinds_;
  std::map<Place, std::u16string> titles_;
  std::vector<TBookLeftOut> leftOut_;
  std::set<Place> notes_;
  std::vector<std::pair<size_t, Place>> glued_;
};

}  // namespace

bool ReadEpub(std::string_view bytes, TBook& book, std::u16string& error, const TBookLimits& limits,
              const TBookReadOptions& options) {
  book = TBook();
  if (bytes.size() > limits.MaxBookBytes) {
    error = ToUtf16("the book is larger than " + SizeText(limits.MaxBookBytes));
    return false;
  }
  EpubReader reader(bytes, limits, options);
  std::string message;
  if (reader.Read(book, message)) return true;
  book = TBook();
  error = MessageLine(message);
  return false;
}

}  // namespace sonacli
