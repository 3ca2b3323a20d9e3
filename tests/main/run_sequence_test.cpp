#include "main/run_sequence.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

#include <gtest/gtest.h>

#include "book/book_test_support.h"
#include "catalogue/value_list.h"
#include "common/unicode_text.h"
#include "dict/dictionary_set.h"
#include "driver/piece_request.h"
#include "main/usage_text.h"
#include "platform/console.h"
#include "platform/text_codec.h"
#include "service/request_builders.h"
#include "testing/test_support.h"
#include "text/input_pieces.h"

namespace sonacli {
namespace {

using Args = std::vector<std::u16string>;
using Lines = std::vector<std::u16string>;

struct RunResult {
  int exitCode = -1;
  std::string output;
  bool synthesized = false;
  Lines lines;  // the input text as the driver saw it
  // The books' chapters as "title@line" (the line an index of `lines`), and the runs of lines as
  // "text@line#number" or "book<index>:<language>@line#number".
  std::vector<std::string> chapters;
  std::vector<std::string> runs;
  SubtitleList subtitles;
  TSettings settings;  // the settings the driver was handed
  TMediaTags tags;
};

// Sets an environment variable, or unsets it for nullptr, for its lifetime.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const char* value) : name_(name) {
    const char* saved = std::getenv(name);
    if (saved) saved_ = saved;
    if (value) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  }
  ~ScopedVariable() {
    if (saved_) {
      setenv(name_, saved_->c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }
  ScopedVariable(const ScopedVariable&) = delete;
  ScopedVariable& operator=(const ScopedVariable&) = delete;

 private:
  const char* name_;
  std::optional<std::string> saved_;
};

// Runs the sequence in this process with a driver that records what it was handed.
class RunSequenceTest : public ::testing::Test {
 protected:
  std::u16string File(const std::string& name) const { return ToUtf16(dir_.File(name)); }
  std::u16string Write(const std::string& name, const std::string& bytes) const {
    return ToUtf16(testing::WriteFile(dir_.File(name), bytes));
  }
  // The arguments of a run that passes every check, followed by the extra ones.
  Args Valid(const Args& extra) const {
    Args args = {u"-k", u"key", u"-w", File("out.wav")};
    args.insert(args.end(), extra.begin(), extra.end());
    return args;
  }
  RunResult Run(const Args& args) {
    RunResult result;
    TConsoleCapture capture;
    TErrorReport errors;
    const auto driver = [&result](const TSynthesisInput& input) {
      result.synthesized = true;
      result.lines = input.Text.Lines;
      for (const TLineChapter& chapter : input.Text.Chapters)
        result.chapters.push_back(ToUtf8(chapter.Title) + "@" + std::to_string(chapter.Line));
      for (const TInputRun& run : input.Text.Runs)
        result.runs.push_back((run.Source == TLineSource::Book
                                   ? "book" + std::to_string(run.Book) + ":" + ToUtf8(run.Language)
                                   : std::string("text")) +
                              "@" + std::to_string(run.FirstLine) + "#" + std::to_string(run.FirstNumber));
      result.subtitles = input.Subtitles;
      result.settings = input.Settings;
      result.tags = input.Tags;
    };
    result.exitCode = RunSequence(args, File("sonacli"), driver, errors);
    result.output = capture.Text();
    return result;
  }
  // A run of `args` with `bytes` on standard input.
  RunResult RunWithStandardInput(const Args& args, const std::string& bytes) {
    const std::string name = testing::WriteFile(dir_.File("stdin"), bytes);
    const int saved = dup(STDIN_FILENO);
    const int fd = open(name.c_str(), O_RDONLY);
    dup2(fd, STDIN_FILENO);
    close(fd);
    RunResult result = Run(args);
    dup2(saved, STDIN_FILENO);
    close(saved);
    return result;
  }
  static std::string Joined(const Lines& lines) {
    std::string text;
    for (const std::u16string& line : lines) text += ToUtf8(line) + "\n";
    return text;
  }

  testing::ScopedTempDir dir_;
  // No configuration file of the user who runs the tests.
  ScopedVariable configHome_{"XDG_CONFIG_HOME", dir_.File("xdg").c_str()};
};

TEST_F(RunSequenceTest, FailedCheckIsReportedAndEndsTheRunBeforeTheDriver) {
  struct Case {
    Args args;
    const char* message;
  };
  const Case cases[] = {
      // Settled from the options alone (the order of these checks: ResolveRun's table).
      {Valid({u"-t", u"x", u"-l", u"xx-XX", u"-n", u"nobody", u"-e", u"x"}), "Not supported language"},
      {{u"-t", u"x", u"-w", File("out.wav")}, "API-key not defined"},
      // Found by looking at the input and the file system.
      {Valid({u"-t", u"x", u"-w", File("no/such/out.wav")}), "Output folder not found"},
      {Valid({u"-t", u"x", u"-sub"}), "Unknown format of subtitles"},
  };
  for (const Case& c : cases) {
    RunResult result = Run(c.args);
    EXPECT_EQ(result.output, std::string("\n[Error] ") + c.message + "\n");
    EXPECT_EQ(result.exitCode, 1) << c.message;
    EXPECT_FALSE(result.synthesized) << c.message;
  }
}

TEST_F(RunSequenceTest, DriverIsHandedTheResolvedSettings) {
  RunResult result = Run(Valid({u"-t", u"Hi", u"-l", u"EN-us", u"-n", u"JOHN", u"-e", u"g", u"-s", u"1.50",
                                u"-v", u"500", u"-fr", u"16", u"-lrc"}));
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.output, "");
  EXPECT_TRUE(result.synthesized);
  EXPECT_EQ(result.lines, Lines{u"Hi"});
  EXPECT_EQ(result.settings.LanguageCode, u"en-US");
  EXPECT_EQ(result.settings.VoiceName, u"john");
  EXPECT_EQ(result.settings.EmotionName, u"good");
  EXPECT_EQ(result.settings.SpeechRate, u"1.50");
  EXPECT_EQ(result.settings.VolumeDelta, 400);
  EXPECT_EQ(result.settings.SampleRate, 16000);
  EXPECT_EQ(result.settings.LrcData.FileName, File("out.lrc"));
}

TEST_F(RunSequenceTest, UsageAndValueListEndTheRun) {
  const std::string usage = Run({}).output;
  EXPECT_TRUE(usage.starts_with("\nUsage: sonacli [options ...]\n\n  -k <key>"));
  EXPECT_EQ(Run(Valid({u"-t", u"x", u"-h", u"-m", u"-l", u"xx"})).output, usage);
  EXPECT_EQ(Run({u"-t", u""}).output, usage);  // an empty text is no input
  const std::string list = Joined(ValueListLines());
  RunResult listOnly = Run({u"-m"});
  EXPECT_EQ(listOnly.output, list);
  EXPECT_EQ(listOnly.exitCode, 0);
  RunResult toStdout = Run({u"-m", u"-t", u"x", u"-o", u"-k", u"k"});
  EXPECT_EQ(toStdout.output, list);
  EXPECT_FALSE(toStdout.synthesized);
  RunResult listThenSpeech = Run(Valid({u"-m", u"-t", u"x"}));
  EXPECT_EQ(listThenSpeech.output, list);
  EXPECT_TRUE(listThenSpeech.synthesized);
  // Validation follows the list.
  EXPECT_EQ(Run({u"-m", u"-t", u"x", u"-k", u"k"}).output, list + "\n[Error] Output file name not defined\n");
}

// Replaces PATH for its lifetime.
class ScopedPath {
 public:
  explicit ScopedPath(const std::string& path) {
    const char* saved = std::getenv("PATH");
    saved_ = saved ? saved : "";
    setenv("PATH", path.c_str(), 1);
  }
  ~ScopedPath() { setenv("PATH", saved_.c_str(), 1); }

