#include "page_directory.h"

#include <cstdio>

namespace TYX::Host {

namespace {
constexpr unsigned kCdTreeImage = 20124;
}

const std::vector<PageEntry>& PageDirectory::Pages() {
  static const std::vector<PageEntry> pages = {
      {"library", "every song of the library", "000000", 0},
      {"now-playing", "the now-playing list", "200000", 1},
      {"recent", "the last 100 songs played", "800000", 2},
      {"cd", "the tracks of the audio CD in the first drive", "300000", 3},
      {"ringtones", "ringtones (MIDI and SMAF melodies)", "600000", 4},
      {"sync", "the songs to put on the phone", "700000", 5},
      {"sent", "the songs transferred to the phone", "900000", 6},
  };
  return pages;
}

std::optional<PageEntry> PageDirectory::Find(const std::string& name) {
  for (const PageEntry& p : Pages())
    if (p.name == name) return p;
  return std::nullopt;
}

std::string PageDirectory::NameList() {
  std::string out;
  for (const PageEntry& p : Pages()) {
    if (!out.empty()) out += ", ";
    out += p.name;
  }
  return out;
}

std::vector<BandLayout> PageDirectory::SidebarLayout(int cdDrives) {
  static const char* titles[] = {"보관함", "현재재생목록", "최근들은 100곡", "CD", "벨소리", "내 기기에 담을 곡 목록",
                                 "전송 곡 목록"};
  std::vector<BandLayout> bands;
  for (const PageEntry& p : Pages()) {
    BandLayout band{titles[p.band], p.pageId};
    if (p.name == "cd") {
      band.treeImage = kCdTreeImage;
      for (int d = 0; d < cdDrives; ++d) {
        char id[16];
        std::snprintf(id, sizeof id, "3%05d", d + 1);
        band.nodes.emplace_back("CD 드라이브 " + std::to_string(d + 1), id);
      }
    }
    bands.push_back(band);
  }
  return bands;
}

}  // namespace TYX::Host
