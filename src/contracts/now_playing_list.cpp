#include "contracts/now_playing_list.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include "contracts/media.h"

namespace TYX {

namespace {

constexpr char kMagic[] = "sonvar-now-playing 1";

std::string ErrnoText(const std::string& what, const std::string& file) {
  return what + " " + file + ": " + std::strerror(errno);
}

bool ParseState(const std::string& text, std::uint32_t* state) {
  if (text.empty() || text.size() > 10) return false;
  std::uint64_t v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + static_cast<std::uint64_t>(c - '0');
  }
  if (v > 0xFFFFFFFFull) return false;
  *state = static_cast<std::uint32_t>(v);
  return true;
}

}  // namespace

void TYX_NowPlayingList::SetLastPlayState(std::shared_ptr<TYX_Media> media, std::uint32_t playState) {
  path_ = media ? media->GetPath() : std::string();
  media_ = std::move(media);
  playState_ = playState;
  hasState_ = true;
}

bool TYX_NowPlayingList::GetLastPlayState(std::shared_ptr<TYX_Media>* media, std::uint32_t* playState) const {
  if (media != nullptr) *media = media_;
  if (playState != nullptr) *playState = hasState_ ? playState_ : kNoState;
  return hasState_;
}

bool TYX_NowPlayingList::Load(const std::string& file, std::string* error) {
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    if (errno == ENOENT) return true;  // nothing kept yet
    if (error != nullptr) *error = ErrnoText("cannot read", file);
    return false;
  }
  std::string magic, stateLine, pathLine;
  std::getline(in, magic);
  std::getline(in, stateLine);
  std::getline(in, pathLine);
  std::uint32_t state = kNoState;
  if (magic != kMagic || stateLine.rfind("state ", 0) != 0 || pathLine.rfind("path ", 0) != 0 ||
      !ParseState(stateLine.substr(6), &state)) {
    if (error != nullptr) *error = "not a now-playing state file: " + file;
    return false;
  }
  media_.reset();
  path_ = pathLine.substr(5);
  playState_ = state;
  hasState_ = true;
  return true;
}

bool TYX_NowPlayingList::Save(const std::string& file, std::string* error) const {
  if (!hasState_ && ::access(file.c_str(), F_OK) != 0) return true;
  // A path with a line break cannot be written in this format; such a state is not kept.
  if (path_.find_first_of("\r\n") != std::string::npos) {
    if (error != nullptr) *error = "the song's path holds a line break; state not kept";
    return false;
  }
  std::ostringstream body;
  body << kMagic << "\nstate " << playState_ << "\npath " << path_ << "\n";
  const std::string text = body.str();
  const std::string temp = file + ".new." + std::to_string(::getpid());
  std::FILE* f = std::fopen(temp.c_str(), "wb");
  if (f == nullptr) {
    if (error != nullptr) *error = ErrnoText("cannot write", temp);
    return false;
  }
  const bool written = std::fwrite(text.data(), 1, text.size(), f) == text.size();
  const bool flushed = std::fflush(f) == 0 && ::fsync(fileno(f)) == 0;
  const bool closed = std::fclose(f) == 0;
  if (!written || !flushed || !closed || std::rename(temp.c_str(), file.c_str()) != 0) {
    if (error != nullptr) *error = ErrnoText("cannot write", file);
    std::remove(temp.c_str());
    return false;
  }
  return true;
}

}  // namespace TYX
