#include "sample_library.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "contracts/media.h"
#include "convert/mp3_encoder.h"
#include "convert/ogg_encoder.h"
#include "convert/wav_writer.h"
#include "util/file_type.h"
#include "util/melody.h"

namespace TYX::Host {
namespace {

constexpr unsigned kRate = 44100;

struct SongSpec {
  const char* file;
  const char* title;
  const char* artist;
  const char* album;
  const char* genre;
  double seconds;
  double pitchHz;
};

// A soft two-note chord with a slow tremolo, so every song sounds different.
std::vector<std::int16_t> Tone(double seconds, double pitchHz) {
  const auto frames = static_cast<std::size_t>(seconds * kRate);
  std::vector<std::int16_t> pcm(frames * 2);
  for (std::size_t i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / kRate;
    const double env = 0.6 + 0.4 * std::sin(2 * M_PI * 0.5 * t);
    const double v = env * (0.3 * std::sin(2 * M_PI * pitchHz * t) + 0.2 * std::sin(2 * M_PI * pitchHz * 1.5 * t));
    pcm[2 * i] = static_cast<std::int16_t>(v * 32767 * 0.8);
    pcm[2 * i + 1] = static_cast<std::int16_t>(v * 32767 * 0.7);
  }
  return pcm;
}

void WriteWav(const std::string& path, const std::vector<std::int16_t>& pcm) {
  Convert::WavWriter wav;
  if (!wav.Open(path, kRate, 2) || !wav.Write(pcm.data(), pcm.size() * 2) || !wav.Finish())
    throw std::runtime_error("cannot write " + path);
}

void WriteMp3(const std::string& path, const std::vector<std::int16_t>& pcm) {
  Convert::Mp3Encoder mp3;
  if (mp3.Open(path, 128, 2, kRate, kRate) != 0) throw std::runtime_error("cannot write " + path);
  const int frames = static_cast<int>(pcm.size() / 2);
  for (int done = 0; done < frames; done += 4096) mp3.Encode(pcm.data() + 2 * done, std::min(4096, frames - done));
  if (!mp3.Finish()) throw std::runtime_error("cannot finish " + path);
}

void WriteOgg(const std::string& path, const std::vector<std::int16_t>& pcm) {
  Convert::OggEncoder ogg;
  if (ogg.Open(path, 1004, 2, kRate) != Convert::OggEncoder::OpenResult::kOk)
    throw std::runtime_error("cannot write " + path);
  const int frames = static_cast<int>(pcm.size() / 2);
  for (int done = 0; done < frames; done += 4096) ogg.Encode(pcm.data() + 2 * done, std::min(4096, frames - done));
  ogg.Encode(nullptr, 0);
  if (!ogg.Finish()) throw std::runtime_error("cannot finish " + path);
}

void Tag(const std::string& path, const SongSpec& s) {
  std::string error;
  TYX_MediaPtr media = TYX_Media::Instance(path, 0, &error);
  if (!media) throw std::runtime_error("cannot open " + path + " for tagging: " + error);
  media->SetTitle(s.title);
  media->SetArtist(s.artist);
  media->SetAlbum(s.album);
  media->SetGenre(s.genre);
  media->SetYear("2026");
  if (media->Save() != 0) throw std::runtime_error("cannot save the tags of " + path);
}

// A format-0 MIDI file playing a four-note chord: a ringtone of polyphony class 4.
void WriteMidi(const std::string& path) {
  std::vector<std::uint8_t> track;
  auto event = [&](std::uint8_t delta, std::uint8_t status, std::uint8_t a, std::uint8_t b) {
    for (std::uint8_t byte : {delta, status, a, b}) track.push_back(byte);
  };
  for (std::uint8_t note : {60, 64, 67, 72}) event(0, 0x90, note, 100);
  event(0x60, 0x80, 60, 0);
  for (std::uint8_t note : {64, 67, 72}) event(0, 0x80, note, 0);
  for (std::uint8_t byte : {0x00, 0xFF, 0x2F, 0x00}) track.push_back(byte);
  std::vector<std::uint8_t> file = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 0x60, 'M', 'T', 'r', 'k'};
  const auto n = static_cast<std::uint32_t>(track.size());
  for (int shift = 24; shift >= 0; shift -= 8) file.push_back(static_cast<std::uint8_t>(n >> shift));
  for (std::uint8_t byte : track) file.push_back(byte);
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

// A CD image: raw 44.1 kHz stereo tracks one after another in a .bin, each padded to whole sectors,
// and the cue sheet naming them.
std::string WriteCdImage(const std::string& folder) {
  const std::string bin = folder + "/disc.bin";
  const std::string cue = folder + "/disc.cue";
  std::ofstream data(bin, std::ios::binary);
  std::ofstream sheet(cue);
  sheet << "FILE \"disc.bin\" BINARY\n";
  std::size_t sectorsSoFar = 0;
  const double lengths[] = {4.0, 6.0, 3.0};
  const double pitches[] = {330.0, 392.0, 262.0};
  for (int t = 0; t < 3; ++t) {
    std::vector<std::int16_t> pcm = Tone(lengths[t], pitches[t]);
    std::size_t bytes = pcm.size() * 2;
    const std::size_t sectors = (bytes + 2351) / 2352;
    pcm.resize(sectors * 2352 / 2, 0);
    data.write(reinterpret_cast<const char*>(pcm.data()), static_cast<std::streamsize>(pcm.size() * 2));
    const std::size_t m = sectorsSoFar / (75 * 60), s = (sectorsSoFar / 75) % 60, f = sectorsSoFar % 75;
    char index[64];
    std::snprintf(index, sizeof index, "    INDEX 01 %02zu:%02zu:%02zu\n", m, s, f);
    sheet << "  TRACK " << (t < 9 ? "0" : "") << (t + 1) << " AUDIO\n" << index;
    sectorsSoFar += sectors;
  }
  if (!data || !sheet) throw std::runtime_error("cannot write the CD image under " + folder);
  return cue;
}

}  // namespace

SampleSet SampleLibrary::Synthesise(const std::string& folder) {
  namespace fs = std::filesystem;
  fs::create_directories(folder + "/music");
  fs::create_directories(folder + "/ringtones");
  fs::create_directories(folder + "/cd");
  const SongSpec songs[] = {
      {"music/봄날.mp3", "봄날", "하늘빛", "사계절", "Ballad", 5.0, 440.0},
      {"music/Night Drive.ogg", "Night Drive", "Neon Coast", "Midnight", "Electronic", 4.0, 523.25},
      {"music/Morning.wav", "Morning", "Neon Coast", "Midnight", "Electronic", 3.0, 349.23},
      {"music/여름밤.mp3", "여름밤", "하늘빛", "사계절", "Ballad", 6.0, 392.0},
  };
  SampleSet set;
  for (const SongSpec& s : songs) {
    const std::string path = folder + "/" + s.file;
    const std::vector<std::int16_t> pcm = Tone(s.seconds, s.pitchHz);
    const std::string ext = fs::path(path).extension().string();
    if (ext == ".mp3") WriteMp3(path, pcm);
    else if (ext == ".ogg") WriteOgg(path, pcm);
    else WriteWav(path, pcm);
    Tag(path, s);
    set.files.push_back(path);
  }
  // A song without tags: the list shows its file name.
  const std::string untagged = folder + "/music/untitled demo.wav";
  WriteWav(untagged, Tone(2.0, 294.0));
  set.files.push_back(untagged);
  // A damaged song: an MP3 name on bytes no decoder reads.
  const std::string damaged = folder + "/music/broken.mp3";
  {
    std::ofstream out(damaged, std::ios::binary);
    for (int i = 0; i < 4096; ++i) out.put(static_cast<char>((i * 7919) & 0x7F));
    if (!out) throw std::runtime_error("cannot write " + damaged);
  }
  set.files.push_back(damaged);
  const std::string ring = folder + "/ringtones/chime.mid";
  WriteMidi(ring);
  set.files.push_back(ring);
  set.cdImage = WriteCdImage(folder + "/cd");
  return set;
}

std::vector<std::string> SampleLibrary::FindAudioFiles(const std::string& folder) {
  namespace fs = std::filesystem;
  std::vector<std::string> files;
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(folder, ec); !ec && it != fs::recursive_directory_iterator();
       it.increment(ec)) {
    if (!it->is_regular_file(ec)) continue;
    const std::string path = it->path().string();
    if (Util::GetFileType(path) != 0 || Util::IsMelody(path)) files.push_back(path);
  }
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace TYX::Host
