#include "tags/tag_dialogs.h"

#include "contracts/media.h"
#include "tags/file_id3_edit2_dialog.h"
#include "tags/file_id3_edit_dialog.h"
#include "tags/file_property_dialog.h"
#include "tags/rich_text_dialog.h"
#include "toolkit/message_box.h"
#include "util/file_name.h"
#include "util/log.h"
#include "util/log_scope.h"

namespace TYX::Dialog {

using namespace TYX::Win;

TYX_LibraryItem* LiveLibraryItem(TYX_LibraryManager* manager, std::uint32_t index) {
  if (manager == nullptr || index == kNoLibraryIndex) return nullptr;
  TYX_LibraryItem* item = manager->GetLibraryItem(index);
  if (item == nullptr || item->GetReference() == kNoLibraryIndex) return nullptr;
  return item;
}

BOOL RunPropertyDialog(HWND parent, TYX_LibraryManager* manager, std::uint32_t index) {
  TYX_LogScope scope("TYX_Libarary_FuncSet::ShowPropertyDialog");
  TYX_LibraryItem* item = LiveLibraryItem(manager, index);
  if (item == nullptr) return FALSE;
  const std::string path = item->GetPath();
  TYX_Dialog_FileProperty dlg(parent);
  const bool hasImage = TYX_Dialog_FileProperty::IsAlbumImage(path) != 0;
  dlg.SetWindowSize(TYX_Dialog_FileProperty::kWidth,
                    hasImage ? TYX_Dialog_FileProperty::kHeightWithImage : TYX_Dialog_FileProperty::kHeightWithoutImage);
  dlg.SetFile(path);
  dlg.DoModal();
  return item->Update() ? TRUE : FALSE;
}

int RunID3EditDialog(HWND parent, TYX_LibraryManager* manager, std::uint32_t index) {
  TYX_LogScope scope("TYX_Libarary_FuncSet::ShowID3EditDialog");
  TYX_LibraryItem* item = LiveLibraryItem(manager, index);
  if (item == nullptr) return 0;
  TYX_Dialog_FileID3Edit dlg(parent);
  dlg.SetInitialRect(Rect{0, 0, TYX_Dialog_FileID3Edit::kWidth, TYX_Dialog_FileID3Edit::kHeight});
  if (!dlg.SetFile(item->GetPath())) return 0;
  if (dlg.DoModal() != IDOK) return 0;
  if (dlg.HasSearchTexts()) {
    for (std::size_t i = 0; i < kIdTextCount; ++i) item->SetIdText(i, dlg.GetSearchTexts()[i]);
    item->SetHighlight(dlg.GetHighlightStart(), dlg.GetHighlightLength());
  }
  item->Update();
  return 1;
}

int RunID3EditDialog2(HWND parent, TYX_LibraryManager* manager, const std::vector<std::uint32_t>& indexes) {
  TYX_LogScope scope("TYX_Libarary_FuncSet::ShowID3EditDialog2");
  TYX_Dialog_FileID3Edit2 dlg(parent);
  dlg.SetLibrary(manager, indexes);
  dlg.SetInitialRect(Rect{0, 0, TYX_Dialog_FileID3Edit2::kWidth, TYX_Dialog_FileID3Edit2::kHeight});
  return dlg.DoModal() == IDOK ? 1 : 0;
}

std::string LyricSubject(const std::string& path, const std::string& title, const std::string& artist) {
  if (title.empty()) return Util::GetFileName(path);
  if (artist.empty()) return title;
  return title + " - " + artist;
}

int RunLyricDialog(HWND parent, TYX_LibraryManager* manager, const std::string& path) {
  TYX_LogScope scope("TYX_Libarary_FuncSet::ShowLyricDialog");
  if (manager == nullptr || path.empty()) return 0;
  std::string error;
  TYX_MediaPtr media = TYX_Media::Instance(path, kMediaOpenRead, &error);
  if (!media || !media->IsValid()) {
    TYX_Log::Instance()->Add("TYX_Libarary_FuncSet::ShowLyricDialog : %s : %s", path.c_str(), error.c_str());
    return 0;
  }
  const std::string subject = LyricSubject(path, media->GetTitle(), media->GetArtist());
  const std::string lyrics = manager->ExtractFullLyrics(path);
  if (lyrics.empty()) {
    Controls::TYX_MessageBox::Show(parent, "가사가 존재하지 않습니다.", "", MB_OK);
    return 0;
  }
  TYX_Dialog_RichText dlg(parent);
  dlg.SetTitle("가사보기");
  dlg.SetInitialRect(Rect{0, 0, 400, 500});
  dlg.SetSubject(subject);
  dlg.SetContent(lyrics);
  dlg.DoModal();
  return 1;
}

int RunLyricDialog(HWND parent, TYX_LibraryManager* manager, std::uint32_t index) {
  TYX_LibraryItem* item = LiveLibraryItem(manager, index);
  if (item == nullptr) return 0;
  return RunLyricDialog(parent, manager, item->GetPath());
}

}  // namespace TYX::Dialog
