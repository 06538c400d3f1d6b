#pragma once
// The pages a person can open in the sidebar, by the names the command line uses: each name's band,
// the node under it (for a CD drive) and the sidebar's own title.
#include <optional>
#include <string>
#include <vector>

#include "host_frame.h"

namespace TYX::Host {

struct PageEntry {
  std::string name;     // command-line name ("library", "now-playing", ...)
  std::string what;     // a few words for --help
  std::string pageId;   // the band's page ID
  int band = 0;         // band position in the sidebar
};

class PageDirectory {
 public:
  // The pages in sidebar order.
  static const std::vector<PageEntry>& Pages();
  static std::optional<PageEntry> Find(const std::string& name);
  // "library, now-playing, ..." for messages.
  static std::string NameList();
  // The sidebar: one band per page; the CD band gets one node per drive ("CD 드라이브 1", ...).
  static std::vector<BandLayout> SidebarLayout(int cdDrives);
};

}  // namespace TYX::Host
