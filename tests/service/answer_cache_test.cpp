#include "service/answer_cache.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <filesystem>
#include <functional>
#include <optional>
#include <set>
#include <thread>
#include <vector>

#include "common/unicode_text.h"
#include "service/cache_entry.h"
#include "service/synthesis_attempt.h"
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
  TYandexTTSObject tts(ServiceSettings(), clock);
  std::u16string warning;
  TAnswerCache cache(tts, ServiceSettings().Endpoints, ToUtf16(Folder()), warning);
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
    std::optional<TDecodedSpeech> speech;
    const TSynthesisAnswer answer = cache.Synthesize(step.request, DecodeInto(speech));
    EXPECT_TRUE(answer.Spoken());
    EXPECT_EQ(answer.FromCache, step.fromCache);
    ASSERT_TRUE(speech);
    EXPECT_EQ(speech->Pcm.size(), StandinPcmBytes(step.request.Text.size()));
    EXPECT_EQ(standin_->Requests().size(), step.requestsSent);
    EXPECT_EQ(Entries(Folder()).size(), step.entries);
    EXPECT_TRUE(cache.HasCachedAnswer(step.request));
  }
}

// Neither a refusal nor an empty answer (a failure: every request has something to say) is kept.
TEST_F(TAnswerCacheTest, KeepsNoFailure) {
  TFakeClock clock;
  settings_.RetrySettings.Enabled = false;
  TYandexTTSObject tts(ServiceSettings(), clock);
  std::u16string warning;
  TAnswerCache cache(tts, ServiceSettings().Endpoints, ToUtf16(Folder()), warning);
  standin_->SetScript(R"({"rules":[{"text_contains":"Empty","answer":"empty"},)"
                      R"({"text_contains":"Refused","status":403}]})");
  std::optional<TDecodedSpeech> speech;
  for (const char16_t* text : {u"Refused", u"Empty"}) {
    SCOPED_TRACE(ToUtf8(text));
    const TSynthesisRequest request = Request(text, u"oksana");
    EXPECT_FALSE(cache.Synthesize(request, DecodeInto(speech)).Spoken());
    EXPECT_FALSE(cache.HasCachedAnswer(request));
    EXPECT_FALSE(cache.Synthesize(request, DecodeInto(speech)).Spoken());
  }
  EXPECT_FALSE(speech);
  EXPECT_TRUE(Entries(Folder()).empty());
  EXPECT_EQ(standin_->Requests().size(), 4u);
  EXPECT_TRUE(cache.EndOfRunWarnings().empty());
}

TEST_F(TAnswerCacheTest, DamagedEntriesAreRequestedAgainReplacedAndCountedOnce) {
  TFakeClock clock;
  TYandexTTSObject tts(ServiceSettings(), clock);
  std::u16string warning;
  TAnswerCache cache(tts, ServiceSettings().Endpoints, ToUtf16(Folder()), warning);
  std::optional<TDecodedSpeech> speech;
  const TSynthesisRequest other = Request(u"Another entry", u"kirill");
  ASSERT_TRUE(cache.Synthesize(other, DecodeInto(speech)).Spoken());
  const std::string otherEntry =
      ReadFile(Folder() + "/" + AnswerKeyOf(other, ServiceSettings().Endpoints) + ".answer");
  ASSERT_FALSE(otherEntry.empty());
  auto cut = [](double share) {
    return [share](const std::string& entry, const std::string&) {
      return entry.substr(0, size_t(double(entry.size()) * share));
    };
  };
  struct {
    const char* name;
    std::function<std::string(const std::string& entry, const std::string& key)> damage;
  } const rows[] = {
      {"cut at 10 %", cut(0.1)},
      {"cut at 60 %", cut(0.6)},
      {"cut at 99 %", cut(0.99)},
      {"emptied", [](const std::string&, const std::string&) { return std::string(); }},
      {"one byte flipped",
       [](std::string entry, const std::string&) {
         entry[entry.size() - 100] ^= 0x20;
         return entry;
       }},
      {"another entry's file under this key",
       [&](const std::string&, const std::string&) { return otherEntry; }},
      // Whole, and its own, but the caller cannot use its bytes.
      {"bytes that do not decode",
       [](const std::string&, const std::string& key) {
         return CacheEntry(key, "these are no Ogg Opus bytes");
       }},
  };
  size_t requests = standin_->Requests().size();
  for (size_t i = 0; i < std::size(rows); ++i) {
    SCOPED_TRACE(rows[i].name);
    const TSynthesisRequest request =
        Request(u"Damaged entry " + std::u16string(1, char16_t(u'a' + i)), u"kirill");
    std::optional<TDecodedSpeech> clean;
    ASSERT_TRUE(cache.Synthesize(request, DecodeInto(clean)).Spoken());
    ASSERT_TRUE(clean);
    const std::string file = Folder() + "/" + AnswerKeyOf(request, ServiceSettings().Endpoints) + ".answer";
    const std::string entry = ReadFile(file);
    WriteFile(file, rows[i].damage(entry, AnswerKeyOf(request, ServiceSettings().Endpoints)));
    requests += 1;
    // Planning does not read the entry; the damage is found when it is read, as a cached answer
    // (every other row) or as the answer to the request.
    EXPECT_TRUE(cache.HasCachedAnswer(request));
    std::optional<TDecodedSpeech> again;
    if (i % 2 == 0) {
      EXPECT_FALSE(cache.CachedAnswer(request, DecodeInto(again)).has_value());
      EXPECT_FALSE(cache.HasCachedAnswer(request));
    }
    const TSynthesisAnswer answer = cache.Synthesize(request, DecodeInto(again));
    EXPECT_TRUE(answer.Spoken());
    EXPECT_FALSE(answer.FromCache);
    ASSERT_TRUE(again);
    EXPECT_EQ(again->Pcm, clean->Pcm);
    EXPECT_EQ(standin_->Requests().size(), ++requests);
    EXPECT_TRUE(ReadFile(file) == entry) << "not replaced by the whole entry";
    EXPECT_TRUE(cache.HasCachedAnswer(request));
    EXPECT_TRUE(cache.CachedAnswer(request, DecodeInto(again)).has_value());
  }
  EXPECT_EQ(Entries(Folder()).size(), std::size(rows) + 1);
  EXPECT_EQ(cache.EndOfRunWarnings(), std::vector<std::u16string>{u"Damaged cache entries were not used: 7"});
}

