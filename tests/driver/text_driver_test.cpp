#include "driver/text_driver.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <mutex>

#include "audio/audio_error.h"
#include "audio/silence.h"
#include "audio/wav_header.h"
#include "common/unicode_text.h"
#include "dict/dictionary_set.h"
#include "driver/driver_error.h"
#include "raw_pcm_speech.h"
#include "service/yandex_tts_object.h"
#include "standin_fixture.h"
#include "testing/fake_clock.h"
#include "text/chapter_tag.h"

namespace sonacli {
namespace {

std::vector<std::string> g_errors;
void RecordError(std::u16string_view message) {
  g_errors.push_back(ToUtf8(message));
}

// The driver in this process against the stand-in, on a clock that never waits.
class TextDriverTest : public TStandinTest {
 protected:
  void SetUp() override {
    TStandinTest::SetUp();
    g_errors.clear();
    settings_.ApiKey = kCloudKey;
    settings_.LanguageCode = u"ru-RU";
    settings_.VoiceName = u"oksana";
    settings_.EmotionName = u"neutral";
    settings_.SpeechRate = u"1.0";
    settings_.SampleRate = 24000;
    settings_.OutputFileName = ToUtf16(dir_.File("out.wav"));
  }

  // Runs the driver; true when no temporary file is left beside the output.
  bool Speak(const std::vector<std::u16string>& lines) {
    TFakeClock clock;
    TYandexTTSObject service(ServiceSettings(), clock);
    TRandom random(1);
    result_ = TRunResult{RecordError, settings_.ToStdout};
    TDriverContext context{settings_, dictionaries_, service, clock, random, result_};
    SpeakText(context, UserText(lines));
    for (const auto& entry : std::filesystem::directory_iterator(dir_.Path())) {
      if (entry.path().filename().string().front() == '.') return false;
    }
    return true;
  }

  TDictionarySet dictionaries_;
  TRunResult result_;
};

// An empty answer would leave its piece missing: it is retried like any failure, and one that stays
// empty ends the run with the audio before it kept.
TEST_F(TextDriverTest, EmptyAnswersAreRetriedThenReported) {
  const size_t whole = 44 + 2 * (7200 + 7200);
  struct {
    const char* name;
    const char* script;
    std::vector<std::string> errors;
    size_t bytes;  // of the output; 0: none
  } const rows[] = {
      {"probe empty once", R"({"rules":[{"times":1,"answer":"empty"}]})", {}, whole},
      // No audio was made, so no second error says that it could not be saved.
      {"probe always empty", R"({"rules":[{"answer":"empty"}]})", {"No audio data"}, 0},
      {"piece empty once", R"({"rules":[{"text_contains":"Two","times":1,"answer":"empty"}]})", {}, whole},
      {"piece always empty",
       R"({"rules":[{"text_contains":"Two","answer":"empty"}]})",
       {"No audio data"},
       44 + 2 * 7200},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    std::filesystem::remove(dir_.File("out.wav"));
    standin_->SetScript(row.script);
    g_errors.clear();
    EXPECT_TRUE(Speak({u"One.", u"Two."}));
    EXPECT_EQ(g_errors, row.errors);
    EXPECT_EQ(result_.ErrorReported, !row.errors.empty());
    EXPECT_EQ(testing::ReadFile(dir_.File("out.wav")).size(), row.bytes);
  }
}

TEST_F(TextDriverTest, SilenceStandsInForPiecesWithNothingToSay) {
  // "..." has nothing to pronounce.
  settings_.LrcEnabled = settings_.SyncOutput = true;
  settings_.LrcData.FileName = ToUtf16(dir_.File("out.lrc"));
  EXPECT_TRUE(Speak({u"One.", u"...", u"Two."}));
  EXPECT_FALSE(result_.ErrorReported);
  EXPECT_EQ(testing::ReadFile(dir_.File("out.wav")).size(),
            44 + 2 * (4 * 1200 + 2400 + 2400 + 4 * 1200 + 2400));
  EXPECT_EQ(testing::ReadFile(dir_.File("out.lrc")),
            "[re:Sonarel]\r\n[00:00.00]One.\r\n[00:00.30]...\r\n[00:00.40]Two.\r\n");
  // The probe, "One." and "Two."; "..." is never sent.
  EXPECT_EQ(standin_->Requests().size(), 3u);
}

TEST_F(TextDriverTest, StandardOutputRunStillReportsItsErrors) {
  standin_->SetScript(R"({"rules":[{"status":403}]})");
  settings_.ToStdout = true;
  EXPECT_TRUE(Speak({u"One."}));
  EXPECT_TRUE(result_.ErrorReported);
  EXPECT_EQ(g_errors, (std::vector<std::string>{"HTTP 403 - Forbidden"}));
}

// An in-process service: every piece is answered with 10 ms of silence per character; a piece of
// the refused text with the service's refusal, of the unconvertible text with a conversion failure,
// of the silent text with an answer that breaks the service's contract: spoken, without audio.
class TFakeService final : public TSynthesisService {
 public:
  // Called from the sending threads with --jobs above 1.
  TSynthesisAnswer Synthesize(const TSynthesisRequest& request, const TAnswerUse& use,
                              std::stop_token) override {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      Requests.push_back(request);
    }
    TSynthesisAnswer answer;
    if (request.Text == Refused) {
      answer.Outcome = TSynthesisOutcome::Rejected;
      answer.ErrorText = u"HTTP 403 - Forbidden";
      return answer;
    }
    if (request.Text == Unconvertible) throw TAudioError("Failed to initialize the resampler");
    if (request.Text == Silent) {
      answer.Outcome = TSynthesisOutcome::Spoken;
      return answer;
    }
    // 10 ms of silence per character.
    return SpokenAnswer(std::string(2 * 240 * request.Text.size(), '\0'), use);
  }

