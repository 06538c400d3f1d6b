// The tag editor's search over the real identification component, answered by a local web service:
// candidates are only looked up (the file is untouched until OK), a pick fills the fields and the
// identifier texts, and a search that finds nothing says so.
#include <httplib.h>

#include <filesystem>
#include <functional>

#include "components/tagging/tagging_sonvar.h"
#include "contracts/music_identifier.h"
#include "helpers/local_web_server.h"
#include "helpers/media_fixtures.h"
#include "helpers/melody_audio.h"
#include "helpers/scripted_user_agent.h"
#include "tags/album_image_download.h"
#include "tags/file_id3_edit_dialog.h"
#include "tags/tag_candidate_search.h"
#include "tags/tag_dialogs.h"
#include "tags_test_support.h"
#include "toolkit/combo_box.h"
#include "toolkit/edit.h"
#include "toolkit/list_ctrl_ex.h"
#include "toolkit/skin_button.h"

namespace TYX::Tags::Test {
namespace {

using namespace TYX::Win;
using Dialog::TYX_Dialog_FileID3Edit;
using Dialog::TYX_TagCandidateSearch;
using TYX::Test::ScopedUserAgent;
using Dlg = TYX_Dialog_FileID3Edit;

constexpr const char* kTwoRecordings = R"({"status":"ok","recordings":[
  {"id":12345,"web_id":777,"score":0.93,"title":"여름밤","artist":{"id":55,"name":"하늘빛"},
   "album":{"id":66,"title":"사계절"},"genre":"Ballad","track":4},
  {"id":900,"score":0.5,"title":"Summer Night","artist":"Sky Light","album":"Seasons","genre":"Pop"}
]})";
constexpr const char* kNothing = R"({"status":"ok","recordings":[]})";

// A window standing for the host's main window; it counts the commands it gets.
class MainWindow : public Window {
 public:
  MainWindow() {
    OnCommand(Dlg::kSearchFoundCommand, [this] { ++found; });
    EXPECT_TRUE(Create(nullptr, Rect{0, 0, 800, 600}, WS_POPUP));
    SetMainWindow(GetSafeHwnd());
  }
  ~MainWindow() override { SetMainWindow(nullptr); }
  int found = 0;
};

class TagSearchTest : public TagsTest {
 protected:
  void SetUp() override {
    TagsTest::SetUp();
    TYX_MusicIdentifier::SetIndexFile(dir_.File("data/music_fingerprints.db"));
    Tagging::InstallTaggingSonvar();
    web_.Server().Get("/v1/identify", [this](const httplib::Request&, httplib::Response& res) {
      ++requests_;
      if (hang_) web_.HangGate().WaitOpen();
      res.set_content(answer_, "application/json");
    });
    ASSERT_TRUE(web_.Start());
    TYX_INIT::Instance()->SetAttribute(Tagging::kServiceHostAttribute, web_.HostPort());
    path_ = dir_.File("melody.wav");
    ASSERT_TRUE(TYX::Test::WriteMelodyWav(path_, 41, 25, 22050, 1));
    Tag(path_, [](TYX_Media& m) { m.SetTitle("Unknown"); });
    index_ = Insert(path_);
  }
  void TearDown() override { TYX_MusicIdentifier::SetIndexFile({}); }

  static Controls::TYX_SkinButton* Button(Dlg& d, UINT id) {
    return static_cast<Controls::TYX_SkinButton*>(Window::FromHandle(d.GetDlgItem(id)));
  }
  // Runs the editor: the person presses search, then acts once the results are shown.
  int SearchThen(std::function<void(Dlg&)> onResults) {
    bool acted = false;
    agent_->OnNextModal([](Window& w) { EXPECT_TRUE(Button(static_cast<Dlg&>(w), Dlg::kSearchId)->Click()); });
    agent_->SetIdleAction([&](Window& w) {
      auto* d = dynamic_cast<Dlg*>(&w);
      if (!d || acted || d->GetSearch().IsRunning() || !d->GetResultList()->IsVisibleFlag()) return;
      acted = true;
      onResults(*d);
    });
    const int result = Dialog::RunID3EditDialog(nullptr, store_.get(), index_);
    agent_->SetIdleAction({});
    EXPECT_TRUE(acted);
    EXPECT_FALSE(watchdog_.Fired());
    return result;
  }

