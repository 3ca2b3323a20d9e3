// What a run would send, found by the drivers' own planning with nothing sent: the requests in the
// order they would leave, each as it would go out, and what the audio's length depends on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "driver/driver_context.h"
#include "input/input_text.h"
#include "service/synthesis_request.h"
#include "subtitles/subtitle.h"

namespace sonacli {

struct TPlannedRequest {
  TSynthesisRequest Request;  // the text after the dictionaries, the piece's voicing, the run's key
  bool Cached = false;        // the cache holds its answer: nothing would be sent
  size_t Subtitle = 0;        // subtitle mode: the subtitle it voices
};

struct TPlannedChapter {
  std::u16string Title;   // empty when the tag gave none
  int64_t StartMs = 0;    // where it would start, estimated as the length is
  size_t LineNumber = 0;  // a book's chapter: the -ln number of its first line; 0 otherwise
};

struct TDryRunPlan {
  std::vector<TPlannedRequest> Requests;
  int64_t PausesMs = 0;           // text mode: the silence of the pauses
  int64_t NarrationPausesMs = 0;  // text mode: the part of PausesMs between paragraphs and at chapters
  size_t AudioInserts = 0;        // text mode: audio files inserted, whose length the estimate leaves out
  std::vector<int64_t> SubtitleStartsMs;  // subtitle mode: when each subtitle starts
  std::vector<TPlannedChapter> Chapters;  // in the order of the run
};

// Speech the estimate assumes at the default rate: ordinary reading speed, spaces and punctuation
// included. A rate of 2 halves the time.
inline constexpr int32_t kEstimatedCharactersPerSecond = 15;

// Characters of a text as the service counts them: code points.
int64_t BilledCharacters(const std::u16string& text);
// The estimated speech of one request: its characters at kEstimatedCharactersPerSecond times its
// rate (a rate that does not read as a number counts as 1).
int64_t EstimatedSpeechMs(const TSynthesisRequest& request);
// The estimated length of the output: text mode, the speech of every request and the pauses;
// subtitle mode, the subtitles placed as the driver places them (each at its start, or after the
// speech before it when that runs longer; 100 ms for one without speech; 1 s of silence at the end),
// without --sub-fit's speeding up.
int64_t EstimatedAudioMs(const TDryRunPlan& plan, bool subtitleMode);
// Subtitle mode: where each subtitle's speech would start in the output, placed as
// EstimatedAudioMs places it.
std::vector<int64_t> EstimatedSubtitlePlacesMs(const TDryRunPlan& plan);

// The requests a text-mode run over the input text would send; "No text to speak" is reported into
// the context's result as a real run reports it.
TDryRunPlan PlanText(TDriverContext& context, const TInputText& text);
// The requests a subtitle-mode run would send.
TDryRunPlan PlanSubtitles(TDriverContext& context, const SubtitleList& subtitles);

}  // namespace sonacli
