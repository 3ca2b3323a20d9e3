// Subtitle mode off the network: reading, joining and widening of large subtitle files in every
// format (they must grow linearly: 1,000,000 entries at most 12 times the time of 100,000), bad
// inputs that could make a reader quadratic, and the audio steps of every subtitle (silence trimming,
// fitting to its time). Run from a Release build.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <cmath>
#include <map>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "audio/fit_to_duration.h"
#include "audio/trim_silence.h"
#include "common/unicode_text.h"
#include "subtitles/subtitle_format.h"
#include "subtitles/subtitle_loading.h"

namespace sonacli {
namespace {

using Lines = std::vector<std::u16string>;

constexpr int64_t kLrcStepMs = 55;

// Sentences that run on over two entries, so that the join has work to do.
const char16_t* const kTexts[] = {u"I wanted to",       u"go home before <i>the rain</i>.", u"Wait...",
                                  u"what did you say?", u"{{lang=en-US}}Nothing,",          u"never mind."};

// "h:mm:ss<mark>fff", or "mm:ss<mark>fff" with all minutes when there are no hours.
std::u16string Clock(int64_t ms, char16_t fractionMark, bool hours = true) {
  std::u16string out;
  const auto two = [&](int64_t v) {
    out += static_cast<char16_t>(u'0' + v / 10 % 10);
    out += static_cast<char16_t>(u'0' + v % 10);
  };
  if (hours) {
    out += ToUtf16(std::to_string(ms / 3600000));
    out += u':';
    two(ms / 60000 % 60);
  } else if (ms < 6000000) {
    two(ms / 60000);
  } else {
    out += ToUtf16(std::to_string(ms / 60000));
  }
  out += u':';
  two(ms / 1000 % 60);
  out += fractionMark;
  out += ToUtf16(std::to_string(1000 + ms % 1000).substr(1));
  return out;
}

// "[mm:ss.fff]text". Appended piece by piece: GCC 12 warns falsely of overlapping copies in
// "literal" + string.
std::u16string LrcLine(int64_t ms, std::u16string_view text) {
  std::u16string line = u"[";
  line += Clock(ms, u'.', false);
  line += u']';
  line += text;
  return line;
}

Lines MakeFile(TSubtitleFormat format, int entries) {
  Lines lines;
  switch (format) {
    case TSubtitleFormat::Vtt:
      lines.push_back(u"WEBVTT");
      lines.push_back(u"");
      break;
    case TSubtitleFormat::Ssa:
      lines = {u"[Script Info]", u"", u"[Events]",
               u"Format: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, Text"};
      break;
    default:
      break;
  }
  for (int i = 0; i < entries; ++i) {
    const int64_t start = int64_t{i} * 2000;
    const int64_t end = start + 1500;
    const std::u16string text = kTexts[i % 6];
    switch (format) {
      case TSubtitleFormat::Srt:
        lines.insert(lines.end(), {ToUtf16(std::to_string(i + 1)),
                                   Clock(start, u',') + u" --> " + Clock(end, u','), text, u""});
        break;
      case TSubtitleFormat::Vtt:
        lines.insert(lines.end(),
                     {Clock(start, u'.') + u" --> " + Clock(end, u'.') + u" align:start", text, u""});
        break;
      case TSubtitleFormat::Ssa:
        lines.push_back(u"Dialogue: 0," + Clock(start, u'.') + u"," + Clock(end, u'.') +
                        u",Default,,0,0,0,,{\\i1}" + text);
        break;
      case TSubtitleFormat::Smi:
        lines.push_back(u"<SYNC Start=" + ToUtf16(std::to_string(start)) + u"><P Class=ENCC>" + text);
        lines.push_back(u"<SYNC Start=" + ToUtf16(std::to_string(end)) + u"><P Class=ENCC>&nbsp;");
        break;
      case TSubtitleFormat::Lrc:
        // LRC minutes have at most three digits: a million lines need short lines.
        lines.push_back(LrcLine(int64_t{i} * kLrcStepMs, text));
        lines.push_back(LrcLine(int64_t{i} * kLrcStepMs + kLrcStepMs / 2, u""));
        break;
      default:
        break;
    }
  }
  return lines;
}

const Lines& CachedFile(TSubtitleFormat format, int entries) {
  static std::map<std::pair<TSubtitleFormat, int>, Lines> files;
  auto [it, added] = files.try_emplace({format, entries});
  if (added) it->second = MakeFile(format, entries);
  return it->second;
}

// Arguments: format (its value in TSubtitleFormat), number of entries.
void BM_LoadSubtitles(benchmark::State& state) {
  const auto format = static_cast<TSubtitleFormat>(state.range(0));
  const Lines& lines = CachedFile(format, static_cast<int>(state.range(1)));
  size_t count = 0;
  for (auto _ : state) {
    TSubtitleLoading loading = LoadSubtitles(lines, format);
    count = loading.Subtitles.size();
    benchmark::DoNotOptimize(loading);
  }
  state.counters["entries_out"] = static_cast<double>(count);
  state.SetItemsProcessed(state.iterations() * state.range(1));
}
BENCHMARK(BM_LoadSubtitles)
    ->ArgsProduct({{int64_t(TSubtitleFormat::Srt), int64_t(TSubtitleFormat::Ssa),
                    int64_t(TSubtitleFormat::Smi), int64_t(TSubtitleFormat::Vtt),
                    int64_t(TSubtitleFormat::Lrc)},
                   {100000, 1000000}})
    ->ArgNames({"format", "entries"})
    ->Unit(benchmark::kMillisecond);

// Bad inputs as raw bytes through the fuzzing entry; argument: size in MB.
std::string Repeat(std::string_view piece, size_t bytes) {
  std::string out;
  out.reserve(bytes + piece.size());
  while (out.size() < bytes) out += piece;
  return out;
}

void RunBytes(benchmark::State& state, const std::string& bytes, TSubtitleFormat format) {
  for (auto _ : state) benchmark::DoNotOptimize(LoadSubtitlesFromBytes(bytes, format));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes.size()));
}

