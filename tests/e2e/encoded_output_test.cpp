// The encoded outputs through the whole program and the stand-in: each file read back by ffprobe
// and decoded by ffmpeg, as a player would, against the WAV of the same speech; byte-identical
// files with any --jobs; an interrupted run that still plays to its end; the bad option values
// refused before any request.
#include <signal.h>
#include <sys/stat.h>

#include <cmath>
#include <filesystem>
#include <sstream>
#include <thread>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "e2e/e2e_fixture.h"

namespace sonacli::testing {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

// What ffprobe reads of a file: the audio stream, the tags of the container and of the stream,
// and whether a picture is attached.
struct TProbe {
  std::string Codec;
  int Rate = 0;
  int Channels = 0;
  double Seconds = 0;  // the audio's duration from its start time on
  std::map<std::string, std::string> Tags;
  bool HasCover = false;
  std::vector<std::pair<std::string, double>> Chapters;  // title, start in seconds
};

TProbe Probe(const std::string& fileName) {
  const TChildResult run = TChild({"/usr/bin/ffprobe", "-v", "error", "-show_entries",
                                   "stream=codec_name,codec_type,sample_rate,channels,start_time,duration:"
                                   "stream_disposition=attached_pic:stream_tags:format_tags",
                                   "-show_chapters", "-of", "json", fileName},
                                  {}, fs::path(fileName).parent_path())
                               .Wait();
  TProbe probe;
  const nlohmann::json json = nlohmann::json::parse(run.Stdout, nullptr, false);
  if (json.is_discarded()) return probe;
  const auto addTags = [&](const nlohmann::json& owner) {
    if (!owner.contains("tags")) return;
    for (const auto& [key, value] : owner["tags"].items()) probe.Tags[key] = value.get<std::string>();
  };
  if (json.contains("format")) addTags(json["format"]);
  for (const nlohmann::json& stream : json.value("streams", nlohmann::json::array())) {
    if (stream.value("codec_type", "") != "audio") {
      probe.HasCover = probe.HasCover || stream["disposition"].value("attached_pic", 0) == 1;
      continue;
    }
    probe.Codec = stream.value("codec_name", "");
    probe.Rate = std::stoi(stream.value("sample_rate", "0"));
    probe.Channels = stream.value("channels", 0);
    probe.Seconds = std::stod(stream.value("duration", "0")) - std::stod(stream.value("start_time", "0"));
    addTags(stream);
  }
  for (const nlohmann::json& chapter : json.value("chapters", nlohmann::json::array())) {
    const std::string title = chapter.contains("tags") ? chapter["tags"].value("title", "") : "";
    probe.Chapters.emplace_back(title, std::stod(chapter.value("start_time", "0")));
  }
  return probe;
}

std::string Tag(const TProbe& probe, const std::string& key) {
  const auto found = probe.Tags.find(key);
  return found == probe.Tags.end() ? std::string() : found->second;
}

// The file decoded by ffmpeg as 16-bit PCM of the rate and channels; the errors it met on stderr.
TChildResult Decode(const std::string& fileName, int rate, int channels) {
  return TChild({"/usr/bin/ffmpeg", "-v", "error", "-i", fileName, "-map", "0:a", "-f", "s16le", "-ac",
                 std::to_string(channels), "-ar", std::to_string(rate), "-"},
                {}, fs::path(fileName).parent_path())
      .Wait();
}

// The attached picture's bytes, as stored.
std::string CoverOf(const std::string& fileName) {
  return TChild({"/usr/bin/ffmpeg", "-v", "error", "-i", fileName, "-map", "0:v", "-c", "copy", "-f",
                 "image2pipe", "-"},
                {}, fs::path(fileName).parent_path())
      .Wait()
      .Stdout;
}

// The chapters of an FFmpeg metadata file: title and start in seconds.
std::vector<std::pair<std::string, double>> MetadataChapters(const std::string& text, int rate) {
  std::vector<std::pair<std::string, double>> chapters;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    if (line == "[CHAPTER]") chapters.emplace_back();
    if (chapters.empty()) continue;
    if (line.starts_with("START=")) chapters.back().second = std::stod(line.substr(6)) / rate;
    if (line.starts_with("title=")) chapters.back().first = line.substr(6);
  }
  return chapters;
}

