#include "tags/tagging_thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <filesystem>

#include "components/media/taglib_media_factory.h"
#include "components/tagging/tagging_sonvar.h"
#include "components/tagging/web_identify_service.h"
#include "contracts/media.h"
#include "helpers/local_web_server.h"
#include "helpers/media_fixtures.h"
#include "helpers/melody_audio.h"
#include "helpers/scripted_user_agent.h"
#include "helpers/temp_dir.h"
#include "platform/event.h"
#include "platform/messaging.h"
#include "platform/window.h"
#include "util/init.h"

namespace TYX::Tags {
namespace {

constexpr Win::DWORD kWatchdogMs = 30000;

// A stand-in identification component: the same candidates for every file, and a gate that can hold
// the identification of one file (numbered from 1) until the test lets it go.
struct FakeScript {
  std::vector<std::array<std::string, 9>> candidates;  // artist, title, album, genre, song, web, album id, artist id, track
  std::int32_t initializeResult = kIdentifyOk;
  std::int32_t status = kIdentifyStatusFound;
  int holdFile = 0;
  Win::Event entered{true, false};
  Win::Event release{true, false};
  std::atomic<int> identified{0};
  std::atomic<int> remembered{0};
};

class FakeIdentifier final : public TYX_MusicIdentifier {
 public:
  explicit FakeIdentifier(FakeScript& s) : s_(s) {}
  std::int32_t Initialize() override { return s_.initializeResult; }
  std::int32_t IdentifyFile(const std::string&) override {
    const int n = ++s_.identified;
    if (n == s_.holdFile) {
      s_.entered.Set();
      s_.release.Wait(kWatchdogMs);
    }
    return kIdentifyOk;
  }
  std::int32_t GetStatus() const override { return s_.status; }
  std::string GetStatusText() const override { return {}; }
  std::int32_t GetCandidateCount() const override { return static_cast<std::int32_t>(s_.candidates.size()); }
  std::string GetArtist(std::int32_t i) const override { return Field(i, 0); }
  std::string GetTitle(std::int32_t i) const override { return Field(i, 1); }
  std::string GetAlbum(std::int32_t i) const override { return Field(i, 2); }
  std::string GetGenre(std::int32_t i) const override { return Field(i, 3); }
  std::int32_t GetScore(std::int32_t) const override { return 90; }
  std::string GetId(std::int32_t i, CandidateId which) const override { return Field(i, 4 + static_cast<int>(which)); }
  std::int32_t Remember(const std::string&) override { return ++s_.remembered, kIdentifyOk; }

 private:
  std::string Field(std::int32_t i, int f) const {
    return i >= 0 && static_cast<std::size_t>(i) < s_.candidates.size() ? s_.candidates[static_cast<std::size_t>(i)][static_cast<std::size_t>(f)] : "";
  }
  FakeScript& s_;
};

// Collects the worker's status notices, with a copy of the text each one points to.
class StatusWindow : public Win::Window {
 public:
  StatusWindow() {
    OnMessage(WM_TAGGING_STATUS, [this](Win::WPARAM w, Win::LPARAM l) {
      statuses.push_back(static_cast<int>(w));
      texts.emplace_back(reinterpret_cast<const char*>(l));
      return 0;
    });
    Create(nullptr, Win::Rect{0, 0, 10, 10}, 0);
  }
  bool Ended() const { return !statuses.empty() && statuses.back() == 2; }
  std::vector<int> statuses;
  std::vector<std::string> texts;
};

class TaggingThreadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Util::TYX_INIT::Instance()->SetStoreFile(dir_.File("settings.ini"));
    TYX_MusicIdentifier::SetIndexFile(dir_.File("data/music_fingerprints.db"));
    Media::InstallTagLibMediaFactory();
    oldFactory_ = TYX_MusicIdentifier::SetFactory({});
    oldRegistrar_ = TYX_MusicIdentifier::SetRegistrar({});
  }
  void TearDown() override {
    TYX_MusicIdentifier::SetFactory(oldFactory_);
    TYX_MusicIdentifier::SetRegistrar(oldRegistrar_);
    TYX_MusicIdentifier::SetIndexFile({});
  }
  void UseFake() {
    TYX_MusicIdentifier::SetFactory([this](std::string&) -> std::unique_ptr<TYX_MusicIdentifier> {
      return std::make_unique<FakeIdentifier>(script_);
    });
  }
  std::string Song(const std::string& name, std::uint32_t seed, double seconds = 20) {
    const std::string path = dir_.File(name);
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    EXPECT_TRUE(TYX::Test::WriteMelodyWav(path, seed, seconds, 22050, 1));
    return path;
  }
  static TYX_MediaPtr Read(const std::string& path) {
    std::string error;
    TYX_MediaPtr m = TYX_Media::Instance(path, kMediaOpenRead, &error);
    EXPECT_TRUE(m) << error;
    return m;
  }