 private:
  std::string saved_;
};

TEST_F(RunSequenceTest, ClipboardIsReadBeforeTheUsageTextButNotForTheVersion) {
  // A clipboard program that notes every reading.
  const std::string readings = dir_.File("readings");
  const std::string program =
      testing::WriteFile(dir_.File("wl-paste"), "#!/bin/sh\necho >>'" + readings + "'\nprintf Hello\n");
  std::filesystem::permissions(program, std::filesystem::perms::owner_all);
  const ScopedPath path(dir_.Path().string());
  EXPECT_TRUE(Run({u"-c", u"-h"}).output.starts_with("\nUsage: sonacli"));
  EXPECT_EQ(testing::ReadFile(readings), "\n");
  Run({u"-c", u"--version"});
  EXPECT_EQ(testing::ReadFile(readings), "\n");
  EXPECT_EQ(Run(Valid({u"-c"})).lines, Lines{u"Hello"});
  EXPECT_EQ(testing::ReadFile(readings), "\n\n");
}

TEST_F(RunSequenceTest, EveryMissingInputFileIsReported) {
  RunResult result = Run(Valid({u"-f", File("a.txt"), u"-f", u"", u"-f", u"sub/b.txt"}));
  EXPECT_EQ(result.output,
            "\n[Error] Input file not found: a.txt\n[Error] Input file not found\n[Error] Input file not "
            "found: b.txt\n");
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_FALSE(result.synthesized);
}

TEST_F(RunSequenceTest, FilesAreReadInOrderWithTwoEmptyLinesBetween) {
  const std::u16string first = Write("a.txt", EncodeCodePage(u"Один\r\nДва", 1251));
  const std::u16string second = Write("b.txt", "\xEF\xBB\xBF" + ToUtf8(u"Три"));
  RunResult result = Run(Valid({u"-f", first, u"-fl", Write("list.txt", ToUtf8(second))}));
  EXPECT_EQ(result.exitCode, 0);
  // A file of a list starts a chapter, one given with -f does not.
  EXPECT_EQ(result.lines, (Lines{u"Один", u"Два", u"", u"", u"{{chapter=Три}}Три"}));
}

// Each file of a list is a chapter titled by its first line with text, whose tag goes in front of
// that line: line numbers stay the text's own. A file without text has no chapter.
TEST_F(RunSequenceTest, ListFilesStartChaptersAtTheirFirstLineWithText) {
  const std::u16string one = Write("one.txt", "\n  \t\n  Part  {{One}} \nText one.\n");
  const std::u16string blank = Write("blank.txt", "\n \n");
  const std::u16string two = Write("two.txt", "Two\nText two.");
  const std::u16string list = Write("list.txt", ToUtf8(one + u"\n" + blank + u"\n" + two));
  RunResult result = Run(Valid({u"-fl", list}));
  EXPECT_EQ(result.exitCode, 0);
  // (The ends of the whole text lose their line breaks, as always.)
  EXPECT_EQ(result.lines, (Lines{u"  \t", u"{{chapter=Part { {One} } }}  Part  {{One}} ", u"Text one.", u"",
                                 u"", u"", u" ", u"", u"", u"{{chapter=Two}}Two", u"Text two."}));
  // -ln counts the lines of the text; a title line left out takes its chapter along.
  result = Run(Valid({u"-fl", list, u"-ln", u"3-4", u"-ln", u"12"}));
  EXPECT_EQ(result.lines,
            (Lines{u"{{chapter=Part { {One} } }}  Part  {{One}} ", u"Text one.", u"Text two."}));
}

TEST_F(RunSequenceTest, LinesAreSelectedThenFiltered) {
  const std::u16string file = Write("a.txt", "one [1]\ntwo\nthree (3)\nfour\nfive\n");
  RunResult result = Run(Valid({u"-f", file, u"-ln", u"3", u"-ln", u"1-2", u"-ln", u"9", u"-isb", u"-irb"}));
  EXPECT_EQ(result.lines, (Lines{u"three", u"one", u"two"}));
}

TEST_F(RunSequenceTest, EmptyInputEndsSilently) {
  for (const Args& args : {Valid({u"-f", Write("blank.txt", "\r\n\t\r\n\n")}), Valid({u"-t", u"\t"})}) {
    RunResult result = Run(args);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.output, "");
    EXPECT_FALSE(result.synthesized);
  }
}

