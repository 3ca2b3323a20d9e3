// The layer table of ARCHITECTURE.md enforced: every folder of src/ includes, besides itself, only
// the folders that the "may include" column of its row names ("everything" and "nothing" as
// written), and every folder has a row. The files are read when the test runs, so an include that
// breaks the table fails the next run of the test, without a rebuild.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "testing/test_support.h"

namespace sonacli {
namespace {

namespace fs = std::filesystem;

struct LayerRule {
  bool Everything = false;
  std::set<std::string> Allowed;  // folder names, without the slash
};
using LayerTable = std::map<std::string, LayerRule>;

std::string Trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// The cells of a Markdown table line "| a | b | c |".
std::vector<std::string> Cells(const std::string& line) {
  std::vector<std::string> cells;
  std::stringstream stream(line.substr(1));
  for (std::string cell; std::getline(stream, cell, '|');) cells.push_back(Trimmed(cell));
  if (!cells.empty() && cells.back().empty()) cells.pop_back();
  return cells;
}

// The folder names in backquotes ("`common/`") of a "may include" cell, or all of them.
LayerRule RuleOf(const std::string& cell) {
  LayerRule rule;
  rule.Everything = cell == "everything";
  static const std::regex kFolder("`([a-z0-9_]+)/`");
  for (std::sregex_iterator it(cell.begin(), cell.end(), kFolder), end; it != end; ++it) {
    rule.Allowed.insert((*it)[1]);
  }
  return rule;
}

// The table whose header holds "folder" and "may include": one rule per row "| `name/` | ...";
// `errors` names the rows it cannot read.
LayerTable ReadLayerTable(const std::string& markdown, std::vector<std::string>& errors) {
  LayerTable table;
  std::stringstream lines(markdown);
  size_t column = 0;  // of "may include", once the header was seen
  for (std::string line; std::getline(lines, line);) {
    if (!line.starts_with("|")) {
      if (column > 0 && !table.empty()) break;  // the end of the table
      continue;
    }
    const std::vector<std::string> cells = Cells(line);
    if (column == 0) {
      const auto header = std::find(cells.begin(), cells.end(), "may include");
      if (!cells.empty() && cells.front() == "folder" && header != cells.end())
        column = static_cast<size_t>(header - cells.begin());
      continue;
    }
    static const std::regex kFolderCell("`([a-z0-9_]+)/`");
    std::smatch folder;
    if (cells.empty() || !std::regex_match(cells.front(), folder, kFolderCell)) continue;  // the rule line
    if (cells.size() <= column) {
      errors.push_back("the row of " + folder[1].str() + "/ has no \"may include\" cell");
      continue;
    }
    table[folder[1]] = RuleOf(cells[column]);
  }
  if (table.empty()) errors.push_back("no table with the columns \"folder\" and \"may include\"");
  return table;
}

// Every include of a folder of `source` that the table does not allow, and every folder without a
// row. Includes are read in both forms ("a/b.h" and <a/b.h>); one whose first part names no folder
// of `source` is a library's.
std::vector<std::string> LayerViolations(const fs::path& source, const LayerTable& table) {
  std::set<std::string> folders;
  for (const fs::directory_entry& entry : fs::directory_iterator(source)) {
    if (entry.is_directory()) folders.insert(entry.path().filename().string());
  }
  std::vector<std::string> violations;
  static const std::regex kInclude(R"(^\s*#\s*include\s*["<]([^">]+)[">])");
  for (const std::string& folder : folders) {
    const auto row = table.find(folder);
    if (row == table.end()) {
      violations.push_back(folder + "/ has no row in the table");
      continue;
    }
    std::vector<fs::path> files;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(source / folder)) {
      if (entry.is_regular_file()) files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    for (const fs::path& file : files) {
      std::stringstream lines(testing::ReadFile(file.string()));
      int number = 0;
      for (std::string line; std::getline(lines, line);) {
        ++number;
        std::smatch include;
        if (!std::regex_search(line, include, kInclude)) continue;
        const std::string path = include[1];
        const size_t slash = path.find('/');
        if (slash == std::string::npos) continue;  // beside the file, or a library's
        const std::string target = path.substr(0, slash);
        const LayerRule& rule = row->second;
        if (target == folder || !folders.contains(target) || rule.Everything || rule.Allowed.contains(target))
          continue;
        violations.push_back(fs::relative(file, source.parent_path()).string() + ":" +
                             std::to_string(number) + " includes " + path + ", which " + folder +
                             "/ may not include");
      }
    }
  }
  return violations;
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

TEST(IncludeTable, EveryFolderOfSrcIncludesOnlyWhatItsRowAllows) {
  const fs::path root = SONACLI_SOURCE_DIR;
  std::vector<std::string> errors;
  const LayerTable table = ReadLayerTable(testing::ReadFile((root / "ARCHITECTURE.md").string()), errors);
  ASSERT_TRUE(errors.empty()) << Joined(errors);
  // The rows this test relies on reading right.
  ASSERT_TRUE(table.contains("main") && table.contains("settings") && table.contains("common"));
  EXPECT_TRUE(table.at("main").Everything);
  EXPECT_TRUE(table.at("settings").Allowed.empty() && !table.at("settings").Everything);
  const std::vector<std::string> violations = LayerViolations(root / "src", table);
  EXPECT_TRUE(violations.empty()) << Joined(violations);
}

// A tree of the caller's: ARCHITECTURE.md with the table, and files under src/.
class PlantedTree : public ::testing::Test {
 protected:
  void Write(const std::string& name, const std::string& text) {
    fs::create_directories((dir_.Path() / name).parent_path());
    testing::WriteFile(dir_.File(name), text);
  }
  std::vector<std::string> Violations() {
    std::vector<std::string> errors;
    const LayerTable table = ReadLayerTable(testing::ReadFile(dir_.File("ARCHITECTURE.md")), errors);
    EXPECT_TRUE(errors.empty()) << Joined(errors);
    return LayerViolations(dir_.Path() / "src", table);
  }

  testing::ScopedTempDir dir_;
};

const char kTable[] =
    "# Layers\n"
    "\n"
    "| folder | holds | may include |\n"
    "|---|---|---|\n"
    "| `low/` | the base | ICU |\n"
    "| `data/` | records | nothing |\n"
    "| `mid/` | `TThing` and `low/`'s users | `low/`, `data/` (only `TRecord`); PCRE2 |\n"
    "| `top/` | the program | everything |\n"
    "\n"
    "| other | table |\n"
    "| `mid/` | `top/` |\n";

TEST_F(PlantedTree, IncludesTheTableAllowsPass) {
  Write("ARCHITECTURE.md", kTable);
  Write("src/low/a.h", "#include <unicode/uchar.h>\n#include \"low/b.h\"\n#include \"b.h\"\n");
  Write("src/data/record.h", "#include <string>\n");
  Write("src/mid/m.cpp", "#include \"mid/m.h\"\n#include \"low/a.h\"\n  #  include <data/record.h>\n");
  Write("src/top/main.cpp", "#include \"mid/m.h\"\n#include \"data/record.h\"\n#include \"low/a.h\"\n");
  EXPECT_EQ(Violations(), std::vector<std::string>{});
}

TEST_F(PlantedTree, IncludeAgainstTheTableAndAFolderWithoutARowFail) {
  Write("ARCHITECTURE.md", kTable);
  Write("src/low/a.h", "#include \"low/b.h\"\n\n#include \"mid/m.h\"  // upwards\n");
  Write("src/data/record.h", "#include <low/a.h>\n");
  Write("src/mid/m.cpp", "#include \"top/main.h\"\n");
  Write("src/top/main.h", "#include \"extra/x.h\"\n");
  Write("src/extra/x.h", "#include \"low/a.h\"\n");
  const std::vector<std::string> expected = {
      "src/data/record.h:1 includes low/a.h, which data/ may not include",
      "extra/ has no row in the table",
      "src/low/a.h:3 includes mid/m.h, which low/ may not include",
      "src/mid/m.cpp:1 includes top/main.h, which mid/ may not include",
  };
  EXPECT_EQ(Violations(), expected);
}

TEST_F(PlantedTree, TableThatCannotBeReadIsAnError) {
  std::vector<std::string> errors;
  ReadLayerTable("| folder | holds |\n|---|---|\n| `low/` | the base |\n", errors);
  EXPECT_EQ(errors.size(), 1u);
  errors.clear();
  ReadLayerTable("| folder | holds | may include |\n|---|---|---|\n| `low/` | the base |\n", errors);
  EXPECT_EQ(errors, (std::vector<std::string>{"the row of low/ has no \"may include\" cell",
                                              "no table with the columns \"folder\" and \"may include\""}));
}

}  // namespace
}  // namespace sonacli
