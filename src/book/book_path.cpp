#include "book/book_path.h"

#include <vector>

namespace sonacli {
namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string PercentDecoded(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0) {
      out += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

}  // namespace

// A scheme is letters, digits, "+", "-" and "." from a letter on, before the first ":".
bool HasScheme(std::string_view href) {
  const size_t colon = href.find(':');
  if (colon == std::string_view::npos || colon == 0) return false;
  for (size_t i = 0; i < colon; ++i) {
    const char c = href[i];
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    if (!letter && (i == 0 || !((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.'))) return false;
  }
  return true;
}

namespace {

std::string_view FolderOf(std::string_view path) {
  const size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? std::string_view() : path.substr(0, slash + 1);
}

}  // namespace

std::optional<std::string> NormalizePath(std::string_view path) {
  std::vector<std::string_view> steps;
  size_t i = 0;
  while (i <= path.size()) {
    size_t end = path.find('/', i);
    if (end == std::string_view::npos) end = path.size();
    const std::string_view step = path.substr(i, end - i);
    if (step == "..") {
      if (steps.empty()) return std::nullopt;
      steps.pop_back();
    } else if (!step.empty() && step != ".") {
      steps.push_back(step);
    }
    i = end + 1;
  }
  if (steps.empty()) return std::nullopt;
  std::string out;
  for (std::string_view step : steps) {
    if (!out.empty()) out += '/';
    out += step;
  }
  return out;
}

std::optional<TBookLink> ResolveLink(std::string_view fromPath, std::string_view href) {
  if (href.empty() || HasScheme(href)) return std::nullopt;
  const size_t hash = href.find('#');
  const std::string_view fragment =
      hash == std::string_view::npos ? std::string_view() : href.substr(hash + 1);
  std::string_view target = href.substr(0, hash);
  target = target.substr(0, target.find('?'));
  TBookLink link;
  link.Fragment = PercentDecoded(fragment);
  if (target.empty()) {
    std::optional<std::string> self = NormalizePath(fromPath);
    if (!self) return std::nullopt;
    link.Path = *self;
    return link;
  }
  const std::string decoded = PercentDecoded(target);
  std::optional<std::string> path =
      NormalizePath(decoded.front() == '/' ? decoded : std::string(FolderOf(fromPath)) + decoded);
  if (!path) return std::nullopt;
  link.Path = *path;
  return link;
}

}  // namespace sonacli
