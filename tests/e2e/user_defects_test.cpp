// Runs that used to destroy what stood at the output path, lose the last good output, end with exit
// 0 and nothing said, or speak in another language than asked. (A closed terminal: the fault table.)
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

#include "e2e/e2e_fixture.h"

namespace sonacli::testing {
namespace {

namespace fs = std::filesystem;

// The names in a folder, hidden ones included.
std::vector<std::string> Entries(const fs::path& folder) {
  std::vector<std::string> names;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

TEST_F(SonacliE2e, OutputPathThatIsNoFileIsRefusedBeforeAnyRequest) {
  const fs::path folder = dir_.Path() / "folder";
  fs::create_directory(folder);
  WriteFile((folder / "inside.txt").string(), "kept");
  const fs::path fifo = dir_.Path() / "fifo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  for (const fs::path& path : {folder, fifo}) {
    SCOPED_TRACE(path.string());
    const TChildResult run = Run({"-k", kCloudKey, "-t", "Hello.", "-w", path.string()});
    EXPECT_EQ(run.ExitCode, 1);
    EXPECT_EQ(run.Stdout, "\n[Error] Output path is not a regular file\n");
    EXPECT_TRUE(RequestTexts().empty());
  }
  EXPECT_TRUE(fs::is_directory(folder));
  EXPECT_EQ(ReadFile((folder / "inside.txt").string()), "kept");
  EXPECT_TRUE(fs::is_fifo(fifo));
}

TEST_F(SonacliE2e, LrcOrSrtPathThatCannotBeWrittenIsRefusedBeforeAnyRequest) {
  fs::create_directory(dir_.Path() / "out.lrc");
  const fs::path fifo = dir_.Path() / "fifo.srt";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const struct {
    std::vector<std::string> Options;
    std::string Message;
  } cases[] = {
      {{"-lrc"}, "LRC path is not a regular file"},
      {{"-srt", "--srt-fname", fifo.string()}, "SRT path is not a regular file"},
      {{"-lrc", "--lrc-fname", File("missing/out.lrc")}, "LRC folder not found"},
  };
  for (const auto& row : cases) {
    SCOPED_TRACE(row.Message);
    std::vector<std::string> args = {"-k", kCloudKey, "-t", "Hello.", "-w", File("out.wav")};
    args.insert(args.end(), row.Options.begin(), row.Options.end());
    const TChildResult run = Run(args);
    EXPECT_EQ(run.ExitCode, 1);
    EXPECT_EQ(run.Stdout, "\n[Error] " + row.Message + "\n");
    EXPECT_TRUE(RequestTexts().empty());
    EXPECT_FALSE(fs::exists(File("out.wav")));
  }
  EXPECT_TRUE(fs::is_fifo(fifo));
}

TEST_F(SonacliE2e, SymbolicLinkAtTheOutputPathIsReplacedNotFollowed) {
  const std::string target = Write("target.txt", "the link's target");
  fs::create_symlink(target, File("out.wav"));
  const TChildResult run = Run({"-k", kCloudKey, "-t", "Hello.", "-w", File("out.wav")});
  EXPECT_EQ(run.ExitCode, 0) << run.Stdout;
  EXPECT_FALSE(fs::is_symlink(File("out.wav")));
  EXPECT_EQ(ParseWav(ReadFile(File("out.wav"))).Samples.size(), 2 * SpeechFrames(6));
  EXPECT_EQ(ReadFile(target), "the link's target");
}

TEST_F(SonacliE2e, OldOutputStaysUntilTheNewOneIsComplete) {
  Write("out.wav", "the last good output");
  ScriptRules({{"Slow", "\"delay_ms\":500"}});
  auto child = Start({"-k", kCloudKey, "-w", File("out.wav"), "-t", "Slow one.", "-t", "Slow two."});
  ASSERT_TRUE(WaitUntil([&] { return RequestTexts().size() >= 2; }));  // the probe and the first piece
  EXPECT_EQ(ReadFile(File("out.wav")), "the last good output");
  EXPECT_EQ(child->Wait().ExitCode, 0);
  EXPECT_EQ(ParseWav(ReadFile(File("out.wav"))).Samples.size(), 2 * (SpeechFrames(9) + SpeechFrames(9)));
  // Nothing of the run is left beside the output.
  for (const std::string& name : Entries(dir_.Path())) EXPECT_NE(name[0], '.') << name;
}

TEST_F(SonacliE2e, RunThatFailsAfterSomeAudioStillReplacesTheOldOutput) {
  // (A run that made no audio at all keeps it: FailedProbeKeepsTheOldOutput.)
  Write("out.wav", "the last good output");
  ScriptRules({{"Two.", "\"status\":403"}});
  const TChildResult partial = Run({"-k", kCloudKey, "-w", File("out.wav"), "-t", "One.", "-t", "Two."});
  EXPECT_EQ(partial.ExitCode, 1);
  EXPECT_EQ(partial.Stdout, "\n[Error] HTTP 403 - Forbidden\n");
  EXPECT_EQ(ParseWav(ReadFile(File("out.wav"))).Samples.size(), 2 * SpeechFrames(4));
}

struct TSilentFailure {
  std::string Name;
  std::vector<std::string> Options;  // besides -k and -w
  std::string Message;
};

TEST_F(SonacliE2e, FailuresThatEndedSilentlyAreReported) {
  const fs::path noPrograms = dir_.Path() / "bin";
  fs::create_directory(noPrograms);
  const std::string text = Write("text.txt", "One.\r\nTwo.\r\n");
  // Bytes of a binary file: line breaks among control characters and bytes of no text encoding.
  std::string binary;
  for (int i = 0; i < 8000; ++i) binary.push_back(static_cast<char>((i * 37 + i / 7) % 256));
  const std::string binaryList = Write("binary.bin", binary);
  const std::vector<TSilentFailure> cases = {
      {"missing list file", {"-fl", File("missing.lst")}, "List file not found: missing.lst"},
      {"list file that is a folder", {"-fl", dir_.Path().string() + "/bin"}, "List file not found: bin"},
      {"binary list file", {"-fl", binaryList}, "Not a list of file names: binary.bin"},
      {"line past the end", {"-f", text, "-ln", "2147483647"}, "No lines selected"},
      {"range that ends before it starts", {"-f", text, "-ln", "3-2"}, "No lines selected"},
      {"filters that leave nothing", {"-isb", "-t", "[a note]"}, "No text to speak"},
  };
  for (const TSilentFailure& failure : cases) {
    SCOPED_TRACE(failure.Name);
    std::vector<std::string> args = {"-k", kCloudKey, "-w", File("out.wav")};
    args.insert(args.end(), failure.Options.begin(), failure.Options.end());
    const TChildResult run = Run(args);
    EXPECT_EQ(run.ExitCode, 1);
    EXPECT_EQ(run.Stdout, "\n[Error] " + failure.Message + "\n");
  }
  EXPECT_TRUE(RequestTexts().empty());
  EXPECT_FALSE(fs::exists(File("out.wav")));
}

// Files that are no text would be sent, and paid for, as text.
TEST_F(SonacliE2e, InputThatIsNoTextIsRefusedBeforeAnyRequest) {
  using namespace std::string_literals;
  const std::string text = Write("text.txt", "One.\r\n");
  const std::string zip = Write("book.zip", "PK\x03\x04\x14\0\0\0\x08\0"s + std::string(100, 'x'));
  const std::string pdf =
      Write("paper.pdf", "%PDF-1.5\n%\xD0\xD4\xC5\xD8\n1 0 obj\n<< /Type /Catalog >>\nendobj\n");
  const std::string png = Write("photo.png", "\x89PNG\r\n\x1A\n\0\0\0\rIHDR\0\0\0\x10"s);
  const std::string data = Write("data.txt", "Looks like text\0\0\0\x02\x01 but is not"s);
  const std::string srt = Write("archive.srt", "\x1F\x8B\x08\0\0\0\0\0"s);
  const struct {
    std::string Script;  // the input options, run by bash
    std::string Message;
  } cases[] = {
      {"-f " + zip, "Input file is not text (ZIP archive): book.zip"},
      {"-f " + text + " -f " + pdf, "Input file is not text (PDF document): paper.pdf"},
      {"-f " + png, "Input file is not text (image): photo.png"},
      {"-f " + data, "Input file is not text (binary data): data.txt"},
      {"-f " + srt, "Input file is not text (compressed archive): archive.srt"},
      {"-i < " + pdf, "Standard input is not text (PDF document)"},
  };
  for (const auto& row : cases) {
    SCOPED_TRACE(row.Script);
    const TChildResult run =
        Shell("\"$SONACLI\" -k " + std::string(kCloudKey) + " -w " + File("out.wav") + " " + row.Script);
    EXPECT_EQ(run.ExitCode, 1);
    EXPECT_EQ(run.Stdout, "\n[Error] " + row.Message + "\n");
  }
  EXPECT_TRUE(RequestTexts().empty());
  EXPECT_FALSE(fs::exists(File("out.wav")));
  // Text in UTF-16, whose ASCII characters hold NUL bytes, is still text.
  const std::string utf16 = Write("utf16.txt", "\xFF\xFEO\0n\0e\0.\0"s);
  const TChildResult run = Run({"-k", kCloudKey, "-w", File("out.wav"), "-f", utf16});
  EXPECT_EQ(run.ExitCode, 0) << run.Stdout;
  EXPECT_EQ(RequestTexts().back(), "One.");
}

TEST_F(SonacliE2e, ClipboardWithoutProgramOrTextIsReported) {
  const fs::path bin = dir_.Path() / "bin";
  fs::create_directory(bin);
  environment_["PATH"] = bin.string();
  TChildResult run = Run({"-k", kCloudKey, "-w", File("out.wav"), "-c"});
  EXPECT_EQ(run.ExitCode, 1);
  EXPECT_EQ(run.Stdout, "\n[Error] No clipboard program found (wl-paste, xclip or xsel)\n");

  // A clipboard program that gives nothing.
  const std::string xsel = Write("bin/xsel", "#!/bin/sh\nexit 0\n");
  fs::permissions(xsel, fs::perms::owner_all);
  run = Run({"-k", kCloudKey, "-w", File("out.wav"), "-c"});
  EXPECT_EQ(run.ExitCode, 1);
  EXPECT_EQ(run.Stdout, "\n[Error] No text in clipboard\n");
  EXPECT_TRUE(RequestTexts().empty());

  // One that gives text is read.
  Write("bin/xsel", "#!/bin/sh\nprintf 'Hello.'\n");
  run = Run({"-k", kCloudKey, "-w", File("out.wav"), "-c"});
  EXPECT_EQ(run.ExitCode, 0) << run.Stdout;
  EXPECT_EQ(ParseWav(ReadFile(File("out.wav"))).Samples.size(), 2 * SpeechFrames(6));
}

TEST_F(SonacliE2e, TextWithNothingToSayIsReportedAsSuch) {
  Write("out.wav", "the last good output");
  const TChildResult run = Run({"-k", kCloudKey, "-w", File("out.wav"), "-t", "{{pause=0}}"});
  EXPECT_EQ(run.ExitCode, 1);
  EXPECT_EQ(run.Stdout, "\n[Error] No text to speak\n");
  EXPECT_EQ(ReadFile(File("out.wav")), "the last good output");
}

TEST_F(SonacliE2e, KeyIsTakenFromTheEnvironmentWhenNoOptionGivesOne) {
  environment_["SONACLI_API_KEY"] = "AQVN-key-from-environment";
  TChildResult run = Run({"-w", File("out.wav"), "-t", "Hello."});
  EXPECT_EQ(run.ExitCode, 0) << run.Stdout;
  run = Run({"-k", kCloudKey, "-w", File("out.wav"), "-t", "Hello."});
  EXPECT_EQ(run.ExitCode, 0) << run.Stdout;
  std::vector<std::string> keys;
  for (const nlohmann::json& request : standin_->Requests()) {
    keys.push_back(request["headers"].value("authorization", ""));
  }
  const std::vector<std::string> expected = {
      "Api-Key AQVN-key-from-environment", "Api-Key AQVN-key-from-environment",
      std::string("Api-Key ") + kCloudKey, std::string("Api-Key ") + kCloudKey};
  EXPECT_EQ(keys, expected);
}

struct TLanguageCase {
  std::string Key;
  std::vector<std::string> Options;
  std::string Request;  // the piece's request: the v1 form's "lang" and "voice", or the legacy query's
};

TEST_F(SonacliE2e, LanguageWithoutVoiceSpeaksWithAVoiceOfThatLanguage) {
  const std::string legacyKey = "abcdef01-2345-6789-abcd-ef0123456789";
  const std::vector<TLanguageCase> cases = {
      {kCloudKey, {"-l", "en-us"}, "lang=en-us&voice=john"},
      {kCloudKey, {"-l", "de-de"}, "lang=de-de&voice=lea"},
      {kCloudKey, {"-l", "ru-ru"}, "lang=ru-ru&voice=oksana"},
      {kCloudKey, {"-l", "en-us", "-n", "alena"}, "lang=ru-ru&voice=alena"},
      {legacyKey, {"-l", "en-us"}, "lang=en-US&speaker=alyss"},
  };
  for (const TLanguageCase& row : cases) {
    SCOPED_TRACE(row.Options[1] + (row.Key == legacyKey ? " legacy" : ""));
    std::vector<std::string> args = {"-k", row.Key, "-w", File("out.wav"), "-t", "Hello."};
    args.insert(args.end(), row.Options.begin(), row.Options.end());
    const size_t before = standin_->Requests().size();
    const TChildResult run = Run(args);
    EXPECT_EQ(run.ExitCode, 0) << run.Stdout;
    const std::vector<nlohmann::json> requests = standin_->Requests();
    ASSERT_EQ(requests.size(), before + 2);
    const nlohmann::json& piece = requests.back();
    const std::string sent = piece.value("body", "") + piece.value("query", "");
    EXPECT_NE(sent.find(row.Request), std::string::npos) << sent;
  }
}

}  // namespace
}  // namespace sonacli::testing

