#pragma once
// The worker's Ogg Vorbis output with libvorbis and libogg, in the order the worker drives them:
// set-up and header pages, analysis of PCM blocks, pages out, and the clean-up.
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "convert/audio_encoder.h"

namespace TYX::Convert {

class OggEncoder : public AudioEncoder {
 public:
  enum class OpenResult {
    kOk,
    kFileFailed,     // the target cannot be created
    kSetupRejected,  // libvorbis refused the bit rate; a quality set-up took its place
    kSetupFailed,    // libvorbis refused every set-up; nothing was written
  };

  OggEncoder();
  ~OggEncoder() override;
  OggEncoder(const OggEncoder&) = delete;
  OggEncoder& operator=(const OggEncoder&) = delete;

  // `bitrate` in kbps, above 1000 variable with quality (bitrate - 1000) / 10. Writes the header pages.
  OpenResult Open(const std::string& path, int bitrate, int channels, unsigned rate);
  // The worker's open: a refused set-up shows "error" over the main window and goes on with a middle
  // quality; 2 when the target cannot be created or no set-up is taken.
  int Open(const EncoderJob& job) override;
  // `bytes` / (2 x channels) frames.
  bool Write(const std::uint8_t* pcm, int bytes) override;
  // Analyses `frames` frames of interleaved 16-bit PCM (channel count as opened). 0 frames marks the end
  // of the stream; nothing is taken after it. False once a page could not be written.
  bool Encode(const std::int16_t* pcm, int frames);
  bool EndSignalled() const { return ended_; }
  // Marks the end if not yet done, writes the remaining pages, clears libvorbis and closes the file.
  bool Finish() override;

 private:
  void WritePages(bool flush);
  struct State;
  std::unique_ptr<State> s_;  // owned by the job's thread
  std::FILE* file_ = nullptr;
  int channels_ = 2;
  bool started_ = false;  // analysis set up: the clean-up has work to do
  bool ended_ = false;
  bool eosWritten_ = false;
  bool writeFailed_ = false;
};

}  // namespace TYX::Convert
