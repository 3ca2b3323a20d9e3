// The encoded outputs against what a user would do instead: run the ffmpeg program over the WAV.
// Both encode the same PCM (10 minutes of speech-like audio at 24 kHz mono) with the same codec and
// bitrate, each in a child process, so that their CPU times (user + system, from wait4) compare
// like for like, file reading and process start included. Then the peak resident memory of a
// 1-hour and a 10-hour M4B, each made in a process of its own. The program's side runs as this
// program started again with arguments that make it encode instead. Run from a Release build.
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "common/unicode_text.h"
#include "encode/bitrate.h"
#include "encode/encoded_output.h"
#include "support/child_process.h"

namespace sonacli {
namespace {

namespace fs = std::filesystem;

constexpr int kRate = 24000;
constexpr double kMinutes = 10;
constexpr double kPieceSeconds = 6;

// The first argument that makes this program encode a PCM file into a format (by its extension)
// with a chapter every so many seconds (0: none) instead of running the benchmarks: the PCM file,
// the output, the seconds follow.
constexpr char kEncodeFileArgument[] = "--encode-pcm-file";

struct ChildUsage {
  double CpuSeconds = 0;
  double PeakMiB = 0;
};

ChildUsage RunProgram(const std::vector<std::string>& args) {
  TChildOptions options;
  options.Stdin = options.Stdout = options.Stderr = TChildStream::Null();
  options.SearchPath = true;
  const TChildEnd end = TChildProcess(args, options).Wait();
  if (end.ExitCode != 0) throw std::runtime_error("the child failed: " + args[0]);
  return {end.CpuSeconds, static_cast<double>(end.PeakRssKb) / 1024};
}

// A voiced tone with a gliding pitch and harmonics, syllables and pauses: a codec works on it as
// on speech.
std::vector<int16_t> SpeechLike(double seconds) {
  const auto frames = static_cast<size_t>(kRate * seconds);
  std::vector<int16_t> samples(frames);
  double phase = 0;
  for (size_t i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / kRate;
    const double pitch = 140 + 30 * std::sin(2 * std::numbers::pi * 0.7 * t);
    phase += 2 * std::numbers::pi * pitch / kRate;
    double voice = 0;
    for (int h = 1; h * pitch < 0.4 * kRate && h <= 20; ++h) voice += std::sin(h * phase) / h;
    const double syllable = 0.3 + 0.7 * std::max(0.0, std::sin(2 * std::numbers::pi * 3 * t));
    const double pause = std::fmod(t, 2.0) < 1.7 ? 1.0 : 0.05;
    samples[i] = static_cast<int16_t>(std::lround(7000 * voice * syllable * pause));
  }
  return samples;
}

const fs::path& Folder() {
  static const fs::path folder = [] {
    fs::path path = fs::temp_directory_path() / ("encode_bench_" + std::to_string(getpid()));
    fs::create_directories(path);
    return path;
  }();
  return folder;
}

// The PCM of the comparison, as a raw file that both sides read.
const std::string& PcmFile() {
  static const std::string name = [] {
    const std::vector<int16_t> samples = SpeechLike(kMinutes * 60);
    const std::string file = (Folder() / "speech.pcm").string();
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(samples.data()),
               static_cast<std::streamsize>(samples.size() * 2));
    return file;
  }();
  return name;
}

struct FormatRow {
  TOutputFormat Format;
  const char* Extension;
  const char* FfmpegCodec;
  const char* FfmpegMuxer;
};

constexpr FormatRow kFormats[] = {
    {TOutputFormat::Opus, ".opus", "libopus", "ogg"},
    {TOutputFormat::Mp3, ".mp3", "libmp3lame", "mp3"},
    {TOutputFormat::M4b, ".m4b", "aac", "ipod"},
    {TOutputFormat::Flac, ".flac", "flac", "flac"},
};

TEncoderSettings SettingsOf(TOutputFormat format) {
  TEncoderSettings settings;
  settings.Format = format;
  settings.SampleRate = kRate;
  settings.Channels = 1;
  settings.Tags.Title = u"Benchmark";
  return settings;
}

// Reads the PCM file in pieces of a run's size and encodes it into `output`, with a chapter every
// `chapterSeconds` (none with 0).
bool EncodePcmFile(TOutputFormat format, const std::string& pcmFile, const std::string& output,
                   double chapterSeconds) {
  std::u16string error;
  auto encoded = TEncodedOutput::CreateFile(SettingsOf(format), ToUtf16(output), error);
  if (!encoded) return false;
  std::ifstream in(pcmFile, std::ios::binary);
  std::string piece(static_cast<size_t>(kPieceSeconds * kRate) * 2, '\0');
  while (in.read(piece.data(), static_cast<std::streamsize>(piece.size())) || in.gcount() > 0) {
    const int64_t at = encoded->Frames();
    if (chapterSeconds > 0 && at % static_cast<int64_t>(chapterSeconds * kRate) == 0)
      encoded->AddChapter(u"Chapter", at);
    if (!encoded->Append(std::string_view(piece.data(), static_cast<size_t>(in.gcount())))) return false;
  }
  return encoded->Finish() && encoded->Notes().empty();
}

// EncodePcmFile for the format of that extension.
bool EncodeFileOf(std::string_view extension, const std::string& pcmFile, const std::string& output,
                  double chapterSeconds) {
  for (const FormatRow& row : kFormats) {
    if (extension == row.Extension) return EncodePcmFile(row.Format, pcmFile, output, chapterSeconds);
  }
  return false;
}

ChildUsage RunFfmpeg(const FormatRow& row, const std::string& output) {
  std::vector<std::string> args = {"ffmpeg",   "-nostdin",
                                   "-v",       "error",
                                   "-threads", "1",
                                   "-f",       "s16le",
                                   "-ar",      std::to_string(kRate),
                                   "-ac",      "1",
                                   "-i",       PcmFile(),
                                   "-c:a",     row.FfmpegCodec};
  const int32_t kbps = DefaultBitrate(row.Format, kRate, 1);
  if (kbps > 0) args.insert(args.end(), {"-b:a", std::to_string(kbps) + "k"});
  args.insert(args.end(), {"-f", row.FfmpegMuxer, "-y", output});
  return RunProgram(args);
}

// This program started again to encode the PCM file (kEncodeFileArgument), so that it pays for
// its start and its libraries as the ffmpeg program does.
ChildUsage RunEncoder(const FormatRow& row, const std::string& output, int chapterSeconds) {
  return RunProgram({"/proc/self/exe", kEncodeFileArgument, row.Extension, PcmFile(), output,
                     std::to_string(chapterSeconds)});
}

// CPU seconds of the program's encoder (plain, and with a chapter every minute, which Ogg, MP3 and
// FLAC write in a second pass over the file) and of the ffmpeg program, per format.
void BM_EncodeBesideFfmpeg(benchmark::State& state) {
  const FormatRow& row = kFormats[state.range(0)];
  state.SetLabel(row.Extension + 1);
  PcmFile();
  double ours = 0, withChapters = 0, ffmpeg = 0;
  for (auto _ : state) {
    const std::string output = (Folder() / (std::string("out") + row.Extension)).string();
    ffmpeg += RunFfmpeg(row, output).CpuSeconds;
    ours += RunEncoder(row, output, 0).CpuSeconds;
    withChapters += RunEncoder(row, output, 60).CpuSeconds;
  }
  const auto n = static_cast<double>(state.iterations());
  state.counters["ours_cpu_s"] = ours / n;
  state.counters["ours_chapters_cpu_s"] = withChapters / n;
  state.counters["ffmpeg_cpu_s"] = ffmpeg / n;
  state.counters["ratio"] = ours / ffmpeg;
  state.counters["ratio_chapters"] = withChapters / ffmpeg;
  state.counters["realtime_x"] = kMinutes * 60 * n / ours;
}
BENCHMARK(BM_EncodeBesideFfmpeg)->DenseRange(0, 3)->Iterations(3)->Unit(benchmark::kSecond);

// The first argument that makes this program encode hours of M4B (the next argument) into a folder
// (the one after), instead of running the benchmarks.
constexpr char kEncodeHoursArgument[] = "--encode-m4b-hours";

// Encodes `hours` of audio as M4B (6 s pieces of speech, a chapter every 10 minutes).
bool EncodeHours(double hours, const fs::path& folder) {
  const std::vector<int16_t> piece = SpeechLike(kPieceSeconds);
  std::u16string error;
  auto encoded =
      TEncodedOutput::CreateFile(SettingsOf(TOutputFormat::M4b), (folder / "long.m4b").u16string(), error);
  if (!encoded) return false;
  const std::string_view bytes(reinterpret_cast<const char*>(piece.data()), piece.size() * 2);
  const auto pieces = static_cast<int64_t>(hours * 3600 / kPieceSeconds);
  for (int64_t i = 0; i < pieces; ++i) {
    if (i % 100 == 0) encoded->AddChapter(u"Chapter", encoded->Frames());
    if (!encoded->Append(bytes)) return false;
  }
  return encoded->Finish();
}

// Peak resident memory of a 1-hour and of a 10-hour M4B, each in a fresh process of its own (this
// program again, started with kEncodeHoursArgument), so that nothing of this one counts; and what
// the 9 hours between them cost per AAC frame of 1024 samples.
void BM_PeakMemoryOfLongM4b(benchmark::State& state) {
  const auto encode = [](const char* hours) {
    return RunProgram({"/proc/self/exe", kEncodeHoursArgument, hours, Folder().string()});
  };
  for (auto _ : state) {
    const ChildUsage hour = encode("1");
    const ChildUsage tenHours = encode("10");
    state.counters["peak_MiB_1h"] = hour.PeakMiB;
    state.counters["peak_MiB_10h"] = tenHours.PeakMiB;
    state.counters["ratio_10h_1h"] = tenHours.PeakMiB / hour.PeakMiB;
    const double frames = 9 * 3600.0 * kRate / 1024;
    state.counters["bytes_per_aac_frame"] = (tenHours.PeakMiB - hour.PeakMiB) * 1024 * 1024 / frames;
    state.counters["cpu_s_10h"] = tenHours.CpuSeconds;
  }
}
BENCHMARK(BM_PeakMemoryOfLongM4b)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
}  // namespace sonacli

int main(int argc, char** argv) {
  if (argc == 4 && std::string_view(argv[1]) == sonacli::kEncodeHoursArgument)
    return sonacli::EncodeHours(std::atof(argv[2]), argv[3]) ? 0 : 1;
  if (argc == 6 && std::string_view(argv[1]) == sonacli::kEncodeFileArgument)
    return sonacli::EncodeFileOf(argv[2], argv[3], argv[4], std::atof(argv[5])) ? 0 : 1;
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::error_code ignored;
  std::filesystem::remove_all(sonacli::Folder(), ignored);
  return 0;
}