void BM_SrtOf100MB(benchmark::State& state) {
  static const std::string srt = Repeat(
      "12\r\n00:01:02,500 --> 00:01:04,000 X1:10 X2:20\r\nSome words <i>in italics</i>\r\nand more\r\n\r\n",
      100u << 20);
  RunBytes(state, srt, TSubtitleFormat::Srt);
}
BENCHMARK(BM_SrtOf100MB)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_BadInput(benchmark::State& state) {
  struct Bad {
    const char* name;
    std::string_view piece;  // repeated to 8 MB
    TSubtitleFormat format;
    std::string_view prefix = {};
  };
  constexpr std::string_view kSrtCue = "1\n0:0:1,0 --> 0:0:2,0\n";
  constexpr std::string_view kAssEvents = "[Events]\nFormat: Start, End, Text\nDialogue: 1,2,";
  static const Bad kBad[] = {
      {"smi_sync_without_close", "<sync start=1 ", TSubtitleFormat::Smi},
      {"smi_sync_run", "<SYNC Start=5>a<sync start=<sync start=x>", TSubtitleFormat::Smi},
      {"srt_one_entry_of_nested_tags", "<<i>{{{{lang=x}}<b", TSubtitleFormat::Srt, kSrtCue},
      {"srt_numbers_only", "1\n\n", TSubtitleFormat::Srt},
      {"vtt_blank_lines_and_numbers", "WEBVTT\n\n7\n\n\n", TSubtitleFormat::Vtt},
      {"ass_without_events", "Dialogue: 0,0:00:01.00,0:00:02.00,x\n", TSubtitleFormat::Ass},
      {"ass_override_braces", "[Events]\nFormat: Start, End, Text\nDialogue: 1,2,{{a}{b{c}}}{\n",
       TSubtitleFormat::Ass},
      {"lrc_tags_on_one_line", "[00:01.00]", TSubtitleFormat::Lrc},
      {"srt_tag_starts_without_end", "<a <b x 2<3 {\\an8 {\\p1}", TSubtitleFormat::Srt, kSrtCue},
      {"vtt_references_without_end", "&&#x&amp&#123456789;&lt", TSubtitleFormat::Vtt,
       "WEBVTT\n\n00:01.000 --> 00:02.000\n"},
      {"smi_paragraphs_without_close", "<p class=a <P class='b' &nbsp", TSubtitleFormat::Smi,
       "<SYNC Start=1>"},
      {"ass_drawing_switches", "{\\p1}m 0 0 l 1 1{\\p0}x{\\pos(1,2)\\p", TSubtitleFormat::Ass, kAssEvents},
      {"lrc_word_time_starts", "<00:1<0:<12:34.5<", TSubtitleFormat::Lrc, "[00:01.00]"},
  };
  const Bad& bad = kBad[state.range(0)];
  static std::map<int64_t, std::string> inputs;
  auto [it, added] = inputs.try_emplace(state.range(0));
  if (added) {
    it->second = std::string(bad.prefix) + Repeat(bad.piece, 8u << 20);
    if (bad.format == TSubtitleFormat::Lrc) it->second += std::string(1000, 'x');
  }
  state.SetLabel(bad.name);
  RunBytes(state, it->second, bad.format);
}
BENCHMARK(BM_BadInput)->DenseRange(0, 12)->Unit(benchmark::kMillisecond);

