#include "main/run_sequence.h"

#include <algorithm>
#include <optional>

#include "book/book_reader.h"
#include "catalogue/value_list.h"
#include "catalogue/voice_catalogue.h"
#include "common/trim.h"
#include "common/unicode_text.h"
#include "dict/dictionary_set.h"
#include "encode/cover_image.h"
#include "encode/output_format.h"
#include "input/input_filters.h"
#include "input/input_reader.h"
#include "input/line_selection.h"
#include "main/book_input.h"
#include "main/command_line.h"
#include "main/config_file.h"
#include "main/overwritten_input.h"
#include "main/report_error.h"
#include "main/resolve_run.h"
#include "main/run_environment.h"
#include "main/usage_text.h"
#include "main/version_text.h"
#include "platform/console.h"
#include "platform/file_system.h"
#include "platform/process.h"
#include "platform/text_file.h"
#include "subtitles/subtitle_loading.h"
#include "text/chapter_tag.h"

namespace sonacli {

namespace {

void PrintValueListLines() {
  for (const std::u16string& line : ValueListLines()) PrintLine(line);
}

// One run: the options resolved into a plan, then the steps that read and write, in their order; a
// step that returns false ends the run.
class TRun {
 public:
  TRun(TErrorReport& errors, const TRunPlan& plan) : errors_(errors), plan_(plan) {}

  int Run(const TSynthesisDriver& driver) {
    errors_.SetToStandardError(settings_.ToStdout);
    if (!Begin()) return errors_.ExitCode();
    if (!AcquireInput() || !PrepareText()) return errors_.ExitCode();
    dictionaries_.Load(settings_.DictionaryFiles, settings_.AnsiCodePage);
    if (settings_.SubtitleMode && !ReadSubtitles()) return errors_.ExitCode();
    if (!settings_.ToStdout && !CheckTargetPath(settings_.OutputFileName, u"Output"))
      return errors_.ExitCode();
    if (!CheckSyncPaths()) return errors_.ExitCode();
    if (!settings_.ChapterFileName.empty() && !CheckTargetPath(settings_.ChapterFileName, u"Chapter file"))
      return errors_.ExitCode();
    if (const std::optional<std::u16string> overwritten = OverwrittenInput(plan_, UserLines(input_))) {
      errors_.ReportError(*overwritten);
      return errors_.ExitCode();
    }
    if (!ResolveTags() || !CheckSplitChaptersFolder()) return errors_.ExitCode();
    Synthesize(driver);
    return errors_.ExitCode();
  }

 private:
  // Version, usage text and value list, then the failed check; false when the run ends there.
  bool Begin() {
    if (plan_.Start == TRunStart::Version) {
      PrintVersion();
      return false;
    }
    // The clipboard is read before the usage text or the value list is printed, whether the run
    // ends with them or not.
    if (plan_.Input.Kind == TSourceKind::Clipboard) {
      BeginUserText(input_);
      clipboardRead_ = ReadClipboard(input_.Lines);
    }
    switch (plan_.Start) {
      case TRunStart::Usage:
        PrintUsage();
        return false;
      case TRunStart::ValueList:
        PrintValueListLines();
        return false;
      case TRunStart::ValueListThenRun:
        PrintValueListLines();
        break;
      case TRunStart::Version:
      case TRunStart::Run:
        break;
    }
    for (const std::u16string& warning : plan_.Warnings) ReportWarning(warning);
    return plan_.Error.empty() || Fail(plan_.Error);
  }

  bool Fail(std::u16string_view message) {
    errors_.ReportError(message);
    return false;
  }

  bool AllInputFilesExist() {
    bool allExist = true;
    for (const std::u16string& name : plan_.Input.FileNames) {
      const bool noText = FolderExists(name) || IsPipeOrSocket(name);
      if (FileExists(name) && !noText) continue;
      allExist = false;
      std::u16string shortName = FileNameOnly(name);
      // A folder, a FIFO or a socket is there but holds no text of its own (and a FIFO would keep
      // the run waiting for a writer). Devices are read: /dev/zero ends in "Too large to read".
      if (noText) {
        errors_.ReportError(u"Input file is not a regular file: " + (shortName.empty() ? name : shortName));
        continue;
      }
      errors_.ReportError(shortName.empty() ? u"Input file not found"
                                            : u"Input file not found: " + shortName);
    }
    return allExist;
  }