  TYX::Test::TempDir dir_;
  FakeScript script_;
  TYX_MusicIdentifier::Factory oldFactory_;
  TYX_MusicIdentifier::Registrar oldRegistrar_;
};

TEST(TaggingIdTest, IdentifiersFromTheComponentValues) {
  EXPECT_EQ(TYX_MTaggingThread::GetID("MI", "%s%010d", "12345", false), "MI0000012345");
  EXPECT_EQ(TYX_MTaggingThread::GetID("MI", "%s%05d", "12345", false), "MI12345");
  EXPECT_EQ(TYX_MTaggingThread::GetID("WM", "%s%010d", "", true), "");
  EXPECT_EQ(TYX_MTaggingThread::GetID("MI", "%s%010d", "", false), "MI0000000000");
  EXPECT_EQ(TYX_MTaggingThread::GetID("WM", "%s%010d", "9876543210", true), "WM9876543210");  // past 32 bits
}

TEST(TaggingRecordTest, FieldsAreCutAtACharacterBoundary) {
  TaggingCandidate c{};
  std::string korean;
  for (int i = 0; i < 40; ++i) korean += "가";  // 3 bytes each, 120 bytes
  CopyField(c.artist, korean);
  EXPECT_EQ(std::strlen(c.artist), 99u);  // 33 whole characters
  CopyField(c.number, "123456789012");
  EXPECT_STREQ(c.number, "123456789");
}

TEST_F(TaggingThreadTest, ThreeCandidatesTheFirstIsWrittenAllAreKept) {
  UseFake();
  script_.candidates = {{"하늘빛", "여름밤", "사계절", "Ballad", "12345", "", "66", "55", "4"},
                        {"Sky", "Summer", "Seasons", "Pop", "2", "777", "3", "4", "5"},
                        {"C", "T3", "A3", "", "7", "8", "9", "10", "11"}};
  const std::string a = Song("a.wav", 1);
  TYX_MTaggingThread worker;
  ASSERT_EQ(worker.SetTaggingList({a}, 0, 0), 0);
  ASSERT_TRUE(worker.OnTaggingStart(nullptr, TAGGING_MODE_SILENT));
  EXPECT_FALSE(worker.IsRunning());

  TYX_MediaPtr m = Read(a);
  ASSERT_TRUE(m);
  EXPECT_EQ(m->GetTitle(), "여름밤");
  EXPECT_EQ(m->GetArtist(), "하늘빛");
  EXPECT_EQ(m->GetAlbum(), "사계절");
  EXPECT_EQ(m->GetExtraText(), "Ballad");
  EXPECT_EQ(script_.remembered.load(), 1);

  std::vector<_Tag_Item> list;
  ASSERT_EQ(worker.GetTaggingList(list), 0);
  ASSERT_EQ(list.size(), 1u);
  EXPECT_STREQ(list[0].path, a.c_str());
  ASSERT_EQ(list[0].count, 3);
  ASSERT_EQ(list[0].candidates.size(), 3u);
  EXPECT_STREQ(list[0].candidates[0].songId, "MI0000012345");
  EXPECT_STREQ(list[0].candidates[0].webId, "");
  EXPECT_STREQ(list[0].candidates[0].albumId, "MI0000000066");
  EXPECT_STREQ(list[0].candidates[0].trackId, "MI00004");
  EXPECT_STREQ(list[0].candidates[1].webId, "WM0000000777");
  EXPECT_STREQ(list[0].candidates[1].title, "Summer");
  EXPECT_STREQ(list[0].candidates[2].number, "3");
  // The copy is deep: changing it leaves the worker's records alone.
  list[0].candidates[0].title[0] = 'X';
  std::vector<_Tag_Item> again;
  ASSERT_EQ(worker.GetTaggingList(again), 0);
  EXPECT_STREQ(again[0].candidates[0].title, "여름밤");
}

