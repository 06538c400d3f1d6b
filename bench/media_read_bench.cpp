// Tag-read rate of the media objects beside TagLib alone, on the same synthesised files.
//
// Each format gets one tagged file (every field, a 200 x 200 JPEG cover) copied 150 times. A round opens
// every copy once; the two readers alternate rounds so that both see the same page cache.
// Usage: media_read_bench [rounds]
#include <taglib/fileref.h>
#include <taglib/tag.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "components/media/taglib_media_factory.h"
#include "contracts/media.h"
#include "helpers/media_fixtures.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kCopies = 150;

struct Sink {
  std::size_t bytes = 0;
  void Add(const std::string& s) { bytes += s.size(); }
  void Add(std::uint64_t v) { bytes += static_cast<std::size_t>(v & 1); }
};

// Everything a list row and the property dialog read from a media object.
bool ReadWithMediaObject(const std::string& path, Sink& sink) {
  TYX::TYX_MediaPtr m = TYX::TYX_Media::Instance(path);
  if (!m) return false;
  for (std::uint32_t i = 0; i < static_cast<std::uint32_t>(TYX::MediaText::Count); ++i) {
    sink.Add(m->GetText(static_cast<TYX::MediaText>(i)));
  }
  sink.Add(m->GetTrack());
  sink.Add(m->GetHighlightStart());
  sink.Add(m->GetDuration());
  sink.Add(m->GetBitRate());
  sink.Add(m->GetSampleRate());
  sink.Add(m->HasAlbumImage());
  return true;
}

// The same facts through TagLib's generic interface, without the extended fields.
bool ReadWithTagLib(const std::string& path, Sink& sink) {
  TagLib::FileRef f(path.c_str(), true, TagLib::AudioProperties::Average);
  if (f.isNull() || !f.tag() || !f.audioProperties()) return false;
  const TagLib::Tag* t = f.tag();
  sink.Add(t->title().to8Bit(true));
  sink.Add(t->artist().to8Bit(true));
  sink.Add(t->album().to8Bit(true));
  sink.Add(t->genre().to8Bit(true));
  sink.Add(t->comment().to8Bit(true));
  sink.Add(t->year());
  sink.Add(t->track());
  sink.Add(static_cast<std::uint64_t>(f.audioProperties()->lengthInMilliseconds()));
  sink.Add(static_cast<std::uint64_t>(f.audioProperties()->bitrate()));
  sink.Add(static_cast<std::uint64_t>(f.audioProperties()->sampleRate()));
  return true;
}

template <typename Reader>
double TimeRound(const std::vector<std::string>& files, Reader read, Sink& sink, int& failures) {
  const auto start = Clock::now();
  for (const std::string& f : files) {
    if (!read(f, sink)) ++failures;
  }
  return std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  TYX::Media::InstallTagLibMediaFactory();
  std::string base = std::filesystem::temp_directory_path().string() + "/tyx-media-bench-XXXXXX";
  if (!mkdtemp(base.data())) return 1;

  const std::vector<std::uint8_t> cover = TYX::Test::MakeImage("jpg", 200, 200);
  const TYX::Test::SynthFormat formats[] = {TYX::Test::SynthFormat::MP3, TYX::Test::SynthFormat::OGG,
                                            TYX::Test::SynthFormat::WMA, TYX::Test::SynthFormat::WAV};
  std::printf("%-5s %10s %14s %14s %7s\n", "fmt", "files", "media obj/s", "taglib/s", "ratio");
  double totalMedia = 0;
  double totalTagLib = 0;
  std::size_t totalFiles = 0;
  int exitCode = 0;
  for (TYX::Test::SynthFormat format : formats) {
    const std::string ext = TYX::Test::SynthExtension(format);
    const std::string source = base + "/source." + ext;
    const std::string error = TYX::Test::SynthesizeAudio(source, format, {});
    if (!error.empty()) {
      std::fprintf(stderr, "cannot synthesise %s: %s\n", ext.c_str(), error.c_str());
      return 1;
    }
    {
      TYX::TYX_MediaPtr m = TYX::TYX_Media::Instance(source);
      if (!m) return 1;
      m->SetTitle("벤치마크 제목");
      m->SetArtist("Artist");
      m->SetAlbum("Album");
      m->SetGenre("Pop");
      m->SetYear("2005");
      m->SetComment("comment");
      m->SetComposer("composer");
      m->SetLabel("label");
      m->SetLyrics("lyrics line one\nline two");
      m->SetExtraText("extra");
      m->SetTrack(3);
      m->SetHighlight(10000, 20000);
      m->SetAlbumImageData(cover);
      if (m->Save() != 0) return 1;
    }
    std::vector<std::string> files;
    for (int i = 0; i < kCopies; ++i) {
      files.push_back(base + "/copy" + std::to_string(i) + "." + ext);
      std::filesystem::copy_file(source, files.back());
    }
    Sink sink;
    int failures = 0;
    TimeRound(files, ReadWithMediaObject, sink, failures);  // warm the cache
    TimeRound(files, ReadWithTagLib, sink, failures);
    double media = 0;
    double taglib = 0;
    for (int r = 0; r < rounds; ++r) {
      media += TimeRound(files, ReadWithMediaObject, sink, failures);
      taglib += TimeRound(files, ReadWithTagLib, sink, failures);
    }
    if (failures) {
      std::fprintf(stderr, "%s: %d reads failed\n", ext.c_str(), failures);
      exitCode = 1;
    }
    const double n = static_cast<double>(files.size()) * rounds;
    std::printf("%-5s %10zu %14.0f %14.0f %7.2f\n", ext.c_str(), files.size(), n / media, n / taglib, media / taglib);
    totalMedia += media;
    totalTagLib += taglib;
    totalFiles += files.size();
  }
  const double n = static_cast<double>(totalFiles) * rounds;
  std::printf("%-5s %10zu %14.0f %14.0f %7.2f   (ratio = media object time / TagLib time; target <= 1.20)\n", "all",
              totalFiles, n / totalMedia, n / totalTagLib, totalMedia / totalTagLib);
  std::error_code ec;
  std::filesystem::remove_all(base, ec);
  return exitCode;
}
