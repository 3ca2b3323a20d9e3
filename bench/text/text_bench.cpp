// Cutting a book into request pieces, and splitting a text full of tags into its parts: the cost
// per MB must stay flat as the text grows. Sizes are of the text as a UTF-8 file; the code works on
// its UTF-16 form.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <map>
#include <random>
#include <string>
#include <utility>

#include "common/unicode_text.h"
#include "text/piece_lists.h"
#include "text/text_parts.h"

namespace sonacli {
namespace {

constexpr size_t kMegabyte = 1 << 20;

const std::array<const char*, 16> kSentences = {
    "Mr. Holmes looked at the letter for a long time, and then he put it down on the table.",
    "Dr. Watson arrived at the station at 5 o'clock, i.e. an hour later than he had promised.",
    "The house stood on St. James Street, between the bank and the old church (built in 1834. It was grey).",
    "She said \"Wait here.\" Then she left, and nobody saw her again that evening.",
    "There were many reasons: the rain, the cold, the long road home; none of them mattered now.",
    "It was 3.5 miles to the village, e.g. a walk of an hour for a man in good health.",
    "Он посмотрел на часы, т. е. на старые карманные часы отца, и ничего не сказал.",
    "В 1999 г. они жили на ул. Пушкина, в доме с зелёной крышей и высоким забором.",
    "Проф. Иванов вошёл в аудиторию; студенты замолчали, и лекция началась.",
    "Она сказала «Подожди.» Потом вышла в сад, где уже темнело.",
    "Дорога шла вдоль реки, мимо старой мельницы, к самому краю леса.",
    "Это было давно… Никто уже не помнил, как всё началось.",
    "Шёл дождь. Было холодно и сыро, и ветер гнал листья по мостовой.",
    "Why did you come back? Nobody asked you to come back here!",
    "Он ответил не сразу: сначала подумал, потом покачал головой.",
    "The results (see Table 4. below) were better than anyone expected.",
};
const std::array<const char*, 6> kDialogue = {
    "— Привет! — сказала она. — Давно не виделись.", "— Где ты был? — спросил он тихо.",
    "\"Come in!\" - he said. \"The door is open.\"", "— Нет, — ответил я. — Это не так.",
    "\"Really?\" she asked, and laughed.",           "— Хорошо… — Он замолчал.",
};

// Paragraphs of narrative, dialogue lines, numbered list items and chapter headings.
std::string MakeBook(size_t bytes) {
  std::mt19937 random(1859);
  std::string book;
  int chapter = 1;
  while (book.size() < bytes) {
    switch (random() % 10) {
      case 0:
        book += "Chapter " + std::to_string(chapter++) + ". IV. The Road Home\r\n";
        break;
      case 1:
      case 2:
        book += std::string(kDialogue[random() % kDialogue.size()]) + "\r\n";
        break;
      case 3:
        for (int item = 1; item <= 4; ++item) {
          book += std::to_string(item) + ". " + kSentences[random() % kSentences.size()] + "\r\n";
        }
        break;
      default:
        for (unsigned n = 3 + random() % 12; n > 0; --n) {
          book += kSentences[random() % kSentences.size()];
          book += ' ';
        }
        book += "\r\n";
    }
  }
  return book;
}

// The book of the given size; as one line when its line breaks became spaces.
const std::u16string& Book(size_t megabytes, bool oneLine) {
  static std::map<std::pair<size_t, bool>, std::u16string> books;
  auto [it, made] = books.try_emplace({megabytes, oneLine});
  if (made) {
    it->second = ToUtf16(MakeBook(megabytes * kMegabyte));
    if (oneLine)
      std::replace_if(
          it->second.begin(), it->second.end(), [](char16_t c) { return c == u'\r' || c == u'\n'; }, u' ');
  }
  return it->second;
}

// Arguments: book size in MB, sync output (0 or 1). Sync output cuts at 350 like the text-mode
// driver with LRC or SRT output; without it at 246, the shortest request limit.
void SplitBook(benchmark::State& state, bool oneLine) {
  const size_t megabytes = static_cast<size_t>(state.range(0));
  const bool sync = state.range(1) != 0;
  const std::u16string& book = Book(megabytes, oneLine);
  TPiece part;
  part.Language = u"ru-RU";
  part.Voice = u"alena";
  part.Emotion = u"neutral";
  size_t pieces = 0;
  for (auto _ : state) {
    TPieceList list;
    SplitIntoPieces(book, part, sync ? 350 : 246, sync, list);
    pieces = list.size();
    benchmark::DoNotOptimize(list.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * megabytes * kMegabyte));
  state.counters["pieces"] = static_cast<double>(pieces);
}

void BM_SplitBook(benchmark::State& state) {
  SplitBook(state, false);
}
// The same book without line breaks: windows must keep the cost linear on one 4 MB line too.
void BM_SplitBookAsOneLine(benchmark::State& state) {
  SplitBook(state, true);
}
BENCHMARK(BM_SplitBook)
    ->ArgsProduct({{1, 2, 4}, {0, 1}})
    ->ArgNames({"MB", "sync"})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SplitBookAsOneLine)
    ->ArgsProduct({{1, 2, 4}, {0, 1}})
    ->ArgNames({"MB", "sync"})
    ->Unit(benchmark::kMillisecond);

// The book with "{{lang=", "{{audio=" and "{{pause=" tags (some of them malformed) between its
// lines.
const std::u16string& TaggedBook(size_t megabytes) {
  static std::map<size_t, std::u16string> books;
  auto [it, made] = books.try_emplace(megabytes);
  if (made) {
    static constexpr std::array<const char*, 8> kTags = {
        "{{pause=500}}",       "{{audio=/tmp/chime.wav}} ", "{{Pause=1500}}\r\n", "{{pause=soon}}",
        "{{lang=en-US|john}}", "{{lang=ru-RU|alena|1.2}}",  "{{AUDIO=bell.mp3}}", "{{pause= 250 }}"};
    std::mt19937 random(1871);
    std::string tagged;
    const std::string book = MakeBook(megabytes * kMegabyte);
    for (size_t start = 0; start < book.size();) {
      const size_t end = std::min(book.find("\r\n", start), book.size());
      tagged.append(book, start, end + 2 - start).append(kTags[random() % kTags.size()]);
      start = end + 2;
    }
    it->second = ToUtf16(tagged);
  }
  return it->second;
}

// Argument: text size in MB.
void BM_TextPartsWithTags(benchmark::State& state) {
  const size_t megabytes = static_cast<size_t>(state.range(0));
  const std::u16string& text = TaggedBook(megabytes);
  const TPartSettings defaults{u"ru-RU", u"alena", u"", u"neutral", u"MonoToBoth", 0};
  size_t parts = 0;
  for (auto _ : state) {
    TTextParts split(text, defaults);
    parts = split.Count();
    benchmark::DoNotOptimize(&split);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * megabytes * kMegabyte));
  state.counters["parts"] = static_cast<double>(parts);
}
BENCHMARK(BM_TextPartsWithTags)->Arg(1)->Arg(4)->Arg(16)->ArgName("MB")->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace sonacli

BENCHMARK_MAIN();
