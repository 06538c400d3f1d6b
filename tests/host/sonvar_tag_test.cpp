// `sonvar tag`: tags set by hand go through the tag editor (one song) or the batch editor (several) and
// only what changed is written; automatic tagging identifies songs through the editor's search, from a
// local identification service or, offline, from the index of songs the library remembers.
#include <filesystem>
#include <fstream>

#include "contracts/media.h"
#include "helpers/local_web_server.h"
#include "helpers/media_fixtures.h"
#include "helpers/melody_audio.h"
#include "host/sonvar_fixture.h"

namespace TYX::Test {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

std::string FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TYX_MediaPtr Read(const std::string& path) {
  std::string error;
  TYX_MediaPtr media = TYX_Media::Instance(path, kMediaOpenRead, &error);
  EXPECT_TRUE(media) << path << ": " << error;
  return media;
}

class SonvarTagTest : public SonvarTest {
 protected:
  // A song of its own melody (WAV), with the tags given (none when the title is empty).
  std::string Melody(const std::string& file, std::uint32_t seed, double seconds, const std::string& title = {},
                     const std::string& artist = {}, const std::string& album = {},
                     const std::string& genre = {}) const {
    const std::string path = Music() + "/" + file;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    EXPECT_TRUE(WriteMelodyWav(path, seed, seconds, 22050, 1));
    if (!title.empty()) {
      TYX_MediaPtr media = Read(path);
      if (media) {
        media->SetTitle(title);
        media->SetArtist(artist);
        media->SetAlbum(album);
        media->SetGenre(genre);
        EXPECT_EQ(media->Save(), 0);
      }
    }
    return path;
  }
};

TEST_F(SonvarTagTest, OneSongIsEditedInTheTagEditorAndOnlyTheGivenFieldsChange) {
  const std::string mp3 = MakeSong({"봄날.mp3", "봄날", "하늘빛", "사계절", "발라드"});
  const std::string other = MakeSong({"night.ogg", "Night Drive", "Neon Coast", "Midnight", "Pop"});
  SeedLibrary({mp3, other});
  const std::string otherBefore = FileBytes(other);

  const ProgramRun run =
      SonvarData({"-q", "tag", "title:봄날", "--set", "title= Spring Day ", "--set", "year=2024", "--set", "track=7",
                  "--set", "genre=pop", "--set", "comment=live take"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_THAT(run.out, HasSubstr("changed: " + mp3 + ": title \"Spring Day\", year \"2024\", track \"7\", genre \"Pop\", "
                                 "comment \"live take\""));
  EXPECT_THAT(run.out, HasSubstr("1 changed, 0 unchanged, 0 failed"));
  TYX_MediaPtr media = Read(mp3);
  ASSERT_TRUE(media);
  EXPECT_EQ(media->GetTitle(), "Spring Day");
  EXPECT_EQ(media->GetText(MediaText::Year), "2024");
  EXPECT_EQ(media->GetNumber(MediaNumber::Track), 7u);
  EXPECT_EQ(media->GetText(MediaText::Genre), "Pop");
  EXPECT_EQ(media->GetText(MediaText::Comment), "live take");
  // Fields not named keep their values, and the song not picked is untouched.
  EXPECT_EQ(media->GetArtist(), "하늘빛");
  EXPECT_EQ(media->GetAlbum(), "사계절");
  EXPECT_EQ(FileBytes(other), otherBefore);
  // The library shows the new title.
  const ProgramRun ls = SonvarData({"-q", "ls", "--format", "title,artist", "artist:하늘빛"});
  EXPECT_THAT(ls.out, HasSubstr("Spring Day"));

  // The same values again change nothing and write nothing.
  const std::string after = FileBytes(mp3);
  const ProgramRun again = SonvarData({"-q", "tag", "Spring", "--set", "year=2024"});
  ASSERT_EQ(again.exitCode, 0) << again.err;
  EXPECT_THAT(again.out, HasSubstr("unchanged: " + mp3));
  EXPECT_EQ(FileBytes(mp3), after);

  // An empty value clears a field.
  const ProgramRun clear = SonvarData({"-q", "tag", "Spring", "--set", "comment="});
  ASSERT_EQ(clear.exitCode, 0) << clear.err;
  EXPECT_THAT(clear.out, HasSubstr("changed: " + mp3 + ": comment \"\""));
  EXPECT_EQ(Read(mp3)->GetText(MediaText::Comment), "");
}

TEST_F(SonvarTagTest, AGenreTheTagEditorDoesNotOfferLeavesTheSongAsItWas) {
  const std::string mp3 = MakeSong({"봄날.mp3", "봄날", "하늘빛", "사계절", "발라드"});
  SeedLibrary({mp3});
  const std::string before = FileBytes(mp3);
  const ProgramRun run = SonvarData({"-q", "tag", "봄날", "--set", "title=Other", "--set", "genre=Vaporwave"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_THAT(run.out, HasSubstr("failed: " + mp3 + ": the tag editor offers no genre 'Vaporwave'"));
  EXPECT_EQ(FileBytes(mp3), before);
}

TEST_F(SonvarTagTest, SeveralSongsGoThroughTheBatchEditorWhichLeavesUntaggableFormatsAlone) {
  const std::string mp3 = MakeSong({"a/one.mp3", "One", "Neon Coast", "Old", "Pop"});
  const std::string ogg = MakeSong({"a/two.ogg", "Two", "Neon Coast", "Old", "Pop"});
  const std::string wav = MakeSong({"a/three.wav", "Three", "Neon Coast", "Old", "Pop"});
  SeedLibrary({mp3, ogg, wav});
  const std::string wavBefore = FileBytes(wav);

  const ProgramRun run = SonvarData({"-q", "tag", "artist:neon", "--set", "album=Midnight", "--set", "genre=Synthwave"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_THAT(run.out, HasSubstr("changed: " + mp3 + ": album \"Midnight\", genre \"Synthwave\""));
  EXPECT_THAT(run.out, HasSubstr("changed: " + ogg + ": album \"Midnight\", genre \"Synthwave\""));
  EXPECT_THAT(run.out, HasSubstr("failed: " + wav + ": not editable"));
  EXPECT_THAT(run.out, HasSubstr("2 changed, 0 unchanged, 1 failed"));
  for (const std::string& p : {mp3, ogg}) {
    TYX_MediaPtr media = Read(p);
    ASSERT_TRUE(media);
    EXPECT_EQ(media->GetAlbum(), "Midnight") << p;
    EXPECT_EQ(media->GetText(MediaText::Genre), "Synthwave") << p;
  }
  // Each song keeps its own title: the title box was never ticked.
  EXPECT_EQ(Read(mp3)->GetTitle(), "One");
  EXPECT_EQ(Read(ogg)->GetTitle(), "Two");
  EXPECT_EQ(FileBytes(wav), wavBefore);

  // Values every song already holds leave every file as it is.
  const std::string mp3After = FileBytes(mp3);
  const ProgramRun same = SonvarData({"-q", "tag", "title:o", "--set", "album=Midnight"});
  ASSERT_EQ(same.exitCode, 0) << same.err << same.out;
  EXPECT_THAT(same.out, HasSubstr("unchanged: " + mp3));
  EXPECT_THAT(same.out, HasSubstr("unchanged: " + ogg));
  EXPECT_EQ(FileBytes(mp3), mp3After);

  // Clearing a field the songs do not share: the batch editor shows it empty, yet it is ticked and
  // cleared where there was something to clear.
  ASSERT_EQ(SonvarData({"-q", "tag", "path:one.mp3", "--set", "comment=first"}).exitCode, 0);
  const ProgramRun clear = SonvarData({"-q", "tag", "title:o", "--set", "comment="});
  ASSERT_EQ(clear.exitCode, 0) << clear.err << clear.out;
  EXPECT_THAT(clear.out, HasSubstr("changed: " + mp3 + ": comment \"\""));
  EXPECT_THAT(clear.out, HasSubstr("unchanged: " + ogg));
  EXPECT_EQ(Read(mp3)->GetText(MediaText::Comment), "");
}

TEST_F(SonvarTagTest, UsageProblemsAreRefusedBeforeAnythingIsOpened) {
  const std::string mp3 = MakeSong({"봄날.mp3", "봄날", "하늘빛", "사계절", "발라드"});
  SeedLibrary({mp3});
  const std::string before = FileBytes(mp3);
  struct Case {
    std::vector<std::string> args;
    const char* says;
  };
  const Case cases[] = {
      {{"tag", "봄날"}, "needs --auto, --set FIELD=VALUE or --remember"},
      {{"tag", "봄날", "--auto", "--set", "title=x"}, "cannot be used together"},
      {{"tag", "봄날", "--set", "mood=calm"}, "no tag field named 'mood'"},
      {{"tag", "봄날", "--set", "title"}, "--set takes FIELD=VALUE"},
      {{"tag", "봄날", "--set", "title=a", "--set", "title=b"}, "set twice"},
      {{"tag", "봄날", "--set", "track=seven"}, "track takes a number"},
      {{"tag", "봄날", "--set", "track=0"}, "track takes a number"},
      {{"tag", "봄날", "--set", "year=24"}, "year takes YYYY"},
      {{"tag", "봄날", "--set", "title=a\tb"}, "control character"},
      {{"tag", "봄날", "--auto=yes"}, "takes no value"},
      {{"tag", "--auto"}, "needs QUERY"},
      {{"tag", "봄날", "--set", "year=2024", "--service", "127.0.0.1:9"}, "--service is for --auto"},
  };
  for (const Case& c : cases) {
    const ProgramRun run = SonvarData(c.args);
    EXPECT_EQ(run.exitCode, 2) << c.says;
    EXPECT_THAT(run.err, HasSubstr(c.says));
  }
  const ProgramRun noMatch = SonvarData({"tag", "nothing-like-this", "--set", "year=2024"});
  EXPECT_EQ(noMatch.exitCode, 1);
  EXPECT_THAT(noMatch.err, HasSubstr("no song matches 'nothing-like-this'"));
  EXPECT_EQ(FileBytes(mp3), before);
}

class SonvarAutoTagTest : public SonvarTagTest {
 protected:
  void SetUp() override {
    // The service knows the sound of 20-second songs only; it tells them by the duration it is sent.
    web_.Server().Get("/v1/identify", [this](const httplib::Request& req, httplib::Response& res) {
      ++requests_;
      if (req.get_param_value("duration") == "20") {
        res.set_content(R"({"status":"ok","recordings":[
          {"id":12345,"web_id":42,"score":0.97,"title":"Night Drive","artist":{"id":7,"name":"Neon Coast"},
           "album":{"id":8,"title":"Midnight"},"genre":"Electronic","track":2},
          {"id":555,"score":0.4,"title":"Night Driving","artist":{"id":9,"name":"Someone"}}]})",
                        "application/json");
      } else if (req.get_param_value("duration") == "22") {
        // A recording the service knows little about: no album, no genre.
        res.set_content(R"({"status":"ok","recordings":[{"id":77,"score":0.8,"title":"Rain",
          "artist":{"id":3,"name":"Cloud"}}]})",
                        "application/json");
      } else {
        res.set_content(R"({"status":"ok","recordings":[]})", "application/json");
      }
    });
    ASSERT_TRUE(web_.Start());
  }
  LocalWebServer web_;
  std::atomic<int> requests_{0};
};