// Normalised correlation of two 16-bit signals over the first `bytes`.
double Correlation(const std::string& a, const std::string& b, size_t bytes) {
  double ab = 0, aa = 0, bb = 0;
  for (size_t i = 0; i + 1 < bytes; i += 2) {
    const double x = static_cast<int16_t>(uint16_t(uint8_t(a[i])) | uint16_t(uint8_t(a[i + 1])) << 8);
    const double y = static_cast<int16_t>(uint16_t(uint8_t(b[i])) | uint16_t(uint8_t(b[i + 1])) << 8);
    ab += x * y;
    aa += x * x;
    bb += y * y;
  }
  return aa > 0 && bb > 0 ? ab / std::sqrt(aa * bb) : 0;
}

class EncodedOutput : public SonacliE2e {
 protected:
  std::string MakeCover() {
    const std::string name = File("cover.png");
    const TChildResult run = TChild({"/usr/bin/ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i",
                                     "testsrc=size=64x48", "-frames:v", "1", name},
                                    {}, dir_.Path())
                                 .Wait();
    EXPECT_EQ(run.ExitCode, 0) << run.Stderr;
    return name;
  }

  // The speech of two chapters, from a list file; the chapter file of a WAV run gives their starts.
  std::vector<std::string> Speech(const std::string& output, const std::vector<std::string>& extra) {
    Write("part1.txt", "Part One\nFirst sentence.{{pause=300}} A second and longer sentence.\n");
    Write("part2.txt", "Часть \"вторая\"\nThird one.\n");
    const std::string list = Write("book.lst", File("part1.txt") + "\n" + File("part2.txt") + "\n");
    std::vector<std::string> args = {"-k", kCloudKey, "-w", output, "-fl", list};
    args.insert(args.end(), extra.begin(), extra.end());
    return args;
  }
};

struct TFormatRow {
  const char* extension;
  const char* codec;
  bool stereo;
  int rate;         // of the PCM and of the decoded audio
  int frameLength;  // sample frames of one codec frame at `rate`
  bool lossless;
  const char* bitrate = nullptr;  // --bitrate; null for the default
};

// Every row at its format's default bitrate: the defaults must keep the waveform (Opus in stereo
// at 48 kbit/s coded the channels jointly and correlated at 0.988 only, hence its 64).
const TFormatRow kFormats[] = {
    {"opus", "opus", false, 24000, 480, false}, {"opus", "opus", true, 48000, 960, false},
    {"mp3", "mp3", false, 24000, 576, false},   {"mp3", "mp3", true, 48000, 1152, false},
    {"m4b", "aac", false, 24000, 1024, false},  {"m4b", "aac", true, 48000, 1024, false},
    {"flac", "flac", false, 24000, 4608, true}, {"flac", "flac", true, 48000, 4608, true},
};

