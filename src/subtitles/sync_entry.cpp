#include "subtitles/sync_entry.h"

#include <algorithm>
#include <utility>

#include "common/unicode_text.h"
#include "subtitles/sync_text.h"
#include "subtitles/sync_time.h"

namespace sonacli {

namespace {

// A blank LRC line sits this much before the line it precedes.
constexpr int64_t kBlankLineLeadMs = 10;

// Start of the line that follows `done` of `total` characters in start..end; total > 0.
int64_t ProportionalMs(int64_t start, int64_t end, int64_t done, int64_t total) {
  return start + done * (end - start) / total;
}

void AppendLrcLines(const TSyncSettings& settings, std::vector<std::u16string>& lrcLines,
                    const std::u16string& text, bool forceEntry, TSyncState& state) {
  const int64_t length = static_cast<int64_t>(text.size());
  const bool wrap = settings.LrcLimitLength && length > settings.LrcMaxLength;
  if (!wrap && length == 0 && !forceEntry) return;
  if (state.BlankPending) {
    // A blank line due within the first 10 ms of audio is stamped at 0.
    lrcLines.push_back(FormatLrcTime(std::max<int64_t>(state.PrevMs - kBlankLineLeadMs, 0)));
  }
  if (wrap) {
    int64_t done = 0;
    for (const std::u16string& line : WrapSyncText(text, settings.LrcMaxLength)) {
      lrcLines.push_back(FormatLrcTime(ProportionalMs(state.PrevMs, state.CurMs, done, length)) + line);
      done += static_cast<int64_t>(line.size());
    }
  } else {
    lrcLines.push_back(FormatLrcTime(state.PrevMs) + text);
  }
  state.BlankPending = state.BlankAfterCurrent;
}

void AppendSrtEntries(const TSyncSettings& settings, std::vector<std::u16string>& srtLines,
                      const std::u16string& text, bool forceEntry, TSyncState& state) {
  const int64_t length = static_cast<int64_t>(text.size());
  if (settings.SrtLimitLength && length > settings.SrtMaxLength) {
    const std::vector<std::u16string> lines = WrapSyncText(text, settings.SrtMaxLength);
    int64_t done = 0;
    for (size_t k = 0; k < lines.size(); ++k) {
      const int64_t start = ProportionalMs(state.PrevMs, state.CurMs, done, length);
      done += static_cast<int64_t>(lines[k].size());
      const int64_t end =
          k + 1 == lines.size() ? state.CurMs : ProportionalMs(state.PrevMs, state.CurMs, done, length);
      AppendSrtEntry(srtLines, state, lines[k], start, end);
    }
  } else if (length > 0 || forceEntry) {
    AppendSrtEntry(srtLines, state, text, state.PrevMs, state.CurMs);
  }
}

}  // namespace

TSyncSettings SyncSettingsFrom(const TSettings& options) {
  TSyncSettings settings;
  settings.SyncOutput = options.SyncOutput;
  settings.LrcEnabled = options.LrcEnabled;
  settings.SrtEnabled = options.SrtEnabled;
  settings.LrcLimitLength = options.LrcData.LimitLength;
  settings.LrcMaxLength = options.LrcData.MaxLength;
  settings.SrtLimitLength = options.SrtData.LimitLength;
  settings.SrtMaxLength = options.SrtData.MaxLength;
  return settings;
}

int32_t WriteLrcHeader(std::vector<std::u16string>& lrcLines, bool lrcEnabled, const TLRCData& lrcData) {
  if (!lrcEnabled) return 0;
  const std::pair<std::u16string_view, const std::u16string*> tags[] = {
      {u"[ar:", &lrcData.Artist}, {u"[al:", &lrcData.Album},   {u"[ti:", &lrcData.Title},
      {u"[au:", &lrcData.Author}, {u"[by:", &lrcData.Creator},
  };
  for (const auto& [tag, value] : tags) {
    if (!value->empty()) lrcLines.push_back(std::u16string(tag) + *value + u"]");
  }
  lrcLines.emplace_back(u"[re:Sonarel]");
  if (lrcData.Offset != 0) lrcLines.push_back(u"[offset:" + ToUtf16(std::to_string(lrcData.Offset)) + u"]");
  return static_cast<int32_t>(lrcLines.size());
}

void AppendSrtEntry(std::vector<std::u16string>& srtLines, TSyncState& state, std::u16string_view text,
                    int64_t startMs, int64_t endMs) {
  ++state.SrtIndex;
  srtLines.push_back(ToUtf16(std::to_string(state.SrtIndex)));
  srtLines.push_back(FormatSrtTime(startMs, false) + u" --> " + FormatSrtTime(endMs, true));
  srtLines.emplace_back(text);
  srtLines.emplace_back();
}

void AddSyncEntry(const TSyncSettings& settings, int64_t curMs, std::vector<std::u16string>& lrcLines,
                  std::vector<std::u16string>& srtLines, std::u16string_view text, bool forceEntry,
                  TSyncState& state) {
  if (!settings.SyncOutput) return;
  const std::u16string cleaned = CleanSyncText(text);
  state.PrevMs = state.CurMs;
  state.CurMs = curMs;
  if (settings.LrcEnabled) AppendLrcLines(settings, lrcLines, cleaned, forceEntry, state);
  if (settings.SrtEnabled) AppendSrtEntries(settings, srtLines, cleaned, forceEntry, state);
}

void AppendSyncEntry(const TSyncSettings& settings, const TAudioSink* output,
                     std::vector<std::u16string>& lrcLines, std::vector<std::u16string>& srtLines,
                     std::u16string_view text, bool forceEntry, TSyncState& state) {
  if (!settings.SyncOutput) return;
  AddSyncEntry(settings, AudioDurationMs(output), lrcLines, srtLines, text, forceEntry, state);
}

}  // namespace sonacli
