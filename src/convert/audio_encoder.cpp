#include "convert/audio_encoder.h"

#include "convert/extractor_thread.h"
#include "convert/mp3_encoder.h"
#include "convert/ogg_encoder.h"
#include "convert/via_encoder.h"
#include "convert/wav_writer.h"
#include "convert/wma_encoder.h"

namespace TYX::Convert {

FormatTraits TraitsOfFormat(int format) {
  // Ogg, WMA and WAV are declared stereo, like MP3: only MP3 and VIA jobs store a target channel count,
  // so for the others the job's count is whatever an earlier conversion left (a CD rip after a mono VIA
  // conversion would come out mono).
  switch (format) {
    case EXTRACT_FORMAT_MP3:
      return {kReadBlock, false, false, true};
    case EXTRACT_FORMAT_OGG:
      return {kBufferBytes, true, true, true};
    case EXTRACT_FORMAT_WMA:
      return {kReadBlock, false, true, true};
    case EXTRACT_FORMAT_WAV:
      return {kReadBlock, false, false, true};
    case EXTRACT_FORMAT_VIA:
      return {kViaReadBlock, false, true, false};
    default:
      return {};
  }
}

std::unique_ptr<AudioEncoder> MakeEncoder(int format) {
  switch (format) {
    case EXTRACT_FORMAT_MP3:
      return std::make_unique<Mp3Encoder>();
    case EXTRACT_FORMAT_OGG:
      return std::make_unique<OggEncoder>();
    case EXTRACT_FORMAT_WMA:
      return std::make_unique<WmaEncoder>();
    case EXTRACT_FORMAT_WAV:
      return std::make_unique<WavWriter>();
    case EXTRACT_FORMAT_VIA:
      return std::make_unique<ViaEncoder>();
    default:
      return nullptr;
  }
}

}  // namespace TYX::Convert
