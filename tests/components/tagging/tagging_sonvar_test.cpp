#include "components/tagging/tagging_sonvar.h"

#include <gtest/gtest.h>

#include <atomic>

#include "components/tagging/audio_fingerprint.h"
#include "components/tagging/fingerprint_index.h"
#include "helpers/local_web_server.h"
#include "helpers/melody_audio.h"
#include "helpers/temp_dir.h"
#include "util/init.h"

namespace TYX::Tagging {
namespace {

constexpr const char* kTwoRecordings = R"({"status":"ok","recordings":[
  {"id":12345,"web_id":777,"score":0.93,"title":"여름밤","artist":{"id":55,"name":"하늘빛"},
   "album":{"id":66,"title":"사계절"},"genre":"Ballad","track":4},
  {"id":"900","score":0.5,"title":"Summer Night","artist":"Sky Light","album":"Seasons"},
  "not a recording",
  {"id":1,"score":0.1}
]})";

class TaggingSonvarTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Util::TYX_INIT::Instance()->SetStoreFile(dir_.File("settings.ini"));
    TYX_MusicIdentifier::SetIndexFile(dir_.File("data/music_fingerprints.db"));
    song_ = dir_.File("song.wav");
    ASSERT_TRUE(TYX::Test::WriteMelodyWav(song_, 77, 30, 22050, 1));
    auto& s = web_.Server();
    s.Get("/v1/identify", [this](const httplib::Request& req, httplib::Response& res) {
      ++requests_;
      lastDuration_ = req.get_param_value("duration");
      lastFingerprint_ = req.get_param_value("fingerprint");
      if (answer_ == "hang") {
        web_.HangGate().WaitOpen();
        return;
      }
      res.set_content(answer_, "application/json");
    });
    ASSERT_TRUE(web_.Start());
  }
  void TearDown() override { TYX_MusicIdentifier::SetIndexFile({}); }

  // A component set up with the service at the local server.
  std::unique_ptr<TYX_TaggingSonvar> Component(bool withService = true) {
    Util::TYX_INIT::Instance()->SetAttribute(kServiceHostAttribute, withService ? web_.HostPort() : "");
    auto c = std::make_unique<TYX_TaggingSonvar>();
    EXPECT_EQ(c->Initialize(), kIdentifyOk);
    return c;
  }

  TYX::Test::TempDir dir_;
  TYX::Test::LocalWebServer web_;
  std::string song_;
  std::string answer_ = kTwoRecordings;
  std::atomic<int> requests_{0};
  std::string lastDuration_;
  std::string lastFingerprint_;
};

TEST_F(TaggingSonvarTest, WebLookupGivesTheServiceRecordingsWithTheirIds) {
  auto c = Component();
  ASSERT_EQ(c->IdentifyFile(song_), kIdentifyOk);
  ASSERT_EQ(c->GetStatus(), kIdentifyStatusFound) << c->GetStatusText();
  EXPECT_FALSE(c->LastAnsweredLocally());
  EXPECT_EQ(requests_.load(), 1);
  EXPECT_EQ(lastDuration_, "30");
  const FingerprintResult fp = FingerprintFile(song_);
  ASSERT_TRUE(fp.ok);
  EXPECT_EQ(lastFingerprint_, fp.fingerprint.encoded);

  ASSERT_EQ(c->GetCandidateCount(), 2);  // the string and the empty recording are skipped
  EXPECT_EQ(c->GetTitle(0), "여름밤");
  EXPECT_EQ(c->GetArtist(0), "하늘빛");
  EXPECT_EQ(c->GetAlbum(0), "사계절");
  EXPECT_EQ(c->GetGenre(0), "Ballad");
  EXPECT_EQ(c->GetScore(0), 93);
  EXPECT_EQ(c->GetId(0, CandidateId::Song), "12345");
  EXPECT_EQ(c->GetId(0, CandidateId::Web), "777");
  EXPECT_EQ(c->GetId(0, CandidateId::Album), "66");
  EXPECT_EQ(c->GetId(0, CandidateId::Artist), "55");
  EXPECT_EQ(c->GetId(0, CandidateId::Track), "4");
  EXPECT_EQ(c->GetArtist(1), "Sky Light");
  EXPECT_EQ(c->GetId(1, CandidateId::Song), "900");
  EXPECT_EQ(c->GetId(1, CandidateId::Web), "");
  EXPECT_EQ(c->GetTitle(2), "");
  EXPECT_EQ(c->GetTitle(-1), "");
}

TEST_F(TaggingSonvarTest, AKnownSongIsIdentifiedOfflineWithoutAskingTheService) {
  {
    std::string error;
    auto index = FingerprintIndex::Open(TYX_MusicIdentifier::GetIndexFile(), error);
    ASSERT_TRUE(index) << error;
    IndexedSong s;
    s.path = dir_.File("library/original.wav");
    s.title = "Night Drive";
    s.artist = "Neon Coast";
    s.album = "Midnight";
    const FingerprintResult fp = FingerprintFile(song_);
    ASSERT_TRUE(fp.ok);
    ASSERT_TRUE(index->Put(s, fp.fingerprint.raw));
  }
  auto c = Component();
  ASSERT_EQ(c->IdentifyFile(song_), kIdentifyOk);
  ASSERT_EQ(c->GetStatus(), kIdentifyStatusFound);
  EXPECT_TRUE(c->LastAnsweredLocally());
  EXPECT_EQ(requests_.load(), 0);
  ASSERT_EQ(c->GetCandidateCount(), 1);
  EXPECT_EQ(c->GetTitle(0), "Night Drive");
  EXPECT_EQ(c->GetScore(0), 100);
  EXPECT_FALSE(c->GetId(0, CandidateId::Song).empty());
  EXPECT_EQ(c->GetId(0, CandidateId::Web), "");
}

