#pragma once
// The add-files worker: inserts a list of files, or the audio files under a list of folders, into the
// library store one by one, reporting each step to a notify window (see add_files_messages.h).
//
// Run() is the synchronous core and may be called on any thread; Start() runs it on a worker thread of
// its own. While a run is on its thread, the window thread may Suspend, Resume and Stop it; everything
// else (results, summary, outcome) is read after the run has ended (WaitForEnd, Stop, or Run's return).
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "contracts/library_manager.h"
#include "import/add_files_outbox.h"
#include "import/add_files_records.h"
#include "import/import_summary.h"
#include "platform/event.h"
#include "platform/thread.h"
#include "platform/types.h"

namespace TYX::Library {

class TYX_FolderWalker;

class TYX_Library_AddFilesImpl {
 public:
  using tagPathItem = TYX_AddFilesPathItem;
  using tagAddItemsInfo = TYX_AddFilesInfo;

  enum class Outcome { NotRun, Running, Completed, Stopped, Failed };

  // Inserts are grouped into one store transaction of at most this many files. A group is committed
  // before the worker pauses and when the run ends, however it ends.
  static constexpr std::size_t kInsertGroup = 50;

  TYX_Library_AddFilesImpl();
  ~TYX_Library_AddFilesImpl();  // stops and joins a running worker
  TYX_Library_AddFilesImpl(const TYX_Library_AddFilesImpl&) = delete;
  TYX_Library_AddFilesImpl& operator=(const TYX_Library_AddFilesImpl&) = delete;

  void SetLibraryManager(TYX_LibraryManager* manager) { libraryManager_ = manager; }
  TYX_LibraryManager* GetLibraryManager() const { return libraryManager_; }

  // E_INVALIDARG for an empty list, E_FAIL without a library manager (nothing is recorded then).
  // Otherwise records the list, one pending item per path, and returns 0.
  Win::HRESULT SetFromFileList(const std::vector<std::string>& files, int type, std::uint32_t target);
  Win::HRESULT SetFromFolderList(const std::vector<std::string>& folders, int type, std::uint32_t target,
                                 bool recursive, const std::string& extFilter);

  // Starts the prepared run on a new thread reporting to notifyWnd. E_FAIL for no live window, no
  // prepared list, or no thread. A previous run is stopped first.
  Win::HRESULT Start(Win::HWND notifyWnd);
  // Asks the run to stop, releases a suspended worker and waits for it to end. Returns E_FAIL always
  // (callers ignore it); the outcome says how the run ended.
  Win::HRESULT Stop();
  // The worker pauses after its current file until Resume. E_FAIL when no worker exists.
  Win::HRESULT Suspend();
  Win::HRESULT Resume();
  Win::HRESULT SetWaitEvent() { return Win::S_OK; }
  // True once the worker has ended (or none was started); false when the time-out passed.
  bool WaitForEnd(Win::DWORD timeoutMs);
  bool IsSuspended() const { return suspended_.load(); }

  // Runs the prepared list on the calling thread (notifyWnd may be null). A throw inside ends the run
  // as Failed with an error message instead of a completion.
  Outcome Run(Win::HWND notifyWnd);

  // After the run: what it did, in processing order. File-list mode: the items processed; folder-list
  // mode: one record per file found, with its own path and outcome.
  const std::vector<tagPathItem>& Results() const { return results_; }
  std::vector<tagPathItem> TakeResults() { return std::move(results_); }
  const TYX_ImportSummary& Summary() const { return summary_; }
  const tagAddItemsInfo& Info() const { return info_; }
  Outcome GetOutcome() const { return outcome_.load(); }
  const std::string& GetError() const { return error_; }

  int GetAddType() const { return addType_; }
  std::uint32_t GetTarget() const { return target_; }
  bool IsFolderMode() const { return folderMode_; }
  const std::vector<tagPathItem>& Items() const { return items_; }

  // The copies a progress message carries (its wParam or lParam), once.
  std::optional<TYX_AddFilesNotice> TakeNotice(std::uint64_t number) { return outbox_.Take(number); }
  const TYX_Library_AddFilesOutbox& Outbox() const { return outbox_; }

 private:
  Outcome RunFileList();
  Outcome RunFolderList();
  // Walks one folder; false when the run was stopped inside.
  bool WalkFolder(TYX_FolderWalker& walker);
  // Probes and inserts one file, setting its status and index and counting it.
  void AddOne(tagPathItem& item);
  void Fail(tagPathItem& item, int status, TYX_ImportFailure reason);
  void WaitWhileSuspended();
  // Commits the open insert group. When the store lost the group, its songs are inserted again one by
  // one and the record is corrected.
  void CommitGroup();
  bool StopRequested() const { return stop_.load(); }

  // Message delivery. Sends give up after kAddFilesSendTimeoutMs and are skipped once a stop is asked.
  void Send(Win::UINT msg, const tagPathItem* item, bool withInfo);
  void Post(Win::UINT msg, const tagPathItem* item, bool withInfo);
  std::uint64_t PutNotice(const tagPathItem* item, bool withInfo, Win::WPARAM& w, Win::LPARAM& l);

  Win::DWORD ThreadMain();

  TYX_LibraryManager* libraryManager_ = nullptr;  // set by the window thread before a run
  Win::HWND notifyWnd_ = nullptr;                 // set before a run
  std::unique_ptr<Win::Thread> thread_;           // window thread
  Win::Event doneEvent_{true, false};
  // Manual reset: Suspend resets it before raising the flag, so a Resume given while the worker was not
  // paused leaves nothing behind for the next pause.
  Win::Event resumeEvent_{true, false};
  std::atomic<bool> stop_{false};       // written by the window thread, read by the worker
  std::atomic<bool> suspended_{false};  // written by the window thread, read by the worker

  // The prepared run; window thread before the run, worker during it.
  int addType_ = ADDTYPE_FILES;
  std::uint32_t target_ = kNoLibraryIndex;
  std::vector<tagPathItem> items_;
  std::string extFilter_;
  bool recursive_ = false;
  bool folderMode_ = false;
  bool prepared_ = false;
  std::size_t current_ = 0;

  // The run's own record; the worker during the run, anyone after it.
  tagAddItemsInfo info_;
  std::vector<tagPathItem> results_;
  TYX_ImportSummary summary_;
  std::string error_;
  std::atomic<Outcome> outcome_{Outcome::NotRun};
  bool groupOpen_ = false;             // the worker
  std::vector<std::size_t> grouped_;   // positions in results_ of the open group's inserts

  TYX_Library_AddFilesOutbox outbox_;
};

}  // namespace TYX::Library