// Every format, mono and stereo: codec, rate, channels, duration, tags and cover as asked, and the
// decoded audio as long as the WAV of the same speech and alike (FLAC: equal).
TEST_F(EncodedOutput, EveryFormatHoldsTheSpeechWithItsTagsAndCover) {
  const std::string cover = MakeCover();
  const std::string title = "Книга \"первая\" ' 書";
  for (const TFormatRow& row : kFormats) {
    const std::string name = std::string(row.extension) + (row.stereo ? " stereo" : " mono");
    SCOPED_TRACE(name);
    std::vector<std::string> extra = {"-fr", std::to_string(row.rate / 1000)};
    if (row.stereo) extra.push_back("-stereo");
    std::vector<std::string> wavExtra = extra;
    wavExtra.insert(wavExtra.end(), {"--chapters", File("ref.ffmeta")});
    const TChildResult wavRun = Run(Speech(File("ref.wav"), wavExtra));
    ASSERT_EQ(wavRun.ExitCode, 0) << wavRun.Stdout;
    const TWavFile wav = ParseWav(ReadFile(File("ref.wav")));
    ASSERT_TRUE(wav.Valid);
    const int channels = row.stereo ? 2 : 1;
    const size_t frames = wav.Samples.size() / (2 * channels);

    const std::string output = File("out." + std::string(row.extension));
    extra.insert(extra.end(), {"--title", title, "--author", "Автор O'Brien", "--cover", cover});
    if (row.bitrate != nullptr) extra.insert(extra.end(), {"--bitrate", row.bitrate});
    const TChildResult run = Run(Speech(output, extra));
    ASSERT_EQ(run.ExitCode, 0) << run.Stdout << run.Stderr;
    EXPECT_EQ(run.Stdout, "");

    const TProbe probe = Probe(output);
    EXPECT_EQ(probe.Codec, row.codec);
    EXPECT_EQ(probe.Rate, std::string(row.codec) == "opus" ? 48000 : row.rate);
    EXPECT_EQ(probe.Channels, channels);
    EXPECT_NEAR(probe.Seconds, double(frames) / row.rate, double(row.frameLength) / row.rate);
    EXPECT_EQ(Tag(probe, "title"), title);
    EXPECT_EQ(Tag(probe, "album"), title);
    EXPECT_EQ(Tag(probe, "artist"), "Автор O'Brien");
    EXPECT_EQ(Tag(probe, "album_artist"), "Автор O'Brien");
    EXPECT_TRUE(probe.HasCover);
    EXPECT_EQ(CoverOf(output), ReadFile(cover));
    // The chapters at the PCM's times (ffprobe gives those of MP3, Ogg and FLAC in milliseconds).
    const auto expected = MetadataChapters(ReadFile(File("ref.ffmeta")), row.rate);
    ASSERT_EQ(expected.size(), 2u);
    EXPECT_EQ(expected[0].first, "Part One");
    EXPECT_EQ(expected[1].first, "Часть \"вторая\"");
    EXPECT_GT(expected[1].second, 1.0);
    ASSERT_EQ(probe.Chapters.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
      EXPECT_EQ(probe.Chapters[i].first, expected[i].first);
      EXPECT_NEAR(probe.Chapters[i].second, expected[i].second, 0.001);
    }

    const TChildResult decoded = Decode(output, row.rate, channels);
    EXPECT_EQ(decoded.Stderr, "");
    const std::string& pcm = decoded.Stdout;
    if (std::string(row.codec) == "aac") {
      // The ffmpeg program hands out the last AAC frame whole, past the end the edit list gives
      // (a gapless player stops there): at most one frame more.
      EXPECT_GE(pcm.size(), wav.Samples.size());
      EXPECT_LT(pcm.size(), wav.Samples.size() + size_t(2 * channels * row.frameLength));
    } else {
      EXPECT_EQ(pcm.size(), wav.Samples.size());
    }
    if (row.lossless) {
      EXPECT_TRUE(SameAudio(pcm, wav.Samples));
    } else {
      EXPECT_GE(Correlation(pcm, wav.Samples, std::min(pcm.size(), wav.Samples.size())), 0.99);
    }
  }
}

// The same speech gives the same bytes whether its requests go one or four at a time, and when
// every answer comes from the cache.
TEST_F(EncodedOutput, JobsAndTheCacheGiveTheSameBytes) {
  std::vector<std::string> pieces;
  for (int i = 0; i < 8; ++i)
    pieces.insert(pieces.end(), {"-t", "Sentence number " + std::to_string(i) + "."});
  for (const char* extension : {"opus", "mp3", "m4b", "flac"}) {
    SCOPED_TRACE(extension);
    const std::vector<std::vector<std::string>> runs = {
        {"--jobs", "1"},
        {"--jobs", "4", "--cache", File(std::string("cache-") + extension)},
        {"--jobs", "4", "--cache", File(std::string("cache-") + extension)}};
    std::vector<std::string> files;
    for (const std::vector<std::string>& options : runs) {
      const std::string output = File("same." + std::string(extension));
      std::vector<std::string> args = {"-k", kCloudKey, "-w", output};
      args.insert(args.end(), options.begin(), options.end());
      args.insert(args.end(), pieces.begin(), pieces.end());
      const TChildResult run = Run(args);
      ASSERT_EQ(run.ExitCode, 0) << run.Stdout;
      files.push_back(ReadFile(output));
    }
    EXPECT_FALSE(files[0].empty());
    EXPECT_TRUE(files[0] == files[1]);
    EXPECT_TRUE(files[0] == files[2]);
  }
}

// A full disk (here a file-size limit) is reported, the run fails, and the file of the name from
// before stays as it was: an encoded file cut short would not play.
TEST_F(EncodedOutput, FullDiskIsReportedAndTheOldFileStays) {
  for (const char* extension : {"opus", "mp3", "m4b", "flac"}) {
    SCOPED_TRACE(extension);
    const std::string output = Write(std::string("full.") + extension, "the old file");
    std::string pieces;
    for (int i = 0; i < 6; ++i)
      pieces += " -t 'A sentence long enough to fill the disk number " + std::to_string(i) + ".'";
    const TChildResult run =
        Shell("ulimit -f 8; exec \"$SONACLI\" -k " + std::string(kCloudKey) + " -w " + output + pieces);
    EXPECT_EQ(run.ExitCode, 1);
    EXPECT_EQ(run.Stdout, "\n[Error] Cannot write the audio file: File too large\n");
    EXPECT_EQ(ReadFile(output), "the old file");
    EXPECT_TRUE(Temporaries().empty());
  }
}

