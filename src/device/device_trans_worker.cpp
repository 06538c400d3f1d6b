// The transfer worker of TYX_DeviceTransControl: the cable job (one put at a time), the Bluetooth job
// (one batch), and what the per-file preparation asks of the running job.
#include <algorithm>
#include <chrono>
#include <exception>

#include "contracts/device_mgr_client.h"
#include "device/device_texts.h"
#include "device/device_trans_control.h"
#include "device/phone_music_index.h"
#include "device/web_item.h"
#include "util/file_name.h"
#include "platform/messaging.h"
#include "util/file_system.h"
#include "util/log.h"
#include "util/log_scope.h"

namespace TYX::Device {

struct TYX_DeviceTransControl::JobScan {
  FileInfo listing;
  TYX_PhoneMusicIndex index;
  std::int64_t listedBytes = 0;  // every file of the phone folder
};

Win::DWORD TYX_DeviceTransControl::staticSyncThreadProc(TYX_DeviceTransControl* self) {
  try {
    if (dmIsBluetoothConnected(self->m_nDevice)) {
      self->SyncThreadBluetoothProc();
    } else {
      self->SyncThreadProc();
    }
  } catch (const std::exception& e) {
    // The job still ends with its end notice, so the dialog waiting for it closes.
    Util::TYX_Log::Instance()->Add("TYX_DeviceTransControl worker stopped: %s", e.what());
    self->FinishJob();
  }
  self->m_hIdleEvent.Set();
  return 0;
}

void TYX_DeviceTransControl::FinishJob() {
  dmRegisterNotify(self_, 0);
  const Win::LPARAM end = JobEndNotice(job_.load());
  const Win::HWND self = self_;
  // Idle before the end is told: whoever hears of it may start the next job at once. The owner joins
  // this thread before it goes, so the few steps left here are safe.
  m_hIdleEvent.Set();
  Win::PostMessage(self, WM_DM_NOTIFY, dm_ts_start, end);
}

std::int64_t TYX_DeviceTransControl::LocalSize(const std::string& path) const {
  // A web item counts with the size its address declares.
  std::int64_t declared = 0;
  if (!GetWebDownloadPath(path, &declared).empty()) return declared;
  return static_cast<std::int64_t>(Util::GetFileSize(path));
}

std::string TYX_DeviceTransControl::NoticeName(const std::string& path) {
  const std::string local = GetWebDownloadPath(path);
  return local.empty() ? std::string() : Util::GetFileName(local);
}

void TYX_DeviceTransControl::NotifyDownloadResult(int result) {
  std::vector<TYX_DeviceTransControl_WebDownloadNotify*> observers;
  {
    std::lock_guard<std::mutex> lk(lock_);
    observers = m_subscribers;
  }
  for (auto* observer : observers) observer->OnDownloadResult(result);
}

void TYX_DeviceTransControl::SetCurrent(const std::string& path, std::int64_t size) {
  std::lock_guard<std::mutex> lk(lock_);
  m_strCurrent = path;
  m_nFileSize = size;
}

void TYX_DeviceTransControl::SetCurrentFileSize(std::int64_t bytes) {
  std::lock_guard<std::mutex> lk(lock_);
  m_nFileSize = bytes;
}

void TYX_DeviceTransControl::SetRecord(const std::string& path, int state, const std::string& message) {
  std::lock_guard<std::mutex> lk(lock_);
  TransferRecord& record = m_records[path];
  record.state = state;
  record.message = message;
}

int TYX_DeviceTransControl::LastEndCode() const {
  std::lock_guard<std::mutex> lk(lock_);
  return lastEndCode_;
}

bool TYX_DeviceTransControl::DeviceGone(unsigned device) const { return dmGetDeviceType(device) == DEVICETYPE_NONE; }

void TYX_DeviceTransControl::NotifyText(const std::string& text) {
  std::vector<TYX_DeviceTransControl_WebDownloadNotify*> observers;
  {
    std::lock_guard<std::mutex> lk(lock_);
    observers = m_subscribers;
  }
  for (auto* observer : observers) observer->OnNotifyText(text);
}

void TYX_DeviceTransControl::SendFileEnd(int code) {
  const std::uint64_t before = endsHandled_.load();
  if (Win::IsWindow(self_)) Win::SendMessage(self_, WM_DM_NOTIFY, dm_ts_end, code);
  if (endsHandled_.load() != before) return;
  // Nobody handles notices any more (the window is gone): the end is recorded here.
  std::lock_guard<std::mutex> lk(lock_);
  m_strLastError = dmGetErrorString(code);
  lastEndCode_ = code;
  m_hFileDoneEvent.Set();
}

std::string TYX_DeviceTransControl::WaitForFileEnd(unsigned device) {
  // Waits for the end notice until the deadline, looking at the phone's presence meanwhile.
  auto waitDone = [this, device](Win::DWORD ms, bool watchPresence) {
    // Real time, not the process clock: a test's manual clock must not stop this wait.
    using Clock = std::chrono::steady_clock;
    const bool forever = ms == Win::INFINITE;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(forever ? 0 : ms);
    while (!m_hFileDoneEvent.IsSet()) {
      if (watchPresence && (m_hCancelEvent.IsSet() || DeviceGone(device) || !Win::IsWindow(self_))) return false;
      Win::DWORD slice = kPresencePollMs;
      if (!forever) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) return false;
        slice = static_cast<Win::DWORD>(std::min<long long>(left, kPresencePollMs));
      }
      wake_.Wait(slice);
    }
    return true;
  };
  while (!waitDone(Win::INFINITE, true)) {
    if (m_hCancelEvent.IsSet()) {
      Util::TYX_Log::Instance()->Add("TYX_DeviceTransControl::ProcessFile (dmIOCancel)");
      dmIOCancel(device);
      if (!waitDone(graceMs_.load(), false)) SendFileEnd(dm_tc_cancelled);
      break;
    }
    // The phone or this window went away: the end notice may still be on its way.
    const bool gone = DeviceGone(device);
    if (!waitDone(graceMs_.load(), false)) SendFileEnd(gone ? dm_tc_not_connected : dm_tc_cancelled);
    break;
  }
  std::lock_guard<std::mutex> lk(lock_);
  return m_strLastError;
}

