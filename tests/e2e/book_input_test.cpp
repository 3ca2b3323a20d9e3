// Books given as input to the whole program: their text reaches the service block by block in
// reading order; their chapters, title, author and cover reach an encoded output, read back by
// ffprobe and ffmpeg; a book that cannot be read ends the run before any request.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <sstream>

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

// The frames of the pauses a book gets by default at 24000 Hz: between paragraphs, before a
// chapter's heading, after it, and at the end of a chapter.
constexpr size_t kParagraphFrames = 700 * 24;
constexpr size_t kHeadFrames = 500 * 24;
constexpr size_t kHeadingFrames = 1000 * 24;
constexpr size_t kChapterEndFrames = 2000 * 24;
// The pauses of a chapter of a heading and `paragraphs` paragraphs.
constexpr size_t ChapterPauseFrames(size_t paragraphs) {
  return kHeadFrames + kHeadingFrames + (paragraphs - 1) * kParagraphFrames + kChapterEndFrames;
}

// An EPUB (named as a text file: its content tells) becomes a WAV file of its blocks in reading
// order with a narrator's pauses, its chapters in the chapter file at the pause before their
// headings.
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
  const size_t middle = SpeechFrames(7) + SpeechFrames(20) + ChapterPauseFrames(1);
  const size_t ending =
      middle + SpeechFrames(6) + SpeechFrames(18) + SpeechFrames(11) + ChapterPauseFrames(2);
  const size_t total = ending + SpeechFrames(6) + SpeechFrames(13) + ChapterPauseFrames(1);
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
  // Each chapter starts with the pause before its heading.
  EXPECT_EQ(probed.Chapters,
            (std::vector<std::string>{At("Opening", 0), At("Middle", SpeechSeconds({7, 20}) + 3.5),
                                      At("Ending", SpeechSeconds({7, 20, 6, 18, 11}) + 3.5 + 4.2)}));
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
  // title is one with its first chapter; the notes body is not read. A chapter ends as every
  // chapter does, 2 s after it, and starts half a second before its heading.
  std::vector<std::string> texts = RequestTexts();
  ASSERT_FALSE(texts.empty());
  texts.erase(texts.begin());
  EXPECT_EQ(texts, (std::vector<std::string>{"Война и мир", "Часть первая", "Глава I", "Ну, князь.",
                                             "Глава II", "Анна Павловна."}));
  const TProbedBook probed = Probe(File("voina.opus"));
  EXPECT_EQ(probed.Chapters, (std::vector<std::string>{
                                 At("Война и мир", 0), At("Часть первая, Глава I", SpeechSeconds({11}) + 2.5),
                                 At("Часть первая, Глава II", SpeechSeconds({11, 12, 7, 10}) + 6.7)}));
  EXPECT_EQ(probed.Tag("title"), "Война и мир");
  EXPECT_EQ(probed.Tag("artist"), "Лев Толстой");
  EXPECT_EQ(probed.Cover, cover);
}

// A cover is checked by decoding it, not by its first bytes: a damaged picture given with --cover
// is refused before any request, and a book's own is left out with a warning, never embedded.
TEST_F(BookOutputE2e, CoverThatDoesNotDecodeIsNeverEmbedded) {
  const std::string whole = MakeJpeg();
  // Cut inside its compressed pixels, after the headers that name it a 32x24 JPEG.
  const std::string cut = whole.substr(0, whole.find("\xFF\xDA") + 16);
  const std::string damaged = Write("damaged.jpg", cut);
  const TChildResult refused =
      Run({"-k", kCloudKey, "-t", "Hello.", "-w", File("given.m4b"), "--cover", damaged});
  EXPECT_EQ(refused.ExitCode, 1);
  EXPECT_EQ(refused.Stdout, "\n[Error] Cover image is damaged: its JPEG data cannot be decoded\n");
  EXPECT_TRUE(RequestTexts().empty());

  const std::string book = Write("novel.epub", ChapterEpub("Novel", "Writer", {{"One", {"Text."}}}, cut));
  const TChildResult run = Run({"-k", kCloudKey, "-f", book, "-w", File("novel.m4b")});
  ASSERT_EQ(run.ExitCode, 0) << run.Stdout;
  EXPECT_EQ(
      run.Stderr,
      "[Warning] The book's cover is left out (Cover image is damaged: its JPEG data cannot be decoded)\n");
  const TProbedBook probed = Probe(File("novel.m4b"));
  EXPECT_EQ(probed.Tag("title"), "Novel");
  EXPECT_EQ(probed.Cover, "");
}

