// Chapters of a list of files beside the WAV: an FFmpeg metadata file and a CUE sheet whose times
// are those of the PCM, the same with requests in parallel and from the cache.
#include <gtest/gtest.h>

#include <sstream>

#include "e2e/e2e_fixture.h"

namespace sonacli::testing {
namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) lines.push_back(line);
  return lines;
}

// mm:ss:ff of a CUE sheet, ff in 1/75 s, rounded.
std::string CueTime(size_t frame) {
  const size_t cd = (frame * 75 + 12000) / 24000;
  char text[64];
  std::snprintf(text, sizeof text, "%02zu:%02zu:%02zu", cd / 4500, cd / 75 % 60, cd % 75);
  return text;
}

class ChaptersE2e : public SonacliE2e {
 protected:
  void SetUp() override {
    SonacliE2e::SetUp();
    // The title of the third file has quotes and another script; the second file starts with
    // blank lines, which the title skips.
    const std::string one = Write("one.txt", "One\nFirst text.\n");
    const std::string two = Write("two.txt", "\n  \nTwo  \nSecond.\n");
    const std::string three = Write("three.txt", "\xD0\xA2\xD1\x80\xD0\xB8 \"q\"\nThird.\n");
    list_ = Write("list.txt", one + "\n" + two + "\n" + three + "\n");
  }

  TChildResult Speak(const std::string& out, const std::string& chapters,
                     std::vector<std::string> extra = {}) {
    std::vector<std::string> args = {"-k", kCloudKey, "-fl",        list_,
                                     "-w", File(out), "--chapters", File(chapters)};
    args.insert(args.end(), extra.begin(), extra.end());
    return Run(args);
  }

  std::string list_;
};

TEST_F(ChaptersE2e, ListFilesAreChaptersTimedByThePcm) {
  const TChildResult run = Speak("out.wav", "out.ffmeta");
  ASSERT_EQ(run.ExitCode, 0) << run.Stderr;
  const TWavFile wav = ParseWav(ReadFile(File("out.wav")));
  ASSERT_TRUE(wav.Valid);
  const size_t total = wav.Samples.size() / 2;
  // Each line is one piece; the chapter tags are not spoken.
  EXPECT_EQ(RequestTexts(),
            (std::vector<std::string>{RequestTexts().front(), "One", "First text.", "Two", "Second.",
                                      "\xD0\xA2\xD1\x80\xD0\xB8 \"q\"", "Third."}));
  const size_t two = SpeechFrames(3) + SpeechFrames(11);
  const size_t three = two + SpeechFrames(3) + SpeechFrames(7);
  ASSERT_EQ(total, three + SpeechFrames(7) + SpeechFrames(6));

  // FFmpeg reads the metadata file with these chapters.
  const TChildResult probe =
      TChild({"/usr/bin/ffprobe", "-v", "error", "-f", "ffmetadata", "-i", File("out.ffmeta"),
              "-show_entries", "chapter=start,end:chapter_tags=title", "-of", "csv=p=0"},
             {}, dir_.Path())
          .Wait();
  EXPECT_EQ(probe.ExitCode, 0) << probe.Stderr;
  EXPECT_EQ(
      Lines(probe.Stdout),
      (std::vector<std::string>{
          "0," + std::to_string(two) + ",One", std::to_string(two) + "," + std::to_string(three) + ",Two",
          // (CSV doubles the quotes of a field that has them.)
          std::to_string(three) + "," + std::to_string(total) + ",\"\xD0\xA2\xD1\x80\xD0\xB8 \"\"q\"\"\""}));

  // The CUE sheet names the book (its title is the first file's name) and the WAV, and starts its
  // tracks at the same samples, in 1/75 s.
  ASSERT_EQ(Speak("out.wav", "out.cue").ExitCode, 0);
  EXPECT_EQ(ReadFile(File("out.cue")),
            "TITLE \"one\"\r\n"
            "FILE \"out.wav\" WAVE\r\n"
            "  TRACK 01 AUDIO\r\n    TITLE \"One\"\r\n    INDEX 01 " +
                CueTime(0) +
                "\r\n"
                "  TRACK 02 AUDIO\r\n    TITLE \"Two\"\r\n    INDEX 01 " +
                CueTime(two) +
                "\r\n"
                "  TRACK 03 AUDIO\r\n    TITLE \"\xD0\xA2\xD1\x80\xD0\xB8 'q'\"\r\n"
                "    INDEX 01 " +
                CueTime(three) + "\r\n");

  // Requests in parallel and answers from the cache give the same files, byte for byte.
  const std::string cache = File("cache");
  for (const std::vector<std::string>& extra :
       {std::vector<std::string>{"--jobs", "4"}, {"--jobs", "4", "--cache", cache}, {"--cache", cache}}) {
    ASSERT_EQ(Speak("again.wav", "again.ffmeta", extra).ExitCode, 0);
    EXPECT_EQ(ReadFile(File("again.wav")), ReadFile(File("out.wav")));
    EXPECT_EQ(ReadFile(File("again.ffmeta")), ReadFile(File("out.ffmeta")));
  }
}