TEST_F(TaggingThreadTest, ListRulesAndFilesWithoutCandidates) {
  UseFake();
  TYX_MTaggingThread worker;
  const std::string a = Song("a.wav", 2);
  ASSERT_EQ(worker.SetTaggingList({a}, 0, 0), 0);
  EXPECT_EQ(worker.SetTaggingList({}, 0, 0), 2);
  std::vector<_Tag_Item> list;
  ASSERT_EQ(worker.GetTaggingList(list), 0);
  ASSERT_EQ(list.size(), 1u);  // the empty list kept the old one

  script_.status = kIdentifyStatusNoMatch;
  script_.candidates = {{"x", "y", "z", "", "1", "", "1", "1", "1"}};
  const std::string before = TYX::Test::ReadFileBytes(a);
  ASSERT_TRUE(worker.OnTaggingStart(nullptr, TAGGING_MODE_SILENT));
  ASSERT_EQ(worker.GetTaggingList(list), 0);
  EXPECT_EQ(list[0].count, 0);
  EXPECT_EQ(TYX::Test::ReadFileBytes(a), before);

  worker.Clear();
  ASSERT_EQ(worker.GetTaggingList(list), 0);
  EXPECT_TRUE(list.empty());
}

TEST_F(TaggingThreadTest, StopDuringAPassFinishesTheCurrentFileAndSkipsTheRest) {
  UseFake();
  script_.candidates = {{"Artist", "Title", "Album", "Genre", "1", "", "2", "3", "4"}};
  script_.holdFile = 1;
  const std::string a = Song("a.wav", 3);
  const std::string b = Song("b.wav", 4);
  const std::string bBefore = TYX::Test::ReadFileBytes(b);
  TYX_MTaggingThread worker;
  ASSERT_TRUE(worker.Start());
  ASSERT_EQ(worker.SetTaggingList({a, b}, 0, 0), 0);
  StatusWindow window;
  ASSERT_TRUE(worker.PostTaggingStart(window.GetSafeHwnd(), TAGGING_MODE_NOTIFY));
  ASSERT_EQ(script_.entered.Wait(kWatchdogMs), Win::WAIT_OBJECT_0);

  EXPECT_TRUE(worker.IsRunning());
  EXPECT_EQ(worker.SetTaggingList({b}, 0, 0), 1);
  std::vector<_Tag_Item> list;
  EXPECT_EQ(worker.GetTaggingList(list), 1);
  EXPECT_FALSE(worker.OnTaggingStart(nullptr, TAGGING_MODE_SILENT));  // one pass at a time
  worker.RequestStop();
  script_.release.Set();
  ASSERT_TRUE(Win::PumpUntil([&] { return window.Ended(); }, kWatchdogMs));
  worker.StopThread();  // returns at once: the pass has ended

  EXPECT_EQ(window.statuses, (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(window.texts[1], a);
  EXPECT_EQ(script_.identified.load(), 1);
  TYX_MediaPtr m = Read(a);
  ASSERT_TRUE(m);
  EXPECT_EQ(m->GetTitle(), "Title");
  EXPECT_EQ(TYX::Test::ReadFileBytes(b), bBefore);
  ASSERT_EQ(worker.GetTaggingList(list), 0);
  EXPECT_EQ(list[0].count, 1);
  EXPECT_EQ(list[1].count, 0);
}

// The component's first creation is the pass's probe: it says so on `probing` and waits for `letGo`.
void HoldTheProbe(FakeScript& script, Win::Event& probing, Win::Event& letGo) {
  auto creations = std::make_shared<std::atomic<int>>(0);
  TYX_MusicIdentifier::SetFactory([&script, &probing, &letGo, creations](
                                      std::string&) -> std::unique_ptr<TYX_MusicIdentifier> {
    if (++*creations == 1) {
      probing.Set();
      letGo.Wait(kWatchdogMs);
    }
    return std::make_unique<FakeIdentifier>(script);
  });
}

TEST_F(TaggingThreadTest, ThePassOwnsTheListWhileTheComponentIsStillBeingProbed) {
  script_.candidates = {{"Artist", "Title", "Album", "Genre", "1", "", "2", "3", "4"}};
  Win::Event probing{true, false};
  Win::Event letProbeGo{true, false};
  // Held until the test has tried to take the list over.
  HoldTheProbe(script_, probing, letProbeGo);
  const std::string a = Song("a.wav", 11);
  const std::string b = Song("b.wav", 12);
  const std::string bBefore = TYX::Test::ReadFileBytes(b);
  TYX_MTaggingThread worker;
  ASSERT_TRUE(worker.Start());
  ASSERT_EQ(worker.SetTaggingList({a}, 0, 0), 0);
  StatusWindow window;
  ASSERT_TRUE(worker.PostTaggingStart(window.GetSafeHwnd(), TAGGING_MODE_NOTIFY));
  ASSERT_EQ(probing.Wait(kWatchdogMs), Win::WAIT_OBJECT_0);

  // The pass has begun: its list can be neither replaced nor read.
  EXPECT_EQ(worker.SetTaggingList({b}, 0, 0), 1);
  std::vector<_Tag_Item> list;
  EXPECT_EQ(worker.GetTaggingList(list), 1);
  letProbeGo.Set();
  ASSERT_TRUE(Win::PumpUntil([&] { return window.Ended(); }, kWatchdogMs));
  worker.StopThread();

  ASSERT_EQ(worker.GetTaggingList(list), 0);
  ASSERT_EQ(list.size(), 1u);
  EXPECT_STREQ(list[0].path, a.c_str());
  EXPECT_EQ(list[0].count, 1);
  TYX_MediaPtr m = Read(a);
  ASSERT_TRUE(m);
  EXPECT_EQ(m->GetTitle(), "Title");
  EXPECT_EQ(TYX::Test::ReadFileBytes(b), bBefore);
}

TEST_F(TaggingThreadTest, AStopAskedWhileTheComponentIsProbedEndsThePassBeforeItsFirstFile) {
  script_.candidates = {{"Artist", "Title", "Album", "Genre", "1", "", "2", "3", "4"}};
  Win::Event probing{true, false};
  Win::Event letProbeGo{true, false};
  HoldTheProbe(script_, probing, letProbeGo);
  const std::string a = Song("a.wav", 13);
  const std::string aBefore = TYX::Test::ReadFileBytes(a);
  TYX_MTaggingThread worker;
  ASSERT_TRUE(worker.Start());
  ASSERT_EQ(worker.SetTaggingList({a}, 0, 0), 0);
  StatusWindow window;
  ASSERT_TRUE(worker.PostTaggingStart(window.GetSafeHwnd(), TAGGING_MODE_NOTIFY));
  ASSERT_EQ(probing.Wait(kWatchdogMs), Win::WAIT_OBJECT_0);
  worker.RequestStop();
  letProbeGo.Set();
  ASSERT_TRUE(Win::PumpUntil([&] { return window.Ended(); }, kWatchdogMs));
  worker.StopThread();
  EXPECT_EQ(window.statuses, (std::vector<int>{0, 2}));
  EXPECT_EQ(script_.identified.load(), 0);
  EXPECT_EQ(TYX::Test::ReadFileBytes(a), aBefore);
}

TEST_F(TaggingThreadTest, EachNoticeKeepsThePathItWasPostedFor) {
  UseFake();
  script_.status = kIdentifyStatusNoMatch;
  const std::string a = Song("a.wav", 7);
  const std::string b = Song("b.wav", 8);
  TYX_MTaggingThread worker;
  ASSERT_EQ(worker.SetTaggingList({a, b}, 0, 0), 0);
  StatusWindow window;
  // The pass runs on this thread, so every notice is read only after the pass has moved on.
  ASSERT_TRUE(worker.OnTaggingStart(window.GetSafeHwnd(), TAGGING_MODE_NOTIFY));
  Win::PumpMessages();
  EXPECT_EQ(window.statuses, (std::vector<int>{0, 1, 1, 2}));
  EXPECT_EQ(window.texts, (std::vector<std::string>{"", a, b, b}));
  EXPECT_EQ(worker.CurrentNumber(), 2u);
  EXPECT_EQ(worker.Total(), 2u);
}

TEST_F(TaggingThreadTest, NoWindowOrNoComponentMeansNoPass) {
  TYX::Test::ScopedUserAgent agent;
  UseFake();
  TYX_MTaggingThread worker;
  ASSERT_EQ(worker.SetTaggingList({Song("a.wav", 5)}, 0, 0), 0);
  agent->ExpectMessageBox(Win::IDOK, false, "음악파일 태깅를 실행할 수 없습니다.");
  EXPECT_FALSE(worker.OnTaggingStart(nullptr, TAGGING_MODE_NOTIFY));
  EXPECT_EQ(script_.identified.load(), 0);

  TYX_MusicIdentifier::SetFactory({});
  int registrations = 0;
  TYX_MusicIdentifier::SetRegistrar([&] { return ++registrations, true; });
  agent->ExpectMessageBox(Win::IDOK, false, "MTaggingSonvar.TaggingSonvar Initialize FAIL!!!!");
  StatusWindow window;
  EXPECT_FALSE(worker.OnTaggingStart(window.GetSafeHwnd(), TAGGING_MODE_NOTIFY));
  EXPECT_EQ(registrations, 2);  // between the three tries
  Win::PumpMessages();
  EXPECT_TRUE(window.statuses.empty());
  EXPECT_TRUE(agent->AllAnswersUsed());

  // A component that registers on the second try runs the pass.
  registrations = 0;
  TYX_MusicIdentifier::SetRegistrar([&] {
    ++registrations;
    UseFake();
    return true;
  });
  EXPECT_TRUE(worker.OnTaggingStart(nullptr, TAGGING_MODE_SILENT));
  EXPECT_EQ(registrations, 1);
}

TEST_F(TaggingThreadTest, AComponentCreatableOnlyAtTheThirdTryStillRunsThePass) {
  TYX::Test::ScopedUserAgent agent;
  script_.candidates = {{"Artist", "Title", "Album", "Genre", "1", "", "2", "3", "4"}};
  int registrations = 0;
  // The second registration is the one that takes.
  TYX_MusicIdentifier::SetRegistrar([&] {
    if (++registrations == 2) UseFake();
    return true;
  });
  const std::string a = Song("a.wav", 14);
  TYX_MTaggingThread worker;
  ASSERT_EQ(worker.SetTaggingList({a}, 0, 0), 0);
  EXPECT_TRUE(worker.OnTaggingStart(nullptr, TAGGING_MODE_SILENT));
  EXPECT_EQ(registrations, 2);
  EXPECT_TRUE(agent->Prompts().empty());
  TYX_MediaPtr m = Read(a);
  ASSERT_TRUE(m);
  EXPECT_EQ(m->GetTitle(), "Title");
}

TEST_F(TaggingThreadTest, AComponentThatWillNotInitialiseEndsThePassAtOnce) {
  UseFake();
  script_.initializeResult = kIdentifyFail;
  script_.candidates = {{"x", "y", "z", "", "1", "", "1", "1", "1"}};
  TYX_MTaggingThread worker;
  const std::string a = Song("a.wav", 6);
  const std::string before = TYX::Test::ReadFileBytes(a);
  ASSERT_EQ(worker.SetTaggingList({a}, 0, 0), 0);
  StatusWindow window;
  EXPECT_TRUE(worker.OnTaggingStart(window.GetSafeHwnd(), TAGGING_MODE_NOTIFY));
  Win::PumpMessages();
  EXPECT_EQ(window.statuses, (std::vector<int>{0, 2}));
  EXPECT_EQ(script_.identified.load(), 0);
  EXPECT_EQ(TYX::Test::ReadFileBytes(a), before);
}

TEST_F(TaggingThreadTest, AnUntaggedCopyOfALibrarySongIsTaggedOffline) {
  Tagging::InstallTaggingSonvar();
  Util::TYX_INIT::Instance()->SetAttribute(Tagging::kServiceHostAttribute, "");
  const std::string original = Song("library/original.wav", 42);
  {
    TYX_MediaPtr m = Read(original);
    ASSERT_TRUE(m);
    m->SetTitle("Night Drive");
    m->SetArtist("Neon Coast");
    m->SetAlbum("Midnight");
    m->SetGenre("Synth");
    ASSERT_EQ(m->Save(), 0) << m->GetLastError();
    auto component = TYX_MusicIdentifier::Create();
    ASSERT_TRUE(component);
    ASSERT_EQ(component->Initialize(), kIdentifyOk);
    ASSERT_EQ(component->Remember(original), kIdentifyOk) << component->GetStatusText();
  }
  const std::string copy = Song("downloads/track01.wav", 42);
  const std::string stranger = Song("downloads/track02.wav", 43);
  const std::string strangerBefore = TYX::Test::ReadFileBytes(stranger);
  TYX_MTaggingThread worker;
  ASSERT_EQ(worker.SetTaggingList({copy, stranger}, 0, 0), 0);
  ASSERT_TRUE(worker.OnTaggingStart(nullptr, TAGGING_MODE_SILENT));
  TYX_MediaPtr m = Read(copy);
  ASSERT_TRUE(m);
  EXPECT_EQ(m->GetTitle(), "Night Drive");
  EXPECT_EQ(m->GetArtist(), "Neon Coast");
  EXPECT_EQ(m->GetAlbum(), "Midnight");
  EXPECT_EQ(m->GetExtraText(), "Synth");
  EXPECT_EQ(TYX::Test::ReadFileBytes(stranger), strangerBefore);
  std::vector<_Tag_Item> list;
  ASSERT_EQ(worker.GetTaggingList(list), 0);
  ASSERT_EQ(list[0].count, 1);
  EXPECT_EQ(std::string(list[0].candidates[0].songId).substr(0, 2), "MI");
  EXPECT_STREQ(list[0].candidates[0].webId, "");
  EXPECT_EQ(list[1].count, 0);
}

class TaggingWebTest : public TaggingThreadTest {
 protected:
  void SetUp() override {
    TaggingThreadTest::SetUp();
    Tagging::InstallTaggingSonvar();
    image_ = TYX::Test::MakeImage("png", 16, 16);
    ASSERT_FALSE(image_.empty());
    auto& s = web_.Server();
    s.Get("/v1/identify", [this](const httplib::Request&, httplib::Response& res) {
      if (hangIdentify_) return web_.HangGate().WaitOpen();
      res.set_content(R"({"status":"ok","recordings":[{"id":12345,"web_id":42,"score":0.9,"title":"봄날",
        "artist":{"id":7,"name":"하늘빛"},"album":{"id":8,"title":"사계절"},"genre":"Ballad","track":2}]})",
                      "application/json");
    });
    s.Get("/tavelstore/search/search_album_image.asp", [this](const httplib::Request& req, httplib::Response& res) {
      ++searches_;
      query_ = req.get_param_value("qa") + "|" + req.get_param_value("qb") + "|" + req.get_param_value("qc");
      res.set_content(notAnImage_ ? "/img/broken.png" : "/img/cover.png", "text/plain");
    });
    s.Get("/img/cover.png", [this](const httplib::Request&, httplib::Response& res) {
      res.set_content(std::string(image_.begin(), image_.end()), "image/png");
    });
    s.Get("/img/broken.png", [](const httplib::Request&, httplib::Response& res) {
      res.set_content("<html>no such image</html>", "image/png");
    });
    ASSERT_TRUE(web_.Start());
    Util::TYX_INIT::Instance()->SetAttribute(Tagging::kServiceHostAttribute, web_.HostPort());
    Util::TYX_INIT::Instance()->SetAttribute(kAlbumImageHostAttribute, web_.HostPort());
  }
  void TearDown() override {
    web_.Stop();
    Util::TYX_INIT::Instance()->RemoveAttribute(Tagging::kServiceHostAttribute);
    Util::TYX_INIT::Instance()->RemoveAttribute(Tagging::kServiceTimeoutAttribute);
    Util::TYX_INIT::Instance()->RemoveAttribute(kAlbumImageHostAttribute);
    TaggingThreadTest::TearDown();
  }

  TYX::Test::LocalWebServer web_;
  std::vector<std::uint8_t> image_;
  std::string query_;
  std::atomic<int> searches_{0};
  bool notAnImage_ = false;
  std::atomic<bool> hangIdentify_{false};
};

