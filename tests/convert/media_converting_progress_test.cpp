// The conversion progress dialog driven as a person would, over the real shared worker and files the
// tests synthesise: statuses, tags and library entries of the new files, unique names, the VIA channel
// choice, the self-closing end, and stopping at each moment a person can.
#include <unistd.h>

#include <cstring>
#include <mutex>

#include "components/audio/bass_api.h"
#include "convert/extractor_thread.h"
#include "convert/media_converting_test_support.h"
#include "convert/via_decode_reader.h"
#include "toolkit/check_box.h"
#include "toolkit/edit.h"
#include "toolkit/radio_button.h"
#include "toolkit/static_text.h"

namespace TYX::Dialog::Test {
namespace {

using namespace TYX::Win;
using Convert::CExtractorThread;
using Progress = TYX_MediaConverting_ProgressDlg;
using Option = TYX_MediaConverting_OptionDlg;
using TYX::Test::ScopedUserAgent;
using TYX::Test::ScriptedUserAgent;

bool Exists(const std::string& path) { return ::access(path.c_str(), F_OK) == 0; }

std::string LineText(Progress& dlg, UINT id) {
  auto* s = dlg.GetControl<Controls::TYX_StaticText>(id);
  return s != nullptr ? s->GetText() : std::string("<none>");
}

Progress::Options Mp3Options(int bitrate = 128) {
  Progress::Options o;
  o.outputType = Option::OUTPUT_MP3;
  o.bitrate = bitrate;
  return o;
}

// A progress dialog that counts the results it was handed, whatever it makes of them.
class CountingProgress : public Progress {
 public:
  CountingProgress() {
    OnMessage(Convert::WM_EXTRACTOR_PROGRESS, [this](WPARAM w, LPARAM l) {
      if (w == Convert::EXTRACTOR_DONE) ++results;
      return OnExtractorProgress(w, l);
    });
  }
  int results = 0;
};

// A tone that holds its last block until released, so a job can be caught with everything read. The
// test's thread is woken when the hold begins, so a modal loop asleep in its wait looks again.
struct FinalGate {
  std::vector<std::int16_t> data;
  std::size_t off = 0;
  std::atomic<bool> inFinal{false};
  Event release{true, false};
  DWORD wake = GetCurrentThreadId();
};

Audio::DWORD FinalGateProc(Audio::HSTREAM, void* buffer, Audio::DWORD length, void* user) {
  auto* g = static_cast<FinalGate*>(user);
  const std::size_t n = std::min<std::size_t>((g->data.size() - g->off) * 2, length);
  if (g->off + n / 2 == g->data.size()) {
    g->inFinal = true;
    PostThreadMessage(g->wake, WM_NULL, 0, 0);
    g->release.Wait(kWatchdogMs);
  }
  std::memcpy(buffer, g->data.data() + g->off, n);
  g->off += n / 2;
  return static_cast<Audio::DWORD>(n) | (g->off == g->data.size() ? Audio::BASS_STREAMPROC_END : 0u);
}

// A tone that stops handing out blocks after `holdAfter` of them until the job is asked to stop, waking
// the test's thread when it begins to hold.
struct HoldingStream {
  CExtractorThread* worker = nullptr;
  std::vector<std::int16_t> data;
  std::size_t off = 0;
  int blocks = 0;
  int holdAfter = 3;
  std::atomic<bool> holding{false};
  DWORD wake = GetCurrentThreadId();
};

Audio::DWORD HoldingProc(Audio::HSTREAM, void* buffer, Audio::DWORD length, void* user) {
  auto* h = static_cast<HoldingStream*>(user);
  if (h->blocks == h->holdAfter) {
    h->holding = true;
    PostThreadMessage(h->wake, WM_NULL, 0, 0);
    Event never{true, false};
    // Watchdog: never wait for ever.
    for (int i = 0; i < 60000 && !h->worker->IsCancelRequested(); ++i) never.Wait(2);
  }
  ++h->blocks;
  const std::size_t n = std::min<std::size_t>((h->data.size() - h->off) * 2, length);
  std::memcpy(buffer, h->data.data() + h->off, n);
  h->off += n / 2;
  return static_cast<Audio::DWORD>(n) | (h->off == h->data.size() ? Audio::BASS_STREAMPROC_END : 0u);
}

class ProgressDialog : public ConvertingTest {
 protected:
  // The shared worker made ahead of the dialog, reading `special` through `open` and every other file
  // as usual.
  CExtractorThread* WorkerReading(const std::string& special, std::function<Audio::HSTREAM()> open) {
    CExtractorThread* worker = Convert::AcquireExtractorThread(nullptr);
    EXPECT_NE(worker, nullptr);
    if (worker == nullptr) return nullptr;
    worker->SetSourceOpenerForTesting([special, open](const std::string& path, int) -> Audio::HSTREAM {
      if (path == special) return open();
      return Audio::BASS_StreamCreateFile(0, path.c_str(), 0, 0, Audio::BASS_STREAM_DECODE);
    });
    return worker;
  }
  // Closes the dialog once the conversion has ended and records what it showed then.
  void CloseWhenDone(ScopedUserAgent& agent, Progress& dlg) {
    agent->SetIdleAction([&](Window&) {
      if (dlg.IsConverting() || closed_) return;
      closed_ = true;
      for (int i = 0; i < static_cast<int>(dlg.Targets().size()); ++i) shownStatuses_.push_back(dlg.StatusOf(i));
      shownInfo_ = LineText(dlg, Progress::kInfoId);
      shownDone_ = LineText(dlg, Progress::kDoneLabelId);
      EXPECT_TRUE(dlg.ClickButton(IDCANCEL));
    });
  }
  bool closed_ = false;
  std::vector<std::string> shownStatuses_;
  std::string shownInfo_;
  std::string shownDone_;
};

TEST_F(ProgressDialog, ThreeFilesWithTheSecondFailingShowTheirStatusesAndStayOpen) {
  ScopedUserAgent agent;
  ModalWatchdog watchdog;
  const std::string ogg = Encoded("a.ogg", "libvorbis", 0.6);
  Tag(ogg, "Alpha", "Band");
  const std::string damaged = dir_.Write("b.wav", "RIFF....WAVEjunk" + std::string(3000, 'j'));
  const std::string wav = Wav("c.wav", 0.5, 1);
  const std::uint32_t songsBefore = 3;
  Progress dlg;
  dlg.SetFileList({Entry(ogg), Entry(damaged), Entry(wav)});
  ASSERT_EQ(LiveSongs(), songsBefore);
  dlg.SetLibrary(store_.get());
  dlg.SetOptions(Mp3Options());
  CloseWhenDone(agent, dlg);
  EXPECT_EQ(dlg.DoModal(), IDOK);
  EXPECT_FALSE(watchdog.Fired());
  EXPECT_EQ(shownStatuses_, (std::vector<std::string>{"완료", "변환오류", "완료"}));
  EXPECT_EQ(shownInfo_, "전체: 3 of 3");
  EXPECT_EQ(shownDone_, "파일변환을 완료하였습니다");
  EXPECT_EQ(dlg.ProblemCount(), 1);
  EXPECT_TRUE(agent->Prompts().empty());
  // The new files are real MP3s, carry their sources' tags and are in the library.
  ASSERT_EQ(dlg.Targets()[0], dir_.File("a.mp3"));
  const auto decoded = Synth::DecodeFile(dir_.File("a.mp3"));
  ASSERT_TRUE(decoded.ok);
  EXPECT_NEAR(decoded.pcm.Seconds(), 0.6, 0.1);
  TYX_MediaPtr tagged = TYX_Media::Instance(dir_.File("a.mp3"));
  ASSERT_TRUE(tagged && tagged->IsValid());
  EXPECT_EQ(tagged->GetTitle(), "Alpha");
  EXPECT_EQ(tagged->GetArtist(), "Band");
  EXPECT_EQ(Synth::DecodeFile(dir_.File("c.mp3")).pcm.channels, 1);
  EXPECT_EQ(LiveSongs(), songsBefore + 2);
  ASSERT_EQ(dlg.AddedIndexes().size(), 2u);
  EXPECT_EQ(dlg.AddedIndexes()[0], store_->GetLibrary()->FindItem(dir_.File("a.mp3")));
  EXPECT_EQ(dlg.AddedIndexes()[1], store_->GetLibrary()->FindItem(dir_.File("c.mp3")));
  EXPECT_EQ(store_->GetLibrary()->FindItem(dir_.File("b.mp3")), kNoLibraryIndex);
}

TEST_F(ProgressDialog, OneCleanFileClosesTheDialogByItself) {
  ScopedUserAgent agent;
  ModalWatchdog watchdog;
  Progress dlg;
  dlg.SetFileList({Entry(Wav("one.wav"))});
  dlg.SetLibrary(store_.get());
  dlg.SetOptions(Mp3Options(64));
  EXPECT_EQ(dlg.DoModal(), IDOK);
  EXPECT_FALSE(watchdog.Fired());
  EXPECT_EQ(dlg.StatusOf(0), "완료");
  EXPECT_EQ(dlg.ProblemCount(), 0);
  EXPECT_TRUE(Synth::DecodeFile(dir_.File("one.mp3")).ok);
}

TEST_F(ProgressDialog, ATakenNameGetsTheFirstFreeNumberThroughBothDialogs) {
  ScopedUserAgent agent;
  ModalWatchdog watchdog;
  const std::uint32_t song = Add(Encoded("song.wma", "wmav2", 0.5));
  dir_.Write("song.mp3", "already here");
  for (const char* expected : {"song[1].mp3", "song[2].mp3"}) {
    SCOPED_TRACE(expected);
    agent->OnNextModal([&](Window& w) { EXPECT_TRUE(static_cast<Option&>(w).ClickButton(IDOK)); });
    const TYX_MediaConvertingOutcome outcome = RunMediaConverting(nullptr, store_.get(), {song}, 0, 0);
    EXPECT_TRUE(outcome.converted);
    EXPECT_EQ(outcome.progressResult, IDOK);
    ASSERT_EQ(outcome.added.size(), 1u);
    EXPECT_EQ(store_->GetLibraryItem(outcome.added[0])->GetText(ItemText::Path), dir_.File(expected));
    EXPECT_TRUE(Synth::DecodeFile(dir_.File(expected)).ok);
  }
  EXPECT_EQ(TYX::Test::ReadFileBytes(dir_.File("song.mp3")), "already here");
  EXPECT_FALSE(watchdog.Fired());
}

TEST_F(ProgressDialog, TheTransferAfterConversionBoxComesBackWithTheNewSongs) {
  ScopedUserAgent agent;
  ModalWatchdog watchdog;
  const std::uint32_t song = Add(Wav("tune.wav", 0.4));
  for (const bool tick : {false, true}) {
    SCOPED_TRACE(tick);
    agent->OnNextModal([&](Window& w) {
      auto* box = static_cast<Option&>(w).GetControl<Controls::TYX_CheckBox>(Option::kTransferCheckId);
      ASSERT_NE(box, nullptr);
      EXPECT_FALSE(box->GetCheck()) << "unticked on every opening";
      if (tick) {
        EXPECT_TRUE(box->Click());
      }
      EXPECT_TRUE(static_cast<Option&>(w).ClickButton(IDOK));
    });
    const TYX_MediaConvertingOutcome outcome = RunMediaConverting(nullptr, store_.get(), {song}, 0, 0);
    EXPECT_TRUE(outcome.converted);
    EXPECT_EQ(outcome.transferAfter, tick);
    EXPECT_EQ(outcome.added.size(), 1u);
  }
  EXPECT_FALSE(watchdog.Fired());
}

TEST_F(ProgressDialog, ViaTakesTheChannelCountTheOptionForces) {
  ScopedUserAgent agent;
  ModalWatchdog watchdog;
  const FileEntry stereo = Entry(Wav("stereo.wav", 0.5, 2));
  const FileEntry mono = Entry(Wav("mono.wav", 0.5, 1));
  struct Case {
    FileEntry file;
    int bitrate;
    int option;
    int channels;
  };
  for (const Case& c : {Case{stereo, 40, Option::CHANNEL_MONO, 1}, Case{mono, 256, Option::CHANNEL_STEREO, 2},
                        Case{mono, 128, Option::CHANNEL_KEEP, 1}}) {
    SCOPED_TRACE(c.file.path + " at " + std::to_string(c.bitrate));
    Progress dlg;
    dlg.SetFileList({c.file});
    dlg.SetLibrary(store_.get());
    Progress::Options o;
    o.outputType = Option::OUTPUT_VIA;
    o.bitrate = c.bitrate;
    o.channelOption = c.option;
    dlg.SetOptions(o);
    EXPECT_EQ(dlg.DoModal(), IDOK);
    ASSERT_EQ(dlg.StatusOf(0), "완료");
    Convert::ViaDecodeReader reader;
    ASSERT_TRUE(reader.Open(dlg.Targets()[0]));
    EXPECT_EQ(reader.Channels(), c.channels);
    EXPECT_EQ(reader.SampleRate(), 44100u);
    reader.Stop();
    std::remove(dlg.Targets()[0].c_str());
  }
  EXPECT_FALSE(watchdog.Fired());
}

TEST_F(ProgressDialog, ATypedSaveFolderWithoutASeparatorIsJoinedAsAFolder) {
  ScopedUserAgent agent;
  ModalWatchdog watchdog;
  const std::uint32_t song = Add(Wav("a.wav"));
  dir_.Write("Music/keep", "");
  agent->OnNextModal([&](Window& w) {
    auto& d = static_cast<Option&>(w);
    EXPECT_TRUE(d.GetControl<Controls::TYX_RadioButton>(Option::kUserFolderRadioId)->Click());
    EXPECT_TRUE(d.GetControl<Controls::TYX_Edit>(Option::kPathEditId)->TypeText(dir_.File("Music")));
    EXPECT_TRUE(d.ClickButton(IDOK));
  });
  const TYX_MediaConvertingOutcome outcome = RunMediaConverting(nullptr, store_.get(), {song}, 0, 0);
  EXPECT_FALSE(watchdog.Fired());
  ASSERT_TRUE(outcome.converted);
  EXPECT_TRUE(Synth::DecodeFile(dir_.File("Music/a.mp3")).ok);
  EXPECT_FALSE(Exists(dir_.File("Musica.mp3")));
}

TEST_F(ProgressDialog, OnlyAFileAlreadyInTheTargetFormatIsSkipped) {
  ScopedUserAgent agent;
  ModalWatchdog watchdog;
  // An MP3 at the chosen rate is no VIA file: it is converted (its type, 1, is not the list index of VIA).
  FileEntry mp3 = Entry(Encoded("a.mp3", "libmp3lame", 0.5));
  ASSERT_EQ(mp3.fileType, FileType::MP3);
  // The rate a library item of a 128 kbps MP3 carries (a half-second file's own estimate is rougher).
  mp3.bitrate = 128000;
  Progress::Options via;
  via.outputType = Option::OUTPUT_VIA;
  via.bitrate = 128;
  via.channelOption = Option::CHANNEL_KEEP;
  Progress first;
  first.SetFileList({mp3});
  first.SetLibrary(store_.get());
  first.SetOptions(via);
  EXPECT_EQ(first.DoModal(), IDOK);
  ASSERT_EQ(first.StatusOf(0), "완료");
  // That VIA file, converted to VIA at its own rate and channels, needs nothing: "skip", and the
  // dialog stays open to show it. At another rate it is converted.
  FileEntry made = mp3;
  made.path = first.Targets()[0];
  made.fileType = FileType::VIA;
  made.bitrate = 128000;
  made.channels = 2;
  FileEntry other = made;
  other.bitrate = 64000;
  const std::uint32_t songs = LiveSongs();
  Progress dlg;
  dlg.SetFileList({made, other});
  dlg.SetLibrary(store_.get());
  dlg.SetOptions(via);
  CloseWhenDone(agent, dlg);
  EXPECT_EQ(dlg.DoModal(), IDOK);
  EXPECT_EQ(shownStatuses_, (std::vector<std::string>{"skip", "완료"}));
  EXPECT_EQ(dlg.ProblemCount(), 1);
  EXPECT_EQ(dlg.Targets()[1], dir_.File("a[1].via"));
  EXPECT_EQ(LiveSongs(), songs + 1);
  EXPECT_FALSE(watchdog.Fired());
}

TEST_F(ProgressDialog, ProgressShowsPercentagesAndATotalOfZeroShowsZero) {
  EXPECT_EQ(Progress::FilePercent(50, 200), 25);
  EXPECT_EQ(Progress::FilePercent(5, 0), 0);
  EXPECT_EQ(Progress::TotalPercent(5, 0, 0, 1), 0);
  // One file: a + trunc(b); more: trunc(a + b + 1), at most 100.
  EXPECT_EQ(Progress::TotalPercent(50, 100, 0, 1), 50);
  EXPECT_EQ(Progress::TotalPercent(50, 200, 1, 3), 8 + 33 + 1);
  EXPECT_EQ(Progress::TotalPercent(5, 0, 1, 3), 34);
  EXPECT_EQ(Progress::TotalPercent(100, 100, 2, 2), 100);
  // Through the dialog: a total of 0 and a position.
  ScopedUserAgent agent;
  ModalWatchdog watchdog;
  Progress dlg;
  dlg.SetFileList({Entry(Wav("a.wav"))});
  dlg.SetOptions(Mp3Options());
  std::string filePercent, totalPercent;
  agent->OnNextModal([&](Window&) {
    dlg.OnExtractorProgress(Convert::EXTRACTOR_TOTAL, 0);
    dlg.OnExtractorProgress(Convert::EXTRACTOR_POSITION, 4096);
    filePercent = LineText(dlg, Progress::kFilePercentId);
    totalPercent = LineText(dlg, Progress::kTotalPercentId);
  });
  dlg.DoModal();
  EXPECT_EQ(filePercent, "0 %");
  EXPECT_EQ(totalPercent, "0 %");
  EXPECT_FALSE(watchdog.Fired());
}

TEST_F(ProgressDialog, StoppingKeepsOnlyTheFinishedSongsAndDeletesTheHalfFile) {
  ScopedUserAgent agent;
  ModalWatchdog watchdog;
  HoldingStream gate;
  gate.data = Synth::Tone(44100, 2, 4.0).samples;
  const std::string done = Wav("done.wav");
  const std::string slow = Wav("slow.wav");
  const std::string never = Wav("never.wav");
  CExtractorThread* worker = WorkerReading(slow, [&] {
    return Audio::BASS_StreamCreate(44100, 2, Audio::BASS_STREAM_DECODE, &HoldingProc, &gate);
  });
  ASSERT_NE(worker, nullptr);
  gate.worker = worker;
  const std::uint32_t songs = 3;
  Progress dlg;
  dlg.SetFileList({Entry(done), Entry(slow), Entry(never)});
  dlg.SetLibrary(store_.get());
  dlg.SetOptions(Mp3Options());
  agent->ExpectMessageBox(IDOK, false, "파일변환을 취소하시겠습니까?");
  bool clicked = false;
  agent->SetIdleAction([&](Window&) {
    if (clicked || !gate.holding) return;
    clicked = true;
    EXPECT_TRUE(dlg.ClickButton(IDCANCEL));
  });
  EXPECT_EQ(dlg.DoModal(), IDCANCEL);
  EXPECT_FALSE(watchdog.Fired());
  ASSERT_TRUE(clicked);
  ASSERT_EQ(agent->Prompts().size(), 1u);
  EXPECT_EQ(agent->Prompts()[0].text, "파일변환을 취소하시겠습니까?\n확인을 클릭하시면, 변환 완료된 곡만 저장됩니다");
  EXPECT_EQ(agent->Prompts()[0].caption, "파일변환 취소");
  EXPECT_EQ(agent->Prompts()[0].type & 0xF, MB_OKCANCEL);
  // The finished song stays; the stopped one leaves nothing, and the third never started.
  EXPECT_TRUE(Synth::DecodeFile(dir_.File("done.mp3")).ok);
  EXPECT_FALSE(Exists(dir_.File("slow.mp3")));
  EXPECT_FALSE(Exists(dir_.File("never.mp3")));
  EXPECT_EQ(LiveSongs(), songs + 1);
  EXPECT_EQ(dlg.StatusOf(1), "처리중");
  EXPECT_EQ(dlg.StatusOf(2), "");
  EXPECT_FALSE(worker->IsJobRunning());
  // The stopped job's completion, however late, changes nothing.
  dlg.OnExtractorProgress(Convert::EXTRACTOR_DONE, Convert::EXTRACT_OK);
  EXPECT_EQ(dlg.StatusOf(1), "처리중");
  EXPECT_EQ(dlg.AddedIndexes().size(), 1u);
  EXPECT_EQ(LiveSongs(), songs + 1);
}

TEST_F(ProgressDialog, ADialogEndedByAQuitTakesItsJobWithIt) {
  ScopedUserAgent agent;
  HoldingStream gate;
  gate.data = Synth::Tone(44100, 2, 4.0).samples;
  const std::string slow = Wav("slow.wav");
  CExtractorThread* worker = WorkerReading(slow, [&] {
    return Audio::BASS_StreamCreate(44100, 2, Audio::BASS_STREAM_DECODE, &HoldingProc, &gate);
  });
  ASSERT_NE(worker, nullptr);
  gate.worker = worker;
  {
    Progress dlg;
    dlg.SetFileList({Entry(slow)});
    dlg.SetLibrary(store_.get());
    dlg.SetOptions(Mp3Options());
    bool quit = false;
    agent->SetIdleAction([&](Window&) {
      if (quit || !gate.holding) return;
      quit = true;
      PostQuitMessage(0);
    });
    dlg.DoModal();
    ASSERT_TRUE(quit);
  }
  // The quit is left for the outer loop; this test is that loop.
  PumpMessages();
  MSG msg{};
  EXPECT_TRUE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_QUIT);
  EXPECT_FALSE(worker->IsJobRunning());
  EXPECT_FALSE(Exists(dir_.File("slow.mp3")));
  EXPECT_EQ(LiveSongs(), 1u);
}

TEST_F(ProgressDialog, AStopBeforeTheWorkerTookTheStartDropsTheStart) {
  ScopedUserAgent agent;
  ModalWatchdog watchdog;
  const std::string wav = Wav("a.wav");
  CExtractorThread* worker = Convert::AcquireExtractorThread(nullptr);
  ASSERT_NE(worker, nullptr);
  // The worker is busy with something else until released, so the dialog's start waits in its queue.
  Event release{true, false};
  Event busy{true, false};
  constexpr UINT kBusy = WM_USER + 1500;
  worker->OnThreadMessage(kBusy, [&](WPARAM, LPARAM) {
    busy.Set();
    release.Wait(kWatchdogMs);
  });
  worker->ResumeThread();
  worker->PostThreadMessage(kBusy);
  ASSERT_EQ(busy.Wait(kWatchdogMs), WAIT_OBJECT_0);
  Progress dlg;
  dlg.SetFileList({Entry(wav)});
  dlg.SetLibrary(store_.get());
  dlg.SetOptions(Mp3Options());
  agent->ExpectMessageBox(IDOK, false, "파일변환을 취소하시겠습니까?");
  agent->OnNextModal([&](Window&) { EXPECT_TRUE(dlg.ClickButton(IDCANCEL)); });
  EXPECT_EQ(dlg.DoModal(), IDCANCEL);
  release.Set();
  ASSERT_TRUE(PumpUntil([&] { return worker->DroppedStarts() == 1; }, kWatchdogMs));
  EXPECT_FALSE(worker->IsJobRunning());
  EXPECT_FALSE(Exists(dir_.File("a.mp3")));
  EXPECT_EQ(LiveSongs(), 1u);
  EXPECT_FALSE(watchdog.Fired());
}

// Answers the stop question only once the job's completion has reached the dialog, as a message box's
// own loop would let it through while the person reads.
class SlowReader : public ScriptedUserAgent {
 public:
  SlowReader(FinalGate& gate, CountingProgress& dlg) : gate_(gate), dlg_(dlg) {}
  MessageBoxAnswer ShowMessageBox(const MessageBoxRequest& request) override {
    gate_.release.Set();
    arrived = PumpUntil([&] { return dlg_.results == 1; }, kWatchdogMs);
    statusesDuring = {dlg_.StatusOf(0), dlg_.StatusOf(1)};
    openDuring = IsWindow(dlg_.GetSafeHwnd());
    return ScriptedUserAgent::ShowMessageBox(request);
  }
  bool arrived = false;
  bool openDuring = false;
  std::vector<std::string> statusesDuring;

