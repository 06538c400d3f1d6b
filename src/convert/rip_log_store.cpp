#include "convert/rip_log_store.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include "platform/os_services.h"
#include "util/file_system.h"

namespace TYX::Convert {

std::string TYX_RipLogStore::DefaultFolder() { return Win::Os::GetStateFolder() + "/rips"; }

TYX_RipLogStore::TYX_RipLogStore(std::string folder) : folder_(std::move(folder)) {}

std::string TYX_RipLogStore::DiscId(const std::vector<std::int64_t>& trackLengths) {
  std::uint32_t crc = 0;
  for (std::int64_t length : trackLengths) {
    std::uint8_t bytes[8];
    for (int i = 0; i < 8; ++i) bytes[i] = static_cast<std::uint8_t>(static_cast<std::uint64_t>(length) >> (8 * i));
    crc = TYX_AccurateRip::Crc32(crc, bytes, sizeof bytes);
  }
  char id[32];
  std::snprintf(id, sizeof id, "%03zu-%08" PRIx32, trackLengths.size(), crc);
  return id;
}

std::map<int, TYX_RipLogStore::Entry> TYX_RipLogStore::Latest(const std::string& discId) const {
  std::map<int, Entry> latest;
  std::ifstream in(FileOf(discId));
  std::string line;
  while (std::getline(in, line)) {
    // track, crc, v1, v2, frames, when, target; anything else is a torn or foreign line.
    std::vector<std::string> fields;
    std::string field;
    std::istringstream split(line);
    while (std::getline(split, field, '\t')) fields.push_back(field);
    if (fields.size() != 7) continue;
    Entry e;
    char* end = nullptr;
    errno = 0;
    const long track = std::strtol(fields[0].c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || fields[0].empty() || track < 0 || track > 99) continue;
    auto hex = [](const std::string& s, std::uint32_t& out) {
      if (s.size() != 8) return false;
      char* e2 = nullptr;
      const unsigned long v = std::strtoul(s.c_str(), &e2, 16);
      if (*e2 != '\0') return false;
      out = static_cast<std::uint32_t>(v);
      return true;
    };
    if (!hex(fields[1], e.sums.crc32) || !hex(fields[2], e.sums.accurateRipV1) || !hex(fields[3], e.sums.accurateRipV2)) {
      continue;
    }
    const unsigned long long frames = std::strtoull(fields[4].c_str(), &end, 10);
    if (*end != '\0' || fields[4].empty()) continue;
    e.track = static_cast<int>(track);
    e.sums.frames = frames;
    e.when = fields[5];
    e.target = fields[6];
    latest[e.track] = e;
  }
  return latest;
}

bool TYX_RipLogStore::Append(const std::string& discId, const Entry& entry, std::string* error) const {
  if (!Util::CreateAllFolder(folder_)) {
    if (error) *error = "cannot create the folder " + folder_;
    return false;
  }
  std::string target = entry.target;
  for (char& c : target) {
    if (c == '\t' || c == '\n' || c == '\r') c = ' ';
  }
  char head[128];
  std::snprintf(head, sizeof head, "%d\t%08" PRIx32 "\t%08" PRIx32 "\t%08" PRIx32 "\t%" PRIu64 "\t", entry.track,
                entry.sums.crc32, entry.sums.accurateRipV1, entry.sums.accurateRipV2, entry.sums.frames);
  std::string line = head + entry.when + "\t" + target + "\n";
  const std::string path = FileOf(discId);
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd < 0) {
    if (error) *error = "cannot open " + path + ": " + std::strerror(errno);
    return false;
  }
  // A line torn by an earlier crash is ended first, so it cannot swallow this one.
  const off_t size = ::lseek(fd, 0, SEEK_END);
  char last = '\n';
  if (size > 0 && ::pread(fd, &last, 1, size - 1) == 1 && last != '\n') line.insert(line.begin(), '\n');
  // One write of a whole line: a crash leaves at most a torn last line, which reading skips.
  const ssize_t written = ::write(fd, line.data(), line.size());
  const int writeErrno = errno;
  const bool closed = ::close(fd) == 0;
  if (written != static_cast<ssize_t>(line.size()) || !closed) {
    if (error) *error = "cannot write " + path + ": " + std::strerror(written < 0 ? writeErrno : ENOSPC);
    return false;
  }
  return true;
}

}  // namespace TYX::Convert
