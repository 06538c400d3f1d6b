#include "library/panel_transfer.h"

#include <cstdio>
#include <filesystem>

#include "contracts/device_mgr_client.h"
#include "contracts/file_info.h"
#include "contracts/library_item.h"
#include "device/phone_lyric_copy.h"
#include "device/put_copy_relay.h"
#include "library/device_trans_dlg_melody.h"
#include "library/library_panel.h"
#include "library/panel_layout.h"
#include "tags/tagging_thread.h"
#include "toolkit/check_box.h"
#include "toolkit/message_box.h"
#include "util/file_name.h"
#include "util/file_type.h"
#include "util/init.h"
#include "util/log.h"
#include "util/melody.h"

namespace TYX::Library {

namespace {

constexpr char kNoSelection[] = "선택한 곡이 없습니다.";
constexpr char kChooseAgain[] = "곡 선택을 다시 해주시기 바랍니다.";
constexpr char kAllDimmed[] = "전송할 수 없습니다. 파일이 손상되었거나 전송할 수 없는 파일입니다.";
constexpr char kNoDevice[] = "연결된 기기가 없습니다. 기기 연결후 다시 시도해 주세요.";
constexpr char kDownloadError[] = "다운로드 오류";
constexpr char kRefusedModel[] = "이 기종의 휴대폰으로는 음악 파일을 전송할 수 없습니다.";
constexpr char kRingtoneMode[] =
    "벨소리 연결모드에서는 전송할 수 없습니다.\r\n휴대폰의 연결모드를 MP3로 바꾸신 후 다시 전송하시기 바랍니다.";
constexpr char kAutoRunning[] = "자동 전송이 진행중입니다. 잠시후 다시 시도해 주세요.";
constexpr char kBluetoothAsleep[] = "블루투스 장치가 대기상태 중입니다.";
constexpr char kMelodyOneFile[] = "나만의 벨소리는 파일 하나만 선택하셔야 합니다.";
constexpr char kMelodyTitle[] = "파일 전송 오류";
constexpr char kNoPhone[] = "휴대폰을 연결하고 다시 시도해 주세요.";
constexpr char kMelodyMode[] = "벨소리 모드로 전환 후 전송하여 주십시요.";
constexpr char kSyncChooseSongs[] = "담을 곡을 한곡이상 선택해 주십시오.";
constexpr char kSyncAdded[] = "\"내 기기에 담을 곡 목록\"에 추가되었습니다.";
constexpr char kTaggingTitle[] = "Auto Tagging";
constexpr char kTaggingCheck[] = "다음부터 이 창 띄우지 않음";
constexpr char kTaggingQuestion[] =
    "현재 휴대폰으로 파일 전송 시 Tag 정보 자동 업데이트 기능이\r\n해제되어 있습니다.\r\n\r\n곡정보 자동 업데이트를 "
    "설정 하시면 폰에서 음악 재생 시 다양한 음악\r\n정보 및 앨범 이미지 서비스를 받으실 수 있습니다.\r\n\r\n휴대폰 전송 "
    "시 Tag 정보 자동 업데이트를 설정하시겠습니까?";

// Configuration attributes.
constexpr char kAutoTaggingTrans[] = "AUTOTAGGING-TRANS";
constexpr char kAutoTaggingConfirmOff[] = "AUTOTAGGING_TRANS_CONFIRMMSGOFF";
constexpr char kSyncAutoStart[] = "SyncAutoStart";
// The maker's product data: the model-name prefix of phones that cannot take music, and the page the
// transfer report links to.
constexpr char kRefusedModelPrefix[] = "TRANSFER_REFUSED_MODEL_PREFIX";
constexpr char kReportUrl[] = "TRANSFER_REPORT_URL";
// The ring-tone path's product data: a model that takes no own ring-tones, the models whose 128-voice
// support the model record does not tell (names separated by ","), and the connection code.
constexpr char kMelodyRefusedModel[] = "MELODY_UNSUPPORTED_MODEL";
constexpr char kMelodyPoly128Models[] = "MELODY_POLY128_MODELS";
constexpr char kMelodyConnectCode[] = "MELODY_CONNECT_CODE";
constexpr char kMelodyNotSupportedModel[] = "나만의 벨을 지원하지 않는 폰입니다.";
constexpr char kMelodyCheckTitle[] = "연결확인";

// Clears the busy flag on every way out.
class BusyScope {
 public:
  explicit BusyScope(bool& flag) : flag_(flag) { flag_ = true; }
  ~BusyScope() { flag_ = false; }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;

