// The audio output of one driver run: the files it writes, claimed under temporary names beside
// their targets before the first request, the output opened in the format the probe found, the
// appends, and the finish that puts them in place.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "audio/audio_output.h"
#include "audio/audio_sink.h"
#include "driver/driver_error.h"
#include "encode/chapter_list.h"
#include "encode/media_tags.h"
#include "encode/output_choice.h"
#include "settings/settings.h"
#include "subtitles/finish_output.h"

namespace sonacli {

class TChapterSplitSink;
class TEncodedSink;

class TRunOutput {
 public:
  // `settings`, `result`, `choice` and `tags` must outlive the object; write failures are reported
  // into `result`. The choice picks WAV (or raw PCM) or an encoded format, which stores the tags.
  TRunOutput(const TSettings& settings, TRunResult& result, const TOutputChoice& choice = kWavOutputChoice,
             const TMediaTags& tags = kNoMediaTags)
      : settings_(settings), result_(result), choice_(choice), tags_(tags) {}
  // Whatever ended the run, its temporary state goes with it.
  ~TRunOutput() { Discard(); }
  TRunOutput(const TRunOutput&) = delete;
  TRunOutput& operator=(const TRunOutput&) = delete;

  // Before the first request: claims the temporary names of the files the run writes (the audio
  // of a file output; with writeSyncFiles the enabled LRC and SRT files), each beside its target,
  // so that a folder that cannot be written is found before anything is paid for. False when one
  // cannot be made, reported with the folder's name. Old files of the requested names stay until
  // Finish replaces them in one step.
  bool Prepare(bool writeSyncFiles);
  // Opens the output in the probe's format (taken into Format()); a file output is written under
  // its temporary name. False when a file output has no temporary or its file cannot be opened.
  bool Open(const TOutputData& format);
  bool IsOpen() const { return sink_ != nullptr; }

  // The samples of a WAV piece of the output format (a decoded answer, a converted insert); PCM of
  // it (a subtitle's speech); silence. False when it could not be written (a full disk, a file-size
  // limit, an I/O error, a closed pipe): the failure is then already reported, in the sink's words
  // ("Failed to save audio file"; once; not for a closed pipe of standard output, whose reader
  // simply stopped listening), and the caller ends its loop and calls Finish, which keeps what was
  // written.
  bool AppendWav(const std::string& piece);
  bool AppendPcm(std::string_view pcm);
  bool AppendSilence(int64_t ms);
  // Starts a chapter at the output's current length: the first sample of the piece appended next.
  // An empty title becomes "Chapter N", N its number in the run. A chapter that would start where
  // the one before it starts (nothing was appended since) replaces it: an empty chapter would only
  // confuse a player, and the later title is the one that names the audio that follows.
  void AddChapter(std::u16string title);

  // A write failed, in an append or in Finish; its report is made.
  bool WriteFailed() const { return writeFailed_; }

  // The sink while the output is open (null before and after); its length times LRC and SRT.
  const TAudioSink* Sink() const { return sink_.get(); }
  const TOutputData& Format() const { return format_; }

  // Hands every chapter to the sink, in order, then completes the output and puts it in place
  // (FinishOutput), renamed over an old output (a symbolic link there is replaced, not followed).
  // After a failed write the file keeps what reached the disk, with a header that matches it; a
  // file that cannot be made valid is removed. A failure of writing the end (the buffer of
  // standard output, the header) is reported like a failed append. Returns whether the audio
  // counts as saved. A run that made no audio (no output opened, or a failed or interrupted run
  // that appended nothing) puts nothing in place: an old output stays. Once the audio is saved,
  // the chapter file it asks for is written (replacing an old one in one step); a failure to write
  // it is reported and fails the run, the audio staying in place. Discards the temporary state
  // afterwards.
  bool Finish(bool errorReported, bool writeSyncFiles, const std::vector<std::u16string>& lrcLines,
              const std::vector<std::u16string>& srtLines);
  // Whether audio was made: the output was opened and took at least one frame.
  bool MadeAudio() const { return madeAudio_; }
  // Drops the output unfinished and removes the temporaries.
  void Discard();

 private:
  // Reports a failed write once, unless the reader of standard output went away; false.
  bool WriteFailure();
  std::unique_ptr<TAudioSink> OpenSink();
  // Wraps the output so that it also makes a file per chapter (--split-chapters).
  std::unique_ptr<TAudioSink> SplitChapters(std::unique_ptr<TAudioSink> sink);
  void WriteChapterFiles();
  // The notes of a finished encoded output, told as warnings.
  void ReportNotes();
  // Writes the chapter file of settings_.ChapterFileName for an output of `totalFrames`.
  void WriteChapters(int64_t totalFrames);

  const TSettings& settings_;
  TRunResult& result_;
  const TOutputChoice& choice_;
  const TMediaTags& tags_;
  bool writeFailed_ = false;
  bool madeAudio_ = false;
  TOutputFiles files_;
  TOutputData format_;
  std::unique_ptr<TAudioSink> sink_;
  TEncodedSink* encoded_ = nullptr;     // the encoder within sink_, if any
  TChapterSplitSink* split_ = nullptr;  // sink_ when it also makes a file per chapter
  std::vector<TChapterMark> chapters_;
};

}  // namespace sonacli
