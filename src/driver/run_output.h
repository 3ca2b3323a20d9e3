// The audio output of one driver run: the temporary folder that holds it until it is complete, the
// output opened in the format the probe found, the appends, and the finish that puts it in place.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "audio/audio_output.h"
#include "settings/settings.h"

namespace sonacli {

class TRunOutput {
 public:
  // `settings` must outlive the object.
  explicit TRunOutput(const TSettings& settings) : settings_(settings) {}
  // Whatever ended the run, its temporary state goes with it.
  ~TRunOutput() { Discard(); }
  TRunOutput(const TRunOutput&) = delete;
  TRunOutput& operator=(const TRunOutput&) = delete;

  // For file output: creates the temporary folder. An old output of the requested name stays
  // until Finish replaces it in one step. Nothing for standard output.
  void Prepare();
  // Opens the output in the probe's format (taken into Format()); false when a file output has no
  // temporary folder or its file cannot be created.
  bool Open(const TOutputData& format);
  bool IsOpen() const { return output_ != nullptr; }

  // A decoded piece or a converted insert; silence of the output format. False on a write error.
  bool AppendAudio(const std::string& piece);
  bool AppendSilence(int64_t ms);

  const TAudioOutput* Output() const { return output_.get(); }
  const TOutputData& Format() const { return format_; }

  // Completes the output and puts it in place (FinishOutput), renamed over an old output (a
  // symbolic link there is replaced, not followed): a file whose end could not be written is
  // deleted rather than put in place as if it were whole. Returns whether the audio counts as
  // saved. Without an opened output nothing is put in place and an old output stays. Discards the
  // temporary state afterwards.
  bool Finish(bool errorReported, bool writeSyncFiles, const std::vector<std::u16string>& lrcLines,
              const std::vector<std::u16string>& srtLines);
  // Drops the output unfinished and removes the temporary folder with everything in it.
  void Discard();

 private:
  const TSettings& settings_;
  std::u16string tempFolder_;
  TOutputData format_;
  std::unique_ptr<TAudioOutput> output_;
  bool first_ = true;
};

}  // namespace sonacli