  ScopedUserAgent agent_;
  ModalWatchdog watchdog_;
  TYX::Test::LocalWebServer web_;
  std::string answer_ = kTwoRecordings;
  std::atomic<bool> hang_{false};
  std::atomic<int> requests_{0};
  std::string path_;
  std::uint32_t index_ = 0;
};

TEST(TagCandidateIdTest, IdentifiersArePaddedDecimalValues) {
  EXPECT_EQ(TYX_TagCandidateSearch::GetID("MI", 10, "12345", false), "MI0000012345");
  EXPECT_EQ(TYX_TagCandidateSearch::GetID("MI", 5, "12345", false), "MI12345");
  EXPECT_EQ(TYX_TagCandidateSearch::GetID("WM", 10, "", true), "");
  EXPECT_EQ(TYX_TagCandidateSearch::GetID("MI", 10, "", false), "MI0000000000");
  EXPECT_EQ(TYX_TagCandidateSearch::GetID("MI", 5, "4", false), "MI00004");
}

TEST_F(TagSearchTest, TheSearchOnlyLooksUpAndCancelLeavesTheFileAsItWas) {
  MainWindow main;
  const std::string before = ::TYX::Test::ReadFileBytes(path_);
  std::vector<std::string> row0, row1;
  std::string titleAfterPick, genreAfterPick;
  EXPECT_EQ(SearchThen([&](Dlg& d) {
              // The candidates are on screen, and the file has not been touched.
              EXPECT_EQ(::TYX::Test::ReadFileBytes(path_), before);
              auto* list = d.GetResultList();
              ASSERT_EQ(list->GetItemCount(), 2);
              for (int c = 0; c < 4; ++c) {
                row0.push_back(list->GetCellText(0, c));
                row1.push_back(list->GetCellText(1, c));
              }
              EXPECT_TRUE(list->ClickRow(1, 0));
              titleAfterPick = d.GetFieldEdit(Dlg::kTitle)->GetText();
              genreAfterPick = d.GetGenreCombo()->GetSelectedText();
              EXPECT_TRUE(d.ClickButton(IDCANCEL));
            }),
            0);
  EXPECT_EQ(row0, (std::vector<std::string>{"여름밤", "하늘빛", "사계절", "Ballad"}));
  EXPECT_EQ(row1, (std::vector<std::string>{"Summer Night", "Sky Light", "Seasons", "Pop"}));
  EXPECT_EQ(titleAfterPick, "Summer Night");
  EXPECT_EQ(genreAfterPick, "Pop");
  EXPECT_EQ(main.found, 1);
  EXPECT_EQ(::TYX::Test::ReadFileBytes(path_), before);
  EXPECT_EQ(Item(index_)->GetIdText(0), "");
  EXPECT_EQ(Item(index_)->GetTitle(), "Unknown");
}

