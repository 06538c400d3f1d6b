#pragma once
// Records and messages of the automatic tagging worker (TYX_MTaggingThread).
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/types.h"

namespace TYX::Tags {

constexpr Win::UINT WM_TAGGING_START = 4314;   // 0x10DA, thread message: wParam the window, lParam the mode
constexpr Win::UINT WM_TAGGING_STATUS = 4315;  // 0x10DB, posted: wParam the status, lParam the path text
constexpr Win::WPARAM TAGGING_STATUS_STARTED = 0;
constexpr Win::WPARAM TAGGING_STATUS_FILE = 1;
constexpr Win::WPARAM TAGGING_STATUS_ENDED = 2;

constexpr int TAGGING_MODE_NOTIFY = 0;  // report to a window
constexpr int TAGGING_MODE_SILENT = 1;  // the caller runs the pass without notices

// One candidate as the worker keeps it: fixed fields of zero-terminated texts, 510 bytes.
struct TaggingCandidate {
  char artist[100];
  char title[100];
  char album[100];
  char extra[100];     // the fourth text (the genre), written to the media object's extra text
  char number[10];     // the candidate's number, "%d", from 1
  char songId[20];     // "MI" + 10 digits
  char webId[20];      // "WM" + 10 digits, or empty
  char albumId[20];    // "MI" + 10 digits
  char artistId[20];   // "MI" + 10 digits
  char trackId[20];    // "MI" + 5 digits
};
static_assert(sizeof(TaggingCandidate) == 510);

// One file of the tagging list.
struct _Tag_Item {
  char path[260] = {0};
  std::int32_t reserved = 0;
  std::int32_t count = 0;                    // number of candidates (signed, as the component gave it)
  std::vector<TaggingCandidate> candidates;  // owned by the entry; copies are deep
};

// Copies text into a fixed field, cut to the field (at a character boundary, so no UTF-8 sequence is
// split) and zero-terminated.
template <std::size_t N>
void CopyField(char (&field)[N], const std::string& text) {
  std::size_t n = text.size() < N - 1 ? text.size() : N - 1;
  if (n < text.size()) {
    while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
  }
  for (std::size_t i = 0; i < n; ++i) field[i] = text[i];
  for (std::size_t i = n; i < N; ++i) field[i] = '\0';
}

}  // namespace TYX::Tags
