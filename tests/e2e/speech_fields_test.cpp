// Every field of a request that reaches the service is heard in the stand-in's speech: two runs
// that differ in the voice, the language, the rate, the tone or the interface give audio of the same
// length but different sound, and the answer cache never answers one of them with the other's entry.
#include <gtest/gtest.h>

#include <algorithm>

#include "e2e/e2e_fixture.h"

namespace sonacli::testing {
namespace {

// 36 characters with hyphens at 9, 14, 19 and 24: the form of a key of the legacy interface.
constexpr char kLegacyKey[] = "abcdef01-2345-6789-abcd-ef0123456789";

struct TFieldRow {
  const char* name;
  std::vector<std::string> first;    // the options of the first run (the key among them)
  std::vector<std::string> changed;  // the same with one field changed
  std::string sent;                  // what the changed run's request holds and the first run's does not
};

const std::vector<TFieldRow>& FieldRows() {
  static const std::vector<TFieldRow> rows = {
      {"voice", {"-k", kCloudKey, "-n", "oksana"}, {"-k", kCloudKey, "-n", "alena"}, "voice=alena"},
      // The cloud interfaces take the language from the voice; the legacy one sends the text's.
      {"language",
       {"-k", kLegacyKey, "-l", "ru-ru", "-n", "oksana"},
       {"-k", kLegacyKey, "-l", "en-us", "-n", "oksana"},
       "lang=en-US"},
      // A rate so near the default that the speech keeps its length.
      {"rate", {"-k", kCloudKey}, {"-k", kCloudKey, "-s", "1.0001"}, "speed=1.0001"},
      {"tone",
       {"-k", kCloudKey, "-n", "alena"},
       {"-k", kCloudKey, "-n", "alena", "-e", "good"},
       "emotion=good"},
      {"tone of the JSON interface",
       {"-k", kCloudKey, "-n", "anton"},
       {"-k", kCloudKey, "-n", "anton", "-e", "strict"},
       R"({"role":"strict"})"},
      {"interface", {"-k", kCloudKey, "-n", "oksana"}, {"-k", kLegacyKey, "-n", "oksana"}, "GET /generate"},
  };
  return rows;
}

// Each row speaks its own word, so that the rows can run at once against one stand-in.
std::string WordOf(size_t row) {
  return "Field" + std::string(1, static_cast<char>('a' + row));
}

class SpeechFields : public SonacliE2e {
 protected:
  // Starts a run of the row's word with the options, written to `output`; with a cache folder when
  // `cache` is not empty.
  std::unique_ptr<TChild> StartRow(size_t row, const std::vector<std::string>& options,
                                   const std::string& output, const std::string& cache = "") {
    std::vector<std::string> args = options;
    args.insert(args.end(), {"-t", WordOf(row), "-w", File(output)});
    if (!cache.empty()) args.insert(args.end(), {"--cache", File(cache)});
    return Start(args);
  }

  // The recorded requests for the row's word, each as "METHOD path?query body".
  std::vector<std::string> RequestsOf(size_t row) const {
    std::vector<std::string> lines;
    for (const nlohmann::json& request : standin_->Requests()) {
      const std::string line = request.value("method", "") + " " + request.value("path", "") + "?" +
                               request.value("query", "") + " " + request.value("body", "");
      if (line.find(WordOf(row)) != std::string::npos) lines.push_back(line);
    }
    return lines;
  }

  std::string Samples(const std::string& output) const { return ParseWav(ReadFile(File(output))).Samples; }

  // Starts every row's run that `start` makes, then waits for them all; each must succeed.
  void RunRows(const std::function<std::unique_ptr<TChild>(size_t row)>& start) {
    std::vector<std::unique_ptr<TChild>> children;
    for (size_t row = 0; row < FieldRows().size(); ++row) children.push_back(start(row));
    for (size_t row = 0; row < children.size(); ++row) {
      const TChildResult run = children[row]->Wait();
      EXPECT_EQ(run.ExitCode, 0) << FieldRows()[row].name << ": " << run.Stdout << run.Stderr;
    }
  }
};

TEST_F(SpeechFields, EachFieldChangesTheSpeechAndHasItsOwnCacheEntry) {
  const auto& rows = FieldRows();
  auto name = [](const char* what, size_t row) { return std::string(what) + std::to_string(row) + ".wav"; };
  auto cache = [](size_t row) { return "cache" + std::to_string(row); };

  // The changed run without a cache, and the first run filling a cache of its own.
  RunRows([&](size_t row) { return StartRow(row, rows[row].changed, name("clean", row)); });
  RunRows([&](size_t row) { return StartRow(row, rows[row].first, name("first", row), cache(row)); });
  for (size_t row = 0; row < rows.size(); ++row) {
    SCOPED_TRACE(rows[row].name);
    const std::vector<std::string> requests = RequestsOf(row);
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_NE(requests[0].find(rows[row].sent), std::string::npos) << requests[0];
    EXPECT_EQ(requests[1].find(rows[row].sent), std::string::npos) << requests[1];
    const std::string clean = Samples(name("clean", row));
    const std::string first = Samples(name("first", row));
    ASSERT_FALSE(clean.empty());
    EXPECT_EQ(clean.size(), first.size());
    EXPECT_FALSE(SameAudio(clean, first)) << "the field is not heard";
  }

  // The changed run with the first run's cache asks the service and gets its own speech.
  RunRows([&](size_t row) { return StartRow(row, rows[row].changed, name("changed", row), cache(row)); });
  for (size_t row = 0; row < rows.size(); ++row) {
    SCOPED_TRACE(rows[row].name);
    EXPECT_EQ(RequestsOf(row).size(), 3u) << "the other run's entry was taken";
    EXPECT_TRUE(SameAudio(Samples(name("changed", row)), Samples(name("clean", row))));
  }

  // Both entries are there: neither run asks again.
  RunRows([&](size_t row) { return StartRow(row, rows[row].first, name("again", row), cache(row)); });
  RunRows(
      [&](size_t row) { return StartRow(row, rows[row].changed, name("changedAgain", row), cache(row)); });
  for (size_t row = 0; row < rows.size(); ++row) {
    SCOPED_TRACE(rows[row].name);
    EXPECT_EQ(RequestsOf(row).size(), 3u);
    EXPECT_TRUE(SameAudio(Samples(name("again", row)), Samples(name("first", row))));
    EXPECT_TRUE(SameAudio(Samples(name("changedAgain", row)), Samples(name("clean", row))));
  }
}

}  // namespace
}  // namespace sonacli::testing
