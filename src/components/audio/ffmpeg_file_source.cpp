#include "components/audio/ffmpeg_file_source.h"

#include <algorithm>
#include <cstring>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

#include "components/audio/audio_error.h"
#include "components/audio/av_error_text.h"

namespace TYX::Audio {

std::unique_ptr<FfmpegFileSource> FfmpegFileSource::Open(const std::string& path, bool asfOnly,
                                                         int* errorCode, std::string* errorText) {
  auto fail = [&](int code, std::string text) -> std::unique_ptr<FfmpegFileSource> {
    if (errorCode) *errorCode = code;
    if (errorText) *errorText = std::move(text);
    return nullptr;
  };
  std::unique_ptr<FfmpegFileSource> src(new FfmpegFileSource());
  int r = avformat_open_input(&src->fmt_, path.c_str(), nullptr, nullptr);
  if (r < 0) {
    src->fmt_ = nullptr;
    return fail(r == AVERROR(ENOENT) || r == AVERROR(EACCES) ? BASS_ERROR_FILEOPEN : BASS_ERROR_FILEFORM,
                "cannot open " + path + ": " + AvErrorText(r));
  }
  if (asfOnly && std::strcmp(src->fmt_->iformat->name, "asf") != 0) {
    return fail(BASS_ERROR_FILEFORM, path + " is not an ASF file");
  }
  r = avformat_find_stream_info(src->fmt_, nullptr);
  if (r < 0) return fail(BASS_ERROR_FILEFORM, "no stream information in " + path + ": " + AvErrorText(r));
  const AVCodec* codec = nullptr;
  src->stream_ = av_find_best_stream(src->fmt_, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
  if (src->stream_ < 0 || codec == nullptr) return fail(BASS_ERROR_FILEFORM, "no audio stream in " + path);
  AVStream* st = src->fmt_->streams[src->stream_];
  src->dec_ = avcodec_alloc_context3(codec);
  if (src->dec_ == nullptr) return fail(BASS_ERROR_MEM, "out of memory");
  r = avcodec_parameters_to_context(src->dec_, st->codecpar);
  if (r < 0) return fail(BASS_ERROR_CODEC, "bad codec parameters: " + AvErrorText(r));
  r = avcodec_open2(src->dec_, codec, nullptr);
  if (r < 0) return fail(BASS_ERROR_CODEC, "cannot open decoder: " + AvErrorText(r));
  src->rate_ = src->dec_->sample_rate;
  int inChannels = src->dec_->ch_layout.nb_channels;
  if (src->rate_ <= 0 || inChannels <= 0) return fail(BASS_ERROR_FORMAT, "unknown sample format in " + path);
  src->channels_ = std::min(inChannels, 2);
  double seconds = -1;
  if (st->duration != AV_NOPTS_VALUE && st->duration > 0) {
    seconds = static_cast<double>(st->duration) * av_q2d(st->time_base);
  } else if (src->fmt_->duration != AV_NOPTS_VALUE && src->fmt_->duration > 0) {
    seconds = static_cast<double>(src->fmt_->duration) / AV_TIME_BASE;
  }
  if (seconds >= 0) {
    src->lengthBytes_ = static_cast<std::int64_t>(seconds * src->rate_ + 0.5) * src->channels_ * 2;
  }
  src->pkt_ = av_packet_alloc();
  src->frame_ = av_frame_alloc();
  if (src->pkt_ == nullptr || src->frame_ == nullptr) return fail(BASS_ERROR_MEM, "out of memory");
  // No duration in the headers (a WAV with no data has none): a source that ends before its first sample
  // is known to be empty. What this decodes stays pending for the first read.
  if (src->lengthBytes_ < 0 && !src->DecodeMore() && src->eof_ && !src->failed_) src->lengthBytes_ = 0;
  return src;
}

FfmpegFileSource::~FfmpegFileSource() {
  av_frame_free(&frame_);
  av_packet_free(&pkt_);
  swr_free(&swr_);
  avcodec_free_context(&dec_);
  if (fmt_ != nullptr) avformat_close_input(&fmt_);
}

bool FfmpegFileSource::ConvertFrame() {
  const int inFormat = frame_->format;
  const int inRate = frame_->sample_rate > 0 ? frame_->sample_rate : rate_;
  const int inChannels = frame_->ch_layout.nb_channels;
  if (swr_ == nullptr || inFormat != swrInFormat_ || inRate != swrInRate_ || inChannels != swrInChannels_) {
    if (swr_ != nullptr) DrainResampler();
    swr_free(&swr_);
    AVChannelLayout outLayout;
    av_channel_layout_default(&outLayout, channels_);
    AVChannelLayout inLayout;
    if (frame_->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC) {
      av_channel_layout_default(&inLayout, inChannels);
    } else {
      av_channel_layout_copy(&inLayout, &frame_->ch_layout);
    }
    int r = swr_alloc_set_opts2(&swr_, &outLayout, AV_SAMPLE_FMT_S16, rate_, &inLayout,
                                static_cast<AVSampleFormat>(inFormat), inRate, 0, nullptr);
    av_channel_layout_uninit(&inLayout);
    av_channel_layout_uninit(&outLayout);
    if (r < 0 || swr_init(swr_) < 0) return false;
    swrInFormat_ = inFormat;
    swrInRate_ = inRate;
    swrInChannels_ = inChannels;
  }
  const int maxOut = swr_get_out_samples(swr_, frame_->nb_samples);
  if (maxOut < 0) return false;
  const std::size_t frameBytes = static_cast<std::size_t>(channels_) * 2;
  const std::size_t old = pending_.size();
  pending_.resize(old + static_cast<std::size_t>(maxOut) * frameBytes);
  std::uint8_t* out = pending_.data() + old;
  int got = swr_convert(swr_, &out, maxOut, const_cast<const std::uint8_t**>(frame_->extended_data),
                        frame_->nb_samples);
  if (got < 0) {
    pending_.resize(old);
    return false;
  }
  pending_.resize(old + static_cast<std::size_t>(got) * frameBytes);
  return true;
}

bool FfmpegFileSource::DrainResampler() {
  if (swr_ == nullptr) return true;
  const std::size_t frameBytes = static_cast<std::size_t>(channels_) * 2;
  for (;;) {
    const int room = 4096;
    const std::size_t old = pending_.size();
    pending_.resize(old + room * frameBytes);
    std::uint8_t* out = pending_.data() + old;
    int got = swr_convert(swr_, &out, room, nullptr, 0);
    if (got <= 0) {
      pending_.resize(old);
      return got == 0;
    }
    pending_.resize(old + static_cast<std::size_t>(got) * frameBytes);
  }
}

bool FfmpegFileSource::DecodeMore() {
  if (eof_ || failed_) return false;
  for (;;) {
    int r = avcodec_receive_frame(dec_, frame_);
    if (r == 0) {
      bool ok = ConvertFrame();
      av_frame_unref(frame_);
      if (!ok) {
        failed_ = true;
        return false;
      }
      if (pending_.size() > pendingOff_) return true;
      continue;
    }
    if (r == AVERROR_EOF) {
      DrainResampler();
      eof_ = true;
      return pending_.size() > pendingOff_;
    }
    if (r != AVERROR(EAGAIN)) {
      failed_ = true;
      return false;
    }
    if (draining_) {
      // The decoder asks for input after the flush packet: nothing more will come.
      DrainResampler();
      eof_ = true;
      return pending_.size() > pendingOff_;
    }
    r = av_read_frame(fmt_, pkt_);
    if (r < 0) {
      // End of file, or an unreadable tail: decode what the decoder still holds.
      draining_ = true;
      avcodec_send_packet(dec_, nullptr);
      continue;
    }
    if (pkt_->stream_index == stream_) {
      r = avcodec_send_packet(dec_, pkt_);
      // A damaged packet is skipped, as players do; other failures end the decode.
      if (r < 0 && r != AVERROR_INVALIDDATA && r != AVERROR(EAGAIN)) {
        av_packet_unref(pkt_);
        failed_ = true;
        return false;
      }
    }
    av_packet_unref(pkt_);
  }
}

int FfmpegFileSource::Read(void* buffer, int bytes) {
  const int frameBytes = channels_ * 2;
  bytes -= bytes % frameBytes;
  if (bytes <= 0 || ended_) return failed_ ? -1 : 0;
  auto* out = static_cast<std::uint8_t*>(buffer);
  int done = 0;
  while (done < bytes) {
    if (pendingOff_ >= pending_.size()) {
      pending_.clear();
      pendingOff_ = 0;
      if (!DecodeMore()) break;
    }
    std::size_t take = std::min(pending_.size() - pendingOff_, static_cast<std::size_t>(bytes - done));
    std::memcpy(out + done, pending_.data() + pendingOff_, take);
    pendingOff_ += take;
    done += static_cast<int>(take);
  }
  position_ += done;
  if (pendingOff_ >= pending_.size() && (eof_ || failed_)) ended_ = true;
  if (done == 0 && failed_) return -1;
  return done;
}

}  // namespace TYX::Audio
