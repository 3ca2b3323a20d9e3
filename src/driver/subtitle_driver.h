// The subtitle-mode driver: every subtitle voiced at its start time into one audio output (a WAV
// file, or a WAV or raw PCM stream on standard output); no LRC or SRT file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "audio/audio_output.h"
#include "driver/driver_context.h"
#include "driver/driver_run.h"
#include "driver/dry_run_plan.h"
#include "driver/progress_line.h"
#include "subtitles/subtitle.h"
#include "text/piece.h"

namespace sonacli {

// Milliseconds of speech in a subtitle's buffer (PCM of the output format), truncated.
int64_t BufferDurationMs(const std::string& pcm, const TOutputData& format);

// One run over the joined and widened subtitles. Each subtitle's speech starts 1 ms before its
// start time, or right after the speech before it when that runs longer; its pieces are collected
// as PCM in a buffer of their own, trimmed of silence and, with --sub-fit, sped up to its time.
// One second of silence ends the output. Requests go to the context's service, waits are slept on
// its clock; failures are reported into its result. With more than one job the requests of all
// subtitles are sent ahead, and the output is the same as with one.
class TSubtitleDriver final : private TDriverRun {
 public:
  TSubtitleDriver(TDriverContext& context, TProgressLine& progress);

  void Run(const SubtitleList& subtitles);
  // The requests Run would send, planned as Run plans them; nothing is sent and no output is made.
  TDryRunPlan Plan(const SubtitleList& subtitles);

 private:
  // One subtitle's speech: PCM of the output format, and whether any of its pieces was voiced (an
  // answer without samples counts); a subtitle with none gets a placeholder silence instead.
  struct SubtitleSpeech {
    std::string Pcm;
    bool Voiced = false;
  };

  // The pieces of every subtitle, in one list, as the dictionaries have not yet changed them.
  void BuildPieces(const SubtitleList& subtitles);
  // The requests of every subtitle (they do not depend on where the output stands): a wait before
  // every subtitle and one after every request sent.
  void PlanRequests(size_t first) override;
  // Whether subtitle `index` can still be voiced whole after an interruption.
  bool ArrivedWhole(size_t index);
  TStepOutcome HandleSubtitle(const SubtitleList& subtitles, size_t index);
  // The chapters the tags of subtitle `index` start, at the start of its speech.
  void StartChapters(size_t index);
  TStepOutcome VoiceSubtitle(size_t index, SubtitleSpeech& speech);
  TStepOutcome AddPiece(size_t index, SubtitleSpeech& speech);
  void FitSpeech(const SubtitleList& subtitles, size_t index, int64_t speechStartMs, std::string& pcm) const;
  // Silence of `ms` into the output; "Failed to save audio file" when it cannot be written.
  bool AppendGap(int64_t ms);
  TStepOutcome SpeechBufferFailed();
  int64_t OutputMs() const;

  TPieceList pieces_;
  // Subtitle j's pieces are those from subtitleStarts_[j] up to subtitleStarts_[j + 1].
  std::vector<size_t> subtitleStarts_;
};

// The subtitle-mode driver over the subtitles, with the progress line closed after it.
void SpeakSubtitles(TDriverContext& context, const SubtitleList& subtitles);

}  // namespace sonacli
