// The stand-in's "speech": real Ogg Opus, 48000 Hz mono, whose length follows the text.
#pragma once

#include <cstdint>
#include <string>

namespace sonacli::standin {

constexpr int kSampleRate = 48000;

// Samples of the speech for a text of `characters` Unicode characters at `speed` (1.0 default):
// 50 ms per character plus 100 ms of closing silence, each divided by the speed and rounded to
// whole samples.
int64_t SpeechSamples(int64_t characters, double speed);

// Number of Unicode characters of UTF-8 text (bytes that do not continue a character).
int64_t CountCharacters(const std::string& utf8);

// The Ogg Opus stream for the text: for every letter or digit a short tone whose pitch follows the
// character, for every other character silence, then the closing silence.
std::string MakeToneSpeech(const std::string& utf8, double speed);

}  // namespace sonacli::standin