  bool ReadInputFiles() {
    if (!AllInputFilesExist()) return false;
    const std::vector<std::u16string>& names = plan_.Input.FileNames;
    for (size_t i = 0; i < names.size(); ++i) {
      const std::u16string& name = names[i];
      if (name.empty()) continue;
      if (plan_.Input.FirstFileOnly && i > 0) break;
      std::vector<std::u16string>& lines = input_.Lines;
      if (!lines.empty()) lines.insert(lines.end(), 2, std::u16string());
      std::string bytes;
      if (!ReadInputFile(name, bytes)) return Fail(u"File reading error");
      const std::u16string shortName = FileNameOnly(name);
      // A book carries its own chapters, the first at its first line, in place of the chapter of
      // a listed file.
      switch (ReadBookInput(bytes, shortName)) {
        case BookRead::Read:
          continue;
        case BookRead::Failed:
          return false;
        case BookRead::NoBook:
          break;
      }
      BeginUserText(input_);
      const size_t firstLine = lines.size();
      const TInputContent content = AddFileText(bytes, plan_.Input.Decode, lines);
      if (content != TInputContent::Text)
        return Fail(u"Input file is not text (" + std::u16string(InputContentName(content)) + u"): " +
                    shortName);
      const std::vector<bool>& chapters = plan_.Input.ChapterFiles;
      if (i < chapters.size() && chapters[i]) StartChapter(firstLine);
    }
    return true;
  }

  // The text file whose lines begin at `firstLine` is a chapter titled by its first line with
  // text; its tag goes in front of that line, so that line numbers (-ln) stay the text's own. A
  // file without text has no chapter.
  void StartChapter(size_t firstLine) {
    std::vector<std::u16string>& lines = input_.Lines;
    for (size_t k = firstLine; k < lines.size(); ++k) {
      if (Trim(lines[k]).empty()) continue;
      lines[k].insert(0, ChapterTag(ChapterTitleOfLine(lines[k])));
      return;
    }
  }

  bool ReadStandardInputText() {
    std::string bytes;
    if (!ReadStandardInputBytes(bytes)) return Fail(u"STDIN reading error");
    switch (ReadBookInput(bytes, {})) {
      case BookRead::Read:
        return true;
      case BookRead::Failed:
        return false;
      case BookRead::NoBook:
        break;
    }
    BeginUserText(input_);
    const TInputContent content = TakeStandardInputText(bytes, plan_.Input.Decode, input_.Lines);
    return content == TInputContent::Text ||
           Fail(u"Standard input is not text (" + std::u16string(InputContentName(content)) + u")");
  }

  enum class BookRead { NoBook, Read, Failed };

  // A book is told by its content, before the check for input that is no text (an EPUB is a ZIP)
  // and before decoding as text (an FB2 book is XML that declares its own encoding). Its lines are
  // appended with its chapters, and what was left out of it noted; a book that cannot be read is
  // reported (with the name of its file; empty for standard input) and ends the run.
  BookRead ReadBookInput(std::string_view bytes, std::u16string_view fileName) {
    const std::u16string what =
        fileName.empty() ? u"the book on standard input" : u"the book " + std::u16string(fileName);
    TBookFormat format = DetectBookFormat(bytes);
    // An EPUB too damaged to be opened still names itself in its first entry; its reader tells
    // what is wrong with it.
    if (format == TBookFormat::None && ClassifyInputBytes(bytes) == TInputContent::EpubBook)
      format = TBookFormat::Epub;
    if (format == TBookFormat::None) return BookRead::NoBook;
    TBook book;
    std::u16string error;
    if (!ReadBook(bytes, format, book, error, {}, {settings_.BookAllParts, settings_.BareChapterTitles})) {
      Fail(u"Cannot read " + std::u16string(what) + u": " + error);
      return BookRead::Failed;
    }
    WarnOfLanguageWithoutVoice(book.Language, what);
    NoteLeftOut(book, fileName.empty() ? u"standard input" : fileName, bookNotes_);
    AppendBook(book, booksRead_++, input_);
    if (!firstBook_) firstBook_ = std::move(book);
    return BookRead::Read;
  }

  // A book is read in its own language when the user named no language or voice; one in a
  // language the service lacks is read by the run's voice, and the user is told.
  void WarnOfLanguageWithoutVoice(std::u16string_view language, std::u16string_view what) {
    if (settings_.VoiceNamed || settings_.SubtitleMode || Trim(language).empty()) return;
    if (!LanguageOfTag(language).empty()) return;
    ReportWarning(u"The service has no voice for the language " + Trim(language) + u" of " +
                  std::u16string(what) + u"; it is read by " + settings_.VoiceName + u" (" +
                  settings_.LanguageCode + u")");
  }

