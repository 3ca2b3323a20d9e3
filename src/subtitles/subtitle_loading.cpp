#include "subtitles/subtitle_loading.h"

#include "common/unicode_text.h"
#include "subtitles/lrc_reader.h"
#include "subtitles/smi_reader.h"
#include "subtitles/srt_reader.h"
#include "subtitles/ssa_reader.h"
#include "subtitles/subtitle_format.h"
#include "subtitles/subtitle_join.h"
#include "subtitles/subtitle_widen.h"
#include "subtitles/vtt_reader.h"

namespace sonacli {

namespace {

using Reader = SubtitleList (*)(const std::vector<std::u16string>&);

Reader ReaderFor(uint8_t format) {
  switch (format) {
    case kSubtitleSrt:
      return &ReadSrt;
    case kSubtitleSsa:
    case kSubtitleAss:
      return &ReadSsa;
    case kSubtitleSmi:
      return &ReadSmi;
    case kSubtitleVtt:
      return &ReadVtt;
    case kSubtitleLrc:
      return &ReadLrc;
    default:
      return nullptr;
  }
}

}  // namespace

TSubtitleLoading LoadSubtitles(const std::vector<std::u16string>& lines, uint8_t format) {
  const Reader read = ReaderFor(format);
  if (read == nullptr) return {{}, kUnknownSubtitleFormat};
  TSubtitleLoading loading{read(lines), {}};
  if (loading.Subtitles.empty()) {
    loading.Error = kNoTextInSubtitles;
    return loading;
  }
  JoinContinuedSubtitles(loading.Subtitles);
  WidenSubtitles(loading.Subtitles);
  return loading;
}

TSubtitleLoading LoadSubtitlesFromBytes(std::string_view bytes, uint8_t format) {
  return LoadSubtitles(SplitIntoLines(ToUtf16(bytes)), format);
}

}  // namespace sonacli
