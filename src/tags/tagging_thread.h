#pragma once
// The automatic tagging worker: identifies songs by their sound and fills in their tags.
//
// One instance per process (Instance), with a thread of its own running a message loop from creation.
// A caller sets the tagging list (SetTaggingList) and either posts WM_TAGGING_START to the thread (the
// pass then runs there and reports WM_TAGGING_STATUS to a window) or calls OnTaggingStart itself, which
// runs the pass on the calling thread (the panel's transfer does so, without notices).
//
// For each file the identification component is asked for candidates; every candidate is kept in the
// file's entry, the first one's artist, title, album and fourth text are written into the file, and,
// when asked, an album image is fetched and embedded. A file whose tags were saved is remembered in the
// component's local index, so that its copies are known offline from then on.
//
// Threads: the list and the option fields belong to whichever thread runs the pass from the pass's
// first step (the component probe included) to its end, and to the caller's thread otherwise
// (SetTaggingList and GetTaggingList refuse, and Clear waits, while a pass runs). running and stop
// requested are atomics read by every thread.
//
// Status texts: lParam of WM_TAGGING_STATUS points to a copy of the current path kept by the worker;
// the copies of the last kStatusTextsKept notices stay readable, so a notice read late never sees a
// path that changed under it.
#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "contracts/music_identifier.h"
#include "platform/event.h"
#include "platform/types.h"
#include "platform/win_thread.h"
#include "tags/album_image_download.h"
#include "tags/tagging_records.h"

namespace TYX::Tags {

constexpr std::size_t kStatusTextsKept = 4096;
constexpr int kComponentCreateTries = 3;

constexpr const char* kTaggingNoWindowText = "음악파일 태깅를 실행할 수 없습니다.";
constexpr const char* kTaggingComponentFailText = "MTaggingSonvar.TaggingSonvar Initialize FAIL!!!!";

class TYX_MTaggingThread : public Win::WinThread {
 public:
  // Flag 0 makes the instance on first use and starts its thread; any other flag only returns the
  // instance, or null when there is none.
  static TYX_MTaggingThread* Instance(int flag = 0);

  // A worker of its own (tests); its thread is started by Start.
  TYX_MTaggingThread();
  ~TYX_MTaggingThread() override;
  bool Start();

  bool IsRunning() const { return running_.load() != 0; }
  // 1 while a pass runs, 2 for an empty list, else 0 (the previous list is cleared, one entry per path).
  int SetTaggingList(const std::vector<std::string>& paths, int imageOption, int alwaysDownload);
  // 1 while a pass runs, else 0 with a deep copy of the entries.
  int GetTaggingList(std::vector<_Tag_Item>& out) const;
  // Stops a pass, resets both flags and empties the list.
  void Clear();
  // Asks the running pass to end before its next file and waits until it has ended.
  void StopThread();
  // Asks the running pass to end before its next file, without waiting.
  void RequestStop() { stopRequested_.store(1); }

  // Runs one pass over the list on the calling thread. Mode 0 reports to the window (or the main
  // window); mode 1 runs without notices. False when no pass ran (no window, no component, or another
  // pass still running: two passes over one list would tag the same files at once).
  bool OnTaggingStart(Win::HWND window, int mode);
  // Posts WM_TAGGING_START to the worker's thread.
  bool PostTaggingStart(Win::HWND window, int mode);

  // An album image for the song: the path of a new temporary image file (the caller deletes it), or
  // an empty text.
  std::string FileDownload(const std::string& title, const std::string& artist, const std::string& album);

  // The album-image service; read from the configuration at each pass unless set here (tests).
  void SetAlbumImageSettings(const AlbumImageSettings& settings);

  // "MI0000012345": prefix and the value read as a decimal number, in the format ("%s%010d" or
  // "%s%05d"). An empty value gives an empty text for the web id (allowEmpty), else reads as 0.
  static std::string GetID(const char* prefix, const char* format, const std::string& value, bool allowEmpty);

  std::uint32_t CurrentNumber() const { return currentNumber_.load(); }
  std::uint32_t Total() const { return total_.load(); }

 private:
  // The list belongs to a pass from its first step (the component probe included) to its end.
  bool ListBusy() const { return passActive_.load() || running_.load() != 0; }
  void PostStatus(Win::WPARAM status);
  void TagOneFile(_Tag_Item& entry, TYX_MusicIdentifier& component);
  void EndPass();

  std::vector<_Tag_Item> list_;            // see the thread note above
  int imageOption_ = 0;
  int alwaysDownload_ = 0;
  std::atomic<std::int32_t> running_{0};
  std::atomic<std::int32_t> stopRequested_{0};
  std::atomic<bool> passActive_{false};    // one pass at a time, whichever thread starts it
  Win::Event idle_{true, true};            // set while no pass runs; StopThread waits on it
  Win::HWND notify_ = nullptr;             // the pass's thread
  char currentPath_[260] = {0};            // the pass's thread
  std::atomic<std::uint32_t> currentNumber_{0};
  std::atomic<std::uint32_t> total_{0};
  std::deque<std::string> statusTexts_;    // the pass's thread; copies behind posted notices
  bool imageSettingsFixed_ = false;        // caller's thread, between passes
  AlbumImageSettings imageSettings_;
  std::atomic<bool> cancelDownloads_{false};
};

}  // namespace TYX::Tags