// An entry that is gone by the time it is used (another run cleared the folder) is no damage: the
// caller sends the request, which keeps its answer anew.
TEST_F(TAnswerCacheTest, AnEntryThatVanishedAfterPlanningIsRequested) {
  TFakeClock clock;
  TYandexTTSObject tts(ServiceSettings(), clock);
  std::u16string warning;
  TAnswerCache cache(tts, ServiceSettings().Endpoints, ToUtf16(Folder()), warning);
  const TSynthesisRequest request = Request(u"Vanishing", u"oksana");
  std::optional<TDecodedSpeech> speech;
  ASSERT_TRUE(cache.Synthesize(request, DecodeInto(speech)).Spoken());
  ASSERT_TRUE(cache.HasCachedAnswer(request));
  std::filesystem::remove(Folder() + "/" + AnswerKeyOf(request, ServiceSettings().Endpoints) + ".answer");
  speech.reset();
  EXPECT_FALSE(cache.CachedAnswer(request, DecodeInto(speech)).has_value());
  EXPECT_FALSE(speech);
  const TSynthesisAnswer answer = cache.Synthesize(request, DecodeInto(speech));
  EXPECT_FALSE(answer.FromCache);
  ASSERT_TRUE(speech);
  EXPECT_EQ(speech->Pcm.size(), StandinPcmBytes(9));
  EXPECT_EQ(standin_->Requests().size(), 2u);
  EXPECT_TRUE(cache.HasCachedAnswer(request));
  EXPECT_TRUE(cache.EndOfRunWarnings().empty());
}

TEST_F(TAnswerCacheTest, EntriesOfEarlierVersionsAreNotReadAndGoWhenReplaced) {
  TFakeClock clock;
  TYandexTTSObject tts(ServiceSettings(), clock);
  std::u16string warning;
  TAnswerCache cache(tts, ServiceSettings().Endpoints, ToUtf16(Folder()), warning);
  const TSynthesisRequest request = Request(u"Hello", u"kirill");
  // The bare Ogg bytes of this very answer, cut short as nothing could tell then.
  std::optional<TDecodedSpeech> speech;
  const std::string ogg = SendSynthesisRequest(request, DecodeInto(speech), {}, ServiceSettings()).Received;
  const std::string old =
      WriteFile(Folder() + "/" + AnswerKeyOf(request, ServiceSettings().Endpoints) + ".ogg",
                ogg.substr(0, ogg.size() / 2));
  EXPECT_FALSE(cache.HasCachedAnswer(request));
  speech.reset();
  const TSynthesisAnswer answer = cache.Synthesize(request, DecodeInto(speech));
  EXPECT_FALSE(answer.FromCache);
  ASSERT_TRUE(speech);
  EXPECT_EQ(speech->Pcm.size(), StandinPcmBytes(5));
  EXPECT_FALSE(std::filesystem::exists(old));
  EXPECT_EQ(Entries(Folder()).size(), 1u);
  EXPECT_TRUE(cache.HasCachedAnswer(request));
  // An entry of another form is no damage of this one.
  EXPECT_TRUE(cache.EndOfRunWarnings().empty());
}

