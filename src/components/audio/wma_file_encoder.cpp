#include "components/audio/wma_file_encoder.h"

#include <algorithm>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
}

#include "components/audio/audio_error.h"
#include "components/audio/av_error_text.h"

namespace TYX::Audio {

std::unique_ptr<WmaFileEncoder> WmaFileEncoder::Open(int rate, int channels, int bitrate, bool deferHeader,
                                                     const std::string& path, int* errorCode,
                                                     std::string* errorText) {
  auto fail = [&](int code, std::string text) -> std::unique_ptr<WmaFileEncoder> {
    if (errorCode) *errorCode = code;
    if (errorText) *errorText = std::move(text);
    return nullptr;
  };
  if (rate <= 0 || channels < 1 || channels > 2 || bitrate <= 0) {
    return fail(BASS_ERROR_ILLPARAM, "unsupported WMA format");
  }
  std::unique_ptr<WmaFileEncoder> e(new WmaFileEncoder());
  e->channels_ = channels;
  int r = avformat_alloc_output_context2(&e->oc_, nullptr, "asf", path.c_str());
  if (r < 0 || e->oc_ == nullptr) return fail(BASS_ERROR_CREATE, "no ASF muxer: " + AvErrorText(r));
  const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_WMAV2);
  if (codec == nullptr) return fail(BASS_ERROR_WMA_CODEC, "no wmav2 encoder");
  e->st_ = avformat_new_stream(e->oc_, nullptr);
  e->enc_ = avcodec_alloc_context3(codec);
  if (e->st_ == nullptr || e->enc_ == nullptr) return fail(BASS_ERROR_MEM, "out of memory");
  e->enc_->sample_fmt = AV_SAMPLE_FMT_FLTP;
  e->enc_->sample_rate = rate;
  av_channel_layout_default(&e->enc_->ch_layout, channels);
  e->enc_->bit_rate = bitrate;
  e->enc_->time_base = AVRational{1, rate};
  if (e->oc_->oformat->flags & AVFMT_GLOBALHEADER) e->enc_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  r = avcodec_open2(e->enc_, codec, nullptr);
  if (r < 0) return fail(BASS_ERROR_WMA_CODEC, "wmav2 refuses the format: " + AvErrorText(r));
  r = avcodec_parameters_from_context(e->st_->codecpar, e->enc_);
  if (r < 0) return fail(BASS_ERROR_WMA_CODEC, AvErrorText(r));
  e->st_->time_base = e->enc_->time_base;
  e->frameSize_ = e->enc_->frame_size > 0 ? e->enc_->frame_size : 2048;
  // FFmpeg's WMA decoder drops its first frame of output: one frame of silence goes first, so the
  // music starts where it should.
  for (int c = 0; c < channels; ++c) e->planar_[c].assign(static_cast<std::size_t>(e->frameSize_), 0.0f);
  r = avio_open(&e->oc_->pb, path.c_str(), AVIO_FLAG_WRITE);
  if (r < 0) return fail(BASS_ERROR_CREATE, "cannot create " + path + ": " + AvErrorText(r));
  e->frame_ = av_frame_alloc();
  e->pkt_ = av_packet_alloc();
  if (e->frame_ == nullptr || e->pkt_ == nullptr) return fail(BASS_ERROR_MEM, "out of memory");
  if (!deferHeader && !e->CloseTags()) return fail(BASS_ERROR_CREATE, "cannot write the ASF header");
  return e;
}

WmaFileEncoder::~WmaFileEncoder() {
  // A file that was never opened (a failed Open) has nothing to close.
  if (!closed_ && oc_ != nullptr && oc_->pb != nullptr) Close();
  av_packet_free(&pkt_);
  av_frame_free(&frame_);
  avcodec_free_context(&enc_);
  if (oc_ != nullptr) {
    if (oc_->pb != nullptr) avio_closep(&oc_->pb);
    avformat_free_context(oc_);
  }
}

bool WmaFileEncoder::SetTag(const std::string& tag, const std::string& value) {
  if (headerWritten_ || failed_) return false;
  return av_dict_set(&oc_->metadata, tag.c_str(), value.c_str(), 0) >= 0;
}

bool WmaFileEncoder::CloseTags() {
  if (headerWritten_) return !failed_;
  headerWritten_ = true;
  if (avformat_write_header(oc_, nullptr) < 0) failed_ = true;
  return !failed_;
}

bool WmaFileEncoder::Drain(bool flush) {
  for (;;) {
    int r = avcodec_receive_packet(enc_, pkt_);
    if (r == AVERROR(EAGAIN) || r == AVERROR_EOF) return true;
    if (r < 0) return false;
    av_packet_rescale_ts(pkt_, enc_->time_base, st_->time_base);
    pkt_->stream_index = st_->index;
    r = av_interleaved_write_frame(oc_, pkt_);
    av_packet_unref(pkt_);
    if (r < 0) return false;
  }
  (void)flush;
}

bool WmaFileEncoder::EncodeFrame(bool last) {
  const int n = last ? static_cast<int>(planar_[0].size()) : frameSize_;
  if (n <= 0) return true;
  av_frame_unref(frame_);
  frame_->nb_samples = n;
  frame_->format = AV_SAMPLE_FMT_FLTP;
  frame_->sample_rate = enc_->sample_rate;
  if (av_channel_layout_copy(&frame_->ch_layout, &enc_->ch_layout) < 0) return false;
  if (av_frame_get_buffer(frame_, 0) < 0) return false;
  for (int c = 0; c < channels_; ++c) {
    auto* dst = reinterpret_cast<float*>(frame_->extended_data[c]);
    std::copy(planar_[c].begin(), planar_[c].begin() + n, dst);
    planar_[c].erase(planar_[c].begin(), planar_[c].begin() + n);
  }
  frame_->pts = pts_;
  pts_ += n;
  if (avcodec_send_frame(enc_, frame_) < 0) return false;
  return Drain(false);
}

bool WmaFileEncoder::Write(const void* pcm, std::size_t bytes) {
  if (closed_ || failed_) return false;
  if (!headerWritten_ && !CloseTags()) return false;
  const auto* s = static_cast<const std::int16_t*>(pcm);
  const std::size_t frames = bytes / (2 * static_cast<std::size_t>(channels_));
  for (int c = 0; c < channels_; ++c) planar_[c].reserve(planar_[c].size() + frames);
  for (std::size_t i = 0; i < frames; ++i) {
    for (int c = 0; c < channels_; ++c) planar_[c].push_back(s[i * channels_ + c] / 32768.0f);
  }
  while (static_cast<int>(planar_[0].size()) >= frameSize_) {
    if (!EncodeFrame(false)) {
      failed_ = true;
      return false;
    }
  }
  return true;
}

bool WmaFileEncoder::Close() {
  if (closed_) return !failed_;
  closed_ = true;
  if (!headerWritten_ && !CloseTags()) return false;
  if (!failed_) {
    // The encoder takes only whole frames: the tail is padded with silence.
    if (!planar_[0].empty() && pts_ + static_cast<std::int64_t>(planar_[0].size()) > frameSize_) {
      for (int c = 0; c < channels_; ++c) planar_[c].resize(frameSize_, 0.0f);
      if (!EncodeFrame(false)) failed_ = true;
    }
    if (!failed_ && (avcodec_send_frame(enc_, nullptr) < 0 || !Drain(true))) failed_ = true;
    if (av_write_trailer(oc_) < 0) failed_ = true;
  }
  if (oc_->pb != nullptr && avio_closep(&oc_->pb) < 0) failed_ = true;
  return !failed_;
}

}  // namespace TYX::Audio
