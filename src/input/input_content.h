// Telling text from the files that are no text (archives, documents, images, sound, programs) by
// their first bytes, before anything of them is sent to the service as text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace sonacli {

enum class TInputContent : uint8_t {
  Text,
  EpubBook,      // a ZIP whose first entry names the EPUB media type
  ZipArchive,    // other ZIPs, such as Office Open XML and OpenDocument files
  OtherArchive,  // gzip, bzip2, xz, zstd, 7-Zip, RAR
  PdfDocument,
  OfficeDocument,  // the compound files of older Microsoft Office versions
  Image,
  AudioOrVideo,
  Executable,
  Binary,  // no known signature, but NUL bytes that no text holds
};

// How many of the first bytes ClassifyInputBytes looks at.
inline constexpr size_t kInputContentHeadBytes = 8192;

// What the input is, from its first bytes (those after kInputContentHeadBytes are not looked at):
// a known signature names a kind; otherwise the bytes are text unless they hold a NUL byte. UTF-16
// text, whose ASCII characters have a NUL byte each, is text by its byte-order mark or by where its
// NUL bytes are.
TInputContent ClassifyInputBytes(std::string_view head);

// The kind in the words of the messages ("PDF document").
std::u16string_view InputContentName(TInputContent content);

}  // namespace sonacli
