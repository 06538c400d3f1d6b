#pragma once
// Shared set-up of the media tests: one synthesised file per format, made once per program.
#include <string>
#include <vector>

#include "helpers/media_fixtures.h"
#include "helpers/temp_dir.h"

namespace TYX::Test {

struct FormatCase {
  SynthFormat format;
  const char* ext;
};

inline const std::vector<FormatCase>& AllFormats() {
  static const std::vector<FormatCase> kAll = {
      {SynthFormat::MP3, "mp3"}, {SynthFormat::OGG, "ogg"}, {SynthFormat::WMA, "wma"}, {SynthFormat::WAV, "wav"}};
  return kAll;
}

// A pristine synthesised file of the format (2 s, 44.1 kHz stereo, 128 kbps), made on first use and
// kept for the program's life. Tests copy it before changing anything.
const std::string& PristineFile(SynthFormat format);
// Copies the pristine file of the format into the folder under the name and returns the new path.
std::string CopyPristine(const TempDir& dir, SynthFormat format, const std::string& name);

inline std::string CaseName(SynthFormat f) { return SynthExtension(f); }

}  // namespace TYX::Test