TEST_F(TaggingWebTest, AWebLookupTagsTheFileAndEmbedsTheAlbumImage) {
  const std::string a = Song("a.wav", 50);
  TYX_MTaggingThread worker;
  ASSERT_EQ(worker.SetTaggingList({a}, 1, 0), 0);
  ASSERT_TRUE(worker.OnTaggingStart(nullptr, TAGGING_MODE_SILENT));
  TYX_MediaPtr m = Read(a);
  ASSERT_TRUE(m);
  EXPECT_EQ(m->GetTitle(), "봄날");
  EXPECT_EQ(m->GetArtist(), "하늘빛");
  EXPECT_EQ(m->GetAlbum(), "사계절");
  EXPECT_EQ(query_, "봄날|하늘빛|사계절");
  ASSERT_TRUE(m->HasAlbumImage());
  EXPECT_EQ(m->GetAlbumImageData(), image_);
  std::vector<_Tag_Item> list;
  ASSERT_EQ(worker.GetTaggingList(list), 0);
  EXPECT_STREQ(list[0].candidates[0].songId, "MI0000012345");
  EXPECT_STREQ(list[0].candidates[0].webId, "WM0000000042");
  // The tagged file is now known offline: the service is not needed for a copy of it.
  web_.Stop();
  const std::string copy = Song("copy.wav", 50);
  ASSERT_EQ(worker.SetTaggingList({copy}, 0, 0), 0);
  ASSERT_TRUE(worker.OnTaggingStart(nullptr, TAGGING_MODE_SILENT));
  TYX_MediaPtr c = Read(copy);
  ASSERT_TRUE(c);
  EXPECT_EQ(c->GetTitle(), "봄날");
}