TEST_F(TagSearchTest, APickedCandidateIsWrittenOnOkWithItsIdentifiers) {
  int height = 0, enlarged = 0;
  EXPECT_EQ(SearchThen([&](Dlg& d) {
              enlarged = d.GetWindowRect().Height();
              height = Dlg::kHeight;
              // A click below the candidates picks nothing, the row just past the last one included.
              d.SendMessage(Controls::WM_LISTEX_BTNCLICK, 5, 0);
              d.SendMessage(Controls::WM_LISTEX_BTNCLICK, 2, 0);
              EXPECT_EQ(d.GetPickCount(), 0);
              EXPECT_TRUE(d.GetResultList()->ClickRow(0, 0));
              EXPECT_EQ(d.GetPickCount(), 1);
              EXPECT_TRUE(d.GetStartTimeEdit()->TypeText("00:02"));
              EXPECT_TRUE(d.GetEndTimeEdit()->TypeText("00:24"));
              EXPECT_TRUE(d.ClickButton(IDOK));
            }),
            1);
  EXPECT_GT(enlarged, height);
  TYX_MediaPtr m = Read(path_);
  EXPECT_EQ(m->GetTitle(), "여름밤");
  EXPECT_EQ(m->GetArtist(), "하늘빛");
  EXPECT_EQ(m->GetAlbum(), "사계절");
  EXPECT_EQ(m->GetGenre(), "Ballad");
  TYX_LibraryItem* item = Item(index_);
  EXPECT_EQ(item->GetTitle(), "여름밤");
  EXPECT_EQ(item->GetIdText(0), "MI0000012345");
  EXPECT_EQ(item->GetIdText(1), "WM0000000777");
  EXPECT_EQ(item->GetIdText(2), "MI0000000066");
  EXPECT_EQ(item->GetIdText(3), "MI0000000055");
  EXPECT_EQ(item->GetIdText(4), "MI00004");
  EXPECT_EQ(item->GetHighlightStart(), 2000u);
  EXPECT_EQ(item->GetHighlightLength(), 22000u);
  EXPECT_EQ(m->GetHighlightLength(), 22000u);
}

TEST_F(TagSearchTest, TheSearchButtonsWaitForTheSearchAndNothingFoundIsSaid) {
  answer_ = kNothing;
  hang_ = true;
  agent_->ExpectMessageBox(IDOK, false, Dlg::kSearchFailedText);
  bool disabledWhileSearching = false, enabledAfter = false;
  int phase = 0;
  agent_->OnNextModal([](Window& w) { EXPECT_TRUE(Button(static_cast<Dlg&>(w), Dlg::kSearchId)->Click()); });
  agent_->SetIdleAction([&](Window& w) {
    auto* d = dynamic_cast<Dlg*>(&w);
    if (!d) return;
    if (phase == 0 && !Button(*d, Dlg::kSearchId)->IsWindowEnabled()) {
      disabledWhileSearching = !Button(*d, Dlg::kImageId)->IsWindowEnabled();
      // A second press while searching starts nothing.
      d->SendMessage(WM_COMMAND, MAKEWPARAM(Dlg::kSearchId, BN_CLICKED), 0);
      phase = 1;
      web_.HangGate().Open();
    } else if (phase == 1 && !d->GetSearch().IsRunning() && agent_->Prompts().size() == 1) {
      enabledAfter = Button(*d, Dlg::kSearchId)->IsWindowEnabled() && Button(*d, Dlg::kImageId)->IsWindowEnabled();
      phase = 2;
      EXPECT_FALSE(d->GetResultList()->IsVisibleFlag());
      EXPECT_TRUE(d->ClickButton(IDOK));
    }
  });
  EXPECT_EQ(Dialog::RunID3EditDialog(nullptr, store_.get(), index_), 0);
  agent_->SetIdleAction({});
  EXPECT_FALSE(watchdog_.Fired());
  EXPECT_TRUE(disabledWhileSearching);
  EXPECT_TRUE(enabledAfter);
  EXPECT_EQ(requests_.load(), 1);
  ASSERT_EQ(agent_->Prompts().size(), 1u);
  EXPECT_EQ(agent_->Prompts()[0].text, Dlg::kSearchFailedText);
}

// The album-image service answers a search with the address of an image.
class ImageSearchTest : public TagSearchTest {
 protected:
  void SetUp() override {
    TagSearchTest::SetUp();
    image_ = ::TYX::Test::MakeImage("png", 16, 16);
    ASSERT_FALSE(image_.empty());
    web_.Server().Get("/tavelstore/search/search_album_image.asp",
                      [this](const httplib::Request& req, httplib::Response& res) {
                        query_ = req.get_param_value("qa") + "|" + req.get_param_value("qb") + "|" +
                                 req.get_param_value("qc");
                        res.set_content(notAnImage_ ? "/img/broken.png" : "/img/cover.png", "text/plain");
                      });
    web_.Server().Get("/img/cover.png", [this](const httplib::Request&, httplib::Response& res) {
      res.set_content(std::string(image_.begin(), image_.end()), "image/png");
    });
    web_.Server().Get("/img/broken.png", [](const httplib::Request&, httplib::Response& res) {
      res.set_content("<html>gone</html>", "image/png");
    });
    TYX_INIT::Instance()->SetAttribute(kAlbumImageHostAttribute, web_.HostPort());
  }
  void TearDown() override {
    TYX_INIT::Instance()->RemoveAttribute(kAlbumImageHostAttribute);
    TagSearchTest::TearDown();
  }

