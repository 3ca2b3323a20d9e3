#include "audio/audio_output.h"

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>

#include "audio/raw_stream_sink.h"
#include "audio/silence.h"
#include "audio/wav_file_sink.h"
#include "audio/wav_header.h"
#include "audio/wav_stream_sink.h"
#include "audio/wave_in.h"
#include "audio_fixtures.h"
#include "common/unicode_text.h"
#include "settings/settings.h"
#include "testing/test_support.h"

namespace sonacli {
namespace {

using testing::MakeWavBytes;
using testing::ReadFile;
using testing::ScopedTempDir;

const TOutputData kFormat{u"", 1, 24000, 16};

// Three answers of 1000, 2000 and 500 sample bytes at 24000 Hz mono.
std::vector<std::string> ThreeAnswers() {
  std::vector<std::string> pieces;
  for (size_t bytes : {1000u, 2000u, 500u}) {
    pieces.push_back(MakeWavBytes(std::vector<int16_t>(bytes / 2, static_cast<int16_t>(bytes)), 24000, 1));
  }
  return pieces;
}

std::string SamplesOf(const std::vector<std::string>& pieces) {
  std::string samples;
  for (const std::string& piece : pieces) samples += WavSamples(piece);
  return samples;
}

enum class Kind { Other, File, WavStream, RawStream };

Kind KindOf(const TAudioSink& sink) {
  if (dynamic_cast<const TWavFileSink*>(&sink) != nullptr) return Kind::File;
  if (dynamic_cast<const TWavStreamSink*>(&sink) != nullptr) return Kind::WavStream;
  if (dynamic_cast<const TRawStreamSink*>(&sink) != nullptr) return Kind::RawStream;
  return Kind::Other;
}

struct RunResult {
  std::string bytes;
  int64_t frames = 0;
  Kind kind{};
  std::string beforeFinish;  // what reached standard output before the end
};

// One run over the PCM pieces; standard output is stood for by a temporary file. The piece at
// `silenceAt` goes in as a silence of `silenceMs` through AppendSilence.
RunResult RunOutput(TOutputSettings settings, const std::vector<std::string>& pcmPieces,
                    size_t silenceAt = SIZE_MAX, int64_t silenceMs = 250) {
  ScopedTempDir dir;
  const std::string stdoutName = dir.File("stdout.bin");
  settings.StdoutFd = ::open(stdoutName.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0600);
  TOutputData format = kFormat;
  format.FileName = ToUtf16(dir.File("out.wav"));
  auto output = OpenOutput(format, settings);
  RunResult result;
  // A fatal check cannot leave a function that returns a value; the output is needed below.
  if (output == nullptr) {
    ADD_FAILURE() << "no output";
    ::close(settings.StdoutFd);
    return result;
  }
  result.kind = KindOf(*output);
  for (size_t i = 0; i < pcmPieces.size(); ++i) {
    EXPECT_TRUE(i == silenceAt ? AppendSilence(*output, silenceMs) : output->Append(pcmPieces[i]));
  }
  result.frames = output->Frames();
  result.beforeFinish = ReadFile(stdoutName);
  EXPECT_TRUE(output->Finish());
  EXPECT_TRUE(output->Error().empty());
  ::close(settings.StdoutFd);
  result.bytes = ReadFile(settings.ToStdout ? stdoutName : dir.File("out.wav"));
  return result;
}

std::vector<std::string> PcmOf(const std::vector<std::string>& pieces) {
  std::vector<std::string> pcm;
  for (const std::string& piece : pieces) pcm.emplace_back(WavSamples(piece));
  return pcm;
}

TEST(AudioOutput, PiecesJoinUnderOneHeaderForEveryKindOfOutput) {
  const auto pieces = ThreeAnswers();
  const std::string samples = SamplesOf(pieces);
  std::string completed = pieces[0].substr(0, kWavHeaderSize) + samples;
  PutUint32(completed, 4, 3536);
  PutUint32(completed, 40, 3500);
  std::string zeroSizes = completed;
  PutUint32(zeroSizes, 4, 0);
  PutUint32(zeroSizes, 40, 0);
  struct Case {
    TOutputSettings settings;
    Kind kind;
    std::string bytes;
    bool sentAtOnce;
  };
  const Case cases[] = {
      {{false, false, false}, Kind::File, completed, false},
      {{false, true, true}, Kind::File, completed, false},  // --raw/--ignore-length need -o
      {{true, false, false}, Kind::WavStream, completed, false},
      {{true, false, true}, Kind::WavStream, zeroSizes, true},
      {{true, true, false}, Kind::RawStream, samples, true},
      {{true, true, true}, Kind::RawStream, samples, true},  // --raw wins over --ignore-length
  };
  for (const Case& c : cases) {
    const RunResult result = RunOutput(c.settings, PcmOf(pieces));
    EXPECT_EQ(result.kind, c.kind);
    EXPECT_TRUE(result.bytes == c.bytes) << static_cast<int>(c.kind) << " " << result.bytes.size();
    // The frames taken, which LRC and SRT times follow, whatever the header.
    EXPECT_EQ(result.frames, 1750);
    if (c.settings.ToStdout) {
      // A stream passes every piece on as it comes, or holds all until the end.
      EXPECT_TRUE(result.beforeFinish == (c.sentAtOnce ? c.bytes : std::string()))
          << static_cast<int>(c.kind);
    }
  }
}

TEST(AudioOutput, SilenceWrittenInBlocksEqualsTheSameSilenceAsOnePiece) {
  std::string silence;
  ASSERT_TRUE(AppendSilence(silence, kFormat.Format(), 250));
  const std::string answer(WavSamples(ThreeAnswers()[0]));
  for (const TOutputSettings settings :
       {TOutputSettings{false, false, false}, TOutputSettings{true, false, false},
        TOutputSettings{true, false, true}, TOutputSettings{true, true, false}}) {
    for (const bool silenceFirst : {true, false}) {
      const std::vector<std::string> pieces = silenceFirst ? std::vector<std::string>{silence, answer}
                                                           : std::vector<std::string>{answer, silence};
      const RunResult expected = RunOutput(settings, pieces);
      const RunResult written = RunOutput(settings, pieces, silenceFirst ? 0 : 1);
      EXPECT_TRUE(written.bytes == expected.bytes) << settings.ToStdout << settings.RawOutput << silenceFirst;
      EXPECT_EQ(written.frames, expected.frames);
    }
  }
}

TEST(AudioOutput, HeaderComesWithTheFirstAppendEvenWithoutSamples) {
  std::string header = MakeWavHeader(24000, 1, 16, 0);
  std::string zeroSizes = header;
  PutUint32(zeroSizes, 4, 0);
  struct Case {
    TOutputSettings settings;
    std::string bytes;
  };
  const Case cases[] = {
      {{false, false, false}, header},
      {{true, false, false}, header},
      {{true, false, true}, zeroSizes},
      {{true, true, false}, ""},
  };
  for (const Case& c : cases) {
    // An answer without samples, or a pause of 0 ms, still begins the output; nothing at all does not.
    EXPECT_TRUE(RunOutput(c.settings, {""}).bytes == c.bytes) << c.settings.ToStdout << c.settings.RawOutput;
    EXPECT_TRUE(RunOutput(c.settings, {""}, 0, 0).bytes == c.bytes);
    EXPECT_EQ(RunOutput(c.settings, {}).bytes, "");
  }
}

TEST(AudioOutput, DataBeyondThePlainLimitGetAnRf64Header) {
  const auto pieces = ThreeAnswers();
  const std::string samples = SamplesOf(pieces);
  for (const bool toStdout : {false, true}) {
    TOutputSettings settings{toStdout, false, false};
    settings.PlainWavLimit = 3500;  // the data exactly at the limit stay a canonical WAV
    EXPECT_EQ(RunOutput(settings, PcmOf(pieces)).bytes.substr(0, 4), "RIFF");
    settings.PlainWavLimit = 3499;
    const std::string bytes = RunOutput(settings, PcmOf(pieces)).bytes;
    ASSERT_EQ(bytes.size(), kRf64HeaderSize + 3500) << toStdout;
    EXPECT_EQ(bytes.substr(0, 16), std::string("RF64\xFF\xFF\xFF\xFFWAVEds64"));
    EXPECT_EQ(bytes.substr(48, 24), pieces[0].substr(12, 24));  // the "fmt " chunk of the format
    EXPECT_TRUE(bytes.substr(kRf64HeaderSize) == samples);
    // libsndfile reads it back as the same audio.
    const auto reader = TWaveIn::OpenMemory(bytes);
    ASSERT_NE(reader, nullptr);
    EXPECT_EQ(reader->Format(), (TAudioFormat{24000, 1, 16}));
    EXPECT_EQ(reader->Length(), 3500);
    std::string read(3500, '\0');
    EXPECT_EQ(reader->Read(reinterpret_cast<uint8_t*>(read.data()), read.size()), 3500u);
    EXPECT_TRUE(read == samples);
  }
  // A stream that goes out as it comes never rewrites its header: its size fields stay 0.
  TOutputSettings streamed{true, false, true};
  streamed.PlainWavLimit = 100;
  EXPECT_EQ(RunOutput(streamed, PcmOf(pieces)).bytes.substr(0, 4), "RIFF");
}

TEST(AudioOutput, SubtitleSpeechReachesTheOutputOnce) {
  // A subtitle's speech is PCM of its own (silence, then answers), appended as one piece; with
  // --raw only its samples go out.
  std::string speech;
  ASSERT_TRUE(AppendSilence(speech, kFormat.Format(), 250));
  speech += SamplesOf(ThreeAnswers());
  const RunResult result = RunOutput({true, true, false}, {speech});
  EXPECT_TRUE(result.bytes == speech);
  EXPECT_EQ(result.frames, (12000 + 3500) / 2);
}

TEST(AudioOutput, ClosedPipeMakesAppendFailWithoutKillingTheProcess) {
  const std::string piece(WavSamples(ThreeAnswers()[0]));
  for (const TOutputSettings settings :
       {TOutputSettings{true, false, true}, TOutputSettings{true, true, false}}) {
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    ::close(fds[0]);
    TOutputSettings toPipe = settings;
    toPipe.StdoutFd = fds[1];
    const auto output = OpenOutput(kFormat, toPipe);
    ASSERT_NE(output, nullptr);
    EXPECT_FALSE(output->Append(piece));
    EXPECT_EQ(output->WriteError(), EPIPE);
    EXPECT_EQ(output->Error(), u"Failed to save audio file");
    EXPECT_FALSE(output->Append(piece));  // nothing more after a failure
    EXPECT_EQ(output->Frames(), 0);
    ::close(fds[1]);
  }

  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  ::close(fds[0]);
  const auto held = OpenOutput(kFormat, {true, false, false, fds[1]});
  EXPECT_TRUE(held->Append(piece));  // held until the end
  EXPECT_FALSE(held->Finish());
  EXPECT_EQ(held->WriteError(), EPIPE);
  EXPECT_FALSE(held->Finish());  // the same the second time
  ::close(fds[1]);
}

TEST(AudioOutput, FileOutputInAMissingFolderFailsToOpen) {
  TOutputData format = kFormat;
  format.FileName = u"/nonexistent/folder/sonarel_out.wav";
  EXPECT_EQ(OpenOutput(format, TOutputSettings{}), nullptr);
}

TEST(AudioOutput, ReadWavFormatTakesTheAnswersFormat) {
  TOutputData format;
  ASSERT_TRUE(ReadWavFormat(MakeWavBytes(std::vector<int16_t>(100, 7), 22050, 2), format));
  EXPECT_EQ(format.SampleRate, 22050);
  EXPECT_EQ(format.Channels, 2);
  EXPECT_EQ(format.BitsPerSample, 16);
  EXPECT_EQ(format.Format(), (TAudioFormat{22050, 2, 16}));
  // Sound the reader decodes but that is no WAV: the service's own Ogg Opus.
  const std::string opus = testing::EncodeOpus(testing::MakeSine(48000, 1, 500, 8000, 0.2), 1);
  for (const std::string& bad :
       {std::string(), std::string("OggS not a wave"), std::string(44, '\0'), opus}) {
    EXPECT_FALSE(ReadWavFormat(bad, format)) << bad.substr(0, 4);
  }
}

}  // namespace
}  // namespace sonacli
