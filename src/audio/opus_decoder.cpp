#include "audio/opus_decoder.h"

#include <opus.h>
#include <opusfile.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "audio/audio_source.h"
#include "audio/convert_wav.h"
#include "audio/wav_header.h"
#include "audio/wave_stream_adapter.h"

namespace sonacli {
namespace {

constexpr int32_t kOpusRate = 48000;
constexpr int kMaxPacketSamples = 5760;  // 120 ms at 48 kHz, the longest Opus packet

struct OpusFileCloser {
  void operator()(OggOpusFile* file) const { op_free(file); }
};
using OpusFilePtr = std::unique_ptr<OggOpusFile, OpusFileCloser>;

struct OpusDecoderDeleter {
  void operator()(OpusDecoder* decoder) const { opus_decoder_destroy(decoder); }
};
using OpusDecoderPtr = std::unique_ptr<OpusDecoder, OpusDecoderDeleter>;

// libopusfile decodes every packet with a multistream decoder, which asks libopus for its decoders'
// sizes on every packet; libopus answers that by probing the processor (cpuid), and where cpuid is
// trapped by a hypervisor that probe costs more than the decoding itself. A single-stream answer
// (mapping family 0: mono, or one coupled stereo stream) is decoded here instead, with one plain
// decoder per answer that gives the same samples; libopusfile still trims, dithers and converts.
// Null when the stream needs the multistream decoder.
OpusDecoderPtr MakeSingleStreamDecoder(OggOpusFile* file) {
  const OpusHead* head = op_head(file, 0);
  if (head == nullptr || head->mapping_family != 0 || head->stream_count != 1) return nullptr;
  int error = 0;
  OpusDecoderPtr decoder(opus_decoder_create(kOpusRate, head->channel_count, &error));
  if (error != OPUS_OK || !decoder) return nullptr;
  // The header's output gain, as libopusfile sets it on its own decoder.
  if (opus_decoder_ctl(decoder.get(), OPUS_SET_GAIN(std::clamp(head->output_gain, -32768, 32767))) != OPUS_OK)
    return nullptr;
  return decoder;
}

// The decode callback of libopusfile: 0 when the packet's samples are in `pcm`.
int DecodePacket(void* context, OpusMSDecoder*, void* pcm, const ogg_packet* packet, int samples, int,
                 int format, int link) {
  auto* decoder = static_cast<OpusDecoder*>(context);
  if (link != 0) return OP_DEC_USE_DEFAULT;
  const auto* data = static_cast<const unsigned char*>(packet->packet);
  const auto bytes = static_cast<opus_int32>(packet->bytes);
  const int decoded = format == OP_DEC_FORMAT_FLOAT
                          ? opus_decode_float(decoder, data, bytes, static_cast<float*>(pcm), samples, 0)
                          : opus_decode(decoder, data, bytes, static_cast<opus_int16*>(pcm), samples, 0);
  if (decoded < 0) return decoded;
  return decoded == samples ? 0 : OPUS_INVALID_PACKET;
}

// What ReadOpus made of an answer.
enum class OpusRead {
  Rejected,  // libopusfile did not take the bytes
  NoStream,  // taken, but no single stream to decode (not openable, chained)
  Decoded,
};

// Decodes the answer's samples (48000 Hz, 16-bit, `channels`) and appends them to `pcm`;
// `announcedBytes` is the length the stream states: its total samples per channel times the
// channels and 2, low 32 bits. Damaged data ends the decoding, keeping what was decoded before it.
OpusRead ReadOpus(const std::string& answer, std::string& pcm, int& channels, uint32_t& announcedBytes) {
  try {
    int error = 0;
    // The decoder only reads the answer, which outlives it.
    OpusFilePtr file(
        op_test_memory(reinterpret_cast<const unsigned char*>(answer.data()), answer.size(), &error));
    if (error != 0 || !file) return OpusRead::Rejected;
    if (op_test_open(file.get()) != 0) return OpusRead::NoStream;
    if (op_link_count(file.get()) != 1) return OpusRead::NoStream;
    const OpusDecoderPtr decoder = MakeSingleStreamDecoder(file.get());
    if (decoder) op_set_decode_callback(file.get(), DecodePacket, decoder.get());
    channels = op_channel_count(file.get(), 0);
    const ogg_int64_t total = op_pcm_total(file.get(), 0);
    announcedBytes = static_cast<uint32_t>(static_cast<uint64_t>(total < 0 ? 0 : total) * channels * 2);
    pcm.reserve(pcm.size() + announcedBytes);
    std::vector<opus_int16> buffer(static_cast<size_t>(channels) * kMaxPacketSamples);
    for (;;) {
      const int samples = op_read(file.get(), buffer.data(), static_cast<int>(buffer.size()), nullptr);
      if (samples <= 0) break;  // the end, or damaged data: keep what was decoded
      const size_t bytes = static_cast<size_t>(samples) * static_cast<size_t>(channels) * 2;
      const size_t at = pcm.size();
      pcm.resize(at + bytes);
      std::memcpy(pcm.data() + at, buffer.data(), bytes);  // little-endian host, as WAV
    }
    return OpusRead::Decoded;
  } catch (const std::exception&) {
    return OpusRead::Rejected;
  }
}

// The decoded samples, read in place as the first stage of the conversion chain: they go straight
// to the resampler, without a WAV reader copying and converting them on the way.
class DecodedPcm final : public TAudioSource {
 public:
  DecodedPcm(const std::string& pcm, int channels) : pcm_(pcm), format_{kOpusRate, channels, 16} {}
  void Start() override { position_ = 0; }
  TAudioFormat Format() const override { return format_; }
  int64_t Length() const override {
    return static_cast<int64_t>(pcm_.size() - pcm_.size() % static_cast<size_t>(format_.BlockAlign()));
  }
  size_t Read(uint8_t* buffer, size_t count) override {
    const size_t blockAlign = static_cast<size_t>(format_.BlockAlign());
    const size_t n = std::min(count - count % blockAlign, static_cast<size_t>(Length()) - position_);
    std::memcpy(buffer, pcm_.data() + position_, n);
    position_ += n;
    return n;
  }

