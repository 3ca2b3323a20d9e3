#include "service/v3_answer.h"

#include <gtest/gtest.h>

namespace sonacli {
namespace {

std::string Chunk(const std::string& base64) {
  return R"({"result":{"audioChunk":{"data":")" + base64 + "\"}}}";
}

TEST(ExtractV3Audio, JoinsTheChunksOfEveryObjectInOrder) {
  // "TQ==" ends in padding: decoding the chunks as one text would stop there.
  const std::string answer = Chunk("TQ==") + "\n" + Chunk("YW4=") + "\r\n" + Chunk("IQ") + "\n";
  EXPECT_EQ(ExtractV3Audio(answer), std::optional<std::string>("Man"));
}

TEST(ExtractV3Audio, ReadsOnlyTheAudioDataMember) {
  const std::string answer =
      R"({"result":{"textChunk":{"text":"Say \"hi\" {now}"},"audioChunk":{"data":"TWFu"},"startMs":"0"}})"
      R"({"result":{"lengthMs":"1200"}})";
  EXPECT_EQ(ExtractV3Audio(answer), std::optional<std::string>("Man"));
}

TEST(ExtractV3Audio, NoAudioChunkIsNoAudio) {
  EXPECT_EQ(ExtractV3Audio(R"({"result":{"textChunk":{"text":"audioChunk"}}})"), std::nullopt);
  EXPECT_EQ(ExtractV3Audio(R"({"error":{"message":"\"audioChunk\""}})"), std::nullopt);
  EXPECT_EQ(ExtractV3Audio("not json"), std::nullopt);
  EXPECT_EQ(ExtractV3Audio(""), std::nullopt);
  // A chunk that carries nothing is audio of length zero, not a missing answer.
  EXPECT_EQ(ExtractV3Audio(Chunk("")), std::optional<std::string>(""));
}

}  // namespace
}  // namespace sonacli