// The value of a field of a v1 form body ("voice", "lang", "text"), percent-decoded; "" when absent.
std::string FormField(const std::string& body, const std::string& name) {
  const std::string key = name + "=";
  size_t at = body.starts_with(key) ? 0 : body.find("&" + key);
  if (at == std::string::npos) return {};
  at += body[at] == '&' ? key.size() + 1 : key.size();
  std::string value;
  for (size_t i = at; i < body.size() && body[i] != '&'; ++i) {
    if (body[i] == '%' && i + 2 < body.size()) {
      value += static_cast<char>(std::stoi(body.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else {
      value += body[i] == '+' ? ' ' : body[i];
    }
  }
  return value;
}

// An English book, with no language or voice named, is read by an English voice; -l or -n reads it
// as the user says.
TEST_F(SonacliE2e, EnglishBookIsSentWithAnEnglishVoice) {
  const std::string book =
      Write("novel.epub", ChapterEpub("Novel", "Writer", {{"One", {"It was a dark night."}}}, {}, "en-GB"));
  const struct {
    std::vector<std::string> options;
    std::string voice;
    std::string language;
  } cases[] = {
      {{}, "john", "en-us"}, {{"-l", "ru-ru"}, "oksana", "ru-ru"}, {{"-n", "alena"}, "alena", "ru-ru"}};
  for (const auto& c : cases) {
    const size_t before = standin_->Requests().size();
    std::vector<std::string> args = {"-k", kCloudKey, "-f", book, "-w", File("out.wav")};
    args.insert(args.end(), c.options.begin(), c.options.end());
    const TChildResult run = Run(args);
    ASSERT_EQ(run.ExitCode, 0) << run.Stdout;
    EXPECT_EQ(run.Stderr, "");
    const std::vector<nlohmann::json> requests = standin_->Requests();
    ASSERT_EQ(requests.size(), before + 3);  // the probe, the heading, the paragraph
    for (size_t i = before + 1; i < requests.size(); ++i) {
      const std::string body = requests[i].value("body", "");
      EXPECT_EQ(FormField(body, "voice"), c.voice) << body;
      EXPECT_EQ(FormField(body, "lang"), c.language) << body;
    }
  }
}

// Each book of a list is read in its own language, the user's text and a book in no language or in
// one the service lacks by the run's voice, with one warning for the latter; the dry run lists it.
TEST_F(SonacliE2e, EachBookOfAListIsReadInItsOwnLanguage) {
  const std::string english = Write("novel.epub", ChapterEpub("Novel", "A", {{"One", {"Night."}}}, {}, "en"));
  const std::string russian =
      Write("roman.fb2", Fb2("<book-title>Роман</book-title><lang>ru</lang>",
                             "<body><section><title><p>Глава</p></title><p>Ночь.</p></section></body>"));
  const std::string french = Write("livre.epub", ChapterEpub("Livre", "B", {{"Un", {"Nuit."}}}, {}, "fr"));
  const std::string none = Write("book.epub", ChapterEpub("Book", "C", {{"Two", {"Day."}}}));
  const std::string text = Write("notes.txt", "Notes.\n");
  const std::string list =
      Write("list.txt", english + "\n" + russian + "\n" + french + "\n" + none + "\n" + text + "\n");
  const TChildResult run = Run({"-fl", list, "-w", File("out.wav"), "--list-requests"});
  ASSERT_EQ(run.ExitCode, 0) << run.Stdout;
  EXPECT_EQ(
      run.Stderr,
      "[Warning] The service has no voice for the language fr of the book livre.epub; it is read by oksana "
      "(ru-RU)\n");
  std::vector<std::string> voiced;
  std::istringstream lines(run.Stdout);
  for (std::string line; std::getline(lines, line);) {
    const nlohmann::json request = nlohmann::json::parse(line);
    voiced.push_back(request["text"].get<std::string>() + " " + request["voice"].get<std::string>() + " " +
                     request["language"].get<std::string>());
  }
  EXPECT_EQ(voiced,
            (std::vector<std::string>{"One john en-US", "Night. john en-US", "Глава oksana ru-RU",
                                      "Ночь. oksana ru-RU", "Un oksana ru-RU", "Nuit. oksana ru-RU",
                                      "Two oksana ru-RU", "Day. oksana ru-RU", "Notes. oksana ru-RU"}));
  EXPECT_TRUE(standin_->Requests().empty());
}

// The dictionaries apply to a book's text as to the user's; what they make of it is still text.
TEST_F(SonacliE2e, DictionariesApplyToABooksText) {
  const std::string book =
      Write("novel.epub", ChapterEpub("Novel", "A", {{"One", {"It was a dark night."}}}, {}, "en"));
  const std::string dictionary = Write("words.dic", "night=day {{pause=5000}}\n");
  const TChildResult run = Run({"-f", book, "-w", File("out.wav"), "-d", dictionary, "--list-requests"});
  ASSERT_EQ(run.ExitCode, 0) << run.Stdout;
  EXPECT_NE(run.Stdout.find("\"text\":\"It was a dark day {{pause=5000}}.\""), std::string::npos)
      << run.Stdout;
}

// A book whose text holds tags gets no pause, no inserted sound, no chapter and no SSML from them:
// its output is as long as the speech of its text as written, with the book's pauses, exactly
// longer than the same book without the tag texts by the speech of their characters.
TEST_F(SonacliE2e, ABooksTagsAreSpokenNotActedOn) {
  const std::string tone = MakeToneWav("tone.wav", 3000, 24000);
  const std::vector<std::string> tagged = {"Wait {{pause=2000000000}} here.", "{{PAUSE=9000}}",
                                           "{{audio=" + tone + "}}Ring.",
                                           "{{chapter=Forged}}{{lang=en-us;john}}Go.", "<speak>Hi</speak>"};
  const std::vector<std::string> plain = {"Wait here.", "", "Ring.", "Go.", "Hi"};
  const auto bookOf = [](const std::vector<std::string>& paragraphs) {
    std::vector<std::string> markup;
    for (std::string paragraph : paragraphs) {
      for (size_t at = 0; (at = paragraph.find_first_of("<>", at)) != std::string::npos;)
        paragraph.replace(at, 1, paragraph[at] == '<' ? "&lt;" : "&gt;");
      if (!paragraph.empty()) markup.push_back(paragraph);
    }
    return ChapterEpub("Tags", "Me", {{"Start", markup}});
  };
  const auto framesOf = [&](const std::string& name, const std::vector<std::string>& paragraphs) {
    const size_t before = standin_->Requests().size();
    const TChildResult run = Run({"-k", kCloudKey, "-f", Write(name + ".epub", bookOf(paragraphs)), "-w",
                                  File(name + ".wav"), "--chapters", File(name + ".ffmeta")});
    EXPECT_EQ(run.ExitCode, 0) << run.Stdout;
    std::vector<std::string> sent;
    const std::vector<nlohmann::json> requests = standin_->Requests();
    for (size_t i = before + 1; i < requests.size(); ++i) {
      const std::string body = requests[i].value("body", "");
      EXPECT_TRUE(body.starts_with("text=")) << body;
      EXPECT_EQ(FormField(body, "voice"), "oksana") << body;
      sent.push_back(FormField(body, "text"));
    }
    std::vector<std::string> expected = {"Start"};
    for (const std::string& paragraph : paragraphs) {
      if (!paragraph.empty()) expected.push_back(paragraph);
    }
    EXPECT_EQ(sent, expected);
    size_t speech = 0;
    for (const std::string& text : sent) speech += SpeechFrames(text.size());
    const size_t frames = ParseWav(ReadFile(File(name + ".wav"))).Samples.size() / 2;
    EXPECT_EQ(frames, speech + ChapterPauseFrames(expected.size() - 1)) << name;
    // The book's one chapter, none forged.
    const std::string chapters = ReadFile(File(name + ".ffmeta"));
    EXPECT_EQ(std::count(chapters.begin(), chapters.end(), '['), 1) << chapters;
    return frames;
  };
  const size_t taggedFrames = framesOf("tagged", tagged);
  const size_t plainFrames = framesOf("plain", plain);
  size_t tagCharacters = 0;
  for (size_t i = 0; i < tagged.size(); ++i) tagCharacters += tagged[i].size() - plain[i].size();
  // The paragraph of a tag alone is one more paragraph, with its pause.
  EXPECT_EQ(taggedFrames - plainFrames, tagCharacters * 1200 + SpeechFrames(0) + kParagraphFrames);
}

// The pauses are silence in the output: LRC times and the length include them; the user's own text
// gets them only when asked for.
TEST_F(SonacliE2e, PausesAreInTheAudioAndTheLrcTimes) {
  const std::string book = Write("book.epub", ChapterEpub("Book", "Me", {{"One", {"First.", "Second."}}}));
  ASSERT_EQ(Run({"-k", kCloudKey, "-f", book, "-w", File("book.wav"), "-lrc"}).ExitCode, 0);
  const size_t frames = ParseWav(ReadFile(File("book.wav"))).Samples.size() / 2;
  EXPECT_EQ(frames, SpeechFrames(3) + SpeechFrames(6) + SpeechFrames(7) + ChapterPauseFrames(2));
  // The heading after the half second before it, the first paragraph a second after the heading's
  // speech (0.25 s), the second 0.7 s after the first's (0.4 s); every pause ends a paragraph, which
  // is a blank line before the next line.
  EXPECT_EQ(ReadFile(File("book.lrc")),
            "[re:Sonarel]\r\n[00:00.49]\r\n[00:00.50]One\r\n[00:01.74]\r\n[00:01.75]First.\r\n[00:02.84]\r\n"
            "[00:02.85]Second.\r\n");
  const struct {
    std::vector<std::string> options;
    size_t pauseFrames;
  } texts[] = {{{}, 0}, {{"--paragraph-pause", "300"}, 300 * 24}, {{"--chapter-pause", "4000"}, 0}};
  for (const auto& c : texts) {
    std::vector<std::string> args = {"-k", kCloudKey, "-t", "One.\nTwo.", "-w", File("text.wav")};
    args.insert(args.end(), c.options.begin(), c.options.end());
    ASSERT_EQ(Run(args).ExitCode, 0);
    EXPECT_EQ(ParseWav(ReadFile(File("text.wav"))).Samples.size() / 2, 2 * SpeechFrames(4) + c.pauseFrames);
  }
}

// The dry run lists a book's chapters with the -ln numbers of their first lines, those that -ln
// left, and says that a cover no output can store is left out; --list-lines shows the numbers.
TEST_F(SonacliE2e, DryRunNumbersABooksChaptersAndNamesItsCoverLeftOut) {
  const std::string manifest =
      "<item id=\"nav\" href=\"nav.xhtml\" media-type=\"application/xhtml+xml\" properties=\"nav\"/>"
      "<item id=\"c1\" href=\"c1.xhtml\" media-type=\"application/xhtml+xml\"/>"
      "<item id=\"c2\" href=\"c2.xhtml\" media-type=\"application/xhtml+xml\"/>"
      "<item id=\"cover\" href=\"cover.svg\" media-type=\"image/svg+xml\" properties=\"cover-image\"/>";
  const std::string book = Write(
      "novel.epub",
      Epub({{"OEBPS/content.opf", Package("<dc:title>Novel</dc:title>", manifest,
                                          "<itemref idref=\"c1\"/><itemref idref=\"c2\"/>")},
            {"OEBPS/nav.xhtml",
             NavDocument(
                 "<ol><li><a href=\"c1.xhtml\">One</a></li><li><a href=\"c2.xhtml\">Two</a></li></ol>")},
            {"OEBPS/c1.xhtml", Xhtml("<h1>One</h1><p>First.</p><p>Second.</p>")},
            {"OEBPS/c2.xhtml", Xhtml("<h1>Two</h1><p>Third.</p>")},
            {"OEBPS/cover.svg", "<svg xmlns=\"http://www.w3.org/2000/svg\"/>"}}));
  EXPECT_EQ(Run({"-f", book, "--list-lines"}).Stdout, "1\tOne\n2\tFirst.\n3\tSecond.\n4\tTwo\n5\tThird.\n");
  const TChildResult run = Run({"-f", book, "-w", File("novel.m4b"), "--dry-run", "-ln", "3-5"});
  ASSERT_EQ(run.ExitCode, 0) << run.Stdout;
  // Second. (7 characters), with 0.5 s before it and 2 s after it; Two (3) and Third. (6), with
  // 0.5 s before, 1 s between, 2 s after.
  EXPECT_NE(run.Stdout.find("Chapters: 2\nChapter 1: 0:00:00 One (line 3)\nChapter 2: 0:00:03 Two (line 4)\n"
                            "Cover: the book's cover is left out, not a JPEG or PNG image (image/svg+xml)\n"),
            std::string::npos)
      << run.Stdout;
  EXPECT_TRUE(standin_->Requests().empty());
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