 private:
  bool& flag_;
};

std::string SizeText(std::int64_t bytes) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.1f", static_cast<double>(bytes) / 1024.0 / 1024.0);
  return buf;
}

// The phone name limit of a model that gives none.
constexpr int kDefaultPhoneNameLimit = 36;

// How many numbered variants of a store download's name are tried before giving up.
constexpr int kMaxNameVariants = 1000;

std::string LowerExtension(const std::string& path) {
  std::string ext = std::filesystem::path(path).extension().string();
  if (!ext.empty() && ext[0] == '.') ext.erase(0, 1);
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ext;
}

}  // namespace

void TYX_PanelTransfer::RegisterMessages() {
  TYX_LibraryPanel& panel = Panel();
  panel.OnCommand(kSyncAutoCheckId, [this] { OnAutoSyncClicked(); });
  RegisterSyncMessages();
  // The toolbar's "copy to the sync list" button (1035) posts this command to the panel.
  panel.OnCommand(kCmdFileCopy, [this] { DoSyncListCopy(0); });
}

long TYX_PanelTransfer::OnTransferDevice() {
  if (Panel().GetCurrentListType() == kNowPlaying) return FileTransferToDeivceWithNowplayingList();
  return FileTransferToDevice();
}

long TYX_PanelTransfer::FileTransferToDeivceWithNowplayingList() {
  if (Panel().GetCurrentListType() != kNowPlaying) return 0;
  const unsigned phone = dmGetCurrentDevice(1);
  if (phone != DM_NO_DEVICE) dmBluetoothCheckSuspendStatus(phone, Panel().GetSafeHwnd());
  return 0;
}

long TYX_PanelTransfer::FileTransferToDevice() {
  BusyScope busy(busy_);
  TYX_LibraryPanel& panel = Panel();
  const LibraryType type = panel.GetCurrentListType();
  if (type == kRingtone) return FileTransferToDevice_Melody(0);
  if (type != kLibrary && type != kSyncList && type != kTransferred) return 0;
  const Win::HWND owner = panel.GetTopLevelParent();
  const auto refuse = [owner](const char* text, const char* caption = "") {
    Controls::TYX_MessageBox::Show(owner, text, caption);
    return 0L;
  };
  if (panel.GetCurrentListCtrl() == nullptr) return refuse(kChooseAgain);
  if (panel.GetSelectedMediaCount() == 0) return refuse(kNoSelection);
  if (panel.IsAllDimmedSelectedItems()) return refuse(kAllDimmed);

  const unsigned phone = dmGetCurrentDevice(1);
  const unsigned player = dmGetCurrentDevice(2);
  if (phone == DM_NO_DEVICE && player == DM_NO_DEVICE) return refuse(kNoDevice);
  const std::string refusedPrefix = TYX_INIT::Instance()->GetAttributeStr(kRefusedModelPrefix);
  const unsigned current = dmGetCurrentDevice(0);
  if (!refusedPrefix.empty() && current != DM_NO_DEVICE && dmGetDeviceName(current).rfind(refusedPrefix, 0) == 0) {
    return refuse(kRefusedModel, kDownloadError);
  }
  if (phone != DM_NO_DEVICE && dmGetDeviceType(phone) == DEVICETYPE_RINGTONE) return refuse(kRingtoneMode, kDownloadError);
  const long autoState = panel.SendMessageToParent(WM_LIBRARY_ASK_AUTO_TRANSFER, 0, 0);
  if (autoState != 0 && autoState != -1) return refuse(kAutoRunning);
  if (autoState == -1 && player == DM_NO_DEVICE) return refuse(kNoDevice);
  if (phone != DM_NO_DEVICE && dmBluetoothCheckSuspendStatus(phone, panel.GetSafeHwnd()) != 0) {
    return refuse(kBluetoothAsleep);
  }

  std::vector<std::uint32_t> indexes;
  panel.GetSelectedMediaLibIndex(indexes, nullptr, 0);
  const int tag = CheckAutoTaggingTrans();
  std::vector<TYX_DeviceTransDlg::Row> rows = BuildTransferRows(indexes, tag);
  if (rows.empty()) return refuse(kNoSelection);

  const int total = static_cast<int>(rows.size());
  TYX_DeviceTransDlg dialog(panel.GetSafeHwnd(), panel.GetMainWnd(), std::move(rows));
  const int result = dialog.DoModal();
  // A transfer that never started (another one runs, or the dialog was closed first) has nothing to
  // report: the report would tell the person every file was sent.
  if (result == 1 && dialog.WasStarted()) ShowTransferReport(dialog.GetFailedFiles(), total);
  panel.PostMessageToParent(WM_LIBRARY_TRANSFER_DONE, 0, 0);
  return 0;
}

