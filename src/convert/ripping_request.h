#pragma once
// The panel's way into CD ripping (its handler of message 0x948F, OnCDRipping): the panel decides
// which rows of its CD page are asked for (the selected ones, or all when wParam is 1) and passes their
// row keys, which are positions in the CD-tracks stock playlist (7). RipCDTracks reads each entry's
// track name ("E:\Track01.cda"), turns it into drive, track and length, and shows the ripping dialog
// modally over `parent` with the tracks and the store.
#include <cstdint>
#include <string>
#include <vector>

#include "convert/ripping_dialog.h"
#include "platform/types.h"

namespace TYX {
class TYX_LibraryManager;
}

namespace TYX::Dialog {

// One track's entry from its CD-track name: drive and zero-based track from the name, length in whole
// seconds from the drive (bytes / 176400; 0 when the drive gives less than 10 bytes or nothing). False
// when the name is no track of a CD drive.
bool MakeRipInfo(const std::string& cdaPath, TYX_Dialog_Ripping::TYX_Rip_Info& info);

// The tracks at the given positions of stock playlist 7, in the order given; positions that hold no CD
// track are left out.
std::vector<TYX_Dialog_Ripping::TYX_Rip_Info> CollectRipTracks(TYX_LibraryManager* manager,
                                                               const std::vector<std::uint32_t>& positions);

// Shows the ripping dialog for those tracks. Returns S_OK once the dialog has closed, E_FAIL without a
// store, E_INVALIDARG when no position names a CD track (no dialog is shown then). `result`, when
// given, receives the dialog's modal result.
Win::HRESULT RipCDTracks(Win::HWND parent, TYX_LibraryManager* manager, const std::vector<std::uint32_t>& positions,
                         int* result = nullptr);

}  // namespace TYX::Dialog
