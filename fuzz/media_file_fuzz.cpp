// Media files of any content, in each format (MP3, Ogg Vorbis, WMA, WAV; chosen by the first byte):
// opening gives an object or a reason, never a crash; every field and stream fact reads back
// consistently; and a save either succeeds with the written title readable again or fails leaving the
// file byte for byte.
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "components/media/taglib_media_factory.h"
#include "contracts/media.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

const char* const kExtensions[] = {"mp3", "ogg", "wma", "wav"};

// One folder for the run's files, removed at exit (kept alive until then on purpose).
const std::string& WorkFolder() {
  static const std::string* const folder = [] {
    std::string pattern = (access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") + std::string("/tyx_media_fuzz_XXXXXX");
    if (!mkdtemp(pattern.data())) abort();
    auto* kept = new std::string(pattern);
    std::atexit([] {
      std::error_code ec;
      std::filesystem::remove_all(WorkFolder(), ec);
    });
    return kept;
  }();
  return *folder;
}

void WriteAll(const std::string& path, const std::uint8_t* data, std::size_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  if (!out) abort();
}

Bytes ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void ReadEveryField(const TYX::TYX_Media& m, std::size_t fileSize) {
  for (std::uint32_t i = 0; i < static_cast<std::uint32_t>(TYX::MediaText::Count); ++i) {
    (void)m.GetText(static_cast<TYX::MediaText>(i)).size();
  }
  for (std::uint32_t i = 0; i < static_cast<std::uint32_t>(TYX::MediaNumber::Count); ++i) {
    (void)m.GetNumber(static_cast<TYX::MediaNumber>(i));
  }
  if (m.GetDuration() != m.GetDurationMs() / 1000) abort();
  if (m.GetFileSize() != fileSize) abort();
  if (m.GetSampleRate() == 0 || m.GetChannels() == 0) abort();  // only credible streams open
  if (m.GetFormatText().empty() || m.GetChannelText().empty()) abort();
  (void)m.GetBitRate();
  std::string mime;
  const Bytes image = m.GetAlbumImageData(&mime);
  if (m.HasAlbumImage() != !image.empty()) abort();
  if (image.empty()) {
    if (!m.GetAlbumImagePath().empty()) abort();
    return;
  }
  // The handed-out file holds exactly the embedded bytes.
  const std::string path = m.GetAlbumImagePath();
  if (path.empty()) abort();
  if (ReadAll(path) != image) abort();
  std::remove(path.c_str());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const int format = data[0] & 3;
  const bool save = (data[0] & 4) != 0;
  const std::string path = WorkFolder() + "/input." + kExtensions[format];
  WriteAll(path, data + 1, size - 1);

  std::string error;
  TYX::TYX_MediaPtr m = TYX::Media::OpenTagLibMedia(path, TYX::kMediaOpenRead, error);
  if (!m) {
    if (error.empty()) abort();  // a refusal always says why
    return 0;
  }
  if (!error.empty()) abort();
  ReadEveryField(*m, size - 1);
  if (!save) return 0;

  m->SetTitle("fuzz title");
  m->SetHighlight(1000, 2000);
  if (m->Save() != 0) {
    if (m->GetLastError().empty()) abort();
    const Bytes now = ReadAll(path);
    if (now.size() != size - 1 || !std::equal(now.begin(), now.end(), data + 1)) abort();  // a failed save changed the file
    return 0;
  }
  TYX::TYX_MediaPtr again = TYX::Media::OpenTagLibMedia(path, TYX::kMediaOpenRead, error);
  if (!again) abort();  // a saved file no longer parses
  if (again->GetTitle() != "fuzz title" || again->GetHighlightStart() != 1000) abort();
  if (again->GetDurationMs() != m->GetDurationMs()) abort();
  ReadEveryField(*again, ReadAll(path).size());
  return 0;
}
