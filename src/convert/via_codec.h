#pragma once
// The VIA codec library, loaded at run time once per process and freed when its last use is given
// back. Every function must resolve, or the load fails.
#include <string>

#include "components/via/via_api.h"

namespace TYX::Convert {

class ViaCodec {
 public:
  struct Functions {
    VIA_decode_init_fn decode_init = nullptr;
    VIA_decode_fn decode = nullptr;
    VIA_decode_stop_fn decode_stop = nullptr;
    VIA_encode_init_fn encode_init = nullptr;
    VIA_encode_setopt_fn encode_setopt = nullptr;
    VIA_encode_fn encode = nullptr;
    VIA_encode_SetMetaData_fn encode_SetMetaData = nullptr;
    VIA_encode_stop_fn encode_stop = nullptr;
    VIA_metadata_load_fn metadata_load = nullptr;
    VIA_metadata_loadbuffer_fn metadata_loadbuffer = nullptr;
    VIA_metadata_update_fn metadata_update = nullptr;
  };

  // Takes a use; the first loads the library. False when it or one of its functions is missing (the
  // use is still counted and must be given back).
  static bool Acquire();
  static void Release();
  // The resolved functions, or null while the library is not loaded.
  static const Functions* Get();
  static int UseCount();
  // Where the library is looked for: $TYX_VIA_MODULE, the build's module folder, then the loader's path.
  static std::string LibraryPath();
};

}  // namespace TYX::Convert
