// The seven list controls: creation, columns, header and colours, and the icon tables.
#include <utility>
#include <vector>

#include "library/library_panel.h"
#include "library/panel_columns.h"
#include "util/skin.h"

namespace TYX::Library {

namespace {

// One column as the list controls are given it.
struct ColumnDef {
  int kind = 0;
  int flag = 0;
  int width = 0;
  int width2 = 0;
  int drawCode = 0;
  const char* title = "";
  std::vector<std::pair<Win::UINT, int>> images;  // (skin image ID, image kind)
};

// The 20 type icons, icon index 1 to 20.
std::vector<std::pair<Win::UINT, int>> TypeIcons() {
  static const Win::UINT ids[20] = {20141, 20152, 20154, 20155, 20156, 20157, 20158, 20159, 20160, 20142,
                                    20143, 20144, 20145, 20146, 20147, 20148, 20149, 20150, 20151, 20153};
  std::vector<std::pair<Win::UINT, int>> images;
  for (Win::UINT id : ids) images.emplace_back(id, 5);
  return images;
}

std::vector<std::pair<Win::UINT, int>> TitleImages() { return {{20168, 3}, {20176, 5}, {20177, 5}}; }

using Controls::kListDrawCheckBox;
using Controls::kListDrawIcon;
using Controls::kListDrawNumber;
using Controls::kListDrawPlain;
using Controls::kListDrawText;
using Controls::kListDrawTitle;

ColumnDef CheckColumn() { return {1, 1, 49, 49, kListDrawCheckBox, "", {{20140, 2}}}; }
ColumnDef OrderColumn() { return {38, 1, 28, 26, kListDrawNumber, "정렬", {{20180, 20}}}; }
ColumnDef TitleColumn(const char* title) { return {5, 0, 280, 26, kListDrawTitle, title, TitleImages()}; }
ColumnDef TypeColumn() { return {3, 1, 62, 26, kListDrawIcon, "종류", TypeIcons()}; }
ColumnDef TextColumn(int kind, int flag, int width, int width2, const char* title) {
  return {kind, flag, width, width2, kListDrawText, title, {}};
}

// Library and transferred songs.
std::vector<ColumnDef> LibraryColumns() {
  namespace C = LibraryColumn;
  std::vector<ColumnDef> columns(C::kCount);
  columns[C::kCheck] = CheckColumn();
  columns[C::kOrder] = OrderColumn();
  columns[C::kTitle] = TitleColumn("곡명");
  columns[C::kArtist] = TextColumn(7, 0, 112, 52, "아티스트");
  columns[C::kAlbum] = TextColumn(14, 0, 95, 26, "앨범");
  columns[C::kTime] = TextColumn(14, 1, 55, 26, "시간");
  columns[C::kType] = TypeColumn();
  return columns;
}

// Now playing and previously played; only the lyric column's width differs.
std::vector<ColumnDef> NowPlayingColumns(int lyricWidth) {
  namespace C = NowPlayingColumn;
  std::vector<ColumnDef> columns(C::kCount);
  columns[C::kOrder] = OrderColumn();
  columns[C::kTitle] = TitleColumn("곡명");
  columns[C::kArtist] = TextColumn(6, 0, 112, 52, "아티스트");
  columns[C::kAlbum] = TextColumn(13, 0, 95, 26, "앨범");
  columns[C::kTime] = TextColumn(14, 1, 55, 26, "시간");
  columns[C::kLyric] = {19, 1, lyricWidth, 26, kListDrawIcon, "가사",
                        {{20163, 5}, {20167, 5}, {20165, 5}, {20166, 5}, {20164, 5}}};
  columns[C::kType] = TypeColumn();
  return columns;
}

// The CD list: as the library list, with plain order and title columns.
std::vector<ColumnDef> CdColumns() {
  std::vector<ColumnDef> columns = LibraryColumns();
  columns[LibraryColumn::kOrder].drawCode = kListDrawPlain;
  columns[LibraryColumn::kOrder].images.clear();
  columns[LibraryColumn::kTitle].drawCode = kListDrawText;
  columns[LibraryColumn::kTitle].images.clear();
  return columns;
}

std::vector<ColumnDef> MyMelodyColumns() {
  namespace C = MelodyColumn;
  std::vector<ColumnDef> columns(C::kCount);
  columns[C::kCheck] = CheckColumn();
  columns[C::kOrder] = OrderColumn();
  columns[C::kTitle] = TitleColumn("파일");
  columns[C::kPolyphony] = TextColumn(7, 1, 112, 26, "화음");
  columns[C::kType] = TypeColumn();
  columns[C::kSize] = TextColumn(7, 1, 112, 26, "크기");
  return columns;
}

// The sync list: the library columns with the transfer state picture and the size.
std::vector<ColumnDef> SyncColumns() {
  namespace C = SyncColumn;
  std::vector<ColumnDef> columns(C::kCount);
  columns[C::kCheck] = CheckColumn();
  columns[C::kOrder] = OrderColumn();
  columns[C::kTitle] = TitleColumn("곡명");
  columns[C::kProgress] = {60, 1, 70, 52, kListDrawTransferState, "진행상태", {}};
  columns[C::kArtist] = TextColumn(7, 0, 112, 52, "아티스트");
  columns[C::kAlbum] = TextColumn(14, 0, 95, 26, "앨범");
  columns[C::kSize] = TextColumn(14, 2, 55, 26, "크기");
  columns[C::kType] = TypeColumn();
  return columns;
}

std::vector<Controls::TYX_ListColumn> ToRecords(const std::vector<ColumnDef>& defs) {
  std::vector<Controls::TYX_ListColumn> records;
  records.reserve(defs.size());
  for (const ColumnDef& d : defs) {
    Controls::TYX_ListColumn c;
    c.kind = d.kind;
    c.flag = d.flag;
    c.width = d.width;
    c.secondWidth = d.width2;
    c.drawCode = d.drawCode;
    c.title = d.title;
    for (const auto& [id, kind] : d.images) c.images.push_back(Controls::TYX_ListColumnImage{id, kind});
    records.push_back(std::move(c));
  }
  return records;
}

constexpr Win::UINT kHeaderImages[8] = {20178, 20178, 20179, 20190, 20190, 20190, 20189, 20519};
constexpr int kHeaderHeight = 22;
constexpr Win::COLORREF kListColors[8] = {0xFFFFFF, 0xFBF7F5, 0xA6447E, 0x4C4C4C,
                                          0x4C4C4C, 0xFFFFFF, 0xBF5759, 0xCECAC8};

}  // namespace

void TYX_LibraryPanel::InitListCtrl(const Win::Rect& rect) {
  InitListCtrlLIB(rect);
  InitListCtrlNP(rect);
  InitListCtrlOldNP(rect);
  InitListCtrlCD(rect);
  InitListCtrlMyMelody(rect);
  InitListCtrlSync(rect);
  InitListCtrlWebDownload(rect);
}

bool TYX_LibraryPanel::CreateListCtrl(ListIndex which, const Win::Rect& rect) {
  if (lists_[which]) return false;
  auto list = std::make_unique<ListCtrl>();
  if (!list->CreateListCtrl(GetSafeHwnd(), rect, kListCtrlId, kListCtrlStyle)) return false;
  list->SetHeaderInfoEx(std::vector<Win::UINT>(std::begin(kHeaderImages), std::end(kHeaderImages)), kHeaderHeight);
  list->SetListColor(kListColors[0], kListColors[1], kListColors[2], kListColors[3], kListColors[4], kListColors[5],
                     kListColors[6], kListColors[7]);
  // Without a loaded skin the colour read last (or 0) stays.
  if (const Util::TYX_Skin* skin = Util::TYX_Skin::Instance()) skinColor_ = skin->GetColor(kSkinColorList, skinColor_);
  lists_[which] = std::move(list);
  return true;
}

void TYX_LibraryPanel::InitListCtrlLIB(const Win::Rect& rect) {
  if (CreateListCtrl(LIST_LIBRARY, rect)) {
    lists_[LIST_LIBRARY]->InitListExControl(ToRecords(LibraryColumns()), kListRowHeight);
    lists_[LIST_LIBRARY]->SetDropTargetWnd(dropTargetWnd_);
  }
}

void TYX_LibraryPanel::InitListCtrlNP(const Win::Rect& rect) {
  if (CreateListCtrl(LIST_NOWPLAYING, rect)) {
    lists_[LIST_NOWPLAYING]->InitListExControl(ToRecords(NowPlayingColumns(40)), kListRowHeight);
  }
}

void TYX_LibraryPanel::InitListCtrlOldNP(const Win::Rect& rect) {
  if (CreateListCtrl(LIST_OLDNOWPLAYING, rect)) {
    lists_[LIST_OLDNOWPLAYING]->InitListExControl(ToRecords(NowPlayingColumns(62)), kListRowHeight);
  }
}

void TYX_LibraryPanel::InitListCtrlCD(const Win::Rect& rect) {
  if (CreateListCtrl(LIST_CD, rect)) lists_[LIST_CD]->InitListExControl(ToRecords(CdColumns()), kListRowHeight);
}

void TYX_LibraryPanel::InitListCtrlMyMelody(const Win::Rect& rect) {
  if (CreateListCtrl(LIST_MYMELODY, rect)) {
    lists_[LIST_MYMELODY]->InitListExControl(ToRecords(MyMelodyColumns()), kListRowHeight);
  }
}

void TYX_LibraryPanel::InitListCtrlSync(const Win::Rect& rect) {
  if (CreateListCtrl(LIST_SYNC, rect)) lists_[LIST_SYNC]->InitListExControl(ToRecords(SyncColumns()), kListRowHeight);
}

void TYX_LibraryPanel::InitListCtrlWebDownload(const Win::Rect& rect) {
  if (CreateListCtrl(LIST_WEBDOWNLOAD, rect)) {
    lists_[LIST_WEBDOWNLOAD]->InitListExControl(ToRecords(LibraryColumns()), kListRowHeight);
  }
}

void TYX_LibraryPanel::ClearListCtrl() {
  for (auto& list : lists_) {
    if (list && list->IsAlive()) list->DeleteAllItem();
  }
}

int TYX_LibraryPanel::GetMediaType(TYX_FILETYPE type) {
  switch (type) {
    case 4: return 3;
    case 5: return 4;
    case 8: return 2;
    case 9: return 5;
    case 10: return 7;
    case 11: return 6;
    case 12: return 8;
    case 16: return 19;
    case 20: return 12;
    case 21: return 11;
    case 22: return 13;
    case 23: return 14;
    case 24: return 10;
    case 25: return 16;
    case 32: return 20;
    default: return 1;
  }
}

int TYX_LibraryPanel::GetLyricIconIndex(std::uint32_t lyricFlags) {
  if (lyricFlags & kLyricFileLrc) return 3;
  if (lyricFlags & kLyricTimedTag) return 2;
  if (lyricFlags & kLyricTag) return 2;
  if (lyricFlags & kLyricFileText) return 1;
  return 0;
}

}  // namespace TYX::Library