TEST_F(RunSequenceTest, TextThatSelectionOrFiltersTakeAwayIsReported) {
  const std::u16string five = Write("five.txt", "1\n2\n3\n4\n5\n");
  for (const auto& [args, message] :
       {std::pair{Valid({u"-f", five, u"-ln", u"9"}), "No lines selected"},
        std::pair{Valid({u"-f", five, u"-ln", u"3-2"}), "No lines selected"},
        std::pair{Valid({u"-t", u"[1] (2)", u"-isb", u"-irb"}), "No text to speak"}}) {
    RunResult result = Run(args);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.output, std::string("\n[Error] ") + message + "\n");
    EXPECT_FALSE(result.synthesized);
  }
}

TEST_F(RunSequenceTest, DictionariesAreLoadedBeforeSynthesis) {
  const std::u16string dic = Write("a.dic", "\xEF\xBB\xBFhello=bye\n");
  std::u16string applied;
  TConsoleCapture quiet;
  RunSequence(Valid({u"-t", u"x", u"-d", dic}), File("sonacli"),
              [&](const TSynthesisInput& input) { applied = input.Dictionaries.Apply(u"hello"); });
  EXPECT_EQ(applied, u"bye");
}

TEST_F(RunSequenceTest, SecondRunInOneProcessGivesTheSameResult) {
  // Nothing of a run outlives it: a ".rex" rule applies once per run, however many runs there are.
  const std::u16string rex = Write("a.rex", "a=aa\n");
  const Args args = Valid({u"-t", u"a cat", u"-d", rex, u"-lrc"});
  std::vector<std::u16string> applied;
  std::vector<TSettings> settled;
  TConsoleCapture quiet;
  for (int run = 0; run < 2; ++run) {
    RunSequence(args, File("sonacli"), [&](const TSynthesisInput& input) {
      applied.push_back(input.Dictionaries.Apply(input.Text.Lines.front()));
      settled.push_back(input.Settings);
    });
  }
  EXPECT_EQ(applied, (std::vector<std::u16string>{u"aa caat", u"aa caat"}));
  ASSERT_EQ(settled.size(), 2u);
  EXPECT_EQ(settled[1].DictionaryFiles, (Lines{rex}));
  EXPECT_EQ(settled[1].LrcData.FileName, settled[0].LrcData.FileName);
}

