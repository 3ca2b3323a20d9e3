// Runs that used to destroy, corrupt or lose their output, or leak internal texts: a full disk
// at the end, memory limits, outputs over the plain WAV size, endless inputs, sync files in a code
// page too small for the text, multi-channel and damaged inserts.
#include <gtest/gtest.h>
#include <sys/mount.h>

#include <algorithm>
#include <cstdio>
#include <map>

#include "e2e/e2e_fixture.h"

#if defined(__SANITIZE_ADDRESS__)
#define SONACLI_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define SONACLI_UNDER_ASAN 1
#endif
#endif

namespace sonacli::testing {
namespace {

namespace fs = std::filesystem;

// The sanitizers reserve terabytes of address space, so an address-space limit stops them first.
constexpr bool kUnderSanitizers =
#ifdef SONACLI_UNDER_ASAN
    true;
#else
    false;
#endif

// A small tmpfs, unmounted at the end; Mounted() is false where mounting is not allowed.
class TSmallDisk {
 public:
  TSmallDisk(const fs::path& folder, const std::string& size) : folder_(folder) {
    fs::create_directory(folder_);
    mounted_ = mount("tmpfs", folder_.c_str(), "tmpfs", 0, ("size=" + size).c_str()) == 0;
  }
  ~TSmallDisk() {
    if (mounted_) umount2(folder_.c_str(), MNT_DETACH);
  }
  TSmallDisk(const TSmallDisk&) = delete;
  TSmallDisk& operator=(const TSmallDisk&) = delete;
  bool Mounted() const { return mounted_; }
  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder_)) {
      names.push_back(entry.path().filename().string());
    }
    return names;
  }

 private:
  fs::path folder_;
  bool mounted_ = false;
};

uint32_t Get32(const std::string& bytes, size_t at) {
  return uint32_t(uint8_t(bytes[at])) | uint32_t(uint8_t(bytes[at + 1])) << 8 |
         uint32_t(uint8_t(bytes[at + 2])) << 16 | uint32_t(uint8_t(bytes[at + 3])) << 24;
}

uint64_t Get64(const std::string& bytes, size_t at) {
  return uint64_t(Get32(bytes, at)) | uint64_t(Get32(bytes, at + 4)) << 32;
}

TEST_F(SonacliE2e, OutputThatOutgrowsItsDiskKeepsWhatFitInPlaceOfTheOldOne) {
  const TSmallDisk disk(dir_.Path() / "small", "200k");
  if (!disk.Mounted()) GTEST_SKIP() << "no tmpfs can be mounted here";
  const std::string target = (dir_.Path() / "small" / "x.wav").string();

  // What fits is written in place, with nothing left beside it.
  const TChildResult fits = Run({"-k", kCloudKey, "-w", target, "-t", "One."});
  EXPECT_EQ(fits.ExitCode, 0);
  EXPECT_EQ(disk.Entries(), std::vector<std::string>{"x.wav"});
  const TWavFile first = ParseWav(ReadFile(target));
  EXPECT_EQ(first.Samples.size(), 2 * SpeechFrames(4));

  // 10 s of pause at 24000 Hz mono is 480,000 bytes, more than the disk holds beside the old
  // output, which stays until the new one ends: the new one is cut where the disk filled, made
  // valid and put in the old one's place.
  const TChildResult tooBig = Run({"-k", kCloudKey, "-w", target, "-t", "Two.{{pause=10000}}"});
  EXPECT_EQ(tooBig.ExitCode, 1);
  EXPECT_EQ(tooBig.Stdout, "\n[Error] Failed to save audio file\n");
  EXPECT_EQ(disk.Entries(), std::vector<std::string>{"x.wav"});
  const TWavFile cut = ParseWav(ReadFile(target));
  ASSERT_TRUE(cut.Valid);
  EXPECT_EQ(cut.DataSize, cut.Samples.size());
  EXPECT_GT(cut.Samples.size(), 2 * SpeechFrames(4));
  EXPECT_LT(cut.Samples.size(), 200u * 1024 - first.Samples.size());
}

