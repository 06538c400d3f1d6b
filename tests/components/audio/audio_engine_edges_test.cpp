// The engine at its edges: bad buffers, empty files, callbacks that split frames, and the list of CD
// images taken from the environment.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "components/audio/audio_synth.h"
#include "components/audio/bass_api.h"
#include "components/audio/cd_drive.h"
#include "helpers/temp_dir.h"

using namespace TYX::Audio;
namespace Synth = TYX::Test::Synth;

namespace {

TEST(AudioEngineGetData, ANullBufferIsAnErrorAndConsumesNothing) {
  TYX::Test::TempDir dir;
  const auto pcm = Synth::Tone(44100, 2, 0.2);
  ASSERT_TRUE(Synth::WriteWav(dir.File("a.wav"), pcm));
  HSTREAM h = BASS_StreamCreateFile(0, dir.File("a.wav").c_str(), 0, 0, BASS_STREAM_DECODE);
  ASSERT_NE(h, 0u);
  EXPECT_EQ(BASS_ChannelGetData(h, nullptr, 4096), -1);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ILLPARAM);
  EXPECT_EQ(BASS_ChannelGetPosition(h), 0u);
  EXPECT_EQ(BASS_ChannelIsActive(h), BASS_ACTIVE_PLAYING);
  // The channel is unharmed: the next read starts at the first sample.
  std::vector<std::int16_t> first(8);
  ASSERT_EQ(BASS_ChannelGetData(h, first.data(), 16), 16);
  EXPECT_EQ(first, std::vector<std::int16_t>(pcm.samples.begin(), pcm.samples.begin() + 8));
  BASS_StreamFree(h);
}

TEST(AudioEngineDecode, AHeaderOnlyWavHasLengthZeroAndEndsAtOnce) {
  TYX::Test::TempDir dir;
  for (int channels : {1, 2}) {
    Synth::Pcm empty;
    empty.channels = channels;
    ASSERT_TRUE(Synth::WriteWav(dir.File("empty.wav"), empty));
    HSTREAM h = BASS_StreamCreateFile(0, dir.File("empty.wav").c_str(), 0, 0, BASS_STREAM_DECODE);
    ASSERT_NE(h, 0u) << BASS_ErrorGetCode();
    EXPECT_EQ(BASS_StreamGetLength(h), 0u);
    std::vector<char> buf(4096);
    EXPECT_EQ(BASS_ChannelGetData(h, buf.data(), 4096), 0);
    EXPECT_EQ(BASS_ChannelIsActive(h), BASS_ACTIVE_STOPPED);
    BASS_StreamFree(h);
  }
}

// Hands the data out in pieces of a fixed byte count, whatever was asked, so frames are split.
struct Pieces {
  std::vector<std::uint8_t> data;
  std::size_t off = 0;
  std::size_t piece = 1;
};

DWORD PieceProc(HSTREAM, void* buffer, DWORD length, void* user) {
  auto* p = static_cast<Pieces*>(user);
  const std::size_t n = std::min<std::size_t>({p->piece, length, p->data.size() - p->off});
  std::memcpy(buffer, p->data.data() + p->off, n);
  p->off += n;
  return static_cast<DWORD>(n) | (p->off == p->data.size() ? BASS_STREAMPROC_END : 0u);
}

TEST(AudioEngineUserStream, PiecesThatSplitFramesLoseNoByte) {
  const auto pcm = Synth::Tone(44100, 2, 0.05);
  for (std::size_t piece : {1u, 3u, 6u, 4097u, 10001u}) {
    SCOPED_TRACE(piece);
    Pieces p;
    p.data.assign(reinterpret_cast<const std::uint8_t*>(pcm.samples.data()),
                  reinterpret_cast<const std::uint8_t*>(pcm.samples.data() + pcm.samples.size()));
    p.piece = piece;
    HSTREAM h = BASS_StreamCreate(44100, 2, BASS_STREAM_DECODE, &PieceProc, &p);
    ASSERT_NE(h, 0u);
    std::vector<std::int16_t> got;
    std::vector<std::uint8_t> buf(30676);
    for (int guard = 0; guard < 1000000 && BASS_ChannelIsActive(h) != BASS_ACTIVE_STOPPED; ++guard) {
      const int n = BASS_ChannelGetData(h, buf.data(), 30676);
      ASSERT_GE(n, 0);
      // Whole frames only, always.
      ASSERT_EQ(n % 4, 0);
      const auto* s = reinterpret_cast<const std::int16_t*>(buf.data());
      got.insert(got.end(), s, s + n / 2);
    }
    EXPECT_EQ(got, pcm.samples);
    EXPECT_EQ(BASS_ChannelGetPosition(h), pcm.samples.size() * 2);
    BASS_StreamFree(h);
  }
}

