#include "util/reg.h"

#include <cstring>

#include "platform/os_services.h"
#include "util/settings_store.h"

namespace TYX::Util {

namespace {

const char* RootName(HKEY root) {
  switch (root) {
    case HKEY_CLASSES_ROOT: return "HKEY_CLASSES_ROOT";
    case HKEY_CURRENT_USER: return "HKEY_CURRENT_USER";
    case HKEY_LOCAL_MACHINE: return "HKEY_LOCAL_MACHINE";
    case HKEY_USERS: return "HKEY_USERS";
    default: return nullptr;
  }
}

// Length of the longest prefix of text that fits in limit bytes without splitting a UTF-8 sequence.
std::size_t FitUtf8(const std::string& text, std::size_t limit) {
  if (text.size() <= limit) return text.size();
  std::size_t n = limit;
  // Step back over continuation bytes to the start of the cut character.
  while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
  return n;
}

}  // namespace

TYX_SettingsStore& TYX_Reg::Store() {
  // Never destroyed: settings may be written by threads that outlive main's statics.
  static TYX_SettingsStore* const store = new TYX_SettingsStore(DefaultStoreFile());
  return *store;
}

std::string TYX_Reg::DefaultStoreFile() { return Win::Os::GetConfigFolder() + "/registry.ini"; }

void TYX_Reg::SetStoreFile(const std::string& path) { Store().SetPath(path); }

std::string TYX_Reg::GetStoreFile() { return Store().GetPath(); }

std::string TYX_Reg::SectionName(HKEY root, const std::string& keyPath) {
  const char* rootName = RootName(root);
  if (rootName == nullptr) return {};
  std::string section = rootName;
  bool pendingSeparator = true;
  for (char c : keyPath) {
    if (c == '\\') {
      pendingSeparator = true;
      continue;
    }
    if (pendingSeparator) section.push_back('\\');
    pendingSeparator = false;
    section.push_back(c);
  }
  return section;
}

unsigned TYX_Reg::SHRegReadInt(HKEY root, const std::string& keyPath, const std::string& valueName,
                               unsigned defaultValue) {
  const std::string section = SectionName(root, keyPath);
  if (section.empty()) return defaultValue;
  const auto value = Store().Get(section, valueName);
  if (!value || value->type != TYX_SettingsStore::Type::Int) return defaultValue;
  return value->number;
}

std::string TYX_Reg::ReadString(HKEY root, const std::string& keyPath, const std::string& valueName,
                                const std::string& defaultValue) {
  const std::string section = SectionName(root, keyPath);
  if (section.empty()) return defaultValue;
  const auto value = Store().Get(section, valueName);
  if (!value || value->type != TYX_SettingsStore::Type::Text) return defaultValue;
  return value->text;
}

long TYX_Reg::SHRegReadString(HKEY root, const std::string& keyPath, const std::string& valueName,
                              const std::string& defaultValue, char* buffer, std::size_t bufferSize) {
  if (buffer == nullptr || bufferSize == 0) return ERROR_INVALID_PARAMETER;
  long status = ERROR_SUCCESS;
  std::string text = defaultValue;
  const std::string section = SectionName(root, keyPath);
  if (section.empty()) {
    status = ERROR_INVALID_HANDLE;
  } else if (const auto value = Store().Get(section, valueName); !value) {
    status = ERROR_FILE_NOT_FOUND;
  } else if (value->type != TYX_SettingsStore::Type::Text) {
    status = ERROR_DATATYPE_MISMATCH;
  } else {
    text = value->text;
  }
  const std::size_t n = FitUtf8(text, bufferSize - 1);
  std::memcpy(buffer, text.data(), n);
  buffer[n] = '\0';
  if (n < text.size() && status == ERROR_SUCCESS) status = ERROR_MORE_DATA;
  return status;
}

long TYX_Reg::SHRegWriteInt(HKEY root, const std::string& keyPath, const std::string& valueName, unsigned value) {
  const std::string section = SectionName(root, keyPath);
  if (section.empty()) return ERROR_INVALID_HANDLE;
  TYX_SettingsStore::Value v;
  v.type = TYX_SettingsStore::Type::Int;
  v.number = value;
  return Store().Set(section, valueName, v) ? ERROR_SUCCESS : ERROR_WRITE_FAULT;
}

long TYX_Reg::SHRegWriteString(HKEY root, const std::string& keyPath, const std::string& valueName,
                               const std::string& value) {
  const std::string section = SectionName(root, keyPath);
  if (section.empty()) return ERROR_INVALID_HANDLE;
  TYX_SettingsStore::Value v;
  v.type = TYX_SettingsStore::Type::Text;
  v.text = value;
  return Store().Set(section, valueName, v) ? ERROR_SUCCESS : ERROR_WRITE_FAULT;
}

long TYX_Reg::DeleteValue(HKEY root, const std::string& keyPath, const std::string& valueName) {
  const std::string section = SectionName(root, keyPath);
  if (section.empty()) return ERROR_INVALID_HANDLE;
  return Store().Remove(section, valueName) ? ERROR_SUCCESS : ERROR_WRITE_FAULT;
}

}  // namespace TYX::Util
