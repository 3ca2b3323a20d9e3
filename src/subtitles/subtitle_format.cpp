#include "subtitles/subtitle_format.h"

#include <array>
#include <string>

#include "common/unicode_text.h"

namespace sonacli {

namespace {

struct Extension {
  std::u16string_view Text;
  TSubtitleFormat Format;
};

constexpr std::array<Extension, 6> kExtensions{{
    {u".srt", TSubtitleFormat::Srt},
    {u".ssa", TSubtitleFormat::Ssa},
    {u".ass", TSubtitleFormat::Ass},
    {u".smi", TSubtitleFormat::Smi},
    {u".vtt", TSubtitleFormat::Vtt},
    {u".lrc", TSubtitleFormat::Lrc},
}};

// The lower-cased extension of the file's own name, "." included; a "." in a folder name does
// not count.
std::u16string LowerExtension(std::u16string_view fileName) {
  size_t dot = fileName.rfind(u'.');
  size_t slash = fileName.rfind(u'/');
  if (dot == std::u16string_view::npos || (slash != std::u16string_view::npos && slash > dot)) return {};
  return LowerCase(fileName.substr(dot));
}

}  // namespace

bool IsSubtitleFileName(std::u16string_view fileName) {
  return SubtitleFormatFromFileName(fileName) != TSubtitleFormat::Unknown;
}

TSubtitleFormat SubtitleFormatFromFileName(std::u16string_view fileName) {
  std::u16string extension = LowerExtension(fileName);
  for (const Extension& known : kExtensions) {
    if (extension == known.Text) return known.Format;
  }
  return TSubtitleFormat::Unknown;
}

}  // namespace sonacli