  std::vector<std::uint8_t> image_;
  std::string query_;
  std::atomic<bool> notAnImage_{false};
};

TEST_F(ImageSearchTest, TheFoundAlbumImageIsEmbeddedOnOkAndItsTemporaryFileGoes) {
  const std::string before = ::TYX::Test::ReadFileBytes(path_);
  std::string found;
  bool untouchedMeanwhile = false, buttonsBack = false;
  agent_->OnNextModal([](Window& w) {
    auto& d = static_cast<Dlg&>(w);
    // The album the person typed is the one looked for.
    EXPECT_TRUE(d.GetFieldEdit(Dlg::kAlbum)->TypeText("사계절"));
    EXPECT_TRUE(Button(d, Dlg::kImageSearchId)->Click());
  });
  agent_->SetIdleAction([&](Window& w) {
    auto* d = dynamic_cast<Dlg*>(&w);
    if (!d || !found.empty() || d->GetImageSearch().IsRunning() || d->GetChosenImage().empty()) return;
    found = d->GetChosenImage();
    untouchedMeanwhile = ::TYX::Test::ReadFileBytes(path_) == before && std::filesystem::exists(found);
    buttonsBack = Button(*d, Dlg::kImageSearchId)->IsWindowEnabled() && Button(*d, Dlg::kSearchId)->IsWindowEnabled();
    EXPECT_TRUE(d->ClickButton(IDOK));
  });
  EXPECT_EQ(Dialog::RunID3EditDialog(nullptr, store_.get(), index_), 1);
  agent_->SetIdleAction({});
  EXPECT_FALSE(watchdog_.Fired());
  ASSERT_FALSE(found.empty());
  EXPECT_TRUE(untouchedMeanwhile);
  EXPECT_TRUE(buttonsBack);
  EXPECT_EQ(query_, "Unknown||사계절");
  TYX_MediaPtr m = Read(path_);
  ASSERT_TRUE(m);
  EXPECT_EQ(m->GetAlbumImageData(), image_);
  EXPECT_EQ(m->GetAlbum(), "사계절");
  EXPECT_FALSE(std::filesystem::exists(found));
}

TEST_F(ImageSearchTest, AnAnswerThatIsNoImageIsToldAndNothingIsWritten) {
  notAnImage_ = true;
  const std::string before = ::TYX::Test::ReadFileBytes(path_);
  agent_->ExpectMessageBox(IDOK, false, Dlg::kImageNotFoundText);
  bool told = false;
  agent_->OnNextModal([](Window& w) { EXPECT_TRUE(Button(static_cast<Dlg&>(w), Dlg::kImageSearchId)->Click()); });
  agent_->SetIdleAction([&](Window& w) {
    auto* d = dynamic_cast<Dlg*>(&w);
    if (!d || told || d->GetImageSearch().IsRunning() || agent_->Prompts().size() != 1) return;
    told = true;
    EXPECT_TRUE(d->GetChosenImage().empty());
    EXPECT_TRUE(Button(*d, Dlg::kImageSearchId)->IsWindowEnabled());
    EXPECT_TRUE(d->ClickButton(IDOK));
  });
  EXPECT_EQ(Dialog::RunID3EditDialog(nullptr, store_.get(), index_), 0);
  agent_->SetIdleAction({});
  EXPECT_FALSE(watchdog_.Fired());
  EXPECT_TRUE(told);
  EXPECT_EQ(query_, "Unknown||");
  EXPECT_EQ(::TYX::Test::ReadFileBytes(path_), before);
}

}  // namespace
}  // namespace TYX::Tags::Test
