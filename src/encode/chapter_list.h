// Chapters of an output: the marks a run sets while its audio is made, and the spans stored from
// them once its length is known.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "encode/output_format.h"

namespace sonacli {

// A chapter starts at a sample frame of the output's PCM (the first sample of its first piece).
struct TChapterMark {
  std::u16string Title;
  int64_t StartFrame = 0;
};

// A stored chapter: [StartFrame, EndFrame) of the PCM; empty when both are equal.
struct TChapterSpan {
  std::u16string Title;
  int64_t StartFrame = 0;
  int64_t EndFrame = 0;
};

// The most chapters a format holds: the Vorbis comments of Ogg Opus and FLAC number them from
// CHAPTER000 to CHAPTER999; the ID3v2 table of contents that MP3 gets counts its entries in one
// byte; MP4 has no such limit.
size_t MaxChapters(TOutputFormat format);

// A title as one line: every line break, tab or other control character becomes a space; the
// rest (any script, quotes, any length) stays.
std::u16string OneLineTitle(std::u16string_view title);

// The chapters of an output of `totalFrames`: the marks in the order of their starts (marks at
// one sample keep the order they came in, each but the last an empty chapter); a mark at or after
// the end is dropped (it marks audio that was never made); at most `limit` are kept; each ends
// where the next begins and the last at the end; titles made one line.
std::vector<TChapterSpan> ChapterSpans(std::vector<TChapterMark> marks, int64_t totalFrames, size_t limit);

}  // namespace sonacli
