#include "helpers/media_fixtures.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
}

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <memory>

namespace TYX::Test {
namespace {

struct Encoding {
  const char* muxer;
  const char* encoder;
};

Encoding EncodingOf(SynthFormat f) {
  switch (f) {
    case SynthFormat::MP3: return {"mp3", "libmp3lame"};
    case SynthFormat::OGG: return {"ogg", "libvorbis"};
    case SynthFormat::WMA: return {"asf", "wmav2"};
    case SynthFormat::WAV: return {"wav", "pcm_s16le"};
    case SynthFormat::FLAC: return {"flac", "flac"};
    case SynthFormat::M4A: return {"ipod", "aac"};
    case SynthFormat::OPUS: return {"ogg", "libopus"};
  }
  return {"wav", "pcm_s16le"};
}

std::string AvError(const char* what, int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {0};
  av_strerror(code, text, sizeof text);
  return std::string(what) + ": " + text;
}

// Everything an encoding run holds, freed in any case.
struct Run {
  AVFormatContext* out = nullptr;
  AVCodecContext* codec = nullptr;
  AVFrame* frame = nullptr;
  AVPacket* packet = nullptr;
  ~Run() {
    av_packet_free(&packet);
    av_frame_free(&frame);
    avcodec_free_context(&codec);
    if (out) {
      if (out->pb) avio_closep(&out->pb);
      avformat_free_context(out);
    }
  }
};

int Drain(Run& r, AVStream* stream) {
  for (;;) {
    int rc = avcodec_receive_packet(r.codec, r.packet);
    if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF) return 0;
    if (rc < 0) return rc;
    av_packet_rescale_ts(r.packet, r.codec->time_base, stream->time_base);
    r.packet->stream_index = stream->index;
    rc = av_interleaved_write_frame(r.out, r.packet);
    if (rc < 0) return rc;
  }
}

void FillTone(AVFrame* frame, int channels, std::int64_t first, double hz, int rate) {
  const auto fmt = static_cast<AVSampleFormat>(frame->format);
  for (int i = 0; i < frame->nb_samples; ++i) {
    const double t = static_cast<double>(first + i) / rate;
    const double v = 0.3 * std::sin(2.0 * M_PI * hz * t) + 0.05 * std::sin(2.0 * M_PI * hz * 2.7 * t);
    for (int ch = 0; ch < channels; ++ch) {
      const double s = ch == 0 ? v : v * 0.8;
      switch (fmt) {
        case AV_SAMPLE_FMT_FLTP: reinterpret_cast<float*>(frame->data[ch])[i] = static_cast<float>(s); break;
        case AV_SAMPLE_FMT_FLT: reinterpret_cast<float*>(frame->data[0])[i * channels + ch] = static_cast<float>(s); break;
        case AV_SAMPLE_FMT_S16P:
          reinterpret_cast<std::int16_t*>(frame->data[ch])[i] = static_cast<std::int16_t>(s * 32767);
          break;
        case AV_SAMPLE_FMT_S16:
          reinterpret_cast<std::int16_t*>(frame->data[0])[i * channels + ch] = static_cast<std::int16_t>(s * 32767);
          break;
        case AV_SAMPLE_FMT_S32P:
          reinterpret_cast<std::int32_t*>(frame->data[ch])[i] = static_cast<std::int32_t>(s * 2147483647.0);
          break;
        default: break;
      }
    }
  }
}

}  // namespace

const char* SynthExtension(SynthFormat format) {
  switch (format) {
    case SynthFormat::MP3: return "mp3";
    case SynthFormat::OGG: return "ogg";
    case SynthFormat::WMA: return "wma";
    case SynthFormat::WAV: return "wav";
    case SynthFormat::FLAC: return "flac";
    case SynthFormat::M4A: return "m4a";
    case SynthFormat::OPUS: return "opus";
  }
  return "wav";
}

