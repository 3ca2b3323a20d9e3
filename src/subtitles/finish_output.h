// The end of a run: the finished audio file put in place and the LRC and SRT files written.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "audio/audio_output.h"
#include "settings/settings.h"

namespace sonacli {

// Sync-file encodings, as kept in TLRCData::Encoding and TSRTData::Encoding.
enum : uint8_t {
  kSyncEncodingAnsi = 0,     // the system ANSI code page, no byte-order mark
  kSyncEncodingUtf8 = 1,     // with EF BB BF
  kSyncEncodingUtf16LE = 2,  // with FF FE
};

// The bytes of a sync file: every line, the last included, followed by CR LF. An unknown encoding
// counts as ANSI; a text that the ANSI code page cannot hold whole is written as UTF-8 with its
// byte-order mark instead.
std::string EncodeSyncFile(const std::vector<std::u16string>& lines, uint8_t encoding, int ansiCodePage);

// Creates or replaces the file with the encoded lines; false when it cannot be written.
bool WriteSyncFile(std::u16string_view fileName, const std::vector<std::u16string>& lines, uint8_t encoding);

// Called once after the output has been closed. For file output the temporary file
// (format.FileName) is moved to settings.OutputFileName. Returns whether the audio counts as saved: for a
// file, the move succeeded and the file is there; for standard output, no error was reported during
// the run. Only then, and only with writeSyncFiles (text mode), the LRC and SRT files of the enabled
// outputs are written; a failure to write one does not stop the other and adds its message to
// syncFailures (when given).
bool FinishOutput(const TSettings& settings, const TOutputData& format, bool errorReported,
                  bool writeSyncFiles, const std::vector<std::u16string>& lrcLines,
                  const std::vector<std::u16string>& srtLines,
                  std::vector<std::u16string>* syncFailures = nullptr);
// The same without sync files (subtitle mode).
bool FinishOutput(const TSettings& settings, const TOutputData& format, bool errorReported);

}  // namespace sonacli
