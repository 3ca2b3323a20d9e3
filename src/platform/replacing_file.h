// The one way a file is replaced: its new content is written under a temporary name in the
// target's folder, put on the disk (fsync), and renamed over the target. A reader, and the disk
// after a crash, see the old file or the whole new one, never a part of it; a failed write leaves
// the old file as it was and removes the temporary.
#pragma once

#include <sys/types.h>

#include <memory>
#include <string>
#include <string_view>

#include "platform/descriptor.h"

namespace sonacli {

class TReplacingFile {
  struct TKey {
    explicit TKey() = default;
  };

 public:
  // Creates the temporary for `target` with `mode` (less the umask). Its name is
  // `temporaryPattern` with "XXXXXX" turned into six random letters and digits; without a pattern
  // it is "." + the target's name + ".XXXXXX.tmp" in the target's folder. The name is claimed with
  // O_EXCL and drawn from the system, so that any thread may create one. Null when none can be made.
  static std::unique_ptr<TReplacingFile> Create(const std::string& target, mode_t mode = 0666,
                                                const std::string& temporaryPattern = {});
  TReplacingFile(TKey, std::string target, std::string temporary, TFileDescriptor file);
  // Removes the temporary unless it was committed.
  ~TReplacingFile();
  TReplacingFile(const TReplacingFile&) = delete;
  TReplacingFile& operator=(const TReplacingFile&) = delete;

  int Descriptor() const { return file_.Get(); }
  const std::string& TemporaryName() const { return temporary_; }
  // Appends all bytes; false on any failure.
  bool Write(std::string_view bytes) { return WriteAll(file_.Get(), bytes); }
  // Puts the content on the disk, closes the file and renames it over the target (a symbolic
  // link or a FIFO there is replaced, not followed). False on any failure: the temporary is then
  // removed and the target stays as it was.
  bool Commit();

 private:
  std::string target_;
  std::string temporary_;
  TFileDescriptor file_;
  bool committed_ = false;
};

// The whole new content of `target`, written through a TReplacingFile.
bool ReplaceFileContent(const std::string& target, std::string_view bytes, mode_t mode = 0666,
                        const std::string& temporaryPattern = {});

// Moves a complete file over any file of the target name by the same rule: the file is put on the
// disk first, then renamed; across file systems it is copied into a TReplacingFile beside the
// target, and the source is removed once the copy is in place.
bool MoveFileReplacing(std::u16string_view from, std::u16string_view to);

}  // namespace sonacli
