#pragma once
// The automatic scan's format switches, kept as configuration attributes "AddMP3", "AddOGG", "AddWMA",
// "AddASF", "AddWAV", "AddVIA" (set only by the exact text "TRUE"; a missing key is off) and
// "AddFLAC_M4A_OPUS" (the newer formats; a missing key is on). The dialog face is not built here.
#include <string>

namespace TYX::Library {

class TYX_Library_AutoScanOption {
 public:
  static constexpr const char* kNewFormatsKey = "AddFLAC_M4A_OPUS";

  bool mp3 = false;
  bool ogg = false;
  bool wma = false;
  bool asf = false;
  bool wav = false;
  bool via = false;
  bool newFormats = true;  // FLAC, M4A and Opus

  // Reads the switches from the configuration service.
  void Load();
  // Writes every switch back as "TRUE" or "FALSE"; false when one could not be stored.
  bool Save() const;
  // "*.mp3;*.ogg;..." for the switches that are on, in table order, without a final ';'. Empty when
  // every switch is off.
  std::string BuildPatternList() const;
};

}  // namespace TYX::Library
