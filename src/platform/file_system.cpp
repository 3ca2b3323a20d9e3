#include "platform/file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdlib>
#include <filesystem>

#include "common/unicode_text.h"
#include "platform/random.h"

namespace sonacli {

namespace fs = std::filesystem;

std::string NativePath(std::u16string_view fileName) {
  return ToUtf8(fileName);
}

bool FileExists(std::u16string_view fileName) {
  if (fileName.empty()) return false;
  std::error_code error;
  fs::file_status status = fs::status(NativePath(fileName), error);
  return !error && fs::exists(status) && !fs::is_directory(status);
}

bool IsRegularFile(std::u16string_view fileName) {
  if (fileName.empty()) return false;
  std::error_code error;
  return fs::is_regular_file(NativePath(fileName), error);
}

bool IsPipeOrSocket(std::u16string_view fileName) {
  if (fileName.empty()) return false;
  std::error_code error;
  const fs::file_status status = fs::status(NativePath(fileName), error);
  return !error && (fs::is_fifo(status) || fs::is_socket(status));
}

bool FolderExists(std::u16string_view folder) {
  if (folder.empty()) return false;
  std::error_code error;
  return fs::is_directory(NativePath(folder), error);
}

bool IsOccupiedByNonFile(std::u16string_view fileName) {
  if (fileName.empty()) return false;
  std::error_code error;
  const fs::file_status status = fs::symlink_status(NativePath(fileName), error);
  if (error || !fs::exists(status)) return false;
  return !fs::is_regular_file(status) && !fs::is_symlink(status);
}

std::u16string FolderPart(std::u16string_view fileName) {
  size_t slash = fileName.rfind(u'/');
  return slash == std::u16string_view::npos ? u"" : std::u16string(fileName.substr(0, slash));
}

std::u16string FileNameOnly(std::u16string_view fileName) {
  size_t slash = fileName.rfind(u'/');
  return std::u16string(slash == std::u16string_view::npos ? fileName : fileName.substr(slash + 1));
}

namespace {
// Position of the extension's dot within the name part, or npos.
size_t ExtensionDot(std::u16string_view fileName) {
  size_t slash = fileName.rfind(u'/');
  size_t dot = fileName.rfind(u'.');
  if (dot == std::u16string_view::npos) return dot;
  if (slash != std::u16string_view::npos && dot < slash) return std::u16string_view::npos;
  return dot;
}
}  // namespace

std::u16string ExtensionOf(std::u16string_view fileName) {
  size_t dot = ExtensionDot(fileName);
  return dot == std::u16string_view::npos ? u"" : std::u16string(fileName.substr(dot));
}

std::u16string ChangeExtension(std::u16string_view fileName, std::u16string_view extension) {
  size_t dot = ExtensionDot(fileName);
  std::u16string base(dot == std::u16string_view::npos ? fileName : fileName.substr(0, dot));
  return base + std::u16string(extension);
}

bool DeleteFileIfExists(std::u16string_view fileName) {
  std::error_code error;
  fs::remove(NativePath(fileName), error);
  return !FileExists(fileName);
}

bool RemoveTree(std::u16string_view folder) {
  std::string path = NativePath(folder);
  std::error_code error;
  if (!fs::exists(path, error)) return true;
  // Read-only entries inside must not stop the removal.
  for (auto it = fs::recursive_directory_iterator(path, error);
       !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
    std::error_code ignored;
    fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add | fs::perm_options::nofollow,
                    ignored);
  }
  fs::remove_all(path, error);
  return !fs::exists(path, error);
}

bool MakeFolders(std::u16string_view folder) {
  std::error_code error;
  fs::create_directories(NativePath(folder), error);
  return FolderExists(folder);
}

bool CanCreateFilesIn(std::u16string_view folder) {
  std::u16string name(folder);
  if (name.empty() || name.back() != u'/') name += u'/';
  name += u".sonacli-check-";
  constexpr int kAttempts = 100;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    const std::string path = NativePath(name + ToUtf16(std::to_string(RandomInt(1000000000))));
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0) {
      close(fd);
      unlink(path.c_str());
      return true;
    }
    if (errno != EEXIST) return false;
  }
  return false;
}

std::optional<TFileIdentity> IdentityOf(std::u16string_view fileName) {
  struct stat status {};
  if (fileName.empty() || ::stat(NativePath(fileName).c_str(), &status) != 0) return std::nullopt;
  return TFileIdentity{static_cast<uint64_t>(status.st_dev), static_cast<uint64_t>(status.st_ino)};
}

std::vector<std::u16string> FolderEntries(std::u16string_view folder) {
  std::vector<std::u16string> names;
  std::error_code error;
  for (fs::directory_iterator entry(NativePath(folder), error), end; !error && entry != end;
       entry.increment(error))
    names.push_back(ToUtf16(entry->path().filename().string()));
  return names;
}

}  // namespace sonacli
