#include "book/epub_reader.h"

#include <map>
#include <optional>
#include <set>
#include <vector>

#include "book/book_chapters.h"
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

// A chapter of the navigation where its link leads.
struct Target {
  std::u16string Title;
  uint64_t Entry = 0;
  std::string Fragment;
};

// Where a document's text went: its first line and the lines of the fragments asked for.
struct Placed {
  size_t Start = 0;
  std::map<std::string, size_t> Anchors;
};

class EpubReader {
 public:
  EpubReader(std::string_view bytes, const TBookLimits& limits)
      : bytes_(bytes), archive_(limits), text_(limits.MaxTextBytes) {}

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
    if (!ReadDocuments(documents, targets, error)) return false;
    std::vector<std::u16string> lines = text_.TakeLines();
    if (lines.empty()) return Fail(error, "the book holds no text");
    book.Chapters = FinishChapters(Chapters(targets), lines);
    book.Lines = std::move(lines);
    book.Title = std::move(package_.Title);
    book.Authors = std::move(package_.Authors);
    book.Language = std::move(package_.Language);
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

  bool IsSkipped(const TManifestItem& item) const {
    return HasToken(item.Properties, "nav") || !IsTextDocument(item.MediaType) ||
           package_.TocPages.count(item.Path) != 0;
  }

  // The documents to read: the linear ones in spine order, then those marked linear="no".
  bool ReadingOrder(std::vector<const TManifestItem*>& documents, std::string& error) const {
    std::vector<const TManifestItem*> offLine;
    for (const TSpineItem& spineItem : package_.Spine) {
      const TManifestItem* item = package_.Item(spineItem.IdRef);
      if (item == nullptr)
        return Fail(error, "the spine names \"" + spineItem.IdRef + "\", which the manifest does not list");
      if (IsSkipped(*item)) continue;
      if (item->Path.empty())
        return Fail(error, "the spine item \"" + spineItem.IdRef + "\" leads out of the book");
      (spineItem.Linear ? documents : offLine).push_back(item);
    }
    documents.insert(documents.end(), offLine.begin(), offLine.end());
    return true;
  }

  // The navigation's entries where they lead; a navigation that is missing, encrypted or broken
  // gives none (the headings stand in for it).
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
    std::vector<TNavigationEntry> entries;
    if (!entry || !archive_.Read(*entry, xml, error) ||
        !(isNav ? ReadNavDocument(xml, entries, error) : ReadNcx(xml, entries, error)))
      return {};
    std::vector<Target> targets;
    for (TNavigationEntry& navEntry : entries) {
      const std::optional<TBookLink> link = ResolveLink(nav->Path, navEntry.Href);
      const std::optional<uint64_t> target = link ? archive_.Find(link->Path) : std::nullopt;
      if (target) targets.push_back({std::move(navEntry.Title), *target, link->Fragment});
    }
    return targets;
  }

  // Reads the documents in turn; one the spine names twice is read once.
  bool ReadDocuments(const std::vector<const TManifestItem*>& documents, const std::vector<Target>& targets,
                     std::string& error) {
    std::map<uint64_t, std::set<std::string>> wanted;
    for (const Target& target : targets) {
      if (!target.Fragment.empty()) wanted[target.Entry].insert(target.Fragment);
    }
    const std::set<std::string> none;
    for (const TManifestItem* document : documents) {
      const std::optional<uint64_t> entry = archive_.Find(document->Path);
      if (!entry) return Fail(error, "the spine item " + document->Path + " is not in the book");
      if (placed_.count(*entry) != 0) continue;
      std::string xhtml;
      if (!archive_.Read(*entry, xhtml, error)) return false;
      const auto found = wanted.find(*entry);
      TXhtmlMarks marks;
      const size_t start = text_.Position();
      if (!ReadXhtmlText(xhtml, found != wanted.end() ? found->second : none, text_, marks, error))
        return Fail(error, text_.Full() ? error : document->Path + ": " + error);
      placed_[*entry] = Placed{start, std::move(marks.Anchors)};
      headings_.insert(headings_.end(), marks.Headings.begin(), marks.Headings.end());
    }
    return true;
  }

  std::vector<TBookChapter> Chapters(const std::vector<Target>& targets) const {
    std::vector<TBookChapter> chapters;
    for (const Target& target : targets) {
      const auto placed = placed_.find(target.Entry);
      if (placed == placed_.end()) continue;
      const auto anchor = placed->second.Anchors.find(target.Fragment);
      chapters.push_back(
          {target.Title, anchor != placed->second.Anchors.end() ? anchor->second : placed->second.Start});
    }
    return chapters.empty() ? headings_ : chapters;
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
  TZipArchive archive_;
  TBookText text_;
  std::string packagePath_;
  TEpubPackage package_;
  std::map<uint64_t, Placed> placed_;
  std::vector<TBookChapter> headings_;
};

}  // namespace

bool ReadEpub(std::string_view bytes, TBook& book, std::u16string& error, const TBookLimits& limits) {
  book = TBook();
  if (bytes.size() > limits.MaxBookBytes) {
    error = ToUtf16("the book is larger than " + SizeText(limits.MaxBookBytes));
    return false;
  }
  EpubReader reader(bytes, limits);
  std::string message;
  if (reader.Read(book, message)) return true;
  book = TBook();
  error = ToUtf16(message);
  return false;
}

}  // namespace sonacli