TEST_F(RunSequenceTest, SubtitlesAreReadJoinedAndWidenedBeforeTheOutputFolderIsChecked) {
  const std::u16string srt = Write("b.srt",
                                   "1\n00:00:01,000 --> 00:00:02,000\nI wanted to\n\n"
                                   "2\n00:00:02,500 --> 00:00:04,000\ngo home.\n");
  RunResult result = Run(Valid({u"-f", srt}));
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_TRUE(result.synthesized);
  EXPECT_EQ(result.subtitles, (SubtitleList{{950, 4050, u"I wanted to go home."}}));
  // Text mode hands no subtitles on.
  EXPECT_TRUE(Run(Valid({u"-t", u"x"})).subtitles.empty());
  // Reading comes before the output folder's check, and after the input's.
  const std::u16string noFolder = File("no/such/out.wav");
  RunResult empty = Run({u"-k", u"k", u"-w", noFolder, u"-f", Write("c.vtt", "no header\n")});
  EXPECT_EQ(empty.output, "\n[Error] No text in subtitles\n");
  EXPECT_EQ(empty.exitCode, 1);
  EXPECT_FALSE(empty.synthesized);
  RunResult unknown = Run({u"-k", u"k", u"-w", noFolder, u"-sub", u"-f", Write("d.txt", "text\n")});
  EXPECT_EQ(unknown.output, "\n[Error] Unknown format of subtitles\n");
  EXPECT_EQ(Run({u"-k", u"k", u"-w", noFolder, u"-f", srt}).output, "\n[Error] Output folder not found\n");
}

TEST_F(RunSequenceTest, ConfigurationFileComesFirstAndCommandLineWins) {
  const std::u16string input = Write("in.txt", "from file");
  Write("sonacli.cfg", "-t from config\n-k filekey\n-w " + dir_.File("cfg.wav") + "\n-ln 1\n");
  RunResult result = Run({u"-f", input, u"-k", u"cli"});
  EXPECT_EQ(result.lines, Lines{u"from file"});
  EXPECT_EQ(result.settings.ApiKey, u"cli");
  EXPECT_EQ(result.settings.OutputFileName, File("cfg.wav"));
  EXPECT_EQ(result.settings.LineSelections, Lines{u"1"});
  const std::u16string other = Write("other.cfg", "-t other\n-o\n");
  EXPECT_EQ(Run({u"-cfg", other, u"-k", u"x"}).lines, Lines{u"other"});
}