TEST_F(SonvarAutoTagTest, SongsAreIdentifiedByTheServiceAndTheBestCandidateIsWritten) {
  const std::string known = Melody("known.wav", 11, 20);
  const std::string stranger = Melody("stranger.wav", 12, 24, "Stranger", "Nobody");
  const std::string broken = MakeDamaged("broken.wav");
  SeedLibrary({known, stranger, broken});
  const std::string strangerBefore = FileBytes(stranger);

  const ProgramRun run = SonvarData({"-q", "tag", "path:" + Music(), "--auto", "--service", web_.HostPort()});
  EXPECT_EQ(run.exitCode, 1) << run.err;
  EXPECT_THAT(run.out, HasSubstr("tagged: " + known + ": title \"Night Drive\", artist \"Neon Coast\", album \"Midnight\", "
                                 "genre \"Electronic\" (the best of 2 candidates)"));
  EXPECT_THAT(run.out, HasSubstr("not identified: " + stranger + ": the identification service knows no song"));
  EXPECT_THAT(run.out, HasSubstr("failed: " + broken + ": the tag editor cannot open it"));
  EXPECT_THAT(run.out, HasSubstr("1 tagged, 0 unchanged, 1 not identified, 1 failed"));
  TYX_MediaPtr media = Read(known);
  ASSERT_TRUE(media);
  EXPECT_EQ(media->GetTitle(), "Night Drive");
  EXPECT_EQ(media->GetArtist(), "Neon Coast");
  EXPECT_EQ(media->GetAlbum(), "Midnight");
  EXPECT_EQ(media->GetText(MediaText::Genre), "Electronic");
  EXPECT_EQ(FileBytes(stranger), strangerBefore);
  EXPECT_EQ(requests_.load(), 2);

  // The service was kept in the settings; the tagged song was remembered, so the second run answers
  // from the local index and finds its tags already right.
  const ProgramRun again = SonvarData({"-q", "tag", "Night", "--auto"});
  ASSERT_EQ(again.exitCode, 0) << again.err << again.out;
  EXPECT_THAT(again.out, HasSubstr("unchanged: " + known + ": its tags already name the best of 1 candidate, "
                                   "\"Night Drive\" by Neon Coast from Midnight"));
  EXPECT_EQ(requests_.load(), 2);
  EXPECT_TRUE(std::filesystem::exists(Data() + "/music_fingerprints.db"));
}

