// All six input filters on texts full of brackets, URLs and comments: the cost per MB must stay
// flat as the text grows (16 MB in at most 20 times the time of 1 MB).
#include <benchmark/benchmark.h>

#include <array>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "common/unicode_text.h"
#include "input/input_filters.h"

namespace sonacli {
namespace {

constexpr size_t kMegabyte = 1 << 20;

const std::array<const char*, 12> kFragments = {
    "The meeting (held on Monday) went well, and everyone agreed.",
    "See [note 4] and [appendix B] for the details,",
    "the old rule {deprecated} still applies <b>here</b> and there.",
    "Read more at http://example.com/articles/12345?page=2, or",
    "mirror (https://mirror.example.org/path/to/file.html) for a copy.",
    "Files live at ftp://files.example.net/pub; keys at ssh://git@example.com/repo.git.",
    "Он сказал (тихо) и ушёл [см. выше], не оглядываясь.",
    "/* a block comment that spans a few words */ and text after it.",
    "x = 5; // a line comment up to the end",
    "Nested ((round)) brackets and [[square]] ones, and file://local/path too.",
    "A [whole-line bracket text]",
    "Plain words without anything to remove, just a sentence of text.",
};

// Lines of two to six fragments each, about `bytes` of UTF-8 in all.
std::vector<std::u16string> MakeText(size_t bytes) {
  std::mt19937 random(2024);
  std::vector<std::u16string> lines;
  size_t size = 0;
  while (size < bytes) {
    std::string line;
    for (unsigned n = 2 + random() % 5; n > 0; --n) {
      line += kFragments[random() % kFragments.size()];
      line += ' ';
    }
    size += line.size() + 2;
    lines.push_back(ToUtf16(line));
  }
  return lines;
}

const std::vector<std::u16string>& Text(size_t megabytes) {
  static std::map<size_t, std::vector<std::u16string>> texts;
  auto [it, made] = texts.try_emplace(megabytes);
  if (made) it->second = MakeText(megabytes * kMegabyte);
  return it->second;
}

void RunFilters(benchmark::State& state, const TFilterFlags& flags) {
  const size_t megabytes = static_cast<size_t>(state.range(0));
  const std::vector<std::u16string>& text = Text(megabytes);
  size_t kept = 0;
  for (auto _ : state) {
    std::vector<std::u16string> lines = FilterInputText(text, flags);
    kept = lines.size();
    benchmark::DoNotOptimize(lines.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * megabytes * kMegabyte));
  state.counters["kept_lines"] = static_cast<double>(kept);
}
void BM_AllSixFilters(benchmark::State& state) {
  RunFilters(state, TFilterFlags{true, true, true, true, true, true});
}
// For reference: joining, trimming and splitting the lines alone. Its growth from 1 to 16 MB is that
// of the memory, not of the code: 1 MB of text (2 MB as UTF-16) stays in a 2 MB cache, 16 MB do not.
void BM_NoFilter(benchmark::State& state) {
  RunFilters(state, TFilterFlags{});
}
// One line of URLs that each end in a closing bracket with no opening one before it: every URL
// looks back along the line for its bracket, which must not cost the square of the line's length.
void BM_UrlsBeforeClosingBracketsOnOneLine(benchmark::State& state) {
  const size_t megabytes = static_cast<size_t>(state.range(0));
  std::u16string line;
  while (line.size() < megabytes * kMegabyte) line += u"http://example.com/a) ";
  const std::vector<std::u16string> text{line};
  for (auto _ : state) {
    std::vector<std::u16string> lines = FilterInputText(text, TFilterFlags{.Urls = true});
    benchmark::DoNotOptimize(lines.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * megabytes * kMegabyte));
}
BENCHMARK(BM_AllSixFilters)->Arg(1)->Arg(4)->Arg(16)->ArgName("MB")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NoFilter)->Arg(1)->Arg(4)->Arg(16)->ArgName("MB")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UrlsBeforeClosingBracketsOnOneLine)
    ->Arg(1)
    ->Arg(4)
    ->Arg(16)
    ->ArgName("MB")
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace sonacli

BENCHMARK_MAIN();
