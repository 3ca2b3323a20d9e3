#include "completion_scripts.h"

#include <algorithm>
#include <map>
#include <string_view>

#include "catalogue/voice_catalogue.h"
#include "common/trim.h"
#include "common/unicode_text.h"
#include "main/option_table.h"
#include "main/resolve_run.h"
#include "main/usage_text.h"

namespace sonacli {

namespace {

enum class ValueKind {
  AnyFile,
  WavFile,
  Dictionary,
  ConfigFile,
  LrcFile,
  SrtFile,
  ChapterFile,
  Language,
  Voice,
  Tone,
  Encoding,
  SubtitleFormat,
  OutputFormat,
  Picture,
  Frequency,
  Folder,
  BookParts,
  ChapterTitles
};

// What the value of an option is, where more can be offered than free text. An option missing
// here is still completed; only its value is not.
const std::map<std::string_view, ValueKind> kValueKinds = {
    {"-l", ValueKind::Language},
    {"-n", ValueKind::Voice},
    {"-e", ValueKind::Tone},
    {"-f", ValueKind::AnyFile},
    {"-fl", ValueKind::AnyFile},
    {"-w", ValueKind::WavFile},
    {"-enc", ValueKind::Encoding},
    {"--encoding", ValueKind::Encoding},
    {"-d", ValueKind::Dictionary},
    {"-fr", ValueKind::Frequency},
    {"-cfg", ValueKind::ConfigFile},
    {"--lrc-fname", ValueKind::LrcFile},
    {"--lrc-enc", ValueKind::Encoding},
    {"--srt-fname", ValueKind::SrtFile},
    {"--srt-enc", ValueKind::Encoding},
    {"--sub-format", ValueKind::SubtitleFormat},
    {"--cache", ValueKind::Folder},
    {"--format", ValueKind::OutputFormat},
    {"--cover", ValueKind::Picture},
    {"--split-chapters", ValueKind::Folder},
    {"--chapters", ValueKind::ChapterFile},
    {"--book-parts", ValueKind::BookParts},
    {"--chapter-titles", ValueKind::ChapterTitles},
};

// Options that the usage text does not list, and the listed option each one stands for.
const std::map<std::string_view, std::string_view> kAliases = {
    {"--ignore-square-brackets", "-isb"},
    {"--ignore-curly-brackets", "-icb"},
    {"--ignore-angle-brackets", "-iab"},
    {"--ignore-round-brackets", "-irb"},
    {"--ignore-url", "-iu"},
    {"--ignore-comments", "-ic"},
    {"--encoding", "-enc"},
    {"-?", "-h"},
    {"-il", "--ignore-length"},
    {"-sf", "--sub-fit"},
    {"-sm", "--sub-max"},
    {"-version", "--version"},
};

struct UsageEntry {
  std::string valueName;
  std::string description;
};

// The usage text's lines "  -name <value> : description", by option name.
std::map<std::string, UsageEntry> UsageEntries() {
  std::map<std::string, UsageEntry> entries;
  for (std::u16string_view line16 : UsageLines()) {
    const std::string line = ToUtf8(Trim(line16));
    const size_t colon = line.find(" : ");
    if (!line.starts_with('-') || colon == std::string::npos) continue;
    const std::string head = line.substr(0, colon);
    const size_t space = head.find(' ');
    UsageEntry entry{"", line.substr(colon + 3)};
    const size_t open = head.find('<'), close = head.find('>');
    if (open != std::string::npos && close > open) entry.valueName = head.substr(open + 1, close - open - 1);
    entries[head.substr(0, space)] = entry;
  }
  return entries;
}

std::vector<std::string> Languages() {
  std::vector<std::string> codes;
  for (const TLanguage& language : LanguageTable()) codes.push_back(ToUtf8(language.Code));
  return codes;
}

std::vector<std::string> Voices() {
  std::vector<std::string> names;
  for (const TVoice& voice : VoiceTable()) names.push_back(ToUtf8(voice.Name));
  std::sort(names.begin(), names.end());
  return names;
}

// The tones the catalogue accepts, found by their one-letter codes.
std::vector<std::string> Tones() {
  std::vector<std::string> tones;
  for (char16_t letter = u'a'; letter <= u'z'; ++letter) {
    std::string tone = ToUtf8(NormalizeEmotion(std::u16string(1, letter)));
    if (!tone.empty()) tones.push_back(tone);
  }
  return tones;
}

// The kHz values that name an output rate exactly (22 for 22050 Hz).
std::vector<std::string> Frequencies() {
  std::vector<std::string> values;
  for (int32_t kiloHertz = 1; kiloHertz <= 96; ++kiloHertz) {
    if (SampleRateForFrequency(kiloHertz) / 1000 == kiloHertz) values.push_back(std::to_string(kiloHertz));
  }
  return values;
}

void SetValues(TCompletedOption& option, ValueKind kind) {
  auto files = [&option](std::vector<std::string> extensions) {
    option.TakesFile = true;
    option.Extensions = std::move(extensions);
  };
  switch (kind) {
    case ValueKind::AnyFile:
      files({});
      break;
    case ValueKind::WavFile:
      files({"wav", "opus", "ogg", "mp3", "m4b", "m4a", "flac"});
      break;
    case ValueKind::Picture:
      files({"jpg", "jpeg", "png"});
      break;
    case ValueKind::Dictionary:
      files({"dic", "rex", "bxd"});
      break;
    case ValueKind::ConfigFile:
      files({"cfg"});
      break;
    case ValueKind::LrcFile:
      files({"lrc"});
      break;
    case ValueKind::SrtFile:
      files({"srt"});
      break;
    case ValueKind::ChapterFile:
      files({"txt", "ffmeta", "ffmetadata", "cue"});
      break;
    case ValueKind::Language:
      option.Values = Languages();
      break;
    case ValueKind::Voice:
      option.Values = Voices();
      break;
    case ValueKind::Tone:
      option.Values = Tones();
      break;
    case ValueKind::Encoding:
      option.Values = {"ansi", "utf8", "unicode"};
      break;
    case ValueKind::SubtitleFormat:
      option.Values = {"srt", "ssa", "ass", "smi", "vtt", "lrc"};
      break;
    case ValueKind::OutputFormat:
      option.Values = {"wav", "raw", "opus", "mp3", "flac"};
      break;
    case ValueKind::Frequency:
      option.Values = Frequencies();
      break;
    case ValueKind::Folder:
      // Folders are offered with the files; the user walks down to the one wanted.
      files({});
      break;
    case ValueKind::BookParts:
      option.Values = {"text", "all"};
      break;
    case ValueKind::ChapterTitles:
      option.Values = {"full", "bare"};
      break;
  }
}

std::string Joined(const std::vector<std::string>& words, std::string_view separator = " ") {
  std::string text;
  for (const std::string& word : words) text += (text.empty() ? "" : std::string(separator)) + word;
  return text;
}

// The text inside single quotes of a shell.
std::string SingleQuoted(std::string_view text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// A bash case pattern for an option name ("-?" must not match any two characters).
std::string CasePattern(std::string_view name) {
  std::string pattern;
  for (char c : name)
    pattern += (c == '?' || c == '*' || c == '[') ? std::string("\\") + c : std::string(1, c);
  return pattern;
}

// Patterns of all options whose value is completed the same way, joined for a bash case.
std::string CaseAlternatives(const std::vector<const TCompletedOption*>& options) {
  std::vector<std::string> patterns;
  for (const TCompletedOption* option : options) patterns.push_back(CasePattern(option->Name));
  return Joined(patterns, "|");
}

}  // namespace

std::vector<TCompletedOption> CompletedOptions() {
  const std::map<std::string, UsageEntry> usage = UsageEntries();
  std::vector<TCompletedOption> options;
  for (const TOption& tableOption : OptionTable()) {
    TCompletedOption option;
    option.Name = ToUtf8(tableOption.Name);
    option.TakesArgument = tableOption.TakesArgument;
    auto entry = usage.find(option.Name);
    if (auto alias = kAliases.find(option.Name); entry == usage.end() && alias != kAliases.end()) {
      entry = usage.find(std::string(alias->second));
    }
    if (entry != usage.end()) {
      option.Description = entry->second.description;
      option.ValueName = entry->second.valueName;
    }
    if (option.TakesArgument && option.ValueName.empty()) option.ValueName = "value";
    if (auto kind = kValueKinds.find(option.Name); kind != kValueKinds.end() && option.TakesArgument) {
      SetValues(option, kind->second);
    }
    options.push_back(std::move(option));
  }
  return options;
}

// The fixed part of the bash script: helpers and the start of the completion function.
constexpr std::string_view kBashHead =
    R"bash(# bash completion for sonacli; generated from the program's option table, do not edit.

# Offers the words of $2 that start with $1. bash splits "jane:old" at the colon, so only what
# follows the last colon typed is offered.
_sonacli_words() {
  local word=$1
  mapfile -t COMPREPLY < <(compgen -W "$2" -- "$word")
  if [[ $word == *:* ]]; then
    local prefix=${word%"${word##*:}"}
    COMPREPLY=("${COMPREPLY[@]#"$prefix"}")
  fi
}

# Offers folders and the files with one of the extensions in $2 ("dic|rex"; empty: any file).
_sonacli_files() {
  local cur=$1 extensions=$2
  if declare -F _filedir >/dev/null; then
    _filedir ${extensions:+"@($extensions)"}
    return
  fi
  compopt -o filenames 2>/dev/null
  if [[ -z $extensions ]]; then
    mapfile -t COMPREPLY < <(compgen -f -- "$cur")
  else
    local reset
    reset=$(shopt -p extglob)
    shopt -s extglob
    mapfile -t COMPREPLY < <(compgen -d -- "$cur"; compgen -f -X "!*.@($extensions|${extensions^^})" -- "$cur")
    eval "$reset"
  fi
}

_sonacli() {
  local cur=${COMP_WORDS[COMP_CWORD]-} prev=${COMP_WORDS[COMP_CWORD-1]-}
  # The word before the cursor as typed, and the option before it, colons included.
  local line=${COMP_LINE:0:COMP_POINT}
  local word=${line##*[[:space:]]}
  local -a before
  read -ra before <<<"${line%"$word"}"
  local option=${before[${#before[@]}-1]-}
  COMPREPLY=()
  # Option names ignore case.
  case ${option,,} in
)bash";

std::string BashScript(const std::vector<TCompletedOption>& options) {
  std::vector<std::string> names;
  std::vector<const TCompletedOption*> freeText;
  std::map<std::string, std::vector<const TCompletedOption*>> byFiles, byValues;
  for (const TCompletedOption& option : options) {
    names.push_back(CasePattern(option.Name));  // compgen expands the words of its list
    if (!option.TakesArgument) continue;
    if (option.TakesFile) {
      byFiles[Joined(option.Extensions, "|")].push_back(&option);
    } else if (!option.Values.empty()) {
      byValues[Joined(option.Values)].push_back(&option);
    } else {
      freeText.push_back(&option);
    }
  }
  std::string script(kBashHead);
  for (const auto& [values, group] : byValues) {
    script += "    " + CaseAlternatives(group) + ")\n";
    script += "      _sonacli_words \"$word\" " + SingleQuoted(values) + "\n      return ;;\n";
  }
  script += "  esac\n  case ${prev,,} in\n";
  for (const auto& [extensions, group] : byFiles) {
    script += "    " + CaseAlternatives(group) + ")\n";
    script += "      _sonacli_files \"$cur\" " + SingleQuoted(extensions) + "\n      return ;;\n";
  }
  // Free text: nothing to offer.
  if (!freeText.empty()) script += "    " + CaseAlternatives(freeText) + ")\n      return ;;\n";
  script += "  esac\n";
  script += "  mapfile -t COMPREPLY < <(compgen -W " + SingleQuoted(Joined(names)) + " -- \"$cur\")\n";
  script += "}\n\ncomplete -F _sonacli sonacli\n";
  return script;
}

std::string ZshScript(const std::vector<TCompletedOption>& options) {
  auto escaped = [](std::string_view text) {
    std::string out;
    for (char c : text) {
      if (c == '[' || c == ']' || c == ':' || c == '\\') out += '\\';
      out += c;
    }
    return out;
  };
  std::string script =
      "#compdef sonacli\n"
      "# zsh completion for sonacli; generated from the program's option table, do not edit.\n"
      "\n"
      "_arguments \\\n";
  for (const TCompletedOption& option : options) {
    // Appended piece by piece: GCC 12 warns falsely of overlapping copies in "literal" + string.
    std::string spec = "*";
    spec += escaped(option.Name);
    spec += "[";
    spec += escaped(option.Description);
    spec += "]";
    if (option.TakesArgument) {
      spec += ":" + escaped(option.ValueName) + ":";
      if (option.TakesFile && option.Extensions.empty()) {
        spec += "_files";
      } else if (option.TakesFile) {
        spec += "_files -g \"*.(#i)(" + Joined(option.Extensions, "|") + ")(-.)\"";
      } else if (!option.Values.empty()) {
        std::vector<std::string> values;
        for (const std::string& value : option.Values) values.push_back(escaped(value));
        spec += "(" + Joined(values) + ")";
      } else {
        spec += " ";
      }
    }
    script += "  " + SingleQuoted(spec) + " \\\n";
  }
  script.resize(script.size() - 3);
  return script + "\n";
}

std::string FishScript(const std::vector<TCompletedOption>& options) {
  std::string script =
      "# fish completion for sonacli; generated from the program's option table, do not edit.\n"
      "\n"
      "complete -c sonacli -f\n";
  for (const TCompletedOption& option : options) {
    const std::string_view name = option.Name;
    std::string line = "complete -c sonacli ";
    if (name.starts_with("--")) {
      line += "-l " + SingleQuoted(name.substr(2));
    } else if (name.size() == 2) {
      line += "-s " + SingleQuoted(name.substr(1));
    } else {
      line += "-o " + SingleQuoted(name.substr(1));
    }
    // -x: a value, and no file names unless -F or the suffix list offers them.
    if (option.TakesArgument) line += option.TakesFile && option.Extensions.empty() ? " -r -F" : " -x";
    if (option.TakesFile && !option.Extensions.empty()) {
      // The shell's own file completions of the token, kept when they are folders or have one of
      // the extensions in any case.
      line += " -a " + SingleQuoted("(string match -rie -- \"\\.(?:" + Joined(option.Extensions, "|") +
                                    ")\\$|/\\$\" (complete -C \"__fish_command_without_completions \"" +
                                    "(commandline -ct)))");
    } else if (!option.Values.empty()) {
      line += " -a " + SingleQuoted(Joined(option.Values));
    }
    if (!option.Description.empty()) line += " -d " + SingleQuoted(option.Description);
    script += line + "\n";
  }
  return script;
}

}  // namespace sonacli
