#include "device/device_trans_control.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "contracts/device_mgr_client.h"
#include "device/device_file_prep_default.h"
#include "device/device_report_csv.h"
#include "device/device_texts.h"
#include "device/phone_lyric_copy.h"
#include "platform/messaging.h"
#include "util/file_name.h"
#include "util/log.h"
#include "util/log_scope.h"

namespace TYX::Device {

namespace {

// The one transfer worker of the process (m_hThread) and the controller that started it
// (m_pThreadOwner). Any thread, under its mutex.
struct WorkerSlot {
  std::mutex mutex;
  std::unique_ptr<Win::Thread> thread;
  const TYX_DeviceTransControl* owner = nullptr;
};

WorkerSlot& Slot() {
  static WorkerSlot slot;
  return slot;
}

std::string Printf(const char* format, const std::string& a) {
  char buffer[1024];
  std::snprintf(buffer, sizeof buffer, format, a.c_str());
  return buffer;
}

std::string Printf(const char* format, const std::string& a, int number) {
  char buffer[1024];
  std::snprintf(buffer, sizeof buffer, format, a.c_str(), number);
  return buffer;
}

std::string Printf(const char* format, const std::string& a, const std::string& b) {
  char buffer[1024];
  std::snprintf(buffer, sizeof buffer, format, a.c_str(), b.c_str());
  return buffer;
}

}  // namespace

TYX_DeviceTransControl::TYX_DeviceTransControl(std::unique_ptr<TYX_DeviceFilePrep> prep)
    : prep_(prep ? std::move(prep) : std::make_unique<TYX_DeviceFilePrepDefault>()) {
  OnMessage(WM_DM_NOTIFY, [this](Win::WPARAM w, Win::LPARAM l) -> Win::LRESULT { return OnProgressNotify(w, l); });
}

TYX_DeviceTransControl::~TYX_DeviceTransControl() {
  Cancel();
  // The worker sends to this window and waits for its answers: keep handling messages until it ended.
  // Every wait of the worker ends on a cancel, so this ends too.
  while (!m_hIdleEvent.IsSet()) {
    if (!Win::PumpUntil([this] { return m_hIdleEvent.IsSet(); }, 1000)) {
      Util::TYX_Log::Instance()->Add("TYX_DeviceTransControl::~TYX_DeviceTransControl -> waiting for the worker");
    }
  }
  std::unique_ptr<Win::Thread> ended;
  {
    WorkerSlot& slot = Slot();
    std::lock_guard<std::mutex> lk(slot.mutex);
    if (slot.owner == this) {
      ended = std::move(slot.thread);
      slot.owner = nullptr;
    }
  }
  if (ended) ended->Wait();
  DestroyWindow();
}

Win::BOOL TYX_DeviceTransControl::Create(Win::HWND parent, Win::UINT message, Callback callback,
                                         TYX_DeviceTransReadout* footer) {
  TYX_LogScope scope("TYX_DeviceTransControl::Create");
  m_uMessage = message;
  m_pfnCallback = std::move(callback);
  m_pFooter = footer;
  parent_ = parent;
  if (!Window::Create(parent, Win::Rect{-1, -1, 0, 0}, Win::WS_CHILD)) return Win::FALSE;
  self_ = GetSafeHwnd();
  return Win::TRUE;
}

int TYX_DeviceTransControl::Start(unsigned device, std::vector<std::string> files, int shuffle, int syncMode) {
  TYX_LogScope scope("TYX_DeviceTransControl::Start");
  if (IsStarted()) return 0;
  if (self_ == nullptr || !Win::IsWindow(self_)) return 0;
  WorkerSlot& slot = Slot();
  std::unique_lock<std::mutex> lk(slot.mutex);
  if (slot.thread) {
    // Another controller's job runs; nothing of this controller changes. (The owner lives while it is
    // named here: its destructor takes itself out under this lock.)
    if (slot.thread->IsRunning() && !(slot.owner != nullptr && slot.owner->m_hIdleEvent.IsSet())) return 0;
    // A worker that ended (or is returning) without its owner noticing is reaped by whoever starts next.
    slot.thread->Wait();
    slot.thread.reset();
    slot.owner = nullptr;
  }
  if (shuffle != 0) {
    for (std::size_t i = 1; i < files.size(); ++i) {
      std::swap(files[i], files[static_cast<std::size_t>(std::rand()) % (i + 1)]);
    }
  }
  m_files = std::move(files);
  {
    std::lock_guard<std::mutex> state(lock_);
    m_records.clear();
    m_nFileSize = 0;
    m_strCurrent.clear();
    m_strLastError.clear();
    lastEndCode_ = 0;
  }
  m_bSyncMode = syncMode;
  m_nDevice = device;
  m_nCurrent = 0;
  m_nUsed = 0;
  m_nTotal = 0;
  m_nDone = 0;
  if (m_pFooter != nullptr) m_pFooter->SetAutosyncInfo(1);

  auto thread = Win::Thread::Create([this] { return staticSyncThreadProc(this); }, true);
  if (!thread) {
    Util::TYX_Log::Instance()->Add("TYX_DeviceTransControl::Start -> no worker thread");
    if (m_pFooter != nullptr) m_pFooter->SetAutosyncInfo(2);
    return 0;
  }
  job_.fetch_add(1);
  m_hCancelEvent.Reset();
  m_hIdleEvent.Reset();
  m_hFileDoneEvent.Reset();
  slot.owner = this;
  slot.thread = std::move(thread);
  slot.thread->Resume();
  return 1;
}

int TYX_DeviceTransControl::StartFailedAgain(unsigned device) {
  TYX_LogScope scope("TYX_DeviceTransControl::StartFailedAgain");
  std::vector<std::string> again;
  {
    std::lock_guard<std::mutex> lk(lock_);
    for (const auto& path : m_files) {
      auto it = m_records.find(path);
      if (it == m_records.end()) continue;
      if (it->second.state == ess_failed || it->second.state == ess_cancelled) again.push_back(path);
    }
  }
  if (again.empty()) return 0;
  return Start(device, std::move(again), 0, 0);
}

bool TYX_DeviceTransControl::IsLyricCDC(const std::string& path, std::string& newPath) {
  return TYX_PhoneLyricCopy::IsLyricCDC(path, newPath);
}

void TYX_DeviceTransControl::Cancel() {
  TYX_LogScope scope("TYX_DeviceTransControl::Cancel()");
  if (m_nDevice != DM_NO_DEVICE && dmIsBluetoothConnected(m_nDevice)) {
    Util::TYX_Log::Instance()->Add("TYX_DeviceTransControl::Cancel() -> dmIOCancel");
    dmIOCancel(m_nDevice);
  }
  m_hCancelEvent.Set();
  wake_.Set();
}

int TYX_DeviceTransControl::IsStarted() {
  TYX_LogScope scope("TYX_DeviceTransControl::IsStarted");
  if (!m_hIdleEvent.IsSet()) return 1;
  std::unique_ptr<Win::Thread> ended;
  {
    WorkerSlot& slot = Slot();
    std::lock_guard<std::mutex> lk(slot.mutex);
    if (slot.owner == this && slot.thread) {
      ended = std::move(slot.thread);
      slot.owner = nullptr;
    }
  }
  if (ended) {
    ended->Wait();
    m_nDevice = DM_NO_DEVICE;
  }
  return 0;
}

std::vector<Dialog::TYX_Dialog_Error_Report::DEVICE_SYNC_CHECK_FILE_LIST> TYX_DeviceTransControl::GetErrorReport()
    const {
  TYX_LogScope scope("TYX_DeviceTransControl::GetErrorReport");
  std::vector<Dialog::TYX_Dialog_Error_Report::DEVICE_SYNC_CHECK_FILE_LIST> out;
  std::lock_guard<std::mutex> lk(lock_);
  for (const auto& path : m_files) {
    auto it = m_records.find(path);
    if (it == m_records.end() || it->second.message.empty()) continue;
    Dialog::TYX_Dialog_Error_Report::DEVICE_SYNC_CHECK_FILE_LIST entry;
    entry.folder = Util::GetFilePath(path);
    entry.fileName = Util::GetFileName(path);
    entry.title = entry.fileName;
    entry.message = it->second.message;
    out.push_back(std::move(entry));
  }
  return out;
}

std::vector<std::string> TYX_DeviceTransControl::GetFiles() const {
  std::lock_guard<std::mutex> lk(lock_);
  return m_files;
}

TYX_DeviceTransControl::TransferRecord TYX_DeviceTransControl::GetRecord(const std::string& path) const {
  return Record(path);
}

TYX_DeviceTransControl::TransferRecord TYX_DeviceTransControl::Record(const std::string& path) const {
  std::lock_guard<std::mutex> lk(lock_);
  auto it = m_records.find(path);
  return it == m_records.end() ? TransferRecord{} : it->second;
}

std::vector<TransferPlanEntry> TYX_DeviceTransControl::GetTransferPlan(unsigned device,
                                                                       const std::vector<std::string>& files,
                                                                       int syncMode) const {
  TYX_LogScope scope("TYX_DeviceTransControl::GetTransferPlan");
  return BuildTransferPlan(device, files, *prep_, syncMode != 0);
}

std::string TYX_DeviceTransControl::WriteErrorReportCsv(const std::string& path) const {
  TYX_LogScope scope("TYX_DeviceTransControl::WriteErrorReportCsv");
  return WriteTransferReportCsv(path, GetErrorReport());
}

void TYX_DeviceTransControl::Subscribe(TYX_DeviceTransControl_WebDownloadNotify* observer) {
  TYX_LogScope scope("TYX_DeviceTransControl::Subscribe");
  if (observer == nullptr) return;
  std::lock_guard<std::mutex> lk(lock_);
  if (std::find(m_subscribers.begin(), m_subscribers.end(), observer) == m_subscribers.end()) {
    m_subscribers.push_back(observer);
  }
}

void TYX_DeviceTransControl::Unsubscribe(TYX_DeviceTransControl_WebDownloadNotify* observer) {
  TYX_LogScope scope("TYX_DeviceTransControl::Unsubscribe");
  std::lock_guard<std::mutex> lk(lock_);
  m_subscribers.erase(std::remove(m_subscribers.begin(), m_subscribers.end(), observer), m_subscribers.end());
}

// ---- notices (user-interface thread) ----

Win::LRESULT TYX_DeviceTransControl::OnProgressNotify(Win::WPARAM wParam, Win::LPARAM lParam) {
  TYX_LogScope scope("TYX_DeviceTransControl::OnProgressNotify(WPARAM wParam, LPARAM lParam)");
  switch (static_cast<int>(wParam)) {
    case dm_ts_start:
      if (lParam < 0) {
        // The worker's end: once per job, and only for the job that runs now.
        if (JobEndNotice(job_.load()) == lParam && endedJob_ != job_.load()) {
          endedJob_ = job_.load();
          HandleJobEnd();
        }
        break;
      }
      m_nCurrent = 0;
      {
        const std::string path = CurrentPath();
        SendToParent(ess_start, &path);
      }
      Notify(Printf(Texts::kNotifyStart, NoticeName(CurrentPath())));
      HandleProgress(lParam);
      break;
    case dm_ts_progress: HandleProgress(lParam); break;
    case dm_ts_end: HandleFileEnd(static_cast<int>(lParam)); break;
    case dm_ts_status: HandleStatus(lParam); break;
    default: break;
  }
  return 0;
}

void TYX_DeviceTransControl::HandleJobEnd() {
  if (m_pFooter != nullptr) {
    m_pFooter->SetDeviceInfo(static_cast<std::uint64_t>(std::max<std::int64_t>(m_nUsed.load(), 0)),
                             static_cast<std::uint64_t>(std::max<std::int64_t>(m_nDone, 0)),
                             static_cast<std::uint64_t>(std::max<std::int64_t>(m_nTotal.load(), 0)), Method());
    m_pFooter->SetAutosyncInfo(2);
  }
  SendToParent(ess_complete, nullptr);
}

void TYX_DeviceTransControl::HandleProgress(Win::LPARAM bytes) {
  if (m_hCancelEvent.IsSet() && m_nDevice != DM_NO_DEVICE) {
    Util::TYX_Log::Instance()->Add("TYX_DeviceTransControl::OnProgressNotify -> dm_transfer_status dmIOCancel");
    dmIOCancel(m_nDevice);
  }
  m_nCurrent = bytes;
  std::int64_t size = 0;
  {
    std::lock_guard<std::mutex> lk(lock_);
    size = m_nFileSize;
  }
  // Without a known size the percent is 0; more bytes than the size still give 100.
  int percent = 0;
  if (size > 0) {
    const double p = static_cast<double>(bytes) / static_cast<double>(size) * 100.0;
    percent = static_cast<int>(std::clamp(p, 0.0, 100.0));
  }
  const std::string path = CurrentPath();
  SendToParent(percent, &path);
  Notify(Printf(Texts::kNotifyProgress, NoticeName(path), percent));
  UpdateReadout();
}

void TYX_DeviceTransControl::HandleFileEnd(int code) {
  const std::string path = CurrentPath();
  std::string lastError;
  if (code == dm_tc_cancelled) {
    lastError = Printf(Texts::kLastErrorCancelled, dmGetErrorString(dm_tc_cancelled));
  } else if (code != dm_tc_success) {
    lastError = Printf(Texts::kLastErrorFailed, dmGetErrorString(code));
  }
  std::int64_t size = 0;
  {
    std::lock_guard<std::mutex> lk(lock_);
    m_strLastError = lastError;
    lastEndCode_ = code;
    size = m_nFileSize;
  }
  if (code == dm_tc_cancelled) {
    SendToParent(ess_cancelled, &path);
    Notify(Printf(Texts::kNotifyCancelled, NoticeName(path)));
  } else if (code == dm_tc_success) {
    SendToParent(ess_complete, &path);
    Notify(Printf(Texts::kNotifyDone, NoticeName(path)));
  } else {
    SendToParent(ess_failed, &path);
    Notify(Printf(Texts::kNotifyFailed, NoticeName(path), lastError));
  }
  // The worker repeats a put's end; the bytes count once.
  if (code == dm_tc_success && !m_hFileDoneEvent.IsSet()) m_nDone += size;
  m_nCurrent = 0;
  m_hFileDoneEvent.Set();
  endsHandled_.fetch_add(1);
  wake_.Set();
  UpdateReadout();
}

void TYX_DeviceTransControl::HandleStatus(Win::LPARAM record) {
  const auto* status = Win::RecordFromLParam<const stBTStatusParam>(record);
  if (!dmBluetoothIsStatusParam(status)) return;
  const std::string description = dmGetBTStatusDescription(status);
  Util::TYX_Log::Instance()->Add("TYX_DeviceTransControl::OnProgressNotify status : %s", description.c_str());
  // The record lives only during this send: its text is copied here. A new file has no end yet.
  if (status->nCode == DM_BT_SENDING) {
    SetCurrent(status->strText, LocalSize(status->strText));
    m_hFileDoneEvent.Reset();
  }
}

void TYX_DeviceTransControl::UpdateReadout() {
  if (m_pFooter == nullptr) return;
  m_pFooter->SetDeviceInfo(static_cast<std::uint64_t>(std::max<std::int64_t>(m_nUsed.load(), 0)),
                           static_cast<std::uint64_t>(std::max<std::int64_t>(m_nDone + m_nCurrent, 0)),
                           static_cast<std::uint64_t>(std::max<std::int64_t>(m_nTotal.load(), 0)), Method());
}

void TYX_DeviceTransControl::Notify(const std::string& text) {
  std::vector<TYX_DeviceTransControl_WebDownloadNotify*> observers;
  {
    std::lock_guard<std::mutex> lk(lock_);
    observers = m_subscribers;
  }
  for (auto* observer : observers) observer->OnNotifyText(text);
}

eAutoSyncMethod TYX_DeviceTransControl::Method() const { return m_bSyncMode != 0 ? eAutoSyncSync : eAutoSyncAdd; }

std::string TYX_DeviceTransControl::CurrentPath() const {
  std::lock_guard<std::mutex> lk(lock_);
  return m_strCurrent;
}

void TYX_DeviceTransControl::SendToParent(int code, const std::string* path) {
  if (parent_ == nullptr || m_uMessage == 0) return;
  Win::SendMessage(parent_, m_uMessage, static_cast<Win::WPARAM>(static_cast<std::intptr_t>(code)),
                   Win::RecordToLParam(const_cast<std::string*>(path)));
}

}  // namespace TYX::Device
