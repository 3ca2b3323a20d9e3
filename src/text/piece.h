// One piece of the text that a driver sends or inserts: a request-sized text with the voice it is
// spoken with, an audio insert or a pause, and where it stands for the LRC and SRT writer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/settings.h"

namespace sonacli {

class TTextPart;
struct TPartSettings;

// PausePara ends a paragraph; Chapter starts a chapter and makes no audio.
enum class TPieceKind : uint8_t { Speech, Audio, Pause, PausePara, Chapter };

enum class TChannelMode : uint8_t { MonoToBoth, MonoToLeft, MonoToRight };

// Where a piece stands in its sentence and line; None without LRC or SRT output.
enum class TPieceMarker : uint8_t {
  None,
  Cut,          // cut for length inside a sentence; audio inserts and pauses
  LineEnd,      // ends its input line; pauses that end a paragraph
  SentenceEnd,  // ends a sentence inside a line
};

struct TPiece {
  TPieceKind Kind = TPieceKind::Speech;
  std::u16string Text;      // speech: the text as written; audio: the file name; pauses: as tagged;
                            // chapter: the title (empty when the tag gave none)
  std::u16string Language;  // the language code ("ru-RU"); empty for other kinds
  std::u16string Voice;
  std::u16string Rate;  // as typed; empty: the default rate
  std::u16string Emotion;
  TChannelMode ChannelMode = TChannelMode::MonoToBoth;
  int32_t Volume = 0;   // volume delta: percent minus 100
  int64_t PauseMs = 0;  // pauses: the length in ms
  TPieceMarker Marker = TPieceMarker::None;
  // Speech: sent as text whatever it looks like, never as SSML (a book's text, which is no command).
  bool PlainText = false;
  // Chapter: the -ln number of its first line, when a book's chapter mark gave it; 0 otherwise.
  size_t LineNumber = 0;
  // Pause: one that the run adds where a narrator pauses (TNarrationPauses), not a tag's. It is no
  // request, so no wait is drawn before it.
  bool Narration = false;

  // What every piece of the part is spoken with (the text is left empty).
  static TPiece Of(const TTextPart& part);
  // A speech piece with these settings (the text is left empty).
  static TPiece Of(const TPartSettings& settings);
};

using TPieceList = std::vector<TPiece>;

// The kind of a part's kind text: "audio", "pause", "pause_para", "chapter"; anything else is a
// language.
TPieceKind PieceKindOf(std::u16string_view partKind);
// "MonoToBoth", "MonoToLeft", "MonoToRight" (exact case); any other name is MonoToBoth.
TChannelMode ChannelModeOf(std::u16string_view name);

// Whether the LRC output wants a blank line after a text piece with this marker: after any break
// (--lrc-sent), after line ends only (--lrc-para); without blank lines `current` stays as it is.
bool BlankAfterMarker(TPieceMarker marker, TLrcBlankLines lrcBlankLines, bool current);

}  // namespace sonacli
