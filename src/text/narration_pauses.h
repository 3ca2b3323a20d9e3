// The pauses a narrator makes, woven into a run's pieces as they are made: between paragraphs, and
// at chapters, before and after the heading and at the end. They are pause pieces like those of
// the "{{pause=" tag (each ends a paragraph, as a tag at a line end does), so that LRC, SRT and
// chapter times include them.
#pragma once

#include <cstdint>

#include "text/piece.h"

namespace sonacli {

// The lengths of one source's pauses, in ms; 0 makes none.
struct TPauseLengths {
  int32_t ParagraphMs = 0;  // between two paragraphs (lines with speech)
  // At the end of a chapter; a quarter of it before a chapter's heading (its first paragraph), and
  // half of it after the heading. None of them is shorter than the paragraph pause.
  int32_t ChapterMs = 0;

  bool operator==(const TPauseLengths&) const = default;
};

class TNarrationPauses {
 public:
  // Appends to `pieces`; with syncOutput the pauses carry the LRC and SRT line-end marker.
  TNarrationPauses(TPieceList& pieces, bool syncOutput) : pieces_(pieces), syncOutput_(syncOutput) {}

  // Before the pieces of a paragraph of a source with these lengths are appended: the pause due
  // before it goes first.
  void BeforeSpeech(const TPauseLengths& lengths);
  // After them: the paragraph's pause is due before whatever follows with speech.
  void AfterParagraph(const TPauseLengths& lengths);
  // Before an audio insert or a pause of the user's own: that stands in place of the pause due.
  void BeforeInsert();
  // Before and after a chapter's piece is appended: the end of the chapter before it, when it
  // spoke, then the pause before the new chapter's heading, due when its speech comes.
  void BeforeChapter();
  void AfterChapter(const TPauseLengths& lengths);
  // At the end of a book, and of the input: the end of the last chapter.
  void EndChapters();

 private:
  void Append(int32_t ms);

  TPieceList& pieces_;
  bool syncOutput_;
  int32_t dueMs_ = 0;           // the pause due before the next speech
  int32_t chapterEndMs_ = 0;    // the chapter pause of the source that spoke last
  bool spoke_ = false;          // speech or an insert since the last chapter began (or the start)
  bool inChapter_ = false;      // a chapter began and has not been ended
  bool beforeHeading_ = false;  // the next paragraph is the heading of a chapter
};

}  // namespace sonacli