// Speech-like PCM of one subtitle at 24 kHz mono, with quiet ends.
std::string SubtitleSpeech(double seconds, double quietSeconds) {
  const auto frames = static_cast<size_t>(24000 * seconds);
  const auto quiet = static_cast<size_t>(24000 * quietSeconds);
  std::mt19937 random(3);
  std::normal_distribution<double> noise(0, 30);
  std::string pcm;
  pcm.reserve(frames * 2);
  double phase = 0;
  for (size_t i = 0; i < frames; ++i) {
    const double t = i / 24000.0;
    phase += 2 * std::numbers::pi * (140 + 30 * std::sin(2 * std::numbers::pi * 0.7 * t)) / 24000;
    double voice = 0;
    for (int h = 1; h <= 8; ++h) voice += std::sin(h * phase) / h;
    const bool speaking = i >= quiet && i + quiet < frames;
    const double value =
        (speaking ? 6000 * voice * std::max(0.2, std::sin(2 * std::numbers::pi * 4 * t)) : 0) + noise(random);
    const auto sample = static_cast<uint16_t>(static_cast<int16_t>(std::clamp(value, -32767.0, 32767.0)));
    pcm.push_back(static_cast<char>(sample & 0xFF));
    pcm.push_back(static_cast<char>(sample >> 8));
  }
  return pcm;
}

void SetRealTime(benchmark::State& state, double audioSeconds) {
  state.counters["realtime_x"] =
      benchmark::Counter(audioSeconds * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

// Argument: seconds of quiet at each end of 60 s.
void BM_TrimSilence(benchmark::State& state) {
  const std::string speech = SubtitleSpeech(60, static_cast<double>(state.range(0)));
  for (auto _ : state) {
    std::string buffer = speech;
    TrimSilence(buffer, TAudioFormat{24000, 1, 16}, 0.7, 0.6);
    benchmark::DoNotOptimize(buffer);
  }
  SetRealTime(state, 60);
}
BENCHMARK(BM_TrimSilence)->Arg(1)->Arg(30)->ArgName("quiet_s")->Unit(benchmark::kMillisecond);

// Argument: --sub-max percent; 60 s of speech into 40 s.
void BM_FitToDuration(benchmark::State& state) {
  const std::string speech = SubtitleSpeech(60, 0.2);
  for (auto _ : state) {
    std::string buffer = speech;
    benchmark::DoNotOptimize(
        FitToDuration(buffer, 40000, 24000, static_cast<int32_t>(state.range(0)), 16, 1));
  }
  SetRealTime(state, 60);
}
BENCHMARK(BM_FitToDuration)->Arg(110)->Arg(200)->ArgName("sub_max")->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace sonacli

int main(int argc, char** argv) {
  // Keep freed memory in the heap: otherwise every iteration of the million-entry cases hands its
  // large blocks back to the system and touches fresh pages again, while the small cases reuse
  // theirs, and the growth measured would be that of the page faults. A real run reads its file
  // once and pays the first touch at every size.
  mallopt(M_MMAP_THRESHOLD, 1 << 30);
  mallopt(M_TRIM_THRESHOLD, 1 << 30);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
