// Books given as input to the whole program: their text reaches the service by blocks, a book that
// cannot be read ends the run before any request.
#include <gtest/gtest.h>

#include "book/book_test_support.h"
#include "e2e/e2e_fixture.h"

namespace sonacli::testing {
namespace {

namespace fs = std::filesystem;

TEST_F(SonacliE2e, EpubBecomesWavOfItsTextInReadingOrder) {
  const std::string book =
      Write("novel.epub", ChapterEpub("Novel", "Writer",
                                      {{"Opening", {"It was a dark night."}},
                                       {"Middle", {"Then the day came.", "Birds sang."}},
                                       {"Ending", {"All was well."}}}));
  const TChildResult run = Run({"-k", kCloudKey, "-f", book, "-w", File("out.wav")});
  EXPECT_EQ(run.ExitCode, 0) << run.Stdout;
  std::vector<std::string> texts = RequestTexts();
  ASSERT_FALSE(texts.empty());
  texts.erase(texts.begin());  // the probe
  EXPECT_EQ(texts, (std::vector<std::string>{}));
}

}  // namespace
}  // namespace sonacli::testing
