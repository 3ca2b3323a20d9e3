// Books given as input to the whole program: their text reaches the service block by block in
// reading order, and a book that cannot be read ends the run before any request.
#include <gtest/gtest.h>

#include "book/book_test_support.h"
#include "e2e/e2e_fixture.h"

namespace sonacli::testing {
namespace {

namespace fs = std::filesystem;

// The requests after the probe.
std::vector<std::string> Spoken(std::vector<std::string> texts) {
  if (!texts.empty()) texts.erase(texts.begin());
  return texts;
}

// An EPUB (named as a text file: its content tells) becomes a WAV file of its blocks in reading
// order, its chapters in the chapter file at the first sample of their headings' speech.
TEST_F(SonacliE2e, EpubBecomesWavWithItsChapters) {
  const std::string book = Write("novel.txt", ChapterEpub("Novel", "Writer",
                                                          {{"Opening", {"It was a dark night."}},
                                                           {"Middle", {"Then the day came.", "Birds sang."}},
                                                           {"Ending", {"All was well."}}}));
  const TChildResult run =
      Run({"-k", kCloudKey, "-f", book, "-w", File("out.wav"), "--chapters", File("out.ffmeta")});
  EXPECT_EQ(run.ExitCode, 0) << run.Stdout;
  // The chapter tags are not spoken.
  EXPECT_EQ(Spoken(RequestTexts()),
            (std::vector<std::string>{"Opening", "It was a dark night.", "Middle", "Then the day came.",
                                      "Birds sang.", "Ending", "All was well."}));
  const size_t middle = SpeechFrames(7) + SpeechFrames(20);
  const size_t ending = middle + SpeechFrames(6) + SpeechFrames(18) + SpeechFrames(11);
  const size_t total = ending + SpeechFrames(6) + SpeechFrames(13);
  const TWavFile wav = ParseWav(ReadFile(File("out.wav")));
  EXPECT_EQ(wav.Samples.size(), 2 * total);
  const TChildResult probe =
      TChild({"/usr/bin/ffprobe", "-v", "error", "-f", "ffmetadata", "-i", File("out.ffmeta"),
              "-show_entries", "chapter=start,end:chapter_tags=title", "-of", "csv=p=0"},
             {}, dir_.Path())
          .Wait();
  EXPECT_EQ(probe.Stdout, "0," + std::to_string(middle) + ",Opening\n" + std::to_string(middle) + "," +
                              std::to_string(ending) + ",Middle\n" + std::to_string(ending) + "," +
                              std::to_string(total) + ",Ending\n");
}

TEST_F(SonacliE2e, BookThatCannotBeReadEndsTheRunBeforeAnyRequest) {
  const std::string good = Write("good.epub", ChapterEpub("Novel", "Writer", {{"One", {"Text."}}}));
  const std::string bad = Write("bad.fb2", Fb2("", "<body><section><p>Unclosed</section></body>"));
  const TChildResult run = Run({"-k", kCloudKey, "-f", good, "-f", bad, "-w", File("out.wav")});
  EXPECT_EQ(run.ExitCode, 1);
  EXPECT_EQ(run.Stdout,
            "\n[Error] Cannot read the book bad.fb2: line 4: Opening and ending tag mismatch: p line 4 and "
            "section\n");
  EXPECT_TRUE(RequestTexts().empty());
  EXPECT_FALSE(fs::exists(File("out.wav")));
}

}  // namespace
}  // namespace sonacli::testing