TEST_F(TAnswerCacheTest, ReadOnlyFolderIsStillReadButStoresNothing) {
  TFakeClock clock;
  TYandexTTSObject tts(ServiceSettings(), clock);
  const TSynthesisRequest kept = Request(u"Kept", u"kirill");
  const TSynthesisRequest missing = Request(u"Missing", u"kirill");
  std::optional<TDecodedSpeech> speech;
  {
    std::u16string warning;
    TAnswerCache cache(tts, ServiceSettings().Endpoints, ToUtf16(Folder()), warning);
    ASSERT_TRUE(cache.Synthesize(kept, DecodeInto(speech)).Spoken());
  }
  ASSERT_TRUE(speech);
  const std::string pcm = speech->Pcm;
  const testing::ScopedReadOnlyFolder readOnly(Folder());
  if (!readOnly.Ok()) GTEST_SKIP() << "no folder can be made read-only here";
  std::u16string warning;
  TAnswerCache cache(tts, ServiceSettings().Endpoints, ToUtf16(Folder()), warning);
  EXPECT_TRUE(cache.Usable());
  EXPECT_EQ(warning, u"Cache folder is read-only, new answers are not stored: " + ToUtf16(Folder()));
  EXPECT_TRUE(cache.HasCachedAnswer(kept));
  speech.reset();
  const TSynthesisAnswer fromFolder = cache.Synthesize(kept, DecodeInto(speech));
  EXPECT_TRUE(fromFolder.FromCache);
  ASSERT_TRUE(speech);
  EXPECT_EQ(speech->Pcm, pcm);
  EXPECT_TRUE(cache.Synthesize(missing, DecodeInto(speech)).Spoken());
  EXPECT_FALSE(cache.HasCachedAnswer(missing));
  EXPECT_EQ(Entries(Folder()).size(), 1u);
  EXPECT_EQ(standin_->Requests().size(), 2u);
  // Storing is off: nothing failed to be stored.
  EXPECT_TRUE(cache.EndOfRunWarnings().empty());
}

TEST_F(TAnswerCacheTest, AnswersThatCannotBeStoredAreCounted) {
  TFakeClock clock;
  TYandexTTSObject tts(ServiceSettings(), clock);
  std::u16string warning;
  TAnswerCache cache(tts, ServiceSettings().Endpoints, ToUtf16(Folder()), warning);
  std::optional<TDecodedSpeech> speech;
  {
    // A disk full after a few bytes.
    const testing::ScopedFileSizeLimit limit(100);
    EXPECT_TRUE(cache.Synthesize(Request(u"One", u"kirill"), DecodeInto(speech)).Spoken());
    EXPECT_TRUE(cache.Synthesize(Request(u"Two", u"kirill"), DecodeInto(speech)).Spoken());
  }
  EXPECT_TRUE(Entries(Folder()).empty()) << "a temporary entry was left";
  EXPECT_EQ(cache.EndOfRunWarnings(),
            std::vector<std::u16string>{u"Answers that could not be stored in the cache folder: 2"});
}

// Answers every request with a different letter each time; used with a use that takes no bytes,
// every answer is stored and every entry found is discarded again.
class TLetterService final : public TSynthesisService {
 public:
  TSynthesisAnswer Synthesize(const TSynthesisRequest&, const TAnswerUse&, std::stop_token) override {
    TSynthesisAnswer answer;
    answer.Outcome = TSynthesisOutcome::Spoken;
    answer.Received = std::string(200000, static_cast<char>('a' + next_++ % 8));
    return answer;
  }

 private:
  std::atomic<int> next_{0};
};

TEST(TAnswerCache, WritersAtOnceLeaveOnlyWholeEntries) {
  ScopedTempDir dir;
  TLetterService letters;
  std::u16string warning;
  TAnswerCache cache(letters, TServiceEndpoints(), ToUtf16(dir.File("cache")), warning);
  TSynthesisRequest request;
  request.Text = u"a long text";
  request.Voice = u"oksana";
  request.ApiKey = u"AQVN-unit-test-key";
  const std::string key = AnswerKeyOf(request, TServiceEndpoints());
  std::vector<std::thread> writers;
  for (int i = 0; i < 8; ++i) {
    writers.emplace_back([&cache, &request] {
      for (int j = 0; j < 20; ++j) cache.Synthesize(request, [](const std::string&) { return false; });
    });
  }
  for (int i = 0; i < 200; ++i) {
    for (const std::filesystem::path& entry : Entries(dir.File("cache"))) {
      if (entry.filename().string().front() == '.') continue;
      const std::string bytes = ReadFile(entry.string());
      if (bytes.empty()) continue;  // removed meanwhile
      const std::optional<std::string> answer = CacheEntryAnswer(key, bytes);
      ASSERT_TRUE(answer.has_value()) << "a torn entry";
      ASSERT_EQ(answer->size(), 200000u);
      ASSERT_EQ(answer->find_first_not_of(answer->front()), std::string::npos) << "a torn entry";
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
  TLetterService letters;
  TSynthesisRequest request;
  request.Text = u"Hi";
  request.Voice = u"oksana";
  for (const std::string& folder : {file, file + "/below", std::string()}) {
    std::u16string warning;
    TAnswerCache cache(letters, TServiceEndpoints(), ToUtf16(folder), warning);
    EXPECT_FALSE(cache.Usable()) << folder;
    EXPECT_EQ(warning, u"Cache folder cannot be used, the run goes on without it: " + ToUtf16(folder));
    EXPECT_TRUE(cache.Synthesize(request, [](const std::string&) { return true; }).Spoken());
    EXPECT_FALSE(cache.HasCachedAnswer(request));
  }
  EXPECT_EQ(ReadFile(file), "x");
}

}  // namespace
}  // namespace sonacli
