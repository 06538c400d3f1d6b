#include "import/add_files_impl.h"

#include <exception>

#include "import/add_files_messages.h"
#include "import/audio_file_probe.h"
#include "import/audio_formats.h"
#include "import/folder_walker.h"
#include "platform/messaging.h"
#include "platform/window.h"
#include "util/log.h"
#include "util/log_scope.h"

namespace TYX::Library {

using namespace TYX::Win;

TYX_Library_AddFilesImpl::TYX_Library_AddFilesImpl() { items_.reserve(100); }

TYX_Library_AddFilesImpl::~TYX_Library_AddFilesImpl() { Stop(); }

HRESULT TYX_Library_AddFilesImpl::SetFromFileList(const std::vector<std::string>& files, int type,
                                                  std::uint32_t target) {
  if (files.empty()) return E_INVALIDARG;
  if (libraryManager_ == nullptr) return E_FAIL;
  addType_ = type;
  target_ = target;
  folderMode_ = false;
  extFilter_.clear();
  recursive_ = false;
  items_.clear();
  items_.reserve(std::max<std::size_t>(100, files.size()));
  for (const std::string& f : files) items_.push_back({f, kAddStatusAdded, kNoLibraryIndex});
  info_ = {};
  info_.total = static_cast<int>(items_.size());
  prepared_ = true;
  return S_OK;
}

HRESULT TYX_Library_AddFilesImpl::SetFromFolderList(const std::vector<std::string>& folders, int type,
                                                    std::uint32_t target, bool recursive,
                                                    const std::string& extFilter) {
  if (folders.empty()) return E_INVALIDARG;
  if (libraryManager_ == nullptr) return E_FAIL;
  addType_ = type;
  target_ = target;
  folderMode_ = true;
  extFilter_ = extFilter;
  recursive_ = recursive;
  items_.clear();
  items_.reserve(std::max<std::size_t>(100, folders.size()));
  for (const std::string& f : folders) items_.push_back({f, kAddStatusAdded, kNoLibraryIndex});
  info_ = {};
  info_.total = static_cast<int>(items_.size());
  prepared_ = true;
  return S_OK;
}

HRESULT TYX_Library_AddFilesImpl::Start(HWND notifyWnd) {
  if (notifyWnd == nullptr || !IsWindow(notifyWnd)) return E_FAIL;
  // An empty or refused list never prepared a run: there is nothing to start.
  if (!prepared_ || libraryManager_ == nullptr) return E_FAIL;
  Stop();
  stop_ = false;
  suspended_ = false;
  resumeEvent_.Reset();
  doneEvent_.Reset();
  notifyWnd_ = notifyWnd;
  outcome_ = Outcome::Running;
  thread_ = Thread::Create([this] { return ThreadMain(); }, /*suspended=*/false);
  if (!thread_) {
    outcome_ = Outcome::Failed;
    error_ = "no worker thread";
    doneEvent_.Set();
    TYX_Log::Instance()->Add("TYX_Library_AddFilesImpl::Start - no worker thread");
    return E_FAIL;
  }
  return S_OK;
}

HRESULT TYX_Library_AddFilesImpl::Stop() {
  stop_ = true;
  resumeEvent_.Set();
  if (thread_) {
    thread_->Wait(INFINITE);
    thread_.reset();
  }
  return E_FAIL;
}

HRESULT TYX_Library_AddFilesImpl::Suspend() {
  if (!thread_) return E_FAIL;
  resumeEvent_.Reset();
  suspended_ = true;
  return S_OK;
}

HRESULT TYX_Library_AddFilesImpl::Resume() {
  if (!thread_) return E_FAIL;
  suspended_ = false;
  resumeEvent_.Set();
  return S_OK;
}

bool TYX_Library_AddFilesImpl::WaitForEnd(DWORD timeoutMs) {
  if (!thread_) return true;
  return thread_->Wait(timeoutMs) == WAIT_OBJECT_0;
}

DWORD TYX_Library_AddFilesImpl::ThreadMain() {
  const Outcome outcome = Run(notifyWnd_);
  doneEvent_.Set();
  return outcome == Outcome::Completed ? 0 : 1;
}

TYX_Library_AddFilesImpl::Outcome TYX_Library_AddFilesImpl::Run(HWND notifyWnd) {
  TYX_LogScope scope("TYX_Library_AddFilesImpl::Run");
  notifyWnd_ = notifyWnd;
  results_.clear();
  summary_ = {};
  error_.clear();
  outcome_ = Outcome::Running;
  Outcome outcome = Outcome::Failed;
  if (!prepared_ || libraryManager_ == nullptr || libraryManager_->GetLibrary() == nullptr) {
    error_ = "no prepared list or no library";
  } else {
    try {
      outcome = folderMode_ ? RunFolderList() : RunFileList();
    } catch (const std::exception& e) {
      error_ = e.what();
      outcome = Outcome::Failed;
    } catch (...) {
      error_ = "unknown exception";
      outcome = Outcome::Failed;
    }
    try {
      CommitGroup();
    } catch (const std::exception& e) {
      TYX_Log::Instance()->Add("TYX_Library_AddFilesImpl::Run commit failed : %s", e.what());
    }
  }
  if (outcome == Outcome::Failed) {
    TYX_Log::Instance()->Add("TYX_Library_AddFilesImpl::Run failed : %s", error_.c_str());
    // The window waits for an end message: a failure is one too.
    Post(folderMode_ ? WM_ADDFOLDERS_ERROR : WM_ADDFILES_ERROR, nullptr, false);
  }
  outcome_ = outcome;
  return outcome;
}

TYX_Library_AddFilesImpl::Outcome TYX_Library_AddFilesImpl::RunFileList() {
  const bool toPlaylist = IsPlaylistType(addType_);
  info_ = {};
  info_.total = static_cast<int>(items_.size());
  Send(WM_ADDFILES_START, nullptr, false);
  auto stopped = [this] {
    if (!StopRequested()) return false;
    CommitGroup();
    Post(WM_ADDFILES_STOP, nullptr, false);
    return true;
  };
  for (current_ = 0; current_ < items_.size(); ++current_) {
    tagPathItem& item = items_[current_];
    ++info_.processed;
    if (stopped()) return Outcome::Stopped;
    // Every per-file report is posted: a synchronous hand-over per file costs more than reading the
    // file's tags, and the window's lists come from this worker's record at the end anyway.
    Post(WM_ADDFILES_ONEITEM_START, nullptr, false);
    if (stopped()) return Outcome::Stopped;
    item.status = kAddStatusAdded;
    item.libraryIndex = kNoLibraryIndex;
    info_.path = item.path;
    info_.status = item.status;
    Post(WM_ADDFILES_READDATA, &item, false);
    if (stopped()) return Outcome::Stopped;
    if (toPlaylist) {
      const TYX_ImportFailure why = ProbeAudioFile(item.path);
      if (why != TYX_ImportFailure::None)
        Fail(item, why == TYX_ImportFailure::Missing ? kAddStatusMissing : kAddStatusRefused, why);
    } else {
      AddOne(item);
    }
    info_.status = item.status;
    results_.push_back(item);
    if (grouped_.size() >= kInsertGroup) CommitGroup();
    Post(WM_ADDFILES_ONEITEM_END, &item, true);
    if (stopped()) return Outcome::Stopped;
    WaitWhileSuspended();
  }
  CommitGroup();
  Post(WM_ADDFILES_COMPLETE, nullptr, false);
  return Outcome::Completed;
}

void TYX_Library_AddFilesImpl::Fail(tagPathItem& item, int status, TYX_ImportFailure reason) {
  item.status = status;
  item.libraryIndex = kNoLibraryIndex;
  ++info_.failed;
  summary_.AddFailure(item.path, reason);
}

void TYX_Library_AddFilesImpl::AddOne(tagPathItem& item) {
  const TYX_ImportFailure why = ProbeAudioFile(item.path);
  if (why != TYX_ImportFailure::None) {
    Fail(item, why == TYX_ImportFailure::Missing ? kAddStatusMissing : kAddStatusRefused, why);
    return;
  }
  TYX_Library* library = libraryManager_->GetLibrary();
  if (!groupOpen_) {
    library->BeginUpdate();
    groupOpen_ = true;
  }
  const std::uint32_t before = library->CountItem();
  const std::uint32_t index = library->InsertItem(item.path, kItemKindFile);
  item.libraryIndex = index;
  if (index == kNoLibraryIndex) {
    Fail(item, kAddStatusRefused, TYX_ImportFailure::Refused);
  } else if (index < before) {
    item.status = kAddStatusPresent;
    ++info_.failed;
    ++summary_.alreadyThere;
  } else {
    item.status = kAddStatusAdded;
    ++info_.added;
    ++summary_.added;
    // The caller records the item next; its place there is remembered in case the group is lost.
    grouped_.push_back(results_.size());
  }
}

void TYX_Library_AddFilesImpl::CommitGroup() {
  if (!groupOpen_) return;
  groupOpen_ = false;
  std::vector<std::size_t> grouped;
  grouped.swap(grouped_);
  TYX_Library* library = libraryManager_->GetLibrary();
  if (library->EndUpdate()) return;
  TYX_Log::Instance()->Add("TYX_Library_AddFilesImpl::CommitGroup - the store lost a group of %zu songs",
                           grouped.size());
  for (std::size_t pos : grouped) {
    if (pos >= results_.size()) continue;
    tagPathItem& r = results_[pos];
    if (library->FindItem(r.path) != kNoLibraryIndex) continue;
    r.libraryIndex = library->InsertItem(r.path, kItemKindFile);
    if (r.libraryIndex == kNoLibraryIndex) {
      r.status = kAddStatusRefused;
      --info_.added;
      --summary_.added;
      ++info_.failed;
      summary_.AddFailure(r.path, TYX_ImportFailure::Refused);
    }
  }
}

TYX_Library_AddFilesImpl::Outcome TYX_Library_AddFilesImpl::RunFolderList() {
  info_ = {};
  info_.total = static_cast<int>(items_.size());
  Send(WM_ADDFOLDERS_START, nullptr, false);
  // One walker for the run: a folder reached from two roots is walked once.
  TYX_FolderWalker walker(recursive_, /*skipHidden=*/true);
  for (current_ = 0; current_ < items_.size(); ++current_) {
    tagPathItem& folder = items_[current_];
    if (StopRequested()) {
      CommitGroup();
      Post(WM_ADDFOLDERS_STOP, nullptr, false);
      return Outcome::Stopped;
    }
    folder.status = kAddStatusAdded;
    Post(WM_ADD_ONEITEM_START, &folder, false);
    if (!WalkFolder(walker)) return Outcome::Stopped;
    Post(WM_ADD_ONEITEM_END, &folder, false);
    WaitWhileSuspended();
  }
  CommitGroup();
  Post(WM_ADDFOLDERS_COMPLETE, nullptr, false);
  return Outcome::Completed;
}

bool TYX_Library_AddFilesImpl::WalkFolder(TYX_FolderWalker& walker) {
  tagPathItem& folder = items_[current_];
  if (folder.path.empty() || extFilter_.empty()) return true;  // nothing to look for
  const std::vector<std::string> patterns = SplitPatterns(extFilter_);
  if (patterns.empty()) return true;
  const bool toPlaylist = IsPlaylistType(addType_);
  using Visit = TYX_FolderWalker::Visit;
  bool stopped = false;
  auto stop = [&] {
    if (!StopRequested()) return false;
    if (!stopped) {
      CommitGroup();
      Post(WM_ADDFOLDERS_STOP, nullptr, false);
    }
    stopped = true;
    return true;
  };

  TYX_FolderWalker::Callbacks cb;
  cb.onFolder = [&](const std::string& path) {
    info_.path = path;
    Send(WM_ADD_ONEFOLDER_START, &folder, true);
    return stop() ? Visit::Stop : Visit::Continue;
  };
  cb.onFolderEnd = [&](const std::string&) { Post(WM_ADD_ONEFOLDER_END, &folder, false); };
  cb.onFailure = [&](const std::string& path, const std::string& why) {
    TYX_Log::Instance()->Add("TYX_Library_AddFilesImpl::WalkFolder skipped : %s (%s)", path.c_str(), why.c_str());
    ++info_.failed;
    summary_.AddFailure(path, TYX_ImportFailure::Unreadable);
    return stop() ? Visit::Stop : Visit::Continue;
  };
  cb.onFile = [&](const std::string& path, TYX_FolderWalker::EntryKind kind) {
    if (stop()) return Visit::Stop;
    if (!MatchesPatterns(FileNamePart(path), patterns)) return Visit::Continue;
    info_.path = path;
    info_.status = 0;
    tagPathItem file{path, kAddStatusAdded, kNoLibraryIndex};
    Post(WM_ADD_ONEFILE_START, &file, true);
    ++info_.processed;
    info_.total = info_.processed;
    Post(WM_ADDFOLDERS_READDATA, &file, true);
    if (kind == TYX_FolderWalker::EntryKind::Broken) {
      Fail(file, kAddStatusRefused, TYX_ImportFailure::Unreadable);
    } else if (kind == TYX_FolderWalker::EntryKind::Other) {
      Fail(file, kAddStatusRefused, TYX_ImportFailure::NotAudio);
    } else if (toPlaylist) {
      file.status = kAddStatusRefused;
      ++info_.failed;
    } else {
      AddOne(file);
    }
    folder.libraryIndex = file.libraryIndex;
    info_.status = file.status;
    results_.push_back(file);
    if (grouped_.size() >= kInsertGroup) CommitGroup();
    Post(WM_ADD_ONEFILE_END, &file, true);
    if (stop()) return Visit::Stop;
    WaitWhileSuspended();
    return stop() ? Visit::Stop : Visit::Continue;
  };
  walker.Walk(folder.path, cb);
  return !stopped;
}

void TYX_Library_AddFilesImpl::WaitWhileSuspended() {
  // Nothing stays uncommitted while the worker waits for the person.
  if (suspended_.load()) CommitGroup();
  while (suspended_.load() && !stop_.load()) resumeEvent_.Wait(INFINITE);
}

std::uint64_t TYX_Library_AddFilesImpl::PutNotice(const tagPathItem* item, bool withInfo, WPARAM& w, LPARAM& l) {
  w = 0;
  l = 0;
  if (item == nullptr && !withInfo) return 0;
  TYX_AddFilesNotice notice;
  if (item != nullptr) notice.item = *item;
  if (withInfo) notice.info = info_;
  const std::uint64_t number = outbox_.Put(notice);
  if (item != nullptr) w = static_cast<WPARAM>(number);
  if (withInfo) l = static_cast<LPARAM>(number);
  return number;
}

void TYX_Library_AddFilesImpl::Send(UINT msg, const tagPathItem* item, bool withInfo) {
  if (notifyWnd_ == nullptr || StopRequested()) return;
  WPARAM w;
  LPARAM l;
  const std::uint64_t number = PutNotice(item, withInfo, w, l);
  LRESULT result = 0;
  const BOOL delivered =
      SendMessageTimeout(notifyWnd_, msg, w, l, SMTO_ABORTIFHUNG, kAddFilesSendTimeoutMs, &result);
  // A handled send had its chance to take the copies; an unanswered one may still be handled later.
  if (number != 0 && delivered) outbox_.Drop(number);
}

void TYX_Library_AddFilesImpl::Post(UINT msg, const tagPathItem* item, bool withInfo) {
  if (notifyWnd_ == nullptr) return;
  WPARAM w;
  LPARAM l;
  const std::uint64_t number = PutNotice(item, withInfo, w, l);
  if (!PostMessage(notifyWnd_, msg, w, l) && number != 0) outbox_.Drop(number);
}

}  // namespace TYX::Library
