// Books given as input to the whole program: their text reaches the service block by block in
// reading order; their chapters, title, author and cover reach an encoded output, read back by
// ffprobe and ffmpeg; a book that cannot be read ends the run before any request.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "book/book_test_support.h"
#include "common/unicode_text.h"
#include "e2e/e2e_fixture.h"
#include "platform/text_codec.h"

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

std::string Base64(const std::string& bytes) {
  static constexpr char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string text;
  for (size_t i = 0; i < bytes.size(); i += 3) {
    const size_t count = std::min<size_t>(3, bytes.size() - i);
    uint32_t group = 0;
    for (size_t k = 0; k < 3; ++k) group = group << 8 | (k < count ? static_cast<uint8_t>(bytes[i + k]) : 0u);
    for (size_t k = 0; k < 4; ++k) text += k <= count ? kDigits[group >> (18 - 6 * k) & 63] : '=';
  }
  return text;
}

// What ffprobe reads of an audiobook: the tags of the container and of the audio stream, the
// chapters as "title@seconds" (two decimals), and the attached picture as stored.
struct TProbedBook {
  std::map<std::string, std::string> Tags;
  std::vector<std::string> Chapters;
  std::string Cover;

  std::string Tag(const std::string& key) const {
    const auto found = Tags.find(key);
    return found == Tags.end() ? std::string() : found->second;
  }
};

class BookOutputE2e : public SonacliE2e {
 protected:
  std::string MakeJpeg() {
    const std::string name = File("cover.jpg");
    EXPECT_EQ(Tool({"/usr/bin/ffmpeg", "-v", "error", "-f", "lavfi", "-i", "color=c=red:s=32x24", "-frames:v",
                    "1", "-y", name})
                  .ExitCode,
              0);
    return ReadFile(name);
  }

  TProbedBook Probe(const std::string& fileName) {
    TProbedBook probed;
    const nlohmann::json json = nlohmann::json::parse(
        Tool({"/usr/bin/ffprobe", "-v", "error", "-show_entries", "format_tags:stream_tags:stream=codec_type",
              "-show_chapters", "-of", "json", fileName})
            .Stdout,
        nullptr, false);
    if (json.is_discarded()) return probed;
    const auto addTags = [&](const nlohmann::json& owner) {
      if (!owner.contains("tags")) return;
      for (const auto& [key, value] : owner["tags"].items())
        probed.Tags[LowerCase(key)] = value.get<std::string>();
    };
    addTags(json.value("format", nlohmann::json::object()));
    for (const nlohmann::json& stream : json.value("streams", nlohmann::json::array())) {
      if (stream.value("codec_type", "") == "audio") addTags(stream);
    }
    for (const nlohmann::json& chapter : json.value("chapters", nlohmann::json::array())) {
      char start[32];
      std::snprintf(start, sizeof start, "%.2f", std::stod(chapter.value("start_time", "0")));
      probed.Chapters.push_back(chapter["tags"].value("title", "") + "@" + start);
    }
    probed.Cover = Tool({"/usr/bin/ffmpeg", "-v", "error", "-i", fileName, "-map", "0:v", "-c", "copy", "-f",
                         "image2pipe", "-"})
                       .Stdout;
    return probed;
  }

 private:
  static std::string LowerCase(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
  }
  TChildResult Tool(const std::vector<std::string>& argv) { return TChild(argv, {}, dir_.Path()).Wait(); }
};

// Seconds of the stand-in's speech of lines of these lengths, one piece each.
double SpeechSeconds(std::initializer_list<size_t> characters) {
  size_t frames = 0;
  for (size_t count : characters) frames += SpeechFrames(count);
  return static_cast<double>(frames) / 24000;
}

std::string At(const std::string& title, double seconds) {
  char start[32];
  std::snprintf(start, sizeof start, "%.2f", seconds);
  return title + "@" + start;
}