bool TYX_PanelTransfer::IsNeverTagged(int type) {
  return (type >= 10 && type <= 14) || (type >= 24 && type <= 26);
}

TYX_PanelTransfer::TaggingOutcome TYX_PanelTransfer::TagBeforeTransfer(TYX_LibraryItem& item) {
  const std::string path = item.GetPath();
  Tags::TYX_MTaggingThread* worker = Tags::TYX_MTaggingThread::Instance(0);
  if (worker == nullptr || worker->SetTaggingList({path}, 0, 0) != 0) return TaggingOutcome::NotRun;
  // The pass runs here, on this one song, without notices; the component's own time-outs bound it.
  if (!worker->OnTaggingStart(nullptr, Tags::TAGGING_MODE_SILENT)) return TaggingOutcome::NotRun;
  std::vector<Tags::_Tag_Item> list;
  if (worker->GetTaggingList(list) != 0 || list.size() != 1 || list[0].count <= 0 || list[0].candidates.empty()) {
    return TaggingOutcome::NothingFound;
  }
  const Tags::TaggingCandidate& found = list[0].candidates.front();
  // The file now holds the new tags (and a new size): the item reads them back, then takes the
  // identification texts, which only the worker's record has.
  item.Update();
  item.SetTitle(found.title);
  item.SetArtist(found.artist);
  item.SetAlbum(found.album);
  item.SetExtraText(found.extra);
  const char* const ids[kIdTextCount] = {found.songId, found.webId, found.albumId, found.artistId, found.trackId};
  for (std::size_t i = 0; i < kIdTextCount; ++i) item.SetIdText(i, ids[i]);
  return TaggingOutcome::Tagged;
}

std::vector<TYX_DeviceTransDlg::Row> TYX_PanelTransfer::BuildTransferRows(const std::vector<std::uint32_t>& indexes,
                                                                          int tag) {
  TYX_LibraryPanel& panel = Panel();
  std::vector<TYX_DeviceTransDlg::Row> rows;
  TYX_LibraryManager* manager = panel.GetLibraryManager();
  if (manager == nullptr) return rows;
  rows.reserve(indexes.size());
  bool tagging = tag != 0;
  for (std::uint32_t index : indexes) {
    TYX_LibraryItem* item = manager->GetLibraryItem(index);
    if (item == nullptr) continue;
    // The lyric copy for a phone that shows lyrics is made by the transfer's per-file step at the put
    // (device/phone_lyric_copy.h), after this pass has tagged the song: the phone then gets the tags
    // and the lyrics together, and the row keeps the song's own path for the progress and the report.
    const TYX_FILETYPE type = Util::GetFileType(item->GetPath());
    if (tagging && !IsNeverTagged(type) && item->GetIdText(0).empty() && item->GetExtraText().empty()) {
      // A pass that cannot run has told the person why; the other songs go untagged.
      if (TagBeforeTransfer(*item) == TaggingOutcome::NotRun) tagging = false;
    }
    TYX_DeviceTransDlg::Row row;
    row.path = item->GetPath();
    row.title = item->GetSmartTitle();
    row.artist = item->GetArtist();
    row.album = item->GetAlbum();
    row.smartId = item->GetSmartSongID();
    row.size = static_cast<std::int64_t>(item->GetFileSize());
    if (row.size <= 0) {
      // A song whose size the store never learnt counts with its size on disk.
      std::error_code ec;
      const auto onDisk = std::filesystem::file_size(row.path, ec);
      row.size = ec ? 0 : static_cast<std::int64_t>(onDisk);
    }
    row.sizeText = SizeText(row.size);
    if (!row.smartId.empty() && (item->GetTitle().empty() || item->GetArtist().empty() || item->GetAlbum().empty())) {
      panel.SendMessageToParent(WM_LIBRARY_SONG_INFO_MISSING, index, 0);
    }
    rows.push_back(std::move(row));
  }
  return rows;
}