TYX_DeviceTransControl::JobScan TYX_DeviceTransControl::ScanPhone(unsigned device, bool bluetooth) {
  JobScan scan;
  dmGetFileList(device, scan.listing, 0);
  m_strDeviceFolder = dmGetCurrentDirectory(device);
  if (m_strDeviceFolder.empty() || m_strDeviceFolder.back() != '\\') m_strDeviceFolder += "\\";
  for (int i = 0; i < scan.listing.Count(); ++i) scan.listedBytes += static_cast<std::int64_t>(scan.listing[i].nSize);
  scan.index.Build(scan.listing, !bluetooth);
  return scan;
}

std::vector<int> TYX_DeviceTransControl::DecideSkips(unsigned device, JobScan& scan) {
  std::vector<int> skip(m_files.size(), 0);
  for (std::size_t i = 0; i < m_files.size(); ++i) {
    const std::string& path = m_files[i];
    std::string name, source;
    const std::string refusal = GetDeviceFileName(device, path, name, source);
    int state = state_pending;
    if (!refusal.empty()) {
      skip[i] = 1;
    } else if (scan.index.MatchAndKeep(name, LocalSize(path))) {
      skip[i] = 1;
      state = state_settled;
    }
    std::lock_guard<std::mutex> lk(lock_);
    TransferRecord& record = m_records[path];
    record.state = state;
    record.deviceName = name;
    record.message = refusal;
  }
  return skip;
}

