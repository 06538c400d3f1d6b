#include "components/via/via_encoder.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "components/via/via_chunks.h"

namespace TYX::Via {

int ViaEncoder::GroupFor(int rate, int channels, int bitrate) {
  if (bitrate <= 0) bitrate = 128000;
  const double full = 4.0 * rate * channels;  // bits per second with no averaging
  const int group = static_cast<int>(std::lround(full / bitrate));
  return std::clamp(group, 1, 8);
}

std::unique_ptr<ViaEncoder> ViaEncoder::Create(const std::string& path, int rate, int channels, double seconds,
                                               int bitrate) {
  if (rate < 1000 || rate > 65535 || channels < 1 || channels > 2) return nullptr;
  std::unique_ptr<ViaEncoder> e(new ViaEncoder());
  e->rate_ = rate;
  e->channels_ = channels;
  e->group_ = GroupFor(rate, channels, bitrate);
  // Audio data: 12 bytes of fields, 4 state bytes and the codes of every channel.
  const int room = kMaxChunkBytes - kAudioDataOffset - kAudioStates - 4 * channels;
  e->chunkSamples_ = std::min(8000 / channels, (room / channels) * 2);
  e->file_ = std::fopen(path.c_str(), "wb");
  if (e->file_ == nullptr) return nullptr;
  auto info = NewChunk(kKindInfo, kInfoChunkBytes);
  std::uint8_t* p = info.data();
  p[kInfoMagic] = 'V';
  p[kInfoMagic + 1] = 'I';
  p[kInfoMagic + 2] = 'A';
  p[kInfoMagic + 3] = '1';
  Put16(p + kInfoCodec, 1);
  Put16(p + kInfoGroup, static_cast<unsigned>(e->group_));
  Put16(p + kInfoChannels, static_cast<unsigned>(channels));
  Put16(p + kInfoRate, static_cast<unsigned>(rate));
  Put32(p + kInfoBitrateAsked, static_cast<std::uint32_t>(std::max(bitrate, 0)));
  Put32(p + kInfoBitrate, static_cast<std::uint32_t>(4 * channels * rate / e->group_));
  Put16(p + kInfoSeconds, static_cast<unsigned>(std::clamp(seconds, 0.0, 65535.0)));
  if (!e->WriteBytes(info)) return nullptr;
  return e;
}

ViaEncoder::~ViaEncoder() {
  if (file_ != nullptr) std::fclose(file_);
}

bool ViaEncoder::WriteBytes(const std::vector<std::uint8_t>& bytes) {
  if (failed_ || file_ == nullptr) return false;
  if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) {
    failed_ = true;
    return false;
  }
  written_ += static_cast<long>(bytes.size());
  return true;
}

bool ViaEncoder::SetChunkMilliseconds(int ms) {
  if (ms <= 0) return false;
  const int samples = static_cast<int>(static_cast<std::int64_t>(rate_) * ms / 1000 / group_);
  if (samples >= 2) chunkSamples_ = std::min(chunkSamples_, samples);
  return true;
}

bool ViaEncoder::SetMetaData(const VIA_MetaData& meta) { return WriteBytes(MetaChunk(meta)); }

bool ViaEncoder::AddSample(const int* values) {
  if (codes_[0].empty()) {
    for (int c = 0; c < channels_; ++c) chunkStart_[c] = state_[c];
  }
  for (int c = 0; c < channels_; ++c) codes_[c].push_back(ImaEncode(state_[c], values[c]));
  if (static_cast<int>(codes_[0].size()) >= chunkSamples_) return WriteAudioChunk(false);
  return true;
}

