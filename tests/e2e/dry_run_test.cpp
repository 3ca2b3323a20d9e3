// The dry run against the stand-in: what it lists is what a real run then sends (count, order,
// interface, voice, tone, speed, text), it sends nothing itself, its billed characters are the
// characters the service receives, and a cache splits its counts.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>

#include "common/unicode_text.h"
#include "e2e/e2e_fixture.h"

namespace sonacli::testing {
namespace {

// The fields a request carries, alike for a listed and a received one.
struct TSent {
  std::string Interface;
  std::string Voice;
  std::string Tone;  // empty: none
  double Speed = 1.0;
  std::string Text;

  bool operator==(const TSent&) const = default;
};

void PrintTo(const TSent& sent, std::ostream* out) {
  *out << sent.Interface << " " << sent.Voice << " [" << sent.Tone << "] " << sent.Speed << " \"" << sent.Text
       << "\"";
}

std::string PercentDecoded(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size()) {
      out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::map<std::string, std::string> FormFields(const std::string& form) {
  std::map<std::string, std::string> fields;
  std::istringstream in(form);
  for (std::string pair; std::getline(in, pair, '&');) {
    const size_t equals = pair.find('=');
    fields[pair.substr(0, equals)] =
        PercentDecoded(equals == std::string::npos ? "" : pair.substr(equals + 1));
  }
  return fields;
}

double SpeedOf(const std::string& text) {
  return text.empty() ? 1.0 : std::stod(text);
}

TSent FromLog(const nlohmann::json& request) {
  const std::string path = request.value("path", "");
  TSent sent;
  if (path == "/tts/v3/utteranceSynthesis") {
    const nlohmann::json body = nlohmann::json::parse(request.value("body", ""));
    sent.Interface = "v3";
    sent.Text = body["text"];
    for (const nlohmann::json& hint : body["hints"]) {
      if (hint.contains("voice")) sent.Voice = hint["voice"];
      if (hint.contains("role")) sent.Tone = hint["role"];
      if (hint.contains("speed")) sent.Speed = hint["speed"];
    }
    return sent;
  }
  const bool legacy = path == "/generate";
  std::map<std::string, std::string> fields = FormFields(request.value(legacy ? "query" : "body", ""));
  sent.Interface = legacy ? "legacy" : "v1";
  sent.Voice = fields[legacy ? "speaker" : "voice"];
  sent.Tone = fields["emotion"];
  sent.Speed = SpeedOf(fields["speed"]);
  sent.Text = fields.contains("ssml") ? fields["ssml"] : fields["text"];
  return sent;
}

TSent FromListing(const nlohmann::json& line) {
  std::string voice = line["voice"];
  // A ":old" voice goes out under its plain name.
  if (voice.ends_with(":old")) voice.resize(voice.size() - 4);
  std::string rate = line["rate"];
  if (rate.starts_with('+')) rate.erase(0, 1);
  return {line["interface"], voice, line["tone"], SpeedOf(rate), line["text"]};
}

std::vector<nlohmann::json> JsonLines(const std::string& text) {
  std::vector<nlohmann::json> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(nlohmann::json::parse(line));
  return lines;
}

// The value after "name: " in the dry run's summary, up to the line's end.
std::string SummaryValue(const std::string& summary, const std::string& name) {
  const size_t at = summary.find(name + ": ");
  if (at == std::string::npos) return {};
  const size_t start = at + name.size() + 2;
  return summary.substr(start, summary.find('\n', start) - start);
}

int64_t CodePoints(const std::string& utf8) {
  return static_cast<int64_t>(
      std::count_if(utf8.begin(), utf8.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

struct TDryRunRow {
  std::string Name;
  std::string Key;
  std::vector<std::string> Options;  // besides -k, -f and -w
  std::string InputName;
  std::string Input;
};

void PrintTo(const TDryRunRow& row, std::ostream* out) {
  *out << row.Name;
}

// "wordNN" words, enough to be cut into several requests of a v3 voice (246 characters at most).
std::string LongLine() {
  std::string line;
  for (int n = 10; n < 70; ++n) line += "word" + std::to_string(n) + (n % 9 == 0 ? ". " : " ");
  return line;
}

std::vector<TDryRunRow> Rows() {
  const std::string srt = Srt({{"00:00:01,000 --> 00:00:02,000", "Мой кот спит."},
                               {"00:00:03,000 --> 00:00:05,000", "{{lang=en-us;john;1.5;;g}}Cat runs"},
                               {"00:00:05,100 --> 00:00:06,000", "on and on."},
                               {"00:00:08,000 --> 00:00:09,000", "{{pause=200}}" + LongLine()}});
  return {
      {.Name = "TaggedText",
       .Key = kCloudKey,
       .Options = {"-lrc"},
       .InputName = "input.txt",
       .Input = "Кот спит на окне. {{lang=en-us;john;1.5;;g}}The cat sleeps.{{pause=300}}\n"
                "{{audio=chime.wav}}{{lang=ru-ru;jane;0.8;;e}}Кот снова тут.\n"
                "<speak>Кот</speak>\n"
                "{{lang=ru-ru;anton}}" +
                LongLine() + "\n{{lang=ru-ru;oksana;+2;;g}}Кот и кот."},
      {.Name = "LegacyKey",
       .Key = "abcdef01-2345-6789-abcd-ef0123456789",
       .Options = {"-e", "good"},
       .InputName = "input.txt",
       .Input = "Мой кот спит. {{lang=de-de;alyss;;;e}}Hallo Katze {{lang=tr-tr;zahar:old;0.5}}Merhaba"},
      {.Name = "Subtitles", .Key = kCloudKey, .Options = {}, .InputName = "input.srt", .Input = srt},
  };
}

class DryRunTable : public SonacliE2e, public ::testing::WithParamInterface<TDryRunRow> {
 protected:
  std::vector<std::string> Args(const TDryRunRow& row, const std::vector<std::string>& extra) {
    MakeToneWav("chime.wav", 200, 24000);
    std::vector<std::string> args = {"-k", row.Key,         "-f", Write(row.InputName, row.Input),
                                     "-w", File("out.wav"), "-d", Write("words.dic", "кот=кошка\r\n")};
    args.insert(args.end(), row.Options.begin(), row.Options.end());
    args.insert(args.end(), extra.begin(), extra.end());
    return args;
  }
};

TEST_P(DryRunTable, ListsExactlyTheRequestsThatARealRunSends) {
  const TDryRunRow& row = GetParam();
  const TChildResult listing = Run(Args(row, {"--list-requests"}));
  ASSERT_EQ(listing.ExitCode, 0) << listing.Stdout << listing.Stderr;
  const TChildResult summary = Run(Args(row, {"--dry-run"}));
  ASSERT_EQ(summary.ExitCode, 0) << summary.Stdout << summary.Stderr;
  EXPECT_TRUE(standin_->Requests().empty()) << "a dry run sent a request";
  EXPECT_FALSE(std::filesystem::exists(File("out.wav")));
  EXPECT_FALSE(std::filesystem::exists(File("out.lrc")));

  const TChildResult real = Run(Args(row, {}));
  ASSERT_EQ(real.ExitCode, 0) << real.Stdout << real.Stderr;
  const std::vector<nlohmann::json> received = standin_->Requests();
  ASSERT_FALSE(received.empty());
  std::vector<TSent> sent;
  int64_t characters = 0;
  for (size_t i = 1; i < received.size(); ++i) {  // the probe first
    sent.push_back(FromLog(received[i]));
    characters += CodePoints(sent.back().Text);
  }
  std::vector<TSent> listed;
  for (const nlohmann::json& line : JsonLines(listing.Stdout)) {
    listed.push_back(FromListing(line));
    EXPECT_EQ(line["cached"], false);
    EXPECT_EQ(line["characters"], CodePoints(listed.back().Text));
  }
  EXPECT_GE(listed.size(), 3u);
  EXPECT_TRUE(std::any_of(listed.begin(), listed.end(), [](const TSent& request) {
    return request.Text.find("кошка") != std::string::npos;
  })) << "the dictionary was not applied";
  EXPECT_EQ(listed, sent);
  EXPECT_EQ(SummaryValue(summary.Stdout, "Requests"),
            "would send " + std::to_string(sent.size()) + " of " + std::to_string(sent.size()));
  const std::string billed = SummaryValue(summary.Stdout, "Characters billed");
  EXPECT_EQ(billed.substr(0, billed.find(' ')), std::to_string(characters)) << summary.Stdout;
}

INSTANTIATE_TEST_SUITE_P(Rows, DryRunTable, ::testing::ValuesIn(Rows()),
                         [](const ::testing::TestParamInfo<TDryRunRow>& info) { return info.param.Name; });

TEST_F(SonacliE2e, DryRunCountsTheCachedRequestsApart) {
  const std::string cache = File("cache");
  // Pauses part the text into pieces, each a request of its own.
  const std::string half = Write("half.txt", "One cat.{{pause=100}}Two cats.");
  const std::string whole =
      Write("whole.txt", "One cat.{{pause=100}}Two cats.{{pause=100}}Three cats.{{pause=100}}Four cats.");
  ASSERT_EQ(Run({"-k", kCloudKey, "-f", half, "-w", File("half.wav"), "--cache", cache}).ExitCode, 0);
  const size_t sentBefore = standin_->Requests().size();

  const TChildResult summary = Run({"-f", whole, "-w", File("whole.wav"), "--cache", cache, "--dry-run"});
  ASSERT_EQ(summary.ExitCode, 0) << summary.Stdout << summary.Stderr;
  const TChildResult listing =
      Run({"-f", whole, "-w", File("whole.wav"), "--cache", cache, "--list-requests"});
  ASSERT_EQ(listing.ExitCode, 0) << listing.Stdout << listing.Stderr;
  EXPECT_EQ(standin_->Requests().size(), sentBefore) << "a dry run sent a request";

  const std::vector<nlohmann::json> lines = JsonLines(listing.Stdout);
  size_t cached = 0;
  int64_t toBill = 0;
  for (const nlohmann::json& line : lines) {
    cached += line["cached"] ? 1 : 0;
    if (!line["cached"]) toBill += line["characters"].get<int64_t>();
  }
  ASSERT_GT(cached, 0u);
  ASSERT_LT(cached, lines.size());
  EXPECT_EQ(SummaryValue(summary.Stdout, "Requests"),
            "would send " + std::to_string(lines.size() - cached) + " of " + std::to_string(lines.size()) +
                " (" + std::to_string(cached) + " answered from the cache)");
  const std::string billed = SummaryValue(summary.Stdout, "Characters billed");
  EXPECT_EQ(billed.substr(0, billed.find(' ')), std::to_string(toBill));

  // The real run then sends just the requests the dry run counted as to send.
  ASSERT_EQ(Run({"-k", kCloudKey, "-f", whole, "-w", File("whole.wav"), "--cache", cache}).ExitCode, 0);
  const std::vector<nlohmann::json> received = standin_->Requests();
  std::vector<TSent> sent;
  for (size_t i = sentBefore; i < received.size(); ++i) sent.push_back(FromLog(received[i]));
  std::vector<TSent> toSend;
  for (const nlohmann::json& line : lines) {
    if (!line["cached"]) toSend.push_back(FromListing(line));
  }
  EXPECT_EQ(sent, toSend);  // the probe's answer is cached too: nothing but the pieces
}

TEST_F(SonacliE2e, DryRunNeedsNoKeyAndWritesNothing) {
  const std::string cache = File("no-cache-yet");
  const TChildResult run = Run({"-t", "{{chapter=Intro}}Hello there. {{pause=2000}}{{chapter=End}}", "-w",
                                File("out.wav"), "-srt", "--cache", cache, "--dry-run"});
  ASSERT_EQ(run.ExitCode, 0) << run.Stdout << run.Stderr;
  EXPECT_EQ(run.Stdout,
            "Dry run: nothing was sent\n"
            "Requests: would send 1 of 1 (0 answered from the cache)\n"
            "Characters billed: 12 (v1 12)\n"
            "Voices: oksana (ru-RU, 1 request)\n"
            "Estimated length: 0:00:03 (speech at 15 characters a second at rate 1, pauses as tagged)\n"
            "Chapters: 2\n"
            "Chapter 1: 0:00:00 Intro\n"
            "Chapter 2: 0:00:03 End\n"
            "Output: " +
                File("out.wav") + " (WAV, 24000 Hz, mono)\nSRT file: " + File("out.srt") +
                "\n"
                // What the test's environment changes: the stand-in in place of the service.
                "Service: " +
                standin_->BaseUrl() + " (SONACLI_CLOUD_URL)\nTrusted certificates: " + standin_->CaFile() +
                ", beside the system's (SONACLI_CA_BUNDLE)\nANSI code page: 1251 (SONACLI_ANSI_CODEPAGE)\n");
  EXPECT_EQ(run.Stderr, "");
  EXPECT_TRUE(standin_->Requests().empty());
  EXPECT_FALSE(std::filesystem::exists(cache));
  EXPECT_FALSE(std::filesystem::exists(File("out.wav")));
}

}  // namespace
}  // namespace sonacli::testing
