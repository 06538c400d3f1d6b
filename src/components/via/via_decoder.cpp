#include "components/via/via_decoder.h"

#include <algorithm>
#include <cstring>

#include "components/via/ima_adpcm.h"
#include "components/via/via_api.h"
#include "components/via/via_chunks.h"

namespace TYX::Via {

std::unique_ptr<ViaDecoder> ViaDecoder::Create(const std::uint8_t* info) {
  if (info == nullptr) return nullptr;
  if (Get32(info) < kInfoChunkBytes || info[4] != 'V' || info[5] != 'C' || info[6] != kKindInfo) return nullptr;
  if (std::memcmp(info + kInfoMagic, "VIA1", 4) != 0 || Get16(info + kInfoCodec) != 1) return nullptr;
  std::unique_ptr<ViaDecoder> d(new ViaDecoder());
  d->channels_ = static_cast<int>(Get16(info + kInfoChannels));
  d->group_ = static_cast<int>(Get16(info + kInfoGroup));
  if (d->channels_ < 1 || d->channels_ > 2 || d->group_ < 1 || d->group_ > 64) return nullptr;
  return d;
}

void ViaDecoder::Emit(std::int64_t frame, const int* values) {
  if (limit_ >= 0 && frame >= limit_) return;
  for (int c = 0; c < channels_; ++c) pcm_.push_back(static_cast<std::int16_t>(values[c]));
}

// Coded sample i stands for the centre of its group: frame i*g + (g-1)/2, kept doubled to stay integer.
void ViaDecoder::EmitUpTo(std::int64_t endFrame, bool hold) {
  const std::int64_t g = group_;
  for (; nextFrame_ < endFrame; ++nextFrame_) {
    int values[2];
    if (samples_ <= 1 || hold) {
      std::copy(prev_, prev_ + 2, values);
    } else {
      const std::int64_t a = 2 * (samples_ - 2) * g + (g - 1);  // doubled centre of cur_
      const std::int64_t j = 2 * nextFrame_;
      if (j <= a) {
        std::copy(cur_, cur_ + 2, values);
      } else {
        for (int c = 0; c < channels_; ++c) {
          values[c] = cur_[c] + static_cast<int>((prev_[c] - cur_[c]) * (j - a) / (2 * g));
        }
      }
    }
    Emit(nextFrame_, values);
  }
}

bool ViaDecoder::Expand(const std::uint8_t* d, int bytes) {
  if (bytes < kAudioStates + 4 * channels_) return false;
  const std::uint32_t n = Get32(d + kAudioSamples);
  const bool last = (d[kAudioFlags] & kFlagLast) != 0;
  const std::size_t perChannel = (static_cast<std::size_t>(n) + 1) / 2;
  if (static_cast<std::size_t>(bytes) < kAudioStates + 4 * channels_ + perChannel * channels_) return false;
  ImaState state[2];
  for (int c = 0; c < channels_; ++c) {
    state[c].predictor = static_cast<std::int16_t>(Get16(d + kAudioStates + 4 * c));
    state[c].index = std::min<int>(d[kAudioStates + 4 * c + 2], 88);
  }
  const std::uint8_t* codes = d + kAudioStates + 4 * channels_;
  const std::int64_t g = group_;
  // The last chunk's count holds from its first sample on: the centre of a short last group lies past
  // the stream's end, and no frame beyond that end may be produced. A count above what the coded
  // samples can stand for is bad data and is held to that.
  if (last) limit_ = std::min<std::int64_t>(Get32(d + kAudioTotal), (samples_ + n) * g);
  for (std::uint32_t i = 0; i < n; ++i) {
    std::copy(prev_, prev_ + 2, cur_);
    for (int c = 0; c < channels_; ++c) {
      const std::uint8_t byte = codes[c * perChannel + i / 2];
      prev_[c] = ImaDecode(state[c], (i & 1) ? byte >> 4 : byte & 15);
    }
    ++samples_;
    // Frames up to (not including) the new sample's centre can be produced now.
    const std::int64_t centreTwice = 2 * (samples_ - 1) * g + (g - 1);
    EmitUpTo((centreTwice + 1) / 2, false);
  }
  if (last) EmitUpTo(limit_, true);
  return true;
}

int ViaDecoder::Decode(std::uint8_t* out, int outBytes, const std::uint8_t* data, int dataBytes) {
  if (!inChunk_) {
    pcm_.clear();
    pcmOff_ = 0;
    if (data == nullptr || !Expand(data, dataBytes)) return -1;
    inChunk_ = true;
  }
  const std::size_t frameBytes = 2 * static_cast<std::size_t>(channels_);
  std::size_t room = outBytes > 0 ? static_cast<std::size_t>(outBytes) / frameBytes * frameBytes : 0;
  const std::size_t left = (pcm_.size() - pcmOff_) * 2;
  const std::size_t take = std::min(room, left);
  if (take == 0) {
    inChunk_ = false;  // used up: the next call starts on the next chunk
    return 0;
  }
  std::memcpy(out, reinterpret_cast<const std::uint8_t*>(pcm_.data()) + pcmOff_ * 2, take);
  pcmOff_ += take / 2;
  return static_cast<int>(take);
}

}  // namespace TYX::Via