// In subtitle mode a chapter tag starts a chapter where its subtitle's speech starts (1 ms before
// the subtitle's time, widened by 50 ms), and is not spoken.
TEST_F(ChaptersE2e, SubtitleChaptersStartWithTheirSubtitle) {
  const std::string srt = Write("film.srt", Srt({{"00:00:01,000 --> 00:00:02,000", "{{chapter=Start}}Hello."},
                                                 {"00:00:04,000 --> 00:00:05,000", "{{CHAPTER=}}Bye."}}));
  const TChildResult run =
      Run({"-k", kCloudKey, "-f", srt, "-w", File("film.wav"), "--chapters", File("film.txt")});
  ASSERT_EQ(run.ExitCode, 0) << run.Stdout;
  const std::vector<std::string> sent = RequestTexts();
  EXPECT_EQ(std::vector<std::string>(sent.begin() + 1, sent.end()),
            (std::vector<std::string>{"Hello.", "Bye."}));
  const size_t total = ParseWav(ReadFile(File("film.wav"))).Samples.size() / 2;
  EXPECT_EQ(ReadFile(File("film.txt")),
            ";FFMETADATA1\n"
            "\n[CHAPTER]\nTIMEBASE=1/24000\nSTART=22776\nEND=94776\ntitle=Start\n"
            "\n[CHAPTER]\nTIMEBASE=1/24000\nSTART=94776\nEND=" +
                std::to_string(total) + "\ntitle=Chapter 2\n");
}

// A CUE sheet cannot hold the chapters: the audio is saved all the same and the run says why it
// failed. An unknown extension is refused before any request.
TEST_F(ChaptersE2e, ChapterFileErrors) {
  std::string many;
  for (int i = 0; i < 100; ++i) many += "{{chapter=" + std::to_string(i) + "}}A.\n";
  const std::string input = Write("many.txt", many);
  TChildResult run =
      Run({"-k", kCloudKey, "-f", input, "-w", File("many.wav"), "--chapters", File("many.cue")});
  EXPECT_EQ(run.ExitCode, 1);
  EXPECT_NE(run.Stdout.find("[Error] A CUE sheet holds at most 99 chapters, not 100"), std::string::npos)
      << run.Stdout;
  EXPECT_TRUE(ParseWav(ReadFile(File("many.wav"))).Valid);
  EXPECT_EQ(ParseWav(ReadFile(File("many.wav"))).Samples.size(), 2 * 100 * SpeechFrames(2));

  run = Speak("bad.wav", "bad.m4b");
  EXPECT_EQ(run.ExitCode, 1);
  EXPECT_NE(
      run.Stdout.find("[Error] Unknown chapter file extension (known: .txt, .ffmeta, .ffmetadata, .cue): "
                      "bad.m4b"),
      std::string::npos)
      << run.Stdout;
  EXPECT_EQ(RequestTexts().size(), 1 + 100u);  // only the first run's probe and pieces
  EXPECT_FALSE(std::filesystem::exists(File("bad.wav")));
}

// A CUE sheet as players read it: the book's title and author at its top, the audio file by its
// own name and type; a name the sheet cannot quote is refused before any request.
TEST_F(ChaptersE2e, CueSheetNamesTheBookAndTheAudioAsPlayersReadThem) {
  const struct {
    std::vector<std::string> output;
    std::string fileLine;
  } rows[] = {
      {{"-w", File("book.mp3")}, "FILE \"book.mp3\" MP3"},
      {{"-w", File("book.opus")}, "FILE \"book.opus\" WAVE"},
      {{"-w", File("book.m4b")}, "FILE \"book.m4b\" WAVE"},
      {{"-w", File("book.flac")}, "FILE \"book.flac\" WAVE"},
      {{"-o", "--raw"}, "FILE \"book.raw\" BINARY"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.fileLine);
    std::vector<std::string> args = {"-k",         kCloudKey,        "-fl",     list_,
                                     "--chapters", File("book.cue"), "--title", "The \"Book\"",
                                     "--author",   "A. Writer"};
    args.insert(args.end(), row.output.begin(), row.output.end());
    ASSERT_EQ(Run(args).ExitCode, 0);
    const std::vector<std::string> lines = Lines(ReadFile(File("book.cue")));
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[0], "TITLE \"The 'Book'\"\r");
    EXPECT_EQ(lines[1], "PERFORMER \"A. Writer\"\r");
    EXPECT_EQ(lines[2], row.fileLine + "\r");
  }
  for (const std::vector<std::string>& names :
       {std::vector<std::string>{"-w", File("my \"book\".wav"), "--chapters", File("book.cue")},
        {"-o", "--chapters", File("my \"book\".cue")}}) {
    const size_t before = RequestTexts().size();
    std::vector<std::string> args = {"-k", kCloudKey, "-fl", list_};
    args.insert(args.end(), names.begin(), names.end());
    const TChildResult run = Run(args);
    EXPECT_EQ(run.ExitCode, 1);
    // With -o the sheet names the audio after itself.
    const bool toStdout = names[0] == "-o";
    EXPECT_EQ(toStdout ? run.Stderr : run.Stdout,
              std::string(toStdout ? "" : "\n") +
                  "[Error] A CUE sheet cannot name a file whose name holds a double quote or a line break: " +
                  (toStdout ? "my \"book\".cue" : "my \"book\".wav") + "\n");
    EXPECT_EQ(RequestTexts().size(), before);
  }
}

}  // namespace
}  // namespace sonacli::testing
