#include "encode/chapter_split_sink.h"

#include <fcntl.h>

#include <algorithm>
#include <cerrno>
#include <limits>

#include "audio/raw_stream_sink.h"
#include "audio/wav_file_sink.h"
#include "audio/wav_header.h"
#include "common/unicode_text.h"
#include "encode/encoded_sink.h"
#include "platform/file_system.h"
#include "platform/replacing_file.h"

namespace sonacli {

namespace {

// File names stay well within the 255 bytes of a name on the disk, in any script.
constexpr size_t kMaxTitleInName = 80;
// The copy is read back in pieces of this many sample frames.
constexpr int64_t kFramesPerRead = 1 << 16;

bool UnsafeInFileName(char16_t c) {
  return c < u' ' || c == 0x7F || std::u16string_view(u"/\\:*?\"<>|").find(c) != std::u16string_view::npos;
}

std::u16string SafeTitle(std::u16string_view title) {
  std::u16string safe = OneLineTitle(title);
  std::replace_if(safe.begin(), safe.end(), UnsafeInFileName, u'_');
  if (safe.size() > kMaxTitleInName) {
    size_t end = kMaxTitleInName;
    // A surrogate pair stays whole or goes whole.
    if (safe[end - 1] >= 0xD800 && safe[end - 1] <= 0xDBFF) --end;
    safe.resize(end);
  }
  const auto trimmed = [](char16_t c) { return c == u' ' || c == u'.'; };
  while (!safe.empty() && trimmed(safe.back())) safe.pop_back();
  const size_t start = std::find_if_not(safe.begin(), safe.end(), trimmed) - safe.begin();
  safe.erase(0, start);
  return safe.empty() ? u"Chapter" : safe;
}

std::u16string Number(size_t number, size_t width) {
  std::u16string digits = ToUtf16(std::to_string(number));
  if (digits.size() < width) digits.insert(0, width - digits.size(), u'0');
  return digits;
}

}  // namespace

std::u16string ChapterFileName(size_t number, size_t count, std::u16string_view title, TOutputFormat format) {
  const size_t width = std::max<size_t>(3, std::to_string(count).size());
  return Number(number, width) + u" " + SafeTitle(title) + std::u16string(FormatExtension(format));
}

std::unique_ptr<TChapterSplitSink> TChapterSplitSink::Create(std::unique_ptr<TAudioSink> output,
                                                             std::u16string_view copyFileName,
                                                             std::u16string& error) {
  TFileDescriptor copy(
      ::open(NativePath(copyFileName).c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
  if (!copy.IsOpen()) {
    error = u"Cannot create the copy of the audio for the chapter files";
    return nullptr;
  }
  return std::make_unique<TChapterSplitSink>(std::move(output), std::move(copy));
}

TChapterSplitSink::TChapterSplitSink(std::unique_ptr<TAudioSink> output, TFileDescriptor copy)
    : TAudioSink(output->Format()), output_(std::move(output)), copy_(std::move(copy)) {}

bool TChapterSplitSink::Append(std::string_view pcm) {
  const int64_t before = output_->Frames();
  if (!output_->Append(pcm)) return false;
  // The copy follows what the output took; once it fails, the chapter files cannot be made, but
  // the output goes on.
  const uint64_t offset = static_cast<uint64_t>(before) * Format().BlockAlign();
  if (!copyFailed_ && !WriteAllAt(copy_.Get(), pcm, offset)) copyFailed_ = true;
  return true;
}

void TChapterSplitSink::AddChapter(std::u16string_view title, int64_t startFrame) {
  output_->AddChapter(title, startFrame);
  marks_.push_back({std::u16string(title), startFrame});
}

std::unique_ptr<TAudioSink> TChapterSplitSink::OpenChapterSink(const std::u16string& fileName,
                                                               const TOutputChoice& choice,
                                                               const TMediaTags& tags,
                                                               std::u16string& error) const {
  const TAudioFormat& format = Format();
  switch (choice.Format) {
    case TOutputFormat::Wav:
      return TWavFileSink::Create(fileName, format, kMaxPlainWavDataSize);
    case TOutputFormat::Raw:
      return nullptr;  // written by WriteChapterFile itself
    case TOutputFormat::Opus:
    case TOutputFormat::Mp3:
    case TOutputFormat::M4b:
    case TOutputFormat::Flac:
      break;
  }
  return TEncodedSink::CreateFile(EncoderSettingsFor(choice, format, tags), fileName, error);
}

bool TChapterSplitSink::WriteChapterFile(const std::u16string& fileName, const TChapterSpan& span,
                                         const TOutputChoice& choice, const TMediaTags& tags) const {
  const std::u16string partName = fileName + u".part";
  std::u16string error;
  TFileDescriptor rawFile;
  std::unique_ptr<TAudioSink> sink;
  if (choice.Format == TOutputFormat::Raw) {
    rawFile =
        TFileDescriptor(::open(NativePath(partName).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
    if (rawFile.IsOpen()) sink = std::make_unique<TRawStreamSink>(Format(), rawFile.Get());
  } else {
    sink = OpenChapterSink(partName, choice, tags, error);
  }
  if (!sink) return false;
  const int64_t blockAlign = Format().BlockAlign();
  std::string buffer;
  bool written = true;
  for (int64_t frame = span.StartFrame; frame < span.EndFrame && written; frame += kFramesPerRead) {
    const int64_t frames = std::min(kFramesPerRead, span.EndFrame - frame);
    buffer.resize(static_cast<size_t>(frames * blockAlign));
    written =
        ReadAllAt(copy_.Get(), buffer.data(), buffer.size(), static_cast<uint64_t>(frame * blockAlign)) &&
        sink->Append(buffer);
  }
  written = sink->Finish() && written && (!rawFile.IsOpen() || rawFile.Close());
  sink.reset();
  if (written && MoveFileReplacing(partName, fileName)) return true;
  DeleteFileIfExists(partName);
  return false;
}

bool TChapterSplitSink::WriteChapterFiles(std::u16string_view folder, const TOutputChoice& choice,
                                          const TMediaTags& tags,
                                          std::vector<std::u16string>& failures) const {
  if (copyFailed_) {
    failures.emplace_back(u"Failed to save the chapter files: the copy of the audio could not be written");
    return false;
  }
  const int64_t total = Frames();
  std::vector<TChapterSpan> spans = ChapterSpans(marks_, total, std::numeric_limits<size_t>::max());
  if (spans.empty()) spans.push_back({tags.Title, 0, total});
  if (!spans.empty() && spans.front().StartFrame > 0)
    spans.insert(spans.begin(), {tags.Title, 0, spans.front().StartFrame});
  std::u16string base(folder);
  if (!base.empty() && base.back() != u'/') base += u'/';
  const size_t failuresBefore = failures.size();
  for (size_t i = 0; i < spans.size(); ++i) {
    const TChapterSpan& span = spans[i];
    if (span.EndFrame <= span.StartFrame) continue;
    const std::u16string name = ChapterFileName(i + 1, spans.size(), span.Title, choice.Format);
    if (!WriteChapterFile(base + name, span, choice, tags))
      failures.push_back(u"Failed to save the chapter file " + name);
  }
  return failures.size() == failuresBefore;
}

}  // namespace sonacli
