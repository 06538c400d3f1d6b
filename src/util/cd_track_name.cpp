#include "util/cd_track_name.h"

#include <cstdio>
#include <mutex>

#include "util/file_name.h"

namespace TYX::Util {
namespace {

// The letter table; any thread reads or replaces it under the lock.
std::mutex& LetterLock() {
  static std::mutex lock;
  return lock;
}
std::string& Letters() {
  static std::string letters;
  return letters;
}
bool& LettersSet() {
  static bool set = false;
  return set;
}

char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

char LetterOf(int drive) {
  if (drive < 0) return 0;
  std::lock_guard<std::mutex> guard(LetterLock());
  if (!LettersSet()) return drive <= 'Z' - 'D' ? static_cast<char>('D' + drive) : 0;
  return static_cast<std::size_t>(drive) < Letters().size() ? Letters()[static_cast<std::size_t>(drive)] : 0;
}

int DriveOf(char letter) {
  letter = Upper(letter);
  if (letter < 'A' || letter > 'Z') return -1;
  std::lock_guard<std::mutex> guard(LetterLock());
  if (!LettersSet()) return letter >= 'D' ? letter - 'D' : -1;
  const std::size_t at = Letters().find(letter);
  return at == std::string::npos ? -1 : static_cast<int>(at);
}

}  // namespace

void SetCDDriveLetters(const std::string& letters) {
  std::string upper;
  for (char c : letters) upper += Upper(c);
  std::lock_guard<std::mutex> guard(LetterLock());
  Letters() = upper;
  LettersSet() = true;
}

bool GetCDDriveLetter(int drive, std::string& letter) {
  const char c = LetterOf(drive);
  if (c == 0) {
    letter.clear();
    return false;
  }
  letter = std::string(1, c) + ":\\";
  return true;
}

bool GetCDAInfo(const std::string& path, int& drive, int& track) {
  // "X:\Track" + digits + ".cda"
  if (path.size() < 3 + 5 + 2 + 4 || path[1] != ':' || path[2] != '\\') return false;
  if (ToLowerAscii(path.substr(3, 5)) != "track") return false;
  if (ToLowerAscii(path.substr(path.size() - 4)) != ".cda") return false;
  const std::string digits = path.substr(8, path.size() - 12);
  if (digits.size() < 2 || digits.size() > 3) return false;
  int number = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return false;
    number = number * 10 + (c - '0');
  }
  if (number < 1) return false;
  const int d = DriveOf(path[0]);
  if (d < 0) return false;
  drive = d;
  track = number - 1;
  return true;
}

std::string MakeCDATrackName(int drive, int track) {
  std::string letter;
  if (track < 0 || !GetCDDriveLetter(drive, letter)) return std::string();
  char name[32];
  std::snprintf(name, sizeof name, "Track%02d.cda", track + 1);
  return letter + name;
}

}  // namespace TYX::Util
