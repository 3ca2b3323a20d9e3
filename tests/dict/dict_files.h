// Dictionary sets loaded from real files written into a test's temporary folder.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "common/unicode_text.h"
#include "dict/dictionary_set.h"
#include "testing/test_support.h"

namespace sonacli::testing {

// Writes every (file name, bytes) into the folder, then loads them in this order (text without
// byte-order mark that is not UTF-8 in code page 1251).
inline void LoadFiles(TDictionarySet& set, const ScopedTempDir& dir,
                      const std::vector<std::pair<std::string, std::string>>& files) {
  std::vector<std::u16string> names;
  for (const auto& [name, bytes] : files) names.push_back(ToUtf16(WriteFile(dir.File(name), bytes)));
  set.Load(names, 1251);
}

// The text after a set made of one file with these contents (UTF-8 with byte-order mark).
inline std::u16string ApplyOneFile(const std::string& fileName, const std::string& content,
                                   const std::u16string& text) {
  ScopedTempDir dir;
  TDictionarySet set;
  LoadFiles(set, dir, {{fileName, "\xEF\xBB\xBF" + content}});
  return set.Apply(text);
}

}  // namespace sonacli::testing
