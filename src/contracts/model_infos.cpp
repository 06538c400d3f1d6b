#include "contracts/model_infos.h"

#include "contracts/device_mgr_client.h"

namespace TYX {

int TYX_ModelInfos::HasPelagoModels(const std::string& modelName) {
  auto client = GetDeviceMgrClient();
  return client ? client->HasPelagoModels(modelName) : 0;
}

}  // namespace TYX
