#include "completion_scripts.h"

#include <gtest/gtest.h>

#include <set>

#include "catalogue/voice_catalogue.h"
#include "common/unicode_text.h"
#include "main/option_table.h"
#include "main/resolve_run.h"
#include "main/run_options.h"
#include "subtitles/subtitle_format.h"

namespace sonacli {
namespace {

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// How each shell script names an option it completes.
std::string BashWord(const std::string& name) {
  return name == "-?" ? "-\\?" : name;
}
std::string ZshSpec(const std::string& name) {
  return "'*" + name + "[";
}
std::string FishSpec(const std::string& name) {
  if (name.starts_with("--")) return "-l '" + name.substr(2) + "'";
  return (name.size() == 2 ? "-s '" : "-o '") + name.substr(1) + "'";
}

TEST(CompletionScripts, EveryOptionOfTheTableIsOfferedByEveryShell) {
  const std::vector<TCompletedOption> options = CompletedOptions();
  ASSERT_EQ(options.size(), OptionTable().size());
  const std::string bash = BashScript(options), zsh = ZshScript(options), fish = FishScript(options);
  const std::string bashWords = bash.substr(bash.rfind("compgen -W '"));
  for (const TOption& tableOption : OptionTable()) {
    const std::string name = ToUtf8(tableOption.Name);
    EXPECT_TRUE(Contains(bashWords, " " + BashWord(name) + " ") ||
                Contains(bashWords, "'" + BashWord(name) + " ") ||
                Contains(bashWords, " " + BashWord(name) + "'"))
        << name;
    // An option with a value has a message and an action after its description in zsh.
    const size_t zshAt = zsh.find(ZshSpec(name));
    ASSERT_NE(zshAt, std::string::npos) << name;
    const std::string zshLine = zsh.substr(zshAt, zsh.find('\n', zshAt) - zshAt);
    EXPECT_EQ(zshLine.find("]:") != std::string::npos, tableOption.TakesArgument) << zshLine;
    const size_t fishAt = fish.find("complete -c sonacli " + FishSpec(name) + " ");
    ASSERT_NE(fishAt, std::string::npos) << name;
    const std::string fishLine = fish.substr(fishAt, fish.find('\n', fishAt) - fishAt);
    EXPECT_EQ(Contains(fishLine, " -r") || Contains(fishLine, " -x"), tableOption.TakesArgument) << fishLine;
    EXPECT_TRUE(Contains(fishLine, " -d '")) << "no description from the usage text: " << fishLine;
  }
}

const TCompletedOption& Completed(const std::vector<TCompletedOption>& options, const std::string& name) {
  for (const TCompletedOption& option : options) {
    if (option.Name == name) return option;
  }
  throw std::runtime_error("no option " + name);
}

// Applies an option of the table to fresh options.
TRunOptions Applied(const std::string& name, const std::string& value) {
  TRunOptions options;
  ApplyOption(*FindOption(ToUtf16(name)), ToUtf16(value), TOptionSource::CommandLine, options);
  return options;
}

TEST(CompletionScripts, EveryOfferedValueIsOneTheProgramAccepts) {
  const std::vector<TCompletedOption> options = CompletedOptions();
  for (const std::string& code : Completed(options, "-l").Values)
    EXPECT_FALSE(LookupLanguage(LowerCase(ToUtf16(code))).empty()) << code;
  EXPECT_EQ(Completed(options, "-l").Values.size(), LanguageTable().size());
  for (const std::string& voice : Completed(options, "-n").Values)
    EXPECT_TRUE(FindVoice(ToUtf16(voice))) << voice;
  EXPECT_EQ(Completed(options, "-n").Values.size(), VoiceTable().size());
  const std::vector<std::string> tones = Completed(options, "-e").Values;
  EXPECT_EQ(std::set<std::string>(tones.begin(), tones.end()),
            (std::set<std::string>{"neutral", "good", "evil", "friendly", "strict", "whisper"}));
  for (const std::string name : {"-enc", "--encoding"}) {
    for (const std::string& encoding : Completed(options, name).Values)
      EXPECT_TRUE(Applied(name, encoding).ForceEncoding) << encoding;
  }
  EXPECT_EQ(Completed(options, "--lrc-enc").Values, Completed(options, "-enc").Values);
  EXPECT_EQ(Completed(options, "--srt-enc").Values, Completed(options, "-enc").Values);
  for (const std::string& format : Completed(options, "--sub-format").Values) {
    EXPECT_NE(SubtitleFormatFromFileName(ToUtf16("x." + format)), TSubtitleFormat::Unknown) << format;
  }
  // The ways a book is read, each one the resolve step accepts and the default among them.
  for (const std::string name : {"--book-parts", "--chapter-titles"}) {
    const std::vector<std::string> values = Completed(options, name).Values;
    EXPECT_EQ(values.size(), 2u) << name;
    for (const std::string& value : values) {
      TRunOptions given;
      ApplyOption(*FindOption(ToUtf16(name)), ToUtf16(value), TOptionSource::CommandLine, given);
      given.CommandText = u"x";
      given.OutputFileName = u"x.wav";
      given.ApiKey = u"key";
      EXPECT_EQ(ResolveRun(given).Error, u"") << name << " " << value;
    }
  }
  // One kHz value for each output rate there is.
  std::set<int32_t> offeredRates, allRates;
  for (const std::string& kiloHertz : Completed(options, "-fr").Values) {
    EXPECT_TRUE(offeredRates.insert(SampleRateForFrequency(std::stoi(kiloHertz))).second) << kiloHertz;
  }
  for (int32_t kiloHertz = -1; kiloHertz <= 200; ++kiloHertz)
    allRates.insert(SampleRateForFrequency(kiloHertz));
  EXPECT_EQ(offeredRates, allRates);
}

}  // namespace
}  // namespace sonacli
