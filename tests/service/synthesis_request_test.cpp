#include "service/synthesis_request.h"

#include <gtest/gtest.h>

#include "common/unicode_text.h"

namespace sonacli {
namespace {

const char16_t kLegacyKey[] = u"0123abcd-89ab-cdef-0123-456789abcdef";

TEST(IsLegacyKey, NeedsHyphensAtNineFourteenNineteenTwentyFour) {
  EXPECT_TRUE(IsLegacyKey(kLegacyKey));
  EXPECT_TRUE(IsLegacyKey(u"xxxxxxxx-xxxx-xxxx-xxxx-xx"));  // 26 characters
  EXPECT_FALSE(IsLegacyKey(u"xxxxxxxx-xxxx-xxxx-xxxx-x"));  // 25 characters
  EXPECT_FALSE(IsLegacyKey(u"0123abcd89abcdef0123456789abcdef"));
  EXPECT_FALSE(IsLegacyKey(u"0123abcd-89ab-cdef-0123+456789abcdef"));
  EXPECT_FALSE(IsLegacyKey(u"AQVN1234567890abcdefghijklmnopqrstuvw"));
  EXPECT_FALSE(IsLegacyKey(u""));
}

TEST(RouteRequest, ChoosesTheInterfaceByKeyAndVoice) {
  struct {
    const char16_t* key;
    const char16_t* voice;
    TServiceInterface expected;
  } const cases[] = {
      {kLegacyKey, u"jane", TServiceInterface::None},
      {kLegacyKey, u"kirill", TServiceInterface::None},
      {kLegacyKey, u"jane:old", TServiceInterface::Legacy},
      {kLegacyKey, u"oksana", TServiceInterface::Legacy},
      {u"cloud-key", u"julia", TServiceInterface::CloudV3},
      {u"cloud-key", u"oksana", TServiceInterface::CloudV1},
      {u"cloud-key", u"amira", TServiceInterface::CloudV1},
      {u"cloud-key", u"ermil:old", TServiceInterface::CloudV1},
  };
  for (const auto& c : cases) EXPECT_EQ(RouteRequest(c.key, c.voice), c.expected) << ToUtf8(c.voice);
}

}  // namespace
}  // namespace sonacli
