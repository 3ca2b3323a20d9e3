// A book-like run of the built program against the stand-in, whose every answer takes 300 ms plus
// 5 ms per character: 30 pieces of about 100 characters, one request at a time (--jobs 1), four
// at once (--jobs 4), and --jobs 4 again with every answer already in the cache. Wall time per run.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "standin/standin_process.h"
#include "support/child_process.h"

namespace sonacli {
namespace {

namespace fs = std::filesystem;

constexpr int kPieces = 30;

// Thirty sentences of 95 to 105 characters, one per line, so that each is one request.
std::vector<std::string> BookLines() {
  std::vector<std::string> lines;
  for (int i = 0; i < kPieces; ++i) {
    std::string line = "Sentence number " + std::to_string(i + 1) + " of the chapter tells";
    while (line.size() < 95) line += " more of the story";
    lines.push_back(line.substr(0, 98) + ".");
  }
  return lines;
}

// The stand-in, a folder and the input, shared by every benchmark of the process.
class TBench {
 public:
  TBench() : folder_(fs::temp_directory_path() / ("sonacli-runs-bench-" + std::to_string(getpid()))) {
    fs::create_directories(folder_ / "standin");
    standin_ = std::make_unique<TStandinProcess>(folder_ / "standin");
    standin_->SetScript(R"({"rules":[{"delay_ms":300,"delay_ms_per_char":5}]})");
    for (const std::string& line : BookLines()) {
      arguments_.push_back("-t");
      arguments_.push_back(line);
    }
  }
  ~TBench() {
    standin_.reset();
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }

  std::string Cache() const { return (folder_ / "cache").string(); }

  // One run writing a WAV and an LRC file; throws when it fails.
  void Run(const std::vector<std::string>& options) const {
    std::vector<std::string> args = {SONACLI_PROGRAM_PATH,           "-k", "AQVN-bench", "-lrc", "-w",
                                     (folder_ / "book.wav").string()};
    args.insert(args.end(), options.begin(), options.end());
    args.insert(args.end(), arguments_.begin(), arguments_.end());
    TChildOptions child;
    child.Environment = {{"SONACLI_CLOUD_URL", standin_->BaseUrl()},
                         {"SONACLI_LEGACY_URL", standin_->BaseUrl()},
                         {"SONACLI_CA_BUNDLE", standin_->CaFile()},
                         {"TMPDIR", folder_.string()}};
    if (TChildProcess(args, child).Wait().ExitCode != 0) throw std::runtime_error("sonacli failed");
  }

 private:
  fs::path folder_;
  std::unique_ptr<TStandinProcess> standin_;
  std::vector<std::string> arguments_;
};

TBench& Bench() {
  static TBench bench;
  return bench;
}

void BM_Jobs(benchmark::State& state) {
  const std::string jobs = std::to_string(state.range(0));
  for (auto _ : state) Bench().Run({"--jobs", jobs});
  state.SetLabel("--jobs " + jobs);
}
BENCHMARK(BM_Jobs)->Arg(1)->Arg(4)->Iterations(1)->Repetitions(3)->UseRealTime()->Unit(
    benchmark::kMillisecond);

// The same command run again with every answer already in the cache: no request is sent at all.
void BM_FullCache(benchmark::State& state) {
  const std::vector<std::string> options = {"--jobs", "4", "--cache", Bench().Cache()};
  Bench().Run(options);  // fills the cache, untimed
  for (auto _ : state) Bench().Run(options);
}
BENCHMARK(BM_FullCache)->Iterations(1)->Repetitions(3)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace sonacli

BENCHMARK_MAIN();
