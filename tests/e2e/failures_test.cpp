// How a run ends when the probe or an insert fails, and where the errors of a run with standard
// output go: what is printed, what is saved, and the exit code. (A refused piece in the middle of a
// run is in resumable_runs_test, faults of the service and the network in fault_table_test.)
#include <gtest/gtest.h>

#include <filesystem>

#include "e2e/e2e_fixture.h"

namespace sonacli::testing {
namespace {

const std::vector<std::string> kFivePieces = {"-t",     "One.", "-t",    "Two.", "-t",
                                              "Three.", "-t",   "Four.", "-t",   "Five."};

std::vector<std::string> Args(std::vector<std::string> first, const std::vector<std::string>& more) {
  first.insert(first.end(), more.begin(), more.end());
  return first;
}

TEST_F(SonacliE2e, FailedProbeKeepsTheOldOutput) {
  Write("out.wav", "an old output");
  standin_->SetScript(R"({"rules":[{"times":1,"status":401}]})");
  const TChildResult run = Run(Args({"-k", kCloudKey, "-w", File("out.wav")}, kFivePieces));
  EXPECT_EQ(run.ExitCode, 1);
  // The request's failure is the whole story: no audio was made, so none failed to be saved.
  EXPECT_EQ(run.Stdout, "\n[Error] HTTP 401 - Unauthorized\n");
  EXPECT_EQ(ReadFile(File("out.wav")), "an old output");
  EXPECT_EQ(RequestTexts().size(), 1u);
}

TEST_F(SonacliE2e, UnreadableInsertStopsTheRunButSavesWhatCameBefore) {
  const std::string broken = Write("broken.wav", "RIFF but not a wave file at all");
  const TChildResult run = Run({"-k", kCloudKey, "-w", File("out.wav"), "-t", "One.", "-t",
                                "{{audio=" + File("missing.wav") + "}}", "-t", "Two.", "-t",
                                "{{audio=" + broken + "}}", "-t", "Three."});
  EXPECT_EQ(run.ExitCode, 1);
  EXPECT_EQ(run.Stdout, "\n[Error] Failed to read audio file\n");
  // The missing insert is passed over silently; nothing after the broken one is requested.
  EXPECT_EQ(ParseWav(ReadFile(File("out.wav"))).Samples.size(), 2 * (SpeechFrames(4) + SpeechFrames(4)));
  EXPECT_EQ(RequestTexts().size(), 3u);
}

TEST_F(SonacliE2e, EveryErrorOfARunWithStandardOutputGoesToStandardError) {
  struct {
    std::vector<std::string> args;
    const char* message;
  } const cases[] = {
      {{"-k", kCloudKey, "-o", "-n", "nobody", "-t", "One."}, "[Error] Unknown voice name\n"},
      {{"-o", "-t", "One."}, "[Error] API-key not defined\n"},
      {{"-k", kCloudKey, "-o", "-f", "/no/such/input.txt"}, "[Error] Input file not found: input.txt\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    const TChildResult run = Run(c.args);
    EXPECT_EQ(run.ExitCode, 1);
    EXPECT_EQ(run.Stdout, "");
    EXPECT_EQ(run.Stderr, c.message);
  }
}

// A certificate that the program trusts but that is made for another name than the service's host:
// the connection is refused (a transport failure, so the probe is tried again for the 15 s of the
// retry rule first), and nothing is sent or written.
TEST_F(SonacliE2e, CertificateForAnotherNameIsRefused) {
  const std::filesystem::path folder = dir_.Path() / "other";
  std::filesystem::create_directory(folder);
  TStandinProcess otherName(folder, TStandinOptions{.CertificateName = "speech.example.org"});
  environment_["SONACLI_CLOUD_URL"] = otherName.BaseUrl();
  environment_["SONACLI_CA_BUNDLE"] = otherName.CaFile();
  const TChildResult run = Run({"-k", kCloudKey, "-t", "Hello.", "-w", File("out.wav")});
  EXPECT_EQ(run.ExitCode, 1);
  EXPECT_EQ(run.Stdout,
            "\n[Error] HTTP 500 - Internal error (the certificate of 127.0.0.1 could not be verified)\n");
  EXPECT_FALSE(std::filesystem::exists(File("out.wav")));
  EXPECT_TRUE(otherName.Requests().empty());
}

}  // namespace
}  // namespace sonacli::testing
