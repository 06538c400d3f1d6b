// The transfer dialog's row update (0xAC84): told to the main window first, then the row is read again
// from its file; a row past the end or a file that cannot be read keeps what it showed. And the two
// ways of stopping a running transfer: Escape (command 2) only cancels it, so the main window hears the
// job's end; the "취소" button closes the dialog, which then tells the main window nothing more.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "components/devicemgr/device_profile.h"
#include "components/devicemgr/folder_device_client.h"
#include "components/media/taglib_media_factory.h"
#include "contracts/device_mgr_client.h"
#include "contracts/media.h"
#include "helpers/cancel_releasing_client.h"
#include "helpers/media_fixtures.h"
#include "helpers/scripted_user_agent.h"
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

// ---- Stopping a running transfer ------------------------------------------------------------------

constexpr auto kWatchdog = std::chrono::seconds(60);

// Holds the phone's copy after its first chunk until released, so the transfer is running when the
// person acts. Holding wakes the window thread (`wake`), whose modal loop may be waiting for a message.
class HeldCopy {
 public:
  void OnChunk(Win::HWND wake) {
    std::unique_lock<std::mutex> lk(m_);
    if (released_) return;
    if (!held_) {
      held_ = true;
      Win::PostMessage(wake, Win::WM_NULL, 0, 0);
    }
    cv_.wait_for(lk, kWatchdog, [this] { return released_; });
  }
  bool Held() {
    std::lock_guard<std::mutex> lk(m_);
    return held_;
  }
  void Release() {
    std::lock_guard<std::mutex> lk(m_);
    released_ = true;
    cv_.notify_all();
  }

 private:
  std::mutex m_;
  std::condition_variable cv_;
  bool held_ = false;
  bool released_ = false;
};

using CancelAwareClient = TYX::Test::CancelReleasingClient;

class TransDlgStopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Media::InstallTagLibMediaFactory();
    DeviceMgr::TYX_FolderDeviceClient::Options options;
    options.chunkSize = 4096;
    client_ = std::make_shared<CancelAwareClient>(options);
    client_->SetChunkHook([this](unsigned, std::uint64_t) { copy_.OnChunk(main_.GetSafeHwnd()); });
    client_->onCancel = [this] { copy_.Release(); };
    DeviceMgr::DeviceProfile profile;
    profile.model = "SPH-M4650";
    profile.kind = 2;
    profile.type = DEVICETYPE_MUSIC;
    profile.maxFileName = 36;
    profile.folder = "\\MUSIC";
    phoneFolder_ = dir_.File("phone/MUSIC");
    fs::create_directories(phoneFolder_);
    ASSERT_EQ(DeviceMgr::WriteDeviceProfile(dir_.File("phone"), profile), "");
    ASSERT_TRUE(client_->Connect(dir_.File("phone")).ok());
    previous_ = InstallDeviceMgrClient(client_);
    for (Win::UINT msg : {TYX_DeviceTransDlg::WM_MAIN_STATE, TYX_DeviceTransDlg::WM_MAIN_TRANSFER_END}) {
      main_.OnMessage(msg, [this, msg](Win::WPARAM, Win::LPARAM l) {
        heard_.emplace_back(msg, static_cast<int>(l));
        return Win::LRESULT{0};
      });
    }
    ASSERT_TRUE(main_.Create(nullptr, Win::Rect{0, 0, 100, 100}, Win::WS_POPUP | Win::WS_VISIBLE));
  }
  void TearDown() override {
    copy_.Release();
    InstallDeviceMgrClient(previous_);
    Win::PumpMessages();
  }

  std::vector<Row> Songs() {
    std::vector<Row> rows;
    for (const char* name : {"first.mp3", "second.mp3"}) {
      const std::string path = dir_.File(std::string("songs/") + name);
      fs::create_directories(fs::path(path).parent_path());
      TYX::Test::SynthOptions options;
      options.seconds = 2.0;
      EXPECT_EQ(TYX::Test::SynthesizeAudio(path, TYX::Test::SynthFormat::MP3, options), "");
      const auto size = static_cast<std::int64_t>(fs::file_size(path));
      rows.push_back(Row{name, path, "", "", TYX_DeviceTransDlg::SizeText(size), size, ""});
    }
    return rows;
  }

  // Runs the dialog; once the first copy is held, `act` is done to it. The copy goes on when the
  // transfer asks the phone to cancel it.
  int RunAndStop(std::vector<Row> rows, const std::function<void(TYX_DeviceTransDlg&)>& act) {
    TYX::Test::ScopedUserAgent agent;
    TYX_DeviceTransDlg dialog(nullptr, main_.GetSafeHwnd(), std::move(rows));
    const auto start = std::chrono::steady_clock::now();
    bool acted = false;
    agent->SetIdleAction([&](Win::Window&) {
      if (!acted && copy_.Held()) {
        acted = true;
        act(dialog);
      } else if (std::chrono::steady_clock::now() - start > kWatchdog && !timedOut_) {
        timedOut_ = true;
        copy_.Release();
        dialog.SendMessage(Win::WM_COMMAND, TYX_DeviceTransDlg::kCmdClose, 0);
      }
    });
    const int result = dialog.DoModal();
    failed_ = dialog.GetFailedFiles();
    return result;
  }
  int Heard(Win::UINT msg, int lParam) const {
    return static_cast<int>(std::count(heard_.begin(), heard_.end(), std::make_pair(msg, lParam)));
  }

  TYX::Test::TempDir dir_;
  std::shared_ptr<CancelAwareClient> client_;
  std::shared_ptr<TYX_DeviceMgrClient> previous_;
  HeldCopy copy_;
  std::string phoneFolder_;
  Win::Window main_;
  std::vector<std::pair<Win::UINT, int>> heard_;
  std::vector<TYX_DeviceTransDlg::FailedFile> failed_;
  bool timedOut_ = false;
};

