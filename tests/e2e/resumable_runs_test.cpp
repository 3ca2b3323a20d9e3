// Runs with an answer cache (--cache) and with requests in parallel (--jobs): their outputs are
// byte for byte those of a plain run, a repeated run requests only what is missing, and failures
// end the run at the same piece as one request at a time would.
#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>

#include "e2e/e2e_fixture.h"

namespace sonacli::testing {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

const std::vector<std::string> kPieceWords = {"One",   "Two",   "Three", "Four", "Five",
                                              "Sixth", "Seven", "Eight", "Nine", "Ten"};

// Ten pieces (one per line, with LRC and SRT on), a pause tag between the third and the fourth.
std::vector<std::string> TenPieces() {
  std::vector<std::string> args;
  for (size_t i = 0; i < kPieceWords.size(); ++i) {
    args.push_back("-t");
    args.push_back(kPieceWords[i] + (i == 2 ? " piece. {{pause=120}}" : " piece."));
  }
  return args;
}

template <typename Condition>
bool WaitFor(Condition condition) {
  for (auto end = std::chrono::steady_clock::now() + 20s; std::chrono::steady_clock::now() < end;) {
    if (condition()) return true;
    std::this_thread::sleep_for(20ms);
  }
  return false;
}

class ResumableRuns : public SonacliE2e {
 protected:
  // sonacli writing <name>.wav, <name>.lrc and <name>.srt from the ten pieces, with more options.
  std::vector<std::string> Args(const std::string& name, const std::vector<std::string>& more) const {
    std::vector<std::string> args = {"-k", kCloudKey, "-w", File(name + ".wav"), "-lrc", "-srt"};
    args.insert(args.end(), more.begin(), more.end());
    const std::vector<std::string> pieces = TenPieces();
    args.insert(args.end(), pieces.begin(), pieces.end());
    return args;
  }

  // The three outputs of a run, byte for byte equal to those of another.
  void ExpectSameOutputs(const std::string& name, const std::string& reference) const {
    for (const char* extension : {".wav", ".lrc", ".srt"}) {
      const std::string bytes = ReadFile(File(name + extension));
      EXPECT_FALSE(bytes.empty()) << name << extension;
      EXPECT_TRUE(bytes == ReadFile(File(reference + extension))) << name << extension << " differs";
    }
  }

  // Files in the cache folder, and whether any of them is a left-over temporary entry.
  size_t CacheEntries(const std::string& folder) const {
    size_t count = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
      EXPECT_NE(entry.path().filename().string().front(), '.') << "a temporary entry was left behind";
      ++count;
    }
    return count;
  }
};

TEST_F(ResumableRuns, ParallelRequestsGiveTheOutputsOfOneAtATime) {
  const TChildResult one = Run(Args("one", {"-dp"}));
  ASSERT_EQ(one.ExitCode, 0);
  const size_t requestsOfOne = RequestTexts().size();
  EXPECT_EQ(requestsOfOne, 11u);  // the probe and ten pieces
  const TChildResult four = Run(Args("four", {"-dp", "--jobs", "4"}));
  EXPECT_EQ(four.ExitCode, 0);
  ExpectSameOutputs("four", "one");
  // The progress line counts the pieces appended, as with one request at a time.
  EXPECT_EQ(four.Stdout, one.Stdout);
  EXPECT_EQ(RequestTexts().size(), 2 * requestsOfOne);
  // The stream on standard output grows in text order too.
  const TChildResult streamed = Run({"-k", kCloudKey, "-o", "--raw", "--jobs", "8", "-t", "Alpha.", "-t",
                                     "Beta gamma.", "-t", "Delta.", "-t", "Epsilon zeta eta."});
  const TChildResult plain = Run({"-k", kCloudKey, "-o", "--raw", "-t", "Alpha.", "-t", "Beta gamma.", "-t",
                                  "Delta.", "-t", "Epsilon zeta eta."});
  EXPECT_EQ(streamed.ExitCode, 0);
  EXPECT_FALSE(streamed.Stdout.empty());
  EXPECT_TRUE(streamed.Stdout == plain.Stdout);
}

