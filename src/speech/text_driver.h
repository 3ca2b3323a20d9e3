// The text-mode driver: the whole input as one audio output (a WAV file, or a WAV or raw PCM
// stream on standard output) with its LRC and SRT files.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "audio/audio_output.h"
#include "speech/pacing.h"
#include "speech/yandex_tts_object.h"
#include "subtitles/sync_entry.h"
#include "text/piece_lists.h"

namespace sonacli {

// One run over the lines of the input, with the settled global settings. Requests go to
// `service`, waits are slept on `clock`; failures are reported into `runResult`.
class TTextDriver {
 public:
  TTextDriver(TYandexTTSObject& service, TTickClock& clock, TRunResult& runResult);
  ~TTextDriver();
  TTextDriver(const TTextDriver&) = delete;
  TTextDriver& operator=(const TTextDriver&) = delete;

  void Run(const std::vector<std::u16string>& lines);

 private:
  // What the loop does after a piece.
  enum class TNext { Continue, EndLoop, Abort };

  void BuildPieces(const std::vector<std::u16string>& lines);
  TNext HandlePiece(size_t index);
  TNext HandleTextPiece(size_t index);
  bool OpenOutputAfterProbe();
  bool InsertAudioFile(const std::u16string& fileName);
  bool AppendPause(const std::u16string& text);
  void SyncEntry(std::u16string_view text, bool forceEntry);
  void ClearBlankFlags();
  void Finish(bool interrupted);
  void Discard();

  TYandexTTSObject& service_;
  TRunResult& runResult_;
  bool legacyKey_;
  TPacer pacer_;
  PieceLists pieces_;
  std::u16string tempFolder_;
  TOutputData outputData_;
  std::unique_ptr<TAudioOutput> output_;
  bool firstPiece_ = true;
  std::string answer_;
  std::vector<std::u16string> lrcLines_;
  std::vector<std::u16string> srtLines_;
  SyncState syncState_;
};

}  // namespace sonacli
