#include "convert/ripping_request.h"

#include "components/audio/bass_api.h"
#include "contracts/library_item.h"
#include "contracts/library_manager.h"
#include "util/cd_track_name.h"
#include "util/log_scope.h"

namespace TYX::Dialog {

bool MakeRipInfo(const std::string& cdaPath, TYX_Dialog_Ripping::TYX_Rip_Info& info) {
  int drive = 0;
  int track = 0;
  if (!Util::GetCDAInfo(cdaPath, drive, track)) return false;
  info.drive = drive;
  info.track = track;
  const Audio::DWORD bytes = Audio::BASS_CD_GetTrackLength(static_cast<Audio::DWORD>(drive), static_cast<Audio::DWORD>(track));
  // (DWORD)-1 is the drive's failure; a length under 10 bytes counts as none.
  info.length = bytes == static_cast<Audio::DWORD>(-1) || bytes < 10
                    ? 0
                    : static_cast<std::int32_t>(bytes / static_cast<Audio::DWORD>(Audio::kCdBytesPerSecond));
  return true;
}

std::vector<TYX_Dialog_Ripping::TYX_Rip_Info> CollectRipTracks(TYX_LibraryManager* manager,
                                                               const std::vector<std::uint32_t>& positions) {
  std::vector<TYX_Dialog_Ripping::TYX_Rip_Info> tracks;
  if (manager == nullptr) return tracks;
  TYX_Playlist* cd = manager->GetStockPlaylist(STOCK_PLAYLIST_CDTRACK);
  if (cd == nullptr) return tracks;
  for (std::uint32_t position : positions) {
    TYX_LibraryItem* item = cd->GetItem_LibraryItem(position);
    if (item == nullptr) continue;
    TYX_Dialog_Ripping::TYX_Rip_Info info;
    if (MakeRipInfo(item->GetPath(), info)) tracks.push_back(info);
  }
  return tracks;
}

Win::HRESULT RipCDTracks(Win::HWND parent, TYX_LibraryManager* manager, const std::vector<std::uint32_t>& positions,
                         int* result) {
  TYX_LogScope scope("TYX_Dialog_Ripping::RipCDTracks");
  if (manager == nullptr) return Win::E_FAIL;
  std::vector<TYX_Dialog_Ripping::TYX_Rip_Info> tracks = CollectRipTracks(manager, positions);
  if (tracks.empty()) return Win::E_INVALIDARG;
  TYX_Dialog_Ripping dialog(parent);
  dialog.SetFileList(tracks);
  dialog.SetLibrary(manager);
  const int modal = dialog.DoModal();
  if (result != nullptr) *result = modal;
  return Win::S_OK;
}

}  // namespace TYX::Dialog