void TYX_PanelTransfer::ShowTransferReport(const std::vector<TYX_DeviceTransDlg::FailedFile>& failed, int total) {
  TYX_LibraryPanel& panel = Panel();
  ::TYX::Dialog::TYX_Dialog_Error_Report report(panel.GetSafeHwnd(),
                                               ::TYX::Dialog::TYX_Dialog_Error_Report::PageKind_DeviceTransfer);
  report.SetFileList(failed);
  report.SetTotal(total);
  report.SetStep(::TYX::Dialog::TYX_Dialog_Error_Report::kStepResult);
  report.SetUrl(TYX_INIT::Instance()->GetAttributeStr(kReportUrl));
  // The report's store link goes to the host's contents window (the main window when it gave none).
  report.SetContentsWindow(panel.GetContentsWindow() != nullptr ? panel.GetContentsWindow() : panel.GetMainWnd());
  report.DoModal();
}

int TYX_PanelTransfer::CheckAutoTaggingTrans() {
  TYX_INIT* init = TYX_INIT::Instance();
  if (init->GetAttributeStr(kAutoTaggingTrans) == "TRUE") return 1;
  if (ToBOOL(init->GetAttributeStr(kAutoTaggingConfirmOff))) return 0;
  bool noMore = false;
  const int answer = Controls::TYX_MessageBox::Show(Panel().GetTopLevelParent(), kTaggingQuestion, kTaggingTitle,
                                                    Win::MB_YESNO, kTaggingCheck, noMore);
  init->SetAttribute(kAutoTaggingConfirmOff, noMore ? "TRUE" : "FALSE");
  if (answer != Win::IDYES) return 0;
  init->SetAttribute(kAutoTaggingTrans, "TRUE");
  return 1;
}

