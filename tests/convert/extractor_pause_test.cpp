// The worker's pause between blocks and the starts a StopJob gives up, driven as the dialogs drive them.
#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <cstring>

#include "components/audio/audio_synth.h"
#include "components/audio/bass_api.h"
#include "convert/extractor_test_support.h"
#include "convert/extractor_thread.h"
#include "helpers/temp_dir.h"
#include "platform/event.h"
#include "platform/messaging.h"

using namespace TYX::Convert;
using namespace TYX::Win;
namespace Synth = TYX::Test::Synth;
namespace Audio = TYX::Audio;
using TYX::Test::kWatchdogMs;
using TYX::Test::OwnerWindow;
using TYX::Test::Worker;

namespace {

// A tone handed out block by block; at block `pauseAt` it asks the worker to pause (as a dialog would
// while the person reads its question), so the pause lands at a known place.
struct CountingStream {
  CExtractorThread* worker = nullptr;
  std::vector<std::int16_t> data;
  std::size_t off = 0;
  std::atomic<int> blocks{0};
  int pauseAt = -1;
};

Audio::DWORD CountingProc(Audio::HSTREAM, void* buffer, Audio::DWORD length, void* user) {
  auto* c = static_cast<CountingStream*>(user);
  if (c->blocks.load() == c->pauseAt) c->worker->PauseJob();
  ++c->blocks;
  const std::size_t n = std::min<std::size_t>((c->data.size() - c->off) * 2, length);
  std::memcpy(buffer, c->data.data() + c->off, n);
  c->off += n / 2;
  return static_cast<Audio::DWORD>(n) | (c->off == c->data.size() ? Audio::BASS_STREAMPROC_END : 0u);
}

class ExtractorPause : public ::testing::Test {
 protected:
  void Open(Worker& w, CountingStream& c, double seconds) {
    c.worker = &*w;
    c.data = Synth::Tone(44100, 2, seconds).samples;
    w->SetSourceOpenerForTesting([&c](const std::string&, int) {
      return Audio::BASS_StreamCreate(44100, 2, Audio::BASS_STREAM_DECODE, &CountingProc, &c);
    });
  }
  TYX::Test::TempDir dir_;
};

TEST_F(ExtractorPause, APausedJobReadsNoFurtherBlockUntilResumedAndLosesNothing) {
  OwnerWindow owner;
  Worker w(owner);
  CountingStream c;
  Open(w, c, 3.0);
  c.pauseAt = 2;
  const std::string target = dir_.File("paused.wav");
  w->SetJob(0, 0, "counting", 0, target, EXTRACT_FORMAT_WAV, 0, 3, 44100, 2, 2);
  w->PostThreadMessage(WM_EXTRACTOR_START, 1);
  ASSERT_TRUE(PumpUntil([&] { return w->IsHeldByPause(); }, kWatchdogMs));
  // Held before the block after the one in hand: three blocks were read, none since.
  EXPECT_EQ(c.blocks.load(), 3);
  EXPECT_TRUE(w->IsJobRunning());
  EXPECT_EQ(owner.DoneCount(), 0);
  w->ResumeJob();
  EXPECT_FALSE(w->IsPaused());
  ASSERT_TRUE(PumpUntil([&] { return owner.DoneCount() == 1; }, kWatchdogMs));
  EXPECT_EQ(owner.Done()[0].second, EXTRACT_OK);
  // Every sample once, in order, across the pause.
  EXPECT_EQ(Synth::DecodeFile(target).pcm.samples, c.data);
}

TEST_F(ExtractorPause, AResumeWithoutAPauseIsNotRememberedAndAStopLiftsAPause) {
  OwnerWindow owner;
  Worker w(owner);
  CountingStream c;
  Open(w, c, 3.0);
  c.pauseAt = 1;
  // Resumed while nothing was paused: the pause that follows must still hold.
  w->ResumeJob();
  const std::string target = dir_.File("stopped.wav");
  w->SetJob(0, 0, "counting", 0, target, EXTRACT_FORMAT_WAV, 0, 3, 44100, 2, 2);
  w->PostThreadMessage(WM_EXTRACTOR_START, 1);
  ASSERT_TRUE(PumpUntil([&] { return w->IsHeldByPause(); }, kWatchdogMs));
  EXPECT_EQ(c.blocks.load(), 2);
  // A stop while paused ends the job at once, with one completion and a closed, playable file.
  w->StopJob();
  EXPECT_FALSE(w->IsJobRunning());
  EXPECT_FALSE(w->IsPaused());
  ASSERT_TRUE(PumpUntil([&] { return owner.DoneCount() == 1; }, kWatchdogMs));
  PumpMessages();
  EXPECT_EQ(owner.DoneCount(), 1);
  const std::string bytes = TYX::Test::ReadFileBytes(target);
  ASSERT_EQ(bytes.size(), 44u + 2u * kReadBlock);
  EXPECT_EQ(Synth::Get32(bytes, 40), bytes.size() - 44);
  // The next job is not held by the old pause.
  w->SetSourceOpenerForTesting(nullptr);
  ASSERT_TRUE(Synth::WriteWav(dir_.File("s.wav"), Synth::Tone(44100, 2, 0.2)));
  w->SetJob(0, 0, dir_.File("s.wav"), 0, dir_.File("next.wav"), EXTRACT_FORMAT_WAV, 0, 0, 44100, 2, 2);
  EXPECT_EQ(w.Run(1), EXTRACT_OK);
}

TEST_F(ExtractorPause, AJobPausedBeforeItStartsWaitsBeforeItsFirstBlock) {
  OwnerWindow owner;
  Worker w(owner);
  CountingStream c;
  Open(w, c, 1.0);
  w->PauseJob();
  w->SetJob(0, 0, "counting", 0, dir_.File("late.wav"), EXTRACT_FORMAT_WAV, 0, 1, 44100, 2, 2);
  w->PostThreadMessage(WM_EXTRACTOR_START, 1);
  ASSERT_TRUE(PumpUntil([&] { return w->IsHeldByPause(); }, kWatchdogMs));
  EXPECT_EQ(c.blocks.load(), 0);
  // The total came before the pause.
  ASSERT_FALSE(owner.messages.empty());
  EXPECT_EQ(owner.messages.front().first, EXTRACTOR_TOTAL);
  w->ResumeJob();
  ASSERT_TRUE(PumpUntil([&] { return owner.DoneCount() == 1; }, kWatchdogMs));
  EXPECT_EQ(Synth::DecodeFile(dir_.File("late.wav")).pcm.samples, c.data);
}

TEST(ExtractorStop, AStartStillQueuedWhenStopJobRunsIsDroppedAndALaterOneRuns) {
  TYX::Test::TempDir dir;
  ASSERT_TRUE(Synth::WriteWav(dir.File("s.wav"), Synth::Tone(44100, 2, 0.3)));
  OwnerWindow owner;
  // Not resumed yet: the start waits in the worker's queue, as it does until the worker takes it.
  CExtractorThread worker;
  ASSERT_TRUE(worker.CreateThread(true));
  worker.SetOwner(owner.GetSafeHwnd());
  worker.SetJob(0, 0, dir.File("s.wav"), 0, dir.File("given-up.wav"), EXTRACT_FORMAT_WAV, 0, 0, 44100, 2, 2);
  worker.PostThreadMessage(WM_EXTRACTOR_START, 1);
  worker.StopJob();
  // The next job, stored and started after the stop, runs as usual.
  worker.SetJob(0, 0, dir.File("s.wav"), 0, dir.File("wanted.wav"), EXTRACT_FORMAT_WAV, 0, 0, 44100, 2, 2);
  worker.PostThreadMessage(WM_EXTRACTOR_START, 1);
  worker.ResumeThread();
  ASSERT_TRUE(PumpUntil([&] { return owner.DoneCount() == 1; }, kWatchdogMs));
  PumpMessages();
  EXPECT_EQ(owner.DoneCount(), 1);
  EXPECT_EQ(worker.DroppedStarts(), 1);
  EXPECT_NE(::access(dir.File("given-up.wav").c_str(), F_OK), 0);
  EXPECT_EQ(Synth::DecodeFile(dir.File("wanted.wav")).pcm.samples, Synth::Tone(44100, 2, 0.3).samples);
  // A StopJob with nothing queued drops nothing that comes after it.
  worker.StopJob();
  worker.SetJob(0, 0, dir.File("s.wav"), 0, dir.File("again.wav"), EXTRACT_FORMAT_WAV, 0, 0, 44100, 2, 2);
  worker.PostThreadMessage(WM_EXTRACTOR_START, 1);
  ASSERT_TRUE(PumpUntil([&] { return owner.DoneCount() == 2; }, kWatchdogMs));
  EXPECT_EQ(worker.DroppedStarts(), 1);
}

}  // namespace
