#include "convert/rip_log.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace TYX::Convert {

namespace {

std::string Hex(std::uint32_t v) {
  char s[16];
  std::snprintf(s, sizeof s, "%08" PRIX32, v);
  return s;
}

std::string BaseName(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

bool TYX_RipLogTrack::Differs() const {
  return verified && hasEarlier &&
         (sums.crc32 != earlier.sums.crc32 || sums.accurateRipV1 != earlier.sums.accurateRipV1 ||
          sums.accurateRipV2 != earlier.sums.accurateRipV2 || sums.frames != earlier.sums.frames);
}

std::string TYX_RipLog::LengthText(std::int64_t bytes) {
  if (bytes < 0) bytes = 0;
  const std::int64_t sectors = bytes / 2352;
  char s[32];
  std::snprintf(s, sizeof s, "%" PRId64 ":%02" PRId64 ".%02" PRId64, sectors / (75 * 60), (sectors / 75) % 60,
                sectors % 75);
  return s;
}

std::string TYX_RipLog::Now() {
  const std::time_t t = std::time(nullptr);
  std::tm tm{};
  localtime_r(&t, &tm);
  char s[32];
  std::strftime(s, sizeof s, "%Y-%m-%d %H:%M:%S", &tm);
  return s;
}

std::vector<int> TYX_RipLog::DifferingTracks() const {
  std::vector<int> out;
  for (const auto& t : tracks) {
    if (t.Differs()) out.push_back(t.track);
  }
  return out;
}

std::string TYX_RipLog::Text() const {
  std::string s;
  s += "Sonvar CD rip log\n\n";
  s += "Started:  " + started + "\n";
  s += "Drive:    " + drive + "\n";
  s += "Disc:     " + discId + "\n";
  s += "Artist:   " + artist + "\n";
  s += "Album:    " + album + "\n";
  s += "Format:   " + format + "\n";
  s += "Folder:   " + folder + "\n";
  s += "Checksums are taken over the track's PCM as read, without read-offset correction.\n\n";
  int ripped = 0;
  int failed = 0;
  int same = 0;
  for (const auto& t : tracks) {
    char head[32];
    std::snprintf(head, sizeof head, "Track %02d\n", t.track + 1);
    s += head;
    s += "  Length:          " + LengthText(t.lengthBytes) + " (" + std::to_string(t.lengthBytes) + " bytes)\n";
    s += "  File:            " + (t.target.empty() ? std::string("-") : BaseName(t.target)) + "\n";
    if (t.verified) {
      s += "  CRC32:           " + Hex(t.sums.crc32) + "\n";
      s += "  AccurateRip v1:  " + Hex(t.sums.accurateRipV1) + "\n";
      s += "  AccurateRip v2:  " + Hex(t.sums.accurateRipV2) + "\n";
    }
    std::string result;
    switch (t.state) {
      case TYX_RipLogTrack::State::Waiting: result = "not ripped"; break;
      case TYX_RipLogTrack::State::Cancelled: result = "cancelled"; break;
      case TYX_RipLogTrack::State::Failed: result = "rip failed: " + t.failure; break;
      case TYX_RipLogTrack::State::Ripped:
        ++ripped;
        if (!t.verified) {
          result = "ripped, not verified: " + t.verifyError;
        } else if (!t.hasEarlier) {
          result = "ripped; first verified rip of this track";
        } else if (t.Differs()) {
          result = "ripped; DIFFERS from the rip of " + t.earlier.when + " (" + BaseName(t.earlier.target) +
                   ": CRC32 " + Hex(t.earlier.sums.crc32) + ", AccurateRip v1 " + Hex(t.earlier.sums.accurateRipV1) +
                   ", v2 " + Hex(t.earlier.sums.accurateRipV2) + ")";
        } else {
          ++same;
          result = "ripped; same checksums as the rip of " + t.earlier.when;
        }
        break;
    }
    if (t.state == TYX_RipLogTrack::State::Failed) ++failed;
    s += "  Result:          " + result + "\n\n";
  }
  const std::vector<int> differing = DifferingTracks();
  s += "Tracks ripped: " + std::to_string(ripped) + " of " + std::to_string(tracks.size()) +
       ", failed: " + std::to_string(failed) + ", same as before: " + std::to_string(same) + "\n";
  if (differing.empty()) {
    s += "No track differs from an earlier rip.\n";
  } else {
    s += "Tracks that differ from an earlier rip:";
    for (int t : differing) {
      char n[16];
      std::snprintf(n, sizeof n, " %02d", t + 1);
      s += n;
    }
    s += "\n";
  }
  return s;
}

bool TYX_RipLog::WriteTextFile(const std::string& path, const std::string& text, std::string* error) {
  const std::string temp = path + ".part";
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) {
    if (error) *error = "cannot create " + temp + ": " + std::strerror(errno);
    return false;
  }
  std::size_t done = 0;
  int failure = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      failure = errno;
      break;
    }
    done += static_cast<std::size_t>(n);
  }
  if (failure == 0 && ::fsync(fd) != 0) failure = errno;
  if (::close(fd) != 0 && failure == 0) failure = errno;
  if (failure == 0 && ::rename(temp.c_str(), path.c_str()) != 0) failure = errno;
  if (failure != 0) {
    ::unlink(temp.c_str());
    if (error) *error = "cannot write " + path + ": " + std::strerror(failure);
    return false;
  }
  return true;
}

}  // namespace TYX::Convert
