// The VIA codec library, loaded as the worker loads it.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "components/audio/audio_synth.h"
#include "components/via/via_api.h"
#include "helpers/temp_dir.h"

namespace Synth = TYX::Test::Synth;

namespace {

class ViaModule : public ::testing::Test {
 protected:
  void SetUp() override {
    lib_ = dlopen(TYX_VIA_MODULE_DIR "/ViaLibrary.so", RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(lib_, nullptr) << dlerror();
    encInit = reinterpret_cast<VIA_encode_init_fn>(dlsym(lib_, "VIA_encode_init"));
    setopt = reinterpret_cast<VIA_encode_setopt_fn>(dlsym(lib_, "VIA_encode_setopt"));
    setMeta = reinterpret_cast<VIA_encode_SetMetaData_fn>(dlsym(lib_, "VIA_encode_SetMetaData"));
    encode = reinterpret_cast<VIA_encode_fn>(dlsym(lib_, "VIA_encode"));
    encStop = reinterpret_cast<VIA_encode_stop_fn>(dlsym(lib_, "VIA_encode_stop"));
    decInit = reinterpret_cast<VIA_decode_init_fn>(dlsym(lib_, "VIA_decode_init"));
    decode = reinterpret_cast<VIA_decode_fn>(dlsym(lib_, "VIA_decode"));
    decStop = reinterpret_cast<VIA_decode_stop_fn>(dlsym(lib_, "VIA_decode_stop"));
    metaLoad = reinterpret_cast<VIA_metadata_load_fn>(dlsym(lib_, "VIA_metadata_load"));
    metaLoadBuf = reinterpret_cast<VIA_metadata_loadbuffer_fn>(dlsym(lib_, "VIA_metadata_loadbuffer"));
    metaUpdate = reinterpret_cast<VIA_metadata_update_fn>(dlsym(lib_, "VIA_metadata_update"));
    ASSERT_TRUE(encInit && setopt && setMeta && encode && encStop && decInit && decode && decStop && metaLoad &&
                metaLoadBuf && metaUpdate);
  }
  void TearDown() override {
    if (lib_) dlclose(lib_);
  }

  std::string Encode(const Synth::Pcm& pcm, int bitrate, int block) {
    const std::string path = dir_.File("x.via");
    VIA_HANDLE h = encInit(path.c_str(), pcm.rate, pcm.channels, pcm.Seconds(), bitrate);
    EXPECT_NE(h, nullptr);
    if (!h) return path;
    EXPECT_EQ(setopt(h, 1, 1000), 0);
    EXPECT_EQ(setMeta(h, "제목", "가수", "앨범", "Pop", "2007", "3", "note"), 0);
    int state = 0;
    const std::size_t step = static_cast<std::size_t>(block) / 2;
    for (std::size_t off = 0; off < pcm.samples.size(); off += step) {
      const std::size_t n = std::min(step, pcm.samples.size() - off);
      EXPECT_EQ(encode(h, pcm.samples.data() + off, static_cast<int>(n * 2), &state), 0);
    }
    EXPECT_EQ(encode(h, pcm.samples.data(), 0, &state), 0);
    EXPECT_GT(state, 0);
    EXPECT_EQ(encStop(h), 0);
    return path;
  }

  // Encodes handing the PCM over in pieces of `pieceBytes` bytes, which may split samples and frames.
  std::string EncodeBytes(const Synth::Pcm& pcm, int bitrate, std::size_t pieceBytes, const std::string& name) {
    const std::string path = dir_.File(name);
    VIA_HANDLE h = encInit(path.c_str(), pcm.rate, pcm.channels, pcm.Seconds(), bitrate);
    EXPECT_NE(h, nullptr);
    if (!h) return path;
    EXPECT_EQ(setopt(h, 1, 1000), 0);
    EXPECT_EQ(setMeta(h, "", "", "", "", "", "", ""), 0);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(pcm.samples.data());
    const std::size_t total = pcm.samples.size() * 2;
    int state = 0;
    for (std::size_t off = 0; off < total; off += pieceBytes) {
      const std::size_t n = std::min(pieceBytes, total - off);
      EXPECT_EQ(encode(h, bytes + off, static_cast<int>(n), &state), 0);
    }
    EXPECT_EQ(encode(h, bytes, 0, &state), 0);
    EXPECT_EQ(encStop(h), 0);
    return path;
  }

  // Walks the chunks as the worker's reader does.
  Synth::Pcm Decode(const std::string& path) {
    Synth::Pcm out;
    std::string image = TYX::Test::ReadFileBytes(path);
    VIA_HANDLE dec = nullptr;
    std::vector<char> buf(4096);
    std::size_t off = 0;
    while (off + 12 <= image.size()) {
      const std::uint32_t len = Synth::Get32(image, off);
      if (len < 12 || len > 8192 || off + len > image.size()) break;
      const char* chunk = image.data() + off;
      if (chunk[6] == 0) {
        if (dec) decStop(dec);
        dec = decInit(chunk);
        EXPECT_NE(dec, nullptr);
        out.channels = static_cast<int>(Synth::Get16(image, off + 36));
        out.rate = static_cast<int>(Synth::Get16(image, off + 38));
      } else if (chunk[6] == 0x20 && dec) {
        int n;
        while ((n = decode(dec, buf.data(), 4096, chunk + 16, static_cast<int>(len) - 16, 0, 0)) > 0) {
          const auto* s = reinterpret_cast<const std::int16_t*>(buf.data());
          out.samples.insert(out.samples.end(), s, s + n / 2);
        }
        EXPECT_EQ(n, 0);
      }
      off += len;
    }
    if (dec) decStop(dec);
    return out;
  }

  TYX::Test::TempDir dir_;
  void* lib_ = nullptr;
  VIA_encode_init_fn encInit = nullptr;
  VIA_encode_setopt_fn setopt = nullptr;
  VIA_encode_SetMetaData_fn setMeta = nullptr;
  VIA_encode_fn encode = nullptr;
  VIA_encode_stop_fn encStop = nullptr;
  VIA_decode_init_fn decInit = nullptr;
  VIA_decode_fn decode = nullptr;
  VIA_decode_stop_fn decStop = nullptr;
  VIA_metadata_load_fn metaLoad = nullptr;
  VIA_metadata_loadbuffer_fn metaLoadBuf = nullptr;
  VIA_metadata_update_fn metaUpdate = nullptr;
};

}  // namespace

TEST_F(ViaModule, StereoRoundTripKeepsLengthSignalAndInformation) {
  const auto pcm = Synth::Tone(44100, 2, 2.2);
  const std::string path = Encode(pcm, 128000, 8148);
  const std::string image = TYX::Test::ReadFileBytes(path);
  EXPECT_EQ(Synth::Get16(image, 36), 2u);
  EXPECT_EQ(Synth::Get16(image, 38), 44100u);
  EXPECT_EQ(Synth::Get16(image, 60), 2u);  // whole seconds, completed when the encoder stopped
  auto got = Decode(path);
  ASSERT_EQ(got.channels, 2);
  EXPECT_EQ(got.Frames(), pcm.Frames());
  for (int c = 0; c < 2; ++c) {
    auto m = Synth::Correlate(pcm.Channel(c), got.Channel(c), 8, -8);
    EXPECT_GT(m.correlation, 0.95) << "channel " << c;
    EXPECT_EQ(m.lag, 0);
  }
  // Roughly the bit rate asked for.
  const double kbps = image.size() * 8.0 / pcm.Seconds() / 1000;
  EXPECT_GT(kbps, 128 * 0.6);
  EXPECT_LT(kbps, 128 * 1.6);
}

TEST_F(ViaModule, MonoAtLowBitRateStillDecodes) {
  const auto pcm = Synth::Tone(44100, 1, 1.0, 300);
  const std::string path = Encode(pcm, 48000, 1001);
  auto got = Decode(path);
  ASSERT_EQ(got.channels, 1);
  EXPECT_EQ(got.Frames(), pcm.Frames());
  EXPECT_GT(Synth::Correlate(pcm.samples, got.samples, 8, -8).correlation, 0.9);
  const double kbps = TYX::Test::ReadFileBytes(path).size() * 8.0 / pcm.Seconds() / 1000;
  EXPECT_LT(kbps, 48 * 1.6);
}

TEST_F(ViaModule, MetadataLoadsAndUpdatesWithoutTouchingAudio) {
  const auto pcm = Synth::Tone(44100, 2, 0.5);
  const std::string path = Encode(pcm, 128000, 4000);
  VIA_MetaData meta{};
  ASSERT_EQ(metaLoad(path.c_str(), &meta), 0);
  EXPECT_STREQ(meta.title, "제목");
  EXPECT_STREQ(meta.artist, "가수");
  EXPECT_STREQ(meta.track, "3");
  const std::string image = TYX::Test::ReadFileBytes(path);
  VIA_MetaData fromBuffer{};
  ASSERT_EQ(metaLoadBuf(image.data(), static_cast<int>(image.size()), &fromBuffer), 0);
  EXPECT_STREQ(fromBuffer.album, "앨범");
  const auto before = Decode(path).samples;
  VIA_MetaData next{};
  std::strcpy(next.title, "새 제목");
  std::strcpy(next.comment, "updated");
  ASSERT_EQ(metaUpdate(path.c_str(), &next), 0);
  VIA_MetaData after{};
  ASSERT_EQ(metaLoad(path.c_str(), &after), 0);
  EXPECT_STREQ(after.title, "새 제목");
  EXPECT_STREQ(after.artist, "");
  EXPECT_STREQ(after.comment, "updated");
  EXPECT_EQ(Decode(path).samples, before);
}

TEST_F(ViaModule, RejectsWhatIsNotVia) {
  EXPECT_EQ(encInit(dir_.File("no/such/dir.via").c_str(), 44100, 2, 1, 128000), nullptr);
  EXPECT_EQ(encInit(dir_.File("a.via").c_str(), 44100, 3, 1, 128000), nullptr);
  char junk[128] = "not a via stream";
  EXPECT_EQ(decInit(junk), nullptr);
  const std::string other = dir_.Write("other.via", std::string(300, 'z'));
  VIA_MetaData meta{};
  EXPECT_EQ(metaLoad(other.c_str(), &meta), -1);
  EXPECT_EQ(metaUpdate(other.c_str(), &meta), -1);
  EXPECT_EQ(TYX::Test::ReadFileBytes(other), std::string(300, 'z'));
}

namespace {

// Bit rates that give each group size at 44100 Hz: 4 bits per coded sample and channel.
int BitrateForGroup(int channels, int group) { return 4 * 44100 * channels / group; }

}  // namespace

TEST_F(ViaModule, DecodedLengthIsTheEncodedLengthForEveryGroupSize) {
  for (int channels : {1, 2}) {
    for (int group : {1, 2, 3, 4, 6, 8}) {
      for (int extra : {0, 1, 3, 5, 7}) {
        SCOPED_TRACE(std::to_string(channels) + " channels, group " + std::to_string(group) + ", " +
                     std::to_string(extra) + " frames past a whole group");
        auto pcm = Synth::Tone(44100, channels, 0.25);
        pcm.samples.resize((pcm.Frames() / 24 * 24 + static_cast<std::size_t>(extra)) * channels, 1000);
        const std::string path = EncodeBytes(pcm, BitrateForGroup(channels, group), 8148, "len.via");
        const std::string image = TYX::Test::ReadFileBytes(path);
        ASSERT_EQ(Synth::Get16(image, 18), static_cast<unsigned>(group));
        EXPECT_EQ(Synth::Get32(image, 24), pcm.Frames());
        EXPECT_EQ(Decode(path).Frames(), pcm.Frames());
      }
    }
  }
}

TEST_F(ViaModule, AnyPieceSizeGivesTheSameFile) {
  for (int channels : {1, 2}) {
    SCOPED_TRACE(channels);
    const auto pcm = Synth::Tone(44100, channels, 0.3);
    const std::string whole = TYX::Test::ReadFileBytes(EncodeBytes(pcm, 96000, pcm.samples.size() * 2, "whole.via"));
    for (std::size_t piece : {8148u, 4096u, 1001u, 7u, 3u, 1u}) {
      SCOPED_TRACE(piece);
      EXPECT_EQ(TYX::Test::ReadFileBytes(EncodeBytes(pcm, 96000, piece, "piece.via")), whole);
    }
  }
}

TEST_F(ViaModule, TheStartOfAStreamDecodesSampleBySample) {
  // Sines that fade in over 512 frames, as music starts: the coder settles within a few samples, so
  // every frame from the first on is close to its source, and closer than a shifted copy would be.
  constexpr int kFrames = 2048;
  constexpr double kAmplitude = 9000;
  for (int channels : {1, 2}) {
    Synth::Pcm pcm;
    pcm.channels = channels;
    for (int n = 0; n < 4410; ++n) {
      const double fade = std::min(1.0, n / 512.0);
      for (int c = 0; c < channels; ++c) {
        pcm.samples.push_back(static_cast<std::int16_t>(
            std::lround(fade * kAmplitude * std::sin(2 * M_PI * (200.0 + 100 * c) * n / 44100))));
      }
    }
    for (int group : {1, 2, 3, 4, 8}) {
      SCOPED_TRACE(std::to_string(channels) + " channels, group " + std::to_string(group));
      const auto got = Decode(EncodeBytes(pcm, BitrateForGroup(channels, group), 8148, "start.via"));
      ASSERT_EQ(got.Frames(), pcm.Frames());
      for (int c = 0; c < channels; ++c) {
        const auto want = pcm.Channel(c);
        const auto have = got.Channel(c);
        int bad = 0;
        int first = -1;
        for (int n = 0; n < kFrames; ++n) {
          if (std::abs(want[n] - have[n]) <= 0.06 * kAmplitude) continue;
          if (bad++ == 0) first = n;
        }
        EXPECT_EQ(bad, 0) << "channel " << c << ", first at frame " << first << ": "
                          << (first >= 0 ? have[first] : 0) << " for " << (first >= 0 ? want[first] : 0);
        // Lined up to the frame: a copy shifted by half a group (one frame at least) is far worse.
        const int k = std::max(1, group / 2);
        auto rms = [&](int lag) {
          double sum = 0;
          for (int n = k; n < kFrames; ++n) sum += std::pow(double(want[n]) - have[n + lag], 2);
          return std::sqrt(sum / (kFrames - k));
        };
        EXPECT_LT(rms(0), 0.5 * std::min(rms(-k), rms(k))) << "channel " << c;
      }
    }
  }
}
