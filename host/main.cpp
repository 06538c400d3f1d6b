// The demo host: the main job. It makes a library in a fresh data folder, adds the audio files of a
// folder (by default a sample set it synthesises and tags), creates the category sidebar and the
// library panel, selects pages as a person would (band clicks, node clicks, row clicks) and prints each
// list as a table of its columns and rows, with the row status and the size total.
//
//   sonvar_host [--data DIR] [MUSIC_FOLDER]
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "components/audio/cd_drive.h"
#include "components/store/library_store.h"
#include "contracts/stock_playlist.h"
#include "host_frame.h"
#include "library/band_tree_wnd.h"
#include "platform/messaging.h"
#include "platform/user_agent.h"
#include "sample_library.h"
#include "toolkit/list_text.h"
#include "util/skin.h"

using namespace TYX;

namespace {

struct Options {
  std::string dataFolder;
  std::string musicFolder;
};

Options ParseArgs(int argc, char** argv) {
  Options o;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--data" && i + 1 < argc) {
      o.dataFolder = argv[++i];
    } else if (a == "--help" || a == "-h") {
      std::printf("usage: sonvar_host [--data DIR] [MUSIC_FOLDER]\n");
      std::exit(0);
    } else {
      o.musicFolder = a;
    }
  }
  if (o.dataFolder.empty()) {
    std::string tmpl = std::filesystem::temp_directory_path().string() + "/sonvar-demo-XXXXXX";
    if (!::mkdtemp(tmpl.data())) throw std::runtime_error("cannot make a data folder");
    o.dataFolder = tmpl;
  }
  return o;
}

const char* TypeName(Library::TYX_BandWnd::LibraryType t) {
  static const char* names[] = {"none",      "music library",  "saved list",  "now playing",
                                "recently played", "audio CD", "search result", "ringtones",
                                "host page", "sync list",      "transferred songs"};
  const int i = static_cast<int>(t);
  return i >= 0 && i <= 10 ? names[i] : "?";
}

void PrintPage(Host::HostFrame& frame, const std::string& how) {
  Library::TYX_LibraryPanel& panel = frame.Panel();
  const std::string page = frame.Band().GetSelectedPageID();
  std::printf("\n=== %s: page %s (%s), \"%s\"\n", how.c_str(), page.c_str(), TypeName(panel.GetCurrentListType()),
              frame.Band().GetSelectedPageTitle().c_str());
  Controls::TYX_ListCtrlEx* list = panel.GetCurrentListCtrl();
  if (!list) {
    std::printf("(no list)\n");
    return;
  }
  std::fputs(Controls::RenderListAsText(*list).c_str(), stdout);
  int present = 0, missing = 0;
  for (int r = 0; r < list->GetItemCount(); ++r) {
    const int status = list->GetItemField(r);
    if (status == Library::TYX_LibraryPanel::kRowStatusPresent) ++present;
    if (status == Library::TYX_LibraryPanel::kRowStatusMissing) ++missing;
  }
  std::printf("-- %d rows (%d present, %d missing), %d selected, size total %llu bytes\n", list->GetItemCount(),
              present, missing, panel.GetSelectedMediaCount(),
              static_cast<unsigned long long>(panel.GetTotalFileSize()));
}

// A person clicks a band button, then the host's loop handles what the click caused.
void ClickBand(Host::HostFrame& frame, int band) {
  Library::TYX_BandButton* button = frame.Band().GetItemButton(band);
  if (!button || !button->Click()) throw std::runtime_error("band button " + std::to_string(band) + " cannot be clicked");
  Win::PumpMessages();
}

void ClickNode(Host::HostFrame& frame, int band, int data) {
  Library::TYX_BandTreeWnd* tree = frame.Band().GetBandTreeWnd(band);
  if (!tree) throw std::runtime_error("band " + std::to_string(band) + " has no tree");
  if (!tree->GetBandTreeCtrl().ClickNode(frame.Band().GetBandItemFromData(band, data)))
    throw std::runtime_error("node cannot be clicked");
  Win::PumpMessages();
}