TEST_F(TaggingWebTest, AnExistingImageIsReplacedOnlyWhenAlwaysDownloadIsSet) {
  const std::string a = Song("a.wav", 53);
  const std::vector<std::uint8_t> own = TYX::Test::MakeImage("bmp", 8, 8);
  {
    TYX_MediaPtr m = Read(a);
    ASSERT_TRUE(m);
    ASSERT_TRUE(m->SetAlbumImageData(own));
    ASSERT_EQ(m->Save(), 0) << m->GetLastError();
  }
  TYX_MTaggingThread worker;
  ASSERT_EQ(worker.SetTaggingList({a}, 1, 0), 0);
  ASSERT_TRUE(worker.OnTaggingStart(nullptr, TAGGING_MODE_SILENT));
  EXPECT_EQ(searches_.load(), 0);
  TYX_MediaPtr kept = Read(a);
  ASSERT_TRUE(kept);
  EXPECT_EQ(kept->GetTitle(), "봄날");
  EXPECT_EQ(kept->GetAlbumImageData(), own);

  ASSERT_EQ(worker.SetTaggingList({a}, 1, 1), 0);
  ASSERT_TRUE(worker.OnTaggingStart(nullptr, TAGGING_MODE_SILENT));
  EXPECT_EQ(searches_.load(), 1);
  TYX_MediaPtr replaced = Read(a);
  ASSERT_TRUE(replaced);
  EXPECT_EQ(replaced->GetAlbumImageData(), image_);

  // Without the image option nothing is fetched at all.
  ASSERT_EQ(worker.SetTaggingList({Song("b.wav", 54)}, 0, 1), 0);
  ASSERT_TRUE(worker.OnTaggingStart(nullptr, TAGGING_MODE_SILENT));
  EXPECT_EQ(searches_.load(), 1);
}