// Ctrl-C while a request is held: the file of what was made is complete and decodes to its end.
TEST_F(EncodedOutput, InterruptedRunLeavesAFileThatPlaysToItsEnd) {
  for (const char* extension : {"opus", "mp3", "m4b", "flac"}) {
    SCOPED_TRACE(extension);
    standin_->SetScript(R"({"rules":[{"text_contains":"Two","delay_ms":30000}]})");
    const size_t before = RequestTexts().size();
    const std::string output = File(std::string("cut.") + extension);
    auto child = Start({"-k", kCloudKey, "-w", output, "-t", "One.", "-t", "Two.", "-t", "Three."});
    ASSERT_TRUE(WaitUntil([&] { return RequestTexts().size() >= before + 3; }));
    std::this_thread::sleep_for(100ms);
    kill(child->Pid(), SIGINT);
    const TChildResult run = child->Wait();
    EXPECT_EQ(run.ExitCode, 130);
    const TChildResult decoded = TChild({"/usr/bin/ffmpeg", "-v", "error", "-xerror", "-i", output, "-map",
                                         "0:a", "-f", "s16le", "-ac", "1", "-ar", "24000", "-"},
                                        {}, dir_.Path())
                                     .Wait();
    EXPECT_EQ(decoded.ExitCode, 0);
    EXPECT_EQ(decoded.Stderr, "");
    // The first piece only (AAC: up to one frame more, see above).
    EXPECT_GE(decoded.Stdout.size(), 2 * SpeechFrames(4));
    EXPECT_LT(decoded.Stdout.size(), 2 * SpeechFrames(4) + 2 * 1024);
    EXPECT_TRUE(Temporaries().empty());
  }
}

// Ctrl-C before any audio was made is the user's choice, not an error: nothing is printed, the exit
// code is the interruption's, and an old file stays, in every format and on standard output.
TEST_F(EncodedOutput, InterruptionBeforeAnyAudioIsNoError) {
  for (const char* output : {"old.wav", "old.opus", "old.mp3", "old.m4b", "old.flac", ""}) {
    SCOPED_TRACE(*output ? output : "-o --format mp3");
    standin_->SetScript(R"({"rules":[{"text_contains":"One","delay_ms":30000}]})");
    const size_t before = RequestTexts().size();
    std::vector<std::string> args = {"-k", kCloudKey, "-t", "One.", "-t", "Two."};
    if (*output) {
      Write(output, "the old file");
      args.insert(args.end(), {"-w", File(output)});
    } else {
      args.insert(args.end(), {"-o", "--format", "mp3"});
    }
    auto child = Start(args);
    // The probe and the first piece, which is held.
    ASSERT_TRUE(WaitUntil([&] { return RequestTexts().size() >= before + 2; }));
    std::this_thread::sleep_for(100ms);
    kill(child->Pid(), SIGINT);
    const TChildResult run = child->Wait();
    EXPECT_EQ(run.ExitCode, 130);
    EXPECT_EQ(run.Stderr, "");
    if (*output) {
      EXPECT_EQ(run.Stdout, "");
      EXPECT_EQ(ReadFile(File(output)), "the old file");
    }
    EXPECT_TRUE(Temporaries().empty());
  }
}

// Subtitle mode writes the encoded formats too.
TEST_F(EncodedOutput, SubtitleModeWritesEveryFormat) {
  const std::string subtitles = Write("film.srt", Srt({{"00:00:01,000 --> 00:00:03,000", "Hello there."},
                                                       {"00:00:04,000 --> 00:00:06,000", "Goodbye now."}}));
  for (const char* extension : {"opus", "mp3", "m4b", "flac"}) {
    SCOPED_TRACE(extension);
    const std::string output = File(std::string("film.") + extension);
    const TChildResult run = Run({"-k", kCloudKey, "-f", subtitles, "-w", output});
    ASSERT_EQ(run.ExitCode, 0) << run.Stdout;
    const TChildResult wavRun = Run({"-k", kCloudKey, "-f", subtitles, "-w", File("film.wav")});
    ASSERT_EQ(wavRun.ExitCode, 0) << wavRun.Stdout;
    const TWavFile wav = ParseWav(ReadFile(File("film.wav")));
    const TProbe probe = Probe(output);
    EXPECT_EQ(Tag(probe, "title"), "film");  // the input file's name
    EXPECT_NEAR(probe.Seconds, double(wav.Samples.size() / 2) / 24000, 1024.0 / 24000);
    EXPECT_EQ(Decode(output, 24000, 1).Stderr, "");
  }
}

