#include "input/input_content.h"

#include "input/encoding_detection.h"

namespace sonacli {

namespace {

using namespace std::string_view_literals;

struct Signature {
  size_t Offset;
  std::string_view Bytes;
  TInputContent Content;
};

// Signatures at the start of a file (or at a fixed offset). Text never begins so: most hold bytes
// that are control characters or no character of any code page.
constexpr Signature kSignatures[] = {
    {0, "PK\x03\x04"sv, TInputContent::ZipArchive},
    {0, "PK\x05\x06"sv, TInputContent::ZipArchive},  // an empty ZIP
    {0, "PK\x07\x08"sv, TInputContent::ZipArchive},  // a spanned ZIP
    {0, "\x1F\x8B"sv, TInputContent::OtherArchive},  // gzip
    {0,
     "\xFD"
     "7zXZ\x00"sv,
     TInputContent::OtherArchive},
    {0, "7z\xBC\xAF\x27\x1C"sv, TInputContent::OtherArchive},
    {0, "Rar!\x1A\x07"sv, TInputContent::OtherArchive},
    {0, "\x28\xB5\x2F\xFD"sv, TInputContent::OtherArchive},  // zstd
    {0, "%PDF-"sv, TInputContent::PdfDocument},
    {0, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"sv, TInputContent::OfficeDocument},
    {0, "\x89PNG\r\n\x1A\n"sv, TInputContent::Image},
    {0, "\xFF\xD8\xFF"sv, TInputContent::Image},  // JPEG
    {0, "GIF87a"sv, TInputContent::Image},
    {0, "GIF89a"sv, TInputContent::Image},
    {0, "II*\x00"sv, TInputContent::Image},  // TIFF
    {0, "MM\x00*"sv, TInputContent::Image},
    {0, "OggS"sv, TInputContent::AudioOrVideo},
    {0, "fLaC"sv, TInputContent::AudioOrVideo},
    {0, "\x1A\x45\xDF\xA3"sv, TInputContent::AudioOrVideo},  // Matroska, WebM
    {4, "ftyp"sv, TInputContent::AudioOrVideo},              // MP4, M4A, MOV
    {0,
     "\x7F"
     "ELF"sv,
     TInputContent::Executable},
};

bool HasAt(std::string_view bytes, size_t offset, std::string_view signature) {
  return bytes.size() >= offset + signature.size() && bytes.substr(offset, signature.size()) == signature;
}

// The EPUB container: a ZIP whose first entry, stored as it is, is "mimetype" holding its type.
bool IsEpub(std::string_view bytes) {
  return HasAt(bytes, 30, "mimetype") && HasAt(bytes, 38, "application/epub+zip");
}

// An ID3 tag before MP3 audio: "ID3" and a major version from 2 to 4.
bool IsId3(std::string_view bytes) {
  return bytes.size() >= 4 && bytes.starts_with("ID3") && bytes[3] >= 2 && bytes[3] <= 4;
}

// A RIFF file ("RIFF", its size, then its form): WebP images, WAV sound and AVI video.
TInputContent RiffForm(std::string_view bytes) {
  if (!bytes.starts_with("RIFF")) return TInputContent::Text;
  if (HasAt(bytes, 8, "WEBP")) return TInputContent::Image;
  return HasAt(bytes, 8, "WAVE") || HasAt(bytes, 8, "AVI ") ? TInputContent::AudioOrVideo
                                                            : TInputContent::Text;
}

TInputContent KnownSignature(std::string_view bytes) {
  for (const Signature& signature : kSignatures) {
    if (!HasAt(bytes, signature.Offset, signature.Bytes)) continue;
    if (signature.Content == TInputContent::ZipArchive && IsEpub(bytes)) return TInputContent::EpubBook;
    return signature.Content;
  }
  return IsId3(bytes) ? TInputContent::AudioOrVideo : RiffForm(bytes);
}

}  // namespace

TInputContent ClassifyInputBytes(std::string_view head) {
  head = head.substr(0, kInputContentHeadBytes);
  if (const TInputContent known = KnownSignature(head); known != TInputContent::Text) return known;
  if (head.find('\0') == std::string_view::npos) return TInputContent::Text;
  const TEncoding mark = ByteOrderMarkOf(head);
  if (mark == TEncoding::Utf16LE || mark == TEncoding::Utf16BE) return TInputContent::Text;
  return mark == TEncoding::Ansi && Utf16CodePageByZeros(head) != -1 ? TInputContent::Text
                                                                     : TInputContent::Binary;
}

std::u16string_view InputContentName(TInputContent content) {
  switch (content) {
    case TInputContent::Text:
      return u"text";
    case TInputContent::EpubBook:
      return u"EPUB book";
    case TInputContent::ZipArchive:
      return u"ZIP archive";
    case TInputContent::OtherArchive:
      return u"compressed archive";
    case TInputContent::PdfDocument:
      return u"PDF document";
    case TInputContent::OfficeDocument:
      return u"Office document";
    case TInputContent::Image:
      return u"image";
    case TInputContent::AudioOrVideo:
      return u"audio or video";
    case TInputContent::Executable:
      return u"program";
    case TInputContent::Binary:
      break;
  }
  return u"binary data";
}

}  // namespace sonacli
