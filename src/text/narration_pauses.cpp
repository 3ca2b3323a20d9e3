#include "text/narration_pauses.h"

#include <algorithm>
#include <string>

#include "common/unicode_text.h"

namespace sonacli {

void TNarrationPauses::BeforeSpeech(const TPauseLengths& lengths) {
  Append(dueMs_);
  dueMs_ = 0;
  chapterEndMs_ = lengths.ChapterMs;
  spoke_ = true;
}

void TNarrationPauses::AfterParagraph(const TPauseLengths& lengths) {
  dueMs_ = beforeHeading_ ? std::max(lengths.ParagraphMs, lengths.ChapterMs / 2) : lengths.ParagraphMs;
  beforeHeading_ = false;
  chapterEndMs_ = lengths.ChapterMs;
}

void TNarrationPauses::BeforeInsert() {
  dueMs_ = 0;
  beforeHeading_ = false;
  spoke_ = true;
}

void TNarrationPauses::BeforeChapter() {
  // A chapter that said nothing (a heading of a part whose first chapter follows at once) ends
  // without a pause; the chapter after it takes its place.
  if (spoke_) Append(std::max(dueMs_, chapterEndMs_));
  dueMs_ = 0;
  spoke_ = false;
}

void TNarrationPauses::AfterChapter(const TPauseLengths& lengths) {
  dueMs_ = lengths.ChapterMs / 4;
  chapterEndMs_ = lengths.ChapterMs;
  beforeHeading_ = true;
  inChapter_ = true;
}

void TNarrationPauses::EndChapters() {
  if (spoke_ && inChapter_) Append(chapterEndMs_);
  dueMs_ = 0;
  spoke_ = false;
  inChapter_ = false;
  beforeHeading_ = false;
}

void TNarrationPauses::Append(int32_t ms) {
  if (ms <= 0) return;
  TPiece& pause = pieces_.emplace_back();
  pause.Kind = TPieceKind::PausePara;
  pause.Text = ToUtf16(std::to_string(ms));
  pause.PauseMs = ms;
  pause.Marker = syncOutput_ ? TPieceMarker::LineEnd : TPieceMarker::None;
  pause.Narration = true;
}

}  // namespace sonacli
