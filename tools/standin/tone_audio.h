// The stand-in's "speech": real Ogg Opus, 48000 Hz mono, whose length follows the text and whose
// sound follows the voice asked for.
#pragma once

#include <cstdint>
#include <string>

namespace sonacli::standin {

constexpr int kSampleRate = 48000;

// Everything besides the text that shapes the speech: the interface and the voice settings of the
// request, with the service's defaults filled in where the request leaves a setting out.
struct TVoicing {
  std::string Interface = {};  // the path of the request
  std::string Language = {};   // lower case; empty where the interface takes none
  std::string Voice = {};
  std::string Tone = {};     // the emotion or role
  std::string Quality = {};  // empty where the interface takes none
  double Speed = 1.0;
};

// Samples of the speech for a text of `characters` Unicode characters at `speed` (1.0 default):
// 50 ms per character plus 100 ms of closing silence, each divided by the speed and rounded to
// whole samples.
int64_t SpeechSamples(int64_t characters, double speed);

// Number of Unicode characters of UTF-8 text (bytes that do not continue a character).
int64_t CountCharacters(const std::string& utf8);

// The Ogg Opus stream for the text: for every letter or digit a short tone whose pitch follows the
// character, for every other character silence, then the closing silence. The length depends on
// the text and the speed only; the pitch and phase of every tone also on each field of the
// voicing, so that two requests that differ in any of them decode to different samples.
std::string MakeToneSpeech(const std::string& utf8, const TVoicing& voicing);

}  // namespace sonacli::standin
