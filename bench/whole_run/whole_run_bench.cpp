// Whole runs of the built sonacli over a generated book against the stand-in service, with WAV file
// output, and beside it the encoded outputs (Opus, MP3, M4B) of the same book, and the peak memory
// of a long M4B against a short one. The program runs as a child process, so its CPU time (user + system,
// from wait4) leaves out the stand-in, which is a process of its own, and the pacing waits, which sleep.
// Reported per hour of audio produced, with the child's peak resident memory. The wall time (the benchmark's
// own time column) includes both the waits and the stand-in's encoding.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "standin/standin_process.h"
#include "support/child_process.h"

namespace {

namespace fs = std::filesystem;

constexpr char kCloudKey[] = "AQVN-whole-run-bench-key";

const std::array<const char*, 12> kSentences = {
    "Mr. Holmes looked at the letter for a long time, and then he put it down on the table.",
    "Dr. Watson arrived at the station at 5 o'clock, i.e. an hour later than he had promised.",
    "She said \"Wait here.\" Then she left, and nobody saw her again that evening.",
    "There were many reasons: the rain, the cold, the long road home; none of them mattered now.",
    "Он посмотрел на часы, т. е. на старые карманные часы отца, и ничего не сказал.",
    "В 1999 г. они жили на ул. Пушкина, в доме с зелёной крышей и высоким забором.",
    "Проф. Иванов вошёл в аудиторию; студенты замолчали, и лекция началась.",
    "Она сказала «Подожди.» Потом вышла в сад, где уже темнело.",
    "Это было давно… Никто уже не помнил, как всё началось.",
    "Why did you come back? Nobody asked you to come back here!",
    "Он ответил не сразу: сначала подумал, потом покачал головой.",
    "The results (see Table 4. below) were better than anyone expected.",
};

// Chapter headings and paragraphs of 3 to 14 sentences, cut to exactly `characters` characters
// (line breaks included), as UTF-8.
std::string MakeBook(size_t characters) {
  std::mt19937 random(1859);
  std::string book;
  size_t count = 0;
  int chapter = 1;
  const auto add = [&](const std::string& text) {
    for (const char c : text) {
      const bool starts = (static_cast<unsigned char>(c) & 0xC0) != 0x80;
      if (starts && count == characters) return;
      count += starts;
      book += c;
    }
  };
  while (count < characters) {
    if (random() % 8 == 0) {
      add("Chapter " + std::to_string(chapter++) + ".\n");
      continue;
    }
    std::string paragraph;
    for (unsigned n = 3 + random() % 12; n > 0; --n) {
      paragraph += kSentences[random() % kSentences.size()];
      paragraph += n > 1 ? " " : "\n";
    }
    add(paragraph);
  }
  return book;
}

// Runs the program with `args` and the environment plus `environment`, output to `folder`/child.log.
sonacli::TChildEnd RunChild(const std::vector<std::string>& args,
                            const std::map<std::string, std::string>& environment, const fs::path& folder) {
  std::vector<std::string> argv = args;
  argv.insert(argv.begin(), SONACLI_PROGRAM_PATH);
  sonacli::TChildOptions options;
  options.Environment = environment;
  options.Stdin = sonacli::TChildStream::Null();
  options.Stdout = sonacli::TChildStream::File((folder / "child.log").string());
  options.Stderr = sonacli::TChildStream::Stdout();
  return sonacli::TChildProcess(argv, options).Wait();
}

uint32_t ReadUint32(const char* bytes) {
  uint32_t value = 0;
  std::memcpy(&value, bytes, 4);  // little-endian host, as WAV
  return value;
}

// Seconds of audio in a canonical WAV file (byte rate at 28, data size at 40); 0 when unreadable.
double WavSeconds(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::array<char, 44> header{};
  if (!in.read(header.data(), header.size()) || std::memcmp(header.data(), "RIFF", 4) != 0) return 0;
  const uint32_t byteRate = ReadUint32(&header[28]);
  return byteRate == 0 ? 0 : static_cast<double>(ReadUint32(&header[40])) / byteRate;
}

// A fresh folder under $TMPDIR (or /tmp), removed at the end.
class TBenchFolder {
 public:
  TBenchFolder() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern =
        std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/sonacli-whole-run-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  ~TBenchFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  TBenchFolder(const TBenchFolder&) = delete;
  TBenchFolder& operator=(const TBenchFolder&) = delete;
  const fs::path& Path() const { return path_; }