 private:
  FinalGate& gate_;
  CountingProgress& dlg_;
};

class ResultDuringQuestion : public ProgressDialog, public ::testing::WithParamInterface<int> {};

TEST_P(ResultDuringQuestion, IsTakenAfterTheAnswer) {
  const int answer = GetParam();
  ModalWatchdog watchdog;
  FinalGate gate;
  gate.data = Synth::Tone(44100, 2, 1.0).samples;
  const std::string first = Wav("first.wav");
  const std::string second = Wav("second.wav");
  CExtractorThread* worker = WorkerReading(first, [&] {
    return Audio::BASS_StreamCreate(44100, 2, Audio::BASS_STREAM_DECODE, &FinalGateProc, &gate);
  });
  ASSERT_NE(worker, nullptr);
  CountingProgress dlg;
  dlg.SetFileList({Entry(first), Entry(second)});
  dlg.SetLibrary(store_.get());
  dlg.SetOptions(Mp3Options());
  auto agent = std::make_shared<SlowReader>(gate, dlg);
  SetUserAgent(agent);
  agent->ExpectMessageBox(answer, false, "파일변환을 취소하시겠습니까?");
  bool clicked = false;
  agent->SetIdleAction([&](Window&) {
    if (clicked || !gate.inFinal) return;
    clicked = true;
    EXPECT_TRUE(dlg.ClickButton(IDCANCEL));
  });
  const int result = dlg.DoModal();
  EXPECT_FALSE(watchdog.Fired());
  ASSERT_TRUE(clicked);
  EXPECT_TRUE(agent->arrived);
  // While the question was open nothing moved on.
  EXPECT_TRUE(agent->openDuring);
  EXPECT_EQ(agent->statusesDuring, (std::vector<std::string>{"처리중", ""}));
  // The finished song is kept either way.
  EXPECT_EQ(dlg.StatusOf(0), "완료");
  EXPECT_TRUE(Synth::DecodeFile(dir_.File("first.mp3")).ok);
  EXPECT_NE(store_->GetLibrary()->FindItem(dir_.File("first.mp3")), kNoLibraryIndex);
  if (answer == IDOK) {
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(dlg.StatusOf(1), "");
    EXPECT_FALSE(Exists(dir_.File("second.mp3")));
  } else {
    // Going on: the second song follows and the dialog closes by itself.
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(dlg.StatusOf(1), "완료");
    EXPECT_TRUE(Synth::DecodeFile(dir_.File("second.mp3")).ok);
  }
}

INSTANTIATE_TEST_SUITE_P(Answers, ResultDuringQuestion, ::testing::Values(IDOK, IDCANCEL),
                         [](const auto& info) { return std::string(info.param == IDOK ? "Stop" : "GoOn"); });

}  // namespace
}  // namespace TYX::Dialog::Test
