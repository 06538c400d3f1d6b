#pragma once
// The transfer controller: copies a list of local music files to the connected phone on a worker
// thread, keeps each file's outcome, and reports progress to its parent window (message m_uMessage), to
// a storage read-out and to text observers. It is an invisible child window whose job is to receive the
// device notices (0x7E8) on the user-interface thread; the worker and the device manager reach it only
// through that message, so every report, read-out update and observer call runs on that thread.
//
// Reports to the parent, sent (wParam as an int, lParam a const std::string* path valid during the
// send, or 0):
//   -1 path   once per listed file, in list order, before the first copy
//    0 path   a file starts;  0..100 path  its progress percent
//  101 path   a file completed (also one already on the phone);  -2 path  failed;  -10 path  cancelled
//  101 0      the whole job ended (always, also after a cancel, a suspended link or a lost phone)
//
// Only one transfer runs in the whole process. A controller that is destroyed cancels its job, keeps
// handling messages until its worker has ended, and frees the process-wide slot.
#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "contracts/device_records.h"
#include "device/device_file_prep.h"
#include "device/device_trans_context.h"
#include "device/device_trans_observer.h"
#include "device/device_trans_plan.h"
#include "device/device_trans_readout.h"
#include "device/dialog_error_report.h"
#include "platform/event.h"
#include "platform/thread.h"
#include "platform/window.h"

namespace TYX::Device {

// The lParam of the worker's own end notice (dm_ts_start) for job number `job` (1, 2, ...): negative,
// so no file start (which carries a byte count) can be taken for it, and a late one of an earlier job
// is told apart.
constexpr Win::LPARAM JobEndNotice(int job) { return -static_cast<Win::LPARAM>(job); }
// The path carried by a report to the parent; null for the job's end.
inline const std::string* TransferReportPath(Win::LPARAM lParam) {
  return Win::RecordFromLParam<const std::string>(lParam);
}

class TYX_DeviceTransControl : public Win::Window, private TYX_DeviceTransContext {
 public:
  // Report codes (wParam) and record states.
  static constexpr int ess_listed = -1;
  static constexpr int ess_start = 0;
  static constexpr int ess_complete = 101;
  static constexpr int ess_failed = -2;
  static constexpr int ess_cancelled = -10;
  static constexpr int state_pending = 0;
  static constexpr int state_settled = 1;

  struct TransferRecord {
    int state = state_pending;
    std::string deviceName;
    std::string message;
  };
  using Callback = std::function<int(const std::string& path, stTransferFileInfo* record)>;

  explicit TYX_DeviceTransControl(std::unique_ptr<TYX_DeviceFilePrep> prep = nullptr);
  // Cancels the job, handles messages until the worker has ended, and frees the process-wide slot.
  ~TYX_DeviceTransControl() override;

  Win::BOOL Create(Win::HWND parent, Win::UINT message, Callback callback, TYX_DeviceTransReadout* footer);
  // 1 when a worker was started; 0 when one is running already (this or another controller).
  int Start(unsigned device, std::vector<std::string> files, int shuffle, int syncMode);
  // Starts a new job with only the files of the last job that failed or were cancelled; 0 when there
  // are none or a worker runs.
  int StartFailedAgain(unsigned device);
  void Cancel();
  // 1 while the worker runs; reaps an ended worker of this controller.
  int IsStarted();
  std::vector<Dialog::TYX_Dialog_Error_Report::DEVICE_SYNC_CHECK_FILE_LIST> GetErrorReport() const;
  // The files of the last job, in transfer order, and the outcome of one of them.
  std::vector<std::string> GetFiles() const;
  TransferRecord GetRecord(const std::string& path) const;
  // What a job of these files would do, checked without touching the phone.
  std::vector<TransferPlanEntry> GetTransferPlan(unsigned device, const std::vector<std::string>& files,
                                                 int syncMode = 0) const;
  // Writes the failures of the last job as CSV, grouped by reason; the error text, empty on success.
  std::string WriteErrorReportCsv(const std::string& path) const;

  void Subscribe(TYX_DeviceTransControl_WebDownloadNotify* observer);
  void Unsubscribe(TYX_DeviceTransControl_WebDownloadNotify* observer);

  // Handler of message 0x7E8 (user-interface thread).
  virtual Win::LRESULT OnProgressNotify(Win::WPARAM wParam, Win::LPARAM lParam);

  // The byte counts of the read-out; user-interface thread.
  std::int64_t GetTotalBytes() const { return m_nTotal.load(); }
  std::int64_t GetUsedBytes() const { return m_nUsed.load(); }
  std::int64_t GetDoneBytes() const { return m_nDone; }

  // How long the worker waits for the end notice after asking a put to cancel, or after the phone went
  // away, before it records the end itself.
  static constexpr Win::DWORD kEndNoticeGraceMs = 5000;
  void SetEndNoticeGraceMs(Win::DWORD ms) { graceMs_.store(ms); }
  // How often a waiting worker looks whether the phone is still there.
  static constexpr Win::DWORD kPresencePollMs = 100;

