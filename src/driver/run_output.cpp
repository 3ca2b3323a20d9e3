#include "driver/run_output.h"

#include <cerrno>
#include <limits>

#include "audio/silence.h"
#include "audio/wav_header.h"
#include "common/unicode_text.h"
#include "encode/chapter_file.h"
#include "encode/chapter_split_sink.h"
#include "encode/encoded_sink.h"
#include "encode/media_tags.h"
#include "platform/descriptor.h"
#include "platform/file_system.h"
#include "platform/replacing_file.h"
#include "text/chapter_tag.h"

namespace sonacli {

namespace {

constexpr char16_t kSaveFailure[] = u"Failed to save audio file";
constexpr char16_t kCopyFileName[] = u"sonacli-chapters.pcm";

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
  sink_ = OpenSink();
  if (sink_ && !choice_.SplitChaptersFolder.empty()) sink_ = SplitChapters(std::move(sink_));
  return sink_ != nullptr;
}

std::unique_ptr<TAudioSink> TRunOutput::SplitChapters(std::unique_ptr<TAudioSink> sink) {
  // The copy of the audio that the chapter files are cut from lies in their own folder, where they
  // will need the room anyway. Only its descriptor is kept: the name goes when the claim does, so
  // the copy vanishes with the run however it ends.
  std::u16string copyTarget = choice_.SplitChaptersFolder;
  if (copyTarget.back() != u'/') copyTarget += u'/';
  copyTarget += kCopyFileName;
  const std::unique_ptr<TReplacingFile> claim = TReplacingFile::Create(ToUtf8(copyTarget), 0600);
  std::u16string error = u"Cannot create the copy of the audio for the chapter files";
  std::unique_ptr<TChapterSplitSink> split =
      claim ? TChapterSplitSink::Create(std::move(sink), ToUtf16(claim->TemporaryName()), error) : nullptr;
  if (!split) {
    ReportDriverError(result_, error);
    return nullptr;
  }
  split_ = split.get();
  return split;
}

void TRunOutput::WriteChapterFiles() {
  if (split_ == nullptr) return;
  std::vector<std::u16string> failures;
  split_->WriteChapterFiles(choice_.SplitChaptersFolder, choice_, tags_, failures);
  for (const std::u16string& failure : failures) ReportDriverError(result_, failure);
}

std::unique_ptr<TAudioSink> TRunOutput::OpenSink() {
  const TOutputSettings output = OutputSettingsFrom(settings_);
  if (!IsEncoded(choice_.Format)) return OpenOutput(format_, output);
  const TEncoderSettings encoder = EncoderSettingsFor(choice_, format_.Format(), tags_);
  std::u16string error;
  std::unique_ptr<TEncodedSink> sink;
  if (format_.BitsPerSample != 16) {
    error = u"The encoders take 16-bit audio only";
  } else if (output.ToStdout) {
    IgnoreBrokenPipe();
    sink = TEncodedSink::CreateStream(encoder, output.StdoutFd, error);
  } else {
    sink = TEncodedSink::CreateFile(encoder, format_.FileName, error);
  }
  if (!sink) {
    ReportDriverError(result_, error);
    return nullptr;
  }
  encoded_ = sink.get();
  return sink;
}

void TRunOutput::ReportNotes() {
  if (encoded_ == nullptr) return;
  for (const std::u16string& note : encoded_->Notes()) ReportDriverWarning(result_, note);
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
      // A run stopped (by a failure already reported, or by the user) before any audio leaves no
      // output, as planned: an encoder's complaint that it has nothing to save adds no news.
      if (madeAudio_ || !failed) WriteFailure();
    } else {
      ReportNotes();
      WriteChapterFiles();
    }
    totalFrames = sink_->Frames();
  }
  // A run that failed before it made any audio keeps an old output rather than put an empty one
  // in its place.
  if (!sink_ || (failed && !madeAudio_)) files_.Audio.reset();
  encoded_ = nullptr;
  split_ = nullptr;
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
  const std::u16string streamExtension = raw ? u".raw" : std::u16string(FormatExtension(choice_.Format));
  const std::u16string audioName = settings_.ToStdout
                                       ? ChangeExtension(settings_.ChapterFileName, streamExtension)
                                       : settings_.OutputFileName;
  // A CUE sheet names the book at its top, as players show it; the metadata file holds the chapters
  // alone.
  const bool cue = ChapterFileKindFromName(settings_.ChapterFileName) == TChapterFileKind::Cue;
  std::u16string error;
  if (!WriteChapterFile(
          settings_.ChapterFileName, ChapterSpans(chapters_, totalFrames, std::numeric_limits<size_t>::max()),
          format_.SampleRate, cue ? tags_ : TMediaTags{}, FileNameOnly(audioName), choice_.Format, error)) {
    ReportDriverError(result_, error);
  }
}

void TRunOutput::Discard() {
  encoded_ = nullptr;
  split_ = nullptr;
  sink_.reset();
  files_ = TOutputFiles();
}

}  // namespace sonacli
