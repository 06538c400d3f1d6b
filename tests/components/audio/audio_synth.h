#pragma once
// Audio that the tests make themselves: tones, WAV files, files encoded with FFmpeg's encoders, CD
// images (cue/bin), and an independent FFmpeg decode with correlation to compare results.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libswresample/swresample.h>
}

namespace TYX::Test::Synth {

struct Pcm {
  int rate = 44100;
  int channels = 2;
  std::vector<std::int16_t> samples;  // interleaved
  std::size_t Frames() const { return channels ? samples.size() / channels : 0; }
  double Seconds() const { return rate ? static_cast<double>(Frames()) / rate : 0; }
  std::vector<std::int16_t> Channel(int c) const {
    std::vector<std::int16_t> out(Frames());
    for (std::size_t i = 0; i < out.size(); ++i) out[i] = samples[i * channels + c];
    return out;
  }
};

// A sweep and its near octave per channel (the right channel higher, so a swap shows), with a slow swell.
inline Pcm Tone(int rate, int channels, double seconds, double freq = 440.0) {
  Pcm p;
  p.rate = rate;
  p.channels = channels;
  const std::size_t frames = static_cast<std::size_t>(seconds * rate);
  p.samples.resize(frames * channels);
  for (std::size_t i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / rate;
    const double swell = 0.75 + 0.25 * std::sin(2 * M_PI * 1.3 * t);
    for (int c = 0; c < channels; ++c) {
      // A rising sweep: unlike a steady tone it lines up with a copy of itself at one delay only.
      const double f = freq * (1.0 + 0.5 * c);
      const double phase = 2 * M_PI * (f * t + 0.5 * 600.0 * t * t);
      const double v = swell * (0.35 * std::sin(phase) + 0.15 * std::sin(2.01 * phase));
      p.samples[i * channels + c] = static_cast<std::int16_t>(std::lround(v * 32767));
    }
  }
  return p;
}

inline void Put16(std::string& s, unsigned v) {
  s.push_back(static_cast<char>(v & 0xFF));
  s.push_back(static_cast<char>((v >> 8) & 0xFF));
}
inline void Put32(std::string& s, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}
inline std::uint32_t Get32(const std::string& s, std::size_t off) {
  std::uint32_t v = 0;
  for (int i = 0; i < 4; ++i) v |= static_cast<std::uint32_t>(static_cast<unsigned char>(s[off + i])) << (8 * i);
  return v;
}
inline unsigned Get16(const std::string& s, std::size_t off) {
  return static_cast<unsigned char>(s[off]) | (static_cast<unsigned char>(s[off + 1]) << 8);
}

inline bool WriteFile(const std::string& path, const std::string& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

inline bool WriteWav(const std::string& path, const Pcm& p) {
  std::string s = "RIFF";
  const std::uint32_t data = static_cast<std::uint32_t>(p.samples.size() * 2);
  Put32(s, 36 + data);
  s += "WAVEfmt ";
  Put32(s, 16);
  Put16(s, 1);
  Put16(s, static_cast<unsigned>(p.channels));
  Put32(s, static_cast<std::uint32_t>(p.rate));
  Put32(s, static_cast<std::uint32_t>(p.rate * p.channels * 2));
  Put16(s, static_cast<unsigned>(p.channels * 2));
  Put16(s, 16);
  s += "data";
  Put32(s, data);
  s.append(reinterpret_cast<const char*>(p.samples.data()), data);
  return WriteFile(path, s);
}

// Encodes with an FFmpeg encoder into the container the path's extension names ("libmp3lame" to .mp3,
// "libvorbis" to .ogg, "wmav2" to .wma, "flac" to .flac, "aac" to .m4a).
inline bool EncodeFile(const std::string& path, const Pcm& p, const char* encoderName, int bitrate) {
  AVFormatContext* oc = nullptr;
  if (avformat_alloc_output_context2(&oc, nullptr, nullptr, path.c_str()) < 0 || !oc) return false;
  const AVCodec* codec = avcodec_find_encoder_by_name(encoderName);
  AVCodecContext* enc = codec ? avcodec_alloc_context3(codec) : nullptr;
  AVStream* st = avformat_new_stream(oc, nullptr);
  bool ok = enc && st;
  if (ok) {
    enc->sample_rate = p.rate;
    av_channel_layout_default(&enc->ch_layout, p.channels);
    enc->sample_fmt = codec->sample_fmts ? codec->sample_fmts[0] : AV_SAMPLE_FMT_S16;
    enc->bit_rate = bitrate;
    enc->time_base = AVRational{1, p.rate};
    if (oc->oformat->flags & AVFMT_GLOBALHEADER) enc->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    ok = avcodec_open2(enc, codec, nullptr) >= 0 && avcodec_parameters_from_context(st->codecpar, enc) >= 0;
  }
  SwrContext* swr = nullptr;
  if (ok) {
    st->time_base = enc->time_base;
    ok = avio_open(&oc->pb, path.c_str(), AVIO_FLAG_WRITE) >= 0 && avformat_write_header(oc, nullptr) >= 0;
  }
  if (ok) {
    AVChannelLayout in;
    av_channel_layout_default(&in, p.channels);
    ok = swr_alloc_set_opts2(&swr, &enc->ch_layout, enc->sample_fmt, p.rate, &in, AV_SAMPLE_FMT_S16, p.rate, 0,
                             nullptr) >= 0 && swr_init(swr) >= 0;
  }
  AVFrame* frame = av_frame_alloc();
  AVPacket* pkt = av_packet_alloc();
  auto drain = [&]() {
    while (avcodec_receive_packet(enc, pkt) == 0) {
      av_packet_rescale_ts(pkt, enc->time_base, st->time_base);
      pkt->stream_index = st->index;
      if (av_interleaved_write_frame(oc, pkt) < 0) ok = false;
    }
  };
  const int frameSize = ok && enc->frame_size > 0 ? enc->frame_size : 1024;
  std::int64_t pts = 0;
  // FFmpeg's WMA decoder drops its first frame of output; a frame of silence goes first, as WMA
  // encoders do.
  Pcm padded;
  if (ok && std::strcmp(encoderName, "wmav2") == 0) {
    padded = p;
    padded.samples.insert(padded.samples.begin(), static_cast<std::size_t>(frameSize) * p.channels, 0);
  }
  const Pcm& in = padded.samples.empty() ? p : padded;
  for (std::size_t off = 0; ok && off < in.Frames(); off += frameSize) {
    const int n = static_cast<int>(std::min<std::size_t>(frameSize, in.Frames() - off));
    av_frame_unref(frame);
    frame->nb_samples = (enc->codec->capabilities & AV_CODEC_CAP_VARIABLE_FRAME_SIZE) || n == frameSize ||
                                (enc->codec->capabilities & AV_CODEC_CAP_SMALL_LAST_FRAME)
                            ? n
                            : frameSize;
    frame->format = enc->sample_fmt;
    frame->sample_rate = p.rate;
    av_channel_layout_copy(&frame->ch_layout, &enc->ch_layout);
    if (av_frame_get_buffer(frame, 0) < 0) {
      ok = false;
      break;
    }
    av_samples_set_silence(frame->extended_data, 0, frame->nb_samples, p.channels, enc->sample_fmt);
    const std::uint8_t* src = reinterpret_cast<const std::uint8_t*>(in.samples.data() + off * p.channels);
    if (swr_convert(swr, frame->extended_data, n, &src, n) < 0) ok = false;
    frame->pts = pts;
    pts += frame->nb_samples;
    if (avcodec_send_frame(enc, frame) < 0) ok = false;
    drain();
  }
  if (ok) {
    avcodec_send_frame(enc, nullptr);
    drain();
    ok = av_write_trailer(oc) >= 0 && ok;
  }
  av_frame_free(&frame);
  av_packet_free(&pkt);
  swr_free(&swr);
  avcodec_free_context(&enc);
  if (oc->pb) avio_closep(&oc->pb);
  avformat_free_context(oc);
  return ok;
}

struct Decoded {
  bool ok = false;
  std::string format;  // container name
  std::string codec;
  Pcm pcm;
};

// Decodes a whole file with FFmpeg into 16-bit PCM at its own rate and channel count.
inline Decoded DecodeFile(const std::string& path) {
  Decoded d;
  AVFormatContext* fmt = nullptr;
  if (avformat_open_input(&fmt, path.c_str(), nullptr, nullptr) < 0) return d;
  const AVCodec* codec = nullptr;
  int si = avformat_find_stream_info(fmt, nullptr) >= 0 ? av_find_best_stream(fmt, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0) : -1;
  AVCodecContext* dec = si >= 0 ? avcodec_alloc_context3(codec) : nullptr;
  bool ok = dec && avcodec_parameters_to_context(dec, fmt->streams[si]->codecpar) >= 0 && avcodec_open2(dec, codec, nullptr) >= 0;
  SwrContext* swr = nullptr;
  if (ok) {
    d.format = fmt->iformat->name;
    d.codec = codec->name;
    d.pcm.rate = dec->sample_rate;
    d.pcm.channels = dec->ch_layout.nb_channels;
    AVChannelLayout out;
    av_channel_layout_default(&out, d.pcm.channels);
    ok = swr_alloc_set_opts2(&swr, &out, AV_SAMPLE_FMT_S16, dec->sample_rate, &dec->ch_layout, dec->sample_fmt,
                             dec->sample_rate, 0, nullptr) >= 0 && swr_init(swr) >= 0;
  }
  AVPacket* pkt = av_packet_alloc();
  AVFrame* frame = av_frame_alloc();
  auto receive = [&]() {
    while (avcodec_receive_frame(dec, frame) == 0) {
      const std::size_t old = d.pcm.samples.size();
      d.pcm.samples.resize(old + static_cast<std::size_t>(frame->nb_samples + 64) * d.pcm.channels);
      std::uint8_t* dst = reinterpret_cast<std::uint8_t*>(d.pcm.samples.data() + old);
      const int got = swr_convert(swr, &dst, frame->nb_samples + 64, const_cast<const std::uint8_t**>(frame->extended_data),
                                  frame->nb_samples);
      d.pcm.samples.resize(old + static_cast<std::size_t>(std::max(got, 0)) * d.pcm.channels);
      av_frame_unref(frame);
    }
  };
  while (ok && av_read_frame(fmt, pkt) >= 0) {
    if (pkt->stream_index == si) {
      avcodec_send_packet(dec, pkt);
      receive();
    }
    av_packet_unref(pkt);
  }
  if (ok) {
    avcodec_send_packet(dec, nullptr);
    receive();
  }
  d.ok = ok;
  av_packet_free(&pkt);
  av_frame_free(&frame);
  swr_free(&swr);
  avcodec_free_context(&dec);
  avformat_close_input(&fmt);
  return d;
}

struct Match {
  double correlation = 0;
  int lag = 0;  // frames by which `got` is late against `want`
};

// Best normalised correlation of two signals over lags 0..maxLag (got delayed against want), measured
// on a window in the middle of `want`.
inline Match Correlate(const std::vector<std::int16_t>& want, const std::vector<std::int16_t>& got, int maxLag,
                       int minLag = -64) {
  Match best{-2, 0};
  const std::size_t window = std::min<std::size_t>(4096, want.size() / 3);
  const std::size_t start = want.size() / 3;
  for (int lag = minLag; lag <= maxLag; ++lag) {
    double sxy = 0, sxx = 0, syy = 0;
    for (std::size_t i = start; i < start + window; ++i) {
      const long j = static_cast<long>(i) + lag;
      if (j < 0 || j >= static_cast<long>(got.size())) continue;
      const double x = want[i], y = got[static_cast<std::size_t>(j)];
      sxy += x * y;
      sxx += x * x;
      syy += y * y;
    }
    const double c = sxx > 0 && syy > 0 ? sxy / std::sqrt(sxx * syy) : 0;
    if (c > best.correlation) best = {c, lag};
  }
  return best;
}

// A cue/bin image of the given 44100 Hz stereo tracks; each track is padded to whole sectors.
inline bool WriteCueBin(const std::string& cuePath, const std::string& binPath, const std::vector<Pcm>& tracks,
                        std::vector<std::size_t>* trackBytes = nullptr) {
  std::string bin;
  std::string cue = "FILE \"" + binPath.substr(binPath.find_last_of('/') + 1) + "\" BINARY\n";
  for (std::size_t t = 0; t < tracks.size(); ++t) {
    const std::size_t sector = bin.size() / 2352;
    char line[128];
    std::snprintf(line, sizeof(line), "  TRACK %02zu AUDIO\n    INDEX 01 %02zu:%02zu:%02zu\n", t + 1, sector / (75 * 60),
                  (sector / 75) % 60, sector % 75);
    cue += line;
    std::string data(reinterpret_cast<const char*>(tracks[t].samples.data()), tracks[t].samples.size() * 2);
    data.resize((data.size() + 2351) / 2352 * 2352, '\0');
    if (trackBytes) trackBytes->push_back(data.size());
    bin += data;
  }
  return WriteFile(binPath, bin) && WriteFile(cuePath, cue);
}

}  // namespace TYX::Test::Synth
