#include "input/input_content.h"

#include <gtest/gtest.h>

#include <string>

#include "common/unicode_text.h"
#include "platform/text_codec.h"

namespace sonacli {
namespace {

using namespace std::string_literals;

// The start of an EPUB: a local ZIP header whose first entry is "mimetype", stored.
std::string EpubStart() {
  std::string header = "PK\x03\x04\x0A\0\0\0\0\0"s + std::string(16, '\x01');
  header += "\x08\0\0\0"s;  // name length 8, no extra field
  return header + "mimetypeapplication/epub+zipPK\x03\x04";
}

TEST(InputContent, ClassifiesByTheFirstBytes) {
  const std::u16string russian = u"Съешь же ещё этих мягких французских булок, да выпей чаю. ";
  const std::string longUtf16 = EncodeCodePage(russian + russian + russian, 1200);
  const struct {
    const char* what;
    std::string bytes;
    TInputContent expected;
  } cases[] = {
      {"plain text", "Hello, world.\r\n", TInputContent::Text},
      {"UTF-8 with its mark", "\xEF\xBB\xBF" + ToUtf8(russian), TInputContent::Text},
      {"cp1251 text", EncodeCodePage(russian, 1251), TInputContent::Text},
      {"UTF-16LE with its mark", "\xFF\xFE" + EncodeCodePage(russian, 1200), TInputContent::Text},
      {"UTF-16BE with its mark", "\xFE\xFF" + EncodeCodePage(russian, 1201), TInputContent::Text},
      {"UTF-16LE without a mark", longUtf16, TInputContent::Text},
      {"empty", "", TInputContent::Text},
      {"a text that names a signature later", "See %PDF- and PK and ID3v2 and GIF89a.", TInputContent::Text},
      {"ZIP", "PK\x03\x04\x14\0\0\0\x08\0"s, TInputContent::ZipArchive},
      {"empty ZIP", "PK\x05\x06"s + std::string(18, '\0'), TInputContent::ZipArchive},
      {"EPUB", EpubStart(), TInputContent::EpubBook},
      {"PDF", "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n", TInputContent::PdfDocument},
      {"PNG", "\x89PNG\r\n\x1A\n\0\0\0\rIHDR"s, TInputContent::Image},
      {"JPEG", "\xFF\xD8\xFF\xE0\0\x10JFIF"s, TInputContent::Image},
      {"GIF", "GIF89a\x01\0\x01\0"s, TInputContent::Image},
      {"WebP", "RIFF\x24\0\0\0WEBPVP8 "s, TInputContent::Image},
      {"WAV", "RIFF\x24\0\0\0WAVEfmt "s, TInputContent::AudioOrVideo},
      {"MP3 with ID3", "ID3\x04\0\0\0\0\0\x21"s, TInputContent::AudioOrVideo},
      {"Ogg", "OggS\0\x02"s, TInputContent::AudioOrVideo},
      {"MP4",
       "\0\0\0\x18"
       "ftypmp42"s,
       TInputContent::AudioOrVideo},
      {"gzip", "\x1F\x8B\x08\0"s, TInputContent::OtherArchive},
      {"7-Zip", "7z\xBC\xAF\x27\x1C\0\x04"s, TInputContent::OtherArchive},
      {"Word 97", "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1\0\0"s, TInputContent::OfficeDocument},
      {"ELF",
       "\x7F"
       "ELF\x02\x01\x01\0"s,
       TInputContent::Executable},
      {"NUL bytes among text", "Chapter 1\0\0\0\x13\x07 text"s, TInputContent::Binary},
      {"UTF-8 mark before NUL bytes", "\xEF\xBB\xBFtext\0\0\0\0"s, TInputContent::Binary},
      // Only the head counts: a NUL byte far into a text does not make it binary.
      {"NUL after the head", std::string(kInputContentHeadBytes, 'a') + "\0"s, TInputContent::Text},
  };
  for (const auto& c : cases) EXPECT_EQ(ClassifyInputBytes(c.bytes), c.expected) << c.what;
}

}  // namespace
}  // namespace sonacli
