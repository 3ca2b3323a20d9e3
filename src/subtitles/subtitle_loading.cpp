#include "subtitles/subtitle_loading.h"

#include <optional>
#include <utility>

#include "common/unicode_text.h"
#include "subtitles/lrc_reader.h"
#include "subtitles/smi_reader.h"
#include "subtitles/srt_reader.h"
#include "subtitles/ssa_reader.h"
#include "subtitles/subtitle_format.h"
#include "subtitles/subtitle_join.h"
#include "subtitles/subtitle_order.h"
#include "subtitles/subtitle_widen.h"
#include "subtitles/vtt_reader.h"

namespace sonacli {

namespace {

// The entries of the file as its format's reader gives them; nullopt for an unknown format.
std::optional<SubtitleList> ReadEntries(const std::vector<std::u16string>& lines, TSubtitleFormat format,
                                        std::u16string_view smiClass) {
  switch (format) {
    case TSubtitleFormat::Srt:
      return ReadSrt(lines);
    case TSubtitleFormat::Ssa:
    case TSubtitleFormat::Ass:
      return ReadSsa(lines);
    case TSubtitleFormat::Smi:
      return ReadSmi(lines, smiClass);
    case TSubtitleFormat::Vtt:
      return ReadVtt(lines);
    case TSubtitleFormat::Lrc:
      return ReadLrc(lines);
    case TSubtitleFormat::Unknown:
      break;
  }
  return std::nullopt;
}

}  // namespace

TSubtitleLoading LoadSubtitles(const std::vector<std::u16string>& lines, TSubtitleFormat format,
                               std::u16string_view smiClass) {
  std::optional<SubtitleList> entries = ReadEntries(lines, format, smiClass);
  if (!entries) return {{}, kUnknownSubtitleFormat};
  TSubtitleLoading loading{*std::move(entries), {}};
  if (loading.Subtitles.empty()) {
    loading.Error = kNoTextInSubtitles;
    return loading;
  }
  OrderByStartTime(loading.Subtitles);
  JoinContinuedSubtitles(loading.Subtitles);
  WidenSubtitles(loading.Subtitles);
  return loading;
}

TSubtitleLoading LoadSubtitlesFromBytes(std::string_view bytes, TSubtitleFormat format) {
  return LoadSubtitles(SplitIntoLines(ToUtf16(bytes)), format);
}

}  // namespace sonacli
