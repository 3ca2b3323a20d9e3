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

// A file the run writes, with its kind for the message.
struct WrittenFile {
  std::u16string Name;
  std::u16string_view Kind;
};

std::vector<WrittenFile> FilesWrittenBy(const TSettings& settings) {
  std::vector<WrittenFile> written;
  if (!settings.ToStdout) written.push_back({settings.OutputFileName, u"Output file"});
  // Subtitle mode writes no LRC or SRT file.
  if (settings.LrcEnabled && !settings.SubtitleMode)
    written.push_back({settings.LrcData.FileName, u"LRC file"});
  if (settings.SrtEnabled && !settings.SubtitleMode)
    written.push_back({settings.SrtData.FileName, u"SRT file"});
  if (!settings.ChapterFileName.empty()) written.push_back({settings.ChapterFileName, u"Chapter file"});
  return written;
}

std::u16string Refusal(std::u16string_view what, const ReadFile& input) {
  return std::u16string(what) + std::u16string(input.Role) + u": " + FileNameOnly(input.Name);
}

}  // namespace

std::optional<std::u16string> OverwrittenInput(const TRunPlan& plan,
                                               const std::vector<std::u16string>& lines) {
  const FilesRead read = FilesReadBy(plan, lines);
  for (const WrittenFile& output : FilesWrittenBy(plan.Settings)) {
    if (const ReadFile* input = read.Find(output.Name))
      return Refusal(std::u16string(output.Kind) + u" would overwrite ", *input);
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
