// Time to correct one 4,000-character piece of Russian or English text with large dictionaries:
// 20,000 ".dic" entries, 200 ".rex" rules and 1,000 ".bxd" rules, stage by stage and together;
// and a few rules that match all over long texts, whose cost per MB must stay flat as they grow.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "common/unicode_text.h"
#include "dict/dictionary_set.h"

namespace sonacli {
namespace {

constexpr size_t kPieceLength = 4000;
constexpr int kPieces = 16;

struct Language {
  std::u16string Consonants, Vowels;
};
const Language kRussian{u"бвгджзклмнпрстфхцчшщ", u"аеиоуыэюяё"};
const Language kEnglish{u"bcdfghjklmnpqrstvwxz", u"aeiouy"};

// Joins pieces of text (operator+ on literals trips a false warning of GCC 12).
std::u16string Cat(std::initializer_list<std::u16string_view> parts) {
  std::u16string out;
  for (std::u16string_view part : parts) out.append(part);
  return out;
}

std::u16string Number(size_t value) {
  return ToUtf16(std::to_string(value));
}

class Workload {
 public:
  explicit Workload(const Language& language) : rng_(language.Vowels.size()), language_(language) {
    for (int i = 0; i < 30000; ++i) words_.push_back(Word());
    for (int i = 0; i < kPieces; ++i) pieces_.push_back(Piece());
  }

  // Distinct keys: words of the vocabulary, some of them two-word phrases of frequent words, and
  // words the text never uses.
  std::string Dic(size_t count) {
    std::string out = "\xEF\xBB\xBF";
    std::set<std::u16string> keys;
    for (size_t i = 0; keys.size() < count; ++i) {
      std::u16string key = i % 5 == 0 ? Word() : words_[rng_() % words_.size()];
      if (i % 4 == 0) key = Cat({Common(), u" ", Common()});
      if (!keys.insert(key).second) continue;
      const std::u16string_view prefix = i % 10 == 0 ? u"*" : (i % 20 == 1 ? u"$" : u"");
      const std::u16string_view suffix = i % 10 == 5 ? u"*" : u"";
      out.append(ToUtf8(Cat({prefix, key, suffix, u"=", Replacement(key), u"\n"})));
    }
    return out;
  }

  std::string Rex(size_t count) {
    std::string out = "\xEF\xBB\xBF";
    const char* shapes[] = {"\\b%w(\\w*)\\b=\\u%w$1", "(\\d+)\\s*%%=$1 %w", "@\\b%w\\b=[%w]",
                            "(%w)(\\w+)=\\U$1\\E$2", "(?<x>%w)ый\\b=${x}ое"};
    for (size_t i = 0; i < count; ++i) {
      // "%w" stands for a word of the text, "%%" for "%".
      std::string line;
      for (const char* c = shapes[i % 5]; *c; ++c) {
        if (c[0] == '%' && c[1] == 'w') {
          line.append(ToUtf8(Common()));
          ++c;
        } else if (c[0] == '%' && c[1] == '%') {
          line.push_back('%');
          ++c;
        } else {
          line.push_back(*c);
        }
      }
      out.append(line).append("\n");
    }
    return out;
  }

  std::string Bxd(size_t count) {
    std::string out =
        "\xEF\xBB\xBF"
        "bxd\r\ndelimiter=|\r\nheader\r\n";
    for (size_t i = 0; i < count; ++i) {
      const bool regex = i % 5 == 4;
      const std::u16string word = Common();
      const std::u16string find = regex ? Cat({u"\\b", word, u"(\\w{0,3})\\b"}) : word;
      const std::u16string replace = regex ? Cat({Replacement(word), u"$1"}) : Replacement(word);
      out.append(ToUtf8(Cat({u"id", Number(i), u"|", Number(i), u"|1|", i % 7 == 0 ? u"1" : u"0", u"|",
                             regex ? u"1" : u"0", u"|", Number(i % 4), u"|", Number(i % 11 == 0 ? 2 : 0),
                             u"|", find, u"|", replace, u"|comment\r\n"})));
    }
    return out;
  }

