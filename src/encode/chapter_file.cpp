#include "encode/chapter_file.h"

#include <algorithm>
#include <cstdio>

#include "common/unicode_text.h"
#include "platform/file_system.h"
#include "platform/text_file.h"

namespace sonacli {
namespace {

struct KindRow {
  std::u16string_view Extension;
  TChapterFileKind Kind;
};

constexpr KindRow kKinds[] = {
    {u".txt", TChapterFileKind::FfMetadata},
    {u".ffmeta", TChapterFileKind::FfMetadata},
    {u".ffmetadata", TChapterFileKind::FfMetadata},
    {u".cue", TChapterFileKind::Cue},
};

std::string Escaped(std::u16string_view text) {
  std::string escaped;
  for (char c : ToUtf8(text)) {
    if (c == '=' || c == ';' || c == '#' || c == '\\' || c == '\n') escaped += '\\';
    escaped += c;
  }
  return escaped;
}

void AddTag(std::string& text, std::string_view key, std::u16string_view value) {
  if (value.empty()) return;
  text += std::string(key) + "=" + Escaped(value) + "\n";
}

std::string Quoted(std::u16string_view text) {
  std::string quoted = ToUtf8(OneLineTitle(text));
  for (char& c : quoted) {
    if (c == '"') c = '\'';
  }
  return "\"" + quoted + "\"";
}

std::string_view CueFileType(TOutputFormat format) {
  switch (format) {
    case TOutputFormat::Mp3:
      return "MP3";
    case TOutputFormat::Raw:
      return "BINARY";
    default:
      return "WAVE";
  }
}

// mm:ss:ff, ff in 1/75 s; the minutes grow past 99 for long books.
std::string CueTime(int64_t frame, int32_t sampleRate) {
  const int64_t cdFrames = (frame * 75 + sampleRate / 2) / sampleRate;
  char text[32];
  std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld", static_cast<long long>(cdFrames / (75 * 60)),
                static_cast<long long>(cdFrames / 75 % 60), static_cast<long long>(cdFrames % 75));
  return text;
}

}  // namespace

std::optional<TChapterFileKind> ChapterFileKindFromName(std::u16string_view fileName) {
  const std::u16string extension = LowerCase(ExtensionOf(fileName));
  for (const KindRow& row : kKinds) {
    if (extension == row.Extension) return row.Kind;
  }
  return std::nullopt;
}

std::u16string KnownChapterFileExtensions() {
  std::u16string list;
  for (const KindRow& row : kKinds) list += (list.empty() ? u"" : u", ") + std::u16string(row.Extension);
  return list;
}

std::string FfMetadataText(const std::vector<TChapterSpan>& chapters, int32_t sampleRate,
                           const TMediaTags& tags) {
  std::string text = ";FFMETADATA1\n";
  AddTag(text, "title", OneLineTitle(tags.Title));
  AddTag(text, "album", OneLineTitle(tags.Title));
  AddTag(text, "artist", OneLineTitle(tags.Author));
  AddTag(text, "album_artist", OneLineTitle(tags.Author));
  for (const TChapterSpan& chapter : chapters) {
    text += "\n[CHAPTER]\nTIMEBASE=1/" + std::to_string(sampleRate) +
            "\nSTART=" + std::to_string(chapter.StartFrame) + "\nEND=" + std::to_string(chapter.EndFrame) +
            "\n";
    text += "title=" + Escaped(OneLineTitle(chapter.Title)) + "\n";
  }
  return text;
}

bool CheckCueSheetCanName(std::u16string_view audioFileName, std::u16string& error) {
  if (std::none_of(audioFileName.begin(), audioFileName.end(),
                   [](char16_t c) { return c == u'"' || c == u'\n' || c == u'\r'; }))
    return true;
  error = u"A CUE sheet cannot name a file whose name holds a double quote or a line break: " +
          std::u16string(audioFileName);
  return false;
}

bool CueSheetText(const std::vector<TChapterSpan>& chapters, int32_t sampleRate, const TMediaTags& tags,
                  std::u16string_view audioFileName, TOutputFormat audioFormat, std::string& text,
                  std::u16string& error) {
  if (chapters.size() > kMaxCueTracks) {
    error = u"A CUE sheet holds at most 99 chapters, not " + ToUtf16(std::to_string(chapters.size())) +
            u"; an FFmpeg metadata file (.txt) holds any number";
    return false;
  }
  if (!CheckCueSheetCanName(audioFileName, error)) return false;
  text.clear();
  if (!tags.Title.empty()) text += "TITLE " + Quoted(tags.Title) + "\r\n";
  if (!tags.Author.empty()) text += "PERFORMER " + Quoted(tags.Author) + "\r\n";
  // The name exactly as it is, spaces at its ends included: it must find the file.
  text += "FILE \"" + ToUtf8(audioFileName) + "\" " + std::string(CueFileType(audioFormat)) + "\r\n";
  for (size_t i = 0; i < chapters.size(); ++i) {
    char number[24];
    std::snprintf(number, sizeof number, "%02zu", i + 1);
    text += std::string("  TRACK ") + number + " AUDIO\r\n";
    text += "    TITLE " + Quoted(chapters[i].Title) + "\r\n";
    if (!tags.Author.empty()) text += "    PERFORMER " + Quoted(tags.Author) + "\r\n";
    text += "    INDEX 01 " + CueTime(chapters[i].StartFrame, sampleRate) + "\r\n";
  }
  return true;
}

bool WriteChapterFile(std::u16string_view fileName, const std::vector<TChapterSpan>& chapters,
                      int32_t sampleRate, const TMediaTags& tags, std::u16string_view audioFileName,
                      TOutputFormat audioFormat, std::u16string& error) {
  const std::optional<TChapterFileKind> kind = ChapterFileKindFromName(fileName);
  if (!kind) {
    error = u"Unknown chapter file extension (known: " + KnownChapterFileExtensions() + u"): " +
            std::u16string(FileNameOnly(fileName));
    return false;
  }
  std::string text;
  if (*kind == TChapterFileKind::FfMetadata) {
    text = FfMetadataText(chapters, sampleRate, tags);
  } else if (!CueSheetText(chapters, sampleRate, tags, audioFileName, audioFormat, text, error)) {
    return false;
  }
  if (WriteFileBytes(fileName, text)) return true;
  error = u"Failed to save chapter file: " + std::u16string(FileNameOnly(fileName));
  return false;
}

}  // namespace sonacli
