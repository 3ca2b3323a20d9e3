#include "book/epub_package.h"

#include <optional>

#include "book/book_path.h"
#include "book/book_text.h"
#include "book/xml_parser.h"

namespace sonacli {
namespace {

constexpr std::string_view kPackageMediaType = "application/oebps-package+xml";

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

// A dc:title, dc:creator or dc:language, or an EPUB 3 <meta> that refines one.
struct MetadataEntry {
  std::string Name;
  std::string Id;
  std::string Role;      // opf:role of a creator
  std::string Refines;   // a meta's refines, without its "#"
  std::string Property;  // a meta's property
  std::string Text;
};

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
    } else if (name == "reference" && AttributeValue(attributes, "type") == "toc") {
      if (std::optional<TBookLink> link = ResolveLink(packagePath_, AttributeValue(attributes, "href")))
        package_.TocPages.insert(link->Path);
    } else if (name == "meta" && AttributeValue(attributes, "name") == "cover") {
      package_.CoverId = AttributeValue(attributes, "content");
    } else if (name == "title" || name == "creator" || name == "language" || name == "meta") {
      OpenEntry(name, attributes);
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

  void OpenEntry(std::string_view name, std::span<const TXmlAttribute> attributes) {
    MetadataEntry& entry = entries_.emplace_back();
    entry.Name = name;
    entry.Id = AttributeValue(attributes, "id");
    entry.Role = AttributeValue(attributes, "role");
    entry.Refines = AttributeValue(attributes, "refines");
    if (!entry.Refines.empty() && entry.Refines.front() == '#') entry.Refines.erase(0, 1);
    entry.Property = AttributeValue(attributes, "property");
    entryDepth_ = depth_;
  }

  // The value that an EPUB 3 meta gives the entry for the property; empty when none does.
  std::string Refinement(const MetadataEntry& entry, std::string_view property) const {
    if (entry.Id.empty()) return {};
    for (const MetadataEntry& meta : entries_) {
      if (meta.Name == "meta" && meta.Refines == entry.Id && meta.Property == property) {
        return meta.Text;
      }
    }
    return {};
  }

  std::string_view packagePath_;
  TEpubPackage& package_;
  std::vector<MetadataEntry> entries_;
  size_t depth_ = 0;
  size_t entryDepth_ = 0;  // the depth of the entry whose text is being read; 0 for none
};

std::string Trimmed(std::string text) {
  const size_t start = text.find_first_not_of(" \t\r\n");
  if (start == std::string::npos) return {};
  return text.substr(start, text.find_last_not_of(" \t\r\n") + 1 - start);
}

void PackageReader::Finish() {
  const MetadataEntry* title = nullptr;
  for (const MetadataEntry& entry : entries_) {
    if (entry.Name != "title" || CollapsedText(entry.Text).empty()) continue;
    if (Trimmed(Refinement(entry, "title-type")) == "main") {
      title = &entry;
      break;
    }
    if (title == nullptr) title = &entry;
  }
  if (title != nullptr) package_.Title = CollapsedText(title->Text);
  for (const MetadataEntry& entry : entries_) {
    if (entry.Name == "creator") {
      const std::string role = Trimmed(entry.Role.empty() ? Refinement(entry, "role") : entry.Role);
      std::u16string name = CollapsedText(entry.Text);
      if ((role.empty() || role == "aut") && !name.empty()) package_.Authors.push_back(std::move(name));
    } else if (entry.Name == "language" && package_.Language.empty()) {
      package_.Language = CollapsedText(entry.Text);
    }
  }
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
