// The whole program against the stand-in: the WAV, its LRC and SRT files, and the same audio
// through standard output, each read back by a real consumer (sox, ffmpeg).
#include <gtest/gtest.h>

#include <sstream>

#include "e2e/e2e_fixture.h"

namespace sonacli::testing {
namespace {

using namespace std::string_literals;

// The lines a tool printed, without their line ends.
std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) lines.push_back(line);
  return lines;
}

std::string Utf16LE(const std::string& ascii) {
  std::string bytes;
  for (char c : ascii) bytes += {c, '\0'};
  return bytes;
}

TEST_F(SonacliE2e, WavLrcAndSrtFollowTheSpeech) {
  const std::string insert = MakeToneWav("beep.wav", 400, 24000);
  const std::string input = Write("input.txt",
                                  "\xEF\xBB\xBFHello there.{{pause=300}}\r\n"
                                  "Second line is a bit longer than fifteen.\r\n"
                                  "{{audio=" +
                                      insert +
                                      "}}\r\n"
                                      "\xD0\x9A\xD0\xBE\xD0\xBD\xD0\xB5\xD1\x86.\r\n");  // "Конец."
  const TChildResult run = Run({"-k", kCloudKey, "-f", input, "-w", File("out.wav"), "-lrc", "-srt",
                                "--lrc-length", "5", "--lrc-para", "--lrc-title", "T", "--lrc-offset", "-250",
                                "--lrc-enc", "utf8", "--srt-enc", "unicode"});
  EXPECT_EQ(run.ExitCode, 0);
  EXPECT_EQ(run.Stdout, "");

  // 12 + 41 + 6 characters of speech, 300 ms of pause, 400 ms of insert, all 24000 Hz mono.
  const size_t frames = SpeechFrames(12) + 7200 + SpeechFrames(41) + 9600 + SpeechFrames(6);
  const TWavFile wav = ParseWav(ReadFile(File("out.wav")));
  ASSERT_TRUE(wav.Valid);
  EXPECT_EQ(wav.Format, 1);
  EXPECT_EQ(wav.Channels, 1);
  EXPECT_EQ(wav.SampleRate, 24000u);
  EXPECT_EQ(wav.ByteRate, 48000u);
  EXPECT_EQ(wav.BlockAlign, 2);
  EXPECT_EQ(wav.BitsPerSample, 16);
  EXPECT_EQ(wav.Samples.size(), 2 * frames);
  EXPECT_EQ(wav.DataSize, 2 * frames);
  EXPECT_EQ(wav.RiffSize, 2 * frames + 36);
  const TChildResult soxi = TChild({"/usr/bin/soxi", "-s", File("out.wav")}, {}, dir_.Path()).Wait();
  EXPECT_EQ(soxi.Stdout, std::to_string(frames) + "\n");

  // Times: 0-700 speech, 700-1000 pause, 1000-3150 speech, 3150-3550 insert, 3550-3950 speech.
  EXPECT_EQ(ReadFile(File("out.lrc")),
            "\xEF\xBB\xBF[ti:T]\r\n[re:Sonarel]\r\n[offset:-250]\r\n"
            "[00:00.00]Hello there.\r\n"
            "[00:00.99]\r\n"  // blank line after the paragraph's pause
            "[00:01.00]Second line is \r\n[00:01.78]a bit longer \r\n[00:02.46]than fifteen.\r\n"
            "[00:03.15]\r\n"  // the insert, which also cancels the blank line due
            "[00:03.55]\xD0\x9A\xD0\xBE\xD0\xBD\xD0\xB5\xD1\x86.\r\n");
  const std::string srt = ReadFile(File("out.srt"));
  EXPECT_EQ(srt.substr(0, 2), "\xFF\xFE");
  EXPECT_EQ(srt.substr(2, srt.size() - 2 - 20),
            Utf16LE("1\r\n00:00:00,000 --> 00:00:00,699\r\nHello there.\r\n\r\n"
                    "2\r\n00:00:01,000 --> 00:00:03,149\r\nSecond line is a bit longer than fifteen.\r\n\r\n"
                    "3\r\n00:00:03,150 --> 00:00:03,549\r\n\r\n\r\n"
                    "4\r\n00:00:03,550 --> 00:00:03,949\r\n"));
  EXPECT_EQ(srt.substr(srt.size() - 20), "\x1A\x04\x3E\x04\x3D\x04\x35\x04\x46\x04.\0\r\0\n\0\r\0\n\0"s);

  // ffmpeg reads both files with the same times (the empty SRT entry carries no subtitle).
  const auto packets = [&](const std::string& file) {
    return Lines(TChild({"/usr/bin/ffprobe", "-v", "error", "-of", "csv=p=0", "-show_entries",
                         "packet=pts_time,duration_time", file},
                        {}, dir_.Path())
                     .Wait()
                     .Stdout);
  };
  EXPECT_EQ(packets(File("out.srt")),
            (std::vector<std::string>{"0.000000,0.699000", "1.000000,2.149000", "3.550000,0.399000"}));
  std::vector<std::string> lrcStarts;
  for (const std::string& line : packets(File("out.lrc"))) lrcStarts.push_back(line.substr(0, 4));
  EXPECT_EQ(lrcStarts, (std::vector<std::string>{"0.00", "0.99", "1.00", "1.78", "2.46", "3.15", "3.55"}));
}

