#include "book/zip_archive.h"

#include <algorithm>

#include "book/book_text.h"

namespace sonacli {
namespace {

constexpr size_t kReadBlock = size_t{64} << 10;

// Owns a zip_error_t for as long as its message is needed.
class ZipError {
 public:
  ZipError() { zip_error_init(&error_); }
  ~ZipError() { zip_error_fini(&error_); }
  ZipError(const ZipError&) = delete;
  ZipError& operator=(const ZipError&) = delete;

  zip_error_t* Get() { return &error_; }
  int Code() const { return zip_error_code_zip(&error_); }

 private:
  zip_error_t error_;
};

// What is wrong with an archive that libzip cannot open, in the user's words.
std::string ArchiveProblem(int code, std::string_view bytes) {
  switch (code) {
    case ZIP_ER_NOZIP:
      // The list of files sits at the end: a ZIP that starts as one lost it, most likely cut short.
      return bytes.starts_with("PK\x03\x04")
                 ? "the ZIP archive is cut short or damaged: its list of files is missing"
                 : "not a ZIP archive";
    case ZIP_ER_MULTIDISK:
      return "the ZIP archive is split into several parts";
    case ZIP_ER_MEMORY:
      return "out of memory";
    case ZIP_ER_EOF:
    case ZIP_ER_READ:
    case ZIP_ER_SEEK:
      return "the ZIP archive is cut short";
    default:
      return "the ZIP archive is damaged: its list of files does not match its content";
  }
}

}  // namespace

std::string ZipEntryProblem(int code, const std::string& name) {
  switch (code) {
    case ZIP_ER_CRC:
      return name + " is damaged: its checksum does not match its content";
    case ZIP_ER_ZLIB:
    case ZIP_ER_INCONS:
    case ZIP_ER_INVAL:
    case ZIP_ER_EOF:
    case ZIP_ER_READ:
    case ZIP_ER_SEEK:
    case ZIP_ER_NOENT:
      return name + " is damaged: its packed data cannot be unpacked";
    case ZIP_ER_COMPNOTSUPP:
      return name + " is packed in a way that cannot be unpacked";
    case ZIP_ER_ENCRNOTSUPP:
    case ZIP_ER_NOPASSWD:
    case ZIP_ER_WRONGPASSWD:
      return "encrypted books cannot be read";
    case ZIP_ER_MEMORY:
      return "out of memory";
    default:
      return name + " cannot be unpacked";
  }
}

bool TZipArchive::Open(std::string_view bytes, std::string& error) {
  ZipError zipError;
  zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, zipError.Get());
  if (source == nullptr) {
    error = ArchiveProblem(zipError.Code(), bytes);
    return false;
  }
  zip_.reset(zip_open_from_source(source, ZIP_RDONLY, zipError.Get()));
  if (zip_ == nullptr) {
    // The archive takes the source over only when it opens.
    zip_source_free(source);
    error = ArchiveProblem(zipError.Code(), bytes);
    return false;
  }
  return true;
}

uint64_t TZipArchive::Count() const {
  const zip_int64_t count = zip_get_num_entries(zip_.get(), 0);
  return count > 0 ? static_cast<uint64_t>(count) : 0;
}

std::string TZipArchive::Name(uint64_t index) const {
  const char* name = zip_get_name(zip_.get(), index, ZIP_FL_ENC_GUESS);
  return name != nullptr ? name : "";
}

std::optional<uint64_t> TZipArchive::Find(std::string_view name) {
  if (name.empty() || name.find('\0') != std::string_view::npos) return std::nullopt;
  const std::string text(name);
  const zip_int64_t index = zip_name_locate(zip_.get(), text.c_str(), ZIP_FL_ENC_GUESS);
  if (index >= 0) return static_cast<uint64_t>(index);
  if (!lowerNamesMade_) {
    for (uint64_t i = Count(); i-- > 0;) lowerNames_[LowerAscii(Name(i))] = i;
    lowerNamesMade_ = true;
  }
  const auto found = lowerNames_.find(LowerAscii(text));
  if (found == lowerNames_.end()) return std::nullopt;
  return found->second;
}

bool TZipArchive::IsFolder(uint64_t index) const {
  const std::string name = Name(index);
  return !name.empty() && name.back() == '/';
}

bool TZipArchive::CheckEntry(const zip_stat_t& stat, const std::string& name, std::string& error) const {
  if ((stat.valid & ZIP_STAT_ENCRYPTION_METHOD) != 0 && stat.encryption_method != ZIP_EM_NONE) {
    error = "encrypted books cannot be read";
    return false;
  }
  // The sizes the archive declares may lie; they only refuse early what unpacking would refuse.
  return (stat.valid & ZIP_STAT_SIZE) == 0 || CheckUnpacked(stat, stat.size, name, error);
}

bool TZipArchive::CheckUnpacked(const zip_stat_t& stat, size_t size, const std::string& name,
                                std::string& error) const {
  if (size > limits_.MaxEntryBytes) {
    error = name + " unpacks to more than " + SizeText(limits_.MaxEntryBytes);
    return false;
  }
  const uint64_t packed = (stat.valid & ZIP_STAT_COMP_SIZE) != 0 ? stat.comp_size : 0;
  if (size > limits_.RatioFloorBytes && size / limits_.MaxRatio > packed) {
    error = name + " unpacks to more than " + std::to_string(limits_.MaxRatio) + " times its packed size";
    return false;
  }
  if (size > limits_.MaxUnpackedBytes - std::min(unpacked_, limits_.MaxUnpackedBytes)) {
    error = "the archive unpacks to more than " + SizeText(limits_.MaxUnpackedBytes);
    return false;
  }
  return true;
}

bool TZipArchive::Read(uint64_t index, std::string& bytes, std::string& error) {
  bytes.clear();
  const std::string name = Name(index);
  zip_stat_t stat;
  if (zip_stat_index(zip_.get(), index, 0, &stat) != 0) {
    error = ZipEntryProblem(zip_error_code_zip(zip_get_error(zip_.get())), name);
    return false;
  }
  if (!CheckEntry(stat, name, error)) return false;
  File file(zip_fopen_index(zip_.get(), index, 0));
  if (file == nullptr) {
    error = ZipEntryProblem(zip_error_code_zip(zip_get_error(zip_.get())), name);
    return false;
  }
  if ((stat.valid & ZIP_STAT_SIZE) != 0) bytes.reserve(stat.size);
  for (;;) {
    const size_t size = bytes.size();
    bytes.resize(size + kReadBlock);
    const zip_int64_t count = zip_fread(file.get(), bytes.data() + size, kReadBlock);
    if (count < 0) {
      error = ZipEntryProblem(zip_error_code_zip(zip_file_get_error(file.get())), name);
      bytes.clear();
      return false;
    }
    bytes.resize(size + static_cast<size_t>(count));
    if (count == 0) break;
    if (!CheckUnpacked(stat, bytes.size(), name, error)) {
      bytes.clear();
      return false;
    }
  }
  unpacked_ += bytes.size();
  return true;
}

bool TZipArchive::ReadStart(uint64_t index, size_t count, std::string& bytes) {
  bytes.assign(count, '\0');
  File file(zip_fopen_index(zip_.get(), index, 0));
  if (file == nullptr) return false;
  size_t filled = 0;
  while (filled < count) {
    const zip_int64_t read = zip_fread(file.get(), bytes.data() + filled, count - filled);
    if (read <= 0) break;
    filled += static_cast<size_t>(read);
  }
  bytes.resize(filled);
  return true;
}

}  // namespace sonacli