// Sets an environment variable for one test and puts the old value back.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name)) {
      had_ = true;
      old_ = old;
    }
    ::setenv(name, value.c_str(), 1);
  }
  ~ScopedEnv() {
    if (had_) {
      ::setenv(name_, old_.c_str(), 1);
    } else {
      ::unsetenv(name_);
    }
  }

 private:
  const char* name_;
  bool had_ = false;
  std::string old_;
};

TEST(AudioEngineCdImages, TheImageListSkipsEmptyEntriesAndOuterSeparators) {
  TYX::Test::TempDir dir;
  std::vector<std::size_t> bytesA, bytesB;
  ASSERT_TRUE(Synth::WriteCueBin(dir.File("a.cue"), dir.File("a.bin"), {Synth::Tone(44100, 2, 0.3)}, &bytesA));
  ASSERT_TRUE(Synth::WriteCueBin(dir.File("b.cue"), dir.File("b.bin"),
                                 {Synth::Tone(44100, 2, 0.2), Synth::Tone(44100, 2, 0.2)}, &bytesB));
  const std::string a = dir.File("a.cue");
  const std::string b = dir.File("b.cue");
  const std::pair<std::string, std::vector<std::string>> cases[] = {
      {a + ":" + b, {a, b}},         {":" + a + ":" + b, {a, b}}, {a + ":" + b + ":", {a, b}},
      {"::" + a + ":::" + b + "::", {a, b}}, {":" + b + ":", {b}},          {a, {a}}};
  for (const auto& [list, want] : cases) {
    SCOPED_TRACE("TYX_CD_IMAGES=" + list);
    ScopedEnv env("TYX_CD_IMAGES", list);
    SetAudioCD(nullptr);  // the default is made again from the environment
    auto cd = AudioCD();
    ASSERT_GE(cd->DriveCount(), static_cast<int>(want.size()));
    // Images come first, in order; a real drive may follow them but never an empty name.
    for (std::size_t i = 0; i < want.size(); ++i) EXPECT_EQ(cd->DriveName(static_cast<int>(i)), want[i]);
    for (int i = 0; i < cd->DriveCount(); ++i) EXPECT_FALSE(cd->DriveName(i).empty()) << i;
    EXPECT_EQ(BASS_CD_GetTracks(0), want[0] == a ? 1 : 2);
  }
  {
    ScopedEnv env("TYX_CD_IMAGES", ":::");
    SetAudioCD(nullptr);
    auto cd = AudioCD();
    for (int i = 0; i < cd->DriveCount(); ++i) EXPECT_FALSE(cd->DriveName(i).empty()) << i;
  }
  SetAudioCD(nullptr);
}

TEST(AudioEngineCdImages, AMalformedCueSheetIsNoDiscAndTheProcessGoesOn) {
  // The CD library's own reporting ends the process on an error; a damaged image must not.
  TYX::Test::TempDir dir;
  std::vector<std::size_t> bytes;
  ASSERT_TRUE(Synth::WriteCueBin(dir.File("good.cue"), dir.File("good.bin"), {Synth::Tone(44100, 2, 0.2)}, &bytes));
  const std::string bad[] = {"FILE \"good.bin\" BINARY\n  TRACK 01 AU\x80\xff\xffINDEX 01 00:00:00\n",
                             "FILE \"good.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 99:99:99\n",
                             "FILE \"missing.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n",
                             "not a cue sheet at all"};
  std::vector<std::string> images;
  for (std::size_t i = 0; i < std::size(bad); ++i) images.push_back(dir.Write("bad" + std::to_string(i) + ".cue", bad[i]));
  images.push_back(dir.File("good.cue"));
  SetAudioCD(CreateCdioAudioCD(images, false));
  for (int d = 0; d < static_cast<int>(std::size(bad)); ++d) {
    SCOPED_TRACE(bad[d]);
    if (BASS_CD_GetTracks(static_cast<DWORD>(d)) == -1) {
      EXPECT_NE(BASS_ErrorGetCode(), BASS_OK);
    }
    // Whatever the sheet gave, reading it never goes past its bin.
    const HSTREAM h = BASS_CD_StreamCreate(static_cast<DWORD>(d), 0, BASS_STREAM_DECODE);
    if (h != 0) BASS_StreamFree(h);
  }
  EXPECT_EQ(BASS_CD_GetTracks(0), -1);
  EXPECT_EQ(BASS_CD_GetTracks(3), -1);
  // The good image after them still reads.
  const DWORD good = static_cast<DWORD>(std::size(bad));
  EXPECT_EQ(BASS_CD_GetTracks(good), 1);
  EXPECT_EQ(BASS_CD_GetTrackLength(good, 0), bytes[0]);
  SetAudioCD(nullptr);
}

}  // namespace