int Run(const Options& options) {
  // Prompts in this run get the default answer; say so on standard error.
  Win::SetUserAgent(std::make_shared<Win::HeadlessUserAgent>());
  if (!TYX_Skin::LoadDefault()) throw std::runtime_error("the default skin cannot be loaded");

  std::printf("data folder: %s\n", options.dataFolder.c_str());
  std::vector<std::string> files;
  std::string cdImage;
  if (options.musicFolder.empty()) {
    Host::SampleSet samples = Host::SampleLibrary::Synthesise(options.dataFolder + "/samples");
    files = samples.files;
    cdImage = samples.cdImage;
    std::printf("synthesised %zu sample files and a CD image\n", files.size());
  } else {
    files = Host::SampleLibrary::FindAudioFiles(options.musicFolder);
    std::printf("found %zu audio files under %s\n", files.size(), options.musicFolder.c_str());
  }
  if (!cdImage.empty()) Audio::SetAudioCD(Audio::CreateCdioAudioCD({cdImage}, false));

  auto opened = Store::TYX_LibraryStore::Open(options.dataFolder + "/library/music.db");
  if (!opened.store) throw std::runtime_error("the library cannot be opened: " + opened.error);
  Store::TYX_LibraryStore& store = *opened.store;
  TYX_Playlist* library = store.GetStockPlaylist(STOCK_PLAYLIST_LIBRARY);
  int added = 0;
  for (const std::string& path : files) {
    const std::uint32_t index = store.GetLibrary()->InsertItem(path, kItemKindFile);
    if (index == kNoLibraryIndex || library->InsertItem(index, 0) == kNoPosition) {
      std::fprintf(stderr, "not added: %s\n", path.c_str());
      continue;
    }
    ++added;
  }
  std::printf("added %d files to the library\n", added);

  Host::HostFrame frame(&store);
  const std::vector<Host::BandLayout> bands = {
      {"보관함", "000000"},
      {"저장목록", "100000", 20125, {{"즐겨 듣는 곡", "100001"}, {"운전할 때", "100002"}, {"잠들기 전", "100003"}}},
      {"현재재생목록", "200000"},
      {"최근들은 100곡", "800000"},
      {"CD", "300000", 20124, {{"CD 드라이브 1", "300001"}}},
      {"벨소리", "600000"},
      {"내 기기에 담을 곡 목록", "700000"},
      {"전송 곡 목록", "900000"},
  };
  if (!frame.CreateFrame(bands)) throw std::runtime_error("the windows cannot be created");
  Win::PumpMessages();

  ClickBand(frame, 0);
  PrintPage(frame, "band click");

  // The person selects the first two songs (a click and a Ctrl-click) and sends them to the
  // now-playing list; the first one plays.
  Controls::TYX_ListCtrlEx* list = frame.Panel().GetCurrentListCtrl();
  if (list && list->GetItemCount() >= 2) {
    list->ClickRow(0, 2);
    list->ClickRow(1, 2, Controls::MK_CONTROL);
    Win::PumpMessages();
    frame.Panel().SetNowPlayList(false, false, false);
    const std::vector<std::uint32_t> everything = [&] {
      std::vector<std::uint32_t> v;
      frame.Panel().GetAllMedia(v, nullptr);
      return v;
    }();
    // Songs heard earlier, songs already sent to the phone and songs waiting to go there.
    TYX_Playlist* recent = store.GetStockPlaylist(STOCK_PLAYLIST_OLDNOWPLAYING);
    TYX_Playlist* transferred = store.GetStockPlaylist(STOCK_PLAYLIST_TRANSFERRED);
    TYX_Playlist* sync = store.GetStockPlaylist(STOCK_PLAYLIST_SYNC);
    for (std::size_t i = 0; i < everything.size(); ++i) {
      if (i % 2 == 0) recent->InsertItem(everything[i], 0);
      if (i < 2) transferred->InsertItem(everything[i], 0);
      if (i >= 2) sync->InsertItem(everything[i], 0);
    }
    // The player starts the first song of the now-playing list: it records the play position and
    // tells the panel, which marks the row when the list is shown.
    store.GetStockPlaylist(STOCK_PLAYLIST_NOWPLAYING)->SetUserData(0);
    if (TYX_MediaPtr first = frame.Panel().NPL_GetMedia(0)) frame.Panel().SetNowPlayingMedia(first, 1);
  }
  Win::PumpMessages();
  ClickBand(frame, 1);
  PrintPage(frame, "band click");
  ClickNode(frame, 1, 0);
  PrintPage(frame, "node click");
  for (int b = 2; b < static_cast<int>(bands.size()); ++b) {
    if (b == 4) {
      ClickNode(frame, 4, 0);
      PrintPage(frame, "node click");
      continue;
    }
    ClickBand(frame, b);
    PrintPage(frame, "band click");
  }
  std::printf("\nsidebar selections reported to the host:");
  for (const std::string& s : frame.Selections()) std::printf(" %s", s.c_str());
  std::printf("\n");
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return Run(ParseArgs(argc, argv));
  } catch (const std::exception& e) {
    std::fprintf(stderr, "sonvar_host: %s\n", e.what());
    return 1;
  }
}
