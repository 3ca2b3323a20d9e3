#include "subtitles/finish_output.h"

#include "platform/file_system.h"
#include "platform/replacing_file.h"
#include "platform/text_codec.h"
#include "platform/text_file.h"
#include "settings/settings.h"

namespace sonacli {

namespace {

constexpr std::u16string_view kLineEnd = u"\r\n";

bool MoveAudioIntoPlace(const TOutputData& format, const std::u16string& outputFileName) {
  if (!FileExists(format.FileName)) return false;
  return MoveFileReplacing(format.FileName, outputFileName) && FileExists(outputFileName);
}

}  // namespace

std::string EncodeSyncFile(const std::vector<std::u16string>& lines, uint8_t encoding, int ansiCodePage) {
  std::u16string text;
  for (const std::u16string& line : lines) {
    text += line;
    text += kLineEnd;
  }
  std::string bytes;
  switch (encoding) {
    case kSyncEncodingUtf8:
      bytes = "\xEF\xBB\xBF" + EncodeCodePage(text, kCodePageUtf8);
      break;
    case kSyncEncodingUtf16LE:
      bytes = "\xFF\xFE" + EncodeCodePage(text, kCodePageUtf16LE);
      break;
    default:
      bytes = EncodeCodePage(text, ansiCodePage);
      // Lines the ANSI code page cannot hold would lose their letters to "?"; UTF-8 keeps them.
      if (DecodeCodePage(bytes, ansiCodePage) != text)
        return EncodeSyncFile(lines, kSyncEncodingUtf8, ansiCodePage);
      break;
  }
  return bytes;
}

bool WriteSyncFile(std::u16string_view fileName, const std::vector<std::u16string>& lines, uint8_t encoding) {
  return WriteFileBytes(fileName, EncodeSyncFile(lines, encoding, AnsiCodePage()));
}

bool FinishOutput(const TSettings& settings, const TOutputData& format, bool errorReported,
                  bool writeSyncFiles, const std::vector<std::u16string>& lrcLines,
                  const std::vector<std::u16string>& srtLines, std::vector<std::u16string>* syncFailures) {
  const bool saved = settings.ToStdout ? !errorReported : MoveAudioIntoPlace(format, settings.OutputFileName);
  if (!saved || !writeSyncFiles) return saved;
  const auto write = [&](const std::u16string& fileName, const std::vector<std::u16string>& lines,
                         uint8_t encoding, std::u16string_view failure) {
    if (!WriteSyncFile(fileName, lines, encoding) && syncFailures != nullptr)
      syncFailures->emplace_back(failure);
  };
  if (settings.LrcEnabled)
    write(settings.LrcData.FileName, lrcLines, settings.LrcData.Encoding, u"Failed to save LRC file");
  if (settings.SrtEnabled)
    write(settings.SrtData.FileName, srtLines, settings.SrtData.Encoding, u"Failed to save SRT file");
  return saved;
}

bool FinishOutput(const TSettings& settings, const TOutputData& format, bool errorReported) {
  return FinishOutput(settings, format, errorReported, false, {}, {});
}

}  // namespace sonacli