TEST_F(TaggingSonvarTest, ServiceFailuresAreAStatusNotCandidates) {
  answer_ = R"({"status":"error","error":{"message":"invalid fingerprint"}})";
  auto c = Component();
  ASSERT_EQ(c->IdentifyFile(song_), kIdentifyOk);
  EXPECT_EQ(c->GetStatus(), kIdentifyStatusServiceError);
  EXPECT_NE(c->GetStatusText().find("invalid fingerprint"), std::string::npos) << c->GetStatusText();
  EXPECT_EQ(c->GetCandidateCount(), 0);

  answer_ = "<html>busy</html>";
  ASSERT_EQ(c->IdentifyFile(song_), kIdentifyOk);
  EXPECT_EQ(c->GetStatus(), kIdentifyStatusServiceError);

  answer_ = R"({"status":"ok","recordings":[]})";
  ASSERT_EQ(c->IdentifyFile(song_), kIdentifyOk);
  EXPECT_EQ(c->GetStatus(), kIdentifyStatusNoMatch);
}

TEST_F(TaggingSonvarTest, AServiceThatHangsTimesOut) {
  answer_ = "hang";
  auto c = Component();
  WebServiceSettings s;
  s.base = "http://" + web_.HostPort();
  s.idleTimeoutMs = 300;
  c->SetWebSettings(s);
  ASSERT_EQ(c->IdentifyFile(song_), kIdentifyOk);
  EXPECT_EQ(c->GetStatus(), kIdentifyStatusServiceError);
  EXPECT_EQ(c->GetCandidateCount(), 0);
}

TEST_F(TaggingSonvarTest, WithoutServiceOrIndexOrInitialisation) {
  auto c = Component(false);
  ASSERT_EQ(c->IdentifyFile(song_), kIdentifyOk);
  EXPECT_EQ(c->GetStatus(), kIdentifyStatusNoMatch);
  EXPECT_EQ(requests_.load(), 0);

  EXPECT_EQ(c->IdentifyFile(""), kIdentifyBadArgument);
  ASSERT_EQ(c->IdentifyFile(dir_.Write("text.wav", "not audio")), kIdentifyOk);
  EXPECT_EQ(c->GetStatus(), kIdentifyStatusUnreadable);
  EXPECT_FALSE(c->GetStatusText().empty());

  TYX_TaggingSonvar fresh;
  EXPECT_EQ(fresh.IdentifyFile(song_), kIdentifyFail);
  EXPECT_EQ(fresh.GetStatus(), kIdentifyStatusNotRun);
  EXPECT_EQ(fresh.Remember(song_), kIdentifyFail);
}

TEST_F(TaggingSonvarTest, AnIndexThatCannotBeOpenedLeavesTheWebLookup) {
  TYX_MusicIdentifier::SetIndexFile(dir_.Write("broken.db", std::string(2048, 'z')));
  auto c = Component();
  ASSERT_EQ(c->IdentifyFile(song_), kIdentifyOk);
  EXPECT_EQ(c->GetStatus(), kIdentifyStatusFound);
  EXPECT_EQ(c->Remember(song_), kIdentifyFail);
  EXPECT_EQ(TYX::Test::ReadFileBytes(dir_.File("broken.db")), std::string(2048, 'z'));
}

TEST(WebIdentifyTest, ServiceHostsAndOddAnswers) {
  EXPECT_EQ(WebServiceSettings::BaseOf(" id.example.com:81/ "), "http://id.example.com:81");
  EXPECT_EQ(WebServiceSettings::BaseOf("HTTPS://id.example.com"), "HTTPS://id.example.com");
  EXPECT_EQ(WebServiceSettings::BaseOf("  "), "");
  WebLookupResult r = ParseWebAnswer(R"({"status":"ok","recordings":[{"id":-5,"web_id":1.5,"title":"x",
      "artist":{"id":"12a","name":"y"}}]})", 20);
  ASSERT_TRUE(r.ok);
  ASSERT_EQ(r.recordings.size(), 1u);
  EXPECT_FALSE(r.recordings[0].id);
  EXPECT_FALSE(r.recordings[0].webId);
  EXPECT_FALSE(r.recordings[0].artistId);
  EXPECT_EQ(r.recordings[0].artist, "y");
  EXPECT_TRUE(ParseWebAnswer(R"({"status":"ok"})", 20).ok);
  EXPECT_FALSE(ParseWebAnswer("[1,2]", 20).ok);
  EXPECT_FALSE(ParseWebAnswer(R"({"recordings":[]})", 20).ok);
  std::string many = R"({"status":"ok","recordings":[)";
  for (int i = 0; i < 30; ++i) many += std::string(i ? "," : "") + R"({"title":"t"})";
  many += "]}";
  EXPECT_EQ(ParseWebAnswer(many, 20).recordings.size(), 20u);
}

TEST(MusicIdentifierFactoryTest, CreateAndRegister) {
  auto oldFactory = TYX_MusicIdentifier::SetFactory({});
  auto oldRegistrar = TYX_MusicIdentifier::SetRegistrar({});
  std::string error;
  EXPECT_FALSE(TYX_MusicIdentifier::Create(&error));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(TYX_MusicIdentifier::Register());
  InstallTaggingSonvar();
  TYX_MusicIdentifier::SetFactory({});
  EXPECT_TRUE(TYX_MusicIdentifier::Register());  // the registrar brings the factory back
  EXPECT_TRUE(TYX_MusicIdentifier::Create(&error));
  EXPECT_TRUE(error.empty());
  TYX_MusicIdentifier::SetFactory(oldFactory);
  TYX_MusicIdentifier::SetRegistrar(oldRegistrar);
}

}  // namespace
}  // namespace TYX::Tagging
