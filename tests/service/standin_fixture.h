// A test with its own temporary folder and stand-in service, which the speech client reaches
// through the URLs and the certificate of the test's environment.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

#include "audio/opus_decoder.h"
#include "service/service_settings.h"
#include "service/synthesis_request.h"
#include "service/synthesis_service.h"
#include "settings/run_environment.h"
#include "settings/settings.h"
#include "standin/standin_process.h"
#include "testing/fake_clock.h"
#include "testing/test_support.h"

namespace sonacli {

inline constexpr char16_t kCloudKey[] = u"AQVN-test-cloud-key-0042";
inline constexpr char16_t kLegacyKey[] = u"0123abcd-89ab-cdef-0123-456789abcdef";

// Bytes of the 48000 Hz mono PCM that the stand-in's speech of `characters` characters decodes to
// at the default speed: 50 ms per character and 100 ms of closing silence, 16-bit samples.
inline size_t StandinPcmBytes(size_t characters) {
  return 2 * (characters * 2400 + 4800);
}

class TStandinTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A request at the default rate, neutral tone.
  static TSynthesisRequest Request(std::u16string text, std::u16string voice, std::u16string key = kCloudKey);
  // The decode step of a 48000 Hz mono run as the use of an answer: what it decodes goes to `speech`.
  static TAnswerUse DecodeInto(std::optional<TDecodedSpeech>& speech);

  // The service settings of settings_ in environment_.
  TServiceSettings ServiceSettings() const { return ServiceSettingsOf(settings_, environment_); }

  testing::ScopedTempDir dir_;
  std::unique_ptr<TStandinProcess> standin_;
  TSettings settings_;           // 48000 Hz mono output
  TRunEnvironment environment_;  // the stand-in's URL for both interfaces, and its certificate
};

}  // namespace sonacli