long TYX_PanelTransfer::FileTransferToDeviceMS(const std::string& path, Win::HWND window) {
  Util::TYX_Log::Instance()->Add("TYX::Library::TYX_LibraryPanel::FileTransferToDeviceMS path : %s", path.c_str());
  const auto refuse = [window](Win::WPARAM why, long result) {
    if (window != nullptr) Win::PostMessage(window, WM_STORE_TRANSFER_REFUSED, why, 0);
    return result;
  };
  // Without a live page window the put's notices would go to whichever window the client has registered.
  if (window == nullptr || !Win::IsWindow(window)) return Win::E_INVALIDARG;
  const std::string ext = LowerExtension(path);
  // The device's connection mode is looked at first (a phone in the wrong mode refuses any file, a
  // "cdc" one too), then the "cdc" refusal, then whether there is a device at all.
  const unsigned device = ext == "wma" ? dmGetCurrentDevice(2) : dmGetCurrentDevice(1);
  if (ext != "wma" && device != DM_NO_DEVICE &&
      (ext == "mmf") != (dmGetDeviceType(device) == DEVICETYPE_RINGTONE)) {
    return refuse(0, 0);
  }
  if (ext == "cdc") return refuse(1, 0);
  if (device == DM_NO_DEVICE) return refuse(0, 0);
  int limit = 255;
  if (ext == "wma") {
    limit = 260;
  } else {
    stDeviceInfo info;
    const bool known = dmGetDeviceInfo(device, info, 1) && info.pModelInfo != nullptr;
    if (ext == "mmf") {
      // A melody's limit is the model's second name length; without one the general limit stays.
      if (known && info.pModelInfo->nMaxFileName2 > 0) limit = info.pModelInfo->nMaxFileName2;
    } else {
      // Music takes the model's name limit, 36 when the model gives none (as every music put does).
      limit = known && info.pModelInfo->nMaxFileName > 0 ? info.pModelInfo->nMaxFileName : kDefaultPhoneNameLimit;
    }
  }
  // A phone that shows lyrics gets the song's lyric copy, under the song's own name; the copy is
  // removed once the put has ended (or at once when it does not start).
  Device::TYX_PhoneLyricCopy lyricCopy;
  const std::string source = lyricCopy.Make(path) ? lyricCopy.Path() : path;
  std::error_code ec;
  const auto size = std::filesystem::file_size(source, ec);
  if (ec) return refuse(0, Win::E_FAIL);
  if (dmGetDeviceFreeSpace(device, 0) < size) return refuse(0, Win::E_FAIL);

  FileInfo onPhone;
  if (!dmGetFileList(device, onPhone, 1)) return refuse(0, Win::E_FAIL);
  const std::string fileName = std::filesystem::path(path).filename().string();
  std::string name;
  bool found = false;
  // A bounded search: a phone folder full of numbered copies ends it with a refusal.
  for (int n = 0; n <= kMaxNameVariants; ++n) {
    name = fileName;
    if (!Util::CheckFileName(name, 1, limit, n)) break;
    if (onPhone.Find(name) < 0) {
      found = true;
      break;
    }
  }
  if (!found) return refuse(0, Win::E_FAIL);
  std::string folder = dmGetCurrentDirectory(device);
  if (folder.empty() || folder.back() != '\\') folder += '\\';
  // The notices go to the download page through the put itself: registering the page as the client's
  // notify window would take the notices away from a transfer that runs meanwhile. A lyric copy's put
  // reports to a relay that passes the notices on and removes the copy after the end.
  Win::HWND notices = window;
  Win::UINT noticeMessage = WM_STORE_TRANSFER_NOTICE;
  Device::TYX_PutCopyRelay* relay = nullptr;
  if (!lyricCopy.Path().empty()) {
    relay = Device::TYX_PutCopyRelay::Create(window, WM_STORE_TRANSFER_NOTICE, [copy = lyricCopy.Path()] {
      Device::TYX_PhoneLyricCopy::Remove(copy);
    });
    if (relay == nullptr) return refuse(0, Win::E_FAIL);
    lyricCopy.Release();
    notices = relay->GetSafeHwnd();
    noticeMessage = Device::TYX_PutCopyRelay::kNoticeMessage;
  }
  dmPutFileMode(0);
  if (dmPutFile(device, source, folder + name, notices, noticeMessage) != 1) {
    if (relay != nullptr) relay->Abandon();
    return refuse(0, Win::E_FAIL);
  }
  return 0;
}

long TYX_PanelTransfer::FileTransferToDevice_Melody(int flag) {
  (void)flag;
  TYX_LibraryPanel& panel = Panel();
  const Win::HWND owner = panel.GetTopLevelParent();
  if (panel.GetSelectedMediaCount() != 1) {
    Controls::TYX_MessageBox::Show(owner, kMelodyOneFile, kMelodyTitle);
    return 0;
  }
  const unsigned phone = dmGetCurrentDevice(1);
  if (phone == DM_NO_DEVICE) {
    Controls::TYX_MessageBox::Show(owner, kNoPhone);
    return 0;
  }
  if (dmGetDeviceType(phone) != DEVICETYPE_RINGTONE) {
    Controls::TYX_MessageBox::Show(owner, kMelodyMode);
    return 0;
  }
  stDeviceInfo info;
  const std::string model = dmGetDeviceName(phone);
  std::uint32_t mask = 0;
  if (dmGetDeviceInfo(phone, info, 1) && info.pModelInfo != nullptr) mask = info.pModelInfo->dwPolyphony;
  TYX_INIT* init = TYX_INIT::Instance();
  const std::string refusedModel = init->GetAttributeStr(kMelodyRefusedModel);
  if (!refusedModel.empty() && model == refusedModel) {
    Controls::TYX_MessageBox::Show(owner, kMelodyNotSupportedModel, kMelodyCheckTitle);
    return 0;
  }
  std::vector<std::uint32_t> indexes;
  panel.GetSelectedMediaLibIndex(indexes, nullptr, 0);
  TYX_LibraryManager* manager = panel.GetLibraryManager();
  TYX_LibraryItem* item = indexes.size() == 1 && manager != nullptr ? manager->GetLibraryItem(indexes[0]) : nullptr;
  if (item == nullptr) {
    Controls::TYX_MessageBox::Show(owner, kMelodyOneFile, kMelodyTitle);
    return 0;
  }
  const std::string path = item->GetPath();
  const int poly = Util::GetPolyCount(path);
  if (poly == 128 && TYX_LibraryPanel::ElementInArray(init->GetAttributeStr(kMelodyPoly128Models), ",", model) == 1) {
    mask = DM_POLY_128;
  }
  const bool supported = (poly == 4 && (mask & DM_POLY_4) != 0) || (poly == 16 && (mask & DM_POLY_16) != 0) ||
                         (poly == 40 && (mask & DM_POLY_40) != 0) || (poly == 64 && (mask & DM_POLY_64) != 0) ||
                         (poly == 128 && (mask & DM_POLY_128) != 0);
  if (!supported) {
    char text[512];
    std::snprintf(text, sizeof text, "소바르[%s]은 멜로디[%d폴리]파일을 지원하지 않습니다.", model.c_str(), poly);
    Controls::TYX_MessageBox::Show(owner, text);
    return 0;
  }
  TYX_DeviceTransDlg_Melody1 dialog(panel.GetSafeHwnd(), path, init->GetAttributeStr(kMelodyConnectCode, "0000"));
  if (dialog.DoModal() == 1) panel.PostMessageToParent(WM_LIBRARY_TRANSFER_DONE, 0, 0);
  return 0;
}