TEST_F(SonacliE2e, StandardOutputCarriesTheSameAudioInEveryForm) {
  const std::vector<std::string> text = {"-k", kCloudKey, "-t", "One two.", "-t", "Three four five."};
  std::vector<std::string> toFile = text;
  toFile.insert(toFile.end(), {"-w", File("out.wav")});
  ASSERT_EQ(Run(toFile).ExitCode, 0);
  const TWavFile file = ParseWav(ReadFile(File("out.wav")));
  ASSERT_EQ(file.Samples.size(), 2 * (SpeechFrames(8) + SpeechFrames(16)));

  // Buffered: a complete header.
  std::vector<std::string> buffered = text;
  buffered.push_back("-o");
  const TChildResult whole = Run(buffered);
  EXPECT_EQ(whole.ExitCode, 0);
  const TWavFile wav = ParseWav(whole.Stdout);
  EXPECT_EQ(wav.DataSize, file.Samples.size());
  EXPECT_TRUE(SameAudio(wav.Samples, file.Samples));

  // Streamed: the size fields stay 0, or no header at all; consumers read them from a pipe.
  const std::string args = "-k " + std::string(kCloudKey) + " -t 'One two.' -t 'Three four five.' -o";
  const TChildResult streamed =
      Shell("\"$SONACLI\" " + args + " --ignore-length | ffmpeg -v error -f wav -i - -f s16le -");
  EXPECT_EQ(streamed.ExitCode, 0) << streamed.Stderr;
  EXPECT_TRUE(SameAudio(streamed.Stdout, file.Samples));
  const TChildResult raw =
      Shell("\"$SONACLI\" " + args + " --raw | sox -t raw -r 24000 -e signed -b 16 -c 1 - -t wav -");
  EXPECT_EQ(raw.ExitCode, 0) << raw.Stderr;
  EXPECT_TRUE(SameAudio(ParseWav(raw.Stdout).Samples, file.Samples));
  const TChildResult header = Shell("\"$SONACLI\" " + args + " --ignore-length | head -c 44");
  const TWavFile unsized = ParseWav(header.Stdout + std::string(2, '\0'));
  EXPECT_TRUE(unsized.Valid);
  EXPECT_EQ(unsized.DataSize, 0u);
  EXPECT_EQ(unsized.RiffSize, 0u);
}

TEST_F(SonacliE2e, SyncFilesInTheAnsiCodePage) {
  const TChildResult run = Run({"-k", kCloudKey, "-t", "\xD0\x9A\xD0\xBE\xD0\xBD\xD0\xB5\xD1\x86.", "-w",
                                File("out.wav"), "-lrc", "-srt", "--lrc-fname", File("words.lrc")});
  EXPECT_EQ(run.ExitCode, 0);
  EXPECT_EQ(ReadFile(File("words.lrc")), "[re:Sonarel]\r\n[00:00.00]\xCA\xEE\xED\xE5\xF6.\r\n");
  EXPECT_EQ(ReadFile(File("out.srt")), "1\r\n00:00:00,000 --> 00:00:00,399\r\n\xCA\xEE\xED\xE5\xF6.\r\n\r\n");
}

}  // namespace
}  // namespace sonacli::testing
