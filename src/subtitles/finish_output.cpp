#include "subtitles/finish_output.h"

#include <cerrno>

#include "platform/file_system.h"
#include "platform/replacing_file.h"
#include "platform/text_codec.h"
#include "settings/settings.h"

namespace sonacli {

namespace {

constexpr std::u16string_view kLineEnd = u"\r\n";

// The folder a file goes into, as a message names it.
std::u16string FolderOf(std::u16string_view fileName) {
  const std::u16string folder = FolderPart(fileName);
  if (!folder.empty()) return folder;
  return fileName.substr(0, 1) == u"/" ? u"/" : u".";
}

// The temporary of `fileName` beside it; false with the message when its folder cannot take one.
bool Claim(std::u16string_view fileName, std::u16string_view kind, std::unique_ptr<TReplacingFile>& file,
           std::u16string& error) {
  const std::string target = NativePath(fileName);
  file = TReplacingFile::Create(target);
  // A name near the longest a folder takes leaves no room for the temporary's additions.
  if (!file && errno == ENAMETOOLONG) {
    const size_t slash = target.rfind('/');
    file = TReplacingFile::Create(target, 0666, target.substr(0, slash + 1) + ".sonacli.XXXXXX.tmp");
  }
  if (file) return true;
  error = std::u16string(kind) + u" folder cannot be written: " + FolderOf(fileName);
  return false;
}

// The lines into the sync file's temporary, put in place; the temporary goes either way.
bool CommitSyncFile(std::unique_ptr<TReplacingFile>& file, const std::vector<std::u16string>& lines,
                    TSyncEncoding encoding, int ansiCodePage) {
  const std::unique_ptr<TReplacingFile> taken = std::move(file);
  return taken && taken->Write(EncodeSyncFile(lines, encoding, ansiCodePage)) && taken->Commit();
}

}  // namespace

std::string EncodeSyncFile(const std::vector<std::u16string>& lines, TSyncEncoding encoding,
                           int ansiCodePage) {
  std::u16string text;
  for (const std::u16string& line : lines) {
    text += line;
    text += kLineEnd;
  }
  std::string bytes;
  switch (encoding) {
    case TSyncEncoding::Utf8:
      bytes = "\xEF\xBB\xBF" + EncodeCodePage(text, kCodePageUtf8);
      break;
    case TSyncEncoding::Utf16LE:
      bytes = "\xFF\xFE" + EncodeCodePage(text, kCodePageUtf16LE);
      break;
    case TSyncEncoding::Ansi:
      bytes = EncodeCodePage(text, ansiCodePage);
      // Lines the ANSI code page cannot hold would lose their letters to "?"; UTF-8 keeps them.
      if (DecodeCodePage(bytes, ansiCodePage) != text)
        return EncodeSyncFile(lines, TSyncEncoding::Utf8, ansiCodePage);
      break;
  }
  return bytes;
}

bool ClaimOutputFiles(const TSettings& settings, bool writeSyncFiles, TOutputFiles& files,
                      std::u16string& error) {
  if (!settings.ToStdout && !Claim(settings.OutputFileName, u"Output", files.Audio, error)) return false;
  if (!writeSyncFiles) return true;
  return (!settings.LrcEnabled || Claim(settings.LrcData.FileName, u"LRC", files.Lrc, error)) &&
         (!settings.SrtEnabled || Claim(settings.SrtData.FileName, u"SRT", files.Srt, error));
}

bool FinishOutput(const TSettings& settings, TOutputFiles& files, bool errorReported, bool writeSyncFiles,
                  const std::vector<std::u16string>& lrcLines, const std::vector<std::u16string>& srtLines,
                  std::vector<std::u16string>* syncFailures) {
  const std::unique_ptr<TReplacingFile> audio = std::move(files.Audio);
  const bool saved = settings.ToStdout ? !errorReported : audio && audio->Commit();
  if (saved && writeSyncFiles) {
    const auto write = [&](std::unique_ptr<TReplacingFile>& file, const std::vector<std::u16string>& lines,
                           TSyncEncoding encoding, std::u16string_view failure) {
      if (!CommitSyncFile(file, lines, encoding, settings.AnsiCodePage) && syncFailures != nullptr)
        syncFailures->emplace_back(failure);
    };
    if (settings.LrcEnabled)
      write(files.Lrc, lrcLines, settings.LrcData.Encoding, u"Failed to save LRC file");
    if (settings.SrtEnabled)
      write(files.Srt, srtLines, settings.SrtData.Encoding, u"Failed to save SRT file");
  }
  // Sync files of a run whose audio was not saved are not put in place.
  files = TOutputFiles();
  return saved;
}

}  // namespace sonacli
