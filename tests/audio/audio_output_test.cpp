#include "audio/audio_output.h"

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "audio/wav_header.h"
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
  for (const std::string& piece : pieces) samples += piece.substr(kWavHeaderSize);
  return samples;
}

struct RunResult {
  std::string bytes;
  uint64_t counted = 0;
  TAudioOutput::TKind kind{};
};

// One run over the pieces; standard output is stood for by a temporary file. The piece at
// `silenceAt`, a silence of 250 ms, goes in through AppendSilence.
RunResult RunOutput(TOutputSettings settings, const std::vector<std::string>& pieces,
                    size_t silenceAt = SIZE_MAX) {
  ScopedTempDir dir;
  const std::string stdoutName = dir.File("stdout.bin");
  settings.StdoutFd = ::open(stdoutName.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0600);
  TOutputData format = kFormat;
  auto output = OpenOutput(format, ToUtf16(dir.Path().string()), settings);
  RunResult result;
  // A fatal check cannot leave a function that returns a value; the output is needed below.
  if (output == nullptr) {
    ADD_FAILURE() << "no output";
    ::close(settings.StdoutFd);
    return result;
  }
  result.kind = output->Kind();
  bool first = true;
  for (size_t i = 0; i < pieces.size(); ++i) {
    EXPECT_TRUE(i == silenceAt ? AppendSilence(*output, first, kFormat, 250)
                               : AppendAudio(*output, first, pieces[i]));
  }
  result.counted = output->Size();
  EXPECT_TRUE(CloseOutput(*output));
  ::close(settings.StdoutFd);
  if (settings.ToStdout) {
    result.bytes = ReadFile(stdoutName);
  } else {
    EXPECT_EQ(format.FileName, ToUtf16(dir.File("sonarel_out.wav")));
    result.bytes = ReadFile(ToUtf8(format.FileName));
  }
  return result;
}

TEST(AudioOutput, PiecesJoinUnderTheFirstHeaderForEveryKindOfOutput) {
  const auto pieces = ThreeAnswers();
  const std::string samples = SamplesOf(pieces);
  std::string completed = pieces[0].substr(0, kWavHeaderSize) + samples;
  PutUint32(completed, 4, 3536);
  PutUint32(completed, 40, 3500);
  std::string zeroSizes = completed;
  PutUint32(zeroSizes, 4, 0);
  PutUint32(zeroSizes, 40, 0);
  using TKind = TAudioOutput::TKind;
  struct Case {
    TOutputSettings settings;
    TKind kind;
    std::string bytes;
    uint64_t counted;
  };
  const Case cases[] = {
      {{false, false, false}, TKind::File, completed, 3544},
      {{false, true, true}, TKind::File, completed, 3544},  // --raw/--ignore-length need -o
      {{true, false, false}, TKind::BufferedStdout, completed, 3544},
      {{true, false, true}, TKind::StreamedStdout, zeroSizes, 3544},
      {{true, true, false}, TKind::StreamedStdout, samples, 3500},
  };
  for (const Case& c : cases) {
    const RunResult result = RunOutput(c.settings, pieces);
    EXPECT_EQ(result.kind, c.kind);
    EXPECT_TRUE(result.bytes == c.bytes) << static_cast<int>(c.kind) << " " << result.bytes.size();
    EXPECT_EQ(result.counted, c.counted);
  }
}

TEST(AudioOutput, SilenceWrittenInBlocksFollowsThePieceRules) {
  // Straight into the output it must give what the same silence as one piece gives.
  std::string piece;
  bool pieceFirst = true;
  ASSERT_TRUE(MakeSilence(piece, pieceFirst, 24000, 250, 16, 1));
  const std::string answer = ThreeAnswers()[0];
  for (const TOutputSettings settings :
       {TOutputSettings{false, false, false}, TOutputSettings{true, false, false},
        TOutputSettings{true, false, true}, TOutputSettings{true, true, false}}) {
    for (const bool silenceFirst : {true, false}) {
      const std::vector<std::string> pieces =
          silenceFirst ? std::vector<std::string>{piece, answer} : std::vector<std::string>{answer, piece};
      const RunResult expected = RunOutput(settings, pieces);
      const RunResult written = RunOutput(settings, pieces, silenceFirst ? 0 : 1);
      EXPECT_TRUE(written.bytes == expected.bytes) << settings.ToStdout << settings.RawOutput << silenceFirst;
      EXPECT_EQ(written.counted, expected.counted);
    }
  }
}

