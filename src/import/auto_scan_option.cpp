#include "import/auto_scan_option.h"

#include "util/init.h"

namespace TYX::Library {

namespace {
bool ReadFlag(const char* key, bool missing) {
  TYX_INIT* init = TYX_INIT::Instance();
  if (!init->HasAttribute(key)) return missing;
  return init->GetAttributeStr(key) == "TRUE";
}
}  // namespace

void TYX_Library_AutoScanOption::Load() {
  mp3 = ReadFlag("AddMP3", false);
  ogg = ReadFlag("AddOGG", false);
  wma = ReadFlag("AddWMA", false);
  asf = ReadFlag("AddASF", false);
  wav = ReadFlag("AddWAV", false);
  via = ReadFlag("AddVIA", false);
  newFormats = ReadFlag(kNewFormatsKey, true);
}

bool TYX_Library_AutoScanOption::Save() const {
  TYX_INIT* init = TYX_INIT::Instance();
  auto text = [](bool on) { return std::string(on ? "TRUE" : "FALSE"); };
  bool ok = init->SetAttribute("AddMP3", text(mp3));
  ok = init->SetAttribute("AddOGG", text(ogg)) && ok;
  ok = init->SetAttribute("AddWMA", text(wma)) && ok;
  ok = init->SetAttribute("AddASF", text(asf)) && ok;
  ok = init->SetAttribute("AddWAV", text(wav)) && ok;
  ok = init->SetAttribute("AddVIA", text(via)) && ok;
  ok = init->SetAttribute(kNewFormatsKey, text(newFormats)) && ok;
  return ok;
}

std::string TYX_Library_AutoScanOption::BuildPatternList() const {
  std::string list;
  if (mp3) list += "*.mp3;";
  if (ogg) list += "*.ogg;";
  if (wma) list += "*.wma;";
  if (asf) list += "*.asf;";
  if (wav) list += "*.wav;";
  if (via) list += "*.via;";
  if (newFormats) list += "*.flac;*.m4a;*.opus;";
  if (!list.empty()) list.pop_back();
  return list;
}

}  // namespace TYX::Library
