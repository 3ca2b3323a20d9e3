// What reaches the service for a tagged text: each row is an input text with its options and the
// exact requests the stand-in records for it, in order, with the LRC/SRT files and the levels of
// the audio where the row is about them. Volume and channel never travel in a request; they are
// applied to the decoded audio, so those rows check the samples of each piece instead.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <regex>

#include "e2e/e2e_fixture.h"

namespace sonacli::testing {
namespace {

// 36 characters with hyphens at 9, 14, 19 and 24: the form of a key of the legacy interface.
constexpr char kLegacyKey[] = "abcdef01-2345-6789-abcd-ef0123456789";

// The level of one piece in each channel of the output, relative to the first piece's first
// channel.
using TLevels = std::vector<double>;

struct TRequestRow {
  std::string Name;
  std::string Key;
  std::vector<std::string> Options;  // besides -k, -f and -w
  std::string Input;                 // the input file
  std::string Dictionary = {};       // a ".dic" file given with -d; none when empty
  // Every request after the probe, as "METHOD path?query" followed by " body" when there is one.
  std::vector<std::string> Requests;
  // The probe request, its random three digits written NNN.
  std::string Probe;
  std::string Lrc = {};              // the LRC file; not asked for when empty
  std::string Srt = {};              // the SRT file; not asked for when empty
  std::vector<TLevels> Levels = {};  // per piece; not checked when empty
};

void PrintTo(const TRequestRow& row, std::ostream* out) {
  *out << row.Name;
}

// "word01 word02 ... wordNN" for the numbers first..last, the spaces written `space`.
std::string Words(int first, int last, const std::string& space) {
  std::string text;
  for (int n = first; n <= last; ++n) {
    if (n > first) text += space;
    text += (n < 10 ? "word0" : "word") + std::to_string(n);
  }
  return text;
}

std::string V1(const std::string& body) {
  return "POST /speech/v1/tts:synthesize " + body;
}

std::string V3(const std::string& text, const std::string& hints) {
  return "POST /tts/v3/utteranceSynthesis {\"text\":\"" + text + "\",\"hints\":[" + hints +
         "],\"output_audio_spec\":{\"container_audio\":{\"container_audio_type\":\"OGG_OPUS\"}},"
         "\"unsafe_mode\":false}";
}

std::string Legacy(const std::string& query) {
  return "GET /generate?key=" + std::string(kLegacyKey) + "&" + query;
}

const std::vector<TRequestRow>& Rows() {
  static const std::vector<TRequestRow> rows = {
      {.Name = "CloudFormSwitchesVoiceRateAndTone",
       .Key = kCloudKey,
       .Options = {"-l", "ru-ru", "-n", "alena", "-s", "1.2", "-e", "good"},
       .Input = "Hello there {{lang=ru-ru;jane;0.8;;e}}Second part {{lang=en-us;john}}Third part",
       .Requests = {V1("text=Hello%20there&format=oggopus&lang=ru-ru&voice=alena&speed=1.2&emotion=good"),
                    V1("text=Second%20part&format=oggopus&lang=ru-ru&voice=jane&speed=0.8&emotion=evil"),
                    V1("text=Third%20part&format=oggopus&lang=en-us&voice=john&speed=1.2")},
       .Probe = V1("text=NNN&format=oggopus&lang=ru-ru&voice=alena&speed=1.2")},
      {.Name = "CloudJsonHintsAndBackToTheForm",
       .Key = kCloudKey,
       .Options = {"-l", "ru-ru", "-n", "julia"},
       .Input = "One {{lang=ru-ru;anton;1.50;;s}}Two {{lang=ru-ru;oksana;2;;w}}Three",
       .Requests = {V3("One", "{\"voice\":\"julia\"}"),
                    V3("Two", "{\"voice\":\"anton\"},{\"speed\":1.50},{\"role\":\"strict\"}"),
                    V1("text=Three&format=oggopus&lang=ru-ru&voice=oksana&speed=2")},
       .Probe = V3("NNN", "{\"voice\":\"julia\"}")},
      {.Name = "LegacyKeySendsThePartLanguage",
       .Key = kLegacyKey,
       .Options = {"-l", "ru-ru", "-n", "oksana"},
       .Input = "Privet {{lang=en-us;nick;1.5;;g}}Hello {{lang=de-de;alyss;;;e}}Hallo "
                "{{lang=tr-tr;zahar:old;0.5}}Merhaba",
       .Requests = {Legacy("text=Privet&format=opus&lang=ru-RU&speaker=oksana&quality=hi"),
                    Legacy(
                        "text=Hello&format=opus&lang=en-US&speaker=nick&quality=hi&speed=1.5&emotion=good"),
                    Legacy("text=Hallo&format=opus&lang=en-US&speaker=alyss&quality=hi&emotion=evil"),
                    Legacy("text=Merhaba&format=opus&lang=tr-TR&speaker=zahar&quality=hi&speed=0.5")},
       .Probe = Legacy("text=NNN&format=opus&lang=ru-RU&speaker=oksana&quality=hi")},
      {.Name = "VolumeOfEachPiece",
       .Key = kCloudKey,
       .Options = {"-l", "ru-ru", "-n", "oksana", "-v", "50"},
       .Input = "Tone {{lang=ru-ru;oksana;;100}}Tone {{lang=ru-ru;oksana;;150}}Tone",
       .Requests = {V1("text=Tone&format=oggopus&lang=ru-ru&voice=oksana"),
                    V1("text=Tone&format=oggopus&lang=ru-ru&voice=oksana"),
                    V1("text=Tone&format=oggopus&lang=ru-ru&voice=oksana")},
       .Probe = V1("text=NNN&format=oggopus&lang=ru-ru&voice=oksana"),
       .Levels = {{1.0}, {2.0}, {3.0}}},
      {.Name = "ChannelOfEachPiece",
       .Key = kCloudKey,
       .Options = {"-l", "ru-ru", "-n", "oksana", "-stereo"},
       .Input = "Tone {{lang=ru-ru;oksana;;;;l}}Tone {{lang=ru-ru;oksana;;;;r}}Tone",
       .Requests = {V1("text=Tone&format=oggopus&lang=ru-ru&voice=oksana"),
                    V1("text=Tone&format=oggopus&lang=ru-ru&voice=oksana"),
                    V1("text=Tone&format=oggopus&lang=ru-ru&voice=oksana")},
       .Probe = V1("text=NNN&format=oggopus&lang=ru-ru&voice=oksana"),
       .Levels = {{1.0, 1.0}, {1.0, 0.4}, {0.4, 1.0}}},
      {.Name = "DictionariesChangeTheRequestsButNotTheLrcOrSrt",
       .Key = kCloudKey,
       .Options = {"-l", "ru-ru", "-n", "oksana", "-lrc", "-srt"},
       .Input = "I like tomato. Red tomato soup.",
       .Dictionary = "tomato=tamahto\r\n",
       .Requests = {V1("text=I%20like%20tamahto.&format=oggopus&lang=ru-ru&voice=oksana"),
                    V1("text=Red%20tamahto%20soup.&format=oggopus&lang=ru-ru&voice=oksana")},
       .Probe = V1("text=NNN&format=oggopus&lang=ru-ru&voice=oksana"),
       // 15 and 17 characters spoken: 850 and 950 ms.
       .Lrc = "[re:Sonarel]\r\n[00:00.00]I like tomato.\r\n[00:00.85]Red tomato soup.\r\n",
       .Srt = "1\r\n00:00:00,000 --> 00:00:00,849\r\nI like tomato.\r\n\r\n"
              "2\r\n00:00:00,850 --> 00:00:01,799\r\nRed tomato soup.\r\n\r\n"},
      {.Name = "LrcCutsPiecesAt350Characters",
       .Key = kCloudKey,
       .Options = {"-l", "ru-ru", "-n", "oksana", "-lrc"},
       // One sentence of 370 characters, which the voice could take in one request.
       .Input = Words(1, 53, " "),
       .Requests = {V1("text=" + Words(1, 50, "%20") + "&format=oggopus&lang=ru-ru&voice=oksana"),
                    V1("text=" + Words(51, 53, "%20") + "&format=oggopus&lang=ru-ru&voice=oksana")},
       .Probe = V1("text=NNN&format=oggopus&lang=ru-ru&voice=oksana"),
       // 349 characters spoken: 17550 ms.
       .Lrc =
           "[re:Sonarel]\r\n[00:00.00]" + Words(1, 50, " ") + "\r\n[00:17.55]" + Words(51, 53, " ") + "\r\n"},
      {.Name = "LegacyKeyLrcCutsPiecesAt350Characters",
       .Key = kLegacyKey,
       .Options = {"-l", "ru-ru", "-n", "oksana", "-lrc"},
       // The legacy interface takes 400 characters.
       .Input = Words(1, 53, " "),
       .Requests =
           {Legacy("text=" + Words(1, 50, "%20") + "&format=opus&lang=ru-RU&speaker=oksana&quality=hi"),
            Legacy("text=" + Words(51, 53, "%20") + "&format=opus&lang=ru-RU&speaker=oksana&quality=hi")},
       .Probe = Legacy("text=NNN&format=opus&lang=ru-RU&speaker=oksana&quality=hi")},
  };
  return rows;
}

// One recorded request the way the table writes it.
std::string Render(const nlohmann::json& request) {
  std::string line = request.value("method", "") + " " + request.value("path", "");
  const std::string query = request.value("query", "");
  if (!query.empty()) line += "?" + query;
  const std::string body = request.value("body", "");
  if (!body.empty()) line += " " + body;
  return line;
}

// The probe's text is three random digits.
std::string WithoutProbeDigits(const std::string& line) {
  static const std::regex kProbeText(R"((text=|"text":")[1-9][0-9][0-9]([&"]))");
  return std::regex_replace(line, kProbeText, "$1NNN$2", std::regex_constants::format_first_only);
}

int16_t SampleAt(const std::string& samples, size_t index) {
  return int16_t(uint16_t(uint8_t(samples[2 * index]) | uint8_t(samples[2 * index + 1]) << 8));
}

// The largest magnitude of each channel in each piece; a piece of `characters` characters spans
// SpeechFrames(characters) frames.
std::vector<TLevels> PeakLevels(const TWavFile& wav, const std::vector<size_t>& characters) {
  std::vector<TLevels> peaks;
  const size_t channels = wav.Channels;
  size_t frame = 0;
  for (size_t count : characters) {
    TLevels peak(channels, 0.0);
    const size_t end = std::min(frame + SpeechFrames(count), wav.Samples.size() / 2 / channels);
    for (; frame < end; ++frame) {
      for (size_t c = 0; c < channels; ++c) {
        peak[c] = std::max(peak[c], std::abs(double(SampleAt(wav.Samples, frame * channels + c))));
      }
    }
    peaks.push_back(peak);
  }
  return peaks;
}

class RequestTable : public SonacliE2e, public ::testing::WithParamInterface<TRequestRow> {};

TEST_P(RequestTable, SendsExactlyTheseRequests) {
  const TRequestRow& row = GetParam();
  std::vector<std::string> args = {"-k", row.Key, "-f", Write("input.txt", row.Input), "-w", File("out.wav")};
  args.insert(args.end(), row.Options.begin(), row.Options.end());
  if (!row.Dictionary.empty()) {
    args.insert(args.end(), {"-d", Write("words.dic", row.Dictionary)});
  }
  const TChildResult run = Run(args);
  EXPECT_EQ(run.ExitCode, 0) << run.Stdout << run.Stderr;

  const std::vector<nlohmann::json> recorded = standin_->Requests();
  ASSERT_FALSE(recorded.empty());
  EXPECT_EQ(WithoutProbeDigits(Render(recorded.front())), row.Probe);
  std::vector<std::string> requests;
  for (size_t i = 1; i < recorded.size(); ++i) requests.push_back(Render(recorded[i]));
  EXPECT_EQ(requests, row.Requests);
  for (const nlohmann::json& request : recorded) {
    if (request.value("method", "") != "POST") continue;
    EXPECT_EQ(request["headers"].value("authorization", ""), "Api-Key " + row.Key);
  }

  if (!row.Lrc.empty()) {
    EXPECT_EQ(ReadFile(File("out.lrc")), row.Lrc);
  }
  if (!row.Srt.empty()) {
    EXPECT_EQ(ReadFile(File("out.srt")), row.Srt);
  }
  if (!row.Levels.empty()) {
    const TWavFile wav = ParseWav(ReadFile(File("out.wav")));
    ASSERT_EQ(wav.Channels, row.Levels.front().size());
    const std::vector<std::string> texts = RequestTexts();
    std::vector<size_t> characters;
    for (size_t i = 1; i < texts.size(); ++i) characters.push_back(texts[i].size());
    const std::vector<TLevels> peaks = PeakLevels(wav, characters);
    ASSERT_EQ(peaks.size(), row.Levels.size());
    ASSERT_GT(peaks[0][0], 1000.0) << "the first piece is silent";
    for (size_t piece = 0; piece < peaks.size(); ++piece) {
      for (size_t c = 0; c < peaks[piece].size(); ++c) {
        // Opus is lossy: the same tone decodes to peaks a few percent apart.
        EXPECT_NEAR(peaks[piece][c] / peaks[0][0], row.Levels[piece][c], 0.08)
            << "piece " << piece << ", channel " << c;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Rows, RequestTable, ::testing::ValuesIn(Rows()),
                         [](const ::testing::TestParamInfo<TRequestRow>& info) { return info.param.Name; });

}  // namespace
}  // namespace sonacli::testing