  const std::u16string& Piece(int i) const { return pieces_[i % kPieces]; }
  // A few rules on the most frequent words, each of which matches all over a long text: longer
  // and same-length ".dic" replacements, ".rex" rules with groups and case operators, and ".bxd"
  // rules of both kinds.
  std::string FrequentDic() const {
    std::string out = "\xEF\xBB\xBF";
    for (size_t i = 0; i < 6; ++i) {
      std::u16string replacement = words_[i];
      if (i % 2 == 0) replacement += u"-" + words_[i];
      out.append(ToUtf8(Cat({words_[i], u"=", replacement, u"\n"})));
    }
    return out;
  }
  std::string FrequentRex() const {
    return ToUtf8(
        Cat({u"\xFEFF\\b(", words_[6], u")\\b=[$1]\n(\\d+)\\s*%=$1 %\n\\b(\\w)(\\w+)\\b=\\U$1\\E$2\n"}));
  }
  std::string FrequentBxd() const {
    std::string out =
        "\xEF\xBB\xBF"
        "bxd\r\ndelimiter=|\r\nheader\r\n";
    for (size_t i = 7; i < 11; ++i) {
      const bool regex = i % 2 == 0;
      const std::u16string find = regex ? Cat({u"\\b", words_[i], u"(\\w{0,3})\\b"}) : words_[i];
      const std::u16string replace = Cat({words_[i], u"ы", regex ? u"$1" : u""});
      out.append(ToUtf8(Cat({u"id", Number(i), u"|", Number(i), u"|1|0|", regex ? u"1" : u"0", u"|0|0|", find,
                             u"|", replace, u"|comment\r\n"})));
    }
    return out;
  }
  // The pieces one after another, cut to the length.
  std::u16string Long(size_t length) const {
    std::u16string text;
    for (int i = 0; text.size() < length; ++i) text.append(Piece(i)).append(u" ");
    text.resize(length);
    return text;
  }

 private:
  std::u16string Word() {
    std::u16string word;
    const int syllables = 1 + static_cast<int>(rng_() % 4);
    for (int i = 0; i < syllables; ++i) {
      word += Pick(language_.Consonants);
      word += Pick(language_.Vowels);
      if (rng_() % 3 == 0) word += Pick(language_.Consonants);
    }
    return word;
  }
  // A word of the text's vocabulary, the frequent ones far more often (roughly Zipf).
  std::u16string Common() {
    const double u = std::uniform_real_distribution<double>(0.0, 1.0)(rng_);
    const size_t index = static_cast<size_t>(std::pow(static_cast<double>(words_.size()), u)) - 1;
    return words_[std::min(index, words_.size() - 1)];
  }
  std::u16string Replacement(const std::u16string& key) {
    std::u16string out = key;
    if (rng_() % 2 == 0) out[rng_() % out.size()] = Pick(language_.Vowels);  // same length
    if (rng_() % 3 == 0) out += Pick(language_.Vowels);                      // longer
    if (rng_() % 5 == 0 && out.size() > 2) out.pop_back(), out.pop_back();   // shorter
    return out;
  }
  std::u16string Piece() {
    std::u16string text;
    bool sentenceStart = true;
    while (text.size() < kPieceLength) {
      std::u16string word = Common();
      if (sentenceStart) word[0] = UpperChar(word[0]);
      const unsigned r = rng_() % 20;
      sentenceStart = r == 0;
      text.append(word).append(r == 0 ? u". " : r == 1 ? u", " : r == 2 ? u" - " : r == 3 ? u" 25% " : u" ");
    }
    text.resize(kPieceLength);
    return text;
  }
  char16_t Pick(const std::u16string& from) { return from[rng_() % from.size()]; }

