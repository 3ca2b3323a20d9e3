// Plain-text replacement of keys that must stand as words, for ".dic" entries and plain ".bxd" rules.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace sonacli {

// "'", "-", "<", ">", "^" and "`": next to a key they count like word characters.
bool IsJoiningChar(char16_t c);

// How one key is searched and replaced.
struct TPlainRule {
  bool CaseSensitive = false;  // search the text itself, else its lower-cased copy
  bool TestStart = true;       // reject a match after a word character or a joining character
  bool TestEnd = true;         // reject a match before a word character or a joining character
  bool TransferCase = true;    // a match starting with an upper-case letter capitalises the replacement
};

// A key prepared once, with what the prefilter needs to know of it.
class TPlainKey {
 public:
  explicit TPlainKey(std::u16string key);
  const std::u16string& Text() const { return key_; }

 private:
  friend class TPlainReplacer;
  std::u16string key_;
  std::vector<uint32_t> probes_;  // filter positions of character sequences of the lower-cased key
};

// A text being corrected, with its lower-cased copy kept in step, and a record of the character
// sequences that the copy may hold: a key with a sequence that is not recorded cannot occur and is
// passed over without a search.
class TPlainReplacer {
 public:
  explicit TPlainReplacer(std::u16string text);

  // Replaces the key at every place where it stands as the rule demands, left to right; the
  // replacement is not searched again. Each place is tested against the text as changed so far.
  // A replacement that would make the text longer than kMaxReplacedTextLength is not made.
  void Replace(const TPlainKey& key, std::u16string_view replacement, const TPlainRule& rule);

  const std::u16string& Text() const { return text_; }
  std::u16string TakeText() { return std::move(text_); }

 private:
  struct Region {
    size_t Start;
    size_t Length;
  };
  bool MayOccur(const TPlainKey& key);
  void StartRecord();
  bool Rejected(const TPlainRule& rule, bool hasBefore, char16_t before, size_t end) const;
  // Both start at the first place found; they fill inserted_.
  void ReplaceInPlace(size_t found, std::u16string_view key, std::u16string_view replacement,
                      const TPlainRule& rule);
  void ReplaceRebuilding(size_t found, std::u16string_view key, std::u16string_view replacement,
                         const TPlainRule& rule);
  void Record(size_t from, size_t to);
  void SetBit(std::vector<uint64_t>& bits, uint32_t index) {
    bits[index >> 6] |= uint64_t{1} << (index & 63);
  }
  bool Bit(const std::vector<uint64_t>& bits, uint32_t index) const {
    return (bits[index >> 6] >> (index & 63)) & 1;
  }

  std::u16string text_;
  std::u16string copy_;  // LowerCase(text_) at all times
  // Bit sets of single units, pairs and triples of the copy, made once a few keys have been searched.
  std::vector<uint64_t> singles_, pairs_, triples_;
  int directSearches_ = 0;
  std::u16string out_, outCopy_;  // reused buffers
  std::vector<Region> inserted_;
};

}  // namespace sonacli
