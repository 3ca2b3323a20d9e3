// The run as the user drives it: the progress line, runs side by side, a reader that stops
// reading. (Ctrl+C and the other signals: the fault table.)
#include <gtest/gtest.h>

#include "e2e/e2e_fixture.h"

namespace sonacli::testing {
namespace {

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

TEST_F(SonacliE2e, TwoRunsAtOnceUseTheirOwnTemporaryNames) {
  // Every piece waits a while at the service, so both runs are under way together.
  ScriptRules({{"Slow", "\"delay_ms\":400"}});
  auto first = Start({"-k", kCloudKey, "-w", File("first.wav"), "-t", "Slow one.", "-t", "Slow two."});
  auto second = Start({"-k", kCloudKey, "-w", File("second.wav"), "-t", "Slow three.", "-t", "Slow four."});
  // Each run writes under a hidden name of its own beside its output.
  EXPECT_TRUE(WaitUntil([&] {
    const std::vector<std::string> names = Temporaries();
    return names.size() == 2 && names[0].rfind(".first.wav.", 0) == 0 &&
           names[1].rfind(".second.wav.", 0) == 0;
  }));
  EXPECT_EQ(first->Wait().ExitCode, 0);
  EXPECT_EQ(second->Wait().ExitCode, 0);
  EXPECT_EQ(ParseWav(ReadFile(File("first.wav"))).Samples.size(), 2 * (SpeechFrames(9) + SpeechFrames(9)));
  EXPECT_EQ(ParseWav(ReadFile(File("second.wav"))).Samples.size(), 2 * (SpeechFrames(11) + SpeechFrames(10)));
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
