// A ZIP archive in memory read with libzip, entry by entry, within the limits of a book. Entry
// names are only looked up, never used as file names, so "../" or absolute names do no harm.
#pragma once

#include <zip.h>

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "book/book_limits.h"

namespace sonacli {

// What is wrong with an entry that libzip cannot unpack (its error code), in the user's words:
// "OEBPS/a.xhtml is damaged: its checksum does not match its content".
std::string ZipEntryProblem(int code, const std::string& name);

class TZipArchive {
 public:
  explicit TZipArchive(const TBookLimits& limits) : limits_(limits) {}

  // Opens the archive held in the bytes, which must outlive the object; false with the message
  // when they hold none, or a damaged one ("the ZIP archive is cut short or damaged: its list of
  // files is missing").
  bool Open(std::string_view bytes, std::string& error);

  uint64_t Count() const;
  // The entry's name; empty when it has none.
  std::string Name(uint64_t index) const;
  // The entry of that name, spelled exactly or else in other case (of ASCII letters); nullopt
  // when there is none.
  std::optional<uint64_t> Find(std::string_view name);
  // The entry is a folder (its name ends with "/").
  bool IsFolder(uint64_t index) const;

  // Unpacks the entry; false with the message when it is encrypted, damaged or beyond a limit.
  bool Read(uint64_t index, std::string& bytes, std::string& error);
  // Unpacks the first `count` bytes at most (fewer when the entry is shorter), for telling what an
  // entry holds; false when it cannot be unpacked. Counts toward no limit but `count`.
  bool ReadStart(uint64_t index, size_t count, std::string& bytes);

 private:
  struct Discard {
    void operator()(zip_t* zip) const { zip_discard(zip); }
  };
  struct Close {
    void operator()(zip_file_t* file) const { zip_fclose(file); }
  };
  using File = std::unique_ptr<zip_file_t, Close>;

  bool CheckEntry(const zip_stat_t& stat, const std::string& name, std::string& error) const;
  bool CheckUnpacked(const zip_stat_t& stat, size_t size, const std::string& name, std::string& error) const;

  TBookLimits limits_;
  std::unique_ptr<zip_t, Discard> zip_;
  size_t unpacked_ = 0;
  // Every entry by its name in lower case, made at the first lookup that needs it; a lookup in
  // other case through libzip would go through all entries each time.
  std::map<std::string, uint64_t> lowerNames_;
  bool lowerNamesMade_ = false;
};

}  // namespace sonacli
