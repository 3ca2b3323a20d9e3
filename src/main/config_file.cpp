#include "main/config_file.h"

#include <array>
#include <string>
#include <vector>

#include "common/trim.h"
#include "common/unicode_text.h"
#include "input/input_reader.h"
#include "main/option_table.h"
#include "platform/text_file.h"

namespace sonacli {

namespace {

struct TConfigTest {
  std::array<std::u16string_view, 5> Names;  // tested in this order; unused ones are empty
  TConfigMatch Match;
};

using enum TConfigMatch;

// Order matters: prefixes are tested before the shorter names they would swallow or be
// swallowed by (-ln before -l, -stereo before -s, -fr and -fl before -f).
constexpr TConfigTest kConfigTests[] = {
    {{u"--ignore-square-brackets", u"-isb"}, WholeLine},
    {{u"--ignore-curly-brackets", u"-icb"}, WholeLine},
    {{u"--ignore-angle-brackets", u"-iab"}, WholeLine},
    {{u"--ignore-round-brackets", u"-irb"}, WholeLine},
    {{u"--ignore-url", u"-iu"}, WholeLine},
    {{u"--ignore-comments", u"-ic"}, WholeLine},
    {{u"--raw"}, WholeLine},
    {{u"--ignore-length", u"-il"}, WholeLine},
    {{u"-cfg"}, LongPrefix},
    {{u"--encoding", u"-enc"}, LongPrefix},
    {{u"-host"}, LongPrefix},
    {{u"-port"}, LongPrefix},
    {{u"-ln"}, LongPrefix},
    {{u"-dbr"}, LongPrefix},
    {{u"-dp"}, WholeLine},
    {{u"-k "}, ShortPrefix},
    {{u"-l "}, ShortPrefix},
    {{u"-n "}, ShortPrefix},
    {{u"-e "}, ShortPrefix},
    {{u"-stereo"}, WholeLine},
    {{u"-s "}, ShortPrefix},
    {{u"-v "}, ShortPrefix},
    {{u"-m"}, WholeLine},
    {{u"-c"}, WholeLine},
    {{u"-t "}, ShortPrefix},
    {{u"-i"}, WholeLine},
    {{u"-o"}, WholeLine},
    {{u"-d "}, ShortPrefix},
    {{u"-fr"}, LongPrefix},
    {{u"-fl "}, LongPrefix},
    {{u"-f "}, ShortPrefix},
    {{u"-w "}, ShortPrefix},
    {{u"-lrc"}, WholeLine},
    {{u"-srt"}, WholeLine},
    {{u"-sub"}, WholeLine},
    {{u"--lrc-length"}, LongPrefix},
    {{u"--lrc-fname"}, LongPrefix},
    {{u"--lrc-enc"}, LongPrefix},
    {{u"--lrc-offset"}, LongPrefix},
    {{u"--lrc-artist", u"--lrc-album", u"--lrc-title", u"--lrc-author", u"--lrc-creator"}, LongPrefix},
    {{u"--lrc-sent"}, LongPrefix},
    {{u"--lrc-para"}, LongPrefix},
    {{u"--srt-length"}, LongPrefix},
    {{u"--srt-fname"}, LongPrefix},
    {{u"--srt-enc"}, LongPrefix},
    {{u"--sub-format"}, LongPrefix},
    {{u"--sub-fit", u"-sf"}, WholeLine},
    {{u"--sub-max", u"-sm"}, LongPrefix},
    {{u"--cache"}, LongPrefix},
    {{u"--jobs"}, LongPrefix},
    {{u"--dry-run"}, WholeLine},
    {{u"--list-requests"}, WholeLine},
    {{u"-?", u"-h"}, WholeLine},
};

bool Matches(std::u16string_view lowered, std::u16string_view name, TConfigMatch match) {
  return match == WholeLine ? lowered == name : lowered.starts_with(name);
}

std::u16string_view RawValue(std::u16string_view line, TConfigMatch match) {
  switch (match) {
    case WholeLine:
      return {};
    case ShortPrefix:
      return line.substr(2);
    case LongPrefix:
      break;
  }
  size_t space = line.find(u' ');
  return space == std::u16string_view::npos ? std::u16string_view() : line.substr(space + 1);
}

std::u16string CleanValue(std::u16string_view raw) {
  std::u16string value = Trim(raw);
  if (value.size() >= 2 && value.front() == u'"' && value.back() == u'"')
    value = value.substr(1, value.size() - 2);
  return value;
}

}  // namespace

void ApplyConfigLine(std::u16string_view line, TRunOptions& options) {
  const std::u16string lowered = LowerCase(line);
  for (const TConfigTest& test : kConfigTests) {
    for (std::u16string_view name : test.Names) {
      if (name.empty() || !Matches(lowered, name, test.Match)) continue;
      const TOption* option = FindOption(Trim(name));
      if (option)
        ApplyOption(*option, CleanValue(RawValue(line, test.Match)), TOptionSource::ConfigFile, options);
      return;
    }
  }
}

void ReadConfigFile(std::u16string_view fileName, TRunOptions& options) {
  std::vector<std::u16string> lines;
  if (!ReadTextLines(fileName, lines, options.Environment.AnsiCodePage)) return;
  for (const std::u16string& line : lines) {
    if (!line.empty()) ApplyConfigLine(line, options);
  }
}

}  // namespace sonacli
