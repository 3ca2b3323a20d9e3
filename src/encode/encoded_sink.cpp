#include "encode/encoded_sink.h"

namespace sonacli {

TEncoderSettings EncoderSettingsFor(const TOutputChoice& choice, const TAudioFormat& format,
                                    const TMediaTags& tags) {
  TEncoderSettings settings;
  settings.Format = choice.Format;
  settings.SampleRate = format.SampleRate;
  settings.Channels = format.Channels;
  settings.BitrateKbps = choice.BitrateKbps;
  settings.Tags = tags;
  return settings;
}

namespace {

TAudioFormat PcmFormat(const TEncoderSettings& settings) {
  return {settings.SampleRate, settings.Channels, 16};
}

}  // namespace

TEncodedSink::TEncodedSink(const TEncoderSettings& settings, std::unique_ptr<TEncodedOutput> output)
    : TAudioSink(PcmFormat(settings)), output_(std::move(output)) {}

std::unique_ptr<TEncodedSink> TEncodedSink::CreateFile(const TEncoderSettings& settings,
                                                       std::u16string_view fileName, std::u16string& error) {
  std::unique_ptr<TEncodedOutput> output = TEncodedOutput::CreateFile(settings, fileName, error);
  if (!output) return nullptr;
  return std::make_unique<TEncodedSink>(settings, std::move(output));
}

std::unique_ptr<TEncodedSink> TEncodedSink::CreateStream(const TEncoderSettings& settings, int fd,
                                                         std::u16string& error) {
  std::unique_ptr<TEncodedOutput> output = TEncodedOutput::CreateStream(settings, fd, error);
  if (!output) return nullptr;
  return std::make_unique<TEncodedSink>(settings, std::move(output));
}

bool TEncodedSink::Append(std::string_view pcm) {
  return output_->Append(pcm);
}

void TEncodedSink::AddChapter(std::u16string_view title, int64_t startFrame) {
  output_->AddChapter(title, startFrame);
}

int64_t TEncodedSink::Frames() const {
  return output_->Frames();
}

bool TEncodedSink::Finish() {
  return output_->Finish();
}

std::u16string TEncodedSink::Error() const {
  return output_->Error();
}

int TEncodedSink::WriteError() const {
  return output_->WriteError();
}

}  // namespace sonacli