TEST_F(ResumableRuns, InterruptedRunResumesFromTheCacheWithTheSameOutputs) {
  ASSERT_EQ(Run(Args("plain", {})).ExitCode, 0);
  const size_t plainRequests = RequestTexts().size();
  const std::string cache = File("cache");
  // The sixth piece is held at the service until the run is interrupted.
  ScriptRules({{"Sixth", "\"delay_ms\":30000"}});
  auto child = Start(Args("resumed", {"--jobs", "4", "--cache", cache}));
  ASSERT_TRUE(WaitFor([&] {
    const std::vector<std::string> texts = RequestTexts();
    return std::count(texts.begin(), texts.end(), "Sixth piece.") == 1 && texts.size() >= plainRequests + 6;
  }));
  std::this_thread::sleep_for(300ms);  // the pieces before it are answered meanwhile
  kill(child->Pid(), SIGINT);
  const TChildResult interrupted = child->Wait();
  EXPECT_EQ(interrupted.ExitCode, 130);
  const std::vector<std::string> firstRun = RequestTexts();
  EXPECT_GT(fs::file_size(File("resumed.wav")), 44u);

  ScriptRules({});
  const TChildResult resumed = Run(Args("resumed", {"--jobs", "4", "--cache", cache}));
  EXPECT_EQ(resumed.ExitCode, 0);
  ExpectSameOutputs("resumed", "plain");
  // Only what was missing was requested: the sixth piece, and what the interruption stopped.
  const std::vector<std::string> all = RequestTexts();
  const std::vector<std::string> secondRun(all.begin() + long(firstRun.size()), all.end());
  EXPECT_EQ(std::count(secondRun.begin(), secondRun.end(), "Sixth piece."), 1);
  EXPECT_EQ(std::count(secondRun.begin(), secondRun.end(), "One piece."), 0);
  EXPECT_EQ(std::count(secondRun.begin(), secondRun.end(), "100"), 0) << "the probe was not cached";
  EXPECT_EQ(CacheEntries(cache), 11u);  // the probe and ten pieces

  // With a full cache nothing at all is sent, and the outputs stay the same.
  const TChildResult full = Run(Args("full", {"--cache", cache}));
  EXPECT_EQ(full.ExitCode, 0);
  EXPECT_EQ(RequestTexts().size(), all.size());
  ExpectSameOutputs("full", "plain");
}

TEST_F(ResumableRuns, FailureAtTheFifthPieceSavesTheFourBeforeItAsOneAtATimeDoes) {
  ScriptRules({{"Five", "\"status\":403"}});
  const TChildResult one = Run(Args("one", {}));
  const size_t requestsOfOne = RequestTexts().size();
  const TChildResult four = Run(Args("four", {"--jobs", "4"}));
  for (const TChildResult* run : {&one, &four}) {
    EXPECT_EQ(run->ExitCode, 1);
    EXPECT_EQ(run->Stdout, "\n[Error] HTTP 403 - Forbidden\n");
  }
  ExpectSameOutputs("four", "one");
  const std::string lrc = ReadFile(File("four.lrc"));
  EXPECT_TRUE(lrc.starts_with("[re:Sonarel]\r\n[00:00.00]One piece.\r\n")) << lrc;
  EXPECT_TRUE(lrc.ends_with("]Four piece.\r\n")) << lrc;
  EXPECT_EQ(requestsOfOne, 6u);  // the probe and five pieces
}

TEST_F(ResumableRuns, TwoRunsShareOneCacheAtOnce) {
  const std::string cache = File("cache");
  ScriptRules({{"piece", "\"delay_ms\":150"}});
  auto first = Start(Args("first", {"--jobs", "3", "--cache", cache}));
  auto second = Start(Args("second", {"--jobs", "2", "--cache", cache}));
  EXPECT_EQ(first->Wait().ExitCode, 0);
  EXPECT_EQ(second->Wait().ExitCode, 0);
  ExpectSameOutputs("second", "first");
  EXPECT_EQ(CacheEntries(cache), 11u);
  EXPECT_EQ(fs::status(cache).permissions() & fs::perms::all, fs::perms::owner_all);
  const size_t requests = RequestTexts().size();
  const TChildResult third = Run(Args("third", {"--jobs", "4", "--cache", cache}));
  EXPECT_EQ(third.ExitCode, 0);
  EXPECT_EQ(RequestTexts().size(), requests);
  ExpectSameOutputs("third", "first");
}

TEST_F(ResumableRuns, DamagedEntryIsRequestedAgain) {
  const std::string cache = File("cache");
  ASSERT_EQ(Run(Args("first", {"--cache", cache})).ExitCode, 0);
  const size_t requests = RequestTexts().size();
  // Every entry cut short, as a torn write would leave it.
  for (const fs::directory_entry& entry : fs::directory_iterator(cache)) {
    const std::string bytes = ReadFile(entry.path().string());
    WriteFile(entry.path().string(), bytes.substr(0, 30));
  }
  const TChildResult again = Run(Args("again", {"--cache", cache, "--jobs", "2"}));
  EXPECT_EQ(again.ExitCode, 0);
  EXPECT_EQ(RequestTexts().size(), 2 * requests);
  ExpectSameOutputs("again", "first");
}

TEST_F(ResumableRuns, UnusableCacheFolderIsAWarningAndTheRunGoesOn) {
  Write("not-a-folder", "a file");
  const TChildResult run = Run(Args("out", {"--cache", File("not-a-folder")}));
  EXPECT_EQ(run.ExitCode, 0);
  EXPECT_EQ(run.Stdout, "");
  EXPECT_EQ(run.Stderr, "[Warning] Cache folder cannot be used, the run goes on without it: " +
                            File("not-a-folder") + "\n");
  EXPECT_GT(fs::file_size(File("out.wav")), 44u);
}

}  // namespace
}  // namespace sonacli::testing
