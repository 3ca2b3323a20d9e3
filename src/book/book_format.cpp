#include "book/book_format.h"

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
  ParseXml(bytes.substr(0, kRootSniffBytes), reader, error);
  return reader.Root == "FictionBook";
}

std::optional<uint64_t> FindFb2Entry(TZipArchive& archive) {
  const uint64_t count = archive.Count();
  for (uint64_t i = 0; i < count; ++i) {
    if (!archive.IsFolder(i) && EndsWithFb2(archive.Name(i))) return i;
  }
  uint64_t sniffed = 0;
  for (uint64_t i = 0; i < count && sniffed < kMaxEntriesSniffed; ++i) {
    if (archive.IsFolder(i)) continue;
    ++sniffed;
    std::string start;
    if (archive.ReadStart(i, kRootSniffBytes, start) && StartsFb2(start)) return i;
  }
  return std::nullopt;
}

TBookFormat DetectBookFormat(std::string_view bytes) {
  if (!IsZip(bytes)) return StartsFb2(bytes) ? TBookFormat::Fb2 : TBookFormat::None;
  TZipArchive archive{TBookLimits()};
  std::string error;
  if (!archive.Open(bytes, error)) return TBookFormat::None;
  if (IsEpub(archive)) return TBookFormat::Epub;
  return FindFb2Entry(archive) ? TBookFormat::Fb2Zip : TBookFormat::None;
}

}  // namespace sonacli
