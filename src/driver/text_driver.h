// The text-mode driver: the whole input as one audio output (a WAV file, or a WAV or raw PCM
// stream on standard output) with its LRC and SRT files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "driver/driver_context.h"
#include "driver/driver_run.h"
#include "driver/pacing.h"
#include "driver/progress_line.h"
#include "driver/request_sender.h"
#include "driver/run_output.h"
#include "subtitles/sync_entry.h"
#include "text/piece_lists.h"

namespace sonacli {

// One run over the lines of the input. Requests go to the context's service, waits are slept on
// its clock; failures are reported into its result.
class TTextDriver {
 public:
  TTextDriver(TDriverContext& context, TProgressLine& progress);
  TTextDriver(const TTextDriver&) = delete;
  TTextDriver& operator=(const TTextDriver&) = delete;

  void Run(const std::vector<std::u16string>& lines);

 private:
  using TNext = TStepOutcome;

  void BuildPieces(const std::vector<std::u16string>& lines);
  TNext HandlePiece(size_t index);
  TNext HandleTextPiece(size_t index);
  // With more than one job: the requests of the pieces from `first` on, sent ahead.
  void StartPipeline(size_t first);
  bool InsertAudioFile(const std::u16string& fileName);
  bool AppendPause(int64_t ms);
  void SyncEntry(std::u16string_view text, bool forceEntry);
  void ClearBlankFlags();
  void Finish(bool interrupted);

  TDriverContext& context_;
  const TSettings& settings_;
  TProgressLine& progress_;
  bool legacyKey_;
  TPacer pacer_;
  TPieceList pieces_;
  TRunOutput output_;
  TSyncSettings syncSettings_;
  std::vector<std::u16string> lrcLines_;
  std::vector<std::u16string> srtLines_;
  TSyncState syncState_;
  // Sends the requests; with more than one job, ahead of their pieces' turn.
  TRequestSender sender_;
};

// The text-mode driver over the lines, with the progress line closed after it.
void SpeakText(TDriverContext& context, const std::vector<std::u16string>& lines);

}  // namespace sonacli
