// The audio engine's calls over real files the tests synthesise.
#include <gtest/gtest.h>

#include <cstring>

#include "components/audio/bass_api.h"
#include "components/audio/cd_drive.h"
#include "components/audio/pcm_resampler.h"
#include "components/audio/audio_synth.h"
#include "helpers/temp_dir.h"

using namespace TYX::Audio;
namespace Synth = TYX::Test::Synth;

namespace {

// Pulls a whole channel through BASS_ChannelGetData in odd-sized reads.
std::vector<std::int16_t> PullAll(HSTREAM h, int* lastResult = nullptr) {
  std::vector<std::int16_t> all;
  std::vector<std::uint8_t> buf(30676);
  int n;
  while ((n = BASS_ChannelGetData(h, buf.data(), 30676)) > 0) {
    const auto* s = reinterpret_cast<const std::int16_t*>(buf.data());
    all.insert(all.end(), s, s + n / 2);
  }
  if (lastResult) *lastResult = n;
  return all;
}

}  // namespace

TEST(AudioEngineDecode, WavIsBitExactWithLengthAndPosition) {
  TYX::Test::TempDir dir;
  const auto pcm = Synth::Tone(22050, 1, 1.3);
  ASSERT_TRUE(Synth::WriteWav(dir.File("a.wav"), pcm));
  HSTREAM h = BASS_StreamCreateFile(0, dir.File("a.wav").c_str(), 0, 0, BASS_STREAM_DECODE);
  ASSERT_NE(h, 0u);
  BASS_CHANNELINFO info;
  ASSERT_TRUE(BASS_ChannelGetInfo(h, &info));
  EXPECT_EQ(info.freq, 22050u);
  EXPECT_EQ(info.chans, 1u);
  EXPECT_EQ(BASS_StreamGetLength(h), pcm.samples.size() * 2);
  EXPECT_EQ(BASS_ChannelIsActive(h), BASS_ACTIVE_PLAYING);
  int last = 99;
  auto got = PullAll(h, &last);
  EXPECT_EQ(last, 0);
  EXPECT_EQ(got, pcm.samples);
  EXPECT_EQ(BASS_ChannelGetPosition(h), pcm.samples.size() * 2);
  EXPECT_EQ(BASS_ChannelIsActive(h), BASS_ACTIVE_STOPPED);
  EXPECT_EQ(BASS_ChannelGetData(h, std::vector<char>(64).data(), 64), 0);
  EXPECT_TRUE(BASS_StreamFree(h));
  EXPECT_EQ(BASS_ChannelGetData(h, std::vector<char>(64).data(), 64), -1);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
}

TEST(AudioEngineDecode, MissingAndForeignFilesFail) {
  TYX::Test::TempDir dir;
  EXPECT_EQ(BASS_StreamCreateFile(0, dir.File("none.mp3").c_str(), 0, 0, BASS_STREAM_DECODE), 0u);
  EXPECT_NE(BASS_ErrorGetCode(), 0);
  const std::string junk = dir.Write("junk.mp3", std::string(5000, 'x'));
  EXPECT_EQ(BASS_StreamCreateFile(0, junk.c_str(), 0, 0, BASS_STREAM_DECODE), 0u);
  EXPECT_NE(BASS_ErrorGetCode(), 0);
  // The WMA decoder takes ASF files only.
  ASSERT_TRUE(Synth::WriteWav(dir.File("a.wav"), Synth::Tone(44100, 2, 0.2)));
  EXPECT_EQ(BASS_WMA_StreamCreateFile(0, dir.File("a.wav").c_str(), 0, 0, BASS_STREAM_DECODE), 0u);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEFORM);
}

struct SourceCase {
  const char* name;
  const char* encoder;
  int rate;
  int channels;
  int bitrate;
};

class AudioEngineFormats : public ::testing::TestWithParam<SourceCase> {};

TEST_P(AudioEngineFormats, DecodesToTheSourceRateChannelsAndSignal) {
  const SourceCase c = GetParam();
  TYX::Test::TempDir dir;
  const auto pcm = Synth::Tone(c.rate, c.channels, 1.5);
  const std::string path = dir.File(std::string("src.") + c.name);
  ASSERT_TRUE(Synth::EncodeFile(path, pcm, c.encoder, c.bitrate)) << c.name;
  HSTREAM h = std::string(c.name) == "wma" ? BASS_WMA_StreamCreateFile(0, path.c_str(), 0, 0, BASS_STREAM_DECODE)
                                           : BASS_StreamCreateFile(0, path.c_str(), 0, 0, BASS_STREAM_DECODE);
  ASSERT_NE(h, 0u) << BASS_ErrorGetCode();
  BASS_CHANNELINFO info;
  ASSERT_TRUE(BASS_ChannelGetInfo(h, &info));
  EXPECT_EQ(info.freq, static_cast<unsigned>(c.rate));
  EXPECT_EQ(info.chans, static_cast<unsigned>(c.channels));
  const QWORD length = BASS_StreamGetLength(h);
  auto got = PullAll(h);
  const double seconds = static_cast<double>(got.size()) / c.channels / c.rate;
  EXPECT_NEAR(seconds, pcm.Seconds(), 0.1);
  EXPECT_NEAR(static_cast<double>(length), static_cast<double>(got.size() * 2), c.rate * c.channels * 2 * 0.1);
  Synth::Pcm decoded{c.rate, c.channels, got};
  for (int ch = 0; ch < c.channels; ++ch) {
    auto m = Synth::Correlate(pcm.Channel(ch), decoded.Channel(ch), 4200);
    EXPECT_GT(m.correlation, 0.9) << c.name << " channel " << ch;
  }
  BASS_StreamFree(h);
}

