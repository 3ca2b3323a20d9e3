#include "book/epub_navigation.h"

#include <optional>

#include "book/book_text.h"
#include "book/xml_parser.h"

namespace sonacli {
namespace {

// The label of an entry: its text, white space collapsed, line breaks as spaces.
class Label {
 public:
  void Add(std::string_view text) { text_.Add(text); }
  std::u16string Take() {
    std::u16string title;
    for (const std::u16string& line : text_.TakeLines()) {
      if (!title.empty()) title += u' ';
      title += line;
    }
    text_ = TBookText();
    return title;
  }

 private:
  TBookText text_;
};

class NavReader : public TXmlHandler {
 public:
  void StartElement(std::string_view name, std::string_view /*ns*/,
                    std::span<const TXmlAttribute> attributes) override {
    ++depth_;
    if (name == "nav" && navDepth_ == 0) {
      navDepth_ = depth_;
      navs_.emplace_back().IsToc = HasToken(AttributeValue(attributes, "type", kOpsNamespace), "toc");
    } else if (name == "a" && navDepth_ != 0 && linkDepth_ == 0) {
      const std::string_view href = AttributeValue(attributes, "href");
      if (href.empty()) return;
      linkDepth_ = depth_;
      navs_.back().Entries.push_back({u"", std::string(href)});
    } else if (linkDepth_ != 0 && name == "br") {
      label_.Add(" ");
    }
  }

  void EndElement() override {
    if (depth_ == linkDepth_) {
      navs_.back().Entries.back().Title = label_.Take();
      linkDepth_ = 0;
    }
    if (depth_ == navDepth_) navDepth_ = 0;
    --depth_;
  }

  void Text(std::string_view text) override {
    if (linkDepth_ != 0) label_.Add(text);
  }

  std::vector<TNavigationEntry> TakeEntries() {
    for (Nav& nav : navs_) {
      if (nav.IsToc) return std::move(nav.Entries);
    }
    return navs_.empty() ? std::vector<TNavigationEntry>() : std::move(navs_.front().Entries);
  }

 private:
  struct Nav {
    bool IsToc = false;
    std::vector<TNavigationEntry> Entries;
  };

  std::vector<Nav> navs_;
  Label label_;
  size_t depth_ = 0;
  size_t navDepth_ = 0;
  size_t linkDepth_ = 0;
};

class NcxReader : public TXmlHandler {
 public:
  void StartElement(std::string_view name, std::string_view /*ns*/,
                    std::span<const TXmlAttribute> attributes) override {
    ++depth_;
    if (name == "navMap" && mapDepth_ == 0) mapDepth_ = depth_;
    if (mapDepth_ == 0) return;
    if (name == "navPoint") {
      open_.push_back({depth_, Entries.size(), false});
      Entries.emplace_back();
    } else if (name == "text" && !open_.empty() && !open_.back().Titled && labelDepth_ == 0) {
      labelDepth_ = depth_;
    } else if (name == "content" && !open_.empty() && Entries[open_.back().Entry].Href.empty()) {
      Entries[open_.back().Entry].Href = AttributeValue(attributes, "src");
    }
  }

  void EndElement() override {
    if (depth_ == labelDepth_) {
      Entries[open_.back().Entry].Title = label_.Take();
      open_.back().Titled = true;
      labelDepth_ = 0;
    }
    if (!open_.empty() && depth_ == open_.back().Depth) open_.pop_back();
    if (depth_ == mapDepth_) mapDepth_ = 0;
    --depth_;
  }

  void Text(std::string_view text) override {
    if (labelDepth_ != 0) label_.Add(text);
  }

  std::vector<TNavigationEntry> Entries;

 private:
  struct Open {
    size_t Depth;
    size_t Entry;
    bool Titled;
  };
  std::vector<Open> open_;
  Label label_;
  size_t depth_ = 0;
  size_t mapDepth_ = 0;
  size_t labelDepth_ = 0;
};

}  // namespace

bool ReadNavDocument(std::string_view xhtml, std::vector<TNavigationEntry>& entries, std::string& error) {
  NavReader reader;
  if (!ParseXml(xhtml, reader, error)) return false;
  entries = reader.TakeEntries();
  return true;
}

bool ReadNcx(std::string_view xml, std::vector<TNavigationEntry>& entries, std::string& error) {
  NcxReader reader;
  if (!ParseXml(xml, reader, error)) return false;
  entries = std::move(reader.Entries);
  return true;
}

}  // namespace sonacli
