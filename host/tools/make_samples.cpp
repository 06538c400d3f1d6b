// Writes the demo's sample set into a folder: tagged songs in MP3, Ogg Vorbis and WAV, an untagged
// song, a MIDI ringtone, a damaged MP3 and an audio-CD image. Prints the CD image's cue sheet path.
//   sonvar_samples FOLDER
#include <cstdio>
#include <exception>

#include "sample_library.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: sonvar_samples FOLDER\n");
    return 2;
  }
  try {
    const TYX::Host::SampleSet set = TYX::Host::SampleLibrary::Synthesise(argv[1]);
    std::printf("%s\n", set.cdImage.c_str());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "sonvar_samples: %s\n", e.what());
    return 1;
  }
  return 0;
}
