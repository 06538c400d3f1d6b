#pragma once
// Shared set-up of the media tests: one synthesised file per format, made once per program.
#include <functional>
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

// Formats the library reads and tags but the system does not convert to.
inline const std::vector<FormatCase>& LibraryFormats() {
  static const std::vector<FormatCase> kLibrary = {
      {SynthFormat::FLAC, "flac"}, {SynthFormat::M4A, "m4a"}, {SynthFormat::OPUS, "opus"}};
  return kLibrary;
}

// The sample rate of the pristine file: Opus always runs at 48 kHz.
inline unsigned PristineRate(SynthFormat f) { return f == SynthFormat::OPUS ? 48000u : 44100u; }

// A pristine synthesised file of the format (2 s, 44.1 kHz stereo, 128 kbps), made on first use and
// kept for the program's life. Tests copy it before changing anything.
const std::string& PristineFile(SynthFormat format);
// Copies the pristine file of the format into the folder under the name and returns the new path.
std::string CopyPristine(const TempDir& dir, SynthFormat format, const std::string& name);

inline std::string CaseName(SynthFormat f) { return SynthExtension(f); }

// What a forked child reported: its result code and text, or that the watchdog ended it first.
struct ChildOutcome {
  bool finished = false;
  int code = -1;
  std::string text;
};
// Runs the step in a forked child (for process-wide limits such as RLIMIT_FSIZE, and for steps that
// could block) and waits for its report at most timeoutMs; a child still running then is killed.
ChildOutcome RunInChild(const std::function<std::pair<int, std::string>()>& step, int timeoutMs = 60000);

// The names in a folder, sorted.
std::vector<std::string> FolderNames(const std::string& folder);

}  // namespace TYX::Test