TEST_F(RunSequenceTest, TheUsersConfigurationFileComesBeforeTheProgramsOwn) {
  std::filesystem::create_directories(dir_.File("xdg/sonacli"));
  Write("xdg/sonacli/sonacli.cfg", "-k userkey\n-dbr 50\n-t user\n-w " + dir_.File("user.wav") + "\n");
  Write("sonacli.cfg", "-k filekey\n");
  RunResult result = Run({u"-w", File("cli.wav")});
  EXPECT_EQ(result.settings.ApiKey, u"filekey");               // the program's file wins
  EXPECT_EQ(result.settings.RequestDelayMs, 50);               // what only the user's file gives
  EXPECT_EQ(result.settings.OutputFileName, File("cli.wav"));  // the command line wins over both
  EXPECT_EQ(result.lines, Lines{u"user"});
  // The user's file named by -cfg is read once: its -t text is not doubled.
  EXPECT_EQ(Run({u"-cfg", File("xdg/sonacli/sonacli.cfg")}).lines, Lines{u"user"});

  // Without XDG_CONFIG_HOME, or with a relative one, the file is looked for under ~/.config.
  std::filesystem::create_directories(dir_.File("home/.config/sonacli"));
  Write("home/.config/sonacli/sonacli.cfg", "-t home\n");
  const ScopedVariable home("HOME", dir_.File("home").c_str());
  {
    const ScopedVariable unset("XDG_CONFIG_HOME", nullptr);
    EXPECT_EQ(Run(Valid({})).lines, Lines{u"home"});
  }
  const ScopedVariable relative("XDG_CONFIG_HOME", "xdg");
  EXPECT_EQ(Run(Valid({})).lines, Lines{u"home"});
}

TEST_F(RunSequenceTest, StandardInputIsDecoded) {
  const RunResult result = RunWithStandardInput(Valid({u"-i"}), ToUtf8(u"Привет\nмир\n"));
  EXPECT_EQ(result.lines, (Lines{u"Привет", u"мир"}));
}

// A book is told by its content, whatever its name; it becomes the run's text, a line per block,
// its chapters beside its lines.
TEST_F(RunSequenceTest, BooksAreReadByTheirContentAsTheRunsText) {
  const std::string epub = testing::ChapterEpub(
      "Book", "Author", {{"One", {"First text.", "More text."}}, {"Two", {"Second text."}}}, {}, "en");
  const Lines epubLines = {u"One", u"First text.", u"More text.", u"Two", u"Second text."};
  const std::string fb2 = EncodeCodePage(
      ToUtf16(testing::Fb2("<book-title>Книга</book-title><lang>ru</lang>",
                           "<body><section><title><p>Глава</p></title><p>Текст главы.</p></section></body>",
                           "<?xml version=\"1.0\" encoding=\"windows-1251\"?>")),
      1251);
  const Lines fb2Lines = {u"Глава", u"Текст главы."};
  using Marks = std::vector<std::string>;
  const struct {
    const char* name;
    std::string bytes;
    Lines lines;
    Marks chapters;
    Marks runs;
  } cases[] = {
      {"book.epub", epub, epubLines, {"One@0", "Two@3"}, {"book0:en@0#1"}},
      {"named-as-text.txt", epub, epubLines, {"One@0", "Two@3"}, {"book0:en@0#1"}},
      {"book.fb2", fb2, fb2Lines, {"Глава@0"}, {"book0:ru@0#1"}},
      {"book.fb2.zip", MakeZip({{"book.fb2", fb2}}), fb2Lines, {"Глава@0"}, {"book0:ru@0#1"}},
      {"archive.zip",
       MakeZip({{"readme", "not a book"}, {"content", fb2}}),
       fb2Lines,
       {"Глава@0"},
       {"book0:ru@0#1"}},
  };
  for (const auto& c : cases) {
    RunResult result = Run(Valid({u"-f", Write(c.name, c.bytes)}));
    EXPECT_EQ(result.exitCode, 0) << c.name << result.output;
    EXPECT_EQ(result.lines, c.lines) << c.name;
    EXPECT_EQ(result.chapters, c.chapters) << c.name;
    EXPECT_EQ(result.runs, c.runs) << c.name;
  }
  // Several books, and a book among text files, keep the two empty lines between files (the ends of
  // the runs of the user's text lose them to the filters' trimming, as the ends of a text always
  // did). A listed text file is a chapter; a listed book keeps its own chapters instead.
  const std::u16string text = Write("a.txt", "Plain.\n");
  RunResult list = Run(Valid({u"-fl", Write("list.txt", dir_.File("book.fb2") + "\n" + dir_.File("a.txt") +
                                                            "\n" + dir_.File("book.epub") + "\n")}));
  Lines expected = fb2Lines;
  expected.insert(expected.end(), u"{{chapter=Plain.}}Plain.");
  expected.insert(expected.end(), epubLines.begin(), epubLines.end());
  EXPECT_EQ(list.lines, expected);
  EXPECT_EQ(list.chapters, (Marks{"Глава@0", "One@3", "Two@6"}));
  EXPECT_EQ(list.runs, (Marks{"book0:ru@0#1", "text@2#0", "book1:en@3#8"}));
  // Files that are no text nor book are still refused.
  const std::u16string pdf = Write("paper.pdf", "%PDF-1.5\n%\xD0\xD4\xC5\xD8\n1 0 obj\n");
  RunResult refused = Run(Valid({u"-f", File("book.epub"), u"-f", pdf}));
  EXPECT_EQ(refused.output, "\n[Error] Input file is not text (PDF document): paper.pdf\n");
  EXPECT_FALSE(refused.synthesized);
}