INSTANTIATE_TEST_SUITE_P(Sources, AudioEngineFormats,
                         ::testing::Values(SourceCase{"mp3", "libmp3lame", 44100, 2, 128000}, SourceCase{"ogg", "libvorbis", 22050, 1, 48000},
                                           SourceCase{"wma", "wmav2", 44100, 2, 128000}, SourceCase{"flac", "flac", 48000, 2, 0},
                                           SourceCase{"m4a", "aac", 44100, 1, 96000}),
                         [](const auto& info) { return std::string(info.param.name); });

namespace {

struct Feed {
  std::vector<std::int16_t> data;
  std::size_t off = 0;
  int calls = 0;
};

DWORD FeedProc(HSTREAM, void* buffer, DWORD length, void* user) {
  auto* f = static_cast<Feed*>(user);
  ++f->calls;
  const std::size_t left = (f->data.size() - f->off) * 2;
  const std::size_t n = std::min<std::size_t>(left, length);
  std::memcpy(buffer, reinterpret_cast<const char*>(f->data.data()) + f->off * 2, n);
  f->off += n / 2;
  return static_cast<DWORD>(n) | (f->off == f->data.size() ? BASS_STREAMPROC_END : 0);
}

}  // namespace

TEST(AudioEngineUserStream, DeliversTheCallbackDataAndEnds) {
  Feed feed;
  feed.data = Synth::Tone(44100, 2, 0.5).samples;
  HSTREAM h = BASS_StreamCreate(44100, 2, BASS_STREAM_DECODE, &FeedProc, &feed);
  ASSERT_NE(h, 0u);
  EXPECT_EQ(BASS_StreamGetLength(h), static_cast<QWORD>(-1));
  auto got = PullAll(h);
  EXPECT_EQ(got, feed.data);
  EXPECT_EQ(BASS_ChannelIsActive(h), BASS_ACTIVE_STOPPED);
  EXPECT_EQ(BASS_ChannelGetPosition(h), feed.data.size() * 2);
  BASS_StreamFree(h);
  EXPECT_EQ(BASS_StreamCreate(44100, 3, BASS_STREAM_DECODE, &FeedProc, &feed), 0u);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ILLPARAM);
}

TEST(AudioEngineWma, EncodesTagsAndDecodesBack) {
  TYX::Test::TempDir dir;
  const auto pcm = Synth::Tone(44100, 2, 2.0);
  const std::string path = dir.File("out.wma");
  HWMENCODE e = BASS_WMA_EncodeOpenFile(44100, 2, BASS_WMA_ENCODE_TAGS, 128000, path.c_str());
  ASSERT_NE(e, 0u) << BASS_ErrorGetCode();
  EXPECT_TRUE(BASS_WMA_EncodeSetTag(e, "title", "노래 하나"));
  EXPECT_TRUE(BASS_WMA_EncodeSetTag(e, nullptr, nullptr));
  EXPECT_FALSE(BASS_WMA_EncodeSetTag(e, "artist", "too late"));
  // Written in blocks that are not whole encoder frames.
  for (std::size_t off = 0; off < pcm.samples.size(); off += 7669 * 2) {
    const std::size_t n = std::min<std::size_t>(7669 * 2, pcm.samples.size() - off);
    ASSERT_TRUE(BASS_WMA_EncodeWrite(e, pcm.samples.data() + off, static_cast<DWORD>(n * 2)));
  }
  ASSERT_TRUE(BASS_WMA_EncodeClose(e));
  EXPECT_FALSE(BASS_WMA_EncodeClose(e));
  auto d = Synth::DecodeFile(path);
  ASSERT_TRUE(d.ok);
  EXPECT_EQ(d.format, "asf");
  EXPECT_EQ(d.codec, "wmav2");
  EXPECT_EQ(d.pcm.rate, 44100);
  EXPECT_EQ(d.pcm.channels, 2);
  EXPECT_NEAR(d.pcm.Seconds(), pcm.Seconds(), 4096.0 / 44100);
  EXPECT_GT(Synth::Correlate(pcm.Channel(1), d.pcm.Channel(1), 4000).correlation, 0.9);
  AVFormatContext* fmt = nullptr;
  ASSERT_EQ(avformat_open_input(&fmt, path.c_str(), nullptr, nullptr), 0);
  AVDictionaryEntry* title = av_dict_get(fmt->metadata, "title", nullptr, 0);
  ASSERT_NE(title, nullptr);
  EXPECT_STREQ(title->value, "노래 하나");
  avformat_close_input(&fmt);
}