  bool AcquireInput() {
    switch (plan_.Input.Kind) {
      case TSourceKind::Files:
        return ReadInputFiles();
      case TSourceKind::StandardInput:
        return ReadStandardInputText();
      case TSourceKind::Clipboard:  // read before the early exits
        if (clipboardRead_ == TClipboardRead::NoProgram)
          return Fail(u"No clipboard program found (wl-paste, xclip or xsel)");
        return clipboardRead_ == TClipboardRead::Text || Fail(u"No text in clipboard");
      case TSourceKind::CommandText:
        break;
    }
    input_ = UserText(plan_.Input.CommandTextLines);
    return true;
  }

  // Line selection, filters and trimming; false when no text is left. An input without any text
  // ends silently, but for subtitles, which the subtitle step reports; one whose text the
  // selection or the filters took away is reported.
  bool PrepareText() {
    const bool hadText = std::any_of(input_.Lines.begin(), input_.Lines.end(),
                                     [](const std::u16string& line) { return !Trim(line).empty(); });
    if (!settings_.LineSelections.empty()) {
      input_ = SelectLines(input_, settings_.LineSelections);
      if (input_.Lines.empty()) return Fail(u"No lines selected");
    }
    if (settings_.ListLines) {
      PrintNumberedLines();
      return false;
    }
    TFilterFlags flags{settings_.IgnoreSquareBrackets, settings_.IgnoreCurlyBrackets,
                       settings_.IgnoreAngleBrackets,  settings_.IgnoreRoundBrackets,
                       settings_.IgnoreUrls,           settings_.IgnoreComments};
    input_ = FilterInputText(std::move(input_), flags);
    if (!input_.Lines.empty() || (settings_.SubtitleMode && !hadText)) return true;
    return hadText && Fail(u"No text to speak");
  }

  // --list-lines: every line as line selection counts it, "12<TAB>text".
  void PrintNumberedLines() const {
    for (size_t line = 0; line < input_.Lines.size(); ++line)
      PrintLine(ToUtf16(std::to_string(LineNumber(input_, line))) + u"\t" + input_.Lines[line]);
  }

  bool ReadSubtitles() {
    TSubtitleLoading loading = LoadSubtitles(input_.Lines, settings_.SubtitleFormat, settings_.SmiClass);
    if (!loading.Error.empty()) return Fail(loading.Error);
    subtitles_ = std::move(loading.Subtitles);
    return true;
  }

  // A file the run writes is put in place when it is complete, replacing a file (or a symbolic
  // link) at its path; a folder, a FIFO or a device there is never replaced. Checked before any
  // request is paid for. `kind` leads the messages ("Output", "LRC", "SRT", "Chapter file").
  bool CheckTargetPath(const std::u16string& fileName, std::u16string_view kind) {
    const std::u16string folder = FolderPart(fileName);
    if (!folder.empty() && !FolderExists(folder)) return Fail(std::u16string(kind) + u" folder not found");
    if (IsOccupiedByNonFile(fileName)) return Fail(std::u16string(kind) + u" path is not a regular file");
    return true;
  }

  bool CheckSyncPaths() {
    if (settings_.SubtitleMode) return true;  // no LRC or SRT file is written there
    return (!settings_.LrcEnabled || CheckTargetPath(settings_.LrcData.FileName, u"LRC")) &&
           (!settings_.SrtEnabled || CheckTargetPath(settings_.SrtData.FileName, u"SRT"));
  }

  // The tags of the output: the options', with the cover read and checked, then the first book's
  // title, author and cover for what they left empty, and the first input file's name for a title
  // that nothing else gave.
  bool ResolveTags() {
    tags_ = plan_.Tags;
    if (!plan_.CoverFileName.empty() && !ReadCover()) return false;
    if (firstBook_) {
      if (tags_.Cover.empty()) bookNotes_.CoverLeftOut = CoverLeftOut(*firstBook_);
      std::u16string coverLeftOut;
      FillMediaTagsFromBook(*firstBook_, tags_, coverLeftOut);
      // Only an encoded output carries a cover.
      if (!coverLeftOut.empty() && IsEncoded(plan_.Output.Format))
        ReportWarning(u"The book's cover is left out (" + coverLeftOut + u")");
    }
    if (tags_.Title.empty()) tags_.Title = plan_.DefaultTitle;
    return true;
  }

