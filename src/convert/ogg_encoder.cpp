#include "convert/ogg_encoder.h"

#include <cstdlib>
#include <ctime>

#include <ogg/ogg.h>
#include <vorbis/codec.h>
#include <vorbis/vorbisenc.h>

#include "platform/user_agent.h"
#include "platform/window.h"

namespace TYX::Convert {

struct OggEncoder::State {
  ogg_stream_state os;
  ogg_page og;
  ogg_packet op;
  vorbis_info vi;
  vorbis_comment vc;
  vorbis_dsp_state vd;
  vorbis_block vb;
};

OggEncoder::OggEncoder() : s_(std::make_unique<State>()) {}

OggEncoder::~OggEncoder() {
  if (file_ != nullptr || started_) Finish();
}

OggEncoder::OpenResult OggEncoder::Open(const std::string& path, int bitrate, int channels, unsigned rate) {
  channels_ = channels;
  file_ = std::fopen(path.c_str(), "wb");
  if (file_ == nullptr) return OpenResult::kFileFailed;
  OpenResult result = OpenResult::kOk;
  vorbis_info_init(&s_->vi);
  int r;
  if (bitrate > 1000) {
    r = vorbis_encode_init_vbr(&s_->vi, channels, static_cast<long>(rate), (bitrate - 1000) * 0.1f);
  } else {
    r = vorbis_encode_init(&s_->vi, channels, static_cast<long>(rate), -1, bitrate * 1000L, -1);
  }
  if (r != 0) {
    // Going on with a refused set-up would crash libvorbis: a middle quality takes its place.
    result = OpenResult::kSetupRejected;
    vorbis_info_clear(&s_->vi);
    vorbis_info_init(&s_->vi);
    if (vorbis_encode_init_vbr(&s_->vi, channels, static_cast<long>(rate), 0.4f) != 0) {
      vorbis_info_clear(&s_->vi);
      std::fclose(file_);
      file_ = nullptr;
      std::remove(path.c_str());
      return OpenResult::kSetupFailed;
    }
  }
  vorbis_comment_init(&s_->vc);
  vorbis_comment_add_tag(&s_->vc, "ENCODER", "encoding by QUILLON");
  vorbis_analysis_init(&s_->vd, &s_->vi);
  vorbis_block_init(&s_->vd, &s_->vb);
  std::srand(static_cast<unsigned>(std::time(nullptr)));
  ogg_stream_init(&s_->os, std::rand());
  started_ = true;
  ogg_packet header, comm, code;
  vorbis_analysis_headerout(&s_->vd, &s_->vc, &header, &comm, &code);
  ogg_stream_packetin(&s_->os, &header);
  ogg_stream_packetin(&s_->os, &comm);
  ogg_stream_packetin(&s_->os, &code);
  WritePages(true);
  return result;
}

int OggEncoder::Open(const EncoderJob& job) {
  const OpenResult r = Open(job.path, job.bitrate, job.channels, job.pcmRate);
  if (r == OpenResult::kSetupRejected || r == OpenResult::kSetupFailed) {
    Win::MessageBox(Win::GetMainWindow(), "error", "", Win::MB_OK);
  }
  return r == OpenResult::kFileFailed || r == OpenResult::kSetupFailed ? 2 : 0;
}

bool OggEncoder::Write(const std::uint8_t* pcm, int bytes) {
  const int frames = bytes > 0 ? bytes / (2 * channels_) : 0;
  // An empty block would tell libvorbis the stream has ended; Finish does that.
  if (frames == 0) return !writeFailed_;
  return Encode(reinterpret_cast<const std::int16_t*>(pcm), frames);
}

void OggEncoder::WritePages(bool flush) {
  for (;;) {
    const int r = flush ? ogg_stream_flush(&s_->os, &s_->og) : ogg_stream_pageout(&s_->os, &s_->og);
    if (r == 0) break;
    if (eosWritten_) continue;
    const bool a = std::fwrite(s_->og.header, 1, static_cast<std::size_t>(s_->og.header_len), file_) ==
                   static_cast<std::size_t>(s_->og.header_len);
    const bool b = std::fwrite(s_->og.body, 1, static_cast<std::size_t>(s_->og.body_len), file_) ==
                   static_cast<std::size_t>(s_->og.body_len);
    if (!a || !b) writeFailed_ = true;
    if (ogg_page_eos(&s_->og)) eosWritten_ = true;
  }
}

bool OggEncoder::Encode(const std::int16_t* pcm, int frames) {
  if (!started_ || ended_) return !writeFailed_;
  if (frames < 0) frames = 0;
  if (frames > 0) {
    float** buffer = vorbis_analysis_buffer(&s_->vd, frames);
    for (int i = 0; i < frames; ++i) {
      for (int c = 0; c < channels_; ++c) buffer[c][i] = pcm[i * channels_ + c] / 32768.0f;
    }
  } else {
    ended_ = true;
  }
  vorbis_analysis_wrote(&s_->vd, frames);
  while (vorbis_analysis_blockout(&s_->vd, &s_->vb) == 1) {
    vorbis_analysis(&s_->vb, nullptr);
    vorbis_bitrate_addblock(&s_->vb);
    while (vorbis_bitrate_flushpacket(&s_->vd, &s_->op)) {
      ogg_stream_packetin(&s_->os, &s_->op);
      WritePages(false);
    }
  }
  return !writeFailed_;
}

bool OggEncoder::Finish() {
  bool ok = !writeFailed_;
  if (started_) {
    // The last packets only leave libvorbis once it knows the stream has ended.
    if (!ended_ && file_ != nullptr) Encode(nullptr, 0);
    if (file_ != nullptr) WritePages(true);
    ok = ok && !writeFailed_;
    ogg_stream_clear(&s_->os);
    vorbis_block_clear(&s_->vb);
    vorbis_dsp_clear(&s_->vd);
    vorbis_comment_clear(&s_->vc);
    vorbis_info_clear(&s_->vi);
    started_ = false;
  }
  if (file_ != nullptr) {
    ok = std::fclose(file_) == 0 && ok;
    file_ = nullptr;
  }
  return ok;
}

}  // namespace TYX::Convert
