// The LRC lines and SRT entries that follow the synthesised speech, built in memory piece by piece.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "audio/audio_sink.h"
#include "settings/settings.h"

namespace sonacli {

// Timing of one text-mode run; never reset within the run.
struct TSyncState {
  int64_t PrevMs = 0;              // start of the piece being entered (ms of audio before it)
  int64_t CurMs = 0;               // output duration after the piece
  int32_t SrtIndex = 0;            // number of the last SRT entry written
  bool BlankPending = false;       // an LRC blank line is due before the next LRC line
  bool BlankAfterCurrent = false;  // the piece being entered ends a sentence or paragraph
};

// What the entries depend on, as the settings resolution left it.
struct TSyncSettings {
  bool SyncOutput = false;
  bool LrcEnabled = false;
  bool SrtEnabled = false;
  bool LrcLimitLength = false;
  int32_t LrcMaxLength = 0;
  bool SrtLimitLength = false;
  int32_t SrtMaxLength = 0;
};

// The sync settings of a run, as the settings resolution left them.
TSyncSettings SyncSettingsFrom(const TSettings& settings);

// Appends the ID-tag lines ("[ar:", "[al:", "[ti:", "[au:", "[by:" for non-empty fields,
// "[re:Sonarel]", "[offset:" when not 0) when LRC is on; returns the number of lines then in the list
// (0 when LRC is off).
int32_t WriteLrcHeader(std::vector<std::u16string>& lrcLines, bool lrcEnabled, const TLRCData& lrcData);

// Appends one numbered SRT entry (number, times, text, empty line) and counts it in state.SrtIndex.
void AppendSrtEntry(std::vector<std::u16string>& srtLines, TSyncState& state, std::u16string_view text,
                    int64_t startMs, int64_t endMs);

// The entry for a piece whose audio ends at curMs: the cleaned text as LRC lines and SRT entries
// covering state.CurMs..curMs, wrapped when a length limit is set and exceeded. An empty text makes
// an entry only with forceEntry (audio inserts). curMs advances the state in any case.
void AddSyncEntry(const TSyncSettings& settings, int64_t curMs, std::vector<std::u16string>& lrcLines,
                  std::vector<std::u16string>& srtLines, std::u16string_view text, bool forceEntry,
                  TSyncState& state);

// AddSyncEntry for the audio appended to the output so far; nothing unless SyncOutput. `text` is
// the piece as written, before the dictionaries.
void AppendSyncEntry(const TSyncSettings& settings, const TAudioSink* output,
                     std::vector<std::u16string>& lrcLines, std::vector<std::u16string>& srtLines,
                     std::u16string_view text, bool forceEntry, TSyncState& state);

}  // namespace sonacli
