#include "book/book_format.h"

#include <algorithm>
#include <cctype>
#include <string>

#include "book/book_text.h"
#include "book/xml_parser.h"

namespace sonacli {
namespace {

constexpr std::string_view kEpubMediaType = "application/epub+zip";

// Stops at the root element and keeps its local name.
class RootReader : public TXmlHandler {
 public:
  void StartElement(std::string_view name, std::string_view /*ns*/,
                    std::span<const TXmlAttribute> /*attributes*/) override {
    Root = name;
    Stop();
  }
  void EndElement() override {}
  void Text(std::string_view /*text*/) override {}

  std::string Root;
};

bool IsZip(std::string_view bytes) {
  return bytes.starts_with("PK\x03\x04") || bytes.starts_with("PK\x05\x06");
}

bool EndsWithFb2(const std::string& name) {
  return LowerAscii(name).ends_with(".fb2");
}

// A file of the archive, not a folder nor a copy of a macOS resource fork.
bool IsFile(TZipArchive& archive, uint64_t index) {
  const std::string name = archive.Name(index);
  const size_t slash = name.rfind('/');
  const std::string_view base =
      slash == std::string::npos ? std::string_view(name) : std::string_view(name).substr(slash + 1);
  return !archive.IsFolder(index) && !name.starts_with("__MACOSX/") && !base.starts_with("._");
}

// Skips white space, and then the markup that may come before the root element of an XML
// document: the declaration, processing instructions, comments and the document type (with its
// internal subset). False when the text ends first.
bool SkipProlog(std::string_view& text) {
  for (;;) {
    const size_t start = text.find_first_not_of(" \t\r\n");
    if (start == std::string_view::npos) return false;
    text.remove_prefix(start);
    size_t end = std::string_view::npos;
    if (text.starts_with("<?")) {
      end = text.find("?>");
      if (end != std::string_view::npos) end += 2;
    } else if (text.starts_with("<!--")) {
      end = text.find("-->");
      if (end != std::string_view::npos) end += 3;
    } else if (text.starts_with("<!")) {
      const size_t subset = text.find('[');
      const size_t close = text.find('>');
      end = subset < close ? text.find("]>", subset) : close;
      if (end != std::string_view::npos) end += text[end] == ']' ? 2 : 1;
    } else {
      return true;
    }
    if (end == std::string_view::npos) return false;
    text.remove_prefix(end);
  }
}

// The local name of the root element, read from the bytes as ASCII; empty when a byte that is no
// ASCII comes first, or no element does.
std::string AsciiRootName(std::string_view bytes) {
  if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
  std::string_view text = bytes;
  if (!SkipProlog(text) || !text.starts_with('<')) return {};
  const std::string_view prolog = bytes.substr(0, bytes.size() - text.size());
  if (std::any_of(prolog.begin(), prolog.end(),
                  [](char c) { return static_cast<unsigned char>(c) >= 0x80 || c == 0; }))
    return {};
  size_t end = 1;
  while (end < text.size() && (std::isalnum(static_cast<unsigned char>(text[end])) || text[end] == ':' ||
                               text[end] == '-' || text[end] == '_' || text[end] == '.'))
    ++end;
  if (end < text.size() && text[end] != '>' && text[end] != '/' && text.find_first_of(" \t\r\n", end) != end)
    return {};
  const std::string_view name = text.substr(1, end - 1);
  const size_t colon = name.rfind(':');
  return std::string(colon == std::string_view::npos ? name : name.substr(colon + 1));
}

bool IsEpub(TZipArchive& archive) {
  if (archive.Find("META-INF/container.xml")) return true;
  const std::optional<uint64_t> mimetype = archive.Find("mimetype");
  std::string start;
  if (!mimetype || !archive.ReadStart(*mimetype, 64, start)) return false;
  const size_t end = start.find_last_not_of(" \t\r\n");
  return start.substr(0, end == std::string::npos ? 0 : end + 1) == kEpubMediaType;
}

}  // namespace

bool StartsFb2(std::string_view bytes) {
  RootReader reader;
  std::string error;
  bytes = bytes.substr(0, kRootSniffBytes);
  if (ParseXml(bytes, reader, error) || !reader.Root.empty()) return reader.Root == "FictionBook";
  return AsciiRootName(bytes) == "FictionBook";
}

std::vector<uint64_t> FindFb2Entries(TZipArchive& archive) {
  std::vector<uint64_t> entries;
  const uint64_t count = archive.Count();
  for (uint64_t i = 0; i < count; ++i) {
    if (IsFile(archive, i) && EndsWithFb2(archive.Name(i))) entries.push_back(i);
  }
  if (!entries.empty()) return entries;
  uint64_t sniffed = 0;
  for (uint64_t i = 0; i < count && sniffed < kMaxEntriesSniffed; ++i) {
    if (!IsFile(archive, i)) continue;
    ++sniffed;
    std::string start;
    if (archive.ReadStart(i, kRootSniffBytes, start) && StartsFb2(start)) entries.push_back(i);
  }
  return entries;
}

TBookFormat DetectBookFormat(std::string_view bytes) {
  if (!IsZip(bytes)) return StartsFb2(bytes) ? TBookFormat::Fb2 : TBookFormat::None;
  TZipArchive archive{TBookLimits()};
  std::string error;
  if (!archive.Open(bytes, error)) return TBookFormat::None;
  if (IsEpub(archive)) return TBookFormat::Epub;
  return FindFb2Entries(archive).empty() ? TBookFormat::None : TBookFormat::Fb2Zip;
}

}  // namespace sonacli
