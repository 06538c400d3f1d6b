// The batch tag editor, driven as a person would: which songs can be edited, the shared initial values,
// the check boxes, and writing only the ticked fields, only to songs whose format carries tags.
#include <unistd.h>

#include "helpers/scripted_user_agent.h"
#include "tags/file_id3_edit2_dialog.h"
#include "tags/tag_dialogs.h"
#include "tags_test_support.h"
#include "toolkit/check_box.h"
#include "toolkit/edit.h"
#include "toolkit/list_ctrl_ex.h"
#include "toolkit/skin_button.h"

namespace TYX::Tags::Test {
namespace {

using namespace TYX::Win;
using Dialog::TYX_Dialog_FileID3Edit2;
using TYX::Test::ScopedUserAgent;
using TYX::Test::SynthFormat;
using Batch = TYX_Dialog_FileID3Edit2;

class BatchEditTest : public TagsTest {
 protected:
  ScopedUserAgent agent_;
  ModalWatchdog watchdog_;
};

TEST(BatchEditFormatTest, OnlyMp3WmaAndOggCarryTagsWhateverTheCase) {
  EXPECT_TRUE(Batch::IsTagCapable("/a/b.mp3"));
  EXPECT_TRUE(Batch::IsTagCapable("/a/b.WMA"));
  EXPECT_TRUE(Batch::IsTagCapable("/a/b.Ogg"));
  EXPECT_FALSE(Batch::IsTagCapable("/a/b.wav"));
  EXPECT_FALSE(Batch::IsTagCapable("/a/b.flac"));
  EXPECT_FALSE(Batch::IsTagCapable("/a.mp3/b"));
  EXPECT_FALSE(Batch::IsTagCapable("/a/mp3"));
}

TEST_F(BatchEditTest, TickedFieldsGoToEditableSongsAndTheWaveFileIsLeftUntouched) {
  const std::string mp3 = Song("b/one.mp3");
  const std::string wav = Song("b/two.wav", SynthFormat::WAV);
  Tag(mp3, [](TYX_Media& m) {
    m.SetTitle("One");
    m.SetArtist("Old artist");
    m.SetDiscNumber(1);
    m.SetDiscCount(2);
  });
  Tag(wav, [](TYX_Media& m) { m.SetTitle("Two"); });
  const std::string wavBefore = ::TYX::Test::ReadFileBytes(wav);
  const std::vector<std::uint32_t> indexes = {Insert(mp3), Insert(wav)};
  std::string countLine, title;
  std::vector<std::string> statusBefore;
  agent_->OnNextModal([&](Window& w) {
    auto& d = static_cast<Batch&>(w);
    title = d.GetTitle();
    countLine = d.CountLine();
    for (int r = 0; r < d.GetSongList()->GetItemCount(); ++r) statusBefore.push_back(d.GetSongList()->GetCellText(r, 1));
    // The artist field is locked until its box is ticked.
    EXPECT_FALSE(d.GetFieldEdit(Batch::kArtist)->TypeText("refused"));
    EXPECT_TRUE(d.GetCheckBox(Batch::kArtist)->Click());
    EXPECT_TRUE(d.GetFieldEdit(Batch::kArtist)->TypeText("  New artist "));
    EXPECT_TRUE(d.GetCheckBox(Batch::kDisc)->Click());
    EXPECT_TRUE(d.GetFieldEdit(Batch::kDisc)->TypeText("07"));
    // Ticked and cleared again: the title is not written.
    EXPECT_TRUE(d.GetCheckBox(Batch::kTitle)->Click());
    EXPECT_TRUE(d.GetFieldEdit(Batch::kTitle)->TypeText("Everything"));
    EXPECT_TRUE(d.GetCheckBox(Batch::kTitle)->Click());
    EXPECT_FALSE(d.GetFieldEdit(Batch::kTitle)->IsWindowEnabled());
    EXPECT_TRUE(d.ClickButton(IDOK));
  });
  Batch dlg;
  dlg.SetLibrary(store_.get(), indexes);
  EXPECT_EQ(dlg.DoModal(), IDOK);
  EXPECT_FALSE(watchdog_.Fired());
  EXPECT_EQ(title, "곡정보(ID3 Tag) 일괄 편집");
  EXPECT_EQ(countLine, "Tag 편집이 가능한 파일 수 : 1 개");
  EXPECT_EQ(statusBefore, (std::vector<std::string>{"편집가능", "편집불가"}));
  ASSERT_EQ(dlg.GetRows().size(), 2u);
  EXPECT_EQ(dlg.GetRows()[0].name, "one.mp3");
  EXPECT_EQ(dlg.GetRows()[0].status, "변경완료");
  EXPECT_EQ(dlg.GetRows()[1].status, "편집불가");
  TYX_MediaPtr m = Read(mp3);
  EXPECT_EQ(m->GetArtist(), "New artist");
  EXPECT_EQ(m->GetTitle(), "One");
  EXPECT_EQ(m->GetDiscNumber(), 7u);
  EXPECT_EQ(::TYX::Test::ReadFileBytes(wav), wavBefore);
  EXPECT_EQ(Item(indexes[0])->GetArtist(), "New artist");
}

TEST_F(BatchEditTest, AFieldShowsAValueOnlyWhenEveryEditableSongSharesIt) {
  const std::string a = Song("b/a.mp3");
  const std::string b = Song("b/b.ogg", SynthFormat::OGG);
  const std::string c = Song("b/c.wav", SynthFormat::WAV);
  Tag(a, [](TYX_Media& m) {
    m.SetTitle("A");
    m.SetAlbum("Shared");
    m.SetArtist("Same");
    m.SetGenre("Pop");
  });
  Tag(b, [](TYX_Media& m) {
    m.SetTitle("B");
    m.SetAlbum("Shared");
    m.SetArtist("Same");
  });
  // The wave file differs in everything, but it is not editable and does not count.
  Tag(c, [](TYX_Media& m) { m.SetAlbum("Other"); });
  Batch dlg;
  dlg.SetLibrary(store_.get(), {Insert(a), Insert(b), Insert(c), 0xFFFFFFFFu});
  EXPECT_EQ(dlg.GetRows().size(), 3u);
  EXPECT_EQ(dlg.EditableCount(), 2);
  EXPECT_EQ(dlg.GetFields()[Batch::kAlbum], "Shared");
  EXPECT_EQ(dlg.GetFields()[Batch::kArtist], "Same");
  EXPECT_EQ(dlg.GetFields()[Batch::kTitle], "");
  EXPECT_EQ(dlg.GetFields()[Batch::kGenre], "");
  EXPECT_EQ(dlg.OnGetQueryString(), "qa=&qb=Same&qc=Shared");
}

TEST_F(BatchEditTest, ASongThatCannotBeWrittenReadsFailedAndTheOthersAreStillWritten) {
  const std::string a = Song("b/gone.mp3");
  const std::string b = Song("b/stay.mp3");
  const std::vector<std::uint32_t> indexes = {Insert(a), Insert(b)};
  Batch dlg;
  dlg.SetLibrary(store_.get(), indexes);
  ASSERT_EQ(::unlink(a.c_str()), 0);
  dlg.SetTicked(Batch::kComment, true);
  dlg.SetField(Batch::kComment, "batch");
  EXPECT_EQ(dlg.UpdateFile(), 1);
  EXPECT_EQ(dlg.GetRows()[0].status, "변경실패");
  EXPECT_EQ(dlg.GetRows()[1].status, "변경완료");
  EXPECT_EQ(Read(b)->GetComment(), "batch");
}

TEST_F(BatchEditTest, SongsThatCouldNotBeWrittenAreNamedAndOnlyAWriteCountsAsDone) {
  const std::string gone = Song("b/gone.mp3");
  const std::string stay = Song("b/stay.mp3");
  const std::vector<std::uint32_t> both = {Insert(gone), Insert(stay)};
  auto writeComment = [&](const std::string& comment, bool removeGone) {
    agent_->OnNextModal([=](Window& w) {
      auto& d = static_cast<Batch&>(w);
      EXPECT_TRUE(d.GetCheckBox(Batch::kComment)->Click());
      EXPECT_TRUE(d.GetFieldEdit(Batch::kComment)->TypeText(comment));
      if (removeGone) {
        EXPECT_EQ(::unlink(gone.c_str()), 0);
      }
      EXPECT_TRUE(d.ClickButton(IDOK));
    });
  };
  // One of two written: the failure is named, and the run still counts as a change.
  writeComment("batch", true);
  agent_->ExpectMessageBox(IDOK, false, "곡정보를 저장하지 못했습니다.\r\ngone.mp3");
  EXPECT_EQ(Dialog::RunID3EditDialog2(nullptr, store_.get(), both), 1);
  EXPECT_EQ(Read(stay)->GetComment(), "batch");
  // Nothing written: said so, and no change is reported.
  writeComment("again", false);
  agent_->ExpectMessageBox(IDOK, false, "곡정보를 저장하지 못했습니다.\r\ngone.mp3");
  EXPECT_EQ(Dialog::RunID3EditDialog2(nullptr, store_.get(), {both[0]}), 0);
  EXPECT_TRUE(agent_->AllAnswersUsed());
  EXPECT_EQ(agent_->Prompts().size(), 2u);
  EXPECT_FALSE(watchdog_.Fired());
}

TEST_F(BatchEditTest, AChosenImageIsEmbeddedAndNothingTickedWritesNothing) {
  const std::string a = Song("b/img.mp3");
  const std::string png = dir_.File("cover.png");
  ::TYX::Test::WriteFileBytes(png, ::TYX::Test::MakeImage("png", 16, 16));
  const std::vector<std::uint32_t> indexes = {Insert(a)};
  const std::string before = ::TYX::Test::ReadFileBytes(a);
  agent_->OnNextModal([&](Window& w) { EXPECT_TRUE(static_cast<Batch&>(w).ClickButton(IDOK)); });
  EXPECT_EQ(Dialog::RunID3EditDialog2(nullptr, store_.get(), indexes), 0);
  EXPECT_EQ(::TYX::Test::ReadFileBytes(a), before);

  agent_->ExpectFiles(std::vector<std::string>{png});
  agent_->OnNextModal([&](Window& w) {
    auto& d = static_cast<Batch&>(w);
    EXPECT_EQ(d.GetWindowRect().Width(), 494);
    EXPECT_EQ(d.GetWindowRect().Height(), 708);
    EXPECT_TRUE(d.GetCheckBox(Batch::kAlbumImage)->Click());
    auto* choose = static_cast<Controls::TYX_SkinButton*>(Window::FromHandle(d.GetDlgItem(Batch::kImageChooseId)));
    EXPECT_TRUE(choose->Click());
    EXPECT_EQ(d.GetFieldEdit(Batch::kAlbumImage)->GetText(), png);
    EXPECT_TRUE(d.ClickButton(IDOK));
  });
  EXPECT_EQ(Dialog::RunID3EditDialog2(nullptr, store_.get(), indexes), 1);
  EXPECT_TRUE(Read(a)->HasAlbumImage());
  EXPECT_FALSE(watchdog_.Fired());
}

}  // namespace
}  // namespace TYX::Tags::Test