 private:
  fs::path path_;
};

// A bench folder with the stand-in running in it, and the environment that points the program at it.
struct TBenchStandin {
  TBenchFolder Folder;
  sonacli::TStandinProcess Standin{MakeFolder(Folder.Path() / "standin")};
  std::map<std::string, std::string> Environment = {{"SONACLI_LEGACY_URL", Standin.BaseUrl()},
                                                    {"SONACLI_CLOUD_URL", Standin.BaseUrl()},
                                                    {"SONACLI_CA_BUNDLE", Standin.CaFile()}};

  static fs::path MakeFolder(const fs::path& folder) {
    fs::create_directory(folder);
    return folder;
  }
};

enum TOutputKind : int64_t { kMono24k, kStereo44k, kMono24kSync };

std::vector<std::string> OutputOptions(int64_t kind) {
  switch (kind) {
    case kStereo44k:
      return {"-fr", "44", "-stereo"};
    case kMono24kSync:
      return {"-fr", "24", "-lrc", "-srt"};
    default:
      return {"-fr", "24"};
  }
}

// One whole run per iteration: arguments are the book's length in characters and the output kind.
void BM_WholeRun(benchmark::State& state) {
  const auto characters = static_cast<size_t>(state.range(0));
  const TBenchStandin bench;
  const TBenchFolder& folder = bench.Folder;
  const auto& environment = bench.Environment;
  const fs::path bookFile = folder.Path() / "book.txt";
  std::ofstream(bookFile, std::ios::binary) << MakeBook(characters);
  const fs::path wavFile = folder.Path() / "book.wav";
  std::vector<std::string> args = {"-k", kCloudKey, "-f", bookFile.string(), "-w", wavFile.string()};
  const std::vector<std::string> output = OutputOptions(state.range(1));
  args.insert(args.end(), output.begin(), output.end());

  double cpuSeconds = 0;
  double audioSeconds = 0;
  int64_t peakRssKb = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    const sonacli::TChildEnd usage = RunChild(args, environment, folder.Path());
    state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    if (usage.ExitCode != 0) {
      state.SkipWithError("sonacli failed; see child.log");
      return;
    }
    cpuSeconds += usage.CpuSeconds;
    audioSeconds += WavSeconds(wavFile);
    peakRssKb = std::max(peakRssKb, usage.PeakRssKb);
  }
  if (audioSeconds <= 0) {
    state.SkipWithError("no audio written");
    return;
  }
  state.counters["cpu_s_per_audio_h"] = cpuSeconds / audioSeconds * 3600;
  state.counters["cpu_s"] = cpuSeconds / static_cast<double>(state.iterations());
  state.counters["audio_h"] = audioSeconds / static_cast<double>(state.iterations()) / 3600;
  state.counters["peak_rss_MB"] = static_cast<double>(peakRssKb) / 1024;
}

