#include "book/description_text.h"

#include <algorithm>
#include <array>

#include "book/book_text.h"
#include "book/skipping_reader.h"

namespace sonacli {
namespace {

constexpr std::array<std::string_view, 24> kInline = {
    "a", "abbr", "acronym", "b", "bdi", "bdo",   "big",  "cite",   "code",   "dfn", "em",  "font",
    "i", "kbd",  "mark",    "q", "s",   "small", "span", "strike", "strong", "sub", "sup", "u"};
constexpr std::array<std::string_view, 5> kSkipped = {"head", "title", "script", "style", "template"};

bool IsOneOf(std::string_view name, std::span<const std::string_view> names) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

class DescriptionReader : public TSkippingReader {
 public:
  explicit DescriptionReader(TBookText& text) : text_(text) {}

 protected:
  bool Open(std::string_view name, std::string_view /*ns*/,
            std::span<const TXmlAttribute> /*attributes*/) override {
    const std::string lower = LowerAscii(name);
    if (IsOneOf(lower, kSkipped)) return false;
    const bool block = !IsOneOf(lower, kInline);
    if (block) text_.EndLine();
    blocks_.push_back(block);
    return true;
  }
  void Close() override {
    if (blocks_.empty()) return;
    if (blocks_.back()) text_.EndLine();
    blocks_.pop_back();
  }
  void Content(std::string_view text) override { text_.Add(text); }

 private:
  TBookText& text_;
  std::vector<bool> blocks_;
};

// A text without markup keeps its paragraphs, the parts between empty lines.
std::string MarkedParagraphs(std::string_view text) {
  std::string marked;
  size_t newlines = 0;
  for (const char c : text) {
    if (c == '\r') continue;
    if (c == '\n') {
      if (++newlines == 2) marked += "<p>";
    } else if (c != ' ' && c != '\t') {
      newlines = 0;
    }
    marked += c;
  }
  return marked;
}

}  // namespace

std::u16string DescriptionText(std::string_view text) {
  const std::string html =
      text.find('<') == std::string_view::npos ? MarkedParagraphs(text) : std::string(text);
  TBookText paragraphs;
  DescriptionReader reader(paragraphs);
  std::string error;
  ParseHtml(html, reader, error);
  std::u16string description;
  for (const std::u16string& paragraph : paragraphs.TakeLines()) {
    if (!description.empty()) description += u'\n';
    description += paragraph;
  }
  return description;
}

}  // namespace sonacli
