// Jobs that must not lose data or mislead the dialogs: a target that is the source, an empty source, a
// CD track ripped to VIA, the completion ordered after the clean-up, a target folder that fills up.
#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

#include "components/audio/audio_synth.h"
#include "components/audio/bass_api.h"
#include "components/audio/cd_drive.h"
#include "convert/extractor_test_support.h"
#include "convert/extractor_thread.h"
#include "helpers/scripted_user_agent.h"
#include "helpers/small_file_system.h"
#include "helpers/temp_dir.h"
#include "platform/messaging.h"

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

struct Format {
  int format;
  const char* ext;
  int bitrate;
};

const Format kFormats[] = {{EXTRACT_FORMAT_MP3, "mp3", 128},
                           {EXTRACT_FORMAT_OGG, "ogg", 96},
                           {EXTRACT_FORMAT_WMA, "wma", 128},
                           {EXTRACT_FORMAT_WAV, "wav", 0},
                           {EXTRACT_FORMAT_VIA, "via", 128}};

std::vector<std::pair<WPARAM, LPARAM>> Totals(const OwnerWindow& owner, std::size_t from) {
  std::vector<std::pair<WPARAM, LPARAM>> out;
  for (std::size_t i = from; i < owner.messages.size(); ++i)
    if (owner.messages[i].first == EXTRACTOR_TOTAL) out.push_back(owner.messages[i]);
  return out;
}

TEST(ExtractorSameFile, ATargetThatIsItsOwnSourceIsRefusedAndTheSourceKept) {
  TYX::Test::TempDir dir;
  const auto pcm = Synth::Tone(44100, 2, 0.5);
  const std::string source = dir.File("song.wav");
  ASSERT_TRUE(Synth::WriteWav(source, pcm));
  const std::string original = TYX::Test::ReadFileBytes(source);
  dir.Write("sub/keep", "");
  ASSERT_EQ(::symlink(source.c_str(), dir.File("link.wav").c_str()), 0);
  ASSERT_EQ(::link(source.c_str(), dir.File("hard.wav").c_str()), 0);
  const std::string spellings[] = {source, dir.Path() + "/./song.wav", dir.Path() + "/sub/../song.wav",
                                   dir.File("link.wav"), dir.File("hard.wav")};
  OwnerWindow owner;
  Worker w(owner);
  for (const Format& f : kFormats) {
    for (const std::string& target : spellings) {
      SCOPED_TRACE(std::string(f.ext) + " to " + target);
      const std::size_t before = owner.messages.size();
      w->SetJob(0, 0, source, 0, target, f.format, f.bitrate, 0, 44100, 2, 2);
      EXPECT_EQ(w.Run(1), EXTRACT_CREATE_FAILED);
      // Nothing was opened: no total came before the refusal.
      EXPECT_TRUE(Totals(owner, before).empty());
      ASSERT_EQ(TYX::Test::ReadFileBytes(source), original);
    }
  }
  // The source also goes in as the link: the file behind both is the same.
  w->SetJob(0, 0, dir.File("link.wav"), 0, dir.File("hard.wav"), EXTRACT_FORMAT_WAV, 0, 0, 44100, 2, 2);
  EXPECT_EQ(w.Run(1), EXTRACT_CREATE_FAILED);
  EXPECT_EQ(TYX::Test::ReadFileBytes(source), original);
  // A target of the same name in another folder is a different file.
  w->SetJob(0, 0, source, 0, dir.File("sub/song.wav"), EXTRACT_FORMAT_WAV, 0, 0, 44100, 2, 2);
  EXPECT_EQ(w.Run(1), EXTRACT_OK);
  EXPECT_EQ(Synth::DecodeFile(dir.File("sub/song.wav")).pcm.samples, pcm.samples);
}

TEST(ExtractorEmptySource, AHeaderOnlyWavReportsATotalOfZeroAndMakesAnEmptyTarget) {
  TYX::Test::TempDir dir;
  Synth::Pcm empty;
  ASSERT_TRUE(Synth::WriteWav(dir.File("empty.wav"), empty));
  OwnerWindow owner;
  Worker w(owner);
  for (const Format& f : kFormats) {
    SCOPED_TRACE(f.ext);
    const std::size_t before = owner.messages.size();
    w->SetJob(0, 0, dir.File("empty.wav"), 0, dir.File(std::string("out.") + f.ext), f.format, f.bitrate, 0, 44100, 2,
              2);
    EXPECT_EQ(w.Run(1), EXTRACT_OK);
    const auto totals = Totals(owner, before);
    ASSERT_EQ(totals.size(), 1u);
    EXPECT_EQ(totals[0].second, 0);
  }
  const std::string wav = TYX::Test::ReadFileBytes(dir.File("out.wav"));
  ASSERT_EQ(wav.size(), 44u);
  EXPECT_EQ(Synth::Get32(wav, 40), 0u);
}