namespace sonacli::testing {
namespace {

struct TOptionDefect {
  std::string Name;
  std::vector<std::string> Options;  // besides -k, -w and -t
  std::string Stdout;                // the error line; empty when the run goes on
  std::string Stderr;                // the warning lines
  std::string Emotion = {};          // what the request carries when the run goes on
};

// Values that silently ran with one job, and options and tones that were dropped without a word.
TEST_F(SonacliE2e, OptionsThatWereSilentlyDroppedAreReported) {
  const std::vector<TOptionDefect> cases = {
      {"nine jobs", {"--jobs", "9"}, "\n[Error] Jobs value out of range (1 to 8): 9\n", ""},
      {"a hundred jobs", {"--jobs", "100"}, "\n[Error] Jobs value out of range (1 to 8): 100\n", ""},
      {"jobs that are no number", {"--jobs", "abc"}, "\n[Error] Wrong jobs value: abc\n", ""},
      {"a cache without a folder", {"--cache", ""}, "\n[Error] Cache folder not defined\n", ""},
      {"a pause that is no number",
       {"--paragraph-pause", "abc"},
       "\n[Error] Wrong paragraph pause value: abc\n",
       ""},
      {"a negative pause",
       {"--chapter-pause", "-1"},
       "\n[Error] Chapter pause value out of range (0 to 60000 ms): -1\n",
       ""},
      {"an unknown option", {"--sub-fitt"}, "", "[Warning] Unknown option ignored: --sub-fitt\n"},
      {"a tone the voice lacks",
       {"-e", "good", "-n", "oksana"},
       "",
       "[Warning] Voice oksana has no tone good, it speaks without one\n"},
      {"a tone the voice has", {"-e", "good", "-n", "jane"}, "", "", "good"},
  };
  for (const TOptionDefect& defect : cases) {
    SCOPED_TRACE(defect.Name);
    const size_t before = standin_->Requests().size();
    std::vector<std::string> args = {"-k", kCloudKey, "-w", File("out.wav"), "-t", "Hello."};
    args.insert(args.end(), defect.Options.begin(), defect.Options.end());
    const TChildResult run = Run(args);
    EXPECT_EQ(run.Stdout, defect.Stdout);
    EXPECT_EQ(run.Stderr, defect.Stderr);
    const std::vector<nlohmann::json> requests = standin_->Requests();
    if (!defect.Stdout.empty()) {
      EXPECT_EQ(run.ExitCode, 1);
      EXPECT_EQ(requests.size(), before) << "a request was sent";
      continue;
    }
    EXPECT_EQ(run.ExitCode, 0);
    ASSERT_EQ(requests.size(), before + 2);  // the probe and the piece
    const std::string body = requests.back().value("body", "");
    const size_t emotion = body.find("&emotion=");
    EXPECT_EQ(emotion == std::string::npos
                  ? ""
                  : body.substr(emotion + 9, body.find('&', emotion + 1) - emotion - 9),
              defect.Emotion)
        << body;
  }
}

}  // namespace
}  // namespace sonacli::testing
