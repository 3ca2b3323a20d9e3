// The regular-expression engine: PCRE2's 16-bit library, for UTF-16 texts.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

struct pcre2_real_code_16;
struct pcre2_real_match_context_16;

namespace sonacli {

class TRegexMatch;

// One compiled pattern: UTF with Unicode properties, multi-line ("^" and "$" also at line breaks:
// CR LF, CR or LF),
// caseless unless case-sensitive. A runaway match ends at the engine's match and depth limits.
class TRegex {
 public:
  // Null when the pattern does not compile.
  static std::unique_ptr<TRegex> Compile(std::u16string_view pattern, bool caseSensitive);
  ~TRegex();
  TRegex(const TRegex&) = delete;
  TRegex& operator=(const TRegex&) = delete;

  // Calls onMatch for every non-overlapping match of non-zero length, left to right; an empty
  // match is passed over, and a non-empty match at the same place is tried instead (as Perl's
  // global substitution does). False when matching failed (a limit was reached): the matches
  // already reported must then be discarded.
  bool ForEachMatch(std::u16string_view subject,
                    const std::function<void(const TRegexMatch&)>& onMatch) const;

  // Capturing groups, group 0 not counted.
  int GroupCount() const { return groupCount_; }
  // The number of a named group; -1 when there is none of that name.
  int GroupNumber(std::u16string_view name) const;

 private:
  struct CodeDeleter {
    void operator()(pcre2_real_code_16* code) const;
  };
  struct ContextDeleter {
    void operator()(pcre2_real_match_context_16* context) const;
  };
  TRegex(std::unique_ptr<pcre2_real_code_16, CodeDeleter> code,
         std::unique_ptr<pcre2_real_match_context_16, ContextDeleter> context);

  std::unique_ptr<pcre2_real_code_16, CodeDeleter> code_;
  std::unique_ptr<pcre2_real_match_context_16, ContextDeleter> context_;
  int groupCount_ = 0;
};

// One match as reported by TRegex::ForEachMatch; valid only during the call.
class TRegexMatch {
 public:
  TRegexMatch(const TRegex& regex, std::u16string_view subject, const size_t* offsets, int setCount)
      : regex_(regex), subject_(subject), offsets_(offsets), setCount_(setCount) {}

  const TRegex& Pattern() const { return regex_; }
  std::u16string_view Subject() const { return subject_; }
  // True when the group exists and took part in the match.
  bool Has(int group) const;
  // The text of a group; empty when it does not exist or took no part.
  std::u16string_view Group(int group) const;
  size_t Start() const { return offsets_[0]; }
  size_t End() const { return offsets_[1]; }
  // The highest-numbered group that took part; 0 when no capturing group did.
  int LastGroup() const;

 private:
  const TRegex& regex_;
  std::u16string_view subject_;
  const size_t* offsets_;
  int setCount_;
};

}  // namespace sonacli