TEST(ExtractorCd, ATrackRippedToViaReportsTheTrackLengthFirst) {
  TYX::Test::TempDir dir;
  std::vector<Synth::Pcm> tracks = {Synth::Tone(44100, 2, 0.6, 330), Synth::Tone(44100, 2, 1.1, 550)};
  std::vector<std::size_t> bytes;
  ASSERT_TRUE(Synth::WriteCueBin(dir.File("d.cue"), dir.File("d.bin"), tracks, &bytes));
  Audio::SetAudioCD(Audio::CreateCdioAudioCD({dir.File("d.cue")}, false));
  OwnerWindow owner;
  Worker w(owner);
  // The ripping dialog names the target format as the source kind too: 4 for VIA.
  for (const Format& f : kFormats) {
    SCOPED_TRACE(f.ext);
    const std::size_t before = owner.messages.size();
    w->SetJob(0, 1, "", f.format, dir.File(std::string("Track02.") + f.ext), f.format, f.bitrate, 1, 44100, 2, 2);
    ASSERT_EQ(w.Run(0), EXTRACT_OK);
    ASSERT_GT(owner.messages.size(), before);
    EXPECT_EQ(owner.messages[before].first, EXTRACTOR_TOTAL);
    EXPECT_EQ(static_cast<std::size_t>(owner.messages[before].second), bytes[1]);
  }
  Audio::SetAudioCD(nullptr);
}

TEST(ExtractorVia, AViaSourceReportsItsExactLengthEvenUnderASecond) {
  // The dialogs divide by the total: whole seconds would give 0 for a short file.
  TYX::Test::TempDir dir;
  for (double seconds : {0.4, 1.7}) {
    SCOPED_TRACE(seconds);
    const auto pcm = Synth::Tone(44100, 2, seconds);
    ASSERT_TRUE(Synth::WriteWav(dir.File("s.wav"), pcm));
    OwnerWindow owner;
    Worker w(owner);
    w->SetJob(0, 0, dir.File("s.wav"), 0, dir.File("s.via"), EXTRACT_FORMAT_VIA, 128, 0, 44100, 2, 2);
    ASSERT_EQ(w.Run(1), EXTRACT_OK);
    const std::size_t before = owner.messages.size();
    w->SetJob(0, 0, dir.File("s.via"), EXTRACT_SOURCE_VIA, dir.File("back.wav"), EXTRACT_FORMAT_WAV, 0, 0, 44100, 2, 2);
    ASSERT_EQ(w.Run(1), EXTRACT_OK);
    const auto totals = Totals(owner, before);
    ASSERT_EQ(totals.size(), 1u);
    EXPECT_EQ(static_cast<std::size_t>(totals[0].second), pcm.samples.size() * 2);
    EXPECT_EQ(Synth::DecodeFile(dir.File("back.wav")).pcm.samples.size(), pcm.samples.size());
  }
}

// A drive whose unlock waits for the test: the finish step unlocks the door for every job, so a job
// held there is one whose clean-up has not ended.
class GatedUnlockCd : public Audio::TYX_AudioCD {
 public:
  int DriveCount() override { return 1; }
  std::string DriveName(int) override { return "gated"; }
  int TrackCount(int) override { return -1; }
  std::int64_t TrackLength(int, int) override { return -1; }
  bool Door(int, int action) override {
    if (action != Audio::BASS_CD_DOOR_UNLOCK) return true;
    std::unique_lock<std::mutex> lock(mutex);
    entered = true;
    cv.notify_all();
    cv.wait_for(lock, std::chrono::milliseconds(kWatchdogMs), [&] { return released; });
    return true;
  }
  bool DoorIsOpen(int) override { return false; }
  bool DoorIsLocked(int) override { return false; }
  std::unique_ptr<Audio::TYX_PcmSource> OpenTrack(int, int) override { return nullptr; }
  int LastError() override { return 0; }

  bool Entered() {
    std::lock_guard<std::mutex> lock(mutex);
    return entered;
  }
  void Release() {
    std::lock_guard<std::mutex> lock(mutex);
    released = true;
    cv.notify_all();
  }

  std::mutex mutex;
  std::condition_variable cv;
  bool entered = false;
  bool released = false;
};

