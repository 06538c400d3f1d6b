// Polyphony of melody files written by the test.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "helpers/temp_dir.h"
#include "util/melody.h"

namespace TYX::Util {
namespace {

using Test::TempDir;

void Put32(std::string& s, std::uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) s += static_cast<char>((v >> shift) & 0xFF);
}

// A format-1 MIDI file; each track is a list of raw event bytes (delta times included).
std::string Midi(const std::vector<std::string>& tracks) {
  std::string s = "MThd";
  Put32(s, 6);
  s += std::string("\x00\x01", 2);
  s += static_cast<char>(0);
  s += static_cast<char>(tracks.size());
  s += std::string("\x01\xE0", 2);  // 480 ticks per quarter
  for (const std::string& t : tracks) {
    s += "MTrk";
    const std::string body = t + std::string("\x00\xFF\x2F\x00", 4);
    Put32(s, static_cast<std::uint32_t>(body.size()));
    s += body;
  }
  return s;
}

// n keys struck together on channel 0, released together after 96 ticks.
std::string Chord(int n, int channel = 0) {
  std::string t;
  for (int i = 0; i < n; ++i) {
    t += '\x00';
    if (i == 0) t += static_cast<char>(0x90 | channel);  // later keys use the running status
    t += static_cast<char>(40 + i);
    t += '\x64';
  }
  for (int i = 0; i < n; ++i) {
    t += i == 0 ? std::string("\x60", 1) : std::string("\x00", 1);
    if (i == 0) t += static_cast<char>(0x80 | channel);
    t += static_cast<char>(40 + i);
    t += '\x00';
  }
  return t;
}

TEST(Melody, MidiPolyphonyIsTheMostKeysDownRaisedToAClass) {
  TempDir dir;
  EXPECT_EQ(GetPolyCount(dir.Write("one.mid", Midi({Chord(1)}))), 4);
  EXPECT_EQ(GetPolyCount(dir.Write("four.mid", Midi({Chord(4)}))), 4);
  EXPECT_EQ(GetPolyCount(dir.Write("five.mid", Midi({Chord(5)}))), 16);
  EXPECT_EQ(GetPolyCount(dir.Write("sixteen.mid", Midi({Chord(16)}))), 16);
  EXPECT_EQ(GetPolyCount(dir.Write("seventeen.mid", Midi({Chord(17)}))), 40);
  EXPECT_EQ(GetPolyCount(dir.Write("fortyone.mid", Midi({Chord(41)}))), 64);
  EXPECT_EQ(GetPolyCount(dir.Write("seventy.mid", Midi({Chord(70)}))), 128);
  // Notes that follow each other do not add up.
  EXPECT_EQ(GetPolyCount(dir.Write("seq.midi", Midi({Chord(3) + Chord(3) + Chord(3)}))), 4);
  // Tracks sound together: 3 + 3 + 3 keys on three channels at the same time.
  EXPECT_EQ(GetPolyCount(dir.Write("tracks.mid", Midi({Chord(3, 0), Chord(3, 1), Chord(3, 2)}))), 16);
  // A note-on with velocity 0 releases the key.
  const std::string velocityOff = std::string("\x00\x90\x40\x64\x10\x90\x40\x00\x00\x90\x41\x64\x10\x90\x41\x00", 16);
  EXPECT_EQ(GetPolyCount(dir.Write("velocity.mid", Midi({velocityOff}))), 4);
}

TEST(Melody, BrokenOrForeignFilesHaveNoPolyphony) {
  TempDir dir;
  std::string truncated = Midi({Chord(8)});
  truncated.resize(truncated.size() - 12);
  EXPECT_EQ(GetPolyCount(dir.Write("cut.mid", truncated)), 0);
  EXPECT_EQ(GetPolyCount(dir.Write("junk.mid", "not a midi file at all")), 0);
  EXPECT_EQ(GetPolyCount(dir.Write("empty.mid", "")), 0);
  EXPECT_EQ(GetPolyCount(dir.File("missing.mid")), 0);
  EXPECT_EQ(GetPolyCount(dir.Write("song.mp3", Midi({Chord(2)}))), 0);  // not a melody by name
}

std::string Smaf(std::uint8_t formatType) {
  std::string track = "MTR";
  track += '\x00';
  Put32(track, 4);
  track += static_cast<char>(formatType);
  track += std::string("\x00\x02\x02", 3);
  std::string cnti = "CNTI";
  Put32(cnti, 5);
  cnti += std::string("\x00\x32\x00\x00\x00", 5);
  std::string s = "MMMD";
  Put32(s, static_cast<std::uint32_t>(cnti.size() + track.size() + 2));
  return s + cnti + track + std::string("\x00\x00", 2);
}

TEST(Melody, SmafPolyphonyFollowsTheScoreTrackFormat) {
  TempDir dir;
  EXPECT_EQ(GetPolyCount(dir.Write("a.mmf", Smaf(0))), 16);
  EXPECT_EQ(GetPolyCount(dir.Write("b.mmf", Smaf(1))), 40);
  EXPECT_EQ(GetPolyCount(dir.Write("c.ma3", Smaf(2))), 40);
  EXPECT_EQ(GetPolyCount(dir.Write("d.mmf", Smaf(3))), 64);
  EXPECT_EQ(GetPolyCount(dir.Write("e.mmf", "MMMD")), 0);
  EXPECT_EQ(GetPolyCount(dir.Write("f.mmf", "RIFF....WAVE")), 0);
  // Sound chunks behind another file's signature are not a melody.
  EXPECT_EQ(GetPolyCount(dir.Write("g.mmf", "RIFF" + Smaf(3).substr(4))), 0);
}

}  // namespace
}  // namespace TYX::Util
