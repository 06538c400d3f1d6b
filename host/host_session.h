#pragma once
// One run of sonvar against a library: the data location applied, the library store opened, the skin
// loaded, the sidebar and the panel created in the host's frame. Pages are opened the way a person
// opens them: a click on the band's button, or on the drive's node under the CD band.
#include <memory>
#include <string>
#include <vector>

#include "components/store/library_store.h"
#include "data_location.h"
#include "host_frame.h"
#include "page_directory.h"
#include "platform/user_agent.h"

namespace TYX::Host {

class HostSession {
 public:
  struct Options {
    std::string dataFolder;               // empty: the default folders
    bool createLibrary = false;           // false: a missing library is an error
    std::vector<std::string> cdImages;    // cue sheets that act as CD drives before the real drives
    // The person at the screen; null: prompts take their default answer and are logged.
    std::shared_ptr<Win::UserAgent> agent;
  };

  HostSession();
  ~HostSession();

  // Empty on success, else the reason (for the user, without the program name).
  std::string Open(const Options& options);
  // Clicks the page open and lets the panel fill it. Empty on success, else the reason.
  std::string ShowPage(const PageEntry& page);

  const DataLocation& Location() const { return *location_; }
  HostFrame& Frame() { return *frame_; }
  TYX_LibraryManager& Store() { return *store_; }
  int CdDriveCount() const { return cdDrives_; }

 private:
  std::unique_ptr<DataLocation> location_;
  std::unique_ptr<Store::TYX_LibraryStore> store_;
  std::unique_ptr<HostFrame> frame_;
  int cdDrives_ = 0;
};

}  // namespace TYX::Host
