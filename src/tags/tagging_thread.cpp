#include "tags/tagging_thread.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>

#include "contracts/media.h"
#include "platform/window.h"
#include "toolkit/message_box.h"
#include "util/log.h"
#include "util/log_scope.h"

namespace TYX::Tags {
namespace {

std::mutex gInstanceLock;
TYX_MTaggingThread* gInstance = nullptr;  // made once, lives for the process

}  // namespace

TYX_MTaggingThread* TYX_MTaggingThread::Instance(int flag) {
  std::lock_guard<std::mutex> guard(gInstanceLock);
  if (gInstance == nullptr && flag == 0) {
    gInstance = new TYX_MTaggingThread();
    if (!gInstance->Start()) Util::TYX_Log::Instance()->Add("TYX_MTaggingThread::Instance : no thread could be started");
  }
  return gInstance;
}

TYX_MTaggingThread::TYX_MTaggingThread() {
  OnThreadMessage(WM_TAGGING_START, [this](Win::WPARAM wParam, Win::LPARAM lParam) {
    OnTaggingStart(reinterpret_cast<Win::HWND>(wParam), static_cast<int>(lParam));
  });
}

TYX_MTaggingThread::~TYX_MTaggingThread() {
  cancelDownloads_.store(true);
  RequestStop();
  if (ListBusy()) idle_.Wait();
  PostQuit();
  Join();
}

bool TYX_MTaggingThread::Start() {
  if (!CreateThread(true)) return false;
  ResumeThread();
  return true;
}

bool TYX_MTaggingThread::PostTaggingStart(Win::HWND window, int mode) {
  return PostThreadMessage(WM_TAGGING_START, reinterpret_cast<Win::WPARAM>(window), mode) != 0;
}

int TYX_MTaggingThread::SetTaggingList(const std::vector<std::string>& paths, int imageOption, int alwaysDownload) {
  if (ListBusy()) return 1;
  if (paths.empty()) return 2;
  Clear();
  list_.reserve(paths.size());
  for (const std::string& p : paths) {
    _Tag_Item item;
    CopyField(item.path, p);
    list_.push_back(std::move(item));
  }
  imageOption_ = imageOption;
  alwaysDownload_ = alwaysDownload;
  return 0;
}

int TYX_MTaggingThread::GetTaggingList(std::vector<_Tag_Item>& out) const {
  if (ListBusy()) return 1;
  out = list_;
  return 0;
}

void TYX_MTaggingThread::Clear() {
  StopThread();
  running_.store(0);
  stopRequested_.store(0);
  list_.clear();
}

void TYX_MTaggingThread::StopThread() {
  stopRequested_.store(1);
  // The pass sets the event as its last step; waiting on it replaces polling the flag.
  idle_.Wait();
}

void TYX_MTaggingThread::SetAlbumImageSettings(const AlbumImageSettings& settings) {
  imageSettings_ = settings;
  imageSettingsFixed_ = true;
}

std::string TYX_MTaggingThread::GetID(const char* prefix, const char* format, const std::string& value,
                                      bool allowEmpty) {
  if (value.empty() && allowEmpty) return {};
  // The value is read as a decimal number like atoi does: leading blanks, a sign, digits.
  const long long number = std::atoll(value.c_str());
  // The formats hold "%d"; the number is passed as a long long through the "ll" form of the same format.
  std::string wide = format;
  const std::size_t d = wide.rfind('d');
  if (d != std::string::npos) wide.insert(d, "ll");
  char out[64];
  std::snprintf(out, sizeof out, wide.c_str(), prefix, number);
  return out;
}

void TYX_MTaggingThread::PostStatus(Win::WPARAM status) {
  if (notify_ == nullptr) return;
  statusTexts_.emplace_back(currentPath_);
  while (statusTexts_.size() > kStatusTextsKept) statusTexts_.pop_front();
  Win::PostMessage(notify_, WM_TAGGING_STATUS, status, reinterpret_cast<Win::LPARAM>(statusTexts_.back().c_str()));
}

bool TYX_MTaggingThread::OnTaggingStart(Win::HWND window, int mode) {
  Util::TYX_LogScope scope("TYX_MTaggingThread::OnTaggingStart");
  if (passActive_.exchange(true)) {
    Util::TYX_Log::Instance()->Add("TYX_MTaggingThread::OnTaggingStart : a pass is already running");
    return false;
  }
  // From here the list is the pass's: a stop asked from now on ends it before its next file, and
  // StopThread waits for it, even while the component is still being probed.
  idle_.Reset();
  stopRequested_.store(0);
  // Early returns free the pass and then signal idle, in this order (the guards end in reverse), so a
  // caller woken by idle finds the list free; a pass that ran does both in EndPass.
  struct IdleGuard {
    Win::Event& idle;
    bool armed = true;
    ~IdleGuard() {
      if (armed) idle.Set();
    }
  } idleGuard{idle_};
  struct PassGuard {
    std::atomic<bool>& flag;
    bool armed = true;
    ~PassGuard() {
      if (armed) flag.store(false);
    }
  } guard{passActive_};
  notify_ = nullptr;
  if (mode == TAGGING_MODE_NOTIFY) {
    notify_ = window != nullptr ? window : Win::GetMainWindow();
    if (notify_ == nullptr || !Win::IsWindow(notify_)) {
      notify_ = nullptr;
      Controls::TYX_MessageBox::Show(Win::GetMainWindow(), kTaggingNoWindowText);
      return false;
    }
  }
  // Probe the component, registering it between failed tries.
  std::string error;
  std::unique_ptr<TYX_MusicIdentifier> probe;
  for (int attempt = 1; attempt <= kComponentCreateTries && !probe; ++attempt) {
    probe = TYX_MusicIdentifier::Create(&error);
    if (!probe && attempt < kComponentCreateTries) TYX_MusicIdentifier::Register();
  }
  if (!probe) {
    Util::TYX_Log::Instance()->Add("TYX_MTaggingThread::OnTaggingStart : component : %s", error.c_str());
    Controls::TYX_MessageBox::Show(Win::GetMainWindow(), kTaggingComponentFailText);
    return false;
  }
  probe.reset();
  if (!imageSettingsFixed_) imageSettings_ = AlbumImageSettings::FromConfiguration();
  imageSettings_.cancel = &cancelDownloads_;

  running_.store(1);
  currentPath_[0] = '\0';
  PostStatus(TAGGING_STATUS_STARTED);

  std::unique_ptr<TYX_MusicIdentifier> component = TYX_MusicIdentifier::Create(&error);
  if (!component || component->Initialize() != kIdentifyOk) {
    Util::TYX_Log::Instance()->Add("TYX_MTaggingThread::OnTaggingStart : component not ready : %s",
                                   component ? component->GetStatusText().c_str() : error.c_str());
    guard.armed = false;
    idleGuard.armed = false;
    EndPass();
    return true;
  }
  total_.store(static_cast<std::uint32_t>(list_.size()));
  for (std::size_t i = 0; i < list_.size() && stopRequested_.load() == 0; ++i) {
    currentNumber_.store(static_cast<std::uint32_t>(i + 1));
    CopyField(currentPath_, list_[i].path);
    PostStatus(TAGGING_STATUS_FILE);
    TagOneFile(list_[i], *component);
  }
  component.reset();
  guard.armed = false;
  idleGuard.armed = false;
  EndPass();
  return true;
}

void TYX_MTaggingThread::EndPass() {
  running_.store(0);
  PostStatus(TAGGING_STATUS_ENDED);
  passActive_.store(false);
  idle_.Set();
}

void TYX_MTaggingThread::TagOneFile(_Tag_Item& entry, TYX_MusicIdentifier& component) {
  const std::string path = entry.path;
  entry.count = 0;
  entry.candidates.clear();
  if (component.IdentifyFile(path) != kIdentifyOk) return;
  if (component.GetStatus() != kIdentifyStatusFound) {
    Util::TYX_Log::Instance()->Add("TYX_MTaggingThread : not identified : %s : %s", path.c_str(),
                                   component.GetStatusText().c_str());
    return;
  }
  entry.count = component.GetCandidateCount();
  if (entry.count <= 0) return;

  entry.candidates.resize(static_cast<std::size_t>(entry.count));
  for (std::int32_t i = 0; i < entry.count; ++i) {
    TaggingCandidate& c = entry.candidates[static_cast<std::size_t>(i)];
    CopyField(c.artist, component.GetArtist(i));
    CopyField(c.title, component.GetTitle(i));
    CopyField(c.album, component.GetAlbum(i));
    CopyField(c.extra, component.GetGenre(i));
    CopyField(c.number, std::to_string(i + 1));
    CopyField(c.songId, GetID("MI", "%s%010d", component.GetId(i, CandidateId::Song), false));
    CopyField(c.webId, GetID("WM", "%s%010d", component.GetId(i, CandidateId::Web), true));
    CopyField(c.albumId, GetID("MI", "%s%010d", component.GetId(i, CandidateId::Album), false));
    CopyField(c.artistId, GetID("MI", "%s%010d", component.GetId(i, CandidateId::Artist), false));
    CopyField(c.trackId, GetID("MI", "%s%05d", component.GetId(i, CandidateId::Track), false));
  }

  std::string error;
  TYX_MediaPtr media = TYX_Media::Instance(path, kMediaOpenRead, &error);
  if (!media || !media->IsValid()) {
    Util::TYX_Log::Instance()->Add("TYX_MTaggingThread : cannot open : %s : %s", path.c_str(), error.c_str());
    return;
  }
  const TaggingCandidate& best = entry.candidates.front();
  media->SetTitle(best.title);
  media->SetArtist(best.artist);
  media->SetAlbum(best.album);
  media->SetText(MediaText::ExtraText, best.extra);

  std::string image;
  if (imageOption_ != 0 && (alwaysDownload_ == 1 || !media->HasAlbumImage())) {
    image = FileDownload(best.title, best.artist, best.album);
    if (!image.empty() && !media->SetAlbumImagePath(image)) {
      Util::TYX_Log::Instance()->Add("TYX_MTaggingThread : image refused : %s", path.c_str());
    }
  }
  const std::int32_t saved = media->Save();
  if (!image.empty()) std::remove(image.c_str());
  if (saved != 0) {
    Util::TYX_Log::Instance()->Add("TYX_MTaggingThread : save failed : %s : %s", path.c_str(),
                                   media->GetLastError().c_str());
    return;
  }
  media.reset();
  // The file now carries known tags: its copies are recognised offline from now on.
  if (component.Remember(path) != kIdentifyOk) {
    Util::TYX_Log::Instance()->Add("TYX_MTaggingThread : not remembered : %s : %s", path.c_str(),
                                   component.GetStatusText().c_str());
  }
}

std::string TYX_MTaggingThread::FileDownload(const std::string& title, const std::string& artist,
                                             const std::string& album) {
  if (!imageSettingsFixed_ && imageSettings_.base.empty()) imageSettings_ = AlbumImageSettings::FromConfiguration();
  const AlbumImageResult r = DownloadAlbumImage(imageSettings_, title, artist, album);
  if (r.path.empty()) Util::TYX_Log::Instance()->Add("TYX_MTaggingThread::FileDownload : %s", r.error.c_str());
  return r.path;
}

}  // namespace TYX::Tags
