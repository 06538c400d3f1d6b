// Puts and Bluetooth batches of the folder device client.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>
#include <system_error>

#include "components/devicemgr/device_path.h"
#include "components/devicemgr/folder_device_client.h"
#include "platform/messaging.h"

namespace TYX::DeviceMgr {

namespace fs = std::filesystem;

namespace {

// The copy never throws on file errors (it answers codes); this only guards against running out of
// memory, so that the caller still gets its end notice.
int GuardedCopy(FolderDevice& device, const CopyJob& job, const ProgressFn& progress, const ChunkHook& hook) {
  try {
    return CopyToDevice(device, job, progress, hook);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "devicemgr: copy of %s failed: %s\n", job.source.c_str(), e.what());
    return dm_tc_write_error;
  }
}

bool HasFolderSeparator(const std::string& name) { return name.find_first_of("\\/") != std::string::npos; }

}  // namespace

int TYX_FolderDeviceClient::PutFile(unsigned id, const std::string& localPath, const std::string& devicePath,
                                    Win::HWND hwnd, Win::UINT message) {
  auto device = Find(id);
  if (!device) {
    lastError_.store(dm_tc_not_connected);
    return 0;
  }
  if (!device->IsReachable()) {
    lastError_.store(dm_tc_device_gone);
    return 0;
  }
  int mode = 0;
  NoticeTarget target;
  {
    std::lock_guard<std::mutex> lk(mutex_);
    mode = putMode_;
    target = (hwnd != nullptr && message != 0) ? NoticeTarget{hwnd, message} : registered_;
  }
  std::error_code ec;
  if (localPath.empty() || !fs::is_regular_file(localPath, ec)) {
    lastError_.store(dm_tc_source_error);
    return 0;
  }
  std::string path = devicePath;
  // A ring-tone goes to the current folder under its own name when the caller names no place.
  if (mode == 1 && (path.empty() || path == "0")) path = fs::path(localPath).filename().string();
  CopyJob job;
  if (!ResolveFile(*device, path, job.target)) {
    lastError_.store(dm_tc_bad_path);
    return 0;
  }
  job.source = localPath;
  job.chunkSize = options_.chunkSize;
  job.jobId = nextJobId_.fetch_add(1);
  // Registered now, so a dmIOCancel made before the client's thread reaches this put still stops it.
  job.cancel = device->AddTransfer();
  worker_->Submit([this, device, job, target] { RunPut(device, job, target); });
  return 1;
}

void TYX_FolderDeviceClient::RunPut(const std::shared_ptr<FolderDevice>& device, const CopyJob& job,
                                    NoticeTarget target) {
  // Posted notices carry plain values only; nothing has to outlive this function.
  auto post = [&target](dm_transfer_status status, Win::LPARAM lParam) {
    if (target.hwnd != nullptr) Win::PostMessage(target.hwnd, target.message, static_cast<Win::WPARAM>(status), lParam);
  };
  ChunkHook hook;
  {
    std::lock_guard<std::mutex> lk(mutex_);
    hook = chunkHook_;
  }
  post(dm_ts_start, 0);
  const int code = GuardedCopy(
      *device, job, [&post](std::uint64_t sent) { post(dm_ts_progress, static_cast<Win::LPARAM>(sent)); }, hook);
  device->RemoveTransfer(job.cancel);
  // Stored before the end notice, so its handler reads this put's outcome with dmGetLastError.
  lastError_.store(code);
  post(dm_ts_end, code);
}

int TYX_FolderDeviceClient::PutFileList(unsigned id, std::vector<stTransferFileInfo>& files, Win::HWND hwnd,
                                        Win::UINT message) {
  auto device = Find(id);
  if (!device) {
    lastError_.store(dm_tc_not_connected);
    return dm_tc_not_connected;
  }
  NoticeTarget target;
  ChunkHook hook;
  {
    std::lock_guard<std::mutex> lk(mutex_);
    target = registered_.hwnd != nullptr ? registered_ : NoticeTarget{hwnd, message};
    hook = chunkHook_;
  }
  // Sent, not posted: each handler has run before the next notice, and the status record below lives
  // until its send returns.
  auto send = [&target](dm_transfer_status status, Win::LPARAM lParam) {
    if (target.hwnd != nullptr && target.message != 0) {
      Win::SendMessage(target.hwnd, target.message, static_cast<Win::WPARAM>(status), lParam);
    }
  };
  auto sendStatus = [&send](int code, const std::string& text) {
    stBTStatusParam status;
    status.nCode = code;
    status.strText = text;
    send(dm_ts_status, Win::RecordToLParam(&status));
  };

  const FolderDevice::CancelFlag cancel = device->AddTransfer();
  sendStatus(DM_BT_BATCH_START, std::to_string(files.size()));
  int outcome = dm_tc_success;
  for (auto& file : files) {
    if (cancel->load()) {
      outcome = dm_tc_cancelled;
      break;
    }
    sendStatus(DM_BT_SENDING, file.strFilePath);
    send(dm_ts_start, 0);
    std::string folder = file.strDeviceFolder.empty() ? device->Profile().folder : file.strDeviceFolder;
    if (folder.back() != '\\' && folder.back() != '/') folder += "\\";
    CopyJob job;
    int code = dm_tc_bad_path;
    if (!file.strDeviceFileName.empty() && !HasFolderSeparator(file.strDeviceFileName) &&
        ResolveFile(*device, folder + file.strDeviceFileName, job.target)) {
      job.source = file.strLocalPath.empty() ? file.strFilePath : file.strLocalPath;
      job.cancel = cancel;
      job.chunkSize = options_.chunkSize;
      job.jobId = nextJobId_.fetch_add(1);
      code = GuardedCopy(
          *device, job, [&send](std::uint64_t sent) { send(dm_ts_progress, static_cast<Win::LPARAM>(sent)); }, hook);
    }
    file.nResult = code;
    lastError_.store(code);
    send(dm_ts_end, code);
    if (code == dm_tc_cancelled || code == dm_tc_device_gone) {
      outcome = code;
      break;
    }
  }
  device->RemoveTransfer(cancel);
  sendStatus(DM_BT_BATCH_END, std::to_string(outcome));
  return outcome;
}

}  // namespace TYX::DeviceMgr
