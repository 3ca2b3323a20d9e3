// The pieces of a whole text-mode input, in its order. The user's own text is read as it always
// was: every stretch of it between books as one text of parts and inline tags (TTextParts). A
// book's text is never read for tags: every line is a paragraph spoken with the book's voice, sent
// as text and never as SSML, and its chapters come from the marks beside its lines. The pauses of
// a narrator (TNarrationPauses) go between a book's paragraphs and at its chapters, and, when they
// are asked for, between the lines of the user's text and at its chapters.
#pragma once

#include <cstdint>

#include "input/input_text.h"
#include "settings/settings.h"
#include "text/narration_pauses.h"
#include "text/piece.h"
#include "text/text_part.h"

namespace sonacli {

// With LRC or SRT output pieces stay short enough for one LRC line or SRT entry each.
inline constexpr int32_t kSyncPieceLimit = 350;

// How the pieces are made.
struct TPieceRules {
  TPartSettings Voice;  // the run's voice: the user's text starts with it, as every "{{lang=" does
  // A book in a language of the service is read in that language by its voice (VoiceForLanguage);
  // false when the user named a language or voice, which then reads every book.
  bool BookLanguageChoosesVoice = false;
  bool LegacyKey = false;    // requests go to the legacy interface, with its shorter limit
  bool SyncOutput = false;   // LRC or SRT output: a piece per sentence, at most kSyncPieceLimit long
  TPauseLengths BookPauses;  // where a narrator pauses in a book
  TPauseLengths UserPauses;  // the same in the user's text, between its lines: none unless asked for

  static TPieceRules FromSettings(const TSettings& settings, bool legacyKey);
};

TPieceList BuildInputPieces(const TInputText& text, const TPieceRules& rules);

// The voice a book in that language (as the book names it) is read with: the run's voice, or with
// BookLanguageChoosesVoice, for a language of the service (LanguageOfTag), that language and its
// voice.
TPartSettings BookVoice(std::u16string_view bookLanguage, const TPieceRules& rules);

}  // namespace sonacli