TEST_F(RunSequenceTest, LineSelectionAndFiltersCountABooksOwnLines) {
  const std::u16string book =
      Write("book.epub",
            testing::ChapterEpub("Book", "Author",
                                 {{"One", {"First [note] text.", "More text."}}, {"Two", {"Second."}}}));
  RunResult result = Run(Valid({u"-f", book, u"-ln", u"2-4", u"-isb"}));
  EXPECT_EQ(result.lines, (Lines{u"First text.", u"More text.", u"Two"}));
  // The chapter whose heading was left out starts at its first line selected.
  EXPECT_EQ(result.chapters, (std::vector<std::string>{"One@0", "Two@2"}));
  EXPECT_EQ(result.runs, (std::vector<std::string>{"book0:@0#2"}));
}

// Each piece as "<kind> <what>"; a speech piece with "plain" when it never goes out as SSML, a
// chapter with the -ln number of its first line.
std::vector<std::string> DescribePieces(const TPieceList& pieces) {
  std::vector<std::string> out;
  for (const TPiece& piece : pieces) {
    if (piece.Kind == TPieceKind::Chapter) {
      out.push_back("chapter " + ToUtf8(piece.Text) + " @" + std::to_string(piece.LineNumber));
    } else if (piece.Kind == TPieceKind::Speech) {
      out.push_back((piece.PlainText ? "plain " : "speech ") + ToUtf8(piece.Text));
    } else {
      out.push_back("insert " + ToUtf8(piece.Text));
    }
  }
  return out;
}