int TYX_PanelTransfer::DoSyncListCopy(int unused) {
  (void)unused;
  TYX_LibraryPanel& panel = Panel();
  const Win::HWND owner = panel.GetTopLevelParent();
  TYX_LibraryPanel::ListCtrl* list = panel.GetCurrentListCtrl();
  std::vector<std::uint32_t> indexes;
  if (list == nullptr || list->GetItemCount() == 0 || panel.GetSelectedMediaCount() == 0 ||
      panel.GetSelectedMediaLibIndex(indexes, nullptr, 0) != Win::S_OK || indexes.empty()) {
    Controls::TYX_MessageBox::Show(owner, kSyncChooseSongs);
    return 0;
  }
  TYX_LibraryManager* manager = panel.GetLibraryManager();
  TYX_Playlist* sync = manager != nullptr ? manager->GetStockPlaylist(STOCK_PLAYLIST_SYNC) : nullptr;
  if (sync == nullptr) {
    Controls::TYX_MessageBox::Show(owner, kSyncChooseSongs);
    return 0;
  }
  int failed = 0;
  for (std::uint32_t index : indexes) {
    // A song already in the sync list stays where it is; it is not added a second time.
    if (sync->FindItem(index) != kNoPosition) continue;
    if (sync->InsertItem(index, 0) == kNoPosition) ++failed;
  }
  if (failed != 0) {
    Util::TYX_Log::Instance()->Add("TYX::Library::TYX_LibraryPanel::DoSyncListCopy : %d songs could not be added",
                                   failed);
  }
  panel.PostMessageToParent(WM_LIBRARY_SYNC_ADDED, 0, 0);
  Controls::TYX_MessageBox::Show(owner, kSyncAdded);
  return 1;
}

void TYX_PanelTransfer::OnChkAutoTrans() {
  TYX_INIT* init = TYX_INIT::Instance();
  init->SetAttribute(kSyncAutoStart, init->GetAttributeStr(kSyncAutoStart) == "1" ? "0" : "1");
}

void TYX_PanelTransfer::OnChkAutoTransOn() { TYX_INIT::Instance()->SetAttribute(kSyncAutoStart, "1"); }

void TYX_PanelTransfer::OnChkAutoTransOff() { TYX_INIT::Instance()->SetAttribute(kSyncAutoStart, "0"); }

void TYX_PanelTransfer::OnAutoSyncClicked() {
  Controls::TYX_CheckBox* check = Panel().Layout().GetSyncCheckBox();
  const bool ticked = check != nullptr && check->GetCheck();
  TYX_INIT::Instance()->SetAttribute(kSyncAutoStart, ticked ? "1" : "0");
  Panel().PostMessageToParent(WM_LIBRARY_SYNC_AUTO_CHANGED, 0, 0);
}

void TYX_PanelTransfer::OnBtnPlaylistToSyncList() {
  Panel().SendMessageToParent(Win::WM_COMMAND, kCmdPlaylistToSyncList, 0);
}

}  // namespace TYX::Library
