// Recognising subtitle files by their extension.
#pragma once

#include <cstdint>
#include <string_view>

#include "settings/settings.h"

namespace sonacli {

// The extension of the file's name (from its last "."), in any case, is ".srt", ".ssa", ".ass",
// ".smi", ".vtt" or ".lrc".
bool IsSubtitleFileName(std::u16string_view fileName);
// The format of the file's extension; Unknown for any other.
TSubtitleFormat SubtitleFormatFromFileName(std::u16string_view fileName);

}  // namespace sonacli
