#include "main/overwritten_input.h"

#include <algorithm>
#include <string_view>

#include "common/unicode_text.h"
#include "encode/output_format.h"
#include "platform/file_system.h"
#include "text/text_parts.h"

namespace sonacli {

namespace {

// A file the run reads, with what it is to the run, for the message.
struct ReadFile {
  TFileIdentity Identity;
  std::u16string Name;
  std::u16string_view Role;
};

class FilesRead {
 public:
  void Add(const std::u16string& name, std::u16string_view role) {
    if (const std::optional<TFileIdentity> identity = IdentityOf(name))
      files_.push_back({*identity, name, role});
  }
  void Add(const std::vector<std::u16string>& names, std::u16string_view role) {
    for (const std::u16string& name : names) Add(name, role);
  }
  // The file read that the name reaches, if any.
  const ReadFile* Find(const std::u16string& name) const {
    const std::optional<TFileIdentity> identity = IdentityOf(name);
    if (!identity) return nullptr;
    const auto found = std::find_if(files_.begin(), files_.end(),
                                    [&](const ReadFile& file) { return file.Identity == *identity; });
    return found == files_.end() ? nullptr : &*found;
  }

 private:
  std::vector<ReadFile> files_;
};

FilesRead FilesReadBy(const TRunPlan& plan, const std::vector<std::u16string>& lines) {
  FilesRead read;
  if (plan.Input.Kind == TSourceKind::Files) read.Add(plan.Input.FileNames, u"an input file");
  read.Add(plan.ListFileNames, u"a list file");
  read.Add(plan.Settings.DictionaryFiles, u"a dictionary");
  // Subtitle mode inserts no sound files.
  if (!plan.Settings.SubtitleMode) read.Add(AudioInsertNames(lines), u"a sound file of the text");
  read.Add(plan.CoverFileName, u"the cover");
  read.Add(plan.ConfigFileNames, u"a configuration file");
  return read;
}

// A file the run writes, with its kind and its role for the messages.
struct WrittenFile {
  std::u16string Name;
  std::u16string_view Kind;
  std::u16string_view Role;
};

std::vector<WrittenFile> FilesWrittenBy(const TSettings& settings) {
  std::vector<WrittenFile> written;
  if (!settings.ToStdout) written.push_back({settings.OutputFileName, u"Output file", u"the output file"});
  // Subtitle mode writes no LRC or SRT file.
  if (settings.LrcEnabled && !settings.SubtitleMode)
    written.push_back({settings.LrcData.FileName, u"LRC file", u"the LRC file"});
  if (settings.SrtEnabled && !settings.SubtitleMode)
    written.push_back({settings.SrtData.FileName, u"SRT file", u"the SRT file"});
  if (!settings.ChapterFileName.empty())
    written.push_back({settings.ChapterFileName, u"Chapter file", u"the chapter file"});
  return written;
}

std::u16string Refusal(std::u16string_view what, const ReadFile& input) {
  return std::u16string(what) + std::u16string(input.Role) + u": " + FileNameOnly(input.Name);
}

std::u16string FolderOf(const std::u16string& fileName) {
  const std::u16string folder = FolderPart(fileName);
  if (!folder.empty()) return folder;
  return fileName.starts_with(u'/') ? u"/" : u".";
}

// Whether two names will be one file: the same file now, or the same name in the same folder.
bool SameTarget(const std::u16string& first, const std::u16string& second) {
  const std::optional<TFileIdentity> firstFile = IdentityOf(first);
  const std::optional<TFileIdentity> secondFile = IdentityOf(second);
  if (firstFile && secondFile) return *firstFile == *secondFile;
  if (FileNameOnly(first) != FileNameOnly(second)) return false;
  const std::optional<TFileIdentity> firstFolder = IdentityOf(FolderOf(first));
  return firstFolder && firstFolder == IdentityOf(FolderOf(second));
}

}  // namespace

std::optional<std::u16string> OverwrittenInput(const TRunPlan& plan,
                                               const std::vector<std::u16string>& lines) {
  const FilesRead read = FilesReadBy(plan, lines);
  const std::vector<WrittenFile> written = FilesWrittenBy(plan.Settings);
  for (size_t i = 0; i < written.size(); ++i) {
    const WrittenFile& output = written[i];
    if (const ReadFile* input = read.Find(output.Name))
      return Refusal(std::u16string(output.Kind) + u" would overwrite ", *input);
    // The files are put in place in this order: a later one would replace an earlier one.
    for (size_t k = 0; k < i; ++k) {
      if (SameTarget(output.Name, written[k].Name))
        return std::u16string(output.Kind) + u" would overwrite " + std::u16string(written[k].Role) + u": " +
               FileNameOnly(output.Name);
    }
  }
  // The chapter files are named by their titles only at the end of the run; any file of their
  // folder with their extension may be replaced by one.
  const std::u16string& folder = plan.Output.SplitChaptersFolder;
  if (folder.empty()) return std::nullopt;
  const std::u16string extension(FormatExtension(plan.Output.Format));
  for (const std::u16string& entry : FolderEntries(folder)) {
    if (LowerCase(ExtensionOf(entry)) != extension) continue;
    if (const ReadFile* input = read.Find(folder + u"/" + entry))
      return Refusal(u"A file of the chapter folder could overwrite ", *input);
  }
  return std::nullopt;
}

}  // namespace sonacli
