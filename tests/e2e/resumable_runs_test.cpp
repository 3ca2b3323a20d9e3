// Runs with an answer cache (--cache) and with requests in parallel (--jobs): their outputs are
// byte for byte those of a plain run, a repeated run requests only what is missing, and failures
// end the run at the same piece as one request at a time would.
#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <random>
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

  // The outputs of a run (by default the WAV, LRC and SRT files), byte for byte those of another.
  void ExpectSameOutputs(const std::string& name, const std::string& reference,
                         const std::vector<const char*>& extensions = {".wav", ".lrc", ".srt"}) const {
    for (const char* extension : extensions) {
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
  ASSERT_TRUE(WaitUntil([&] {
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
  // The four pieces and the pause after the third, under a header that says so.
  const TWavFile wav = ParseWav(ReadFile(File("four.wav")));
  EXPECT_EQ(wav.Samples.size(),
            2 * (SpeechFrames(10) + SpeechFrames(10) + SpeechFrames(12) + 120 * 24 + SpeechFrames(11)));
  EXPECT_EQ(wav.DataSize, wav.Samples.size());
  const std::string lrc = ReadFile(File("four.lrc"));
  EXPECT_TRUE(lrc.starts_with("[re:Sonarel]\r\n[00:00.00]One piece.\r\n")) << lrc;
  EXPECT_TRUE(lrc.ends_with("]Four piece.\r\n")) << lrc;
  EXPECT_EQ(requestsOfOne, 6u);  // the probe and five pieces: a refused request is not repeated
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

// Entries damaged by hand, a failing disk or a copy cut short: every one of them is found, requested
// again and replaced, and the outputs are those of a clean run. Each row damages every entry of a
// full cache (the probe's and the ten pieces') the same way; the rows run at once.
TEST_F(ResumableRuns, DamagedEntriesAreRequestedAgainWithTheOutputsOfACleanRun) {
  ASSERT_EQ(Run(Args("plain", {})).ExitCode, 0);
  const std::string full = File("full-cache");
  ASSERT_EQ(Run(Args("filled", {"--cache", full})).ExitCode, 0);
  ASSERT_EQ(CacheEntries(full), 11u);
  std::vector<fs::path> names;
  for (const fs::directory_entry& entry : fs::directory_iterator(full))
    names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  auto cut = [](double share) {
    return [share](const std::string& entry, const std::string&) {
      return entry.substr(0, size_t(double(entry.size()) * share));
    };
  };
  using TDamage = std::function<std::string(const std::string& entry, const std::string& another)>;
  const std::vector<std::pair<std::string, TDamage>> rows = {
      {"cut at 10 %", cut(0.1)},
      {"cut at 60 %", cut(0.6)},
      {"cut at 99 %", cut(0.99)},
      {"emptied", [](const std::string&, const std::string&) { return std::string(); }},
      {"one byte flipped",
       [](std::string entry, const std::string&) {
         entry[entry.size() / 2] ^= 0x04;
         return entry;
       }},
      {"another entry's file under this key",
       [](const std::string&, const std::string& another) { return another; }},
  };
  const size_t before = RequestTexts().size();
  std::vector<std::unique_ptr<TChild>> runs;
  for (size_t row = 0; row < rows.size(); ++row) {
    const std::string cache = File("cache" + std::to_string(row));
    fs::create_directory(cache);
    for (size_t i = 0; i < names.size(); ++i) {
      const std::string another = ReadFile((full / names[(i + 1) % names.size()]).string());
      WriteFile((fs::path(cache) / names[i]).string(),
                rows[row].second(ReadFile((full / names[i]).string()), another));
    }
    // One request at a time and four at once.
    const std::string jobs = row % 2 == 0 ? "1" : "4";
    runs.push_back(Start(Args("damaged" + std::to_string(row), {"--cache", cache, "--jobs", jobs})));
  }
  for (size_t row = 0; row < rows.size(); ++row) {
    SCOPED_TRACE(rows[row].first);
    const TChildResult run = runs[row]->Wait();
    EXPECT_EQ(run.ExitCode, 0);
    EXPECT_EQ(run.Stdout, "");
    EXPECT_EQ(run.Stderr, "[Warning] Damaged cache entries were not used: 11\n");
    ExpectSameOutputs("damaged" + std::to_string(row), "plain");
    EXPECT_EQ(CacheEntries(File("cache" + std::to_string(row))), 11u);
  }
  // Every piece of every row was requested again.
  EXPECT_EQ(RequestTexts().size(), before + rows.size() * 11);
  // The entries were replaced by whole ones: nothing more is requested, nothing is said.
  for (size_t row = 0; row < rows.size(); ++row) {
    SCOPED_TRACE(rows[row].first);
    const TChildResult again =
        Run(Args("again", {"--cache", File("cache" + std::to_string(row)), "--jobs", "4"}));
    EXPECT_EQ(again.ExitCode, 0);
    EXPECT_EQ(again.Stderr, "");
    ExpectSameOutputs("again", "plain");
  }
  EXPECT_EQ(RequestTexts().size(), before + rows.size() * 11);
}

// An empty answer is a failure that is never kept: the run that met it ends there, and the next
// run requests that piece again instead of missing it for good.
TEST_F(ResumableRuns, EmptyAnswerIsNeverCached) {
  ASSERT_EQ(Run(Args("plain", {})).ExitCode, 0);
  const std::string cache = File("cache");
  // Empty, then refused at the retry: the run ends with the first attempt's message.
  ScriptRules({{"Sixth", R"("times":1,"answer":"empty")"}, {"Sixth", R"("status":403)"}});
  const TChildResult failed = Run(Args("resumed", {"--cache", cache}));
  EXPECT_EQ(failed.ExitCode, 1);
  EXPECT_EQ(failed.Stdout, "\n[Error] No audio data\n");
  EXPECT_EQ(CacheEntries(cache), 6u);  // the probe and the five pieces before the sixth
  ScriptRules({});
  const size_t before = RequestTexts().size();
  const TChildResult resumed = Run(Args("resumed", {"--cache", cache, "--jobs", "4"}));
  EXPECT_EQ(resumed.ExitCode, 0);
  ExpectSameOutputs("resumed", "plain");
  // Four at once: they arrive in any order.
  const std::vector<std::string> texts = RequestTexts();
  std::vector<std::string> sent(texts.begin() + long(before), texts.end());
  std::sort(sent.begin(), sent.end());
  EXPECT_EQ(sent, (std::vector<std::string>{"Eight piece.", "Nine piece.", "Seven piece.", "Sixth piece.",
                                            "Ten piece."}));
}

// A cache that can only be read still answers what it holds; what it lacks is requested and not
// stored, which is said once.
TEST_F(ResumableRuns, ReadOnlyCacheIsStillRead) {
  ASSERT_EQ(Run(Args("plain", {})).ExitCode, 0);
  const std::string cache = File("cache");
  ASSERT_EQ(Run(Args("filled", {"--cache", cache})).ExitCode, 0);
  fs::remove(fs::directory_iterator(cache)->path());
  const testing::ScopedReadOnlyFolder readOnly(cache);
  if (!readOnly.Ok()) GTEST_SKIP() << "no folder can be made read-only here";
  for (const char* jobs : {"1", "4"}) {
    SCOPED_TRACE(std::string("--jobs ") + jobs);
    const size_t before = RequestTexts().size();
    const TChildResult run = Run(Args("read", {"--cache", cache, "--jobs", jobs}));
    EXPECT_EQ(run.ExitCode, 0);
    EXPECT_EQ(run.Stderr, "[Warning] Cache folder is read-only, new answers are not stored: " + cache + "\n");
    ExpectSameOutputs("read", "plain");
    // Only the missing entry's request was sent, and it was not stored.
    EXPECT_EQ(RequestTexts().size(), before + 1);
    EXPECT_EQ(CacheEntries(cache), 10u);
  }
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

// A book of `sentences` sentences of words drawn with `seed`, a few sentences to a line.
std::string MakeBook(unsigned seed, int sentences) {
  static const std::vector<std::string> kWords = {
      "river", "stone",  "light", "morning", "quiet",  "harbour", "garden", "window",  "letter", "winter",
      "road",  "old",    "young", "bright",  "cold",   "walked",  "found",  "carried", "waited", "heard",
      "after", "before", "under", "over",    "beside", "across",  "and",    "but",     "while",  "the"};
  std::mt19937 random(seed);
  std::string book;
  for (int i = 0; i < sentences; ++i) {
    const int words = 4 + int(random() % 9);
    std::string sentence;
    for (int w = 0; w < words; ++w) sentence += (w ? " " : "") + kWords[random() % kWords.size()];
    sentence[0] = char(std::toupper(static_cast<unsigned char>(sentence[0])));
    book += sentence + (random() % 5 == 0 ? "?" : ".") + (random() % 4 == 0 ? "\n" : " ");
  }
  return book + "\n";
}

// The long faulty run made short (bench/long_faulty_run runs two hours of audio): random faults of
// every kind, requests four at a time into a cache, three interruptions at random moments, each
// followed by a run again; the end is byte for byte what a clean run makes.
TEST_F(ResumableRuns, RandomFaultsAndThreeInterruptionsEndAsACleanRun) {
  const std::string book = Write("book.txt", MakeBook(5, 48));
  const auto args = [&](const std::string& name, const std::vector<std::string>& more) {
    std::vector<std::string> all = {"-k",   kCloudKey, "-f",     book, "-w", File(name + ".wav"),
                                    "-lrc", "-srt",    "--jobs", "4"};
    all.insert(all.end(), more.begin(), more.end());
    return all;
  };
  ASSERT_EQ(Run(args("clean", {})).ExitCode, 0);
  const size_t cleanRequests = standin_->Requests().size();

  // Shares well above the long run's, so that a short book meets every kind: which request meets
  // which fault follows from the seed and the texts, whatever the timing. A stalled request
  // outlasts the time-out.
  environment_["SONACLI_TEST_HTTP_TIMEOUT_MS"] = "1000";
  standin_->SetScript(R"({"seed": 11, "rules": [
      {"chance": 0.12, "status": 503},
      {"chance": 0.05, "answer": "cut"},
      {"chance": 0.05, "delay_ms": 3000},
      {"chance": 0.05, "status": 429, "headers": {"Retry-After": "1"}}]})");
  const std::string cache = File("cache");
  std::mt19937 random(3);
  for (int interruption = 0; interruption < 3; ++interruption) {
    SCOPED_TRACE("interruption " + std::to_string(interruption + 1));
    // A random moment: after 4 to 9 more requests reached the service.
    const size_t before = standin_->Requests().size();
    const size_t after = 4 + random() % 6;
    auto child = Start(args("faulty", {"--cache", cache}));
    ASSERT_TRUE(WaitUntil([&] { return standin_->Requests().size() >= before + after; }, 60s));
    kill(child->Pid(), SIGINT);
    EXPECT_EQ(child->Wait().ExitCode, 130);
  }
  const TChildResult last = Run(args("faulty", {"--cache", cache}));
  EXPECT_EQ(last.ExitCode, 0) << last.Stdout;
  ExpectSameOutputs("faulty", "clean");

  // Every kind of fault struck, the rule's index in the stand-in's log.
  const std::vector<nlohmann::json> requests = standin_->Requests();
  std::map<int, int> faults;
  for (size_t i = cleanRequests; i < requests.size(); ++i) {
    if (requests[i].contains("rule")) ++faults[requests[i]["rule"].get<int>()];
  }
  for (int rule = 0; rule < 4; ++rule) EXPECT_GT(faults[rule], 0) << "rule " << rule;
}

// Ten subtitles two seconds apart: the second of two pieces (a language tag starts a part), the
// third with a pause tag (not voiced), the fourth too long for its time, the seventh with nothing
// to say; "Eight" is changed by a dictionary.
const std::vector<std::string> kSubtitleTexts = {
    "One subtitle.",
    "Two subtitle. {{lang=en-us}}And a second part.",
    "Three subtitle. {{pause=300}}",
    "Four subtitle, which runs on well past the short time that it has.",
    "Five subtitle.",
    "Sixth subtitle.",
    "...",
    "Eight subtitle.",
    "Nine subtitle.",
    "Ten subtitle.",
};

class ResumableSubtitleRuns : public ResumableRuns {
 protected:
  void SetUp() override {
    ResumableRuns::SetUp();
    std::vector<std::pair<std::string, std::string>> entries;
    for (size_t i = 0; i < kSubtitleTexts.size(); ++i) {
      const std::string second = std::to_string(2 * i + 1);
      entries.emplace_back(
          "00:00:" + Two(second) + ",000 --> 00:00:" + Two(std::to_string(2 * i + 2)) + ",000",
          kSubtitleTexts[i]);
    }
    srt_ = Write("ten.srt", Srt(entries));
    dic_ = Write("words.dic", "Eight=Eighth\n");
    // The first answers come last, so that later ones wait to be appended.
    ScriptRules({{"One subtitle", "\"delay_ms\":400"}, {"Two subtitle", "\"delay_ms\":200"}});
  }

  static std::string Two(const std::string& digits) { return digits.size() < 2 ? "0" + digits : digits; }

  // sonacli voicing the ten subtitles into <name>.wav, asked for LRC and SRT files as well.
  std::vector<std::string> SubtitleArgs(const std::string& name, const std::vector<std::string>& more) const {
    std::vector<std::string> args = {"-k", kCloudKey, "-w", File(name + ".wav"), "-lrc", "-srt", "-d", dic_};
    args.insert(args.end(), more.begin(), more.end());
    args.insert(args.end(), {"-f", srt_});
    return args;
  }

  // The requests since `from`, in the order they were sent.
  std::vector<std::string> RequestsSince(size_t from) const {
    const std::vector<std::string> all = RequestTexts();
    return std::vector<std::string>(all.begin() + long(std::min(from, all.size())), all.end());
  }

  std::string srt_;
  std::string dic_;
};

TEST_F(ResumableSubtitleRuns, ParallelRequestsGiveTheOutputOfOneAtATime) {
  std::vector<std::string> outputs;
  for (const std::vector<std::string>& fit :
       {std::vector<std::string>{}, {"--sub-fit", "--sub-max", "150"}}) {
    const std::string label = fit.empty() ? "plain" : "sub-fit";
    std::vector<std::string> one = fit;
    one.push_back("-dp");
    std::vector<std::string> four = one;
    four.insert(four.end(), {"--jobs", "4"});
    const size_t before = RequestTexts().size();
    const TChildResult runOne = Run(SubtitleArgs("one", one));
    ASSERT_EQ(runOne.ExitCode, 0) << label;
    std::vector<std::string> requestsOfOne = RequestsSince(before);
    // The probe and ten pieces (none for the seventh subtitle), with the dictionary's word.
    ASSERT_EQ(requestsOfOne.size(), 11u) << label << ::testing::PrintToString(requestsOfOne);
    EXPECT_EQ(std::count(requestsOfOne.begin(), requestsOfOne.end(), "Eighth subtitle."), 1) << label;
    const TChildResult runFour = Run(SubtitleArgs("four", four));
    EXPECT_EQ(runFour.ExitCode, 0) << label;
    ExpectSameOutputs("four", "one", {".wav"});
    // The progress line counts the subtitles, as with one request at a time.
    EXPECT_EQ(runFour.Stdout, runOne.Stdout) << label;
    EXPECT_TRUE(runOne.Stdout.ends_with("] 100%\n")) << label;
    // The same requests after the probe (a random number), in another order; no LRC or SRT file.
    std::vector<std::string> requestsOfFour = RequestsSince(before + requestsOfOne.size());
    ASSERT_EQ(requestsOfFour.size(), requestsOfOne.size()) << label;
    std::sort(requestsOfOne.begin() + 1, requestsOfOne.end());
    std::sort(requestsOfFour.begin() + 1, requestsOfFour.end());
    requestsOfOne.front() = requestsOfFour.front();
    EXPECT_EQ(requestsOfFour, requestsOfOne) << label;
    EXPECT_FALSE(fs::exists(File("four.lrc")));
    EXPECT_FALSE(fs::exists(File("four.srt")));
    outputs.push_back(ReadFile(File("four.wav")));
  }
  // The subtitle too long for its time was sped up.
  EXPECT_FALSE(outputs[0] == outputs[1]);
  // The stream on standard output grows in subtitle order too.
  const TChildResult streamed = Run({"-k", kCloudKey, "-o", "--raw", "--jobs", "8", "-f", srt_});
  const TChildResult plain = Run({"-k", kCloudKey, "-o", "--raw", "-f", srt_});
  EXPECT_EQ(streamed.ExitCode, 0);
  EXPECT_GT(streamed.Stdout.size(), 20u * 48000);  // twenty seconds at 24000 Hz
  EXPECT_TRUE(streamed.Stdout == plain.Stdout);
}

TEST_F(ResumableSubtitleRuns, FailureAtTheFifthSubtitleSavesWhatOneAtATimeSaves) {
  ASSERT_EQ(Run(SubtitleArgs("plain", {})).ExitCode, 0);
  const std::string plain = ParseWav(ReadFile(File("plain.wav"))).Samples;
  ScriptRules({{"One subtitle", "\"delay_ms\":400"}, {"Five", "\"status\":403"}});
  const size_t before = RequestTexts().size();
  const TChildResult one = Run(SubtitleArgs("one", {}));
  EXPECT_EQ(RequestTexts().size(), before + 7);  // the probe and the pieces up to the fifth subtitle
  const TChildResult four = Run(SubtitleArgs("four", {"--jobs", "4"}));
  for (const TChildResult* run : {&one, &four}) {
    EXPECT_EQ(run->ExitCode, 1);
    EXPECT_EQ(run->Stdout, "\n[Error] HTTP 403 - Forbidden\n");
  }
  ExpectSameOutputs("four", "one", {".wav"});
  // The whole run up to the fifth subtitle: the fourth, 3.4 s of speech from 6949 ms, runs past
  // the fifth's start.
  const TWavFile wav = ParseWav(ReadFile(File("four.wav")));
  EXPECT_EQ(wav.DataSize, wav.Samples.size());
  EXPECT_GT(wav.Samples.size(), 10000u * 48);
  EXPECT_LT(wav.Samples.size(), plain.size());
  EXPECT_TRUE(plain.starts_with(wav.Samples));
}

TEST_F(ResumableSubtitleRuns, InterruptedRunResumesFromTheCacheWithTheSameOutput) {
  ASSERT_EQ(Run(SubtitleArgs("plain", {})).ExitCode, 0);
  const size_t plainRequests = RequestTexts().size();
  const std::string cache = File("cache");
  // The sixth subtitle is held at the service until the run is interrupted.
  ScriptRules({{"Sixth", "\"delay_ms\":30000"}});
  auto child = Start(SubtitleArgs("resumed", {"--jobs", "4", "--cache", cache}));
  ASSERT_TRUE(WaitUntil([&] {
    const std::vector<std::string> texts = RequestsSince(plainRequests);
    return std::count(texts.begin(), texts.end(), "Sixth subtitle.") == 1 && texts.size() >= 8;
  }));
  std::this_thread::sleep_for(300ms);  // the subtitles before it are answered meanwhile
  kill(child->Pid(), SIGINT);
  EXPECT_EQ(child->Wait().ExitCode, 130);
  const size_t firstRunEnd = RequestTexts().size();
  // What was saved is the plain run up to the sixth subtitle: the five before it, whole (the
  // fifth, pushed later by the fourth, speaks until about 10.9 s), and nothing of the sixth, which
  // starts at 10950 ms.
  const std::string plain = ParseWav(ReadFile(File("plain.wav"))).Samples;
  const TWavFile interrupted = ParseWav(ReadFile(File("resumed.wav")));
  EXPECT_EQ(interrupted.DataSize, interrupted.Samples.size());
  EXPECT_GT(interrupted.Samples.size(), 10500u * 48);
  EXPECT_LT(interrupted.Samples.size(), 10950u * 48);
  EXPECT_TRUE(plain.starts_with(interrupted.Samples));

  ScriptRules({});
  const TChildResult resumed = Run(SubtitleArgs("resumed", {"--jobs", "4", "--cache", cache}));
  EXPECT_EQ(resumed.ExitCode, 0);
  ExpectSameOutputs("resumed", "plain", {".wav"});
  // Only what was missing was requested: the sixth subtitle, and what the interruption stopped.
  const std::vector<std::string> secondRun = RequestsSince(firstRunEnd);
  EXPECT_EQ(std::count(secondRun.begin(), secondRun.end(), "Sixth subtitle."), 1);
  EXPECT_EQ(std::count(secondRun.begin(), secondRun.end(), "One subtitle."), 0);
  EXPECT_EQ(std::count(secondRun.begin(), secondRun.end(), "100"), 0) << "the probe was not cached";
  EXPECT_EQ(CacheEntries(cache), 11u);  // the probe and ten pieces

  // With a full cache nothing at all is sent, and the output stays the same.
  const size_t requests = RequestTexts().size();
  const TChildResult full = Run(SubtitleArgs("full", {"--jobs", "4", "--cache", cache}));
  EXPECT_EQ(full.ExitCode, 0);
  EXPECT_EQ(RequestTexts().size(), requests);
  ExpectSameOutputs("full", "plain", {".wav"});
}

}  // namespace
}  // namespace sonacli::testing