TEST_F(TaggingWebTest, AReplyThatIsNotAnImageIsNotEmbeddedButTheTagsAreSaved) {
  notAnImage_ = true;
  const std::string a = Song("a.wav", 51);
  TYX_MTaggingThread worker;
  ASSERT_EQ(worker.SetTaggingList({a}, 1, 1), 0);
  ASSERT_TRUE(worker.OnTaggingStart(nullptr, TAGGING_MODE_SILENT));
  TYX_MediaPtr m = Read(a);
  ASSERT_TRUE(m);
  EXPECT_EQ(m->GetTitle(), "봄날");
  EXPECT_FALSE(m->HasAlbumImage());
  EXPECT_EQ(worker.FileDownload("봄날", "하늘빛", "사계절"), "");
  notAnImage_ = false;
  const std::string image = worker.FileDownload("봄날", "하늘빛", "사계절");
  ASSERT_FALSE(image.empty());
  EXPECT_EQ(image.substr(image.size() - 4), ".jpg");
  EXPECT_EQ(TYX::Test::ReadBytes(image), image_);
  std::filesystem::remove(image);
}

TEST_F(TaggingWebTest, LongValuesAreEachCutToTheirOwnLimitAndAllThreeReachTheService) {
  TYX_MTaggingThread worker;
  const std::string image = worker.FileDownload(std::string(3000, 't'), std::string(3000, 'r'), std::string(3000, 'l'));
  ASSERT_FALSE(image.empty());
  std::filesystem::remove(image);
  // Each value is escaped to at most 2048 bytes of its own; none is lost to the others' length.
  EXPECT_EQ(query_, std::string(2048, 't') + "|" + std::string(2048, 'r') + "|" + std::string(2048, 'l'));
}