std::string SynthesizeAudio(const std::string& path, SynthFormat format, const SynthOptions& options) {
  SynthOptions o = options;
  if (format == SynthFormat::OPUS) o.sampleRate = 48000;
  const Encoding enc = EncodingOf(format);
  Run r;
  int rc = avformat_alloc_output_context2(&r.out, nullptr, enc.muxer, path.c_str());
  if (rc < 0 || !r.out) return AvError("output context", rc);
  const AVCodec* codec = avcodec_find_encoder_by_name(enc.encoder);
  if (!codec) return std::string("no encoder ") + enc.encoder;
  AVStream* stream = avformat_new_stream(r.out, nullptr);
  r.codec = avcodec_alloc_context3(codec);
  if (!stream || !r.codec) return "out of memory";
  r.codec->sample_rate = o.sampleRate;
  av_channel_layout_default(&r.codec->ch_layout, o.channels);
  r.codec->sample_fmt = codec->sample_fmts ? codec->sample_fmts[0] : AV_SAMPLE_FMT_S16;
  if (format != SynthFormat::WAV && format != SynthFormat::FLAC) r.codec->bit_rate = static_cast<std::int64_t>(o.bitRateKbps) * 1000;
  r.codec->time_base = AVRational{1, o.sampleRate};
  if (r.out->oformat->flags & AVFMT_GLOBALHEADER) r.codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  rc = avcodec_open2(r.codec, codec, nullptr);
  if (rc < 0) return AvError("open encoder", rc);
  rc = avcodec_parameters_from_context(stream->codecpar, r.codec);
  if (rc < 0) return AvError("stream parameters", rc);
  stream->time_base = r.codec->time_base;
  rc = avio_open(&r.out->pb, path.c_str(), AVIO_FLAG_WRITE);
  if (rc < 0) return AvError("open file", rc);
  // M4A files are laid out as players and shops make them: the index ("moov") before the media.
  AVDictionary* muxOptions = nullptr;
  if (format == SynthFormat::M4A) av_dict_set(&muxOptions, "movflags", "faststart", 0);
  rc = avformat_write_header(r.out, &muxOptions);
  av_dict_free(&muxOptions);
  if (rc < 0) return AvError("write header", rc);

  r.frame = av_frame_alloc();
  r.packet = av_packet_alloc();
  if (!r.frame || !r.packet) return "out of memory";
  const bool variable = (codec->capabilities & AV_CODEC_CAP_VARIABLE_FRAME_SIZE) != 0;
  const int frameSize = (r.codec->frame_size > 0 && !variable) ? r.codec->frame_size : 1024;
  const auto total = static_cast<std::int64_t>(o.seconds * o.sampleRate);
  for (std::int64_t done = 0; done < total;) {
    const int n = static_cast<int>(std::min<std::int64_t>(frameSize, total - done));
    av_frame_unref(r.frame);
    r.frame->nb_samples = (r.codec->frame_size > 0 && !variable) ? frameSize : n;
    r.frame->format = r.codec->sample_fmt;
    r.frame->sample_rate = o.sampleRate;
    rc = av_channel_layout_copy(&r.frame->ch_layout, &r.codec->ch_layout);
    if (rc < 0) return AvError("layout", rc);
    rc = av_frame_get_buffer(r.frame, 0);
    if (rc < 0) return AvError("frame buffer", rc);
    av_samples_set_silence(r.frame->data, 0, r.frame->nb_samples, o.channels, r.codec->sample_fmt);
    const int keep = r.frame->nb_samples;
    r.frame->nb_samples = n;
    FillTone(r.frame, o.channels, done, o.toneHz, o.sampleRate);
    r.frame->nb_samples = keep;
    r.frame->pts = done;
    rc = avcodec_send_frame(r.codec, r.frame);
    if (rc < 0) return AvError("encode", rc);
    rc = Drain(r, stream);
    if (rc < 0) return AvError("write packet", rc);
    done += n;
  }
  rc = avcodec_send_frame(r.codec, nullptr);
  if (rc < 0) return AvError("flush", rc);
  rc = Drain(r, stream);
  if (rc < 0) return AvError("write packet", rc);
  rc = av_write_trailer(r.out);
  if (rc < 0) return AvError("trailer", rc);
  return std::string();
}

std::vector<std::uint8_t> MakeImage(const std::string& kind, int width, int height) {
  std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width * height * 3));
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      std::uint8_t* p = &pixels[static_cast<std::size_t>((y * width + x) * 3)];
      p[0] = static_cast<std::uint8_t>(x * 255 / (width > 1 ? width - 1 : 1));
      p[1] = static_cast<std::uint8_t>(y * 255 / (height > 1 ? height - 1 : 1));
      p[2] = 128;
    }
  }
  std::vector<std::uint8_t> out;
  auto sink = [](void* ctx, void* data, int size) {
    auto* v = static_cast<std::vector<std::uint8_t>*>(ctx);
    const auto* b = static_cast<const std::uint8_t*>(data);
    v->insert(v->end(), b, b + size);
  };
  int ok = 0;
  if (kind == "png") ok = stbi_write_png_to_func(sink, &out, width, height, 3, pixels.data(), width * 3);
  if (kind == "jpg") ok = stbi_write_jpg_to_func(sink, &out, width, height, 3, pixels.data(), 90);
  if (kind == "bmp") ok = stbi_write_bmp_to_func(sink, &out, width, height, 3, pixels.data());
  if (!ok) out.clear();
  return out;
}

void WriteFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

}  // namespace TYX::Test
