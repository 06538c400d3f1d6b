#include "contracts/music_identifier.h"

#include <mutex>
#include <utility>

#include "platform/os_services.h"

namespace TYX {
namespace {

// The installed factory, registrar and index file; any thread reads or replaces them under the lock.
struct IdentifierSlot {
  std::mutex lock;
  TYX_MusicIdentifier::Factory factory;
  TYX_MusicIdentifier::Registrar registrar;
  std::string indexFile;
};

// Made on first use, so a component may install its factory from a static initialiser.
IdentifierSlot& Slot() {
  static IdentifierSlot slot;
  return slot;
}

}  // namespace

std::unique_ptr<TYX_MusicIdentifier> TYX_MusicIdentifier::Create(std::string* error) {
  Factory factory;
  {
    std::lock_guard<std::mutex> guard(Slot().lock);
    factory = Slot().factory;
  }
  std::string reason;
  std::unique_ptr<TYX_MusicIdentifier> made;
  if (!factory) {
    reason = "no identification component installed";
  } else {
    made = factory(reason);
    if (!made && reason.empty()) reason = "the identification component could not be created";
  }
  if (made) reason.clear();
  if (error) *error = reason;
  return made;
}

TYX_MusicIdentifier::Factory TYX_MusicIdentifier::SetFactory(Factory factory) {
  std::lock_guard<std::mutex> guard(Slot().lock);
  return std::exchange(Slot().factory, std::move(factory));
}

bool TYX_MusicIdentifier::HasFactory() {
  std::lock_guard<std::mutex> guard(Slot().lock);
  return static_cast<bool>(Slot().factory);
}

TYX_MusicIdentifier::Registrar TYX_MusicIdentifier::SetRegistrar(Registrar registrar) {
  std::lock_guard<std::mutex> guard(Slot().lock);
  return std::exchange(Slot().registrar, std::move(registrar));
}

bool TYX_MusicIdentifier::Register() {
  Registrar registrar;
  {
    std::lock_guard<std::mutex> guard(Slot().lock);
    registrar = Slot().registrar;
  }
  return registrar ? registrar() : false;
}

void TYX_MusicIdentifier::SetIndexFile(const std::string& path) {
  std::lock_guard<std::mutex> guard(Slot().lock);
  Slot().indexFile = path;
}

std::string TYX_MusicIdentifier::GetIndexFile() {
  {
    std::lock_guard<std::mutex> guard(Slot().lock);
    if (!Slot().indexFile.empty()) return Slot().indexFile;
  }
  return Win::Os::GetDataFolder() + "/music_fingerprints.db";
}

}  // namespace TYX
