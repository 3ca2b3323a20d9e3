// The manual page as man renders it, checked against the program's own tables and sources.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>
#include <set>
#include <sstream>

#include "catalogue/voice_catalogue.h"
#include "common/unicode_text.h"
#include "main/option_table.h"
#include "main/usage_text.h"

namespace sonacli {
namespace {

const std::string kPage = SONACLI_MANUAL_PAGE;

// What the shell command writes to standard output.
std::string CommandOutput(const std::string& command) {
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  if (!pipe) return {};
  std::string output;
  char buffer[4096];
  for (size_t count; (count = fread(buffer, 1, sizeof buffer, pipe.get())) > 0;) output.append(buffer, count);
  return output;
}

std::string Rendered() {
  return CommandOutput("MANWIDTH=80 LC_ALL=C.UTF-8 man -l '" + kPage + "' 2>/dev/null");
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) lines.push_back(line);
  return lines;
}

// The lines of one section: from its heading to the next heading at the margin.
std::vector<std::string> Section(const std::string& page, const std::string& heading) {
  std::vector<std::string> section;
  bool inside = false;
  for (const std::string& line : Lines(page)) {
    if (!line.empty() && line[0] != ' ')
      inside = line == heading;
    else if (inside)
      section.push_back(line);
  }
  return section;
}

// The option names of each definition line ("       -isb, --ignore-square-brackets"), grouped by
// the subsections ("   Main options") they stand in.
std::vector<std::vector<std::vector<std::string>>> DefinedOptions(const std::string& page) {
  std::vector<std::vector<std::vector<std::string>>> groups;
  const std::regex subsection(R"(   \S.*)"), definition(R"(       -\S.*)");
  for (const std::string& line : Section(page, "OPTIONS")) {
    if (std::regex_match(line, subsection)) groups.emplace_back();
    if (!std::regex_match(line, definition) || groups.empty()) continue;
    std::vector<std::string> names;
    std::istringstream items(line.substr(7));
    for (std::string item; std::getline(items, item, ',');) {
      item = item.substr(item.find_first_not_of(' '));
      names.push_back(item.substr(0, item.find(' ')));
    }
    groups.back().push_back(names);
  }
  return groups;
}

// The option names of the usage text, in its blocks.
std::vector<std::vector<std::string>> UsageOptions() {
  std::vector<std::vector<std::string>> blocks(1);
  for (std::u16string_view line16 : UsageLines()) {
    const std::string line = ToUtf8(line16);
    if (line.starts_with("  -")) {
      blocks.back().push_back(line.substr(2, line.find(' ', 2) - 2));
    } else if (line.empty() && !blocks.back().empty()) {
      blocks.emplace_back();
    }
  }
  if (blocks.back().empty()) blocks.pop_back();
  return blocks;
}

TEST(ManualPage, RendersWithoutWarningsAndHasEverySection) {
  ASSERT_TRUE(std::filesystem::exists(kPage)) << kPage;
  EXPECT_EQ(CommandOutput("MANWIDTH=80 man --warnings -l '" + kPage + "' 2>&1 >/dev/null"), "");
  const std::string page = Rendered();
  for (const std::string heading :
       {"NAME", "SYNOPSIS", "DESCRIPTION", "OPTIONS", "INLINE TAGS", "DICTIONARIES", "CONFIGURATION FILE",
        "SUBTITLE MODE", "ENVIRONMENT", "EXIT STATUS", "FILES", "EXAMPLES"}) {
    EXPECT_FALSE(Section(page, heading).empty()) << heading;
  }
  EXPECT_TRUE(page.starts_with("sonacli(1)")) << page.substr(0, 200);
  EXPECT_NE(page.find("sonacli - "), std::string::npos);
}

TEST(ManualPage, DescribesEveryOptionOfTheTableGroupedAndOrderedAsTheUsageText) {
  const auto groups = DefinedOptions(Rendered());
  std::set<std::string> described;
  std::vector<std::vector<std::string>> firstNames;
  for (const auto& group : groups) {
    firstNames.emplace_back();
    for (const std::vector<std::string>& names : group) {
      firstNames.back().push_back(names.front());
      for (const std::string& name : names) EXPECT_TRUE(described.insert(name).second) << "twice: " << name;
    }
  }
  std::set<std::string> table;
  for (const TOption& option : OptionTable()) table.insert(ToUtf8(option.Name));
  for (const std::string& name : table)
    EXPECT_TRUE(described.contains(name)) << "not in the manual page: " << name;
  for (const std::string& name : described) EXPECT_TRUE(table.contains(name)) << "not an option: " << name;
  // Each definition starts with the option that the usage text lists, in the usage text's order.
  EXPECT_EQ(firstNames, UsageOptions());
}

TEST(ManualPage, NamesEveryLanguageVoiceExitStatusAndEnvironmentVariable) {
  const std::string page = Rendered();
  for (const TLanguage& language : LanguageTable()) {
    EXPECT_NE(page.find(ToUtf8(language.Code)), std::string::npos) << ToUtf8(language.Code);
  }
  for (const TVoice& voice : VoiceTable()) {
    EXPECT_TRUE(std::regex_search(page, std::regex("[ ,]" + ToUtf8(voice.Name) + "[,.]")))
        << ToUtf8(voice.Name);
  }
  std::set<std::string> statuses;
  for (const std::string& line : Section(page, "EXIT STATUS")) {
    if (line.starts_with("       ") && line[7] != ' ') statuses.insert(line.substr(7));
  }
  EXPECT_EQ(statuses, (std::set<std::string>{"0", "1", "130", "143"}));

  // Every variable the program reads: the system's, and every "SONACLI_..." name in the sources, the
  // hooks of the tests among them.
  std::set<std::string> variables = {"LC_ALL",    "LC_CTYPE", "LANG",           "https_proxy",
                                     "all_proxy", "no_proxy", "SONACLI_API_KEY"};
  const std::regex ownVariable(R"re("(SONACLI_[A-Z0-9_]+)")re");
  for (const auto& entry : std::filesystem::recursive_directory_iterator(SONACLI_SOURCE_DIR "/src")) {
    if (!entry.is_regular_file()) continue;
    std::ifstream file(entry.path());
    const std::string text{std::istreambuf_iterator<char>(file), {}};
    for (std::sregex_iterator match(text.begin(), text.end(), ownVariable), end; match != end; ++match) {
      variables.insert((*match)[1]);
    }
  }
  std::string environment = "\n";
  for (const std::string& line : Section(page, "ENVIRONMENT")) environment += line + "\n";
  for (const std::string& variable : variables) {
    EXPECT_TRUE(std::regex_search(environment, std::regex("\n       (.*, )?" + variable + "(,|\n)")))
        << variable;
  }
}

}  // namespace
}  // namespace sonacli