TEST_F(BookOutputE2e, EpubBecomesAnM4bWithItsChaptersTitleAuthorAndCover) {
  const std::string cover = MakeJpeg();
  const std::string book = Write("novel.epub", ChapterEpub("Novel", "Writer",
                                                           {{"Opening", {"It was a dark night."}},
                                                            {"Middle", {"Then the day came.", "Birds sang."}},
                                                            {"Ending", {"All was well."}}},
                                                           cover));
  const TChildResult run = Run({"-k", kCloudKey, "-f", book, "-w", File("novel.m4b")});
  ASSERT_EQ(run.ExitCode, 0) << run.Stdout;
  const TProbedBook probed = Probe(File("novel.m4b"));
  // Each chapter starts with the first sample of its heading's speech.
  EXPECT_EQ(probed.Chapters, (std::vector<std::string>{At("Opening", 0), At("Middle", SpeechSeconds({7, 20})),
                                                       At("Ending", SpeechSeconds({7, 20, 6, 18, 11}))}));
  EXPECT_EQ(probed.Tag("title"), "Novel");
  EXPECT_EQ(probed.Tag("artist"), "Writer");
  EXPECT_EQ(probed.Cover, cover);

  // The command line wins over the book.
  ASSERT_EQ(Run({"-k", kCloudKey, "-f", book, "-w", File("mine.m4b"), "--title", "Mine", "--author", "Me"})
                .ExitCode,
            0);
  const TProbedBook mine = Probe(File("mine.m4b"));
  EXPECT_EQ(mine.Tag("title"), "Mine");
  EXPECT_EQ(mine.Tag("artist"), "Me");
  EXPECT_EQ(mine.Cover, cover);
}

TEST_F(BookOutputE2e, Fb2InWindows1251BecomesAnOpusFileWithItsChaptersTitleAuthorAndCover) {
  const std::string cover = MakeJpeg();
  const std::u16string fb2 =
      u"<?xml version=\"1.0\" encoding=\"windows-1251\"?>\n"
      u"<FictionBook xmlns=\"http://www.gribuser.ru/xml/fictionbook/2.0\" "
      u"xmlns:l=\"http://www.w3.org/1999/xlink\">\n<description><title-info>"
      u"<author><first-name>Лев</first-name><last-name>Толстой</last-name></author>"
      u"<book-title>Война и мир</book-title><coverpage><image "
      u"l:href=\"#cover.jpg\"/></coverpage><lang>ru</lang>"
      u"</title-info></description>\n<body><title><p>Война и мир</p></title>"
      u"<section><title><p>Часть первая</p></title><section><title><p>Глава I</p></title><p>Ну, князь.</p>"
      u"</section><section><title><p>Глава II</p></title><p>Анна Павловна.</p></section></section>"
      u"</body>\n<body name=\"notes\"><section id=\"n1\"><p>Сноска.</p></section></body>\n"
      u"<binary id=\"cover.jpg\" content-type=\"image/jpeg\">" +
      ToUtf16(Base64(cover)) + u"</binary>\n</FictionBook>\n";
  const std::string book = Write("voina.fb2", EncodeCodePage(fb2, 1251));
  const TChildResult run = Run({"-k", kCloudKey, "-f", book, "-w", File("voina.opus")});
  ASSERT_EQ(run.ExitCode, 0) << run.Stdout;
  // The body's title comes before the first section: a chapter of the book's title. Each
  // section, nested ones too, is a chapter that names its place, and a part of nothing but its
  // title is one with its first chapter; the notes body is not read.
  std::vector<std::string> texts = RequestTexts();
  ASSERT_FALSE(texts.empty());
  texts.erase(texts.begin());
  EXPECT_EQ(texts, (std::vector<std::string>{"Война и мир", "Часть первая", "Глава I", "Ну, князь.",
                                             "Глава II", "Анна Павловна."}));
  const TProbedBook probed = Probe(File("voina.opus"));
  EXPECT_EQ(probed.Chapters,
            (std::vector<std::string>{At("Война и мир", 0), At("Часть первая, Глава I", SpeechSeconds({11})),
                                      At("Часть первая, Глава II", SpeechSeconds({11, 12, 7, 10}))}));
  EXPECT_EQ(probed.Tag("title"), "Война и мир");
  EXPECT_EQ(probed.Tag("artist"), "Лев Толстой");
  EXPECT_EQ(probed.Cover, cover);
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