 protected:
  static Win::DWORD staticSyncThreadProc(TYX_DeviceTransControl* self);
  void SyncThreadProc();
  void SyncThreadBluetoothProc();
  std::string ProcessFile(unsigned device, const std::string& path);
  std::string GetDeviceFileName(unsigned device, const std::string& path, std::string& deviceName,
                                std::string& sourcePath);
  std::string CanCopyFormat(unsigned device, const std::string& path);
  // The lyric copy of a song for the current phone (phone_lyric_copy.h); the caller removes it with
  // TYX_PhoneLyricCopy::Remove.
  bool IsLyricCDC(const std::string& path, std::string& newPath);

 private:
  struct JobScan;

  // TYX_DeviceTransContext, for the preparation on the worker.
  bool IsCancelled() const override { return m_hCancelEvent.IsSet(); }
  std::string DeviceFolder() const override { return m_strDeviceFolder; }
  void ResetFileDone() override { m_hFileDoneEvent.Reset(); }
  bool IsFileDone() const override { return m_hFileDoneEvent.IsSet(); }
  void SetCurrentFileSize(std::int64_t bytes) override;
  void SetNameLimit(int limit) override { m_nNameLimit.store(limit); }
  void SendFileEnd(int code) override;
  std::string WaitForFileEnd(unsigned device) override;
  void NotifyText(const std::string& text) override;
  void NotifyDownloadResult(int result) override;

  // Worker helpers.
  JobScan ScanPhone(unsigned device, bool bluetooth);
  std::vector<int> DecideSkips(unsigned device, JobScan& scan);
  TransferRecord Record(const std::string& path) const;
  int LastEndCode() const;
  void SendToParent(int code, const std::string* path);
  void SetRecord(const std::string& path, int state, const std::string& message);
  void SetCurrent(const std::string& path, std::int64_t size);
  bool DeviceGone(unsigned device) const;
  std::int64_t LocalSize(const std::string& path) const;
  void FinishJob();

  // Notice helpers (user-interface thread).
  void HandleJobEnd();
  void HandleProgress(Win::LPARAM bytes);
  void HandleFileEnd(int code);
  void HandleStatus(Win::LPARAM record);
  void UpdateReadout();
  void Notify(const std::string& text);
  std::string CurrentPath() const;
  // The file name of a web item's local copy, empty for other files (the observers' texts start with it).
  static std::string NoticeName(const std::string& path);
  eAutoSyncMethod Method() const;

  std::unique_ptr<TYX_DeviceFilePrep> prep_;  // fixed after construction; used by the worker
  Win::Event m_hCancelEvent{true, false};    // any thread
  Win::Event m_hIdleEvent{true, true};       // any thread
  Win::Event m_hFileDoneEvent{true, false};  // any thread
  Win::Event wake_{false, false};            // wakes a waiting worker: set by Cancel and every file end
  Win::UINT m_uMessage = 0;                  // fixed after Create
  Win::HWND parent_ = nullptr;               // fixed after Create
  Win::HWND self_ = nullptr;                 // fixed after Create; read by the worker
  TYX_DeviceTransReadout* m_pFooter = nullptr;  // UI thread
  std::vector<std::string> m_files;             // set by Start before the worker; read-only while it runs
  int m_bSyncMode = 0;                          // as m_files
  unsigned m_nDevice = DM_NO_DEVICE;            // set by Start, reset by IsStarted (UI thread)
  Callback m_pfnCallback;                       // fixed after Create

  mutable std::mutex lock_;                         // guards the fields below; UI thread and worker
  std::vector<TYX_DeviceTransControl_WebDownloadNotify*> m_subscribers;  // changed on the UI thread
  std::map<std::string, TransferRecord> m_records;  // written by the worker while it runs
  std::string m_strLastError;                       // written by the notice handler
  int lastEndCode_ = 0;                             // the code of the last file-end notice handled
  std::int64_t m_nFileSize = 0;                     // bytes of the file in progress
  std::string m_strCurrent;                         // path of the file in progress

  std::string m_strDeviceFolder;           // worker; set before the first file
  std::atomic<std::int64_t> m_nTotal{0};   // written by the worker, read by the UI thread
  std::atomic<std::int64_t> m_nUsed{0};    // as m_nTotal
  std::atomic<int> job_{0};                  // the job's number; set by Start before the worker runs
  int endedJob_ = 0;                         // UI thread: the last job whose end was handled
  std::atomic<std::uint64_t> endsHandled_{0};  // file-end notices handled; written by the UI thread
  std::int64_t m_nDone = 0;                // UI thread
  std::int64_t m_nCurrent = 0;             // UI thread
  std::atomic<int> m_nNameLimit{0};        // worker
  std::atomic<Win::DWORD> graceMs_{kEndNoticeGraceMs};  // any thread
};

}  // namespace TYX::Device
