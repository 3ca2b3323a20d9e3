#include "service/cache_entry.h"

#include <gtest/gtest.h>

#include "service/sha256.h"

namespace sonacli {
namespace {

const std::string kKey = std::string(64, 'a');
const std::string kOtherKey = std::string(63, 'a') + "b";

TEST(Sha256, GivesTheKnownDigests) {
  EXPECT_EQ(Sha256Hex(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(Sha256Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  TSha256 parts;
  parts.Add("a");
  parts.Add("bc");
  EXPECT_EQ(parts.HexDigest(), Sha256Hex("abc"));
}

TEST(CacheEntry, HoldsTheAnswerBehindLinesThatProveItWholeAndItsOwn) {
  const std::string answer = "OggS" + std::string(1000, '\x7f') + "\n\nend";
  const std::string entry = CacheEntry(kKey, answer);
  EXPECT_EQ(entry,
            "sonacli answer 1\nkey " + kKey + "\nlength 1009\nsha256 " + Sha256Hex(answer) + "\n\n" + answer);
  EXPECT_EQ(CacheEntryAnswer(kKey, entry), answer);
}

TEST(CacheEntry, EveryDamageIsFound) {
  const std::string answer = "OggS" + std::string(2000, 'x');
  const std::string entry = CacheEntry(kKey, answer);
  const size_t header = entry.size() - answer.size();
  auto cut = [&](double share) { return entry.substr(0, static_cast<size_t>(entry.size() * share)); };
  auto flipped = [&](size_t at) {
    std::string bytes = entry;
    bytes[at] = static_cast<char>(bytes[at] ^ 0x01);
    return bytes;
  };
  struct {
    const char* name;
    std::string bytes;
  } const cases[] = {
      {"cut at 10 %", cut(0.1)},
      {"cut at 60 %", cut(0.6)},
      {"cut at 99 %", cut(0.99)},
      {"cut by one byte", entry.substr(0, entry.size() - 1)},
      {"cut after its lines", entry.substr(0, header)},
      {"emptied", ""},
      {"one byte of the answer flipped", flipped(header + 1500)},
      {"one byte of the lines flipped", flipped(20)},
      {"one byte more", entry + "x"},
      {"another key's entry", CacheEntry(kOtherKey, answer)},
      {"the bare answer, as earlier versions kept it", answer},
      {"an empty answer", CacheEntry(kKey, "")},
      {"lines without their end", entry.substr(0, header - 1)},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CacheEntryAnswer(kKey, c.bytes), std::nullopt) << c.name;
  }
}

}  // namespace
}  // namespace sonacli