  bool ReadCover() {
    const std::u16string& name = plan_.CoverFileName;
    const std::u16string shortName = FileNameOnly(name).empty() ? name : FileNameOnly(name);
    if (FolderExists(name)) return Fail(u"Cover file is a folder: " + shortName);
    if (!FileExists(name)) return Fail(u"Cover file not found: " + shortName);
    // A FIFO would hold the run waiting for a writer; a device is no picture.
    if (!IsRegularFile(name)) return Fail(u"Cover file is not a regular file: " + shortName);
    try {
      // One byte beyond the limit is enough to tell a picture that is too large.
      if (!ReadFileBytes(name, tags_.Cover, kMaxCoverBytes + 1))
        return Fail(u"Cover file reading error: " + FileNameOnly(name));
    } catch (const TInputTooLarge&) {
      return Fail(u"Cover image is larger than 15 MiB");
    }
    std::u16string error;
    return CheckCoverDecodes(tags_.Cover, error) || Fail(error);
  }

  // The folder of chapter files is made when missing, and must take new files, before any request
  // is paid for.
  bool CheckSplitChaptersFolder() {
    const std::u16string& folder = plan_.Output.SplitChaptersFolder;
    if (folder.empty()) return true;
    // A dry run makes nothing; a folder that is there must still take files.
    if (settings_.DryRun && !FolderExists(folder)) return true;
    if (!MakeFolders(folder)) return Fail(u"Cannot create the chapter folder: " + folder);
    return CanCreateFilesIn(folder) || Fail(u"Cannot write into the chapter folder: " + folder);
  }

  void Synthesize(const TSynthesisDriver& driver) {
    if (settings_.ShowProgress) SetCursorVisible(false);
    driver(TSynthesisInput{settings_, input_, dictionaries_, errors_, subtitles_, plan_.Output, tags_,
                           bookNotes_, plan_.Environment});
    if (settings_.ShowProgress) SetCursorVisible(true);
  }

  TErrorReport& errors_;
  const TRunPlan& plan_;
  const TSettings& settings_ = plan_.Settings;
  TClipboardRead clipboardRead_ = TClipboardRead::NoText;
  // The whole input text, its lines with their sources and the books' chapters: filled by the
  // input step, then read by the driver.
  TInputText input_;
  size_t booksRead_ = 0;
  TDictionarySet dictionaries_;
  // Subtitle mode: the entries read from the lines, joined and widened, for the driver.
  SubtitleList subtitles_;
  // The first book of the input, its text taken: its title, authors and cover.
  std::optional<TBook> firstBook_;
  TMediaTags tags_;
  // What the dry run says of the books: the parts left out, a cover that cannot be stored.
  TBookNotes bookNotes_;
};

}  // namespace

TRunOptions ReadRunOptions(const std::vector<std::u16string>& arguments, std::u16string_view executablePath) {
  TRunOptions options;
  options.Environment = ReadRunEnvironment(ProcessEnvironmentVariable);
  options.ConfigFileName = FindConfigFile(arguments, executablePath);
  // The user's own file first, so that the one beside the program (or -cfg's) wins over it; a file
  // named twice is read once, or its lists (-t, -d, -f) would hold everything twice.
  options.UserConfigFileName =
      UserConfigFile(EnvironmentVariable("XDG_CONFIG_HOME"), EnvironmentVariable("HOME"));
  if (!options.UserConfigFileName.empty() && options.UserConfigFileName != options.ConfigFileName &&
      FileExists(options.UserConfigFileName))
    ReadConfigFile(options.UserConfigFileName, options);
  if (FileExists(options.ConfigFileName)) ReadConfigFile(options.ConfigFileName, options);
  ReadCommandLine(arguments, options);
  options.EnvironmentApiKey = EnvironmentVariable("SONACLI_API_KEY");
  return options;
}

int RunSequence(const std::vector<std::u16string>& arguments, std::u16string_view executablePath,
                const TSynthesisDriver& driver, TErrorReport& errors) {
  const TRunPlan plan = ResolveRun(ReadRunOptions(arguments, executablePath));
  return TRun(errors, plan).Run(driver);
}

int RunSequence(const std::vector<std::u16string>& arguments, std::u16string_view executablePath,
                const TSynthesisDriver& driver) {
  TErrorReport errors;
  return RunSequence(arguments, executablePath, driver, errors);
}

}  // namespace sonacli
