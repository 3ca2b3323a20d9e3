// The text-mode driver: the whole input as one audio output (a WAV file, or a WAV or raw PCM
// stream on standard output) with its LRC and SRT files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "driver/driver_context.h"
#include "driver/driver_run.h"
#include "driver/dry_run_plan.h"
#include "driver/progress_line.h"
#include "input/input_text.h"
#include "subtitles/sync_entry.h"
#include "text/piece_lists.h"

namespace sonacli {

// One run over the input text. Requests go to the context's service, waits are slept on
// its clock; failures are reported into its result. With more than one job the requests are sent
// ahead, and the output is the same as with one.
class TTextDriver final : private TDriverRun {
 public:
  TTextDriver(TDriverContext& context, TProgressLine& progress);

  void Run(const TInputText& text);
  // The requests Run would send, planned as Run plans them, with the pauses; nothing is sent and
  // no output is made.
  TDryRunPlan Plan(const TInputText& text);

 private:
  using TNext = TStepOutcome;

  void BuildPieces(const TInputText& text);
  // BuildPieces; false, with "No text to speak" reported, when no piece has text.
  bool BuildSpokenPieces(const TInputText& text);
  // Before every piece a wait, except before one answered from the cache; after every request sent
  // another.
  void PlanRequests(size_t first) override;
  TNext HandlePiece(size_t index);
  TNext HandleTextPiece(size_t index);
  bool InsertAudioFile(const std::u16string& fileName);
  bool AppendPause(int64_t ms);
  void SyncEntry(std::u16string_view text, bool forceEntry);
  void ClearBlankFlags();
  void Finish(bool interrupted);

  TPieceList pieces_;
  TSyncSettings syncSettings_;
  std::vector<std::u16string> lrcLines_;
  std::vector<std::u16string> srtLines_;
  TSyncState syncState_;
};

// The text-mode driver over the input text, with the progress line closed after it.
void SpeakText(TDriverContext& context, const TInputText& text);

}  // namespace sonacli
