#include "main/resolve_run.h"

#include <gtest/gtest.h>

#include "common/unicode_text.h"
#include "main/command_line.h"

namespace sonacli {
namespace {

using Args = std::vector<std::u16string>;
using Lines = std::vector<std::u16string>;

// The options of a command line, with the key of the environment.
TRunOptions Options(const Args& args, std::u16string environmentKey = {}) {
  TRunOptions options;
  ReadCommandLine(args, options);
  options.EnvironmentApiKey = std::move(environmentKey);
  return options;
}

// A command line that passes every check, followed by the extra arguments.
Args Valid(const Args& extra) {
  Args args = {u"-k", u"key", u"-w", u"out.wav"};
  args.insert(args.end(), extra.begin(), extra.end());
  return args;
}

struct StartRow {
  Args args;
  TRunStart start;
  std::u16string_view error;  // empty: every check passes
};

TEST(ResolveRun, EarlyExitsAndTheFirstFailedCheckInTheirOrder) {
  using enum TRunStart;
  const StartRow rows[] = {
      // No input: the usage text, or the value list when it was asked for.
      {{}, Usage, u"Output file name not defined"},
      {{u"-t", u""}, Usage, u"Output file name not defined"},
      {Valid({u"-f", u""}), Usage, u""},
      {{u"-m"}, ValueList, u"Output file name not defined"},
      // The version before everything, the usage text before the value list and the checks.
      {{u"-m", u"--version", u"-h"}, Version, u"Output file name not defined"},
      {Valid({u"-t", u"x", u"-h", u"-m", u"-l", u"xx"}), Usage, u"Not supported language"},
      // The clipboard and standard input never count as absent.
      {{u"-c"}, Run, u"Output file name not defined"},
      {Valid({u"-i"}), Run, u""},
      // The value list ends the run only when the audio would go to standard output.
      {{u"-m", u"-t", u"x", u"-o", u"-k", u"k"}, ValueList, u""},
      {Valid({u"-m", u"-t", u"x"}), ValueListThenRun, u""},
      {{u"-m", u"-t", u"x", u"-k", u"k"}, ValueListThenRun, u"Output file name not defined"},
      // The checks, each with the later ones failing too.
      {Valid({u"-t", u"x", u"-l", u"xx-XX", u"-n", u"nobody", u"-e", u"x"}), Run, u"Not supported language"},
      {Valid({u"-t", u"x", u"-n", u"nobody", u"-e", u"x", u"-s", u"9"}), Run, u"Unknown voice name"},
      {Valid({u"-t", u"x", u"-n", u"ermil:rc"}), Run, u"Unknown voice name"},
      {Valid({u"-t", u"x", u"-e", u"x", u"-s", u"9"}), Run, u"Unknown emotional tone"},
      {Valid({u"-t", u"x", u"-s", u"1,5", u"-v", u"x"}), Run, u"Rate value out of range"},
      {Valid({u"-t", u"x", u"-s", u"3.0006"}), Run, u"Rate value out of range"},
      {Valid({u"-t", u"x", u"-s", u"3.0004"}), Run, u""},
      {Valid({u"-t", u"x", u"-s", u"0.1"}), Run, u""},
      {Valid({u"-t", u"x", u"-v", u"50%"}), Run, u"Wrong volume value"},
      {Valid({u"-t", u"x", u"-v", u"50%", u"--chapters", u"a.m4b"}), Run, u"Wrong volume value"},
      {Valid({u"-t", u"x", u"--chapters", u"dir/book.m4b"}), Run,
       u"Unknown chapter file extension (known: .txt, .ffmeta, .ffmetadata, .cue): book.m4b"},
      {Valid({u"-t", u"x", u"--chapters", u"book"}), Run,
       u"Unknown chapter file extension (known: .txt, .ffmeta, .ffmetadata, .cue): book"},
      {{u"-t", u"x", u"-k", u"key", u"--chapters", u"b.txt"}, Run, u"Output file name not defined"},
      {Valid({u"-t", u"x", u"--chapters", u"b.CUE"}), Run, u""},
      {{u"-t", u"x", u"-k", u"key", u"-o", u"--chapters", u"b.ffmetadata"}, Run, u""},
      {{u"-t", u"x", u"-k", u"key", u"-w", u"b.txt", u"--chapters", u"b.txt"},
       Run,
       u"Chapter file name is the name of another file of the run: b.txt"},
      {Valid({u"-t", u"x", u"-lrc", u"--lrc-fname", u"b.txt", u"--chapters", u"b.txt"}), Run,
       u"Chapter file name is the name of another file of the run: b.txt"},
      {{u"-t", u"x", u"-k", u"key"}, Run, u"Output file name not defined"},
      {{u"-t", u"x", u"-k", u"key", u"-o"}, Run, u""},
      {{u"-t", u"x", u"-w", u"out.wav"}, Run, u"API-key not defined"},
      // The encoded outputs, after the others.
      {{u"-t", u"x", u"-w", u"out.wma"}, Run, u"API-key not defined"},
      {Valid({u"-t", u"x", u"-w", u"out.WMA"}), Run,
       u"Unknown output file extension: .WMA (known: .wav, .opus, .ogg, .mp3, .m4b, .m4a, .flac)"},
      {Valid({u"-t", u"x", u"-w", u"out.mp3", u"--format", u"opus"}), Run,
       u"--format opus does not match the output file's extension .mp3"},
      {Valid({u"-t", u"x", u"-w", u"out.mp3", u"--format", u"raw"}), Run,
       u"Unknown output format for a file: raw (the -w file's extension chooses it)"},
      {{u"-t", u"x", u"-k", u"k", u"-o", u"--format", u"M4B"},
       Run,
       u"M4B output needs a file it can seek in: use -w with .m4b"},
      {{u"-t", u"x", u"-k", u"k", u"-o", u"--format", u"aac"},
       Run,
       u"Unknown output format: aac (known: wav, raw, opus, mp3, flac)"},
      {{u"-t", u"x", u"-k", u"k", u"-o", u"--format", u"mp3", u"--raw"},
       Run,
       u"--raw does not go with --format mp3"},
      {Valid({u"-t", u"x", u"-w", u"o.opus", u"-fr", u"44"}), Run,
       u"Opus output needs a sample rate of 8, 16, 24 or 48 kHz"},
      {Valid({u"-t", u"x", u"-w", u"o.opus", u"--bitrate", u"0"}), Run,
       u"Wrong bitrate value (a whole number of kbps from 1 up): 0"},
      {Valid({u"-t", u"x", u"-w", u"o.mp3", u"--bitrate", u"abc"}), Run,
       u"Wrong bitrate value (a whole number of kbps from 1 up): abc"},
      {Valid({u"-t", u"x", u"-w", u"o.m4b", u"--bitrate", u"10000"}), Run,
       u"Bitrate out of range for AAC: 16 to 144 kbps"},
      {Valid({u"-t", u"x", u"-w", u"o.flac", u"--bitrate", u"128"}), Run,
       u"FLAC is lossless: a bitrate does not apply"},
      {Valid({u"-t", u"x", u"--bitrate", u"128"}), Run, u"WAV output has no bitrate to choose"},
      {Valid({u"-t", u"x", u"-w", u"o.m4a", u"--bitrate", u"96", u"-stereo", u"-fr", u"48"}), Run, u""},
      // A dry run sends nothing and needs no key; it still needs the rest.
      {{u"-t", u"x", u"-w", u"out.wav", u"--dry-run"}, Run, u""},
      {{u"-t", u"x", u"-w", u"out.wav", u"--list-requests"}, Run, u""},
      {{u"-t", u"x", u"--dry-run"}, Run, u"Output file name not defined"},
      {{u"-t", u"x", u"-w", u"out.wav", u"--dry-run", u"-n", u"nobody"}, Run, u"Unknown voice name"},
      // The values of the options added to the classic ones are errors before anything is read.
      {Valid({u"-t", u"x", u"--jobs", u"9"}), Run, u"Jobs value out of range (1 to 8): 9"},
      {Valid({u"-t", u"x", u"--jobs", u"100"}), Run, u"Jobs value out of range (1 to 8): 100"},
      {Valid({u"-t", u"x", u"--jobs", u"0"}), Run, u"Jobs value out of range (1 to 8): 0"},
      {Valid({u"-t", u"x", u"--jobs", u"-2"}), Run, u"Jobs value out of range (1 to 8): -2"},
      {Valid({u"-t", u"x", u"--jobs", u"abc"}), Run, u"Wrong jobs value: abc"},
      {Valid({u"-t", u"x", u"--jobs", u"4x"}), Run, u"Wrong jobs value: 4x"},
      {Valid({u"-t", u"x", u"--jobs", u""}), Run, u"Wrong jobs value: "},
      {Valid({u"-t", u"x", u"--jobs", u"9", u"--jobs", u"2"}), Run, u"Jobs value out of range (1 to 8): 9"},
      {Valid({u"-t", u"x", u"--jobs", u"1"}), Run, u""},
      {Valid({u"-t", u"x", u"--jobs", u"8"}), Run, u""},
      {Valid({u"-t", u"x", u"--jobs", u"9", u"-l", u"xx"}), Run, u"Jobs value out of range (1 to 8): 9"},
      {Valid({u"-t", u"x", u"--cache", u""}), Run, u"Cache folder not defined"},
      {Valid({u"-t", u"x", u"--cache", u"c"}), Run, u""},
      {Valid({u"-t", u"x", u"--paragraph-pause", u"abc"}), Run, u"Wrong paragraph pause value: abc"},
      {Valid({u"-t", u"x", u"--paragraph-pause", u""}), Run, u"Wrong paragraph pause value: "},
      {Valid({u"-t", u"x", u"--chapter-pause", u"99999999999"}), Run,
       u"Wrong chapter pause value: 99999999999"},
      {Valid({u"-t", u"x", u"--chapter-pause", u"-1"}), Run,
       u"Chapter pause value out of range (0 to 60000 ms): -1"},
      {Valid({u"-t", u"x", u"--paragraph-pause", u"60001"}), Run,
       u"Paragraph pause value out of range (0 to 60000 ms): 60001"},
      {Valid({u"-t", u"x", u"--paragraph-pause", u"0", u"--chapter-pause", u"60000"}), Run, u""},
      {Valid({u"-t", u"x", u"--book-parts", u"some"}), Run, u"Unknown book parts: some (known: all, text)"},
      {Valid({u"-t", u"x", u"--chapter-titles", u""}), Run, u"Unknown chapter titles:  (known: full, bare)"},
      {Valid({u"-t", u"x", u"--book-parts", u"ALL", u"--chapter-titles", u"Bare"}), Run, u""},
      // Listing the lines sends and writes nothing.
      {{u"-t", u"x", u"--list-lines"}, Run, u""},
  };
  for (const StartRow& row : rows) {
    std::string trace;
    for (const std::u16string& arg : row.args) trace += ToUtf8(arg) + " ";
    SCOPED_TRACE(trace);
    const TRunPlan plan = ResolveRun(Options(row.args));
    EXPECT_EQ(plan.Start, row.start);
    EXPECT_EQ(plan.Error, row.error);
  }
}

struct WarningRow {
  Args args;
  std::vector<std::u16string> warnings;
};

TEST(ResolveRun, WarnsOfWhatTheRunGoesOnWithout) {
  constexpr char16_t kLegacyKey[] = u"abcdef01-2345-6789-abcd-ef0123456789";
  const WarningRow rows[] = {
      {Valid({u"-t", u"x"}), {}},
      // Options that are none; values, negative numbers and a lone "-" are not taken for options.
      {Valid({u"-t", u"x", u"--sub-fitt", u"-Q"}),
       {u"Unknown option ignored: --sub-fitt", u"Unknown option ignored: -Q"}},
      {Valid({u"-t", u"-x", u"-5", u"-", u"stray"}), {}},
      {Valid({u"--sub-fitt", u"-t", u"x", u"-l", u"xx"}), {u"Unknown option ignored: --sub-fitt"}},
      // Tones the voice lacks on the interface its key routes it to.
      {Valid({u"-t", u"x", u"-e", u"good", u"-n", u"oksana"}),
       {u"Voice oksana has no tone good, it speaks without one"}},
      {Valid({u"-t", u"x", u"-e", u"e", u"-n", u"alena"}),
       {u"Voice alena has no tone evil, it speaks without one"}},
      {Valid({u"-t", u"x", u"-e", u"good", u"-n", u"alena"}), {}},
      {Valid({u"-t", u"x", u"-e", u"evil", u"-n", u"jane"}), {}},
      {Valid({u"-t", u"x", u"-e", u"neutral", u"-n", u"oksana"}), {}},
      {Valid({u"-t", u"x", u"-e", u"good", u"-n", u"anton"}), {}},  // v3 takes every tone as a role
      {{u"-k", kLegacyKey, u"-w", u"o.wav", u"-t", u"x", u"-e", u"good", u"-n", u"oksana"}, {}},
      {{u"-k", kLegacyKey, u"-w", u"o.wav", u"-t", u"x", u"-e", u"whisper", u"-n", u"oksana"},
       {u"Voice oksana has no tone whisper, it speaks without one"}},
      // After a failed check the run ends; no tone is looked at.
      {Valid({u"-t", u"x", u"-e", u"good", u"-n", u"oksana", u"-v", u"x"}), {}},
  };
  for (const WarningRow& row : rows) {
    std::string trace;
    for (const std::u16string& arg : row.args) trace += ToUtf8(arg) + " ";
    SCOPED_TRACE(trace);
    EXPECT_EQ(ResolveRun(Options(row.args)).Warnings, row.warnings);
  }
}

TEST(ResolveRun, UnreadableListFileIsTheFirstFailure) {
  TRunOptions options = Options(Valid({u"-l", u"xx"}));
  options.SourceKind = TSourceKind::Files;
  options.ListFileError = u"List file not found: a.lst";
  EXPECT_EQ(ResolveRun(options).Start, TRunStart::Run);  // even with no input file named
  EXPECT_EQ(ResolveRun(options).Error, u"List file not found: a.lst");
  options.UsageRequested = true;
  EXPECT_EQ(ResolveRun(options).Start, TRunStart::Usage);
}

struct SettingsRow {
  const char* name;
  Args args;
  bool (*holds)(const TRunPlan& plan);
  std::u16string environmentKey = {};
};

const SettingsRow kSettingsRows[] = {
    {"a dry run", Valid({u"-t", u"x", u"--dry-run", u"-dp"}),
     [](const TRunPlan& p) {
       return p.Settings.DryRun && !p.Settings.ListRequests && !p.Settings.ShowProgress;
     }},
    {"a dry run that lists its requests", Valid({u"-t", u"x", u"--list-requests"}),
     [](const TRunPlan& p) { return p.Settings.DryRun && p.Settings.ListRequests; }},
    {"--jobs", Valid({u"-t", u"x", u"--jobs", u"8"}), [](const TRunPlan& p) { return p.Settings.Jobs == 8; }},
    // The voice.
    {"accepted values",
     Valid({u"-t", u"x", u"-l", u"EN-us", u"-n", u"JOHN", u"-e", u"g", u"-s", u"1.50", u"-v", u"500"}),
     [](const TRunPlan& p) {
       const TSettings& s = p.Settings;
       return s.LanguageCode == u"en-US" && s.VoiceName == u"john" && s.EmotionName == u"good" &&
              s.SpeechRate == u"1.50" && s.VolumeDelta == 400;
     }},
    {"defaults", Valid({u"-t", u"x"}),
     [](const TRunPlan& p) {
       const TSettings& s = p.Settings;
       return s.LanguageCode == u"ru-RU" && s.VoiceName == u"oksana" && s.EmotionName == u"neutral" &&
              s.SpeechRate == u"1.0" && s.VolumeDelta == 0 && s.SampleRate == 24000 && s.Jobs == 1 &&
              !s.VoiceNamed;
     }},
    // A language or voice named, even the default one, reads books too.
    {"-l names the voice", Valid({u"-t", u"x", u"-l", u"ru-ru"}),
     [](const TRunPlan& p) { return p.Settings.VoiceNamed; }},
    {"-n names the voice", Valid({u"-t", u"x", u"-n", u"oksana"}),
     [](const TRunPlan& p) { return p.Settings.VoiceNamed; }},
    {"how books are read", Valid({u"-t", u"x", u"--book-parts", u"All", u"--chapter-titles", u"BARE"}),
     [](const TRunPlan& p) { return p.Settings.BookAllParts && p.Settings.BareChapterTitles; }},
    {"books read as by default", Valid({u"-t", u"x", u"--book-parts", u"text", u"--chapter-titles", u"full"}),
     [](const TRunPlan& p) { return !p.Settings.BookAllParts && !p.Settings.BareChapterTitles; }},
    // The pauses of a narrator: a book's by default, the user's text's only when asked for.
    {"pauses by default", Valid({u"-t", u"x"}),
     [](const TRunPlan& p) {
       const TSettings& s = p.Settings;
       return s.BookParagraphPauseMs == 700 && s.BookChapterPauseMs == 2000 && s.TextParagraphPauseMs == 0 &&
              s.TextChapterPauseMs == 0;
     }},
    {"pauses asked for", Valid({u"-t", u"x", u"--paragraph-pause", u"0", u"--chapter-pause", u"3000"}),
     [](const TRunPlan& p) {
       const TSettings& s = p.Settings;
       return s.BookParagraphPauseMs == 0 && s.BookChapterPauseMs == 3000 && s.TextParagraphPauseMs == 0 &&
              s.TextChapterPauseMs == 3000;
     }},
    {"one pause asked for", Valid({u"-t", u"x", u"--paragraph-pause", u"250"}),
     [](const TRunPlan& p) {
       const TSettings& s = p.Settings;
       return s.BookParagraphPauseMs == 250 && s.BookChapterPauseMs == 2000 && s.TextParagraphPauseMs == 250 &&
              s.TextChapterPauseMs == 0;
     }},
    {"a language without a voice", Valid({u"-t", u"x", u"-l", u"de-de"}),
     [](const TRunPlan& p) { return p.Settings.VoiceName == u"lea"; }},
    {"a language with a voice", Valid({u"-t", u"x", u"-l", u"en-us", u"-n", u"alena"}),
     [](const TRunPlan& p) { return p.Settings.VoiceName == u"alena"; }},
    {"a language without a voice, legacy key",
     {u"-k", u"abcdef01-2345-6789-abcd-ef0123456789", u"-w", u"o.wav", u"-t", u"x", u"-l", u"en-us"},
     [](const TRunPlan& p) { return p.Settings.VoiceName == u"alyss"; }},
    // The key.
    {"key from the environment",
     {u"-w", u"o.wav", u"-t", u"x"},
     [](const TRunPlan& p) { return p.Error.empty() && p.Settings.ApiKey == u"env"; },
     u"env"},
    {"key option before the environment", Valid({u"-t", u"x"}),
     [](const TRunPlan& p) { return p.Settings.ApiKey == u"key"; }, u"env"},
    // The output.
    {"--raw and --ignore-length only on standard output", Valid({u"-t", u"x", u"--raw", u"-il", u"-dp"}),
     [](const TRunPlan& p) {
       const TSettings& s = p.Settings;
       return !s.RawOutput && !s.OmitDataLength && s.ShowProgress && !s.ToStdout;
     }},
    {"--raw over --ignore-length, no progress line",
     {u"-t", u"x", u"-k", u"k", u"-o", u"--raw", u"-il", u"-dp"},
     [](const TRunPlan& p) {
       const TSettings& s = p.Settings;
       return s.RawOutput && !s.OmitDataLength && !s.ShowProgress && s.ToStdout;
     }},
    {"--ignore-length on standard output",
     {u"-t", u"x", u"-k", u"k", u"-o", u"-il"},
     [](const TRunPlan& p) { return p.Settings.OmitDataLength && !p.Settings.RawOutput; }},
    {"-fr", Valid({u"-t", u"x", u"-fr", u"16", u"-stereo"}),
     [](const TRunPlan& p) { return p.Settings.SampleRate == 16000 && p.Settings.Stereo; }},
    // Encoded outputs.
    {"WAV by default and for a name without extension", Valid({u"-t", u"x", u"-w", u"noext"}),
     [](const TRunPlan& p) { return p.Output.Format == TOutputFormat::Wav && p.Output.BitrateKbps == 0; }},
    {"the extension chooses, whatever its case", Valid({u"-t", u"x", u"-w", u"b.OGG", u"--bitrate", u"40"}),
     [](const TRunPlan& p) { return p.Output.Format == TOutputFormat::Opus && p.Output.BitrateKbps == 40; }},
    {"--format names a file's format when it agrees",
     Valid({u"-t", u"x", u"-w", u"noext", u"--format", u"flac"}),
     [](const TRunPlan& p) { return p.Output.Format == TOutputFormat::Flac; }},
    {"--format on standard output",
     {u"-t", u"x", u"-k", u"k", u"-o", u"--format", u"mp3", u"-il"},
     [](const TRunPlan& p) {
       return p.Output.Format == TOutputFormat::Mp3 && !p.Settings.RawOutput && !p.Settings.OmitDataLength;
     }},
    {"--format raw is --raw",
     {u"-t", u"x", u"-k", u"k", u"-o", u"--format", u"raw", u"-il"},
     [](const TRunPlan& p) {
       return p.Output.Format == TOutputFormat::Raw && p.Settings.RawOutput && !p.Settings.OmitDataLength;
     }},
    {"--raw is raw",
     {u"-t", u"x", u"-k", u"k", u"-o", u"--raw"},
     [](const TRunPlan& p) { return p.Output.Format == TOutputFormat::Raw && p.Settings.RawOutput; }},
    {"tags as given, the cover a name",
     Valid({u"-f", u"dir/Book.one.txt", u"-w", u"b.m4b", u"--title", u"T \"q\"", u"--author", u"A",
            u"--cover", u"c.png", u"--split-chapters", u"parts"}),
     [](const TRunPlan& p) {
       return p.Tags.Title == u"T \"q\"" && p.Tags.Author == u"A" && p.Tags.Cover.empty() &&
              p.CoverFileName == u"c.png" && p.DefaultTitle == u"Book.one" &&
              p.Output.SplitChaptersFolder == u"parts";
     }},
    {"no default title without an input file", Valid({u"-t", u"x", u"-w", u"b.m4b"}),
     [](const TRunPlan& p) { return p.DefaultTitle.empty() && p.Tags.Title.empty(); }},
    // LRC and SRT files.
    {"LRC without a file name",
     {u"-t", u"x", u"-k", u"k", u"-o", u"-lrc"},
     [](const TRunPlan& p) { return !p.Settings.LrcEnabled && !p.Settings.SyncOutput; }},
    {"LRC and SRT beside the output",
     Valid({u"-t", u"x", u"-w", u"a.wav", u"-lrc", u"--lrc-length", u"5", u"-srt", u"--srt-length", u"40"}),
     [](const TRunPlan& p) {
       const TSettings& s = p.Settings;
       return s.LrcEnabled && s.LrcData.FileName == u"a.lrc" && s.LrcData.MaxLength == 15 && s.SrtEnabled &&
              s.SrtData.FileName == u"a.srt" && s.SrtData.MaxLength == 40 && s.SyncOutput;
     }},
    {"SRT of its own name on standard output",
     {u"-t", u"x", u"-k", u"k", u"-o", u"-srt", u"--srt-fname", u"s.srt"},
     [](const TRunPlan& p) {
       const TSettings& s = p.Settings;
       return s.SrtEnabled && s.SrtData.FileName == u"s.srt" && s.SrtData.MaxLength == 15 && s.SyncOutput &&
              !s.LrcEnabled;
     }},
    {"an output without extension", Valid({u"-t", u"x", u"-srt", u"-w", u"dir.d/noext"}),
     [](const TRunPlan& p) { return p.Settings.SrtData.FileName == u"dir.d/noext.srt"; }},
    {"LRC of its own name", Valid({u"-t", u"x", u"-lrc", u"--lrc-fname", u"x.lrc", u"--lrc-title", u"T"}),
     [](const TRunPlan& p) {
       return p.Settings.LrcData.FileName == u"x.lrc" && p.Settings.LrcData.Title == u"T" &&
              !p.Settings.SrtEnabled;
     }},
    // Subtitles.
    {"a subtitle file switches subtitle mode on", Valid({u"-f", u"a.srt", u"-f", u"b.txt"}),
     [](const TRunPlan& p) {
       return p.Settings.SubtitleMode && p.Settings.SubtitleFormat == TSubtitleFormat::Srt &&
              p.Input.FirstFileOnly && !p.Input.Decode.SubtitleVtt;
     }},
    {"only the first file decides", Valid({u"-f", u"a.txt", u"-f", u"b.srt"}),
     [](const TRunPlan& p) { return !p.Settings.SubtitleMode && !p.Input.FirstFileOnly; }},
    {"--sub-format over the extension", Valid({u"--sub-format", u"lrc", u"-f", u"b.VTT"}),
     [](const TRunPlan& p) {
       return p.Settings.SubtitleFormat == TSubtitleFormat::Lrc && !p.Input.Decode.SubtitleVtt;
     }},
    {"WebVTT is read as UTF-8", Valid({u"-f", u"b.vtt", u"-enc", u"ansi"}),
     [](const TRunPlan& p) {
       return p.Settings.SubtitleFormat == TSubtitleFormat::Vtt && p.Input.Decode.SubtitleVtt &&
              p.Input.Decode.ForceEncoding;
     }},
    {"-sub with a text names no format", Valid({u"-sub", u"-t", u"x.srt"}),
     [](const TRunPlan& p) {
       return p.Settings.SubtitleMode && p.Settings.SubtitleFormat == TSubtitleFormat::Unknown;
     }},
    {"-sub from standard input", Valid({u"-sub", u"--sub-format", u"vtt", u"-i"}),
     [](const TRunPlan& p) {
       return p.Input.Kind == TSourceKind::StandardInput && p.Input.Decode.SubtitleVtt;
     }},
    {"--sub-max clamped with --sub-fit", Valid({u"-f", u"a.srt", u"-sf", u"--sub-max", u"300"}),
     [](const TRunPlan& p) { return p.Settings.SubFit && p.Settings.SubMaxRate == 200; }},
    {"--sub-max raised with --sub-fit", Valid({u"-f", u"a.ssa", u"-sf", u"--sub-max", u"50"}),
     [](const TRunPlan& p) { return p.Settings.SubMaxRate == 110; }},
    {"--sub-max without --sub-fit", Valid({u"-f", u"a.srt", u"--sub-max", u"150"}),
     [](const TRunPlan& p) { return p.Settings.SubMaxRate == 200; }},
    {"--sub-max in text mode", Valid({u"-t", u"x", u"-sf", u"--sub-max", u"150"}),
     [](const TRunPlan& p) { return p.Settings.SubMaxRate == 200; }},
    // The input.
    {"-t texts as lines", Valid({u"-t", u"Hello", u"-t", u"World"}),
     [](const TRunPlan& p) {
       return p.Input.Kind == TSourceKind::CommandText &&
              p.Input.CommandTextLines == Lines{u"Hello", u"World"};
     }},
    {"-t with -enc utf8 stays as typed", Valid({u"-t", u"Привет\nмир", u"-enc", u"utf8"}),
     [](const TRunPlan& p) {
       return p.Input.CommandTextLines == Lines{u"Привет", u"мир"};
     }},
    {"files in their order", Valid({u"-f", u"a.txt", u"-f", u"", u"-f", u"b.txt", u"-enc", u"unicode"}),
     [](const TRunPlan& p) {
       return p.Input.Kind == TSourceKind::Files && p.Input.FileNames == Lines{u"a.txt", u"", u"b.txt"} &&
              p.Input.Decode.ForcedEncoding == TEncoding::Utf16LE && p.Input.CommandTextLines.empty();
     }},
    // Only the files of a list start chapters (command_line_test), and only when read as text.
    {"a file given with -f starts no chapter", Valid({u"-f", u"a.txt", u"--chapters", u"c.cue"}),
     [](const TRunPlan& p) {
       return p.Input.ChapterFiles == std::vector<bool>{false} && p.Settings.ChapterFileName == u"c.cue";
     }},
    {"no chapters in subtitle mode", Valid({u"-f", u"a.srt"}),
     [](const TRunPlan& p) { return p.Input.ChapterFiles.empty() && p.Settings.SubtitleMode; }},
    {"the clipboard, the last source given", Valid({u"-f", u"a.txt", u"-c"}),
     [](const TRunPlan& p) { return p.Input.Kind == TSourceKind::Clipboard && p.Input.FileNames.empty(); }},
    // Values taken as given.
    {"values as given",
     Valid({u"-t",     u"x",     u"-d",    u"a.dic", u"-ln",         u"2-3",     u"-isb",
            u"-iu",    u"-host", u"proxy", u"-port", u"3128",        u"--cache", u"c",
            u"--jobs", u"4",     u"-dbr",  u"70",    u"--smi-class", u"ENCC",    u"--lrc-para"}),
     [](const TRunPlan& p) {
       const TSettings& s = p.Settings;
       return s.DictionaryFiles == Lines{u"a.dic"} && s.LineSelections == Lines{u"2-3"} &&
              s.IgnoreSquareBrackets && s.IgnoreUrls && !s.IgnoreComments &&
              s.ProxySettings.Host == u"proxy" && s.ProxySettings.Port == u"3128" && s.CacheFolder == u"c" &&
              s.Jobs == 4 && s.RequestDelayMs == 70 && s.SmiClass == u"ENCC" &&
              s.LrcBlankLines == TLrcBlankLines::AfterParagraphs;
     }},
};

TEST(ResolveRun, SettingsFollowFromTheOptions) {
  for (const SettingsRow& row : kSettingsRows) {
    const TRunPlan plan = ResolveRun(Options(row.args, row.environmentKey));
    EXPECT_TRUE(row.holds(plan)) << row.name;
  }
}

// The plan carries the environment as it was read, and the settings take from it the fields that
// the layers below need.
TEST(ResolveRun, ThePlanCarriesTheEnvironment) {
  TRunOptions options = Options(Valid({u"-t", u"x"}));
  options.Environment.CloudServiceUrl = "http://127.0.0.1:8443";
  options.Environment.AnsiCodePage = 866;
  options.Environment.PlainWavLimit = 1000;
  TRunPlan plan = ResolveRun(options);
  EXPECT_EQ(plan.Environment.CloudServiceUrl, "http://127.0.0.1:8443");
  EXPECT_EQ(plan.Settings.AnsiCodePage, 866);
  EXPECT_EQ(plan.Input.Decode.AnsiCodePage, 866);
  EXPECT_EQ(plan.Settings.PlainWavLimit, 1000u);
  options.Environment.PlainWavLimit.reset();
  plan = ResolveRun(options);
  EXPECT_EQ(plan.Settings.PlainWavLimit, 0xFFFFFFFFu - 36);
}

TEST(SampleRateForFrequency, MapsKilohertzToTheNextSupportedRate) {
  const std::pair<int32_t, int32_t> cases[] = {
      {-1, 24000}, {0, 8000},   {8, 8000},   {10, 8000},  {11, 11025}, {15, 11025}, {16, 16000},
      {21, 16000}, {22, 22050}, {23, 22050}, {24, 24000}, {31, 24000}, {32, 32000}, {43, 32000},
      {44, 44100}, {47, 44100}, {48, 48000}, {96, 48000}, {-5, 8000}};
  for (auto [kiloHertz, rate] : cases) EXPECT_EQ(SampleRateForFrequency(kiloHertz), rate) << kiloHertz;
}

}  // namespace
}  // namespace sonacli
