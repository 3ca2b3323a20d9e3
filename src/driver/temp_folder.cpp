#include "driver/temp_folder.h"

#include "platform/file_system.h"

namespace sonacli {

namespace {
constexpr char16_t kTempPrefix[] = u"sonarel";
constexpr int kTempDigits = 8;
}  // namespace

std::u16string MakeTempFolder() {
  return CreateUniqueFolder(UserTempFolder(), kTempPrefix, kTempDigits);
}

bool RemoveFolder(const std::u16string& folder) {
  if (folder.empty()) return true;
  return RemoveTree(folder);
}

}  // namespace sonacli
