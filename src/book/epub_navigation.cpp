#include "book/epub_navigation.h"

#include <optional>

#include "book/book_text.h"
#include "book/xml_parser.h"

namespace sonacli {
namespace {

constexpr size_t kNone = static_cast<size_t>(-1);

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

bool IsHeadingElement(std::string_view name) {
  return name == "span" || (name.size() == 2 && name[0] == 'h' && name[1] >= '1' && name[1] <= '6');
}

class NavReader : public TXmlHandler {
 public:
  void StartElement(std::string_view name, std::string_view /*ns*/,
                    std::span<const TXmlAttribute> attributes) override {
    ++depth_;
    if (name == "nav" && navDepth_ == 0) {
      navDepth_ = depth_;
      const std::string_view type = AttributeValue(attributes, "type", kOpsNamespace);
      Nav& nav = navs_.emplace_back();
      nav.IsToc = HasToken(type, "toc");
      nav.IsLandmarks = HasToken(type, "landmarks");
    } else if (navDepth_ == 0) {
      return;
    } else if (labelDepth_ != 0) {
      InLabel(name, attributes);
    } else if (name == "li") {
      items_.push_back({depth_, kNone, items_.empty() ? kNone : Owner(items_.back())});
    } else if (name == "a") {
      OpenLink(attributes);
    } else if (IsHeadingElement(name) && !items_.empty() && items_.back().Entry == kNone) {
      // A heading of the list without a link: the title of the entries nested in it.
      OpenEntry("");
    }
  }

  void EndElement() override {
    if (depth_ == labelDepth_) {
      std::u16string title = label_.Take();
      if (inLandmarks_) {
        landmarks_.back().Title = std::move(title);
      } else {
        navs_.back().Entries.back().Title = std::move(title);
      }
      labelDepth_ = 0;
      inLandmarks_ = false;
    }
    if (!items_.empty() && items_.back().Depth == depth_) items_.pop_back();
    if (depth_ == navDepth_) {
      navDepth_ = 0;
      items_.clear();
    }
    --depth_;
  }

  void Text(std::string_view text) override {
    if (labelDepth_ != 0) label_.Add(text);
  }

  TNavigation Take() {
    TNavigation navigation;
    for (Nav& nav : navs_) {
      if (nav.IsToc) {
        navigation.Toc = std::move(nav.Entries);
        break;
      }
    }
    if (navigation.Toc.empty() && !navs_.empty() && !navs_.front().IsLandmarks)
      navigation.Toc = std::move(navs_.front().Entries);
    navigation.Landmarks = std::move(landmarks_);
    return navigation;
  }

 private:
  struct Nav {
    bool IsToc = false;
    bool IsLandmarks = false;
    std::vector<TNavigationEntry> Entries;
  };
  // A list item open: its own entry (its first link or heading), and the entry it is nested in.
  struct Item {
    size_t Depth = 0;
    size_t Entry = kNone;
    size_t Parent = kNone;
  };

  // A line break in a label is a space; a link inside a heading's label is the heading's link.
  void InLabel(std::string_view name, std::span<const TXmlAttribute> attributes) {
    if (name == "br") label_.Add(" ");
    if (name != "a" || inLandmarks_) return;
    std::string& href = navs_.back().Entries.back().Href;
    if (href.empty()) href = AttributeValue(attributes, "href");
  }

  static size_t Owner(const Item& item) { return item.Entry != kNone ? item.Entry : item.Parent; }

  void OpenLink(std::span<const TXmlAttribute> attributes) {
    const std::string_view href = AttributeValue(attributes, "href");
    if (navs_.back().IsLandmarks) {
      if (href.empty()) return;
      landmarks_.push_back(
          {std::string(AttributeValue(attributes, "type", kOpsNamespace)), std::string(href), u""});
      inLandmarks_ = true;
      labelDepth_ = depth_;
      return;
    }
    // A link without a target stands for a heading, as a span does.
    if (href.empty() && (items_.empty() || items_.back().Entry != kNone)) return;
    OpenEntry(href);
  }

  void OpenEntry(std::string_view href) {
    std::vector<TNavigationEntry>& entries = navs_.back().Entries;
    const size_t parent = items_.empty() ? kNone : items_.back().Parent;
    entries.push_back({u"", std::string(href), parent});
    if (!items_.empty() && items_.back().Entry == kNone) items_.back().Entry = entries.size() - 1;
    labelDepth_ = depth_;
  }

  std::vector<Nav> navs_;
  std::vector<Item> items_;
  std::vector<TLandmark> landmarks_;
  Label label_;
  size_t depth_ = 0;
  size_t navDepth_ = 0;
  size_t labelDepth_ = 0;
  bool inLandmarks_ = false;
};

class NcxReader : public TXmlHandler {
 public:
  void StartElement(std::string_view name, std::string_view /*ns*/,
                    std::span<const TXmlAttribute> attributes) override {
    ++depth_;
    if (name == "navMap" && mapDepth_ == 0) mapDepth_ = depth_;
    if (mapDepth_ == 0) return;
    if (name == "navPoint") {
      const size_t parent = open_.empty() ? kNone : open_.back().Entry;
      open_.push_back({depth_, Entries.size(), false});
      Entries.push_back({u"", "", parent});
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

bool ReadNavDocument(std::string_view xhtml, TNavigation& navigation, std::string& error) {
  NavReader reader;
  if (!ParseXml(xhtml, reader, error)) return false;
  navigation = reader.Take();
  return true;
}

bool ReadNcx(std::string_view xml, std::vector<TNavigationEntry>& entries, std::string& error) {
  NcxReader reader;
  if (!ParseXml(xml, reader, error)) return false;
  entries = std::move(reader.Entries);
  return true;
}

}  // namespace sonacli
