#include "util/file_type.h"

#include <array>
#include <system_error>
#include <filesystem>
#include <string_view>

#include "util/file_name.h"

namespace TYX::Util {
namespace {

struct TypeEntry {
  std::string_view ext;  // lower case, without the dot
  TYX_FILETYPE type;
};

constexpr std::array<TypeEntry, 26> kTypes{{
    {"mp3", FileType::MP3},  {"mp2", FileType::MP2},   {"mp1", FileType::MP1},  {"mpa", FileType::MP1},
    {"ogg", FileType::OGG},  {"wav", FileType::WAV},   {"cda", FileType::CDA},  {"wma", FileType::WMA},
    {"asf", FileType::ASF},  {"m4a", FileType::M4A},   {"aac", FileType::AAC},  {"amr", FileType::AMR},
    {"3ga", FileType::GPP},  {"mid", FileType::MIDI},  {"midi", FileType::MIDI}, {"mmf", FileType::MMF},
    {"ma2", FileType::MA2},  {"ma3", FileType::MA3},   {"amf", FileType::AMF},  {"via", FileType::VIA},
    {"odf", FileType::ODF},  {"oma", FileType::OMA},   {"dcf", FileType::DCF},  {"flac", FileType::FLAC},
    {"opus", FileType::OPUS}, {"", FileType::Unknown},
}};

}  // namespace

TYX_FILETYPE GetFileTypeByName(const std::string& name) {
  const std::string ext = ToLowerAscii(GetFileExt(name));
  if (ext.empty()) return FileType::Unknown;
  for (const TypeEntry& e : kTypes) {
    if (!e.ext.empty() && e.ext == ext) return e.type;
  }
  return FileType::Unknown;
}

TYX_FILETYPE GetFileType(const std::string& path) {
  const TYX_FILETYPE type = GetFileTypeByName(path);
  if (type == FileType::Unknown || type == FileType::CDA) return type;
  std::error_code ec;
  if (!std::filesystem::is_regular_file(std::filesystem::path(path), ec)) return FileType::Unknown;
  return type;
}

bool IsDeviceMusicFileType(TYX_FILETYPE type) {
  switch (type) {
    case FileType::MP3: case FileType::OGG: case FileType::WMA: case FileType::ASF:
    case FileType::M4A: case FileType::AAC: case FileType::AMR: case FileType::GPP:
    case FileType::ODF: case FileType::OMA: case FileType::DCF:
      return true;
    default:
      return false;
  }
}

bool IsConvertibleFileType(TYX_FILETYPE type) {
  return (type >= FileType::MP3 && type <= FileType::WAV) || type == FileType::WMA || type == FileType::ASF ||
         type == FileType::VIA;
}

bool IsMelodyFileType(TYX_FILETYPE type) {
  return type == FileType::MIDI || (type >= FileType::MMF && type <= FileType::AMF);
}

}  // namespace TYX::Util
