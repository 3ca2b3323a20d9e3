#include "speech/text_driver.h"

#include <algorithm>
#include <new>

#include "audio/convert_wav.h"
#include "catalogue/voice_catalogue.h"
#include "common/unicode_text.h"
#include "dict/dictionary_set.h"
#include "platform/file_system.h"
#include "settings/online_global.h"
#include "speech/driver_error.h"
#include "speech/interrupt.h"
#include "speech/probe_output_format.h"
#include "speech/progress_line.h"
#include "speech/temp_folder.h"
#include "subtitles/finish_output.h"
#include "subtitles/sync_entry.h"
#include "text/nothing_to_say.h"
#include "text/text_parts.h"

namespace sonacli {

namespace {

// Pieces stay short enough for one LRC line or SRT entry each.
constexpr int32_t kSyncPieceLimit = 350;
// What replaces a piece with nothing to pronounce, or an empty answer.
constexpr int64_t kPlaceholderSilenceMs = 100;

// A decimal integer with an optional sign; 0 when the text is no number.
int64_t ParseInteger(std::u16string_view text) {
  const std::string digits = ToUtf8(text);
  try {
    size_t used = 0;
    const long long value = std::stoll(digits, &used);
    return used == digits.size() ? value : 0;
  } catch (const std::exception&) {
    return 0;
  }
}

}  // namespace

TTextDriver::TTextDriver(TYandexTTSObject& service, TTickClock& clock, TRunResult& runResult)
    : service_(service),
      runResult_(runResult),
      legacyKey_(IsLegacyKey(ApiKey)),
      pacer_(clock, legacyKey_, RequestDelayMs) {}

TTextDriver::~TTextDriver() {
  // Whatever ended the run, its temporary state goes with it.
  Discard();
}

void TTextDriver::Run(const std::vector<std::u16string>& lines) {
  BuildPieces(lines);
  if (!ToStdout) {
    tempFolder_ = MakeTempFolder();
    // An old output of that name disappears now, whatever happens later.
    DeleteFileIfExists(OutputFileName);
  }
  WriteLrcHeader(lrcLines_);
  const size_t count = pieces_.Count();
  bool completed = true;
  for (size_t i = 0; i < count; ++i) {
    if (InterruptRequested()) break;
    if (pieces_.Texts[i].empty()) continue;
    TNext next = TNext::Continue;
    try {
      next = HandlePiece(i);
    } catch (const std::bad_alloc&) {
      // What was made so far is kept; nothing more can be.
      ReportDriverError(runResult_, u"Not enough memory");
      next = TNext::EndLoop;
    } catch (...) {
      // An unexpected failure (HTTP client, decoder, audio code) abandons this piece only.
    }
    if (next == TNext::Abort) return;  // the destructor discards the unfinished output
    if (next == TNext::EndLoop) {
      completed = false;
      break;
    }
  }
  const bool interrupted = InterruptRequested();
  if (ShowProgress && completed && !interrupted && output_) DrawProgress(int64_t(count), int64_t(count));
  Finish(interrupted);
}

void TTextDriver::BuildPieces(const std::vector<std::u16string>& lines) {
  TTextParts parts(JoinLines(lines));
  syncState_.BlankPending = false;
  syncState_.BlankAfterCurrent = false;
  for (size_t i = 0; i < parts.Count(); ++i) {
    const TTextPart& part = parts.Items(i);
    int32_t limit = MaxRequestLength(part.Voice, legacyKey_);
    if (LrcEnabled || SrtEnabled) limit = std::min(limit, kSyncPieceLimit);
    SplitIntoPieces(part.Text, PieceAttributes::Of(part), limit, SyncOutput, pieces_);
  }
}

TTextDriver::TNext TTextDriver::HandlePiece(size_t index) {
  if (!output_ && !OpenOutputAfterProbe()) return TNext::EndLoop;
  if (ShowProgress) DrawProgress(int64_t(index), int64_t(pieces_.Count()));
  pacer_.PauseBetweenPieces();
  const std::u16string& kind = pieces_.Kinds[index];
  const std::u16string& text = pieces_.Texts[index];
  if (kind == kAudioPart) {
    if (SyncOutput) ClearBlankFlags();
    return InsertAudioFile(text) ? TNext::Continue : TNext::EndLoop;
  }
  if (kind == kPausePart || kind == kPauseParaPart) {
    if (SyncOutput) ClearBlankFlags();
    if (!AppendPause(text)) return TNext::EndLoop;
    if (kind == kPauseParaPart && SyncOutput) {
      syncState_.BlankPending = true;
      SyncEntry(u"", false);
    }
    return TNext::Continue;
  }
  return HandleTextPiece(index);
}

TTextDriver::TNext TTextDriver::HandleTextPiece(size_t index) {
  if (SyncOutput) {
    syncState_.BlankAfterCurrent =
        BlankAfterMarker(pieces_.Markers[index], LrcBlankLines, syncState_.BlankAfterCurrent);
  }
  const std::u16string spoken = ApplyDictionaries(pieces_.Texts[index]);
  if (spoken.empty()) return TNext::Continue;
  // LRC and SRT show the piece as written, not as the dictionaries changed it.
  const std::u16string& syncText = pieces_.Texts[index];
  if (IsNothingToSay(spoken)) {
    if (!AppendSilence(*output_, firstPiece_, outputData_, kPlaceholderSilenceMs)) return TNext::Abort;
    SyncEntry(syncText, false);
    return TNext::Continue;
  }
  SynthesisRequest request;
  request.Text = spoken;
  request.Language = pieces_.Kinds[index];
  request.Voice = pieces_.Voices[index];
  request.Rate = pieces_.Rates[index];
  request.Emotion = pieces_.Emotions[index];
  request.ChannelMode = pieces_.ChannelModes[index];
  request.VolumeDelta = static_cast<int32_t>(ParseInteger(pieces_.Volumes[index]));
  request.ApiKey = ApiKey;
  if (!service_.Synthesize(request)) {
    // A request cut short by Ctrl-C is no failure of the service.
    if (InterruptRequested()) return TNext::EndLoop;
    ReportDriverError(runResult_, request.ErrorText);
    return TNext::EndLoop;
  }
  const bool isLast = index + 1 == pieces_.Count();
  try {
    pacer_.PauseAfterRequest(isLast);
  } catch (const TInterrupted&) {
    // The piece is complete: it is kept, and the loop stops after it.
  }
  answer_ = std::move(request.AudioOut);
  const bool appended = answer_.empty()
                            ? AppendSilence(*output_, firstPiece_, outputData_, kPlaceholderSilenceMs)
                            : AppendAudio(*output_, firstPiece_, answer_);
  answer_.clear();
  if (!appended) return TNext::Abort;
  SyncEntry(syncText, false);
  if (ShowProgress && isLast) DrawProgress(int64_t(pieces_.Count()), int64_t(pieces_.Count()));
  return TNext::Continue;
}

bool TTextDriver::OpenOutputAfterProbe() {
  if (!ProbeOutputFormat(service_, pacer_, outputData_, runResult_)) return false;
  // Without its temporary folder a file output has nowhere to go.
  if (!ToStdout && tempFolder_.empty()) return false;
  output_ = OpenOutput(outputData_, tempFolder_);
  return output_ != nullptr;
}

bool TTextDriver::InsertAudioFile(const std::u16string& fileName) {
  // A missing file or one of another kind is passed over silently.
  if (IsAudioInsertInvalid(fileName)) return true;
  std::string converted;
  bool ok = false;
  if (LoadAudioInsert(fileName, converted, outputData_.SampleRate, outputData_.BitsPerSample,
                      outputData_.Channels)) {
    ok = AppendAudio(*output_, firstPiece_, converted);
  } else {
    ReportDriverError(runResult_, u"Failed to read audio file");
  }
  SyncEntry(u"", true);
  return ok;
}

bool TTextDriver::AppendPause(const std::u16string& text) {
  const bool ok = AppendSilence(*output_, firstPiece_, outputData_, ParseInteger(text));
  if (!ok) ReportDriverError(runResult_, u"Failed to save audio file");
  SyncEntry(u"", false);
  return ok;
}

void TTextDriver::SyncEntry(std::u16string_view text, bool forceEntry) {
  AppendSyncEntry(output_.get(), outputData_, lrcLines_, srtLines_, text, forceEntry, syncState_);
}

void TTextDriver::ClearBlankFlags() {
  syncState_.BlankPending = false;
  syncState_.BlankAfterCurrent = false;
}

void TTextDriver::Finish(bool interrupted) {
  pieces_.Clear();
  if (output_ && !CloseOutput(*output_) && output_->Kind() == TAudioOutput::TKind::File) {
    // A file whose end could not be written is not put in place as if it were whole.
    DeleteFileIfExists(outputData_.FileName);
  }
  output_.reset();
  // An interrupted run saves what it has, as after a reported error.
  const bool saved =
      FinishOutput(outputData_, runResult_.ErrorReported || interrupted, true, lrcLines_, srtLines_);
  Discard();
  // An interrupted run that never got to write audio has nothing to report.
  if (!ToStdout && !saved && !interrupted) ReportDriverError(runResult_, u"Error saving audio file");
}

void TTextDriver::Discard() {
  output_.reset();
  pieces_.Clear();
  lrcLines_.clear();
  srtLines_.clear();
  answer_.clear();
  if (!tempFolder_.empty()) {
    RemoveFolder(tempFolder_);
    tempFolder_.clear();
  }
}

}  // namespace sonacli
