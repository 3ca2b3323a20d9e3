// Recognising subtitle files by their extension.
#pragma once

#include <cstdint>
#include <string_view>

namespace sonacli {

// Subtitle format codes, as kept in SubtitleFormat.
enum : uint8_t {
  kSubtitleNone = 0,
  kSubtitleSrt = 1,
  kSubtitleSsa = 2,
  kSubtitleAss = 3,
  kSubtitleSmi = 4,
  kSubtitleVtt = 5,
  kSubtitleLrc = 6,
};

// The extension of the file's name (from its last "."), in any case, is ".srt", ".ssa", ".ass",
// ".smi", ".vtt" or ".lrc".
bool IsSubtitleFileName(std::u16string_view fileName);
// The format code for the file's extension, kSubtitleNone for any other.
uint8_t SubtitleFormatFromFileName(std::u16string_view fileName);

}  // namespace sonacli
