#pragma once
// The registry stand-in: values under a root key, a key path ("SOFTWARE\\MERIDAL\\...") and a value
// name, kept in a file in the user's configuration folder ("registry.ini"). Reads of a missing key or
// value give the caller's default; writes create the key as needed and replace the file atomically.
// Key paths and value names are compared without regard to ASCII case, as the registry does.
// Safe from any thread.
#include <cstddef>
#include <cstdint>
#include <string>

namespace TYX::Util {

class TYX_SettingsStore;

using HKEY = std::uintptr_t;
constexpr HKEY HKEY_CLASSES_ROOT = 0x80000000u;
constexpr HKEY HKEY_CURRENT_USER = 0x80000001u;
constexpr HKEY HKEY_LOCAL_MACHINE = 0x80000002u;
constexpr HKEY HKEY_USERS = 0x80000003u;

// Status values of the registry calls.
constexpr long ERROR_SUCCESS = 0;
constexpr long ERROR_FILE_NOT_FOUND = 2;       // the value is missing; the default was given
constexpr long ERROR_INVALID_HANDLE = 6;       // unknown root key
constexpr long ERROR_WRITE_FAULT = 29;         // the store could not be written
constexpr long ERROR_INVALID_PARAMETER = 87;   // no buffer, no value name
constexpr long ERROR_MORE_DATA = 234;          // the text was cut to fit the buffer
constexpr long ERROR_DATATYPE_MISMATCH = 1629; // the value holds the other type; the default was given

class TYX_Reg {
 public:
  // The settings root of the music library's dialogs; sections ("\\Ripping") are appended to it.
  static constexpr const char* kMusicSettingsRoot = "SOFTWARE\\MERIDAL\\SonvarManager\\Music";

  static unsigned SHRegReadInt(HKEY root, const std::string& keyPath, const std::string& valueName,
                               unsigned defaultValue);
  // Copies the stored text, or the default, into buffer: at most bufferSize bytes including the
  // terminator, cut at a character boundary (ERROR_MORE_DATA when cut). ERROR_SUCCESS when the stored
  // text was given, ERROR_FILE_NOT_FOUND when the default was.
  static long SHRegReadString(HKEY root, const std::string& keyPath, const std::string& valueName,
                              const std::string& defaultValue, char* buffer, std::size_t bufferSize);
  static long SHRegWriteInt(HKEY root, const std::string& keyPath, const std::string& valueName, unsigned value);
  static long SHRegWriteString(HKEY root, const std::string& keyPath, const std::string& valueName,
                               const std::string& value);
  // The stored text or the default, without a buffer.
  static std::string ReadString(HKEY root, const std::string& keyPath, const std::string& valueName,
                                const std::string& defaultValue);
  static long DeleteValue(HKEY root, const std::string& keyPath, const std::string& valueName);

  // The file behind the registry; the default is "registry.ini" in the configuration folder. Setting
  // another path (tests) loads it on next use.
  static void SetStoreFile(const std::string& path);
  static std::string GetStoreFile();
  static std::string DefaultStoreFile();
  static TYX_SettingsStore& Store();

  // "HKEY_LOCAL_MACHINE\\SOFTWARE\\..." with repeated and outer backslashes removed from the path;
  // empty for an unknown root.
  static std::string SectionName(HKEY root, const std::string& keyPath);
};

}  // namespace TYX::Util

namespace TYX {
using Util::HKEY;
using Util::HKEY_CLASSES_ROOT;
using Util::HKEY_CURRENT_USER;
using Util::HKEY_LOCAL_MACHINE;
using Util::HKEY_USERS;
using Util::TYX_Reg;
}  // namespace TYX
