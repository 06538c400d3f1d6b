#pragma once
// Shared pieces of the panel tests: a real store in a temporary folder, a host window that records
// what the panel sends it, the panel with its real list controls, and readers of list rows.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "components/store/library_store.h"
#include "library/band_wnd.h"
#include "library/library_panel.h"
#include "library/library_search_wnd.h"
#include "platform/os_services.h"
#include "platform/window.h"
#include "helpers/media_fixtures.h"
#include "helpers/temp_dir.h"

namespace TYX::Library::Test {

class PanelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto result = Store::TYX_LibraryStore::Open(dir_.File("lib/music.db"));
    ASSERT_TRUE(result.store) << result.error;
    store_ = std::move(result.store);
    host_.OnMessage(WM_LIBRARY_SHOW_BAR, [this](Win::WPARAM w, Win::LPARAM l) {
      barMessages_.push_back({w, l});
      return Win::LRESULT{0};
    });
    ASSERT_TRUE(host_.Create(nullptr, Win::Rect{0, 0, 840, 640}, Win::WS_POPUP | Win::WS_VISIBLE));
    panel_.SetLibraryManager(store_.get());
    // The now-playing state file of an earlier test would mark rows here.
    std::remove(NowPlayingStateFile().c_str());
    ASSERT_TRUE(panel_.CreatePanel(host_.GetSafeHwnd(), Win::Rect{0, 0, 800, 600}, 100));
  }

  // A song file (not parsable audio) put into the library and playlist 2; returns its library index.
  std::uint32_t AddSong(const std::string& name, const std::string& title = {}, const std::string& artist = {},
                        const std::string& album = {}, std::uint32_t seconds = 0) {
    const std::string path = dir_.Write("music/" + name, "not audio");
    const std::uint32_t index = store_->GetLibrary()->InsertItem(path, kItemKindFile);
    EXPECT_NE(index, kNoLibraryIndex) << path;
    EXPECT_NE(Playlist(STOCK_PLAYLIST_LIBRARY)->InsertItem(index, 0), kNoPosition);
    TYX_LibraryItem* item = store_->GetLibraryItem(index);
    if (item != nullptr) {
      if (!title.empty()) {
        EXPECT_TRUE(item->SetTitle(title));
      }
      if (!artist.empty()) {
        EXPECT_TRUE(item->SetArtist(artist));
      }
      if (!album.empty()) {
        EXPECT_TRUE(item->SetAlbum(album));
      }
      EXPECT_TRUE(item->SetDuration(seconds));
    }
    return index;
  }
  // A real one-second MP3 put into the library and playlist 2; returns its library index.
  std::uint32_t AddRealMp3(const std::string& name) {
    const std::string path = SongPath(name);
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    TYX::Test::SynthOptions options;
    options.seconds = 1.0;
    EXPECT_EQ(TYX::Test::SynthesizeAudio(path, TYX::Test::SynthFormat::MP3, options), "");
    const std::uint32_t index = store_->GetLibrary()->InsertItem(path, kItemKindFile);
    EXPECT_NE(index, kNoLibraryIndex);
    EXPECT_NE(Playlist(STOCK_PLAYLIST_LIBRARY)->InsertItem(index, 0), kNoPosition);
    return index;
  }
  // Where the panel keeps the now-playing state: beside the program.
  static std::string NowPlayingStateFile() { return Win::Os::GetModuleFolder() + "/sonvarmusic.imx"; }
  std::string SongPath(const std::string& name) const { return dir_.File("music/" + name); }

  TYX_Playlist* Playlist(ENUM_STOCK_PLAYLIST id) { return store_->GetStockPlaylist(id); }
  TYX_LibraryItem* Item(std::uint32_t index) { return store_->GetLibraryItem(index); }
  TYX_LibraryPanel::ListCtrl* List(TYX_LibraryPanel::ListIndex which) { return panel_.GetListCtrl(which); }

  // Readers of a list control's rows.
  static int Rows(TYX_LibraryPanel::ListCtrl* list) { return list->GetItemCount(); }
  static std::string Text(TYX_LibraryPanel::ListCtrl* list, int row, int column) { return list->GetCellText(row, column); }
  static std::uint32_t Number(TYX_LibraryPanel::ListCtrl* list, int row, int column) {
    EXPECT_EQ(list->GetCellKind(row, column), Controls::ListCellKind::Number) << row << "," << column;
    return static_cast<std::uint32_t>(list->GetCellNumber(row, column, -1));
  }
  static bool IsText(TYX_LibraryPanel::ListCtrl* list, int row, int column) {
    return list->GetCellKind(row, column) == Controls::ListCellKind::Text;
  }
  static Win::UINT Flags(TYX_LibraryPanel::ListCtrl* list, int row, int column) { return list->GetCellFlags(row, column); }
  static std::uint32_t Key(TYX_LibraryPanel::ListCtrl* list, int row) { return list->GetFieldKey(row); }
  static int Status(TYX_LibraryPanel::ListCtrl* list, int row) { return list->GetItemField(row); }
  static void Select(TYX_LibraryPanel::ListCtrl* list, int row, bool on = true) {
    ASSERT_TRUE(list->SetSelectedItem(row, on ? Win::TRUE : Win::FALSE));
  }
  // The row carrying the playing mark and the mark (-1 and 0 when none).
  static std::pair<int, int> NowPlayingMark(TYX_LibraryPanel::ListCtrl* list) {
    if (list->GetNowPlayingMark() == 0) return {-1, 0};
    return {list->GetNowPlayingRow(), list->GetNowPlayingMark()};
  }
  static const std::vector<Controls::TYX_ListColumn>& Columns(TYX_LibraryPanel::ListCtrl* list) {
    return list->GetColumns();
  }
  static std::vector<std::string> ColumnTitles(TYX_LibraryPanel::ListCtrl* list) {
    std::vector<std::string> titles;
    for (const auto& c : list->GetColumns()) titles.push_back(c.title);
    return titles;
  }
  static const std::vector<Win::UINT>& HeaderImages(TYX_LibraryPanel::ListCtrl* list) { return list->GetHeaderImages(); }
  static int HeaderHeight(TYX_LibraryPanel::ListCtrl* list) { return list->GetHeaderHeight(); }
  static std::vector<Win::COLORREF> Colors(TYX_LibraryPanel::ListCtrl* list) {
    std::vector<Win::COLORREF> colors;
    for (int i = 0; i < Controls::TYX_ListCtrlEx::kColorCount; ++i) colors.push_back(list->GetListColor(i));
    return colors;
  }
  static int RowHeight(TYX_LibraryPanel::ListCtrl* list) { return list->GetRowHeight(); }

  TYX::Test::TempDir dir_;
  std::unique_ptr<Store::TYX_LibraryStore> store_;
  Win::Window host_;
  std::vector<std::pair<Win::WPARAM, Win::LPARAM>> barMessages_;
  TYX_LibraryPanel panel_;
};

}  // namespace TYX::Library::Test