TEST_F(SonacliE2e, LongPauseIsWrittenWithinAMemoryLimit) {
  if (kUnderSanitizers) GTEST_SKIP() << "the sanitizers' shadow memory outweighs what is measured";
  // 2,000,000 ms at 24000 Hz mono is 96,000,000 bytes; the whole program, with its libraries
  // (FFmpeg's among them), runs this in under 40 MB of resident memory. Built in memory at once, the
  // pause alone would take the peak past the limit. The resident peak is measured rather than the
  // address space limited: the libraries map far more than they touch (FFmpeg's about 190 MB).
  constexpr uint64_t kPeakLimitKiB = 90 * 1024;
  const TChildResult run =
      Shell("/usr/bin/time -f %M -o " + File("peak.txt") + " \"$SONACLI\" -k " + std::string(kCloudKey) +
            " -w " + File("out.wav") + " -t 'One.{{pause=2000000}}Two.'");
  const uint64_t peakKiB = std::stoull("0" + ReadFile(File("peak.txt")));
  EXPECT_GT(peakKiB, 0u);
  EXPECT_LT(peakKiB, kPeakLimitKiB);
  EXPECT_EQ(run.ExitCode, 0) << run.Stdout << run.Stderr;
  EXPECT_EQ(run.Stdout, "");
  const uint64_t pauseBytes = 2000000ull * 48;
  EXPECT_EQ(fs::file_size(File("out.wav")), 44 + pauseBytes + 4 * SpeechFrames(4));
  const TWavFile wav = ParseWav(ReadFile(File("out.wav")));
  EXPECT_EQ(wav.DataSize, pauseBytes + 4 * SpeechFrames(4));
  EXPECT_EQ(wav.Samples.find_first_not_of('\0', 2 * SpeechFrames(4)), 2 * SpeechFrames(4) + pauseBytes);
}

TEST_F(SonacliE2e, OutputOverThePlainWavLimitBecomesRf64) {
  // Only tests lower the limit, so that the switch can be seen without writing 4 GiB.
  environment_["SONACLI_TEST_PLAIN_WAV_LIMIT"] = "20000";
  const size_t dataSize = 2 * (SpeechFrames(4) + 24000);
  const std::string bigger = "One.{{pause=1000}}";

  const TChildResult toFile = Run({"-k", kCloudKey, "-w", File("out.wav"), "-t", bigger});
  ASSERT_EQ(toFile.ExitCode, 0) << toFile.Stdout;
  const TChildResult toStdout = Run({"-k", kCloudKey, "-o", "-t", bigger});
  ASSERT_EQ(toStdout.ExitCode, 0);
  for (const std::string& bytes : {ReadFile(File("out.wav")), toStdout.Stdout}) {
    ASSERT_EQ(bytes.size(), 80 + dataSize);
    EXPECT_EQ(bytes.substr(0, 4), "RF64");
    EXPECT_EQ(Get32(bytes, 4), 0xFFFFFFFFu);
    EXPECT_EQ(bytes.substr(8, 8), "WAVEds64");
    EXPECT_EQ(Get32(bytes, 16), 28u);
    EXPECT_EQ(Get64(bytes, 20), bytes.size() - 8);
    EXPECT_EQ(Get64(bytes, 28), dataSize);
    EXPECT_EQ(Get64(bytes, 36), dataSize / 2);
    EXPECT_EQ(bytes.substr(48, 4), "fmt ");
    EXPECT_EQ(bytes.substr(72, 4), "data");
    EXPECT_EQ(Get32(bytes, 76), 0xFFFFFFFFu);
  }
  // Real readers take it for the whole audio.
  Write("stdout.wav", toStdout.Stdout);
  for (const std::string& name : {File("out.wav"), File("stdout.wav")}) {
    const TChildResult soxi = TChild({"/usr/bin/soxi", "-s", name}, {}, dir_.Path()).Wait();
    EXPECT_EQ(soxi.Stdout, std::to_string(dataSize / 2) + "\n");
    const TChildResult ffprobe = TChild({"/usr/bin/ffprobe", "-v", "error", "-show_entries",
                                         "stream=duration_ts", "-of", "csv=p=0", name},
                                        {}, dir_.Path())
                                     .Wait();
    EXPECT_EQ(ffprobe.Stdout, std::to_string(dataSize / 2) + "\n");
  }
  // An output within the limit keeps the canonical header.
  const TChildResult small = Run({"-k", kCloudKey, "-w", File("small.wav"), "-t", "Hi."});
  EXPECT_EQ(small.ExitCode, 0);
  EXPECT_EQ(ReadFile(File("small.wav")).substr(0, 4), "RIFF");
}

