// The tag editor of one song, driven as a person would over real files and a real store: the highlight
// rules, the number fields, writing only what changed, a failed save, and the search, which looks
// candidates up without touching the file.
#include <unistd.h>

#include <functional>

#include "helpers/manual_clock_guard.h"
#include "helpers/scripted_user_agent.h"
#include "platform/messaging.h"
#include "tags/file_id3_edit_dialog.h"
#include "tags/tag_dialogs.h"
#include "tags_test_support.h"
#include "toolkit/combo_box.h"
#include "toolkit/edit.h"
#include "toolkit/list_ctrl_ex.h"
#include "toolkit/skin_button.h"
#include "util/time_string.h"

namespace TYX::Tags::Test {
namespace {

using namespace TYX::Win;
using Dialog::TYX_Dialog_FileID3Edit;
using TYX::Test::ScopedUserAgent;
using TYX::Test::SynthFormat;
using Dlg = TYX_Dialog_FileID3Edit;

class ID3EditTest : public TagsTest {
 protected:
  // A 40-second MP3 in the library, with the tags given.
  std::uint32_t SongInLibrary(const std::string& name, const std::function<void(TYX_Media&)>& fill = {}) {
    path_ = Song(name, SynthFormat::MP3, 40.0);
    if (fill) Tag(path_, fill);
    return Insert(path_);
  }
  // Opens the editor on the index; the person acts when it opens and whenever its loop goes idle.
  int Edit(std::uint32_t index, std::function<void(Dlg&)> onOpen, std::function<void(Dlg&)> onIdle = {}) {
    agent_->OnNextModal([onOpen](Window& w) {
      if (onOpen) onOpen(static_cast<Dlg&>(w));
    });
    if (onIdle) {
      agent_->SetIdleAction([onIdle](Window& w) {
        if (auto* d = dynamic_cast<Dlg*>(&w)) onIdle(*d);
      });
    }
    const int result = Dialog::RunID3EditDialog(nullptr, store_.get(), index);
    agent_->SetIdleAction({});
    EXPECT_FALSE(watchdog_.Fired());
    return result;
  }
  static void Type(Dlg& d, Dlg::Field f, const std::string& text) { ASSERT_TRUE(d.GetFieldEdit(f)->TypeText(text)); }
  static void Times(Dlg& d, const std::string& start, const std::string& end) {
    ASSERT_TRUE(d.GetStartTimeEdit()->TypeText(start));
    ASSERT_TRUE(d.GetEndTimeEdit()->TypeText(end));
  }

