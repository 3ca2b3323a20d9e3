#include "book/epub_package.h"

#include <algorithm>
#include <optional>
#include <unordered_map>

#include "book/book_path.h"
#include "book/book_text.h"
#include "book/description_text.h"
#include "book/xml_parser.h"

namespace sonacli {
namespace {

constexpr std::string_view kPackageMediaType = "application/oebps-package+xml";
// calibre writes this date for a book whose date it does not know.
constexpr std::string_view kUnknownDate = "0101-01-01";

class ContainerReader : public TXmlHandler {
 public:
  void StartElement(std::string_view name, std::string_view /*ns*/,
                    std::span<const TXmlAttribute> attributes) override {
    if (name != "rootfile") return;
    const std::string_view path = AttributeValue(attributes, "full-path");
    if (path.empty()) return;
    if (First.empty()) First = path;
    if (Package.empty() && AttributeValue(attributes, "media-type") == kPackageMediaType) Package = path;
  }
  void EndElement() override {}
  void Text(std::string_view /*text*/) override {}

  std::string First;
  std::string Package;
};

enum class Element { Title, Creator, Language, Description, Date, Subject, Meta };

// An element of the metadata (dc:title, dc:creator ..., or an EPUB 3 <meta>), kept small: a
// package may hold a great many.
struct MetadataEntry {
  Element Name = Element::Meta;
  std::string Id;
  std::string Role;      // opf:role of a creator, opf:event of a date
  std::string Refines;   // a meta's refines, without its "#"
  std::string Property;  // a meta's property
  std::string Text;
  std::vector<const MetadataEntry*> Refinements;  // the metas that refine it, in their order
};

// The metadata elements read, by their local names.
constexpr std::pair<std::string_view, Element> kElements[] = {
    {"title", Element::Title},       {"creator", Element::Creator},
    {"language", Element::Language}, {"description", Element::Description},
    {"date", Element::Date},         {"subject", Element::Subject},
    {"meta", Element::Meta}};

// The properties of EPUB 3 metas that are read; a meta of any other is not kept.
constexpr std::string_view kProperties[] = {"role", "title-type", "belongs-to-collection", "collection-type",
                                            "group-position"};

std::string Trimmed(std::string_view text) {
  const size_t start = text.find_first_not_of(" \t\r\n");
  if (start == std::string_view::npos) return {};
  return std::string(text.substr(start, text.find_last_not_of(" \t\r\n") + 1 - start));
}

// The first value of the property among the entry's refinements; empty when none gives it.
std::string Refined(const MetadataEntry& entry, std::string_view property) {
  for (const MetadataEntry* meta : entry.Refinements) {
    if (meta->Property == property) return Trimmed(meta->Text);
  }
  return {};
}

bool HasRole(const MetadataEntry& creator, std::string_view role) {
  if (LowerAscii(Trimmed(creator.Role)) == role) return true;
  for (const MetadataEntry* meta : creator.Refinements) {
    if (meta->Property == "role" && LowerAscii(Trimmed(meta->Text)) == role) return true;
  }
  return false;
}

bool HasNoRole(const MetadataEntry& creator) {
  if (!Trimmed(creator.Role).empty()) return false;
  return std::none_of(creator.Refinements.begin(), creator.Refinements.end(),
                      [](const MetadataEntry* meta) { return meta->Property == "role"; });
}

// calibre writes a series index as a decimal number: "2.0" is the second book.
std::string SeriesIndex(std::string index) {
  index = Trimmed(index);
  if (index.ends_with(".0")) index.resize(index.size() - 2);
  return index;
}

class PackageReader : public TXmlHandler {
 public:
  PackageReader(std::string_view packagePath, TEpubPackage& package)
      : packagePath_(packagePath), package_(package) {}

  void StartElement(std::string_view name, std::string_view /*ns*/,
                    std::span<const TXmlAttribute> attributes) override {
    ++depth_;
    if (name == "item") {
      AddItem(attributes);
    } else if (name == "itemref") {
      package_.Spine.push_back(
          {std::string(AttributeValue(attributes, "idref")), AttributeValue(attributes, "linear") != "no"});
    } else if (name == "spine") {
      package_.NcxId = AttributeValue(attributes, "toc");
    } else if (name == "reference") {
      AddReference(attributes);
    } else {
      for (const auto& [elementName, element] : kElements) {
        if (name == elementName) OpenEntry(element, attributes);
      }
    }
  }