TEST(ExtractorCompletion, OggFailuresAreReportedOnlyOnceTheCleanUpHasRun) {
  TYX::Test::TempDir dir;
  ASSERT_TRUE(Synth::WriteWav(dir.File("s.wav"), Synth::Tone(44100, 2, 0.3)));
  for (const bool stalled : {false, true}) {
    SCOPED_TRACE(stalled ? "stalled source" : "target not creatable");
    auto cd = std::make_shared<GatedUnlockCd>();
    Audio::SetAudioCD(cd);
    OwnerWindow owner;
    Worker w(owner);
    GatedStream g;
    g.worker = &*w;
    g.stalled = true;
    if (stalled) {
      w->SetSourceOpenerForTesting([&](const std::string&, int) {
        return Audio::BASS_StreamCreate(44100, 2, Audio::BASS_STREAM_DECODE, &GatedProc, &g);
      });
    }
    const std::string target = stalled ? dir.File("x.ogg") : dir.File("no/such/folder/x.ogg");
    w->SetJob(0, 0, dir.File("s.wav"), 0, target, EXTRACT_FORMAT_OGG, 128, 1, 44100, 2, 2);
    w->PostThreadMessage(WM_EXTRACTOR_START, 1);
    ASSERT_TRUE(PumpUntil([&] { return cd->Entered(); }, kWatchdogMs));
    // Held inside the clean-up: still running, so StopJob would wait, and nothing reported yet.
    EXPECT_TRUE(w->IsJobRunning());
    PumpMessages();
    EXPECT_EQ(owner.DoneCount(), 0);
    cd->Release();
    ASSERT_TRUE(PumpUntil([&] { return owner.DoneCount() == 1; }, kWatchdogMs));
    EXPECT_FALSE(w->IsJobRunning());
    PumpMessages();
    ASSERT_EQ(owner.Done().size(), 1u);
    EXPECT_EQ(owner.Done()[0].second, stalled ? EXTRACT_STALLED : EXTRACT_CREATE_FAILED);
    Audio::SetAudioCD(nullptr);
  }
}

TEST(ExtractorOgg, AMonoSourceAt44100BecomesStereoWithBothChannelsEqual) {
  // Whole 61440-byte reads of mono PCM double in place: the buffer has to hold twice the read.
  TYX::Test::TempDir dir;
  const auto pcm = Synth::Tone(44100, 1, 2.5);
  ASSERT_TRUE(Synth::WriteWav(dir.File("mono.wav"), pcm));
  OwnerWindow owner;
  Worker w(owner);
  w->SetJob(0, 0, dir.File("mono.wav"), 0, dir.File("out.ogg"), EXTRACT_FORMAT_OGG, 128, 2, 44100, 1, 2);
  ASSERT_EQ(w.Run(1), EXTRACT_OK);
  const auto d = Synth::DecodeFile(dir.File("out.ogg"));
  ASSERT_TRUE(d.ok);
  ASSERT_EQ(d.pcm.channels, 2);
  EXPECT_NEAR(d.pcm.Seconds(), pcm.Seconds(), 2048.0 / 44100);
  for (int c = 0; c < 2; ++c) EXPECT_GT(Synth::Correlate(pcm.samples, d.pcm.Channel(c), 3000).correlation, 0.9);
  // Joint stereo of two equal channels decodes to two equal channels.
  const auto left = d.pcm.Channel(0);
  const auto right = d.pcm.Channel(1);
  int differ = 0;
  for (std::size_t i = 0; i < left.size(); ++i) differ += std::abs(left[i] - right[i]) > 2;
  EXPECT_EQ(differ, 0);
}

class ExtractorFullDisk : public ::testing::TestWithParam<Format> {};

TEST_P(ExtractorFullDisk, ATargetFolderThatFillsUpFailsTheJobAndLeavesNoHalfFile) {
  const Format f = GetParam();
  TYX::Test::SmallFileSystem fs(16 * 1024);
  if (!fs.Mounted()) GTEST_SKIP() << fs.Error();
  TYX::Test::TempDir dir;
  ASSERT_TRUE(Synth::WriteWav(dir.File("long.wav"), Synth::Tone(44100, 2, 6.0)));
  TYX::Test::ScopedUserAgent agent;  // no message box is expected
  OwnerWindow owner;
  Worker w(owner);
  const std::string target = fs.File(std::string("out.") + f.ext);
  w->SetJob(0, 0, dir.File("long.wav"), 0, target, f.format, f.bitrate, 6, 44100, 2, 2);
  const int result = w.Run(1);
  EXPECT_NE(result, EXTRACT_OK);
  EXPECT_EQ(CExtractorThread::ResultText(result), "파일을 생성할 수 없습니다");
  EXPECT_NE(::access(target.c_str(), F_OK), 0) << "a half-written target was left behind";
  EXPECT_TRUE(agent->Prompts().empty());
  // With room again the same job succeeds.
  TYX::Test::TempDir roomy;
  w->SetJob(0, 0, dir.File("long.wav"), 0, roomy.File(std::string("out.") + f.ext), f.format, f.bitrate, 6, 44100, 2,
            2);
  EXPECT_EQ(w.Run(1), EXTRACT_OK);
}

INSTANTIATE_TEST_SUITE_P(Formats, ExtractorFullDisk, ::testing::ValuesIn(kFormats),
                         [](const auto& info) { return std::string(info.param.ext); });

}  // namespace