TEST_F(SonvarAutoTagTest, TextsTheBestCandidateLacksKeepTheSongsOwnValues) {
  const std::string song = Melody("rain.wav", 41, 22, "rain (demo)", "", "My Album", "Jazz");
  SeedLibrary({song});
  const ProgramRun run = SonvarData({"-q", "tag", "rain", "--auto", "--service", web_.HostPort()});
  ASSERT_EQ(run.exitCode, 0) << run.err << run.out;
  EXPECT_THAT(run.out, HasSubstr("tagged: " + song + ": title \"Rain\", artist \"Cloud\" (the best of 1 candidate)"));
  TYX_MediaPtr media = Read(song);
  ASSERT_TRUE(media);
  EXPECT_EQ(media->GetTitle(), "Rain");
  EXPECT_EQ(media->GetArtist(), "Cloud");
  EXPECT_EQ(media->GetAlbum(), "My Album");
  EXPECT_EQ(media->GetText(MediaText::Genre), "Jazz");
}

TEST_F(SonvarTagTest, AnUntaggedCopyOfARememberedSongIsIdentifiedOffline) {
  const std::string original = Melody("a/original.wav", 21, 20, "Old Title", "하늘빛");
  const std::string remembered = Melody("b/remembered.wav", 22, 20, "여름밤", "하늘빛");
  SeedLibrary({original, remembered});
  // A title set by hand is remembered when it is saved; another song is remembered on request.
  const ProgramRun set = SonvarData({"-q", "tag", "path:/a/", "--set", "title=봄날", "--set", "genre=발라드"});
  ASSERT_EQ(set.exitCode, 0) << set.err << set.out;
  const ProgramRun remember = SonvarData({"-q", "tag", "path:/b/", "--remember"});
  ASSERT_EQ(remember.exitCode, 0) << remember.err << remember.out;
  EXPECT_THAT(remember.out, HasSubstr("remembered: " + remembered));

  // Copies without tags, and a song the index does not know, with no service configured.
  const std::string copy = Melody("c/copy.wav", 21, 20);
  const std::string copy2 = Melody("c/copy2.wav", 22, 20);
  const std::string unknown = Melody("c/unknown.wav", 23, 20);
  SeedLibrary({copy, copy2, unknown});
  const ProgramRun run = SonvarData({"-q", "tag", "path:/c/", "--auto"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_THAT(run.out, HasSubstr("tagged: " + copy + ": title \"봄날\", artist \"하늘빛\", genre \"발라드\""));
  EXPECT_THAT(run.out, HasSubstr("tagged: " + copy2 + ": title \"여름밤\", artist \"하늘빛\""));
  EXPECT_THAT(run.out, HasSubstr("not identified: " + unknown + ": no song of the library sounds like this, and no "
                                 "identification service is configured"));
  EXPECT_EQ(Read(copy)->GetTitle(), "봄날");
  EXPECT_EQ(Read(copy2)->GetTitle(), "여름밤");
  EXPECT_EQ(Read(unknown)->GetTitle(), "");
}

TEST_F(SonvarTagTest, AServiceThatDoesNotAnswerIsNamedAsTheReason) {
  const std::string song = Melody("x.wav", 31, 20);
  SeedLibrary({song});
  const std::string before = FileBytes(song);
  // A port nothing listens on.
  const ProgramRun run = SonvarData({"-q", "tag", "x", "--auto", "--service", "127.0.0.1:1"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_THAT(run.out, HasSubstr("not identified: " + song + ": "));
  EXPECT_THAT(run.out, Not(HasSubstr("no identification service is configured")));
  EXPECT_EQ(FileBytes(song), before);
}

}  // namespace
}  // namespace TYX::Test