  void EndElement() override {
    if (entryDepth_ == depth_) entryDepth_ = 0;
    --depth_;
  }

  void Text(std::string_view text) override {
    if (entryDepth_ != 0) entries_.back().Text += text;
  }

  void Finish();

 private:
  void AddItem(std::span<const TXmlAttribute> attributes) {
    TManifestItem item;
    item.Id = AttributeValue(attributes, "id");
    if (std::optional<TBookLink> link = ResolveLink(packagePath_, AttributeValue(attributes, "href")))
      item.Path = link->Path;
    item.MediaType = AttributeValue(attributes, "media-type");
    item.Properties = AttributeValue(attributes, "properties");
    package_.Manifest.push_back(std::move(item));
  }

  void AddReference(std::span<const TXmlAttribute> attributes) {
    const std::optional<TBookLink> link = ResolveLink(packagePath_, AttributeValue(attributes, "href"));
    if (!link) return;
    package_.Guide.push_back({LowerAscii(Trimmed(AttributeValue(attributes, "type"))), link->Path,
                              link->Fragment, CollapsedText(AttributeValue(attributes, "title"))});
  }

  void OpenEntry(Element name, std::span<const TXmlAttribute> attributes) {
    // An EPUB 2 meta says all in its attributes: the cover's id, calibre's series.
    const std::string metaName = Trimmed(AttributeValue(attributes, "name"));
    if (name == Element::Meta && !metaName.empty()) {
      const std::string_view content = AttributeValue(attributes, "content");
      if (metaName == "cover") package_.CoverId = content;
      if (metaName == "calibre:series" && calibreSeries_.empty()) calibreSeries_ = content;
      if (metaName == "calibre:series_index" && calibreIndex_.empty()) calibreIndex_ = content;
      return;
    }
    MetadataEntry& entry = entries_.emplace_back();
    entry.Name = name;
    entry.Id = AttributeValue(attributes, "id");
    entry.Role = AttributeValue(attributes, name == Element::Date ? "event" : "role");
    if (name == Element::Meta) {
      entry.Property = Trimmed(AttributeValue(attributes, "property"));
      if (std::find(std::begin(kProperties), std::end(kProperties), entry.Property) ==
          std::end(kProperties)) {
        entries_.pop_back();
        return;
      }
      entry.Refines = AttributeValue(attributes, "refines");
      if (!entry.Refines.empty() && entry.Refines.front() == '#') entry.Refines.erase(0, 1);
    }
    entryDepth_ = depth_;
  }

  // Hands every meta that refines an element to that element (the first of its id), once: the
  // lookups that follow go through an element's own refinements only.
  // A meta mostly refines the element just before it: that one is tried before the lookup.
  void IndexRefinements() {
    std::unordered_map<std::string_view, MetadataEntry*> byId;
    byId.reserve(entries_.size());
    std::vector<const MetadataEntry*> forward;  // metas whose element was not seen before them
    MetadataEntry* recent = nullptr;
    for (MetadataEntry& entry : entries_) {
      if (!entry.Id.empty() && byId.try_emplace(entry.Id, &entry).second) recent = &entry;
      if (entry.Name != Element::Meta || entry.Refines.empty()) continue;
      if (recent != nullptr && recent->Id == entry.Refines) {
        recent->Refinements.push_back(&entry);
        continue;
      }
      const auto target = byId.find(entry.Refines);
      if (target != byId.end()) {
        target->second->Refinements.push_back(&entry);
      } else {
        forward.push_back(&entry);
      }
    }
    for (const MetadataEntry* meta : forward) {
      const auto target = byId.find(meta->Refines);
      if (target != byId.end()) target->second->Refinements.push_back(meta);
    }
  }

  void FindTitle();
  void FindAuthors();
  void FindDetails();
  void FindSeries();

