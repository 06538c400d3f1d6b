#include "convert/via_codec.h"

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace TYX::Convert {

namespace {

std::mutex g_mutex;          // guards everything below (any thread)
int g_uses = 0;
void* g_library = nullptr;
bool g_resolved = false;
ViaCodec::Functions g_functions;

template <class T>
bool Resolve(void* lib, const char* name, T* out) {
  *out = reinterpret_cast<T>(dlsym(lib, name));
  return *out != nullptr;
}

void Load() {
  g_library = dlopen(ViaCodec::LibraryPath().c_str(), RTLD_NOW | RTLD_LOCAL);
  if (g_library == nullptr) {
    std::fprintf(stderr, "ViaCodec: %s\n", dlerror());
    return;
  }
  ViaCodec::Functions f;
  bool ok = Resolve(g_library, "VIA_decode_init", &f.decode_init) && Resolve(g_library, "VIA_decode", &f.decode) &&
            Resolve(g_library, "VIA_decode_stop", &f.decode_stop) &&
            Resolve(g_library, "VIA_encode_init", &f.encode_init) &&
            Resolve(g_library, "VIA_encode_setopt", &f.encode_setopt) &&
            Resolve(g_library, "VIA_encode", &f.encode) &&
            Resolve(g_library, "VIA_encode_SetMetaData", &f.encode_SetMetaData) &&
            Resolve(g_library, "VIA_encode_stop", &f.encode_stop) &&
            Resolve(g_library, "VIA_metadata_load", &f.metadata_load) &&
            Resolve(g_library, "VIA_metadata_loadbuffer", &f.metadata_loadbuffer) &&
            Resolve(g_library, "VIA_metadata_update", &f.metadata_update);
  if (!ok) {
    std::fprintf(stderr, "ViaCodec: a function is missing from %s\n", ViaCodec::LibraryPath().c_str());
    dlclose(g_library);
    g_library = nullptr;
    return;
  }
  g_functions = f;
  g_resolved = true;
}

}  // namespace

std::string ViaCodec::LibraryPath() {
  if (const char* p = std::getenv("TYX_VIA_MODULE")) return p;
#ifdef TYX_VIA_MODULE_DIR
  return std::string(TYX_VIA_MODULE_DIR) + "/ViaLibrary.so";
#else
  return "ViaLibrary.so";
#endif
}

bool ViaCodec::Acquire() {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (g_uses++ == 0) Load();
  return g_resolved;
}

void ViaCodec::Release() {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (g_uses == 0) return;
  if (--g_uses == 0 && g_library != nullptr) {
    dlclose(g_library);
    g_library = nullptr;
    g_resolved = false;
    g_functions = Functions{};
  }
}

const ViaCodec::Functions* ViaCodec::Get() {
  std::lock_guard<std::mutex> lock(g_mutex);
  return g_resolved ? &g_functions : nullptr;
}

int ViaCodec::UseCount() {
  std::lock_guard<std::mutex> lock(g_mutex);
  return g_uses;
}

}  // namespace TYX::Convert