// A book is input from strangers: whatever its text holds, in an EPUB or an FB2 book, with or
// without the filters and line selection, it is spoken as text; no pause, sound file, language
// switch, chapter or SSML document is ever made of it. Its chapters are its own.
TEST_F(RunSequenceTest, ABooksTextIsNeverTakenForACommand) {
  const std::string wav = dir_.File("tone.wav");
  testing::WriteFile(wav, "RIFF");
  const std::vector<std::string> first = {
      "{{pause=2000000000}}",     "Say {{PAUSE=5}} it.", "{{audio=" + wav + "}}",
      "{{Lang=en-US;john}}Hello", "{{pause=5",           "<speak>Hi</speak>"};
  const auto escaped = [](std::string text) {
    for (size_t at = 0; (at = text.find_first_of("<>", at)) != std::string::npos;)
      text.replace(at, 1, text[at] == '<' ? "&lt;" : "&gt;");
    return text;
  };
  std::vector<std::string> firstMarkup;
  for (const std::string& paragraph : first) firstMarkup.push_back(escaped(paragraph));
  const std::string epub = testing::ChapterEpub(
      "Tags", "Me", {{"Start {{chapter=Forged}}", firstMarkup}, {"End", {"Bye {{CHAPTER=}}"}}});
  std::string sections = "<section><title><p>Start {{chapter=Forged}}</p></title>";
  for (const std::string& paragraph : firstMarkup) sections += "<p>" + paragraph + "</p>";
  sections += "</section><section><title><p>End</p></title><p>Bye {{CHAPTER=}}</p></section>";
  const std::string fb2 = testing::Fb2("<book-title>Tags</book-title>", "<body>" + sections + "</body>");
  using Pieces = std::vector<std::string>;
  Pieces whole = {"chapter Start {{chapter=Forged}} @1", "plain Start {{chapter=Forged}}"};
  for (const std::string& paragraph : first) whole.push_back("plain " + paragraph);
  whole.insert(whole.end(), {"chapter End @8", "plain End", "plain Bye {{CHAPTER=}}"});
  const struct {
    const char* name;
    std::string book;
    Args options;
    Pieces expected;
  } cases[] = {
      {"EPUB", epub, {}, whole},
      {"FB2", fb2, {}, whole},
      // Curly brackets go line by line: a line they empty goes, an unclosed one stays.
      {"EPUB -icb",
       epub,
       {u"-icb"},
       {"chapter Start {{chapter=Forged}} @1", "plain Start", "plain Say it.", "plain Hello",
        "plain {{pause=5", "plain <speak>Hi</speak>", "chapter End @8", "plain End", "plain Bye"}},
      {"FB2 -ln 3-5 -ln 9",
       fb2,
       {u"-ln", u"3-5", u"-ln", u"9"},
       {"chapter Start {{chapter=Forged}} @3", "plain Say {{PAUSE=5}} it.", "plain {{audio=" + wav + "}}",
        "plain {{Lang=en-US;john}}Hello", "chapter End @9", "plain Bye {{CHAPTER=}}"}},
  };
  for (const auto& c : cases) {
    Args args = Valid({u"-f", Write("book", c.book), u"--paragraph-pause", u"0", u"--chapter-pause", u"0"});
    args.insert(args.end(), c.options.begin(), c.options.end());
    TPieceList pieces;
    TErrorReport errors;
    RunSequence(
        args, File("sonacli"),
        [&](const TSynthesisInput& input) {
          pieces = BuildInputPieces(input.Text, TPieceRules::FromSettings(input.Settings, false));
        },
        errors);
    EXPECT_EQ(DescribePieces(pieces), c.expected) << c.name;
    for (const TPiece& piece : pieces) {
      if (piece.Kind != TPieceKind::Speech) continue;
      EXPECT_EQ(piece.Voice, u"oksana") << c.name;
      EXPECT_TRUE(CloudV1Body(PieceRequest(piece, piece.Text, u"key")).starts_with("text=")) << c.name;
    }
  }
}

// With several books the first one's title, authors and cover are the output's, each where the
// options give none; a later book's never are, not even where the first has none.
TEST_F(RunSequenceTest, TheFirstBooksTitleAuthorAndCoverWin) {
  const std::string cover = testing::SmallPng();
  const std::u16string first =
      Write("first.epub", testing::ChapterEpub("First", "Ann", {{"One", {"Text."}}}));
  const std::u16string second =
      Write("second.epub", testing::ChapterEpub("Second", "Bob", {{"Two", {"Text."}}}, cover));
  const RunResult both = Run(Valid({u"-f", first, u"-f", second}));
  EXPECT_EQ(both.tags.Title, u"First");
  EXPECT_EQ(both.tags.Author, u"Ann");
  EXPECT_TRUE(both.tags.Cover.empty());
  const RunResult reversed = Run(Valid({u"-f", second, u"-f", first, u"--title", u"Mine"}));
  EXPECT_EQ(reversed.tags.Title, u"Mine");
  EXPECT_EQ(reversed.tags.Author, u"Bob");
  EXPECT_EQ(reversed.tags.Cover, cover);
}

// --list-lines prints the lines as -ln counts them, after -ln and before the filters, and ends
// the run before anything else: no key, no output file, no driver.
TEST_F(RunSequenceTest, ListLinesPrintsTheLinesNumberedAsLineSelectionCountsThem) {
  const std::u16string book = Write(
      "book.epub", testing::ChapterEpub("Book", "Author", {{"One", {"First [1] text."}}, {"Two", {"End."}}}));
  const std::u16string text = Write("a.txt", "Text [2].\n");
  const struct {
    Args args;
    std::string output;
  } cases[] = {
      {{u"-f", book, u"-f", text, u"--list-lines", u"-isb"},
       "1\tOne\n2\tFirst [1] text.\n3\tTwo\n4\tEnd.\n5\t\n6\t\n7\tText [2].\n"},
      {{u"-f", book, u"-f", text, u"--list-lines", u"-ln", u"7", u"-ln", u"2-3"},
       "7\tText [2].\n2\tFirst [1] text.\n3\tTwo\n"},
  };
  for (const auto& c : cases) {
    const RunResult result = Run(c.args);
    EXPECT_EQ(result.exitCode, 0) << result.output;
    EXPECT_EQ(result.output, c.output);
    EXPECT_FALSE(result.synthesized);
  }
}