// Titles in any script, with quotes, line breaks and 1,000 characters, from the input file's name
// or from --title, reach every format whole (a line break as a space in the title tag).
TEST_F(EncodedOutput, TitlesOfAnyKind) {
  std::string thousand;
  while (thousand.size() < 1000) thousand += "Заголовок \"длинный\" ";
  thousand.resize(1000);
  const struct {
    const char* name;
    std::string title;
    std::string stored;
  } rows[] = {
      {"quotes and scripts", "«Ёлка» \"x\" 'y' 日本 עברית", "«Ёлка» \"x\" 'y' 日本 עברית"},
      {"a line break", "Line one\nLine two", "Line one Line two"},
      {"1,000 characters", thousand, thousand},
  };
  for (const auto& row : rows) {
    for (const char* extension : {"opus", "mp3", "m4b", "flac"}) {
      SCOPED_TRACE(std::string(row.name) + " " + extension);
      const std::string output = File(std::string("title.") + extension);
      const TChildResult run = Run({"-k", kCloudKey, "-w", output, "-t", "Hello.", "--title", row.title});
      ASSERT_EQ(run.ExitCode, 0) << run.Stdout;
      const std::string stored = Tag(Probe(output), "title");
      // Vorbis comments and MP4 keep a line break; ID3v2 too. Either form is the title.
      EXPECT_TRUE(stored == row.title || stored == row.stored) << stored;
    }
  }
}

// Chapters beyond what a format holds (ID3v2's table of contents counts 255) are left out with a
// warning on standard error; the run succeeds with the audio whole.
TEST_F(EncodedOutput, ChaptersBeyondTheFormatsLimitAreAWarning) {
  std::string text;
  for (int i = 1; i <= 256; ++i)
    text += "{{chapter=C" + std::to_string(i) + "}}W" + std::to_string(i) + ".\n";
  const std::string input = Write("many.txt", text);
  const TChildResult run = Run({"-k", kCloudKey, "-f", input, "-w", File("many.mp3"), "--jobs", "8"});
  EXPECT_EQ(run.ExitCode, 0) << run.Stdout;
  EXPECT_EQ(run.Stdout, "");
  EXPECT_EQ(run.Stderr, "[Warning] Only the first 255 of 256 chapters are stored: MP3 holds no more\n");
  const TProbe probe = Probe(File("many.mp3"));
  ASSERT_EQ(probe.Chapters.size(), 255u);
  EXPECT_EQ(probe.Chapters.back().first, "C255");
}

