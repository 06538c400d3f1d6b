#pragma once
// End-to-end tests of the sonvar program: each test gets its own XDG folders and data folder, runs the
// built program as a child process (with a watchdog) and reads its exit status, stdout and stderr.
// Libraries are prepared on disk the way an earlier run leaves them, with the real store.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "helpers/temp_dir.h"

namespace TYX::Test {

struct ProgramRun {
  int exitCode = -1;  // -1 when the watchdog killed the program or it died of a signal
  std::string out;
  std::string err;
};

// Runs a program with arguments and extra environment variables; kills it after timeoutSeconds. With
// a user ID (the caller being root), the program runs as that user.
ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                      const std::map<std::string, std::string>& env, int timeoutSeconds, int uid = -1);

struct SongSpec {
  std::string file;  // relative to the music folder
  std::string title, artist, album, genre;
};

class SonvarTest : public ::testing::Test {
 protected:
  SonvarTest();

  // sonvar with the test's XDG folders, the arguments as given.
  ProgramRun Sonvar(const std::vector<std::string>& args, int uid = -1) const;
  // sonvar as the user nobody (65534), for permission faults that root does not see.
  ProgramRun SonvarAsNobody(const std::vector<std::string>& args) const;
  // sonvar --data <the test's data folder> ARGS.
  ProgramRun SonvarData(const std::vector<std::string>& args) const;

  // A song synthesised in the music folder (MP3, Ogg, WAV by extension) and tagged; returns its path.
  std::string MakeSong(const SongSpec& song) const;
  // A file with the extension of a song and bytes no decoder reads.
  std::string MakeDamaged(const std::string& file) const;
  // A format-0 MIDI file.
  std::string MakeMidi(const std::string& file) const;
  // Puts the files into the library of the data folder, as an import run leaves them.
  void SeedLibrary(const std::vector<std::string>& paths) const;
  // The number of entries of a stock playlist in the data folder's library.
  std::uint32_t CountPlaylist(std::uint32_t stockId) const;

  std::string Music() const { return root_.Path() + "/music"; }
  std::string Data() const { return root_.Path() + "/data"; }
  std::string XdgData() const { return root_.Path() + "/xdg-data"; }
  std::string Root() const { return root_.Path(); }

  TempDir root_;
};

}  // namespace TYX::Test