TEST(AudioOutput, DataBeyondThePlainLimitGetAnRf64Header) {
  const auto pieces = ThreeAnswers();
  const std::string samples = SamplesOf(pieces);
  for (const bool toStdout : {false, true}) {
    TOutputSettings settings{toStdout, false, false};
    settings.PlainWavLimit = 3500;  // the data exactly at the limit stay a canonical WAV
    EXPECT_EQ(RunOutput(settings, pieces).bytes.substr(0, 4), "RIFF");
    settings.PlainWavLimit = 3499;
    const std::string bytes = RunOutput(settings, pieces).bytes;
    ASSERT_EQ(bytes.size(), kRf64HeaderSize + 3500) << toStdout;
    EXPECT_EQ(bytes.substr(0, 16), std::string("RF64\xFF\xFF\xFF\xFFWAVEds64"));
    EXPECT_EQ(bytes.substr(48, 24), pieces[0].substr(12, 24));  // the "fmt " chunk of the first answer
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
  // A streamed output never rewrites its header: its size fields stay 0.
  TOutputSettings streamed{true, false, true};
  streamed.PlainWavLimit = 100;
  EXPECT_EQ(RunOutput(streamed, pieces).bytes.substr(0, 4), "RIFF");
}

TEST(AudioOutput, SettingsHonourOnlyWhatStdoutAllows) {
  TSettings options;
  options.RawOutput = options.OmitDataLength = true;
  TOutputSettings settings = OutputSettingsFrom(options);
  EXPECT_FALSE(settings.ToStdout || settings.RawOutput || settings.OmitDataLength);
  options.ToStdout = true;
  settings = OutputSettingsFrom(options);
  EXPECT_TRUE(settings.ToStdout && settings.RawOutput);
  EXPECT_FALSE(settings.OmitDataLength);  // --raw wins over --ignore-length
}

TEST(AudioOutput, SilenceHasTheRoundedWholeFrameLength) {
  struct Case {
    int32_t rate;
    int32_t channels;
    int64_t ms;
    size_t bytes;
  };
  const Case cases[] = {
      {24000, 1, 250, 12000}, {22050, 1, 250, 11024}, {44100, 2, 10, 1764}, {8000, 1, 0, 0}};
  for (const Case& c : cases) {
    std::string stream;
    bool first = true;
    ASSERT_TRUE(MakeSilence(stream, first, c.rate, c.ms, 16, c.channels));
    EXPECT_FALSE(first);
    ASSERT_EQ(stream.size(), kWavHeaderSize + c.bytes) << c.rate;
    EXPECT_EQ(GetUint32(stream, 40), c.bytes);
    EXPECT_EQ(GetUint32(stream, 4), c.bytes + 36);
    EXPECT_EQ(GetUint32(stream, 24), static_cast<uint32_t>(c.rate));
    EXPECT_EQ(stream.find_first_not_of('\0', kWavHeaderSize), std::string::npos);
    ASSERT_TRUE(MakeSilence(stream, first, c.rate, c.ms, 16, c.channels));  // no second header
    EXPECT_EQ(stream.size(), kWavHeaderSize + 2 * c.bytes);
  }
}

TEST(AudioOutput, SubtitleBufferKeepsItsHeaderAndLeavesTheCounterAlone) {
  const auto pieces = ThreeAnswers();
  std::string buffer;
  bool first = true;
  ASSERT_TRUE(AppendSilence(buffer, first, kFormat, 250));
  for (const std::string& piece : pieces) ASSERT_TRUE(AppendAudio(buffer, first, piece));
  ASSERT_TRUE(AppendAudio(buffer, first, pieces[0].substr(0, kWavHeaderSize)));  // header only: nothing
  ASSERT_EQ(buffer.size(), kWavHeaderSize + 12000 + 3500);
  EXPECT_TRUE(buffer.substr(kWavHeaderSize + 12000) == SamplesOf(pieces));
  FinalizeWavHeader(buffer);

  // With --raw the buffer still carries its header; only the output drops it, and counts once.
  const RunResult result = RunOutput({true, true, false}, {buffer});
  EXPECT_TRUE(result.bytes == buffer.substr(kWavHeaderSize));
  EXPECT_EQ(result.counted, 15500u);
}

TEST(AudioOutput, ClosedPipeMakesAppendFailWithoutKillingTheProcess) {
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  ::close(fds[0]);
  TOutputData format = kFormat;
  auto output = OpenOutput(format, u"/nonexistent", {true, false, true, fds[1]});
  ASSERT_NE(output, nullptr);
  bool first = true;
  EXPECT_FALSE(AppendAudio(*output, first, ThreeAnswers()[0]));
  ::close(fds[1]);

  ASSERT_EQ(::pipe(fds), 0);
  ::close(fds[0]);
  output = OpenOutput(format, u"/nonexistent", {true, false, false, fds[1]});
  first = true;
  EXPECT_TRUE(AppendAudio(*output, first, ThreeAnswers()[0]));  // buffered until the end
  EXPECT_FALSE(CloseOutput(*output));
  ::close(fds[1]);
}

TEST(AudioOutput, FileOutputInAMissingFolderFailsToOpen) {
  TOutputData format = kFormat;
  EXPECT_EQ(OpenOutput(format, u"/nonexistent/folder", TOutputSettings{}), nullptr);
}

TEST(AudioOutput, ReadWavFormatTakesTheAnswersFormat) {
  TOutputData format;
  ASSERT_TRUE(ReadWavFormat(MakeWavBytes(std::vector<int16_t>(100, 7), 22050, 2), format));
  EXPECT_EQ(format.SampleRate, 22050);
  EXPECT_EQ(format.Channels, 2);
  EXPECT_EQ(format.BitsPerSample, 16);
  // Sound the reader decodes but that is no WAV: the service's own Ogg Opus.
  const std::string opus = testing::EncodeOpus(testing::MakeSine(48000, 1, 500, 8000, 0.2), 1);
  for (const std::string& bad :
       {std::string(), std::string("OggS not a wave"), std::string(44, '\0'), opus}) {
    EXPECT_FALSE(ReadWavFormat(bad, format)) << bad.substr(0, 4);
  }
}

}  // namespace
}  // namespace sonacli
