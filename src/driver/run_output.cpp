#include "driver/run_output.h"

#include "driver/temp_folder.h"
#include "platform/file_system.h"
#include "subtitles/finish_output.h"

namespace sonacli {

void TRunOutput::Prepare() {
  if (settings_.ToStdout) return;
  tempFolder_ = MakeTempFolder();
}

bool TRunOutput::Open(const TOutputData& format) {
  format_ = format;
  // Without its temporary folder a file output has nowhere to go.
  if (!settings_.ToStdout && tempFolder_.empty()) return false;
  output_ = OpenOutput(format_, tempFolder_, OutputSettingsFrom(settings_));
  return output_ != nullptr;
}

bool TRunOutput::AppendAudio(const std::string& piece) {
  return sonacli::AppendAudio(*output_, first_, piece) || WriteFailure();
}

bool TRunOutput::AppendSilence(int64_t ms) {
  return sonacli::AppendSilence(*output_, first_, format_, ms) || WriteFailure();
}

bool TRunOutput::WriteFailure() {
  const bool readerGone = output_ && output_->ReaderGone();
  if (!writeFailed_ && !readerGone) ReportDriverError(result_, u"Failed to save audio file");
  writeFailed_ = true;
  return false;
}

bool TRunOutput::Finish(bool errorReported, bool writeSyncFiles, const std::vector<std::u16string>& lrcLines,
                        const std::vector<std::u16string>& srtLines) {
  if (output_ && !CloseOutput(*output_)) {
    if (output_->Kind() == TAudioOutput::TKind::File) DeleteFileIfExists(format_.FileName);
    WriteFailure();
  }
  output_.reset();
  std::vector<std::u16string> syncFailures;
  const bool saved = FinishOutput(settings_, format_, errorReported || result_.ErrorReported, writeSyncFiles,
                                  lrcLines, srtLines, &syncFailures);
  // The audio is in place; a missing LRC or SRT file still fails the run.
  for (const std::u16string& failure : syncFailures) ReportDriverError(result_, failure);
  Discard();
  return saved;
}

void TRunOutput::Discard() {
  output_.reset();
  if (!tempFolder_.empty()) {
    RemoveFolder(tempFolder_);
    tempFolder_.clear();
  }
}

}  // namespace sonacli