TEST_F(TaggingWebTest, AHostConfiguredWithItsSchemeAndAFinalSlashIsUsedAsItStands) {
  Util::TYX_INIT::Instance()->SetAttribute(kAlbumImageHostAttribute, "HTTP://" + web_.HostPort() + "/");
  TYX_MTaggingThread worker;
  const std::string image = worker.FileDownload("봄날", "하늘빛", "사계절");
  ASSERT_FALSE(image.empty());
  EXPECT_EQ(TYX::Test::ReadBytes(image), image_);
  std::filesystem::remove(image);
  EXPECT_EQ(query_, "봄날|하늘빛|사계절");
}

TEST_F(TaggingWebTest, AServiceThatHangsTimesOutAndNothingIsWritten) {
  hangIdentify_ = true;
  Util::TYX_INIT::Instance()->SetAttribute(Tagging::kServiceTimeoutAttribute, "300");
  const std::string a = Song("a.wav", 52);
  const std::string before = TYX::Test::ReadFileBytes(a);
  TYX_MTaggingThread worker;
  ASSERT_EQ(worker.SetTaggingList({a}, 1, 1), 0);
  ASSERT_TRUE(worker.OnTaggingStart(nullptr, TAGGING_MODE_SILENT));
  EXPECT_EQ(TYX::Test::ReadFileBytes(a), before);
  std::vector<_Tag_Item> list;
  ASSERT_EQ(worker.GetTaggingList(list), 0);
  EXPECT_EQ(list[0].count, 0);
}

}  // namespace
}  // namespace TYX::Tags
