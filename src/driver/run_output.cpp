#include "driver/run_output.h"

#include <cerrno>
#include <limits>

#include "audio/silence.h"
#include "audio/wav_header.h"
#include "common/unicode_text.h"
#include "encode/chapter_file.h"
#include "encode/media_tags.h"
#include "platform/file_system.h"
#include "text/chapter_tag.h"

namespace sonacli {

namespace {

constexpr char16_t kSaveFailure[] = u"Failed to save audio file";

}  // namespace

bool TRunOutput::Prepare(bool writeSyncFiles) {
  std::u16string error;
  if (ClaimOutputFiles(settings_, writeSyncFiles, files_, error)) return true;
  ReportDriverError(result_, error);
  Discard();
  return false;
}

bool TRunOutput::Open(const TOutputData& format) {
  format_ = format;
  if (!settings_.ToStdout) {
    // Without its temporary a file output has nowhere to go.
    if (!files_.Audio) return false;
    format_.FileName = ToUtf16(files_.Audio->TemporaryName());
  }
  sink_ = OpenOutput(format_, OutputSettingsFrom(settings_));
  return sink_ != nullptr;
}

bool TRunOutput::AppendWav(const std::string& piece) {
  return AppendPcm(WavSamples(piece));
}

bool TRunOutput::AppendPcm(std::string_view pcm) {
  return sink_->Append(pcm) || WriteFailure();
}

bool TRunOutput::AppendSilence(int64_t ms) {
  return sonacli::AppendSilence(*sink_, ms) || WriteFailure();
}

void TRunOutput::AddChapter(std::u16string title) {
  const int64_t start = sink_ ? sink_->Frames() : 0;
  if (!chapters_.empty() && chapters_.back().StartFrame == start) chapters_.pop_back();
  if (title.empty()) title = DefaultChapterTitle(chapters_.size() + 1);
  chapters_.push_back({std::move(title), start});
}

bool TRunOutput::WriteFailure() {
  const bool readerGone = settings_.ToStdout && sink_ && sink_->WriteError() == EPIPE;
  // A silence too long for any disk fails before the sink has written anything.
  const std::u16string error = sink_ ? sink_->Error() : std::u16string();
  if (!writeFailed_ && !readerGone) ReportDriverError(result_, error.empty() ? kSaveFailure : error);
  writeFailed_ = true;
  return false;
}

bool TRunOutput::Finish(bool errorReported, bool writeSyncFiles, const std::vector<std::u16string>& lrcLines,
                        const std::vector<std::u16string>& srtLines) {
  const bool failed = errorReported || result_.ErrorReported;
  madeAudio_ = sink_ && sink_->Frames() > 0;
  int64_t totalFrames = 0;
  if (sink_) {
    for (const TChapterMark& chapter : chapters_) sink_->AddChapter(chapter.Title, chapter.StartFrame);
    if (!sink_->Finish()) {
      files_.Audio.reset();  // no valid file can be made of it: an old output stays
      WriteFailure();
    }
    totalFrames = sink_->Frames();
  }
  // A run that failed before it made any audio keeps an old output rather than put an empty one
  // in its place.
  if (!sink_ || (failed && !madeAudio_)) files_.Audio.reset();
  sink_.reset();
  std::vector<std::u16string> syncFailures;
  const bool saved = FinishOutput(settings_, files_, failed || result_.ErrorReported, writeSyncFiles,
                                  lrcLines, srtLines, &syncFailures);
  // The audio is in place; a missing LRC, SRT or chapter file still fails the run.
  for (const std::u16string& failure : syncFailures) ReportDriverError(result_, failure);
  if (saved && !settings_.ChapterFileName.empty()) WriteChapters(totalFrames);
  Discard();
  return saved;
}

void TRunOutput::WriteChapters(int64_t totalFrames) {
  // A CUE sheet names its audio file; standard output has none, so the sheet names the file the
  // stream is most likely kept in: the chapter file's own name with the audio's extension.
  const bool raw = settings_.ToStdout && settings_.RawOutput;
  const std::u16string audioName = settings_.ToStdout
                                       ? ChangeExtension(settings_.ChapterFileName, raw ? u".raw" : u".wav")
                                       : settings_.OutputFileName;
  std::u16string error;
  if (!WriteChapterFile(settings_.ChapterFileName,
                        ChapterSpans(chapters_, totalFrames, std::numeric_limits<size_t>::max()),
                        format_.SampleRate, TMediaTags{}, FileNameOnly(audioName),
                        raw ? TOutputFormat::Raw : TOutputFormat::Wav, error)) {
    ReportDriverError(result_, error);
  }
}

void TRunOutput::Discard() {
  sink_.reset();
  files_ = TOutputFiles();
}

}  // namespace sonacli