  std::vector<TSynthesisRequest> Requests;  // read once the run has ended
  std::u16string Refused;
  std::u16string Unconvertible;
  std::u16string Silent;

 private:
  std::mutex mutex_;
};

// What the decode step was given of each piece, in the order the answers were decoded: the volume
// change and the channel.
std::mutex g_soundsMutex;
std::vector<std::string> g_sounds;
bool DecodeNotingTheSound(const std::string& answer, const TSpeechTarget& target,
                          const TVolumeAndChannel& piece, TDecodedSpeech& speech) {
  {
    std::lock_guard lock(g_soundsMutex);
    g_sounds.push_back(std::to_string(piece.VolumeDelta) + "|" + std::to_string(int(piece.ChannelMode)));
  }
  return DecodeRawPcm(answer, target, piece, speech);
}

// The driver against the fake service, in a temporary folder of its own.
class TextDriverFakeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    settings_.ApiKey = kCloudKey;
    settings_.LanguageCode = u"ru-RU";
    settings_.VoiceName = u"oksana";
    settings_.EmotionName = u"neutral";
    settings_.OutputFileName = ToUtf16(dir_.File("out.wav"));
  }

  void Speak(const std::vector<std::u16string>& lines) {
    TFakeClock clock;
    TRandom random(1);
    result_ = TRunResult{RecordError, settings_.ToStdout};
    TDriverContext context{
        settings_,    dictionaries_,       service_, clock, random, result_, kWavOutputChoice,
        kNoMediaTags, DecodeNotingTheSound};
    g_errors.clear();
    g_sounds.clear();
    SpeakText(context, UserText(lines));
  }
  size_t OutputBytes() const { return testing::ReadFile(dir_.File("out.wav")).size(); }

  testing::ScopedTempDir dir_;
  TSettings settings_;
  TDictionarySet dictionaries_;
  TFakeService service_;
  TRunResult result_;
};

TEST_F(TextDriverFakeTest, PiecesGoOutWithTheirVoiceAndDictionariesAndJoinWithPauses) {
  dictionaries_.Load({ToUtf16(testing::WriteFile(dir_.File("a.dic"), "cat=dog\n"))}, 1251);
  Speak({u"A cat.", u"{{lang=en-US;john;1.5;70;g;l}}Hi{{pause=250}} there."});
  EXPECT_FALSE(result_.ErrorReported);
  // Language, voice, rate, tone, the text after the dictionaries, the key.
  std::vector<std::string> sent;
  for (const TSynthesisRequest& r : service_.Requests) {
    // The probe's text is three random digits.
    const std::u16string text = sent.empty() ? u"probe of " + ToUtf16(std::to_string(r.Text.size())) : r.Text;
    sent.push_back(ToUtf8(r.Language + u"|" + r.Voice + u"|" + r.Rate + u"|" + r.Emotion + u"|" + text +
                          u"|" + r.ApiKey));
  }
  EXPECT_EQ(sent, (std::vector<std::string>{
                      "ru-RU|oksana||neutral|probe of 3|AQVN-test-cloud-key-0042",
                      "ru-RU|oksana||neutral|A dog.|AQVN-test-cloud-key-0042",
                      "en-US|john|1.5|good|Hi|AQVN-test-cloud-key-0042",
                      "en-US|john|1.5|good|there.|AQVN-test-cloud-key-0042",
                  }));
  // The volume change and the channel go to the decode step: none for the probe.
  const std::string left = std::to_string(int(TMSConverterMode::msmMonoToLeft));
  const std::string both = std::to_string(int(TMSConverterMode::msmMonoToBoth));
  EXPECT_EQ(g_sounds, (std::vector<std::string>{"0|" + both, "0|" + both, "-30|" + left, "-30|" + left}));
  // 60 ms, 20 ms, the 250 ms pause and 60 ms at 24000 Hz, 16-bit mono, under one header.
  EXPECT_EQ(OutputBytes(), 44u + 2 * 24 * (60 + 20 + 250 + 60));
}

