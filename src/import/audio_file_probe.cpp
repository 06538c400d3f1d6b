#include "import/audio_file_probe.h"

#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "import/audio_formats.h"

namespace TYX::Library {
namespace {

constexpr std::size_t kProbeBytes = 4096;

bool StartsWith(const unsigned char* p, std::size_t n, const char* magic, std::size_t off = 0) {
  const std::size_t len = std::strlen(magic);
  return n >= off + len && std::memcmp(p + off, magic, len) == 0;
}

// Bytes past an ID3v2 tag at the start, else 0.
std::size_t SkipId3(const unsigned char* p, std::size_t n) {
  if (n < 10 || !StartsWith(p, n, "ID3")) return 0;
  const std::size_t size = (std::size_t(p[6] & 0x7F) << 21) | (std::size_t(p[7] & 0x7F) << 14) |
                           (std::size_t(p[8] & 0x7F) << 7) | std::size_t(p[9] & 0x7F);
  return 10 + size + ((p[5] & 0x10) ? 10 : 0);
}

bool LooksLikeMpeg(const unsigned char* p, std::size_t n) {
  if (StartsWith(p, n, "ID3")) return true;  // the tag may be longer than the block we read
  for (std::size_t i = 0; i + 1 < n; ++i) {
    if (p[i] == 0xFF && (p[i + 1] & 0xE0) == 0xE0) return true;
  }
  return false;
}

bool LooksLike(const std::string& ext, const unsigned char* p, std::size_t n) {
  auto is = [&](const char* e) { return ::strcasecmp(ext.c_str(), e) == 0; };
  static const unsigned char kAsf[] = {0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11};
  if (is(".mp3")) return LooksLikeMpeg(p, n);
  if (is(".ogg") || is(".opus")) return StartsWith(p, n, "OggS");
  if (is(".wav")) return (StartsWith(p, n, "RIFF") || StartsWith(p, n, "RF64")) && StartsWith(p, n, "WAVE", 8);
  if (is(".wma") || is(".asf")) return n >= sizeof kAsf && std::memcmp(p, kAsf, sizeof kAsf) == 0;
  if (is(".flac")) {
    const std::size_t at = SkipId3(p, n);
    return at >= n ? StartsWith(p, n, "ID3") : StartsWith(p, n, "fLaC", at);
  }
  if (is(".m4a")) return StartsWith(p, n, "ftyp", 4);
  if (is(".mmf")) return StartsWith(p, n, "MMMD");
  if (is(".mid") || is(".midi")) return StartsWith(p, n, "MThd");
  return true;  // formats without a signature we check: any content
}

}  // namespace

TYX_ImportFailure ProbeAudioFile(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) {
    if (errno == ENOENT || errno == ENOTDIR) {
      // A link whose target is gone is a dangling entry, not a missing file.
      struct stat lst {};
      return ::lstat(path.c_str(), &lst) == 0 ? TYX_ImportFailure::Unreadable : TYX_ImportFailure::Missing;
    }
    return TYX_ImportFailure::Unreadable;
  }
  if (!S_ISREG(st.st_mode)) return TYX_ImportFailure::NotAudio;
  if (!IsAudioFileName(path)) return TYX_ImportFailure::NotAudio;
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return TYX_ImportFailure::Unreadable;
  unsigned char block[kProbeBytes];
  ssize_t got;
  do {
    got = ::read(fd, block, sizeof block);
  } while (got < 0 && errno == EINTR);
  ::close(fd);
  if (got < 0) return TYX_ImportFailure::Unreadable;
  if (got == 0) return TYX_ImportFailure::Damaged;
  return LooksLike(ExtensionOf(FileNamePart(path)), block, static_cast<std::size_t>(got))
             ? TYX_ImportFailure::None
             : TYX_ImportFailure::Damaged;
}

}  // namespace TYX::Library