 private:
  const std::string& pcm_;
  TAudioFormat format_;
  size_t position_ = 0;
};

}  // namespace

void WriteOpusWavHeader(std::string& stream, int32_t sampleRate, int32_t channels, uint32_t dataBytes) {
  if (stream.size() < kWavHeaderSize) stream.resize(kWavHeaderSize);
  stream.replace(0, kWavHeaderSize, MakeWavHeader(sampleRate, channels, 16, dataBytes));
}

bool OpusToWav(const std::string& answer, std::string& out) {
  const size_t headerAt = out.size();
  out.resize(headerAt + kWavHeaderSize);
  int channels = 0;
  uint32_t announcedBytes = 0;
  const OpusRead read = ReadOpus(answer, out, channels, announcedBytes);
  if (read != OpusRead::Decoded) {
    out.resize(headerAt);
    return read == OpusRead::NoStream;
  }
  out.replace(headerAt, kWavHeaderSize, MakeWavHeader(kOpusRate, channels, 16, announcedBytes));
  return true;
}

bool OpusToWavWithVolume(const std::string& answer, std::string& out, int32_t volumeDelta) {
  std::string scratch;
  if (!OpusToWav(answer, scratch)) return false;
  if (scratch.empty()) return true;
  TWave wave;
  wave.LoadFromStream(scratch);
  wave.ChangeVolume(volumeDelta);
  wave.SaveToStream(out);
  return true;
}

bool DecodeOpusAnswer(const std::string& answer, const TSpeechTarget& target, const TVolumeAndChannel& piece,
                      TDecodedSpeech& speech) {
  speech = TDecodedSpeech();
  int channels = 0;
  uint32_t announcedBytes = 0;
  std::string decoded;
  // An answer that opens as Ogg but holds no stream this can decode (chained, unreadable) gives no
  // speech: a failure at every rate, not silence at one of them.
  if (ReadOpus(answer, decoded, channels, announcedBytes) != OpusRead::Decoded) return false;
  // As the WAV model changes it: the samples of the length the stream states.
  if (piece.VolumeDelta != 0) {
    ChangeVolumeOf16BitSamples(reinterpret_cast<uint8_t*>(decoded.data()),
                               std::min<size_t>(announcedBytes, decoded.size()), piece.VolumeDelta);
  }
  if (target.SampleRate == kOpusRate && !target.Stereo) {
    speech.Format = {kOpusRate, channels, 16};
    speech.Pcm = std::move(decoded);
    return true;
  }
  DecodedPcm reader(decoded, channels);
  speech.Format = ConvertPcm(reader, speech.Pcm, target.SampleRate, target.Stereo ? 2 : 0, piece.ChannelMode);
  return true;
}

}  // namespace sonacli
