#include "speech/text_driver.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "common/unicode_text.h"
#include "settings/online_global.h"
#include "speech/driver_error.h"
#include "standin_fixture.h"

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
    SetErrorPrinter(RecordError);
    setenv("TMPDIR", dir_.Path().c_str(), 1);
    ApiKey = kCloudKey;
    LanguageCode = u"ru-RU";
    VoiceName = u"oksana";
    EmotionName = u"neutral";
    SpeechRate = u"1.0";
    SampleRate = 24000;
    OutputFileName = ToUtf16(dir_.File("out.wav"));
  }
  void TearDown() override {
    SetErrorPrinter(nullptr);
    unsetenv("TMPDIR");
    TStandinTest::TearDown();
  }

  // Runs the driver; true when no temporary folder is left.
  bool Speak(const std::vector<std::u16string>& lines) {
    TFakeClock clock;
    TYandexTTSObject service(clock);
    TTextDriver(service, clock, result_).Run(lines);
    for (const auto& entry : std::filesystem::directory_iterator(dir_.Path())) {
      if (entry.path().filename().string().rfind("sonarel", 0) == 0) return false;
    }
    return true;
  }

  TRunResult result_;
};

TEST_F(TextDriverTest, ProbeWithoutAudioLeavesNothing) {
  standin_->SetScript(R"({"rules":[{"times":1,"answer":"empty"}]})");
  EXPECT_TRUE(Speak({u"One."}));
  EXPECT_TRUE(result_.ErrorReported);
  EXPECT_EQ(g_errors, (std::vector<std::string>{"No audio data", "Error saving audio file"}));
  EXPECT_FALSE(std::filesystem::exists(dir_.File("out.wav")));
}

TEST_F(TextDriverTest, SilenceStandsInForPiecesWithoutSpeech) {
  // "..." has nothing to pronounce; the service answers "Two." with no audio at all.
  standin_->SetScript(R"({"rules":[{"text_contains":"Two","answer":"empty"}]})");
  LrcEnabled = SyncOutput = true;
  LrcData.FileName = ToUtf16(dir_.File("out.lrc"));
  EXPECT_TRUE(Speak({u"One.", u"...", u"Two."}));
  EXPECT_FALSE(result_.ErrorReported);
  EXPECT_EQ(testing::ReadFile(dir_.File("out.wav")).size(), 44 + 2 * (4 * 1200 + 2400 + 2400 + 2400));
  EXPECT_EQ(testing::ReadFile(dir_.File("out.lrc")),
            "[re:Sonarel]\r\n[00:00.00]One.\r\n[00:00.30]...\r\n[00:00.40]Two.\r\n");
  // The probe, "One." and "Two."; "..." is never sent.
  EXPECT_EQ(standin_->Requests().size(), 3u);
}

TEST_F(TextDriverTest, StandardOutputRunReportsSilently) {
  standin_->SetScript(R"({"rules":[{"status":403}]})");
  ToStdout = true;
  EXPECT_TRUE(Speak({u"One."}));
  EXPECT_TRUE(result_.ErrorReported);
  EXPECT_TRUE(g_errors.empty());
}

}  // namespace
}  // namespace sonacli
