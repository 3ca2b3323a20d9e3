#include "driver/progress_line.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include "common/unicode_text.h"
#include "platform/console.h"
#include "testing/fake_clock.h"

namespace sonacli {
namespace {

TEST(ProgressLine, PercentRoundsHalvesToEven) {
  struct Case {
    int64_t done, total;
    int32_t percent;
  };
  const Case cases[] = {{0, 3, 0},  {1, 3, 33}, {2, 3, 67},  {3, 3, 100},
                        {1, 8, 12}, {3, 8, 38}, {1, 200, 0}, {3, 200, 2}};
  for (const Case& c : cases)
    EXPECT_EQ(ProgressPercent(c.done, c.total), c.percent) << c.done << "/" << c.total;
}

TEST(ProgressLine, BarHas32CharactersAndThePercentage) {
  EXPECT_EQ(ToUtf8(ProgressLineText(0)), "\r[................................] 0%");
  EXPECT_EQ(ToUtf8(ProgressLineText(33)), "\r[###########.....................] 33%");
  EXPECT_EQ(ToUtf8(ProgressLineText(67)), "\r[#####################...........] 67%");
  EXPECT_EQ(ToUtf8(ProgressLineText(100)), "\r[################################] 100%");
}

TEST(ProgressLine, RedrawsOnlyWhenThePercentageChanges) {
  TConsoleCapture capture;
  TFakeClock clock;
  TProgressLine progress(false, clock);
  progress.Draw(0, 3);
  progress.Draw(0, 3);
  progress.Draw(1, 3);
  progress.Draw(2, 3);
  progress.Draw(3, 3);
  progress.Draw(3, 3);
  progress.End(true);
  progress.End(true);  // nothing drawn since: no second line end
  EXPECT_EQ(capture.Text(), ToUtf8(ProgressLineText(0) + ProgressLineText(33) + ProgressLineText(67) +
                                   ProgressLineText(100)) +
                                "\n");
}

TEST(ProgressLine, DetailsShowThePiecesDoneAndTheTimeLeftAtThePaceSoFar) {
  EXPECT_EQ(ToUtf8(ProgressDetailText(0, 40, std::nullopt)), " 0/40\x1b[K");
  EXPECT_EQ(ToUtf8(ProgressDetailText(12, 40, 65'400)), " 12/40, 0:01:05 left\x1b[K");
  EXPECT_EQ(ToUtf8(ProgressDetailText(1, 400, 3'723'600)), " 1/400, 1:02:04 left\x1b[K");
  EXPECT_EQ(ProgressTimeLeftMs(5000, 0, 10), std::nullopt);  // no pace before the first piece
  EXPECT_EQ(ProgressTimeLeftMs(5000, 1, 10), 45000);
  EXPECT_EQ(ProgressTimeLeftMs(8000, 4, 10), 12000);
  EXPECT_EQ(ProgressTimeLeftMs(8000, 10, 10), 0);

  // With details the line is drawn again for every piece done, even at the same percentage.
  TConsoleCapture capture;
  TFakeClock clock;
  TProgressLine progress(true, clock);
  progress.Draw(0, 400);
  clock.SleepMs(2000);
  progress.Draw(1, 400);
  progress.Draw(1, 400);
  clock.SleepMs(2000);
  progress.Draw(2, 400);
  progress.End(true);
  EXPECT_EQ(capture.Text(), ToUtf8(ProgressLineText(0) + ProgressDetailText(0, 400, std::nullopt) +
                                   ProgressLineText(0) + ProgressDetailText(1, 400, 798'000) +
                                   ProgressLineText(0) + ProgressDetailText(2, 400, 796'000)) +
                                "\n");
}

// Standard output put on `fd` while the line draws; what it printed there is read back from `readFrom`.
std::string DrawnOn(int fd, int readFrom) {
  std::fflush(stdout);
  const int saved = dup(STDOUT_FILENO);
  EXPECT_GE(saved, 0);
  dup2(fd, STDOUT_FILENO);
  {
    TProgressLine progress;  // decides by what standard output is
    progress.Draw(0, 4);
    progress.Draw(1, 4);
    progress.Draw(4, 4);
    progress.End(true);
  }
  dup2(saved, STDOUT_FILENO);
  close(saved);
  std::string text;
  char buffer[1024];
  pollfd ready{readFrom, POLLIN, 0};
  while (poll(&ready, 1, 200) > 0) {
    const ssize_t got = read(readFrom, buffer, sizeof buffer);
    if (got <= 0) break;
    text.append(buffer, size_t(got));
  }
  return text;
}

TEST(ProgressLine, ATerminalGetsTheDetailsAndAnythingElseTheLineAsBefore) {
  int master = -1;
  int slave = -1;
  ASSERT_EQ(openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
  termios raw{};
  ASSERT_EQ(tcgetattr(slave, &raw), 0);
  cfmakeraw(&raw);  // the bytes as written, no LF turned into CR LF
  ASSERT_EQ(tcsetattr(slave, TCSANOW, &raw), 0);
  const std::string onTerminal = DrawnOn(slave, master);
  close(slave);
  close(master);
  EXPECT_NE(onTerminal.find("] 25% 1/4"), std::string::npos) << onTerminal;
  EXPECT_NE(onTerminal.find("] 100% 4/4, 0:00:00 left\x1b[K\n"), std::string::npos) << onTerminal;

  int pipeEnds[2];
  ASSERT_EQ(pipe(pipeEnds), 0);
  const std::string onPipe = DrawnOn(pipeEnds[1], pipeEnds[0]);
  close(pipeEnds[0]);
  close(pipeEnds[1]);
  EXPECT_EQ(onPipe, ToUtf8(ProgressLineText(0) + ProgressLineText(25) + ProgressLineText(100)) + "\n");
}

}  // namespace
}  // namespace sonacli
