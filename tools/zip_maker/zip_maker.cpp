#include "zip_maker.h"

#include <zip.h>

namespace sonacli {
namespace {

bool AddEntry(zip_t* zip, const TZipEntry& entry) {
  zip_source_t* source = zip_source_buffer(zip, entry.Bytes.data(), entry.Bytes.size(), 0);
  if (source == nullptr) return false;
  const zip_int64_t index = zip_file_add(zip, entry.Name.c_str(), source, ZIP_FL_ENC_UTF_8);
  if (index < 0) {
    zip_source_free(source);
    return false;
  }
  const auto at = static_cast<zip_uint64_t>(index);
  if (entry.Stored && zip_set_file_compression(zip, at, ZIP_CM_STORE, 0) != 0) return false;
  return entry.Password.empty() ||
         zip_file_set_encryption(zip, at, ZIP_EM_AES_256, entry.Password.c_str()) == 0;
}

std::string ReadSource(zip_source_t* source) {
  zip_stat_t stat;
  if (zip_source_stat(source, &stat) != 0 || zip_source_open(source) != 0) return {};
  std::string bytes(stat.size, '\0');
  const zip_int64_t read = zip_source_read(source, bytes.data(), bytes.size());
  zip_source_close(source);
  if (read < 0) return {};
  bytes.resize(static_cast<size_t>(read));
  return bytes;
}

}  // namespace

std::string MakeZip(const std::vector<TZipEntry>& entries) {
  zip_error_t error;
  zip_error_init(&error);
  zip_source_t* source = zip_source_buffer_create(nullptr, 0, 0, &error);
  zip_error_fini(&error);
  if (source == nullptr) return {};
  // The archive frees its source when it closes; the source must outlive it to be read back.
  zip_source_keep(source);
  zip_t* zip = zip_open_from_source(source, ZIP_TRUNCATE, nullptr);
  if (zip == nullptr) {
    zip_source_free(source);
    zip_source_free(source);
    return {};
  }
  bool added = true;
  for (const TZipEntry& entry : entries) added = added && AddEntry(zip, entry);
  std::string bytes;
  if (added && zip_close(zip) == 0) {
    bytes = ReadSource(source);
  } else {
    zip_discard(zip);
  }
  zip_source_free(source);
  return bytes;
}

}  // namespace sonacli
