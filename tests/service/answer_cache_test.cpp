#include "service/answer_cache.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <filesystem>
#include <set>
#include <thread>
#include <vector>

#include "common/unicode_text.h"
#include "service/yandex_tts_object.h"
#include "standin_fixture.h"
#include "testing/test_support.h"

namespace sonacli {
namespace {

using testing::ReadFile;
using testing::ScopedTempDir;
using testing::WriteFile;

TEST(AnswerKey, EveryFieldShapesTheKeyAndNoTwoSerialiseAlike) {
  const std::string base = AnswerKey("v1", "https://host/speech", "text=Hi&voice=alena");
  EXPECT_EQ(base.size(), 64u);
  EXPECT_EQ(base, AnswerKey("v1", "https://host/speech", "text=Hi&voice=alena"));
  const std::string others[] = {
      AnswerKey("v3", "https://host/speech", "text=Hi&voice=alena"),
      AnswerKey("v1", "https://other/speech", "text=Hi&voice=alena"),
      AnswerKey("v1", "https://host/speech", "text=Hi&voice=jane"),
      // The same bytes split differently between the fields.
      AnswerKey("v1h", "ttps://host/speech", "text=Hi&voice=alena"),
      AnswerKey("v1", "https://host/speechtext=Hi", "&voice=alena"),
  };
  std::set<std::string> keys = {base};
  for (const std::string& key : others) keys.insert(key);
  EXPECT_EQ(keys.size(), std::size(others) + 1);
}

// The files of the cache folder: entries, and temporary names (starting with ".") left behind.
std::vector<std::filesystem::path> Entries(const std::string& folder) {
  std::vector<std::filesystem::path> entries;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) entries.push_back(entry.path());
  return entries;
}

// The cache in front of the real service object, which reaches the stand-in.
class TAnswerCacheTest : public TStandinTest {
 protected:
  std::string Folder() const { return dir_.File("deep/cache"); }
};

TEST_F(TAnswerCacheTest, AnswersFromItsFolderWhatItHoldsAndKeepsWhatDecodes) {
  TFakeClock clock;
  TYandexTTSObject tts(settings_, clock);
  std::u16string warning;
  TAnswerCache cache(tts, settings_, ToUtf16(Folder()), warning);
  ASSERT_TRUE(cache.Usable());
  EXPECT_EQ(warning, u"");
  struct stat status {};
  ASSERT_EQ(stat(Folder().c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 0777, 0700u);

  struct {
    const char* name;
    TSynthesisRequest request;
    size_t requestsSent;  // by the stand-in, after the call
    bool fromCache;
    size_t entries;
  } const steps[] = {
      {"sent and kept", Request(u"Hello", u"oksana"), 1, false, 1},
      {"answered from the folder", Request(u"Hello", u"oksana"), 1, true, 1},
      // The API key does not shape the answer, on any interface.
      {"another key", Request(u"Hello", u"oksana", u"AQVN-another-key"), 1, true, 1},
      {"legacy key", Request(u"Hello", u"zahar:old", kLegacyKey), 2, false, 2},
      {"another legacy key", Request(u"Hello", u"zahar:old", u"99999999-89ab-cdef-0123-456789abcdef"), 2,
       true, 2},
      {"another text", Request(u"Hello there", u"kirill"), 3, false, 3},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.name);
    EXPECT_EQ(cache.HasCachedAnswer(step.request), step.fromCache);
    const TSynthesisAnswer answer = cache.Synthesize(step.request);
    EXPECT_TRUE(answer.Spoken());
    EXPECT_EQ(answer.FromCache, step.fromCache);
    EXPECT_EQ(answer.Audio.size(), StandinWavBytes(step.request.Text.size()));
    EXPECT_EQ(standin_->Requests().size(), step.requestsSent);
    EXPECT_EQ(Entries(Folder()).size(), step.entries);
    EXPECT_TRUE(cache.HasCachedAnswer(step.request));
  }
}

TEST_F(TAnswerCacheTest, KeepsEmptyAnswersButNoFailuresAndReplacesDamagedEntries) {
  TFakeClock clock;
  settings_.RetrySettings.Enabled = false;
  TYandexTTSObject tts(settings_, clock);
  std::u16string warning;
  TAnswerCache cache(tts, settings_, ToUtf16(Folder()), warning);
  standin_->SetScript(R"({"rules":[{"text_contains":"Empty","answer":"empty"},)"
                      R"({"text_contains":"Refused","status":403}]})");
  const TSynthesisRequest refused = Request(u"Refused", u"oksana");
  EXPECT_EQ(cache.Synthesize(refused).Outcome, TSynthesisOutcome::Rejected);
  EXPECT_FALSE(cache.HasCachedAnswer(refused));
  EXPECT_TRUE(Entries(Folder()).empty());

  const TSynthesisRequest empty = Request(u"Empty", u"oksana");
  EXPECT_TRUE(cache.Synthesize(empty).Spoken());
  const TSynthesisAnswer again = cache.Synthesize(empty);
  EXPECT_TRUE(again.Spoken());
  EXPECT_TRUE(again.FromCache);
  EXPECT_EQ(again.Audio, "");
  EXPECT_EQ(standin_->Requests().size(), 2u);

  // An entry cut short, as a torn write would leave it, is requested again and replaced.
  const TSynthesisRequest hello = Request(u"Hello", u"kirill");
  const std::string audio = cache.Synthesize(hello).Audio;
  for (const std::filesystem::path& entry : Entries(Folder())) {
    const std::string bytes = ReadFile(entry.string());
    if (!bytes.empty()) WriteFile(entry.string(), bytes.substr(0, 30));
  }
  const TSynthesisAnswer repaired = cache.Synthesize(hello);
  EXPECT_FALSE(repaired.FromCache);
  EXPECT_EQ(repaired.Audio, audio);
  EXPECT_EQ(standin_->Requests().size(), 4u);
  EXPECT_TRUE(cache.Synthesize(hello).FromCache);
  EXPECT_EQ(Entries(Folder()).size(), 2u);
}

// Answers every request with bytes that no decoder takes, a different letter each time, so that
// every answer is stored and every entry found is discarded again.
class TLetterService final : public TSynthesisService {
 public:
  TSynthesisAnswer Synthesize(const TSynthesisRequest&) override {
    TSynthesisAnswer answer;
    answer.Outcome = TSynthesisOutcome::Spoken;
    answer.Received = std::string(200000, static_cast<char>('a' + next_++ % 8));
    answer.Audio = "decoded";
    return answer;
  }

