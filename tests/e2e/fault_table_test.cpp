// Every fault a user or the network can cause, one row each, through the built program and the
// stand-in: the message, the exit code, the audio made before the fault still there and valid, and
// no temporary file left behind.
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <iostream>
#include <memory>
#include <thread>

#include <gtest/gtest.h>

#include "e2e/e2e_fixture.h"

namespace sonacli::testing {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

// The pieces of every run: the fault always strikes the second, whose text tells the rows apart
// (they run at once against one stand-in).
std::vector<std::string> Pieces(const std::string& second) {
  return {"-t", "One.", "-t", second, "-t", "Three."};
}
const std::string kSecond = "Two a.";
// Sample bytes of the first piece alone, and of all three.
const size_t kFirstPieceBytes = 2 * SpeechFrames(4);
const size_t kAllPiecesBytes = 2 * (SpeechFrames(4) + SpeechFrames(6) + SpeechFrames(6));

// A fault that the retry rule would retry for 15 s is made to strike once; the retry is then
// refused, which ends the run after 1.5 s with the first attempt's message, as a fault that lasts
// would after 15 s.
std::vector<std::string> OnceThenRefused(const std::string& fault) {
  return {R"("times":1,)" + fault, R"("status":403)"};
}
// A fault that strikes once and then passes.
std::vector<std::string> Once(const std::string& fault) {
  return {R"("times":1,)" + fault};
}

enum class TOutput { File, Stdout };

struct TFaultRow {
  const char* name;
  std::vector<std::string> rules;  // the stand-in's rules for the second piece (JSON members)
  std::map<std::string, std::string> environment;
  TOutput output;
  std::string message;  // the one error line, on standard output (file) or standard error (-o)
  int exitCode;
  size_t keptBytes;     // sample bytes of the audio kept
  size_t attempts = 0;  // when not 0: the requests the second piece gets
};

class FaultTable : public SonacliE2e {
 protected:
  std::vector<std::string> Arguments(TOutput output, const std::string& file = "out.wav",
                                     const std::string& second = kSecond) const {
    std::vector<std::string> args = {"-k", kCloudKey};
    if (output == TOutput::File) {
      args.insert(args.end(), {"-w", File(file)});
    } else {
      args.push_back("-o");
    }
    const std::vector<std::string> pieces = Pieces(second);
    args.insert(args.end(), pieces.begin(), pieces.end());
    return args;
  }

  void ExpectNoTemporary() {
    const std::vector<std::string> left = Temporaries();
    EXPECT_TRUE(left.empty()) << "left behind: " << left.front();
  }