  ScopedUserAgent agent_;
  ModalWatchdog watchdog_;
  std::string path_;
};

TEST(ID3EditTimeTextTest, TimesReadAsWholeSecondsRounded) {
  std::uint32_t s = 99;
  EXPECT_TRUE(Dlg::ParseTimeText("00:10", s));
  EXPECT_EQ(s, 10u);
  EXPECT_TRUE(Dlg::ParseTimeText(" 1:05 ", s));
  EXPECT_EQ(s, 65u);
  EXPECT_TRUE(Dlg::ParseTimeText("1:00:01", s));
  EXPECT_EQ(s, 3601u);
  EXPECT_TRUE(Dlg::ParseTimeText("00:10.6", s));
  EXPECT_EQ(s, 11u);
  EXPECT_TRUE(Dlg::ParseTimeText("42", s));
  EXPECT_EQ(s, 42u);
  for (const char* bad : {"", "ab", "1:60", "1:2:3:4", "-5", "1.5:00", ":", "10:"}) {
    EXPECT_FALSE(Dlg::ParseTimeText(bad, s)) << bad;
  }
}

TEST_F(ID3EditTest, AShortHighlightIsStretchedToTwentySecondsAndStoredAsStartAndLength) {
  const std::uint32_t index = SongInLibrary("h/a.mp3");
  EXPECT_EQ(Edit(index, [](Dlg& d) {
              Times(d, "00:10", "00:15");
              EXPECT_EQ(d.GetHighlightBar(), std::make_pair(10000u, 15000u));
              // An end before the start shows an empty bar at the start; an unreadable time leaves it.
              ASSERT_TRUE(d.GetEndTimeEdit()->TypeText("00:05"));
              EXPECT_EQ(d.GetHighlightBar(), std::make_pair(10000u, 10000u));
              ASSERT_TRUE(d.GetEndTimeEdit()->TypeText("x"));
              EXPECT_EQ(d.GetHighlightBar(), std::make_pair(10000u, 10000u));
              ASSERT_TRUE(d.GetEndTimeEdit()->TypeText("00:15"));
              EXPECT_TRUE(d.ClickButton(IDOK));
            }),
            1);
  TYX_MediaPtr m = Read(path_);
  EXPECT_EQ(m->GetHighlightStart(), 10000u);
  EXPECT_EQ(m->GetHighlightLength(), 20000u);
  EXPECT_EQ(Item(index)->GetHighlightStart(), 10000u);
  EXPECT_EQ(Item(index)->GetHighlightLength(), 20000u);
}

TEST_F(ID3EditTest, AStretchedSectionNeverPassesTheSongsEnd) {
  const std::uint32_t index = SongInLibrary("h/end.mp3");
  std::uint32_t duration = 0;
  EXPECT_EQ(Edit(index, [&](Dlg& d) {
              duration = d.GetDuration();
              Times(d, Util::ToTimeString(duration - 5), Util::ToTimeString(duration - 3));
              EXPECT_TRUE(d.ClickButton(IDOK));
            }),
            1);
  ASSERT_GE(duration, 39u);
  TYX_MediaPtr m = Read(path_);
  EXPECT_EQ(m->GetHighlightStart(), (duration - 5) * 1000u);
  EXPECT_EQ(m->GetHighlightLength(), 5000u);
}

TEST_F(ID3EditTest, ASongWithoutHighlightKeepsNoneWhenAnotherFieldChanges) {
  const std::uint32_t index = SongInLibrary("h/none.mp3");
  EXPECT_EQ(Edit(index, [](Dlg& d) {
              EXPECT_EQ(d.GetStartTimeEdit()->GetText(), "00:00");
              Type(d, Dlg::kTitle, "Only the title");
              EXPECT_TRUE(d.ClickButton(IDOK));
            }),
            1);
  TYX_MediaPtr m = Read(path_);
  EXPECT_EQ(m->GetTitle(), "Only the title");
  EXPECT_EQ(m->GetHighlightStart(), 0u);
  EXPECT_EQ(m->GetHighlightLength(), 0u);
  // Typing 0 to 0 is none as well, also over an existing section.
  Tag(path_, [](TYX_Media& t) { t.SetHighlight(5000, 25000); });
  EXPECT_EQ(Edit(index, [](Dlg& d) {
              Times(d, "00:00", "00:00");
              EXPECT_TRUE(d.ClickButton(IDOK));
            }),
            1);
  EXPECT_EQ(Read(path_)->GetHighlightLength(), 0u);
  EXPECT_EQ(Read(path_)->GetHighlightStart(), 0u);
}

TEST_F(ID3EditTest, AWrongSectionIsRefusedAndTheDialogStaysOpenForACorrection) {
  const std::uint32_t index = SongInLibrary("h/wrong.mp3");
  for (int i = 0; i < 4; ++i) agent_->ExpectMessageBox(IDOK, false, Dlg::kHighlightErrorText);
  int step = 0;
  EXPECT_EQ(Edit(index, {}, [&](Dlg& d) {
              switch (step++) {
                case 0: Times(d, "00:20", "00:10"); break;   // end before start
                case 1: Times(d, "00:10", "05:00"); break;   // past the end
                case 2: Times(d, "09:00", "09:10"); break;   // start past the end
                case 3: Times(d, "soon", "00:30"); break;    // not a time
                case 4: Times(d, "00:05", "00:30"); break;
                default: return;
              }
              EXPECT_TRUE(d.ClickButton(IDOK));
            }),
            1);
  EXPECT_EQ(agent_->Prompts().size(), 4u);
  EXPECT_EQ(Read(path_)->GetHighlightStart(), 5000u);
  EXPECT_EQ(Read(path_)->GetHighlightLength(), 25000u);
}

TEST_F(ID3EditTest, OkWithoutAChangeWritesNothingEvenForAnOddStoredHighlight) {
  const std::uint32_t index = SongInLibrary("h/same.mp3", [](TYX_Media& m) {
    m.SetTitle("  Spaced  ");
    m.SetHighlight(10500, 4000);  // shorter than the minimum, and not on whole seconds
    m.SetDiscNumber(1);
    m.SetDiscCount(2);
  });
  const std::string before = ::TYX::Test::ReadFileBytes(path_);
  EXPECT_EQ(Edit(index, [](Dlg& d) { EXPECT_TRUE(d.ClickButton(IDOK)); }), 0);
  EXPECT_EQ(::TYX::Test::ReadFileBytes(path_), before);
  EXPECT_EQ(Edit(index, [](Dlg& d) { EXPECT_TRUE(d.ClickButton(IDCANCEL)); }), 0);
  EXPECT_EQ(::TYX::Test::ReadFileBytes(path_), before);
}

TEST_F(ID3EditTest, OnlyTheFieldsThePersonChangedAreWritten) {
  const std::uint32_t index = SongInLibrary("h/disc.mp3", [](TYX_Media& m) {
    m.SetTitle("Old");
    m.SetArtist("Artist");
    m.SetDiscNumber(1);
    m.SetDiscCount(2);
    m.SetTrack(3);
    m.SetTrackCount(12);
    m.SetComment("  kept as stored  ");
  });
  EXPECT_EQ(Edit(index, [](Dlg& d) {
              EXPECT_EQ(d.GetFieldEdit(Dlg::kDisc)->GetText(), "1");
              EXPECT_EQ(d.GetFieldEdit(Dlg::kDiscCount)->GetText(), "2");
              Type(d, Dlg::kTitle, "New");
              ASSERT_TRUE(d.GetGenreCombo()->SelectItemByText("Jazz"));
              EXPECT_TRUE(d.ClickButton(IDOK));
            }),
            1);
  TYX_MediaPtr m = Read(path_);
  EXPECT_EQ(m->GetTitle(), "New");
  EXPECT_EQ(m->GetGenre(), "Jazz");
  EXPECT_EQ(m->GetArtist(), "Artist");
  EXPECT_EQ(m->GetDiscNumber(), 1u);
  EXPECT_EQ(m->GetDiscCount(), 2u);
  EXPECT_EQ(m->GetTrack(), 3u);
  EXPECT_EQ(m->GetTrackCount(), 12u);
  // An untouched field keeps its stored form, blanks included.
  EXPECT_EQ(m->GetComment(), "  kept as stored  ");
  EXPECT_EQ(Item(index)->GetTitle(), "New");
}

TEST_F(ID3EditTest, DiscNumbersAreWrittenAsTheirDecimalValue) {
  const std::uint32_t index = SongInLibrary("h/num.mp3", [](TYX_Media& m) { m.SetTrack(4); });
  EXPECT_EQ(Edit(index, [](Dlg& d) {
              Type(d, Dlg::kDisc, " 07 ");
              EXPECT_TRUE(d.ClickButton(IDOK));
            }),
            1);
  EXPECT_EQ(Read(path_)->GetDiscNumber(), 7u);
  std::string shown;
  EXPECT_EQ(Edit(index, [&](Dlg& d) {
              shown = d.GetFieldEdit(Dlg::kDisc)->GetText();
              Type(d, Dlg::kDisc, "abc");
              EXPECT_TRUE(d.ClickButton(IDOK));
            }),
            1);
  EXPECT_EQ(shown, "7");
  EXPECT_EQ(Read(path_)->GetDiscNumber(), 0u);
  EXPECT_EQ(Read(path_)->GetTrack(), 4u);
  // "0" is no disc number: typed over an empty field it changes nothing.
  const std::string before = ::TYX::Test::ReadFileBytes(path_);
  EXPECT_EQ(Edit(index, [&](Dlg& d) {
              EXPECT_EQ(d.GetFieldEdit(Dlg::kDisc)->GetText(), "");
              Type(d, Dlg::kDisc, "0");
              EXPECT_TRUE(d.ClickButton(IDOK));
            }),
            0);
  EXPECT_EQ(::TYX::Test::ReadFileBytes(path_), before);
}

TEST_F(ID3EditTest, AFailedSaveIsShownAndReportedAsNoChange) {
  const std::uint32_t index = SongInLibrary("h/fail.mp3", [](TYX_Media& m) { m.SetTitle("Before"); });
  agent_->ExpectMessageBox(IDOK, false, Dlg::kSaveFailedText);
  std::string titleAfterFailure;
  EXPECT_EQ(Edit(index, [&](Dlg& d) {
              Type(d, Dlg::kTitle, "After");
              // The file goes away while the dialog is open.
              ASSERT_EQ(::unlink(path_.c_str()), 0);
              EXPECT_TRUE(d.ClickButton(IDOK));
              EXPECT_TRUE(d.IsInModalLoop());
              titleAfterFailure = d.GetFieldEdit(Dlg::kTitle)->GetText();
              EXPECT_TRUE(d.ClickButton(IDCANCEL));
            }),
            0);
  ASSERT_EQ(agent_->Prompts().size(), 1u);
  EXPECT_EQ(titleAfterFailure, "After");
  EXPECT_EQ(Item(index)->GetTitle(), "Before");
}

TEST_F(ID3EditTest, ItemsWithoutALiveSongAndUnreadableFilesAreRefusedWithoutADialog) {
  const std::uint32_t index = SongInLibrary("h/gone.mp3");
  const std::uint32_t other = Insert(Song("h/other.mp3"));
  EXPECT_EQ(Dialog::RunID3EditDialog(nullptr, store_.get(), 0xFFFFFFFFu), 0);
  EXPECT_EQ(Dialog::RunID3EditDialog(nullptr, store_.get(), other + 50), 0);
  ASSERT_EQ(store_->GetLibrary()->RemoveItem(index), 0);
  EXPECT_EQ(Dialog::RunID3EditDialog(nullptr, store_.get(), index), 0);
  ASSERT_EQ(::unlink(Item(other)->GetPath().c_str()), 0);
  EXPECT_EQ(Dialog::RunID3EditDialog(nullptr, store_.get(), other), 0);
  EXPECT_EQ(agent_->ModalCount(), 0);
  Dlg dlg;
  EXPECT_FALSE(dlg.SetFile(dir_.Path()));
  EXPECT_FALSE(dlg.SetFile("/dev/null"));
  EXPECT_FALSE(dlg.SetFile(dir_.Write("h/text.mp3", "no audio here")));
}

TEST_F(ID3EditTest, SetFilePreparesTheQueryAndDropsASectionPastTheSongsEnd) {
  path_ = Song("h/q.mp3", SynthFormat::MP3, 40.0);
  Tag(path_, [](TYX_Media& m) {
    m.SetTitle("봄 날");
    m.SetArtist("A&B");
    m.SetHighlight(30000, 60000);
  });
  Dlg dlg;
  ASSERT_TRUE(dlg.SetFile(path_));
  EXPECT_EQ(dlg.GetQueryString(), "qa=%EB%B4%84%20%EB%82%A0&qb=A%26B&qc=");
  EXPECT_EQ(dlg.GetHighlightStart(), 0u);
  EXPECT_EQ(dlg.GetHighlightEnd(), 0u);
  EXPECT_FALSE(dlg.CannotWriteTags());
  EXPECT_NE(dlg.GetPlayer().GetState(), Player::PlayerState::Closed);
}

TEST_F(ID3EditTest, PreListeningPlaysTheSectionAndStopsAtItsEnd) {
  TYX::Test::ManualClockGuard clock;
  const std::uint32_t index = SongInLibrary("h/play.mp3");
  using Player::PlayerState;
  auto click = [](Dlg& d, int id) { static_cast<Controls::TYX_SkinButton*>(Window::FromHandle(d.GetDlgItem(id)))->Click(); };
  EXPECT_EQ(Edit(index, [&](Dlg& d) {
              EXPECT_GE(d.GetPlayer().GetDurationMs(), 39000u);
              Times(d, "00:10", "00:35");
              // Play starts at the section; stop holds the position.
              click(d, Dlg::kPlayId);
              EXPECT_EQ(d.GetPlayer().GetState(), PlayerState::Playing);
              EXPECT_EQ(d.GetPlayer().GetPositionMs(), 10000u);
              clock.Advance(3000);
              click(d, Dlg::kStopId);
              EXPECT_EQ(d.GetPlayer().GetState(), PlayerState::Paused);
              EXPECT_EQ(d.GetPlayer().GetPositionMs(), 13000u);
              clock.Advance(60000);
              EXPECT_EQ(d.GetPlayer().GetPositionMs(), 13000u);
              // Play again starts over at the section and runs to its end, where the player rests at the
              // section's start.
              click(d, Dlg::kPlayId);
              EXPECT_EQ(d.GetPlayer().GetPositionMs(), 10000u);
              for (int tick = 0; tick < 2000 && d.GetPlayer().GetState() == PlayerState::Playing; ++tick) {
                clock.Advance(Player::kPlayerTickMs);
                Win::PumpMessages();
              }
              EXPECT_EQ(d.GetPlayer().GetState(), PlayerState::Stopped);
              EXPECT_EQ(d.GetPlayer().GetPositionMs(), 10000u);
              Win::PumpMessages();  // the ended notice reaches the dialog, which leaves the player at rest
              EXPECT_EQ(d.GetPlayer().GetState(), PlayerState::Stopped);
              click(d, Dlg::kPlayId);
              EXPECT_EQ(d.GetPlayer().GetState(), PlayerState::Playing);
              EXPECT_TRUE(d.ClickButton(IDCANCEL));
              EXPECT_EQ(d.GetPlayer().GetState(), PlayerState::Closed);
            }),
            0);
}

}  // namespace
}  // namespace TYX::Tags::Test
