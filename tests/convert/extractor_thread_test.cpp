// The extraction worker on its own thread, driven by messages as the dialogs drive it, with audio the
// tests synthesise.
#include <gtest/gtest.h>

#include <dirent.h>

#include <condition_variable>
#include <cstring>
#include <mutex>
#include <tuple>

#include "components/audio/audio_synth.h"
#include "components/audio/bass_api.h"
#include "components/audio/cd_drive.h"
#include "convert/extractor_slot.h"
#include "convert/extractor_thread.h"
#include "platform/messaging.h"
#include "platform/os_services.h"
#include "platform/window.h"
#include "helpers/scripted_user_agent.h"
#include "helpers/temp_dir.h"
#include "convert/extractor_test_support.h"

using namespace TYX::Convert;
using namespace TYX::Win;
namespace Synth = TYX::Test::Synth;
namespace Audio = TYX::Audio;
using TYX::Test::GatedProc;
using TYX::Test::GatedStream;
using TYX::Test::kWatchdogMs;
using TYX::Test::OwnerWindow;
using TYX::Test::Worker;

namespace {

struct Source {
  const char* ext;
  const char* encoder;  // null for WAV
  int kind;             // source kind the conversion dialog would pass
  int frame;            // codec frame in samples (0 for PCM)
};

const Source kSources[] = {{"wav", nullptr, 0, 0}, {"mp3", "libmp3lame", 0, 1152}, {"ogg", "libvorbis", 1, 2048},
                           {"wma", "wmav2", 2, 2048}};

std::string MakeSource(const TYX::Test::TempDir& dir, const Source& s, const Synth::Pcm& pcm) {
  const std::string path = dir.File(std::string("source.") + s.ext);
  const bool ok = s.encoder ? Synth::EncodeFile(path, pcm, s.encoder, pcm.channels == 1 ? 64000 : 128000)
                            : Synth::WriteWav(path, pcm);
  EXPECT_TRUE(ok) << path;
  return path;
}

struct Target {
  int format;
  const char* ext;
  int bitrate;
  int frame;
};

const Target kTargets[] = {{EXTRACT_FORMAT_MP3, "mp3", 128, 1152},
                           {EXTRACT_FORMAT_OGG, "ogg", 96, 2048},
                           {EXTRACT_FORMAT_WMA, "wma", 128, 2048},
                           {EXTRACT_FORMAT_WAV, "wav", 0, 0},
                           {EXTRACT_FORMAT_VIA, "via", 128, 0}};

// Decodes a VIA file through the worker itself (VIA to WAV) so FFmpeg can read it.
Synth::Decoded DecodeVia(const std::string& via, const TYX::Test::TempDir& dir, OwnerWindow& owner) {
  Worker w(owner);
  const std::string wav = dir.File("via-back.wav");
  w->SetJob(0, 0, via, EXTRACT_SOURCE_VIA, wav, EXTRACT_FORMAT_WAV, 0, 0, 44100, 2, 2);
  EXPECT_EQ(w.Run(1), EXTRACT_OK);
  return Synth::DecodeFile(wav);
}

struct MatrixCase {
  int source;
  int rate;
  int channels;
};

class ExtractorMatrix : public ::testing::TestWithParam<MatrixCase> {};

TEST_P(ExtractorMatrix, EveryTargetDecodesBackToTheSource) {
  const MatrixCase c = GetParam();
  const Source& src = kSources[c.source];
  TYX::Test::TempDir dir;
  const double seconds = 1.5;
  const auto pcm = Synth::Tone(c.rate, c.channels, seconds);
  const std::string source = MakeSource(dir, src, pcm);
  OwnerWindow owner;
  Worker w(owner);
  for (const Target& t : kTargets) {
    SCOPED_TRACE(std::string(src.ext) + " to " + t.ext + " at " + std::to_string(c.rate) + "/" + std::to_string(c.channels));
    const std::string target = dir.File(std::string("out.") + t.ext);
    // VIA is written at 44100 Hz: the dialog's rate for it is 44100.
    const unsigned jobRate = t.format == EXTRACT_FORMAT_VIA ? 44100u : static_cast<unsigned>(c.rate);
    w->SetJob(0, 0, source, src.kind, target, t.format, t.bitrate, static_cast<int>(seconds), jobRate, c.channels,
              c.channels);
    ASSERT_EQ(w.Run(1), EXTRACT_OK);
    const auto d = t.format == EXTRACT_FORMAT_VIA ? DecodeVia(target, dir, owner) : Synth::DecodeFile(target);
    ASSERT_TRUE(d.ok);
    // The header tells the truth: the tone's pitch only matches at the declared rate.
    const int expectRate = t.format == EXTRACT_FORMAT_MP3 || t.format == EXTRACT_FORMAT_WAV ? c.rate : 44100;
    EXPECT_EQ(d.pcm.rate, expectRate);
    // MP3 keeps a mono source mono (LAME's own mode); Ogg, WMA and WAV are stereo; VIA is read back
    // through a stereo WAV.
    EXPECT_EQ(d.pcm.channels, t.format == EXTRACT_FORMAT_MP3 ? c.channels : 2);
    const auto want = Synth::Tone(d.pcm.rate, c.channels, seconds);
    const auto m = Synth::Correlate(want.Channel(0), d.pcm.Channel(0), 9000);
    EXPECT_GT(m.correlation, 0.9);
    if (d.pcm.channels == 2 && c.channels == 2) {
      EXPECT_GT(Synth::Correlate(want.Channel(1), d.pcm.Channel(1), 9000).correlation, 0.9);
    }
    // Duration within one codec frame of the target (and of a lossy source), once the codec delay the
    // correlation found is taken off.
    const double slack = (static_cast<double>(t.frame) + src.frame) / c.rate * (c.rate < 32000 && t.frame == 1152 ? 0.5 : 1.0) +
                         2.0 / c.rate;
    const double got = (static_cast<double>(d.pcm.Frames()) - m.lag) / d.pcm.rate;
    EXPECT_NEAR(got, seconds, slack + 0.002) << "lag " << m.lag;
    if (t.format == EXTRACT_FORMAT_WAV && src.encoder == nullptr) {
      // Bit-exact: every output channel is the source's (a mono source fills both).
      const auto out = d.pcm;
      ASSERT_EQ(out.Frames(), pcm.Frames());
      for (int ch = 0; ch < out.channels; ++ch) EXPECT_EQ(out.Channel(ch), pcm.Channel(ch % pcm.channels));
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Sources, ExtractorMatrix,
                         ::testing::Values(MatrixCase{0, 44100, 2}, MatrixCase{0, 22050, 1}, MatrixCase{1, 44100, 2},
                                           MatrixCase{1, 22050, 1}, MatrixCase{2, 44100, 2}, MatrixCase{2, 22050, 1},
                                           MatrixCase{3, 44100, 2}, MatrixCase{3, 22050, 1}),
                         [](const auto& info) {
                           return std::string(kSources[info.param.source].ext) + "_" + std::to_string(info.param.rate) +
                                  "_" + std::to_string(info.param.channels);
                         });

TEST(ExtractorMp3, OutputRateFollowsTheLayer3Rule) {
  TYX::Test::TempDir dir;
  const auto pcm = Synth::Tone(22050, 2, 1.0);
  ASSERT_TRUE(Synth::WriteWav(dir.File("s.wav"), pcm));
  OwnerWindow owner;
  Worker w(owner);
  w->SetJob(0, 0, dir.File("s.wav"), 0, dir.File("a.mp3"), EXTRACT_FORMAT_MP3, 64, 1, 22050, 2, 2);
  ASSERT_EQ(w.Run(1), 0);
  EXPECT_EQ(Synth::DecodeFile(dir.File("a.mp3")).pcm.rate, 22050);
  w->SetJob(0, 0, dir.File("s.wav"), 0, dir.File("b.mp3"), EXTRACT_FORMAT_MP3, 192, 1, 22050, 2, 2);
  ASSERT_EQ(w.Run(1), 0);
  const auto d = Synth::DecodeFile(dir.File("b.mp3"));
  EXPECT_EQ(d.pcm.rate, 44100);
  EXPECT_GT(Synth::Correlate(Synth::Tone(44100, 2, 1.0).Channel(0), d.pcm.Channel(0), 4000).correlation, 0.9);
  // Variable quality 5 through the worker too.
  w->SetJob(0, 0, dir.File("s.wav"), 0, dir.File("c.mp3"), EXTRACT_FORMAT_MP3, 1005, 1, 22050, 2, 1);
  ASSERT_EQ(w.Run(1), 0);
  EXPECT_EQ(Synth::DecodeFile(dir.File("c.mp3")).pcm.channels, 1);
}

TEST(ExtractorCancel, CancelledWavIsPlayableWithTrueSizesAndOneCompletion) {
  TYX::Test::TempDir dir;
  OwnerWindow owner;
  Worker w(owner);
  GatedStream g;
  g.worker = &*w;
  g.data = Synth::Tone(44100, 2, 4.0).samples;
  g.pauseAfter = 4;
  w->SetSourceOpenerForTesting([&](const std::string&, int) {
    return Audio::BASS_StreamCreate(44100, 2, Audio::BASS_STREAM_DECODE, &GatedProc, &g);
  });
  const std::string target = dir.File("cut.wav");
  w->SetJob(0, 0, "gated", 0, target, EXTRACT_FORMAT_WAV, 0, 20, 44100, 2, 2);
  w->PostThreadMessage(WM_EXTRACTOR_START, 1);
  // Pumps while waiting: the worker sends its total to this thread first.
  ASSERT_TRUE(PumpUntil(
      [&] {
        std::lock_guard<std::mutex> lock(g.mutex);
        return g.paused;
      },
      kWatchdogMs));
  w->StopJob();  // answers the worker's total while it waits
  EXPECT_FALSE(w->IsJobRunning());
  ASSERT_TRUE(PumpUntil([&] { return owner.DoneCount() == 1; }, kWatchdogMs));
  PumpMessages();
  ASSERT_EQ(owner.Done().size(), 1u);
  EXPECT_EQ(owner.Done()[0].second, EXTRACT_OK);
  const std::string bytes = TYX::Test::ReadFileBytes(target);
  ASSERT_GE(bytes.size(), 44u);
  EXPECT_EQ(Synth::Get32(bytes, 4), bytes.size() - 8);
  EXPECT_EQ(Synth::Get32(bytes, 40), bytes.size() - 44);
  // Stopped after the fifth block: four full blocks and the one in hand, far short of the whole.
  EXPECT_EQ(bytes.size() - 44, 5u * kReadBlock);
  const auto d = Synth::DecodeFile(target);
  ASSERT_TRUE(d.ok);
  EXPECT_EQ(d.pcm.samples, std::vector<std::int16_t>(g.data.begin(), g.data.begin() + d.pcm.samples.size()));
  // The worker takes the next job as usual.
  w->SetSourceOpenerForTesting(nullptr);
  ASSERT_TRUE(Synth::WriteWav(dir.File("s.wav"), Synth::Tone(44100, 2, 0.3)));
  w->SetJob(0, 0, dir.File("s.wav"), 0, dir.File("next.wav"), EXTRACT_FORMAT_WAV, 0, 0, 44100, 2, 2);
  EXPECT_EQ(w.Run(1), EXTRACT_OK);
}

TEST(ExtractorFailures, StalledOggDecodeGives99Once) {
  TYX::Test::TempDir dir;
  OwnerWindow owner;
  Worker w(owner);
  GatedStream g;
  g.worker = &*w;
  g.stalled = true;
  w->SetSourceOpenerForTesting([&](const std::string&, int) {
    return Audio::BASS_StreamCreate(44100, 2, Audio::BASS_STREAM_DECODE, &GatedProc, &g);
  });
  w->SetJob(0, 0, "stalled", 0, dir.File("x.ogg"), EXTRACT_FORMAT_OGG, 128, 10, 44100, 2, 2);
  EXPECT_EQ(w.Run(1), EXTRACT_STALLED);
  EXPECT_EQ(owner.Done().size(), 1u);
}

TEST(ExtractorFailures, UnopenableSourceGives3) {
  TYX::Test::TempDir dir;
  OwnerWindow owner;
  Worker w(owner);
  w->SetJob(0, 0, dir.File("missing.mp3"), 0, dir.File("x.mp3"), EXTRACT_FORMAT_MP3, 128, 1, 44100, 2, 2);
  EXPECT_EQ(w.Run(1), EXTRACT_DECODE_FAILED);
  const std::string junk = dir.Write("junk.wma", std::string(4000, 'j'));
  w->SetJob(0, 0, junk, EXTRACT_SOURCE_WMA, dir.File("y.wav"), EXTRACT_FORMAT_WAV, 0, 1, 44100, 2, 2);
  EXPECT_EQ(w.Run(1), EXTRACT_DECODE_FAILED);
  w->SetJob(0, 0, junk, EXTRACT_SOURCE_VIA, dir.File("y.wav"), EXTRACT_FORMAT_WAV, 0, 1, 44100, 2, 2);
  EXPECT_EQ(w.Run(1), EXTRACT_DECODE_FAILED);
  EXPECT_EQ(owner.Done().size(), 3u);
  EXPECT_FALSE(TYX::Test::ReadFileBytes(dir.File("y.wav")).size() > 0);
}

TEST(ExtractorFailures, UnwritableTargetGives2AndWavSaysSo) {
  TYX::Test::TempDir dir;
  ASSERT_TRUE(Synth::WriteWav(dir.File("s.wav"), Synth::Tone(44100, 2, 0.3)));
  TYX::Test::ScopedUserAgent agent;
  agent->ExpectMessageBox(IDOK, false, "Can't create file");
  OwnerWindow owner;
  Worker w(owner);
  const std::string bad = dir.File("no/such/folder/out.");
  for (const Target& t : kTargets) {
    if (t.format == EXTRACT_FORMAT_VIA) continue;
    SCOPED_TRACE(t.ext);
    w->SetJob(0, 0, dir.File("s.wav"), 0, bad + t.ext, t.format, t.bitrate, 1, 44100, 2, 2);
    EXPECT_EQ(w.Run(1), EXTRACT_CREATE_FAILED);
  }
  EXPECT_TRUE(agent->AllAnswersUsed());
  ASSERT_EQ(agent->Prompts().size(), 1u);
  EXPECT_EQ(agent->Prompts()[0].text, "Can't create file");
  // VIA refuses rates other than 44100 and a target it cannot create, both with 99.
  w->SetJob(0, 0, dir.File("s.wav"), 0, dir.File("a.via"), EXTRACT_FORMAT_VIA, 128, 1, 22050, 2, 2);
  EXPECT_EQ(w.Run(1), EXTRACT_STALLED);
  w->SetJob(0, 0, dir.File("s.wav"), 0, bad + "via", EXTRACT_FORMAT_VIA, 128, 1, 44100, 2, 2);
  EXPECT_EQ(w.Run(1), EXTRACT_STALLED);
}

TEST(ExtractorCd, RipsATrackOfACueBinImageAndUnlocksTheDoor) {
  TYX::Test::TempDir dir;
  std::vector<Synth::Pcm> tracks = {Synth::Tone(44100, 2, 0.8, 330), Synth::Tone(44100, 2, 1.2, 550)};
  std::vector<std::size_t> bytes;
  ASSERT_TRUE(Synth::WriteCueBin(dir.File("d.cue"), dir.File("d.bin"), tracks, &bytes));
  Audio::SetAudioCD(Audio::CreateCdioAudioCD({dir.File("d.cue")}, false));
  OwnerWindow owner;
  Worker w(owner);
  const int seconds = static_cast<int>(Audio::BASS_CD_GetTrackLength(0, 1) / 176400);
  w->SetJob(0, 1, "", EXTRACT_FORMAT_WAV, dir.File("Track02.wav"), EXTRACT_FORMAT_WAV, 0, seconds, 44100, 2, 2);
  ASSERT_EQ(w.Run(0), EXTRACT_OK);
  EXPECT_EQ(owner.messages.front().first, EXTRACTOR_TOTAL);
  EXPECT_EQ(static_cast<std::size_t>(owner.messages.front().second), bytes[1]);
  auto d = Synth::DecodeFile(dir.File("Track02.wav"));
  ASSERT_EQ(d.pcm.samples.size() * 2, bytes[1]);
  d.pcm.samples.resize(tracks[1].samples.size());
  EXPECT_EQ(d.pcm.samples, tracks[1].samples);
  EXPECT_FALSE(Audio::BASS_CD_DoorIsLocked(0));
  // Track one to Ogg as the ripping dialog asks for it.
  w->SetJob(0, 0, "", EXTRACT_FORMAT_OGG, dir.File("Track01.ogg"), EXTRACT_FORMAT_OGG, 1005, 0, 44100, 2, 2);
  ASSERT_EQ(w.Run(0), EXTRACT_OK);
  const auto ogg = Synth::DecodeFile(dir.File("Track01.ogg"));
  EXPECT_GT(Synth::Correlate(tracks[0].Channel(1), ogg.pcm.Channel(1), 3000).correlation, 0.9);
  // A track that is not there: 1, and the door is not left locked.
  w->SetJob(0, 9, "", EXTRACT_FORMAT_MP3, dir.File("Track10.mp3"), EXTRACT_FORMAT_MP3, 128, 0, 44100, 2, 2);
  EXPECT_EQ(w.Run(0), EXTRACT_CD_UNREADABLE);
  EXPECT_FALSE(Audio::BASS_CD_DoorIsLocked(0));
  Audio::SetAudioCD(nullptr);
}

TEST(ExtractorCd, ARipAfterAMonoConversionIsStereo) {
  // The worker is shared: a conversion to mono VIA before the rip must not make the rip mono.
  TYX::Test::TempDir dir;
  std::vector<Synth::Pcm> tracks = {Synth::Tone(44100, 2, 0.7, 330)};
  std::vector<std::size_t> bytes;
  ASSERT_TRUE(Synth::WriteCueBin(dir.File("d.cue"), dir.File("d.bin"), tracks, &bytes));
  Audio::SetAudioCD(Audio::CreateCdioAudioCD({dir.File("d.cue")}, false));
  ASSERT_TRUE(Synth::WriteWav(dir.File("song.wav"), Synth::Tone(44100, 2, 0.5)));
  OwnerWindow owner;
  Worker w(owner);
  w->SetJob(0, 0, dir.File("song.wav"), 3, dir.File("song.via"), EXTRACT_FORMAT_VIA, 40, 0, 44100, 2, 1);
  ASSERT_EQ(w.Run(1), EXTRACT_OK);
  ASSERT_EQ(w->JobTargetChannels(), 1);
  for (const auto& [format, ext, bitrate] : {std::tuple{EXTRACT_FORMAT_WAV, "wav", 0},
                                             std::tuple{EXTRACT_FORMAT_OGG, "ogg", 128},
                                             std::tuple{EXTRACT_FORMAT_WMA, "wma", 128}}) {
    SCOPED_TRACE(ext);
    const std::string target = dir.File(std::string("Track01.") + ext);
    w->SetJob(0, 0, "", format, target, format, bitrate, 0, 44100, 2, 2);
    ASSERT_EQ(w.Run(0), EXTRACT_OK);
    const auto d = Synth::DecodeFile(target);
    ASSERT_TRUE(d.ok);
    ASSERT_EQ(d.pcm.channels, 2);
    EXPECT_EQ(d.pcm.rate, 44100);
    // Left and right are the track's own, not one channel twice.
    for (int ch = 0; ch < 2; ++ch) {
      EXPECT_GT(Synth::Correlate(tracks[0].Channel(ch), d.pcm.Channel(ch), 3000).correlation, 0.9) << ch;
    }
    if (format == EXTRACT_FORMAT_WAV) {
      EXPECT_EQ(d.pcm.samples.size() * 2, bytes[0]);
    }
  }
  Audio::SetAudioCD(nullptr);
}

int CountTempFiles() {
  int n = 0;
  if (DIR* d = opendir(Os::GetTempFolder().c_str())) {
    while (dirent* e = readdir(d))
      if (std::strncmp(e->d_name, "AM_", 3) == 0) ++n;
    closedir(d);
  }
  return n;
}

TEST(ExtractorVia, ViaSourceDecodesThroughTheReaderAndLeavesNoTemporaryFile) {
  TYX::Test::TempDir dir;
  const auto pcm = Synth::Tone(44100, 2, 2.0);
  ASSERT_TRUE(Synth::WriteWav(dir.File("s.wav"), pcm));
  OwnerWindow owner;
  Worker w(owner);
  w->SetJob(0, 0, dir.File("s.wav"), 0, dir.File("a.via"), EXTRACT_FORMAT_VIA, 128, 2, 44100, 2, 2);
  ASSERT_EQ(w.Run(1), EXTRACT_OK);
  const int tempBefore = CountTempFiles();
  w->SetJob(0, 0, dir.File("a.via"), EXTRACT_SOURCE_VIA, dir.File("b.mp3"), EXTRACT_FORMAT_MP3, 128, 2, 44100, 2, 2);
  ASSERT_EQ(w.Run(1), EXTRACT_OK);
  // The total is the reader's: the stream information's whole seconds.
  EXPECT_EQ(owner.messages[owner.messages.size() - 2].first == EXTRACTOR_TOTAL ||
                owner.messages[owner.messages.size() - 2].first == EXTRACTOR_POSITION,
            true);
  EXPECT_EQ(CountTempFiles(), tempBefore);
  const auto d = Synth::DecodeFile(dir.File("b.mp3"));
  EXPECT_GT(Synth::Correlate(pcm.Channel(0), d.pcm.Channel(0), 3000).correlation, 0.9);
  EXPECT_NEAR(d.pcm.Seconds(), 2.0, 3 * 1152.0 / 44100);
}

TEST(ExtractorSlot, OneSharedWorkerEndedByThePanel) {
  OwnerWindow a, b;
  CExtractorThread* first = AcquireExtractorThread(a.GetSafeHwnd());
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(GetExtractorThread(), first);
  EXPECT_EQ(AcquireExtractorThread(b.GetSafeHwnd()), first);
  EXPECT_EQ(first->Owner(), b.GetSafeHwnd());
  first->ResumeThread();
  TYX::Test::TempDir dir;
  ASSERT_TRUE(Synth::WriteWav(dir.File("s.wav"), Synth::Tone(44100, 1, 0.2)));
  first->SetJob(0, 0, dir.File("s.wav"), 0, dir.File("o.wav"), EXTRACT_FORMAT_WAV, 0, 0, 44100, 1, 2);
  first->PostThreadMessage(WM_EXTRACTOR_START, 1);
  ASSERT_TRUE(PumpUntil([&] { return b.DoneCount() == 1; }, kWatchdogMs));
  EndExtractorThread();
  EXPECT_EQ(GetExtractorThread(), nullptr);
  EXPECT_EQ(Synth::DecodeFile(dir.File("o.wav")).pcm.channels, 2);
}

}  // namespace