std::string TYX_DeviceTransControl::GetDeviceFileName(unsigned device, const std::string& path,
                                                      std::string& deviceName, std::string& sourcePath) {
  return prep_->GetDeviceFileName(device, path, deviceName, sourcePath);
}

std::string TYX_DeviceTransControl::CanCopyFormat(unsigned device, const std::string& path) {
  return prep_->CanCopyFormat(device, path);
}

std::string TYX_DeviceTransControl::ProcessFile(unsigned device, const std::string& path) {
  // Whatever the preparation does, an end seen from now on is this file's.
  m_hFileDoneEvent.Reset();
  return prep_->ProcessFile(*this, device, path);
}

void TYX_DeviceTransControl::SyncThreadProc() {
  TYX_LogScope scope("TYX_DeviceTransControl::SyncThreadProc");
  const unsigned device = m_nDevice;
  dmRegisterNotify(self_, WM_DM_NOTIFY);
  stDeviceInfo info;
  dmGetDeviceInfo(device, info, 0);
  JobScan scan = ScanPhone(device, false);
  m_nUsed = scan.listedBytes;
  std::int64_t free = static_cast<std::int64_t>(dmGetDeviceFreeSpace(device, 0));
  m_nTotal = free + scan.listedBytes;

  std::vector<int> skip = DecideSkips(device, scan);
  if (m_bSyncMode != 0) {
    for (const auto& entry : scan.index.Unkept()) {
      if (m_hCancelEvent.IsSet()) break;
      dmDeleteFile(device, m_strDeviceFolder + entry.name);
      m_nUsed -= static_cast<std::int64_t>(entry.size);
      free += static_cast<std::int64_t>(entry.size);
    }
  }
  for (const auto& path : m_files) SendToParent(ess_listed, &path);

  for (std::size_t i = 0; i < m_files.size(); ++i) {
    const std::string& path = m_files[i];
    const std::int64_t size = LocalSize(path);
    const TransferRecord record = Record(path);
    SetCurrent(path, size);
    // A file already on the phone is complete whatever happens to the rest of the job.
    if (skip[i] != 0 && record.message.empty()) {
      SetCurrent(path, 0);
      SetRecord(path, ess_complete, {});
      SendFileEnd(dm_tc_success);
      continue;
    }
    if (m_hCancelEvent.IsSet()) {
      SetCurrent(path, 0);
      SetRecord(path, ess_cancelled, Texts::kCancelled);
      SendFileEnd(dm_tc_cancelled);
      continue;
    }
    if (skip[i] != 0) {
      SetCurrent(path, 0);
      SetRecord(path, ess_failed, record.message);
      SendFileEnd(dm_tc_not_sendable);
      continue;
    }
    if (DeviceGone(device)) {
      SetRecord(path, ess_failed, dmGetErrorString(dm_tc_not_connected));
      SendFileEnd(dm_tc_not_connected);
      continue;
    }
    if (free < size) {
      SetRecord(path, ess_failed, dmGetErrorString(dm_tc_no_space));
      SendFileEnd(dm_tc_no_space);
      continue;
    }
    const std::string message = ProcessFile(device, path);
    if (message.empty()) {
      SetRecord(path, ess_complete, {});
      SendFileEnd(dm_tc_success);
      free -= size;
      continue;
    }
    // A refusal the preparation did not report as the file's end still reaches the parent as one.
    const bool cancelled = message == Texts::kCancelled || (IsFileDone() && LastEndCode() == dm_tc_cancelled);
    if (!IsFileDone()) {
      const int code = dmGetLastError();
      SendFileEnd(cancelled ? dm_tc_cancelled : (code != dm_tc_success ? code : dm_tc_refused));
    }
    SetRecord(path, cancelled ? ess_cancelled : ess_failed, message);
  }
  FinishJob();
}

