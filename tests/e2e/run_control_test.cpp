// The run as the user drives it: the progress line, runs side by side, Ctrl+C, a reader that
// stops reading.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>

#include "e2e/e2e_fixture.h"

namespace sonacli::testing {
namespace {

using namespace std::chrono_literals;

TEST_F(SonacliE2e, ProgressLineIsRedrawnInPlace) {
  const TChildResult run =
      Run({"-k", kCloudKey, "-w", File("out.wav"), "-dp", "-t", "One.", "-t", "Two.", "-t", "Three."});
  EXPECT_EQ(run.ExitCode, 0);
  EXPECT_EQ(run.Stdout,
            "\r[................................] 0%"
            "\r[###########.....................] 33%"
            "\r[#####################...........] 67%"
            "\r[################################] 100%\n");
}

TEST_F(SonacliE2e, TwoRunsAtOnceUseTheirOwnTemporaryFolders) {
  // Every piece waits a while at the service, so both runs are under way together.
  ScriptRules({{"Slow", "\"delay_ms\":400"}});
  auto first = Start({"-k", kCloudKey, "-w", File("first.wav"), "-t", "Slow one.", "-t", "Slow two."});
  auto second = Start({"-k", kCloudKey, "-w", File("second.wav"), "-t", "Slow three.", "-t", "Slow four."});
  EXPECT_TRUE(WaitUntil([&] { return TempFolders().size() == 2; }));
  EXPECT_EQ(first->Wait().ExitCode, 0);
  EXPECT_EQ(second->Wait().ExitCode, 0);
  EXPECT_EQ(ParseWav(ReadFile(File("first.wav"))).Samples.size(), 2 * (SpeechFrames(9) + SpeechFrames(9)));
  EXPECT_EQ(ParseWav(ReadFile(File("second.wav"))).Samples.size(), 2 * (SpeechFrames(11) + SpeechFrames(10)));
}

TEST_F(SonacliE2e, InterruptedRunSavesWhatItHasAndExitsWith130) {
  // The third piece fails again and again; the run would retry it for 15 s.
  ScriptRules({{"Third", "\"status\":503"}});
  auto child = Start({"-k", kCloudKey, "-w", File("out.wav"), "-lrc", "-t", "First.", "-t", "Second.", "-t",
                      "Third.", "-t", "Fourth."});
  ASSERT_TRUE(WaitUntil([&] { return RequestTexts().size() >= 4; }));  // the probe, two pieces, the third
  const auto interrupted = std::chrono::steady_clock::now();
  kill(child->Pid(), SIGINT);
  const TChildResult run = child->Wait();
  EXPECT_LT(std::chrono::steady_clock::now() - interrupted, 5s) << "the run sat out its retries";
  EXPECT_EQ(run.ExitCode, 130);
  EXPECT_EQ(run.Stdout, "");
  const TWavFile wav = ParseWav(ReadFile(File("out.wav")));
  EXPECT_EQ(wav.Samples.size(), 2 * (SpeechFrames(6) + SpeechFrames(7)));
  EXPECT_EQ(wav.DataSize, wav.Samples.size());
  EXPECT_EQ(ReadFile(File("out.lrc")), "[re:Sonarel]\r\n[00:00.00]First.\r\n[00:00.40]Second.\r\n");
}

TEST_F(SonacliE2e, InterruptCutsShortARequestThatIsStillWaiting) {
  ScriptRules({{"Third", "\"delay_ms\":30000"}});
  auto child =
      Start({"-k", kCloudKey, "-w", File("out.wav"), "-t", "First.", "-t", "Second.", "-t", "Third."});
  ASSERT_TRUE(WaitUntil([&] { return RequestTexts().size() >= 4; }));  // the third is held at the service
  const auto interrupted = std::chrono::steady_clock::now();
  kill(child->Pid(), SIGINT);
  const TChildResult run = child->Wait();
  EXPECT_LT(std::chrono::steady_clock::now() - interrupted, 5s) << "the run waited for the answer";
  EXPECT_EQ(run.ExitCode, 130);
  EXPECT_EQ(run.Stdout, "");
  EXPECT_EQ(ParseWav(ReadFile(File("out.wav"))).Samples.size(), 2 * (SpeechFrames(6) + SpeechFrames(7)));
}

TEST_F(SonacliE2e, ReaderClosingThePipeEndsTheRunQuietly) {
  const TChildResult run = Shell(
      "\"$SONACLI\" -k " + std::string(kCloudKey) +
      " -t 'One two three.' -t 'Four five six.' -t 'Seven eight nine.' -o --raw | head -c 100 >/dev/null;"
      " echo \"sonacli ${PIPESTATUS[0]}\"");
  EXPECT_EQ(run.Stdout, "sonacli 0\n");
  EXPECT_EQ(run.Stderr, "");
}

}  // namespace
}  // namespace sonacli::testing
