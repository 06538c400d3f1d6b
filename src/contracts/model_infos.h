#pragma once
// Facts about phone models, answered by the installed device manager client.
#include <string>

namespace TYX {

class TYX_ModelInfos {
 public:
  // Non-zero when the model belongs to the Pelago family; 0 without a client.
  static int HasPelagoModels(const std::string& modelName);
};

}  // namespace TYX
