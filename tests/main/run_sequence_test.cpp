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
#include "main/usage_text.h"
#include "platform/console.h"
#include "platform/text_codec.h"
#include "testing/test_support.h"

namespace sonacli {
namespace {

using Args = std::vector<std::u16string>;
using Lines = std::vector<std::u16string>;

struct RunResult {
  int exitCode = -1;
  std::string output;
  bool synthesized = false;
  Lines lines;  // the input text as the driver saw it
  SubtitleList subtitles;
  TSettings settings;  // the settings the driver was handed
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
      result.lines = input.Lines;
      result.subtitles = input.Subtitles;
      result.settings = input.Settings;
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
      applied.push_back(input.Dictionaries.Apply(input.Lines.front()));
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
// each chapter's tag at the start of its first line.
TEST_F(RunSequenceTest, BooksAreReadByTheirContentAsTheRunsText) {
  const std::string epub = testing::ChapterEpub(
      "Book", "Author", {{"One", {"First text.", "More text."}}, {"Two", {"Second text."}}});
  const Lines epubLines = {u"{{chapter=One}}One", u"First text.", u"More text.", u"{{chapter=Two}}Two",
                           u"Second text."};
  const std::u16string fb2Text =
      u"<title-info><book-title>Книга</book-title><lang>ru</lang></title-info>"
      u"<body><section><title><p>Глава</p></title><p>Текст главы.</p></section></body>";
  const std::string fb2 = EncodeCodePage(
      ToUtf16(testing::Fb2("", ToUtf8(fb2Text), "<?xml version=\"1.0\" encoding=\"windows-1251\"?>")), 1251);
  const Lines fb2Lines = {u"{{chapter=Глава}}Глава", u"Текст главы."};
  const struct {
    const char* name;
    std::string bytes;
    Lines lines;
  } cases[] = {
      {"book.epub", epub, epubLines},
      {"named-as-text.txt", epub, epubLines},
      {"book.fb2", fb2, fb2Lines},
      {"book.fb2.zip", MakeZip({{"book.fb2", fb2}}), fb2Lines},
      {"archive.zip", MakeZip({{"readme", "not a book"}, {"content", fb2}}), fb2Lines},
  };
  for (const auto& c : cases) {
    RunResult result = Run(Valid({u"-f", Write(c.name, c.bytes)}));
    EXPECT_EQ(result.exitCode, 0) << c.name << result.output;
    EXPECT_EQ(result.lines, c.lines) << c.name;
  }
  // Several books, and a book among text files, keep the two empty lines between files. A listed
  // text file is a chapter; a listed book keeps its own chapters instead.
  const std::u16string text = Write("a.txt", "Plain.\n");
  RunResult list = Run(Valid({u"-fl", Write("list.txt", dir_.File("book.fb2") + "\n" + dir_.File("a.txt") +
                                                            "\n" + dir_.File("book.epub") + "\n")}));
  Lines expected = fb2Lines;
  expected.insert(expected.end(), {u"", u"", u"{{chapter=Plain.}}Plain.", u"", u""});
  expected.insert(expected.end(), epubLines.begin(), epubLines.end());
  EXPECT_EQ(list.lines, expected);
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
  EXPECT_EQ(result.lines, (Lines{u"First text.", u"More text.", u"{{chapter=Two}}Two"}));
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
  EXPECT_EQ(fromStdin(testing::ChapterEpub("Book", "Author", {{"One", {"Text."}}})).lines,
            (Lines{u"{{chapter=One}}One", u"Text."}));
  RunResult broken = fromStdin(testing::Fb2("", "<body></body>"));
  EXPECT_EQ(broken.output, "\n[Error] Cannot read the book on standard input: the book holds no text\n");
  EXPECT_FALSE(broken.synthesized);
}

}  // namespace
}  // namespace sonacli
