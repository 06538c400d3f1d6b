// The transfer dialog's row update (0xAC84): told to the main window first, then the row is read again
// from its file; a row past the end or a file that cannot be read keeps what it showed.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "components/media/taglib_media_factory.h"
#include "contracts/media.h"
#include "helpers/media_fixtures.h"
#include "helpers/temp_dir.h"
#include "library/device_trans_dlg.h"
#include "platform/messaging.h"
#include "platform/window.h"

namespace TYX::Library::Test {
namespace {

namespace fs = std::filesystem;
using Row = TYX_DeviceTransDlg::Row;

class TransDlgRowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Media::InstallTagLibMediaFactory();
    main_.OnMessage(TYX_DeviceTransDlg::WM_ROW_UPDATE, [this](Win::WPARAM w, Win::LPARAM) {
      // What the dialog's row showed when the main window heard of it.
      forwarded_.push_back(static_cast<int>(w));
      titlesSeen_.push_back(dialog_ ? dialog_->GetRows()[0].title : std::string());
      return Win::LRESULT{0};
    });
    ASSERT_TRUE(main_.Create(nullptr, Win::Rect{0, 0, 100, 100}, Win::WS_POPUP | Win::WS_VISIBLE));
  }
  void TearDown() override {
    if (dialog_) dialog_->DestroyWindow();
    dialog_.reset();
    // The dialog's own start command, posted when it opened, is dropped with its window.
    Win::PumpMessages();
  }

  // An MP3 with these tags.
  std::string TaggedMp3(const std::string& name, const std::string& title, const std::string& artist,
                        const std::string& album) {
    const std::string path = dir_.File(name);
    TYX::Test::SynthOptions options;
    options.seconds = 1.0;
    EXPECT_EQ(TYX::Test::SynthesizeAudio(path, TYX::Test::SynthFormat::MP3, options), "");
    TYX_MediaPtr media = TYX_Media::Instance(path, kMediaOpenRead);
    EXPECT_TRUE(media && media->IsValid());
    if (media) {
      media->SetText(MediaText::Title, title);
      media->SetText(MediaText::Artist, artist);
      media->SetText(MediaText::Album, album);
      EXPECT_EQ(media->Save(), 0) << media->GetLastError();
    }
    return path;
  }

  // Opens the dialog without its modal loop, so its transfer never starts.
  void Open(std::vector<Row> rows) {
    dialog_ = std::make_unique<TYX_DeviceTransDlg>(nullptr, main_.GetSafeHwnd(), std::move(rows));
    ASSERT_TRUE(dialog_->CreateDialogWindow());
  }
  Win::LRESULT RowUpdate(Win::WPARAM row) { return dialog_->SendMessage(TYX_DeviceTransDlg::WM_ROW_UPDATE, row, 0); }

  TYX::Test::TempDir dir_;
  Win::Window main_;
  std::unique_ptr<TYX_DeviceTransDlg> dialog_;
  std::vector<int> forwarded_;
  std::vector<std::string> titlesSeen_;
};

TEST_F(TransDlgRowTest, TheMainWindowHearsFirstThenTheRowIsReadFromItsFile) {
  const std::string song = TaggedMp3("song.mp3", "봄날", "하늘빛", "사계절");
  const std::string other = TaggedMp3("other.mp3", "Other", "X", "Y");
  Open({Row{"Old title", song, "", "", "0.0", 10, "S1"}, Row{"Other", other, "X", "Y", "0.0", 20, ""}});

  EXPECT_EQ(RowUpdate(0), 0);
  ASSERT_EQ(forwarded_, std::vector<int>{0});
  EXPECT_EQ(titlesSeen_[0], "Old title") << "forwarded before the row changes";
  const Row& row = dialog_->GetRows()[0];
  EXPECT_EQ(row.title, "봄날");
  EXPECT_EQ(row.artist, "하늘빛");
  EXPECT_EQ(row.album, "사계절");
  const auto size = static_cast<std::int64_t>(fs::file_size(song));
  EXPECT_EQ(row.size, size);
  EXPECT_EQ(row.sizeText, TYX_DeviceTransDlg::SizeText(size));
  EXPECT_EQ(row.path, song);
  EXPECT_EQ(row.smartId, "S1") << "what the file does not carry stays";
  EXPECT_EQ(dialog_->GetTotalBytes(), size + 20) << "the overall percent counts with the new size";
  EXPECT_EQ(dialog_->GetRows()[1].size, 20) << "only row 0 was read";
}

TEST_F(TransDlgRowTest, AnUntitledFileShowsItsFileName) {
  const std::string song = TaggedMp3("no title.mp3", "", "Someone", "");
  Open({Row{"Stale", song, "", "", "0.0", 1, ""}});
  RowUpdate(0);
  EXPECT_EQ(dialog_->GetRows()[0].title, "no title");
  EXPECT_EQ(dialog_->GetRows()[0].artist, "Someone");
}

TEST_F(TransDlgRowTest, RowsThatCannotBeReadKeepWhatTheyShowed) {
  const std::string broken = dir_.Write("broken.mp3", "not audio at all");
  const std::string gone = dir_.File("gone.mp3");
  Open({Row{"Broken", broken, "A", "B", "0.1", 100, ""}, Row{"Gone", gone, "C", "D", "0.2", 200, ""}});

  RowUpdate(0);
  RowUpdate(1);
  RowUpdate(7);  // past the end
  RowUpdate(static_cast<Win::WPARAM>(-1));
  EXPECT_EQ(forwarded_, (std::vector<int>{0, 1, 7, -1})) << "every update reaches the main window";
  const auto& rows = dialog_->GetRows();
  EXPECT_EQ(rows[0].title, "Broken");
  EXPECT_EQ(rows[0].artist, "A");
  EXPECT_EQ(rows[0].size, 100);
  EXPECT_EQ(rows[1].title, "Gone");
  EXPECT_EQ(rows[1].sizeText, "0.2");
  EXPECT_EQ(dialog_->GetTotalBytes(), 300);
}

}  // namespace
}  // namespace TYX::Library::Test
