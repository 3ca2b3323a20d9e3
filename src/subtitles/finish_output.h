// The end of a run: the finished audio file put in place and the LRC and SRT files written.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/replacing_file.h"
#include "settings/settings.h"

namespace sonacli {

// The bytes of a sync file: every line, the last included, followed by CR LF; UTF-8 with the mark
// EF BB BF, UTF-16LE with FF FE, the ANSI code page without a mark. A text that the ANSI code page
// cannot hold whole is written as UTF-8 with its byte-order mark instead.
std::string EncodeSyncFile(const std::vector<std::u16string>& lines, TSyncEncoding encoding,
                           int ansiCodePage);

// The files a run writes, each under a temporary name beside its target ("." + the target's name
// + ".XXXXXX.tmp", or ".sonacli.XXXXXX.tmp" for a name too long for that) from before the first
// request until the end: a folder that cannot be written is
// found before anything is paid for, a full disk there when it happens, and an old file of the
// target's name stays until the new one is complete. A file not put in place is removed.
struct TOutputFiles {
  std::unique_ptr<TReplacingFile> Audio;  // the audio of a file output
  std::unique_ptr<TReplacingFile> Lrc;    // with LRC output in text mode
  std::unique_ptr<TReplacingFile> Srt;    // with SRT output in text mode
};

// Claims the temporary names of the files the run writes: the audio (not for standard output) and,
// with writeSyncFiles, the LRC and SRT files that are enabled. False, with the message naming the
// folder ("Output folder cannot be written: /path"), when one cannot be created there.
bool ClaimOutputFiles(const TSettings& settings, bool writeSyncFiles, TOutputFiles& files,
                      std::u16string& error);

// Called once after the audio output has been closed. For file output the audio's temporary
// (files.Audio, complete and valid) is put on the disk and renamed over settings.OutputFileName;
// without it (nothing was made) nothing is put in place. Returns whether the audio counts as
// saved: for a file, it is in place; for standard output, no error was reported during the run.
// Only then, and only with writeSyncFiles (text mode), the LRC and SRT files of the enabled outputs
// are written into their temporaries and renamed into place; a failure to write one does not stop
// the other and adds its message to syncFailures (when given). What is not put in place is removed.
bool FinishOutput(const TSettings& settings, TOutputFiles& files, bool errorReported, bool writeSyncFiles,
                  const std::vector<std::u16string>& lrcLines, const std::vector<std::u16string>& srtLines,
                  std::vector<std::u16string>* syncFailures = nullptr);

}  // namespace sonacli
