#include "import/audio_formats.h"

#include <strings.h>

namespace TYX::Library {

const std::vector<TYX_AudioFormat>& AudioFormatTable() {
  static const std::vector<TYX_AudioFormat> table = {
      {".MP3", "MPEG Audio Format", FileType::MP3},
      {".WMA", "Windows Media Audio Format", FileType::WMA},
      {".ASF", "Advanced Streaming Format", FileType::ASF},
      {".OGG", "OggVobis Format", FileType::OGG},
      {".WAV", "PCM Format", FileType::WAV},
      {".VIA", "VIA File Format", FileType::VIA},
      {".MMF", "MMF Format", FileType::MMF},
      {".AMF", "AMF Format", FileType::AMF},
      {".MA2", "MA2 Format", FileType::MA2},
      {".MA3", "MA3 Format", FileType::MA3},
      {".FLAC", "FLAC Format", FileType::FLAC},
      {".M4A", "MPEG-4 AAC Format", FileType::M4A},
      {".OPUS", "Opus Format", FileType::OPUS},
      // Ringtones: the ringtone page lists MIDI melodies beside the SMAF ones above.
      {".MID", "MIDI Format", FileType::MIDI},
      {".MIDI", "MIDI Format", FileType::MIDI},
  };
  return table;
}

bool IsAudioFileName(const std::string& name) {
  const std::string ext = ExtensionOf(FileNamePart(name));
  if (ext.empty()) return false;
  for (const TYX_AudioFormat& f : AudioFormatTable()) {
    if (::strcasecmp(f.ext, ext.c_str()) == 0) return true;
  }
  return false;
}

std::string DefaultFindFilter() { return "*.mp3;*.ogg;*.wma;*.via;*.asf;*.wav;*.flac;*.m4a;*.opus"; }

std::string FileNamePart(const std::string& path) {
  const auto slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string ExtensionOf(const std::string& name) {
  const auto dot = name.find_last_of('.');
  if (dot == std::string::npos || dot == 0) return {};  // ".mp3" alone is a hidden name, not an extension
  return name.substr(dot);
}

std::vector<std::string> SplitPatterns(const std::string& list) {
  std::vector<std::string> out;
  std::size_t start = 0;
  while (start <= list.size()) {
    std::size_t end = list.find(';', start);
    if (end == std::string::npos) end = list.size();
    std::string p = list.substr(start, end - start);
    const auto first = p.find_first_not_of(" \t");
    const auto last = p.find_last_not_of(" \t");
    if (first != std::string::npos) out.push_back(p.substr(first, last - first + 1));
    start = end + 1;
  }
  return out;
}

bool MatchesPatterns(const std::string& name, const std::vector<std::string>& patterns) {
  if (patterns.empty()) return false;
  if (patterns.front().find("*.*") != std::string::npos) return true;
  const std::string ext = ExtensionOf(FileNamePart(name));
  if (ext.empty()) return false;
  const std::string wanted = "*" + ext;
  for (const std::string& p : patterns) {
    if (::strcasecmp(p.c_str(), wanted.c_str()) == 0) return true;
  }
  return false;
}

}  // namespace TYX::Library