  std::mt19937 rng_;
  const Language& language_;
  std::vector<std::u16string> words_;
  std::vector<std::u16string> pieces_;
};

// A set made of the named files, written once into a temporary folder.
class Sets {
 public:
  Sets() {
    std::string pattern = std::filesystem::temp_directory_path().string();
    pattern.append("/sonacli-dict-bench-XXXXXX");
    if (!mkdtemp(pattern.data())) std::abort();
    folder_ = pattern;
    for (auto [name, language] : {std::pair{"ru", &kRussian}, std::pair{"en", &kEnglish}}) {
      workloads_.emplace(name, Workload(*language));
      Workload& workload = workloads_.at(name);
      Write(name, ".dic", workload.Dic(20000));
      Write(name, ".rex", workload.Rex(200));
      Write(name, ".bxd", workload.Bxd(1000));
    }
    const Workload& russian = workloads_.at("ru");
    Write("ru-frequent", ".dic", russian.FrequentDic());
    Write("ru-frequent", ".rex", russian.FrequentRex());
    Write("ru-frequent", ".bxd", russian.FrequentBxd());
  }
  ~Sets() { std::filesystem::remove_all(folder_); }

  const TDictionarySet& Get(const std::string& language, const std::vector<std::string>& extensions) {
    std::string key = language;
    for (const auto& extension : extensions) key.append(extension);
    auto found = sets_.find(key);
    if (found != sets_.end()) return found->second;
    std::vector<std::u16string> names;
    for (const auto& extension : extensions) {
      std::string name = language;
      names.push_back(ToUtf16((folder_ / name.append(extension)).string()));
    }
    TDictionarySet& set = sets_[key];
    set.Load(names, 1251);
    return set;
  }
  const Workload& Text(const std::string& language) const { return workloads_.at(language); }

 private:
  void Write(std::string name, const char* extension, const std::string& content) {
    std::ofstream(folder_ / name.append(extension), std::ios::binary) << content;
  }
  std::filesystem::path folder_;
  std::map<std::string, Workload> workloads_;
  std::map<std::string, TDictionarySet> sets_;
};

Sets& AllSets() {
  static Sets sets;
  return sets;
}

void ApplyPieces(benchmark::State& state, const std::string& language,
                 const std::vector<std::string>& files) {
  const TDictionarySet& set = AllSets().Get(language, files);
  const Workload& text = AllSets().Text(language);
  size_t changed = 0;
  int i = 0;
  for (auto _ : state) {
    std::u16string result = set.Apply(text.Piece(i));
    changed += result != text.Piece(i);
    benchmark::DoNotOptimize(result);
    ++i;
  }
  state.counters["changed_pieces"] = static_cast<double>(changed) / static_cast<double>(state.iterations());
}

void BM_DicStage(benchmark::State& state, const char* language) {
  ApplyPieces(state, language, {".dic"});
}
void BM_RexStage(benchmark::State& state, const char* language) {
  ApplyPieces(state, language, {".rex"});
}
void BM_BxdStage(benchmark::State& state, const char* language) {
  ApplyPieces(state, language, {".bxd"});
}
void BM_AllStages(benchmark::State& state, const char* language) {
  ApplyPieces(state, language, {".dic", ".rex", ".bxd"});
}

BENCHMARK_CAPTURE(BM_DicStage, russian, "ru")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DicStage, english, "en")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_RexStage, russian, "ru")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_RexStage, english, "en")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_BxdStage, russian, "ru")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_BxdStage, english, "en")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_AllStages, russian, "ru")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_AllStages, english, "en")->Unit(benchmark::kMillisecond);

// A few rules whose keys occur all over one Russian text of 1, 4 and 16 MB (argument: MB of
// UTF-16): every rule is one pass over the text, however often it matches.
void BM_FrequentKeysOnLongText(benchmark::State& state) {
  const size_t length = static_cast<size_t>(state.range(0)) * (1 << 20) / 2;
  const TDictionarySet& set = AllSets().Get("ru-frequent", {".dic", ".rex", ".bxd"});
  const std::u16string text = AllSets().Text("ru").Long(length);
  size_t grown = 0;
  for (auto _ : state) {
    std::u16string result = set.Apply(text);
    grown = result.size() - text.size();
    benchmark::DoNotOptimize(result);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * length * 2));
  state.counters["chars_added"] = static_cast<double>(grown);
}
BENCHMARK(BM_FrequentKeysOnLongText)->Arg(1)->Arg(4)->Arg(16)->ArgName("MB")->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace sonacli

BENCHMARK_MAIN();