TEST(AudioEngineWma, UnwritableTargetFails) {
  EXPECT_EQ(BASS_WMA_EncodeOpenFile(44100, 2, 0, 128000, "/nonexistent-folder/x.wma"), 0u);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_CREATE);
}

class AudioEngineCd : public ::testing::Test {
 protected:
  void SetUp() override {
    tracks_ = {Synth::Tone(44100, 2, 1.01, 330), Synth::Tone(44100, 2, 0.7, 550)};
    ASSERT_TRUE(Synth::WriteCueBin(dir_.File("disc.cue"), dir_.File("disc.bin"), tracks_, &bytes_));
    SetAudioCD(CreateCdioAudioCD({dir_.File("disc.cue")}, false));
  }
  void TearDown() override { SetAudioCD(nullptr); }
  TYX::Test::TempDir dir_;
  std::vector<Synth::Pcm> tracks_;
  std::vector<std::size_t> bytes_;
};

TEST_F(AudioEngineCd, TracksOfAnImageReadBitExact) {
  EXPECT_EQ(AudioCD()->DriveCount(), 1);
  EXPECT_EQ(BASS_CD_GetTracks(0), 2);
  EXPECT_EQ(BASS_CD_GetTrackLength(0, 0), bytes_[0]);
  EXPECT_EQ(BASS_CD_GetTrackLength(0, 1), bytes_[1]);
  EXPECT_EQ(BASS_CD_GetTrackLength(0, 2), static_cast<DWORD>(-1));
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_CDTRACK);
  HSTREAM h = BASS_CD_StreamCreate(0, 1, BASS_STREAM_DECODE);
  ASSERT_NE(h, 0u) << BASS_ErrorGetCode();
  EXPECT_EQ(BASS_StreamGetLength(h), bytes_[1]);
  auto got = PullAll(h);
  ASSERT_EQ(got.size() * 2, bytes_[1]);
  got.resize(tracks_[1].samples.size());
  EXPECT_EQ(got, tracks_[1].samples);
  BASS_StreamFree(h);
  EXPECT_EQ(BASS_CD_StreamCreate(0, 7, BASS_STREAM_DECODE), 0u);
  EXPECT_EQ(BASS_CD_GetTracks(3), -1);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_DEVICE);
}

TEST_F(AudioEngineCd, DoorLocksOpensAndCloses) {
  EXPECT_FALSE(BASS_CD_DoorIsOpen(0));
  EXPECT_TRUE(BASS_CD_Door(0, BASS_CD_DOOR_LOCK));
  EXPECT_TRUE(BASS_CD_DoorIsLocked(0));
  EXPECT_FALSE(BASS_CD_Door(0, BASS_CD_DOOR_OPEN));
  EXPECT_FALSE(BASS_CD_DoorIsOpen(0));
  EXPECT_TRUE(BASS_CD_Door(0, BASS_CD_DOOR_UNLOCK));
  EXPECT_TRUE(BASS_CD_Door(0, BASS_CD_DOOR_OPEN));
  EXPECT_TRUE(BASS_CD_DoorIsOpen(0));
  // No disc can be read while the door is open.
  EXPECT_EQ(BASS_CD_GetTracks(0), -1);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_NOCD);
  EXPECT_TRUE(BASS_CD_Door(0, BASS_CD_DOOR_CLOSE));
  EXPECT_EQ(BASS_CD_GetTracks(0), 2);
  EXPECT_FALSE(BASS_CD_Door(0, 9));
}

TEST(AudioEngineResampler, KeepsTheToneAtTheNewRate) {
  const auto in = Synth::Tone(22050, 1, 1.0);
  PcmResampler r(22050, 44100, 1);
  ASSERT_TRUE(r.ok());
  std::vector<std::int16_t> out;
  ASSERT_TRUE(r.Process(in.samples.data(), 5000, &out));
  ASSERT_TRUE(r.Process(in.samples.data() + 5000, static_cast<int>(in.samples.size()) - 5000, &out));
  ASSERT_TRUE(r.Flush(&out));
  EXPECT_NEAR(static_cast<double>(out.size()), in.samples.size() * 2.0, 64);
  const auto want = Synth::Tone(44100, 1, 1.0);
  EXPECT_GT(Synth::Correlate(want.samples, out, 64).correlation, 0.98);
  PcmResampler bad(0, 44100, 1);
  EXPECT_FALSE(bad.ok());
  // A resampler that could not be made converts nothing and says so.
  std::vector<std::int16_t> none;
  EXPECT_FALSE(bad.Process(in.samples.data(), 100, &none));
  EXPECT_FALSE(bad.Flush(&none));
  EXPECT_TRUE(none.empty());
}