  void Reset() {
    fs::remove(File("out.wav"));
    fs::remove(File("out.lrc"));
    fs::remove(File("out.srt"));
    standin_->SetScript("");
  }
};

TEST_F(FaultTable, ServiceAndNetworkFaults) {
  const auto withTimeout = std::map<std::string, std::string>{{"SONACLI_TEST_HTTP_TIMEOUT_MS", "1500"}};
  const std::string html = R"("body":"<html><body>Maintenance</body></html>","content_type":"text/html")";
  const std::vector<TFaultRow> rows = {
      {"connection dropped in the middle of an answer",
       OnceThenRefused(R"("answer":"cut")"),
       {},
       TOutput::File,
       "HTTP 500 - Internal error (the connection to 127.0.0.1 broke off)",
       1,
       kFirstPieceBytes},
      {"answer that stalls", OnceThenRefused(R"("delay_ms":5000)"), withTimeout, TOutput::File,
       "HTTP 500 - Internal error (no answer from 127.0.0.1 in time)", 1, kFirstPieceBytes},
      {"truncated Ogg stream",
       OnceThenRefused(R"("answer":"truncated")"),
       {},
       TOutput::File,
       "HTTP 500 - Internal error (the answer is not Ogg Opus audio)",
       1,
       kFirstPieceBytes},
      {"HTML page with status 200",
       OnceThenRefused(html),
       {},
       TOutput::File,
       "HTTP 500 - Internal error (the answer is not Ogg Opus audio)",
       1,
       kFirstPieceBytes},
      {"429 with Retry-After",
       OnceThenRefused(R"("status":429,"headers":{"Retry-After":"1"})"),
       {},
       TOutput::File,
       "HTTP 429 - Too Many Requests",
       1,
       kFirstPieceBytes},
      {"500",
       OnceThenRefused(R"("status":500)"),
       {},
       TOutput::File,
       "HTTP 500 - Internal Server Error",
       1,
       kFirstPieceBytes},
      {"502",
       OnceThenRefused(R"("status":502)"),
       {},
       TOutput::File,
       "HTTP 502 - Bad Gateway",
       1,
       kFirstPieceBytes},
      {"503",
       OnceThenRefused(R"("status":503)"),
       {},
       TOutput::File,
       "HTTP 503 - Service Unavailable",
       1,
       kFirstPieceBytes},
      {"504",
       OnceThenRefused(R"("status":504)"),
       {},
       TOutput::File,
       "HTTP 504 - Gateway Timeout",
       1,
       kFirstPieceBytes},
      {"a dropped connection that passes is retried",
       Once(R"("answer":"cut")"),
       {},
       TOutput::File,
       "",
       0,
       kAllPiecesBytes},
      {"429 that passes is retried",
       Once(R"("status":429,"headers":{"Retry-After":"1"})"),
       {},
       TOutput::File,
       "",
       0,
       kAllPiecesBytes},
      // The sentence would be missing: an empty answer is a failed attempt, retried, then reported.
      {"empty answer",
       OnceThenRefused(R"("answer":"empty")"),
       {},
       TOutput::File,
       "No audio data",
       1,
       kFirstPieceBytes,
       2},
      {"empty answer that passes is retried",
       Once(R"("answer":"empty")"),
       {},
       TOutput::File,
       "",
       0,
       kAllPiecesBytes,
       2},
      // 65 MiB streamed without an announced length; a retry would only fetch it again.
      {"over-long answer",
       {R"("answer":"oversized")"},
       {},
       TOutput::File,
       "HTTP 500 - Internal error (the answer from 127.0.0.1 is larger than 64 MiB)",
       1,
       kFirstPieceBytes,
       1},
      {"quota exhausted, with -o",
       {R"("status":403)"},
       {},
       TOutput::Stdout,
       "HTTP 403 - Forbidden",
       1,
       kFirstPieceBytes},
      {"dropped connection, with -o",
       OnceThenRefused(R"("answer":"cut")"),
       {},
       TOutput::Stdout,
       "HTTP 500 - Internal error (the connection to 127.0.0.1 broke off)",
       1,
       kFirstPieceBytes},
  };
  // One script for all rows, each keyed by the text of its second piece.
  std::vector<std::pair<std::string, std::string>> script;
  auto secondOf = [](size_t row) { return "Two " + std::string(1, char('a' + row)) + "."; };
  for (size_t i = 0; i < rows.size(); ++i) {
    for (const std::string& rule : rows[i].rules) script.emplace_back(secondOf(i), rule);
  }
  ScriptRules(script);
  std::vector<std::unique_ptr<TChild>> children;
  const auto started = std::chrono::steady_clock::now();
  for (size_t i = 0; i < rows.size(); ++i) {
    const auto saved = environment_;
    environment_.insert(rows[i].environment.begin(), rows[i].environment.end());
    children.push_back(Start(Arguments(rows[i].output, "out" + std::to_string(i) + ".wav", secondOf(i))));
    environment_ = saved;
  }
  for (size_t i = 0; i < rows.size(); ++i) {
    const TFaultRow& row = rows[i];
    SCOPED_TRACE(row.name);
    const TChildResult run = children[i]->Wait();
    EXPECT_EQ(run.ExitCode, row.exitCode);
    const std::string expected = row.message.empty() ? "" : "[Error] " + row.message + "\n";
    if (row.output == TOutput::File) {
      EXPECT_EQ(run.Stdout, row.message.empty() ? "" : "\n" + expected);
      EXPECT_EQ(run.Stderr, "");
    } else {
      EXPECT_EQ(run.Stderr, expected);
    }
    const TWavFile wav = ParseWav(
        row.output == TOutput::File ? ReadFile(File("out" + std::to_string(i) + ".wav")) : run.Stdout);
    ASSERT_TRUE(wav.Valid);
    EXPECT_EQ(wav.Samples.size(), row.keptBytes);
    EXPECT_EQ(wav.DataSize, wav.Samples.size());
    EXPECT_EQ(wav.RiffSize, wav.Samples.size() + 36);
    if (row.attempts > 0) {
      const std::vector<std::string> texts = RequestTexts();
      EXPECT_EQ(static_cast<size_t>(std::count(texts.begin(), texts.end(), secondOf(i))), row.attempts);
    }
  }
  // Each row waits 1.5 s for one retry at most; together they take little more.
  EXPECT_LT(std::chrono::steady_clock::now() - started, 20s);
  ExpectNoTemporary();
}

// A busy service's Retry-After (429 or 503), in seconds or as an HTTP date: the next attempt waits
// that long instead of 1.5 s, a minute at most, and the wait counts in the 15 s the retries have, so
// that a service that asked for time is not pressed. The rows run at once.
TEST_F(FaultTable, RetryAfterIsWaitedWithinItsLimits) {
  struct TRow {
    const char* name;
    std::vector<std::string> rules;  // for the second piece
    int exitCode;
    size_t keptBytes;
    std::chrono::seconds fewest;  // the run takes at least this long
    std::chrono::seconds most;    // and far less than the service asked for, where it asked too much
    long attempts;                // at the second piece
  };
  const std::vector<TRow> rows = {
      {"seconds", Once(R"("status":503,"headers":{"Retry-After":"4"})"), 0, kAllPiecesBytes, 4s, 40s, 2},
      // A date a second or so nearer once it arrives.
      {"HTTP date", Once(R"("status":429,"retry_after_date_in_s":5)"), 0, kAllPiecesBytes, 3s, 40s, 2},
      {"a day, capped at a minute", Once(R"("status":503,"headers":{"Retry-After":"86400"})"), 0,
       kAllPiecesBytes, 60s, 150s, 2},
      // Attempts at 0, 10 and 20 s; the retry rule alone would have made ten.
      {"the waits count in the retry budget",
       {R"("status":503,"headers":{"Retry-After":"10"})"},
       1,
       kFirstPieceBytes,
       20s,
       60s,
       3},
  };
  std::vector<std::pair<std::string, std::string>> script;
  auto secondOf = [](size_t row) { return "Two " + std::string(1, char('a' + row)) + "."; };
  for (size_t i = 0; i < rows.size(); ++i) {
    for (const std::string& rule : rows[i].rules) script.emplace_back(secondOf(i), rule);
  }
  ScriptRules(script);
  std::vector<TChildResult> results(rows.size());
  std::vector<std::chrono::steady_clock::duration> took(rows.size());
  std::vector<std::thread> waiters;
  for (size_t i = 0; i < rows.size(); ++i) {
    std::shared_ptr<TChild> child =
        Start(Arguments(TOutput::File, "out" + std::to_string(i) + ".wav", secondOf(i)));
    waiters.emplace_back([&, i, child] {
      const auto started = std::chrono::steady_clock::now();
      results[i] = child->Wait();
      took[i] = std::chrono::steady_clock::now() - started;
    });
  }
  for (std::thread& waiter : waiters) waiter.join();
  const std::vector<std::string> texts = RequestTexts();
  for (size_t i = 0; i < rows.size(); ++i) {
    const TRow& row = rows[i];
    SCOPED_TRACE(row.name);
    EXPECT_EQ(results[i].ExitCode, row.exitCode);
    EXPECT_EQ(results[i].Stdout, row.exitCode == 0 ? "" : "\n[Error] HTTP 503 - Service Unavailable\n");
    EXPECT_GE(took[i], row.fewest);
    EXPECT_LT(took[i], row.most);
    EXPECT_EQ(std::count(texts.begin(), texts.end(), secondOf(i)), row.attempts);
    const TWavFile wav = ParseWav(ReadFile(File("out" + std::to_string(i) + ".wav")));
    ASSERT_TRUE(wav.Valid);
    EXPECT_EQ(wav.Samples.size(), row.keptBytes);
  }
  ExpectNoTemporary();
}

// The exit code of a run ended by SIGTERM or SIGHUP (a closed terminal): 128 + 15, as shells expect
// of a run that was told to end.
constexpr int kTermExitCode = 143;

// SIGINT, SIGTERM and SIGHUP while a request waits for its answer, and while a failed request waits
// for its retry: the run stops at once, exits by itself and keeps the audio and the LRC lines made
// before.
TEST_F(FaultTable, SignalsDuringARequestAndDuringAWait) {
  const char* const held = R"({"rules":[{"text_contains":"Two","delay_ms":30000}]})";
  const char* const failing = R"({"rules":[{"text_contains":"Two","status":503}]})";
  struct {
    const char* name;
    const char* script;
    int signal;
    int exitCode;
  } const rows[] = {
      {"SIGINT during a request", held, SIGINT, 130},
      {"SIGTERM during a request", held, SIGTERM, kTermExitCode},
      {"SIGHUP during a request", held, SIGHUP, kTermExitCode},
      {"SIGINT during a wait", failing, SIGINT, 130},
      {"SIGTERM during a wait", failing, SIGTERM, kTermExitCode},
      {"SIGHUP during a wait", failing, SIGHUP, kTermExitCode},
      {"SIGINT during a wait the service asked for",
       R"({"rules":[{"text_contains":"Two","status":503,"headers":{"Retry-After":"60"}}]})", SIGINT, 130},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    Reset();
    standin_->SetScript(row.script);
    const size_t before = RequestTexts().size();
    std::vector<std::string> args = Arguments(TOutput::File);
    args.push_back("-lrc");
    auto child = Start(args);
    // The probe, the first piece and the second, which is now held or waits for its retry.
    ASSERT_TRUE(WaitUntil([&] { return RequestTexts().size() >= before + 3; }));
    std::this_thread::sleep_for(100ms);
    const auto signalled = std::chrono::steady_clock::now();
    kill(child->Pid(), row.signal);
    const TChildResult run = child->Wait();
    EXPECT_LT(std::chrono::steady_clock::now() - signalled, 3s);
    EXPECT_EQ(run.Signal, 0);
    EXPECT_EQ(run.ExitCode, row.exitCode);
    EXPECT_EQ(run.Stdout, "");
    const TWavFile wav = ParseWav(ReadFile(File("out.wav")));
    ASSERT_TRUE(wav.Valid);
    EXPECT_EQ(wav.Samples.size(), kFirstPieceBytes);
    EXPECT_EQ(wav.DataSize, wav.Samples.size());
    EXPECT_EQ(ReadFile(File("out.lrc")), "[re:Sonarel]\r\n[00:00.00]One.\r\n");
    ExpectNoTemporary();
  }
}

// Faults of the machine the program runs on: a full disk, an output folder that cannot be written,
// a reader that closes the pipe, an input that is no regular file (a file-size limit: below).
TEST_F(FaultTable, LocalFaults) {
  const std::string key = std::string("-k ") + kCloudKey + " ";
  const std::string pieces = " -t 'One.' -t 'Two.' -t 'Three.'";

  {
    SCOPED_TRACE("full disk: a small tmpfs, found when it fills");
    Reset();
    const fs::path small = dir_.Path() / "small";
    fs::create_directory(small);
    if (mount("tmpfs", small.c_str(), "tmpfs", 0, "size=32k") != 0) {
      std::cout << "no tmpfs could be mounted here; the file-size limit above stands for a full disk\n";
    } else {
      const TChildResult run = Run({"-k", kCloudKey, "-w", (small / "out.wav").string(), "-t", "One.", "-t",
                                    "Two.", "-t", "Three.", "-t", "Four.", "-t", "Five.", "-t", "Six."});
      EXPECT_EQ(run.ExitCode, 1);
      EXPECT_EQ(run.Stdout, "\n[Error] Failed to save audio file\n");
      // The disk is found full at the third piece, not at the end: the last is never paid for.
      const std::vector<std::string> texts = RequestTexts();
      EXPECT_EQ(std::count(texts.begin(), texts.end(), "Six."), 0);
      const TWavFile wav = ParseWav(ReadFile((small / "out.wav").string()));
      ASSERT_TRUE(wav.Valid);
      EXPECT_EQ(wav.DataSize, wav.Samples.size());
      EXPECT_GT(wav.Samples.size(), kFirstPieceBytes);
      std::vector<std::string> left;
      for (const auto& entry : fs::directory_iterator(small))
        left.push_back(entry.path().filename().string());
      EXPECT_EQ(left, std::vector<std::string>{"out.wav"});
      umount(small.c_str());
    }
  }
  {
    SCOPED_TRACE("read-only output, LRC or SRT folder: refused before any request");
    const fs::path locked = dir_.Path() / "locked";
    fs::create_directory(locked);
    WriteFile((locked / "out.wav").string(), "the last good output");
    const ScopedReadOnlyFolder readOnly(locked);
    if (!readOnly.Ok()) {
      std::cout << "no folder can be made read-only here\n";
    } else {
      const std::string out = File("out.wav");
      const std::string inLocked = (locked / "out").string();
      const std::string lockedMessage = "folder cannot be written: " + locked.string();
      const struct {
        std::vector<std::string> Options;
        std::string Message;
      } cases[] = {
          {{"-w", inLocked + ".wav"}, "Output " + lockedMessage},
          {{"-w", out, "-lrc", "--lrc-fname", inLocked + ".lrc"}, "LRC " + lockedMessage},
          {{"-w", out, "-srt", "--srt-fname", inLocked + ".srt"}, "SRT " + lockedMessage},
          // /proc takes no file of anybody's, root's neither.
          {{"-w", "/proc/sonacli-fault-test.wav"}, "Output folder cannot be written: /proc"},
      };
      for (const auto& row : cases) {
        SCOPED_TRACE(row.Message);
        Reset();
        const size_t before = standin_->Requests().size();
        std::vector<std::string> args = {"-k", kCloudKey, "-t", "One."};
        args.insert(args.end(), row.Options.begin(), row.Options.end());
        const TChildResult run = Run(args);
        EXPECT_EQ(run.ExitCode, 1);
        EXPECT_EQ(run.Stdout, "\n[Error] " + row.Message + "\n");
        EXPECT_EQ(standin_->Requests().size(), before) << "a request was sent";
        EXPECT_FALSE(fs::exists(out));
        ExpectNoTemporary();
      }
      EXPECT_EQ(ReadFile((locked / "out.wav").string()), "the last good output");
    }
  }
  {
    SCOPED_TRACE("the first request fails after the probe: nothing is made, nothing replaced");
    for (const bool oldOutput : {false, true}) {
      Reset();
      if (oldOutput) Write("out.wav", "the last good output");
      ScriptRules({{"One.", R"("status":403)"}});
      const TChildResult run =
          Run({"-k", kCloudKey, "-w", File("out.wav"), "-lrc", "-srt", "-t", "One.", "-t", "Two."});
      EXPECT_EQ(run.ExitCode, 1);
      EXPECT_EQ(run.Stdout, "\n[Error] HTTP 403 - Forbidden\n");
      if (oldOutput) {
        EXPECT_EQ(ReadFile(File("out.wav")), "the last good output");
      } else {
        EXPECT_FALSE(fs::exists(File("out.wav")));
      }
      EXPECT_FALSE(fs::exists(File("out.lrc")));
      EXPECT_FALSE(fs::exists(File("out.srt")));
      ExpectNoTemporary();
    }
  }
  for (const char* options : {"-o", "-o --raw", "-o --ignore-length"}) {
    SCOPED_TRACE(std::string("closed standard-output pipe, ") + options);
    Reset();
    // The reader is gone before the first byte is written.
    const TChildResult run =
        Shell("\"$SONACLI\" " + key + options + pieces + " | true; echo \"sonacli ${PIPESTATUS[0]}\"");
    EXPECT_EQ(run.Stdout, "sonacli 0\n");
    EXPECT_EQ(run.Stderr, "");
    ExpectNoTemporary();
  }
  {
    SCOPED_TRACE("input that is a folder or a FIFO");
    const std::string fifo = File("fifo.txt");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::pair<std::string, std::string> inputs[] = {
        {dir_.Path().string(), dir_.Path().filename().string()},
        {fifo, "fifo.txt"},
    };
    const size_t before = standin_->Requests().size();
    for (const auto& [input, shortName] : inputs) {
      SCOPED_TRACE(input);
      const auto started = std::chrono::steady_clock::now();
      const TChildResult run = Run({"-k", kCloudKey, "-w", File("out.wav"), "-f", input});
      EXPECT_LT(std::chrono::steady_clock::now() - started, 3s);
      EXPECT_EQ(run.ExitCode, 1);
      EXPECT_EQ(run.Stdout, "\n[Error] Input file is not a regular file: " + shortName + "\n");
      EXPECT_EQ(standin_->Requests().size(), before) << "a request was sent";
    }
  }
}

// A file-size limit (ulimit -f) is a full disk for every file the program writes: the write fails,
// the failure is reported in the output's words, the run fails, and what reached the disk stays as
// a file that plays. The shell leaves SIGXFSZ at its default, as a user's does: the program itself
// must not die of it.
TEST_F(FaultTable, FileSizeLimitIsReportedLikeAFullDisk) {
  // Speech of 14,400, 14,400 and 19,200 bytes: 40 KiB end in the third piece.
  const std::string pieces = " -t 'One.' -t 'Two.' -t 'Three.'";
  // An encoded stream is smaller: 8 KiB end within these.
  std::string sentences;
  for (int i = 0; i < 6; ++i)
    sentences += " -t 'A sentence long enough to fill the disk number " + std::to_string(i) + ".'";
  std::string lines;
  // LRC and SRT lines and chapters of more than 1 KiB.
  for (int i = 0; i < 15; ++i) {
    const std::string n = std::to_string(i);
    lines += "{{chapter=The chapter of line " + n + ", with a title long enough}}This is line " + n +
             " of the text, a sentence of its own that goes on for a while.\n";
  }
  const std::string text = Write("text.txt", lines);
  const std::string key = std::string("-k ") + kCloudKey + " ";
  const struct {
    const char* name;
    int limitKiB;
    std::string arguments;  // after the key; "> stream" sends standard output to that file
    std::string stream;     // the file standard output goes to, "" for none
    std::string file;       // the output that meets the limit, which must stay and play; "" for none
    std::string message;    // the error line
  } rows[] = {
      {"WAV file", 40, "-w " + File("out.wav") + pieces, "", "out.wav", "Failed to save audio file"},
      {"WAV on standard output", 40, "-o" + pieces, "stream.wav", "stream.wav", "Failed to save audio file"},
      {"WAV stream without sizes", 40, "-o --ignore-length" + pieces, "stream.wav", "stream.wav",
       "Failed to save audio file"},
      {"raw stream", 40, "-o --raw" + pieces, "stream.raw", "", "Failed to save audio file"},
      {"MP3 stream", 8, "-o --format mp3" + sentences, "stream.mp3", "stream.mp3",
       "Cannot write the audio stream: File too large"},
      {"Opus stream", 8, "-o --format opus" + sentences, "stream.opus", "stream.opus",
       "Cannot write the audio stream: File too large"},
      // FLAC leaves 8 KiB of room for tags after its header.
      {"FLAC stream", 16, "-o --format flac" + sentences, "stream.flac", "stream.flac",
       "Cannot write the audio stream: File too large"},
      {"LRC file", 1, "-o -f " + text + " -lrc --lrc-fname " + File("out.lrc"), "/dev/null", "",
       "Failed to save LRC file"},
      {"SRT file", 1, "-o -f " + text + " -srt --srt-fname " + File("out.srt"), "/dev/null", "",
       "Failed to save SRT file"},
      {"chapter file", 1, "-o -f " + text + " --chapters " + File("out.txt"), "/dev/null", "",
       "Failed to save chapter file: out.txt"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    Reset();
    const std::string redirect =
        row.stream.empty() ? "" : " > " + (row.stream == "/dev/null" ? row.stream : File(row.stream));
    const TChildResult run = Shell("ulimit -f " + std::to_string(row.limitKiB) + "; exec \"$SONACLI\" " +
                                   key + row.arguments + redirect);
    EXPECT_EQ(run.Signal, 0);
    EXPECT_EQ(run.ExitCode, 1);
    // Errors go to standard error while standard output carries the audio.
    EXPECT_EQ(row.stream.empty() ? run.Stdout : run.Stderr,
              (row.stream.empty() ? "\n[Error] " : "[Error] ") + row.message + "\n");
    if (!row.file.empty()) {
      const std::string bytes = ReadFile(File(row.file));
      EXPECT_EQ(bytes.size(), size_t(row.limitKiB) * 1024);
      const TChildResult decoded =
          TChild({"/usr/bin/ffmpeg", "-v", "error", "-i", File(row.file), "-f", "s16le", "-"}, {},
                 dir_.Path())
              .Wait();
      EXPECT_EQ(decoded.ExitCode, 0) << decoded.Stderr;
      EXPECT_GT(decoded.Stdout.size(), 0u);
    }
    if (row.file == "out.wav") {
      // The header counts the whole frames that reached the disk.
      const TWavFile wav = ParseWav(ReadFile(File("out.wav")));
      ASSERT_TRUE(wav.Valid);
      EXPECT_EQ(wav.DataSize, wav.Samples.size());
      EXPECT_EQ(wav.RiffSize, wav.Samples.size() + 36);
    }
    ExpectNoTemporary();
  }
}

}  // namespace
}  // namespace sonacli::testing