  std::string_view packagePath_;
  TEpubPackage& package_;
  std::vector<MetadataEntry> entries_;  // complete before refinements point into it
  std::string calibreSeries_;
  std::string calibreIndex_;
  size_t depth_ = 0;
  size_t entryDepth_ = 0;  // the depth of the entry whose text is being read; 0 for none
};

void PackageReader::FindTitle() {
  const MetadataEntry* title = nullptr;
  for (const MetadataEntry& entry : entries_) {
    if (entry.Name != Element::Title || CollapsedText(entry.Text).empty()) continue;
    if (Refined(entry, "title-type") == "main") {
      title = &entry;
      break;
    }
    if (title == nullptr) title = &entry;
  }
  if (title != nullptr) package_.Title = CollapsedText(title->Text);
}

void PackageReader::FindAuthors() {
  const bool anyAuthor = std::any_of(entries_.begin(), entries_.end(), [](const MetadataEntry& entry) {
    return entry.Name == Element::Creator && HasRole(entry, "aut");
  });
  for (const MetadataEntry& entry : entries_) {
    if (entry.Name != Element::Creator || !(anyAuthor ? HasRole(entry, "aut") : HasNoRole(entry))) continue;
    std::u16string name = CollapsedText(entry.Text);
    if (!name.empty()) package_.Authors.push_back(std::move(name));
  }
}

void PackageReader::FindDetails() {
  TBookDetails& details = package_.Details;
  const MetadataEntry* date = nullptr;
  for (const MetadataEntry& entry : entries_) {
    if (entry.Name == Element::Language && package_.Language.empty()) {
      package_.Language = CollapsedText(entry.Text);
    } else if (entry.Name == Element::Description && details.Description.empty()) {
      details.Description = DescriptionText(entry.Text);
    } else if (entry.Name == Element::Subject) {
      std::u16string subject = CollapsedText(entry.Text);
      if (!subject.empty() &&
          std::find(details.Subjects.begin(), details.Subjects.end(), subject) == details.Subjects.end())
        details.Subjects.push_back(std::move(subject));
    } else if (entry.Name == Element::Date && !Trimmed(entry.Text).empty() &&
               !Trimmed(entry.Text).starts_with(kUnknownDate)) {
      if (date == nullptr ||
          (LowerAscii(entry.Role) == "publication" && LowerAscii(date->Role) != "publication"))
        date = &entry;
    }
  }
  if (date != nullptr) details.Date = CollapsedText(date->Text);
  FindSeries();
}

void PackageReader::FindSeries() {
  TBookDetails& details = package_.Details;
  const MetadataEntry* collection = nullptr;
  for (const MetadataEntry& entry : entries_) {
    if (entry.Name != Element::Meta || entry.Property != "belongs-to-collection" ||
        CollapsedText(entry.Text).empty())
      continue;
    if (Refined(entry, "collection-type") == "series") {
      collection = &entry;
      break;
    }
    if (collection == nullptr) collection = &entry;
  }
  if (collection != nullptr) {
    details.Series = CollapsedText(collection->Text);
    details.SeriesPart = CollapsedText(Refined(*collection, "group-position"));
    return;
  }
  details.Series = CollapsedText(calibreSeries_);
  details.SeriesPart = CollapsedText(SeriesIndex(calibreIndex_));
  if (details.Series.empty()) details.SeriesPart.clear();
}

void PackageReader::Finish() {
  IndexRefinements();
  FindTitle();
  FindAuthors();
  FindDetails();
}

}  // namespace

void TEpubPackage::IndexManifest() {
  ids_.clear();
  for (size_t i = 0; i < Manifest.size(); ++i) ids_.try_emplace(Manifest[i].Id, i);
}

const TManifestItem* TEpubPackage::Item(std::string_view id) const {
  const auto found = ids_.find(id);
  return found != ids_.end() ? &Manifest[found->second] : nullptr;
}

const TManifestItem* TEpubPackage::ItemWithProperty(std::string_view property) const {
  for (const TManifestItem& item : Manifest) {
    if (HasToken(item.Properties, property)) return &item;
  }
  return nullptr;
}

const TManifestItem* TEpubPackage::ItemOfType(std::string_view mediaType) const {
  for (const TManifestItem& item : Manifest) {
    if (item.MediaType == mediaType) return &item;
  }
  return nullptr;
}

bool ReadContainer(std::string_view xml, std::string& packagePath, std::string& error) {
  ContainerReader reader;
  if (!ParseXml(xml, reader, error)) return false;
  packagePath = reader.Package.empty() ? reader.First : reader.Package;
  return true;
}

bool ReadPackage(std::string_view xml, std::string_view packagePath, TEpubPackage& package,
                 std::string& error) {
  package = TEpubPackage();
  PackageReader reader(packagePath, package);
  if (!ParseXml(xml, reader, error)) return false;
  reader.Finish();
  package.IndexManifest();
  return true;
}

}  // namespace sonacli
