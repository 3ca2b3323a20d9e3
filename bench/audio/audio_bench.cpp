// Real-time factors of the audio steps (decode, resample, channel conversion, append) for every
// output format, and the peak memory of long file outputs. Run from a Release build.
// The former converter (libsamplerate's best) runs beside libsoxr's recipes in the same run.
#include <samplerate.h>
#include <soxr.h>
#include <sys/resource.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "audio/audio_converter.h"
#include "audio/audio_output.h"
#include "audio/convert_wav.h"
#include "audio/opus_decoder.h"
#include "audio/wav_header.h"
#include "audio/wave_in.h"
#include "audio/wave_out.h"
#include "ogg_opus/ogg_opus_encoder.h"
#include "platform/process.h"
#include "samplerate_resampler.h"

namespace sonacli {
namespace {

constexpr double kSpeechSeconds = 60;
constexpr double kPieceSeconds = 6;

// Speech-like audio: a voiced tone with gliding pitch and harmonics, syllable envelopes, pauses and
// a little noise.
std::vector<int16_t> SpeechLike(double seconds) {
  const auto frames = static_cast<size_t>(48000 * seconds);
  std::vector<int16_t> samples(frames);
  std::mt19937 random(7);
  std::normal_distribution<double> noise(0, 200);
  double phase = 0;
  for (size_t i = 0; i < frames; ++i) {
    const double t = i / 48000.0;
    const double pitch = 140 + 30 * std::sin(2 * std::numbers::pi * 0.7 * t);
    phase += 2 * std::numbers::pi * pitch / 48000;
    double voice = 0;
    for (int h = 1; h <= 12; ++h) voice += std::sin(h * phase) / h;
    const double syllable = std::max(0.0, std::sin(2 * std::numbers::pi * 4 * t));
    const double pause = std::fmod(t, 3.0) < 2.6 ? 1.0 : 0.0;
    samples[i] =
        static_cast<int16_t>(std::clamp(6000 * voice * syllable * pause + noise(random), -32767.0, 32767.0));
  }
  return samples;
}

const std::string& Speech() {
  static const std::string answer = EncodeOggOpus(SpeechLike(kSpeechSeconds));
  return answer;
}

const std::string& Decoded() {
  static const std::string wav = [] {
    std::string out;
    OpusToWav(Speech(), out);
    return out;
  }();
  return wav;
}

void SetRealTime(benchmark::State& state, double audioSeconds) {
  state.counters["realtime_x"] =
      benchmark::Counter(audioSeconds * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

long PeakRssKiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

// Decodes 6 s answers into 24 kHz pieces and appends them to a file output for `minutes`.
void WriteFileOutput(double minutes) {
  static const std::string piece = EncodeOggOpus(SpeechLike(kPieceSeconds));
  const auto folder = std::filesystem::temp_directory_path() / ("audio_bench_" + std::to_string(getpid()));
  std::filesystem::create_directories(folder);
  TOutputData format{(folder / "out.wav").u16string(), 1, 24000, 16};
  auto output = OpenOutput(format, TOutputSettings{});
  TDecodedSpeech speech;
  for (int i = 0; i < static_cast<int>(minutes * 60 / kPieceSeconds); ++i) {
    DecodeOpusAnswer(piece, {24000, false}, {}, speech);
    output->Append(speech.Pcm);
  }
  output->Finish();
  std::filesystem::remove_all(folder);
}

// Peak memory after a 1-minute and after a 10-minute file output: equal when pieces go to the file
// as they come.
void BM_PeakMemoryOfFileOutput(benchmark::State& state) {
  for (auto _ : state) {
    WriteFileOutput(1);
    state.counters["peak_MiB_after_1min"] = static_cast<double>(PeakRssKiB()) / 1024;
    WriteFileOutput(10);
    state.counters["peak_MiB_after_10min"] = static_cast<double>(PeakRssKiB()) / 1024;
  }
}
BENCHMARK(BM_PeakMemoryOfFileOutput)->Iterations(1)->Unit(benchmark::kSecond);

void BM_Decode(benchmark::State& state) {
  Speech();  // encoded once, outside the timing
  for (auto _ : state) {
    std::string out;
    OpusToWav(Speech(), out);
    benchmark::DoNotOptimize(out.data());
  }
  SetRealTime(state, kSpeechSeconds);
}
BENCHMARK(BM_Decode)->Unit(benchmark::kMillisecond);

// Resampling of the decoded 48 kHz mono audio to each output rate.
void BM_Resample(benchmark::State& state) {
  const auto rate = static_cast<int32_t>(state.range(0));
  Decoded();
  for (auto _ : state) {
    const auto reader = TWaveIn::OpenMemory(Decoded());
    std::string out;
    ConvertWav(*reader, out, rate, 0, 0, TMSConverterMode::msmMonoToBoth);
    benchmark::DoNotOptimize(out.data());
  }
  SetRealTime(state, kSpeechSeconds);
}
BENCHMARK(BM_Resample)
    ->Arg(8000)
    ->Arg(16000)
    ->Arg(22050)
    ->Arg(24000)
    ->Arg(44100)
    ->Iterations(2)
    ->Unit(benchmark::kMillisecond);

// Mono to stereo alone (48 kHz in and out, so the resampler passes the samples through).
void BM_ChannelConversion(benchmark::State& state) {
  for (auto _ : state) {
    const auto reader = TWaveIn::OpenMemory(Decoded());
    std::string out;
    ConvertWav(*reader, out, 48000, 2, 0, TMSConverterMode::msmMonoToLeft);
    benchmark::DoNotOptimize(out.data());
  }
  SetRealTime(state, kSpeechSeconds);
}
BENCHMARK(BM_ChannelConversion)->Unit(benchmark::kMillisecond);

// Appending the 60 s as ten pieces to a file output.
void BM_Append(benchmark::State& state) {
  const std::string piece = Decoded().substr(0, 44 + Decoded().size() / 10);
  const auto folder =
      std::filesystem::temp_directory_path() / ("audio_bench_append_" + std::to_string(getpid()));
  std::filesystem::create_directories(folder);
  for (auto _ : state) {
    TOutputData format{(folder / "out.wav").u16string(), 1, 48000, 16};
    auto output = OpenOutput(format, TOutputSettings{});
    for (int i = 0; i < 10; ++i) output->Append(WavSamples(piece));
    output->Finish();
  }
  std::filesystem::remove_all(folder);
  SetRealTime(state, kSpeechSeconds);
}
BENCHMARK(BM_Append)->Unit(benchmark::kMillisecond);

// The whole answer path for every output format the program offers: rate, mono (0) or stereo (1).
void BM_DecodeOpusAnswer(benchmark::State& state) {
  const auto rate = static_cast<int32_t>(state.range(0));
  const bool stereo = state.range(1) != 0;
  for (auto _ : state) {
    TDecodedSpeech speech;
    DecodeOpusAnswer(Speech(), {rate, stereo}, {}, speech);
    benchmark::DoNotOptimize(speech.Pcm.data());
  }
  SetRealTime(state, kSpeechSeconds);
}
BENCHMARK(BM_DecodeOpusAnswer)
    ->ArgsProduct({{8000, 16000, 22050, 24000, 44100, 48000}, {0, 1}})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

// A run's answers are short (a sentence each with -lrc or -srt), so what every answer costs once
// (decoder and resampler set-up, buffers) weighs as much as the samples: 60 s of speech as thirty
// 2 s answers, through the whole answer path, for the run's usual output formats.
void BM_ShortAnswers(benchmark::State& state) {
  const auto rate = static_cast<int32_t>(state.range(0));
  const bool stereo = state.range(1) != 0;
  constexpr double kAnswerSeconds = 2;
  static const std::string answer = EncodeOggOpus(SpeechLike(kAnswerSeconds));
  const int answers = static_cast<int>(kSpeechSeconds / kAnswerSeconds);
  for (auto _ : state) {
    for (int i = 0; i < answers; ++i) {
      TDecodedSpeech speech;
      DecodeOpusAnswer(answer, {rate, stereo}, {}, speech);
      benchmark::DoNotOptimize(speech.Pcm.data());
    }
  }
  SetRealTime(state, kSpeechSeconds);
}
BENCHMARK(BM_ShortAnswers)->ArgsProduct({{24000, 44100, 48000}, {0, 1}})->Unit(benchmark::kMillisecond);

// The whole answer path with the former converter: the same decode and chain, with libsamplerate's
// best converter in place of libsoxr.
void BM_DecodeOpusAnswerWithLibsamplerate(benchmark::State& state) {
  const auto rate = static_cast<int32_t>(state.range(0));
  const bool stereo = state.range(1) != 0;
  for (auto _ : state) {
    std::string decoded;
    OpusToWav(Speech(), decoded);
    const auto reader = TWaveIn::OpenMemory(decoded);
    TSampleRateResampler resampler(reader.get());
    resampler.SetOutSampleRate(rate);
    TAudioConverter converter(&resampler);
    converter.SetOutChannels(2);
    std::string out;
    TWaveOut(out).Run(stereo ? static_cast<TAudioSource&>(converter) : resampler);
    benchmark::DoNotOptimize(out.data());
  }
  SetRealTime(state, kSpeechSeconds);
}
BENCHMARK(BM_DecodeOpusAnswerWithLibsamplerate)
    ->ArgsProduct({{8000, 16000, 22050, 24000, 44100}, {0, 1}})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

enum Converter { kLibsamplerateBest, kSoxrHq, kSoxrVhq };

// 48 kHz mono floats through one converter in one call, the end of the input signalled.
std::vector<float> RunConverter(Converter converter, const std::vector<float>& in, int32_t rate) {
  const double ratio = rate / 48000.0;
  std::vector<float> out(static_cast<size_t>(std::ceil(static_cast<double>(in.size()) * ratio)) + 16);
  if (converter == kLibsamplerateBest) {
    SRC_DATA data{};
    data.data_in = in.data();
    data.data_out = out.data();
    data.input_frames = static_cast<long>(in.size());
    data.output_frames = static_cast<long>(out.size());
    data.src_ratio = ratio;
    data.end_of_input = 1;
    if (src_simple(&data, SRC_SINC_BEST_QUALITY, 1) != 0) std::abort();
    out.resize(static_cast<size_t>(data.output_frames_gen));
  } else {
    const soxr_quality_spec_t recipe = soxr_quality_spec(converter == kSoxrHq ? SOXR_HQ : SOXR_VHQ, 0);
    size_t made = 0;
    if (soxr_oneshot(48000, rate, 1, in.data(), in.size(), nullptr, out.data(), out.size(), &made, nullptr,
                     &recipe, nullptr) != nullptr) {
      std::abort();
    }
    out.resize(made);
  }
  return out;
}

// Level of the frequency in the middle 80 % of the samples, relative to full scale (Hann window).
double LevelDb(const std::vector<float>& samples, int32_t rate, double frequency) {
  const size_t from = samples.size() / 10;
  const size_t count = samples.size() - 2 * from;
  std::complex<double> sum;
  double weights = 0;
  for (size_t i = 0; i < count; ++i) {
    const double w = 0.5 - 0.5 * std::cos(2 * std::numbers::pi * static_cast<double>(i) / (count - 1));
    sum += w * samples[from + i] *
           std::polar(1.0, -2 * std::numbers::pi * frequency * static_cast<double>(from + i) / rate);
    weights += w;
  }
  return 20 * std::log10(2 * std::abs(sum) / weights);
}

// How far a full-scale tone above the output's Nyquist frequency comes back as an alias.
double AliasRejectionDb(Converter converter, int32_t rate) {
  const double nyquist = rate / 2.0;
  const double tone = std::min(1.1 * nyquist, (nyquist + 24000) / 2);
  std::vector<float> sine(48000);
  for (size_t i = 0; i < sine.size(); ++i) {
    sine[i] = static_cast<float>(std::sin(2 * std::numbers::pi * tone * static_cast<double>(i) / 48000));
  }
  return -LevelDb(RunConverter(converter, sine, rate), rate, rate - tone);
}

// The converters alone on the decoded 60 s (floats in, floats out): 0 libsamplerate best (the
// former one), 1 libsoxr high quality (the program's), 2 libsoxr very high quality.
void BM_Converter(benchmark::State& state) {
  const auto converter = static_cast<Converter>(state.range(0));
  const auto rate = static_cast<int32_t>(state.range(1));
  const std::string& wav = Decoded();
  std::vector<float> in((wav.size() - 44) / 2);
  for (size_t i = 0; i < in.size(); ++i) {
    int16_t sample;
    std::memcpy(&sample, wav.data() + 44 + 2 * i, 2);
    in[i] = static_cast<float>(sample) / 32768.0f;
  }
  for (auto _ : state) {
    std::vector<float> out = RunConverter(converter, in, rate);
    benchmark::DoNotOptimize(out.data());
  }
  SetRealTime(state, kSpeechSeconds);
  state.counters["alias_rejection_dB"] = AliasRejectionDb(converter, rate);
}
BENCHMARK(BM_Converter)
    ->ArgsProduct({{kLibsamplerateBest, kSoxrHq, kSoxrVhq}, {8000, 16000, 22050, 24000, 44100}})
    ->ArgNames({"lsr0_hq1_vhq2", "rate"})
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace sonacli

// The allocator set up as the program sets it, so that what every answer allocates costs here what
// it costs in a run.
int main(int argc, char** argv) {
  sonacli::KeepAnswerBuffersInTheHeap();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
