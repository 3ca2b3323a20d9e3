#include "e2e/e2e_fixture.h"

#include <nlohmann/json.hpp>

namespace sonacli::testing {

namespace fs = std::filesystem;

namespace {
uint32_t Get32(const std::string& b, size_t at) {
  return uint32_t(uint8_t(b[at])) | uint32_t(uint8_t(b[at + 1])) << 8 | uint32_t(uint8_t(b[at + 2])) << 16 |
         uint32_t(uint8_t(b[at + 3])) << 24;
}
uint16_t Get16(const std::string& b, size_t at) {
  return uint16_t(uint8_t(b[at]) | uint8_t(b[at + 1]) << 8);
}
}  // namespace

TWavFile ParseWav(const std::string& bytes) {
  TWavFile wav;
  if (bytes.size() < 44 || bytes.compare(0, 4, "RIFF") != 0 || bytes.compare(8, 8, "WAVEfmt ") != 0 ||
      bytes.compare(36, 4, "data") != 0) {
    return wav;
  }
  wav.Valid = true;
  wav.RiffSize = Get32(bytes, 4);
  wav.Format = Get16(bytes, 20);
  wav.Channels = Get16(bytes, 22);
  wav.SampleRate = Get32(bytes, 24);
  wav.ByteRate = Get32(bytes, 28);
  wav.BlockAlign = Get16(bytes, 32);
  wav.BitsPerSample = Get16(bytes, 34);
  wav.DataSize = Get32(bytes, 40);
  wav.Samples = bytes.substr(44);
  return wav;
}

bool SameAudio(const std::string& samples, const std::string& expected) {
  if (samples.size() != expected.size() || samples.size() % 2 != 0) return false;
  for (size_t at = 0; at < samples.size(); at += 2) {
    const int difference = int16_t(Get16(samples, at)) - int16_t(Get16(expected, at));
    if (difference < -1 || difference > 1) return false;
  }
  return true;
}

void SonacliE2e::SetUp() {
  tmp_ = dir_.Path() / "tmp";
  fs::create_directory(tmp_);
  fs::create_directory(dir_.Path() / "standin");
  standin_ = std::make_unique<TStandinProcess>(dir_.Path() / "standin");
  environment_ = {{"SONACLI_CLOUD_URL", standin_->BaseUrl()},
                  {"SONACLI_LEGACY_URL", standin_->BaseUrl()},
                  {"SONACLI_CA_BUNDLE", standin_->CaFile()},
                  {"SONACLI", SonacliPath()},
                  {"TMPDIR", tmp_.string()},
                  {"SONACLI_ANSI_CODEPAGE", "1251"},
                  // No configuration file of the user who runs the tests.
                  {"XDG_CONFIG_HOME", (dir_.Path() / "config").string()}};
}

void SonacliE2e::TearDown() {
  EXPECT_TRUE(TempFolders().empty()) << "a temporary folder was left behind";
}

std::unique_ptr<TChild> SonacliE2e::Start(const std::vector<std::string>& args) {
  std::vector<std::string> argv = {SonacliPath()};
  argv.insert(argv.end(), args.begin(), args.end());
  return std::make_unique<TChild>(argv, environment_, dir_.Path());
}

TChildResult SonacliE2e::Run(const std::vector<std::string>& args) {
  return Start(args)->Wait();
}

TChildResult SonacliE2e::Shell(const std::string& script) {
  return TChild({"/bin/bash", "-c", script}, environment_, dir_.Path()).Wait();
}

void SonacliE2e::ScriptRules(const std::vector<std::pair<std::string, std::string>>& rules) {
  nlohmann::json list = nlohmann::json::array();
  for (const auto& [text, members] : rules) {
    nlohmann::json rule = nlohmann::json::parse("{" + members + "}");
    rule["text_contains"] = text;
    list.push_back(rule);
  }
  standin_->SetScript(nlohmann::json{{"rules", list}}.dump());
}

std::vector<std::string> SonacliE2e::RequestTexts() const {
  std::vector<std::string> texts;
  for (const nlohmann::json& request : standin_->Requests()) {
    const std::string body = request.value("body", "");
    const size_t at = body.find("text=");
    std::string text;
    // The v1 form body: text=<percent-encoded>&format=...
    for (size_t i = at == std::string::npos ? body.size() : at + 5; i < body.size() && body[i] != '&'; ++i) {
      if (body[i] == '%' && i + 2 < body.size()) {
        text += static_cast<char>(std::stoi(body.substr(i + 1, 2), nullptr, 16));
        i += 2;
      } else {
        text += body[i];
      }
    }
    texts.push_back(text);
  }
  return texts;
}

std::vector<std::string> SonacliE2e::TempFolders() const {
  std::vector<std::string> names;
  for (const fs::directory_entry& entry : fs::directory_iterator(tmp_)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind("sonarel", 0) == 0) names.push_back(name);
  }
  return names;
}

std::string SonacliE2e::Write(const std::string& name, const std::string& bytes) const {
  return WriteFile(File(name), bytes);
}

std::string SonacliE2e::MakeToneWav(const std::string& name, int ms, int rate) const {
  const std::string file = File(name);
  TChild sox({"/usr/bin/sox", "-n", "-r", std::to_string(rate), "-c", "1", "-b", "16", file, "synth",
              std::to_string(ms / 1000.0), "sine", "880"},
             {}, dir_.Path());
  EXPECT_EQ(sox.Wait().ExitCode, 0) << "sox could not make " << name;
  return file;
}

std::string Srt(const std::vector<std::pair<std::string, std::string>>& entries) {
  std::string file;
  for (size_t i = 0; i < entries.size(); ++i) {
    file += std::to_string(i + 1) + "\r\n" + entries[i].first + "\r\n" + entries[i].second + "\r\n\r\n";
  }
  return file;
}

}  // namespace sonacli::testing
