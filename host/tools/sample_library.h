#pragma once
// The demo's sample set, made on the spot so the main job runs on a bare machine: a few tagged songs
// in MP3, Ogg Vorbis and WAV, one untagged song, a damaged MP3, a MIDI ringtone and an audio CD image (cue/bin).
#include <string>
#include <vector>

namespace TYX::Host {

struct SampleSet {
  std::vector<std::string> files;  // audio files and ringtones, in the order they were made
  std::string cdImage;             // the cue sheet of the CD image
};

class SampleLibrary {
 public:
  // Writes the sample set under folder. Throws std::runtime_error when a file cannot be made.
  static SampleSet Synthesise(const std::string& folder);
  // The audio files and ringtones found under a folder (recursively), sorted by path.
  static std::vector<std::string> FindAudioFiles(const std::string& folder);
};

}  // namespace TYX::Host
