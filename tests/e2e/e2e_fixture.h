// A run of the built sonacli against its own stand-in service, with its own temporary folder
// (also the TMPDIR of the program, so that left-over temporary folders can be seen), and helpers
// to read back what it wrote.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "e2e/sonacli_child.h"
#include "standin/standin_process.h"
#include "support/wait_until.h"
#include "testing/test_support.h"

namespace sonacli::testing {

inline constexpr char kCloudKey[] = "AQVN-e2e-cloud-key";

// The fields of a canonical 44-byte WAV header, and the samples after it.
struct TWavFile {
  bool Valid = false;
  uint32_t RiffSize = 0;
  uint16_t Format = 0;
  uint16_t Channels = 0;
  uint32_t SampleRate = 0;
  uint32_t ByteRate = 0;
  uint16_t BlockAlign = 0;
  uint16_t BitsPerSample = 0;
  uint32_t DataSize = 0;
  std::string Samples;
};
TWavFile ParseWav(const std::string& bytes);

// Whether two runs gave the same 16-bit audio: the same length and no sample more than one step
// apart (the Opus decoder dithers its output, so repeated decodes differ in the lowest bit).
bool SameAudio(const std::string& samples, const std::string& expected);

// 16-bit mono frames of the stand-in's speech of `characters` characters, at 24000 Hz: 50 ms per
// character and 100 ms of closing silence.
inline size_t SpeechFrames(size_t characters) {
  return characters * 1200 + 2400;
}

// An SRT file of the entries: (the time line "00:00:05,000 --> 00:00:07,000", the text).
std::string Srt(const std::vector<std::pair<std::string, std::string>>& entries);

class SonacliE2e : public ::testing::Test {
 protected:
  void SetUp() override;
  // Every run, however it ended, has removed its temporary folder.
  void TearDown() override;

  // Runs sonacli with the arguments and waits for its end.
  TChildResult Run(const std::vector<std::string>& args);
  // Starts sonacli without waiting.
  std::unique_ptr<TChild> Start(const std::vector<std::string>& args);
  // Runs "bash -c script" with the same environment; "$SONACLI" names the program.
  TChildResult Shell(const std::string& script);

  // The stand-in answers the requests whose text contains `text` with the rule's JSON members
  // (for example "\"status\":403"); the rules apply in the order given.
  void ScriptRules(const std::vector<std::pair<std::string, std::string>>& rules);
  // Texts of the synthesis requests the stand-in received, in order (the probe first).
  std::vector<std::string> RequestTexts() const;
  // What runs left under a temporary name: the hidden temporaries beside the outputs in the test's
  // folder ("." + name + ".XXXXXX.tmp") and anything in $TMPDIR, which the program never uses.
  std::vector<std::string> Temporaries() const;

  std::string File(const std::string& name) const { return dir_.File(name); }
  std::string Write(const std::string& name, const std::string& bytes) const;
  // A 16-bit mono sine WAV of `ms` at `rate`, made by sox.
  std::string MakeToneWav(const std::string& name, int ms, int rate) const;

  ScopedTempDir dir_;
  std::filesystem::path tmp_;
  std::unique_ptr<TStandinProcess> standin_;
  std::map<std::string, std::string> environment_;
};

}  // namespace sonacli::testing