TEST_F(RunSequenceTest, BookThatCannotBeReadIsNamedAndEndsTheRun) {
  const std::string encryption =
      "<encryption xmlns=\"urn:oasis:names:tc:opendocument:xmlns:container\" "
      "xmlns:enc=\"http://www.w3.org/2001/04/xmlenc#\"><enc:EncryptedData><enc:CipherData>"
      "<enc:CipherReference URI=\"OEBPS/c1.xhtml\"/></enc:CipherData></enc:EncryptedData></encryption>";
  const std::string good = testing::ChapterEpub("Book", "Author", {{"One", {"Text."}}});
  const struct {
    const char* name;
    std::string bytes;
    const char* message;
  } cases[] = {
      {"locked.epub",
       testing::Epub(
           {{"META-INF/encryption.xml", encryption},
            {"OEBPS/content.opf",
             testing::Package("<dc:title>Locked</dc:title>",
                              "<item id=\"c1\" href=\"c1.xhtml\" media-type=\"application/xhtml+xml\"/>",
                              "<itemref idref=\"c1\"/>")},
            {"OEBPS/c1.xhtml", "\x13\x9A"}}),
       "Cannot read the book locked.epub: encrypted books cannot be read"},
      {"broken.fb2", testing::Fb2("", "<body><p>Text</body>"),
       "Cannot read the book broken.fb2: line 4: Opening and ending tag mismatch: p line 4 and body"},
      {"cut.epub", good.substr(0, 200),
       "Cannot read the book cut.epub: the ZIP archive is cut short or damaged: its list of files is "
       "missing"},
      {"empty.fb2", testing::Fb2("<book-title>T</book-title>", ""),
       "Cannot read the book empty.fb2: the book holds no text"},
      {"empty.fb2.zip", MakeZip({{"readme.txt", "text"}, {"book.fb2", ""}}),
       "Cannot read the book empty.fb2.zip: book.fb2: the document is empty"},
      // A book by its content whose encoding cannot be used is no text to bill.
      {"bogus.fb2",
       testing::Fb2("", "<body><p>Text</p></body>", "<?xml version=\"1.0\" encoding=\"x-bogus-encoding\"?>"),
       "Cannot read the book bogus.fb2: its declared encoding \"x-bogus-encoding\" is not known"},
      {"wide.fb2",
       testing::Fb2("", "<body><p>Text</p></body>", "<?xml version=\"1.0\" encoding=\"UTF-16\"?>"),
       "Cannot read the book wide.fb2: it declares the encoding UTF-16, but its bytes are not in it"},
      {"bogus.zip",
       MakeZip({{"book", testing::Fb2("", "<body><p>Text</p></body>",
                                      "<?xml version=\"1.0\" encoding=\"x-bogus\"?>")}}),
       "Cannot read the book bogus.zip: book: its declared encoding \"x-bogus\" is not known"},
  };
  for (const auto& c : cases) {
    RunResult result = Run(Valid({u"-f", Write("good.epub", good), u"-f", Write(c.name, c.bytes)}));
    EXPECT_EQ(result.output, std::string("\n[Error] ") + c.message + "\n");
    EXPECT_EQ(result.exitCode, 1) << c.name;
    EXPECT_FALSE(result.synthesized) << c.name;
  }
}

TEST_F(RunSequenceTest, StandardInputIsReadAsABookWhenItHoldsOne) {
  const auto fromStdin = [this](const std::string& bytes) {
    return RunWithStandardInput(Valid({u"-i"}), bytes);
  };
  const RunResult book = fromStdin(testing::ChapterEpub("Book", "Author", {{"One", {"Text."}}}));
  EXPECT_EQ(book.lines, (Lines{u"One", u"Text."}));
  EXPECT_EQ(book.chapters, std::vector<std::string>{"One@0"});
  RunResult broken = fromStdin(testing::Fb2("", "<body></body>"));
  EXPECT_EQ(broken.output, "\n[Error] Cannot read the book on standard input: the book holds no text\n");
  EXPECT_FALSE(broken.synthesized);
}

}  // namespace
}  // namespace sonacli
