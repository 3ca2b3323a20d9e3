#include "regex/regex.h"

#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

#include <vector>

namespace sonacli {
namespace {

// Enough for any sensible rule on a piece of a few thousand characters; a rule that needs more
// backtracks catastrophically and is treated as failing.
constexpr uint32_t kMatchLimit = 1'000'000;
constexpr uint32_t kDepthLimit = 100'000;

struct CompileContextDeleter {
  void operator()(pcre2_compile_context* context) const { pcre2_compile_context_free(context); }
};

struct MatchDataDeleter {
  void operator()(pcre2_match_data* data) const { pcre2_match_data_free(data); }
};

PCRE2_SPTR Code16(std::u16string_view text) {
  static const char16_t kEmpty[1] = {0};
  return reinterpret_cast<PCRE2_SPTR>(text.empty() ? kEmpty : text.data());
}

// The offset of the character after the one at offset; a surrogate pair counts as one character.
size_t NextCharOffset(std::u16string_view text, size_t offset) {
  if (offset + 1 < text.size() && text[offset] >= 0xD800 && text[offset] <= 0xDBFF &&
      text[offset + 1] >= 0xDC00 && text[offset + 1] <= 0xDFFF) {
    return offset + 2;
  }
  return offset + 1;
}

}  // namespace

void TRegex::CodeDeleter::operator()(pcre2_real_code_16* code) const {
  pcre2_code_free(code);
}

void TRegex::ContextDeleter::operator()(pcre2_real_match_context_16* context) const {
  pcre2_match_context_free(context);
}

TRegex::TRegex(std::unique_ptr<pcre2_real_code_16, CodeDeleter> code,
               std::unique_ptr<pcre2_real_match_context_16, ContextDeleter> context)
    : code_(std::move(code)), context_(std::move(context)) {
  uint32_t count = 0;
  pcre2_pattern_info(code_.get(), PCRE2_INFO_CAPTURECOUNT, &count);
  groupCount_ = static_cast<int>(count);
}

TRegex::~TRegex() = default;

std::unique_ptr<TRegex> TRegex::Compile(std::u16string_view pattern, bool caseSensitive) {
  uint32_t options = PCRE2_UTF | PCRE2_UCP | PCRE2_MULTILINE | PCRE2_MATCH_INVALID_UTF;
  if (!caseSensitive) options |= PCRE2_CASELESS;
  // Texts hold lines ending in CR LF, CR or LF; "^" and "$" know all three.
  std::unique_ptr<pcre2_compile_context, CompileContextDeleter> compileContext(
      pcre2_compile_context_create(nullptr));
  if (!compileContext) return nullptr;
  pcre2_set_newline(compileContext.get(), PCRE2_NEWLINE_ANYCRLF);
  int error = 0;
  PCRE2_SIZE errorOffset = 0;
  std::unique_ptr<pcre2_real_code_16, CodeDeleter> code(
      pcre2_compile(Code16(pattern), pattern.size(), options, &error, &errorOffset, compileContext.get()));
  if (!code) return nullptr;
  pcre2_jit_compile(code.get(), PCRE2_JIT_COMPLETE);  // optional: without it the interpreter runs
  std::unique_ptr<pcre2_real_match_context_16, ContextDeleter> context(pcre2_match_context_create(nullptr));
  if (!context) return nullptr;
  pcre2_set_match_limit(context.get(), kMatchLimit);
  pcre2_set_depth_limit(context.get(), kDepthLimit);
  return std::unique_ptr<TRegex>(new TRegex(std::move(code), std::move(context)));
}

bool TRegex::ForEachMatch(std::u16string_view subject,
                          const std::function<void(const TRegexMatch&)>& onMatch) const {
  std::unique_ptr<pcre2_match_data, MatchDataDeleter> data(
      pcre2_match_data_create_from_pattern(code_.get(), nullptr));
  if (!data) return false;
  const PCRE2_SPTR text = Code16(subject);
  size_t offset = 0;
  bool retryNotEmpty = false;  // the last try found an empty match at offset
  while (offset <= subject.size()) {
    const uint32_t options = retryNotEmpty ? (PCRE2_NOTEMPTY_ATSTART | PCRE2_ANCHORED) : 0;
    int rc = pcre2_match(code_.get(), text, subject.size(), offset, options, data.get(), context_.get());
    if (rc == PCRE2_ERROR_JIT_STACKLIMIT) {
      // The compiled code's small stack ran out; the interpreter keeps its frames on the heap.
      rc = pcre2_match(code_.get(), text, subject.size(), offset, options | PCRE2_NO_JIT, data.get(),
                       context_.get());
    }
    if (rc == PCRE2_ERROR_NOMATCH) {
      if (!retryNotEmpty) return true;
      retryNotEmpty = false;
      offset = NextCharOffset(subject, offset);
      continue;
    }
    if (rc <= 0) return false;
    const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(data.get());
    if (ovector[1] <= ovector[0]) {
      offset = ovector[0];
      retryNotEmpty = true;
      continue;
    }
    onMatch(TRegexMatch(*this, subject, ovector, rc));
    offset = ovector[1];
    retryNotEmpty = false;
  }
  return true;
}

int TRegex::GroupNumber(std::u16string_view name) const {
  const std::u16string terminated(name);
  const int number = pcre2_substring_number_from_name(code_.get(), Code16(terminated));
  return number > 0 ? number : -1;
}

bool TRegexMatch::Has(int group) const {
  return group >= 0 && group < setCount_ && offsets_[2 * group] != PCRE2_UNSET;
}

std::u16string_view TRegexMatch::Group(int group) const {
  if (!Has(group)) return {};
  const size_t start = offsets_[2 * group];
  const size_t end = offsets_[2 * group + 1];
  return end > start ? subject_.substr(start, end - start) : std::u16string_view();
}

int TRegexMatch::LastGroup() const {
  for (int group = setCount_ - 1; group > 0; --group) {
    if (Has(group)) return group;
  }
  return 0;
}

}  // namespace sonacli