 private:
  std::atomic<int> next_{0};
};

TEST(TAnswerCache, WritersAtOnceLeaveOnlyWholeEntries) {
  ScopedTempDir dir;
  TSettings settings;
  TLetterService letters;
  std::u16string warning;
  TAnswerCache cache(letters, settings, ToUtf16(dir.File("cache")), warning);
  TSynthesisRequest request;
  request.Text = u"a long text";
  request.Voice = u"oksana";
  request.ApiKey = u"AQVN-unit-test-key";
  std::vector<std::thread> writers;
  for (int i = 0; i < 8; ++i) {
    writers.emplace_back([&cache, &request] {
      for (int j = 0; j < 20; ++j) cache.Synthesize(request);
    });
  }
  for (int i = 0; i < 200; ++i) {
    for (const std::filesystem::path& entry : Entries(dir.File("cache"))) {
      if (entry.filename().string().front() == '.') continue;
      const std::string bytes = ReadFile(entry.string());
      if (bytes.empty()) continue;  // removed meanwhile
      ASSERT_EQ(bytes.size(), 200000u);
      ASSERT_EQ(bytes.find_first_not_of(bytes.front()), std::string::npos) << "a torn entry";
    }
  }
  for (std::thread& writer : writers) writer.join();
  for (const std::filesystem::path& entry : Entries(dir.File("cache"))) {
    EXPECT_NE(entry.filename().string().front(), '.') << "a temporary file was left";
  }
  EXPECT_LE(Entries(dir.File("cache")).size(), 1u);
}

TEST(TAnswerCache, AFolderThatCannotBeUsedIsReportedAndLeftAlone) {
  ScopedTempDir dir;
  const std::string file = WriteFile(dir.File("plain-file"), "x");
  TSettings settings;
  TLetterService letters;
  TSynthesisRequest request;
  request.Text = u"Hi";
  request.Voice = u"oksana";
  for (const std::string& folder : {file, file + "/below", std::string()}) {
    std::u16string warning;
    TAnswerCache cache(letters, settings, ToUtf16(folder), warning);
    EXPECT_FALSE(cache.Usable()) << folder;
    EXPECT_EQ(warning, u"Cache folder cannot be used, the run goes on without it: " + ToUtf16(folder));
    EXPECT_TRUE(cache.Synthesize(request).Spoken());
    EXPECT_FALSE(cache.HasCachedAnswer(request));
  }
  EXPECT_EQ(ReadFile(file), "x");
}

}  // namespace
}  // namespace sonacli