// The same book into WAV, Opus, MP3 and M4B, one after the other in each iteration, every answer
// from a cache filled before (so that every run does the same work up to its output). CPU seconds
// per hour of audio for each, and each encoded output's CPU as a ratio to WAV's.
void BM_WholeRunFormats(benchmark::State& state) {
  const auto characters = static_cast<size_t>(state.range(0));
  const TBenchStandin bench;
  const TBenchFolder& folder = bench.Folder;
  const auto& environment = bench.Environment;
  const fs::path bookFile = folder.Path() / "book.txt";
  std::ofstream(bookFile, std::ios::binary) << MakeBook(characters);
  const std::string cache = (folder.Path() / "cache").string();
  const auto args = [&](const char* extension) {
    return std::vector<std::string>{"-k",      kCloudKey,
                                    "-f",      bookFile.string(),
                                    "-w",      (folder.Path() / (std::string("book.") + extension)).string(),
                                    "--cache", cache,
                                    "-fr",     "24"};
  };
  if (RunChild(args("wav"), environment, folder.Path()).ExitCode != 0) {
    state.SkipWithError("filling the cache failed; see child.log");
    return;
  }
  constexpr std::array<const char*, 4> kExtensions = {"wav", "opus", "mp3", "m4b"};
  std::array<double, kExtensions.size()> cpuSeconds{};
  double audioSeconds = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    for (size_t i = 0; i < kExtensions.size(); ++i) {
      const sonacli::TChildEnd usage = RunChild(args(kExtensions[i]), environment, folder.Path());
      if (usage.ExitCode != 0) {
        state.SkipWithError("sonacli failed; see child.log");
        return;
      }
      cpuSeconds[i] += usage.CpuSeconds;
    }
    state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    audioSeconds += WavSeconds(folder.Path() / "book.wav");
  }
  if (audioSeconds <= 0) {
    state.SkipWithError("no audio written");
    return;
  }
  for (size_t i = 0; i < kExtensions.size(); ++i) {
    const std::string name = kExtensions[i];
    state.counters[name + "_cpu_s_per_audio_h"] = cpuSeconds[i] / audioSeconds * 3600;
    if (i > 0) state.counters[name + "_to_wav"] = cpuSeconds[i] / cpuSeconds[0];
  }
  state.counters["audio_h"] = audioSeconds / static_cast<double>(state.iterations()) / 3600;
}

BENCHMARK(BM_WholeRunFormats)
    ->ArgNames({"chars"})
    ->Arg(60000)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);

// Peak resident memory of a whole run whose audio is 1 hour and 10 hours long, as M4B and as WAV,
// in one iteration. The length is a pause, which costs the stand-in nothing: what grows with the
// length is the output's, not the speech's. MP4 keeps the index of its samples (one entry per AAC
// frame of 1024 samples) until it writes it at the end.
void BM_LongM4bMemory(benchmark::State& state) {
  const TBenchStandin bench;
  const TBenchFolder& folder = bench.Folder;
  const auto& environment = bench.Environment;
  const auto peakMb = [&](const char* extension, int hours) {
    const std::string text = "One.{{pause=" + std::to_string(hours * 3600000) + "}}Two.";
    const sonacli::TChildEnd usage = RunChild(
        {"-k", kCloudKey, "-t", text, "-w", (folder.Path() / (std::string("long.") + extension)).string()},
        environment, folder.Path());
    return usage.ExitCode == 0 ? static_cast<double>(usage.PeakRssKb) / 1024 : -1.0;
  };
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    const double m4b1 = peakMb("m4b", 1), m4b10 = peakMb("m4b", 10);
    const double wav1 = peakMb("wav", 1), wav10 = peakMb("wav", 10);
    state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    if (m4b1 <= 0 || m4b10 <= 0 || wav1 <= 0 || wav10 <= 0) {
      state.SkipWithError("sonacli failed; see child.log");
      return;
    }
    state.counters["m4b_1h_MB"] = m4b1;
    state.counters["m4b_10h_MB"] = m4b10;
    state.counters["m4b_10h_to_1h"] = m4b10 / m4b1;
    state.counters["wav_1h_MB"] = wav1;
    state.counters["wav_10h_MB"] = wav10;
    state.counters["wav_10h_to_1h"] = wav10 / wav1;
  }
}

BENCHMARK(BM_LongM4bMemory)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

// A run of a 300,000-character book takes minutes (the stand-in encodes hours of speech), so one
// iteration each; --benchmark_repetitions gives medians.
BENCHMARK(BM_WholeRun)
    ->ArgNames({"chars", "output"})
    ->ArgsProduct({{300000, 600000}, {kMono24k, kStereo44k, kMono24kSync}})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
