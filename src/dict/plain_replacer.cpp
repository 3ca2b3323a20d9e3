#include "dict/plain_replacer.h"

#include <unicode/uchar.h>

#include <algorithm>

#include "common/char_classes.h"
#include "common/unicode_text.h"
#include "dict/replaced_text_limit.h"
#include "dict/substring_search.h"

namespace sonacli {
namespace {

constexpr int kPairBits = 18;
constexpr int kTripleBits = 20;
// A long key is probed at this many places, spread over it.
constexpr size_t kMaxProbes = 12;
// Searching a few keys costs less than recording the sequences of the text.
constexpr int kDirectSearches = 24;

uint32_t PairIndex(char16_t a, char16_t b) {
  const uint32_t x = (uint32_t{a} << 16) | b;
  return (x * 0x9E3779B1u) >> (32 - kPairBits);
}

uint32_t TripleIndex(char16_t a, char16_t b, char16_t c) {
  const uint64_t x = (uint64_t{a} << 32) | (uint64_t{b} << 16) | c;
  return static_cast<uint32_t>((x * 0x9E3779B97F4A7C15ull) >> (64 - kTripleBits));
}

bool BlocksKey(char16_t c) {
  return WordChar(c) || IsJoiningChar(c);
}

bool IsUpperLetter(char16_t c) {
  return u_charType(c) == U_UPPERCASE_LETTER;
}

// Whether the first letter of a match is upper case, so that the replacement's first letter is
// made upper case too; never when the match starts with a letter in the middle of a word.
bool StartsUpperCase(std::u16string_view match, bool midWord) {
  const auto first = std::find_if(match.begin(), match.end(), WordLetter);
  return first != match.end() && !(first == match.begin() && midWord) && IsUpperLetter(*first);
}

void Capitalize(char16_t* text, size_t length) {
  char16_t* target = std::find_if(text, text + length, WordLetter);
  if (target != text + length) *target = UpperChar(*target);
}

std::vector<uint64_t> Bits(int count) {
  return std::vector<uint64_t>(size_t{1} << (count - 6), 0);
}

}  // namespace

bool IsJoiningChar(char16_t c) {
  return c == u'\'' || c == u'-' || c == u'<' || c == u'>' || c == u'^' || c == u'`';
}

TPlainKey::TPlainKey(std::u16string key) : key_(std::move(key)) {
  const std::u16string lower = LowerCase(key_);
  const size_t n = lower.size();
  if (n == 1) probes_.push_back(lower[0]);
  if (n == 2) probes_.push_back(PairIndex(lower[0], lower[1]));
  if (n < 3) return;
  const size_t starts = n - 2;
  const size_t count = std::min(starts, kMaxProbes);
  for (size_t i = 0; i < count; ++i) {
    const size_t at = count == 1 ? 0 : i * (starts - 1) / (count - 1);
    probes_.push_back(TripleIndex(lower[at], lower[at + 1], lower[at + 2]));
  }
}

TPlainReplacer::TPlainReplacer(std::u16string text) : text_(std::move(text)), copy_(LowerCase(text_)) {}

void TPlainReplacer::StartRecord() {
  singles_ = Bits(16);
  pairs_ = Bits(kPairBits);
  triples_ = Bits(kTripleBits);
  Record(0, copy_.size());
}

void TPlainReplacer::Record(size_t from, size_t to) {
  const size_t n = copy_.size();
  for (size_t i = from; i < to && i < n; ++i) {
    SetBit(singles_, copy_[i]);
    if (i + 1 < n) SetBit(pairs_, PairIndex(copy_[i], copy_[i + 1]));
    if (i + 2 < n) SetBit(triples_, TripleIndex(copy_[i], copy_[i + 1], copy_[i + 2]));
  }
}

bool TPlainReplacer::MayOccur(const TPlainKey& key) {
  if (singles_.empty()) {
    if (++directSearches_ <= kDirectSearches) return true;
    StartRecord();
  }
  const std::vector<uint64_t>& bits =
      key.key_.size() == 1 ? singles_ : (key.key_.size() == 2 ? pairs_ : triples_);
  for (uint32_t probe : key.probes_) {
    if (!Bit(bits, probe)) return false;
  }
  return true;
}

void TPlainReplacer::Replace(const TPlainKey& key, std::u16string_view replacement, const TPlainRule& rule) {
  const std::u16string_view k = key.Text();
  const size_t n = k.size();
  if (n == 0 || n > text_.size() || !MayOccur(key)) return;
  const std::u16string_view haystack = rule.CaseSensitive ? text_ : copy_;
  size_t found = FindSubstring(haystack, k, 0);
  if (found == std::u16string_view::npos) return;
  inserted_.clear();
  if (replacement.size() == n) {
    ReplaceInPlace(found, k, replacement, rule);
  } else {
    ReplaceRebuilding(found, k, replacement, rule);
  }
  // Sequences that now run into or across an inserted text may be new. Nothing is ever removed
  // from the record, so it may hold more than the copy does but never less.
  if (singles_.empty()) return;
  for (const Region& region : inserted_) {
    Record(region.Start >= 2 ? region.Start - 2 : 0, region.Start + region.Length);
  }
}

bool TPlainReplacer::Rejected(const TPlainRule& rule, bool hasBefore, char16_t before, size_t end) const {
  return (rule.TestStart && hasBefore && BlocksKey(before)) ||
         (rule.TestEnd && end < text_.size() && BlocksKey(text_[end]));
}

void TPlainReplacer::ReplaceInPlace(size_t found, std::u16string_view key, std::u16string_view replacement,
                                    const TPlainRule& rule) {
  const size_t n = key.size();
  const std::u16string_view haystack = rule.CaseSensitive ? text_ : copy_;
  for (; found != std::u16string_view::npos; found = FindSubstring(haystack, key, found + n)) {
    const size_t p = found;
    const char16_t before = p > 0 ? text_[p - 1] : u'\0';
    if (Rejected(rule, p > 0, before, p + n)) continue;
    char16_t* target = text_.data() + p;
    const bool upper =
        rule.TransferCase && StartsUpperCase(std::u16string_view(target, n), p > 0 && LetterOrDigit(before));
    replacement.copy(target, n);
    if (upper) Capitalize(target, n);
    for (size_t i = p; i < p + n; ++i) copy_[i] = LowerChar(text_[i]);
    inserted_.push_back({p, n});
  }
}

void TPlainReplacer::ReplaceRebuilding(size_t found, std::u16string_view key, std::u16string_view replacement,
                                       const TPlainRule& rule) {
  const size_t n = key.size();
  const std::u16string_view haystack = rule.CaseSensitive ? text_ : copy_;
  // The text as changed so far is out_ followed by text_ from copied on.
  out_.clear();
  outCopy_.clear();
  size_t copied = 0;
  for (; found != std::u16string_view::npos; found = FindSubstring(haystack, key, found + n)) {
    const size_t p = found;
    const bool hasBefore = p > copied || !out_.empty();
    const char16_t before = p > copied ? text_[p - 1] : (out_.empty() ? u'\0' : out_.back());
    if (Rejected(rule, hasBefore, before, p + n)) continue;
    // The length of the text with this occurrence replaced; each later one would add to it.
    const size_t grown = out_.size() + (text_.size() - copied) - n + replacement.size();
    if (replacement.size() > n && grown > kMaxReplacedTextLength) break;
    out_.append(text_, copied, p - copied);
    outCopy_.append(copy_, copied, p - copied);
    const size_t at = out_.size();
    out_.append(replacement);
    if (rule.TransferCase &&
        StartsUpperCase(std::u16string_view(text_).substr(p, n), hasBefore && LetterOrDigit(before))) {
      Capitalize(out_.data() + at, replacement.size());
    }
    for (size_t i = at; i < out_.size(); ++i) outCopy_.push_back(LowerChar(out_[i]));
    inserted_.push_back({at, replacement.size()});
    copied = p + n;
  }
  if (inserted_.empty()) return;
  out_.append(text_, copied);
  outCopy_.append(copy_, copied);
  text_.swap(out_);
  copy_.swap(outCopy_);
}

}  // namespace sonacli