TEST_F(SonacliE2e, EndlessOrHugeSettingFilesAreRefusedWithAClearMessage) {
  // Without the fix these reads never end; the limits keep a failing test from taking the machine.
  const std::string limits =
#ifdef SONACLI_UNDER_ASAN
      "";
#else
      "ulimit -v 4000000; ";
#endif
  const std::string huge = File("huge.cfg");
  std::FILE* file = std::fopen(huge.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  const std::string line(1 << 20, ' ');
  for (int i = 0; i < 65; ++i) std::fwrite(line.data(), 1, line.size(), file);
  std::fclose(file);
  // Dictionaries are known by their extensions.
  const std::string zeroDic = File("zero.dic");
  const std::string zeroBxd = File("zero.bxd");
  fs::create_symlink("/dev/zero", zeroDic);
  fs::create_symlink("/dev/zero", zeroBxd);

  const std::vector<std::pair<std::string, std::string>> cases = {{"-cfg /dev/zero", "/dev/zero"},
                                                                  {"-fl /dev/zero", "/dev/zero"},
                                                                  {"-d " + zeroDic + " -t Hi.", zeroDic},
                                                                  {"-d " + zeroBxd + " -t Hi.", zeroBxd},
                                                                  {"-cfg " + huge, huge},
                                                                  {"-f /dev/zero", "/dev/zero"},
                                                                  {"-i < /dev/zero", "standard input"}};
  for (const auto& [arguments, name] : cases) {
    const TChildResult run = Shell(limits + "timeout 60 \"$SONACLI\" -k " + std::string(kCloudKey) + " -w " +
                                   File("out.wav") + " " + arguments);
    EXPECT_EQ(run.ExitCode, 1) << arguments;
    EXPECT_EQ(run.Stdout, "\n[Error] Too large to read: " + name + "\n") << arguments;
    EXPECT_EQ(run.Stderr, "") << arguments;
  }
}

TEST_F(SonacliE2e, RunningOutOfMemoryIsReportedInTheProgramsWords) {
  if (kUnderSanitizers) GTEST_SKIP() << "address-space limits do not work under AddressSanitizer";
  // A long text read whole needs several times its size; the limit does not leave that.
  const std::string input = File("long.txt");
  std::FILE* file = std::fopen(input.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  const std::string line = std::string(99, 'a') + "\n";
  for (int i = 0; i < 600000; ++i) std::fwrite(line.data(), 1, line.size(), file);
  std::fclose(file);
  const TChildResult run = Shell("ulimit -v 300000; \"$SONACLI\" -k " + std::string(kCloudKey) + " -w " +
                                 File("out.wav") + " -f " + input);
  EXPECT_EQ(run.ExitCode, 1);
  EXPECT_EQ(run.Stdout, "\n[Error] Not enough memory\n");
  EXPECT_EQ(run.Stderr, "");
}

TEST_F(SonacliE2e, SyncFilesTurnToUtf8WhenTheAnsiCodePageCannotHoldTheText) {
  const std::string text = "\xD0\x9A\xD0\xBE\xD0\xBD\xD0\xB5\xD1\x86.";  // "Конец."
  struct TCase {
    std::string CodePage;
    std::string Lrc;
    std::string SrtText;
  };
  const std::vector<TCase> cases = {
      {"1252", "\xEF\xBB\xBF[re:Sonarel]\r\n[00:00.00]" + text + "\r\n", text},
      {"1251", "[re:Sonarel]\r\n[00:00.00]\xCA\xEE\xED\xE5\xF6.\r\n", "\xCA\xEE\xED\xE5\xF6."},
  };
  for (const TCase& c : cases) {
    environment_["SONACLI_ANSI_CODEPAGE"] = c.CodePage;
    const TChildResult run = Run({"-k", kCloudKey, "-w", File("out.wav"), "-lrc", "-srt", "-t", text});
    EXPECT_EQ(run.ExitCode, 0);
    EXPECT_EQ(ReadFile(File("out.lrc")), c.Lrc) << c.CodePage;
    const std::string srt = ReadFile(File("out.srt"));
    EXPECT_EQ(srt.substr(0, 3) == "\xEF\xBB\xBF", c.CodePage == "1252");
    EXPECT_NE(srt.find("\r\n" + c.SrtText + "\r\n"), std::string::npos) << c.CodePage;
  }
}

TEST_F(SonacliE2e, InsertWithManyChannelsIsMixedDownToTheOutputChannels) {
  const std::string mono = MakeToneWav("mono.wav", 500, 24000);
  const std::string six = File("six.wav");
  ASSERT_EQ(TChild({"/usr/bin/sox", mono, "-c", "6", six}, {}, dir_.Path()).Wait().ExitCode, 0);
  const std::string tone = ParseWav(ReadFile(mono)).Samples;
  ASSERT_EQ(tone.size(), 24000u);

  for (const bool stereo : {false, true}) {
    std::vector<std::string> args = {"-k", kCloudKey, "-w", File("out.wav"), "-t", "{{audio=" + six + "}}"};
    if (stereo) args.push_back("-stereo");
    const TChildResult run = Run(args);
    EXPECT_EQ(run.ExitCode, 0) << run.Stdout;
    const TWavFile wav = ParseWav(ReadFile(File("out.wav")));
    ASSERT_EQ(wav.Channels, stereo ? 2 : 1);
    ASSERT_EQ(wav.Samples.size(), tone.size() * wav.Channels);
    std::string left;
    for (size_t at = 0; at < wav.Samples.size(); at += 2 * wav.Channels) {
      left += wav.Samples.substr(at, 2);
      if (stereo) {
        EXPECT_EQ(wav.Samples.substr(at, 2), wav.Samples.substr(at + 2, 2)) << at;
      }
    }
    EXPECT_TRUE(SameAudio(left, tone)) << "stereo " << stereo;
  }
}

TEST_F(SonacliE2e, DamagedMp3InsertLeavesTheTerminalToTheProgram) {
  const std::string good = File("good.mp3");
  ASSERT_EQ(TChild({"/usr/bin/ffmpeg", "-v", "error", "-f", "lavfi", "-i", "sine=f=440:d=2", "-ar", "24000",
                    "-b:a", "64k", good},
                   {}, dir_.Path())
                .Wait()
                .ExitCode,
            0);
  // Garbage in the middle of the frames.
  std::string bytes = ReadFile(good);
  ASSERT_GT(bytes.size(), 8000u);
  for (size_t at = 3000; at < 6000; ++at) bytes[at] = static_cast<char>(at * 7919 % 251);
  const std::string damaged = Write("damaged.mp3", bytes);

  const TChildResult run = Run({"-k", kCloudKey, "-w", File("out.wav"), "-t", "{{audio=" + damaged + "}}"});
  EXPECT_EQ(run.Stderr, "");
}

// No output takes the place of a file the run reads, under its own name or another (a hard link, a
// symbolic link), nor of another output: each is refused before any request, and every file stays
// as it was.
TEST_F(SonacliE2e, OutputsThatAreInputsAreRefusedBeforeAnyRequest) {
  const std::string mine = Write("mine.txt", "Hello there.\n");
  const std::string textWav = Write("a.wav", "A text that is named like a sound file.\n");
  const std::string list = Write("list.txt", mine + "\n");
  const std::string dictionary = Write("names.dic", "there=here\n");
  const std::string chime = MakeToneWav("chime.wav", 200, 24000);
  const std::string cover = Write("cover.png", "\x89PNG\r\n\x1a\n not read before the check");
  const std::string config = Write("my.cfg", "-dbr 0\n");
  fs::create_hard_link(mine, File("hard.srt"));
  fs::create_symlink(mine, File("soft.wav"));
  fs::create_directory(File("parts"));
  fs::copy_file(chime, File("parts/001 Chime.wav"));
  const std::string insert = "{{audio=" + File("parts/001 Chime.wav") + "}}";
  const struct {
    std::vector<std::string> Arguments;
    std::string Message;
  } rows[] = {
      {{"-f", mine, "-w", File("mine.wav"), "--chapters", mine},
       "Chapter file would overwrite an input file: mine.txt"},
      {{"-f", textWav, "-w", textWav}, "Output file would overwrite an input file: a.wav"},
      {{"-f", mine, "-w", File("out.wav"), "-lrc", "--lrc-fname", mine},
       "LRC file would overwrite an input file: mine.txt"},
      {{"-f", mine, "-w", File("out.wav"), "-srt", "--srt-fname", File("hard.srt")},
       "SRT file would overwrite an input file: mine.txt"},
      {{"-f", mine, "-w", File("soft.wav")}, "Output file would overwrite an input file: mine.txt"},
      {{"-f", File("parts/../mine.txt"), "-o", "-lrc", "--lrc-fname", mine},
       "LRC file would overwrite an input file: mine.txt"},
      {{"-fl", list, "-w", File("out.wav"), "--chapters", list},
       "Chapter file would overwrite a list file: list.txt"},
      {{"-f", mine, "-d", dictionary, "-w", File("out.wav"), "-lrc", "--lrc-fname", dictionary},
       "LRC file would overwrite a dictionary: names.dic"},
      {{"-t", "Hi{{audio=" + chime + "}}", "-w", chime},
       "Output file would overwrite a sound file of the text: chime.wav"},
      {{"-f", mine, "-w", File("out.mp3"), "--cover", cover, "-srt", "--srt-fname", cover},
       "SRT file would overwrite the cover: cover.png"},
      {{"-cfg", config, "-f", mine, "-w", File("out.wav"), "-lrc", "--lrc-fname", config},
       "LRC file would overwrite a configuration file: my.cfg"},
      {{"-t", "{{chapter=Chime}}Hi" + insert, "-w", File("out.wav"), "--split-chapters", File("parts")},
       "A file of the chapter folder could overwrite a sound file of the text: 001 Chime.wav"},
      {{"-t", "Hi.", "-w", File("out.wav"), "-lrc", "--lrc-fname", File("out.wav")},
       "LRC file would overwrite the output file: out.wav"},
      {{"-t", "Hi.", "-w", File("out.wav"), "-lrc", "--lrc-fname", File("x.txt"), "-srt", "--srt-fname",
        File("parts/../x.txt")},
       "SRT file would overwrite the LRC file: x.txt"},
  };
  // Every file of the test's folder, and of the chapter folder, with its content.
  const auto snapshot = [&] {
    std::map<std::string, std::string> files;
    for (const fs::path& folder : {dir_.Path(), dir_.Path() / "parts"}) {
      for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        if (entry.is_regular_file() && !entry.path().filename().string().starts_with("child"))
          files[entry.path().string()] = ReadFile(entry.path().string());
      }
    }
    return files;
  };
  const std::map<std::string, std::string> before = snapshot();
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Message);
    std::vector<std::string> args = {"-k", kCloudKey};
    args.insert(args.end(), row.Arguments.begin(), row.Arguments.end());
    const TChildResult run = Run(args);
    EXPECT_EQ(run.ExitCode, 1);
    const bool toStdout = std::find(args.begin(), args.end(), "-o") != args.end();
    EXPECT_EQ(toStdout ? run.Stderr : run.Stdout,
              (toStdout ? "[Error] " : "\n[Error] ") + row.Message + "\n");
    EXPECT_TRUE(standin_->Requests().empty()) << "a request was sent";
    EXPECT_TRUE(snapshot() == before) << "a file was changed or made";
  }
}

}  // namespace
}  // namespace sonacli::testing
