// Seeds for the media-file target: short real files of each format made with the real encoders, bare
// and tagged (texts, an album image, a highlight), an MP3 with an ID3v1 tag, each behind its format
// byte (bit 2 set asks the target to save as well).
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "components/media/taglib_media_factory.h"
#include "contracts/media.h"
#include "helpers/media_fixtures.h"

namespace {

using TYX::Test::SynthFormat;

void WriteSeed(const std::string& folder, const std::string& name, std::uint8_t formatByte, const std::string& file) {
  const std::vector<std::uint8_t> bytes = TYX::Test::ReadBytes(file);
  std::ofstream out(folder + "/" + name, std::ios::binary);
  out.put(static_cast<char>(formatByte));
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  const std::string folder = argv[1];
  const std::string scratch = folder + "/.scratch";
  std::filesystem::create_directories(scratch);
  const struct {
    SynthFormat format;
    std::uint8_t byte;
    int sampleRate;
    int bitRate;
  } formats[] = {{SynthFormat::MP3, 0, 22050, 32}, {SynthFormat::OGG, 1, 22050, 48},
                 {SynthFormat::WMA, 2, 22050, 32}, {SynthFormat::WAV, 3, 8000, 0}};
  int made = 0;
  for (const auto& f : formats) {
    TYX::Test::SynthOptions options;
    options.seconds = 0.3;
    options.sampleRate = f.sampleRate;
    options.channels = 1;
    if (f.bitRate) options.bitRateKbps = f.bitRate;
    const std::string ext = TYX::Test::SynthExtension(f.format);
    const std::string bare = scratch + "/bare." + ext;
    const std::string error = TYX::Test::SynthesizeAudio(bare, f.format, options);
    if (!error.empty()) {
      std::fprintf(stderr, "cannot synthesise %s: %s\n", ext.c_str(), error.c_str());
      continue;
    }
    WriteSeed(folder, "bare-" + ext, f.byte, bare);
    WriteSeed(folder, "bare-save-" + ext, static_cast<std::uint8_t>(f.byte | 4), bare);
    ++made;

    const std::string tagged = scratch + "/tagged." + ext;
    std::filesystem::copy_file(bare, tagged, std::filesystem::copy_options::overwrite_existing);
    std::string openError;
    TYX::TYX_MediaPtr m = TYX::Media::OpenTagLibMedia(tagged, TYX::kMediaOpenRead, openError);
    if (!m) {
      std::fprintf(stderr, "cannot open %s: %s\n", tagged.c_str(), openError.c_str());
      continue;
    }
    m->SetTitle("봄날");
    m->SetArtist("Artist");
    m->SetAlbum("Album");
    m->SetGenre("Rock");
    m->SetReleaseDate("2004-05-01");
    m->SetComment("comment");
    m->SetLyrics("[00:01.00]line");
    m->SetExtraText("extra");
    m->SetTrack(3);
    m->SetTrackCount(9);
    m->SetDiscNumber(1);
    m->SetDiscCount(2);
    m->SetHighlight(100, 200);
    m->SetAlbumImageData(TYX::Test::MakeImage("png", 4, 4));
    if (m->Save() != 0) {
      std::fprintf(stderr, "cannot tag %s: %s\n", tagged.c_str(), m->GetLastError().c_str());
      continue;
    }
    WriteSeed(folder, "tagged-" + ext, f.byte, tagged);
    WriteSeed(folder, "tagged-save-" + ext, static_cast<std::uint8_t>(f.byte | 4), tagged);
    if (f.format == SynthFormat::MP3) {
      // The bare stream with an ID3v1 tag at its end.
      std::vector<std::uint8_t> v1 = TYX::Test::ReadBytes(bare);
      std::string tag = "TAG";
      tag.resize(128, '\0');
      tag.replace(3, 5, "Title");
      tag[126] = 4;
      tag[127] = 17;
      v1.insert(v1.end(), tag.begin(), tag.end());
      const std::string withV1 = scratch + "/v1.mp3";
      TYX::Test::WriteFileBytes(withV1, v1);
      WriteSeed(folder, "id3v1-mp3", f.byte, withV1);
    }
  }
  std::filesystem::remove_all(scratch);
  return made == 4 ? 0 : 1;
}