bool ViaEncoder::WriteAudioChunk(bool last) {
  const std::size_t n = codes_[0].size();
  const std::size_t perChannel = (n + 1) / 2;
  auto chunk = NewChunk(kKindAudio, kAudioDataOffset + kAudioStates + 4 * channels_ + perChannel * channels_);
  std::uint8_t* d = chunk.data() + kAudioDataOffset;
  Put32(d + kAudioSamples, static_cast<std::uint32_t>(n));
  d[kAudioFlags] = last ? kFlagLast : 0;
  Put32(d + kAudioTotal, last ? totalFrames_ : 0);
  std::uint8_t* s = d + kAudioStates;
  for (int c = 0; c < channels_; ++c) {
    Put16(s + 4 * c, static_cast<unsigned>(chunkStart_[c].predictor & 0xFFFF));
    s[4 * c + 2] = static_cast<std::uint8_t>(chunkStart_[c].index);
  }
  std::uint8_t* codes = s + 4 * channels_;
  for (int c = 0; c < channels_; ++c) {
    for (std::size_t i = 0; i < n; ++i) {
      const std::uint8_t code = codes_[c][i] & 15;
      codes[c * perChannel + i / 2] |= static_cast<std::uint8_t>((i & 1) ? code << 4 : code);
    }
    codes_[c].clear();
  }
  return WriteBytes(chunk);
}

bool ViaEncoder::Encode(const void* pcm, int bytes) {
  if (failed_ || flushed_) return false;
  if (bytes == 0) {
    if (groupFrames_ > 0) {
      int values[2];
      for (int c = 0; c < channels_; ++c) values[c] = static_cast<int>(groupSum_[c] / groupFrames_);
      groupFrames_ = 0;
      groupSum_[0] = groupSum_[1] = 0;
      if (codes_[0].empty()) {
        for (int c = 0; c < channels_; ++c) chunkStart_[c] = state_[c];
      }
      for (int c = 0; c < channels_; ++c) codes_[c].push_back(ImaEncode(state_[c], values[c]));
    }
    if (codes_[0].empty()) {
      for (int c = 0; c < channels_; ++c) chunkStart_[c] = state_[c];
    }
    flushed_ = true;
    return WriteAudioChunk(true);
  }
  if (pcm == nullptr || bytes < 0) return false;
  const auto* in = static_cast<const std::uint8_t*>(pcm);
  const int frameBytes = 2 * channels_;
  std::int16_t frame[2];
  int off = 0;
  if (partialBytes_ > 0) {
    const int take = std::min(frameBytes - partialBytes_, bytes);
    std::memcpy(partial_ + partialBytes_, in, static_cast<std::size_t>(take));
    partialBytes_ += take;
    off = take;
    if (partialBytes_ < frameBytes) return true;
    std::memcpy(frame, partial_, static_cast<std::size_t>(frameBytes));
    partialBytes_ = 0;
    if (!AddFrame(frame)) return false;
  }
  for (; off + frameBytes <= bytes; off += frameBytes) {
    // The caller's buffer need not be aligned for 16-bit reads.
    std::memcpy(frame, in + off, static_cast<std::size_t>(frameBytes));
    if (!AddFrame(frame)) return false;
  }
  partialBytes_ = bytes - off;
  std::memcpy(partial_, in + off, static_cast<std::size_t>(partialBytes_));
  return true;
}

bool ViaEncoder::AddFrame(const std::int16_t* frame) {
  for (int c = 0; c < channels_; ++c) groupSum_[c] += frame[c];
  ++totalFrames_;
  if (++groupFrames_ < group_) return true;
  int values[2];
  for (int c = 0; c < channels_; ++c) values[c] = static_cast<int>(groupSum_[c] / group_);
  groupFrames_ = 0;
  groupSum_[0] = groupSum_[1] = 0;
  return AddSample(values);
}

bool ViaEncoder::Stop() {
  if (file_ == nullptr) return false;
  if (!flushed_) Encode(nullptr, 0);
  // The stream information learns the true length now that it is known.
  std::uint8_t total[4];
  Put32(total, totalFrames_);
  std::uint8_t secs[2];
  Put16(secs, static_cast<unsigned>(std::min<std::uint32_t>(
                  static_cast<std::uint32_t>(std::lround(static_cast<double>(totalFrames_) / rate_)), 65535)));
  bool ok = !failed_;
  ok = ok && std::fseek(file_, kInfoTotalFrames, SEEK_SET) == 0 && std::fwrite(total, 1, 4, file_) == 4;
  ok = ok && std::fseek(file_, kInfoSeconds, SEEK_SET) == 0 && std::fwrite(secs, 1, 2, file_) == 2;
  ok = (std::fclose(file_) == 0) && ok;
  file_ = nullptr;
  return ok;
}

}  // namespace TYX::Via
