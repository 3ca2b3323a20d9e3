// Runs of the built program: what a user sees on standard output, and the exit code.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "main/version_text.h"
#include "support/child_process.h"
#include "testing/test_support.h"

namespace sonacli {
namespace {

struct ProgramRun {
  int exitCode = -1;
  std::string output;
  std::string errors;  // standard error
};

std::string ProgramPath() {
  return SONACLI_PROGRAM;
}

// Runs the program with the arguments, standard input from /dev/null and the environment of the
// test with the given variables replaced.
ProgramRun RunProgramWith(const std::string& program, const std::vector<std::string>& args,
                          const std::map<std::string, std::string>& env = {}) {
  std::vector<std::string> argv = {program};
  argv.insert(argv.end(), args.begin(), args.end());
  TChildOptions options;
  // No configuration file of the user who runs the tests.
  options.Environment = {{"XDG_CONFIG_HOME", "/nonexistent"}};
  for (const auto& [name, value] : env) options.Environment[name] = value;
  options.Stdin = TChildStream::Null();
  options.Stdout = options.Stderr = TChildStream::Pipe();
  TChildProcess child(argv, options);
  // The texts are small: reading one pipe to its end and then the other cannot block the program.
  ProgramRun run;
  run.output = ReadToEnd(child.StdoutPipe());
  run.errors = ReadToEnd(child.StderrPipe());
  run.exitCode = child.Wait().ExitCode;
  return run;
}

const char* const kUsage =
    "\n"
    "Usage: sonacli [options ...]\n"
    "\n"
    "  -k <key>           : specify API-key for authorization\n"
    "  -l <language_name> : set language (de-DE, en-US, kk-KZ, ru-RU, tr-TR, uz-UZ)\n"
    "  -n <voice_name>    : set voice\n"
    "  -s <number>        : set speech rate (from 0.1 to 3.0)\n"
    "  -v <integer>       : set speech volume (from 0 to 200)\n"
    "  -e <emotion>       : set emotional tone (neutral, good, evil)\n"
    "  -m                 : print list of values for parameters\n"
    "  -f <file_name>     : set input text file\n"
    "  -fl <file_name>    : set file with list of input file names\n"
    "  -w <file_name>     : set output file in WAV format\n"
    "  -c                 : use text from clipboard\n"
    "  -t <text>          : use text from command line\n"
    "  -i                 : use text from stdin\n"
    "  -o                 : write sound data to stdout\n"
    "  -enc <encoding>    : set input text encoding (ansi, utf8 or unicode)\n"
    "  -ln <integer>      : select line by number (or range, e.g. 12-79)\n"
    "  -d <file_name>     : apply dictionary for pronunciation correction\n"
    "  -lrc               : create LRC file to display synchronized text in audio players\n"
    "  -srt               : create SRT file to display synchronized text in video players\n"
    "  -sub               : process input text as subtitles\n"
    "  -host <host_name>  : set hostname for proxy server\n"
    "  -port <integer>    : set port number for proxy server\n"
    "  -fr <integer>      : set output audio sampling frequency in kHz (from 8 to 48)\n"
    "  -dp                : display progress information\n"
    "  -cfg <file_name>   : set configuration file name\n"
    "  -stereo            : set stereo audio format for output file\n"
    "  -dbr <integer>     : set delay between requests (in milliseconds)\n"
    "  -isb               : ignore text in square brackets\n"
    "  -icb               : ignore text in curly brackets\n"
    "  -iab               : ignore text in angle brackets\n"
    "  -irb               : ignore text in round brackets\n"
    "  -iu                : ignore URLs\n"
    "  -ic                : ignore /*comments*/ in text\n"
    "  -h                 : print usage information\n"
    "\n"
    "  --lrc-length <integer>  : set max length of text lines in output LRC file\n"
    "  --lrc-fname <file_name> : set filename for output LRC file\n"
    "  --lrc-enc <encoding>    : set encoding for output LRC file\n"
    "  --lrc-offset <integer>  : set time offset for output LRC file (in milliseconds)\n"
    "  --lrc-artist <text>     : artist (ID tag)\n"
    "  --lrc-album <text>      : album (ID tag)\n"
    "  --lrc-title <text>      : title (ID tag)\n"
    "  --lrc-author <text>     : author (ID tag)\n"
    "  --lrc-creator <text>    : creator of LRC file (ID tag)\n"
    "  --lrc-sent              : insert blank lines after sentences in LRC file\n"
    "  --lrc-para              : insert blank lines after paragraphs in LRC file\n"
    "  --srt-length <integer>  : set max length of text lines in output SRT file\n"
    "  --srt-fname <file_name> : set filename for output SRT file\n"
    "  --srt-enc <encoding>    : set encoding for output SRT file\n"
    "  --raw                   : output is raw PCM data (headerless)\n"
    "  --ignore-length         : omit length of audio data in WAV header\n"
    "  --sub-format <text>     : set format of subtitles (for input text)\n"
    "  --sub-fit               : increase speech rate to fit time intervals in subtitles\n"
    "  --sub-max <integer>     : set max rate of speech for subtitles (from 110 to 200)\n"
    "  --smi-class <text>      : read this class of a SAMI file of several languages\n"
    "  --cache <folder>        : keep the answers of the service in a folder to resume runs\n"
    "  --jobs <integer>        : send up to this many requests at once (from 1 to 8)\n"
    "  --format <format>       : set format of output (wav, raw, opus, mp3, flac; -w: by extension)\n"
    "  --bitrate <integer>     : set bitrate of Opus, MP3 or M4B output (in kbps)\n"
    "  --title <text>          : title of the audiobook (tag of Opus, MP3, M4B, FLAC)\n"
    "  --author <text>         : author of the audiobook (tag)\n"
    "  --cover <file_name>     : cover picture of the audiobook (JPEG or PNG)\n"
    "  --split-chapters <dir>  : also write one file per chapter into the folder\n"
    "  --chapters <file_name>  : write the chapters beside the audio (.txt, .ffmeta, .cue)\n"
    "  --paragraph-pause <ms>  : set pause between paragraphs (books: 700; text: none)\n"
    "  --chapter-pause <ms>    : set pause at the end of a chapter (books: 2000; text: none)\n"
    "  --book-parts <parts>    : read parts of books (text: without boilerplate; all)\n"
    "  --chapter-titles <form> : set form of chapter titles of books (full or bare)\n"
    "  --list-lines            : print input lines numbered as -ln counts them; send nothing\n"
    "  --dry-run               : print what would be sent, billed and written; send nothing\n"
    "  --list-requests         : print every request of a dry run, one JSON line each\n"
    "  --version               : print versions of the program and its libraries\n"
    "\n"
    "  The API-key is read from the environment variable SONACLI_API_KEY\n"
    "  when neither -k nor the configuration file gives one.\n";

TEST(Program, WithoutArgumentsPrintsTheUsageText) {
  ProgramRun run = RunProgramWith(ProgramPath(), {});
  EXPECT_EQ(run.output, kUsage);
  EXPECT_EQ(run.exitCode, 0);
}

TEST(Program, VersionPrintsTheProgramAndItsLibrariesBeforeAnythingElse) {
  std::string expected;
  for (const std::string& line : VersionLines()) expected += line + "\n";
  for (const char* option : {"--version", "-version", "--VERSION"}) {
    // Neither the usage text, nor the value list, nor missing settings come before it.
    ProgramRun run = RunProgramWith(ProgramPath(), {"-m", option, "-h"});
    EXPECT_EQ(run.output, expected) << option;
    EXPECT_EQ(run.exitCode, 0) << option;
  }
  EXPECT_TRUE(expected.starts_with("sonacli " SONACLI_TEST_VERSION "\n")) << expected;
}

TEST(Program, PersianIranLocaleIsRefusedWithAnError) {
  const std::string refused = "\n[Error] Not available in the Persian (Iran) locale\n";
  struct {
    std::vector<std::string> args;
    const char* locale;
    std::string output;
    std::string errors;
    int exitCode;
  } const cases[] = {
      // Whatever the arguments: not even the usage text or the version.
      {{"-h"}, "fa_IR.UTF-8", refused, "", 1},
      {{"--version"}, "fa_IR", refused, "", 1},
      {{"-t", "x", "-k", "k"}, "fa_IR.UTF-8", refused, "", 1},
      {{"-t", "x", "-k", "k", "-w", "/nonexistent/out.wav"}, "fa.UTF-8", refused, "", 1},
      // Standard output is kept for the audio: the error goes to standard error, as with every -o run.
      {{"-t", "x", "-k", "k", "-O"}, "fa_IR.UTF-8", "", refused.substr(1), 1},
      // Persian elsewhere is no such locale.
      {{"-h"}, "fa_AF.UTF-8", kUsage, "", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.locale) + " " + c.args.back());
    const ProgramRun run = RunProgramWith(ProgramPath(), c.args, {{"LC_ALL", c.locale}});
    EXPECT_EQ(run.output, c.output);
    EXPECT_EQ(run.errors, c.errors);
    EXPECT_EQ(run.exitCode, c.exitCode);
  }
}

TEST(Program, ErrorsSetExitCodeOne) {
  testing::ScopedTempDir dir;
  ProgramRun run = RunProgramWith(ProgramPath(), {"-f", dir.File("a.txt"), "-f", dir.File("b.txt"), "-w",
                                                  dir.File("o.wav"), "-k", "key"});
  EXPECT_EQ(run.output, "\n[Error] Input file not found: a.txt\n[Error] Input file not found: b.txt\n");
  EXPECT_EQ(run.exitCode, 1);
}

// Every error and warning is one line, whatever it quotes: line breaks and terminal escapes in a
// name become spaces, on standard output as on standard error.
TEST(Program, EveryMessageIsOneLine) {
  testing::ScopedTempDir dir;
  const struct {
    std::vector<std::string> args;
    std::string output;
    std::string errors;
  } cases[] = {
      {{"-f", dir.File("two\nlines.txt"), "-w", dir.File("o.wav"), "-k", "key"},
       "\n[Error] Input file not found: two lines.txt\n",
       ""},
      {{"-f", dir.File("\x1b[2Jclear\r.txt"), "-w", dir.File("o.wav"), "-k", "key"},
       "\n[Error] Input file not found:  [2Jclear .txt\n",
       ""},
      {{"-o", "-f", dir.File("two\nlines.txt"), "-k", "key"},
       "",
       "[Error] Input file not found: two lines.txt\n"},
      {{"--un\nknown", "-t", "x", "-k", "key"},
       "\n[Error] Output file name not defined\n",
       "[Warning] Unknown option ignored: --un known\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.output + c.errors);
    const ProgramRun run = RunProgramWith(ProgramPath(), c.args);
    EXPECT_EQ(run.output, c.output);
    EXPECT_EQ(run.errors, c.errors);
    EXPECT_EQ(run.exitCode, 1);
  }
}

TEST(Program, ReadsTheConfigurationFileBesideItself) {
  testing::ScopedTempDir dir;
  const std::string program = dir.File("sonacli");
  std::filesystem::copy_file(ProgramPath(), program);
  testing::WriteFile(dir.File("sonacli.cfg"), "-t text\n-w " + dir.File("x/out.wav") + "\n-k key\n");
  ProgramRun run = RunProgramWith(program, {});
  EXPECT_EQ(run.output, "\n[Error] Output folder not found\n");
  EXPECT_EQ(run.exitCode, 1);
  testing::WriteFile(dir.File("sonacli.cfg"), "-H\n");
  EXPECT_EQ(RunProgramWith(program, {"-t", "x"}).output, kUsage);
}

}  // namespace
}  // namespace sonacli