// Option values that cannot give an output are refused before any request, with a clear message.
TEST_F(EncodedOutput, BadValuesAreRefusedBeforeAnyRequest) {
  Write("not-a-picture.png", "GIF89a not a png");
  // A PNG that declares 20000 x 20000 pixels in a few bytes.
  Write("huge.png", std::string("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR\0\0\x4E\x20\0\0\x4E\x20\x08\x02\0\0\0", 29) +
                        std::string(48 * 1024, '\0'));
  fs::create_directory(File("covers"));
  ASSERT_EQ(mkfifo(File("fifo.png").c_str(), 0600), 0);
  const struct {
    std::vector<std::string> args;
    std::string message;
    bool toStderr;
  } rows[] = {
      {{"-o", "--format", "m4b"}, "[Error] M4B output needs a file it can seek in: use -w with .m4b\n", true},
      {{"-o", "--format", "ogg"},
       "[Error] Unknown output format: ogg (known: wav, raw, opus, mp3, flac)\n",
       true},
      {{"-w", File("a.mp3"), "--bitrate", "0"},
       "\n[Error] Wrong bitrate value (a whole number of kbps from 1 up): 0\n",
       false},
      {{"-w", File("a.mp3"), "--bitrate", "abc"},
       "\n[Error] Wrong bitrate value (a whole number of kbps from 1 up): abc\n",
       false},
      {{"-w", File("a.opus"), "--bitrate", "10000"},
       "\n[Error] Bitrate out of range for Opus: 6 to 256 kbps\n",
       false},
      {{"-w", File("a.flac"), "--bitrate", "64"},
       "\n[Error] FLAC is lossless: a bitrate does not apply\n",
       false},
      {{"-w", File("a.wma")},
       "\n[Error] Unknown output file extension: .wma (known: .wav, .opus, .ogg, .mp3, .m4b, .m4a, .flac)\n",
       false},
      {{"-w", File("a.opus"), "-fr", "44"},
       "\n[Error] Opus output needs a sample rate of 8, 16, 24 or 48 kHz\n",
       false},
      {{"-w", File("a.m4b"), "--cover", File("not-a-picture.png")},
       "\n[Error] Cover is not a JPEG or PNG image\n",
       false},
      {{"-w", File("a.m4b"), "--cover", File("missing.png")},
       "\n[Error] Cover file not found: missing.png\n",
       false},
      {{"-w", File("a.m4b"), "--cover", File("huge.png")},
       "\n[Error] Cover image is too large: 20000x20000 pixels (at most 8000 a side)\n",
       false},
      {{"-w", File("a.m4b"), "--cover", File("covers")}, "\n[Error] Cover file is a folder: covers\n", false},
      {{"-w", File("a.m4b"), "--cover", File("covers") + "/"},
       "\n[Error] Cover file is a folder: " + File("covers") + "/\n",
       false},
      {{"-w", File("a.m4b"), "--cover", File("fifo.png")},
       "\n[Error] Cover file is not a regular file: fifo.png\n",
       false},
      {{"-w", File("a.m4b"), "--cover", "/dev/zero"},
       "\n[Error] Cover file is not a regular file: zero\n",
       false},
      {{"-w", File("a.m4b"), "--split-chapters", File("not-a-picture.png") + "/chapters"},
       "\n[Error] Cannot create the chapter folder: " + File("not-a-picture.png") + "/chapters\n",
       false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.message);
    std::vector<std::string> args = {"-k", kCloudKey, "-t", "Hello."};
    args.insert(args.end(), row.args.begin(), row.args.end());
    const TChildResult run = Run(args);
    EXPECT_EQ(run.ExitCode, 1);
    EXPECT_EQ(row.toStderr ? run.Stderr : run.Stdout, row.message);
    EXPECT_TRUE(RequestTexts().empty());
  }
  EXPECT_FALSE(fs::exists(File("a.mp3")));
}

// --split-chapters: the whole file as always, and one file per chapter named after it, holding
// the chapter's audio: exactly (WAV, MP3, whose decoder drops the priming and padding the LAME header
// gives) or up to the last AAC frame (M4B, see above).
TEST_F(EncodedOutput, SplitChaptersWritesAFilePerChapter) {
  Write("one.txt", "Tale: one?\nOnce upon a time.\n");
  Write("two.txt", "Вторая\nThe end.\n");
  const std::string list = Write("tale.lst", File("one.txt") + "\n" + File("two.txt") + "\n");
  for (const char* extension : {"wav", "mp3", "m4b"}) {
    SCOPED_TRACE(extension);
    const std::string ext = std::string(".") + extension;
    const std::string output = File("tale" + ext);
    const std::string folder = File(std::string("chapters-") + extension);
    const TChildResult run = Run({"-k", kCloudKey, "-fl", list, "-w", output, "--split-chapters", folder,
                                  "--chapters", File("tale.ffmeta")});
    ASSERT_EQ(run.ExitCode, 0) << run.Stdout;
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 2);
    const auto chapters = MetadataChapters(ReadFile(File("tale.ffmeta")), 24000);
    ASSERT_EQ(chapters.size(), 2u);
    const size_t split = static_cast<size_t>(std::lround(chapters[1].second * 24000)) * 2;
    const std::string whole = Decode(output, 24000, 1).Stdout;
    const std::string parts[] = {Decode(folder + "/001 Tale_ one_" + ext, 24000, 1).Stdout,
                                 Decode(folder + "/002 Вторая" + ext, 24000, 1).Stdout};
    const size_t lengths[] = {split, whole.size() - split};
    for (size_t i = 0; i < 2; ++i) {
      if (std::string(extension) == "m4b") {
        EXPECT_GE(parts[i].size(), lengths[i]);
        EXPECT_LT(parts[i].size(), lengths[i] + 2 * 1024);
      } else {
        EXPECT_EQ(parts[i].size(), lengths[i]);
      }
    }
    if (std::string(extension) == "wav") {
      EXPECT_EQ(parts[0] + parts[1], whole);
    }
  }
}

}  // namespace
}  // namespace sonacli::testing