// Whatever fails a piece ends the run with a message, the audio before it kept and nothing after
// it sent: a piece is never simply missing.
TEST_F(TextDriverFakeTest, FailedPieceEndsTheRunAndKeepsTheAudioBeforeIt) {
  struct {
    const char* name;
    std::u16string TFakeService::*failing;
    const char* message;
  } const rows[] = {
      {"refusal", &TFakeService::Refused, "HTTP 403 - Forbidden"},
      {"conversion failure", &TFakeService::Unconvertible, "Failed to initialize the resampler"},
      {"spoken answer without audio", &TFakeService::Silent, "No audio data"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    service_.Requests.clear();
    service_.Refused = service_.Unconvertible = service_.Silent = u"";
    service_.*row.failing = u"Two.";
    Speak({u"One.", u"Two.", u"Three."});
    EXPECT_TRUE(result_.ErrorReported);
    EXPECT_EQ(g_errors, (std::vector<std::string>{row.message}));
    EXPECT_EQ(service_.Requests.size(), 3u);  // the probe, "One." and "Two."
    EXPECT_EQ(OutputBytes(), 44u + 2 * 24 * 40);
  }
}

TEST_F(TextDriverFakeTest, FailedWriteIsReportedAndKeepsWhatReachedTheDisk) {
  for (const bool pause : {false, true}) {
    SCOPED_TRACE(pause ? "a pause" : "a piece");
    {
      // Room for the header, "One." (1920 bytes) and part of what comes next.
      testing::ScopedFileSizeLimit limit(3001);
      Speak({u"One.", pause ? u"{{pause=1000}}" : u"Three.", u"Five."});
    }
    EXPECT_TRUE(result_.ErrorReported);
    EXPECT_EQ(g_errors, (std::vector<std::string>{"Failed to save audio file"}));
    const std::string bytes = testing::ReadFile(dir_.File("out.wav"));
    // Cut to whole frames, with sizes that say so; the run stopped at the failure.
    ASSERT_EQ(bytes.size(), 3000u);
    EXPECT_EQ(GetUint32(bytes, 4), 3000u - 8);
    EXPECT_EQ(GetUint32(bytes, 40), 3000u - 44);
    EXPECT_EQ(service_.Requests.back().Text, pause ? u"One." : u"Three.");
    for (const auto& entry : std::filesystem::directory_iterator(dir_.Path())) {
      EXPECT_NE(entry.path().filename().string().front(), '.') << "temporary file left";
    }
    service_.Requests.clear();
  }
}

// Chapters start at the first sample of their first piece, whatever came before (speech, a pause,
// an insert); an empty chapter gives way to the one after it, a chapter without a title gets its
// number, and one after the last sample is dropped. The same with any number of jobs.
TEST_F(TextDriverFakeTest, ChaptersStartAtTheFirstSampleOfTheirPiece) {
  std::string insert;
  ASSERT_TRUE(MakeSilence(insert, {24000, 1, 16}, 100));
  const std::u16string insertName = ToUtf16(testing::WriteFile(dir_.File("x.wav"), insert));
  const std::vector<std::u16string> lines = {
      u"{{chapter=One}}A cat.",                               // 0, then 60 ms
      u"{{pause=250}}{{chapter=}}Hi",                         // 60 + 250 ms: 7440
      u"{{chapter=Empty}}{{chapter= Two }}there.",            // 7920, "Empty" given way
      u"{{audio=" + insertName + u"}}{{chapter=Three}}End.",  // 9360 + 2400 = 11760
      u"{{chapter=After the end}}",
  };
  settings_.ChapterFileName = ToUtf16(dir_.File("out.ffmeta"));
  for (const int32_t jobs : {1, 4}) {
    SCOPED_TRACE(jobs);
    settings_.Jobs = jobs;
    Speak(lines);
    EXPECT_FALSE(result_.ErrorReported);
    EXPECT_EQ(OutputBytes(), 44u + 2 * (11760 + 960));
    EXPECT_EQ(testing::ReadFile(dir_.File("out.ffmeta")),
              ";FFMETADATA1\n"
              "\n[CHAPTER]\nTIMEBASE=1/24000\nSTART=0\nEND=7440\ntitle=One\n"
              "\n[CHAPTER]\nTIMEBASE=1/24000\nSTART=7440\nEND=7920\ntitle=Chapter 2\n"
              "\n[CHAPTER]\nTIMEBASE=1/24000\nSTART=7920\nEND=11760\ntitle=Two\n"
              "\n[CHAPTER]\nTIMEBASE=1/24000\nSTART=11760\nEND=12720\ntitle=Three\n");
  }
  // A CUE sheet names the audio file and rounds the starts to 1/75 s.
  settings_.ChapterFileName = ToUtf16(dir_.File("out.cue"));
  Speak(lines);
  const std::string cue = testing::ReadFile(dir_.File("out.cue"));
  EXPECT_NE(cue.find("FILE \"out.wav\" WAVE\r\n"), std::string::npos) << cue;
  EXPECT_NE(cue.find("TRACK 03 AUDIO\r\n    TITLE \"Two\"\r\n    INDEX 01 00:00:25\r\n"), std::string::npos)
      << cue;
  EXPECT_EQ(cue.find("TRACK 05"), std::string::npos) << cue;
}

// Ten thousand chapters, each of one short piece, all reach the metadata file in order.
TEST_F(TextDriverFakeTest, TenThousandChapters) {
  std::vector<std::u16string> lines;
  for (int i = 1; i <= 10000; ++i) lines.push_back(ChapterTag(ToUtf16(std::to_string(i))) + u"A.");
  settings_.ChapterFileName = ToUtf16(dir_.File("out.txt"));
  Speak(lines);
  EXPECT_FALSE(result_.ErrorReported);
  EXPECT_EQ(OutputBytes(), 44u + 2 * 480 * 10000);
  const std::string text = testing::ReadFile(dir_.File("out.txt"));
  size_t count = 0;
  for (size_t at = text.find("[CHAPTER]"); at != std::string::npos; at = text.find("[CHAPTER]", at + 1))
    ++count;
  EXPECT_EQ(count, 10000u);
  EXPECT_TRUE(text.ends_with("START=4799520\nEND=4800000\ntitle=10000\n")) << text.substr(text.size() - 100);
}

// The chapter file cannot spoil the audio: when it cannot be written, the audio is in place and the
// run says why it failed. Chapter tags alone are no text to speak.
TEST_F(TextDriverFakeTest, ChapterFileFailuresKeepTheAudio) {
  std::vector<std::u16string> lines;
  for (int i = 0; i < 100; ++i) lines.push_back(ChapterTag(u"Part " + ToUtf16(std::to_string(i))) + u"Go.");
  settings_.ChapterFileName = ToUtf16(dir_.File("out.cue"));
  Speak(lines);
  EXPECT_EQ(g_errors, (std::vector<std::string>{"A CUE sheet holds at most 99 chapters, not 100; an FFmpeg "
                                                "metadata file (.txt) holds any number"}));
  EXPECT_EQ(OutputBytes(), 44u + 2 * 24 * 30 * 100);
  EXPECT_FALSE(std::filesystem::exists(dir_.File("out.cue")));

  settings_.ChapterFileName = ToUtf16(dir_.File("missing/out.txt"));
  Speak({u"{{chapter=A}}Go."});
  EXPECT_EQ(g_errors, (std::vector<std::string>{"Failed to save chapter file: out.txt"}));
  EXPECT_EQ(OutputBytes(), 44u + 2 * 24 * 30);

  Speak({u"{{chapter=A}}{{chapter=B}}"});
  EXPECT_EQ(g_errors, (std::vector<std::string>{"No text to speak"}));
}

}  // namespace
}  // namespace sonacli