TEST_F(TransDlgStopTest, EscapeCancelsTheTransferAndTheMainWindowHearsTheEnd) {
  const int result = RunAndStop(Songs(), [](TYX_DeviceTransDlg& dialog) {
    dialog.PostMessage(Win::WM_KEYDOWN, Win::VK_ESCAPE, 0);
  });
  ASSERT_FALSE(timedOut_);
  EXPECT_EQ(result, 1) << "the job's end closes the dialog";
  EXPECT_EQ(Heard(TYX_DeviceTransDlg::WM_MAIN_STATE, 9), 1);
  EXPECT_EQ(Heard(TYX_DeviceTransDlg::WM_MAIN_STATE, 14), 1) << "the main window hears the end";
  EXPECT_EQ(Heard(TYX_DeviceTransDlg::WM_MAIN_TRANSFER_END, 0), 1);
  ASSERT_EQ(failed_.size(), 2u) << "the file being copied and the one after it were cancelled";
  EXPECT_EQ(failed_[0].fileName, "first.mp3");
  EXPECT_EQ(failed_[1].fileName, "second.mp3");
  EXPECT_FALSE(fs::exists(phoneFolder_ + "/first.mp3"));
  EXPECT_FALSE(fs::exists(phoneFolder_ + "/second.mp3"));
}

TEST_F(TransDlgStopTest, TheCancelButtonClosesWithoutTellingTheMainWindowTheEnd) {
  const int result = RunAndStop(Songs(), [](TYX_DeviceTransDlg& dialog) {
    dialog.SendMessage(Win::WM_COMMAND, TYX_DeviceTransDlg::kCmdClose, 0);
  });
  ASSERT_FALSE(timedOut_);
  EXPECT_EQ(result, 1);
  EXPECT_EQ(Heard(TYX_DeviceTransDlg::WM_MAIN_STATE, 9), 1);
  EXPECT_EQ(Heard(TYX_DeviceTransDlg::WM_MAIN_STATE, 14), 0);
  EXPECT_EQ(Heard(TYX_DeviceTransDlg::WM_MAIN_TRANSFER_END, 0), 0);
  EXPECT_EQ(failed_.size(), 2u);
  EXPECT_FALSE(fs::exists(phoneFolder_ + "/second.mp3"));
}

}  // namespace
}  // namespace TYX::Library::Test
