#include "ogg_opus/ogg_opus_encoder.h"

#include <opus/opusenc.h>

#include <memory>

namespace sonacli {
namespace {

struct EncoderDeleter {
  void operator()(OggOpusEnc* encoder) const { ope_encoder_destroy(encoder); }
};
struct CommentsDeleter {
  void operator()(OggOpusComments* comments) const { ope_comments_destroy(comments); }
};

int AppendBytes(void* user, const unsigned char* bytes, opus_int32 length) {
  static_cast<std::string*>(user)->append(reinterpret_cast<const char*>(bytes), static_cast<size_t>(length));
  return 0;
}

int CloseNothing(void*) {
  return 0;
}

}  // namespace

std::string EncodeOggOpus(const std::vector<int16_t>& samples, const OggOpusOptions& options) {
  std::string ogg;
  std::unique_ptr<OggOpusComments, CommentsDeleter> comments(ope_comments_create());
  if (!comments) return {};
  if (!options.Title.empty()) ope_comments_add(comments.get(), "TITLE", options.Title.c_str());
  const OpusEncCallbacks callbacks{AppendBytes, CloseNothing};
  int error = 0;
  std::unique_ptr<OggOpusEnc, EncoderDeleter> encoder(ope_encoder_create_callbacks(
      &callbacks, &ogg, comments.get(), 48000, options.Channels, options.MappingFamily, &error));
  if (!encoder) return {};
  if (options.BitRate > 0) ope_encoder_ctl(encoder.get(), OPUS_SET_BITRATE(options.BitRate));
  if (options.OutputGain != 0) ope_encoder_ctl(encoder.get(), OPE_SET_HEADER_GAIN(options.OutputGain));
  if (options.SerialNumber != 0) ope_encoder_ctl(encoder.get(), OPE_SET_SERIALNO(options.SerialNumber));
  const int frames = static_cast<int>(samples.size() / static_cast<size_t>(options.Channels));
  for (int link = 0; link < options.Links; ++link) {
    if (link > 0 && ope_encoder_chain_current(encoder.get(), comments.get()) != OPE_OK) return {};
    if (ope_encoder_write(encoder.get(), samples.data(), frames) != OPE_OK) return {};
  }
  if (ope_encoder_drain(encoder.get()) != OPE_OK) return {};
  return ogg;
}

}  // namespace sonacli