void TYX_DeviceTransControl::SyncThreadBluetoothProc() {
  TYX_LogScope scope("TYX_DeviceTransControl::SyncThreadBluetoothProc");
  const unsigned device = m_nDevice;
  // Every file that is not sent gets its outcome and a report, so the dialog shows it.
  auto failQueued = [this](const std::vector<std::string>& paths, int state, const std::string& message) {
    for (const auto& path : paths) {
      SetRecord(path, state, message);
      SendToParent(state, &path);
    }
  };
  if (dmBluetoothCheckSuspendStatus(device, self_) != 0) {
    for (const auto& path : m_files) SendToParent(ess_listed, &path);
    failQueued(m_files, ess_failed, Texts::kSuspended);
    FinishJob();
    return;
  }
  dmRegisterNotify(self_, WM_DM_NOTIFY);
  stDeviceInfo info;
  dmGetDeviceInfo(device, info, 1);
  JobScan scan = ScanPhone(device, true);
  const std::int64_t free = static_cast<std::int64_t>(dmGetDeviceFreeSpace(device, 0));
  m_nTotal = static_cast<std::int64_t>(dmGetDeviceTotalSpace(device));
  m_nUsed = m_nTotal.load() - free;

  for (const auto& path : m_files) SendToParent(ess_listed, &path);
  std::vector<int> skip = DecideSkips(device, scan);
  if (m_bSyncMode != 0) {
    std::vector<std::string> names;
    for (const auto& entry : scan.index.Unkept()) names.push_back(entry.name);
    if (!names.empty() && !m_hCancelEvent.IsSet()) dmDeleteFiles(device, m_strDeviceFolder, names);
  }

  std::vector<stTransferFileInfo> queue;
  std::vector<std::string> queued;
  for (std::size_t i = 0; i < m_files.size(); ++i) {
    const std::string& path = m_files[i];
    const TransferRecord record = Record(path);
    if (skip[i] != 0 && record.message.empty()) {
      // The same song of about the same size is there: complete without sending.
      SetRecord(path, ess_complete, {});
      SendToParent(ess_complete, &path);
      continue;
    }
    std::string refusal = record.message;
    if (refusal.empty()) refusal = prep_->CheckFile(device, path).message;
    if (!refusal.empty()) {
      failQueued({path}, ess_failed, refusal);
      continue;
    }
    stTransferFileInfo file;
    file.strFilePath = path;
    file.strLocalPath = path;
    file.strDeviceFileName = record.deviceName;
    file.strDeviceFolder = m_strDeviceFolder;
    if (m_pfnCallback) m_pfnCallback(path, &file);
    queue.push_back(std::move(file));
    queued.push_back(path);
  }

  if (queue.empty()) {
    FinishJob();
    return;
  }
  if (m_hCancelEvent.IsSet()) {
    failQueued(queued, ess_cancelled, Texts::kCancelled);
  } else if (dmBluetoothCheckSuspendStatus(device, self_) != 0) {
    failQueued(queued, ess_failed, Texts::kSuspended);
  } else {
    const int outcome = dmPutFileList(device, queue, self_, WM_DM_PUT_NOTIFY);
    for (std::size_t k = 0; k < queue.size(); ++k) {
      const std::string& path = queued[k];
      const int code = queue[k].nResult;
      if (code == dm_tc_success) {
        SetRecord(path, ess_complete, {});
      } else if (code == dm_tc_cancelled) {
        SetRecord(path, ess_cancelled, Texts::kCancelled);
      } else if (code >= 0) {
        SetRecord(path, ess_failed, dmGetErrorString(code));
      } else if (outcome == dm_tc_cancelled || m_hCancelEvent.IsSet()) {
        // Not reached: the batch stopped before it; the notices never named it.
        failQueued({path}, ess_cancelled, Texts::kCancelled);
      } else {
        failQueued({path}, ess_failed, dmGetErrorString(outcome != dm_tc_success ? outcome : dm_tc_not_connected));
      }
    }
  }
  FinishJob();
}

}  // namespace TYX::Device
