// The quick look at a file's first block: each format's signature, an ID3 tag before FLAC data, and
// formats whose content is not checked.
#include "import/audio_file_probe.h"

#include <gtest/gtest.h>

#include <string>

#include "helpers/temp_dir.h"

namespace TYX::Library {
namespace {

using Bytes = std::string;

Bytes Id3Header(unsigned char flags, unsigned size) {
  Bytes b = "ID3";
  b += static_cast<char>(4);
  b += static_cast<char>(0);
  b += static_cast<char>(flags);
  for (int shift : {21, 14, 7, 0}) b += static_cast<char>((size >> shift) & 0x7F);
  return b;
}

class AudioFileProbeTest : public ::testing::Test {
 protected:
  TYX_ImportFailure Probe(const std::string& name, const Bytes& content) {
    return ProbeAudioFile(dir_.Write(name, content));
  }
  TYX::Test::TempDir dir_;
};

TEST_F(AudioFileProbeTest, EachFormatIsKnownByItsOwnSignature) {
  const Bytes frame("\x00\x00\xFF\xFB\x90\x64\x00\x00", 8);  // an MPEG frame header after two stray bytes
  EXPECT_EQ(Probe("a.mp3", frame), TYX_ImportFailure::None);
  EXPECT_EQ(Probe("b.mp3", Bytes(64, '\0')), TYX_ImportFailure::Damaged);
  EXPECT_EQ(Probe("c.m4a", Bytes("\x00\x00\x00\x20" "ftypM4A ", 12)), TYX_ImportFailure::None);
  EXPECT_EQ(Probe("d.m4a", Bytes("\x00\x00\x00\x20" "xftypM4A", 12)), TYX_ImportFailure::Damaged);
  EXPECT_EQ(Probe("e.mid", Bytes("MThd\x00\x00\x00\x06", 8)), TYX_ImportFailure::None);
  EXPECT_EQ(Probe("f.MIDI", "MThd"), TYX_ImportFailure::None);
  EXPECT_EQ(Probe("g.mid", "a text file named like a melody"), TYX_ImportFailure::Damaged);
  EXPECT_EQ(Probe("h.mmf", "MMMD...."), TYX_ImportFailure::None);
  EXPECT_EQ(Probe("i.wav", Bytes("RIFF\x24\x00\x00\x00WAVEfmt ", 16)), TYX_ImportFailure::None);
  EXPECT_EQ(Probe("j.wav", Bytes("RIFF\x24\x00\x00\x00AVI LIST", 16)), TYX_ImportFailure::Damaged);
  // VIA has no signature the look checks: any content passes on to the reader.
  EXPECT_EQ(Probe("k.via", "any bytes at all"), TYX_ImportFailure::None);
  EXPECT_EQ(Probe("l.via", ""), TYX_ImportFailure::Damaged);
  EXPECT_EQ(Probe("m.txt", "MThd"), TYX_ImportFailure::NotAudio);
}

TEST_F(AudioFileProbeTest, FlacDataIsFoundPastAnId3TagOfItsStatedSizeAndFooter) {
  // Size 128 + 5 (bytes 7 and 9 differ from byte 8), so a size read from the wrong bytes misses "fLaC".
  const unsigned size = (1u << 7) + 5;
  const Bytes plain = Id3Header(0x00, size) + Bytes(size, 'x') + "fLaC";
  EXPECT_EQ(Probe("a.flac", plain), TYX_ImportFailure::None);
  // The footer flag adds ten bytes after the tag.
  const Bytes footer = Id3Header(0x10, size) + Bytes(size + 10, 'x') + "fLaC";
  EXPECT_EQ(Probe("b.flac", footer), TYX_ImportFailure::None);
  const Bytes footerMissed = Id3Header(0x00, size) + Bytes(size + 10, 'x') + "fLaC";
  EXPECT_EQ(Probe("c.flac", footerMissed), TYX_ImportFailure::Damaged);
  // A tag longer than the block read cannot be judged from it: the reader decides.
  EXPECT_EQ(Probe("d.flac", Id3Header(0x00, 100000) + Bytes(5000, 'x')), TYX_ImportFailure::None);
  EXPECT_EQ(Probe("e.flac", "OggS"), TYX_ImportFailure::Damaged);
}

}  // namespace
}  // namespace TYX::Library
