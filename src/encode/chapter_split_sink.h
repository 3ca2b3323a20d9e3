// The run's sink when every chapter also gets a file of its own (--split-chapters), for players
// without chapters: the PCM goes on to the run's output and into a copy in the run's temporary
// folder; the chapters given before the finish are kept; once the output is finished,
// WriteChapterFiles makes one file per chapter from the copy, in the output's format.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "audio/audio_sink.h"
#include "encode/chapter_list.h"
#include "encode/media_tags.h"
#include "encode/output_choice.h"
#include "platform/descriptor.h"

namespace sonacli {

// The name of a chapter's file: its number, counted from 1 and as wide as the last one's (at least
// three digits), a space, the title (one line; "/", "\", ":", "*", "?", '"', "<", ">", "|" and
// control characters become "_", dots and spaces at its ends are dropped, at most 80 characters;
// "Chapter" when nothing is left), and the format's extension.
std::u16string ChapterFileName(size_t number, size_t count, std::u16string_view title, TOutputFormat format);

class TChapterSplitSink : public TAudioSink {
 public:
  // Passes everything on to `output` and keeps a copy of the PCM at `copyFileName` (created).
  // Null with the message when the copy cannot be created.
  static std::unique_ptr<TChapterSplitSink> Create(std::unique_ptr<TAudioSink> output,
                                                   std::u16string_view copyFileName, std::u16string& error);
  TChapterSplitSink(std::unique_ptr<TAudioSink> output, TFileDescriptor copy);

  bool Append(std::string_view pcm) override;
  void AddChapter(std::u16string_view title, int64_t startFrame) override;
  int64_t Frames() const override { return output_->Frames(); }
  bool Finish() override { return output_->Finish(); }
  std::u16string Error() const override { return output_->Error(); }
  int WriteError() const override { return output_->WriteError(); }

  // Writes a file per chapter of what was appended into `folder` (ChapterFileName; a file of that
  // name is replaced once the new one is complete), each with the tags; without chapters the whole
  // audio is one, titled by the tags. Empty chapters get no file. False with the messages of what
  // could not be written; the files that were written stay.
  bool WriteChapterFiles(std::u16string_view folder, const TOutputChoice& choice, const TMediaTags& tags,
                         std::vector<std::u16string>& failures) const;

 private:
  bool WriteChapterFile(const std::u16string& fileName, const TChapterSpan& span, const TOutputChoice& choice,
                        const TMediaTags& tags) const;
  std::unique_ptr<TAudioSink> OpenChapterSink(const std::u16string& fileName, const TOutputChoice& choice,
                                              const TMediaTags& tags, std::u16string& error) const;

  std::unique_ptr<TAudioSink> output_;
  TFileDescriptor copy_;
  bool copyFailed_ = false;
  std::vector<TChapterMark> marks_;
};

}  // namespace sonacli
